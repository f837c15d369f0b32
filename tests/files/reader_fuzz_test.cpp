// Every reader against random bytes and every truncation of valid records: no crash, and each
// field either comes from the file (when the file holds it whole) or keeps its earlier value.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "file_test_support.h"
#include "files/fractal_file.h"
#include "files/settings.h"

namespace zirvanta {
namespace {

using testing::Built;
using testing::EarlierState;
using testing::ExpectSameState;
using testing::SentinelPalette;
using testing::TempDir;
using testing::WriteBytes;

// The test's own reading of a field: assembled from single bytes, low byte first.
template <typename T>
void TakeIfWhole(const std::string& bytes, size_t at, T& target) {
  if (at + sizeof(T) > bytes.size()) return;
  uint64_t bits = 0;
  for (size_t i = 0; i < sizeof(T); ++i) {
    bits |= uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
  }
  using Bits = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
  target = std::bit_cast<T>(static_cast<Bits>(bits));
}

void TakePaletteIntegers(const std::string& bytes, size_t at, PaletteParams& params) {
  for (int32_t* field : {&params.r0, &params.g0, &params.b0, &params.r1, &params.g1, &params.b1}) {
    TakeIfWhole(bytes, at, *field);
    at += 4;
  }
}

struct Expected {
  ReadOutcome outcome;
  FractalState state = EarlierState();
  Palette palette = SentinelPalette();
};

Expected ExpectedFractalRead(const std::string& bytes, bool useFractalPalette) {
  Expected expected;
  expected.outcome.opened = true;
  int32_t type = 0;
  TakeIfWhole(bytes, 0, type);
  if (bytes.size() < 4 || type != 1) return expected;
  expected.outcome.fractalTypeKnown = true;
  FractalState& state = expected.state;
  state.fractalType = 1;
  state.colourer = &ZSquaredPlusCColourer;
  TakeIfWhole(bytes, 8, state.cx);
  TakeIfWhole(bytes, 16, state.cy);
  TakeIfWhole(bytes, 24, state.centreX);
  TakeIfWhole(bytes, 28, state.centreY);
  TakeIfWhole(bytes, 32, state.viewWidth);
  if (!useFractalPalette) return expected;
  expected.outcome.paletteTypeChecked = true;
  int32_t paletteType = 0;
  TakeIfWhole(bytes, 4, paletteType);
  if (bytes.size() < 8 || paletteType < 1 || paletteType > 8) return expected;
  expected.outcome.paletteTypeKnown = true;
  state.palette.type = paletteType;
  TakePaletteIntegers(bytes, 36, state.palette);
  expected.palette = Built(state.palette);
  return expected;
}

Expected ExpectedPaletteRead(const std::string& bytes) {
  Expected expected;
  expected.outcome.opened = true;
  expected.outcome.paletteTypeChecked = true;
  int32_t type = 0;
  TakeIfWhole(bytes, 0, type);
  if (bytes.size() < 4 || type < 1 || type > 8) return expected;
  expected.outcome.paletteTypeKnown = true;
  expected.state.palette.type = type;
  TakePaletteIntegers(bytes, 4, expected.state.palette);
  expected.palette = Built(expected.state.palette);
  return expected;
}

SettingsAtStart ExpectedSettingsRead(const std::string& bytes) {
  SettingsAtStart expected;
  Settings& s = expected.startupCopy;
  expected.positionFromFile = bytes.size() >= 16;
  TakeIfWhole(bytes, 0, s.slideDelay);
  TakeIfWhole(bytes, 4, s.closeAfterExport);
  if (expected.positionFromFile) {
    TakeIfWhole(bytes, 8, s.left);
    TakeIfWhole(bytes, 12, s.top);
  }
  TakeIfWhole(bytes, 16, s.palette.r0);
  TakeIfWhole(bytes, 20, s.palette.g0);
  TakeIfWhole(bytes, 24, s.palette.b0);
  TakeIfWhole(bytes, 28, s.palette.r1);
  TakeIfWhole(bytes, 32, s.palette.g1);
  TakeIfWhole(bytes, 36, s.palette.b1);
  TakeIfWhole(bytes, 40, s.palette.type);
  TakeIfWhole(bytes, 44, s.slideOrder);
  expected.live = s;
  if (s.palette.type < 1 || s.palette.type > 8) expected.live.palette.type = 1;
  if (s.slideOrder != 0 && s.slideOrder != 1) expected.live.slideOrder = 0;
  return expected;
}

void ExpectSameOutcome(const ReadOutcome& actual, const ReadOutcome& expected) {
  EXPECT_EQ(actual.opened, expected.opened);
  EXPECT_EQ(actual.fractalTypeKnown, expected.fractalTypeKnown);
  EXPECT_EQ(actual.paletteTypeChecked, expected.paletteTypeChecked);
  EXPECT_EQ(actual.paletteTypeKnown, expected.paletteTypeKnown);
}

// Feeds the bytes to all three readers and compares them with the test's own reading.
void CheckAllReaders(const TempDir& dir, const std::string& bytes) {
  SCOPED_TRACE("file of " + std::to_string(bytes.size()) + " bytes");
  WriteBytes(dir.File("f.frc"), bytes);
  for (const bool useFractalPalette : {true, false}) {
    FractalState state = EarlierState();
    Palette palette = SentinelPalette();
    const ReadOutcome outcome = ReadFractalFile(dir.File("f.frc"), state, palette,
                                                useFractalPalette);
    const Expected expected = ExpectedFractalRead(bytes, useFractalPalette);
    ExpectSameOutcome(outcome, expected.outcome);
    ExpectSameState(state, expected.state);
    EXPECT_TRUE(palette == expected.palette);
  }

  FractalState state = EarlierState();
  Palette palette = SentinelPalette();
  const ReadOutcome outcome = ReadPaletteFile(dir.File("f.frc"), state, palette);
  const Expected expected = ExpectedPaletteRead(bytes);
  ExpectSameOutcome(outcome, expected.outcome);
  ExpectSameState(state, expected.state);
  EXPECT_TRUE(palette == expected.palette);

  WriteBytes(dir.File(kSettingsFileName), bytes);
  const SettingsAtStart settings = ReadSettings(dir.path());
  const SettingsAtStart expectedSettings = ExpectedSettingsRead(bytes);
  EXPECT_EQ(settings.live, expectedSettings.live);
  EXPECT_EQ(settings.startupCopy, expectedSettings.startupCopy);
  EXPECT_EQ(settings.positionFromFile, expectedSettings.positionFromFile);
}

std::vector<std::string> ValidRecords() {
  FractalState fractal;
  fractal.cx = -1.5;
  fractal.cy = std::bit_cast<double>(uint64_t{0x7FF80000000000AB});
  fractal.centreX = -0.0f;
  fractal.centreY = 3.0f;
  fractal.viewWidth = 1e-30f;
  fractal.palette = PaletteParams{7, 90, -8, 400, 39, 1, 0};
  std::vector<std::string> records = {EncodeFractal(fractal)};
  fractal.palette.type = 0;
  records.push_back(EncodeFractal(fractal));
  records.push_back(EncodePalette(PaletteParams{3, 5, 6, 7, 8, 9, 10}));
  Settings settings;
  settings.slideDelay = 17;
  settings.closeAfterExport = 1;
  settings.left = -300;
  settings.top = 5000;
  settings.palette = PaletteParams{9, 1, 2, 3, 4, 5, 6};
  settings.slideOrder = 7;
  records.push_back(EncodeSettings(settings));
  return records;
}

TEST(ReaderFuzz, EveryTruncationOfValidRecords) {
  TempDir dir;
  for (const std::string& record : ValidRecords()) {
    const std::string doubled = record + record;
    for (size_t length = 0; length <= doubled.size(); ++length) {
      CheckAllReaders(dir, doubled.substr(0, length));
    }
  }
}

TEST(ReaderFuzz, RandomBytes) {
  TempDir dir;
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<size_t> length(0, 72);
  std::uniform_int_distribution<int> smallType(-1, 10);
  for (int round = 0; round < 1500; ++round) {
    std::string bytes(length(random), '\0');
    for (char& b : bytes) b = static_cast<char>(byte(random));
    // Steer half the files to known types, so the taking paths are exercised too.
    const auto putSmall = [&](size_t at) {
      const int value = smallType(random);
      for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
      }
    };
    if (round % 2 == 0) putSmall(0);
    if (round % 4 < 2) putSmall(4);
    if (round % 3 == 0) putSmall(40);
    if (round % 5 == 0) putSmall(44);
    CheckAllReaders(dir, bytes);
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace zirvanta
