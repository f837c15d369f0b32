#include "files/fractal_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <bit>
#include <limits>
#include <random>

#include "file_test_support.h"
#include "files/settings.h"

namespace zirvanta {
namespace {

using testing::TempDir;
using testing::WriteBytes;

int OtherColourer(float, float, const FractalState&) { return 7; }

Palette Built(const PaletteParams& params) {
  Palette palette;
  BuildPalette(params, palette);
  return palette;
}

// What a read leaves: the outcome as four letters (opened, fractal type known, palette type
// checked and known), the state and the table. Before the read the state differs in every field
// from the files the tests write, with an unknown fractal type (3) and palette type (0), and the
// table is one that no BuildPalette call makes, so a rebuild always shows.
struct Read {
  std::string flags = "----";
  FractalState state{3, -0.75, 0.125, 0.25f, -0.375f, 0.0625f, {0, 1, 2, 3, 4, 5, 6},
                     &OtherColourer};
  Palette palette = [] {
    Palette sentinel;
    sentinel.entries.fill(PaletteEntry{1, 2, 3});
    return sentinel;
  }();

  // Floating values by their bits (NaN payloads, -0.0): the record holds every field.
  friend bool operator==(const Read& a, const Read& b) {
    return a.flags == b.flags && EncodeFractal(a.state) == EncodeFractal(b.state) &&
           a.state.colourer == b.state.colourer && a.palette == b.palette;
  }
};

// reader: 0 a fractal file without its palette, 1 with it, 2 a palette file.
Read ReadAs(const std::string& path, int reader) {
  Read read;
  const ReadOutcome o = reader == 2 ? ReadPaletteFile(path, read.state, read.palette)
                                    : ReadFractalFile(path, read.state, read.palette, reader == 1);
  read.flags = {o.opened ? 'o' : '-', o.fractalTypeKnown ? 'f' : '-',
                o.paletteTypeChecked ? 'c' : '-', o.paletteTypeKnown ? 'p' : '-'};
  return read;
}

TEST(FileRecords, LittleEndianLayoutsThatReadBackBitForBit) {
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min(), kMax = -(kMin + 1);
  const FractalState written{1, std::bit_cast<double>(uint64_t{0x7FF0000000000001}),  // signalling
                             -2.0, std::bit_cast<float>(uint32_t{0x7FC01234}), -0.0f, 5.0f,
                             {3, -1, 0x12345678, kMin, 256, 40, kMax}};
  const PaletteParams palette{8, 100, 0, -2, 1, 0x01020304, 7};
  TempDir dir;
  WriteBytes(dir.File("a.frc"), std::string(4096, 'x'));  // replaced whole
  ASSERT_TRUE(WriteFractalFile(dir.File("a.frc"), written).ok());
  ASSERT_TRUE(WritePaletteFile(dir.File("a.ptt"), palette).ok());
  EXPECT_EQ(testing::ReadBytes(dir.File("a.frc")),
            testing::Hex("01000000 03000000 010000000000F07F 00000000000000C0 3412C07F 00000080"
                         "0000A040 FFFFFFFF 78563412 00000080 00010000 28000000 FFFFFF7F"));
  EXPECT_EQ(testing::ReadBytes(dir.File("a.ptt")),
            testing::Hex("08000000 64000000 00000000 FEFFFFFF 01000000 04030201 07000000"));
  EXPECT_TRUE(ReadAs(dir.File("a.frc"), 1) == (Read{"ofcp", written, Built(written.palette)}));
  EXPECT_EQ(ReadAs(dir.File("a.ptt"), 2).state.palette, palette);
}

TEST(FileReaders, TakeWhatTheTypesAndTheOptionAllowAndNothingFromPathsThatCannotBeRead) {
  struct Case {
    int reader;
    int32_t fractalType, paletteType;
    std::string flags;
  };
  TempDir dir;
  for (const Case& c : {Case{1, 1, 5, "ofcp"}, Case{1, 2, 5, "o---"},
                        Case{1, 0x01000000, 5, "o---"},  // 1 stored big-endian
                        Case{0, 2, 5, "o---"}, Case{1, 1, 0, "ofc-"}, Case{1, 1, 9, "ofc-"},
                        Case{0, 1, 3, "of--"}, Case{2, 0, 4, "o-cp"}, Case{2, 0, 9, "o-c-"},
                        Case{2, 0, 0, "o-c-"}}) {
    // c beyond the sliders is taken as it stands.
    const FractalState file{c.fractalType, 2.5, 0.0019, 0.75f, -0.5f, 0.125f,
                            {c.paletteType, 70, 3, 99, 11, 0, 37}};
    WriteBytes(dir.File("file"), c.reader == 2 ? EncodePalette(file.palette) : EncodeFractal(file));
    Read expected{c.flags};
    if (c.flags[1] == 'f') expected.state = file, expected.state.palette = Read().state.palette;
    if (c.flags[3] == 'p') expected.state.palette = file.palette;
    if (c.flags[3] == 'p') expected.palette = Built(file.palette);
    const Read read = ReadAs(dir.File("file"), c.reader);
    EXPECT_TRUE(read == expected) << c.reader << " " << c.fractalType << " " << read.flags;
  }

  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);  // must not hang the reader
  for (const std::string& path : {dir.File("missing"), dir.File("pipe"), dir.path}) {
    for (int reader = 0; reader < 3; ++reader) EXPECT_TRUE(ReadAs(path, reader) == Read()) << path;
  }
}

// Fuzz: a field counts only when the file holds it whole, so a short file must read as the whole
// record that holds the file's whole fields over the earlier values.
std::string Overlay(std::string base, const std::string& bytes, std::vector<size_t> fieldEnds) {
  size_t start = 0;
  for (const size_t end : fieldEnds) {
    if (end <= bytes.size()) base.replace(start, end - start, bytes, start, end - start);
    start = end;
  }
  return base;
}

// The file under test is written once, as the settings file of folder "a", and read by all.
void CheckAllReaders(const TempDir& dir, const std::string& bytes) {
  SCOPED_TRACE("file of " + std::to_string(bytes.size()) + " bytes");
  const FractalState before = Read().state;
  WriteBytes(dir.File("a/settings.dat"), bytes);
  WriteBytes(dir.File("frc"), Overlay(EncodeFractal(before), bytes,
                                      {4, 8, 16, 24, 28, 32, 36, 40, 44, 48, 52, 56, 60}));
  WriteBytes(dir.File("ptt"),
             Overlay(EncodePalette(before.palette), bytes, {4, 8, 12, 16, 20, 24, 28}));
  for (int reader = 0; reader < 3; ++reader) {
    EXPECT_TRUE(ReadAs(dir.File("a/settings.dat"), reader) ==
                ReadAs(dir.File(reader == 2 ? "ptt" : "frc"), reader))
        << reader;
  }

  // A left edge without its top is no position.
  WriteBytes(dir.File("b/settings.dat"),
             Overlay(EncodeSettings(Settings{}), bytes.size() < 16 ? bytes.substr(0, 8) : bytes,
                     {4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48}));
  const SettingsAtStart actual = ReadSettings(dir.File("a"));
  const SettingsAtStart expected = ReadSettings(dir.File("b"));
  EXPECT_EQ(actual.live, expected.live);
  EXPECT_EQ(actual.startupCopy, expected.startupCopy);
  EXPECT_EQ(actual.positionFromFile, bytes.size() >= 16);
}

TEST(ReaderFuzz, EveryTruncationOfValidRecordsAndRandomBytes) {
  const FractalState fractal{1, -1.5, std::bit_cast<double>(uint64_t{0x7FF80000000000AB}), -0.0f,
                             3.0f, 1e-30f, {7, 90, -8, 400, 39, 1, 0}};
  const Settings settings{17, 1, -300, 5000, {9, 1, 2, 3, 4, 5, 6}, 7};
  TempDir dir;
  std::filesystem::create_directory(dir.File("a"));
  std::filesystem::create_directory(dir.File("b"));
  for (const std::string& record :
       {EncodeFractal(fractal), EncodePalette(fractal.palette), EncodeSettings(settings)}) {
    for (size_t length = 0; length <= 2 * record.size(); ++length) {
      CheckAllReaders(dir, (record + record).substr(0, length));
    }
  }

  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> byte(0, 255), smallType(-1, 10);
  for (int round = 0; round < 300 && !HasFailure(); ++round) {
    std::string bytes(std::uniform_int_distribution<size_t>(0, 72)(random), '\0');
    for (char& b : bytes) b = static_cast<char>(byte(random));
    // Most files get small numbers where the types stand, so the taking paths run too.
    for (const size_t at : {0, 4, 40, 44}) {
      const std::string type = EncodePalette({smallType(random)}).substr(0, 4);
      if (round % 3 != 0 && at < bytes.size()) bytes.replace(at, 4, type, 0, bytes.size() - at);
    }
    CheckAllReaders(dir, bytes);
  }
}

}  // namespace
}  // namespace zirvanta
