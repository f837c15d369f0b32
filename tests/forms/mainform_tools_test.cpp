// The mouse tools on the live picture and on the general view, + and -, Home, the coordinates in
// the status bar and the tool shortcuts, driven with the mouse and the keyboard.
#include <cmath>
#include <tuple>

#include "form_test_support.h"

using namespace form_test;
using Mode = TMainForm::ToolMode;

static zirvanta::MarkerState MarkerFor(const TMainForm& form) {
  return zirvanta::UpdateMarker(form.fractal.centreX, form.fractal.centreY, form.view.pixelStep,
                                form.view.generalStep);
}

static QPointF Centre(const TMainForm& f) { return {f.fractal.centreX, f.fractal.centreY}; }
static QPointF Floats(long double x, long double y) {
  return {static_cast<float>(x), static_cast<float>(y)};
}

static float Zoomed(float width, zirvanta::ZoomStep step) {
  zirvanta::FractalState state;
  zirvanta::ViewValues view;
  zirvanta::SetViewWidth(state, view, width);
  zirvanta::ZoomAboutCentre(state, view, step);
  return state.viewWidth;
}

class MainFormToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QLocale::setDefault(QLocale::c()); }

  void toolsAreChosenByButtonsAndByKeys() {
    Window w;
    const std::tuple<QToolButton*, Qt::Key, Mode> tools[] = {
        {w->Lupa, Qt::Key_L, Mode::Zoom},   {w->Center, Qt::Key_C, Mode::Centring},
        {w->Hand, Qt::Key_H, Mode::Hand},   {w->To_From, Qt::Key_A, Mode::DragZoom},
        {w->Koef, Qt::Key_K, Mode::FactorDrag}};
    for (const bool byKey : {false, true}) {
      for (const auto& [button, key, mode] : tools) {  // each differs from the one before it
        byKey ? Key(w->TrackBarR0, key) : Click(button);
        QCOMPARE(w->toolMode, mode);
      }
    }
  }

  void zoomAndCentringClicks() {
    Window w;
    Key(w->TrackBarCx, Qt::Key_L);
    // At (0, 0) the centre moves by (-265 s, 204 s) with the step before the zoom.
    const long double s = w->view.pixelStep;
    ClickAt(w->Pic, {0, 0});
    QCOMPARE(Centre(*w), Floats(-265 * s, 204 * s));
    QCOMPARE(w->fractal.viewWidth, 3.5f);
    QVERIFY(w->view.marker == MarkerFor(*w));
    QVERIFY(w.Idle() && ShowsPlainPasses(*w));
    const float width = Zoomed(3.5f, zirvanta::ZoomStep::Out);
    ClickAt(w->Pic, {265, 204}, Qt::RightButton);
    QCOMPARE(w->fractal.viewWidth, width);
    QVERIFY(w.Idle());

    // The middle button with the zoom tool, and any button with the centring tool, only centre.
    for (const auto& [tool, button] :
         {std::pair(w->Lupa, Qt::MiddleButton), std::pair(w->Center, Qt::RightButton)}) {
      Click(tool);
      const auto [x, y] = zirvanta::LiveMouseToPlane(300, 100, w->fractal.centreX,
                                                     w->fractal.centreY, w->view.pixelStep);
      ClickAt(w->Pic, {300, 100}, button);
      QCOMPARE(w->fractal.viewWidth, width);
      QCOMPARE(Centre(*w), Floats(x, y));
      QVERIFY(w.Idle());
    }
    QVERIFY(ShowsPlainPasses(*w));
  }

  void handAndDragZoom() {
    Window w;
    const long double s = w->view.pixelStep;
    Key(w->TrackBarCx, Qt::Key_H);
    Press(w->Pic, {100, 100}, Qt::RightButton);
    MoveTo(w->Pic, {110, 95});
    QCOMPARE(Centre(*w), Floats(-10 * s, -5 * s));
    QVERIFY(w->view.marker == MarkerFor(*w));
    QVERIFY(w.Idle());
    // A move dropped during a pass is covered by the next accepted one.
    QVERIFY(w.HoldAPass([&] { MoveTo(w->Pic, {120, 95}); }));
    MoveTo(w->Pic, {130, 95});
    QVERIFY(w.Release());
    MoveTo(w->Pic, {140, 95});
    QCOMPARE(w->fractal.centreX,
             static_cast<float>(static_cast<float>(static_cast<float>(-10 * s) - 10 * s) - 20 * s));
    Release(w->Pic, {140, 95}, Qt::RightButton);
    QVERIFY(w.Idle());

    // A drag zoom to a width of zero or less is refused; the drag goes on from the pointer.
    Key(w->TrackBarCx, Qt::Key_A);
    Press(w->Pic, {529, 0});
    for (const int x : {-1, -700}) {
      MoveTo(w->Pic, {x, 0});
      QCOMPARE(w->fractal.viewWidth, 5.0f);
      QVERIFY(std::isnormal(w->view.pixelStep));
      QVERIFY(w.Idle());
    }
    MoveTo(w->Pic, {-647, 0});
    QCOMPARE(w->fractal.viewWidth, static_cast<float>(5.0L + 5.0L * (53.0L / 530)));
    QCOMPARE(w->view.pixelStep, zirvanta::PixelStepForWidth(w->fractal.viewWidth));
    Release(w->Pic, {-647, 0});
    QVERIFY(w.Idle());
  }

  void factorDragMovesTheSliders() {
    Window w;
    w->TrackBarCx->setValue(0);
    QVERIFY(w.Idle());
    Press(w->Pic, {100, 200});
    // Both sliders of one move reach c: dragging up increases Im(c), right Re(c).
    const struct { QPoint to; int x, y; } moves[] = {
        {{153, 200}, 399, 339},  // 53 x 7.5471697 = 399.99999
        {{154, 200}, 407, 339}, {{600, 200}, 2000, 339}, {{-200, 200}, -2000, 339},
        {{190, 110}, 679, 1219},  // 90 x 7.5471697 and 90 x 9.7799511
        {{10, 290}, -679, -541}};
    for (const auto& [to, x, y] : moves) {
      // The move's pass is held, so no later event can make up for a part the move missed.
      QVERIFY(w.HoldAPass([&] { MoveTo(w->Pic, to); }));
      QCOMPARE(QPoint(w->TrackBarCx->value(), w->TrackBarCy->value()), QPoint(x, y));
      QCOMPARE(w->fractal.cx, zirvanta::FactorOfPosition(x));
      QCOMPARE(w->fractal.cy, zirvanta::FactorOfPosition(y));
      QCOMPARE(w->E_cx->text() + ' ' + w->E_cy->text(),
               QString::number(x / 1000.0) + ' ' + QString::number(y / 1000.0));
      QVERIFY(w.Release() && ShowsPlainPasses(*w));
    }
    Release(w->Pic, {10, 290});
    QVERIFY(w.Idle());
  }

  void plusMinusHomeAndTheFractalTypeCommand() {
    Window w;
    float expected = 5.0f;
    using enum zirvanta::ZoomStep;
    const std::pair<std::function<void()>, zirvanta::ZoomStep> zooms[] = {
        {[&] { Click(w->LupaPlus); }, In}, {[&] { Key(w->TrackBarCx, Qt::Key_Plus); }, In},
        {[&] { Key(w->TrackBarCx, Qt::Key_Equal); }, In},
        {[&] { Key(w->TrackBarCx, Qt::Key_Minus); }, Out},
        {[&] { Key(w->TrackBarCx, Qt::Key_Underscore, Qt::ShiftModifier); }, Out},
        {[&] { Click(w->LupaMinus); }, Out}};
    for (const auto& [zoom, step] : zooms) {
      zoom();
      expected = Zoomed(expected, step);
      QCOMPARE(w->fractal.viewWidth, expected);
      QVERIFY(w->view.marker == MarkerFor(*w));
      QVERIFY(w.Idle());
    }
    QCOMPARE(w->TrackBarCx->value(), 402);  // the slider with the focus did not see the keys

    // Home, with the focus on a slider that would otherwise jump to its minimum or on a
    // read-only box that would take it for its cursor, and the fractal type command: the default
    // view, c kept. The boxes let the tool keys through as well.
    for (const std::function<void()>& reset : std::initializer_list<std::function<void()>>{
             [&] { Key(w->TrackBarCx, Qt::Key_Home); }, [&] { Key(w->E_cx, Qt::Key_Home); },
             [&] { Key(w->E_cy, Qt::Key_Home); }, [&] { w->FractalN1->trigger(); }}) {
      Key(w->E_cy, Qt::Key_C);
      ClickAt(w->Pic, {10, 10});
      QVERIFY(w.Idle());
      reset();
      QVERIFY(w->TrackBarCx->value() == 402 && w->fractal.cx == zirvanta::FactorOfPosition(402));
      QVERIFY(w->fractal.viewWidth == 5.0f && w->view.pixelStep == w->view.defaultStep);
      QCOMPARE(Centre(*w), QPointF(0, 0));
      QVERIFY(w->view.marker == zirvanta::ResetMarker());
      QVERIFY(w.Idle());
    }
  }

  void generalViewCentresTheLiveViewAndShowsCoordinates() {
    Window w;
    MoveTo(w->Pic, {0, 0});
    QCOMPARE(w->StatusPanel0->text(), QStringLiteral(" ( X,Y ) =   -2.5   1.92"));
    ClickAt(w->GeneralView, {0, 0});
    QCOMPARE(Centre(*w), QPointF(-2.4691358f, 1.9753087f));  // -40 and 32 general steps
    QCOMPARE(w->fractal.viewWidth, 5.0f);
    QVERIFY(w.Idle() && ShowsPlainPasses(*w));
    ClickAt(w->GeneralView, {40, 32}, Qt::MiddleButton);  // any button centres
    QCOMPARE(Centre(*w), QPointF(0.0f, 0.0f));
    QVERIFY(w.Idle());

    // Drags with the left or right button follow the pointer; with the middle one they do not.
    const float g = zirvanta::GeneralViewStep();
    for (const auto& [button, offset] : {std::pair(Qt::LeftButton, -10.0L),
         std::pair(Qt::RightButton, -10.0L), std::pair(Qt::MiddleButton, -20.0L)}) {
      Press(w->GeneralView, {20, 20}, button);
      QVERIFY(w.Idle());
      MoveTo(w->GeneralView, {30, 40});
      QCOMPARE(w->fractal.centreX, static_cast<float>(offset * g));
      QVERIFY(w->view.marker == MarkerFor(*w));
      Release(w->GeneralView, {30, 40}, button);
      QVERIFY(w.Idle());
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    MoveTo(w->GeneralView, {0, 0});
    QCOMPARE(w->StatusPanel0->text(), QStringLiteral(" ( X,Y ) =   -2,47   1,98"));
  }
};

QTEST_MAIN(MainFormToolsTest)
#include "mainform_tools_test.moc"
