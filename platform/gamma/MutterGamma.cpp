#include "platform/gamma/MutterGamma.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/gamma/GammaRamp.h"
#include "platform/gamma/RunOnQuit.h"

namespace platform {
namespace {

constexpr const char* kService = "org.gnome.Mutter.DisplayConfig";
constexpr const char* kPath = "/org/gnome/Mutter/DisplayConfig";
constexpr const char* kInterface = "org.gnome.Mutter.DisplayConfig";
constexpr int kNoMode = -1;
constexpr int kNoCrtc = -1;

using Ramp = QList<quint16>;

struct Ramps {
  Ramp red, green, blue;
};

// What GetResources says: its serial, which SetCrtcGamma must quote, the
// CRTCs that show a mode, and the connector each CRTC drives.
struct Resources {
  bool answered = false;
  uint serial = 0;
  std::vector<std::uint32_t> activeCrtcs;
  std::map<std::uint32_t, std::string> connectors;
};

QDBusMessage call(const char* method, const QList<QVariant>& arguments = {}) {
  QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
  message.setArguments(arguments);
  return QDBusConnection::sessionBus().call(message);
}

bool succeeded(const QDBusMessage& reply, qsizetype arguments) {
  return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() >= arguments;
}

// Each output is (u id, x winsys id, i current CRTC, au possible CRTCs,
// s connector, au modes, au clones, a{sv} properties); CRTC -1 means none.
// Of clones, the first listed names the CRTC.
std::map<std::uint32_t, std::string> readConnectors(const QDBusArgument& outputs) {
  std::map<std::uint32_t, std::string> connectors;
  outputs.beginArray();
  while (!outputs.atEnd()) {
    uint id = 0;
    qlonglong winsysId = 0;
    int crtc = kNoCrtc;
    QList<uint> possibleCrtcs, modes, clones;
    QString connector;
    QVariantMap properties;
    outputs.beginStructure();
    outputs >> id >> winsysId >> crtc >> possibleCrtcs >> connector >> modes >> clones >>
        properties;
    outputs.endStructure();
    if (crtc != kNoCrtc) {
      connectors.try_emplace(static_cast<std::uint32_t>(crtc), connector.toStdString());
    }
  }
  outputs.endArray();
  return connectors;
}

// Each CRTC is (u id, x winsys id, i x, i y, i width, i height, i mode,
// u transform, au transforms, a{sv} properties); mode -1 means off.
Resources readResources() {
  const QDBusMessage reply = call("GetResources");
  if (!succeeded(reply, 3)) {
    return {};
  }
  Resources resources{true, reply.arguments()[0].toUInt(), {}, {}};
  resources.connectors = readConnectors(reply.arguments()[2].value<QDBusArgument>());
  const QDBusArgument crtcs = reply.arguments()[1].value<QDBusArgument>();
  crtcs.beginArray();
  while (!crtcs.atEnd()) {
    uint id = 0, transform = 0;
    qlonglong winsysId = 0;
    int x = 0, y = 0, width = 0, height = 0, mode = kNoMode;
    QList<uint> transforms;
    QVariantMap properties;
    crtcs.beginStructure();
    crtcs >> id >> winsysId >> x >> y >> width >> height >> mode >> transform >> transforms >>
        properties;
    crtcs.endStructure();
    if (mode != kNoMode) {
      resources.activeCrtcs.push_back(id);
    }
  }
  crtcs.endArray();
  return resources;
}

std::optional<Ramps> readRamps(std::uint32_t crtc) {
  const QDBusMessage reply = call("GetCrtcGamma", {QVariant::fromValue(uint{crtc})});
  if (!succeeded(reply, 3)) {
    return std::nullopt;
  }
  const QList<QVariant>& channels = reply.arguments();
  Ramps ramps{qdbus_cast<Ramp>(channels[0]), qdbus_cast<Ramp>(channels[1]),
              qdbus_cast<Ramp>(channels[2])};
  if (ramps.red.isEmpty()) {
    return std::nullopt;
  }
  return ramps;
}

bool writeRamps(uint serial, std::uint32_t crtc, const Ramps& ramps) {
  return succeeded(
      call("SetCrtcGamma", {QVariant::fromValue(serial), QVariant::fromValue(uint{crtc}),
                            QVariant::fromValue(ramps.red), QVariant::fromValue(ramps.green),
                            QVariant::fromValue(ramps.blue)}),
      0);
}

Ramp rampOf(qsizetype size, double fraction) {
  const std::vector<std::uint16_t> ramp = gammaRamp(static_cast<std::size_t>(size), fraction);
  return Ramp(ramp.begin(), ramp.end());
}

}  // namespace

struct MutterGamma::Impl {
  std::map<std::uint32_t, Ramps> originalRamps;
  std::map<std::uint32_t, std::string> connectors;  // As the last listing found them.
  RunOnQuit restoreOnQuit{[this] { restore(originalRamps); }};

  // Puts the given CRTCs' saved ramps back and forgets them.
  void restore(std::map<std::uint32_t, Ramps> saved) {
    const Resources resources = readResources();
    for (const auto& [crtc, ramps] : saved) {
      writeRamps(resources.serial, crtc, ramps);  // A CRTC gone with its monitor needs nothing.
      originalRamps.erase(crtc);
    }
  }

  // The CRTC's ramps before this object first changed them.
  std::optional<Ramps> original(std::uint32_t crtc) {
    if (const auto saved = originalRamps.find(crtc); saved != originalRamps.end()) {
      return saved->second;
    }
    std::optional<Ramps> ramps = readRamps(crtc);
    if (ramps) {
      originalRamps[crtc] = *ramps;
      restoreOnQuit.arm();
    }
    return ramps;
  }
};

std::unique_ptr<MutterGamma> MutterGamma::connect() {
  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  if (bus == nullptr || !bus->isServiceRegistered(kService)) {
    return nullptr;
  }
  qDBusRegisterMetaType<Ramp>();
  return std::unique_ptr<MutterGamma>(new MutterGamma(std::make_unique<Impl>()));
}

MutterGamma::MutterGamma(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

MutterGamma::~MutterGamma() { restore(); }

std::vector<std::uint32_t> MutterGamma::outputs() {
  Resources resources = readResources();
  impl_->connectors = std::move(resources.connectors);
  return resources.activeCrtcs;
}

std::string MutterGamma::outputName(std::uint32_t output) {
  const auto found = impl_->connectors.find(output);
  return found != impl_->connectors.end() ? found->second : "";
}

bool MutterGamma::setBrightness(std::uint32_t output, double fraction) {
  if (fraction >= 1.0) {
    // The ramps from before, which may carry GNOME's night light.
    if (const auto saved = impl_->originalRamps.find(output); saved != impl_->originalRamps.end()) {
      impl_->restore({*saved});
    }
    return true;
  }
  const std::optional<Ramps> original = impl_->original(output);
  if (!original) {
    return false;
  }
  const Ramp dimmed = rampOf(original->red.size(), fraction);
  return writeRamps(readResources().serial, output, Ramps{dimmed, dimmed, dimmed});
}

void MutterGamma::restore() { impl_->restore(impl_->originalRamps); }

}  // namespace platform
