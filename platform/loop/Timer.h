#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace loop {

// A block timer on the main loop. Its first firing comes one interval after
// it is scheduled; a repeating timer fires again every interval. `invalidate`
// stops any further firing, also from inside the block. The loop keeps a
// scheduled timer alive until it has fired for the last time or has been
// invalidated, so callers may hold it weakly or not at all.
class Timer : public std::enable_shared_from_this<Timer> {
 public:
  using Block = std::function<void(Timer&)>;

  // Must be called on the main thread.
  static std::shared_ptr<Timer> scheduled(std::chrono::duration<double> interval, bool repeats,
                                          Block block);

  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void invalidate();
  bool isValid() const;

 private:
  struct Impl;
  Timer(std::chrono::duration<double> interval, bool repeats, Block block);
  void fire();

  std::unique_ptr<Impl> impl_;
};

}  // namespace loop
