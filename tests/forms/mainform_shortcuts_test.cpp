// The tool actions' shortcuts reach the main window from any window of the program while the
// main window is enabled; its own keys U, + and - only while it is the active window.
#include <QDialog>
#include <QLineEdit>
#include <QSlider>
#include <QtTest>

#include "steering_test_support.h"

using namespace steering_test;
using Mode = TMainForm::ToolMode;

class MainFormShortcutsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void actionShortcutsWorkFromAModelessWindow();
  void nothingIsDispatchedWhileTheMainWindowIsDisabled();
};

void MainFormShortcutsTest::actionShortcutsWorkFromAModelessWindow() {
  Window w;
  QVERIFY(w.Idle());
  QWidget options(w.form.get(), Qt::Window);
  auto* field = new QLineEdit(&options);
  options.show();
  options.activateWindow();
  QTRY_COMPARE(QApplication::activeWindow(), &options);
  QVERIFY(!w->isActiveWindow());

  QTest::keyClick(&options, Qt::Key_H);
  QCOMPARE(w->toolMode, Mode::Hand);
  // U, + and - belong to the main window's own key handler.
  QTest::keyClick(&options, Qt::Key_Plus);
  QTest::keyClick(&options, Qt::Key_U);
  QCOMPARE(w->fractal.viewWidth, 5.0f);
  QCOMPARE(w.paletteRebuilds, 0);
  w->fractal.centreX = 1.0f;
  QTest::keyClick(&options, Qt::Key_Home);
  QCOMPARE(w->fractal.centreX, 0.0f);
  QVERIFY(w.Idle());
  // Typing into an edit box of that window stays typing.
  field->setFocus();
  QTest::keyClick(field, Qt::Key_L);
  QCOMPARE(field->text(), QStringLiteral("l"));
  QCOMPARE(w->toolMode, Mode::Hand);
}

void MainFormShortcutsTest::nothingIsDispatchedWhileTheMainWindowIsDisabled() {
  Window w;
  QVERIFY(w.Idle());
  QDialog browser(w.form.get());
  browser.setModal(true);
  browser.show();
  browser.activateWindow();
  QTRY_COMPARE(QApplication::activeWindow(), &browser);
  for (Qt::Key key : {Qt::Key_L, Qt::Key_C, Qt::Key_A, Qt::Key_H}) QTest::keyClick(&browser, key);
  QCOMPARE(w->toolMode, Mode::FactorDrag);
  browser.close();

  QWidget other(w.form.get(), Qt::Window);
  other.show();
  other.activateWindow();
  QTRY_COMPARE(QApplication::activeWindow(), &other);
  w->setEnabled(false);
  QTest::keyClick(&other, Qt::Key_L);
  QCOMPARE(w->toolMode, Mode::FactorDrag);
  w->setEnabled(true);
  QTest::keyClick(&other, Qt::Key_L);
  QCOMPARE(w->toolMode, Mode::Zoom);
}

QTEST_MAIN(MainFormShortcutsTest)
#include "mainform_shortcuts_test.moc"
