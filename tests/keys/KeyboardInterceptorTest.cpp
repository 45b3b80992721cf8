#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <sstream>
#include <thread>

#include "keys/KeyboardInterceptor.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeKeyboardServices.h"

namespace {

using namespace std::chrono_literals;
namespace te = platform::tapevent;
using platform::TapVerdict;
using Lines = std::vector<std::string>;

const std::string kStarted = "[KeyboardInterceptor] Event tap successfully started";
const std::string kFailed = "[KeyboardInterceptor] Failed to create CGEventTap";
const std::string kPrompting =
    "[KeyboardInterceptor] Accessibility permission not yet granted. Prompting user...";
const std::string kGranted = "[KeyboardInterceptor] Accessibility permission granted!";

// The tap service, the permission query and the delegate in one, journaling in
// order the log lines written, the taps asked for, the permission queries
// (prompting or polling) and the reports received.
struct Journal : testsupport::FakeInputTapService,
                 testsupport::FakeInputAccessQuery,
                 KeyboardInterceptorDelegate {
  Journal() { testing::internal::CaptureStdout(); }
  ~Journal() override {
    if (capturing) {  // Ended early: pass on what was written since, such as the failure.
      std::fputs(testing::internal::GetCapturedStdout().c_str(), stdout);
    }
  }
  std::unique_ptr<platform::InputTap> createTap(std::uint64_t mask, Callback callback) override {
    add("tap");
    return FakeInputTapService::createTap(mask, std::move(callback));
  }
  bool isProcessTrusted(bool prompt) override {
    add(prompt ? "prompt" : "poll");
    return FakeInputAccessQuery::isProcessTrusted(prompt);
  }
  void didChangeBrightness(bool isUp, bool isFineGrained) override {
    EXPECT_EQ(std::this_thread::get_id(), mainThread);
    add(std::string(isUp ? "up" : "down") + (isFineGrained ? " fine" : " coarse"));
  }
  void didUpdatePermissionStatus(bool isTrusted) override {
    add(isTrusted ? "trusted" : "untrusted");
  }
  // Takes in the lines logged since the last entry, then `entry` unless the
  // journal is finished.
  void add(std::optional<std::string> entry) {
    if (!capturing) return;
    std::istringstream log(testing::internal::GetCapturedStdout());
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    if ((capturing = entry.has_value())) {
      lines.push_back(*entry);
      testing::internal::CaptureStdout();
    }
  }
  Lines finish() {
    add(std::nullopt);
    return lines;
  }

  bool capturing = true;
  Lines lines;
  std::thread::id mainThread = std::this_thread::get_id();
};

class KeyboardInterceptorTest : public testing::Test {
 protected:
  KeyboardInterceptorTest() { interceptor->delegate = journal; }

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
};

const platform::TapEvent kF15Press{te::kKeyDown, te::kKeyCodeF15};

TEST_F(KeyboardInterceptorTest, FailedTapIsLoggedAndStillCountsAsTrusted) {
  journal->trusted = true;
  journal->canCreate = false;
  interceptor->checkAndRequestPermissions();
  EXPECT_EQ(journal->finish(), (Lines{"prompt", "trusted", "tap", kFailed}));
  EXPECT_TRUE(interceptor->isTrusted());
}

TEST_F(KeyboardInterceptorTest, WithoutPermissionPollsUntilTheGrantThenStartsTheTapAndReports) {
  interceptor->checkAndRequestPermissions();
  EXPECT_FALSE(interceptor->isTrusted());
  journal->trusted = true;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return journal->queries == 2; }, 3s));
  EXPECT_TRUE(interceptor->isTrusted());
  testsupport::runLoopFor(1100ms);  // A steady grant reports nothing more.
  EXPECT_EQ(journal->finish(), (Lines{"prompt", "untrusted", kPrompting, "poll", kGranted, "tap",
                                      kStarted, "trusted", "poll"}));
}

// Trusted at launch, the report comes before the tap starts; the poll goes
// on, and access that goes away and comes back takes the tap with it.
TEST_F(KeyboardInterceptorTest, TrustedAtLaunchStartsTheTapAndLosingAccessDropsItUntilItReturns) {
  journal->trusted = true;
  interceptor->checkAndRequestPermissions();
  journal->trusted = false;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return !interceptor->isTrusted(); }, 2s));
  EXPECT_EQ(journal->lastTap, nullptr);
  journal->trusted = true;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return interceptor->isTrusted(); }, 2s));
  testsupport::drainMainQueue();
  EXPECT_NE(journal->lastTap, nullptr);
  EXPECT_EQ(journal->finish(), (Lines{"prompt", "trusted", "tap", kStarted, "poll", "untrusted",
                                      "poll", kGranted, "tap", kStarted, "trusted"}));
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
  EXPECT_EQ(journal->finish(), (Lines{"tap", kStarted, "up coarse", "down fine"}));
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
  EXPECT_EQ(journal->finish(), (Lines{"tap", kStarted}));
}

}  // namespace
