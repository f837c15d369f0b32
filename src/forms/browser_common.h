#pragma once

// What the fractal and palette browsers and their rename dialogs share: fonts, captions and
// buttons, their messages, the placing rule, file names as the file system holds them, reading a
// file into the shared state, and showing a preview picture.
#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>
#include <array>
#include <string>
#include <vector>

#include "engine/bitmap.h"
#include "forms/ui_common.h"
#include "files/browser_preview.h"
#include "files/entry_files.h"
#include "files/fractal_file.h"
#include "forms/main_link.h"
#include "session/shared_state.h"

class QAction;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QListWidget;
class QLineEdit;
class QMenu;
class QPushButton;
class TImageBox;

namespace browser {

// The dialogs' own font (edits, lists) and the smaller one of labels, frames and buttons.
inline constexpr int kTextPixels = 11;
inline constexpr int kSmallTextPixels = 9;

QLabel* Caption(QWidget* parent, const QString& text, QPoint at, int pixelSize);
QPushButton* GlyphButton(QWidget* parent, const char* name, const QString& caption,
                         const char* glyph, QRect place);

// The texts of the browsers' messages.
inline constexpr const char* kReplaceQuestion =
    "The file with such name already exists.\n To replace an existing file?";
inline constexpr const char* kRemoveQuestion = "To remove the chosen file?";
inline constexpr const char* kRemoveQuestionCaption = "confirmation of removal";
inline constexpr const char* kRemoveFailed = "The file to remove it was not possible";
inline constexpr const char* kRemoveFailedCaption = "Error of the file removal";
inline constexpr const char* kNameTaken =
    "The file with such name already exists.\n Choose other name of a file.";
inline constexpr const char* kNameTakenCaption = "The warning of concurrence";
inline constexpr const char* kRenameFailed = "It was not possible to rename a file.";
inline constexpr const char* kRenameFailedCaption = "Error at renaming";
inline constexpr const char* kNoEntries = "            ( None )";
inline constexpr const char* kUnknownType = "Unknown type.";

// Yes and No with a question icon, kept above every window; true on Yes.
bool Ask(QWidget* parent, const char* caption, const char* text);
void Warn(QWidget* parent, const char* caption, const char* text);   // exclamation, OK
void Stop(QWidget* parent, const char* caption, const char* text);   // stop icon, OK
// The writer's failure message for a name that would leave its folder.
void ShowUnsafeName(QWidget* parent);

// Names as the file system holds them (bytes) and as the dialogs show them.
std::string LocalName(const QString& name);
QString ShownName(const std::string& name);

// Places a browser: centred 30 pixels above the screen's centre while the full-screen view is
// shown (and kept above it), otherwise centred over the live view and at 0.3 of the main
// window's free height.
void PlaceBrowser(QWidget& dialog, const zirvanta::SharedState& state, TMainLink& link);
// Centres a dialog over the main window.
void PlaceOverMainWindow(QWidget& dialog, TMainLink& link);

// The readers on the shared state, with their outcome flags updated and the read failure shown.
// False when the file could not be opened.
bool ReadFractalInto(zirvanta::SharedState& state, const std::string& path, QWidget* parent);
bool ReadPaletteInto(zirvanta::SharedState& state, const std::string& path, QWidget* parent);

// Copies a 32-bit preview bitmap onto the box and repaints it.
void ShowPicture(TImageBox& box, const zirvanta::Bitmap& picture);

// The browsers' common window behaviour: they see keys and double clicks before their controls,
// their hints go to the main window's status bar and no control shows a tooltip, and each
// activation puts the focus where the browser wants it.
class TBrowserForm : public QDialog {
  Q_OBJECT
 public:
  // Enter, Esc, Delete and R, with any modifiers; true when the key was used.
  virtual bool FormKeyDown(const QKeyEvent& key) = 0;
  void done(int result) override;  // clears the browser's hint from the status bar

 protected:
  explicit TBrowserForm(TMainLink& link);
  // After the controls are built: routes their keys and the double clicks on the given ones.
  void WatchControls(std::vector<QWidget*> doubleClickTargets);
  // The context menu of the given controls.
  void AttachMenu(QMenu* menu, const std::vector<QWidget*>& owners);
  virtual void FormActivate() = 0;
  virtual void DoubleClick() = 0;

  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

  TMainLink& link_;

 private:
  std::vector<QWidget*> doubleClickTargets_;
};

// The body of both browsers: a folder box, the list of entries, the name box, a framed preview
// with a message in its place, Open, Save and Cansel, and a context menu that deletes and
// renames. browser.BrowserOpenMode, set before creation, chooses open or save mode. The list is
// read from the folder anew on each fill; in open mode each preview reads the chosen file into the
// shared state, which the browser puts back from its own snapshot.
class TFileBrowser : public TBrowserForm {
  Q_OBJECT
 public:
  // Where a browser's files are and what it remembers.
  struct Kind {
    const std::string& folder;
    zirvanta::EntryPattern pattern;
    const char* extension;
    const char* newName;         // proposed in save mode
    int& listIndex;              // the list position, kept between dialogs
    const char* replaceCaption;  // of the question before a file is replaced
  };
  // Sizes, places, texts and object names of the common controls.
  struct Layout {
    int height;       // of the client area, 409 wide
    int listHeight;   // the list starts at (16, 32), 201 wide
    int nameTop;      // of the "File:" row
    int frameTop;     // of the preview frame (232, top, 161 x 131)
    const char* frameCaption;
    int pictureTop;   // of the picture inside the frame, at left 8
    QPoint message;   // inside the frame
    bool messageCentred;
    bool folderReadOnly;
    QRect open, save, cancel;
    const char* folderTip;
    const char* listTip;
    const char* renameText;  // the second context-menu item
    const char* openTitle;
    const char* saveTitle;
    const char* openTip;
    const char* saveTip;
    const char* openCancelTip;
    const char* saveCancelTip;
    // Object names, in the order above: folder label and box, list, name label and box, frame,
    // picture, message, Open, Save, Cansel, menu, delete and rename items.
    const char* names[14];
  };

  // Refills the list and shows the selection: its preview in open mode, the current state under
  // the proposed name in save mode.
  void Refill();
  // Reads the chosen file into the state and shows it; the "( None )" text for an empty list.
  void PreviewFile();
  void RenderPreview();
  // Keeps the choice of the row the user selected; previews it in open mode.
  void ListClick(int row);
  // Confirms the typed name, asking before a listed file is replaced; also Enter and double
  // clicks in save mode.
  void SaveClick();
  void DeleteExecute();  // the selected file, without asking; the Delete key asks first
  void RenameExecute();
  // Enter, Esc, Delete and R; true when the key was used.
  bool FormKeyDown(const QKeyEvent& key) override;
  void done(int result) override;  // a cancel restores the snapshot in open mode

  // The entries as the folder gave them (file-system bytes), in list order.
  const std::vector<std::string>& Entries() const { return entries_; }
  bool OpenMode() const { return openMode_; }
  const std::string& Folder() const { return kind_.folder; }
  const char* Extension() const { return kind_.extension; }

 protected:
  // Builds, places and titles the dialog; the derived browser takes its snapshot and then fills.
  TFileBrowser(zirvanta::SharedState& state, TMainLink& link, const Layout& layout, Kind kind);

  // The list from the folder, the remembered position (or the proposed name) chosen.
  void FillEntries();
  void FormActivate() override;
  void DoubleClick() override;
  void ShowMessage(const QString& text);
  int SelectedRow() const;

  // False when the chosen file could not be opened; then whether its type was known.
  virtual bool ReadChosen() = 0;
  virtual bool ChosenTypeKnown() const = 0;
  virtual void RestoreSnapshot() = 0;
  // After a deletion: the list refilled and the snapshot restored, in the browser's order.
  virtual void RefillAfterDelete() = 0;
  virtual void OpenRename(const std::string& entry) = 0;
  // Besides ChosenPath, what a browser keeps of a chosen entry.
  virtual void NoteChoice(const std::string& /*entry*/) {}

  zirvanta::SharedState& state_;
  const bool openMode_;

  QLabel* folderLabel_ = nullptr;
  QLineEdit* folder_ = nullptr;
  QListWidget* list_ = nullptr;
  QLabel* nameLabel_ = nullptr;
  QLineEdit* name_ = nullptr;
  QGroupBox* frame_ = nullptr;
  TImageBox* picture_ = nullptr;
  QLabel* message_ = nullptr;
  QPushButton* open_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QMenu* menu_ = nullptr;
  QAction* delete_ = nullptr;
  QAction* rename_ = nullptr;

 private:
  void BuildControls(const Layout& layout);
  void Choose(const std::string& entry);

  Kind kind_;
  std::vector<std::string> entries_;
  zirvanta::BrowserPreview preview_;
};

// The rename dialogs' common part: both boxes hold entry names of one folder; the new name must
// not be listed in the browser, and the file is renamed without ever replacing another.
class TRenameForm : public QDialog {
  Q_OBJECT
 public:
  // Renames `entry` of the browser's folder; after a rename, or when the file has vanished, the
  // browser is refilled. `names`: the object names of the old and new name boxes, Cansel and Ok.
  TRenameForm(TMainLink& link, TFileBrowser& browser, std::string entry,
              const std::array<const char*, 4>& names);

  // Shown in both boxes when the dialog opens. Enter: the checks and the rename; closes on
  // success.
  void Confirm();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

  QLineEdit* oldName_ = nullptr;
  QLineEdit* newName_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* ok_ = nullptr;

 private:
  TMainLink& link_;
  TFileBrowser& browser_;
  const std::string entry_;
};

}  // namespace browser
