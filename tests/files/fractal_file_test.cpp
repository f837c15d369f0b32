#include "files/fractal_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>

#include "file_test_support.h"

namespace zirvanta {
namespace {

using testing::Built;
using testing::EarlierState;
using testing::ExpectSameState;
using testing::Hex;
using testing::ReadBytes;
using testing::RunWithFileSizeLimit;
using testing::SentinelPalette;
using testing::TempDir;
using testing::WriteBytes;

namespace fs = std::filesystem;

constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

// A valid fractal record whose every field differs from EarlierState().
FractalState Sample() {
  FractalState state;
  state.cx = 2.5;
  state.cy = 0.0019;
  state.centreX = 0.75f;
  state.centreY = -0.5f;
  state.viewWidth = 0.125f;
  state.palette = PaletteParams{5, 70, 3, 99, 11, 0, 37};
  return state;
}

std::string FractalRecord(int32_t fractalType, int32_t paletteType) {
  FractalState state = Sample();
  state.fractalType = fractalType;
  state.palette.type = paletteType;
  return EncodeFractal(state);
}

// Reads the bytes as a .frc file into EarlierState() and a sentinel palette.
struct Loaded {
  ReadOutcome outcome;
  FractalState state = EarlierState();
  Palette palette = SentinelPalette();
};

Loaded LoadFractal(const TempDir& dir, const std::string& bytes, bool useFractalPalette) {
  const std::string path = dir.File("f.frc");
  WriteBytes(path, bytes);
  Loaded loaded;
  loaded.outcome = ReadFractalFile(path, loaded.state, loaded.palette, useFractalPalette);
  return loaded;
}

Loaded LoadPalette(const TempDir& dir, const std::string& bytes) {
  const std::string path = dir.File("p.ptt");
  WriteBytes(path, bytes);
  Loaded loaded;
  loaded.outcome = ReadPaletteFile(path, loaded.state, loaded.palette);
  return loaded;
}

// The sample's fractal (type 1, c and view) over the earlier palette fields.
FractalState SampleFractalOverEarlier() {
  FractalState expected = Sample();
  expected.palette = EarlierState().palette;
  return expected;
}

TEST(FractalRecord, LittleEndianLayoutByteForByte) {
  FractalState state;
  state.fractalType = 1;
  state.palette = PaletteParams{3, -1, 0x12345678, kIntMin, 256, 40, kIntMax};
  state.cx = 0.5;
  state.cy = -2.0;
  state.centreX = 1.0f;
  state.centreY = -0.0f;
  state.viewWidth = 5.0f;
  EXPECT_EQ(EncodeFractal(state),
            Hex("01000000 03000000 000000000000E03F 00000000000000C0 0000803F 00000080 0000A040"
                "FFFFFFFF 78563412 00000080 00010000 28000000 FFFFFF7F"));
}

TEST(PaletteRecord, LittleEndianLayoutByteForByte) {
  EXPECT_EQ(EncodePalette(PaletteParams{8, 100, 0, -2, 1, 0x01020304, 7}),
            Hex("08000000 64000000 00000000 FEFFFFFF 01000000 04030201 07000000"));
}

TEST(FractalFile, RoundTripRestoresEveryBit) {
  FractalState specials[3] = {Sample(), Sample(), Sample()};
  specials[0].cx = std::bit_cast<double>(uint64_t{0x7FF0000000000001});  // signalling NaN
  specials[0].cy = std::bit_cast<double>(uint64_t{0xFFF8DEADBEEF0123});
  specials[0].centreX = std::bit_cast<float>(uint32_t{0x7FC01234});
  specials[0].centreY = std::bit_cast<float>(uint32_t{0xFF800001});
  specials[0].viewWidth = -0.0f;
  specials[0].palette = PaletteParams{8, kIntMin, kIntMax, -1, 0, kIntMin, kIntMax};
  specials[1].cx = -0.0;
  specials[1].cy = std::numeric_limits<double>::infinity();
  specials[1].centreX = -std::numeric_limits<float>::infinity();
  specials[1].centreY = std::numeric_limits<float>::denorm_min();
  specials[1].viewWidth = std::numeric_limits<float>::max();
  specials[1].palette = PaletteParams{1, kIntMax, kIntMin, 255, 256, -40, 41};

  TempDir dir;
  const std::string path = dir.File("round.frc");
  for (const FractalState& written : specials) {
    ASSERT_TRUE(WriteFractalFile(path, written).ok());
    EXPECT_EQ(fs::file_size(path), kFractalFileSize);
    FractalState read = EarlierState();
    Palette palette = SentinelPalette();
    const ReadOutcome outcome = ReadFractalFile(path, read, palette, true);
    EXPECT_TRUE(outcome.opened && outcome.fractalTypeKnown && outcome.paletteTypeChecked &&
                outcome.paletteTypeKnown);
    ExpectSameState(read, written);
    EXPECT_TRUE(palette == Built(written.palette));
  }
}

TEST(PaletteFile, RoundTripRestoresEveryBitAndReplacesWholeFile) {
  TempDir dir;
  const std::string path = dir.File("round.ptt");
  WriteBytes(path, std::string(1000, 'x'));
  const PaletteParams written{2, kIntMin, kIntMax, -1, 0, 41, 1000};
  ASSERT_TRUE(WritePaletteFile(path, written).ok());
  EXPECT_EQ(ReadBytes(path), EncodePalette(written));
  FractalState state = EarlierState();
  Palette palette = SentinelPalette();
  const ReadOutcome outcome = ReadPaletteFile(path, state, palette);
  EXPECT_TRUE(outcome.opened && outcome.paletteTypeChecked && outcome.paletteTypeKnown);
  EXPECT_EQ(state.palette, written);
  EXPECT_TRUE(palette == Built(written));
}

TEST(FractalFile, WritingReplacesALongerFileWhole) {
  TempDir dir;
  const std::string path = dir.File("old.frc");
  WriteBytes(path, std::string(4096, '\x01'));
  ASSERT_TRUE(WriteFractalFile(path, Sample()).ok());
  EXPECT_EQ(ReadBytes(path), EncodeFractal(Sample()));
}

TEST(FractalFile, UnknownFractalTypeChangesNothing) {
  TempDir dir;
  // 0x01000000 is a 1 stored big-endian.
  for (const int32_t type : {2, 0, -1, 0x01000000, kIntMin}) {
    for (const bool useFractalPalette : {true, false}) {
      const Loaded loaded = LoadFractal(dir, FractalRecord(type, 5), useFractalPalette);
      EXPECT_TRUE(loaded.outcome.opened);
      EXPECT_FALSE(loaded.outcome.fractalTypeKnown) << type;
      EXPECT_FALSE(loaded.outcome.paletteTypeChecked);
      ExpectSameState(loaded.state, EarlierState());
      EXPECT_TRUE(loaded.palette == SentinelPalette());
    }
  }
}

TEST(FractalFile, KnownTypeSelectsTheColourerAndTakesTheFractal) {
  TempDir dir;
  const Loaded loaded = LoadFractal(dir, FractalRecord(1, 5), true);
  EXPECT_TRUE(loaded.outcome.opened);
  EXPECT_TRUE(loaded.outcome.fractalTypeKnown);
  EXPECT_TRUE(loaded.outcome.paletteTypeChecked);
  EXPECT_TRUE(loaded.outcome.paletteTypeKnown);
  EXPECT_EQ(loaded.state.fractalType, 1);
  EXPECT_EQ(loaded.state.colourer, &ZSquaredPlusCColourer);
  ExpectSameState(loaded.state, Sample());
  // Values beyond the controls are taken as they stand.
  EXPECT_EQ(loaded.state.cx, 2.5);
  EXPECT_EQ(loaded.state.palette.b0, 99);
  EXPECT_TRUE(loaded.palette == Built(Sample().palette));
}

TEST(FractalFile, UnknownPaletteTypeKeepsThePaletteButTakesTheFractal) {
  TempDir dir;
  for (const int32_t paletteType : {0, 9, -1, kIntMax}) {
    const Loaded loaded = LoadFractal(dir, FractalRecord(1, paletteType), true);
    EXPECT_TRUE(loaded.outcome.fractalTypeKnown);
    EXPECT_TRUE(loaded.outcome.paletteTypeChecked);
    EXPECT_FALSE(loaded.outcome.paletteTypeKnown) << paletteType;
    ExpectSameState(loaded.state, SampleFractalOverEarlier());
    EXPECT_TRUE(loaded.palette == SentinelPalette());
  }
}

TEST(FractalFile, WithoutFractalPaletteOnlyTheFractalIsTaken) {
  TempDir dir;
  for (const int32_t paletteType : {3, 9}) {
    const Loaded loaded = LoadFractal(dir, FractalRecord(1, paletteType), false);
    EXPECT_TRUE(loaded.outcome.fractalTypeKnown);
    EXPECT_FALSE(loaded.outcome.paletteTypeChecked);
    EXPECT_FALSE(loaded.outcome.paletteTypeKnown);
    ExpectSameState(loaded.state, SampleFractalOverEarlier());
    EXPECT_TRUE(loaded.palette == SentinelPalette());
  }
}

TEST(FractalFile, ShortFileKeepsWhatItDoesNotHold) {
  TempDir dir;
  const std::string record = FractalRecord(1, 5);

  // Too short for the fractal type: an unknown type.
  EXPECT_FALSE(LoadFractal(dir, record.substr(0, 3), true).outcome.fractalTypeKnown);
  EXPECT_FALSE(LoadFractal(dir, "", true).outcome.fractalTypeKnown);

  // The palette type cut off: an unknown palette type, the fractal fields kept.
  const Loaded cutType = LoadFractal(dir, record.substr(0, 7), true);
  EXPECT_TRUE(cutType.outcome.fractalTypeKnown);
  EXPECT_TRUE(cutType.outcome.paletteTypeChecked);
  EXPECT_FALSE(cutType.outcome.paletteTypeKnown);
  FractalState expected = EarlierState();
  expected.fractalType = 1;
  expected.colourer = &ZSquaredPlusCColourer;
  ExpectSameState(cutType.state, expected);

  // Re(c) whole, Im(c) cut halfway.
  const Loaded cutC = LoadFractal(dir, record.substr(0, 20), false);
  expected.cx = Sample().cx;
  ExpectSameState(cutC.state, expected);

  // The palette taken up to B0; the periods kept; the table built from the mix.
  const Loaded cutPalette = LoadFractal(dir, record.substr(0, 50), true);
  EXPECT_TRUE(cutPalette.outcome.paletteTypeKnown);
  expected = Sample();
  expected.palette.r1 = EarlierState().palette.r1;
  expected.palette.g1 = EarlierState().palette.g1;
  expected.palette.b1 = EarlierState().palette.b1;
  ExpectSameState(cutPalette.state, expected);
  EXPECT_TRUE(cutPalette.palette == Built(expected.palette));
}

TEST(FractalFile, LongerFileCountsOnlyItsFirstRecord) {
  TempDir dir;
  const Loaded loaded = LoadFractal(dir, FractalRecord(1, 5) + FractalRecord(1, 2), true);
  ExpectSameState(loaded.state, Sample());
}

TEST(FileReaders, PathsThatCannotBeReadChangeNothing) {
  TempDir dir;
  fs::create_directory(dir.File("folder.frc"));
  ASSERT_EQ(::mkfifo(dir.File("pipe.frc").c_str(), 0600), 0);
  for (const char* name : {"missing.frc", "folder.frc", "pipe.frc"}) {
    FractalState state = EarlierState();
    Palette palette = SentinelPalette();
    const ReadOutcome fractal = ReadFractalFile(dir.File(name), state, palette, true);
    const ReadOutcome paletteOutcome = ReadPaletteFile(dir.File(name), state, palette);
    EXPECT_FALSE(fractal.opened) << name;
    EXPECT_FALSE(fractal.fractalTypeKnown || fractal.paletteTypeChecked);
    EXPECT_FALSE(paletteOutcome.opened) << name;
    EXPECT_FALSE(paletteOutcome.paletteTypeChecked);
    ExpectSameState(state, EarlierState());
    EXPECT_TRUE(palette == SentinelPalette());
  }
}

TEST(PaletteFile, UnknownOrCutTypeChangesNothing) {
  TempDir dir;
  const PaletteParams sample{4, 70, 3, 99, 11, 0, 37};
  std::string unknownType = EncodePalette(sample);
  unknownType[0] = 9;
  for (const std::string& bytes : {unknownType, std::string("\x04\x00", 2), std::string()}) {
    const Loaded loaded = LoadPalette(dir, bytes);
    EXPECT_TRUE(loaded.outcome.opened);
    EXPECT_FALSE(loaded.outcome.fractalTypeKnown);
    EXPECT_TRUE(loaded.outcome.paletteTypeChecked);
    EXPECT_FALSE(loaded.outcome.paletteTypeKnown);
    ExpectSameState(loaded.state, EarlierState());
    EXPECT_TRUE(loaded.palette == SentinelPalette());
  }
}

TEST(PaletteFile, KnownTypeTakesOnlyThePalette) {
  TempDir dir;
  const PaletteParams sample{4, 70, 3, 99, 11, 0, 37};
  const Loaded loaded = LoadPalette(dir, EncodePalette(sample) + "trailing bytes");
  EXPECT_TRUE(loaded.outcome.paletteTypeKnown);
  FractalState expected = EarlierState();
  expected.palette = sample;
  ExpectSameState(loaded.state, expected);
  EXPECT_TRUE(loaded.palette == Built(sample));
}

TEST(FileWriters, MissingFolderIsReportedAsNotOpened) {
  TempDir dir;
  const WriteResult fractal = WriteFractalFile(dir.File("none/a.frc"), Sample());
  const WriteResult palette = WritePaletteFile(dir.File("none/a.ptt"), Sample().palette);
  EXPECT_EQ(fractal.status, WriteResult::Status::OpenFailed);
  EXPECT_EQ(palette.status, WriteResult::Status::OpenFailed);
  EXPECT_EQ(WriteFailureMessage(fractal).rfind(kWriteOpenFailedMessage, 0), 0u);
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(FileWriters, FullDiskIsReportedAndKeepsTheOldFile) {
  TempDir dir;
  const std::string fractalPath = dir.File("a.frc");
  const std::string palettePath = dir.File("a.ptt");
  WriteBytes(fractalPath, "old fractal");
  WriteBytes(palettePath, "old palette");
  const int code = RunWithFileSizeLimit(20, [&] {
    const bool fractalFailed =
        WriteFractalFile(fractalPath, Sample()).status == WriteResult::Status::WriteFailed;
    const bool paletteFailed = WritePaletteFile(palettePath, Sample().palette).status ==
                               WriteResult::Status::WriteFailed;
    return fractalFailed && paletteFailed ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadBytes(fractalPath), "old fractal");
  EXPECT_EQ(ReadBytes(palettePath), "old palette");
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.frc", "a.ptt"}));
}

}  // namespace
}  // namespace zirvanta
