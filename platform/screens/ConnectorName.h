#pragma once

#include <string>
#include <string_view>

namespace platform {

// Whether two names mean one connector. The kernel calls an HDMI port
// "HDMI-A-1" where X's modesetting driver says "HDMI-1"; other types agree.
inline bool sameConnector(std::string_view a, std::string_view b) {
  auto plain = [](std::string_view name) {
    std::string text(name);
    if (text.starts_with("HDMI-A-")) {
      text.erase(4, 2);
    }
    return text;
  };
  return !a.empty() && plain(a) == plain(b);
}

}  // namespace platform
