#include "engine/palette.h"

#include <gtest/gtest.h>

namespace zirvanta {
namespace {

struct Rgb {
  int red, green, blue;
};

void ExpectEntry(const Palette& palette, int index, Rgb expected) {
  const PaletteEntry& entry = palette[index];
  EXPECT_EQ(entry.red, expected.red) << "entry " << index;
  EXPECT_EQ(entry.green, expected.green) << "entry " << index;
  EXPECT_EQ(entry.blue, expected.blue) << "entry " << index;
}

Palette Build(const PaletteParams& params) {
  Palette palette;
  BuildPalette(params, palette);
  return palette;
}

TEST(BuildPalette, DefaultLinearEntriesWrapAround) {
  const Palette palette = Build(PaletteParams{});
  ExpectEntry(palette, 0, {36, 16, 12});
  ExpectEntry(palette, 1, {62, 34, 20});
  ExpectEntry(palette, 10, {40, 196, 92});
  ExpectEntry(palette, 255, {10, 254, 4});
}

TEST(BuildPalette, DefaultSineEntries) {
  PaletteParams params;
  params.type = 2;
  const Palette palette = Build(params);
  ExpectEntry(palette, 0, {36, 16, 12});
  ExpectEntry(palette, 1, {68, 32, 17});
  ExpectEntry(palette, 2, {106, 53, 24});
  ExpectEntry(palette, 10, {213, 242, 107});
}

TEST(BuildPalette, SineFromLevelZeroStartsAtTheBottomAndPeriodZeroStaysThere) {
  const Palette palette = Build(PaletteParams{2, 0, 0, 0, 0, 4, 40});
  for (int n = 1; n < kPaletteSize; ++n) ASSERT_EQ(palette[n].red, 0) << n;
  EXPECT_LE(palette[1].green, 1);  // the bottom of the wave: it climbs slowly
  EXPECT_GE(palette[64].green, 253);  // half of the period of 512 / 4 entries: the top
  EXPECT_LE(palette[128].green, 1);   // a whole period: the bottom again
}

TEST(BuildPalette, SinePeriodZeroGivesTheLevelOrOneLess) {
  for (int level = 0; level <= 100; ++level) {
    const Palette palette = Build(PaletteParams{2, level, level, level, 0, 0, 0});
    for (int n : {1, 100, 8190}) {
      EXPECT_GE(palette[n].red, level - 1) << level;
      EXPECT_LE(palette[n].red, level) << level;
    }
  }
}

TEST(BuildPalette, AllPeriodsZeroLinearRepeatsEntryZero) {
  const Palette palette = Build(PaletteParams{1, 36, 16, 12, 0, 0, 0});
  for (int n = 1; n < kPaletteSize; ++n) ASSERT_EQ(palette[n], palette[0]) << n;
}

TEST(BuildPalette, UnknownTypesBuildTheLinearTable) {
  const Palette linear = Build(PaletteParams{});
  for (int type : {0, 9, -1, 1000}) {
    PaletteParams params;
    params.type = type;
    EXPECT_EQ(Build(params), linear) << type;
  }
}

TEST(BuildPalette, EveryTypeUsesItsOwnLaws) {
  // The same levels under each type: a channel's column equals the all-linear or all-sine one.
  const Palette linear = Build(PaletteParams{1, 36, 16, 12, 26, 18, 8});
  const Palette sine = Build(PaletteParams{2, 36, 16, 12, 26, 18, 8});
  const char* names[] = {"LLL", "SSS", "LSS", "SLL", "SLS", "LSL", "SSL", "LLS"};
  for (int type = 1; type <= 8; ++type) {
    const Palette palette = Build(PaletteParams{type, 36, 16, 12, 26, 18, 8});
    for (int n = 1; n < kPaletteSize; n += 97) {
      EXPECT_EQ(palette[n].red, (names[type - 1][0] == 'S' ? sine : linear)[n].red);
      EXPECT_EQ(palette[n].green, (names[type - 1][1] == 'S' ? sine : linear)[n].green);
      EXPECT_EQ(palette[n].blue, (names[type - 1][2] == 'S' ? sine : linear)[n].blue);
    }
  }
}

TEST(BuildPalette, ValuesNoSliderCanMakeStayDefined) {
  // Levels and periods from a damaged file: wrap for linear channels, the nearest end of the
  // wave for sine channels whose start level lies outside 0..254.
  const Palette wild = Build(PaletteParams{2, 300, -50, INT32_MAX, INT32_MAX, INT32_MIN, 7});
  const Palette top = Build(PaletteParams{2, 254, 0, 254, INT32_MAX, INT32_MIN, 7});
  EXPECT_EQ(wild[0].red, 300 & 0xFF);
  for (int n = 1; n < kPaletteSize; ++n) {
    ASSERT_EQ(wild[n].red, top[n].red) << n;
    ASSERT_EQ(wild[n].green, top[n].green) << n;
    ASSERT_EQ(wild[n].blue, top[n].blue) << n;
  }
  const Palette linear = Build(PaletteParams{1, -1, INT32_MAX, 0, INT32_MIN, INT32_MAX, -3});
  EXPECT_EQ(linear[1].red, 255);
  EXPECT_EQ(linear[1].green, static_cast<uint8_t>(0x7FFFFFFFu + 0x7FFFFFFFu));
  EXPECT_EQ(linear[2].blue, static_cast<uint8_t>(-6));
}

TEST(PaletteLine, ColumnsShowTheFirst256Entries) {
  EXPECT_EQ(PaletteLineIndex(0, 529), 0);
  EXPECT_EQ(PaletteLineIndex(528, 529), 255);
  EXPECT_EQ(PaletteLineIndex(264, 529), 127);
}

}  // namespace
}  // namespace zirvanta
