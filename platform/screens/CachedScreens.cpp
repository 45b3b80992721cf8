#include "platform/screens/CachedScreens.h"

#include "platform/loop/ScreenParametersObserver.h"

namespace platform {

struct CachedScreens::Impl {
  explicit Impl(std::shared_ptr<Screens> screens)
      : source(std::move(screens)), observer([this] { forget(); }) {}

  void forget() {
    screens.reset();
    mainScreen.reset();
  }

  std::shared_ptr<Screens> source;
  std::optional<std::vector<Screen>> screens;
  std::optional<std::optional<Screen>> mainScreen;
  loop::ScreenParametersObserver observer;
};

CachedScreens::CachedScreens(std::shared_ptr<Screens> source)
    : impl_(std::make_unique<Impl>(std::move(source))) {}

CachedScreens::~CachedScreens() = default;

std::vector<Screen> CachedScreens::screens() const {
  if (!impl_->screens) {
    impl_->screens = impl_->source->screens();
  }
  return *impl_->screens;
}

std::optional<Screen> CachedScreens::mainScreen() const {
  if (!impl_->mainScreen) {
    impl_->mainScreen = impl_->source->mainScreen();
  }
  return *impl_->mainScreen;
}

std::optional<std::string> CachedScreens::outputUnderPointer() const {
  return impl_->source->outputUnderPointer();
}

}  // namespace platform
