#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
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

std::int32_t writePacket(GlimmerboxAVService* service, Bytes packet) {
  return IOAVServiceWriteI2C(service, kChipAddress, kDataAddress, packet.data(),
                             static_cast<std::uint32_t>(packet.size()));
}

std::size_t openDescriptorsOfProcess() {
  return static_cast<std::size_t>(std::distance(
      std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator()));
}

class DisplayService : public ::testing::Test {
 protected:
  void SetUp() override {
    bus().reset();
    bus().addBus(kBus);
  }
  void TearDown() override { bus().reset(); }
  static FakeI2cBus& bus() { return FakeI2cBus::instance(); }
};

TEST_F(DisplayService, WritesTheDataAddressThenTheBufferInOneLockedWriteToTheChip) {
  struct Case {
    Bytes packet;
  };
  const std::vector<Case> cases = {
      {{0x84, 0x03, 0x10, 0x00, 0x00, 0xA8}},
      {{0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}},
      {{0x84, 0x03, 0x10, 0x00, 0x64, 0xCC}},
  };
  ServicePtr service = create(kService);
  ASSERT_NE(service, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.packet[4]));
    const std::size_t before = bus().writes().size();
    ASSERT_EQ(writePacket(service.get(), c.packet), 0);
    ASSERT_EQ(bus().writes().size(), before + 1);
    const testsupport::I2cWrite& sent = bus().writes().back();
    Bytes expected = {0x51};
    expected.insert(expected.end(), c.packet.begin(), c.packet.end());
    EXPECT_EQ(sent.bytes, expected);
    EXPECT_EQ(sent.bus, kBus);
    EXPECT_EQ(sent.chipAddress, 0x37);
    EXPECT_TRUE(sent.lockHeld);
    EXPECT_FALSE(bus().anyLockHeld());
  }
}

TEST_F(DisplayService, ForcesTheAddressWhenAKernelDriverClaimsIt) {
  bus().claimAddress(kBus, 0x37);
  ServicePtr service = create(kService);
  ASSERT_EQ(writePacket(service.get(), {0x84, 0x03, 0x10, 0x00, 0x46, 0xEE}), 0);
  ASSERT_EQ(bus().writes().size(), 1u);
  EXPECT_EQ(bus().writes()[0].chipAddress, 0x37);
}

TEST_F(DisplayService, ReportsEveryFailureAsANegativeErrnoAndReleasesTheLock) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::function<std::int32_t(GlimmerboxAVService*)> write;
    std::int32_t expected;
  };
  const auto packet = [](GlimmerboxAVService* s) { return writePacket(s, {0x84, 0x03}); };
  const std::vector<Case> cases = {
      {"monitor does not acknowledge", [] { bus().refuseWrites(kBus, ENXIO); }, packet, -ENXIO},
      {"only part of the message went out", [] { bus().shortenWrites(kBus, 2); }, packet, -EIO},
      {"addressing fails", [] { bus().failAddressing(kBus, EINVAL); }, packet, -EINVAL},
      {"chip address beyond 7 bits", [] {},
       [](GlimmerboxAVService* s) {
         std::uint8_t byte = 0;
         return IOAVServiceWriteI2C(s, 0x80, kDataAddress, &byte, 1);
       },
       -EINVAL},
      {"buffer too long", [] {},
       [](GlimmerboxAVService* s) {
         std::vector<std::uint8_t> large(4096);
         return IOAVServiceWriteI2C(s, kChipAddress, kDataAddress, large.data(), 4096);
       },
       -EINVAL},
      {"no service object", [] {},
       [](GlimmerboxAVService*) { return writePacket(nullptr, {0x84}); }, -EINVAL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.arrange();
    ServicePtr service = create(kService);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(c.write(service.get()), c.expected);
    EXPECT_FALSE(bus().anyLockHeld());
  }
}

TEST_F(DisplayService, WaitsABoundedTimeForALockHeldElsewhere) {
  struct Case {
    int refusals;
    std::int32_t expected;
    std::uint64_t leastWaitMicroseconds;
    std::uint64_t mostWaitMicroseconds;
  };
  const std::vector<Case> cases = {
      {3, 0, 3000, 3000},
      {-1, -EWOULDBLOCK, 15000, 25000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refusals);
    SetUp();
    bus().holdLockElsewhere(kBus, c.refusals);
    ServicePtr service = create(kService);
    EXPECT_EQ(writePacket(service.get(), {0x84, 0x03}), c.expected);
    EXPECT_EQ(bus().writes().size(), c.expected == 0 ? 1u : 0u);
    EXPECT_GE(bus().microsecondsSlept(), c.leastWaitMicroseconds);
    EXPECT_LE(bus().microsecondsSlept(), c.mostWaitMicroseconds);
  }
}

TEST_F(DisplayService, OpensTheBusCloseOnExecAndNothingForAMissingBusOrIdZero) {
  EXPECT_EQ(create(0), nullptr);
  EXPECT_EQ(create(kService + 1), nullptr);
  ServicePtr present = create(kService);
  ASSERT_NE(present, nullptr);
  EXPECT_EQ(bus().lastOpenFlags() & O_ACCMODE, O_RDWR);
  EXPECT_NE(bus().lastOpenFlags() & O_CLOEXEC, 0);
  bus().removeBus(kBus);  // Unplugged between enumeration and open.
  EXPECT_EQ(create(kService), nullptr);
  EXPECT_EQ(bus().openDescriptors(), 1u);
  bus().useCLibrary(true);  // As in the program, where no such bus exists.
  constexpr std::uint32_t kNoSuchBus = 40000;
  EXPECT_EQ(create(kNoSuchBus + 1), nullptr);
}

TEST_F(DisplayService, LeavesNoDescriptorOpenAfterManyCycles) {
  constexpr int kCycles = 10000;
  bus().refuseWrites(kBus, EIO);  // Failed writes must not leak either.
  const std::size_t before = openDescriptorsOfProcess();
  for (int i = 0; i < kCycles; ++i) {
    if (i == kCycles / 2) {
      bus().refuseWrites(kBus, 0);
    }
    GlimmerboxAVService* service = IOAVServiceCreateWithService(nullptr, kService);
    ASSERT_NE(service, nullptr);
    std::uint8_t packet[] = {0x84, 0x03, 0x10, 0x00, 0x32, 0x9A};
    IOAVServiceWriteI2C(service, kChipAddress, kDataAddress, packet, sizeof packet);
    service->release(service);
  }
  EXPECT_EQ(bus().openDescriptors(), 0u);
  EXPECT_EQ(openDescriptorsOfProcess(), before);
  EXPECT_EQ(bus().writes().size(), static_cast<std::size_t>(kCycles / 2));
}

}  // namespace
