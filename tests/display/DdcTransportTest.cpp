#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/display/DisplayFakes.h"

namespace displaytest {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct PacketCase {
  std::int64_t level;
  Bytes bytes;
};

class SendsLuminancePacket : public DisplayManagerTest,
                             public testing::WithParamInterface<PacketCase> {};

TEST_P(SendsLuminancePacket, ToTheDisplayAddressFromTheHostAddress) {
  ports->services = {1};
  makeManager()->setBrightness(GetParam().level);
  ASSERT_EQ(libraryRecord().writes.size(), 1u);
  const DisplayServiceRecord::Write& write = libraryRecord().writes[0];
  EXPECT_EQ(write.chipAddress, 0x37u);
  EXPECT_EQ(write.dataAddress, 0x51u);
  EXPECT_EQ(write.bytes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Levels, SendsLuminancePacket,
                         testing::Values(PacketCase{0, {0x84, 0x03, 0x10, 0x00, 0x00, 0xA8}},
                                         PacketCase{10, {0x84, 0x03, 0x10, 0x00, 0x0A, 0xA2}},
                                         PacketCase{50, {0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}},
                                         PacketCase{70, {0x84, 0x03, 0x10, 0x00, 0x46, 0xEE}},
                                         PacketCase{100, {0x84, 0x03, 0x10, 0x00, 0x64, 0xCC}}),
                         [](const auto& info) {
                           return "Level" + std::to_string(info.param.level);
                         });

struct PortCase {
  const char* what;
  std::vector<std::uint32_t> services;
  std::set<std::uint32_t> withoutObject;
  std::map<std::uint32_t, std::deque<std::int32_t>> statuses;
  std::string timeline;  // Entries joined by ", ".
  bool accepted;
};

void PrintTo(const PortCase& testCase, std::ostream* out) { *out << testCase.what; }

std::string joined(const std::vector<std::string>& entries) {
  std::string text;
  for (const std::string& entry : entries) {
    text += (text.empty() ? "" : ", ") + entry;
  }
  return text;
}

class WritesEveryPort : public DisplayManagerTest, public testing::WithParamInterface<PortCase> {};

TEST_P(WritesEveryPort, RetryingOnceAndReleasingEverything) {
  ports->services = GetParam().services;
  tables->displays = {1};
  libraryRecord().servicesWithoutObject = GetParam().withoutObject;
  libraryRecord().writeStatuses = GetParam().statuses;
  auto manager = makeManager();

  EXPECT_EQ(logOf([&] { manager->setBrightness(70); }), "");

  EXPECT_EQ(joined(timeline()), GetParam().timeline);
  EXPECT_EQ(libraryRecord().objectsReleased, libraryRecord().objectsCreated);
  EXPECT_EQ(tables->applied.empty(), GetParam().accepted) << "software fallback ran or not";
}

// "create N" / "no object N": the create call; "write N -> S": a write and
// its status; releases of objects, services and the iterator; pauses in µs.
INSTANTIATE_TEST_SUITE_P(
    Ports, WritesEveryPort,
    testing::Values(
        PortCase{"RefusedThenRetryAcceptedPausesOnce",
                 {1},
                 {},
                 {{1, {-1, 0}}},
                 "create 1, write 1 -> -1, pause 15000, write 1 -> 0, release object 1, "
                 "release service 1, release iterator",
                 true},
        PortCase{"FirstRefusesTwiceSecondAccepts",
                 {1, 2},
                 {},
                 {{1, {-1, -1}}},
                 "create 1, write 1 -> -1, pause 15000, write 1 -> -1, pause 15000, "
                 "release object 1, release service 1, create 2, write 2 -> 0, release object 2, "
                 "release service 2, release iterator",
                 true},
        PortCase{"TwoAcceptingGetOneWriteEach",
                 {1, 2},
                 {},
                 {},
                 "create 1, write 1 -> 0, release object 1, release service 1, create 2, "
                 "write 2 -> 0, release object 2, release service 2, release iterator",
                 true},
        PortCase{"EveryWriteRefused",
                 {1},
                 {},
                 {{1, {-5, -5}}},
                 "create 1, write 1 -> -5, pause 15000, write 1 -> -5, pause 15000, "
                 "release object 1, release service 1, release iterator",
                 false},
        PortCase{"NoObjectForAnyPort",
                 {1, 2},
                 {1, 2},
                 {},
                 "no object 1, release service 1, no object 2, release service 2, "
                 "release iterator",
                 false},
        PortCase{"NoPorts", {}, {}, {}, "release iterator", false}),
    [](const auto& info) { return info.param.what; });

TEST_F(DisplayManagerTest, FailedPortEnumerationLogsSignedStatusAndDims) {
  ports->services = {1};
  ports->matchingStatus = static_cast<std::int32_t>(0xE00002C7);
  tables->displays = {4};
  auto manager = makeManager();
  EXPECT_EQ(logOf([&] { manager->setBrightness(70); }),
            "[DisplayManager] IOServiceGetMatchingServices failed: -536870201\n");
  EXPECT_TRUE(timeline().empty());
  EXPECT_EQ(tables->applied, (std::vector<FakeTransferTables::Applied>{{4, {0.0f, 0.7f}}}));
}

struct LoadCase {
  const char* what;
  std::string library;
  std::string loadLine;
  bool loaded;
};

void PrintTo(const LoadCase& testCase, std::ostream* out) { *out << testCase.what; }

class LoadsDisplayService : public DisplayManagerTest,
                            public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadsDisplayService, LogsOnceAndWithoutFunctionsDimsEveryChange) {
  ports->services = {1};
  tables->displays = {2, 5};
  std::shared_ptr<DisplayManager> manager;
  EXPECT_EQ(logOf([&] { manager = makeManager(GetParam().library); }), GetParam().loadLine + "\n");

  const std::string changeLog = logOf([&] {
    manager->setBrightness(0);
    manager->setBrightness(0);
  });

  if (GetParam().loaded) {
    EXPECT_EQ(changeLog, "");
    EXPECT_TRUE(tables->applied.empty());
    return;
  }
  EXPECT_EQ(changeLog,
            "[DisplayManager] IOAVService functions not available\n"
            "[DisplayManager] IOAVService functions not available\n");
  EXPECT_TRUE(timeline().empty()) << "ports enumerated without functions";
  const std::vector<float> dimmest = {0.0f, 0.1f};
  EXPECT_EQ(tables->applied, (std::vector<FakeTransferTables::Applied>{
                                 {2, dimmest}, {5, dimmest}, {2, dimmest}, {5, dimmest}}));
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, LoadsDisplayService,
    testing::Values(LoadCase{"BothFunctions", RECORDING_DISPLAY_SERVICE,
                             "[DisplayManager] Successfully loaded IOAVService symbols", true},
                    LoadCase{"OnlyCreateFunction", CREATE_ONLY_DISPLAY_SERVICE,
                             "[DisplayManager] Failed to find IOAVService symbols in CoreDisplay",
                             false},
                    LoadCase{"NoFunctions", NO_SYMBOLS_DISPLAY_SERVICE,
                             "[DisplayManager] Failed to find IOAVService symbols in CoreDisplay",
                             false},
                    LoadCase{"NoLibrary", MISSING_DISPLAY_SERVICE,
                             "[DisplayManager] Failed to load CoreDisplay framework", false}),
    [](const auto& info) { return info.param.what; });

}  // namespace
}  // namespace displaytest
