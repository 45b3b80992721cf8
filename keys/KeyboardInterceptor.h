#pragma once

#include <memory>
#include <string>

#include "keys/KeyboardInterceptorDelegate.h"
#include "platform/desktop/UrlOpener.h"
#include "platform/keyservice-client/KeyReportSource.h"

namespace loop {
class Timer;
}

// Hands each brightness-key press the key service reports to the delegate as
// one step, and watches the connection to the service the keys need. Must be
// owned by a std::shared_ptr: the subscription and the posted reports hold it
// weakly. Every public operation runs on the main thread.
class KeyboardInterceptor : public std::enable_shared_from_this<KeyboardInterceptor> {
 public:
  struct Services {
    std::shared_ptr<platform::KeyReportSource> keyReports;
    std::shared_ptr<platform::UrlOpener> urlOpener;
    // The page that explains how to set up the key service.
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

  // Subscribes to the key reports unless subscribed.
  void startEventTap();
  // Ends the subscription and stops the connection poll.
  void stopEventTap();
  // Reports the connection to the delegate at once, then subscribes, and
  // polls it once a second either way: it may come or go later.
  void checkAndRequestPermissions();
  void openAccessibilityPreferences();

 private:
  void postBrightnessReport(const platform::KeyReport& report);
  void startPermissionPolling();
  void permissionPollTick(loop::Timer& timer);
  void loseTrust();

  Services services_;
  std::unique_ptr<platform::KeyReportSource::Subscription> subscription_;
  std::shared_ptr<loop::Timer> permissionPollTimer_;
  bool isTrusted_ = false;
};
