#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "keys/TapEventClassification.h"
#include "platform/KeyServiceClient.h"

// The tray program's side of the key service, run as an ordinary user. It
// polls its trust as the program does, dropping its tap when the service lets
// go and taking one again when served again, and prints what it hears:
//   trusted              the service accepted it
//   up|down fine|coarse  a brightness press
//   untrusted            refused, or the service let go of it
//
//   vm_key_client SOCKET

namespace {

namespace te = platform::tapevent;

// The program polls its trust once a second too.
constexpr std::chrono::seconds kTrustPollInterval{1};

void say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

platform::TapVerdict printPress(const platform::TapEvent& event) {
  const TapEventClassification press = classifyTapEvent(event);
  if (press.verdict == TapEventClassification::Verdict::ReportAndDelete) {
    say(std::string(press.isUp ? "up" : "down") + (press.isFineGrained ? " fine" : " coarse"));
  }
  return platform::TapVerdict::Delete;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SOCKET\n", argv[0]);
    return 2;
  }
  platform::KeyServiceClient client(argv[1]);
  std::unique_ptr<platform::InputTap> tap;
  std::optional<bool> told;
  for (;;) {
    const bool trusted = client.isProcessTrusted(false);
    if (!trusted) {
      tap.reset();
    } else if (!tap) {
      tap =
          client.createTap(te::maskBit(te::kKeyDown) | te::maskBit(te::kSystemDefined), printPress);
    }
    if (told != trusted) {
      say(trusted ? "trusted" : "untrusted");
      told = trusted;
    }
    std::this_thread::sleep_for(kTrustPollInterval);
  }
}
