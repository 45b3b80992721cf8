#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "keys/TapEventClassification.h"
#include "platform/KeyServiceClient.h"

// The tray program's side of the key service, run as an ordinary user. It
// polls its trust as the program does and prints what it hears, one line each:
//   trusted              the service accepted it
//   up|down fine|coarse  a brightness press
//   untrusted            refused, or the service went away; then it exits
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
  while (client.isProcessTrusted(false)) {
    if (!tap) {
      tap =
          client.createTap(te::maskBit(te::kKeyDown) | te::maskBit(te::kSystemDefined), printPress);
      say("trusted");
    }
    std::this_thread::sleep_for(kTrustPollInterval);
  }
  say("untrusted");
  return 0;
}
