#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "keys/KeyboardInterceptorDelegate.h"
#include "platform/InputAccessQuery.h"
#include "platform/input/InputTap.h"
#include "platform/UrlOpener.h"

namespace loop {
class Timer;
}

// Takes over the brightness keys system-wide and reports each press to the
// delegate as one step; watches the input-access permission the takeover
// needs. Must be owned by a std::shared_ptr: the tap and the posted reports
// hold it weakly. Every public operation runs on the main thread.
class KeyboardInterceptor : public std::enable_shared_from_this<KeyboardInterceptor> {
 public:
  struct Services {
    std::shared_ptr<platform::InputTapService> tapService;
    std::shared_ptr<platform::InputAccessQuery> accessQuery;
    std::shared_ptr<platform::UrlOpener> urlOpener;
    // The page that explains how to grant input access.
    std::string accessHelpUrl;
  };

  // The one instance with the real services, created on first use and never
  // destroyed.
  static std::shared_ptr<KeyboardInterceptor> shared();

  explicit KeyboardInterceptor(Services services);
  ~KeyboardInterceptor();
  KeyboardInterceptor(const KeyboardInterceptor&) = delete;
  KeyboardInterceptor& operator=(const KeyboardInterceptor&) = delete;

  std::weak_ptr<KeyboardInterceptorDelegate> delegate;

  bool isTrusted() const;

  // Installs the tap unless one exists.
  void startEventTap();
  // Removes the tap and stops the permission poll.
  void stopEventTap();
  // Reports the permission to the delegate at once, then starts the tap or a
  // once-a-second poll that starts it when access is granted.
  void checkAndRequestPermissions();
  void openAccessibilityPreferences();

 private:
  static platform::InputTapService::Callback makeTapCallback(
      std::weak_ptr<KeyboardInterceptor> interceptor);
  platform::TapVerdict handleTapEvent(const platform::TapEvent& event);
  void reenableTapIfPresent();
  void postBrightnessReport(bool isUp, bool isFineGrained);
  void startPermissionPolling();
  void permissionPollTick(loop::Timer& timer);
  void loseTrust();

  Services services_;
  // The tap is also reached from its input thread (re-enabling it), so it is
  // only touched under this lock; it is never destroyed under it.
  mutable std::mutex tapMutex_;
  std::unique_ptr<platform::InputTap> eventTap_;
  std::shared_ptr<loop::Timer> permissionPollTimer_;
  bool isTrusted_ = false;
};
