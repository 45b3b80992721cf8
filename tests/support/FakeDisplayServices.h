#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ddc/DdcBuses.h"
#include "platform/desktop/UserDefaults.h"
#include "platform/gamma/GammaControl.h"
#include "platform/screens/Screens.h"

// Stand-ins for the display manager's buses, gamma, defaults and screens,
// shared by the tests and benchmarks that build a DisplayManager.
namespace testsupport {

struct FakeDdcBuses : platform::DdcBuses {
  explicit FakeDdcBuses(std::vector<platform::DdcBus> listed = {}) : buses(std::move(listed)) {}
  platform::DdcBusList list() override { return {status, buses}; }
  std::vector<platform::DdcBus> buses;
  std::int32_t status = 0;
};

// Lit outputs, their names, and each fraction set on one.
struct FakeGamma : platform::GammaControl {
  struct Applied {
    std::uint32_t output;
    double fraction;
    friend bool operator==(const Applied&, const Applied&) = default;
  };

  std::vector<std::uint32_t> outputs() override { return lit; }
  std::string outputName(std::uint32_t output) override {
    return names.contains(output) ? names[output] : "";
  }
  bool setBrightness(std::uint32_t output, double fraction) override {
    applied.push_back({output, fraction});
    return true;
  }

  std::vector<std::uint32_t> lit;
  std::map<std::uint32_t, std::string> names;
  std::vector<Applied> applied;
};

struct FakeUserDefaults : platform::UserDefaults {
  std::int64_t integerForKey(const std::string& key) override {
    return values.contains(key) ? values[key] : 0;
  }
  void setInteger(std::int64_t value, const std::string& key) override {
    values[key] = value;
    saves.push_back(value);
  }
  std::map<std::string, std::int64_t> values;
  std::vector<std::int64_t> saves;
};

struct FakeScreens : platform::Screens {
  std::vector<platform::Screen> screens() const override { return list; }
  std::optional<platform::Screen> mainScreen() const override { return main; }
  std::optional<std::string> outputUnderPointer() const override { return pointer; }
  std::vector<platform::Screen> list;
  std::optional<platform::Screen> main;
  std::optional<std::string> pointer;
};

}  // namespace testsupport
