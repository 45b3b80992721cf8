#include "app/loop/FdSource.h"

#include <QSocketNotifier>

namespace loop {

struct FdSource::Impl {
  explicit Impl(int fd) : notifier(fd, QSocketNotifier::Read) {}
  QSocketNotifier notifier;
};

FdSource::FdSource(int fd, std::function<void()> onReadable) : impl_(std::make_unique<Impl>(fd)) {
  QObject::connect(&impl_->notifier, &QSocketNotifier::activated,
                   [callback = std::move(onReadable)] { callback(); });
}

FdSource::~FdSource() = default;

void FdSource::setEnabled(bool enabled) { impl_->notifier.setEnabled(enabled); }

}  // namespace loop
