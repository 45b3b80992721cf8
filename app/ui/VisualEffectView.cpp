#include "app/ui/VisualEffectView.h"

#include <QLinearGradient>
#include <QPainter>

#include "app/ui/ViewImpl.h"
#include "app/ui/ViewWidget.h"

namespace ui {

namespace {
// The heads-up material: a dark tint dense enough that what lies behind only
// shows as soft shapes (there is no blur to hide its detail), a little lighter
// at the top so the capsule catches light. White content reads over anything.
const QColor kHudTop(62, 62, 66, 234);
const QColor kHudBottom(34, 34, 38, 240);
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
