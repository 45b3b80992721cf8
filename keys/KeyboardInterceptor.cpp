#include "keys/KeyboardInterceptor.h"

#include <chrono>

#include "platform/desktop/DataFiles.h"
#include "platform/desktop/DesktopUrlOpener.h"
#include "platform/keyservice-client/KeyServiceClient.h"
#include "platform/loop/Log.h"
#include "platform/loop/MainQueue.h"
#include "platform/loop/Timer.h"

namespace {

constexpr std::chrono::duration<double> kPermissionPollInterval{1.0};

}  // namespace

std::shared_ptr<KeyboardInterceptor> KeyboardInterceptor::shared() {
  // Deliberately never destroyed: the reader's thread may still hold it
  // while the process exits.
  static auto* client = new std::shared_ptr<platform::KeyServiceClient>(
      std::make_shared<platform::KeyServiceClient>(platform::KeyServiceClient::socketPath()));
  static auto* instance =
      new std::shared_ptr<KeyboardInterceptor>(std::make_shared<KeyboardInterceptor>(Services{
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
  if (subscription_) {
    return;
  }
  subscription_ = services_.keyReports->subscribe(
      [interceptor = weak_from_this()](const platform::KeyReport& report) {
        if (std::shared_ptr<KeyboardInterceptor> self = interceptor.lock()) {
          self->postBrightnessReport(report);
        }
      });
  if (!subscription_) {
    platform::logLine("[KeyboardInterceptor] Failed to create CGEventTap");
    return;
  }
  platform::logLine("[KeyboardInterceptor] Event tap successfully started");
}

void KeyboardInterceptor::stopEventTap() {
  subscription_.reset();
  if (permissionPollTimer_) {
    permissionPollTimer_->invalidate();
    permissionPollTimer_.reset();
  }
}

void KeyboardInterceptor::postBrightnessReport(const platform::KeyReport& report) {
  loop::postToMain([interceptor = weak_from_this(), report] {
    std::shared_ptr<KeyboardInterceptor> self = interceptor.lock();
    if (!self) {
      return;
    }
    if (std::shared_ptr<KeyboardInterceptorDelegate> receiver = self->delegate.lock()) {
      receiver->didChangeBrightness(report.isUp, report.isFineGrained);
    }
  });
}

void KeyboardInterceptor::checkAndRequestPermissions() {
  const bool trusted = services_.keyReports->isConnected(true);
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

// The poll goes on after the grant: the key service can stop, and then the
// subscription goes and the banner comes back.
void KeyboardInterceptor::permissionPollTick(loop::Timer&) {
  const bool trusted = services_.keyReports->isConnected(false);
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
  subscription_.reset();
  if (std::shared_ptr<KeyboardInterceptorDelegate> receiver = delegate.lock()) {
    receiver->didUpdatePermissionStatus(false);
  }
}

void KeyboardInterceptor::openAccessibilityPreferences() {
  services_.urlOpener->openUrl(services_.accessHelpUrl);
}
