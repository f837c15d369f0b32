// The mouse tools on the live picture, + and -, Home, the window's own keys and the
// coordinates in the status bar.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QSlider>
#include <QStatusTipEvent>
#include <QToolButton>

#include "U_mainform.h"
#include "controls/picture_box.h"
#include "engine/number_text.h"
#include "engine/view_steering.h"

namespace {

struct ToolLook {
  int cursor;  // number in the cursor table
  const char* hint;
};

ToolLook LookOf(TMainForm::ToolMode mode) {
  using Mode = TMainForm::ToolMode;
  switch (mode) {
    case Mode::FactorDrag:
      return {4, " Changes factors at moving under the image with the pressed key of the mouse"};
    case Mode::Zoom:
      return {1, " Pressing of the left key of the mouse increases the image with a centering, "
                 "right - reduces"};
    case Mode::Centring:
      return {2, " Pressing of a key of the mouse centres the image concerning the chosen point"};
    case Mode::Hand:
      return {5, " Moves the image at the pressed key of the mouse"};
    case Mode::DragZoom:
      return {6, " Increases - reduces the image at moving with the pressed key of the mouse"};
  }
  return {4, ""};
}

constexpr Qt::MouseButtons kDragButtons = Qt::LeftButton | Qt::RightButton;

}  // namespace

void TMainForm::ConnectTools() {
  // Shortcuts of these actions work whenever this window is enabled, also while another
  // window of the program is the active one; a modal window disables this one.
  auto action = [this](const char* name, QKeySequence key, void (TMainForm::*handler)()) {
    auto* command = new QAction(this);
    command->setObjectName(QLatin1String(name));
    command->setShortcut(key);
    command->setShortcutContext(Qt::ApplicationShortcut);
    addAction(command);
    connect(command, &QAction::triggered, this, handler);
    return command;
  };
  KoefScr = action("KoefScr", QKeySequence(Qt::Key_K), &TMainForm::KoefScrExecute);
  Zoom = action("Zoom", QKeySequence(Qt::Key_L), &TMainForm::ZoomExecute);
  ToCur = action("ToCur", QKeySequence(Qt::Key_C), &TMainForm::ToCurExecute);
  HandTool = action("HandTool", QKeySequence(Qt::Key_H), &TMainForm::HandToolExecute);
  FromTo = action("FromTo", QKeySequence(Qt::Key_A), &TMainForm::FromToExecute);
  DefaultPar = action("DefaultPar", QKeySequence(Qt::Key_Home), &TMainForm::DefaultParExecute);

  // The buttons keep their own hints; they run their actions.
  connect(Koef, &QToolButton::clicked, KoefScr, &QAction::trigger);
  connect(Lupa, &QToolButton::clicked, Zoom, &QAction::trigger);
  connect(Center, &QToolButton::clicked, ToCur, &QAction::trigger);
  connect(Hand, &QToolButton::clicked, HandTool, &QAction::trigger);
  connect(To_From, &QToolButton::clicked, FromTo, &QAction::trigger);
  connect(DefButton, &QToolButton::clicked, DefaultPar, &QAction::trigger);
  connect(LupaPlus, &QToolButton::clicked, this, &TMainForm::LupaPlusClick);
  connect(LupaMinus, &QToolButton::clicked, this, &TMainForm::LupaMinusClick);

  connect(Pic, &TPictureBox::MouseDown, this, &TMainForm::PicMouseDown);
  connect(Pic, &TPictureBox::MouseMove, this, &TMainForm::PicMouseMove);
  connect(Pic, &TPictureBox::MouseUp, this, &TMainForm::PicMouseUp);
}

void TMainForm::ChooseTool(ToolMode mode) {
  if (!RenderThreadIdle()) return;
  toolMode = mode;
  const ToolLook look = LookOf(mode);
  const QString hint = QString::fromLatin1(look.hint);
  Pic->setCursor(ScreenCursor(look.cursor));
  Pic->setStatusTip(hint);
  // The hint under a resting mouse changes with the tool.
  if (Pic->underMouse()) {
    QStatusTipEvent tip(hint);
    QCoreApplication::sendEvent(Pic, &tip);
  }
}

void TMainForm::KoefScrExecute() { ChooseTool(ToolMode::FactorDrag); }
void TMainForm::ZoomExecute() { ChooseTool(ToolMode::Zoom); }
void TMainForm::ToCurExecute() { ChooseTool(ToolMode::Centring); }
void TMainForm::HandToolExecute() { ChooseTool(ToolMode::Hand); }
void TMainForm::FromToExecute() { ChooseTool(ToolMode::DragZoom); }

void TMainForm::ApplyView() {
  view.marker = zirvanta::UpdateMarker(fractal.centreX, fractal.centreY, view.pixelStep,
                                       view.generalStep);
  WakeRenderThread();
}

void TMainForm::DefaultParExecute() {
  if (!RenderThreadIdle()) return;
  zirvanta::SetDefaultView(fractal, view);  // also hides the marker
  WakeRenderThread();
}

void TMainForm::LupaPlusClick() {
  if (!RenderThreadIdle()) return;
  zirvanta::ZoomAboutCentre(fractal, view, zirvanta::ZoomStep::In);
  ApplyView();
}

void TMainForm::LupaMinusClick() {
  if (!RenderThreadIdle()) return;
  zirvanta::ZoomAboutCentre(fractal, view, zirvanta::ZoomStep::Out);
  ApplyView();
}

void TMainForm::ShowCoordinates(long double x, long double y) {
  const std::string separator = QLocale().decimalPoint().toStdString();
  StatusPanel0->setText(QStringLiteral(" ( X,Y ) =   ") +
                        QString::fromStdString(zirvanta::CoordinateText(x, separator)) +
                        QStringLiteral("   ") +
                        QString::fromStdString(zirvanta::CoordinateText(y, separator)));
}

void TMainForm::PicMouseDown(Qt::MouseButton button, Qt::MouseButtons, int x, int y) {
  if (!RenderThreadIdle()) return;
  // The first press after a browser closed on a double click only re-arms.
  if (!shared_.MouseArmed) {
    shared_.MouseArmed = true;
    return;
  }
  switch (toolMode) {
    case ToolMode::FactorDrag: {
      pressX_ = x;
      pressY_ = y;
      pressPositionX_ = TrackBarCx->value();
      pressPositionY_ = TrackBarCy->value();
      const zirvanta::FactorDragRatios ratios = zirvanta::FactorDragRatiosFor(
          view.pixelStep, view.defaultStep, TrackBarCx->maximum(), TrackBarCy->maximum());
      factorDragKx = ratios.kx;
      factorDragKy = ratios.ky;
      break;
    }
    case ToolMode::Zoom: {
      const zirvanta::ZoomStep step = button == Qt::LeftButton    ? zirvanta::ZoomStep::In
                                      : button == Qt::RightButton ? zirvanta::ZoomStep::Out
                                                                  : zirvanta::ZoomStep::Keep;
      zirvanta::ZoomOnLivePixel(fractal, view, x, y, step);
      ApplyView();
      break;
    }
    case ToolMode::Centring:
      zirvanta::CentreOnLivePixel(fractal, view, x, y);
      ApplyView();
      break;
    case ToolMode::Hand:
    case ToolMode::DragZoom:
      lastX_ = x;
      lastY_ = y;
      break;
  }
}

void TMainForm::PicMouseMove(Qt::MouseButtons buttons, int x, int y) {
  const zirvanta::PlanePoint point =
      zirvanta::LiveMouseToPlane(x, y, fractal.centreX, fractal.centreY, view.pixelStep);
  ShowCoordinates(point.x, point.y);
  if (!RenderThreadIdle()) return;
  if (!shared_.MouseArmed) {
    shared_.MouseArmed = true;
    return;
  }
  if (!(buttons & kDragButtons)) return;
  switch (toolMode) {
    case ToolMode::FactorDrag:
      SetFactorSlidersTogether(
          zirvanta::FactorDragPosition(pressPositionX_, x - pressX_, factorDragKx,
                                       TrackBarCx->minimum(), TrackBarCx->maximum()),
          zirvanta::FactorDragPosition(pressPositionY_, pressY_ - y, factorDragKy,
                                       TrackBarCy->minimum(), TrackBarCy->maximum()));
      break;
    case ToolMode::Hand:
      zirvanta::PanLiveView(fractal, view, lastX_, lastY_, x, y);
      lastX_ = x;
      lastY_ = y;
      ApplyView();
      break;
    case ToolMode::DragZoom:
      // A width the view cannot take is refused; the drag goes on from this point.
      zirvanta::DragZoomLiveView(fractal, view, lastX_, lastY_, x, y);
      lastX_ = x;
      lastY_ = y;
      ApplyView();
      break;
    case ToolMode::Zoom:
    case ToolMode::Centring:
      break;
  }
}

void TMainForm::SetFactorSlidersTogether(int positionX, int positionY) {
  // The thread stays asleep until the end: each change event finds it idle and writes its part.
  wakesHeld_ = true;
  TrackBarCx->setValue(positionX);
  TrackBarCy->setValue(positionY);
  wakesHeld_ = false;
  if (wakeWasAsked_) {
    wakeWasAsked_ = false;
    WakeRenderThread();
  }
}

void TMainForm::PicMouseUp(Qt::MouseButton, Qt::MouseButtons, int, int) {}

bool TMainForm::FormKeyDown(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_U:
      ChPaletteClick();
      return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      LupaPlusClick();
      return true;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      LupaMinusClick();
      return true;
    default:
      return false;
  }
}
