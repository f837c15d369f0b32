// The group "Palette" driven as a user does: the sliders with "To apply" on and off, the type,
// "Apply", key U, and clicks while a pass of the live render thread is held.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "controls/picture_box.h"
#include "controls/tiny_button.h"
#include "steering_test_support.h"

using namespace steering_test;
using form_test::DifferingPixels;
using zirvanta::Palette;
using zirvanta::PaletteParams;

namespace {

Palette Built(const PaletteParams& params) {
  Palette palette;
  zirvanta::BuildPalette(params, palette);
  return palette;
}

}  // namespace

class MainFormPaletteTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void eachSliderRebuildsAtOnceWithToApplyOn();
  void toApplyOffDefersUntilApplyOrSwitchingOn();
  void keyUAppliesWhetherOrNotApplyIsEnabled();
  void aTypeChosenDuringAPassIsRecordedButNotApplied();
  void clicksAndMovesDuringAPassAreDropped();
};

void MainFormPaletteTest::eachSliderRebuildsAtOnceWithToApplyOn() {
  Window w(Pictures::Plain);
  QVERIFY(w.Idle());
  QCOMPARE(w->palette[1].red, uint8_t{62});

  Key(w->TrackBarR1, Qt::Key_Right);
  QCOMPARE(w->fractal.palette.r1, 27);
  QCOMPARE(w->palette[1].red, uint8_t{63});
  QCOMPARE(w.paletteRebuilds, 1);
  QVERIFY(w.hourglassAtRebuild);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);

  QVERIFY(w.Idle());
  QCoreApplication::processEvents();
  const QImage strip = form_test::Shown(w->PaletteLine).convertToFormat(QImage::Format_RGB32);
  QCOMPARE(zirvanta::PaletteLineIndex(3, 529), 1);
  QCOMPARE(strip.pixel(3, 7), qRgb(63, 34, 20));
  QCOMPARE(DifferingPixels(w->Pic->Picture(), ExpectedLive(*w)), 0);
  QCOMPARE(DifferingPixels(w->GeneralView->Picture(), ExpectedGeneral(*w)), 0);

  const struct {
    QSlider* slider;
    int32_t PaletteParams::*field;
  } sliders[] = {{w->TrackBarR0, &PaletteParams::r0}, {w->TrackBarG0, &PaletteParams::g0},
                 {w->TrackBarB0, &PaletteParams::b0}, {w->TrackBarG1, &PaletteParams::g1},
                 {w->TrackBarB1, &PaletteParams::b1}};
  for (const auto& [slider, field] : sliders) {
    const int before = w->fractal.palette.*field;
    Key(slider, Qt::Key_Left);
    QCOMPARE(w->fractal.palette.*field, before - 1);
    QVERIFY(w->palette == Built(w->fractal.palette));
    QVERIFY(w.Idle());
  }
  QCOMPARE(w.paletteRebuilds, 6);
  QVERIFY(w.hourglassAtRebuild);
}

void MainFormPaletteTest::toApplyOffDefersUntilApplyOrSwitchingOn() {
  Window w;
  QVERIFY(w.Idle());
  Click(w->IsChPalette);
  QVERIFY(!w->IsChPalette->isChecked());
  QVERIFY(!w->applyPaletteAtOnce);
  QVERIFY(w->ChPalette->isEnabled());
  QCOMPARE(w.paletteRebuilds, 0);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);

  const Palette before = w->palette;
  const uint64_t passes = w->RenderPassesCompleted();
  for (int i = 0; i < 3; ++i) Key(w->TrackBarR0, Qt::Key_Right);
  Key(w->TypeOfPalette, Qt::Key_Down);
  QCOMPARE(w->TypeOfPalette->currentText(), QStringLiteral("SSS"));
  QCOMPARE(w->TrackBarR0->value(), 39);
  QCOMPARE(w->fractal.palette.r0, 36);
  QCOMPARE(w->fractal.palette.type, 2);  // recorded, not applied
  QVERIFY(w->palette == before);
  QVERIFY(w.Idle());
  QCOMPARE(w->RenderPassesCompleted(), passes);

  Click(w->ChPalette);
  QCOMPARE(w.paletteRebuilds, 1);
  QVERIFY(w->fractal.palette == (PaletteParams{2, 39, 16, 12, 26, 18, 8}));
  QVERIFY(w->palette == Built(w->fractal.palette));
  QVERIFY(w.Idle());
  QCOMPARE(w->RenderPassesCompleted(), passes + 1);

  // Switching it back on applies the sliders moved meanwhile.
  Key(w->TrackBarG1, Qt::Key_Left);
  QCOMPARE(w->fractal.palette.g1, 18);
  Click(w->IsChPalette);
  QVERIFY(w->applyPaletteAtOnce);
  QVERIFY(!w->ChPalette->isEnabled());
  QCOMPARE(w->fractal.palette.g1, 17);
  QVERIFY(w->palette == Built(w->fractal.palette));
  QCOMPARE(w.paletteRebuilds, 2);
  QVERIFY(w.hourglassAtRebuild);
  QVERIFY(w.Idle());
}

void MainFormPaletteTest::keyUAppliesWhetherOrNotApplyIsEnabled() {
  Window w;
  QVERIFY(w.Idle());
  QVERIFY(w->isActiveWindow());
  // The box shows "SSS" without having recorded it; U takes the sliders and the box.
  w->TypeOfPalette->setCurrentIndex(1);
  QCOMPARE(w->fractal.palette.type, 1);
  QVERIFY(!w->ChPalette->isEnabled());
  Key(w->TrackBarB0, Qt::Key_U);
  QCOMPARE(w->TrackBarB0->value(), 12);  // the key went to the window, not the slider
  QCOMPARE(w->fractal.palette.type, 2);
  QVERIFY(w->palette == Built(w->fractal.palette));
  QCOMPARE(w.paletteRebuilds, 1);
  QVERIFY(w.Idle());

  Click(w->IsChPalette);
  Key(w->TrackBarB1, Qt::Key_Right);
  QCOMPARE(w->fractal.palette.b1, 8);
  Key(w->TrackBarB1, Qt::Key_U, Qt::ShiftModifier);  // the shift state is not looked at
  QCOMPARE(w->fractal.palette.b1, 9);
  QCOMPARE(w.paletteRebuilds, 2);
  QVERIFY(w.hourglassAtRebuild);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  QVERIFY(w.Idle());
}

void MainFormPaletteTest::aTypeChosenDuringAPassIsRecordedButNotApplied() {
  Window w;
  QVERIFY(w.Idle());
  QVERIFY(w.HoldAPass([&] { Click(w->PlusCx); }));
  Key(w->TypeOfPalette, Qt::Key_Down);
  QCOMPARE(w->fractal.palette.type, 2);
  QCOMPARE(w.paletteRebuilds, 0);
  QVERIFY(w->palette == Built(PaletteParams{}));
  QVERIFY(w.Release());
  QVERIFY(w->palette == Built(PaletteParams{}));

  // The next accepted slider move applies it.
  Key(w->TrackBarR0, Qt::Key_Right);
  QCOMPARE(w.paletteRebuilds, 1);
  QVERIFY(w->palette == Built(PaletteParams{2, 37, 16, 12, 26, 18, 8}));
  QVERIFY(w.Idle());
}

void MainFormPaletteTest::clicksAndMovesDuringAPassAreDropped() {
  Window w;
  QVERIFY(w.Idle());
  QVERIFY(w.HoldAPass([&] { Click(w->PlusCx); }));
  Click(w->IsChPalette);
  QVERIFY(!w->IsChPalette->isChecked());  // the box shows the click
  QVERIFY(w->applyPaletteAtOnce);         // the mode and the button stay
  QVERIFY(!w->ChPalette->isEnabled());
  Key(w->TrackBarR0, Qt::Key_Right);
  QCOMPARE(w->TrackBarR0->value(), 37);
  QCOMPARE(w->fractal.palette.r0, 36);
  Key(w->TrackBarR0, Qt::Key_U);
  QCOMPARE(w.paletteRebuilds, 0);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  QVERIFY(w.Release());
  QCOMPARE(w->RenderPassesCompleted(), uint64_t{2});

  // The next click that finds the thread idle acts on the box's new state.
  Click(w->IsChPalette);
  QVERIFY(w->IsChPalette->isChecked());
  QVERIFY(w->applyPaletteAtOnce);
  QCOMPARE(w->fractal.palette.r0, 37);
  QCOMPARE(w.paletteRebuilds, 1);
  QVERIFY(w.Idle());
}

QTEST_MAIN(MainFormPaletteTest)
#include "mainform_palette_test.moc"
