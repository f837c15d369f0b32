// The general view: presses and drags centre the live view on the overview's point, moves show
// the overview's coordinates, and the mouse-armed flag is shared with the picture.
#include <QLabel>
#include <QToolButton>
#include <QtTest>

#include "controls/picture_box.h"
#include "controls/tiny_button.h"
#include "engine/view_steering.h"
#include "steering_test_support.h"

using namespace steering_test;
using form_test::DifferingPixels;

class MainFormGeneralViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void pressesCentreTheLiveViewWhateverTheZoom();
  void dragsFollowThePointerWithTheLeftOrRightButton();
  void aPressAfterABrowserOnlyReArmsAndMovesNever();
};

void MainFormGeneralViewTest::pressesCentreTheLiveViewWhateverTheZoom() {
  Window w(Pictures::Plain);
  QVERIFY(w.Idle());
  for (int i = 0; i < 9; ++i) {
    Click(w->LupaPlus);
    QVERIFY(w.Idle());
  }
  const float width = w->fractal.viewWidth;
  QVERIFY(w->view.pixelStep <= 0.0004f);  // the marker is a cross now

  ClickAt(w->GeneralView, {0, 0});
  QCOMPARE(w->fractal.centreX, static_cast<float>(-40.0L * zirvanta::GeneralViewStep()));
  QCOMPARE(w->fractal.centreY, static_cast<float>(32.0L * zirvanta::GeneralViewStep()));
  QCOMPARE(w->fractal.centreX, -2.4691358f);
  QCOMPARE(w->fractal.centreY, 1.9753087f);
  QCOMPARE(w->fractal.viewWidth, width);
  QVERIFY(w.Idle());
  QCOMPARE(DifferingPixels(w->Pic->Picture(), ExpectedLive(*w)), 0);
  QCOMPARE(DifferingPixels(w->GeneralView->Picture(), ExpectedGeneral(*w)), 0);

  ClickAt(w->GeneralView, {40, 32}, Qt::MiddleButton);  // any button centres
  QCOMPARE(w->fractal.centreX, 0.0f);
  QCOMPARE(w->fractal.centreY, 0.0f);
  QCOMPARE(w->view.marker.mode, zirvanta::MarkerState::Mode::Cross);
  QCOMPARE(w->view.marker.crossX, 40);
  QCOMPARE(w->view.marker.crossY, 32);
  QVERIFY(w.Idle());
  QCOMPARE(DifferingPixels(w->GeneralView->Picture(), ExpectedGeneral(*w)), 0);

  MoveTo(w->GeneralView, {0, 0});
  QCOMPARE(w->StatusPanel0->text(), Coordinates("-2.47", "1.98"));
  QCOMPARE(w->StatusPanel1->text(),
           QStringLiteral(" Pressing of a key of the mouse centres the image concerning the chosen point"));
}

void MainFormGeneralViewTest::dragsFollowThePointerWithTheLeftOrRightButton() {
  Window w;
  QVERIFY(w.Idle());
  const float g = zirvanta::GeneralViewStep();
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    Press(w->GeneralView, {20, 20}, button);
    QVERIFY(w.Idle());
    MoveTo(w->GeneralView, {30, 40});
    QCOMPARE(w->fractal.centreX, static_cast<float>(-10.0L * g));
    QCOMPARE(w->fractal.centreY, static_cast<float>(-8.0L * g));
    QVERIFY(w->view.marker == zirvanta::UpdateMarker(w->fractal.centreX, w->fractal.centreY,
                                                     w->view.pixelStep, g));
    QVERIFY(w.Idle());
    // A move dropped during a pass is simply lost; the next one sets the centre absolutely.
    QVERIFY(w.HoldAPass([&] { MoveTo(w->GeneralView, {50, 10}); }));
    MoveTo(w->GeneralView, {60, 10});
    QCOMPARE(w->fractal.centreX, static_cast<float>(10.0L * g));
    QVERIFY(w.Release());
    Release(w->GeneralView, {60, 10}, button);
    QCOMPARE(w->fractal.viewWidth, 5.0f);
  }
  // After a middle press, a drag with only the middle button does nothing.
  Press(w->GeneralView, {40, 32}, Qt::MiddleButton);
  QCOMPARE(w->fractal.centreX, 0.0f);
  QVERIFY(w.Idle());
  MoveTo(w->GeneralView, {70, 60});
  Release(w->GeneralView, {70, 60}, Qt::MiddleButton);
  QCOMPARE(w->fractal.centreX, 0.0f);
  QCOMPARE(w->fractal.centreY, 0.0f);
  QVERIFY(w.Idle());
}

void MainFormGeneralViewTest::aPressAfterABrowserOnlyReArmsAndMovesNever() {
  Window w;
  QVERIFY(w.Idle());
  w->MouseArmed = false;
  MoveTo(w->GeneralView, {10, 10});
  QVERIFY(!w->MouseArmed);  // a move never re-arms
  Press(w->GeneralView, {10, 10});
  QVERIFY(w->MouseArmed);
  QCOMPARE(w->fractal.centreX, 0.0f);  // the press only re-armed
  MoveTo(w->GeneralView, {12, 12});
  QCOMPARE(w->fractal.centreX, static_cast<float>(-28.0L * zirvanta::GeneralViewStep()));
  Release(w->GeneralView, {12, 12});
  QVERIFY(w.Idle());

  // Even during a pass a press re-arms, without acting.
  w->MouseArmed = false;
  QVERIFY(w.HoldAPass([&] { Click(w->PlusCx); }));
  ClickAt(w->GeneralView, {70, 50});
  QVERIFY(w->MouseArmed);
  QCOMPARE(w->fractal.centreX, static_cast<float>(-28.0L * zirvanta::GeneralViewStep()));
  QVERIFY(w.Release());
}

QTEST_MAIN(MainFormGeneralViewTest)
#include "mainform_general_test.moc"
