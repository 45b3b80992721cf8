#include "platform/desktop/UnwritableReason.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// Enough to need a block of its own on a full disk.
constexpr std::size_t kTrialBytes = 4096;

// Writes and removes a trial file in `folder`; errno's text when that fails.
std::string trialWriteFailure(const std::filesystem::path& folder) {
  std::string trial = (folder / ".glimmerbox-trial-XXXXXX").string();
  const int fd = mkostemp(trial.data(), O_CLOEXEC);
  if (fd < 0) {
    return std::strerror(errno);
  }
  const std::array<char, kTrialBytes> block{};
  const bool written =
      write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size()) && fsync(fd) == 0;
  const int error = errno;
  close(fd);
  unlink(trial.c_str());
  return written ? std::string() : std::strerror(error);
}

}  // namespace

std::string unwritableReason(const std::filesystem::path& file) {
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    return std::strerror(EISDIR);
  }
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) {
    return error.message();
  }
  if (access(file.c_str(), F_OK) == 0 && access(file.c_str(), W_OK) != 0) {
    return std::strerror(errno);
  }
  const std::string failure = trialWriteFailure(file.parent_path());
  return failure.empty() ? "the write failed" : failure;
}

}  // namespace platform
