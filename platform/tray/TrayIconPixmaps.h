#pragma once

#include <QColor>
#include <QIcon>
#include <optional>

namespace platform {

// The tray icon as pixmaps at the sizes trays ask for: the shape of `shape`
// (its alpha) filled with `figure`, ringed by a thin `halo` when the panel's colour is unknown, so
// that it shows on a black bar as on a white one.
QIcon trayIconPixmaps(const QIcon& shape, const QColor& figure, std::optional<QColor> halo);

}  // namespace platform
