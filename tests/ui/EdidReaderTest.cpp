#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/EdidReader.h"

namespace {

constexpr std::size_t kDescriptorStart = 54;
constexpr std::size_t kDescriptorSize = 18;

// A base block with the EDID header and the given display descriptors
// (tag, 13 text bytes) in the descriptor slots from the first on.
std::vector<std::uint8_t> edidWith(const std::vector<std::pair<std::uint8_t, std::string>>& texts) {
  std::vector<std::uint8_t> edid(128, 0);
  const std::uint8_t header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  std::copy(std::begin(header), std::end(header), edid.begin());
  for (std::size_t slot = 0; slot < texts.size(); ++slot) {
    const std::size_t start = kDescriptorStart + slot * kDescriptorSize;
    edid[start + 3] = texts[slot].first;
    std::string text = texts[slot].second;
    text.resize(13, ' ');
    std::copy(text.begin(), text.end(), edid.begin() + start + 5);
  }
  return edid;
}

struct EdidCase {
  const char* what;
  std::vector<std::uint8_t> edid;
  std::optional<std::string> name;
};

void PrintTo(const EdidCase& testCase, std::ostream* out) { *out << testCase.what; }

class EdidModelName : public testing::TestWithParam<EdidCase> {};

TEST_P(EdidModelName, ReadsTheDisplayNameDescriptor) {
  EXPECT_EQ(ui::EdidReader::modelName(GetParam().edid), GetParam().name);
}

std::vector<std::uint8_t> truncated() {
  auto edid = edidWith({{0xFC, "DELL U2720Q\n"}});
  edid.resize(100);
  return edid;
}

std::vector<std::uint8_t> badHeader() {
  auto edid = edidWith({{0xFC, "DELL U2720Q\n"}});
  edid[1] = 0x00;
  return edid;
}

std::vector<std::uint8_t> timingBeforeName() {
  auto edid = edidWith({{0x00, ""}, {0xFC, "LG HDR 4K\n"}});
  edid[kDescriptorStart] = 0x02;  // A detailed timing: non-zero pixel clock.
  edid[kDescriptorStart + 3] = 0xFC;
  return edid;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, EdidModelName,
    testing::Values(EdidCase{"NameEndsAtLineFeed", edidWith({{0xFC, "DELL U2720Q\n"}}),
                             "DELL U2720Q"},
                    EdidCase{"FullThirteenCharactersWithoutTerminator",
                             edidWith({{0xFC, "ABCDEFGHIJKLM"}}), "ABCDEFGHIJKLM"},
                    EdidCase{"NameAfterSerialAndRangeDescriptors",
                             edidWith({{0xFF, "1234567\n"}, {0xFD, ""}, {0xFC, "  BenQ GW2480\n"}}),
                             "BenQ GW2480"},
                    EdidCase{"TimingDescriptorWithTagByteIgnored", timingBeforeName(), "LG HDR 4K"},
                    EdidCase{"NoNameDescriptor", edidWith({{0xFF, "1234567\n"}}), std::nullopt},
                    EdidCase{"ShorterThanABaseBlock", truncated(), std::nullopt},
                    EdidCase{"WrongHeader", badHeader(), std::nullopt}),
    [](const testing::TestParamInfo<EdidCase>& info) { return info.param.what; });

}  // namespace
