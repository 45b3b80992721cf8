#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "keys/TapEventClassification.h"
#include "platform/KeyServiceClient.h"

// The tray program's side of the key service, run as an ordinary user. It
// first shows that it cannot open a keyboard or uinput itself, then polls its
// trust as the program does and prints what it hears, one line each:
//   denied N             it could open none of the N input devices
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

// True when every input device and uinput refuse this user, as the
// package's device rules make them do.
bool deniedEveryInputDevice() {
  std::vector<std::pair<std::string, int>> devices = {{"/dev/uinput", O_WRONLY}};
  for (const auto& entry : std::filesystem::directory_iterator("/dev/input")) {
    if (entry.path().filename().string().starts_with("event")) {
      devices.emplace_back(entry.path(), O_RDONLY);
    }
  }
  for (const auto& [path, flags] : devices) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd >= 0 || errno != EACCES) {
      say(path + ": " + (fd >= 0 ? "opened" : std::strerror(errno)));
      return false;
    }
  }
  say("denied " + std::to_string(devices.size()));
  return true;
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
  if (!deniedEveryInputDevice()) {
    return 1;
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
