#pragma once

#include <memory>
#include <string>
#include <vector>

#include "keys/KeyboardInterceptor.h"

// Services for a KeyboardInterceptor that touches no device: a tap that
// never sees an event, a permission answer the test sets, and an opener that
// records what it was asked to open.
namespace testsupport {

class FakeInputTap : public platform::InputTap {
 public:
  explicit FakeInputTap(FakeInputTap*& current) : current_(current) { current_ = this; }
  ~FakeInputTap() override { current_ = nullptr; }
  void setEnabled(bool enabled) override { this->enabled = enabled; }
  bool enabled = true;

 private:
  FakeInputTap*& current_;
};

class FakeInputTapService : public platform::InputTapService {
 public:
  std::unique_ptr<platform::InputTap> createTap(std::uint64_t, Callback callback) override {
    ++createCount;
    if (!canCreate) {
      return nullptr;
    }
    lastCallback = std::move(callback);
    return std::make_unique<FakeInputTap>(lastTap);
  }
  bool canCreate = true;
  FakeInputTap* lastTap = nullptr;  // the tap while it exists
  int createCount = 0;
  Callback lastCallback;  // feeds events as the input thread would
};

class FakeInputAccessQuery : public platform::InputAccessQuery {
 public:
  bool isProcessTrusted(bool) override {
    ++queries;
    return trusted;
  }
  bool trusted = false;
  int queries = 0;
};

class FakeUrlOpener : public platform::UrlOpener {
 public:
  void openUrl(const std::string& text) override { opened.push_back(text); }
  std::vector<std::string> opened;
};

struct FakeKeyboardServices {
  std::shared_ptr<FakeInputTapService> tap = std::make_shared<FakeInputTapService>();
  std::shared_ptr<FakeInputAccessQuery> access = std::make_shared<FakeInputAccessQuery>();
  std::shared_ptr<FakeUrlOpener> opener = std::make_shared<FakeUrlOpener>();

  KeyboardInterceptor::Services services() const {
    return {tap, access, opener, "file:///usr/share/glimmerbox/help/index.html"};
  }
  std::shared_ptr<KeyboardInterceptor> makeInterceptor() const {
    return std::make_shared<KeyboardInterceptor>(services());
  }
};

}  // namespace testsupport
