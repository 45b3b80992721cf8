#include "app/ui/AnimationContext.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace ui {

namespace {
AnimationContext* currentContext = nullptr;
}

void AnimationContext::runAnimationGroup(const Changes& changes, std::function<void()> completion) {
  AnimationContext context(std::make_shared<Group>(std::move(completion)));
  AnimationContext* outer = currentContext;
  currentContext = &context;
  changes(context);
  currentContext = outer;
  context.group_->changesEnded();
}

AnimationContext* AnimationContext::current() { return currentContext; }

void AnimationContext::Group::animationEnded(bool interrupted) {
  --running_;
  completeIfDone(interrupted);
}

void AnimationContext::Group::changesEnded() {
  changesEnded_ = true;
  completeIfDone(true);
}

void AnimationContext::Group::completeIfDone(bool later) {
  if (completed_ || !changesEnded_ || running_ > 0) {
    return;
  }
  completed_ = true;
  if (!completion_) {
    return;
  }
  if (!later) {
    // Straight from the animation's last step: nothing can come between the
    // final value and the completion that looks at it.
    completion_();
    return;
  }
  // Never inside the call that interrupted the animation.
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(completion_),
                            Qt::QueuedConnection);
}

}  // namespace ui
