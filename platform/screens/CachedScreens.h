#pragma once

#include <memory>

#include "platform/screens/Screens.h"

namespace platform {

// Remembers what another Screens reports until the screen parameters change
// (a screen added or removed, the primary screen or a geometry changed).
// Asking the system names each monitor from its EDID, a round trip to the
// display server per output; callers on a hot path, such as every brightness
// step, ask this instead. Main thread only.
class CachedScreens : public Screens {
 public:
  explicit CachedScreens(std::shared_ptr<Screens> source);
  ~CachedScreens() override;

  std::vector<Screen> screens() const override;
  std::optional<Screen> mainScreen() const override;
  // Asked afresh: the pointer moves without the screens changing.
  std::optional<std::string> outputUnderPointer() const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
