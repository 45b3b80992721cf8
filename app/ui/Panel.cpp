#include "app/ui/Panel.h"

#include <QEasingCurve>
#include <QGuiApplication>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QVariantAnimation>
#include <cmath>

#include "app/ui/AnimationContext.h"
#include "app/ui/LayerShell.h"
#include "app/ui/PanelWindow.h"
#include "app/ui/QtConversions.h"
#include "app/ui/ScreenCoordinates.h"
#include "app/ui/ViewImpl.h"

namespace ui {

struct Panel::Impl {
  std::unique_ptr<PanelWindow> window = std::make_unique<PanelWindow>();
  Rect frame;
  bool opaque = true;
  Color backgroundColor = Color::clear();
  bool hasShadow = true;
  WindowLevel level = WindowLevel::Normal;
  unsigned collectionBehavior = CollectionBehaviorDefault;
  double alpha = 1.0;
  QPointer<QVariantAnimation> alphaAnimation;
  std::shared_ptr<AnimationContext::Group> alphaAnimationGroup;
  std::shared_ptr<View> contentView;

  void applyFlags() {
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
    if (level == WindowLevel::Floating) {
      flags |= Qt::WindowStaysOnTopHint;
    }
    if ((collectionBehavior & CollectionBehaviorCanJoinAllSpaces) != 0) {
      // Left to no window manager: on every desktop, in no taskbar, pager or
      // switcher, and never given focus.
      flags |= Qt::X11BypassWindowManagerHint;
    }
    const bool wasVisible = window->isVisible();
    releaseFromLayerShell();
    window->setWindowFlags(flags);  // Hides a visible window.
    if (wasVisible) {
      window->show();
      placeOnLayerShell();
    }
  }

  // On a Wayland compositor with the layer shell, a panel left to no window
  // manager (the HUD) is put where its frame says, above other windows.
  void placeOnLayerShell() {
    LayerShell* shell = LayerShell::instance();
    if (shell != nullptr && window->isVisible() &&
        window->windowFlags().testFlag(Qt::BypassWindowManagerHint)) {
      shell->placeAt(*window->windowHandle(), window->geometry(), {.overlay = true});
    }
  }

  void releaseFromLayerShell() {
    if (LayerShell* shell = LayerShell::instance(); shell != nullptr && window->windowHandle()) {
      shell->release(*window->windowHandle());
    }
  }

  // A translucent panel whose content clips to rounded corners takes their
  // shape, so without a compositor the corners are cut out instead of black.
  void applyShape() {
    Layer* layer = contentView ? contentView->layer() : nullptr;
    if (opaque || layer == nullptr || !layer->masksToBounds() || layer->cornerRadius() <= 0) {
      window->clearMask();
      return;
    }
    QPainterPath shape;
    const double radius = layer->cornerRadius();
    shape.addRoundedRect(QRectF(0, 0, frame.width, frame.height), radius, radius);
    window->setMask(QRegion(shape.toFillPolygon().toPolygon()));
  }

  // Qt's Wayland windows have no opacity: there a panel shows and hides
  // without fading.
  void applyAlpha(double value) {
    alpha = value;
    if (QGuiApplication::platformName() != "wayland") {
      window->setWindowOpacity(value);
    }
  }

  void placeWindow() {
    const QRectF topDown = ScreenCoordinates::current().qt(frame);
    window->setGeometry(toQRect({topDown.x(), topDown.y(), topDown.width(), topDown.height()}));
    placeOnLayerShell();
  }

  // Stops a running fade where it is; its group learns it was interrupted.
  void interruptAlphaAnimation() {
    if (!alphaAnimation) {
      return;
    }
    alphaAnimation->stop();
    delete alphaAnimation.data();
    endAlphaAnimation(true);
  }

  void endAlphaAnimation(bool interrupted) {
    std::shared_ptr<AnimationContext::Group> group = std::move(alphaAnimationGroup);
    alphaAnimationGroup.reset();
    if (group) {
      group->animationEnded(interrupted);
    }
  }
};

void PanelAnimator::setAlphaValue(double alpha) {
  AnimationContext* context = AnimationContext::current();
  panel_.animateAlpha(alpha, context != nullptr ? context->duration() : 0);
}

Panel::Panel(Rect contentRect) : impl_(std::make_unique<Impl>()) {
  impl_->frame = contentRect;
  impl_->applyFlags();
  impl_->placeWindow();
}

Panel::~Panel() {
  impl_->interruptAlphaAnimation();
  setContentView(nullptr);  // A content view held elsewhere keeps its widget.
}

bool Panel::isOpaque() const { return impl_->opaque; }

void Panel::setOpaque(bool opaque) {
  impl_->opaque = opaque;
  impl_->window->setAttribute(Qt::WA_TranslucentBackground, !opaque);
}

Color Panel::backgroundColor() const { return impl_->backgroundColor; }

void Panel::setBackgroundColor(Color color) {
  impl_->backgroundColor = color;
  impl_->window->setBackgroundColor(toQColor(color));
}

bool Panel::hasShadow() const { return impl_->hasShadow; }

// The shadow is the compositor's to draw; the setting is kept for callers.
void Panel::setHasShadow(bool hasShadow) { impl_->hasShadow = hasShadow; }

WindowLevel Panel::level() const { return impl_->level; }

void Panel::setLevel(WindowLevel level) {
  impl_->level = level;
  impl_->applyFlags();
}

unsigned Panel::collectionBehavior() const { return impl_->collectionBehavior; }

void Panel::setCollectionBehavior(unsigned behavior) {
  impl_->collectionBehavior = behavior;
  impl_->applyFlags();
}

double Panel::alphaValue() const { return impl_->alpha; }

void Panel::setAlphaValue(double alpha) {
  impl_->interruptAlphaAnimation();
  impl_->applyAlpha(alpha);
}

void Panel::animateAlpha(double alpha, double duration) {
  impl_->interruptAlphaAnimation();
  AnimationContext* context = AnimationContext::current();
  if (duration <= 0 || context == nullptr) {
    impl_->applyAlpha(alpha);
    return;
  }
  auto* animation = new QVariantAnimation(impl_->window.get());
  animation->setStartValue(impl_->alpha);
  animation->setEndValue(alpha);
  animation->setDuration(static_cast<int>(std::lround(duration * 1000)));
  animation->setEasingCurve(QEasingCurve::InOutQuad);
  Impl* impl = impl_.get();
  QObject::connect(animation, &QVariantAnimation::valueChanged,
                   [impl](const QVariant& value) { impl->applyAlpha(value.toDouble()); });
  QObject::connect(animation, &QVariantAnimation::finished, [impl, animation, alpha] {
    impl->applyAlpha(alpha);  // Exactly the target, whatever the last step was.
    impl->alphaAnimation = nullptr;
    animation->deleteLater();
    impl->endAlphaAnimation(false);
  });
  impl_->alphaAnimation = animation;
  impl_->alphaAnimationGroup = context->group();
  context->group()->animationStarted();
  animation->start();
}

void Panel::orderFrontRegardless() {
  if (!impl_->window->isVisible()) {
    impl_->applyShape();
    impl_->window->show();  // A newly mapped window comes up on top.
    impl_->placeOnLayerShell();
    return;
  }
  impl_->window->raise();
}

void Panel::orderOut() {
  impl_->releaseFromLayerShell();
  impl_->window->hide();
}

bool Panel::isVisible() const { return impl_->window->isVisible(); }

Rect Panel::frame() const { return impl_->frame; }

void Panel::setFrameOrigin(Point origin) {
  impl_->frame.x = origin.x;
  impl_->frame.y = origin.y;
  impl_->placeWindow();
}

std::shared_ptr<View> Panel::contentView() const { return impl_->contentView; }

void Panel::setContentView(std::shared_ptr<View> view) {
  if (impl_->contentView) {
    impl_->contentView->impl().widget->setParent(nullptr);
  }
  impl_->contentView = std::move(view);
  if (!impl_->contentView) {
    return;
  }
  impl_->contentView->impl().widget->setParent(impl_->window.get());
  impl_->contentView->setFrame({0, 0, impl_->frame.width, impl_->frame.height});
  impl_->contentView->setHidden(impl_->contentView->isHidden());
}

}  // namespace ui
