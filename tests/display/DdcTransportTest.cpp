#include "display/DdcTransport.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "tests/display/DisplayTestPorts.h"

// Reading a monitor's luminance; writing levels is in DisplayManagerTest.
namespace {

using Bytes = std::vector<std::uint8_t>;
using displaytest::record;
constexpr auto reply = displaytest::luminanceReply;

// Each case: the reply (none: the read fails), the request's write status,
// and what is read. The pacing is checked against a fake monitor's timing in
// the kernel tests.
TEST(DdcTransport, ReadsOnlyAWellFormedLuminanceReplyToATakenRequest) {
  Bytes badChecksum = reply(0, 100, 50);
  badChecksum.back() ^= 0x01;
  const std::tuple<Bytes, std::int32_t, std::optional<Luminance>> cases[] = {
      {reply(0, 300, 150), 0, Luminance{150, 300}},
      {reply(0, 100, 256), 0, Luminance{100, 100}},
      {badChecksum, 0, std::nullopt},
      {reply(1, 100, 50), 0, std::nullopt},
      {reply(0, 0, 0), 0, std::nullopt},
      {{}, 0, std::nullopt},
      {reply(0, 100, 50), -6, std::nullopt}};
  auto ports = std::make_shared<displaytest::FakePorts>();
  DdcTransport transport(RECORDING_DISPLAY_SERVICE, ports, ports, ports);
  for (const auto& [bytes, status, luminance] : cases) {
    record().reset();
    if (!bytes.empty()) record().replies[1] = bytes;
    record().writeStatuses[1] = {status};
    EXPECT_EQ(transport.readLuminance(0), luminance) << testing::PrintToString(bytes) << status;
  }
}

TEST(DdcTransport, ALibraryWithoutTheReadStillWritesButReadsNothing) {
  auto ports = std::make_shared<displaytest::FakePorts>();
  DdcTransport old(WRITE_ONLY_DISPLAY_SERVICE, ports, ports, ports);
  EXPECT_TRUE(old.functionsAvailable());
  EXPECT_EQ(old.readLuminance(0), std::nullopt);
}

// {level, maximum, the value on that scale, and that value's level}.
TEST(Luminance, ConvertsBetweenLevelsAndAMonitorsOwnScaleRounding) {
  const std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t> cases[] = {
      {70, 50, 35, 70}, {33, 50, 17, 34}, {1, 3, 0, 0}, {50, 3, 2, 67}, {1, 200, 2, 1}};
  for (const auto& [level, maximum, value, back] : cases) {
    EXPECT_EQ(scaledLevel(level, maximum), value) << level << " of " << maximum;
    EXPECT_EQ((Luminance{value, maximum}.level()), back) << value << " of " << maximum;
  }
}

}  // namespace
