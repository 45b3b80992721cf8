#pragma once

#include <memory>

#include "app/ui/View.h"

namespace ui {

enum class VisualEffectMaterial { HudWindow };
enum class VisualEffectState { FollowsWindowActiveState, Active, Inactive };
enum class VisualEffectBlendingMode { BehindWindow, WithinWindow };

// A translucent background standing in for a blurred one: what lies behind
// shows through a dark, softly shaded tint (the heads-up-display material).
// Rounded by its layer's corner radius when the layer clips.
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
