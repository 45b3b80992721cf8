#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/ddc/DisplayService.h"
#include "tests/vm/support/FakeMonitor.h"

// The display-service library as the program loads it, writing to the fake
// monitors of a real kernel through /dev/i2c-N. What a fake bus can show
// (a driver holding the address, closing on release) is in
// tests/platform/displayservice.
namespace {

class DisplayServiceLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    monitors = vmtest::FakeMonitor::all();
    ASSERT_EQ(monitors.size(), 2u);
    void* library = dlopen(GLIMMERBOX_DISPLAY_SERVICE_LIBRARY, RTLD_LAZY);
    ASSERT_NE(library, nullptr) << dlerror();
    create = reinterpret_cast<IOAVServiceCreateWithServiceFunction>(
        dlsym(library, "IOAVServiceCreateWithService"));
    write = reinterpret_cast<IOAVServiceWriteI2CFunction>(dlsym(library, "IOAVServiceWriteI2C"));
    ASSERT_TRUE(create && write);
  }

  // Opens, writes level 50 to the DDC/CI address once and releases, as one
  // turn of the transport does.
  std::int32_t sendOnce(const vmtest::FakeMonitor& monitor) {
    IOAVServiceRef service = create(nullptr, monitor.serviceId());
    if (service == nullptr) return -1;
    std::uint8_t packet[] = {0x84, 0x03, 0x10, 0x00, 0x32, 0x9A};
    const std::int32_t status = write(service, 0x37, 0x51, packet, sizeof packet);
    service->release(service);
    return status;
  }

  const std::string kOnTheWire = vmtest::FakeMonitor::packetOf(50);
  std::vector<vmtest::FakeMonitor> monitors;
  IOAVServiceCreateWithServiceFunction create = nullptr;
  IOAVServiceWriteI2CFunction write = nullptr;
};

TEST_F(DisplayServiceLibrary, RefusedWriteReportsFailureAndTheNextOneLands) {
  vmtest::FakeMonitor::setBusyWindow(std::chrono::milliseconds(500));
  EXPECT_EQ(sendOnce(monitors[0]), 0);
  EXPECT_NE(sendOnce(monitors[0]), 0);
  monitors[0].clearWrites();
  EXPECT_EQ(sendOnce(monitors[0]), 0);
  EXPECT_EQ(monitors[0].writes(), std::vector<std::string>{kOnTheWire});
  EXPECT_TRUE(monitors[1].writes().empty());
}

// Another DDC/CI program holds a bus by an exclusive flock on its own open
// file description, as every such program takes it.
TEST_F(DisplayServiceLibrary, WaitsBrieflyForAnotherProgramsHoldOnTheBus) {
  const int foreign = open(monitors[0].devicePath().c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_EQ(flock(foreign, LOCK_EX), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NE(sendOnce(monitors[0]), 0) << "the bus is held for good";
  // Far above the library's wait, far below what would stall the desktop.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_TRUE(monitors[0].writes().empty());
  EXPECT_EQ(sendOnce(monitors[1]), 0) << "other buses are not held";

  // One DDC/CI transaction of another program: a few milliseconds.
  std::thread holder([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    flock(foreign, LOCK_UN);
  });
  const std::int32_t status = sendOnce(monitors[0]);
  holder.join();
  close(foreign);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(monitors[0].writes(), std::vector<std::string>{kOnTheWire});
}

}  // namespace
