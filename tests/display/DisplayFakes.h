#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/Screens.h"
#include "display/DisplayManager.h"
#include "platform/DisplayPortRegistry.h"
#include "platform/DisplayTransferTables.h"
#include "platform/Sleeper.h"
#include "platform/UserDefaults.h"
#include "tests/display/libraries/DisplayServiceRecord.h"

namespace displaytest {

using Timeline = std::vector<std::string>;

// The recording library's record, reached through dlopen as the program
// reaches the library, so both see the same loaded copy.
inline DisplayServiceRecord& libraryRecord() {
  static DisplayServiceRecord* record = reinterpret_cast<DisplayServiceRecord* (*)()>(
      dlsym(dlopen(RECORDING_DISPLAY_SERVICE, RTLD_LAZY), "glimmerboxTestDisplayServiceRecord"))();
  return *record;
}

// Ports with the given service ids; the iterator is a further id. Releases
// and pauses go to the shared timeline.
struct FakeDisplayPorts : platform::DisplayPortRegistry, platform::Sleeper {
  static constexpr std::uint32_t kIterator = 900;
  explicit FakeDisplayPorts(Timeline& timeline) : timeline(timeline) {}

  std::int32_t getMatchingServices(std::uint32_t& iterator) override {
    iterator = kIterator;
    next_ = 0;
    return matchingStatus;
  }
  std::uint32_t iteratorNext(std::uint32_t iterator) override {
    EXPECT_EQ(iterator, kIterator);
    return next_ < services.size() ? services[next_++] : 0;
  }
  void objectRelease(std::uint32_t object) override {
    timeline.push_back(object == kIterator ? "release iterator"
                                           : "release service " + std::to_string(object));
  }
  void sleepMicroseconds(std::uint32_t microseconds) override {
    timeline.push_back("pause " + std::to_string(microseconds));
  }

  Timeline& timeline;
  std::vector<std::uint32_t> services;
  std::int32_t matchingStatus = 0;
  std::size_t next_ = 0;
};

// Active displays (a different list on the second query if set) and each
// table applied; red, green and blue must be the same table.
struct FakeTransferTables : platform::DisplayTransferTables {
  struct Applied {
    std::uint32_t display;
    std::vector<float> table;
    friend bool operator==(const Applied&, const Applied&) = default;
  };

  std::int32_t getActiveDisplayList(std::uint32_t max, std::uint32_t* ids,
                                    std::uint32_t& count) override {
    const auto& now = ids == nullptr ? displays : displaysOnSecondCall.value_or(displays);
    count = std::min<std::uint32_t>(ids == nullptr ? UINT32_MAX : max, now.size());
    if (ids != nullptr) std::copy_n(now.begin(), count, ids);
    return 0;
  }
  std::int32_t setDisplayTransferByTable(std::uint32_t display, std::uint32_t size,
                                         const float* red, const float* green,
                                         const float* blue) override {
    const std::vector<float> table(red, red + size);
    EXPECT_EQ(std::vector<float>(green, green + size), table);
    EXPECT_EQ(std::vector<float>(blue, blue + size), table);
    applied.push_back({display, table});
    return 0;
  }

  std::vector<std::uint32_t> displays;
  std::optional<std::vector<std::uint32_t>> displaysOnSecondCall;
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

struct FakeScreens : ui::Screens {
  std::vector<ui::Screen> screens() const override { return list; }
  std::optional<ui::Screen> mainScreen() const override { return main; }
  std::vector<ui::Screen> list;
  std::optional<ui::Screen> main;
};

}  // namespace displaytest
