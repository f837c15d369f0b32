// settings.dat at the main window's start and close: when it is written, and values the
// platform cannot take.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QEnterEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>
#include <array>
#include <atomic>
#include <climits>
#include <memory>
#include <random>
#include <system_error>
#include <thread>

#include "controls/picture_box.h"
#include "controls/tiny_button.h"
#include "engine/fast/fast_renderer.h"
#include "engine/line_drawing.h"
#include "engine/render.h"
#include "form_test_support.h"
#include "forms/U_mainform.h"

using namespace form_test;
using zirvanta::Bitmap;

class MainFormSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void closingWithoutAChangeWritesNothing();
  void movingTheWindowWritesTheNewPosition();
  void correctedValuesAreWrittenBack_data();
  void correctedValuesAreWrittenBack();
  void storedPositionsAreKeptOrBroughtWithinReach();
  void slideDelayNeverMakesATimerSpin();
};

void MainFormSettingsTest::closingWithoutAChangeWritesNothing() {
  QTemporaryDir folder;
  {
    TMainForm form(folder.path());
    QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // First start: centred on the screen with the size the window has before it is first shown
    // (its frame is the window system's and known only later), and remembered there.
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QCOMPARE(form.pos(), QPoint((screen.width() - form.width()) / 2,
                                (screen.height() - form.height()) / 2));
    QCOMPARE(form.StartupSettings().left, form.pos().x());
    form.close();
  }
  QVERIFY(!QFile::exists(folder.filePath("settings.dat")));
}

void MainFormSettingsTest::movingTheWindowWritesTheNewPosition() {
  QTemporaryDir folder;
  QPoint moved;
  {
    TMainForm form(folder.path());
    QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    moved = form.pos() + QPoint(1, 0);
    form.move(moved);
    QTRY_COMPARE(form.pos(), moved);
    form.close();
  }
  const QString path = folder.filePath("settings.dat");
  QCOMPARE(QFileInfo(path).size(), qint64{48});
  const std::array<int32_t, 12> expected = {4, 0, moved.x(), moved.y(), 36, 16, 12, 26, 18, 8, 1, 0};
  QCOMPARE(ReadSettingsValues(path), expected);

  // The next start puts the window there, and closing it unmoved leaves the file alone.
  {
    TMainForm form(folder.path());
    QCOMPARE(form.pos(), moved);
    QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QFile::remove(path);  // so that any write would show
    form.close();
  }
  QVERIFY(!QFile::exists(path));
}

void MainFormSettingsTest::correctedValuesAreWrittenBack_data() {
  QTest::addColumn<int>("paletteType");
  QTest::addColumn<int>("slideOrder");
  QTest::addColumn<int>("typeInForce");
  QTest::addColumn<int>("orderInForce");
  QTest::addColumn<bool>("rewritten");
  QTest::newRow("palette type 12") << 12 << 0 << 1 << 0 << true;
  QTest::newRow("palette type 0") << 0 << 1 << 1 << 1 << true;
  QTest::newRow("slide order 5") << 3 << 5 << 3 << 0 << true;
  QTest::newRow("slide order -1") << 8 << -1 << 8 << 0 << true;
  QTest::newRow("valid values") << 2 << 1 << 2 << 1 << false;
}

void MainFormSettingsTest::correctedValuesAreWrittenBack() {
  QFETCH(int, paletteType);
  QFETCH(int, slideOrder);
  QFETCH(int, typeInForce);
  QFETCH(int, orderInForce);
  QFETCH(bool, rewritten);
  QTemporaryDir folder;
  const QString path = folder.filePath("settings.dat");
  WriteFile(path, SettingsBytes({7, 1, 40, 30, 50, 60, 70, 10, 20, 30, paletteType, slideOrder}));
  {
    TMainForm form(folder.path());
    QCOMPARE(form.fractal.palette.type, typeInForce);
    QCOMPARE(form.slideOrder, orderInForce);
    QCOMPARE(form.TypeOfPalette->currentIndex(), typeInForce - 1);
    QCOMPARE(form.slideDelay, 7);
    QCOMPARE(form.closeAfterExport, 1);
    QCOMPARE(form.pos(), QPoint(40, 30));
    QCOMPARE(form.TrackBarR0->value(), 50);
    QCOMPARE(form.TrackBarB1->value(), 30);
    zirvanta::Palette expected;
    zirvanta::BuildPalette({typeInForce, 50, 60, 70, 10, 20, 30}, expected);
    QVERIFY(form.palette == expected);
    QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
    QFile::remove(path);
    form.close();
  }
  QCOMPARE(QFile::exists(path), rewritten);
  if (rewritten) {
    const std::array<int32_t, 12> values = {7, 1, 40, 30, 50, 60, 70, 10, 20, 30, typeInForce,
                                            orderInForce};
    QCOMPARE(ReadSettingsValues(path), values);
  }
}

void MainFormSettingsTest::storedPositionsAreKeptOrBroughtWithinReach() {
  struct Case {
    int32_t left, top;
    QPoint placed;
  };
  const Case cases[] = {{5000, 5000, {5000, 5000}},  // far off every screen: kept
                        {-3000, 20, {-3000, 20}},
                        {INT_MAX, INT_MIN, {30000, -30000}}};  // beyond what X11 can hold
  for (const Case& c : cases) {
    QTemporaryDir folder;
    const QString path = folder.filePath("settings.dat");
    WriteFile(path, SettingsBytes({4, 0, c.left, c.top, 36, 16, 12, 26, 18, 8, 1, 0}));
    {
      TMainForm form(folder.path());
      QCOMPARE(form.pos(), c.placed);
      QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      QCOMPARE(form.CurrentSettings().left, c.left);
      QCOMPARE(form.CurrentSettings().top, c.top);
      QFile::remove(path);
      form.close();
    }
    QVERIFY2(!QFile::exists(path), "an unmoved window stands for the stored position");
  }
}

void MainFormSettingsTest::slideDelayNeverMakesATimerSpin() {
  QCOMPARE(TMainForm::SlideTimerIntervalMs(4), 4000);
  QCOMPARE(TMainForm::SlideTimerIntervalMs(20), 20000);
  QCOMPARE(TMainForm::SlideTimerIntervalMs(1), 1000);
  QCOMPARE(TMainForm::SlideTimerIntervalMs(0), 1000);
  QCOMPARE(TMainForm::SlideTimerIntervalMs(-7), 1000);
  QCOMPARE(TMainForm::SlideTimerIntervalMs(INT_MIN), 1000);
  QVERIFY(TMainForm::SlideTimerIntervalMs(INT_MAX) > 0);
  QVERIFY(TMainForm::SlideTimerIntervalMs(INT_MAX) <= INT_MAX);

  // The value itself is kept as read, so an unchanged file is not rewritten.
  QTemporaryDir folder;
  const QString path = folder.filePath("settings.dat");
  WriteFile(path, SettingsBytes({0, 0, 10, 10, 36, 16, 12, 26, 18, 8, 1, 0}));
  {
    TMainForm form(folder.path());
    QCOMPARE(form.slideDelay, 0);
    QCOMPARE(TMainForm::SlideTimerIntervalMs(form.slideDelay), 1000);
    QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
    QFile::remove(path);
    form.close();
  }
  QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(MainFormSettingsTest)
#include "mainform_settings_test.moc"
