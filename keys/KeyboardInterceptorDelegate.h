#pragma once

// Receives the key interceptor's reports, always on the main thread.
class KeyboardInterceptorDelegate {
 public:
  virtual ~KeyboardInterceptorDelegate() = default;
  // Once for every accepted brightness key-down, auto-repeats included.
  virtual void didChangeBrightness(bool isUp, bool isFineGrained) = 0;
  virtual void didUpdatePermissionStatus(bool isTrusted) = 0;
};
