#include "files/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>

#include "file_test_support.h"

namespace zirvanta {
namespace {

using testing::Hex;
using testing::ReadBytes;
using testing::RunWithFileSizeLimit;
using testing::TempDir;
using testing::WriteBytes;

namespace fs = std::filesystem;

Settings Sample() {
  Settings settings;
  settings.slideDelay = 20;
  settings.closeAfterExport = 1;
  settings.left = -1;
  settings.top = 0x00010203;
  settings.palette = PaletteParams{8, 100, 0, 12, 40, 18, std::numeric_limits<int32_t>::min()};
  settings.slideOrder = 1;
  return settings;
}

// What the main window does when the file gave no position: centre and remember it.
void Centre(SettingsAtStart& start) {
  start.live.left = start.startupCopy.left = 500;
  start.live.top = start.startupCopy.top = 300;
}

TEST(SettingsRecord, LittleEndianLayoutInFileOrder) {
  EXPECT_EQ(EncodeSettings(Sample()),
            Hex("14000000 01000000 FFFFFFFF 03020100 64000000 00000000 0C000000 28000000"
                "12000000 00000080 08000000 01000000"));
}

TEST(ReadSettings, MissingOrUnreadableFileGivesTheDefaults) {
  TempDir dir;
  const Settings defaults{4, 0, 0, 0, PaletteParams{1, 36, 16, 12, 26, 18, 8}, 0};
  for (const bool asFolder : {false, true}) {
    if (asFolder) fs::create_directory(dir.File(kSettingsFileName));
    const SettingsAtStart start = ReadSettings(dir.path());
    EXPECT_EQ(start.live, defaults);
    EXPECT_EQ(start.startupCopy, defaults);
    EXPECT_FALSE(start.positionFromFile);
  }
}

TEST(ReadSettings, FullFileIsTakenAsItStands) {
  TempDir dir;
  Settings stored = Sample();
  stored.slideDelay = 0;         // outside the slider, not corrected
  stored.closeAfterExport = 5;   // any non-zero value means yes
  stored.left = -3000;           // off the screen, not corrected
  WriteBytes(dir.File(kSettingsFileName), EncodeSettings(stored));
  const SettingsAtStart start = ReadSettings(dir.path() + "/");
  EXPECT_EQ(start.live, stored);
  EXPECT_EQ(start.startupCopy, stored);
  EXPECT_TRUE(start.positionFromFile);
}

TEST(ReadSettings, CorrectsTypeAndOrderAfterTakingTheStartupCopy) {
  TempDir dir;
  struct Case {
    int32_t type, order, liveType, liveOrder;
  };
  for (const Case c : {Case{9, 7, 1, 0}, Case{0, -1, 1, 0}, Case{-5, 2, 1, 0}, Case{8, 1, 8, 1},
                       Case{1, 0, 1, 0}}) {
    Settings stored = Sample();
    stored.palette.type = c.type;
    stored.slideOrder = c.order;
    WriteBytes(dir.File(kSettingsFileName), EncodeSettings(stored));
    const SettingsAtStart start = ReadSettings(dir.path());
    EXPECT_EQ(start.startupCopy, stored);
    EXPECT_EQ(start.live.palette.type, c.liveType);
    EXPECT_EQ(start.live.slideOrder, c.liveOrder);
  }
}

TEST(ReadSettings, ShortFileTakesWholeFieldsAndAPositionOnlyAsAPair) {
  TempDir dir;
  const std::string record = EncodeSettings(Sample());

  WriteBytes(dir.File(kSettingsFileName), record.substr(0, 14));  // left whole, top cut
  SettingsAtStart start = ReadSettings(dir.path());
  EXPECT_FALSE(start.positionFromFile);
  EXPECT_EQ(start.live.slideDelay, 20);
  EXPECT_EQ(start.live.closeAfterExport, 1);
  EXPECT_EQ(start.live.left, 0);
  EXPECT_EQ(start.live.top, 0);
  EXPECT_EQ(start.live.palette, PaletteParams{});

  WriteBytes(dir.File(kSettingsFileName), record.substr(0, 43));  // palette type cut
  start = ReadSettings(dir.path());
  EXPECT_TRUE(start.positionFromFile);
  EXPECT_EQ(start.live.left, -1);
  EXPECT_EQ(start.live.palette.b1, Sample().palette.b1);
  EXPECT_EQ(start.live.palette.type, 1);
  EXPECT_EQ(start.live.slideOrder, 0);
}

TEST(WriteSettings, FirstRunWithoutChangesCreatesNoFile) {
  TempDir dir;
  SettingsAtStart start = ReadSettings(dir.path());
  Centre(start);
  EXPECT_FALSE(WriteSettings(dir.path(), start.live, start.startupCopy));
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(WriteSettings, FirstRunWithWindowMovedOnePixelWritesAllTwelveValues) {
  TempDir dir;
  SettingsAtStart start = ReadSettings(dir.path());
  Centre(start);
  start.live.left += 1;
  EXPECT_TRUE(WriteSettings(dir.path(), start.live, start.startupCopy));
  EXPECT_EQ(ReadBytes(dir.File(kSettingsFileName)),
            Hex("04000000 00000000 F5010000 2C010000 24000000 10000000 0C000000 1A000000"
                "12000000 08000000 01000000 00000000"));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{kSettingsFileName});
}

TEST(WriteSettings, CorrectedValuesAloneCauseARewrite) {
  TempDir dir;
  for (const bool badType : {true, false}) {
    Settings stored = Sample();
    (badType ? stored.palette.type : stored.slideOrder) = badType ? 9 : 7;
    WriteBytes(dir.File(kSettingsFileName), EncodeSettings(stored));
    const SettingsAtStart start = ReadSettings(dir.path());
    EXPECT_TRUE(WriteSettings(dir.path(), start.live, start.startupCopy));
    EXPECT_EQ(ReadSettings(dir.path()).startupCopy, start.live);
  }
}

TEST(WriteSettings, EveryValueTakesPartInTheChangeTest) {
  TempDir dir;
  const Settings startup = Sample();
  for (int field = 0; field < 12; ++field) {
    Settings changed = startup;
    int32_t* const fields[] = {&changed.slideDelay,  &changed.closeAfterExport, &changed.left,
                               &changed.top,         &changed.palette.r0,       &changed.palette.g0,
                               &changed.palette.b0,  &changed.palette.r1,       &changed.palette.g1,
                               &changed.palette.b1,  &changed.palette.type,     &changed.slideOrder};
    *fields[field] ^= 2;
    fs::remove(dir.File(kSettingsFileName));
    EXPECT_TRUE(WriteSettings(dir.path(), changed, startup)) << "field " << field;
    EXPECT_EQ(ReadBytes(dir.File(kSettingsFileName)), EncodeSettings(changed));
  }
}

TEST(WriteSettings, PaletteSetBackToTheStartupValuesLeavesTheFileAlone) {
  TempDir dir;
  WriteBytes(dir.File(kSettingsFileName), EncodeSettings(Sample()));
  const SettingsAtStart start = ReadSettings(dir.path());
  Settings current = start.live;
  current.palette = PaletteParams{2, 1, 2, 3, 4, 5, 6};  // opened from a palette file
  current.palette = start.live.palette;                  // and set back by hand
  WriteBytes(dir.File(kSettingsFileName), "marker");
  EXPECT_FALSE(WriteSettings(dir.path(), current, start.startupCopy));
  EXPECT_EQ(ReadBytes(dir.File(kSettingsFileName)), "marker");
}

TEST(WriteSettings, FailureIsSilentAndKeepsWhatWasThere) {
  TempDir dir;
  Settings changed = Sample();
  changed.slideDelay = 5;

  EXPECT_FALSE(WriteSettings(dir.File("missing"), changed, Sample()));
  EXPECT_TRUE(dir.Entries().empty());

  fs::create_directory(dir.File(kSettingsFileName));
  EXPECT_FALSE(WriteSettings(dir.path(), changed, Sample()));
  EXPECT_TRUE(fs::is_directory(dir.File(kSettingsFileName)));
  fs::remove(dir.File(kSettingsFileName));

  WriteBytes(dir.File(kSettingsFileName), "old settings");
  const int code = RunWithFileSizeLimit(10, [&] {
    return WriteSettings(dir.path(), changed, Sample()) ? 1 : 0;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadBytes(dir.File(kSettingsFileName)), "old settings");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{kSettingsFileName});
}

}  // namespace
}  // namespace zirvanta
