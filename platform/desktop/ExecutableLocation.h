#pragma once

#include <filesystem>

namespace platform {

// Where the running executable lives, so files installed beside it can be
// found wherever the program was installed or built.
class ExecutableLocation {
 public:
  // The executable's directory, or an empty path when the system does not
  // say (then paths built on it are relative to the working directory).
  static std::filesystem::path directory();
};

}  // namespace platform
