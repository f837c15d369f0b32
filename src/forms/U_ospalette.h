#pragma once

#include <string>
#include <vector>

#include "engine/palette.h"
#include "files/browser_preview.h"
#include "forms/browser_common.h"
#include "forms/main_link.h"
#include "session/shared_state.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class TImageBox;

// The palette browser: lists the palette files of the palette folder, previews a palette by
// painting the current fractal's view in it, deletes and renames files. browser.BrowserOpenMode,
// set before it is created, chooses open or save mode. It closes with QDialog::Accepted when a
// palette or a name was chosen.
//
// Reads and changes of the shared state: only ever the palette. In open mode each preview reads
// the selected file into fractal.palette and palette (so the main window creates it only while
// the live render thread is idle; the palette the command takes is the one loaded last); a
// snapshot of both, taken at creation, is put back on cancel and before a deleted list is
// refilled. In save mode it only reads. Also ChosenPath, PaletteListIndex, PaletteTypeKnown and
// MouseArmed (cleared by double clicks). Hints go to the main window's status bar.
class TOSPalette : public browser::TBrowserForm {
  Q_OBJECT
 public:
  TOSPalette(zirvanta::SharedState& state, TMainLink& link);

  void FillList();
  void PreviewFile();
  void RenderPreview();

  void PalListClick(int row);
  void SaveButClick();  // confirms the typed name; also Enter and double clicks in save mode
  void DelPalFileExecute();  // without asking; the Delete key asks first
  void ReNamePalExecute();
  bool FormKeyDown(const QKeyEvent& key) override;

  const std::vector<std::string>& Entries() const { return entries_; }
  bool OpenMode() const { return openMode_; }

  QLabel* Label1 = nullptr;
  QLineEdit* PathText = nullptr;
  QListWidget* PalList = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* FileText = nullptr;
  QGroupBox* PalPreview = nullptr;
  TImageBox* With = nullptr;
  QLabel* ImText = nullptr;
  QPushButton* OpenBut = nullptr;
  QPushButton* SaveBut = nullptr;
  QPushButton* CanBut = nullptr;
  QMenu* PopupPalette = nullptr;
  QAction* DelPalFile = nullptr;
  QAction* ReNamePal = nullptr;

  void done(int result) override;  // FormClose: a cancel restores the snapshot in open mode

 protected:
  void FormActivate() override;
  void DoubleClick() override;

 private:
  void BuildControls();
  void RestoreSnapshot();
  void ShowMessage(const QString& text);
  int SelectedRow() const;

  zirvanta::SharedState& state_;
  const bool openMode_;
  std::vector<std::string> entries_;
  zirvanta::PaletteParams snapshotParams_;
  zirvanta::Palette snapshotPalette_;
  zirvanta::BrowserPreview preview_;
};
