#include <gtest/gtest.h>

#include <cstdio>
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
class Journal : public testsupport::FakeInputTapService,
                public testsupport::FakeInputAccessQuery,
                public KeyboardInterceptorDelegate {
 public:
  Journal() { testing::internal::CaptureStdout(); }
  ~Journal() override {
    if (capturing_) {  // Ended early: pass on what was written since, such as the failure.
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
    EXPECT_EQ(std::this_thread::get_id(), mainThread_);
    add(std::string(isUp ? "up" : "down") + (isFineGrained ? " fine" : " coarse"));
  }
  void didUpdatePermissionStatus(bool isTrusted) override {
    add(isTrusted ? "trusted" : "untrusted");
  }
  // Stops reading the output (log lines, and failures reported meanwhile)
  // into the journal, and returns the journal.
  Lines finish() {
    readLog(false);
    return lines_;
  }

 private:
  void add(std::string entry) {
    readLog(true);
    lines_.push_back(std::move(entry));
  }
  void readLog(bool goOn) {
    if (!capturing_) {
      return;
    }
    std::istringstream log(testing::internal::GetCapturedStdout());
    for (std::string line; std::getline(log, line);) {
      lines_.push_back(line);
    }
    if ((capturing_ = goOn)) {
      testing::internal::CaptureStdout();
    }
  }
  bool capturing_ = true;
  Lines lines_;
  std::thread::id mainThread_ = std::this_thread::get_id();
};

class KeyboardInterceptorTest : public testing::Test {
 protected:
  KeyboardInterceptorTest() {
    fakes.tap = journal;
    fakes.access = journal;
    interceptor = fakes.makeInterceptor();
    interceptor->delegate = journal;
  }

  // Feeds an event as the tap's input thread would.
  TapVerdict feedFromInputThread(const platform::TapEvent& event) {
    TapVerdict verdict = TapVerdict::Pass;
    std::thread([&] { verdict = journal->lastCallback(event); }).join();
    return verdict;
  }

  std::shared_ptr<Journal> journal = std::make_shared<Journal>();
  testsupport::FakeKeyboardServices fakes;
  std::shared_ptr<KeyboardInterceptor> interceptor;
};

const platform::TapEvent kF15Press{te::kKeyDown, te::kKeyCodeF15};

TEST_F(KeyboardInterceptorTest, TrustedAtLaunchReportsBeforeStartingTheTapAndKeepsWatching) {
  fakes.access->trusted = true;
  interceptor->checkAndRequestPermissions();
  testsupport::runLoopFor(1100ms);
  EXPECT_EQ(journal->finish(), (Lines{"prompt", "trusted", "tap", kStarted, "poll"}));
  EXPECT_TRUE(interceptor->isTrusted());
}

TEST_F(KeyboardInterceptorTest, FailedTapIsLoggedAndStillCountsAsTrusted) {
  fakes.access->trusted = true;
  journal->canCreate = false;
  interceptor->checkAndRequestPermissions();
  EXPECT_EQ(journal->finish(), (Lines{"prompt", "trusted", "tap", kFailed}));
  EXPECT_TRUE(interceptor->isTrusted());
}

TEST_F(KeyboardInterceptorTest, WithoutPermissionPollsUntilTheGrantThenStartsTheTapAndReports) {
  interceptor->checkAndRequestPermissions();
  EXPECT_FALSE(interceptor->isTrusted());
  fakes.access->trusted = true;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return journal->queries == 2; }, 3s));
  EXPECT_TRUE(interceptor->isTrusted());
  testsupport::runLoopFor(1100ms);  // A steady grant reports nothing more.
  EXPECT_EQ(journal->finish(), (Lines{"prompt", "untrusted", kPrompting, "poll", kGranted, "tap",
                                      kStarted, "trusted", "poll"}));
}

TEST_F(KeyboardInterceptorTest, LostAccessDropsTheTapShowsUntrustedAndComesBack) {
  fakes.access->trusted = true;
  interceptor->checkAndRequestPermissions();
  fakes.access->trusted = false;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return !interceptor->isTrusted(); }, 2s));
  EXPECT_EQ(journal->lastTap, nullptr);
  fakes.access->trusted = true;
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

TEST_F(KeyboardInterceptorTest, KeysAreDeletedWithoutADelegateAndPassOnceTheInterceptorIsGone) {
  interceptor->startEventTap();
  interceptor->delegate.reset();
  EXPECT_EQ(feedFromInputThread(kF15Press), TapVerdict::Delete);
  testsupport::drainMainQueue();
  interceptor->delegate = journal;
  EXPECT_EQ(feedFromInputThread(kF15Press), TapVerdict::Delete);
  interceptor.reset();  // Before the report posted for that key runs.
  testsupport::drainMainQueue();
  EXPECT_EQ(feedFromInputThread(kF15Press), TapVerdict::Pass);
  EXPECT_EQ(journal->finish(), (Lines{"tap", kStarted}));
}

TEST_F(KeyboardInterceptorTest, SwitchedOffTapIsSwitchedOnAgainOnlyWhileItExists) {
  interceptor->startEventTap();
  journal->lastTap->enabled = false;
  EXPECT_EQ(feedFromInputThread({te::kTapDisabledByTimeout}), TapVerdict::Pass);
  EXPECT_TRUE(journal->lastTap->enabled);
  interceptor->stopEventTap();
  EXPECT_EQ(feedFromInputThread({te::kTapDisabledByUserInput}), TapVerdict::Pass);
  EXPECT_EQ(journal->finish(), (Lines{"tap", kStarted}));
}

}  // namespace
