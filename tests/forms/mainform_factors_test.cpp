// The group "Factors" driven as a user does: the sliders, the step buttons and the sweeps of c,
// with passes of the live render thread held where a test needs the thread busy.
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

#include "controls/picture_box.h"
#include "controls/tiny_button.h"
#include "engine/view_steering.h"
#include "steering_test_support.h"

using namespace steering_test;
using zirvanta::FactorOfPosition;

namespace {

std::vector<int> Positions(const QSignalSpy& spy) {
  std::vector<int> positions;
  for (const QList<QVariant>& change : spy) positions.push_back(change.at(0).toInt());
  return positions;
}

bool NoSweepRuns(const TMainForm& form) {
  const TMainForm::SweepState& s = form.sweep;
  return !s.reUp && !s.reDown && !s.imUp && !s.imDown;
}

bool AllSpeedsOne(const TMainForm& form) {
  const TMainForm::SweepState& s = form.sweep;
  return s.reUpSpeed == 1 && s.reDownSpeed == 1 && s.imUpSpeed == 1 && s.imDownSpeed == 1;
}

}  // namespace

class MainFormFactorsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void slidersWriteCAndItsText();
  void stepButtonsAndTheEndsOfTheRange();
  void movesDuringAPassAreDroppedNotQueued();
  void threePressesGiveSpeedThreeAndTheReversalCarriesIt();
  void upAtTheMaximumTurnsDownAtOnceAndDownAtTheMinimumUp();
  void downDuringUpReversesAtSpeedOne();
  void anImSweepEndsTheReSweepAndEitherStopEndsIt();
  void aSweepRunsBackAndForthBetweenTheEndsAndTheViewFollows();
  void eventsAreProcessedWhileASweepWaitsForAPass();
  void theEndOfAPassWakesAWaitingSweep();
  void closingTheWindowEndsASweep();
  void destroyingTheWindowDuringASweepTouchesNothingOfIt();
};

void MainFormFactorsTest::slidersWriteCAndItsText() {
  Window w;
  QVERIFY(w.Idle());
  w->TrackBarCx->setFocus();
  QTest::keyClick(w->TrackBarCx, Qt::Key_Right);
  QCOMPARE(w->TrackBarCx->value(), 403);
  QCOMPARE(w->fractal.cx, FactorOfPosition(403));
  QCOMPARE(w->E_cx->text(), QStringLiteral("0.403"));
  QVERIFY(w.Idle());
  QCOMPARE(StampedPosition(w->Pic->Picture()), 403);

  // Page Up moves two positions, through the same change event.
  QTest::keyClick(w->TrackBarCx, Qt::Key_PageUp);
  QCOMPARE(w->fractal.cx, FactorOfPosition(405));
  QVERIFY(w.Idle());
  {
    const LocaleScope german{QLocale(QLocale::German, QLocale::Germany)};
    w->TrackBarCy->setFocus();
    QTest::keyClick(w->TrackBarCy, Qt::Key_Left);
    QCOMPARE(w->fractal.cy, FactorOfPosition(338));
    QCOMPARE(w->E_cy->text(), QStringLiteral("0,338"));
    QVERIFY(w.Idle());
  }
  const struct {
    int position;
    const char* text;
  } ends[] = {{-2000, "-2"}, {0, "0"}, {2000, "2"}, {-1500, "-1.5"}, {1, "0.001"}};
  for (const auto& [position, text] : ends) {
    w->TrackBarCx->setValue(position);
    QCOMPARE(w->fractal.cx, FactorOfPosition(position));
    QCOMPARE(w->E_cx->text(), QLatin1String(text));
    QVERIFY(w.Idle());
  }
}

void MainFormFactorsTest::stepButtonsAndTheEndsOfTheRange() {
  Window w;
  QVERIFY(w.Idle());
  Click(w->PlusCx);
  QCOMPARE(w->TrackBarCx->value(), 403);
  QCOMPARE(w->fractal.cx, FactorOfPosition(403));
  QVERIFY(w.Idle());
  Click(w->MinusCx);
  QVERIFY(w.Idle());
  Click(w->MinusCx);
  QCOMPARE(w->E_cx->text(), QStringLiteral("0.401"));
  QVERIFY(w.Idle());
  Click(w->PlusCy);
  QCOMPARE(w->fractal.cy, FactorOfPosition(340));
  QVERIFY(w.Idle());
  Click(w->MinusCy);
  QCOMPARE(w->E_cy->text(), QStringLiteral("0.339"));
  QVERIFY(w.Idle());

  // "+" at 2000 and "-" at -2000 change nothing and raise no change event.
  w->TrackBarCx->setValue(2000);
  QVERIFY(w.Idle());
  w->TrackBarCy->setValue(-2000);
  QVERIFY(w.Idle());
  const uint64_t passes = w->RenderPassesCompleted();
  QSignalSpy reMoves(w->TrackBarCx, &QSlider::valueChanged);
  QSignalSpy imMoves(w->TrackBarCy, &QSlider::valueChanged);
  Click(w->PlusCx);
  Click(w->MinusCy);
  QCOMPARE(reMoves.count(), 0);
  QCOMPARE(imMoves.count(), 0);
  QCOMPARE(w->fractal.cx, 2.0);
  QCOMPARE(w->fractal.cy, -2.0);
  QVERIFY(w.Idle());
  QCOMPARE(w->RenderPassesCompleted(), passes);
}

void MainFormFactorsTest::movesDuringAPassAreDroppedNotQueued() {
  Window w;
  QVERIFY(w.Idle());
  QVERIFY(w.HoldAPass([&] { Click(w->PlusCx); }));
  QCOMPARE(w->fractal.cx, FactorOfPosition(403));

  Click(w->PlusCx);
  Click(w->PlusCx);
  w->TrackBarCy->setFocus();
  QTest::keyClick(w->TrackBarCy, Qt::Key_Right);
  QCOMPARE(w->TrackBarCx->value(), 405);  // the slider keeps what the user did
  QCOMPARE(w->TrackBarCy->value(), 340);
  QCOMPARE(w->fractal.cx, FactorOfPosition(403));
  QCOMPARE(w->fractal.cy, FactorOfPosition(339));
  QCOMPARE(w->E_cx->text(), QStringLiteral("0.403"));
  QCOMPARE(w->E_cy->text(), QStringLiteral("0.339"));

  QVERIFY(w.Release());
  QCOMPARE(w->RenderPassesCompleted(), uint64_t{2});  // nothing was queued
  QCOMPARE(w->fractal.cx, FactorOfPosition(403));
  // The next accepted change takes the slider's position at that time.
  Click(w->PlusCx);
  QCOMPARE(w->fractal.cx, FactorOfPosition(406));
  QVERIFY(w.Idle());

  // While a loaded c is placed on the sliders, c keeps its value.
  w->sliderSyncSuppressed = true;
  w->TrackBarCx->setValue(285);
  w->sliderSyncSuppressed = false;
  QCOMPARE(w->fractal.cx, FactorOfPosition(406));
  QCOMPARE(w->E_cx->text(), QStringLiteral("0.406"));
}

void MainFormFactorsTest::threePressesGiveSpeedThreeAndTheReversalCarriesIt() {
  Window w;
  QVERIFY(w.Idle());
  w->TrackBarCx->setValue(1999);
  QVERIFY(w.Idle());
  // A held pass keeps the sweep waiting before its first step while Up is pressed twice more.
  QVERIFY(w.HoldAPass([&] { Click(w->PlusCy); }));
  QSignalSpy moves(w->TrackBarCx, &QSlider::valueChanged);
  int speedAtRelease = 0;
  qsizetype movesAtRelease = -1;
  Script script(*w);
  script.Then([&] { Click(w->UpCx); })
      .Then([&] { Click(w->UpCx); })
      .Then([&] {
        speedAtRelease = w->sweep.reUpSpeed;
        movesAtRelease = moves.count();
        w.hold->Set(false);
      })
      .When([&] { return moves.count() >= 6; }, [&] { Click(w->StopCy); });
  script.Start();
  Click(w->UpCx);  // returns when the sweep has ended

  QVERIFY(script.Finished());
  QVERIFY(!script.TimedOut());
  QCOMPARE(speedAtRelease, 3);
  QCOMPARE(movesAtRelease, qsizetype{0});
  const std::vector<int> positions = Positions(moves);
  QVERIFY(positions.size() >= 6);
  QCOMPARE(std::vector<int>(positions.begin(), positions.begin() + 6),
           (std::vector<int>{2000, 1997, 1994, 1991, 1988, 1985}));
  for (size_t i = 1; i < positions.size(); ++i) QCOMPARE(positions[i] - positions[i - 1], -3);
  QVERIFY(NoSweepRuns(*w));
  QVERIFY(AllSpeedsOne(*w));
  QVERIFY(w->sweep.stopRe && w->sweep.stopIm);
  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->TrackBarCy));
  // Every step found the thread idle: c and the picture follow the slider.
  QVERIFY(w.Idle());
  QCOMPARE(w->fractal.cx, FactorOfPosition(w->TrackBarCx->value()));
  QCOMPARE(StampedPosition(w->Pic->Picture()), w->TrackBarCx->value());
}

void MainFormFactorsTest::upAtTheMaximumTurnsDownAtOnceAndDownAtTheMinimumUp() {
  Window w;
  QVERIFY(w.Idle());
  const struct {
    int start;
    QToolButton* button;
    std::vector<int> expected;
  } cases[] = {{2000, w->UpCx, {1999, 1998, 1997}}, {-2000, w->DownCx, {-1999, -1998, -1997}}};
  for (const auto& [start, button, expected] : cases) {
    w->TrackBarCx->setValue(start);
    QVERIFY(w.Idle());
    QSignalSpy moves(w->TrackBarCx, &QSlider::valueChanged);
    Script script(*w);
    script.When([&] { return moves.count() >= 3; }, [&] { Click(w->StopCx); });
    script.Start();
    Click(button);
    QVERIFY(script.Finished());
    const std::vector<int> positions = Positions(moves);
    QVERIFY(positions.size() >= 3);
    QCOMPARE(std::vector<int>(positions.begin(), positions.begin() + 3), expected);
    QVERIFY(NoSweepRuns(*w));
    QVERIFY(w.Idle());
  }
}

void MainFormFactorsTest::downDuringUpReversesAtSpeedOne() {
  Window w;
  QVERIFY(w.Idle());
  w->TrackBarCx->setValue(0);
  QVERIFY(w.Idle());
  QSignalSpy moves(w->TrackBarCx, &QSlider::valueChanged);
  qsizetype downPressedAt = -1;
  int upSpeedWhileDown = 0;
  bool downRunning = false;
  Script script(*w);
  script.Then([&] { Click(w->UpCx); })
      .When([&] { return w->sweep.reUpSpeed == 2 && moves.count() >= 3; },
            [&] {
              downPressedAt = moves.count();
              Click(w->DownCx);  // runs the down sweep in here until it is stopped
            })
      .When([&] { return downPressedAt >= 0 && moves.count() >= downPressedAt + 4; },
            [&] {
              upSpeedWhileDown = w->sweep.reUpSpeed;
              downRunning = w->sweep.reDown && !w->sweep.reUp;
              Click(w->StopCx);
            });
  script.Start();
  Click(w->UpCx);

  QVERIFY(script.Finished());
  QCOMPARE(upSpeedWhileDown, 1);
  QVERIFY(downRunning);
  const std::vector<int> positions = Positions(moves);
  QVERIFY(positions[2] > positions[1] && positions[1] > positions[0]);
  for (size_t i = static_cast<size_t>(downPressedAt); i < positions.size(); ++i) {
    QCOMPARE(positions[i] - positions[i - 1], -1);
  }
  QVERIFY(NoSweepRuns(*w));
  QVERIFY(AllSpeedsOne(*w));
  QVERIFY(w.Idle());
}

void MainFormFactorsTest::anImSweepEndsTheReSweepAndEitherStopEndsIt() {
  Window w;
  QVERIFY(w.Idle());
  QSignalSpy reMoves(w->TrackBarCx, &QSlider::valueChanged);
  QSignalSpy imMoves(w->TrackBarCy, &QSlider::valueChanged);
  qsizetype reMovesAtIm = -1;
  bool reRunningDuringIm = true;
  int reSpeedDuringIm = 0;
  Script script(*w);
  script.Then([&] { Click(w->UpCx); })
      .When([&] { return reMoves.count() >= 3; },
            [&] {
              reMovesAtIm = reMoves.count();
              Click(w->UpCy);
            })
      .When([&] { return imMoves.count() >= 3; },
            [&] {
              reRunningDuringIm = w->sweep.reUp || w->sweep.reDown;
              reSpeedDuringIm = w->sweep.reUpSpeed;
              Click(w->StopCx);  // the other row's Stop ends the Im sweep
            });
  script.Start();
  Click(w->UpCx);

  QVERIFY(script.Finished());
  QVERIFY(!reRunningDuringIm);
  QCOMPARE(reSpeedDuringIm, 1);
  QCOMPARE(reMoves.count(), reMovesAtIm);  // Re made no step once Im had taken over
  QVERIFY(Positions(imMoves).back() > 339);
  QVERIFY(NoSweepRuns(*w));
  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->TrackBarCx));
  QVERIFY(w.Idle());
  QCOMPARE(w->fractal.cy, FactorOfPosition(w->TrackBarCy->value()));
}

void MainFormFactorsTest::aSweepRunsBackAndForthBetweenTheEndsAndTheViewFollows() {
  Window w;
  QVERIFY(w.Idle());
  w->TrackBarCx->setValue(0);
  QVERIFY(w.Idle());
  const size_t passesBefore = w.hold->LivePassFactors().size();
  QSignalSpy moves(w->TrackBarCx, &QSlider::valueChanged);
  auto backAboveZero = [&] {
    const std::vector<int> positions = Positions(moves);
    const auto top = std::find(positions.begin(), positions.end(), 2000);
    const auto bottom = std::find(top, positions.end(), -2000);
    return bottom != positions.end() && positions.back() > 0;
  };
  Script script(*w);
  script.Then([&] {
          for (int press = 0; press < 49; ++press) Click(w->UpCx);  // speed 50
        })
      .When(backAboveZero, [&] { Click(w->StopCx); });
  script.Start();
  Click(w->UpCx);
  QVERIFY(script.Finished());
  QVERIFY(!script.TimedOut());

  const std::vector<int> positions = Positions(moves);
  const auto top = std::find(positions.begin(), positions.end(), 2000);
  const auto bottom = std::find(top, positions.end(), -2000);
  QVERIFY(top != positions.end() && bottom != positions.end());
  QVERIFY(std::is_sorted(positions.begin(), top + 1));
  for (auto p = top + 1; p <= bottom; ++p) QCOMPARE(*p - *(p - 1), -50);
  for (auto p = bottom + 1; p != positions.end(); ++p) QCOMPARE(*p - *(p - 1), 50);
  QCOMPARE(*std::max_element(positions.begin(), positions.end()), 2000);
  QCOMPARE(*std::min_element(positions.begin(), positions.end()), -2000);

  // Every step was rendered, in order: the live view followed the sweep.
  QVERIFY(w.Idle());
  const std::vector<double> rendered = w.hold->LivePassFactors();
  QCOMPARE(rendered.size(), passesBefore + positions.size());
  for (size_t i = 0; i < positions.size(); ++i) {
    QCOMPARE(rendered[passesBefore + i], FactorOfPosition(positions[i]));
  }
  QCoreApplication::processEvents();
  QCOMPARE(StampedPosition(form_test::Shown(w->Pic)), positions.back());
  QCOMPARE(w->E_cx->text(), QString::number(positions.back() / 1000.0));
}

void MainFormFactorsTest::eventsAreProcessedWhileASweepWaitsForAPass() {
  Window w;
  QVERIFY(w.Idle());
  QVERIFY(w.HoldAPass([&] { Click(w->PlusCy); }));
  struct Receiver : QObject {
    int delivered = 0;
    bool event(QEvent* e) override {
      if (e->type() != QEvent::User) return QObject::event(e);
      ++delivered;
      return true;
    }
  } receiver;
  int zeroTimerShots = 0;
  bool sweepRanMeanwhile = false;
  qsizetype stepsWhileHeld = -1;
  QSignalSpy moves(w->TrackBarCx, &QSlider::valueChanged);
  Script script(*w);
  script
      .Then([&] {
        QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
        QTimer::singleShot(0, &receiver, [&] { ++zeroTimerShots; });
      })
      .When([&] { return receiver.delivered == 1 && zeroTimerShots == 1; },
            [&] {
              sweepRanMeanwhile = w->sweep.reUp;
              stepsWhileHeld = moves.count();
              w.hold->Set(false);
            })
      .When([&] { return moves.count() >= 2; }, [&] { Click(w->StopCx); });
  script.Start();
  Click(w->UpCx);
  QVERIFY(script.Finished());
  QVERIFY(sweepRanMeanwhile);
  QCOMPARE(stepsWhileHeld, qsizetype{0});  // it waited for the pass instead of stepping past it
  QVERIFY(w.Idle());
}

void MainFormFactorsTest::theEndOfAPassWakesAWaitingSweep() {
  Window w;
  QVERIFY(w.Idle());
  w->TrackBarCx->setValue(1990);
  QVERIFY(w.Idle());
  // No timer or input runs meanwhile: only the passes' ends can wake the sweep between steps.
  bool watchdogFired = false;
  QTimer::singleShot(kPatienceMs, w.form.get(), [&] {
    watchdogFired = true;
    w->StopAllSweeps();
  });
  connect(w->TrackBarCx, &QSlider::valueChanged, w.form.get(), [&](int position) {
    if (position <= 1980) w->StopAllSweeps();
  });
  Click(w->UpCx);
  QVERIFY(!watchdogFired);
  QCOMPARE(w->TrackBarCx->value(), 1980);
  QVERIFY(w.Idle());
  QCOMPARE(w->fractal.cx, FactorOfPosition(1980));
}

void MainFormFactorsTest::closingTheWindowEndsASweep() {
  Window w;
  QVERIFY(w.Idle());
  QSignalSpy moves(w->TrackBarCy, &QSlider::valueChanged);
  Script script(*w);
  script.When([&] { return moves.count() >= 2; }, [&] { w->close(); });
  script.Start();
  Click(w->DownCy);
  QVERIFY(script.Finished());
  QVERIFY(!w->isVisible());
  QVERIFY(NoSweepRuns(*w));
  const qsizetype steps = moves.count();
  QTest::qWait(50);
  QCOMPARE(moves.count(), steps);
  QVERIFY(w.Idle());
}

void MainFormFactorsTest::destroyingTheWindowDuringASweepTouchesNothingOfIt() {
  auto w = std::make_unique<Window>();
  QVERIFY(w->Idle());
  const QPointer<TMainForm> form = w->form.get();
  QToolButton* up = (*w)->UpCx;
  QSignalSpy moves((*w)->TrackBarCx, &QSlider::valueChanged);
  Script script(**w);
  script.When([&] { return moves.count() >= 2; }, [&] { w->form.reset(); });
  script.Start();
  Click(up);  // the sweep notices the window is gone and returns at once
  QVERIFY(script.Finished());
  QVERIFY(form.isNull());
  QCoreApplication::processEvents();
}

QTEST_MAIN(MainFormFactorsTest)
#include "mainform_factors_test.moc"
