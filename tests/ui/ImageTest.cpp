#include <gtest/gtest.h>

#include <QImage>

#include "app/ui/BackdropBlur.h"
#include "app/ui/Image.h"
#include "app/ui/ImageBridge.h"

namespace {

TEST(SystemSymbol, TheFourSymbolsAreDrawnInTheTintLargerWhenConfiguredAndOthersAreMissing) {
  for (const char* name : {"sun.max.fill", "sun.min", "display", "exclamationmark.triangle.fill"}) {
    auto symbol = ui::Image::systemSymbol(name, "Brightness");
    ASSERT_NE(symbol, nullptr) << name;
    const QImage bitmap = ui::bridge::renderImage(*symbol, {48, 48}, QColor(255, 149, 0));
    int tinted = 0;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 48; ++x) tinted += bitmap.pixel(x, y) == qRgb(255, 149, 0);
    }
    EXPECT_GT(tinted, 48 * 48 / 20) << name;
    EXPECT_GT(symbol->withSymbolConfiguration({17, ui::FontWeight::Semibold})->size().width,
              symbol->size().width);
  }
  EXPECT_EQ(ui::Image::systemSymbol("gear", "Settings"), nullptr);
}

// Black stripes on white (text-like detail) blur to an even three-quarter
// white; a plain colour stays exactly as it is, down to a single pixel.
TEST(BackdropBlur, EvensOutFineDetailButKeepsSizeAndOverallColour) {
  QImage stripes(220, 50, QImage::Format_ARGB32_Premultiplied);
  stripes.fill(Qt::white);
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 220; x += 4) stripes.setPixel(x, y, qRgb(0, 0, 0));
  }
  const QImage blurred = ui::BackdropBlur::blurred(stripes, 10);
  ASSERT_EQ(blurred.size(), stripes.size());
  int darkest = 255, lightest = 0;
  for (int x = 20; x < 200; ++x) {  // Away from the repeated edges.
    const int grey = qGreen(blurred.pixel(x, 25));
    darkest = std::min(darkest, grey);
    lightest = std::max(lightest, grey);
  }
  EXPECT_LT(lightest - darkest, 24) << "stripes no longer show";
  EXPECT_NEAR(darkest, 191, 24) << "three quarters white";
  for (QSize size : {QSize(60, 20), QSize(1, 1)}) {
    QImage plain(size, QImage::Format_ARGB32_Premultiplied);
    plain.fill(QColor(0, 122, 255));
    const QImage blurred = ui::BackdropBlur::blurred(plain, 10);
    ASSERT_EQ(blurred.size(), size);
    EXPECT_EQ(blurred.pixel(0, 0), qRgb(0, 122, 255)) << size.width();
    EXPECT_EQ(blurred.pixel(size.width() - 1, size.height() - 1), qRgb(0, 122, 255));
  }
}

}  // namespace
