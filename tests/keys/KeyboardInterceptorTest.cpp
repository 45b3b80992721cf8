#include <gtest/gtest.h>

#include <thread>

#include "keys/KeyboardInterceptor.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeKeyboardServices.h"

namespace {

using namespace std::chrono_literals;
namespace te = platform::tapevent;
using platform::TapVerdict;
using Lines = std::vector<std::string>;

const std::string kStarted = "[KeyboardInterceptor] Event tap successfully started\n";
const std::string kFailed = "[KeyboardInterceptor] Failed to create CGEventTap\n";
const std::string kPrompting =
    "[KeyboardInterceptor] Accessibility permission not yet granted. Prompting user...\n";
const std::string kGranted = "[KeyboardInterceptor] Accessibility permission granted!\n";

// The tap service, the permission query and the delegate in one, journaling in
// order the taps asked for, the permission queries (prompting or polling) and
// the reports received.
struct Journal : testsupport::FakeInputTapService,
                 testsupport::FakeInputAccessQuery,
                 KeyboardInterceptorDelegate {
  std::unique_ptr<platform::InputTap> createTap(std::uint64_t mask, Callback callback) override {
    lines.push_back("tap");
    return FakeInputTapService::createTap(mask, std::move(callback));
  }
  bool isProcessTrusted(bool prompt) override {
    lines.push_back(prompt ? "prompt" : "poll");
    return FakeInputAccessQuery::isProcessTrusted(prompt);
  }
  void didChangeBrightness(bool isUp, bool isFineGrained) override {
    EXPECT_EQ(std::this_thread::get_id(), mainThread);
    lines.push_back(std::string(isUp ? "up" : "down") + (isFineGrained ? " fine" : " coarse"));
  }
  void didUpdatePermissionStatus(bool isTrusted) override {
    lines.push_back(isTrusted ? "trusted" : "untrusted");
  }

  Lines lines;
  std::thread::id mainThread = std::this_thread::get_id();
};

// Each test sets what the interceptor must have logged by its end.
class KeyboardInterceptorTest : public testing::Test {
 protected:
  KeyboardInterceptorTest() {
    interceptor->delegate = journal;
    testing::internal::CaptureStdout();
  }
  void TearDown() override { EXPECT_EQ(testing::internal::GetCapturedStdout(), expectedLog); }

  // Feeds an event as the tap's input thread would.
  TapVerdict feedFromInputThread(const platform::TapEvent& event) {
    TapVerdict verdict = TapVerdict::Pass;
    std::thread([&] { verdict = journal->lastCallback(event); }).join();
    return verdict;
  }

  std::shared_ptr<Journal> journal = std::make_shared<Journal>();
  std::shared_ptr<KeyboardInterceptor> interceptor =
      std::make_shared<KeyboardInterceptor>(KeyboardInterceptor::Services{
          journal, journal, std::make_shared<testsupport::FakeUrlOpener>(), "file:///help.html"});
  std::string expectedLog;
};

const platform::TapEvent kF15Press{te::kKeyDown, te::kKeyCodeF15};

// Trusted at launch, the report comes before the tap, a tap that cannot be
// made is logged, and the poll goes on: access that goes away and comes back
// is noticed.
TEST_F(KeyboardInterceptorTest, TrustedAtLaunchReportsBeforeTheTapAndKeepsPolling) {
  journal->trusted = true;
  journal->canCreate = false;
  interceptor->checkAndRequestPermissions();
  EXPECT_TRUE(interceptor->isTrusted());
  journal->trusted = false;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return !interceptor->isTrusted(); }, 2s));
  journal->trusted = journal->canCreate = true;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return interceptor->isTrusted(); }, 2s));
  testsupport::drainMainQueue();
  EXPECT_EQ(journal->lines,
            (Lines{"prompt", "trusted", "tap", "poll", "untrusted", "poll", "tap", "trusted"}));
  expectedLog = kFailed + kGranted + kStarted;
}

// A steady grant reports nothing more; losing access drops the tap.
TEST_F(KeyboardInterceptorTest, WithoutPermissionPollsUntilTheGrantAndDropsTheTapWhenItGoes) {
  interceptor->checkAndRequestPermissions();
  EXPECT_FALSE(interceptor->isTrusted());
  journal->trusted = true;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return journal->queries == 3; }, 4s));
  EXPECT_NE(journal->lastTap, nullptr);
  journal->trusted = false;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return !interceptor->isTrusted(); }, 2s));
  EXPECT_EQ(journal->lastTap, nullptr);
  EXPECT_EQ(journal->lines,
            (Lines{"prompt", "untrusted", "poll", "tap", "trusted", "poll", "poll", "untrusted"}));
  expectedLog = kPrompting + kGranted + kStarted;
}

TEST_F(KeyboardInterceptorTest, BrightnessKeysAreDeletedAndReportedOnTheMainThreadInOrder) {
  interceptor->startEventTap();
  const std::pair<platform::TapEvent, TapVerdict> keys[] = {
      {kF15Press, TapVerdict::Delete},
      {{te::kKeyDown, te::kKeyCodeF14, te::kFlagShift | te::kFlagOption}, TapVerdict::Delete},
      {{te::kSystemDefined, 0, 0, te::kSubtypeAuxControlButtons,
        te::specialKeyData(te::kSpecialKeyBrightnessUp, te::kSpecialKeyStateUp, false)},
       TapVerdict::Delete},
      {{te::kKeyDown, 0}, TapVerdict::Pass},
  };
  for (const auto& [event, verdict] : keys) {
    EXPECT_EQ(feedFromInputThread(event), verdict) << event.type << " " << event.keyCode;
  }
  testsupport::drainMainQueue();
  EXPECT_EQ(journal->lines, (Lines{"tap", "up coarse", "down fine"}));
  expectedLog = kStarted;
}

// Keys are deleted even when no report can reach anyone; once the
// interceptor is gone they pass. A switched-off tap is switched on again only
// while it exists.
TEST_F(KeyboardInterceptorTest, KeysAreDeletedUntilTheInterceptorIsGoneAndTheTapIsKeptOn) {
  interceptor->startEventTap();
  journal->lastTap->enabled = false;
  EXPECT_EQ(feedFromInputThread({te::kTapDisabledByTimeout}), TapVerdict::Pass);
  EXPECT_TRUE(journal->lastTap->enabled);
  interceptor->delegate.reset();
  EXPECT_EQ(feedFromInputThread(kF15Press), TapVerdict::Delete);
  testsupport::drainMainQueue();
  interceptor->delegate = journal;
  EXPECT_EQ(feedFromInputThread(kF15Press), TapVerdict::Delete);
  interceptor->stopEventTap();
  EXPECT_EQ(feedFromInputThread({te::kTapDisabledByUserInput}), TapVerdict::Pass);
  interceptor.reset();  // Before the report posted for the key runs.
  testsupport::drainMainQueue();
  EXPECT_EQ(feedFromInputThread(kF15Press), TapVerdict::Pass);
  EXPECT_EQ(journal->lines, (Lines{"tap"}));
  expectedLog = kStarted;
}

}  // namespace
