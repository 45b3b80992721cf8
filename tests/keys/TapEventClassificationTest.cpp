#include <gtest/gtest.h>

#include "keys/TapEventClassification.h"

namespace {

namespace te = platform::tapevent;
using Verdict = TapEventClassification::Verdict;

constexpr std::uint64_t kShift = te::kFlagShift;
constexpr std::uint64_t kOption = te::kFlagOption;
constexpr std::uint64_t kOtherBits = te::kFlagCommand | te::kFlagControl | 0x10000;  // Caps Lock

platform::TapEvent keyDown(std::int64_t keyCode, std::uint64_t flags = 0) {
  return {te::kKeyDown, keyCode, flags, 0, 0};
}

// An auxiliary control button: special key, modifiers, state, repeat bit and subtype.
platform::TapEvent aux(std::int64_t key, std::uint64_t flags = 0,
                       std::int64_t state = te::kSpecialKeyStateDown, bool repeat = false,
                       std::int64_t subtype = te::kSubtypeAuxControlButtons) {
  return {te::kSystemDefined, 0, flags, subtype, te::specialKeyData(key, state, repeat)};
}

const TapEventClassification kPass{Verdict::Pass};
const TapEventClassification kReenable{Verdict::ReenableTapAndPass};
const TapEventClassification kUp{Verdict::ReportAndDelete, true, false};
const TapEventClassification kUpFine{Verdict::ReportAndDelete, true, true};
const TapEventClassification kDown{Verdict::ReportAndDelete, false, false};
const TapEventClassification kDownFine{Verdict::ReportAndDelete, false, true};

struct Case {
  const char* name;
  platform::TapEvent event;
  TapEventClassification expected;
};

// F14, F15 and a released brightness key go through KeyboardInterceptorTest.
const Case kCases[] = {
    {"BrightnessUpPress", aux(2), kUp},
    {"BrightnessDownPress", aux(3), kDown},
    {"ShiftOptionMakesFine", aux(2, kShift | kOption), kUpFine},
    {"ShiftAloneIsCoarse", aux(2, kShift), kUp},
    {"OtherModifiersIgnored", aux(3, kShift | kOption | kOtherBits), kDownFine},
    {"AutoRepeatIsAStep", aux(2, 0, te::kSpecialKeyStateDown, true), kUp},
    {"SpecialKey1Passes", aux(1), kPass},
    {"OtherSubtypePasses", aux(2, 0, te::kSpecialKeyStateDown, false, 7), kPass},
    {"HighBitsOfData1Ignored",
     {te::kSystemDefined, 0, 0, 8, aux(2).data1 | (std::int64_t{0x7F} << 40)},
     kUp},
    {"Code144IsUp", keyDown(144), kUp},
    {"Code145IsDown", keyDown(145, kShift | kOption), kDownFine},
    {"LetterPasses", keyDown(0, kShift | kOption), kPass},
    {"KeyUpOfF14Passes", {te::kKeyUp, 107, 0, 0, 0}, kPass},
    {"DisabledByTimeout", {te::kTapDisabledByTimeout, 0, 0, 0, 0}, kReenable},
    {"OtherTypePasses", {12, 107, 0, 0, aux(2).data1}, kPass},
};

TEST(TapEventClassification, GivesEachEventItsVerdict) {
  for (const Case& c : kCases) EXPECT_EQ(classifyTapEvent(c.event), c.expected) << c.name;
}

}  // namespace
