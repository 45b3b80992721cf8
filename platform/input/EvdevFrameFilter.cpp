#include "platform/input/EvdevFrameFilter.h"

#include <utility>

#include "platform/input/BrightnessKeyRule.h"

namespace platform {

namespace {
constexpr std::int32_t kRelease = 0;
constexpr std::int32_t kPress = 1;
}  // namespace

void EvdevFrameFilter::feedKey(const InputEvent& key, TapVerdict verdict) {
  if (key.code >= modifiersDown_.size()) {
    pendingScan_.reset();
    return;
  }
  if (BrightnessKeyRule::isModifier(key.code)) {
    modifiersDown_.set(key.code, key.value != kRelease);
  }
  const bool releasesHeldKey = key.value == kRelease && heldOnClone_.test(key.code);
  const bool keep = (verdict == TapVerdict::Pass || releasesHeldKey) && cloneAccepts(key);
  std::optional<InputEvent> scan = std::exchange(pendingScan_, std::nullopt);
  if (!keep) {
    return;
  }
  if (scan) {
    frame_.push_back(*scan);
  }
  frame_.push_back(key);
  heldOnClone_.set(key.code, key.value != kRelease);
}

bool EvdevFrameFilter::cloneAccepts(const InputEvent& key) const {
  return key.value == kPress || heldOnClone_.test(key.code);
}

void EvdevFrameFilter::flushPendingScan() {
  if (pendingScan_) {
    frame_.push_back(*pendingScan_);
    pendingScan_.reset();
  }
}

void EvdevFrameFilter::endFrame(std::vector<InputEvent>& out) {
  flushPendingScan();
  if (frame_.empty()) {
    return;
  }
  out.insert(out.end(), frame_.begin(), frame_.end());
  out.push_back({EV_SYN, SYN_REPORT, 0});
  frame_.clear();
}

std::vector<InputEvent> EvdevFrameFilter::releaseHeldKeys() {
  std::vector<InputEvent> frame;
  for (std::size_t code = 0; code < heldOnClone_.size(); ++code) {
    if (heldOnClone_.test(code)) {
      frame.push_back({EV_KEY, static_cast<std::uint16_t>(code), kRelease});
    }
  }
  heldOnClone_.reset();
  if (!frame.empty()) {
    frame.push_back({EV_SYN, SYN_REPORT, 0});
  }
  return frame;
}

}  // namespace platform
