#include "app/ui/QtApplication.h"

#include <QApplication>
#include <QMetaObject>

namespace ui {

namespace {
// QApplication keeps references to its arguments for its whole life.
int applicationArgc = 1;
char applicationName[] = "glimmerbox";
char* applicationArgv[] = {applicationName, nullptr};
}  // namespace

std::shared_ptr<Application> Application::shared() {
  // Never destroyed: Qt's X11 plugin ends the process with exit() when the
  // display goes away, and Qt cannot be torn down after that.
  static const auto* const application =
      new std::shared_ptr<Application>(std::make_shared<QtApplication>());
  return *application;
}

QtApplication::QtApplication() {
  if (QCoreApplication::instance() == nullptr) {
    new QApplication(applicationArgc, applicationArgv);  // Lives as long as the process.
  }
  QApplication::setQuitOnLastWindowClosed(false);
}

void QtApplication::setDelegate(std::weak_ptr<ApplicationDelegate> delegate) {
  delegate_ = std::move(delegate);
}

int QtApplication::run() {
  std::weak_ptr<ApplicationDelegate> delegate = delegate_;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [delegate] {
        if (auto strong = delegate.lock()) {
          strong->applicationDidFinishLaunching();
        }
      },
      Qt::QueuedConnection);
  return QApplication::exec();
}

void QtApplication::terminate() {
  // Queued, so it reaches a loop that is not running yet.
  QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                            Qt::QueuedConnection);
}

}  // namespace ui
