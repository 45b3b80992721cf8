#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "platform/loop/Timer.h"
#include "tests/support/EventLoop.h"

namespace {

using namespace std::chrono_literals;

// A one-shot timer ends by itself; a repeating one when its block
// invalidates it. Either way the loop lets go after the last firing.
TEST(Timer, FiresAfterItsIntervalUntilItEndsAndIsKeptAliveByTheLoopUntilThen) {
  for (const auto& [repeats, firingsWanted] : {std::pair{false, 1}, {true, 3}}) {
    int firings = 0;
    QElapsedTimer clock;
    clock.start();
    qint64 firstAfter = -1;
    std::weak_ptr<loop::Timer> weak = loop::Timer::scheduled(20ms, repeats, [&](loop::Timer& t) {
      if (++firings == 1) firstAfter = clock.elapsed();
      if (repeats && firings == firingsWanted) t.invalidate();
      EXPECT_EQ(t.isValid(), firings < firingsWanted);
    });
    ASSERT_TRUE(testsupport::runLoopUntil([&] { return firings >= firingsWanted; }, 2s));
    testsupport::runLoopFor(60ms);
    EXPECT_EQ(firings, firingsWanted) << repeats;
    EXPECT_GE(firstAfter, 20);
    EXPECT_TRUE(weak.expired());
  }
}

}  // namespace
