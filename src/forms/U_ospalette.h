#pragma once

#include <string>

#include "engine/palette.h"
#include "forms/browser_common.h"
#include "forms/main_link.h"
#include "session/shared_state.h"

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
class TOSPalette : public browser::TFileBrowser {
  Q_OBJECT
 public:
  TOSPalette(zirvanta::SharedState& state, TMainLink& link);

  // The list from the folder anew and the remembered position (or the proposed name
  // "palette_new") chosen; previewing is left to PreviewFile.
  void FillList() { FillEntries(); }

  void PalListClick(int row) { ListClick(row); }
  void SaveButClick() { SaveClick(); }
  void DelPalFileExecute() { DeleteExecute(); }
  void ReNamePalExecute() { RenameExecute(); }

  // The controls by their own names; the common part built them.
  QLabel* Label1 = folderLabel_;
  QLineEdit* PathText = folder_;
  QListWidget* PalList = list_;
  QLabel* Label2 = nameLabel_;
  QLineEdit* FileText = name_;
  QGroupBox* PalPreview = frame_;
  TImageBox* With = picture_;
  QLabel* ImText = message_;
  QPushButton* OpenBut = open_;
  QPushButton* SaveBut = save_;
  QPushButton* CanBut = cancel_;
  QMenu* PopupPalette = menu_;
  QAction* DelPalFile = delete_;
  QAction* ReNamePal = rename_;

 protected:
  bool ReadChosen() override;
  bool ChosenTypeKnown() const override { return state_.PaletteTypeKnown; }
  void RestoreSnapshot() override;
  void RefillAfterDelete() override;
  void OpenRename(const std::string& entry) override;

 private:
  zirvanta::PaletteParams snapshotParams_;
  zirvanta::Palette snapshotPalette_;
};
