#include "engine/palette.h"

#include <gtest/gtest.h>

namespace zirvanta {
namespace {

Palette Build(const PaletteParams& params) {
  Palette palette;
  BuildPalette(params, palette);
  return palette;
}

TEST(BuildPalette, DefaultLinearAndSineEntries) {
  const Palette linear = Build(PaletteParams{});
  const Palette sine = Build(PaletteParams{2, 36, 16, 12, 26, 18, 8});
  auto rgb = [](PaletteEntry e) { return std::tuple<int, int, int>(e.red, e.green, e.blue); };
  EXPECT_EQ(rgb(linear[0]), std::tuple(36, 16, 12));
  EXPECT_EQ(rgb(linear[1]), std::tuple(62, 34, 20));
  EXPECT_EQ(rgb(linear[10]), std::tuple(40, 196, 92));
  EXPECT_EQ(rgb(linear[255]), std::tuple(10, 254, 4));
  EXPECT_EQ(rgb(sine[0]), std::tuple(36, 16, 12));
  EXPECT_EQ(rgb(sine[1]), std::tuple(68, 32, 17));
  EXPECT_EQ(rgb(sine[2]), std::tuple(106, 53, 24));
  EXPECT_EQ(rgb(sine[10]), std::tuple(213, 242, 107));
  // Every type takes the linear or the sine law per channel; types no control makes are LLL.
  const char* laws[] = {"LLL", "LLL", "SSS", "LSS", "SLL", "SLS", "LSL", "SSL", "LLS", "LLL"};
  for (int type = 0; type <= 9; ++type) {
    const Palette palette = Build(PaletteParams{type, 36, 16, 12, 26, 18, 8});
    for (int n = 1; n < kPaletteSize; n += 97) {
      ASSERT_EQ(palette[n].red, (laws[type][0] == 'S' ? sine : linear)[n].red) << type;
      ASSERT_EQ(palette[n].green, (laws[type][1] == 'S' ? sine : linear)[n].green) << type;
      ASSERT_EQ(palette[n].blue, (laws[type][2] == 'S' ? sine : linear)[n].blue) << type;
    }
  }
}

TEST(BuildPalette, ValuesNoSliderCanMakeStayDefined) {
  // Levels and periods from a damaged file: linear channels wrap, and a sine start level outside
  // 0..254 acts as the nearest end of the wave.
  const Palette wild = Build(PaletteParams{2, 300, -50, INT32_MAX, INT32_MAX, INT32_MIN, 7});
  const Palette ends = Build(PaletteParams{2, 254, 0, 254, INT32_MAX, INT32_MIN, 7});
  EXPECT_EQ(wild[0].red, 300 & 0xFF);
  for (int n = 1; n < kPaletteSize; ++n) ASSERT_EQ(wild[n], ends[n]) << n;
  const Palette linear = Build(PaletteParams{1, -1, INT32_MAX, 0, INT32_MIN, INT32_MAX, -3});
  EXPECT_EQ(linear[1].red, 255);
  EXPECT_EQ(linear[1].green, static_cast<uint8_t>(0x7FFFFFFFu + 0x7FFFFFFFu));
  EXPECT_EQ(linear[2].blue, static_cast<uint8_t>(-6));
  // The palette strip shows the first 256 entries over its width.
  EXPECT_EQ(PaletteLineIndex(264, 529), 127);
  EXPECT_EQ(PaletteLineIndex(528, 529), 255);
}

}  // namespace
}  // namespace zirvanta
