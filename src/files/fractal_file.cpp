#include "fractal_file.h"

#include "files/record_io.h"

namespace zirvanta {
namespace {

// Offsets in the .frc record.
constexpr size_t kFractalTypeAt = 0;
constexpr size_t kFractalPaletteTypeAt = 4;
constexpr size_t kCxAt = 8;
constexpr size_t kCyAt = 16;
constexpr size_t kCentreXAt = 24;
constexpr size_t kCentreYAt = 28;
constexpr size_t kViewWidthAt = 32;
constexpr size_t kFractalPaletteLevelsAt = 36;

// Offsets in the .ptt record.
constexpr size_t kPaletteTypeAt = 0;
constexpr size_t kPaletteLevelsAt = 4;

void PutPaletteIntegers(RecordWriter& record, const PaletteParams& params) {
  record.Int32(params.r0);
  record.Int32(params.g0);
  record.Int32(params.b0);
  record.Int32(params.r1);
  record.Int32(params.g1);
  record.Int32(params.b1);
}

// The six integers stand in the same order in both records, from `at` on.
void TakePaletteIntegers(const RecordReader& record, size_t at, PaletteParams& params) {
  int32_t* const targets[] = {&params.r0, &params.g0, &params.b0,
                              &params.r1, &params.g1, &params.b1};
  for (int32_t* target : targets) {
    record.Int32(at, *target);
    at += 4;
  }
}

// Takes the palette when its type (already read) is known. A type cut off by the end of the
// file is unknown.
void TakePalette(const RecordReader& record, bool typeRead, int32_t type, size_t levelsAt,
                 FractalState& state, Palette& palette, ReadOutcome& outcome) {
  outcome.paletteTypeChecked = true;
  outcome.paletteTypeKnown = typeRead && PaletteTypeValid(type);
  if (!outcome.paletteTypeKnown) return;
  state.palette.type = type;
  TakePaletteIntegers(record, levelsAt, state.palette);
  BuildPalette(state.palette, palette);
}

}  // namespace

std::string EncodeFractal(const FractalState& state) {
  RecordWriter record;
  record.Int32(state.fractalType);
  record.Int32(state.palette.type);
  record.Double(state.cx);
  record.Double(state.cy);
  record.Float(state.centreX);
  record.Float(state.centreY);
  record.Float(state.viewWidth);
  PutPaletteIntegers(record, state.palette);
  return record.bytes();
}

std::string EncodePalette(const PaletteParams& params) {
  RecordWriter record;
  record.Int32(params.type);
  PutPaletteIntegers(record, params);
  return record.bytes();
}

ReadOutcome ReadFractalFile(const std::string& path, FractalState& state, Palette& palette,
                            bool useFractalPalette) {
  ReadOutcome outcome;
  std::string bytes;
  if (!ReadFileStart(path, kFractalFileSize, bytes)) return outcome;
  outcome.opened = true;

  const RecordReader record(bytes);
  int32_t fractalType = 0;
  if (!record.Int32(kFractalTypeAt, fractalType) ||
      !SelectColourer(state, fractalType)) {
    return outcome;  // unknown type: the state is left exactly as it was
  }
  outcome.fractalTypeKnown = true;
  state.fractalType = fractalType;

  record.Double(kCxAt, state.cx);
  record.Double(kCyAt, state.cy);
  record.Float(kCentreXAt, state.centreX);
  record.Float(kCentreYAt, state.centreY);
  record.Float(kViewWidthAt, state.viewWidth);

  if (useFractalPalette) {
    int32_t paletteType = 0;
    const bool typeRead = record.Int32(kFractalPaletteTypeAt, paletteType);
    TakePalette(record, typeRead, paletteType, kFractalPaletteLevelsAt, state, palette, outcome);
  }
  return outcome;
}

ReadOutcome ReadPaletteFile(const std::string& path, FractalState& state, Palette& palette) {
  ReadOutcome outcome;
  std::string bytes;
  if (!ReadFileStart(path, kPaletteFileSize, bytes)) return outcome;
  outcome.opened = true;

  const RecordReader record(bytes);
  int32_t paletteType = 0;
  const bool typeRead = record.Int32(kPaletteTypeAt, paletteType);
  TakePalette(record, typeRead, paletteType, kPaletteLevelsAt, state, palette, outcome);
  return outcome;
}

WriteResult WriteFractalFile(const std::string& path, const FractalState& state) {
  const std::string bytes = EncodeFractal(state);
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

WriteResult WritePaletteFile(const std::string& path, const PaletteParams& params) {
  const std::string bytes = EncodePalette(params);
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace zirvanta
