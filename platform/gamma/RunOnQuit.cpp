#include "platform/gamma/RunOnQuit.h"

#include <QCoreApplication>

namespace platform {

RunOnQuit::RunOnQuit(std::function<void()> action) : action_(std::move(action)) {}

void RunOnQuit::arm() {
  QCoreApplication* application = QCoreApplication::instance();
  if (armed_ || application == nullptr) {
    return;
  }
  armed_ = true;
  QObject::connect(application, &QCoreApplication::aboutToQuit, &receiver_, [this] { action_(); });
}

}  // namespace platform
