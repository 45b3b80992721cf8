#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantMap>

namespace platform {

// The standard interfaces every object we put on the session bus answers:
// Properties (read-only) and Introspectable (libdbus answers Peer). Replies and returns true
// when `message` is for one of them; `introspection` is the object's own
// interface element(s).
bool answerStandardInterfaces(const QDBusMessage& message, const QDBusConnection& connection,
                              const QString& interface, const QVariantMap& properties,
                              const QString& introspection);

// The full introspection document of an object that offers `interfaces`
// (its own interface elements) beside the standard ones.
QString introspectionDocument(const QString& interfaces);

}  // namespace platform
