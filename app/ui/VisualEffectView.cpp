#include "app/ui/VisualEffectView.h"

#include "app/ui/ViewImpl.h"
#include "app/ui/VisualEffectWidget.h"

namespace ui {

struct VisualEffectView::Settings {
  VisualEffectMaterial material = VisualEffectMaterial::HudWindow;
  VisualEffectState state = VisualEffectState::FollowsWindowActiveState;
  VisualEffectBlendingMode blendingMode = VisualEffectBlendingMode::BehindWindow;
};

VisualEffectView::VisualEffectView(Rect frame)
    : View(std::make_unique<Impl>(new VisualEffectWidget)),
      settings_(std::make_shared<Settings>()) {
  setFrame(frame);
}

VisualEffectView::~VisualEffectView() = default;

VisualEffectMaterial VisualEffectView::material() const { return settings_->material; }

void VisualEffectView::setMaterial(VisualEffectMaterial material) {
  settings_->material = material;
}

VisualEffectState VisualEffectView::state() const { return settings_->state; }

void VisualEffectView::setState(VisualEffectState state) { settings_->state = state; }

VisualEffectBlendingMode VisualEffectView::blendingMode() const { return settings_->blendingMode; }

void VisualEffectView::setBlendingMode(VisualEffectBlendingMode mode) {
  settings_->blendingMode = mode;
  static_cast<VisualEffectWidget*>(impl().widget.data())
      ->setBlursBehindWindow(mode == VisualEffectBlendingMode::BehindWindow);
}

}  // namespace ui
