#pragma once

#include <functional>
#include <memory>

namespace ui {

// Groups animated changes. Inside `runAnimationGroup`'s changes block, a value
// set through an animator (Panel::animator) moves gradually from its present
// value to the new one over the group's duration. The completion runs on the
// main thread once every animation of the group has ended: at once when the
// last one reaches its end, or on a later turn of the main loop when a later
// change interrupted it or the group animated nothing.
class AnimationContext {
 public:
  using Changes = std::function<void(AnimationContext& context)>;

  static void runAnimationGroup(const Changes& changes, std::function<void()> completion = {});

  double duration() const { return duration_; }
  void setDuration(double seconds) { duration_ = seconds; }

  // The group whose changes block is running, if any (for animators).
  static AnimationContext* current();

  // Bookkeeping of one group, shared with the animations it started.
  class Group {
   public:
    explicit Group(std::function<void()> completion) : completion_(std::move(completion)) {}
    void animationStarted() { ++running_; }
    void animationEnded(bool interrupted);
    void changesEnded();

   private:
    void completeIfDone(bool later);

    std::function<void()> completion_;
    int running_ = 0;
    bool changesEnded_ = false;
    bool completed_ = false;
  };
  const std::shared_ptr<Group>& group() const { return group_; }

 private:
  explicit AnimationContext(std::shared_ptr<Group> group) : group_(std::move(group)) {}

  double duration_ = 0.25;  // The toolkit's default animation length.
  std::shared_ptr<Group> group_;
};

}  // namespace ui
