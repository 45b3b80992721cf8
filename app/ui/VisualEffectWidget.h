#pragma once

#include <QImage>

#include "app/ui/ViewWidget.h"

namespace ui {

// The widget behind a VisualEffectView. When it comes on screen it takes a
// softened picture of what lies behind it and draws the material's tint over
// that; where the screen cannot be read it falls back to a denser tint.
// The picture is taken once per appearance: it does not follow changes
// behind the window while it stays up.
class VisualEffectWidget : public ViewWidget {
 public:
  VisualEffectWidget();

  void setBlursBehindWindow(bool blurs);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void captureBackdrop();
  void paintMaterial(QPainter& painter, const QRectF& bounds) const;

  bool blursBehindWindow_ = true;
  QImage backdrop_;
};

}  // namespace ui
