#pragma once

#include <string>

#include "engine/fractal_state.h"
#include "engine/palette.h"
#include "forms/browser_common.h"
#include "forms/main_link.h"
#include "session/shared_state.h"

class QCheckBox;

// The fractal browser: lists the fractal files of the fractal folder by entry name, previews the
// selected one, deletes and renames files. browser.BrowserOpenMode, set before it is created,
// chooses open or save mode.
//
// Reads and changes of the shared state:
// - open mode: each preview reads the selected file into fractal and palette, so the main
//   window creates it only while the live render thread is idle and wakes the thread after it
//   closed; a snapshot of both taken at creation is put back on cancel and after a deletion;
// - save mode: only reads the state (a live pass may be reading it at the same time);
// - both: ChosenPath, ChosenName, FileChosen and FractalListIndex of browser, the outcome flags
//   of each read, UseFractalPalette (IgnoreFPalette, kept after closing), MouseArmed (cleared by
//   double clicks). Hints go to the main window's status bar.
class TOpenSaveFractal : public browser::TFileBrowser {
  Q_OBJECT
 public:
  TOpenSaveFractal(zirvanta::SharedState& state, TMainLink& link);

  // The list from the folder anew, the remembered position selected and, in open mode,
  // previewed; in save mode the proposed name "fractal_new" and the current fractal.
  void FillList() { Refill(); }

  void FileListClick(int row) { ListClick(row); }
  void SaveFractalClick() { SaveClick(); }
  void IgnoreFPaletteClick();
  void DeleteFileExecute() { DeleteExecute(); }
  void RenFileExecute() { RenameExecute(); }

  // The controls by their own names; the common part built them.
  QLabel* Label2 = folderLabel_;
  QLineEdit* Drive = folder_;
  QListWidget* FileList = list_;
  QLabel* Label1 = nameLabel_;
  QLineEdit* FileName = name_;
  QGroupBox* GroupBox1 = frame_;
  TImageBox* PreView = picture_;
  QLabel* ImMess = message_;
  QCheckBox* IgnoreFPalette = nullptr;
  QPushButton* OpenFractal = open_;
  QPushButton* SaveFractal = save_;
  QPushButton* Cansel = cancel_;
  QMenu* PopupMenu1 = menu_;
  QAction* DeleteFile = delete_;
  QAction* RenFile = rename_;

  void done(int result) override;  // FormClose: a cancel also clears FileChosen

 protected:
  bool ReadChosen() override;
  bool ChosenTypeKnown() const override { return state_.FractalTypeKnown; }
  void RestoreSnapshot() override;
  void RefillAfterDelete() override;
  void OpenRename(const std::string& entry) override;
  void NoteChoice(const std::string& entry) override;

 private:
  zirvanta::FractalState snapshotFractal_;
  zirvanta::Palette snapshotPalette_;
};
