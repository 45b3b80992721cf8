#pragma once

#include <functional>
#include <memory>

namespace loop {

// Calls `onChange` on the main thread each time the screen parameters change:
// a screen added or removed, the primary screen changed, or a screen's
// geometry or available geometry changed. Observes until destroyed.
class ScreenParametersObserver {
 public:
  explicit ScreenParametersObserver(std::function<void()> onChange);
  ~ScreenParametersObserver();
  ScreenParametersObserver(const ScreenParametersObserver&) = delete;
  ScreenParametersObserver& operator=(const ScreenParametersObserver&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace loop
