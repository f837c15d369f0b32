#include "U_sizeandext.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

#include "controls/Cgauges.h"
#include "forms/ui_common.h"
#include "controls/group_frame.h"
#include "engine/fast/fast_renderer.h"
#include "export/bmp_stream.h"
#include "forms/file_messages.h"
#include "forms/main_link.h"
#include "forms/titles.h"

namespace {

constexpr int kClientWidth = 353;
constexpr int kClientHeight = 318;
constexpr int kPathWidth = 277;
constexpr int kMaxTyped = 4;
const char* const kCaption = "Calculation and recording of the image";
const char* const kInputMistake = "The input mistake";

QLabel* Caption(QWidget* parent, const char* name, const QString& text, QPoint at) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->move(at);
  label->adjustSize();
  return label;
}

QComboBox* DropDown(QWidget* parent, const char* name, QRect place, const QStringList& items) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QLatin1String(name));
  box->setGeometry(place);
  box->addItems(items);
  return box;
}

void ErrorBox(QWidget* parent, const QString& text, const char* caption) {
  QMessageBox box(QMessageBox::Critical, QString::fromLatin1(caption), text, QMessageBox::Ok,
                  parent);
  box.exec();
}

// trunc(value) into 64 bits, bounded first: NaN counts as 0 and the infinities as the ends.
int64_t TruncToInt64(long double value) {
  if (std::isnan(value)) return 0;
  constexpr long double kLimit = 9.2e18L;
  if (value >= kLimit) return std::numeric_limits<int64_t>::max();
  if (value <= -kLimit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

QString Trimmed(QString digits) {
  if (digits.contains(QLatin1Char('.'))) {
    while (digits.endsWith(QLatin1Char('0'))) digits.chop(1);
    if (digits.endsWith(QLatin1Char('.'))) digits.chop(1);
  }
  return digits;
}

}  // namespace

TSizeAndExt::TSizeAndExt(zirvanta::SharedState& state, TMainLink& link, const QString& chosenFile,
                         Environment environment)
    : QDialog(link.MainWindow()),
      state_(state),
      link_(link),
      environment_(std::move(environment)),
      mailbox_(std::make_unique<zirvanta::OwnerMailbox>([this] {
        // Posted to this window's thread; the dialog waits for the job before it goes.
        QMetaObject::invokeMethod(this, [this] { mailbox_->RunPending(); },
                                  Qt::QueuedConnection);
      })) {
  setAttribute(Qt::WA_DeleteOnClose);
  BuildControls();
  PlaceWindow();

  connect(ImageWidth, &QLineEdit::textChanged, this, &TSizeAndExt::ImageWidthChange);
  connect(ImageHeight, &QLineEdit::textChanged, this, &TSizeAndExt::ImageHeightChange);
  connect(Units, &QComboBox::currentIndexChanged, this, &TSizeAndExt::UnitsChange);
  connect(Permission, &QComboBox::currentIndexChanged, this, &TSizeAndExt::PermissionChange);
  connect(PrF, &QComboBox::currentIndexChanged, this, &TSizeAndExt::PrFChange);
  connect(ButtonOk, &QPushButton::clicked, this, &TSizeAndExt::ButtonOkClick);
  connect(CanBut, &QPushButton::clicked, this, &QWidget::close);
  connect(IsCloseAfter, &QCheckBox::clicked, this, &TSizeAndExt::IsCloseAfterClick);
  connect(Timer1, &QTimer::timeout, this, &QWidget::close);

  params_.outputPath = OutputPathFor(chosenFile).toStdString();
  SaveFName->setText(ShortenedPath(QString::fromStdString(params_.outputPath),
                                   SaveFName->fontMetrics(), kPathWidth));
  SaveFName->adjustSize();
  Iterations->setCurrentIndex(0);
  PrF->setCurrentIndex(0);
  Units->setCurrentIndex(0);
  Permission->setCurrentIndex(2);
  fileWritten_ = false;

  params_.TakeFractal(state_.fractal, state_.palette);

  QSize screen = environment_.screen;
  if (screen.isEmpty()) {
    const QScreen* shown = link_.MainWindow()->screen();
    if (shown == nullptr) shown = QGuiApplication::primaryScreen();
    screen = shown != nullptr ? shown->geometry().size() : QSize(1024, 768);
  }
  width_ = static_cast<float>(screen.width());
  height_ = static_cast<float>(screen.height());
  UpdateFileSize();
  SetEditText(ImageWidth, QString::number(TruncToInt64(width_)));
  SetEditText(ImageHeight, QString::number(TruncToInt64(height_)));
  Permission->setEnabled(false);
  ButtonOk->setEnabled(true);

  ButtonOk->setFocus();
}

TSizeAndExt::~TSizeAndExt() {
  // Whatever way the window goes, the job is stopped and waited for before anything it uses.
  if (job_) job_->RequestStop();
  job_.reset();
}

void TSizeAndExt::BuildControls() {
  setObjectName(QStringLiteral("SizeAndExt"));
  setWindowTitle(QString::fromLatin1(kCaption));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(UiFont(11));
  setFixedSize(kClientWidth, kClientHeight);
  setModal(false);

  Label1 = Caption(this, "Label1", QStringLiteral("File:"), {16, 9});
  SaveFName = Caption(this, "SaveFName", QString(), {59, 9});
  SaveFName->setStatusTip(QStringLiteral(" Выбранный каталог и имя файла "));

  GroupBox1 = new TGroupFrame(QStringLiteral("File size:"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(16, 40, 209, 137);
  GroupBox1->setStatusTip(QStringLiteral(" Choice of key parameters of the kept image "));
  Label2 = Caption(GroupBox1, "Label2", QStringLiteral("Image:"), {52, 30});
  ImageWidth = new QLineEdit(GroupBox1);
  ImageWidth->setObjectName(QStringLiteral("ImageWidth"));
  ImageWidth->setGeometry(96, 26, 41, 21);
  Label8 = Caption(GroupBox1, "Label8", QStringLiteral("X"), {141, 29});
  ImageHeight = new QLineEdit(GroupBox1);
  ImageHeight->setObjectName(QStringLiteral("ImageHeight"));
  ImageHeight->setGeometry(152, 26, 41, 21);
  Label9 = Caption(GroupBox1, "Label9", QStringLiteral("Width"), {96, 48});
  Label5 = Caption(GroupBox1, "Label5", QStringLiteral("Height"), {152, 48});
  for (QLabel* small : {Label9, Label5}) {
    small->setFont(UiFont(9));
    small->adjustSize();
  }
  Label6 = Caption(GroupBox1, "Label6", QStringLiteral("Units:"), {56, 76});
  Units = DropDown(GroupBox1, "Units", {96, 72, 98, 21},
                   {QStringLiteral("pixels"), QStringLiteral("millimeters"),
                    QStringLiteral("centimetes"), QStringLiteral("inches"),
                    QStringLiteral("meters")});
  Label7 = Caption(GroupBox1, "Label7", QStringLiteral("Sanction:"), {40, 100});
  Permission = DropDown(GroupBox1, "Permission", {96, 96, 98, 21},
                        {QStringLiteral("100 dpi"), QStringLiteral("200 dpi"),
                         QStringLiteral("300 dpi"), QStringLiteral("400 dpi"),
                         QStringLiteral("500 dpi"), QStringLiteral("600 dpi")});

  Label4 = Caption(this, "Label4", QStringLiteral("Detailed:"), {243, 40});
  Iterations = DropDown(this, "Iterations", {243, 56, 94, 21},
                        {QStringLiteral("256"), QStringLiteral("512"), QStringLiteral("1024"),
                         QStringLiteral("2048"), QStringLiteral("4096"), QStringLiteral("8192")});
  Iterations->setStatusTip(QStringLiteral(" Choice of detailed elaboration of the kept image"));
  Label3 = Caption(this, "Label3", QStringLiteral("Priority:"), {243, 104});
  PrF = DropDown(this, "PrF", {243, 120, 94, 21},
                 {QStringLiteral("low"), QStringLiteral("normal"), QStringLiteral("high"),
                  QStringLiteral("critical")});
  PrF->setStatusTip(QStringLiteral(" Choice of a priority of a stream expecting the image"));

  Itog = Caption(this, "Itog", QStringLiteral("Completed:"), {16, 192});
  CGauge1 = new TCGauge(this);
  CGauge1->setObjectName(QStringLiteral("CGauge1"));
  CGauge1->setGeometry(16, 216, 321, 19);
  CGauge1->SetForeColor(QColor(192, 192, 192));
  CGauge1->setStatusTip(QStringLiteral(" Shows % of the executed work"));
  IsCloseAfter = new QCheckBox(
      QStringLiteral("To close the window after recording of the file."), this);
  IsCloseAfter->setObjectName(QStringLiteral("IsCloseAfter"));
  IsCloseAfter->setGeometry(16, 248, 320, 17);
  CanBut = new QPushButton(QStringLiteral("Cansel"), this);
  CanBut->setObjectName(QStringLiteral("CanBut"));
  CanBut->setGeometry(96, 280, 73, 25);
  CanBut->setStatusTip(QStringLiteral(
      " Stops calculation if it is necessary, and closes the form of calculation and "
      "preservation"));
  ButtonOk = new QPushButton(QStringLiteral("Ok!"), this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setGeometry(184, 280, 73, 25);
  ButtonOk->setStatusTip(QStringLiteral(" Starts calculation and preservation of the image "));
  ButtonOk->setDefault(true);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(100);
  Timer1->setSingleShot(true);

  QWidget::setTabOrder(ButtonOk, CanBut);
  QWidget::setTabOrder(CanBut, PrF);
  QWidget::setTabOrder(PrF, IsCloseAfter);
  QWidget::setTabOrder(IsCloseAfter, Iterations);
  QWidget::setTabOrder(Iterations, Units);
  QWidget::setTabOrder(Units, Permission);
  QWidget::setTabOrder(Permission, ImageWidth);
  QWidget::setTabOrder(ImageWidth, ImageHeight);

  // The window sees keys before its controls.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TSizeAndExt::PlaceWindow() {
  QSize screen = environment_.screen;
  if (screen.isEmpty()) {
    const QScreen* shown = link_.MainWindow()->screen();
    if (shown == nullptr) shown = QGuiApplication::primaryScreen();
    screen = shown != nullptr ? shown->geometry().size() : QSize(kClientWidth, kClientHeight);
  }
  if (state_.windows.fullScreenShown) {
    move(static_cast<int>((screen.width() - kClientWidth) * 0.5),
         static_cast<int>((screen.height() - kClientHeight) * 0.5 - 36));
    return;
  }
  const QRect picture = link_.PictureScreenRect();
  const QRect main = link_.MainWindow()->frameGeometry();
  move(static_cast<int>(picture.left() + (picture.width() - kClientWidth) * 0.5 + 2),
       static_cast<int>(main.top() + (main.height() - kClientHeight) * 0.5 - 50));
}

QString TSizeAndExt::OutputPathFor(const QString& chosenFile) {
  const qsizetype slash = chosenFile.lastIndexOf(QLatin1Char('/'));
  QString name = chosenFile.mid(slash + 1);
  const qsizetype dot = name.indexOf(QLatin1Char('.'));
  if (dot >= 0) name.truncate(dot);
  return chosenFile.left(slash + 1) + name + QStringLiteral(".bmp");
}

QString TSizeAndExt::ShortenedPath(const QString& path, const QFontMetrics& metrics,
                                   int maxWidth) {
  const auto fits = [&](const QString& text) {
    return metrics.horizontalAdvance(text) <= maxWidth;
  };
  if (fits(path)) return path;
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  const QString name = path.mid(slash + 1);
  // The folders between the root and the name; the first remaining ones give way to "...".
  QStringList folders = path.left(std::max<qsizetype>(slash, 0)).split(QLatin1Char('/'));
  const bool rooted = path.startsWith(QLatin1Char('/'));
  if (rooted && !folders.isEmpty()) folders.removeFirst();
  const QString root = rooted ? QStringLiteral("/") : QString();
  while (!folders.isEmpty()) {
    folders.removeFirst();
    QString shortened = root + QStringLiteral("...");
    for (const QString& folder : folders) shortened += QLatin1Char('/') + folder;
    shortened += QLatin1Char('/') + name;
    if (fits(shortened)) return shortened;
  }
  // Only "/.../" is left: the root goes as well.
  return QStringLiteral(".../") + name;
}

QString TSizeAndExt::GeneralFormat(double value, int digits) {
  if (!std::isfinite(value)) return QString::number(value);
  if (value == 0.0) return QStringLiteral("0");
  char text[64];
  std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
  const QString scientific = QString::fromLatin1(text);
  const qsizetype e = scientific.indexOf(QLatin1Char('e'));
  const int exponent = scientific.mid(e + 1).toInt();
  QString result;
  if (exponent >= digits || exponent < -5) {
    result = Trimmed(scientific.left(e)) + QLatin1Char('E') + QString::number(exponent);
  } else {
    std::snprintf(text, sizeof text, "%.*f", std::max(digits - 1 - exponent, 0), value);
    result = Trimmed(QString::fromLatin1(text));
  }
  return result.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

bool TSizeAndExt::Running() const { return job_ && job_->Running(); }

bool TSizeAndExt::ReadSize(QLineEdit* edit, float& value) {
  const QString text = edit->text();
  if (text.isEmpty()) {
    value = 0.0f;
    return true;
  }
  QLocale locale;
  locale.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  const double number = locale.toDouble(text, &ok);
  if (!ok) {
    ErrorBox(this, QStringLiteral("Not true number input"), kInputMistake);
    return false;
  }
  value = static_cast<float>(number);
  return true;
}

QString TSizeAndExt::SizeText(float value) const {
  if (Units->currentIndex() == 0) return QString::number(TruncToInt64(value));
  return GeneralFormat(value, 15);
}

void TSizeAndExt::SetEditText(QLineEdit* edit, const QString& text) {
  if (edit->text() != text) edit->setText(text);
}

void TSizeAndExt::ImageWidthChange() {
  if (!widthGuard_) return;
  float width = 0.0f;
  if (!ReadSize(ImageWidth, width)) return;
  width_ = width;
  height_ = static_cast<float>(static_cast<long double>(width_) * 3 * 0.25L);
  heightGuard_ = false;
  SetEditText(ImageHeight, SizeText(height_));
  heightGuard_ = true;
  UpdateFileSize();
}

void TSizeAndExt::ImageHeightChange() {
  if (!heightGuard_) return;
  float height = 0.0f;
  if (!ReadSize(ImageHeight, height)) return;
  height_ = height;
  width_ = static_cast<float>(static_cast<long double>(height_) * 4 * (1.0L / 3.0L));
  widthGuard_ = false;
  SetEditText(ImageWidth, SizeText(width_));
  widthGuard_ = true;
  UpdateFileSize();
}

void TSizeAndExt::UnitsChange() {
  UpdateFileSize();
  if (Units->currentIndex() != 0) {
    Permission->setEnabled(true);
    return;
  }
  width_ = std::ceil(width_);
  SetEditText(ImageWidth, QString::number(TruncToInt64(width_)));
  height_ = std::ceil(height_);
  SetEditText(ImageHeight, QString::number(TruncToInt64(height_)));
  Permission->setEnabled(false);
}

void TSizeAndExt::PermissionChange() { UpdateFileSize(); }

void TSizeAndExt::PrFChange() {
  if (Running()) job_->SetPriority(PrF->currentIndex());
}

int64_t TSizeAndExt::ToPixels(float value) const {
  const long double dpi = 100.0L * (Permission->currentIndex() + 1);
  switch (Units->currentIndex()) {
    case 1: return TruncToInt64(dpi * value / static_cast<long double>(25.4f));
    case 2: return TruncToInt64(dpi * value / static_cast<long double>(2.54f));
    case 3: return TruncToInt64(dpi * value);
    case 4: return TruncToInt64(dpi * value / static_cast<long double>(0.0254f));
    default: return TruncToInt64(value);
  }
}

void TSizeAndExt::UpdateFileSize() {
  pixelWidth_ = ToPixels(width_);
  pixelHeight_ = ToPixels(height_);
  // In long double: sizes the dialog refuses at Ok may still be shown, without overflow.
  const long double size = static_cast<long double>(pixelWidth_) * pixelHeight_ * 3;
  QString text;
  if (size < 1000) {
    text = GeneralFormat(static_cast<double>(size), 3) + QStringLiteral(" b");
  } else if (size < 1000000) {
    text = GeneralFormat(static_cast<double>(size * 0.001L), 3) + QStringLiteral(" Kb");
  } else if (size < 1000000000) {
    text = GeneralFormat(static_cast<double>(size * 0.000001L), 3) + QStringLiteral(" Mb");
  } else {
    text = GeneralFormat(static_cast<double>(size * 0.000000001L), 3) + QStringLiteral(" Gb");
  }
  GroupBox1->setTitle(QStringLiteral("File size: ") + text);
}

void TSizeAndExt::SetEditing(bool enabled) {
  for (QWidget* control : {static_cast<QWidget*>(Iterations), static_cast<QWidget*>(ImageWidth),
                           static_cast<QWidget*>(ImageHeight), static_cast<QWidget*>(Units),
                           static_cast<QWidget*>(ButtonOk)}) {
    control->setEnabled(enabled);
  }
  Permission->setEnabled(enabled && Units->currentIndex() != 0);
}

void TSizeAndExt::ButtonOkClick() {
  if (Running() || fileWritten_) return;
  if (width_ == 0 || height_ == 0) {
    ErrorBox(this, QStringLiteral("The width or height is equal to zero."), "The input mistake:");
    return;
  }
  // Sizes the fields accept but no file can have: refused before any thread starts.
  std::optional<std::string> problem =
      zirvanta::ExportSizeProblem(pixelWidth_, pixelHeight_);
  if (!std::isfinite(width_) || !std::isfinite(height_)) {
    problem = "The width and the height must be numbers.";
  }
  if (problem) {
    ErrorBox(this, QString::fromStdString(*problem), "The input mistake:");
    return;
  }
  // A disk too full for the file is a file problem, shown as the other file failures are.
  if (const auto space = zirvanta::ExportSpaceProblem(params_.outputPath, pixelWidth_,
                                                      pixelHeight_)) {
    ShowExportFailure(this, *space);
    return;
  }

  SetEditing(false);
  params_.limit = zirvanta::LimitForDepth(256 << Iterations->currentIndex());
  params_.width = pixelWidth_;
  params_.height = pixelHeight_;
  params_.priorityChoice = PrF->currentIndex();
  CGauge1->SetProgress(0);
  Itog->setText(QStringLiteral("Completed:"));

  std::unique_ptr<zirvanta::Renderer> renderer;
  try {
    renderer = environment_.makeRenderer ? environment_.makeRenderer()
                                         : std::make_unique<zirvanta::FastRenderer>();
  } catch (const std::system_error&) {
    renderer = std::make_unique<zirvanta::PlainRenderer>();  // no threads: compute on one
  }
  zirvanta::ExportJob::Steps steps;
  steps.showProgress = [this](int64_t row) { ShowProgress(row); };
  steps.finishExport = [this] { FinishExport(); };
  steps.exportFailed = [this](const std::string& message) { ExportFailed(message); };
  steps.liveViewBusy = environment_.liveViewBusy;
  job_.reset();  // a failed export's job has ended
  job_ = std::make_unique<zirvanta::ExportJob>(params_, std::move(steps), *mailbox_,
                                               std::move(renderer));
  if (!job_->Start()) {
    job_.reset();
    ErrorBox(this,
             QStringLiteral("It was not possible to create a stream \n for calculation of the "
                            "image "),
             "Error:");
    SetEditing(true);
    return;
  }
  link_.SetApplicationTitle(QStringLiteral("0% Completed.."));
}

void TSizeAndExt::ShowProgress(int64_t progressRow) {
  const int percent = static_cast<int>(progressRow * 100 / std::max<int64_t>(params_.height, 1));
  CGauge1->SetProgress(percent);
  link_.SetApplicationTitle(QString::number(percent) + QStringLiteral("% Completed.."));
}

void TSizeAndExt::FinishExport() {
  CGauge1->SetProgress(100);
  setWindowTitle(QStringLiteral("100% Completed. "));
  fileWritten_ = true;
  Itog->setText(QStringLiteral("The file is successfully kept ."));
  Itog->adjustSize();
  link_.SetApplicationTitle(QString::fromLatin1(kApplicationTitle));
  if (IsCloseAfter->isChecked()) {
    Timer1->start();
    return;
  }
  CanBut->setText(QStringLiteral("Close"));
  PrF->setEnabled(false);
  if (isMinimized()) showNormal();
}

void TSizeAndExt::ExportFailed(const std::string& message) {
  // Back to editing: nothing was written, and the user may try again.
  link_.SetApplicationTitle(QString::fromLatin1(kApplicationTitle));
  CGauge1->SetProgress(0);
  ShowExportFailure(this, message);
  SetEditing(true);
}

void TSizeAndExt::IsCloseAfterClick() {
  if (fileWritten_ && IsCloseAfter->isChecked()) close();
}

bool TSizeAndExt::KeyIsSwallowed(QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride &&
      event->type() != QEvent::KeyRelease) {
    return false;
  }
  if (Running()) {
    // No shortcut, no Esc, no typing reaches anything while the job runs.
    event->accept();
    return true;
  }
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    close();
    return true;
  }
  return false;
}

bool TSizeAndExt::eventFilter(QObject* watched, QEvent* event) {
  if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this &&
      KeyIsSwallowed(event)) {
    return true;
  }
  // The size edits take at most 4 typed characters; what the program writes may be longer.
  if ((watched == ImageWidth || watched == ImageHeight) && event->type() == QEvent::KeyPress) {
    const auto* edit = static_cast<QLineEdit*>(watched);
    const QString typed = static_cast<QKeyEvent*>(event)->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() &&
        edit->text().size() - edit->selectedText().size() + typed.size() > kMaxTyped) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool TSizeAndExt::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    // Hints go to the main window's status bar, as its own controls' do.
    link_.ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  if (event->type() == QEvent::ShortcutOverride && KeyIsSwallowed(event)) return true;
  return QDialog::event(event);
}

void TSizeAndExt::keyPressEvent(QKeyEvent* event) {
  if (!KeyIsSwallowed(event)) QDialog::keyPressEvent(event);
}

void TSizeAndExt::reject() { close(); }

void TSizeAndExt::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  closed_ = true;
  Timer1->stop();
  if (job_) {
    // The job stops at its next progress point; its pending steps run while we wait.
    job_->RequestStop();
    job_->WaitServing();
  }
  state_.closeAfterExport = IsCloseAfter->isChecked() ? 1 : 0;
  state_.windows.exportDialogOpen = false;
  link_.SetApplicationTitle(QString::fromLatin1(kApplicationTitle));
  event->accept();
}
