#include "platform/screens/EdidReader.h"

#include <algorithm>
#include <array>

namespace platform {

namespace {

constexpr std::size_t kBaseBlockSize = 128;
constexpr std::array<std::uint8_t, 8> kHeader = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

// The base block holds four 18-byte descriptors from byte 54. A display
// descriptor starts with a zero pixel clock and a zero byte, then its tag;
// its text fills bytes 5 to 17.
constexpr std::size_t kFirstDescriptor = 54;
constexpr std::size_t kDescriptorSize = 18;
constexpr std::size_t kDescriptorCount = 4;
constexpr std::size_t kTagOffset = 3;
constexpr std::size_t kTextOffset = 5;
constexpr std::uint8_t kDisplayNameTag = 0xFC;
constexpr std::uint8_t kTextTerminator = 0x0A;

bool isDisplayDescriptor(std::span<const std::uint8_t> descriptor, std::uint8_t tag) {
  return descriptor[0] == 0 && descriptor[1] == 0 && descriptor[2] == 0 &&
         descriptor[kTagOffset] == tag;
}

// Printable ASCII up to the terminator, trimmed of the space padding.
std::string descriptorText(std::span<const std::uint8_t> descriptor) {
  std::string text;
  for (std::uint8_t byte : descriptor.subspan(kTextOffset)) {
    if (byte == kTextTerminator || byte < 0x20 || byte > 0x7E) {
      break;
    }
    text.push_back(static_cast<char>(byte));
  }
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool isBaseBlock(std::span<const std::uint8_t> edid) {
  return edid.size() >= kBaseBlockSize && std::equal(kHeader.begin(), kHeader.end(), edid.begin());
}

// Three letters of five bits each, 1 = 'A', big-endian in bytes 8 and 9.
std::string manufacturer(std::span<const std::uint8_t> edid) {
  const unsigned packed = (unsigned{edid[8]} << 8) | edid[9];
  std::string letters;
  for (int shift : {10, 5, 0}) {
    letters.push_back(static_cast<char>('A' - 1 + ((packed >> shift) & 0x1F)));
  }
  return letters;
}

}  // namespace

std::optional<std::string> EdidReader::identity(std::span<const std::uint8_t> edid) {
  if (!isBaseBlock(edid)) {
    return std::nullopt;
  }
  const unsigned product = edid[10] | (unsigned{edid[11]} << 8);
  const std::uint32_t serial = edid[12] | (std::uint32_t{edid[13]} << 8) |
                               (std::uint32_t{edid[14]} << 16) | (std::uint32_t{edid[15]} << 24);
  return manufacturer(edid) + "-" + std::to_string(product) + "-" + std::to_string(serial);
}

std::optional<std::string> EdidReader::modelName(std::span<const std::uint8_t> edid) {
  if (!isBaseBlock(edid)) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < kDescriptorCount; ++i) {
    auto descriptor = edid.subspan(kFirstDescriptor + i * kDescriptorSize, kDescriptorSize);
    if (!isDisplayDescriptor(descriptor, kDisplayNameTag)) {
      continue;
    }
    std::string name = descriptorText(descriptor);
    if (!name.empty()) {
      return name;
    }
  }
  return std::nullopt;
}

}  // namespace platform
