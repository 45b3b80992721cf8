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

// DdcTransport asking a fake monitor for its luminance through the kernel and
// the display-service library, with a real monitor's timing: it refuses
// whatever comes within 50 ms of the last message it took, and has a reply
// ready 40 ms after its request.
namespace {

TEST(DdcTransportOverTheKernel, ReadsTheLuminanceTwiceWithoutARefusal) {
  const vmtest::FakeMonitor monitor = vmtest::FakeMonitor::all().at(1);
  monitor.setLevel(40);
  monitor.setMaximum(50);
  vmtest::FakeMonitor::setBusyWindow(std::chrono::milliseconds(50));
  DdcTransport transport(
      GLIMMERBOX_DISPLAY_SERVICE_LIBRARY, std::make_shared<testsupport::FakeDdcBuses>(),
      std::make_shared<platform::UsleepSleeper>(), std::make_shared<platform::SteadyClock>());
  EXPECT_EQ(transport.readLuminance(monitor.bus()), (Luminance{40, 50}));
  EXPECT_EQ(transport.readLuminance(monitor.bus()), (Luminance{40, 50}));
  EXPECT_EQ(monitor.writes(), std::vector<std::string>(2, "51 82 01 10 ac"));
}

}  // namespace
