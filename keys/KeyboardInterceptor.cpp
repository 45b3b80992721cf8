#include "keys/KeyboardInterceptor.h"

#include <chrono>

#include "app/loop/MainQueue.h"
#include "app/loop/Timer.h"
#include "keys/TapEventClassification.h"
#include "platform/DataFiles.h"
#include "platform/DesktopUrlOpener.h"
#include "platform/KeyServiceClient.h"
#include "platform/Log.h"

namespace {

namespace te = platform::tapevent;

// Key-down and system-defined events; key-up and modifier changes are not
// needed to see a brightness key press.
constexpr std::uint64_t kEventMask = te::maskBit(te::kKeyDown) | te::maskBit(te::kSystemDefined);
constexpr std::chrono::duration<double> kPermissionPollInterval{1.0};

}  // namespace

std::shared_ptr<KeyboardInterceptor> KeyboardInterceptor::shared() {
  // Deliberately never destroyed: the tap's input thread may still hold it
  // while the process exits.
  static auto* client = new std::shared_ptr<platform::KeyServiceClient>(
      std::make_shared<platform::KeyServiceClient>(platform::KeyServiceClient::socketPath()));
  static auto* instance =
      new std::shared_ptr<KeyboardInterceptor>(std::make_shared<KeyboardInterceptor>(Services{
          *client,
          *client,
          std::make_shared<platform::DesktopUrlOpener>(),
          platform::DataFiles::helpPageUrl(),
      }));
  return *instance;
}

KeyboardInterceptor::KeyboardInterceptor(Services services) : services_(std::move(services)) {}

KeyboardInterceptor::~KeyboardInterceptor() = default;

bool KeyboardInterceptor::isTrusted() const { return isTrusted_; }

void KeyboardInterceptor::startEventTap() {
  {
    std::lock_guard lock(tapMutex_);
    if (eventTap_) {
      return;
    }
  }
  std::unique_ptr<platform::InputTap> tap =
      services_.tapService->createTap(kEventMask, makeTapCallback(weak_from_this()));
  if (!tap) {
    platform::logLine("[KeyboardInterceptor] Failed to create CGEventTap");
    return;
  }
  tap->setEnabled(true);
  {
    std::lock_guard lock(tapMutex_);
    eventTap_ = std::move(tap);
  }
  platform::logLine("[KeyboardInterceptor] Event tap successfully started");
}

void KeyboardInterceptor::stopEventTap() {
  std::unique_ptr<platform::InputTap> tap;
  {
    std::lock_guard lock(tapMutex_);
    tap = std::move(eventTap_);
  }
  if (tap) {
    tap->setEnabled(false);
    tap.reset();  // Outside the lock: removing it waits for the input thread.
  }
  if (permissionPollTimer_) {
    permissionPollTimer_->invalidate();
    permissionPollTimer_.reset();
  }
}

platform::InputTapService::Callback KeyboardInterceptor::makeTapCallback(
    std::weak_ptr<KeyboardInterceptor> interceptor) {
  return [interceptor](const platform::TapEvent& event) {
    std::shared_ptr<KeyboardInterceptor> self = interceptor.lock();
    if (!self) {
      return platform::TapVerdict::Pass;
    }
    return self->handleTapEvent(event);
  };
}

platform::TapVerdict KeyboardInterceptor::handleTapEvent(const platform::TapEvent& event) {
  using Verdict = TapEventClassification::Verdict;
  const TapEventClassification classification = classifyTapEvent(event);
  switch (classification.verdict) {
    case Verdict::ReenableTapAndPass:
      reenableTapIfPresent();
      return platform::TapVerdict::Pass;
    case Verdict::ReportAndDelete:
      postBrightnessReport(classification.isUp, classification.isFineGrained);
      return platform::TapVerdict::Delete;
    case Verdict::Delete:
      return platform::TapVerdict::Delete;
    case Verdict::Pass:
      break;
  }
  return platform::TapVerdict::Pass;
}

void KeyboardInterceptor::reenableTapIfPresent() {
  std::lock_guard lock(tapMutex_);
  if (eventTap_) {
    eventTap_->setEnabled(true);
  }
}

void KeyboardInterceptor::postBrightnessReport(bool isUp, bool isFineGrained) {
  loop::postToMain([interceptor = weak_from_this(), isUp, isFineGrained] {
    std::shared_ptr<KeyboardInterceptor> self = interceptor.lock();
    if (!self) {
      return;
    }
    if (std::shared_ptr<KeyboardInterceptorDelegate> receiver = self->delegate.lock()) {
      receiver->didChangeBrightness(isUp, isFineGrained);
    }
  });
}

void KeyboardInterceptor::checkAndRequestPermissions() {
  const bool trusted = services_.accessQuery->isProcessTrusted(true);
  isTrusted_ = trusted;
  if (std::shared_ptr<KeyboardInterceptorDelegate> receiver = delegate.lock()) {
    receiver->didUpdatePermissionStatus(trusted);
  }
  if (isTrusted_) {
    startEventTap();
    startPermissionPolling();
    return;
  }
  platform::logLine(
      "[KeyboardInterceptor] Accessibility permission not yet granted. Prompting user...");
  startPermissionPolling();
}

void KeyboardInterceptor::startPermissionPolling() {
  if (permissionPollTimer_) {
    permissionPollTimer_->invalidate();
  }
  permissionPollTimer_ = loop::Timer::scheduled(
      kPermissionPollInterval, true, [interceptor = weak_from_this()](loop::Timer& timer) {
        if (std::shared_ptr<KeyboardInterceptor> self = interceptor.lock()) {
          self->permissionPollTick(timer);
        }
      });
}

// The poll goes on after the grant: access can go away again (the key
// service stops), and then the tap goes and the banner comes back.
void KeyboardInterceptor::permissionPollTick(loop::Timer&) {
  const bool trusted = services_.accessQuery->isProcessTrusted(false);
  if (trusted == isTrusted_) {
    return;
  }
  if (!trusted) {
    loseTrust();
    return;
  }
  platform::logLine("[KeyboardInterceptor] Accessibility permission granted!");
  isTrusted_ = true;
  startEventTap();
  // Holds the interceptor strongly: the grant is reported even if nothing
  // else keeps it alive by then.
  loop::postToMain([self = shared_from_this()] {
    if (std::shared_ptr<KeyboardInterceptorDelegate> receiver = self->delegate.lock()) {
      receiver->didUpdatePermissionStatus(true);
    }
  });
}

void KeyboardInterceptor::loseTrust() {
  isTrusted_ = false;
  std::unique_ptr<platform::InputTap> tap;
  {
    std::lock_guard lock(tapMutex_);
    tap = std::move(eventTap_);
  }
  tap.reset();
  if (std::shared_ptr<KeyboardInterceptorDelegate> receiver = delegate.lock()) {
    receiver->didUpdatePermissionStatus(false);
  }
}

void KeyboardInterceptor::openAccessibilityPreferences() {
  services_.urlOpener->openUrl(services_.accessHelpUrl);
}
