#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <string>
#include <vector>

#include "platform/gamma/XRandrGamma.h"
#include "platform/session/TerminationSignals.h"

// Last: Xlib's macros (None, Bool) clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

using Ramp = std::vector<unsigned short>;

// Xvfb is ready within a second on a loaded machine; ten leaves room.
constexpr int kStartTimeoutMilliseconds = 10000;

// A private Xvfb for one test: picks a free display number itself, and dies
// with the process that started it even when that process exits abruptly.
class XvfbServer {
 public:
  XvfbServer() {
    int ready[2];
    if (pipe(ready) != 0) return;
    const std::string readyFd = std::to_string(ready[1]);
    if ((pid_ = fork()) == 0) {  // Only async-signal-safe calls from here.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      const int devNull = open("/dev/null", O_RDWR);
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
      execlp("Xvfb", "Xvfb", "-displayfd", readyFd.c_str(), "-screen", "0", "640x480x24",
             "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ready[1]);
    pollfd poller = {ready[0], POLLIN, 0};
    for (char c; poll(&poller, 1, kStartTimeoutMilliseconds) == 1 && read(ready[0], &c, 1) == 1 &&
                 c != '\n';) {
      name += c;
    }
    close(ready[0]);
    name = name.empty() ? "" : ":" + name;
  }
  ~XvfbServer() {
    if (pid_ > 0) kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0);
  }
  std::string name;  // ":N", for XOpenDisplay; empty when it did not start

 private:
  pid_t pid_ = -1;
};

// Reads ramps on a connection of its own, as another client sees them.
class XRandrGamma : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(server_.name.empty()) << "Xvfb did not start";
    ASSERT_NE(display_ = XOpenDisplay(server_.name.c_str()), nullptr);
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display_, DefaultRootWindow(display_));
    for (int i = 0; i < resources->ncrtc && crtc_ == None; ++i) {
      XRRCrtcInfo* info = XRRGetCrtcInfo(display_, resources, resources->crtcs[i]);
      crtc_ = info->mode != None ? resources->crtcs[i] : None;
      XRRFreeCrtcInfo(info);
    }
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

  XvfbServer server_;
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
        platform::XRandrGamma gamma(server_.name);
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

}  // namespace
