#pragma once

#include <optional>
#include <string>

namespace platform {

// Why a login-item change did not happen, worded for a log line.
struct LoginItemError {
  std::string description;
};

// The application's own registration to start when the user logs in.
// Every call works on the current state on disk; nothing is cached.
class LoginItemService {
 public:
  enum class Status {
    enabled,        // Registered for this executable and not switched off.
    notRegistered,  // Missing, switched off, unreadable or another program's.
  };

  virtual ~LoginItemService() = default;

  virtual Status status() const = 0;

  // Registers the running executable, replacing whatever entry was there.
  // Returns the error when nothing was registered; a partial entry never
  // replaces the previous one.
  virtual std::optional<LoginItemError> registerItem() = 0;

  // Removes the registration. Returns an error when there is none to remove
  // or it cannot be removed.
  virtual std::optional<LoginItemError> unregisterItem() = 0;
};

}  // namespace platform
