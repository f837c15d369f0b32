#pragma once

#include <string>

#include "engine/fractal_state.h"
#include "engine/palette.h"
#include "files/atomic_write.h"

namespace zirvanta {

inline constexpr size_t kFractalFileSize = 60;
inline constexpr size_t kPaletteFileSize = 28;

// The program's own texts for the outcomes the windows and the renderer report.
inline constexpr const char* kReadOpenFailedMessage =
    "The file did not manage to be opened for reading.";
inline constexpr const char* kUnknownFractalTypeMessage =
    "The fractal type is unknown this version of the program.";
inline constexpr const char* kUnknownPaletteTypeMessage =
    "The palette type is unknown this version of the program.";
inline constexpr const char* kOpeningFractalNotPossibleCaption = "Opening fractal is not possible!";
inline constexpr const char* kFractalPaletteIgnoredCaption = "The palette of fractal is ignored!";
inline constexpr const char* kPaletteIgnoredCaption = "The palette is ignored!";

// What a reader did. The owner keeps FractalTypeKnown and PaletteTypeKnown and updates them from
// this: fractalTypeKnown when opened, paletteTypeKnown only when paletteTypeChecked.
struct ReadOutcome {
  bool opened = false;              // false: nothing changed (the caller shows the read message)
  bool fractalTypeKnown = false;    // fractal file: the type was 1 and the fractal was taken
  bool paletteTypeChecked = false;  // the palette type was looked at (and the flag below is set)
  bool paletteTypeKnown = false;    // the palette type was 1..8 and the palette was taken
};

// Loads a .frc file into the state. A known fractal type (1) takes c, the centre and the width
// and selects the z^2 + c colourer; with useFractalPalette a palette type 1..8 also takes the
// palette parameters and rebuilds the palette. An unknown fractal type changes nothing.
// A short file: fields wholly or partly past its end keep their earlier values; a file too
// short to hold a fractal type counts as an unknown type.
ReadOutcome ReadFractalFile(const std::string& path, FractalState& state, Palette& palette,
                            bool useFractalPalette);

// Loads a .ptt file: a palette type 1..8 takes the palette parameters and rebuilds the palette.
ReadOutcome ReadPaletteFile(const std::string& path, FractalState& state, Palette& palette);

// Write the 60-byte / 28-byte records, little-endian, replacing any file at the path whole.
WriteResult WriteFractalFile(const std::string& path, const FractalState& state);
WriteResult WritePaletteFile(const std::string& path, const PaletteParams& params);

// The records as bytes, and back (used by the writers and readers, and by tests).
std::string EncodeFractal(const FractalState& state);
std::string EncodePalette(const PaletteParams& params);

}  // namespace zirvanta
