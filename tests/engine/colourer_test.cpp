#include "engine/colourer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/render.h"

namespace zirvanta {
namespace {

TEST(EscapeCount, StartPointRadiusTwoAndNaNInBothColourers) {
  const double nan = std::nan("");
  const struct {
    double x, y, cr, ci;
    int count;
  } cases[] = {
      {0, 0, 0, 0, 0},   {1, 0, 0, 0, 0},        // fixed points
      {3, 0, 0, 0, 1},   {1e30, 1e30, 0, 0, 1},  // the start point itself is never tested
      {0, 0, -2, 0, 1},                          // |z| = 2 counts as escaped
      {nan, 0, 0, 0, 0}, {0, 0, nan, 0, 0},      // a NaN orbit never escapes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LiveEscapeCount(float(c.x), float(c.y), c.cr, c.ci), c.count) << c.x << " " << c.cr;
    EXPECT_EQ(ExportEscapeCount(c.x, c.y, c.cr, c.ci, 254), c.count) << c.x << " " << c.cr;
  }
}

TEST(EscapeCount, TheLastStepOfEachLimitIsCounted) {
  // Counts grow towards the set's boundary: walk in until a point escapes on step 254.
  int live = -1;
  for (float t = -0.75f; t <= -0.74f && live != 254; t = std::nextafter(t, 0.0f)) {
    live = LiveEscapeCount(t, 0.1f, -0.75, 0.1);
  }
  EXPECT_EQ(live, 254);
  // Near c = 1/4 orbits crawl: bisect to a point escaping on step 8190, the last entry.
  double lo = 0.25, hi = 0.26;
  int n = 0;
  for (int i = 0; i < 200 && n != 8190; ++i) {
    const double mid = (lo + hi) / 2;
    n = ExportEscapeCount(0.0, 0.0, mid, 0.0, 8190);
    (n == 0 ? lo : hi) = mid;
    // The limit test comes first: an escape one step past the limit counts as inside.
    ASSERT_EQ(ExportEscapeCount(0.0, 0.0, mid, 0.0, std::max(n - 1, 0)), 0) << mid;
  }
  EXPECT_EQ(n, 8190);
}

TEST(RenderPicturePlain, TheStartUpPictureInBothLayouts) {
  FractalState state;
  Palette palette;
  BuildPalette(state.palette, palette);
  const PictureGeometry g = LiveGeometry(0.0f, 0.0f, DefaultPixelStep());
  Bitmap wide(530, 409, PixelFormat::Bgrx32), packed(530, 409, PixelFormat::Bgr24);
  std::memset(wide.Data(), 0xAB, wide.SizeInBytes());
  RenderPicturePlain(g, state, palette, wide);
  RenderPicturePlain(g, state, palette, packed);
  // The corner escapes on the first step (entry 1, blue first), the centre never does; the
  // fourth byte is not written. (The fast renderer's tests compare every pixel with this pass.)
  EXPECT_EQ(std::vector<uint8_t>(wide.Row(0), wide.Row(0) + 4),
            (std::vector<uint8_t>{20, 34, 62, 0xAB}));
  EXPECT_EQ(0, std::memcmp(wide.Row(204) + 4 * 265, &palette[0], 3));
  EXPECT_EQ(0, std::memcmp(packed.Row(408) + 3 * 529, &palette[1], 3));
  EXPECT_EQ(packed.Row(408)[1590] | packed.Row(408)[1591], 0) << "row padding stays zero";
}

TEST(ExportGeometry, CentreOnPixelHalfTheSizeRoundedDown) {
  const ExportGeometry one = MakeExportGeometry(0.5f, 0.25f, 5.0f, 1, 1);
  EXPECT_EQ(std::pair(one.x0, one.y0), std::pair(0.5, 0.25));
  const ExportGeometry two = MakeExportGeometry(0.0f, 0.0f, 5.0f, 2, 3);
  EXPECT_EQ(std::tuple(two.step, two.x0, two.y0), std::tuple(2.5f, -2.5, 2.5));
  const ExportGeometry big = MakeExportGeometry(0.1f, 0.2f, 0.3f, 1920, 1440);
  const long double step = static_cast<float>(0.3f / 1920.0L);
  EXPECT_EQ(big.step, step);
  EXPECT_EQ(big.x0, static_cast<double>(0.1f - 960 * step));
  EXPECT_EQ(big.y0, static_cast<double>(0.2f + 720 * step));
  EXPECT_EQ(Bitmap::StrideFor(5, PixelFormat::Bgr24), 16u);  // rows padded to whole words
}

}  // namespace
}  // namespace zirvanta
