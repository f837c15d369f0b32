#pragma once

#include <cstdint>
#include <string>

#include "engine/palette.h"
#include "files/atomic_write.h"

namespace zirvanta {

inline constexpr size_t kSettingsFileSize = 48;
inline constexpr const char* kSettingsFileName = "settings.dat";

// The values remembered between runs, in the order of settings.dat.
struct Settings {
  int32_t slideDelay = 4;      // seconds
  int32_t closeAfterExport = 0;
  int32_t left = 0;            // main window position, screen pixels
  int32_t top = 0;
  PaletteParams palette;       // r0, g0, b0, r1, g1, b1 then the type in the file
  int32_t slideOrder = 0;      // 0 forward, 1 random

  friend bool operator==(const Settings&, const Settings&) = default;
};

struct SettingsAtStart {
  Settings live;                 // corrected: palette type 1..8, slide order 0 or 1
  Settings startupCopy;          // as read, before the corrections
  bool positionFromFile = false; // false: centre the window and remember that position
};

// Reads settings.dat from the folder. Missing or unreadable: the defaults, silently. A short
// file: the fields it holds in full are taken, the others keep their defaults (a position of
// (0, 0)); the position counts as read all the same.
SettingsAtStart ReadSettings(const std::string& folder);

// Writes settings.dat into the folder when current differs from the start-up copy. Returns
// whether a file was written; a failure is silent (the caller has nothing to show) and leaves
// any existing file intact.
bool WriteSettings(const std::string& folder, const Settings& current, const Settings& startupCopy);

std::string EncodeSettings(const Settings& settings);

}  // namespace zirvanta
