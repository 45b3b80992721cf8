#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
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

// The recording library's record, reached the way the program reaches the
// library: dlopen gives the same loaded copy.
inline DisplayServiceRecord& libraryRecord() {
  static DisplayServiceRecord* record = [] {
    void* handle = dlopen(RECORDING_DISPLAY_SERVICE, RTLD_LAZY);
    auto* find = reinterpret_cast<DisplayServiceRecord* (*)()>(
        dlsym(handle, "glimmerboxTestDisplayServiceRecord"));
    return find();
  }();
  return *record;
}

// Ports with the given service ids; the iterator is a further id.
class FakeDisplayPorts : public platform::DisplayPortRegistry {
 public:
  static constexpr std::uint32_t kIterator = 900;

  explicit FakeDisplayPorts(std::vector<std::string>& timeline) : timeline_(timeline) {}

  std::int32_t getMatchingServices(std::uint32_t& iterator) override {
    if (matchingStatus == 0) {
      iterator = kIterator;
      next_ = 0;
    }
    return matchingStatus;
  }
  std::uint32_t iteratorNext(std::uint32_t iterator) override {
    EXPECT_EQ(iterator, kIterator);
    return next_ < services.size() ? services[next_++] : 0;
  }
  void objectRelease(std::uint32_t object) override {
    timeline_.push_back(object == kIterator ? "release iterator"
                                            : "release service " + std::to_string(object));
  }

  std::vector<std::uint32_t> services;
  std::int32_t matchingStatus = 0;

 private:
  std::vector<std::string>& timeline_;
  std::size_t next_ = 0;
};

class FakeSleeper : public platform::Sleeper {
 public:
  explicit FakeSleeper(std::vector<std::string>& timeline) : timeline_(timeline) {}
  void sleepMicroseconds(std::uint32_t microseconds) override {
    timeline_.push_back("pause " + std::to_string(microseconds));
  }

 private:
  std::vector<std::string>& timeline_;
};

// Active displays and the top entry of each table applied, in order.
class FakeTransferTables : public platform::DisplayTransferTables {
 public:
  struct Applied {
    std::uint32_t display;
    std::vector<float> table;
    friend bool operator==(const Applied&, const Applied&) = default;
  };

  std::int32_t getActiveDisplayList(std::uint32_t maxDisplays, std::uint32_t* ids,
                                    std::uint32_t& count) override {
    if (ids == nullptr) {
      count = static_cast<std::uint32_t>(displays.size());
      return 0;
    }
    const std::vector<std::uint32_t>& now = displaysOnSecondCall.value_or(displays);
    count = std::min<std::uint32_t>(maxDisplays, static_cast<std::uint32_t>(now.size()));
    std::copy_n(now.begin(), count, ids);
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

class FakeUserDefaults : public platform::UserDefaults {
 public:
  std::int64_t integerForKey(const std::string& key) override {
    auto value = values.find(key);
    return value == values.end() ? 0 : value->second;
  }
  void setInteger(std::int64_t value, const std::string& key) override {
    values[key] = value;
    saves.push_back(value);
  }

  std::map<std::string, std::int64_t> values;
  std::vector<std::int64_t> saves;
};

class FakeScreens : public ui::Screens {
 public:
  std::vector<ui::Screen> screens() const override { return list; }
  std::optional<ui::Screen> mainScreen() const override { return main; }

  std::vector<ui::Screen> list;
  std::optional<ui::Screen> main;
};

inline ui::Screen screenNamed(const std::string& name) { return ui::Screen{name, {}, {}}; }

// A DisplayManager over fakes, with the recording library by default.
class DisplayManagerTest : public testing::Test {
 protected:
  void SetUp() override { libraryRecord().reset(); }

  std::vector<std::string>& timeline() { return libraryRecord().timeline; }

  std::shared_ptr<DisplayManager> makeManager(
      const std::string& library = RECORDING_DISPLAY_SERVICE) {
    return std::make_shared<DisplayManager>(
        DisplayManager::Services{library, ports, tables, sleeper, defaults, screens});
  }

  // What `action` wrote to standard output.
  static std::string logOf(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
  }

  std::shared_ptr<FakeDisplayPorts> ports = std::make_shared<FakeDisplayPorts>(timeline());
  std::shared_ptr<FakeSleeper> sleeper = std::make_shared<FakeSleeper>(timeline());
  std::shared_ptr<FakeTransferTables> tables = std::make_shared<FakeTransferTables>();
  std::shared_ptr<FakeUserDefaults> defaults = std::make_shared<FakeUserDefaults>();
  std::shared_ptr<FakeScreens> screens = std::make_shared<FakeScreens>();
};

}  // namespace displaytest
