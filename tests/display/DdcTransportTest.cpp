#include "display/DdcTransport.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "tests/display/libraries/DisplayServiceRecord.h"
#include "tests/support/FakeDisplayServices.h"

// Reading a monitor's luminance; writing levels is in DisplayManagerTest.
namespace {

using Bytes = std::vector<std::uint8_t>;

DisplayServiceRecord& record() {
  static DisplayServiceRecord* shared = reinterpret_cast<DisplayServiceRecord* (*)()>(
      dlsym(dlopen(RECORDING_DISPLAY_SERVICE, RTLD_LAZY), "glimmerboxTestDisplayServiceRecord"))();
  return *shared;
}

// Time passes only by pauses, which go to the library's timeline, and sleeps.
struct FakeTime : platform::Sleeper, platform::Clock {
  void sleepMicroseconds(std::uint32_t microseconds) override {
    record().timeline.push_back("pause " + std::to_string(microseconds));
    time += std::chrono::microseconds(microseconds);
  }
  TimePoint now() override { return time; }
  void sleepUntil(TimePoint deadline) override { time = std::max(time, deadline); }
  TimePoint time{};
};

// A reply to a luminance request from its first ten bytes, checksum added.
Bytes reply(Bytes bytes) {
  std::uint8_t checksum = 0x50;
  for (std::uint8_t byte : bytes) checksum ^= byte;
  bytes.push_back(checksum);
  return bytes;
}

std::string joinedTimeline() {
  std::string joined;
  for (const std::string& entry : record().timeline) joined += (joined.empty() ? "" : ", ") + entry;
  return joined;
}

struct DdcTransportTest : testing::Test {
  void SetUp() override { record().reset(); }
  std::shared_ptr<FakeTime> time = std::make_shared<FakeTime>();
  DdcTransport transport{RECORDING_DISPLAY_SERVICE, std::make_shared<testsupport::FakeDdcBuses>(),
                         time, time};
};

TEST_F(DdcTransportTest, TakesOnlyAWellFormedLuminanceReplyWithoutError) {
  const std::string asked = "create 1, write 1 -> 0, pause 40000, read 1 -> 0, release object 1";
  Bytes good = reply({0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32});
  Bytes badChecksum = good;
  badChecksum.back() ^= 0x01;
  const std::tuple<Bytes, std::optional<Luminance>> cases[] = {
      {good, Luminance{50, 100}},
      {reply({0x6E, 0x88, 0x02, 0x00, 0x10, 0x01, 0x01, 0x2C, 0x00, 0x96}), Luminance{150, 300}},
      {reply({0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x01, 0x00}), Luminance{100, 100}},
      {badChecksum, std::nullopt},
      {reply({0x6E, 0x88, 0x02, 0x01, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32}), std::nullopt},
      {reply({0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00}), std::nullopt},
      {reply({0x6E, 0x88, 0x02, 0x00, 0x12, 0x00, 0x00, 0x64, 0x00, 0x32}), std::nullopt},
      {reply({0x6E, 0x88, 0x03, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32}), std::nullopt},
      {reply({0x6E, 0x87, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32}), std::nullopt},
      {reply({0x6F, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32}), std::nullopt}};
  for (const auto& [bytes, luminance] : cases) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    record().reset();
    record().replies[1] = bytes;
    EXPECT_EQ(transport.readLuminance(0), luminance);
    EXPECT_EQ(joinedTimeline(), asked);
  }
  const DisplayServiceRecord::Write& request = record().writes.at(0);
  EXPECT_EQ(std::tie(request.chipAddress, request.dataAddress), std::tuple(0x37u, 0x51u));
  EXPECT_EQ(request.bytes, (Bytes{0x82, 0x01, 0x10, 0xAC}));
}

// A refused request is not followed by a read; nothing answers service 2.
TEST_F(DdcTransportTest, ReadsNothingWhereTheRequestOrTheReadFails) {
  const std::tuple<std::set<std::uint32_t>, std::deque<std::int32_t>, std::string> cases[] = {
      {{2}, {}, "no object 2"},
      {{}, {-6}, "create 2, write 2 -> -6, release object 2"},
      {{}, {}, "create 2, write 2 -> 0, pause 40000, read 2 -> -6, release object 2"}};
  for (const auto& [withoutObject, statuses, timeline] : cases) {
    record().reset();
    record().servicesWithoutObject = withoutObject;
    record().writeStatuses[2] = statuses;
    EXPECT_EQ(transport.readLuminance(1), std::nullopt);
    EXPECT_EQ(joinedTimeline(), timeline);
  }
}

// The second request waits the gap after the first one's read.
TEST_F(DdcTransportTest, KeepsThePortsPacingAcrossTheRequestAndTheRead) {
  record().replies[1] = reply({0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32});
  ASSERT_TRUE(transport.readLuminance(0) && transport.readLuminance(0));
  EXPECT_EQ(time->now() - FakeTime::TimePoint{}, std::chrono::milliseconds(40 + 50 + 40));
}

TEST_F(DdcTransportTest, ALibraryWithoutTheReadStillWritesButReadsNothing) {
  testing::internal::CaptureStdout();
  DdcTransport old(WRITE_ONLY_DISPLAY_SERVICE, std::make_shared<testsupport::FakeDdcBuses>(), time,
                   time);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "[DisplayManager] Successfully loaded IOAVService symbols\n");
  EXPECT_TRUE(old.functionsAvailable());
  EXPECT_EQ(old.readLuminance(0), std::nullopt);
}

TEST(Luminance, ConvertsBetweenLevelsAndAMonitorsOwnScaleRounding) {
  const std::tuple<std::int64_t, std::int64_t, std::int64_t> cases[] = {
      {70, 100, 70}, {70, 50, 35}, {33, 50, 17}, {1, 3, 0}, {50, 3, 2}, {100, 300, 300}};
  for (const auto& [level, maximum, value] : cases) {
    EXPECT_EQ(scaledLevel(level, maximum), value) << level << " of " << maximum;
  }
  const std::tuple<Luminance, std::int64_t> reported[] = {
      {{25, 50}, 50}, {{1, 3}, 33}, {{2, 3}, 67}, {{1, 200}, 1}, {{0, 7}, 0}, {{300, 300}, 100}};
  for (const auto& [luminance, level] : reported) {
    EXPECT_EQ(luminance.level(), level) << luminance.current << " of " << luminance.maximum;
  }
}

}  // namespace
