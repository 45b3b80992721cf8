#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <wayland-server.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/WaylandGammaTransferTables.h"
#include "wlr-gamma-control-unstable-v1-server.h"

namespace {

constexpr std::uint32_t kRampSize = 256;

// A compositor with two outputs and the gamma-control protocol, on a thread
// of its own: records the ramps each output gets and when its control is let
// go. An output can be taken by "another client", and unplugged.
class GammaCompositor {
 public:
  struct OutputState {
    wl_global* global = nullptr;
    bool heldByOther = false;
    std::vector<std::uint16_t> ramps;  // Red, green, blue.
    int controls = 0;                  // Held by the program right now.
  };

  GammaCompositor() {
    display_ = wl_display_create();
    socket_ = wl_display_add_socket_auto(display_);
    for (int i = 0; i < 2; ++i) {
      outputs_.push_back(std::make_unique<OutputState>());
      outputs_.back()->global =
          wl_global_create(display_, &wl_output_interface, 3, outputs_.back().get(), &bindOutput);
    }
    wl_global_create(display_, &zwlr_gamma_control_manager_v1_interface, 1, this, &bindManager);
    wl_event_loop_add_fd(wl_display_get_event_loop(display_), wake_, WL_EVENT_READABLE,
                         &GammaCompositor::onWake, this);
    thread_ = std::thread([this] {
      while (!stop_) {
        wl_event_loop_dispatch(wl_display_get_event_loop(display_), 20);
        wl_display_flush_clients(display_);
      }
    });
  }

  ~GammaCompositor() {
    stop_ = true;
    thread_.join();
    wl_display_destroy_clients(display_);
    wl_display_destroy(display_);
    ::close(wake_);
  }

  const char* socket() const { return socket_; }

  OutputState output(std::size_t index) {
    std::lock_guard lock(mutex_);
    return *outputs_[index];
  }

  void holdByOther(std::size_t index) {
    std::lock_guard lock(mutex_);
    outputs_[index]->heldByOther = true;
  }

  // Runs on the compositor's thread, like a real unplug.
  void unplug(std::size_t index) {
    unplugIndex_ = static_cast<int>(index);
    const std::uint64_t one = 1;
    ASSERT_EQ(::write(wake_, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    while (unplugIndex_ >= 0) std::this_thread::yield();
  }

 private:
  static int onWake(int fd, std::uint32_t, void* data) {
    auto* self = static_cast<GammaCompositor*>(data);
    std::uint64_t count = 0;
    EXPECT_EQ(::read(fd, &count, sizeof count), static_cast<ssize_t>(sizeof count));
    wl_global_remove(self->outputs_[static_cast<std::size_t>(self->unplugIndex_.load())]->global);
    self->unplugIndex_ = -1;
    return 0;
  }

  static void bindOutput(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    wl_resource* resource = wl_resource_create(client, &wl_output_interface, version, id);
    static const struct wl_output_interface requests{&releaseResource};
    wl_resource_set_implementation(resource, &requests, data, nullptr);
  }

  static void bindManager(wl_client* client, void* data, std::uint32_t, std::uint32_t id) {
    wl_resource* resource =
        wl_resource_create(client, &zwlr_gamma_control_manager_v1_interface, 1, id);
    static const struct zwlr_gamma_control_manager_v1_interface requests{&getControl,
                                                                         &releaseResource};
    wl_resource_set_implementation(resource, &requests, data, nullptr);
  }

  static void getControl(wl_client* client, wl_resource* manager, std::uint32_t id,
                         wl_resource* outputResource) {
    auto* self = static_cast<GammaCompositor*>(wl_resource_get_user_data(manager));
    auto* output = static_cast<OutputState*>(wl_resource_get_user_data(outputResource));
    wl_resource* control = wl_resource_create(client, &zwlr_gamma_control_v1_interface, 1, id);
    static const struct zwlr_gamma_control_v1_interface requests{&setGamma, &releaseResource};
    wl_resource_set_implementation(control, &requests, output, &GammaCompositor::controlGone);
    std::lock_guard lock(self->mutex_);
    if (output->heldByOther) {
      zwlr_gamma_control_v1_send_failed(control);
      wl_resource_set_user_data(control, nullptr);
      return;
    }
    ++output->controls;
    zwlr_gamma_control_v1_send_gamma_size(control, kRampSize);
  }

  static void setGamma(wl_client*, wl_resource* control, std::int32_t fd) {
    auto* output = static_cast<OutputState*>(wl_resource_get_user_data(control));
    std::vector<std::uint16_t> ramps(3 * kRampSize);
    const auto bytes = static_cast<ssize_t>(ramps.size() * sizeof(std::uint16_t));
    const bool whole = ::pread(fd, ramps.data(), static_cast<std::size_t>(bytes), 0) == bytes;
    ::close(fd);
    if (output != nullptr && whole) {
      output->ramps = std::move(ramps);
    }
  }

  // The compositor puts the original ramps back here.
  static void controlGone(wl_resource* control) {
    if (auto* output = static_cast<OutputState*>(wl_resource_get_user_data(control))) {
      --output->controls;
    }
  }

  static void releaseResource(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }

  wl_display* display_ = nullptr;
  const char* socket_ = nullptr;
  std::vector<std::unique_ptr<OutputState>> outputs_;
  int wake_ = ::eventfd(0, EFD_CLOEXEC);
  std::atomic<int> unplugIndex_{-1};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::thread thread_;
};

class WaylandGammaTransferTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    compositor_ = std::make_unique<GammaCompositor>();
    tables_ = platform::WaylandGammaTransferTables::connect(compositor_->socket());
    ASSERT_NE(tables_, nullptr);
  }

  std::vector<std::uint32_t> activeDisplays() {
    std::uint32_t count = 0;
    EXPECT_EQ(tables_->getActiveDisplayList(0, nullptr, count), 0);
    std::vector<std::uint32_t> displays(count);
    EXPECT_EQ(tables_->getActiveDisplayList(count, displays.data(), count), 0);
    displays.resize(count);
    return displays;
  }

  std::string runtime_ = [] {
    std::string folder = ::testing::TempDir() + "/gamma-XXXXXX";
    return std::string(::mkdtemp(folder.data()));
  }();
  std::unique_ptr<GammaCompositor> compositor_;
  std::unique_ptr<platform::WaylandGammaTransferTables> tables_;
};

TEST_F(WaylandGammaTransferTablesTest, DimsEveryOutputWithTheTableAsItsRamps) {
  const std::vector<std::uint32_t> displays = activeDisplays();
  ASSERT_EQ(displays.size(), 2u);
  const float table[] = {0.0f, 0.3f};
  for (std::uint32_t display : displays) {
    EXPECT_EQ(tables_->setDisplayTransferByTable(display, 2, table, table, table), 0);
  }
  for (std::size_t output = 0; output < 2; ++output) {
    const std::vector<std::uint16_t> ramps = compositor_->output(output).ramps;
    ASSERT_EQ(ramps.size(), 3 * kRampSize);
    for (std::size_t channel = 0; channel < 3; ++channel) {
      EXPECT_EQ(ramps[channel * kRampSize], 0);
      EXPECT_EQ(ramps[channel * kRampSize + kRampSize - 1], 19661);  // 0.3 of 65535.
      EXPECT_EQ(ramps[channel * kRampSize + 128], ramps[128]);
    }
  }
}

// Holding an output's gamma keeps night-light programs from it; the
// compositor restores the original ramps when it is let go.
TEST_F(WaylandGammaTransferTablesTest, HoldsAnOutputsGammaOnlyWhileItIsDimmed) {
  const std::vector<std::uint32_t> displays = activeDisplays();
  const float dim[] = {0.0f, 0.5f}, full[] = {0.0f, 1.0f};
  const auto setAll = [&](const float* table) {
    for (std::uint32_t display : displays) {
      EXPECT_EQ(tables_->setDisplayTransferByTable(display, 2, table, table, table), 0);
    }
    activeDisplays();  // A round trip: the compositor has seen every request.
  };
  EXPECT_EQ(compositor_->output(0).controls, 0) << "listing holds nothing";
  setAll(dim);
  EXPECT_EQ(compositor_->output(0).controls, 1);
  setAll(full);
  EXPECT_EQ(compositor_->output(0).controls, 0);
  setAll(dim);
  tables_->restoreOriginalRamps();
  activeDisplays();
  EXPECT_EQ(compositor_->output(1).controls, 0);
  setAll(dim);
  tables_.reset();
  for (int wait = 0; wait < 200 && compositor_->output(1).controls != 0; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(compositor_->output(0).controls, 0);
  EXPECT_EQ(compositor_->output(1).controls, 0);
}

TEST_F(WaylandGammaTransferTablesTest, RefusesOutputsItCannotDim) {
  const std::vector<std::uint32_t> before = activeDisplays();
  ASSERT_EQ(before.size(), 2u);
  const float table[] = {0.0f, 0.5f};
  compositor_->holdByOther(0);
  compositor_->unplug(1);
  EXPECT_EQ(activeDisplays(), std::vector<std::uint32_t>{before[0]});
  EXPECT_EQ(tables_->setDisplayTransferByTable(before[0], 2, table, table, table), -ENODEV);
  EXPECT_EQ(tables_->setDisplayTransferByTable(before[1], 2, table, table, table), -ENODEV);
  EXPECT_EQ(tables_->setDisplayTransferByTable(before[0], 0, table, table, table), -EINVAL);
}

}  // namespace
