#include "platform/gamma/WlrootsGamma.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/gamma/GammaRamp.h"
#include "platform/gamma/RunOnQuit.h"
#include "wlr-gamma-control-unstable-v1-client.h"

namespace platform {
namespace {

constexpr std::uint32_t kOutputVersion = 4;  // The first to tell the output's name.
constexpr std::uint32_t kChannels = 3;

struct Output {
  wl_output* output = nullptr;
  std::uint32_t version = 0;
  std::string name{};  // Empty from a wl_output older than version 4.
  zwlr_gamma_control_v1* control = nullptr;
  std::uint32_t rampSize = 0;
  bool failed = false;
  bool gone = false;  // Unplugged; erased outside event dispatch.
};

void letGo(Output& output) {
  if (output.control != nullptr) {
    zwlr_gamma_control_v1_destroy(output.control);
  }
  output.control = nullptr;
  output.rampSize = 0;
  output.failed = false;
}

// Of the output's description only its name matters here.
void geometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
              std::int32_t, const char*, const char*, std::int32_t) {}
void mode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}
void done(void*, wl_output*) {}
void scale(void*, wl_output*, std::int32_t) {}
void named(void* data, wl_output*, const char* name) { static_cast<Output*>(data)->name = name; }
void description(void*, wl_output*, const char*) {}

constexpr wl_output_listener outputListener{&geometry, &mode, &done, &scale, &named, &description};

// The three ramps one after the other in a memory file, as
// set_gamma takes them; -1 when the file cannot be made.
int rampFile(const std::vector<std::uint16_t>& ramps) {
  const int fd = ::memfd_create("glimmerbox-gamma", MFD_CLOEXEC);
  if (fd < 0) {
    return -1;
  }
  const auto bytes = static_cast<ssize_t>(ramps.size() * sizeof(std::uint16_t));
  if (::pwrite(fd, ramps.data(), static_cast<std::size_t>(bytes), 0) != bytes) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

struct WlrootsGamma::Impl {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  zwlr_gamma_control_manager_v1* manager = nullptr;
  std::map<std::uint32_t, Output> outputs;
  bool outputsBound = false;  // By the last round trip; their names come in the next.
  RunOnQuit letGoOnQuit{[this] { letGoOfAll(); }};

  ~Impl() {
    for (auto& [name, output] : outputs) {
      forget(output);
    }
    if (manager != nullptr) {
      zwlr_gamma_control_manager_v1_destroy(manager);
    }
    if (registry != nullptr) {
      wl_registry_destroy(registry);
    }
    if (display != nullptr) {
      wl_display_disconnect(display);
    }
  }

  static void forget(Output& output) {
    letGo(output);
    if (output.version >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
      wl_output_release(output.output);
    } else {
      wl_output_destroy(output.output);
    }
  }

  static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) {
    auto* self = static_cast<Impl*>(data);
    if (std::strcmp(interface, wl_output_interface.name) == 0) {
      const std::uint32_t bound = std::min(version, kOutputVersion);
      Output& output = self->outputs[name] = Output{
          static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, bound)),
          bound};
      wl_output_add_listener(output.output, &outputListener, &output);
      self->outputsBound = true;
    } else if (std::strcmp(interface, zwlr_gamma_control_manager_v1_interface.name) == 0) {
      self->manager = static_cast<zwlr_gamma_control_manager_v1*>(
          wl_registry_bind(registry, name, &zwlr_gamma_control_manager_v1_interface, 1));
    }
  }

  static void globalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* self = static_cast<Impl*>(data);
    const auto found = self->outputs.find(name);
    if (found != self->outputs.end()) {
      letGo(found->second);
      found->second.gone = true;
    }
  }

  void eraseGoneOutputs() {
    for (auto it = outputs.begin(); it != outputs.end();) {
      if (it->second.gone) {
        forget(it->second);
        it = outputs.erase(it);
      } else {
        ++it;
      }
    }
  }

  static void rampSize(void* data, zwlr_gamma_control_v1*, std::uint32_t size) {
    static_cast<Output*>(data)->rampSize = size;
  }

  static void failed(void* data, zwlr_gamma_control_v1*) {
    static_cast<Output*>(data)->failed = true;
  }

  static constexpr wl_registry_listener registryListener{&global, &globalRemove};
  static constexpr zwlr_gamma_control_v1_listener controlListener{&rampSize, &failed};

  bool roundtrip() { return wl_display_roundtrip(display) >= 0; }

  // Round trips until the outputs plugged meanwhile have said their names.
  bool sync() {
    do {
      outputsBound = false;
      if (!roundtrip()) {
        return false;
      }
    } while (outputsBound);
    return true;
  }

  // Takes the output's gamma if this client does not hold it yet; true when
  // it is held and its ramp size known.
  bool hold(Output& output) {
    if (output.gone) {
      return false;
    }
    if (output.control == nullptr) {
      output.control = zwlr_gamma_control_manager_v1_get_gamma_control(manager, output.output);
      zwlr_gamma_control_v1_add_listener(output.control, &controlListener, &output);
      roundtrip();
      letGoOnQuit.arm();
    }
    if (output.failed || output.rampSize == 0) {
      letGo(output);  // Another client may let go later; ask again next time.
      return false;
    }
    return true;
  }

  void letGoOfAll() {
    for (auto& [name, output] : outputs) {
      letGo(output);
    }
    wl_display_flush(display);
  }

  bool send(Output& output, const std::vector<std::uint16_t>& ramps) {
    const int fd = rampFile(ramps);
    if (fd < 0) {
      return false;
    }
    zwlr_gamma_control_v1_set_gamma(output.control, fd);
    ::close(fd);
    if (!roundtrip() || output.failed) {
      letGo(output);
      return false;
    }
    return true;
  }
};

std::unique_ptr<WlrootsGamma> WlrootsGamma::connect(const std::string& displayName) {
  auto impl = std::make_unique<Impl>();
  impl->display = wl_display_connect(displayName.empty() ? nullptr : displayName.c_str());
  if (impl->display == nullptr) {
    return nullptr;
  }
  impl->registry = wl_display_get_registry(impl->display);
  wl_registry_add_listener(impl->registry, &Impl::registryListener, impl.get());
  if (!impl->sync() || impl->manager == nullptr) {
    return nullptr;
  }
  return std::unique_ptr<WlrootsGamma>(new WlrootsGamma(std::move(impl)));
}

WlrootsGamma::WlrootsGamma(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WlrootsGamma::~WlrootsGamma() = default;

std::vector<std::uint32_t> WlrootsGamma::outputs() {
  std::vector<std::uint32_t> names;
  impl_->sync();  // Outputs plugged or unplugged since the last call.
  impl_->eraseGoneOutputs();
  for (const auto& [name, output] : impl_->outputs) {
    names.push_back(name);
  }
  return names;
}

std::string WlrootsGamma::outputName(std::uint32_t output) {
  const auto found = impl_->outputs.find(output);
  return found != impl_->outputs.end() && !found->second.gone ? found->second.name : "";
}

bool WlrootsGamma::setBrightness(std::uint32_t output, double fraction) {
  impl_->eraseGoneOutputs();
  const auto found = impl_->outputs.find(output);
  if (found == impl_->outputs.end()) {
    return false;
  }
  if (fraction >= 1.0) {
    letGo(found->second);  // The compositor's own ramps, and night-light programs, come back.
    wl_display_flush(impl_->display);
    return true;
  }
  if (!impl_->hold(found->second)) {
    return false;
  }
  const std::vector<std::uint16_t> channel = gammaRamp(found->second.rampSize, fraction);
  std::vector<std::uint16_t> ramps;
  ramps.reserve(channel.size() * kChannels);
  for (std::uint32_t i = 0; i < kChannels; ++i) {
    ramps.insert(ramps.end(), channel.begin(), channel.end());
  }
  return impl_->send(found->second, ramps);
}

void WlrootsGamma::restore() { impl_->letGoOfAll(); }

}  // namespace platform
