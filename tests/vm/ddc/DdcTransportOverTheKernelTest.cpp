#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "display/DdcTransport.h"
#include "platform/loop/SteadyClock.h"
#include "platform/loop/UsleepSleeper.h"
#include "tests/support/FakeDisplayServices.h"
#include "tests/vm/support/FakeMonitor.h"

// DdcTransport asking the fake monitors for their luminance through the
// kernel. The monitors refuse whatever comes within 50 ms of the last message
// they took, and have a reply ready 40 ms after its request.
namespace {

TEST(DdcTransportOverTheKernel, ReadsEachMonitorsLuminanceRoundAfterRoundWithoutARefusal) {
  const std::vector<vmtest::FakeMonitor> monitors = vmtest::FakeMonitor::all();
  ASSERT_EQ(monitors.size(), 2u);
  monitors[0].setLevel(30);
  monitors[1].setLevel(40);
  monitors[1].setMaximum(50);
  vmtest::FakeMonitor::setBusyWindow(std::chrono::milliseconds(50));
  DdcTransport transport(
      GLIMMERBOX_DISPLAY_SERVICE_LIBRARY, std::make_shared<testsupport::FakeDdcBuses>(),
      std::make_shared<platform::UsleepSleeper>(), std::make_shared<platform::SteadyClock>());
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(transport.readLuminance(monitors[0].bus()), (Luminance{30, 100})) << round;
    EXPECT_EQ(transport.readLuminance(monitors[1].bus()), (Luminance{40, 50})) << round;
  }
  EXPECT_EQ(monitors[1].writes(), std::vector<std::string>(2, "51 82 01 10 ac"));
}

}  // namespace
