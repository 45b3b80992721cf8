#pragma once

#include <filesystem>
#include <string>

namespace platform {

// Files installed with the program, found relative to the executable
// (<dir of executable>/../share/glimmerbox), so the build tree works too.
class DataFiles {
 public:
  static std::filesystem::path directory();
  // file:// URL of the page that explains how to grant input access.
  static std::string helpPageUrl();
};

}  // namespace platform
