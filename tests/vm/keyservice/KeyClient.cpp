#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "platform/keyservice-client/KeyServiceClient.h"

// The tray program's side of the key service, run as an ordinary user. It
// polls its connection once a second as the program does, dropping its
// subscription when the service lets go and subscribing again when served
// again, and prints what it hears:
//   trusted              the service accepted it
//   up|down fine|coarse  a brightness press
//   untrusted            refused, or the service let go of it
//
//   vm_key_client SOCKET
int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  platform::KeyServiceClient client(argv[1]);
  std::unique_ptr<platform::KeyReportSource::Subscription> subscription;
  std::optional<bool> told;
  for (;;) {
    const bool connected = client.isConnected(false);
    if (!connected) {
      subscription.reset();
    } else if (!subscription) {
      subscription = client.subscribe([](const platform::KeyReport& press) {
        std::printf("%s %s\n", press.isUp ? "up" : "down", press.isFineGrained ? "fine" : "coarse");
      });
    }
    if (told != connected) std::printf("%s\n", connected ? "trusted" : "untrusted");
    told = connected;
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
}
