#include "display/DdcTransport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "tests/display/DisplayTestPorts.h"

// Reading a monitor's luminance; writing levels is in DisplayManagerTest.
namespace {

using Bytes = std::vector<std::uint8_t>;
using displaytest::record;
constexpr auto reply = displaytest::luminanceReply;

// Each case: the reply, the request's write status, what is read, and the
// library's calls with the pauses between them.
TEST(DdcTransport, ReadsOnlyAWellFormedLuminanceReplyWithoutErrorKeepingThePacing) {
  const std::string asked = "create 1, write 1 -> 0, pause 40000, read 1 -> 0, release object 1";
  Bytes badChecksum = reply(0, 100, 50);
  badChecksum.back() ^= 0x01;
  const std::tuple<Bytes, std::int32_t, std::optional<Luminance>, std::string> cases[] = {
      {reply(0, 300, 150), 0, Luminance{150, 300}, asked},
      {reply(0, 100, 256), 0, Luminance{100, 100}, asked},
      {badChecksum, 0, std::nullopt, asked},
      {reply(1, 100, 50), 0, std::nullopt, asked},
      {reply(0, 0, 0), 0, std::nullopt, asked},
      {{}, 0, std::nullopt, "create 1, write 1 -> 0, pause 40000, read 1 -> -6, release object 1"},
      {reply(0, 100, 50), -6, std::nullopt, "create 1, write 1 -> -6, release object 1"}};
  auto ports = std::make_shared<displaytest::FakePorts>();
  DdcTransport transport(RECORDING_DISPLAY_SERVICE, ports, ports, ports);
  for (const auto& [bytes, status, luminance, timeline] : cases) {
    SCOPED_TRACE(timeline + " " + testing::PrintToString(bytes));
    record().reset();
    if (!bytes.empty()) record().replies[1] = bytes;
    record().writeStatuses[1] = {status};
    std::string calls;
    EXPECT_EQ(transport.readLuminance(0), luminance);
    for (const std::string& call : record().timeline) calls += (calls.empty() ? "" : ", ") + call;
    EXPECT_EQ(calls, timeline);
  }
  const DisplayServiceRecord::Write& request = record().writes.at(0);
  EXPECT_EQ(std::tie(request.chipAddress, request.dataAddress), std::tuple(0x37u, 0x51u));
  EXPECT_EQ(request.bytes, (Bytes{0x82, 0x01, 0x10, 0xAC}));
  // Each request waited the gap after the read before it; the last was refused.
  EXPECT_EQ(ports->now() - platform::Clock::TimePoint{},
            std::chrono::milliseconds(40 + 5 * (50 + 40) + 50));
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
