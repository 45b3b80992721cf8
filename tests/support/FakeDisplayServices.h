#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/Screens.h"
#include "platform/DisplayTransferTables.h"
#include "platform/UserDefaults.h"

// Stand-ins for the display manager's gamma tables, defaults and screens,
// shared by the tests and benchmarks that build a DisplayManager.
namespace testsupport {

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

}  // namespace testsupport
