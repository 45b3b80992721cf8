#include <gtest/gtest.h>

#include "keys/TapEventClassification.h"

namespace {

namespace te = platform::tapevent;
using Verdict = TapEventClassification::Verdict;

constexpr std::uint64_t kShift = te::kFlagShift;
constexpr std::uint64_t kOption = te::kFlagOption;
constexpr std::uint64_t kCommand = te::kFlagCommand;
constexpr std::uint64_t kControl = te::kFlagControl;
constexpr std::uint64_t kCapsLock = 0x10000;
constexpr std::int64_t kVolumeUp = 0;

platform::TapEvent keyDown(std::int64_t keyCode, std::uint64_t flags = 0) {
  return {te::kKeyDown, keyCode, flags, 0, 0};
}

platform::TapEvent special(std::int64_t data1, std::uint64_t flags = 0,
                           std::int64_t subtype = te::kSubtypeAuxControlButtons) {
  return {te::kSystemDefined, 0, flags, subtype, data1};
}

std::int64_t pressData(std::int64_t key, bool repeat = false) {
  return te::specialKeyData(key, te::kSpecialKeyStateDown, repeat);
}

const TapEventClassification kPass{Verdict::Pass};
const TapEventClassification kDelete{Verdict::Delete};
const TapEventClassification kUpCoarse{Verdict::ReportAndDelete, true, false};
const TapEventClassification kUpFine{Verdict::ReportAndDelete, true, true};
const TapEventClassification kDownCoarse{Verdict::ReportAndDelete, false, false};
const TapEventClassification kDownFine{Verdict::ReportAndDelete, false, true};

struct Case {
  const char* name;
  platform::TapEvent event;
  TapEventClassification expected;
};

const Case kCases[] = {
    {"BrightnessUpPress", special(pressData(2)), kUpCoarse},
    {"BrightnessDownPress", special(pressData(3)), kDownCoarse},
    {"ShiftOptionMakesFine", special(pressData(2), kShift | kOption), kUpFine},
    {"ShiftAloneIsCoarse", special(pressData(2), kShift), kUpCoarse},
    {"OptionAloneIsCoarse", special(pressData(3), kOption), kDownCoarse},
    {"CommandDoesNotSpoilFine", special(pressData(2), kShift | kOption | kCommand), kUpFine},
    {"OtherBitsIgnored", special(pressData(3), kShift | kOption | kControl | kCapsLock), kDownFine},
    {"AutoRepeatIsAStep", special(pressData(2, true)), kUpCoarse},
    {"ReleaseDeletedWithoutReport", special(te::specialKeyData(3, te::kSpecialKeyStateUp, false)),
     kDelete},
    {"OtherStateDeleted", special(te::specialKeyData(2, 0x0C, false)), kDelete},
    {"VolumeUpPasses", special(pressData(kVolumeUp)), kPass},
    {"KeyCode1Passes", special(pressData(1)), kPass},
    {"KeyCode4Passes", special(pressData(4)), kPass},
    {"KeyCode16Passes", special(pressData(16)), kPass},
    {"OtherSubtypePasses", special(pressData(2), 0, 7), kPass},
    {"HighBitsOfData1Ignored", special(pressData(2) | (std::int64_t{0x7F} << 40)), kUpCoarse},
    {"F14IsDown", keyDown(107), kDownCoarse},
    {"F14WithCommandTaken", keyDown(107, kCommand), kDownCoarse},
    {"F15IsUp", keyDown(113), kUpCoarse},
    {"F15Fine", keyDown(113, kShift | kOption), kUpFine},
    {"Code144IsUp", keyDown(144), kUpCoarse},
    {"Code145IsDown", keyDown(145, kShift | kOption), kDownFine},
    {"Code143Passes", keyDown(143), kPass},
    {"Code146Passes", keyDown(146), kPass},
    {"LetterPasses", keyDown(0, kShift | kOption), kPass},
    {"KeyUpOfF14Passes", {te::kKeyUp, 107, 0, 0, 0}, kPass},
    {"DisabledByTimeout", {te::kTapDisabledByTimeout, 0, 0, 0, 0}, {Verdict::ReenableTapAndPass}},
    {"DisabledByUserInput",
     {te::kTapDisabledByUserInput, 0, 0, 0, 0},
     {Verdict::ReenableTapAndPass}},
    {"OtherTypePasses", {12, 107, 0, 0, pressData(2)}, kPass},
};

void PrintTo(const Case& value, std::ostream* out) { *out << value.name; }

class TapEventClassificationTest : public testing::TestWithParam<Case> {};

TEST_P(TapEventClassificationTest, GivesVerdict) {
  EXPECT_EQ(classifyTapEvent(GetParam().event), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Events, TapEventClassificationTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
