// A brightness press from the service's classification (what follows the
// device read) through the socket to the program's tap callback, which is
// where the interceptor posts it to the main queue.
#include <benchmark/benchmark.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "keyservice/FixedSessionOwnerLookup.h"
#include "keyservice/KeyService.h"
#include "platform/KeyServiceClient.h"

namespace {

namespace te = platform::tapevent;

struct NullTap : platform::InputTap {
  void setEnabled(bool) override {}
};

int listenOn(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  unlink(path.c_str());
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, 4);
  return fd;
}

void BM_BrightnessPressThroughTheSocket(benchmark::State& state) {
  const std::string path = "/tmp/glimmerbox-keys-bench-" + std::to_string(getpid());
  const int listenFd = listenOn(path);
  const int stopFd = eventfd(0, EFD_CLOEXEC);
  keyservice::FixedSessionOwnerLookup owners(getuid());
  platform::InputTapService::Callback serviceSide;
  keyservice::KeyService service(listenFd, stopFd, owners, [&](auto callback) {
    serviceSide = std::move(callback);
    return std::make_unique<NullTap>();
  });
  std::thread serving([&] { service.run(); });

  std::atomic<int> arrived{0};
  platform::KeyServiceClient client(path);
  auto tap = client.createTap(te::maskBit(te::kSystemDefined), [&](const platform::TapEvent&) {
    arrived.fetch_add(1, std::memory_order_release);
    return platform::TapVerdict::Pass;
  });
  while (!serviceSide) {
    std::this_thread::yield();
  }
  const platform::TapEvent press{
      te::kSystemDefined, 0, 0, te::kSubtypeAuxControlButtons,
      te::specialKeyData(te::kSpecialKeyBrightnessUp, te::kSpecialKeyStateDown, false)};
  for (auto _ : state) {
    const int before = arrived.load(std::memory_order_acquire);
    serviceSide(press);
    while (arrived.load(std::memory_order_acquire) == before) {
    }
  }
  tap.reset();
  const std::uint64_t one = 1;
  benchmark::DoNotOptimize(write(stopFd, &one, sizeof one));
  serving.join();
  close(listenFd);
  close(stopFd);
  unlink(path.c_str());
}
BENCHMARK(BM_BrightnessPressThroughTheSocket)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
