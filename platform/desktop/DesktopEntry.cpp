#include "platform/desktop/DesktopEntry.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::string_view kMainGroup = "[Desktop Entry]";

// Characters that force an Exec argument into double quotes.
constexpr std::string_view kReservedInExec = " \t\n\"'\\><~|&;$*?#()`";

// Characters that must carry a backslash inside a double-quoted argument.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string unescapeString(std::string_view raw) {
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      out += raw[i];
      continue;
    }
    switch (raw[++i]) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        out += '\\';
        out += raw[i];
        break;
    }
  }
  return out;
}

std::string escapeString(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

std::string quoteExecArgument(std::string_view argument) {
  std::string body;
  for (char c : argument) {
    if (kEscapedInQuotes.find(c) != std::string_view::npos) {
      body += '\\';
    }
    body += c;
  }
  const bool needsQuotes =
      argument.empty() || argument.find_first_of(kReservedInExec) != std::string_view::npos;
  return needsQuotes ? '"' + body + '"' : std::string(argument);
}

std::string doublePercents(std::string_view text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '%') {
      out += '%';
    }
  }
  return out;
}

std::string undoublePercents(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') {
      ++i;
    }
  }
  return out;
}

std::optional<std::string> firstExecArgument(std::string_view exec) {
  exec = trim(exec);
  if (exec.empty()) {
    return std::nullopt;
  }
  if (exec.front() != '"') {
    return std::string(exec.substr(0, exec.find_first_of(" \t")));
  }
  std::string argument;
  for (std::size_t i = 1; i < exec.size(); ++i) {
    if (exec[i] == '"') {
      return argument;
    }
    if (exec[i] == '\\' && i + 1 < exec.size()) {
      ++i;
    }
    argument += exec[i];
  }
  return std::nullopt;  // An unterminated quote starts nothing.
}

}  // namespace

DesktopEntry DesktopEntry::parse(std::string_view text) {
  DesktopEntry entry;
  bool inMainGroup = false;
  while (!text.empty()) {
    const auto end = std::min(text.find('\n'), text.size());
    const std::string_view line = trim(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (line.front() == '[') {
      inMainGroup = line == kMainGroup;
      continue;
    }
    const auto equals = line.find('=');
    if (!inMainGroup || equals == std::string_view::npos) {
      continue;
    }
    // A repeated key is invalid in an entry; the first one counts.
    entry.values_.emplace(std::string(trim(line.substr(0, equals))),
                          unescapeString(trim(line.substr(equals + 1))));
  }
  return entry;
}

std::string DesktopEntry::execValueFor(const std::filesystem::path& program) {
  return escapeString(doublePercents(quoteExecArgument(program.string())));
}

std::optional<std::string> DesktopEntry::value(const std::string& key) const {
  const auto found = values_.find(key);
  if (found == values_.end()) {
    return std::nullopt;
  }
  return found->second;
}

bool DesktopEntry::boolean(const std::string& key, bool fallback) const {
  const auto text = value(key);
  if (text == "true" || text == "1") {
    return true;
  }
  if (text == "false" || text == "0") {
    return false;
  }
  return fallback;
}

std::optional<std::filesystem::path> DesktopEntry::execProgram() const {
  const auto exec = value("Exec");
  if (!exec) {
    return std::nullopt;
  }
  const auto argument = firstExecArgument(*exec);
  if (!argument || argument->empty()) {
    return std::nullopt;
  }
  return undoublePercents(*argument);
}

}  // namespace platform
