#include "keyservice/KeyboardAccess.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace keyservice {

KeyboardAccess::KeyboardAccess(std::filesystem::path folder) : folder_(std::move(folder)) {}

bool KeyboardAccess::anyOpens() {
  std::error_code error;
  std::set<std::string> denied;
  bool anyOpened = false;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    const std::string path = entry.path().string();
    if (!entry.path().filename().string().starts_with("event")) {
      continue;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      close(fd);
      anyOpened = true;
      continue;
    }
    // A device gone meanwhile is nothing to tell; a node denied to us (its
    // rights, a missing device rule, the unit's device policy) is.
    if (errno != EACCES && errno != EPERM) {
      continue;
    }
    if (!toldDenied_.contains(path)) {
      std::fprintf(stderr, "[glimmerbox-keys] Cannot open %s: %s\n", path.c_str(),
                   std::strerror(errno));
    }
    denied.insert(path);
  }
  toldDenied_ = std::move(denied);
  return anyOpened || toldDenied_.empty();
}

}  // namespace keyservice
