// The main window as a whole: settings.dat at close, the render thread at start and at
// destruction, and the idle rule over every control.
#include <climits>
#include <optional>
#include <system_error>
#include <thread>
#include <tuple>

#include "form_test_support.h"

using namespace form_test;
using zirvanta::Settings;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void settingsAreWrittenAtCloseOnlyWhenChanged() {
    const Settings stored{7, 1, 40, 30, {2, 50, 60, 70, 10, 20, 30}, 1};
    Settings type12 = stored, type1 = stored, far = stored, lost = stored;
    type12.palette.type = 12;
    type1.palette.type = 1;
    std::tie(far.left, far.top) = std::pair(INT_MAX, INT_MIN);
    std::tie(lost.left, lost.top) = std::pair(-30000, -30000);
    // Ten bytes: delay and close-after only; the position counts as read, at (0, 0).
    Settings shortFile;
    std::tie(shortFile.slideDelay, shortFile.closeAfterExport) = std::pair(9, 1);
    // The first start, with no settings.dat, is checked on the real program by mainwindow_e2e.
    const struct {
      const char* what;
      Settings file;
      size_t length;
      bool move;
      bool centred;                     // the stored position is on no screen
      std::optional<Settings> written;  // with the window's position at close, if written
    } cases[] = {{"stored", stored, 48, false, false, {}},
                 {"stored, moved", stored, 48, true, false, stored},
                 {"palette type 12", type12, 48, false, false, type1},
                 {"far away", far, 48, false, true, far},
                 {"lost", lost, 48, false, true, lost},
                 {"ten bytes", shortFile, 10, false, false, {}}};
    for (const auto& c : cases) {
      QTemporaryDir folder;
      QFile file(folder.filePath("settings.dat"));
      const std::string bytes = zirvanta::EncodeSettings(c.file).substr(0, c.length);
      QVERIFY(file.open(QIODevice::WriteOnly) &&
              file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
      file.close();
      Settings expected = c.written.value_or(c.file);
      {
        TMainForm form(folder.path());
        QCOMPARE(form.TrackBarR0->value(), expected.palette.r0);
        QCOMPARE(form.TypeOfPalette->currentIndex(), expected.palette.type - 1);
        QCOMPARE(form.State().slideDelay, expected.slideDelay);
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        const QSize window = form.frameGeometry().size();
        const QPoint centre((screen.width() - window.width()) / 2,
                            (screen.height() - window.height()) / 2);
        QCOMPARE(form.pos(), c.centred ? centre : QPoint(c.file.left, c.file.top));
        QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!form.frameGeometry().intersected(form.screen()->geometry()).isEmpty());
        QPoint at = form.pos();
        if (c.move) {
          at += QPoint(1, 0);
          form.move(at);
          QTRY_COMPARE(form.pos(), at);
        }
        std::tie(expected.left, expected.top) = std::pair(at.x(), at.y());
        file.remove();  // so that any write shows
        form.close();
      }
      QVERIFY2(file.open(QIODevice::ReadOnly) == c.written.has_value(), c.what);
      QVERIFY2(!c.written || file.readAll().toStdString() == zirvanta::EncodeSettings(expected),
               c.what);
    }
  }

  // The sliders' thumbs as the style paints them, and the status bar's first panel.
  void thumbLengthsAndTheFirstStatusPanel() {
    Window w;
    const std::pair<QSlider*, int> thumbs[] = {{w->TrackBarCx, 10}, {w->TrackBarCy, 10},
                                               {w->TrackBarR0, 9}, {w->TrackBarB1, 9}};
    for (const auto& [slider, length] : thumbs) {
      QStyleOptionSlider option;
      option.initFrom(slider);
      option.orientation = slider->orientation();
      option.minimum = slider->minimum();
      option.maximum = slider->maximum();
      option.sliderPosition = option.sliderValue = slider->value();
      option.tickPosition = slider->tickPosition();
      option.tickInterval = slider->tickInterval();
      option.subControls = QStyle::SC_All;
      QCOMPARE(slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                               QStyle::SC_SliderHandle, slider).width(), length);
    }
    const QRect panel0(w->StatusPanel0->mapTo(w.form.get(), QPoint(0, 0)), w->StatusPanel0->size());
    QCOMPARE(QPoint(panel0.left(), panel0.width()), QPoint(0, 160));
    QCOMPARE(w->StatusPanel1->mapTo(w.form.get(), QPoint(0, 0)).x() + w->StatusPanel1->width(),
             690);
  }

  void destroyingTheWindowDuringAPassWaitsForIt() {
    auto w = std::make_unique<Window>();
    QVERIFY(w->HoldAPass([&] { (*w)->WakeRenderThread(); }));
    const std::shared_ptr<PassHold> hold = w->hold;
    const int rendered = hold->picturesRendered;
    w.reset();  // lets the pass go and waits for its live and general picture before they go
    QCOMPARE(hold->picturesRendered.load(), rendered + 2);
    QCoreApplication::processEvents();  // repaint requests of the gone window are dropped
  }

  void aThreadThatCannotBeCreatedIsReported() {
    QTemporaryDir folder;
    TMainForm::Dependencies dependencies;
    dependencies.threadLauncher = [](std::function<void()>) -> std::thread {
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    QString shown;
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown = box->windowTitle() + '|' + box->text();
        box->accept();
      }
    });
    TMainForm form(folder.path(), std::move(dependencies));
    QCOMPARE(shown, QStringLiteral("Error:|It was not possible to create a stream \n for "
                                   "calculation of the image."));
    QVERIFY(form.TerminateRequested());
    QVERIFY2(!form.RenderThreadIdle(), "no command can act");
  }

  // While a pass runs every control that would change what the thread reads does nothing, and
  // nothing is queued; a moved control keeps its position for the next accepted event.
  void inputDuringAPassIsDropped() {
    Window w;
    Key(w->TrackBarCx, Qt::Key_L);
    ClickAt(w->Pic, {200, 300});  // off centre and zoomed, so that Home would show
    QVERIFY(w.Idle());
    QVERIFY(w.HoldAPass([&] { w->WakeRenderThread(); }));
    const uint64_t passes = w->RenderPassesCompleted();
    auto state = [&w] {
      const zirvanta::FractalState& f = w->fractal;
      return std::tuple(f.cx, f.cy, f.centreX, f.centreY, f.viewWidth, f.fractalType, f.palette,
                        w->palette, w->view.pixelStep, w->view.marker, w->toolMode, w->State().MouseArmed,
                        w->applyPaletteAtOnce, w->ChPalette->isEnabled(), w->E_cx->text());
    };
    const auto before = state();
    auto key = [](QWidget* control, Qt::Key k) { return [=] { Key(control, k); }; };
    auto click = [](QAbstractButton* button) { return [=] { Click(button); }; };
    const std::pair<const char*, std::function<void()>> inputs[] = {
        {"Re(c) slider", key(w->TrackBarCx, Qt::Key_Right)}, {"Re(c) +", click(w->PlusCx)},
        {"Im(c) -", click(w->MinusCy)}, {"palette slider", key(w->TrackBarR0, Qt::Key_Right)},
        {"To apply", click(w->IsChPalette)}, {"U", key(w->TrackBarR0, Qt::Key_U)},
        {"+ key", key(w->TrackBarR0, Qt::Key_Plus)}, {"- button", click(w->LupaMinus)},
        {"Home", key(w->TrackBarR0, Qt::Key_Home)}, {"Home button", click(w->DefButton)},
        {"tool key", key(w->TrackBarR0, Qt::Key_K)}, {"tool button", click(w->Hand)},
        {"zoom click", [&] { ClickAt(w->Pic, {10, 10}); }},
        {"general view click", [&] { ClickAt(w->GeneralView, {5, 5}); }},
        {"fractal type command", [&] { w->FractalN1->trigger(); }}};
    for (const auto& [what, input] : inputs) {
      input();
      QVERIFY2(state() == before, what);
    }
    QVERIFY(!QGuiApplication::overrideCursor());
    // Only the coordinates follow the mouse.
    MoveTo(w->Pic, {265, 204});
    QCOMPARE(w->StatusPanel0->text(), QStringLiteral(" ( X,Y ) =   -0.613   -0.906"));
    QVERIFY(w.Release());
    QCOMPARE(w->RenderPassesCompleted(), passes + 1);

    // The next accepted events take the positions and the box as the user left them.
    Click(w->PlusCx);
    QCOMPARE(w->fractal.cx, zirvanta::FactorOfPosition(405));
    QVERIFY(w.Idle());
    Click(w->IsChPalette);
    QVERIFY(w->IsChPalette->isChecked() && w->applyPaletteAtOnce);
    QCOMPARE(w->fractal.palette.r0, 37);
    QVERIFY(w.Idle());
  }
};

QTEST_MAIN(MainWindowTest)
#include "mainform_window_test.moc"
