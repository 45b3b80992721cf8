#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The user's remembered values. A missing, unreadable or non-integer value
// reads as 0. A value set is on disk by the next turn of the event loop.
class UserDefaults {
 public:
  virtual ~UserDefaults() = default;
  virtual std::int64_t integerForKey(const std::string& key) = 0;
  virtual void setInteger(std::int64_t value, const std::string& key) = 0;
};

}  // namespace platform
