#include "platform/popup/BackdropBlur.h"

#include <algorithm>
#include <array>
#include <vector>

namespace platform {

namespace {
// Three box passes come within a few percent of a Gaussian.
constexpr int kPasses = 3;
// Blurring at half size is four times cheaper and looks the same.
constexpr int kDownscale = 2;

// One pass of a box blur along a line of `count` pixels `stride` apart;
// pixels beyond the ends repeat the end pixels.
void blurLine(QRgb* line, int count, int stride, int radius, std::vector<QRgb>& scratch) {
  scratch.resize(count);
  for (int i = 0; i < count; ++i) {
    scratch[i] = line[i * stride];
  }
  auto at = [&](int i) { return scratch[std::clamp(i, 0, count - 1)]; };
  std::array<int, 4> sum{};
  for (int i = -radius; i <= radius; ++i) {
    const QRgb p = at(i);
    sum[0] += qAlpha(p), sum[1] += qRed(p), sum[2] += qGreen(p), sum[3] += qBlue(p);
  }
  const int width = 2 * radius + 1;
  for (int i = 0; i < count; ++i) {
    line[i * stride] = qRgba(sum[1] / width, sum[2] / width, sum[3] / width, sum[0] / width);
    const QRgb out = at(i - radius);
    const QRgb in = at(i + radius + 1);
    sum[0] += qAlpha(in) - qAlpha(out), sum[1] += qRed(in) - qRed(out);
    sum[2] += qGreen(in) - qGreen(out), sum[3] += qBlue(in) - qBlue(out);
  }
}
}  // namespace

QImage BackdropBlur::blurred(const QImage& image, int radius) {
  if (image.isNull() || radius <= 0) {
    return image;
  }
  QImage small =
      image
          .scaled(std::max(1, image.width() / kDownscale), std::max(1, image.height() / kDownscale),
                  Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const int smallRadius = std::max(1, radius / kDownscale);
  auto* pixels = reinterpret_cast<QRgb*>(small.bits());
  const int width = small.width();
  const int height = small.height();
  const int stride = static_cast<int>(small.bytesPerLine() / sizeof(QRgb));
  std::vector<QRgb> scratch;
  for (int pass = 0; pass < kPasses; ++pass) {
    for (int y = 0; y < height; ++y) {
      blurLine(pixels + y * stride, width, 1, smallRadius, scratch);
    }
    for (int x = 0; x < width; ++x) {
      blurLine(pixels + x, height, stride, smallRadius, scratch);
    }
  }
  return small.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace platform
