#pragma once

#include <cstdint>
#include <string>

#include "engine/fractal_state.h"
#include "engine/palette.h"
#include "engine/view.h"

namespace zirvanta {

// The windows that exist at most once, and the modes the other windows check before acting.
struct WindowFlags {
  bool fullScreenShown = false;   // true from the full-screen command until its window closes
  bool slideShowRunning = false;  // the file commands, export and full screen do nothing then
  bool exportDialogOpen = false;  // a second export command restores the open dialog
  bool optionsWindowOpen = false;
  bool aboutWindowOpen = false;
};

// How the main window's file commands and the two browsers talk to each other.
struct BrowserExchange {
  bool BrowserOpenMode = false;  // set by each command before it creates a browser: true = open
  std::string ChosenPath;        // full path of the entry the browser chose last
  std::string ChosenName;        // its entry name (fractal browser only)
  bool FileChosen = false;       // the fractal browser closed with OK on a file
  int FractalListIndex = 0;      // last selected row of each browser's list, kept for the run
  int PaletteListIndex = 0;
};

// The program's state that every window works on. The main window owns the one instance and
// hands other windows a reference; nothing here knows a window.
//
// The live render thread reads fractal, palette and view during its passes. A window changes
// those three only while the main window's link reports the thread idle, and wakes it after the
// change (TMainLink in forms/main_link.h). Everything else here belongs to the user-interface
// thread alone.
struct SharedState {
  // Absolute folders, fixed for the run: settings.dat lies in StartFolder, the fractal and
  // palette files in the two folders below it.
  std::string StartFolder;
  std::string FractalFolder;
  std::string PaletteFolder;

  FractalState fractal;
  Palette palette;
  ViewValues view;

  // The settings.dat values that are not part of the fractal (the palette parameters live in
  // fractal.palette, the window position with the main window).
  int32_t slideDelay = 4;        // seconds between slides
  int32_t closeAfterExport = 0;  // 0 or 1: the export dialog closes after saving
  int32_t slideOrder = 0;        // 0 forward, 1 random

  WindowFlags windows;
  BrowserExchange browser;

  // The target of "Sav&e": the fractal file last opened or saved through the fractal browser.
  std::string CurrentFractalPath;
  std::string CurrentFractalName;

  // An opened fractal file also takes its palette (the fractal browser's IgnoreFPalette box
  // clears it); kept for the run.
  bool UseFractalPalette = true;
  // Outcome flags of the last read: the fractal type was known, the palette type was known.
  bool FractalTypeKnown = false;
  bool PaletteTypeKnown = false;

  // False while mouse events left over from a double click in a browser may still arrive; the
  // picture and the general view ignore the mouse until the next press re-arms it.
  bool MouseArmed = true;

  // The image export's: the folder of the last image file chosen in this run; empty until the
  // first export, when the file dialog starts in the parent of StartFolder.
  std::string LastExportFolder;
};

}  // namespace zirvanta
