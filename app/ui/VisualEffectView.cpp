#include "app/ui/VisualEffectView.h"

#include <QLinearGradient>
#include <QPainter>

#include "app/ui/ViewImpl.h"
#include "app/ui/ViewWidget.h"

namespace ui {

namespace {
// The heads-up material: a dark, mostly opaque tint, a little lighter at the
// top, so white content reads over any background and the edge catches light.
const QColor kHudTop(58, 58, 60, 205);
const QColor kHudBottom(30, 30, 32, 215);
}  // namespace

struct VisualEffectView::Settings {
  VisualEffectMaterial material = VisualEffectMaterial::HudWindow;
  VisualEffectState state = VisualEffectState::FollowsWindowActiveState;
  VisualEffectBlendingMode blendingMode = VisualEffectBlendingMode::BehindWindow;
};

VisualEffectView::VisualEffectView(Rect frame)
    : View(std::make_unique<Impl>(new ViewWidget)), settings_(std::make_shared<Settings>()) {
  static_cast<ViewWidget*>(impl().widget.data())
      ->setContentPainter([](QPainter& painter, const QRectF& bounds) {
        QLinearGradient tint(bounds.topLeft(), bounds.bottomLeft());
        tint.setColorAt(0, kHudTop);
        tint.setColorAt(1, kHudBottom);
        painter.fillRect(bounds, tint);
      });
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
}

}  // namespace ui
