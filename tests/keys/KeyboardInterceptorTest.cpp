#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "keys/KeyboardInterceptor.h"
#include "tests/keys/StdoutRecorder.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeKeyboardServices.h"

namespace {

using namespace std::chrono_literals;
namespace te = platform::tapevent;
using platform::TapVerdict;

const std::string kStarted = "[KeyboardInterceptor] Event tap successfully started\n";
const std::string kFailed = "[KeyboardInterceptor] Failed to create CGEventTap\n";
const std::string kPrompting =
    "[KeyboardInterceptor] Accessibility permission not yet granted. Prompting user...\n";
const std::string kGranted = "[KeyboardInterceptor] Accessibility permission granted!\n";

// Records every report with what the world looked like when it arrived.
struct RecordingDelegate : KeyboardInterceptorDelegate {
  struct Report {
    std::string what;
    std::string logSoFar;
    int tapsCreated;
  };
  void didChangeBrightness(bool isUp, bool isFineGrained) override {
    EXPECT_EQ(std::this_thread::get_id(), mainThread);
    record(std::string(isUp ? "up" : "down") + (isFineGrained ? " fine" : " coarse"));
  }
  void didUpdatePermissionStatus(bool isTrusted) override {
    record(isTrusted ? "trusted" : "untrusted");
  }
  void record(std::string what) {
    reports.push_back({std::move(what), log ? log->text() : "", fakes->tap->createCount});
  }
  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (const Report& report : reports) {
      result.push_back(report.what);
    }
    return result;
  }

  const StdoutRecorder* log = nullptr;
  const testsupport::FakeKeyboardServices* fakes = nullptr;
  std::thread::id mainThread = std::this_thread::get_id();
  std::vector<Report> reports;
};

class KeyboardInterceptorTest : public testing::Test {
 protected:
  void SetUp() override {
    delegate->log = &log;
    delegate->fakes = &fakes;
    interceptor->delegate = delegate;
  }

  // Feeds an event as the tap's input thread would.
  TapVerdict feedFromInputThread(const platform::TapEvent& event) {
    TapVerdict verdict = TapVerdict::Pass;
    std::thread input([&] { verdict = fakes.tap->lastCallback(event); });
    input.join();
    return verdict;
  }

  int pollQueries() const { return fakes.access->queries - fakes.access->prompts; }

  StdoutRecorder log;
  testsupport::FakeKeyboardServices fakes;
  std::shared_ptr<KeyboardInterceptor> interceptor = fakes.makeInterceptor();
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

platform::TapEvent brightnessPress(std::int64_t key, std::uint64_t flags = 0) {
  return {te::kSystemDefined, 0, flags, te::kSubtypeAuxControlButtons,
          te::specialKeyData(key, te::kSpecialKeyStateDown, false)};
}

TEST_F(KeyboardInterceptorTest, TrustedAtLaunchReportsBeforeStartingTheTapAndNeverPolls) {
  fakes.access->trusted = true;
  interceptor->checkAndRequestPermissions();

  ASSERT_EQ(delegate->names(), std::vector<std::string>{"trusted"});
  EXPECT_EQ(delegate->reports[0].tapsCreated, 0);
  EXPECT_EQ(delegate->reports[0].logSoFar, "");
  EXPECT_EQ(log.text(), kStarted);
  EXPECT_TRUE(interceptor->isTrusted());
  EXPECT_EQ(fakes.access->prompts, 1);
  testsupport::runLoopFor(1100ms);
  EXPECT_EQ(pollQueries(), 0);
}

TEST_F(KeyboardInterceptorTest, MissingPermissionReportsThenLogsAndPollsWithoutTryingTheTap) {
  interceptor->checkAndRequestPermissions();

  ASSERT_EQ(delegate->names(), std::vector<std::string>{"untrusted"});
  EXPECT_EQ(delegate->reports[0].logSoFar, "");
  EXPECT_EQ(log.text(), kPrompting);
  EXPECT_EQ(fakes.tap->createCount, 0);
  EXPECT_FALSE(interceptor->isTrusted());
}

TEST_F(KeyboardInterceptorTest, GrantSeenByPollStartsTapThenReportsAndStopsPolling) {
  interceptor->checkAndRequestPermissions();
  fakes.access->trusted = true;

  ASSERT_TRUE(testsupport::runLoopUntil([&] { return delegate->reports.size() == 2; }, 3s));
  EXPECT_EQ(delegate->names(), (std::vector<std::string>{"untrusted", "trusted"}));
  EXPECT_EQ(delegate->reports[1].tapsCreated, 1);
  EXPECT_EQ(delegate->reports[1].logSoFar, kPrompting + kGranted + kStarted);
  EXPECT_TRUE(interceptor->isTrusted());
  const int queriesAtGrant = pollQueries();
  testsupport::runLoopFor(1100ms);
  EXPECT_EQ(pollQueries(), queriesAtGrant);
}

TEST_F(KeyboardInterceptorTest, AskingAgainWhileWaitingReplacesThePollInsteadOfAddingOne) {
  interceptor->checkAndRequestPermissions();
  interceptor->checkAndRequestPermissions();
  EXPECT_EQ(fakes.access->prompts, 2);

  testsupport::runLoopFor(1500ms);
  EXPECT_EQ(pollQueries(), 1);
}

TEST_F(KeyboardInterceptorTest, GrantReportStillArrivesWhenNothingElseHoldsTheInterceptor) {
  interceptor->checkAndRequestPermissions();
  fakes.access->trusted = true;
  std::weak_ptr<KeyboardInterceptor> weak = interceptor;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return pollQueries() == 1; }, 3s));
  interceptor.reset();  // Dropped after the tick, before its posted report runs.
  testsupport::drainMainQueue();
  EXPECT_EQ(delegate->names(), (std::vector<std::string>{"untrusted", "trusted"}));
  EXPECT_TRUE(weak.expired());
}

TEST_F(KeyboardInterceptorTest, FailedTapIsLoggedOnceAndStillCountsAsTrusted) {
  fakes.access->trusted = true;
  fakes.tap->canCreate = false;
  interceptor->checkAndRequestPermissions();

  EXPECT_EQ(log.text(), kFailed);
  EXPECT_EQ(delegate->names(), std::vector<std::string>{"trusted"});
  EXPECT_TRUE(interceptor->isTrusted());
  EXPECT_EQ(fakes.tap->createCount, 1);
}

TEST_F(KeyboardInterceptorTest, StartingTwiceMakesOneTapAndStartingAfterStopMakesAnother) {
  interceptor->startEventTap();
  interceptor->startEventTap();
  EXPECT_EQ(fakes.tap->createCount, 1);
  EXPECT_EQ(log.text(), kStarted);

  interceptor->stopEventTap();
  interceptor->startEventTap();
  EXPECT_EQ(fakes.tap->createCount, 2);
  EXPECT_EQ(log.text(), kStarted + kStarted);
}

TEST_F(KeyboardInterceptorTest, StopAlsoEndsTheWaitingPoll) {
  interceptor->checkAndRequestPermissions();
  interceptor->stopEventTap();
  testsupport::runLoopFor(1100ms);
  EXPECT_EQ(pollQueries(), 0);
}

TEST_F(KeyboardInterceptorTest, BrightnessKeysAreDeletedAndReportedLaterOnTheMainThreadInOrder) {
  interceptor->startEventTap();
  EXPECT_EQ(feedFromInputThread(brightnessPress(2)), TapVerdict::Delete);
  EXPECT_EQ(feedFromInputThread(brightnessPress(3, te::kFlagShift | te::kFlagOption)),
            TapVerdict::Delete);
  EXPECT_EQ(feedFromInputThread({te::kKeyDown, te::kKeyCodeF15, 0, 0, 0}), TapVerdict::Delete);
  EXPECT_TRUE(delegate->reports.empty());

  testsupport::drainMainQueue();
  EXPECT_EQ(delegate->names(), (std::vector<std::string>{"up coarse", "down fine", "up coarse"}));
}

TEST_F(KeyboardInterceptorTest, WithoutDelegateBrightnessKeysAreStillDeleted) {
  interceptor->delegate.reset();
  interceptor->startEventTap();
  EXPECT_EQ(feedFromInputThread(brightnessPress(2)), TapVerdict::Delete);
  testsupport::drainMainQueue();
  EXPECT_TRUE(delegate->reports.empty());
}

TEST_F(KeyboardInterceptorTest, ReportPostedBeforeTheInterceptorWentAwayIsDropped) {
  interceptor->startEventTap();
  auto callback = fakes.tap->lastCallback;
  EXPECT_EQ(callback(brightnessPress(2)), TapVerdict::Delete);
  interceptor.reset();
  testsupport::drainMainQueue();
  EXPECT_TRUE(delegate->reports.empty());
  EXPECT_EQ(callback(brightnessPress(2)), TapVerdict::Pass);
}

TEST_F(KeyboardInterceptorTest, SwitchedOffTapIsSwitchedOnAgainOnlyWhileItExists) {
  interceptor->startEventTap();
  auto callback = fakes.tap->lastCallback;
  fakes.tap->lastTap->enabled = false;
  EXPECT_EQ(callback({te::kTapDisabledByTimeout, 0, 0, 0, 0}), TapVerdict::Pass);
  EXPECT_TRUE(fakes.tap->lastTap->enabled);

  interceptor->stopEventTap();
  EXPECT_EQ(callback({te::kTapDisabledByUserInput, 0, 0, 0, 0}), TapVerdict::Pass);
  EXPECT_EQ(fakes.tap->createCount, 1);
}

TEST_F(KeyboardInterceptorTest, GrantButtonOpensTheHelpPageAndChangesNothingElse) {
  interceptor->openAccessibilityPreferences();
  EXPECT_EQ(fakes.opener->opened, std::vector<std::string>{fakes.services().accessHelpUrl});
  EXPECT_EQ(fakes.access->queries, 0);
  EXPECT_EQ(log.text(), "");
}

}  // namespace
