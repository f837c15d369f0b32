// The group "Factors" driven as a user does: the sliders, the step buttons and the sweeps of c,
// with passes of the live render thread held where a test needs the thread busy.
#include <algorithm>

#include "form_test_support.h"

using namespace form_test;
using zirvanta::FactorOfPosition;

static std::vector<int> Positions(const QSignalSpy& spy) {
  std::vector<int> positions;
  for (const QList<QVariant>& change : spy) positions.push_back(change.at(0).toInt());
  return positions;
}

static bool SweepsAtRest(const TMainForm& form) {
  const TMainForm::SweepState& s = form.sweep;
  return !s.reUp && !s.reDown && !s.imUp && !s.imDown && s.reUpSpeed == 1 && s.reDownSpeed == 1 &&
         s.imUpSpeed == 1 && s.imDownSpeed == 1;
}

class MainFormFactorsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QLocale::setDefault(QLocale::c()); }

  void slidersAndStepButtonsWriteC() {
    Window w;
    Key(w->TrackBarCx, Qt::Key_Right);
    QVERIFY(w->fractal.cx == FactorOfPosition(403) && w->E_cx->text() == "0.403");
    // A step button moves its slider by one; "+" at 2000 and "-" at -2000 raise no change event.
    const std::tuple<QAbstractButton*, QSlider*, int, int> steps[] = {
        {w->PlusCx, w->TrackBarCx, 403, 404},     {w->MinusCx, w->TrackBarCx, 404, 403},
        {w->PlusCy, w->TrackBarCy, 339, 340},     {w->MinusCy, w->TrackBarCy, 340, 339},
        {w->PlusCx, w->TrackBarCx, 2000, 2000},   {w->MinusCy, w->TrackBarCy, -2000, -2000}};
    for (const auto& [button, slider, from, to] : steps) {
      slider->setValue(from);
      QVERIFY(w.Idle());
      const uint64_t passes = w->RenderPassesCompleted();
      Click(button);
      QCOMPARE(slider == w->TrackBarCx ? w->fractal.cx : w->fractal.cy, FactorOfPosition(to));
      QVERIFY(w.Idle());
      QCOMPARE(w->RenderPassesCompleted(), passes + (from != to));
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Key(w->TrackBarCy, Qt::Key_Right);
    QCOMPARE(w->E_cy->text(), QStringLiteral("-1,999"));
    QVERIFY(w.Idle());
  }

  // A fractal taken from a file puts the sliders at c truncated, while c keeps its exact value;
  // with its palette the palette controls follow without applying anything themselves.
  void takenFractalKeepsCExact() {
    Window w;
    zirvanta::SharedState& shared = w->State();
    shared.fractal.cx = 0.2855;
    shared.fractal.cy = -0.0107;
    shared.fractal.viewWidth = 2.5f;
    shared.fractal.palette = {3, 10, 20, 30, 4, 5, 6};
    w->FractalTaken(true);
    QCOMPARE(w->TrackBarCx->value(), 285);
    QCOMPARE(w->TrackBarCy->value(), -10);
    QVERIFY(shared.fractal.cx == 0.2855 && shared.fractal.cy == -0.0107);
    QCOMPARE(w->E_cx->text() + " " + w->E_cy->text(), QStringLiteral("0.2855 -0.0107"));
    QCOMPARE(shared.view.pixelStep, zirvanta::PixelStepForWidth(2.5f));
    QVERIFY(shared.fractal.palette == (zirvanta::PaletteParams{3, 10, 20, 30, 4, 5, 6}));
    QCOMPARE(w->TrackBarB1->value(), 6);
    QCOMPARE(w->TypeOfPalette->currentIndex(), 2);
    zirvanta::Palette built;
    zirvanta::BuildPalette(shared.fractal.palette, built);
    QVERIFY(shared.palette == built && StripShows(*w, built) && w->applyPaletteAtOnce);
  }

  // A sweep runs inside the click on its button and processes events between its steps: the tests
  // act from a posted call, which runs before the first step, and from the slider's change events.
  void repeatedPressesSpeedUpAndTheEndsReverseWithTheSpeedReached() {
    Window w;
    w->TrackBarCx->setValue(10);
    QVERIFY(w.Idle());
    const size_t passesBefore = w.hold->LiveFactors().size();
    // A held pass keeps the sweep waiting before its first step while Up is pressed 49 times more.
    QVERIFY(w.HoldAPass([&] { Click(w->PlusCy); }));
    QSignalSpy moves(w->TrackBarCx, &QSlider::valueChanged);
    int speedAtRelease = 0;
    qsizetype movesAtRelease = -1;
    QTimer::singleShot(0, [&] {
      for (int press = 0; press < 49; ++press) Click(w->UpCx);
      speedAtRelease = w->sweep.reUpSpeed;
      movesAtRelease = moves.count();
      w.hold->Set(false);
    });
    // 10 .. 2000 (clamped), down to -2000 (clamped) and up again to 0: 160 steps.
    connect(w->TrackBarCx, &QSlider::valueChanged, [&] {
      if (moves.count() == 160) Click(w->StopCy);
    });
    Click(w->UpCx);  // returns when the sweep has ended
    QCOMPARE(speedAtRelease, 50);
    QCOMPARE(movesAtRelease, qsizetype{0});  // it waited for the pass instead of stepping past it
    std::vector<int> expected;
    for (int position = 10, way = 50; expected.size() < 160;) {
      position = std::clamp(position + way, -2000, 2000);
      if (std::abs(position) == 2000) way = position > 0 ? -50 : 50;
      expected.push_back(position);
    }
    QCOMPARE(Positions(moves), expected);
    QVERIFY(SweepsAtRest(*w));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->TrackBarCy));
    // Every step was rendered, in order, and the last is shown.
    QVERIFY(w.Idle());
    const std::vector<double> rendered = w.hold->LiveFactors();
    QCOMPARE(rendered.size(), passesBefore + 1 + expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      QCOMPARE(rendered[passesBefore + 1 + i], FactorOfPosition(expected[i]));
    }
    QVERIFY(ShowsPlainPasses(*w));
  }

  // Down during Up runs at speed 1 alone; an Im sweep then ends the Re sweep, and the Stop of the
  // Re row ends the Im sweep.
  void anotherSweepButtonTakesOver() {
    Window w;
    w->TrackBarCx->setValue(0);
    QVERIFY(w.Idle());
    QSignalSpy reMoves(w->TrackBarCx, &QSlider::valueChanged);
    QSignalSpy imMoves(w->TrackBarCy, &QSlider::valueChanged);
    bool downAloneAtSpeedOne = false, reRunningDuringIm = true;
    QTimer::singleShot(0, [&] { Click(w->UpCx); });  // speed 2 from the first step
    connect(w->TrackBarCx, &QSlider::valueChanged, [&] {
      const TMainForm::SweepState& s = w->sweep;
      if (reMoves.count() == 3) return Click(w->DownCx);  // runs the down sweep in here
      if (reMoves.count() != 7) return;
      downAloneAtSpeedOne = s.reDown && !s.reUp && s.reUpSpeed == 1 && s.reDownSpeed == 1;
      Click(w->UpCy);
    });
    connect(w->TrackBarCy, &QSlider::valueChanged, [&] {
      if (imMoves.count() != 3) return;
      reRunningDuringIm = w->sweep.reUp || w->sweep.reDown;
      Click(w->StopCx);
    });
    Click(w->UpCx);
    QVERIFY(downAloneAtSpeedOne && !reRunningDuringIm);
    const std::vector<int> positions = Positions(reMoves);
    QCOMPARE(positions.size(), size_t{7});  // Re made no step once Im had taken over
    QCOMPARE(positions[2] - positions[1], 2);
    for (size_t i = 3; i < 7; ++i) QCOMPARE(positions[i] - positions[i - 1], -1);
    QVERIFY(SweepsAtRest(*w));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->TrackBarCx));
    QVERIFY(w.Idle());
    QCOMPARE(w->fractal.cy, FactorOfPosition(w->TrackBarCy->value()));
  }

  void closingOrDestroyingTheWindowEndsASweep() {
    {
      Window w;
      connect(w->TrackBarCy, &QSlider::valueChanged, [&] {
        if (w->TrackBarCy->value() == 337) QTimer::singleShot(0, w.form.get(), [&] { w->close(); });
      });
      Click(w->DownCy);  // returns when the sweep has ended
      QVERIFY(SweepsAtRest(*w));
      QVERIFY(w.Idle());
    }
    auto w = std::make_unique<Window>();
    const QPointer<TMainForm> form = w->form.get();
    connect((*w)->TrackBarCx, &QSlider::valueChanged, [&] {
      if ((*w)->TrackBarCx->value() == 404) QTimer::singleShot(0, [&] { w->form.reset(); });
    });
    Click((*w)->UpCx);  // the sweep notices the window is gone and returns at once
    QVERIFY(form.isNull());
    QCoreApplication::processEvents();
  }
};

QTEST_MAIN(MainFormFactorsTest)
#include "mainform_factors_test.moc"
