#pragma once

#include <functional>
#include <memory>

namespace loop {

// Calls `onReadable` on the main thread whenever `fd` has data to read, for as
// long as the source exists and is enabled. The descriptor is not owned.
class FdSource {
 public:
  FdSource(int fd, std::function<void()> onReadable);
  ~FdSource();
  FdSource(const FdSource&) = delete;
  FdSource& operator=(const FdSource&) = delete;

  void setEnabled(bool enabled);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace loop
