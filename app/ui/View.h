#pragma once

#include <memory>
#include <vector>

#include "app/ui/Geometry.h"
#include "app/ui/Layer.h"

namespace ui {

// A rectangle on screen that draws itself and holds subviews.
//
// A frame is given in the parent's unflipped points: origin at the parent's
// lower-left corner, y upwards. A view keeps its distance from the parent's
// lower edge when the parent's height changes; nothing is resized or moved
// automatically. A later subview draws over an earlier one. Hiding a view hides
// its subviews with it. A view without a parent sits at the top-left corner of
// whatever hosts it (a panel or a popup window), which sizes itself to it.
//
// Views live on the main thread. A parent holds its subviews; a subview that
// outlives its parent is detached from it.
class View {
 public:
  explicit View(Rect frame);
  virtual ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  Rect frame() const;
  void setFrame(Rect frame);
  void setFrameOrigin(Point origin);

  bool isHidden() const;
  void setHidden(bool hidden);

  void addSubview(std::shared_ptr<View> subview);
  const std::vector<std::shared_ptr<View>>& subviews() const;
  View* superview() const;

  // Gives the view a layer; until then `layer()` is null.
  void setWantsLayer(bool wantsLayer);
  Layer* layer();

  struct Impl;
  Impl& impl() const { return *impl_; }

 protected:
  explicit View(std::unique_ptr<Impl> impl);

 private:
  void placeWidget();
  void placeSubviews();

  std::unique_ptr<Impl> impl_;
};

}  // namespace ui
