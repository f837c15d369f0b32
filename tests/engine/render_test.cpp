#include "engine/render.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/colourer.h"

namespace zirvanta {
namespace {

Palette MakePalette(const PaletteParams& params) {
  Palette palette;
  BuildPalette(params, palette);
  return palette;
}

TEST(RenderPicturePlain, LiveViewPixelsAreTheColourerOfTheirPoints) {
  FractalState state;
  const Palette palette = MakePalette(state.palette);
  const PictureGeometry g = LiveGeometry(state.centreX, state.centreY, DefaultPixelStep());
  Bitmap bitmap(g.width, g.height, PixelFormat::Bgrx32);
  std::memset(bitmap.Data(), 0xAB, bitmap.SizeInBytes());
  RenderPicturePlain(g, state, palette, bitmap);
  const std::vector<float> xs = ColumnCoordinates(g);
  const std::vector<float> ys = RowCoordinates(g);
  for (int j : {0, 1, 204, 408}) {
    for (int i : {0, 1, 265, 529}) {
      const uint8_t* pixel = bitmap.Row(j) + 4 * i;
      const PaletteEntry& e = palette[LiveEscapeCount(xs[i], ys[j], state.cx, state.cy)];
      EXPECT_EQ(pixel[0], e.blue);
      EXPECT_EQ(pixel[1], e.green);
      EXPECT_EQ(pixel[2], e.red);
      EXPECT_EQ(pixel[3], 0xAB) << "the fourth byte is never written";
    }
  }
  // The start-up fractal has both inside points (entry 0) and escaping points.
  EXPECT_EQ(LiveEscapeCount(xs[265], ys[204], state.cx, state.cy), 0);
  EXPECT_EQ(LiveEscapeCount(xs[0], ys[0], state.cx, state.cy), 1);
}

TEST(RenderPicturePlain, BothPixelFormatsHoldTheSameColours) {
  FractalState state;
  state.cx = -0.8;
  state.cy = 0.156;
  const Palette palette = MakePalette(PaletteParams{2, 10, 60, 90, 3, 7, 11});
  const PictureGeometry g = ScreenGeometry(0.1f, -0.2f, 3.0f, 37, 23);
  Bitmap wide(g.width, g.height, PixelFormat::Bgrx32);
  Bitmap packed(g.width, g.height, PixelFormat::Bgr24);
  RenderPicturePlain(g, state, palette, wide);
  RenderPicturePlain(g, state, palette, packed);
  std::vector<uint16_t> counts(static_cast<size_t>(g.width * g.height));
  RenderCountsPlain(g, state, counts.data());
  for (int j = 0; j < g.height; ++j) {
    for (int i = 0; i < g.width; ++i) {
      const PaletteEntry& e = palette[counts[static_cast<size_t>(j * g.width + i)]];
      ASSERT_EQ(0, std::memcmp(wide.Row(j) + 4 * i, &e, 3));
      ASSERT_EQ(0, std::memcmp(packed.Row(j) + 3 * i, &e, 3));
    }
    // Row padding of the packed layout stays zero: 37 x 3 = 111 bytes in a 112-byte row.
    EXPECT_EQ(packed.Row(j)[111], 0);
  }
}

TEST(ExportGeometry, CentreAndStep) {
  const ExportGeometry one = MakeExportGeometry(0.5f, 0.25f, 5.0f, 1, 1);
  EXPECT_EQ(one.centreColumn, 0);
  EXPECT_EQ(one.x0, 0.5);  // a single column shows the view centre's x
  const ExportGeometry two = MakeExportGeometry(0.0f, 0.0f, 5.0f, 2, 3);
  EXPECT_EQ(two.centreColumn, 1);
  EXPECT_EQ(two.centreRow, 1);
  EXPECT_EQ(two.step, 2.5f);
  EXPECT_EQ(two.x0, -2.5);
  EXPECT_EQ(two.y0, 2.5);
  const ExportGeometry big = MakeExportGeometry(0.1f, 0.2f, 0.3f, 1920, 1440);
  EXPECT_EQ(big.step, static_cast<float>(0.3f / 1920.0L));
  EXPECT_EQ(big.x0, static_cast<double>(0.1f - 960 * static_cast<long double>(big.step)));
  const std::vector<double> ys = ExportRowCoordinates(big);
  EXPECT_EQ(ys[0], big.y0);
  EXPECT_EQ(ys[1], big.y0 - big.step);
  EXPECT_GT(ys[0], ys[1439]) << "row 0 is the top of the image";
}

TEST(RenderExportRowPlain, EveryPixelIsTheExportColourOfItsPoint) {
  const ExportGeometry g = MakeExportGeometry(0.0f, 0.0f, 5.0f, 33, 5);
  const Palette palette = MakePalette(PaletteParams{3, 20, 40, 60, 5, 9, 13});
  std::vector<uint8_t> row(33 * 3);
  const double y = 0.3;
  RenderExportRowPlain(g, y, -0.7269, 0.1889, 8190, palette, row.data());
  const std::vector<double> xs = ExportColumnCoordinates(g);
  for (int k = 0; k < 33; ++k) {
    const PaletteEntry& e = ExportColour(xs[k], y, -0.7269, 0.1889, 8190, palette);
    EXPECT_EQ(0, std::memcmp(row.data() + 3 * k, &e, 3)) << k;
  }
}

TEST(Bitmap, RowsAndStrides) {
  EXPECT_EQ(Bitmap::StrideFor(1, PixelFormat::Bgr24), 4u);
  EXPECT_EQ(Bitmap::StrideFor(4, PixelFormat::Bgr24), 12u);
  EXPECT_EQ(Bitmap::StrideFor(5, PixelFormat::Bgr24), 16u);
  EXPECT_EQ(Bitmap::StrideFor(5, PixelFormat::Bgrx32), 20u);
  Bitmap b(3, 2, PixelFormat::Bgr24);
  EXPECT_EQ(b.Row(1) - b.Row(0), 12);
  Bitmap copy = b;
  EXPECT_EQ(copy, b);
  copy.Row(1)[0] = 9;
  EXPECT_FALSE(copy == b);
  EXPECT_THROW(Bitmap(-1, 5, PixelFormat::Bgr24), std::length_error);
}

}  // namespace
}  // namespace zirvanta
