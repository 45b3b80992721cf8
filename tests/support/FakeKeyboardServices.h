#pragma once

#include <memory>
#include <string>
#include <vector>

#include "keys/KeyboardInterceptor.h"

// Services for a KeyboardInterceptor that touches no socket: a key service
// whose connection the test sets and whose reports it feeds, and an opener
// that records what it was asked to open.
namespace testsupport {

struct FakeSubscription : platform::KeyReportSource::Subscription {
  explicit FakeSubscription(FakeSubscription*& current) : current(current) { current = this; }
  ~FakeSubscription() override { current = nullptr; }
  FakeSubscription*& current;
};

struct FakeKeyReportSource : platform::KeyReportSource {
  bool isConnected(bool) override {
    ++queries;
    return connected;
  }
  std::unique_ptr<Subscription> subscribe(Callback callback) override {
    if (!canSubscribe) return nullptr;
    lastCallback = std::move(callback);
    return std::make_unique<FakeSubscription>(subscription);
  }
  bool connected = false;
  bool canSubscribe = true;
  int queries = 0;
  FakeSubscription* subscription = nullptr;  // while it exists
  Callback lastCallback;                     // feeds reports as the reader's thread would
};

struct FakeUrlOpener : platform::UrlOpener {
  void openUrl(const std::string& text) override { opened.push_back(text); }
  std::vector<std::string> opened;
};

struct FakeKeyboardServices {
  std::shared_ptr<FakeKeyReportSource> keys = std::make_shared<FakeKeyReportSource>();
  std::shared_ptr<FakeUrlOpener> opener = std::make_shared<FakeUrlOpener>();

  KeyboardInterceptor::Services services() const {
    return {keys, opener, "file:///usr/share/glimmerbox/help/index.html"};
  }
  std::shared_ptr<KeyboardInterceptor> makeInterceptor() const {
    return std::make_shared<KeyboardInterceptor>(services());
  }
};

}  // namespace testsupport
