#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "platform/loop/Timer.h"
#include "tests/support/EventLoop.h"

namespace {

using namespace std::chrono_literals;

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
