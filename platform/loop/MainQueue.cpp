#include "platform/loop/MainQueue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdio>
#include <cstdlib>

namespace loop {

void postToMain(std::function<void()> work) {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) {
    std::fputs("loop::postToMain called before the application exists\n", stderr);
    std::abort();
  }
  // Queued calls to one receiver are delivered in posting order, whichever
  // thread posted them.
  QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

}  // namespace loop
