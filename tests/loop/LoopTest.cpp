#include <gtest/gtest.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <thread>
#include <vector>

#include "app/loop/FdSource.h"
#include "app/loop/MainQueue.h"
#include "app/loop/Timer.h"
#include "tests/support/EventLoop.h"

namespace {

using namespace std::chrono_literals;

TEST(FdSource, CallsBackOnTheMainLoopWhenTheDescriptorIsReadable) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  int calls = 0;
  {
    loop::FdSource source(fds[0], [&] {
      char byte;
      ASSERT_EQ(read(fds[0], &byte, 1), 1);
      ++calls;
    });
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    EXPECT_TRUE(testsupport::runLoopUntil([&] { return calls == 1; }, 2s));
  }
  ASSERT_EQ(write(fds[1], "y", 1), 1);  // The source is gone: nobody reads.
  testsupport::runLoopFor(20ms);
  EXPECT_EQ(calls, 1);
  close(fds[0]);
  close(fds[1]);
}

// Work posted from work, and from another thread, runs later, on the main
// thread, in posting order.
TEST(MainQueue, RunsUnitsLaterInPostingOrderOnTheMainThread) {
  const std::thread::id mainThread = std::this_thread::get_id();
  std::vector<int> order;
  loop::postToMain([&order] {
    order.push_back(1);
    loop::postToMain([&order] { order.push_back(3); });
  });
  loop::postToMain([&order] { order.push_back(2); });
  EXPECT_TRUE(order.empty());
  std::thread poster([&] {
    for (int i = 4; i < 100; ++i) {
      loop::postToMain([&, i] {
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        order.push_back(i);
      });
    }
  });
  poster.join();
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return order.size() == 99; }, 5s));
  std::vector<int> expected{1, 2};
  for (int i = 4; i < 100; ++i) expected.push_back(i);
  expected.push_back(3);
  EXPECT_EQ(order, expected);
}

TEST(Timer, OneShotFiresOnceAfterItsIntervalAndIsKeptAliveByTheLoop) {
  int firings = 0;
  QElapsedTimer clock;
  clock.start();
  qint64 firedAfter = -1;
  std::weak_ptr<loop::Timer> weak = loop::Timer::scheduled(40ms, false, [&](loop::Timer& t) {
    ++firings;
    firedAfter = clock.elapsed();
    EXPECT_FALSE(t.isValid());
  });
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return firings > 0; }, 2s));
  testsupport::runLoopFor(60ms);
  EXPECT_EQ(firings, 1);
  EXPECT_GE(firedAfter, 40);
  EXPECT_TRUE(weak.expired());  // The loop let go after the last firing.
}

TEST(Timer, RepeatingTimerFiresUntilTheBlockInvalidatesTheTimerItIsGiven) {
  int firings = 0;
  loop::Timer::scheduled(10ms, true, [&](loop::Timer& t) {
    if (++firings == 3) t.invalidate();
  });
  ASSERT_TRUE(testsupport::runLoopUntil([&] { return firings >= 3; }, 2s));
  testsupport::runLoopFor(60ms);
  EXPECT_EQ(firings, 3);
}

}  // namespace
