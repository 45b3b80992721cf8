#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <memory>

#include "app/ui/Image.h"

namespace ui::bridge {

// Draws `image` scaled into `target` (painter coordinates, y down). A symbol
// or template image shows only its shape, filled with `tint`; any other drawn
// image keeps its own colours. A drawn image's y-up space is flipped to fit.
void paintImage(QPainter& painter, const Image& image, const QRectF& target, const QColor& tint);

// The image rendered into a transparent bitmap of `pixelSize` device pixels.
QImage renderImage(const Image& image, QSize pixelSize, const QColor& tint);

// An icon whose every rendering calls the image's handler anew (for the tray).
// Template and symbol images are filled with `templateTint`.
QIcon iconOf(std::shared_ptr<const Image> image, const QColor& templateTint);

}  // namespace ui::bridge
