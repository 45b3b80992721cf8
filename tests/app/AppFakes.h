#pragma once

#include <cstdint>
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
#include "tests/support/FakeKeyboardServices.h"

// Stand-ins for everything the application controller reaches: display
// ports and gamma tables that count what reaches the monitor, a tray and a
// popover that record what is done to them, in one shared event log.
namespace apptest {

using EventLog = std::vector<std::string>;

class CountingPorts : public platform::DisplayPortRegistry {
 public:
  std::int32_t getMatchingServices(std::uint32_t& iterator) override {
    ++enumerations;
    iterator = 1;
    return 0;
  }
  std::uint32_t iteratorNext(std::uint32_t) override { return 0; }
  void objectRelease(std::uint32_t) override {}
  int enumerations = 0;
};

class CountingTransferTables : public platform::DisplayTransferTables {
 public:
  std::int32_t getActiveDisplayList(std::uint32_t maxDisplays, std::uint32_t* displays,
                                    std::uint32_t& count) override {
    count = 1;
    if (maxDisplays > 0 && displays != nullptr) {
      displays[0] = 1;
    }
    return 0;
  }
  std::int32_t setDisplayTransferByTable(std::uint32_t, std::uint32_t, const float*,
                                         const float* green, const float*) override {
    writtenLevels.push_back(green[1]);
    return 0;
  }
  std::vector<float> writtenLevels;
};

class InstantSleeper : public platform::Sleeper {
 public:
  void sleepMicroseconds(std::uint32_t) override {}
};

class MemoryDefaults : public platform::UserDefaults {
 public:
  std::int64_t integerForKey(const std::string& key) override {
    auto found = values.find(key);
    return found == values.end() ? 0 : found->second;
  }
  void setInteger(std::int64_t value, const std::string& key) override {
    values[key] = value;
    ++writes;
  }
  std::map<std::string, std::int64_t> values;
  int writes = 0;
};

class NamedScreens : public ui::Screens {
 public:
  std::vector<ui::Screen> screens() const override { return {screen()}; }
  std::optional<ui::Screen> mainScreen() const override { return screen(); }
  ui::Screen screen() const { return {name, {0, 0, 1280, 800}, {0, 0, 1280, 776}}; }
  std::string name = "DELL U2720Q";
};

class StaticLoginItems : public platform::LoginItemService {
 public:
  Status status() const override { return Status::notRegistered; }
  std::optional<platform::LoginItemError> registerItem() override { return std::nullopt; }
  std::optional<platform::LoginItemError> unregisterItem() override { return std::nullopt; }
};

// Records the permission query in the log and lets a test look around then.
class ObservedAccessQuery : public testsupport::FakeInputAccessQuery {
 public:
  explicit ObservedAccessQuery(std::shared_ptr<EventLog> log) : log_(std::move(log)) {}
  bool isProcessTrusted(bool prompt) override {
    log_->push_back(prompt ? "permission checked with prompt" : "permission polled");
    if (onQuery) {
      onQuery();
    }
    return FakeInputAccessQuery::isProcessTrusted(prompt);
  }
  std::function<void()> onQuery;

 private:
  std::shared_ptr<EventLog> log_;
};

class RecordingButton : public ui::StatusBarButton {
 public:
  explicit RecordingButton(std::shared_ptr<EventLog> log) : log_(std::move(log)) {}
  void setImage(std::shared_ptr<ui::Image> newImage) override {
    log_->push_back("button image");
    image = std::move(newImage);
  }
  void setAction(std::function<void()> newAction) override {
    log_->push_back("button action");
    action = std::move(newAction);
  }
  std::shared_ptr<ui::Image> image;
  std::function<void()> action;

 private:
  std::shared_ptr<EventLog> log_;
};

class RecordingStatusItem : public ui::StatusItem {
 public:
  RecordingStatusItem(std::shared_ptr<EventLog> log, bool hasTray)
      : button_(hasTray ? std::make_unique<RecordingButton>(log) : nullptr) {
    log->push_back("status item");
  }
  ui::StatusBarButton* button() override { return button_.get(); }
  RecordingButton* recordingButton() { return button_.get(); }

 private:
  std::unique_ptr<RecordingButton> button_;
};

class RecordingPopover : public ui::PopoverWindow {
 public:
  explicit RecordingPopover(std::shared_ptr<EventLog> log) : log_(std::move(log)) {
    log_->push_back("popover");
  }
  void setContentView(std::shared_ptr<ui::View> view) override {
    log_->push_back("popover content");
    content = std::move(view);
  }
  bool isShown() const override { return shown; }
  void performClose() override {
    log_->push_back("popover closed");
    shown = false;
  }
  void showRelativeTo(const ui::StatusBarButton& button) override {
    log_->push_back("popover shown");
    anchor = &button;
    shown = true;
  }
  void makeKeyWindow() override { log_->push_back("popover focused"); }

  std::shared_ptr<ui::View> content;
  const ui::StatusBarButton* anchor = nullptr;
  bool shown = false;

 private:
  std::shared_ptr<EventLog> log_;
};

}  // namespace apptest
