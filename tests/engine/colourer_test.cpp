#include "engine/colourer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/render.h"

namespace zirvanta {
namespace {

Palette Build(const PaletteParams& params) {
  Palette palette;
  BuildPalette(params, palette);
  return palette;
}

TEST(EscapeCount, StartPointRadiusTwoNaNAndTheLastStepOfEachLimit) {
  const double nan = std::nan("");
  const struct { double x, y, cr, ci; int count; } cases[] = {
      {0, 0, 0, 0, 0},   {1, 0, 0, 0, 0},        // fixed points
      {3, 0, 0, 0, 1},   {1e30, 1e30, 0, 0, 1},  // the start point itself is never tested
      {0, 0, -2, 0, 1},                          // |z| = 2 counts as escaped
      {nan, 0, 0, 0, 0}, {0, 0, nan, 0, 0},      // a NaN orbit never escapes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::pair(LiveEscapeCount(float(c.x), float(c.y), c.cr, c.ci),
                        ExportEscapeCount(c.x, c.y, c.cr, c.ci, 254)), std::pair(c.count, c.count))
        << c.x << " " << c.cr;
  }
  // Escapes on the last step are counted; the limit is tested first, so with one step less
  // the point counts as inside.
  EXPECT_EQ(LiveEscapeCount(-0.744353712f, 0.1f, -0.75, 0.1), 254);
  EXPECT_EQ(ExportEscapeCount(0.0, 0.0, 0.25000014707446105, 0.0, 8190), 8190);
  EXPECT_EQ(ExportEscapeCount(0.0, 0.0, 0.25000014707446105, 0.0, 8189), 0);
}

TEST(RenderPicturePlain, TheStartUpPictureInBothLayouts) {
  FractalState state;
  const Palette palette = Build(state.palette);
  const PictureGeometry g = LiveGeometry(0.0f, 0.0f, DefaultPixelStep());
  Bitmap wide(530, 409, PixelFormat::Bgrx32), packed(530, 409, PixelFormat::Bgr24);
  std::memset(wide.Data(), 0xAB, wide.SizeInBytes());
  for (Bitmap* b : {&wide, &packed}) RenderPicturePlain(g, state, palette, *b);
  // The corner escapes on the first step (entry 1, blue first), the centre never does; the
  // fourth byte is not written. (The fast renderer's tests compare every pixel with this pass.)
  EXPECT_EQ(std::vector<uint8_t>(wide.Row(0), wide.Row(0) + 4),
            (std::vector<uint8_t>{20, 34, 62, 0xAB}));
  EXPECT_EQ(0, std::memcmp(wide.Row(204) + 4 * 265, &palette[0], 3));
  EXPECT_EQ(0, std::memcmp(packed.Row(408) + 3 * 529, &palette[1], 3));
  EXPECT_EQ(packed.Row(408)[1590] | packed.Row(408)[1591], 0) << "row padding stays zero";
}

TEST(ExportGeometry, CentreOnPixelHalfTheSizeRoundedDown) {
  const ExportGeometry two = MakeExportGeometry(0.0f, 0.0f, 5.0f, 2, 3);
  EXPECT_EQ(std::tuple(two.step, two.x0, two.y0), std::tuple(2.5f, -2.5, 2.5));
  const ExportGeometry big = MakeExportGeometry(0.1f, 0.2f, 0.3f, 1920, 1440);
  EXPECT_EQ(std::tuple(big.step, big.x0, big.y0),
            std::tuple(0.000156250011f, -0.050000009126961231, 0.31250001094304025));
  EXPECT_EQ(Bitmap::StrideFor(5, PixelFormat::Bgr24), 16u);  // rows padded to whole words
}

TEST(BuildPalette, LinearAndSineEntriesAndValuesNoSliderCanMake) {
  const Palette linear = Build({}), sine = Build({2, 36, 16, 12, 26, 18, 8});  // blue, green, red
  const struct { const Palette& palette; int n; PaletteEntry entry; } pinned[] = {
      {linear, 0, {12, 16, 36}}, {linear, 1, {20, 34, 62}}, {linear, 10, {92, 196, 40}},
      {linear, 255, {4, 254, 10}}, {sine, 0, {12, 16, 36}}, {sine, 1, {17, 32, 68}},
      {sine, 2, {24, 53, 106}}, {sine, 10, {107, 242, 213}}};
  for (const auto& p : pinned) EXPECT_EQ(p.palette[p.n], p.entry) << p.n;
  // Every type takes the linear or the sine law per channel; types no control makes are LLL.
  const char* laws[] = {"LLL", "LLL", "SSS", "LSS", "SLL", "SLS", "LSL", "SSL", "LLS", "LLL"};
  for (int type = 0; type <= 9; ++type) {
    const Palette palette = Build(PaletteParams{type, 36, 16, 12, 26, 18, 8});
    auto law = [&](int c) -> const Palette& { return laws[type][c] == 'S' ? sine : linear; };
    for (int n = 1; n < kPaletteSize; n += 97)
      ASSERT_EQ(palette[n], (PaletteEntry{law(2)[n].blue, law(1)[n].green, law(0)[n].red})) << type;
  }
  // Levels and periods from a damaged file: linear channels wrap, and a sine start level outside
  // 0..254 acts as the nearest end of the wave.
  const Palette wild = Build(PaletteParams{2, 300, -50, INT32_MAX, INT32_MAX, INT32_MIN, 7});
  const Palette ends = Build(PaletteParams{2, 254, 0, 254, INT32_MAX, INT32_MIN, 7});
  EXPECT_EQ(wild[0].red, 300 & 0xFF);
  for (int n = 1; n < kPaletteSize; ++n) ASSERT_EQ(wild[n], ends[n]) << n;
  const Palette wrapped = Build(PaletteParams{1, -1, INT32_MAX, 0, INT32_MIN, INT32_MAX, -3});
  EXPECT_EQ(std::tuple(wrapped[1].red, wrapped[1].green, wrapped[2].blue),
            std::tuple(255, uint8_t(0x7FFFFFFFu + 0x7FFFFFFFu), uint8_t(-6)));
  // The palette strip shows the first 256 entries over its width.
  EXPECT_EQ(std::pair(PaletteLineIndex(264, 529), PaletteLineIndex(528, 529)), std::pair(127, 255));
}

}  // namespace
}  // namespace zirvanta
