#include "files/settings.h"

#include <gtest/gtest.h>

#include <limits>

#include "file_test_support.h"

namespace zirvanta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// Values beyond the controls and the screen, all taken as they stand; 5 for close-after is yes.
const Settings kSample{21, 5, -3000, 0x00010203,
                       {8, 100, 0, 12, 40, 18, std::numeric_limits<int32_t>::min()}, 1};
const std::string kSampleFile =
    testing::Hex("15000000 05000000 48F4FFFF 03020100 64000000 00000000 0C000000 28000000"
                 "12000000 00000080 08000000 01000000");

TEST(ReadSettings, StartupCopyIsTakenBeforeTheCorrectionsAndDecidesTheRewrite) {
  struct Case {
    size_t length;
    int32_t type, order, liveType, liveOrder;
    bool rewritten;
  };
  TempDir dir;
  const std::string path = dir.File(kSettingsFileName);
  for (const Case& c : {Case{48, 12, -5, 1, 0, true}, Case{48, 9, 1, 1, 1, true},
                        Case{48, 8, 7, 8, 0, true}, Case{48, 8, 1, 8, 1, false},
                        Case{43, 8, 1, 1, 0, false}}) {  // type cut, order missing: defaults
    SCOPED_TRACE(::testing::Message() << c.length << " " << c.type << " " << c.order);
    Settings stored = kSample;
    stored.palette.type = c.type;
    stored.slideOrder = c.order;
    WriteBytes(path, EncodeSettings(stored).substr(0, c.length));
    const SettingsAtStart start = ReadSettings(dir.path + "/");
    EXPECT_TRUE(start.positionFromFile);
    if (c.length == kSettingsFileSize) {
      EXPECT_EQ(start.startupCopy, stored);
    }
    Settings corrected = start.startupCopy;
    corrected.palette.type = c.liveType;
    corrected.slideOrder = c.liveOrder;
    EXPECT_EQ(start.live, corrected);

    EXPECT_EQ(WriteSettings(dir.path, start.live, start.startupCopy), c.rewritten);
    EXPECT_EQ(ReadBytes(path), c.rewritten ? EncodeSettings(start.live)
                                           : EncodeSettings(stored).substr(0, c.length));
  }
}

TEST(WriteSettings, EveryValueTakesPartInTheChangeTestAndStandsInFileOrder) {
  TempDir dir;
  // The first run centres the window and remembers that position: unmoved, nothing is written.
  SettingsAtStart start = ReadSettings(dir.path);
  EXPECT_FALSE(start.positionFromFile);
  start.live.left = start.startupCopy.left = 500;
  EXPECT_FALSE(WriteSettings(dir.path, start.live, start.startupCopy));
  EXPECT_TRUE(dir.Entries().empty());

  for (size_t at = 0; at < kSettingsFileSize; at += 4) {
    std::string startup = kSampleFile;
    startup[at] ^= 2;
    WriteBytes(dir.File(kSettingsFileName), startup);
    EXPECT_TRUE(WriteSettings(dir.path, kSample, ReadSettings(dir.path).startupCopy)) << at;
    EXPECT_EQ(ReadBytes(dir.File(kSettingsFileName)), kSampleFile);
  }
  EXPECT_FALSE(WriteSettings(dir.File("missing"), kSample, Settings{}));  // silently
}

}  // namespace
}  // namespace zirvanta
