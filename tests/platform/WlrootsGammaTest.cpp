#include <gtest/gtest.h>
#include <unistd.h>
#include <wayland-server.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/gamma/GammaRamp.h"
#include "platform/gamma/WlrootsGamma.h"
#include "wlr-gamma-control-unstable-v1-server.h"

namespace {

constexpr std::uint32_t kRampSize = 256;
std::mutex outputsMutex;  // The test reads the outputs from its own thread.

// A compositor with two outputs and gamma control, on a thread of its own.
// Records each output's ramps and how many controls hold it; output 0 can be
// held by "another client", output 1 (a wl_output too old to say its name)
// unplugged and plugged again as a new one.
class GammaCompositor {
 public:
  struct Output {
    wl_global* global = nullptr;
    const char* name = "";
    bool heldByOther = false;
    std::vector<std::uint16_t> ramps{};  // Red, green, blue.
    int controls = 0;
  };

  GammaCompositor() {
    outputs_[0].global =
        wl_global_create(display_, &wl_output_interface, 4, &outputs_[0], &bindOutput);
    outputs_[1].global =
        wl_global_create(display_, &wl_output_interface, 3, &outputs_[1], &bindOutput);
    wl_global_create(display_, &zwlr_gamma_control_manager_v1_interface, 1, nullptr, &bindManager);
    // Globals may change only on this thread: the unplug waits for its turn.
    thread_ = std::thread([this] {
      while (!stop_) {
        wl_event_loop_dispatch(wl_display_get_event_loop(display_), 20);
        if (unplug_ && !unplugged_) {
          wl_global_remove(outputs_[1].global);
          wl_global_create(display_, &wl_output_interface, 4, &outputs_[1], &bindOutput);
          unplugged_ = true;
        }
        wl_display_flush_clients(display_);
      }
    });
  }
  ~GammaCompositor() {
    stop_ = true;
    thread_.join();
    wl_display_destroy_clients(display_);
    wl_display_destroy(display_);
  }

  Output output(std::size_t index) {
    std::lock_guard lock(outputsMutex);
    return outputs_[index];
  }
  void holdOutput0AndReplugOutput1() {
    {
      std::lock_guard lock(outputsMutex);
      outputs_[0].heldByOther = true;
    }
    unplug_ = true;
    while (!unplugged_) std::this_thread::yield();
  }

  wl_display* display_ = wl_display_create();
  const char* socket = wl_display_add_socket_auto(display_);

 private:
  static void destroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }

  static void bind(wl_client* client, const wl_interface* interface, std::uint32_t version,
                   std::uint32_t id, const void* requests, void* data) {
    wl_resource_set_implementation(wl_resource_create(client, interface, version, id), requests,
                                   data, nullptr);
  }
  static void bindOutput(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    static const struct wl_output_interface requests { &destroy };
    bind(client, &wl_output_interface, version, id, &requests, data);
    if (version >= WL_OUTPUT_NAME_SINCE_VERSION) {
      wl_output_send_name(wl_client_get_object(client, id), static_cast<Output*>(data)->name);
    }
  }
  static void bindManager(wl_client* client, void*, std::uint32_t, std::uint32_t id) {
    static const struct zwlr_gamma_control_manager_v1_interface requests { &getControl, &destroy };
    bind(client, &zwlr_gamma_control_manager_v1_interface, 1, id, &requests, nullptr);
  }

  static void getControl(wl_client* client, wl_resource*, std::uint32_t id,
                         wl_resource* outputResource) {
    auto* output = static_cast<Output*>(wl_resource_get_user_data(outputResource));
    static const struct zwlr_gamma_control_v1_interface requests { &setGamma, &destroy };
    wl_resource* control = wl_resource_create(client, &zwlr_gamma_control_v1_interface, 1, id);
    std::lock_guard lock(outputsMutex);
    if (output->heldByOther) {
      wl_resource_set_implementation(control, &requests, nullptr, nullptr);
      return zwlr_gamma_control_v1_send_failed(control);
    }
    wl_resource_set_implementation(control, &requests, output, &letGo);
    ++output->controls;
    zwlr_gamma_control_v1_send_gamma_size(control, kRampSize);
  }

  static void setGamma(wl_client*, wl_resource* control, std::int32_t fd) {
    std::vector<std::uint16_t> ramps(3 * kRampSize);
    const auto bytes = static_cast<ssize_t>(ramps.size() * sizeof(std::uint16_t));
    if (::pread(fd, ramps.data(), static_cast<std::size_t>(bytes), 0) == bytes) {
      std::lock_guard lock(outputsMutex);
      static_cast<Output*>(wl_resource_get_user_data(control))->ramps = std::move(ramps);
    }
    ::close(fd);
  }

  // Where the compositor puts the original ramps back.
  static void letGo(wl_resource* control) {
    std::lock_guard lock(outputsMutex);
    --static_cast<Output*>(wl_resource_get_user_data(control))->controls;
  }

  Output outputs_[2]{{.name = "DP-1"}, {.name = "HDMI-A-1"}};
  std::atomic<bool> unplug_{false}, unplugged_{false}, stop_{false};
  std::thread thread_;
};

// Holding an output's gamma keeps night-light programs from it, so it is
// held only while dimmed; the compositor restores the ramps on letting go.
// An output is listed with its name, even one plugged in just before.
TEST(WlrootsGamma, HoldsEachOutputsGammaOnlyWhileDimmedAndRefusesOutputsItCannotDim) {
  std::string runtime = ::testing::TempDir() + "/gamma-XXXXXX";
  ::setenv("XDG_RUNTIME_DIR", ::mkdtemp(runtime.data()), 1);
  GammaCompositor compositor;
  auto gamma = platform::WlrootsGamma::connect(compositor.socket);
  ASSERT_NE(gamma, nullptr);
  const std::vector<std::uint32_t> displays = gamma->outputs();
  ASSERT_EQ(displays.size(), 2u);
  EXPECT_EQ(gamma->outputName(displays[0]), "DP-1");
  EXPECT_EQ(gamma->outputName(displays[1]), "");
  // Then a round trip: the compositor has seen every request.
  const auto setAll = [&](double fraction) {
    for (std::uint32_t output : displays) EXPECT_TRUE(gamma->setBrightness(output, fraction));
    gamma->outputs();
    return compositor.output(0).controls + compositor.output(1).controls;
  };
  EXPECT_EQ(compositor.output(0).controls, 0) << "listing holds nothing";
  EXPECT_EQ(setAll(0.3), 2);
  const std::vector<std::uint16_t> channel = platform::gammaRamp(kRampSize, 0.3);
  std::vector<std::uint16_t> ramps;
  for (int i = 0; i < 3; ++i) ramps.insert(ramps.end(), channel.begin(), channel.end());
  for (std::size_t index : {0, 1}) EXPECT_EQ(compositor.output(index).ramps, ramps);
  EXPECT_EQ(setAll(1.0), 0);
  setAll(0.5);
  gamma->restore();
  gamma->outputs();
  EXPECT_EQ(compositor.output(1).controls, 0);
  setAll(0.5);
  gamma.reset();
  for (int wait = 0; wait < 200 && compositor.output(1).controls != 0; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(compositor.output(0).controls + compositor.output(1).controls, 0);

  gamma = platform::WlrootsGamma::connect(compositor.socket);
  compositor.holdOutput0AndReplugOutput1();
  const std::vector<std::uint32_t> replugged = gamma->outputs();
  ASSERT_EQ(replugged.size(), 2u);
  EXPECT_EQ(replugged[0], displays[0]);
  EXPECT_EQ(gamma->outputName(replugged[1]), "HDMI-A-1") << "named as soon as listed";
  EXPECT_FALSE(gamma->setBrightness(displays[0], 0.5));
  EXPECT_FALSE(gamma->setBrightness(displays[1], 0.5));
}

}  // namespace
