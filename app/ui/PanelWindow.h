#pragma once

#include <QColor>
#include <QWidget>

namespace ui {

// The top-level window behind a Panel: fills itself with the panel's
// background colour and never takes focus.
class PanelWindow : public QWidget {
 public:
  PanelWindow();

  void setBackgroundColor(const QColor& color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor backgroundColor_;
};

}  // namespace ui
