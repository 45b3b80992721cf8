#pragma once

#include <memory>

#include "app/ui/Color.h"
#include "app/ui/Geometry.h"
#include "app/ui/View.h"

namespace ui {

enum class WindowLevel { Normal, Floating };

// Where a window shows and whether window cycling reaches it.
enum CollectionBehavior : unsigned {
  CollectionBehaviorDefault = 0,
  CollectionBehaviorCanJoinAllSpaces = 1 << 0,
  CollectionBehaviorStationary = 1 << 4,
  CollectionBehaviorIgnoresCycle = 1 << 6,
};

class Panel;

// Sets a panel's values through the running animation group, if any.
class PanelAnimator {
 public:
  explicit PanelAnimator(Panel& panel) : panel_(panel) {}
  void setAlphaValue(double alpha);

 private:
  Panel& panel_;
};

// A borderless, non-activating panel: it comes up without activating the
// application or taking keyboard focus from the window that has it, and it is
// never in the taskbar. A floating panel stays above normal windows; one that
// can join all spaces shows on every desktop and is left out of window
// switching. The frame is in global unflipped points (origin at the primary
// screen's lower-left corner, y upwards). Translucency and a fading alpha
// need a compositor; without one the panel still appears and leaves as asked.
class Panel {
 public:
  explicit Panel(Rect contentRect);
  ~Panel();
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  bool isOpaque() const;
  void setOpaque(bool opaque);
  Color backgroundColor() const;
  void setBackgroundColor(Color color);
  bool hasShadow() const;
  void setHasShadow(bool hasShadow);
  WindowLevel level() const;
  void setLevel(WindowLevel level);
  unsigned collectionBehavior() const;
  void setCollectionBehavior(unsigned behavior);

  // The present alpha, also while it is being animated.
  double alphaValue() const;
  void setAlphaValue(double alpha);
  PanelAnimator animator() { return PanelAnimator(*this); }

  void orderFrontRegardless();
  void orderOut();
  bool isVisible() const;

  Rect frame() const;
  void setFrameOrigin(Point origin);

  std::shared_ptr<View> contentView() const;
  // Fills the panel with `view`, which takes the content size.
  void setContentView(std::shared_ptr<View> view);

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  friend class PanelAnimator;
  void animateAlpha(double alpha, double duration);

  std::unique_ptr<Impl> impl_;
};

}  // namespace ui
