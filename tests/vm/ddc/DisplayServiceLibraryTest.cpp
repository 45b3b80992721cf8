#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/DisplayService.h"
#include "tests/vm/support/FakeMonitor.h"

// The display-service library as the program loads it, writing to the fake
// monitors of a real kernel through /dev/i2c-N.
namespace {

constexpr std::uint32_t kDdcChipAddress = 0x37;
constexpr std::uint32_t kHostDataAddress = 0x51;

// Level 50 as a Set VCP Feature packet, and as the monitor records it.
const std::vector<std::uint8_t> kPacket = {0x84, 0x03, 0x10, 0x00, 0x32, 0x9A};
const std::string kOnTheWire = "51 84 03 10 00 32 9a";

// Open descriptors of this process that lead to `device`.
int descriptorsOpenOn(const std::string& device) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (std::filesystem::read_symlink(entry.path(), error) == device) {
      ++count;
    }
  }
  return count;
}

// Another DDC/CI program's hold on a bus: an exclusive flock on its own open
// file description, as every such program takes it.
class ForeignBusLock {
 public:
  explicit ForeignBusLock(const std::string& device)
      : fd_(open(device.c_str(), O_RDWR | O_CLOEXEC)) {
    EXPECT_GE(fd_, 0);
    EXPECT_EQ(flock(fd_, LOCK_EX), 0);
  }
  ~ForeignBusLock() { close(fd_); }
  void release() { flock(fd_, LOCK_UN); }

 private:
  int fd_;
};

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
    ASSERT_NE(create, nullptr);
    ASSERT_NE(write, nullptr);
  }

  std::int32_t send(IOAVServiceRef service, std::vector<std::uint8_t> packet) {
    return write(service, kDdcChipAddress, kHostDataAddress, packet.data(),
                 static_cast<std::uint32_t>(packet.size()));
  }

  // Opens, writes once and releases, as one turn of the transport does.
  std::int32_t sendOnce(const vmtest::FakeMonitor& monitor, std::vector<std::uint8_t> packet) {
    IOAVServiceRef service = create(nullptr, monitor.serviceId());
    if (service == nullptr) {
      ADD_FAILURE() << "no service object for " << monitor.devicePath();
      return -1;
    }
    std::int32_t status = send(service, std::move(packet));
    service->release(service);
    return status;
  }

  std::vector<vmtest::FakeMonitor> monitors;
  IOAVServiceCreateWithServiceFunction create = nullptr;
  IOAVServiceWriteI2CFunction write = nullptr;
};

TEST_F(DisplayServiceLibrary, RefusedWriteReportsFailureAndTheNextOneLands) {
  monitors[0].refuseNext(1);
  IOAVServiceRef service = create(nullptr, monitors[0].serviceId());
  ASSERT_NE(service, nullptr);
  EXPECT_NE(send(service, kPacket), 0);
  EXPECT_EQ(send(service, kPacket), 0);
  service->release(service);
  EXPECT_EQ(monitors[0].writes(), (std::vector<std::string>{kOnTheWire + " refused", kOnTheWire}));
  EXPECT_TRUE(monitors[1].writes().empty());
}

TEST_F(DisplayServiceLibrary, ReleaseClosesTheBus) {
  IOAVServiceRef service = create(nullptr, monitors[0].serviceId());
  ASSERT_NE(service, nullptr);
  EXPECT_EQ(descriptorsOpenOn(monitors[0].devicePath()), 1);
  service->release(service);
  EXPECT_EQ(descriptorsOpenOn(monitors[0].devicePath()), 0);
}

TEST_F(DisplayServiceLibrary, WritesWhileAKernelDriverHoldsTheAddress) {
  monitors[0].claimAddressByDriver();
  std::int32_t status = sendOnce(monitors[0], kPacket);
  monitors[0].releaseAddressFromDriver();
  EXPECT_EQ(status, 0);
  EXPECT_EQ(monitors[0].writes(), std::vector<std::string>{kOnTheWire});
}

TEST_F(DisplayServiceLibrary, GivesUpAfterABoundedWaitWhileAnotherProgramHoldsTheBus) {
  // Far above the library's wait, far below what would stall the desktop.
  constexpr auto kStallLimit = std::chrono::seconds(1);
  ForeignBusLock foreign(monitors[0].devicePath());
  auto start = std::chrono::steady_clock::now();
  EXPECT_NE(sendOnce(monitors[0], kPacket), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, kStallLimit);
  EXPECT_TRUE(monitors[0].writes().empty());
  EXPECT_EQ(sendOnce(monitors[1], kPacket), 0) << "other buses are not held";
}

TEST_F(DisplayServiceLibrary, WaitsForAShortForeignTransactionToFinish) {
  // One DDC/CI transaction of another program: a few milliseconds.
  constexpr auto kTransaction = std::chrono::milliseconds(2);
  ForeignBusLock foreign(monitors[0].devicePath());
  std::thread holder([&] {
    std::this_thread::sleep_for(kTransaction);
    foreign.release();
  });
  std::int32_t status = sendOnce(monitors[0], kPacket);
  holder.join();
  EXPECT_EQ(status, 0);
  EXPECT_EQ(monitors[0].writes(), std::vector<std::string>{kOnTheWire});
}

}  // namespace
