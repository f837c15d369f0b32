#include "U_opensavefractal.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <cerrno>

#include "controls/group_frame.h"
#include "controls/picture_box.h"
#include "files/entry_files.h"
#include "forms/U_refile.h"
#include "forms/browser_common.h"

using namespace browser;

namespace {

constexpr const char* kNewName = "fractal_new";

}  // namespace

TOpenSaveFractal::TOpenSaveFractal(zirvanta::SharedState& state, TMainLink& link)
    : TBrowserForm(link), state_(state),
      openMode_(state.browser.BrowserOpenMode) {
  BuildControls();
  setWindowTitle(openMode_ ? QStringLiteral("Fractal opening")
                           : QStringLiteral("Fractal preservation"));
  PlaceBrowser(*this, state_, link_);

  {
    const QSignalBlocker quiet(IgnoreFPalette);
    IgnoreFPalette->setChecked(!state_.UseFractalPalette);
  }
  FileName->clear();
  Drive->setText(ShownName(state_.FractalFolder));
  Drive->setCursorPosition(0);

  OpenFractal->setVisible(openMode_);
  SaveFractal->setVisible(!openMode_);
  IgnoreFPalette->setEnabled(openMode_);
  DeleteFile->setEnabled(openMode_);
  RenFile->setEnabled(openMode_);
  if (openMode_) {
    OpenFractal->setStatusTip(QStringLiteral(" Opens the chosen file"));
    Cansel->setStatusTip(QStringLiteral(" Closes the form 'Fractal opening'"));
  } else {
    SaveFractal->setStatusTip(QStringLiteral(" Keeps a file under the chosen name"));
    Cansel->setStatusTip(QStringLiteral(" Closes the form 'Fractal preservation'"));
  }

  snapshotFractal_ = state_.fractal;
  snapshotPalette_ = state_.palette;
  FillList();
}

void TOpenSaveFractal::BuildControls() {
  setFixedSize(409, 221);
  setFont(UiFont(kTextPixels));

  Label2 = Caption(this, QStringLiteral("Folder:"), {16, 8}, kSmallTextPixels);
  Label2->setObjectName(QStringLiteral("Label2"));
  Drive = new QLineEdit(this);
  Drive->setObjectName(QStringLiteral("Drive"));
  Drive->setGeometry(48, 8, 169, 21);
  Drive->setStatusTip(QStringLiteral(" The fractals catalogue"));

  FileList = new QListWidget(this);
  FileList->setObjectName(QStringLiteral("FileList"));
  FileList->setGeometry(16, 32, 201, 145);
  FileList->setSortingEnabled(false);
  FileList->setUniformItemSizes(true);
  FileList->setStatusTip(QStringLiteral(" Fractals taking place in the catalogue"));

  Label1 = Caption(this, QStringLiteral("File:"), {16, 184}, kSmallTextPixels);
  Label1->setObjectName(QStringLiteral("Label1"));
  FileName = new QLineEdit(this);
  FileName->setObjectName(QStringLiteral("FileName"));
  FileName->setGeometry(48, 184, 169, 21);
  FileName->setStatusTip(QStringLiteral(" The chosen name of a file"));

  GroupBox1 = new TGroupFrame(QStringLiteral("Prewiev"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(232, 8, 161, 131);
  GroupBox1->setFont(UiFont(kSmallTextPixels));
  PreView = new TImageBox(GroupBox1);
  PreView->setObjectName(QStringLiteral("PreView"));
  PreView->setGeometry(8, 16, zirvanta::BrowserPreview::kWidth, zirvanta::BrowserPreview::kHeight);
  ImMess = new QLabel(GroupBox1);
  ImMess->setObjectName(QStringLiteral("ImMess"));
  ImMess->move(40, 59);
  ImMess->setAlignment(Qt::AlignCenter);
  ImMess->hide();

  IgnoreFPalette = new QCheckBox(QStringLiteral("To ignore a fractal palette"), this);
  IgnoreFPalette->setObjectName(QStringLiteral("IgnoreFPalette"));
  IgnoreFPalette->setGeometry(232, 152, 169, 17);
  IgnoreFPalette->setFont(UiFont(kSmallTextPixels));

  OpenFractal = GlyphButton(this, "OpenFractal", QStringLiteral("Open"), ":/icons/open.xpm",
                            {233, 184, 75, 25});
  SaveFractal = GlyphButton(this, "SaveFractal", QStringLiteral("Save"), ":/icons/save.xpm",
                            {232, 184, 75, 25});
  Cansel = GlyphButton(this, "Cansel", QStringLiteral("Cansel"), ":/glyphs/cansel.xpm",
                       {317, 184, 75, 25});
  OpenFractal->hide();
  SaveFractal->hide();

  setTabOrder(Drive, FileList);
  setTabOrder(FileList, FileName);
  setTabOrder(FileName, IgnoreFPalette);
  setTabOrder(IgnoreFPalette, OpenFractal);
  setTabOrder(OpenFractal, SaveFractal);
  setTabOrder(SaveFractal, Cansel);

  WatchControls({FileList->viewport(), FileName, PreView});

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  PopupMenu1->setFont(UiFont(kTextPixels));
  DeleteFile = PopupMenu1->addAction(QIcon(QStringLiteral(":/icons/delete.xpm")),
                                     QStringLiteral("&Удалить файл"));
  DeleteFile->setObjectName(QStringLiteral("DeleteFile"));
  RenFile = PopupMenu1->addAction(QStringLiteral("&Переименовать.."));
  RenFile->setObjectName(QStringLiteral("RenFile"));
  AttachMenu(PopupMenu1, {FileList, FileName, PreView});

  connect(FileList, &QListWidget::currentRowChanged, this, &TOpenSaveFractal::FileListClick);
  connect(IgnoreFPalette, &QCheckBox::clicked, this, &TOpenSaveFractal::IgnoreFPaletteClick);
  connect(OpenFractal, &QPushButton::clicked, this, &QDialog::accept);
  connect(SaveFractal, &QPushButton::clicked, this, &TOpenSaveFractal::SaveFractalClick);
  connect(Cansel, &QPushButton::clicked, this, &QDialog::reject);
  connect(DeleteFile, &QAction::triggered, this, &TOpenSaveFractal::DeleteFileExecute);
  connect(RenFile, &QAction::triggered, this, &TOpenSaveFractal::RenFileExecute);
}

void TOpenSaveFractal::FillList() {
  zirvanta::BrowserExchange& browser = state_.browser;
  entries_ = zirvanta::ListEntries(state_.FractalFolder, zirvanta::EntryPattern::FractalFiles);
  {
    // Filling selects; only the user's choices run FileListClick.
    const QSignalBlocker quiet(FileList);
    FileList->clear();
    for (const std::string& entry : entries_) FileList->addItem(ShownName(entry));
  }

  if (!openMode_) {
    FileName->setReadOnly(false);
    browser.FileChosen = true;
    browser.ChosenPath =
        zirvanta::EntryPath(state_.FractalFolder, kNewName, zirvanta::kFractalExtension);
    browser.ChosenName = kNewName;
    FileName->setText(QString::fromLatin1(kNewName));
    ImMess->hide();
    RenderPreview();
    return;
  }

  FileName->setReadOnly(true);
  OpenFractal->setEnabled(!entries_.empty());
  if (entries_.empty()) {
    PreView->hide();
    ShowMessage(QString::fromLatin1(kNoEntries));
    return;
  }
  browser.FileChosen = true;
  const int row = std::clamp(browser.FractalListIndex, 0, static_cast<int>(entries_.size()) - 1);
  {
    const QSignalBlocker quiet(FileList);
    FileList->setCurrentRow(row);
  }
  const std::string& entry = entries_[static_cast<size_t>(row)];
  browser.ChosenPath =
      zirvanta::EntryPath(state_.FractalFolder, entry, zirvanta::kFractalExtension);
  browser.ChosenName = entry;
  FileName->setText(ShownName(entry));
  PreviewFile();
}

void TOpenSaveFractal::PreviewFile() {
  if (!ReadFractalInto(state_, state_.browser.ChosenPath, this)) {
    // Nothing could be read: no picture, and the state as it was before the dialog.
    RestoreSnapshot();
    PreView->hide();
    ShowMessage(QString());
    return;
  }
  if (state_.FractalTypeKnown) {
    ImMess->hide();
    PreView->show();
    RenderPreview();
  } else {
    RestoreSnapshot();
    PreView->hide();
    ShowMessage(QString::fromLatin1(kUnknownType));
  }
}

void TOpenSaveFractal::RenderPreview() {
  ShowPicture(*PreView, preview_.Render(state_.fractal, state_.palette));
}

void TOpenSaveFractal::FileListClick(int row) {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return;
  zirvanta::BrowserExchange& browser = state_.browser;
  const std::string& entry = entries_[static_cast<size_t>(row)];
  browser.FileChosen = true;
  browser.ChosenPath =
      zirvanta::EntryPath(state_.FractalFolder, entry, zirvanta::kFractalExtension);
  browser.ChosenName = entry;
  FileName->setText(ShownName(entry));
  browser.FractalListIndex = row;
  if (openMode_) PreviewFile();
}

void TOpenSaveFractal::SaveFractalClick() {
  const std::string name = LocalName(FileName->text());
  if (name.empty()) return;
  // A name holding "/", or "." or "..", would reach outside the folder: refused as the file
  // system refuses a name, and the dialog stays open for another.
  if (!zirvanta::EntryNameSafe(name)) {
    ShowUnsafeName(this);
    return;
  }
  if (std::ranges::find(entries_, name) != entries_.end() &&
      !Ask(this, "Confirmation of replacement", kReplaceQuestion)) {
    return;
  }
  state_.browser.ChosenPath =
      zirvanta::EntryPath(state_.FractalFolder, name, zirvanta::kFractalExtension);
  state_.browser.ChosenName = name;
  accept();
}

void TOpenSaveFractal::IgnoreFPaletteClick() {
  if (!openMode_) return;
  if (IgnoreFPalette->isChecked()) {
    state_.UseFractalPalette = false;
    state_.fractal.palette = snapshotFractal_.palette;
    if (OpenFractal->isEnabled()) {
      state_.palette = snapshotPalette_;
      RenderPreview();
    }
  } else {
    state_.UseFractalPalette = true;
    if (OpenFractal->isEnabled()) PreviewFile();
  }
}

void TOpenSaveFractal::DeleteFileExecute() {
  const int row = SelectedRow();
  if (!openMode_ || row < 0) return;
  if (!zirvanta::DeleteEntry(state_.FractalFolder, entries_[static_cast<size_t>(row)],
                             zirvanta::kFractalExtension)) {
    const bool vanished = errno == ENOENT;
    Stop(this, kRemoveFailedCaption, kRemoveFailed);
    // A file gone since the list was filled: the list shows the folder as it now is.
    if (vanished) FillList();
    return;
  }
  if (state_.browser.FractalListIndex > 0) --state_.browser.FractalListIndex;
  FillList();
  RestoreSnapshot();
}

void TOpenSaveFractal::RenFileExecute() {
  const int row = SelectedRow();
  if (!openMode_ || row < 0) return;
  TReFile rename(state_, link_, *this, entries_[static_cast<size_t>(row)]);
  rename.exec();
}

bool TOpenSaveFractal::FormKeyDown(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!openMode_) {
        SaveFractalClick();
      } else if (OpenFractal->isEnabled()) {
        accept();
      }
      return true;
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_Delete:
      if (!openMode_) return false;  // deletes a letter of the name
      if (SelectedRow() >= 0 && Ask(this, kRemoveQuestionCaption, kRemoveQuestion)) {
        DeleteFileExecute();
      }
      return true;
    case Qt::Key_R:
      if (!openMode_) return false;  // the letter of the name
      RenFileExecute();
      return true;
    default:
      return false;
  }
}

void TOpenSaveFractal::done(int result) {
  if (result == QDialog::Rejected) {
    state_.browser.FileChosen = false;
    if (openMode_) RestoreSnapshot();
  }
  TBrowserForm::done(result);
}

void TOpenSaveFractal::FormActivate() {
  if (openMode_) {
    FileList->setFocus();
  } else {
    FileName->setFocus();
    FileName->selectAll();
  }
}

void TOpenSaveFractal::DoubleClick() {
  // The rest of the double click must not act on the main window's picture.
  state_.MouseArmed = false;
  if (!openMode_) {
    SaveFractalClick();
  } else if (OpenFractal->isEnabled()) {
    accept();
  }
}

void TOpenSaveFractal::RestoreSnapshot() {
  state_.fractal = snapshotFractal_;
  state_.palette = snapshotPalette_;
}

void TOpenSaveFractal::ShowMessage(const QString& text) {
  ImMess->setText(text);
  ImMess->adjustSize();
  ImMess->show();
}

int TOpenSaveFractal::SelectedRow() const {
  const int row = FileList->currentRow();
  return row >= 0 && row < static_cast<int>(entries_.size()) ? row : -1;
}
