#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gamma/XRandrGamma.h"
#include "platform/session/TerminationSignals.h"

// Last: Xlib's macros (None, Bool) clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

using Ramp = std::vector<unsigned short>;

// ":N" of a private Xvfb that picks a free display number itself and dies
// with this process however that ends; empty when it did not start.
const std::string& xvfb() {
  static FILE* out = popen(
      "exec setpriv --pdeathsig KILL Xvfb -displayfd 1 -screen 0 640x480x24 -nolisten tcp "
      "-noreset 2>/dev/null",
      "r");
  static const std::string name = [] {
    char number[16] = "";
    return out && fgets(number, sizeof number, out) ? ":" + std::to_string(atoi(number)) : "";
  }();
  return name;
}

// Reads ramps on a connection of its own, as another client sees them.
class XRandrGamma : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(xvfb().empty()) << "Xvfb did not start";
    ASSERT_NE(display_ = XOpenDisplay(xvfb().c_str()), nullptr);
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display_, DefaultRootWindow(display_));
    crtc_ = resources->ncrtc == 1 ? resources->crtcs[0] : None;  // Xvfb has one.
    XRRFreeScreenResources(resources);
    ASSERT_NE(crtc_, static_cast<RRCrtc>(None));
    // Xvfb starts with an all-zero ramp: make the original one to tell apart.
    XRRCrtcGamma* gamma = XRRAllocGamma(XRRGetCrtcGammaSize(display_, crtc_));
    for (int i = 0; i < gamma->size; ++i) {
      gamma->red[i] = gamma->green[i] = gamma->blue[i] = i * 65535 / (gamma->size - 1);
    }
    XRRSetCrtcGamma(display_, crtc_, gamma);
    XRRFreeGamma(gamma);
    original_ = ramp();
  }
  void TearDown() override {
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  // The red ramp; empty unless green and blue match it.
  Ramp ramp() {
    XRRCrtcGamma* gamma = XRRGetCrtcGamma(display_, crtc_);
    Ramp red(gamma->red, gamma->red + gamma->size);
    const bool grey = Ramp(gamma->green, gamma->green + gamma->size) == red &&
                      Ramp(gamma->blue, gamma->blue + gamma->size) == red;
    XRRFreeGamma(gamma);
    return grey ? red : Ramp();
  }

  Display* display_ = nullptr;
  RRCrtc crtc_ = None;
  Ramp original_;
};

// A first dim shows in tests/app/command_line.sh; a second must land too and
// leave the ramp from before the first as the one to restore, and a CRTC
// gone with its monitor must fail the call instead of ending the process.
// On SIGTERM the event loop must end the normal way and the ramp be back
// before the process exits.
TEST_F(XRandrGamma, DimsEachActiveCrtcAndRestoresTheFirstRampWhenTerminatedBySignal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  constexpr int kRestored = 0, kNotRestored = 1, kSignalIgnored = 2, kNotDimmed = 3;
  constexpr int kSafetyTimeoutMilliseconds = 10000;
  EXPECT_EXIT(
      {
        platform::XRandrGamma gamma(xvfb());
        const bool dimmed = gamma.outputs() == std::vector{static_cast<std::uint32_t>(crtc_)} &&
                            gamma.setBrightness(crtc_, 0.5) && gamma.setBrightness(crtc_, 0.1) &&
                            ramp().back() == 6554 && !gamma.setBrightness(0x1fffff, 0.5);
        platform::quitApplicationOnTerminationSignals();
        QTimer::singleShot(0, [] { std::raise(SIGTERM); });
        QTimer::singleShot(kSafetyTimeoutMilliseconds, [] { std::_Exit(kSignalIgnored); });
        QCoreApplication::exec();
        std::_Exit(!dimmed ? kNotDimmed : ramp() == original_ ? kRestored : kNotRestored);
      },
      ::testing::ExitedWithCode(kRestored), "");
}

// Qt names Xvfb's screen after its only output.
TEST_F(XRandrGamma, NamesEachCrtcAfterItsConnectedOutput) {
  platform::XRandrGamma gamma(xvfb());
  gamma.outputs();
  EXPECT_EQ(gamma.outputName(crtc_), "screen");
  EXPECT_EQ(gamma.outputName(0x1fffff), "");
}

}  // namespace
