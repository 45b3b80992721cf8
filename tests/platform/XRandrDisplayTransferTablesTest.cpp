#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/TerminationSignals.h"
#include "platform/XRandrDisplayTransferTables.h"
#include "tests/platform/XvfbServer.h"

// Last: Xlib's macros (None, Bool) clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

using Ramp = std::vector<unsigned short>;

// Reads and writes ramps on a connection of its own, as another client sees them.
class XClient {
 public:
  explicit XClient(const std::string& name) : display_(XOpenDisplay(name.c_str())) {}
  ~XClient() {
    if (display_ != nullptr) {
      XCloseDisplay(display_);
    }
  }
  bool connected() const { return display_ != nullptr; }

  RRCrtc firstActiveCrtc() {
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display_, DefaultRootWindow(display_));
    RRCrtc active = None;
    for (int i = 0; i < resources->ncrtc && active == None; ++i) {
      XRRCrtcInfo* info = XRRGetCrtcInfo(display_, resources, resources->crtcs[i]);
      active = info->mode != None ? resources->crtcs[i] : None;
      XRRFreeCrtcInfo(info);
    }
    XRRFreeScreenResources(resources);
    return active;
  }

  // The red ramp; green and blue must match it for a grey table.
  Ramp ramp(RRCrtc crtc) {
    XRRCrtcGamma* gamma = XRRGetCrtcGamma(display_, crtc);
    Ramp red(gamma->red, gamma->red + gamma->size);
    EXPECT_EQ(Ramp(gamma->green, gamma->green + gamma->size), red);
    EXPECT_EQ(Ramp(gamma->blue, gamma->blue + gamma->size), red);
    XRRFreeGamma(gamma);
    return red;
  }

  void setIdentityRamp(RRCrtc crtc) {
    const int size = XRRGetCrtcGammaSize(display_, crtc);
    XRRCrtcGamma* gamma = XRRAllocGamma(size);
    for (int i = 0; i < size; ++i) {
      gamma->red[i] = gamma->green[i] = gamma->blue[i] =
          static_cast<unsigned short>(i * 65535 / (size - 1));
    }
    XRRSetCrtcGamma(display_, crtc, gamma);
    XRRFreeGamma(gamma);
    XSync(display_, False);
  }

 private:
  Display* display_;
};

void dim(platform::XRandrDisplayTransferTables& tables, std::uint32_t crtc, float level) {
  const float table[] = {0.0f, level};
  ASSERT_EQ(tables.setDisplayTransferByTable(crtc, 2, table, table, table), 0);
}

class XRandrDisplayTransferTables : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<testsupport::XvfbServer>();
    ASSERT_TRUE(server_->running()) << "Xvfb did not start";
    client_ = std::make_unique<XClient>(server_->displayName());
    ASSERT_TRUE(client_->connected());
    crtc_ = client_->firstActiveCrtc();
    ASSERT_NE(crtc_, static_cast<RRCrtc>(None));
    client_->setIdentityRamp(crtc_);  // Xvfb starts with an all-zero ramp.
    original_ = client_->ramp(crtc_);
  }

  std::unique_ptr<testsupport::XvfbServer> server_;
  std::unique_ptr<XClient> client_;
  RRCrtc crtc_ = None;
  Ramp original_;
};

TEST_F(XRandrDisplayTransferTables, DimsEachActiveCrtcThenRestoresTheRampFromBeforeTheFirstChange) {
  {
    platform::XRandrDisplayTransferTables tables(server_->displayName());
    std::uint32_t count = 0;
    ASSERT_EQ(tables.getActiveDisplayList(0, nullptr, count), 0);
    std::vector<std::uint32_t> displays(count);
    ASSERT_EQ(tables.getActiveDisplayList(count, displays.data(), count), 0);
    ASSERT_EQ(displays, std::vector<std::uint32_t>{static_cast<std::uint32_t>(crtc_)});

    dim(tables, displays[0], 0.5f);
    const Ramp half = client_->ramp(crtc_);
    ASSERT_EQ(half.size(), original_.size());
    EXPECT_EQ(half.front(), 0);
    EXPECT_EQ(half.back(), 32768);
    dim(tables, displays[0], 0.1f);
    EXPECT_EQ(client_->ramp(crtc_).back(), 6554);

    // A CRTC gone with its monitor fails the call instead of ending the process.
    constexpr std::uint32_t kVanishedCrtc = 0x1fffff;
    const float table[] = {0.0f, 0.5f};
    EXPECT_EQ(tables.setDisplayTransferByTable(kVanishedCrtc, 2, table, table, table), -ENODEV);
  }
  EXPECT_EQ(client_->ramp(crtc_), original_);
}

TEST(XRandrDisplayTransferTablesWithoutX, HasNoActiveDisplaysAndNoError) {
  platform::XRandrDisplayTransferTables tables(":65000");  // No server listens there.
  std::uint32_t count = 7;
  EXPECT_EQ(tables.getActiveDisplayList(0, nullptr, count), 0);
  EXPECT_EQ(count, 0u);
  const float table[] = {0.0f, 0.5f};
  EXPECT_EQ(tables.setDisplayTransferByTable(1, 2, table, table, table), -ENODEV);
}

// The child gets SIGTERM while dimmed; its event loop must end the normal way
// and the ramp must be back before the process exits.
TEST_F(XRandrDisplayTransferTables, RestoresTheRampsWhenTerminatedBySignal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  constexpr int kRestored = 0;
  constexpr int kNotRestored = 1;
  constexpr int kSignalIgnored = 2;
  constexpr int kSafetyTimeoutMilliseconds = 10000;
  EXPECT_EXIT(
      {
        platform::XRandrDisplayTransferTables tables(server_->displayName());
        dim(tables, crtc_, 0.2f);
        platform::quitApplicationOnTerminationSignals();
        QTimer::singleShot(0, [] { std::raise(SIGTERM); });
        QTimer::singleShot(kSafetyTimeoutMilliseconds, [] { std::_Exit(kSignalIgnored); });
        QCoreApplication::exec();
        std::_Exit(client_->ramp(crtc_) == original_ ? kRestored : kNotRestored);
      },
      ::testing::ExitedWithCode(kRestored), "");
}

}  // namespace
