#pragma once

#include <filesystem>
#include <string>

namespace platform {

// Why `file` could not be written just now, as the system words it ("Is a
// directory", "Permission denied", "No space left on device"): found by
// trying what a safe save does, a trial file beside it included.
std::string unwritableReason(const std::filesystem::path& file);

}  // namespace platform
