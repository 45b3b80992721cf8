#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <ostream>
#include <vector>

namespace testsupport {

// What `widget` shows, its children included, on a transparent ground.
QImage rendered(QWidget& widget);

// The 10-pixel squares where `actual` visibly differs from tests/references/
// `reference` (all of it when the sizes differ). On a difference `actual`
// is written to the temporary folder for a look.
std::vector<QRect> differingRegions(const QImage& actual, const QString& reference);

}  // namespace testsupport

// Names a differing square in a failure message.
inline void PrintTo(const QRect& rect, std::ostream* out) {
  *out << rect.width() << "x" << rect.height() << " at " << rect.x() << "," << rect.y();
}
