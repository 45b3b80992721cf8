#pragma once

#include <QColor>
#include <QWidget>

// The popover's root: draws what is not a control (the display, sun and
// warning figures, the banner's tinted box, the divider) under the controls
// that are its children, and takes the height of its display rows and the
// banner's state.
class PopoverView : public QWidget {
 public:
  PopoverView();

  void setBannerShown(bool shown);
  // How many displays have a row of their own (1 for all of them together).
  void setDisplayRows(int rows);
  // How far the display rows after the first push the rest down.
  int rowsHeight() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void paintBanner(QPainter& painter) const;
  void paintDivider(QPainter& painter) const;

  void fitHeight();

  bool bannerShown_ = false;
  int displayRows_ = 1;
  // Taken from the palette when the view is built, as the labels' are.
  const QColor secondary_;
  const QColor tertiary_;
  const QColor orange_;
};
