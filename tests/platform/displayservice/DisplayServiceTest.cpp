#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <tuple>
#include <vector>

#include "platform/DisplayService.h"
#include "tests/platform/displayservice/fakebus/FakeI2cBus.h"

namespace {

using testsupport::FakeI2cBus;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kChipAddress = 0x37;
constexpr std::uint32_t kDataAddress = 0x51;
constexpr unsigned kBus = 5;
constexpr std::uint32_t kService = kBus + 1;

struct Release {
  void operator()(GlimmerboxAVService* service) const { service->release(service); }
};
using ServicePtr = std::unique_ptr<GlimmerboxAVService, Release>;

ServicePtr create(std::uint32_t service) {
  return ServicePtr(IOAVServiceCreateWithService(nullptr, service));
}

std::int32_t writePacket(GlimmerboxAVService* service, Bytes packet,
                         std::uint32_t chipAddress = kChipAddress) {
  return IOAVServiceWriteI2C(service, chipAddress, kDataAddress, packet.data(),
                             static_cast<std::uint32_t>(packet.size()));
}

std::size_t openDescriptorsOfProcess() {
  using std::filesystem::directory_iterator;
  return std::distance(directory_iterator("/proc/self/fd"), directory_iterator());
}

class DisplayService : public ::testing::Test {
 protected:
  void SetUp() override {
    fake().reset();
    fake().addBus(kBus);
  }
  void TearDown() override { fake().reset(); }
  static FakeI2cBus& fake() { return FakeI2cBus::instance(); }
  static FakeI2cBus::Bus& bus() { return fake().buses.at(kBus); }
  static bool anyLockHeld() {
    for (const auto& entry : fake().descriptors) {
      if (entry.second.locked) return true;
    }
    return false;
  }
};

TEST_F(DisplayService, WritesTheDataAddressThenThePacketInOneLockedWriteToTheChip) {
  struct Case {
    Bytes packet;
    bool addressClaimedByADriver;  // then the address is forced
  };
  const std::vector<Case> cases = {
      {{0x84, 0x03, 0x10, 0x00, 0x00, 0xA8}, false},
      {{0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}, false},
      {{0x84, 0x03, 0x10, 0x00, 0x64, 0xCC}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.packet[4]));
    SetUp();
    bus().claimedAddress = c.addressClaimedByADriver ? kChipAddress : -1;
    ServicePtr service = create(kService);
    ASSERT_NE(service, nullptr);
    ASSERT_EQ(writePacket(service.get(), c.packet), 0);
    Bytes expected = {0x51};
    expected.insert(expected.end(), c.packet.begin(), c.packet.end());
    ASSERT_EQ(fake().writes().size(), 1u);
    const testsupport::I2cWrite& sent = fake().writes()[0];
    EXPECT_EQ(std::tie(sent.bus, sent.chipAddress, sent.lockHeld, sent.bytes),
              std::make_tuple(kBus, static_cast<int>(kChipAddress), true, expected));
    EXPECT_FALSE(anyLockHeld());
  }
}

TEST_F(DisplayService, ReportsEveryFailureAsANegativeErrnoAndWaitsBoundedForTheLock) {
  struct Case {
    const char* name;
    FakeI2cBus::Bus faults;
    std::uint32_t chipAddress;
    std::size_t packetSize;
    std::int32_t expected;
    std::size_t writes = 0;
    std::uint64_t leastWaitMicroseconds = 0, mostWaitMicroseconds = 0;
  };
  const Case cases[] = {
      {"monitor does not acknowledge", {.writeError = ENXIO}, kChipAddress, 2, -ENXIO},
      {"only part of the message went out", {.shortWrite = 2}, kChipAddress, 2, -EIO, 1},
      {"addressing fails", {.addressError = EINVAL}, kChipAddress, 2, -EINVAL},
      {"chip address beyond 7 bits", {}, 0x80, 1, -EINVAL},
      {"buffer too long", {}, kChipAddress, 4096, -EINVAL},
      {"lock free after three tries", {.lockRefusals = 3}, kChipAddress, 2, 0, 1, 3000, 3000},
      {"lock held for good", {.lockRefusals = -1}, kChipAddress, 2, -EWOULDBLOCK, 0, 15000, 25000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    bus() = c.faults;
    ServicePtr service = create(kService);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(writePacket(service.get(), Bytes(c.packetSize, 0x84), c.chipAddress), c.expected);
    EXPECT_EQ(fake().writes().size(), c.writes);
    EXPECT_FALSE(anyLockHeld());
    EXPECT_GE(fake().microsecondsSlept, c.leastWaitMicroseconds);
    EXPECT_LE(fake().microsecondsSlept, c.mostWaitMicroseconds);
  }
  EXPECT_EQ(writePacket(nullptr, {0x84}), -EINVAL);
}

TEST_F(DisplayService, OpensTheBusCloseOnExecAndNothingForAMissingBusOrIdZero) {
  EXPECT_EQ(create(0), nullptr);
  EXPECT_EQ(create(kService + 1), nullptr);
  ServicePtr present = create(kService);
  ASSERT_NE(present, nullptr);
  EXPECT_EQ(fake().lastOpenFlags & (O_ACCMODE | O_CLOEXEC), O_RDWR | O_CLOEXEC);
  fake().removeBus(kBus);  // Unplugged between enumeration and open.
  EXPECT_EQ(create(kService), nullptr);
  EXPECT_EQ(fake().openDescriptors(), 1u);
  fake().useCLibrary = true;  // As in the program, where no such bus exists.
  EXPECT_EQ(create(40001), nullptr);
}

TEST_F(DisplayService, LeavesNoDescriptorOpenAfterManyCycles) {
  constexpr int kCycles = 10000;
  bus().writeError = EIO;  // Failed writes must not leak either.
  const std::size_t before = openDescriptorsOfProcess();
  for (int i = 0; i < kCycles; ++i) {
    if (i == kCycles / 2) bus().writeError = 0;
    GlimmerboxAVService* service = IOAVServiceCreateWithService(nullptr, kService);
    ASSERT_NE(service, nullptr);
    writePacket(service, {0x84, 0x03, 0x10, 0x00, 0x32, 0x9A});
    service->release(service);
  }
  EXPECT_EQ(fake().openDescriptors(), 0u);
  EXPECT_EQ(openDescriptorsOfProcess(), before);
  EXPECT_EQ(fake().writes().size(), static_cast<std::size_t>(kCycles / 2));
}

}  // namespace
