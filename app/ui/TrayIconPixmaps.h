#pragma once

#include <QColor>
#include <QIcon>
#include <optional>

namespace ui {

class Image;

// The tray icon as pixmaps at the sizes trays ask for: the figure in
// `figure`, ringed by a thin `halo` when the panel's colour is unknown, so
// that it shows on a black bar as on a white one.
QIcon trayIconPixmaps(const Image& image, const QColor& figure, std::optional<QColor> halo);

}  // namespace ui
