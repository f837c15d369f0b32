#pragma once

#include <string>
#include <vector>

#include "engine/fractal_state.h"
#include "engine/palette.h"
#include "files/browser_preview.h"
#include "forms/browser_common.h"
#include "forms/main_link.h"
#include "session/shared_state.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class TImageBox;

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
class TOpenSaveFractal : public browser::TBrowserForm {
  Q_OBJECT
 public:
  TOpenSaveFractal(zirvanta::SharedState& state, TMainLink& link);

  // The list from the folder anew, the remembered position selected and, in open mode,
  // previewed; in save mode the proposed name "fractal_new" and the current fractal.
  void FillList();
  void PreviewFile();
  void RenderPreview();

  void FileListClick(int row);
  void SaveFractalClick();  // confirms the typed name; also Enter and double clicks in save mode
  void IgnoreFPaletteClick();
  void DeleteFileExecute();  // without asking; the Delete key asks first
  void RenFileExecute();
  // Enter, Esc, Delete and R; true when the key was used.
  bool FormKeyDown(const QKeyEvent& key) override;

  // The entries as the folder gave them (file-system bytes), in list order.
  const std::vector<std::string>& Entries() const { return entries_; }
  bool OpenMode() const { return openMode_; }

  QLabel* Label2 = nullptr;
  QLineEdit* Drive = nullptr;
  QListWidget* FileList = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* FileName = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  TImageBox* PreView = nullptr;
  QLabel* ImMess = nullptr;
  QCheckBox* IgnoreFPalette = nullptr;
  QPushButton* OpenFractal = nullptr;
  QPushButton* SaveFractal = nullptr;
  QPushButton* Cansel = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* DeleteFile = nullptr;
  QAction* RenFile = nullptr;

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
  zirvanta::FractalState snapshotFractal_;
  zirvanta::Palette snapshotPalette_;
  zirvanta::BrowserPreview preview_;
};
