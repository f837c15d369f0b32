// The live render thread seen from the main window: the idle rule, shut-down during a pass,
// many wakes from the user-interface side, and a thread that cannot be created.
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

class MainFormThreadTest : public QObject {
  Q_OBJECT

 private slots:
  void commandsDoNothingWhileAPassRuns();
  void destroyingTheWindowDuringAPassWaitsForIt();
  void stressWakesFromTheUserInterfaceLoseNoPass();
  void threadCreationFailureIsReported();
};

void MainFormThreadTest::commandsDoNothingWhileAPassRuns() {
  QTemporaryDir folder;
  auto gate = std::make_shared<Gate>();
  TMainForm::Dependencies dependencies;
  dependencies.renderer = std::make_unique<GateRenderer>(gate);
  TMainForm form(folder.path(), std::move(dependencies));
  QTRY_VERIFY(gate->entered.load());
  QVERIFY(!form.RenderThreadIdle());

  form.ZSinZ2C->setChecked(true);
  form.FractalN1Execute();
  QVERIFY2(form.ZSinZ2C->isChecked(), "refused while the first pass runs");

  gate->released = true;
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
  QCOMPARE(form.RenderPassesCompleted(), uint64_t{1});
  form.FractalN1Execute();
  QVERIFY(form.FractalN1->isChecked());
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
  QCOMPARE(form.RenderPassesCompleted(), uint64_t{2});
}

void MainFormThreadTest::destroyingTheWindowDuringAPassWaitsForIt() {
  QTemporaryDir folder;
  auto gate = std::make_shared<Gate>();
  TMainForm::Dependencies dependencies;
  dependencies.renderer = std::make_unique<GateRenderer>(gate);
  auto form = std::make_unique<TMainForm>(folder.path(), std::move(dependencies));
  form->show();
  QTRY_VERIFY(gate->entered.load());
  std::thread releaser([gate] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    gate->released = true;
  });
  form.reset();  // waits for the pass, then frees the pictures
  releaser.join();
  QCOMPARE(gate->passesFinished.load(), 1);
  QCoreApplication::processEvents();  // repaint requests of the gone window are dropped
}

void MainFormThreadTest::stressWakesFromTheUserInterfaceLoseNoPass() {
  QTemporaryDir folder;
  TMainForm::Dependencies dependencies;
  dependencies.renderer = std::make_unique<StampRenderer>();
  TMainForm form(folder.path(), std::move(dependencies));
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));

  std::mt19937 random(1234);
  std::uniform_int_distribution<int> pause(0, 9);
  int64_t generation = 0;
  uint64_t accepted = 0;
  while (accepted < 3000) {
    const int choice = pause(random);
    if (choice < 3) {
      QCoreApplication::processEvents();
    } else if (choice < 5) {
      std::this_thread::sleep_for(std::chrono::microseconds(choice * 15));
    }
    if (!form.RenderThreadIdle()) continue;
    QCOMPARE(StampShown(form.Pic), static_cast<uint8_t>(generation & 0xFF));
    QCOMPARE(StampShown(form.GeneralView), static_cast<uint8_t>(generation & 0xFF));
    ++generation;
    form.fractal.cx = static_cast<double>(generation);
    form.fractal.centreX = static_cast<float>(generation % 3);
    form.palette[1].green = static_cast<uint8_t>(generation);
    form.WakeRenderThread();
    ++accepted;
  }
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
  QCOMPARE(form.RenderPassesCompleted(), accepted + 1);
  QCoreApplication::processEvents();
  const QImage shown = Shown(form.Pic);
  QCOMPARE(qBlue(shown.pixel(100, 100)), static_cast<int>(generation & 0xFF));
  QCOMPARE(qGreen(shown.pixel(529, 408)), static_cast<int>(generation & 0xFF));
}

void MainFormThreadTest::threadCreationFailureIsReported() {
  QTemporaryDir folder;
  TMainForm::Dependencies dependencies;
  dependencies.threadLauncher = [](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };
  QString text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    text = box->text();
    caption = box->windowTitle();
    icon = box->icon();
    buttons = box->standardButtons();
    box->accept();
  });
  TMainForm form(folder.path(), std::move(dependencies));
  QCOMPARE(text, QStringLiteral("It was not possible to create a stream \n for calculation of the image."));
  QCOMPARE(caption, QStringLiteral("Error:"));
  QCOMPARE(icon, QMessageBox::Critical);
  QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QVERIFY(!form.RenderThreadCreated());
  QVERIFY(form.TerminateRequested());
  QVERIFY2(!form.RenderThreadIdle(), "no command can act");
  form.FractalN1Execute();
}

QTEST_MAIN(MainFormThreadTest)
#include "mainform_thread_test.moc"
