#include <gtest/gtest.h>

#include "app/ui/BezierPath.h"
#include "app/ui/Color.h"
#include "app/ui/Image.h"
#include "app/ui/ImageBridge.h"

namespace {

// Fills the lower-left quarter of an 18 x 18 image, in the image's y-up space.
std::shared_ptr<ui::Image> lowerLeftSquare(std::vector<ui::Rect>* destinations) {
  return ui::Image::drawn({18, 18}, false, [destinations](ui::Rect destination) {
    destinations->push_back(destination);
    ui::Color::black().setFill();
    ui::BezierPath::roundedRect({0, 0, 9, 9}, 0, 0).fill();
    return true;
  });
}

TEST(DrawnImage, TheHandlerDrawsWithYUpwardsInTheImagesOwnSpaceAtAnySize) {
  std::vector<ui::Rect> destinations;
  auto image = lowerLeftSquare(&destinations);
  for (int pixels : {18, 36, 54}) {
    const QImage bitmap = ui::bridge::renderImage(*image, {pixels, pixels}, Qt::white);
    EXPECT_EQ(bitmap.pixel(1, pixels - 2), qRgb(0, 0, 0)) << pixels << ": lower left filled";
    EXPECT_EQ(qAlpha(bitmap.pixel(1, 1)), 0) << pixels << ": upper left empty";
  }
  ASSERT_EQ(destinations.size(), 3u);
  EXPECT_EQ(destinations[2], (ui::Rect{0, 0, 18, 18}));
}

TEST(DrawnImage, ATemplateShowsOnlyItsShapeInTheTint) {
  std::vector<ui::Rect> destinations;
  auto image = lowerLeftSquare(&destinations);
  image->setTemplate(true);
  const QImage bitmap = ui::bridge::renderImage(*image, {18, 18}, QColor(255, 255, 255));
  EXPECT_EQ(bitmap.pixel(2, 16), qRgb(255, 255, 255));
  EXPECT_EQ(qAlpha(bitmap.pixel(16, 2)), 0);
}

TEST(DrawnImage, StrokesUseTheirOwnWidthAndCap) {
  auto image = ui::Image::drawn({18, 18}, false, [](ui::Rect) {
    ui::Color::black().setStroke();
    ui::BezierPath base;
    base.moveTo({5.5, 9});
    base.lineTo({12.5, 9});
    base.setLineWidth(2);
    base.setLineCapStyle(ui::LineCapStyle::Round);
    base.stroke();
    return true;
  });
  const QImage bitmap = ui::bridge::renderImage(*image, {180, 180}, Qt::black);
  EXPECT_GT(qAlpha(bitmap.pixel(47, 90)), 200) << "the round cap reaches past the end point";
  EXPECT_EQ(qAlpha(bitmap.pixel(90, 70)), 0) << "1 point either side of the line, no more";
  EXPECT_GT(qAlpha(bitmap.pixel(90, 82)), 200);
}

TEST(SystemSymbol, TheFourSymbolsAreDrawnInTheTintAndOthersAreMissing) {
  for (const char* name : {"sun.max.fill", "sun.min", "display", "exclamationmark.triangle.fill"}) {
    auto symbol = ui::Image::systemSymbol(name, "Brightness");
    ASSERT_NE(symbol, nullptr) << name;
    const QImage bitmap = ui::bridge::renderImage(*symbol, {48, 48}, QColor(255, 149, 0));
    int tinted = 0;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 48; ++x) {
        tinted += bitmap.pixel(x, y) == qRgb(255, 149, 0);
      }
    }
    EXPECT_GT(tinted, 48 * 48 / 20) << name;
  }
  EXPECT_EQ(ui::Image::systemSymbol("gear", "Settings"), nullptr);
}

TEST(SystemSymbol, AConfigurationSetsItsSize) {
  auto symbol = ui::Image::systemSymbol("sun.max.fill", "Brightness");
  auto configured = symbol->withSymbolConfiguration({17, ui::FontWeight::Semibold});
  EXPECT_GT(configured->size().width, symbol->size().width);
  EXPECT_EQ(configured->symbolName(), "sun.max.fill");
  EXPECT_EQ(configured->accessibilityDescription(), "Brightness");
}

}  // namespace
