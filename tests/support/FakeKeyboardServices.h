#pragma once

#include <memory>
#include <string>
#include <vector>

#include "keys/KeyboardInterceptor.h"

// Services for a KeyboardInterceptor that touches no device: a tap that
// never sees an event, a permission answer the test sets, and an opener that
// records what it was asked to open.
namespace testsupport {

struct FakeInputTap : platform::InputTap {
  explicit FakeInputTap(FakeInputTap*& current) : current(current) { current = this; }
  ~FakeInputTap() override { current = nullptr; }
  void setEnabled(bool on) override { enabled = on; }
  FakeInputTap*& current;
  bool enabled = true;
};

struct FakeInputTapService : platform::InputTapService {
  std::unique_ptr<platform::InputTap> createTap(std::uint64_t, Callback callback) override {
    ++createCount;
    if (!canCreate) return nullptr;
    lastCallback = std::move(callback);
    return std::make_unique<FakeInputTap>(lastTap);
  }
  bool canCreate = true;
  FakeInputTap* lastTap = nullptr;  // the tap while it exists
  int createCount = 0;
  Callback lastCallback;  // feeds events as the input thread would
};

struct FakeInputAccessQuery : platform::InputAccessQuery {
  bool isProcessTrusted(bool) override {
    ++queries;
    return trusted;
  }
  bool trusted = false;
  int queries = 0;
};

struct FakeUrlOpener : platform::UrlOpener {
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
