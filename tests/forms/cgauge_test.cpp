// The gauge's picture pixel by pixel, and its progress rules.
#include <QtTest>
#include <stdexcept>

#include "controls/Cgauges.h"

class CGaugeTest : public QObject {
  Q_OBJECT
 private slots:
  // The export dialog's 321 x 19 silver gauge: a black frame; inside it the bar from the left to
  // x = B, B = floor(percent x 0.01 x 319), white beyond; the text inverts what lies under it.
  void BarFrameAndExclusiveOrText() {
    TCGauge gauge;
    gauge.resize(321, 19);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    gauge.setFont(font);
    gauge.SetForeColor(QColor(192, 192, 192));
    const QRgb kBlack = qRgb(0, 0, 0);
    for (const auto& [percent, barEnd] : {std::pair{0, 1}, {50, 160}, {100, 320}}) {
      gauge.SetProgress(percent);
      const QImage image = gauge.Picture();
      QCOMPARE(image.size(), QSize(321, 19));
      int inverted = 0, textLeft = 321, textRight = -1;
      for (int y = 0; y < 19; ++y) {
        for (int x = 0; x < 321; ++x) {
          const QRgb pixel = image.pixel(x, y);
          const bool frame = x == 0 || y == 0 || x == 320 || y == 18, bar = x < barEnd;
          const QRgb under = frame ? kBlack : bar ? qRgb(192, 192, 192) : qRgb(255, 255, 255);
          const QRgb flipped = frame ? kBlack : bar ? qRgb(63, 63, 63) : kBlack;
          QVERIFY2(pixel == under || pixel == flipped,
                   qPrintable(QStringLiteral("%1% at %2, %3").arg(percent).arg(x).arg(y)));
          if (pixel != under) ++inverted, textLeft = std::min(textLeft, x), textRight = x;
        }
      }
      // The text is there, about the middle of the bar.
      QVERIFY(inverted > 20 && textLeft > 120 && textRight < 200);
    }
  }

  void ProgressIsClampedAndPercentFollowsTheRange() {
    TCGauge gauge;
    QCOMPARE(gauge.size(), QSize(100, 100));
    gauge.SetProgress(101);
    QCOMPARE(gauge.Progress(), 100);
    gauge.SetProgress(-5);
    gauge.AddProgress(37);
    gauge.SetMaxValue(200);  // 37 of 0..200
    QCOMPARE(gauge.PercentDone(), 18);
    gauge.SetMinValue(50);  // a bound moves the progress inside it
    QCOMPARE(std::pair(gauge.Progress(), gauge.PercentDone()), std::pair(50, 0));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, gauge.SetMinValue(201));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, gauge.SetMaxValue(49));
    gauge.SetMaxValue(50);  // an empty range shows 0 %
    QCOMPARE(gauge.PercentDone(), 0);
    gauge.AddProgress(INT_MAX);
    QCOMPARE(gauge.Progress(), 50);
  }
};

QTEST_MAIN(CGaugeTest)
#include "cgauge_test.moc"
