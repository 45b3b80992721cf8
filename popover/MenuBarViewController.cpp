#include "popover/MenuBarViewController.h"

#include <cmath>
#include <string>

#include "app/ui/Application.h"
#include "app/ui/Box.h"
#include "app/ui/Image.h"
#include "app/ui/Slider.h"
#include "display/DisplayManager.h"
#include "display/LevelText.h"
#include "hud/BrightnessHUD.h"
#include "keys/KeyboardInterceptor.h"
#include "platform/Log.h"
#include "platform/XdgAutostartLoginItem.h"
#include "popover/PopoverControls.h"
#include "popover/PopoverLayout.h"

namespace layout = popover_layout;
using popover_controls::label;
using popover_controls::smallRoundedButton;
using popover_controls::symbolView;

namespace {

constexpr double kSliderMinimum = 0;
constexpr double kSliderMaximum = 100;
constexpr ui::SymbolConfiguration kDisplaySymbolConfiguration{14, ui::FontWeight::Medium};
// The banner's tint: faint enough to keep its text readable in both themes.
constexpr double kBannerFillAlpha = 0.15;
constexpr double kBannerBorderAlpha = 0.35;
constexpr double kBannerCornerRadius = 8;

void setY(ui::View& view, double y) { view.setFrameOrigin({view.frame().x, y}); }

MenuBarViewController::Dependencies sharedDependencies() {
  return {
      DisplayManager::shared(),
      KeyboardInterceptor::shared(),
      std::make_shared<platform::XdgAutostartLoginItem>(
          platform::XdgAutostartLoginItem::userEntryPath(),
          platform::XdgAutostartLoginItem::runningExecutable()),
      [](std::int64_t level) { BrightnessHUD::shared()->show(level); },
      [] { ui::Application::shared()->terminate(); },
  };
}

}  // namespace

MenuBarViewController::MenuBarViewController() : MenuBarViewController(sharedDependencies()) {}

MenuBarViewController::MenuBarViewController(Dependencies dependencies)
    : displayManager_(std::move(dependencies.displayManager)),
      keyboardInterceptor_(std::move(dependencies.keyboardInterceptor)),
      loginItems_(std::move(dependencies.loginItems)),
      showHud_(std::move(dependencies.showHud)),
      terminate_(std::move(dependencies.terminate)),
      actionTarget_(std::make_shared<MenuBarViewController*>(this)) {}

MenuBarViewController::~MenuBarViewController() { actionTarget_.reset(); }

std::shared_ptr<ui::View> MenuBarViewController::view() {
  if (!rootView_) {
    loadView();
  }
  return rootView_;
}

void MenuBarViewController::loadView() {
  rootView_ = std::make_shared<ui::View>(layout::kRootFrame);
  rootView_->setWantsLayer(true);
  setupUI();
  updateDisplayInfo();
  updatePermissionBanner(keyboardInterceptor_->isTrusted());
  updateLaunchAtLoginState();
}

void MenuBarViewController::setupUI() {
  addTitleRow();
  addSliderRow();
  addPresetRow();
  addCheckboxRow();
  addPermissionBanner();
  addBottomRow();
}

void MenuBarViewController::addTitleRow() {
  auto displayIcon = std::make_shared<ui::ImageView>(layout::kDisplayIcon);
  if (auto symbol = ui::Image::systemSymbol("display", "Display")) {
    displayIcon->setImage(symbol->withSymbolConfiguration(kDisplaySymbolConfiguration));
  }
  displayIcon->setContentTintColor(ui::Color::secondaryLabel());
  addTopRowView(displayIcon);

  titleLabel_ = label(layout::kTitleLabel, "", ui::Font::systemFont(13, ui::FontWeight::Semibold));
  titleLabel_->setLineBreakMode(ui::LineBreakMode::TruncatingTail);
  addTopRowView(titleLabel_);

  percentLabel_ = label(layout::kPercentLabel, "",
                        ui::Font::monospacedDigitSystemFont(13, ui::FontWeight::Bold));
  percentLabel_->setAlignment(ui::TextAlignment::Right);
  addTopRowView(percentLabel_);
}

void MenuBarViewController::addSliderRow() {
  addTopRowView(symbolView(layout::kMinIcon, "sun.min", "Min", ui::Color::tertiaryLabel()));

  slider_ = std::make_shared<ui::Slider>(static_cast<double>(displayManager_->currentBrightness),
                                         kSliderMinimum, kSliderMaximum,
                                         action(&MenuBarViewController::sliderChanged));
  slider_->setFrame(layout::kSlider);
  slider_->setContinuous(true);
  addTopRowView(slider_);

  addTopRowView(symbolView(layout::kMaxIcon, "sun.max.fill", "Max", ui::Color::secondaryLabel()));
}

void MenuBarViewController::addPresetRow() {
  for (std::size_t i = 0; i < layout::kPresetLevels.size(); ++i) {
    const std::int64_t level = layout::kPresetLevels[i];
    auto preset =
        ui::Button::pushButton(levelText(level), action(&MenuBarViewController::presetClicked));
    preset->setTag(level);
    preset->setBezelStyle(ui::BezelStyle::Recessed);
    preset->setFrame(layout::presetFrame(i));
    preset->setFont(ui::Font::systemFont(11, ui::FontWeight::Medium));
    addTopRowView(preset);
  }
}

void MenuBarViewController::addCheckboxRow() {
  launchAtLoginCheckbox_ =
      ui::Button::checkbox("Start on login", action(&MenuBarViewController::toggleLaunchAtLogin));
  launchAtLoginCheckbox_->setFrame(layout::kCheckbox);
  launchAtLoginCheckbox_->setFont(ui::Font::systemFont(12, ui::FontWeight::Regular));
  rootView_->addSubview(launchAtLoginCheckbox_);

  hintLabel_ =
      label(layout::kHintLabel, "Keys: 🔅 / 🔆", ui::Font::systemFont(11, ui::FontWeight::Medium));
  hintLabel_->setTextColor(ui::Color::secondaryLabel());
  hintLabel_->setAlignment(ui::TextAlignment::Right);
  rootView_->addSubview(hintLabel_);
}

void MenuBarViewController::addPermissionBanner() {
  permissionContainer_ = std::make_shared<ui::View>(layout::kPermissionContainer);
  permissionContainer_->setWantsLayer(true);
  ui::Layer* layer = permissionContainer_->layer();
  const ui::Color orange = ui::Color::systemOrange();
  layer->setBackgroundColor(orange.withAlphaComponent(kBannerFillAlpha));
  layer->setCornerRadius(kBannerCornerRadius);
  layer->setBorderColor(orange.withAlphaComponent(kBannerBorderAlpha));
  layer->setBorderWidth(1);

  permissionContainer_->addSubview(
      symbolView(layout::kWarningIcon, "exclamationmark.triangle.fill", "Warning", orange));
  auto warningLabel = label(layout::kWarningLabel, "Key control requires access",
                            ui::Font::systemFont(10, ui::FontWeight::Medium));
  // Wider desktop fonts than the layout was drawn for would cut a letter in
  // half at the Grant button; an ellipsis reads as intended.
  warningLabel->setLineBreakMode(ui::LineBreakMode::TruncatingTail);
  permissionContainer_->addSubview(warningLabel);
  permissionButton_ = smallRoundedButton(layout::kPermissionButton, "Grant",
                                         action(&MenuBarViewController::grantPermissionClicked));
  permissionContainer_->addSubview(permissionButton_);
  rootView_->addSubview(permissionContainer_);
}

void MenuBarViewController::addBottomRow() {
  divider_ = std::make_shared<ui::Box>(layout::kDivider);
  divider_->setBoxType(ui::BoxType::Separator);
  rootView_->addSubview(divider_);

  quitBtn_ = smallRoundedButton(layout::kQuitButton, "Quit Glimmerbox",
                                action(&MenuBarViewController::quitClicked));
  rootView_->addSubview(quitBtn_);

  auto versionLabel = label(layout::kVersionLabel, "Glimmerbox v1.0",
                            ui::Font::systemFont(11, ui::FontWeight::Regular));
  versionLabel->setTextColor(ui::Color::tertiaryLabel());
  rootView_->addSubview(versionLabel);
}

void MenuBarViewController::addTopRowView(std::shared_ptr<ui::View> view) {
  rootView_->addSubview(view);
  const double createdY = view->frame().y;
  topRows_.emplace_back(std::move(view), createdY);
}

void MenuBarViewController::moveTopRows(double shift) {
  for (const auto& [view, createdY] : topRows_) {
    setY(*view, createdY + shift);
  }
}

template <typename Sender>
std::function<void(Sender&)> MenuBarViewController::action(
    void (MenuBarViewController::*handler)(Sender&)) {
  return [target = std::weak_ptr(actionTarget_), handler](Sender& sender) {
    if (auto controller = target.lock()) {
      ((**controller).*handler)(sender);
    }
  };
}

std::function<void(ui::Button&)> MenuBarViewController::action(
    void (MenuBarViewController::*handler)()) {
  return [target = std::weak_ptr(actionTarget_), handler](ui::Button&) {
    if (auto controller = target.lock()) {
      ((**controller).*handler)();
    }
  };
}

void MenuBarViewController::updateDisplayInfo() {
  displayManager_->detectMonitorName();
  if (titleLabel_) {
    titleLabel_->setStringValue(displayManager_->monitorName);
  }
  updateBrightnessUI(displayManager_->currentBrightness);
  updateLaunchAtLoginState();
}

void MenuBarViewController::updatePermissionBanner(bool isTrusted) {
  // Build first: building applies the interceptor's state, which this
  // report may already have overtaken.
  const std::shared_ptr<ui::View> root = view();
  permissionContainer_->setHidden(isTrusted);
  const layout::BannerLayout& chosen =
      isTrusted ? layout::kLayoutWithAccess : layout::kLayoutWithBanner;
  ui::Rect frame = root->frame();
  frame.height = chosen.rootHeight;
  root->setFrame(frame);

  moveTopRows(chosen.topRowsShift);
  setY(*launchAtLoginCheckbox_, chosen.checkboxRowY);
  setY(*hintLabel_, chosen.checkboxRowY);
  if (!isTrusted) {
    setY(*permissionContainer_, chosen.bannerY);
  }
  setY(*divider_, chosen.dividerY);
  setY(*quitBtn_, chosen.quitY);
}

void MenuBarViewController::updateLaunchAtLoginState() {
  if (!launchAtLoginCheckbox_) {
    return;
  }
  launchAtLoginCheckbox_->setState(launchesAtLogin() ? ui::ControlState::On
                                                     : ui::ControlState::Off);
}

void MenuBarViewController::updateBrightnessUI(std::int64_t level) {
  if (slider_) {
    slider_->setDoubleValue(static_cast<double>(level));
  }
  if (percentLabel_) {
    percentLabel_->setStringValue(levelText(level));
  }
}

void MenuBarViewController::sliderChanged(ui::Slider& sender) {
  // std::llround takes halves away from zero: 49.5 is 50, 49.49 is 49.
  const std::int64_t level = std::llround(sender.doubleValue());
  displayManager_->setBrightness(level);
  percentLabel_->setStringValue(levelText(level));
}

void MenuBarViewController::presetClicked(ui::Button& sender) {
  const std::int64_t level = sender.tag();
  displayManager_->setBrightness(level);
  slider_->setDoubleValue(static_cast<double>(level));
  percentLabel_->setStringValue(levelText(level));
  showHud_(level);
}

void MenuBarViewController::toggleLaunchAtLogin(ui::Button& sender) {
  setLaunchesAtLogin(sender.state() == ui::ControlState::On);
}

bool MenuBarViewController::launchesAtLogin() const {
  return loginItems_->status() == platform::LoginItemService::Status::enabled;
}

void MenuBarViewController::setLaunchesAtLogin(bool turnOn) {
  const auto error = turnOn ? loginItems_->registerItem() : loginItems_->unregisterItem();
  if (error) {
    platform::logLine("[Glimmerbox] Error toggling launch at login: " + error->description);
  } else {
    platform::logLine(turnOn ? "[Glimmerbox] Successfully registered launch at login"
                             : "[Glimmerbox] Successfully unregistered launch at login");
  }
  updateLaunchAtLoginState();
}

void MenuBarViewController::grantPermissionClicked() {
  keyboardInterceptor_->openAccessibilityPreferences();
}

void MenuBarViewController::quitClicked() { terminate_(); }
