#pragma once

#include <filesystem>

#include "platform/desktop/LoginItemService.h"

namespace platform {

// The login item as an XDG autostart entry, which every freedesktop session
// starts at login. The entry counts as enabled only when it exists, starts
// this executable and is not switched off (Hidden=true, or
// X-GNOME-Autostart-enabled=false as GNOME's settings write it).
class XdgAutostartLoginItem : public LoginItemService {
 public:
  // $XDG_CONFIG_HOME/autostart/glimmerbox.desktop, where XDG_CONFIG_HOME
  // falls back to ~/.config when it is unset, empty or relative.
  static std::filesystem::path userEntryPath();

  // The absolute path of the running executable, or empty if unknown.
  static std::filesystem::path runningExecutable();

  XdgAutostartLoginItem(std::filesystem::path entryPath, std::filesystem::path executable);

  Status status() const override;
  std::optional<LoginItemError> registerItem() override;
  std::optional<LoginItemError> unregisterItem() override;

 private:
  std::string entryText() const;

  std::filesystem::path entryPath_;
  std::filesystem::path executable_;
};

}  // namespace platform
