#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "app/loop/MainQueue.h"
#include "tests/support/EventLoop.h"

namespace {

TEST(MainQueue, RunsUnitsLaterInPostingOrderAlsoWhenPostedFromWork) {
  std::vector<int> order;
  loop::postToMain([&order] {
    order.push_back(1);
    loop::postToMain([&order] { order.push_back(3); });
  });
  loop::postToMain([&order] { order.push_back(2); });
  EXPECT_TRUE(order.empty());
  testsupport::drainMainQueue();
  testsupport::drainMainQueue();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(MainQueue, WorkPostedFromAnotherThreadRunsOnTheMainThreadInOrder) {
  const std::thread::id mainThread = std::this_thread::get_id();
  std::vector<int> order;
  bool allOnMain = true;
  std::thread poster([&] {
    for (int i = 0; i < 100; ++i) {
      loop::postToMain([&, i] {
        allOnMain = allOnMain && std::this_thread::get_id() == mainThread;
        order.push_back(i);
      });
    }
  });
  poster.join();
  ASSERT_TRUE(
      testsupport::runLoopUntil([&] { return order.size() == 100; }, std::chrono::seconds(5)));
  EXPECT_TRUE(allOnMain);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
}

}  // namespace
