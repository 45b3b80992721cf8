#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>
#include <vector>

#include "platform/ddc/DisplayService.h"
#include "tests/platform/displayservice/fakebus/FakeI2cBus.h"

// Refusals, unplugging and the lock are checked against the kernel
// (tests/vm/ddc); these are the faults a kernel bus cannot be made to show.
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kChipAddress = 0x37;
constexpr unsigned kBus = 5;
constexpr std::uint32_t kService = kBus + 1;

struct Release {
  void operator()(GlimmerboxAVService* service) const { service->release(service); }
};
using ServicePtr = std::unique_ptr<GlimmerboxAVService, Release>;

// A fresh bus `kBus` with the given faults, and its service.
ServicePtr serviceOnBus(testsupport::FakeI2cBus::Bus faults = {}) {
  testsupport::FakeI2cBus::instance().reset();
  testsupport::FakeI2cBus::instance().buses[kBus] = faults;
  return ServicePtr(IOAVServiceCreateWithService(nullptr, kService));
}

std::int32_t writePacket(GlimmerboxAVService* service, Bytes packet) {
  return IOAVServiceWriteI2C(service, kChipAddress, 0x51, packet.data(),
                             static_cast<std::uint32_t>(packet.size()));
}

// The bus is opened close-on-exec: children of the program never hold it.
TEST(DisplayService, ForcesTheAddressAKernelDriverClaimed) {
  const testsupport::FakeI2cBus& fake = testsupport::FakeI2cBus::instance();
  ServicePtr service = serviceOnBus({.claimedAddress = kChipAddress});
  ASSERT_NE(service, nullptr);
  EXPECT_EQ(IOAVServiceCreateWithService(nullptr, kService + 1), nullptr) << "no such bus";
  EXPECT_EQ(fake.lastOpenFlags & (O_ACCMODE | O_CLOEXEC), O_RDWR | O_CLOEXEC);
  ASSERT_EQ(writePacket(service.get(), {0x84, 0x03, 0x10, 0x00, 0x64, 0xCC}), 0);
  EXPECT_EQ(fake.writes, (std::vector<testsupport::FakeI2cBus::Write>{
                             {kBus, kChipAddress, {0x51, 0x84, 0x03, 0x10, 0x00, 0x64, 0xCC}}}));
}

TEST(DisplayService, ReportsEveryFailureAsANegativeErrnoAndLeaksNoDescriptor) {
  const std::tuple<const char*, testsupport::FakeI2cBus::Bus, std::size_t, std::int32_t> cases[] = {
      {"only part of the message went out", {.shortWrite = 2}, 2, -EIO},
      {"addressing fails", {.addressError = EINVAL}, 2, -EINVAL},
      {"buffer too long", {}, 4096, -EINVAL},
  };
  for (const auto& [name, faults, packetSize, expected] : cases) {
    ServicePtr service = serviceOnBus(faults);
    ASSERT_NE(service, nullptr) << name;
    EXPECT_EQ(writePacket(service.get(), Bytes(packetSize, 0x84)), expected) << name;
    service.reset();
    EXPECT_TRUE(testsupport::FakeI2cBus::instance().descriptors.empty()) << name;
  }
  EXPECT_EQ(writePacket(nullptr, {0x84}), -EINVAL);
  std::uint8_t reply[11];
  EXPECT_EQ(IOAVServiceReadI2C(serviceOnBus().get(), kChipAddress, 1, reply, 11), -EINVAL)
      << "a read takes no offset";
  EXPECT_EQ(IOAVServiceReadI2C(nullptr, kChipAddress, 0, reply, 11), -EINVAL);
  testsupport::FakeI2cBus::instance().reset();
}

}  // namespace
