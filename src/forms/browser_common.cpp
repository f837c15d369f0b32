#include "browser_common.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusTipEvent>
#include <algorithm>
#include <cerrno>

#include "controls/group_frame.h"
#include "controls/picture_box.h"
#include "engine/numeric.h"
#include "files/entry_files.h"
#include "forms/file_messages.h"

namespace browser {
namespace {

QMessageBox::StandardButton ShowBox(QWidget* parent, QMessageBox::Icon icon, const char* caption,
                                    const char* text, QMessageBox::StandardButtons buttons,
                                    bool onTop = false) {
  QMessageBox box(icon, QString::fromLatin1(caption), QString::fromLatin1(text), buttons, parent);
  if (onTop) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QScreen* ScreenOf(TMainLink& link) {
  QWidget* window = link.MainWindow();
  QScreen* screen = window ? window->screen() : nullptr;
  return screen ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

QLabel* Caption(QWidget* parent, const QString& text, QPoint at, int pixelSize) {
  auto* label = new QLabel(text, parent);
  label->setFont(UiFont(pixelSize));
  label->move(at);
  label->adjustSize();
  return label;
}

QPushButton* GlyphButton(QWidget* parent, const char* name, const QString& caption,
                         const char* glyph, QRect place) {
  auto* button = new QPushButton(QIcon(QString::fromLatin1(glyph)), caption, parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(place);
  button->setIconSize(QSize(16, 16));
  button->setFont(UiFont(kSmallTextPixels));
  // Enter belongs to the dialog's key handler, never to a default button.
  button->setAutoDefault(false);
  return button;
}

bool Ask(QWidget* parent, const char* caption, const char* text) {
  return ShowBox(parent, QMessageBox::Question, caption, text,
                 QMessageBox::Yes | QMessageBox::No, true) == QMessageBox::Yes;
}

void Warn(QWidget* parent, const char* caption, const char* text) {
  ShowBox(parent, QMessageBox::Warning, caption, text, QMessageBox::Ok);
}

void Stop(QWidget* parent, const char* caption, const char* text) {
  ShowBox(parent, QMessageBox::Critical, caption, text, QMessageBox::Ok);
}

void ShowUnsafeName(QWidget* parent) {
  zirvanta::WriteResult refused;
  refused.status = zirvanta::WriteResult::Status::OpenFailed;
  refused.detail = "A file name may not hold \"/\", nor be \".\" or \"..\".";
  ShowWriteFailure(parent, refused);
}

std::string LocalName(const QString& name) { return QFile::encodeName(name).toStdString(); }

QString ShownName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

void PlaceBrowser(QWidget& dialog, const zirvanta::SharedState& state, TMainLink& link) {
  const QSize size = dialog.size();
  long double left, top;
  if (state.windows.fullScreenShown) {
    // Above the full-screen view, which stays on top of the other windows.
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    const QRect screen = ScreenOf(link)->geometry();
    left = screen.left() + (screen.width() - size.width()) * 0.5L;
    top = screen.top() + (screen.height() - size.height()) * 0.5L - 30;
  } else {
    const QRect picture = link.PictureScreenRect();
    const QRect window = link.MainWindow()->frameGeometry();
    left = picture.left() + (picture.width() - size.width()) * 0.5L;
    top = window.top() + (window.height() - size.height()) * 0.3L;
  }
  dialog.move(zirvanta::TruncToInt32(left), zirvanta::TruncToInt32(top));
}

void PlaceOverMainWindow(QWidget& dialog, TMainLink& link) {
  const QRect window = link.MainWindow()->frameGeometry();
  dialog.move(window.left() + (window.width() - dialog.width()) / 2,
              window.top() + (window.height() - dialog.height()) / 2);
}

bool ReadFractalInto(zirvanta::SharedState& state, const std::string& path, QWidget* parent) {
  const zirvanta::ReadOutcome outcome =
      zirvanta::ReadFractalFile(path, state.fractal, state.palette, state.UseFractalPalette);
  if (!outcome.opened) {
    ShowReadFailure(parent);
    return false;
  }
  state.FractalTypeKnown = outcome.fractalTypeKnown;
  if (outcome.paletteTypeChecked) state.PaletteTypeKnown = outcome.paletteTypeKnown;
  return true;
}

bool ReadPaletteInto(zirvanta::SharedState& state, const std::string& path, QWidget* parent) {
  const zirvanta::ReadOutcome outcome =
      zirvanta::ReadPaletteFile(path, state.fractal, state.palette);
  if (!outcome.opened) {
    ShowReadFailure(parent);
    return false;
  }
  state.PaletteTypeKnown = outcome.paletteTypeKnown;
  return true;
}

void ShowPicture(TImageBox& box, const zirvanta::Bitmap& picture) {
  QImage& canvas = box.Canvas();
  const int width = std::min<int>(canvas.width(), static_cast<int>(picture.Width()));
  const int height = std::min<int>(canvas.height(), static_cast<int>(picture.Height()));
  for (int y = 0; y < height; ++y) {
    const uint8_t* pixel = picture.Row(y);
    auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
    for (int x = 0; x < width; ++x, pixel += 4) line[x] = qRgb(pixel[2], pixel[1], pixel[0]);
  }
  box.update();
}

TBrowserForm::TBrowserForm(TMainLink& link) : QDialog(link.MainWindow()), link_(link) {}

void TBrowserForm::WatchControls(std::vector<QWidget*> doubleClickTargets) {
  doubleClickTargets_ = std::move(doubleClickTargets);
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TBrowserForm::AttachMenu(QMenu* menu, const std::vector<QWidget*>& owners) {
  for (QWidget* owner : owners) {
    owner->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(owner, &QWidget::customContextMenuRequested, this,
            [menu, owner](QPoint at) { menu->exec(owner->mapToGlobal(at)); });
  }
}

void TBrowserForm::done(int result) {
  link_.ShowHint(QString());
  QDialog::done(result);
}

bool TBrowserForm::eventFilter(QObject* watched, QEvent* event) {
  // The context menu is a window of its own and keeps its keys.
  const bool own = watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this;
  if (!own) return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::KeyPress:
      if (FormKeyDown(*static_cast<QKeyEvent*>(event))) return true;
      break;
    case QEvent::MouseButtonDblClick:
      if (std::ranges::find(doubleClickTargets_, watched) != doubleClickTargets_.end()) {
        DoubleClick();
        return true;
      }
      break;
    case QEvent::ToolTip:
      return true;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

bool TBrowserForm::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    link_.ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return QDialog::event(event);
}

void TBrowserForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormActivate();
}

TFileBrowser::TFileBrowser(zirvanta::SharedState& state, TMainLink& link, const Layout& layout,
                           Kind kind)
    : TBrowserForm(link), state_(state), openMode_(state.browser.BrowserOpenMode), kind_(kind) {
  BuildControls(layout);
  setWindowTitle(QString::fromLatin1(openMode_ ? layout.openTitle : layout.saveTitle));
  PlaceBrowser(*this, state_, link_);
  folder_->setText(ShownName(kind_.folder));
  folder_->setCursorPosition(0);

  open_->setVisible(openMode_);
  save_->setVisible(!openMode_);
  delete_->setEnabled(openMode_);
  rename_->setEnabled(openMode_);
  QPushButton* confirm = openMode_ ? open_ : save_;
  confirm->setStatusTip(QString::fromLatin1(openMode_ ? layout.openTip : layout.saveTip));
  cancel_->setStatusTip(
      QString::fromLatin1(openMode_ ? layout.openCancelTip : layout.saveCancelTip));
}

void TFileBrowser::BuildControls(const Layout& layout) {
  setFixedSize(409, layout.height);
  setFont(UiFont(kTextPixels));
  const char* const* name = layout.names;

  folderLabel_ = Caption(this, QStringLiteral("Folder:"), {16, 8}, kSmallTextPixels);
  folderLabel_->setObjectName(QLatin1String(name[0]));
  folder_ = new QLineEdit(this);
  folder_->setObjectName(QLatin1String(name[1]));
  folder_->setGeometry(48, 8, 169, 21);
  folder_->setReadOnly(layout.folderReadOnly);
  folder_->setStatusTip(QString::fromLatin1(layout.folderTip));

  list_ = new QListWidget(this);
  list_->setObjectName(QLatin1String(name[2]));
  list_->setGeometry(16, 32, 201, layout.listHeight);
  list_->setSortingEnabled(false);
  list_->setUniformItemSizes(true);
  list_->setStatusTip(QString::fromLatin1(layout.listTip));

  nameLabel_ = Caption(this, QStringLiteral("File:"), {16, layout.nameTop}, kSmallTextPixels);
  nameLabel_->setObjectName(QLatin1String(name[3]));
  name_ = new QLineEdit(this);
  name_->setObjectName(QLatin1String(name[4]));
  name_->setGeometry(48, layout.nameTop, 169, 21);
  name_->setStatusTip(QStringLiteral(" The chosen name of a file"));

  frame_ = new TGroupFrame(QString::fromLatin1(layout.frameCaption), this);
  frame_->setObjectName(QLatin1String(name[5]));
  frame_->setGeometry(232, layout.frameTop, 161, 131);
  frame_->setFont(UiFont(kSmallTextPixels));
  picture_ = new TImageBox(frame_);
  picture_->setObjectName(QLatin1String(name[6]));
  picture_->setGeometry(8, layout.pictureTop, zirvanta::BrowserPreview::kWidth,
                        zirvanta::BrowserPreview::kHeight);
  message_ = new QLabel(frame_);
  message_->setObjectName(QLatin1String(name[7]));
  message_->move(layout.message);
  if (layout.messageCentred) message_->setAlignment(Qt::AlignCenter);
  message_->hide();

  open_ = GlyphButton(this, name[8], QStringLiteral("Open"), ":/icons/open.xpm", layout.open);
  save_ = GlyphButton(this, name[9], QStringLiteral("Save"), ":/icons/save.xpm", layout.save);
  cancel_ = GlyphButton(this, name[10], QStringLiteral("Cansel"), ":/glyphs/cansel.xpm",
                        layout.cancel);
  open_->hide();
  save_->hide();

  setTabOrder(folder_, list_);
  setTabOrder(list_, name_);
  setTabOrder(name_, open_);
  setTabOrder(open_, save_);
  setTabOrder(save_, cancel_);

  WatchControls({list_->viewport(), name_, picture_});

  menu_ = new QMenu(this);
  menu_->setObjectName(QLatin1String(name[11]));
  menu_->setFont(UiFont(kTextPixels));
  delete_ = menu_->addAction(QIcon(QStringLiteral(":/icons/delete.xpm")),
                             QStringLiteral("&Удалить файл"));
  delete_->setObjectName(QLatin1String(name[12]));
  rename_ = menu_->addAction(QString::fromUtf8(layout.renameText));
  rename_->setObjectName(QLatin1String(name[13]));
  AttachMenu(menu_, {list_, name_, picture_});

  connect(list_, &QListWidget::currentRowChanged, this, &TFileBrowser::ListClick);
  connect(open_, &QPushButton::clicked, this, &QDialog::accept);
  connect(save_, &QPushButton::clicked, this, &TFileBrowser::SaveClick);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(delete_, &QAction::triggered, this, &TFileBrowser::DeleteExecute);
  connect(rename_, &QAction::triggered, this, &TFileBrowser::RenameExecute);
}

void TFileBrowser::Refill() {
  FillEntries();
  if (openMode_) {
    PreviewFile();
  } else {
    message_->hide();
    RenderPreview();
  }
}

void TFileBrowser::FillEntries() {
  entries_ = zirvanta::ListEntries(kind_.folder, kind_.pattern);
  {
    // Filling selects; only the user's choices run ListClick.
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const std::string& entry : entries_) list_->addItem(ShownName(entry));
  }
  if (!openMode_) {
    name_->setReadOnly(false);
    Choose(kind_.newName);
    name_->setText(QString::fromLatin1(kind_.newName));
    return;
  }
  name_->setReadOnly(true);
  open_->setEnabled(!entries_.empty());
  if (entries_.empty()) return;
  const int row = std::clamp(kind_.listIndex, 0, static_cast<int>(entries_.size()) - 1);
  {
    const QSignalBlocker quiet(list_);
    list_->setCurrentRow(row);
  }
  const std::string& entry = entries_[static_cast<size_t>(row)];
  Choose(entry);
  name_->setText(ShownName(entry));
}

void TFileBrowser::PreviewFile() {
  if (entries_.empty()) {
    picture_->hide();
    ShowMessage(QString::fromLatin1(kNoEntries));
    return;
  }
  if (!ReadChosen()) {
    // Nothing could be read: no picture, and the state as it was before the dialog.
    RestoreSnapshot();
    picture_->hide();
    ShowMessage(QString());
    return;
  }
  if (ChosenTypeKnown()) {
    message_->hide();
    picture_->show();
    RenderPreview();
  } else {
    RestoreSnapshot();
    picture_->hide();
    ShowMessage(QString::fromLatin1(kUnknownType));
  }
}

void TFileBrowser::RenderPreview() {
  ShowPicture(*picture_, preview_.Render(state_.fractal, state_.palette));
}

void TFileBrowser::ListClick(int row) {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return;
  const std::string& entry = entries_[static_cast<size_t>(row)];
  Choose(entry);
  name_->setText(ShownName(entry));
  kind_.listIndex = row;
  if (openMode_) PreviewFile();
}

void TFileBrowser::SaveClick() {
  const std::string name = LocalName(name_->text());
  if (name.empty()) return;
  // A name holding "/", or "." or "..", would reach outside the folder: refused as the file
  // system refuses a name, and the dialog stays open for another.
  if (!zirvanta::EntryNameSafe(name)) {
    ShowUnsafeName(this);
    return;
  }
  if (std::ranges::find(entries_, name) != entries_.end() &&
      !Ask(this, kind_.replaceCaption, kReplaceQuestion)) {
    return;
  }
  Choose(name);
  accept();
}

void TFileBrowser::DeleteExecute() {
  const int row = SelectedRow();
  if (!openMode_ || row < 0) return;
  if (!zirvanta::DeleteEntry(kind_.folder, entries_[static_cast<size_t>(row)], kind_.extension)) {
    const bool vanished = errno == ENOENT;
    Stop(this, kRemoveFailedCaption, kRemoveFailed);
    // A file gone since the list was filled: the list shows the folder as it now is.
    if (vanished) Refill();
    return;
  }
  if (kind_.listIndex > 0) --kind_.listIndex;
  RefillAfterDelete();
}

void TFileBrowser::RenameExecute() {
  const int row = SelectedRow();
  if (!openMode_ || row < 0) return;
  OpenRename(entries_[static_cast<size_t>(row)]);
}

bool TFileBrowser::FormKeyDown(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!openMode_) {
        SaveClick();
      } else if (open_->isEnabled()) {
        accept();
      }
      return true;
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_Delete:
      if (!openMode_) return false;  // deletes a letter of the name
      if (SelectedRow() >= 0 && Ask(this, kRemoveQuestionCaption, kRemoveQuestion)) {
        DeleteExecute();
      }
      return true;
    case Qt::Key_R:
      if (!openMode_) return false;  // the letter of the name
      RenameExecute();
      return true;
    default:
      return false;
  }
}

void TFileBrowser::done(int result) {
  if (result == QDialog::Rejected && openMode_) RestoreSnapshot();
  TBrowserForm::done(result);
}

void TFileBrowser::FormActivate() {
  if (openMode_) {
    list_->setFocus();
  } else {
    name_->setFocus();
    name_->selectAll();
  }
}

void TFileBrowser::DoubleClick() {
  // The rest of the double click must not act on the main window's picture.
  state_.MouseArmed = false;
  if (!openMode_) {
    SaveClick();
  } else if (open_->isEnabled()) {
    accept();
  }
}

void TFileBrowser::ShowMessage(const QString& text) {
  message_->setText(text);
  message_->adjustSize();
  message_->show();
}

int TFileBrowser::SelectedRow() const {
  const int row = list_->currentRow();
  return row >= 0 && row < static_cast<int>(entries_.size()) ? row : -1;
}

void TFileBrowser::Choose(const std::string& entry) {
  state_.browser.ChosenPath = zirvanta::EntryPath(kind_.folder, entry, kind_.extension);
  NoteChoice(entry);
}

TRenameForm::TRenameForm(TMainLink& link, TFileBrowser& browser, std::string entry,
                         const std::array<const char*, 4>& names)
    : QDialog(&browser), link_(link), browser_(browser), entry_(std::move(entry)) {
  setWindowTitle(QStringLiteral("File renaming"));
  setFixedSize(329, 151);
  setFont(UiFont(kTextPixels));

  Caption(this, QStringLiteral("Old name:"), {32, 8}, kSmallTextPixels)
      ->setObjectName(QStringLiteral("Label1"));
  oldName_ = new QLineEdit(this);
  oldName_->setGeometry(32, 24, 265, 21);
  oldName_->setReadOnly(true);
  Caption(this, QStringLiteral("New name:"), {32, 56}, kSmallTextPixels)
      ->setObjectName(QStringLiteral("Label2"));
  newName_ = new QLineEdit(this);
  newName_->setGeometry(32, 72, 265, 21);
  cancel_ = new QPushButton(QStringLiteral("Cansel"), this);
  cancel_->setGeometry(80, 112, 75, 25);
  cancel_->setFont(UiFont(kSmallTextPixels));
  ok_ = new QPushButton(QStringLiteral("Ok!"), this);
  ok_->setGeometry(168, 112, 75, 25);
  for (QPushButton* button : {cancel_, ok_}) button->setAutoDefault(false);
  oldName_->setText(ShownName(entry_));
  newName_->setText(ShownName(entry_));
  oldName_->setObjectName(QLatin1String(names[0]));
  newName_->setObjectName(QLatin1String(names[1]));
  cancel_->setObjectName(QLatin1String(names[2]));
  ok_->setObjectName(QLatin1String(names[3]));
  setTabOrder(newName_, oldName_);
  setTabOrder(oldName_, cancel_);
  setTabOrder(cancel_, ok_);
  newName_->setFocus();

  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(ok_, &QPushButton::clicked, this, &TRenameForm::Confirm);
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  PlaceOverMainWindow(*this, link_);
}

void TRenameForm::Confirm() {
  const std::string newName = LocalName(newName_->text());
  if (newName.empty()) return;
  if (std::ranges::find(browser_.Entries(), newName) != browser_.Entries().end()) {
    Warn(this, kNameTakenCaption, kNameTaken);
    return;
  }
  if (!zirvanta::RenameEntry(browser_.Folder(), entry_, newName, browser_.Extension())) {
    const bool vanished = errno == ENOENT;
    Stop(this, kRenameFailedCaption, kRenameFailed);
    // A file gone since the list was filled: the list shows the folder as it now is.
    if (vanished) browser_.Refill();
    return;
  }
  browser_.Refill();
  accept();
}

bool TRenameForm::eventFilter(QObject* watched, QEvent* event) {
  // The dialog sees keys before its controls, whatever the modifiers.
  const bool own = watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this;
  if (event->type() == QEvent::KeyPress && own) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Confirm();
      return true;
    }
    if (key == Qt::Key_Escape) {
      reject();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace browser
