#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/PopoverWindow.h"
#include "app/ui/Screens.h"
#include "app/ui/StatusItem.h"
#include "platform/DisplayPortRegistry.h"
#include "platform/DisplayTransferTables.h"
#include "platform/LoginItemService.h"
#include "platform/Sleeper.h"
#include "platform/UserDefaults.h"

// Stand-ins for what the application controller reaches. Everything done to
// the tray, the popover and the permission query lands in one event log.
namespace apptest {

using EventLog = std::vector<std::string>;

// One monitor without DDC/CI ports: what reaches it is the top of each gamma
// table; the defaults count their writes.
struct FakeMonitor : platform::DisplayPortRegistry,
                     platform::DisplayTransferTables,
                     platform::Sleeper,
                     platform::UserDefaults {
  std::int32_t getMatchingServices(std::uint32_t& iterator) override {
    iterator = 1;
    return 0;
  }
  std::uint32_t iteratorNext(std::uint32_t) override { return 0; }
  void objectRelease(std::uint32_t) override {}
  std::int32_t getActiveDisplayList(std::uint32_t max, std::uint32_t* ids,
                                    std::uint32_t& count) override {
    count = 1;
    if (ids != nullptr && max > 0) ids[0] = 1;
    return 0;
  }
  std::int32_t setDisplayTransferByTable(std::uint32_t, std::uint32_t, const float*,
                                         const float* green, const float*) override {
    gammaTops.push_back(green[1]);
    return 0;
  }
  void sleepMicroseconds(std::uint32_t) override {}
  std::int64_t integerForKey(const std::string& key) override {
    return values.contains(key) ? values[key] : 0;
  }
  void setInteger(std::int64_t value, const std::string& key) override {
    values[key] = value;
    ++writes;
  }

  std::vector<float> gammaTops;
  std::map<std::string, std::int64_t> values;
  int writes = 0;
};

struct NamedScreens : ui::Screens {
  std::vector<ui::Screen> screens() const override { return {*mainScreen()}; }
  std::optional<ui::Screen> mainScreen() const override {
    return ui::Screen{name, {0, 0, 1280, 800}, {0, 0, 1280, 776}};
  }
  std::string name = "DELL U2720Q";
};

struct StaticLoginItems : platform::LoginItemService {
  Status status() const override { return Status::notRegistered; }
  std::optional<platform::LoginItemError> registerItem() override { return std::nullopt; }
  std::optional<platform::LoginItemError> unregisterItem() override { return std::nullopt; }
};

struct RecordingButton : ui::StatusBarButton {
  explicit RecordingButton(EventLog& log) : log(log) {}
  void setImage(std::shared_ptr<ui::Image> i) override { log.push_back("button image"), image = i; }
  void setAction(std::function<void()> a) override { log.push_back("button action"), action = a; }
  EventLog& log;
  std::shared_ptr<ui::Image> image;
  std::function<void()> action;
};

struct RecordingStatusItem : ui::StatusItem {
  RecordingStatusItem(EventLog& log, bool hasTray)
      : button_(hasTray ? std::make_unique<RecordingButton>(log) : nullptr) {
    log.push_back("status item");
  }
  RecordingButton* button() override { return button_.get(); }
  std::unique_ptr<RecordingButton> button_;
};

struct RecordingPopover : ui::PopoverWindow {
  explicit RecordingPopover(EventLog& log) : log(log) { log.push_back("popover"); }
  void setContentView(std::shared_ptr<ui::View> v) override {
    log.push_back("popover content"), content = v;
  }
  bool isShown() const override { return shown; }
  void performClose() override { log.push_back("popover closed"), shown = false; }
  void showRelativeTo(const ui::StatusBarButton& b) override {
    log.push_back("popover shown"), anchor = &b, shown = true;
  }
  void makeKeyWindow() override { log.push_back("popover focused"); }
  EventLog& log;
  std::shared_ptr<ui::View> content;
  const ui::StatusBarButton* anchor = nullptr;
  bool shown = false;
};

}  // namespace apptest
