#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>
#include <vector>

#include "platform/ddc/DisplayService.h"
#include "tests/platform/displayservice/fakebus/FakeI2cBus.h"

// Refusals, unplugging and the lock's waits are checked against the kernel
// (tests/vm/ddc); these are the faults a kernel bus cannot be made to show.
namespace {

using testsupport::FakeI2cBus;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kChipAddress = 0x37;
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
  return IOAVServiceWriteI2C(service, kChipAddress, 0x51, packet.data(),
                             static_cast<std::uint32_t>(packet.size()));
}

class DisplayService : public ::testing::Test {
 protected:
  void SetUp() override {
    fake().reset();
    fake().addBus(kBus);
  }
  void TearDown() override { fake().reset(); }
  static FakeI2cBus& fake() { return FakeI2cBus::instance(); }
};

// The bus is opened close-on-exec: children of the program never hold it.
TEST_F(DisplayService, ForcesTheAddressAKernelDriverClaimedAndWritesUnderTheLock) {
  fake().buses.at(kBus).claimedAddress = kChipAddress;
  EXPECT_EQ(create(kService + 1), nullptr) << "no such bus";
  ServicePtr service = create(kService);
  ASSERT_NE(service, nullptr);
  EXPECT_EQ(fake().lastOpenFlags & (O_ACCMODE | O_CLOEXEC), O_RDWR | O_CLOEXEC);
  ASSERT_EQ(writePacket(service.get(), {0x84, 0x03, 0x10, 0x00, 0x64, 0xCC}), 0);
  ASSERT_EQ(fake().writes().size(), 1u);
  const testsupport::I2cWrite& sent = fake().writes()[0];
  EXPECT_EQ(std::tie(sent.bus, sent.chipAddress, sent.lockHeld, sent.bytes),
            std::make_tuple(kBus, static_cast<int>(kChipAddress), true,
                            Bytes{0x51, 0x84, 0x03, 0x10, 0x00, 0x64, 0xCC}));
  for (const auto& entry : fake().descriptors) EXPECT_FALSE(entry.second.locked);
}

TEST_F(DisplayService, ReportsEveryFailureAsANegativeErrnoAndLeaksNoDescriptor) {
  const std::tuple<const char*, FakeI2cBus::Bus, std::size_t, std::int32_t> cases[] = {
      {"only part of the message went out", {.shortWrite = 2}, 2, -EIO},
      {"addressing fails", {.addressError = EINVAL}, 2, -EINVAL},
      {"buffer too long", {}, 4096, -EINVAL},
  };
  for (const auto& [name, faults, packetSize, expected] : cases) {
    SCOPED_TRACE(name);
    fake().buses.at(kBus) = faults;
    ServicePtr service = create(kService);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(writePacket(service.get(), Bytes(packetSize, 0x84)), expected);
    service.reset();
    EXPECT_EQ(fake().openDescriptors(), 0u);
  }
  EXPECT_EQ(writePacket(nullptr, {0x84}), -EINVAL);
}

}  // namespace
