// The File menu's fractal and palette commands.
#include <QAction>
#include <QGuiApplication>

#include "U_mainform.h"
#include "forms/ui_common.h"
#include "files/fractal_file.h"
#include "forms/U_opensavefractal.h"
#include "forms/U_ospalette.h"
#include "forms/browser_common.h"
#include "forms/file_messages.h"

void TMainForm::ConnectFileCommands() {
  connect(OpenFract, &QAction::triggered, this, &TMainForm::OpenFractExecute);
  connect(SaveCrntFrct, &QAction::triggered, this, &TMainForm::SaveCrntFrctExecute);
  connect(SaveFractal, &QAction::triggered, this, &TMainForm::SaveFractalExecute);
  connect(OpenPalette, &QAction::triggered, this, &TMainForm::OpenPaletteExecute);
  connect(SavePalette, &QAction::triggered, this, &TMainForm::SavePaletteExecute);
}

void TMainForm::OpenFractExecute() {
  if (shared_.windows.slideShowRunning || !RenderThreadIdle()) return;
  zirvanta::BrowserExchange& browser = shared_.browser;
  browser.BrowserOpenMode = true;
  {
    TOpenSaveFractal dialog(shared_, *this);
    dialog.exec();
  }
  if (!browser.FileChosen) return;
  if (!browser::ReadFractalInto(shared_, browser.ChosenPath, this)) return;
  if (!shared_.FractalTypeKnown) {
    ShowUnknownType(this, zirvanta::kUnknownFractalTypeMessage,
                    zirvanta::kOpeningFractalNotPossibleCaption);
    return;
  }

  const OverrideCursor busy(Qt::BusyCursor);
  TakeCurrentFractalFile();
  FractalTaken(shared_.UseFractalPalette && shared_.PaletteTypeKnown);
  if (shared_.UseFractalPalette && !shared_.PaletteTypeKnown) {
    ShowUnknownType(this, zirvanta::kUnknownPaletteTypeMessage,
                    zirvanta::kFractalPaletteIgnoredCaption);
  }
  if (shared_.windows.fullScreenShown) RedrawFullScreen();
  WakeRenderThread();
}

void TMainForm::SaveCrntFrctExecute() {
  if (shared_.CurrentFractalPath.empty()) return;
  const zirvanta::WriteResult written =
      zirvanta::WriteFractalFile(shared_.CurrentFractalPath, fractal);
  if (!written.ok()) ShowWriteFailure(this, written);
}

void TMainForm::SaveFractalExecute() {
  // The live render thread may be in a pass: the browser and the write only read the state.
  if (shared_.windows.slideShowRunning) return;
  zirvanta::BrowserExchange& browser = shared_.browser;
  browser.BrowserOpenMode = false;
  {
    TOpenSaveFractal dialog(shared_, *this);
    dialog.exec();
  }
  if (!browser.FileChosen) return;
  const zirvanta::WriteResult written = zirvanta::WriteFractalFile(browser.ChosenPath, fractal);
  if (!written.ok()) ShowWriteFailure(this, written);
  // Also after a failed write: "Sav&e" then tries the same file again.
  TakeCurrentFractalFile();
}

void TMainForm::OpenPaletteExecute() {
  if (shared_.windows.slideShowRunning || !RenderThreadIdle()) return;
  shared_.browser.BrowserOpenMode = true;
  int result;
  {
    TOSPalette dialog(shared_, *this);
    result = dialog.exec();
  }
  if (result != QDialog::Accepted) return;
  // The palette is the one the browser's preview loaded last; the file is not read again.
  if (!shared_.PaletteTypeKnown) {
    ShowUnknownType(this, zirvanta::kUnknownPaletteTypeMessage,
                    zirvanta::kPaletteIgnoredCaption);
    return;
  }
  const OverrideCursor busy(Qt::BusyCursor);
  PaletteTaken();
  if (shared_.windows.fullScreenShown) RedrawFullScreen();
  WakeRenderThread();
}

void TMainForm::SavePaletteExecute() {
  if (shared_.windows.slideShowRunning) return;
  shared_.browser.BrowserOpenMode = false;
  int result;
  {
    TOSPalette dialog(shared_, *this);
    result = dialog.exec();
  }
  if (result != QDialog::Accepted) return;
  const zirvanta::WriteResult written =
      zirvanta::WritePaletteFile(shared_.browser.ChosenPath, fractal.palette);
  if (!written.ok()) ShowWriteFailure(this, written);
}

void TMainForm::TakeCurrentFractalFile() {
  shared_.CurrentFractalPath = shared_.browser.ChosenPath;
  shared_.CurrentFractalName = shared_.browser.ChosenName;
  // An "&" of the name is shown as itself, not as the menu's accelerator mark.
  QString name = browser::ShownName(shared_.CurrentFractalName);
  name.replace(QLatin1Char('&'), QStringLiteral("&&"));
  SaveCrntFrct->setText(QStringLiteral("Sav&e ") + name);
  SaveCrntFrct->setEnabled(true);
}
