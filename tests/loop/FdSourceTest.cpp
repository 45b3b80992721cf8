#include <gtest/gtest.h>
#include <unistd.h>

#include "app/loop/FdSource.h"
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
    testsupport::runLoopFor(20ms);
    EXPECT_EQ(calls, 0);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    EXPECT_TRUE(testsupport::runLoopUntil([&] { return calls == 1; }, 2s));
  }
  ASSERT_EQ(write(fds[1], "y", 1), 1);  // The source is gone: nobody reads.
  testsupport::runLoopFor(20ms);
  EXPECT_EQ(calls, 1);
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
