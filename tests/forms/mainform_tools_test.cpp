// The mouse tools on the live picture, + and -, Home and the coordinates in the status bar,
// driven with the mouse and the keyboard through the window.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include "controls/picture_box.h"
#include "controls/tiny_button.h"
#include "engine/view_steering.h"
#include "steering_test_support.h"

using namespace steering_test;
using form_test::DifferingPixels;
using Mode = TMainForm::ToolMode;

namespace {

const char* const kFactorHint =
    " Changes factors at moving under the image with the pressed key of the mouse";

zirvanta::MarkerState MarkerFor(const TMainForm& form) {
  return zirvanta::UpdateMarker(form.fractal.centreX, form.fractal.centreY, form.view.pixelStep,
                                form.view.generalStep);
}

float Zoomed(float width, zirvanta::ZoomStep step) {
  zirvanta::FractalState state;
  zirvanta::ViewValues view;
  zirvanta::SetViewWidth(state, view, width);
  zirvanta::ZoomAboutCentre(state, view, step);
  return state.viewWidth;
}

}  // namespace

class MainFormToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void buttonsAndKeysChooseTheTools();
  void coordinatesFollowTheMouse();
  void zoomToolCentresThenScales();
  void centringAndHandTools();
  void dragZoomRefusesAWidthOfZeroOrLess();
  void factorDragMovesTheSliders();
  void plusMinusAndHome();
  void nothingActsDuringAPass();
  void theFirstPressAfterABrowserOnlyReArms();
};

void MainFormToolsTest::buttonsAndKeysChooseTheTools() {
  Window w;
  QVERIFY(w.Idle());
  const struct {
    QToolButton* button;
    Qt::Key key;
    Mode mode;
    int cursor;
    const char* hint;
  } tools[] = {
      {w->Lupa, Qt::Key_L, Mode::Zoom, 1,
       " Pressing of the left key of the mouse increases the image with a centering, right - "
       "reduces"},
      {w->Center, Qt::Key_C, Mode::Centring, 2,
       " Pressing of a key of the mouse centres the image concerning the chosen point"},
      {w->Hand, Qt::Key_H, Mode::Hand, 5, " Moves the image at the pressed key of the mouse"},
      {w->To_From, Qt::Key_A, Mode::DragZoom, 6,
       " Increases - reduces the image at moving with the pressed key of the mouse"},
      {w->Koef, Qt::Key_K, Mode::FactorDrag, 4, kFactorHint},
  };
  auto expectTool = [&](Mode mode, int cursor, const char* hint) {
    QCOMPARE(w->toolMode, mode);
    QCOMPARE(w->Pic->cursor().hotSpot(), TMainForm::CursorHotSpot(cursor));
    QCOMPARE(w->Pic->cursor().pixmap().toImage(), w->ScreenCursor(cursor).pixmap().toImage());
    QCOMPARE(w->Pic->statusTip(), QLatin1String(hint));
  };
  for (const auto& tool : tools) {
    Click(tool.button);
    expectTool(tool.mode, tool.cursor, tool.hint);
  }
  // The keys work with the focus on any control; the control does not see them.
  for (const auto& tool : tools) {
    Key(w->TrackBarR0, tool.key);
    expectTool(tool.mode, tool.cursor, tool.hint);
  }
  QCOMPARE(w->TrackBarR0->value(), 36);
  Key(w->E_cx, Qt::Key_A);
  QCOMPARE(w->toolMode, Mode::DragZoom);
  Key(w->TypeOfPalette, Qt::Key_C);
  QCOMPARE(w->toolMode, Mode::Centring);
  QCOMPARE(w->TypeOfPalette->currentIndex(), 0);

  // Over the resting mouse the picture's hint changes with the tool.
  MoveTo(w->Pic, {100, 100});
  QCOMPARE(w->StatusPanel1->text(),
           QStringLiteral(" Pressing of a key of the mouse centres the image concerning the chosen point"));
  Key(w->TrackBarCx, Qt::Key_K);
  QCOMPARE(w->StatusPanel1->text(), QLatin1String(kFactorHint));
  MoveTo(w->Koef, {16, 16});
  QCOMPARE(w->StatusPanel1->text(),
           QStringLiteral(" Changes factors at moving under the image with the pressed key of the mouse (K)"));
  QVERIFY(w.Idle());
}

void MainFormToolsTest::coordinatesFollowTheMouse() {
  Window w;
  QVERIFY(w.Idle());
  MoveTo(w->Pic, {265, 204});
  QCOMPARE(w->StatusPanel0->text(), Coordinates("0", "0"));
  MoveTo(w->Pic, {0, 0});
  QCOMPARE(w->StatusPanel0->text(), Coordinates("-2.5", "1.92"));
  MoveTo(w->Pic, {529, 408});
  QCOMPARE(w->StatusPanel0->text(), Coordinates("2.49", "-1.92"));
  QCOMPARE(w->StatusPanel1->text(), QLatin1String(kFactorHint));
  {
    const LocaleScope german{QLocale(QLocale::German, QLocale::Germany)};
    MoveTo(w->GeneralView, {0, 0});
    QCOMPARE(w->StatusPanel0->text(), Coordinates("-2,47", "1,98"));
  }
  // The same point shows the same numbers on both views.
  MoveTo(w->GeneralView, {40, 32});
  QCOMPARE(w->StatusPanel0->text(), Coordinates("0", "0"));

  // Also while a pass runs; zoomed far in, small numbers get an exponent.
  w->fractal.centreX = 0.00001f;
  w->fractal.centreY = -1234.5f;
  zirvanta::SetViewWidth(w->fractal, w->view, 0.00000053f);
  QVERIFY(w.HoldAPass([&] { w->WakeRenderThread(); }));
  MoveTo(w->Pic, {265, 204});
  QCOMPARE(w->StatusPanel0->text(), Coordinates("1E-5", "-1.23E3"));
  QVERIFY(w.Release());

  // From the picture onto the status bar: the coordinates stay, the hint goes.
  MoveTo(w->StatusBar1, {300, 10});
  QCOMPARE(w->StatusPanel0->text(), Coordinates("1E-5", "-1.23E3"));
  QCOMPARE(w->StatusPanel1->text(), QString());
}

void MainFormToolsTest::zoomToolCentresThenScales() {
  Window w(Pictures::Plain);
  QVERIFY(w.Idle());
  Key(w->TrackBarCx, Qt::Key_L);
  ClickAt(w->Pic, {265, 204});
  QCOMPARE(w->fractal.centreX, 0.0f);
  QCOMPARE(w->fractal.centreY, 0.0f);
  QCOMPARE(w->fractal.viewWidth, 3.5f);
  QCOMPARE(w->view.pixelStep, zirvanta::PixelStepForWidth(3.5f));
  QVERIFY(w->view.marker == MarkerFor(*w));
  QVERIFY(w.Idle());
  QCOMPARE(DifferingPixels(w->Pic->Picture(), ExpectedLive(*w)), 0);
  QCOMPARE(DifferingPixels(w->GeneralView->Picture(), ExpectedGeneral(*w)), 0);

  // At (0, 0) the centre moves by (-265 s, 204 s) with the step before the zoom.
  const long double s = w->view.pixelStep;
  ClickAt(w->Pic, {0, 0});
  QCOMPARE(w->fractal.centreX, static_cast<float>(-265 * s));
  QCOMPARE(w->fractal.centreY, static_cast<float>(204 * s));
  QCOMPARE(w->fractal.viewWidth, Zoomed(3.5f, zirvanta::ZoomStep::In));
  QVERIFY(w.Idle());

  const float width = w->fractal.viewWidth;
  ClickAt(w->Pic, {265, 204}, Qt::RightButton);
  QCOMPARE(w->fractal.viewWidth, Zoomed(width, zirvanta::ZoomStep::Out));
  QVERIFY(w.Idle());
  const zirvanta::FractalState before = w->fractal;
  ClickAt(w->Pic, {300, 100}, Qt::MiddleButton);  // only centres
  QCOMPARE(w->fractal.viewWidth, before.viewWidth);
  const zirvanta::PlanePoint expected =
      zirvanta::LiveMouseToPlane(300, 100, before.centreX, before.centreY, w->view.pixelStep);
  QCOMPARE(w->fractal.centreX, static_cast<float>(expected.x));
  QCOMPARE(w->fractal.centreY, static_cast<float>(expected.y));
  QVERIFY(w.Idle());
  QCOMPARE(DifferingPixels(w->Pic->Picture(), ExpectedLive(*w)), 0);
  QCOMPARE(DifferingPixels(w->GeneralView->Picture(), ExpectedGeneral(*w)), 0);
}

void MainFormToolsTest::centringAndHandTools() {
  Window w;
  QVERIFY(w.Idle());
  const long double s = w->view.pixelStep;
  Click(w->Center);
  ClickAt(w->Pic, {300, 250}, Qt::RightButton);
  QCOMPARE(w->fractal.centreX, static_cast<float>(35 * s));
  QCOMPARE(w->fractal.centreY, static_cast<float>(-46 * s));
  QCOMPARE(w->fractal.viewWidth, 5.0f);
  QVERIFY(w->view.marker == MarkerFor(*w));
  QVERIFY(w.Idle());

  Click(w->Hand);
  w->fractal.centreX = 0.0f;
  w->fractal.centreY = 0.0f;
  Press(w->Pic, {100, 100});
  MoveTo(w->Pic, {110, 95});
  QCOMPARE(w->fractal.centreX, static_cast<float>(-10 * s));
  QCOMPARE(w->fractal.centreY, static_cast<float>(-5 * s));
  QVERIFY(w->view.marker == MarkerFor(*w));
  QVERIFY(w.Idle());
  // A move dropped during a pass is covered by the next accepted one.
  QVERIFY(w.HoldAPass([&] { MoveTo(w->Pic, {120, 95}); }));
  MoveTo(w->Pic, {130, 95});
  QVERIFY(w.Release());
  QCOMPARE(w->fractal.centreX, static_cast<float>(static_cast<float>(-10 * s) - 10 * s));
  MoveTo(w->Pic, {140, 95});
  QCOMPARE(w->fractal.centreX,
           static_cast<float>(static_cast<float>(static_cast<float>(-10 * s) - 10 * s) - 20 * s));
  QVERIFY(w.Idle());
  Release(w->Pic, {140, 95});

  // Moves with no button or only the middle one do nothing.
  const float x = w->fractal.centreX;
  MoveTo(w->Pic, {200, 200});
  Press(w->Pic, {200, 200}, Qt::MiddleButton);
  MoveTo(w->Pic, {250, 250});
  Release(w->Pic, {250, 250}, Qt::MiddleButton);
  QCOMPARE(w->fractal.centreX, x);
  // The right button drags as the left does, and the pointer may leave the picture.
  Press(w->Pic, {10, 10}, Qt::RightButton);
  MoveTo(w->Pic, {-90, 10});
  Release(w->Pic, {-90, 10}, Qt::RightButton);
  QCOMPARE(w->fractal.centreX, static_cast<float>(x + 100 * s));
  QVERIFY(w.Idle());
}

void MainFormToolsTest::dragZoomRefusesAWidthOfZeroOrLess() {
  Window w;
  QVERIFY(w.Idle());
  Key(w->TrackBarCx, Qt::Key_A);
  Press(w->Pic, {300, 100});
  MoveTo(w->Pic, {300, 141});
  const float down = static_cast<float>(5.0L - 5.0L * (41 * 0.3L / 409));
  QCOMPARE(w->fractal.viewWidth, down);
  QCOMPARE(w->view.pixelStep, zirvanta::PixelStepForWidth(down));
  QCOMPARE(w->fractal.centreX, 0.0f);
  QVERIFY(w->view.marker == MarkerFor(*w));
  QVERIFY(w.Idle());
  MoveTo(w->Pic, {353, 141});
  const float right = static_cast<float>(down - down * (0.0L - 53.0L / 530));
  QCOMPARE(w->fractal.viewWidth, right);
  QVERIFY(w.Idle());
  Release(w->Pic, {353, 141});

  // One move of 530 pixels to the left would make the width zero: refused, and the drag goes
  // on from where the pointer is.
  Press(w->Pic, {529, 0});
  MoveTo(w->Pic, {-1, 0});
  QCOMPARE(w->fractal.viewWidth, right);
  QVERIFY(std::isnormal(w->view.pixelStep));
  QVERIFY(w.Idle());
  MoveTo(w->Pic, {-700, 0});
  QCOMPARE(w->fractal.viewWidth, right);
  QVERIFY(w.Idle());
  MoveTo(w->Pic, {-647, 0});
  QCOMPARE(w->fractal.viewWidth, static_cast<float>(right + right * (53.0L / 530)));
  Release(w->Pic, {-647, 0});
  QVERIFY(w.Idle());
}

void MainFormToolsTest::factorDragMovesTheSliders() {
  Window w;
  QVERIFY(w.Idle());
  w->TrackBarCx->setValue(0);
  QVERIFY(w.Idle());
  QCOMPARE(w->toolMode, Mode::FactorDrag);
  Press(w->Pic, {100, 200});
  QCOMPARE(w->factorDragKx, 7.5471697f);
  MoveTo(w->Pic, {153, 200});
  QCOMPARE(w->TrackBarCx->value(), 399);  // 53 x 7.5471697 = 399.99999
  QCOMPARE(w->fractal.cx, zirvanta::FactorOfPosition(399));
  QCOMPARE(w->TrackBarCy->value(), 339);
  QVERIFY(w.Idle());
  MoveTo(w->Pic, {154, 200});
  QCOMPARE(w->TrackBarCx->value(), 407);
  QCOMPARE(w->E_cx->text(), QStringLiteral("0.407"));
  QVERIFY(w.Idle());
  MoveTo(w->Pic, {600, 200});
  QCOMPARE(w->TrackBarCx->value(), 2000);
  QVERIFY(w.Idle());
  MoveTo(w->Pic, {-200, 200});
  QCOMPARE(w->TrackBarCx->value(), -2000);
  QVERIFY(w.Idle());
  // Dragging up increases Im(c).
  MoveTo(w->Pic, {100, 150});
  QCOMPARE(w->TrackBarCx->value(), 0);
  const int up = zirvanta::FactorDragPosition(339, 50, w->factorDragKy, -2000, 2000);
  QVERIFY(up > 339);
  QCOMPARE(w->TrackBarCy->value(), up);
  QVERIFY(w.Idle());
  Release(w->Pic, {100, 150});
}

void MainFormToolsTest::plusMinusAndHome() {
  Window w;
  QVERIFY(w.Idle());
  QVERIFY(w->isActiveWindow());
  float expected = 5.0f;
  auto zoomIn = [&] { expected = Zoomed(expected, zirvanta::ZoomStep::In); };
  auto zoomOut = [&] { expected = Zoomed(expected, zirvanta::ZoomStep::Out); };
  Click(w->LupaPlus);
  zoomIn();
  QCOMPARE(w->fractal.viewWidth, 3.5f);
  QVERIFY(w->view.marker == MarkerFor(*w));
  QVERIFY(w.Idle());
  // Keypad +, the =/+ key with and without shift, then the - keys; the slider with the focus
  // does not move.
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool in;
  } keys[] = {{Qt::Key_Plus, Qt::KeypadModifier, true},  {Qt::Key_Equal, Qt::NoModifier, true},
              {Qt::Key_Plus, Qt::ShiftModifier, true},   {Qt::Key_Minus, Qt::NoModifier, false},
              {Qt::Key_Underscore, Qt::ShiftModifier, false},
              {Qt::Key_Minus, Qt::KeypadModifier, false}};
  for (const auto& [key, modifiers, in] : keys) {
    Key(w->TrackBarCx, key, modifiers);
    in ? zoomIn() : zoomOut();
    QCOMPARE(w->fractal.viewWidth, expected);
    QVERIFY(w.Idle());
  }
  Click(w->LupaMinus);
  zoomOut();
  QCOMPARE(w->fractal.viewWidth, expected);
  QCOMPARE(w->TrackBarCx->value(), 402);
  QVERIFY(w.Idle());

  // Home, with the focus on a slider that would otherwise jump to its minimum.
  Key(w->TrackBarCx, Qt::Key_H);
  Click(w->LupaPlus);
  QVERIFY(w.Idle());
  Press(w->Pic, {10, 10});
  MoveTo(w->Pic, {60, 60});
  Release(w->Pic, {60, 60});
  QVERIFY(w->fractal.centreX != 0.0f);
  QVERIFY(w.Idle());
  Key(w->TrackBarCx, Qt::Key_Home);
  QCOMPARE(w->TrackBarCx->value(), 402);
  QCOMPARE(w->fractal.viewWidth, 5.0f);
  QCOMPARE(w->view.pixelStep, w->view.defaultStep);
  QCOMPARE(w->fractal.centreX, 0.0f);
  QCOMPARE(w->fractal.centreY, 0.0f);
  QVERIFY(w->view.marker == zirvanta::ResetMarker());
  QCOMPARE(w->toolMode, Mode::Hand);
  QCOMPARE(w->fractal.cx, zirvanta::FactorOfPosition(402));
  QVERIFY(w.Idle());
  Click(w->LupaPlus);
  QVERIFY(w.Idle());
  Click(w->DefButton);
  QCOMPARE(w->fractal.viewWidth, 5.0f);
  QVERIFY(w.Idle());
}

void MainFormToolsTest::nothingActsDuringAPass() {
  Window w;
  QVERIFY(w.Idle());
  Click(w->Lupa);
  ClickAt(w->Pic, {200, 300});
  QVERIFY(w.Idle());
  const zirvanta::FractalState state = w->fractal;
  const zirvanta::ViewValues view = w->view;
  QVERIFY(w.HoldAPass([&] { Click(w->PlusCy); }));
  const uint64_t passes = w->RenderPassesCompleted();

  for (Qt::Key key : {Qt::Key_K, Qt::Key_C, Qt::Key_H, Qt::Key_A, Qt::Key_Home, Qt::Key_Plus,
                      Qt::Key_Minus, Qt::Key_Equal}) {
    Key(w->TrackBarR0, key);
  }
  for (QToolButton* button : {w->Koef, w->Hand, w->LupaPlus, w->LupaMinus, w->DefButton}) {
    Click(button);
  }
  ClickAt(w->Pic, {10, 10});
  ClickAt(w->Pic, {10, 10}, Qt::RightButton);
  ClickAt(w->GeneralView, {5, 5});
  QCOMPARE(w->toolMode, Mode::Zoom);
  QCOMPARE(w->Pic->statusTip(),
           QStringLiteral(" Pressing of the left key of the mouse increases the image with a centering, right - reduces"));
  QCOMPARE(w->fractal.viewWidth, state.viewWidth);
  QCOMPARE(w->fractal.centreX, state.centreX);
  QCOMPARE(w->fractal.centreY, state.centreY);
  QVERIFY(w->view.marker == view.marker);
  QCOMPARE(w->view.pixelStep, view.pixelStep);
  QVERIFY(w->MouseArmed);
  // Only the coordinates follow the mouse.
  MoveTo(w->Pic, {265, 204});
  QCOMPARE(w->StatusPanel0->text(), Coordinates("-0.613", "-0.906"));

  QVERIFY(w.Release());
  QCOMPARE(w->RenderPassesCompleted(), passes + 1);  // the held pass; nothing was queued
}

void MainFormToolsTest::theFirstPressAfterABrowserOnlyReArms() {
  Window w;
  QVERIFY(w.Idle());
  Click(w->Lupa);
  w->MouseArmed = false;
  ClickAt(w->Pic, {265, 204});
  QVERIFY(w->MouseArmed);
  QCOMPARE(w->fractal.viewWidth, 5.0f);
  ClickAt(w->Pic, {265, 204});
  QCOMPARE(w->fractal.viewWidth, 3.5f);
  QVERIFY(w.Idle());

  // A move over the picture re-arms too, and does nothing else.
  Click(w->Hand);
  Press(w->Pic, {100, 100});
  w->MouseArmed = false;
  MoveTo(w->Pic, {150, 100});
  QVERIFY(w->MouseArmed);
  QCOMPARE(w->fractal.centreX, 0.0f);
  Release(w->Pic, {150, 100});

  // The test of the thread comes first: a press during a pass leaves the flag cleared.
  w->MouseArmed = false;
  QVERIFY(w.HoldAPass([&] { Click(w->PlusCx); }));
  ClickAt(w->Pic, {10, 10});
  MoveTo(w->Pic, {20, 10});
  QVERIFY(!w->MouseArmed);
  QVERIFY(w.Release());
}

QTEST_MAIN(MainFormToolsTest)
#include "mainform_tools_test.moc"
