// The main window as a whole: what it shows after start-up, where its main controls stand,
// settings.dat at close, the render thread at start and at destruction, and the idle rule over
// every control.
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <array>
#include <climits>
#include <optional>
#include <system_error>
#include <thread>
#include <tuple>

#include "engine/view_steering.h"
#include "form_test_support.h"

using namespace form_test;
using Values = std::array<int32_t, 12>;

namespace {

QByteArray SettingsBytes(const Values& values) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  for (int32_t value : values) out << value;
  return bytes;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void startUpShowsThePlainPassesInTheirPlaces();
  void settingsAreWrittenAtCloseOnlyWhenChanged();
  void destroyingTheWindowDuringAPassWaitsForIt();
  void aThreadThatCannotBeCreatedIsReported();
  void inputDuringAPassIsDropped();
};

void MainWindowTest::startUpShowsThePlainPassesInTheirPlaces() {
  QTemporaryDir folder;
  TMainForm form(folder.path());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
  QCOMPARE(form.windowTitle(), QStringLiteral("Zirvanta 1.02"));
  QVERIFY(QDir(folder.filePath("fractals")).exists() && QDir(folder.filePath("paletts")).exists());
  QCOMPARE(form.E_cx->text(), QStringLiteral("0.402"));
  QCOMPARE(form.E_cy->text(), QStringLiteral("0.339"));
  QCOMPARE(form.StatusPanel0->text(), QStringLiteral(" ( X,Y ) =   "));

  // The state the window starts with, as the engine sees it; the reset marker is not seen.
  zirvanta::FractalState state;
  state.cx = static_cast<double>(402 * 0.001L);
  state.cy = static_cast<double>(339 * 0.001L);
  zirvanta::Palette palette;
  zirvanta::BuildPalette(state.palette, palette);
  QVERIFY(Shown(form.Pic) ==
          PlainPass(zirvanta::LiveGeometry(0, 0, zirvanta::DefaultPixelStep()), state, palette));
  QVERIFY(Shown(form.GeneralView) ==
          PlainPass(zirvanta::GeneralGeometry(zirvanta::GeneralViewStep()), state, palette));
  QVERIFY(StripShows(form, palette));

  // The client area below the menu bar is 690 x 554 and cannot be resized.
  QCOMPARE(form.size(), QSize(690, form.menuBar()->height() + 554));
  QCOMPARE(form.minimumSize(), form.maximumSize());
  const std::pair<QWidget*, QRect> places[] = {
      {form.Pic, {46, 0, 530, 409}},          {form.GroupBox3, {584, 28, 97, 106}},
      {form.GeneralView, {8, 17, 81, 65}},    {form.GroupBox1, {584, 142, 97, 220}},
      {form.TrackBarCx, {5, 50, 87, 23}},     {form.TrackBarCy, {5, 138, 87, 23}},
      {form.PalBox, {40, 412, 641, 117}},     {form.PaletteLine, {8, 17, 529, 15}},
      {form.TypeOfPalette, {556, 16, 73, 21}}, {form.ChPalette, {556, 73, 73, 27}},
  };
  for (const auto& [widget, place] : places) {
    QVERIFY2(widget->geometry() == place && widget->isVisible(), qPrintable(widget->objectName()));
  }
}

void MainWindowTest::settingsAreWrittenAtCloseOnlyWhenChanged() {
  constexpr int32_t kMoved = INT32_MIN;  // stands for the position the window was moved to
  const Values defaults = {4, 0, 0, 0, 36, 16, 12, 26, 18, 8, 1, 0};
  const Values stored = {7, 1, 40, 30, 50, 60, 70, 10, 20, 30, 2, 1};
  const struct {
    const char* what;
    std::optional<Values> file;
    bool move;
    std::optional<Values> written;
  } cases[] = {
      {"first start, unmoved", {}, false, {}},
      {"first start, moved", {}, true, Values{4, 0, kMoved, kMoved, 36, 16, 12, 26, 18, 8, 1, 0}},
      {"valid file, unmoved", stored, false, {}},
      {"valid file, moved", stored, true,
       Values{7, 1, kMoved, kMoved, 50, 60, 70, 10, 20, 30, 2, 1}},
      {"palette type 12", Values{7, 1, 40, 30, 50, 60, 70, 10, 20, 30, 12, 1},
       false, Values{7, 1, 40, 30, 50, 60, 70, 10, 20, 30, 1, 1}},
      {"slide order 5", Values{7, 1, 40, 30, 50, 60, 70, 10, 20, 30, 3, 5},
       false, Values{7, 1, 40, 30, 50, 60, 70, 10, 20, 30, 3, 0}},
      {"slide delay 0, kept as read", Values{0, 0, 40, 30, 36, 16, 12, 26, 18, 8, 1, 0}, false, {}},
      // X11 cannot hold this position: the window stands at (30000, -30000) for it.
      {"position beyond reach", Values{4, 0, INT_MAX, INT_MIN, 36, 16, 12, 26, 18, 8, 1, 0},
       false, {}},
  };
  for (const auto& c : cases) {
    QTemporaryDir folder;
    const QString path = folder.filePath("settings.dat");
    if (c.file) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(SettingsBytes(*c.file)) == 48);
    }
    QPoint moved;
    {
      TMainForm form(folder.path());
      const Values inForce = c.written.value_or(c.file.value_or(defaults));
      QCOMPARE(form.TrackBarR0->value(), inForce[4]);
      QCOMPARE(form.TypeOfPalette->currentIndex(), inForce[10] - 1);
      if (c.file) {
        QCOMPARE(form.pos(), QPoint(std::clamp((*c.file)[2], -30000, 30000),
                                    std::clamp((*c.file)[3], -30000, 30000)));
      }
      QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      if (c.move) {
        moved = form.pos() + QPoint(1, 0);
        form.move(moved);
        QTRY_COMPARE(form.pos(), moved);
      }
      QFile::remove(path);  // so that any write shows
      form.close();
    }
    QVERIFY2(QFile::exists(path) == c.written.has_value(), c.what);
    if (!c.written) continue;
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    Values expected = *c.written;
    if (expected[2] == kMoved) std::tie(expected[2], expected[3]) = std::pair(moved.x(), moved.y());
    QVERIFY2(file.readAll() == SettingsBytes(expected), c.what);
  }
  // A delay as settings.dat may hold it never makes the slide show's timer spin or overflow.
  QCOMPARE(TMainForm::SlideTimerIntervalMs(0), 1000);
  QCOMPARE(TMainForm::SlideTimerIntervalMs(20), 20000);
  QVERIFY(TMainForm::SlideTimerIntervalMs(INT_MAX) > 0);
}

void MainWindowTest::destroyingTheWindowDuringAPassWaitsForIt() {
  auto w = std::make_unique<Window>();
  QVERIFY(w->HoldAPass([&] { (*w)->WakeRenderThread(); }));
  const std::shared_ptr<PassHold> hold = w->hold;
  const int rendered = hold->picturesRendered;
  w.reset();  // lets the pass go and waits for its live and general picture before they go
  QCOMPARE(hold->picturesRendered.load(), rendered + 2);
  QCoreApplication::processEvents();  // repaint requests of the gone window are dropped
}

void MainWindowTest::aThreadThatCannotBeCreatedIsReported() {
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
void MainWindowTest::inputDuringAPassIsDropped() {
  Window w;
  Key(w->TrackBarCx, Qt::Key_L);
  ClickAt(w->Pic, {200, 300});  // off centre and zoomed, so that Home would show
  QVERIFY(w.Idle());
  QVERIFY(w.HoldAPass([&] { w->WakeRenderThread(); }));
  const uint64_t passes = w->RenderPassesCompleted();
  auto state = [&w] {
    const zirvanta::FractalState& f = w->fractal;
    return std::tuple(f.cx, f.cy, f.centreX, f.centreY, f.viewWidth, f.fractalType, f.palette,
                      w->palette, w->view.pixelStep, w->view.marker, w->toolMode, w->MouseArmed,
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

QTEST_MAIN(MainWindowTest)
#include "mainform_window_test.moc"
