#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The keys of a freedesktop desktop entry's main group, and the quoting its
// Exec key needs: a value is escaped once as a string (backslash sequences)
// and its arguments once more as Exec arguments (double quotes, %%).
class DesktopEntry {
 public:
  // Reads the "[Desktop Entry]" group; other groups, comments and localised
  // keys are skipped. String escapes in the values are undone.
  static DesktopEntry parse(std::string_view text);

  // The Exec value, escaped for the file, that starts `program` without
  // arguments. Paths with spaces or other reserved characters are quoted.
  static std::string execValueFor(const std::filesystem::path& program);

  std::optional<std::string> value(const std::string& key) const;

  // A boolean key as desktops read it ("true"/"1", "false"/"0"); `fallback`
  // when it is missing or holds anything else.
  bool boolean(const std::string& key, bool fallback) const;

  // The program the Exec key starts (its first argument, unquoted), if any.
  std::optional<std::filesystem::path> execProgram() const;

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace platform
