#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ui/Screens.h"
#include "display/DisplayManager.h"
#include "platform/LoginItemService.h"

// Services for a DisplayManager that touches no monitor, and a login item
// whose answers the test sets.
namespace popover_test {

class NoPorts : public platform::DisplayPortRegistry {
 public:
  std::int32_t getMatchingServices(std::uint32_t& iterator) override {
    iterator = 1;
    return 0;
  }
  std::uint32_t iteratorNext(std::uint32_t) override { return 0; }
  void objectRelease(std::uint32_t) override {}
};

class NoDisplays : public platform::DisplayTransferTables {
 public:
  std::int32_t getActiveDisplayList(std::uint32_t, std::uint32_t*, std::uint32_t& count) override {
    count = 0;
    return 0;
  }
  std::int32_t setDisplayTransferByTable(std::uint32_t, std::uint32_t, const float*, const float*,
                                         const float*) override {
    return 0;
  }
};

class NoSleep : public platform::Sleeper {
 public:
  void sleepMicroseconds(std::uint32_t) override {}
};

class MemoryDefaults : public platform::UserDefaults {
 public:
  std::int64_t integerForKey(const std::string& key) override { return values[key]; }
  void setInteger(std::int64_t value, const std::string& key) override { values[key] = value; }
  std::map<std::string, std::int64_t> values;
};

class FixedScreens : public ui::Screens {
 public:
  std::vector<ui::Screen> screens() const override { return list; }
  std::optional<ui::Screen> mainScreen() const override {
    return list.empty() ? std::nullopt : std::optional(list.front());
  }
  std::vector<ui::Screen> list;
};

inline std::shared_ptr<DisplayManager> makeDisplayManager(std::int64_t storedLevel,
                                                          std::string monitorName) {
  auto defaults = std::make_shared<MemoryDefaults>();
  defaults->values["Glimmerbox_Brightness"] = storedLevel;
  auto screens = std::make_shared<FixedScreens>();
  screens->list.push_back({"Built-in Display", {}, {}});
  screens->list.push_back({std::move(monitorName), {}, {}});
  return std::make_shared<DisplayManager>(DisplayManager::Services{
      "/nonexistent/libglimmerbox-displayservice.so", std::make_shared<NoPorts>(),
      std::make_shared<NoDisplays>(), std::make_shared<NoSleep>(), defaults, screens});
}

class FakeLoginItems : public platform::LoginItemService {
 public:
  Status status() const override { return current; }
  std::optional<platform::LoginItemError> registerItem() override {
    if (!failure) {
      current = Status::enabled;
    }
    return failure;
  }
  std::optional<platform::LoginItemError> unregisterItem() override {
    if (!failure) {
      current = Status::notRegistered;
    }
    return failure;
  }
  Status current = Status::notRegistered;
  std::optional<platform::LoginItemError> failure;
};

}  // namespace popover_test
