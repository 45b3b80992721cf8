#include "platform/KeyCapabilities.h"

#include <charconv>
#include <climits>
#include <vector>

namespace platform {

namespace {
constexpr std::size_t kBitsPerWord = sizeof(unsigned long) * CHAR_BIT;
}  // namespace

InputDevice::KeyBits KeyCapabilities::parse(std::string_view text) {
  std::vector<unsigned long> words;
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t end = std::min(text.find_first_of(" \n", position), text.size());
    if (end > position) {
      unsigned long word = 0;
      const auto [stop, error] =
          std::from_chars(text.data() + position, text.data() + end, word, 16);
      if (error != std::errc() || stop != text.data() + end) {
        return {};
      }
      words.push_back(word);
    }
    position = end + 1;
  }
  InputDevice::KeyBits keys;
  // The last word holds the lowest key codes.
  for (std::size_t index = 0; index < words.size(); ++index) {
    const unsigned long word = words[words.size() - 1 - index];
    for (std::size_t bit = 0; bit < kBitsPerWord; ++bit) {
      const std::size_t code = index * kBitsPerWord + bit;
      if (code < keys.size() && ((word >> bit) & 1UL) != 0) {
        keys.set(code);
      }
    }
  }
  return keys;
}

}  // namespace platform
