#include "platform/desktop/XdgAutostartLoginItem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/desktop/DesktopEntry.h"

namespace platform {

namespace {

constexpr const char* kEntryFileName = "glimmerbox.desktop";

// Readable by the session that starts it; nothing in it is secret.
constexpr mode_t kEntryMode = 0644;

std::filesystem::path configHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && std::filesystem::path(xdg).is_absolute()) {
    return xdg;
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : "") / ".config";
}

LoginItemError errorFor(const std::string& what, const std::filesystem::path& path, int error) {
  return {what + " " + path.string() + ": " + std::strerror(error)};
}

bool writeAll(int fd, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes `text` beside `target` and renames it into place, so a reader sees
// either the old entry or the whole new one, never a torn file.
std::optional<LoginItemError> replaceAtomically(const std::filesystem::path& target,
                                                const std::string& text) {
  std::string temp = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX"));
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    return errorFor("Cannot create a file in", target.parent_path(), errno);
  }
  const bool written = writeAll(fd, text) && ::fchmod(fd, kEntryMode) == 0 && ::fsync(fd) == 0;
  const int writeError = errno;
  if (::close(fd) != 0 || !written) {
    ::unlink(temp.c_str());
    return errorFor("Cannot write", temp, written ? errno : writeError);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(temp.c_str());
    return errorFor("Cannot replace", target, renameError);
  }
  return std::nullopt;
}

}  // namespace

std::filesystem::path XdgAutostartLoginItem::userEntryPath() {
  return configHome() / "autostart" / kEntryFileName;
}

std::filesystem::path XdgAutostartLoginItem::runningExecutable() {
  std::error_code error;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : executable;
}

XdgAutostartLoginItem::XdgAutostartLoginItem(std::filesystem::path entryPath,
                                             std::filesystem::path executable)
    : entryPath_(std::move(entryPath)), executable_(std::move(executable)) {}

LoginItemService::Status XdgAutostartLoginItem::status() const {
  std::ifstream file(entryPath_);
  if (!file) {
    return Status::notRegistered;
  }
  std::ostringstream text;
  text << file.rdbuf();
  const DesktopEntry entry = DesktopEntry::parse(text.str());
  const bool ours = !executable_.empty() && entry.execProgram() == executable_;
  const bool switchedOff =
      entry.boolean("Hidden", false) || !entry.boolean("X-GNOME-Autostart-enabled", true);
  return ours && !switchedOff ? Status::enabled : Status::notRegistered;
}

std::optional<LoginItemError> XdgAutostartLoginItem::registerItem() {
  if (executable_.empty() || !executable_.is_absolute()) {
    return LoginItemError{"Cannot tell which executable is running, so nothing was registered"};
  }
  const std::filesystem::path directory = entryPath_.parent_path();
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) {
    return errorFor("Cannot create the autostart directory", directory, error.value());
  }
  return replaceAtomically(entryPath_, entryText());
}

std::optional<LoginItemError> XdgAutostartLoginItem::unregisterItem() {
  if (::unlink(entryPath_.c_str()) == 0) {
    return std::nullopt;
  }
  if (errno == ENOENT) {
    return LoginItemError{"No login item to remove: " + entryPath_.string() + " does not exist"};
  }
  return errorFor("Cannot remove", entryPath_, errno);
}

std::string XdgAutostartLoginItem::entryText() const {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Glimmerbox\n"
         "Comment=External monitor brightness from the tray\n"
         "Exec=" +
         DesktopEntry::execValueFor(executable_) +
         "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace platform
