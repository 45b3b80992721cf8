#pragma once

#include <memory>

#include "app/ui/View.h"

namespace ui {

enum class VisualEffectMaterial { HudWindow };
enum class VisualEffectState { FollowsWindowActiveState, Active, Inactive };
enum class VisualEffectBlendingMode { BehindWindow, WithinWindow };

// The heads-up-display material: a dark, softly shaded tint over a blurred
// picture of what lies behind the window (taken as it comes on screen), or
// over the plain translucent window where the screen cannot be read. Rounded
// by its layer's corner radius when the layer clips.
class VisualEffectView : public View {
 public:
  explicit VisualEffectView(Rect frame);
  ~VisualEffectView() override;

  VisualEffectMaterial material() const;
  void setMaterial(VisualEffectMaterial material);
  VisualEffectState state() const;
  void setState(VisualEffectState state);
  VisualEffectBlendingMode blendingMode() const;
  void setBlendingMode(VisualEffectBlendingMode mode);

  struct Settings;

 private:
  std::shared_ptr<Settings> settings_;
};

}  // namespace ui
