#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/keyservice-client/KeyServiceClient.h"

// The tray program's side of the key service, run as an ordinary user. It
// polls its connection as the program does, dropping its subscription when
// the service lets go and subscribing again when served again, and prints
// what it hears:
//   trusted              the service accepted it
//   up|down fine|coarse  a brightness press
//   untrusted            refused, or the service let go of it
//
//   vm_key_client SOCKET

namespace {

// The program polls its connection once a second too.
constexpr std::chrono::seconds kPollInterval{1};

void say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void printPress(const platform::KeyReport& press) {
  say(std::string(press.isUp ? "up" : "down") + (press.isFineGrained ? " fine" : " coarse"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SOCKET\n", argv[0]);
    return 2;
  }
  platform::KeyServiceClient client(argv[1]);
  std::unique_ptr<platform::KeyReportSource::Subscription> subscription;
  std::optional<bool> told;
  for (;;) {
    const bool connected = client.isConnected(false);
    if (!connected) {
      subscription.reset();
    } else if (!subscription) {
      subscription = client.subscribe(printPress);
    }
    if (told != connected) {
      say(connected ? "trusted" : "untrusted");
      told = connected;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}
