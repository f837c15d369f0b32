// The File menu's fractal and palette commands.
#include <QAction>

#include "U_mainform.h"

void TMainForm::ConnectFileCommands() {
  connect(OpenFract, &QAction::triggered, this, &TMainForm::OpenFractExecute);
  connect(SaveCrntFrct, &QAction::triggered, this, &TMainForm::SaveCrntFrctExecute);
  connect(SaveFractal, &QAction::triggered, this, &TMainForm::SaveFractalExecute);
  connect(OpenPalette, &QAction::triggered, this, &TMainForm::OpenPaletteExecute);
  connect(SavePalette, &QAction::triggered, this, &TMainForm::SavePaletteExecute);
}

// Built with the browsers.
void TMainForm::OpenFractExecute() {}
void TMainForm::SaveCrntFrctExecute() {}
void TMainForm::SaveFractalExecute() {}
void TMainForm::OpenPaletteExecute() {}
void TMainForm::SavePaletteExecute() {}
