#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>

// The HUD's window: a dark capsule with a white sun, a level bar and the
// level in percent. A tool window left to no window manager, so it never
// takes focus, stays on top and shows on every desktop. As it comes up it
// takes a blurred picture of what lies behind it to draw under its tint;
// where the screen cannot be read the tint is denser instead. The picture
// is not renewed while it stays up.
class HudCapsule : public QWidget {
 public:
  HudCapsule();

  void setLevel(std::int64_t level);

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void captureBackdrop();
  void paintBody(QPainter& painter) const;
  void paintBar(QPainter& painter) const;
  void paintLabel(QPainter& painter) const;

  std::int64_t level_ = 0;
  QString text_ = QStringLiteral("100%");
  QImage backdrop_;
};
