#include <gtest/gtest.h>

#include <thread>

#include "keys/KeyboardInterceptor.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeKeyboardServices.h"

namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

// The key service and the delegate in one, journaling in order the
// subscriptions asked for, the connection queries (prompting or polling) and
// the reports received.
struct Journal : testsupport::FakeKeyReportSource, KeyboardInterceptorDelegate {
  std::unique_ptr<Subscription> subscribe(Callback callback) override {
    lines.push_back("subscribe");
    return FakeKeyReportSource::subscribe(std::move(callback));
  }
  bool isConnected(bool prompt) override {
    lines.push_back(prompt ? "prompt" : "poll");
    return FakeKeyReportSource::isConnected(prompt);
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

class KeyboardInterceptorTest : public testing::Test {
 protected:
  KeyboardInterceptorTest() { interceptor->delegate = journal; }

  // Feeds a report as the reader's thread would.
  void feedFromReaderThread(platform::KeyReport report) {
    std::thread([&] { journal->lastCallback(report); }).join();
  }

  std::shared_ptr<Journal> journal = std::make_shared<Journal>();
  std::shared_ptr<KeyboardInterceptor> interceptor =
      std::make_shared<KeyboardInterceptor>(KeyboardInterceptor::Services{
          journal, std::make_shared<testsupport::FakeUrlOpener>(), "file:///help.html"});
};

// Unconnected at launch, it prompts and polls until served; a steady
// connection reports nothing more. Losing it ends the subscription; when it
// comes back, a subscription that cannot be made still leaves it trusted.
TEST_F(KeyboardInterceptorTest, FollowsTheConnectionToTheKeyServiceBothWays) {
  interceptor->checkAndRequestPermissions();
  EXPECT_FALSE(interceptor->isTrusted());
  journal->connected = true;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return journal->queries == 3; }, 4s));
  EXPECT_NE(journal->subscription, nullptr);
  journal->connected = false;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return !interceptor->isTrusted(); }, 2s));
  EXPECT_EQ(journal->subscription, nullptr);
  journal->connected = true;
  journal->canSubscribe = false;
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return interceptor->isTrusted(); }, 2s));
  testsupport::drainMainQueue();
  EXPECT_EQ(journal->lines, (Lines{"prompt", "untrusted", "poll", "subscribe", "trusted", "poll",
                                   "poll", "untrusted", "poll", "subscribe", "trusted"}));
}

// Reports reach the delegate on the main thread, in order, as they came;
// none reaches a delegate after the interceptor is gone.
TEST_F(KeyboardInterceptorTest, ReportsReachTheDelegateOnTheMainThreadInOrder) {
  interceptor->startEventTap();
  interceptor->startEventTap();
  feedFromReaderThread({true, false});
  feedFromReaderThread({false, true});
  testsupport::drainMainQueue();
  interceptor->stopEventTap();
  EXPECT_EQ(journal->subscription, nullptr);
  feedFromReaderThread({true, true});
  interceptor.reset();  // Before the report posted for the press runs.
  testsupport::drainMainQueue();
  EXPECT_EQ(journal->lines, (Lines{"subscribe", "up coarse", "down fine"}));
}

}  // namespace
