// The group "Palette" driven as a user does: the sliders with "To apply" on and off, the type,
// "Apply" and key U.
#include "form_test_support.h"

using namespace form_test;
using zirvanta::Palette;
using zirvanta::PaletteParams;

static Palette Built(const PaletteParams& params) {
  Palette palette;
  zirvanta::BuildPalette(params, palette);
  return palette;
}

class MainFormPaletteTest : public QObject {
  Q_OBJECT

 private slots:
  void eachSliderRebuildsAtOnceWithToApplyOn() {
    Window w;
    const std::pair<QSlider*, int32_t PaletteParams::*> sliders[] = {
        {w->TrackBarR0, &PaletteParams::r0}, {w->TrackBarG0, &PaletteParams::g0},
        {w->TrackBarB0, &PaletteParams::b0}, {w->TrackBarR1, &PaletteParams::r1},
        {w->TrackBarG1, &PaletteParams::g1}, {w->TrackBarB1, &PaletteParams::b1}};
    for (const auto& [slider, field] : sliders) {
      PaletteParams expected = w->fractal.palette;
      expected.*field += 1;
      Key(slider, Qt::Key_Right);
      QVERIFY2(w->fractal.palette == expected, qPrintable(slider->objectName()));
      QVERIFY(w->palette == Built(expected) && w.Idle());
    }
    QVERIFY(StripShows(*w, w->palette));
    QVERIFY(ShowsPlainPasses(*w));
    QVERIFY(!QGuiApplication::overrideCursor());
  }

  void toApplyOffDefersUntilApplyOrUOrSwitchingOn() {
    Window w;
    auto applied = [&w] { return w->palette == Built(w->fractal.palette) && w.Idle(); };
    // U takes the sliders and the type the box shows, also with "Apply" disabled.
    w->TypeOfPalette->setCurrentIndex(1);
    Key(w->TrackBarB0, Qt::Key_U);
    QCOMPARE(w->TrackBarB0->value(), 12);  // the key went to the window, not the slider
    QVERIFY(w->fractal.palette == (PaletteParams{2, 36, 16, 12, 26, 18, 8}));
    QVERIFY(applied());

    Click(w->IsChPalette);
    QVERIFY(!w->applyPaletteAtOnce && w->ChPalette->isEnabled());
    const Palette before = w->palette;
    const uint64_t passes = w->RenderPassesCompleted();
    for (int i = 0; i < 3; ++i) Key(w->TrackBarR0, Qt::Key_Right);
    Key(w->TypeOfPalette, Qt::Key_Down);
    QVERIFY(w->fractal.palette == (PaletteParams{3, 36, 16, 12, 26, 18, 8}));  // type recorded only
    QVERIFY(w->palette == before && w.Idle());
    QCOMPARE(w->RenderPassesCompleted(), passes);
    Click(w->ChPalette);
    QVERIFY(w->fractal.palette == (PaletteParams{3, 39, 16, 12, 26, 18, 8}));
    QVERIFY(applied());
    QCOMPARE(w->RenderPassesCompleted(), passes + 1);
    Key(w->TrackBarB1, Qt::Key_Right);
    Key(w->TrackBarB1, Qt::Key_U, Qt::ShiftModifier);  // the shift state is not looked at
    QCOMPARE(w->fractal.palette.b1, 9);
    QVERIFY(applied());

    // Switching it back on applies the sliders moved meanwhile.
    Key(w->TrackBarG1, Qt::Key_Left);
    QCOMPARE(w->fractal.palette.g1, 18);
    Click(w->IsChPalette);
    QVERIFY(w->applyPaletteAtOnce && !w->ChPalette->isEnabled());
    QCOMPARE(w->fractal.palette.g1, 17);
    QVERIFY(applied());
  }

  // The type is recorded during a pass; the next accepted change builds the table with it.
  void aTypeChosenDuringAPassIsRecordedButNotApplied() {
    Window w;
    QVERIFY(w.HoldAPass([&] { Click(w->PlusCx); }));
    Key(w->TypeOfPalette, Qt::Key_Down);
    QCOMPARE(w->fractal.palette.type, 2);
    QVERIFY(w.Release());
    QVERIFY(w->palette == Built(PaletteParams{}));
    Key(w->TrackBarR0, Qt::Key_Right);
    QVERIFY(w->palette == Built(PaletteParams{2, 37, 16, 12, 26, 18, 8}) && w.Idle());
  }
};

QTEST_MAIN(MainFormPaletteTest)
#include "mainform_palette_test.moc"
