#include <gtest/gtest.h>

#include <QImage>

#include "app/ui/BackdropBlur.h"

namespace {

// Black text-like stripes on white: the detail a blurred backdrop must lose.
QImage stripes(QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  for (int y = 0; y < size.height(); ++y) {
    for (int x = 0; x < size.width(); x += 4) {
      image.setPixel(x, y, qRgb(0, 0, 0));
    }
  }
  return image;
}

TEST(BackdropBlur, EvensOutFineDetailButKeepsSizeAndOverallColour) {
  for (QSize size : {QSize(220, 50), QSize(440, 100)}) {
    const QImage blurred = ui::BackdropBlur::blurred(stripes(size), 10);
    ASSERT_EQ(blurred.size(), size);
    int darkest = 255;
    int lightest = 0;
    for (int x = 20; x < size.width() - 20; ++x) {  // Away from the repeated edges.
      const int grey = qGreen(blurred.pixel(x, size.height() / 2));
      darkest = std::min(darkest, grey);
      lightest = std::max(lightest, grey);
    }
    EXPECT_LT(lightest - darkest, 24) << size.width() << ": stripes no longer show";
    EXPECT_NEAR(darkest, 191, 24) << size.width() << ": three quarters white";
  }
}

TEST(BackdropBlur, KeepsAPlainColourAsItIsAtAnySize) {
  for (QSize size : {QSize(60, 20), QSize(3, 3), QSize(1, 1)}) {
    QImage plain(size, QImage::Format_ARGB32_Premultiplied);
    plain.fill(QColor(0, 122, 255));
    const QImage blurred = ui::BackdropBlur::blurred(plain, 10);
    ASSERT_EQ(blurred.size(), size);
    EXPECT_EQ(blurred.pixel(0, 0), qRgb(0, 122, 255)) << size.width();
    EXPECT_EQ(blurred.pixel(size.width() - 1, size.height() - 1), qRgb(0, 122, 255));
  }
}

}  // namespace
