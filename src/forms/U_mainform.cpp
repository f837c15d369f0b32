#include "U_mainform.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QSlider>
#include <QStatusTipEvent>
#include <algorithm>
#include <limits>

#include "controls/picture_box.h"
#include "engine/number_text.h"
#include "engine/numeric.h"
#include "engine/palette.h"
#include "engine/view_steering.h"

namespace {

using zirvanta::LivePicture;

constexpr zirvanta::Colour kPictureBackground{0, 0, 0};

struct CursorResource {
  const char* path;
  QPoint hotSpot;
};

// Numbers 1 to 6 of the cursor table; 0 is unused.
const CursorResource kCursors[7] = {
    {nullptr, {}},
    {":/cursors/lupa.xpm", {8, 8}},
    {":/cursors/centr.xpm", {16, 15}},
    {":/cursors/smoll.xpm", {16, 16}},
    {":/cursors/koef.xpm", {15, 15}},
    {":/cursors/openhand.xpm", {16, 16}},
    {":/cursors/tofrom.xpm", {16, 16}},
};
constexpr int kCursorSmoll = 3;
constexpr int kCursorKoef = 4;

// Whether some part of the top edge of a window of that width at (left, top) lies on a screen.
bool TopEdgeOnAScreen(int32_t left, int32_t top, int width) {
  const auto screens = QGuiApplication::screens();
  return std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
    const QRect area = screen->geometry();
    const int64_t right = int64_t{left} + std::max(width, 1) - 1;
    return top >= area.top() && top <= area.bottom() && left <= area.right() &&
           right >= area.left();
  });
}

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A Wayland compositor places top-level windows itself and never tells a client where they
// stand: there a window's position is neither applied nor known.
bool WindowPositionKnown() { return !QGuiApplication::platformName().startsWith(u"wayland"); }

// Whether one of the window's enabled commands (its own actions, the menu's included) has the
// key of the event as its shortcut.
bool IsCommandKey(const QMainWindow& window, const QKeyEvent& key) {
  const QKeySequence pressed(key.keyCombination());
  const QList<QAction*> actions = window.findChildren<QAction*>();
  return std::any_of(actions.begin(), actions.end(), [&](const QAction* action) {
    return action->isEnabled() && action->shortcuts().contains(pressed);
  });
}

}  // namespace

TMainForm::TMainForm(const QString& startFolder, Dependencies dependencies, QWidget* parent)
    : QMainWindow(parent),
      renderer_(dependencies.renderer ? std::move(dependencies.renderer)
                                 : std::make_unique<zirvanta::PlainRenderer>()),
      livePicture_(zirvanta::kLiveWidth, zirvanta::kLiveHeight, kPictureBackground),
      generalPicture_(zirvanta::kGeneralWidth, zirvanta::kGeneralHeight, kPictureBackground) {
  // The window and its controls; the factor sliders stand at 402 and 339.
  BuildControls();

  const QString start = QDir(startFolder).absolutePath();
  shared_.StartFolder = LocalPath(start);

  // settings.dat: live values corrected (palette type 1..8, slide order 0 or 1), the start-up
  // copy as read.
  settingsAtStart_ = zirvanta::ReadSettings(shared_.StartFolder);
  const zirvanta::Settings& settings = settingsAtStart_.live;
  shared_.slideDelay = settings.slideDelay;
  shared_.closeAfterExport = settings.closeAfterExport;
  fractal.palette = settings.palette;
  shared_.slideOrder = settings.slideOrder;

  shared_.FractalFolder = LocalPath(start + QStringLiteral("/fractals"));
  shared_.PaletteFolder = LocalPath(start + QStringLiteral("/paletts"));
  // The browsers and the slide show list these folders; a folder that cannot be made is looked
  // for in vain later, which they handle.
  QDir().mkpath(start + QStringLiteral("/fractals"));
  QDir().mkpath(start + QStringLiteral("/paletts"));

  StatusPanel0->setText(QStringLiteral(" ( X,Y ) =   "));

  view.marker = zirvanta::ResetMarker();

  fractal.centreX = 0.0f;
  fractal.centreY = 0.0f;
  view.defaultStep = zirvanta::DefaultPixelStep();
  zirvanta::SetViewWidth(fractal, view, 5.0f);
  view.pixelStep = view.defaultStep;
  view.generalStep = zirvanta::GeneralViewStep();

  fractal.cx = zirvanta::FactorOfPosition(TrackBarCx->value());
  fractal.cy = zirvanta::FactorOfPosition(TrackBarCy->value());
  ShowFactor(E_cx, fractal.cx);
  ShowFactor(E_cy, fractal.cy);

  RegisterCursors();
  GeneralView->setCursor(ScreenCursor(kCursorSmoll));
  Pic->setCursor(ScreenCursor(kCursorKoef));

  // Factor drag at the start-up scale: a drag across the picture spans a slider's range.
  const zirvanta::FactorDragRatios ratios = zirvanta::FactorDragRatiosFor(
      view.pixelStep, view.defaultStep, TrackBarCx->maximum(), TrackBarCy->maximum());
  factorDragKx = ratios.kx;
  factorDragKy = ratios.ky;

  SetPaletteSliders();

  {
    const QSignalBlocker quiet(TypeOfPalette);
    TypeOfPalette->setCurrentIndex(fractal.palette.type - 1);
  }

  BuildPalette();
  DrawPaletteLine();

  fractal.fractalType = zirvanta::kFractalTypeZSquaredPlusC;
  zirvanta::SelectColourer(fractal, zirvanta::kFractalTypeZSquaredPlusC);
  FractalN1->setChecked(true);

  toolMode = ToolMode::FactorDrag;
  shared_.MouseArmed = true;
  applyPaletteAtOnce = true;

  // The controls act from here on; setting them up above changed nothing through them.
  ConnectFactors();
  ConnectPalette();
  ConnectTools();
  ConnectGeneralView();
  ConnectFileCommands();
  ConnectExportCommand();
  ConnectScreenCommands();
  ConnectHelpCommands();

  StartRenderThread(std::move(dependencies.threadLauncher));

  FormCreate();
}

TMainForm::~TMainForm() { FormDestroy(); }

void TMainForm::StartRenderThread(zirvanta::LiveRenderThread::Launcher launcher) {
  zirvanta::LiveRenderCallbacks callbacks;
  // The thread never touches a widget: it asks the user-interface thread to repaint.
  callbacks.presented = [live = Pic, general = GeneralView](LivePicture which) {
    QWidget* box = which == LivePicture::Live ? static_cast<QWidget*>(live) : general;
    QMetaObject::invokeMethod(box, [box] { box->update(); }, Qt::QueuedConnection);
  };
  // The end of each pass wakes this thread's event loop, in which a sweep may wait for it;
  // waking it is safe from any thread and allocates nothing.
  QAbstractEventDispatcher* const dispatcher = QAbstractEventDispatcher::instance();
  callbacks.idleReached = [dispatcher] {
    if (dispatcher) dispatcher->wakeUp();
  };
  renderThread_ = std::make_unique<zirvanta::LiveRenderThread>(
      *renderer_, zirvanta::LiveRenderSource{fractal, palette, view}, livePicture_,
      generalPicture_, std::move(callbacks));
  renderThreadCreated_ =
      renderThread_->Start(launcher ? launcher : zirvanta::LiveRenderThread::LaunchStdThread);
  if (renderThreadCreated_) return;

  QMessageBox message(QMessageBox::Critical, QStringLiteral("Error:"),
                      QStringLiteral("It was not possible to create a stream \n for calculation "
                                     "of the image."),
                      QMessageBox::Ok, this);
  message.exec();
  terminateRequested_ = true;
  QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TMainForm::FormCreate() {
  adjustSize();
  zirvanta::Settings& live = settingsAtStart_.live;
  const QSize windowSize = frameGeometry().size();
  // A stored position that would leave the window's top edge on no screen (a damaged file, one
  // from a larger desktop) is not taken: the window is centred, and the stored value differs
  // from it, so the file gets the new position at close.
  if (!settingsAtStart_.positionFromFile ||
      !TopEdgeOnAScreen(live.left, live.top, windowSize.width())) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize();
    live.left = zirvanta::TruncToInt32((screenSize.width() - windowSize.width()) * 0.5L);
    live.top = zirvanta::TruncToInt32((screenSize.height() - windowSize.height()) * 0.5L);
    if (!settingsAtStart_.positionFromFile) {
      settingsAtStart_.startupCopy.left = live.left;
      settingsAtStart_.startupCopy.top = live.top;
    }
  }
  move(live.left, live.top);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TMainForm::FormClose() {
  CloseExportDialog();  // its export stops and is waited for; it keeps its settings value
  // A sweep running in the event processing below this call ends at its next step.
  StopAllSweeps();
  CloseScreenWindows();
  // The start folder is held as an absolute path, so no working directory needs restoring.
  zirvanta::WriteSettings(shared_.StartFolder, CurrentSettings(),
                          settingsAtStart_.startupCopy);
}

void TMainForm::FormDestroy() {
  CloseExportDialog();
  // No pass may run while the pictures and the bitmaps go.
  if (renderThread_) renderThread_->Stop();
  if (Pic) Pic->SetSurface(nullptr);
  if (GeneralView) GeneralView->SetSurface(nullptr);
}

zirvanta::Settings TMainForm::CurrentSettings() const {
  zirvanta::Settings current;
  current.slideDelay = shared_.slideDelay;
  current.closeAfterExport = shared_.closeAfterExport;
  // A Wayland compositor never tells where the window stands: it stands for the stored position.
  if (WindowPositionKnown()) {
    current.left = pos().x();
    current.top = pos().y();
  } else {
    current.left = settingsAtStart_.live.left;
    current.top = settingsAtStart_.live.top;
  }
  current.palette = fractal.palette;
  current.slideOrder = shared_.slideOrder;
  return current;
}

bool TMainForm::RenderThreadIdle() const { return renderThread_ && renderThread_->Idle(); }

void TMainForm::WakeRenderThread() {
  if (wakesHeld_) {
    wakeWasAsked_ = true;
    return;
  }
  if (renderThread_) renderThread_->Wake();
}

bool TMainForm::WaitForRenderThreadIdle(int timeoutMs) const {
  return renderThread_ && renderThread_->WaitUntilIdle(std::chrono::milliseconds(timeoutMs));
}

uint64_t TMainForm::RenderPassesCompleted() const {
  return renderThread_ ? renderThread_->PassesCompleted() : 0;
}

void TMainForm::ShowHint(const QString& hint) { StatusPanel1->setText(hint); }

QRect TMainForm::PictureScreenRect() const { return {Pic->mapToGlobal(QPoint(0, 0)), Pic->size()}; }

void TMainForm::SetApplicationTitle(const QString& title) {
  // The task bar shows the main window's title.
  setWindowTitle(title);
}

void TMainForm::FractalTaken(bool paletteTaken) {
  view.pixelStep = zirvanta::PixelStepForWidth(fractal.viewWidth);
  // The sliders show c truncated to their positions; c itself keeps the value taken.
  sliderSyncSuppressed = true;
  TrackBarCx->setValue(zirvanta::TruncClamp<int>(fractal.cx * 1000.0L, TrackBarCx->minimum(),
                                                 TrackBarCx->maximum(), 0));
  TrackBarCy->setValue(zirvanta::TruncClamp<int>(fractal.cy * 1000.0L, TrackBarCy->minimum(),
                                                 TrackBarCy->maximum(), 0));
  sliderSyncSuppressed = false;
  ShowFactor(E_cx, fractal.cx);
  ShowFactor(E_cy, fractal.cy);
  view.marker = zirvanta::UpdateMarker(fractal.centreX, fractal.centreY, view.pixelStep,
                                       view.generalStep);
  if (paletteTaken) PaletteTaken();
}

void TMainForm::PaletteTaken() {
  // The sliders only move: the palette taken is already in fractal.palette.
  const bool atOnce = applyPaletteAtOnce;
  applyPaletteAtOnce = false;
  SetPaletteSliders();
  applyPaletteAtOnce = atOnce;
  BuildPalette();
  DrawPaletteLine();
  const QSignalBlocker quiet(TypeOfPalette);
  TypeOfPalette->setCurrentIndex(fractal.palette.type - 1);
}

void TMainForm::SetPaletteSliders() {
  TrackBarR0->setValue(fractal.palette.r0);
  TrackBarG0->setValue(fractal.palette.g0);
  TrackBarB0->setValue(fractal.palette.b0);
  TrackBarR1->setValue(fractal.palette.r1);
  TrackBarG1->setValue(fractal.palette.g1);
  TrackBarB1->setValue(fractal.palette.b1);
}

void TMainForm::BuildPalette() { zirvanta::BuildPalette(fractal.palette, palette); }

void TMainForm::DrawPaletteLine() {
  // The strip's size is taken from the control the first time and kept.
  QImage& strip = PaletteLine->Canvas();
  const int width = strip.width();
  for (int column = 0; column < width; ++column) {
    const zirvanta::PaletteEntry& entry = palette[zirvanta::PaletteLineIndex(column, width)];
    const QRgb colour = qRgb(entry.red, entry.green, entry.blue);
    // A vertical line from (column, 0) to (column, height), the end point excluded.
    for (int row = 0; row < strip.height(); ++row) {
      reinterpret_cast<QRgb*>(strip.scanLine(row))[column] = colour;
    }
  }
  PaletteLine->update();
}

void TMainForm::CloseAppExecute() { close(); }

void TMainForm::FractalN1Execute() {
  if (!RenderThreadIdle()) return;
  FractalN1->setChecked(true);
  fractal.fractalType = zirvanta::kFractalTypeZSquaredPlusC;
  zirvanta::SetDefaultView(fractal, view);
  zirvanta::SelectColourer(fractal, zirvanta::kFractalTypeZSquaredPlusC);
  WakeRenderThread();
}

void TMainForm::RegisterCursors() {
  for (int number = 1; number <= 6; ++number) {
    cursors_[number] = QCursor(QPixmap(QString::fromLatin1(kCursors[number].path)),
                               kCursors[number].hotSpot.x(), kCursors[number].hotSpot.y());
  }
}

const QCursor& TMainForm::ScreenCursor(int number) const {
  return cursors_[std::clamp(number, 0, 6)];
}

void TMainForm::ShowFactor(QLineEdit* edit, double value) {
  const QByteArray separator = QLocale().decimalPoint().toUtf8();
  edit->setText(QString::fromStdString(zirvanta::FactorText(value, separator.toStdString())));
}

bool TMainForm::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    StatusPanel1->setText(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  const bool ownWidget =
      watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this;
  // Hints go to the status bar only: no control of this window shows a tooltip.
  if (event->type() == QEvent::ToolTip && ownWidget) return true;
  // A command's key runs the command and goes no further: a control of this window may not
  // claim it for itself (Home in a read-only box, Delete, the arrows), which it would do by
  // accepting the override event that precedes every shortcut.
  if (event->type() == QEvent::ShortcutOverride && ownWidget &&
      IsCommandKey(*this, *static_cast<QKeyEvent*>(event))) {
    event->ignore();
    return true;
  }
  // The window sees keys before its controls do, while it is the active window.
  if (event->type() == QEvent::KeyPress && ownWidget && isActiveWindow() &&
      FormKeyDown(*static_cast<QKeyEvent*>(event))) {
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}
