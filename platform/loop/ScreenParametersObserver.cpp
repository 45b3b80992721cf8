#include "platform/loop/ScreenParametersObserver.h"

#include <QGuiApplication>
#include <QObject>
#include <QScreen>

namespace loop {

struct ScreenParametersObserver::Impl {
  std::function<void()> onChange;
  QObject context;  // Disconnects every connection when the observer goes.

  void watch(QScreen* screen) {
    QObject::connect(screen, &QScreen::geometryChanged, &context, [this] { onChange(); });
    QObject::connect(screen, &QScreen::availableGeometryChanged, &context, [this] { onChange(); });
  }
};

ScreenParametersObserver::ScreenParametersObserver(std::function<void()> onChange)
    : impl_(std::make_unique<Impl>()) {
  impl_->onChange = std::move(onChange);
  Impl* impl = impl_.get();
  for (QScreen* screen : QGuiApplication::screens()) {
    impl->watch(screen);
  }
  auto* app = qGuiApp;
  QObject::connect(app, &QGuiApplication::screenAdded, &impl->context, [impl](QScreen* screen) {
    impl->watch(screen);
    impl->onChange();
  });
  QObject::connect(app, &QGuiApplication::screenRemoved, &impl->context,
                   [impl](QScreen*) { impl->onChange(); });
  QObject::connect(app, &QGuiApplication::primaryScreenChanged, &impl->context,
                   [impl](QScreen*) { impl->onChange(); });
}

ScreenParametersObserver::~ScreenParametersObserver() = default;

}  // namespace loop
