#include "U_ospalette.h"

#include <QAction>
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
#include "forms/U_repalfile.h"
#include "forms/browser_common.h"

using namespace browser;

namespace {

constexpr const char* kNewName = "palette_new";

}  // namespace

TOSPalette::TOSPalette(zirvanta::SharedState& state, TMainLink& link)
    : TBrowserForm(link), state_(state),
      openMode_(state.browser.BrowserOpenMode) {
  BuildControls();
  setWindowTitle(openMode_ ? QStringLiteral("Palette opening")
                           : QStringLiteral("Palette preservation"));
  PlaceBrowser(*this, state_, link_);
  PathText->setText(ShownName(state_.PaletteFolder));
  PathText->setCursorPosition(0);

  OpenBut->setVisible(openMode_);
  SaveBut->setVisible(!openMode_);
  if (openMode_) {
    OpenBut->setStatusTip(QStringLiteral(" Opens the chosen palette"));
    CanBut->setStatusTip(QStringLiteral(" Closes the form 'Palette opening'"));
  } else {
    SaveBut->setStatusTip(QStringLiteral(" Keeps a palette under the chosen name"));
    CanBut->setStatusTip(QStringLiteral(" Closes the form 'Palette preservation'"));
  }

  snapshotParams_ = state_.fractal.palette;
  snapshotPalette_ = state_.palette;
  FillList();
  if (openMode_) {
    PreviewFile();
  } else {
    DelPalFile->setEnabled(false);
    ReNamePal->setEnabled(false);
    ImText->hide();
    RenderPreview();
  }
}

void TOSPalette::BuildControls() {
  setFixedSize(409, 178);
  setFont(UiFont(kTextPixels));

  Label1 = Caption(this, QStringLiteral("Folder:"), {16, 8}, kSmallTextPixels);
  Label1->setObjectName(QStringLiteral("Label1"));
  PathText = new QLineEdit(this);
  PathText->setObjectName(QStringLiteral("PathText"));
  PathText->setGeometry(48, 8, 169, 21);
  PathText->setReadOnly(true);
  PathText->setStatusTip(QStringLiteral(" The catalogue of palettes"));

  PalList = new QListWidget(this);
  PalList->setObjectName(QStringLiteral("PalList"));
  PalList->setGeometry(16, 32, 201, 105);
  PalList->setSortingEnabled(false);
  PalList->setUniformItemSizes(true);
  PalList->setStatusTip(QStringLiteral(" Palettes taking place in the catalogue"));

  Label2 = Caption(this, QStringLiteral("File:"), {16, 144}, kSmallTextPixels);
  Label2->setObjectName(QStringLiteral("Label2"));
  FileText = new QLineEdit(this);
  FileText->setObjectName(QStringLiteral("FileText"));
  FileText->setGeometry(48, 144, 169, 21);
  FileText->setStatusTip(QStringLiteral(" The chosen name of a file"));

  PalPreview = new TGroupFrame(QStringLiteral("Preview"), this);
  PalPreview->setObjectName(QStringLiteral("PalPreview"));
  PalPreview->setGeometry(232, 6, 161, 131);
  PalPreview->setFont(UiFont(kSmallTextPixels));
  With = new TImageBox(PalPreview);
  With->setObjectName(QStringLiteral("With"));
  With->setGeometry(8, 14, zirvanta::BrowserPreview::kWidth, zirvanta::BrowserPreview::kHeight);
  ImText = new QLabel(PalPreview);
  ImText->setObjectName(QStringLiteral("ImText"));
  ImText->move(40, 56);
  ImText->hide();

  OpenBut = GlyphButton(this, "OpenBut", QStringLiteral("Open"), ":/icons/open.xpm",
                        {232, 144, 73, 22});
  SaveBut = GlyphButton(this, "SaveBut", QStringLiteral("Save"), ":/icons/save.xpm",
                        {232, 144, 73, 22});
  CanBut = GlyphButton(this, "CanBut", QStringLiteral("Cansel"), ":/glyphs/cansel.xpm",
                       {320, 144, 73, 22});
  OpenBut->hide();
  SaveBut->hide();

  setTabOrder(PathText, PalList);
  setTabOrder(PalList, FileText);
  setTabOrder(FileText, OpenBut);
  setTabOrder(OpenBut, SaveBut);
  setTabOrder(SaveBut, CanBut);

  WatchControls({PalList->viewport(), FileText, With});

  PopupPalette = new QMenu(this);
  PopupPalette->setObjectName(QStringLiteral("PopupPalette"));
  PopupPalette->setFont(UiFont(kTextPixels));
  DelPalFile = PopupPalette->addAction(QIcon(QStringLiteral(":/icons/delete.xpm")),
                                       QStringLiteral("&Удалить файл"));
  DelPalFile->setObjectName(QStringLiteral("DelPalFile"));
  ReNamePal = PopupPalette->addAction(QStringLiteral("Переименовать файл"));
  ReNamePal->setObjectName(QStringLiteral("ReNamePal"));
  AttachMenu(PopupPalette, {PalList, FileText, With});

  connect(PalList, &QListWidget::currentRowChanged, this, &TOSPalette::PalListClick);
  connect(OpenBut, &QPushButton::clicked, this, &QDialog::accept);
  connect(SaveBut, &QPushButton::clicked, this, &TOSPalette::SaveButClick);
  connect(CanBut, &QPushButton::clicked, this, &QDialog::reject);
  connect(DelPalFile, &QAction::triggered, this, &TOSPalette::DelPalFileExecute);
  connect(ReNamePal, &QAction::triggered, this, &TOSPalette::ReNamePalExecute);
}

void TOSPalette::FillList() {
  entries_ = zirvanta::ListEntries(state_.PaletteFolder, zirvanta::EntryPattern::PaletteFiles);
  {
    const QSignalBlocker quiet(PalList);
    PalList->clear();
    for (const std::string& entry : entries_) PalList->addItem(ShownName(entry));
  }
  if (!openMode_) {
    FileText->setReadOnly(false);
    state_.browser.ChosenPath =
        zirvanta::EntryPath(state_.PaletteFolder, kNewName, zirvanta::kPaletteExtension);
    FileText->setText(QString::fromLatin1(kNewName));
    return;
  }
  FileText->setReadOnly(true);
  OpenBut->setEnabled(!entries_.empty());
  if (entries_.empty()) return;
  const int row = std::clamp(state_.browser.PaletteListIndex, 0,
                             static_cast<int>(entries_.size()) - 1);
  {
    const QSignalBlocker quiet(PalList);
    PalList->setCurrentRow(row);
  }
  const std::string& entry = entries_[static_cast<size_t>(row)];
  state_.browser.ChosenPath =
      zirvanta::EntryPath(state_.PaletteFolder, entry, zirvanta::kPaletteExtension);
  FileText->setText(ShownName(entry));
}

void TOSPalette::PreviewFile() {
  if (entries_.empty()) {
    With->hide();
    ShowMessage(QString::fromLatin1(kNoEntries));
    return;
  }
  if (!ReadPaletteInto(state_, state_.browser.ChosenPath, this)) {
    // Nothing could be read: no picture, and the palette in force before the dialog.
    RestoreSnapshot();
    With->hide();
    ShowMessage(QString());
    return;
  }
  if (state_.PaletteTypeKnown) {
    ImText->hide();
    With->show();
    RenderPreview();
  } else {
    RestoreSnapshot();
    With->hide();
    ShowMessage(QString::fromLatin1(kUnknownType));
  }
}

void TOSPalette::RenderPreview() {
  ShowPicture(*With, preview_.Render(state_.fractal, state_.palette));
}

void TOSPalette::PalListClick(int row) {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return;
  const std::string& entry = entries_[static_cast<size_t>(row)];
  state_.browser.ChosenPath =
      zirvanta::EntryPath(state_.PaletteFolder, entry, zirvanta::kPaletteExtension);
  FileText->setText(ShownName(entry));
  state_.browser.PaletteListIndex = row;
  if (openMode_) PreviewFile();
}

void TOSPalette::SaveButClick() {
  const std::string name = LocalName(FileText->text());
  if (name.empty()) return;
  // A name holding "/", or "." or "..", would reach outside the folder: refused as the file
  // system refuses a name, and the dialog stays open for another.
  if (!zirvanta::EntryNameSafe(name)) {
    ShowUnsafeName(this);
    return;
  }
  if (std::ranges::find(entries_, name) != entries_.end() &&
      !Ask(this, "Confirmation of replacement of a file", kReplaceQuestion)) {
    return;
  }
  state_.browser.ChosenPath =
      zirvanta::EntryPath(state_.PaletteFolder, name, zirvanta::kPaletteExtension);
  accept();
}

void TOSPalette::DelPalFileExecute() {
  const int row = SelectedRow();
  if (!openMode_ || row < 0) return;
  if (!zirvanta::DeleteEntry(state_.PaletteFolder, entries_[static_cast<size_t>(row)],
                             zirvanta::kPaletteExtension)) {
    const bool vanished = errno == ENOENT;
    Stop(this, kRemoveFailedCaption, kRemoveFailed);
    // A file gone since the list was filled: the list shows the folder as it now is.
    if (vanished) {
      FillList();
      PreviewFile();
    }
    return;
  }
  if (state_.browser.PaletteListIndex > 0) --state_.browser.PaletteListIndex;
  RestoreSnapshot();
  FillList();
  PreviewFile();
}

void TOSPalette::ReNamePalExecute() {
  const int row = SelectedRow();
  if (!openMode_ || row < 0) return;
  TRePalFile rename(state_, link_, *this, entries_[static_cast<size_t>(row)]);
  rename.exec();
}

bool TOSPalette::FormKeyDown(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!openMode_) {
        SaveButClick();
      } else if (OpenBut->isEnabled()) {
        accept();
      }
      return true;
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_Delete:
      if (!openMode_) return false;  // deletes a letter of the name
      if (SelectedRow() >= 0 && Ask(this, kRemoveQuestionCaption, kRemoveQuestion)) {
        DelPalFileExecute();
      }
      return true;
    case Qt::Key_R:
      if (!openMode_) return false;  // the letter of the name
      ReNamePalExecute();
      return true;
    default:
      return false;
  }
}

void TOSPalette::done(int result) {
  if (result == QDialog::Rejected && openMode_) RestoreSnapshot();
  TBrowserForm::done(result);
}

void TOSPalette::FormActivate() {
  if (openMode_) {
    PalList->setFocus();
  } else {
    FileText->setFocus();
    FileText->selectAll();
  }
}

void TOSPalette::DoubleClick() {
  // The rest of the double click must not act on the main window's picture.
  state_.MouseArmed = false;
  if (!openMode_) {
    SaveButClick();
  } else if (OpenBut->isEnabled()) {
    accept();
  }
}

void TOSPalette::RestoreSnapshot() {
  state_.fractal.palette = snapshotParams_;
  state_.palette = snapshotPalette_;
}

void TOSPalette::ShowMessage(const QString& text) {
  ImText->setText(text);
  ImText->adjustSize();
  ImText->show();
}

int TOSPalette::SelectedRow() const {
  const int row = PalList->currentRow();
  return row >= 0 && row < static_cast<int>(entries_.size()) ? row : -1;
}
