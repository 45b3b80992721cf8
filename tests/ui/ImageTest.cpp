#include <gtest/gtest.h>

#include <QImage>

#include "app/ui/BackdropBlur.h"
#include "app/ui/BezierPath.h"
#include "app/ui/Color.h"
#include "app/ui/Image.h"
#include "app/ui/ImageBridge.h"

namespace {

// Draws its lower-left quarter in the image's own y-up space at any size; as
// a template it shows only that shape, in the tint.
TEST(DrawnImage, DrawsYUpwardsInItsOwnSpaceAndAsATemplateInTheTint) {
  std::vector<ui::Rect> destinations;
  auto image = ui::Image::drawn({18, 18}, false, [&destinations](ui::Rect destination) {
    destinations.push_back(destination);
    ui::Color::black().setFill();
    ui::BezierPath::roundedRect({0, 0, 9, 9}, 0, 0).fill();
    return true;
  });
  for (int pixels : {18, 54}) {
    const QImage bitmap = ui::bridge::renderImage(*image, {pixels, pixels}, Qt::white);
    EXPECT_EQ(bitmap.pixel(1, pixels - 2), qRgb(0, 0, 0)) << pixels << ": lower left filled";
    EXPECT_EQ(qAlpha(bitmap.pixel(1, 1)), 0) << pixels << ": upper left empty";
  }
  EXPECT_EQ(destinations, (std::vector<ui::Rect>(2, {0, 0, 18, 18})));
  image->setTemplate(true);
  const QImage bitmap = ui::bridge::renderImage(*image, {18, 18}, Qt::white);
  EXPECT_EQ(bitmap.pixel(2, 16), qRgb(255, 255, 255));
  EXPECT_EQ(qAlpha(bitmap.pixel(16, 2)), 0);
}

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
  for (QSize size : {QSize(220, 50), QSize(440, 100)}) {
    QImage stripes(size, QImage::Format_ARGB32_Premultiplied);
    stripes.fill(Qt::white);
    for (int y = 0; y < size.height(); ++y) {
      for (int x = 0; x < size.width(); x += 4) stripes.setPixel(x, y, qRgb(0, 0, 0));
    }
    const QImage blurred = ui::BackdropBlur::blurred(stripes, 10);
    ASSERT_EQ(blurred.size(), size);
    int darkest = 255, lightest = 0;
    for (int x = 20; x < size.width() - 20; ++x) {  // Away from the repeated edges.
      const int grey = qGreen(blurred.pixel(x, size.height() / 2));
      darkest = std::min(darkest, grey);
      lightest = std::max(lightest, grey);
    }
    EXPECT_LT(lightest - darkest, 24) << size.width() << ": stripes no longer show";
    EXPECT_NEAR(darkest, 191, 24) << size.width() << ": three quarters white";
  }
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
