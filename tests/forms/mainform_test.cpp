// The main window built in a temporary start folder: start-up order, the live pictures against
// the engine's plain passes, the settings rules at start and close, and the render thread seen
// from the user-interface side.
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
#include "forms/U_mainform.h"

namespace {

constexpr int kPatienceMs = 120000;  // a pass may be slow on a busy machine or under a sanitizer

using zirvanta::Bitmap;

QByteArray SettingsBytes(const std::array<int32_t, 12>& values) {
  QByteArray bytes;
  for (int32_t value : values) {
    const auto u = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.append(static_cast<char>((u >> shift) & 0xFF));
  }
  return bytes;
}

std::array<int32_t, 12> ReadSettingsValues(const QString& path) {
  QFile file(path);
  std::array<int32_t, 12> values{};
  if (!file.open(QIODevice::ReadOnly)) return values;
  const QByteArray bytes = file.readAll();
  for (size_t i = 0; i < values.size() && static_cast<qsizetype>(4 * i + 3) < bytes.size(); ++i) {
    uint32_t u = 0;
    for (int k = 3; k >= 0; --k) u = (u << 8) | static_cast<uint8_t>(bytes[static_cast<qsizetype>(4 * i + k)]);
    values[i] = static_cast<int32_t>(u);
  }
  return values;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(bytes), bytes.size());
}

// The state the window starts with, as the engine sees it.
struct EngineState {
  zirvanta::FractalState state;
  zirvanta::Palette palette;
  zirvanta::ViewValues view;
  EngineState() {
    state.cx = static_cast<double>(402 * 0.001L);
    state.cy = static_cast<double>(339 * 0.001L);
    zirvanta::BuildPalette(state.palette, palette);
  }
};

Bitmap PlainPass(const zirvanta::PictureGeometry& geometry, const zirvanta::FractalState& state,
                 const zirvanta::Palette& palette) {
  Bitmap bitmap(geometry.width, geometry.height, zirvanta::PixelFormat::Bgrx32);
  zirvanta::RenderPicturePlain(geometry, state, palette, bitmap);
  return bitmap;
}

// Counts the pixels whose colour differs between an image and a pass.
int DifferingPixels(const QImage& shown, const Bitmap& expected) {
  const QImage image = shown.convertToFormat(QImage::Format_RGB32);
  if (image.width() != expected.Width() || image.height() != expected.Height()) return -1;
  int differing = 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const uint8_t* row = expected.Row(y);
    for (int x = 0; x < image.width(); ++x) {
      const uint8_t* p = row + 4 * x;
      if (qRed(line[x]) != p[2] || qGreen(line[x]) != p[1] || qBlue(line[x]) != p[0]) ++differing;
    }
  }
  return differing;
}

QImage Shown(QWidget* widget) { return widget->grab().toImage(); }

// A renderer that the test holds inside a pass until it lets go.
struct Gate {
  std::atomic<bool> entered{false};
  std::atomic<bool> released{false};
  std::atomic<int> passesFinished{0};
};

class GateRenderer final : public zirvanta::Renderer {
 public:
  explicit GateRenderer(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}
  void RenderPicture(const zirvanta::PictureGeometry& geometry,
                     const zirvanta::FractalState& state, const zirvanta::Palette& palette,
                     Bitmap& bitmap) override {
    gate_->entered = true;
    while (!gate_->released) std::this_thread::yield();
    zirvanta::RenderPicturePlain(geometry, state, palette, bitmap);
    if (geometry.width == zirvanta::kGeneralWidth) ++gate_->passesFinished;
  }
  void RenderExportRows(const zirvanta::ExportGeometry&, const zirvanta::ExportInputs&, int64_t,
                        int64_t, double, Bitmap&) override {}

 private:
  std::shared_ptr<Gate> gate_;
};

// A renderer whose picture tells which change it was made from (Re(c) as a byte).
class StampRenderer final : public zirvanta::Renderer {
 public:
  void RenderPicture(const zirvanta::PictureGeometry& geometry,
                     const zirvanta::FractalState& state, const zirvanta::Palette& palette,
                     Bitmap& bitmap) override {
    const auto stamp = static_cast<uint8_t>(static_cast<int64_t>(state.cx) & 0xFF);
    const uint8_t green = palette[1].green;
    for (int j = 0; j < geometry.height; ++j) {
      uint8_t* row = bitmap.Row(j);
      for (int i = 0; i < geometry.width; ++i) {
        row[4 * i] = stamp;
        row[4 * i + 1] = green;
        row[4 * i + 2] = state.centreX > 0.0f ? 1 : 0;
      }
    }
  }
  void RenderExportRows(const zirvanta::ExportGeometry&, const zirvanta::ExportInputs&, int64_t,
                        int64_t, double, Bitmap&) override {}
};

uint8_t StampShown(const TPictureBox* box) {
  return static_cast<uint8_t>(qBlue(box->Picture().pixel(0, 0)));
}

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void startUpShowsTheDefaultFractal();
  void layoutPlacesEveryControl();
  void menuAndCommands();
  void cursorsAreRegisteredWithTheirHotSpots();
  void hintsGoToTheStatusBarAndNoTooltipIsShown();
  void closingWithoutAChangeWritesNothing();
  void movingTheWindowWritesTheNewPosition();
  void correctedValuesAreWrittenBack_data();
  void correctedValuesAreWrittenBack();
  void storedPositionsAreKeptOrBroughtWithinReach();
  void slideDelayNeverMakesATimerSpin();
  void fractalTypeCommandResetsTheView();
  void fastRendererShowsThePlainPictures();
  void commandsDoNothingWhileAPassRuns();
  void destroyingTheWindowDuringAPassWaitsForIt();
  void stressWakesFromTheUserInterfaceLoseNoPass();
  void threadCreationFailureIsReported();
};

void MainFormTest::startUpShowsTheDefaultFractal() {
  QTemporaryDir folder;
  TMainForm form(folder.path());
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
  QCoreApplication::processEvents();

  QCOMPARE(form.windowTitle(), QStringLiteral("Zirvanta 1.02"));
  QCOMPARE(form.StartFolder, QDir(folder.path()).absolutePath());
  QCOMPARE(form.FractalFolder, form.StartFolder + "/fractals");
  QCOMPARE(form.PaletteFolder, form.StartFolder + "/paletts");
  QVERIFY(QDir(form.FractalFolder).exists());
  QVERIFY(QDir(form.PaletteFolder).exists());

  EngineState expected;
  QCOMPARE(form.fractal.cx, expected.state.cx);
  QCOMPARE(form.fractal.cy, expected.state.cy);
  QCOMPARE(form.E_cx->text(), QStringLiteral("0.402"));
  QCOMPARE(form.E_cy->text(), QStringLiteral("0.339"));
  QVERIFY(form.fractal.palette == zirvanta::PaletteParams{});
  QVERIFY(form.palette == expected.palette);
  QCOMPARE(form.view.pixelStep, zirvanta::DefaultPixelStep());
  QVERIFY(form.view.marker == zirvanta::ResetMarker());
  QCOMPARE(form.TypeOfPalette->currentText(), QStringLiteral("LLL"));
  QCOMPARE(form.TrackBarR0->value(), 36);
  QCOMPARE(form.TrackBarG0->value(), 16);
  QCOMPARE(form.TrackBarB0->value(), 12);
  QCOMPARE(form.TrackBarR1->value(), 26);
  QCOMPARE(form.TrackBarG1->value(), 18);
  QCOMPARE(form.TrackBarB1->value(), 8);
  QVERIFY(form.IsChPalette->isChecked());
  QVERIFY(!form.ChPalette->isEnabled());
  QCOMPARE(form.RenderPassesCompleted(), uint64_t{1});

  // The live view and the general view are the plain passes, pixel for pixel, as painted.
  const Bitmap live = PlainPass(zirvanta::LiveGeometry(0.0f, 0.0f, zirvanta::DefaultPixelStep()),
                                expected.state, expected.palette);
  const Bitmap general = PlainPass(zirvanta::GeneralGeometry(zirvanta::GeneralViewStep()),
                                   expected.state, expected.palette);
  QCOMPARE(DifferingPixels(form.Pic->Picture(), live), 0);
  QCOMPARE(DifferingPixels(Shown(form.Pic), live), 0);
  QCOMPARE(DifferingPixels(form.GeneralView->Picture(), general), 0);
  QCOMPARE(DifferingPixels(Shown(form.GeneralView), general), 0);

  // The strip: column i shows entry trunc(i x 256/529), from entry 0 to entry 255.
  const QImage strip = Shown(form.PaletteLine).convertToFormat(QImage::Format_RGB32);
  QCOMPARE(strip.size(), QSize(529, 15));
  for (int x = 0; x < strip.width(); ++x) {
    const zirvanta::PaletteEntry& entry = expected.palette[zirvanta::PaletteLineIndex(x, 529)];
    for (int y = 0; y < strip.height(); ++y) {
      QCOMPARE(strip.pixel(x, y), qRgb(entry.red, entry.green, entry.blue));
    }
  }
  QCOMPARE(zirvanta::PaletteLineIndex(528, 529), 255);
  QCOMPARE(strip.pixel(0, 0), qRgb(36, 16, 12));

  QCOMPARE(form.StatusPanel0->text(), QStringLiteral(" ( X,Y ) =   "));
  QCOMPARE(form.StatusPanel1->text(), QString());
}

void MainFormTest::layoutPlacesEveryControl() {
  QTemporaryDir folder;
  TMainForm form(folder.path());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));

  // The client area below the menu bar is 690 x 554 and cannot be resized.
  const int menuHeight = form.menuBar()->height();
  QCOMPARE(form.size(), QSize(690, menuHeight + 554));
  QCOMPARE(form.minimumSize(), form.maximumSize());
  QCOMPARE(form.StatusBar1->geometry(), QRect(0, menuHeight + 535, 690, 19));
  QCOMPARE(form.StatusPanel0->width(), 160);
  QVERIFY(form.StatusPanel1->width() > 400);

  const struct {
    QWidget* widget;
    QRect place;
  } places[] = {
      {form.Pic, {46, 0, 530, 409}},          {form.DefButton, {6, 8, 32, 32}},
      {form.Hand, {6, 42, 32, 32}},           {form.Center, {6, 76, 32, 32}},
      {form.Lupa, {6, 110, 32, 32}},          {form.LupaPlus, {6, 144, 32, 32}},
      {form.LupaMinus, {6, 178, 32, 32}},     {form.Koef, {6, 212, 32, 32}},
      {form.To_From, {6, 246, 32, 32}},       {form.FullScreenButton, {600, 8, 65, 16}},
      {form.GroupBox3, {584, 28, 97, 106}},   {form.GeneralView, {8, 17, 81, 65}},
      {form.GroupBox1, {584, 142, 97, 220}},  {form.CloseButton, {600, 378, 65, 22}},
      {form.PalBox, {40, 412, 641, 117}},     {form.PaletteLine, {8, 17, 529, 15}},
      {form.E_cx, {10, 32, 65, 17}},          {form.PlusCx, {75, 32, 12, 8}},
      {form.MinusCx, {75, 40, 12, 9}},        {form.TrackBarCx, {5, 50, 87, 23}},
      {form.DownCx, {13, 74, 22, 22}},        {form.StopCx, {38, 74, 22, 22}},
      {form.UpCx, {63, 74, 22, 22}},          {form.E_cy, {10, 120, 65, 17}},
      {form.PlusCy, {75, 120, 12, 8}},        {form.MinusCy, {75, 129, 12, 8}},
      {form.TrackBarCy, {5, 138, 87, 23}},    {form.DownCy, {13, 162, 22, 22}},
      {form.StopCy, {38, 162, 22, 22}},       {form.UpCy, {63, 162, 22, 22}},
      {form.TrackBarR0, {24, 38, 241, 22}},   {form.TrackBarG0, {24, 60, 241, 22}},
      {form.TrackBarB0, {24, 82, 241, 22}},   {form.TrackBarR1, {296, 38, 241, 22}},
      {form.TrackBarG1, {296, 60, 241, 22}},  {form.TrackBarB1, {296, 82, 241, 22}},
      {form.TypeOfPalette, {556, 16, 73, 21}}, {form.IsChPalette, {556, 48, 65, 17}},
      {form.ChPalette, {556, 73, 73, 27}},
  };
  for (const auto& [widget, place] : places) {
    QVERIFY2(widget->geometry() == place, qPrintable(widget->objectName()));
    QVERIFY2(widget->isVisible(), qPrintable(widget->objectName()));
  }

  // Captions fit their boxes.
  for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
           form.FullScreenButton, form.CloseButton, form.ChPalette, form.IsChPalette}) {
    const int textWidth = button->fontMetrics().horizontalAdvance(button->text());
    QVERIFY2(textWidth + (button->icon().isNull() ? 0 : 16) < button->width(),
             qPrintable(button->text()));
    QVERIFY2(button->fontMetrics().height() <= button->height(), qPrintable(button->text()));
  }
  QCOMPARE(form.FullScreenButton->font().pixelSize(), 9);
  QCOMPARE(form.GroupBox1->font().pixelSize(), 9);
  QCOMPARE(form.GroupBox3->title(), QStringLiteral("General view  "));
  QCOMPARE(form.GroupBox1->title(), QStringLiteral("Factors"));
  QCOMPARE(form.PalBox->title(), QStringLiteral("Palette"));
  QCOMPARE(form.LabelRe->text(), QStringLiteral("Re( C )"));
  QCOMPARE(form.LabelIm->text(), QStringLiteral("Im( C )"));

  QCOMPARE(form.TrackBarCx->minimum(), -2000);
  QCOMPARE(form.TrackBarCx->maximum(), 2000);
  QCOMPARE(form.TrackBarCx->value(), 402);
  QCOMPARE(form.TrackBarCy->value(), 339);
  QCOMPARE(form.TrackBarCx->tickInterval(), 400);
  QCOMPARE(form.TrackBarR0->maximum(), 100);
  QCOMPARE(form.TrackBarR0->tickInterval(), 4);
  QCOMPARE(form.TrackBarB1->maximum(), 40);
  QCOMPARE(form.TrackBarB1->tickInterval(), 2);
  QStringList types;
  for (int i = 0; i < form.TypeOfPalette->count(); ++i) types << form.TypeOfPalette->itemText(i);
  QCOMPARE(types, (QStringList{"LLL", "SSS", "LSS", "SLL", "SLS", "LSL", "SSL", "LLS"}));

  // The six palette sliders come first in the tab order.
  auto nextTabStop = [](QWidget* widget) {
    do {
      widget = widget->nextInFocusChain();
    } while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisible());
    return widget;
  };
  QCOMPARE(nextTabStop(form.TrackBarR0), form.TrackBarG0);
  QCOMPARE(nextTabStop(form.TrackBarG0), form.TrackBarB0);
  QCOMPARE(nextTabStop(form.TrackBarB0), form.TrackBarR1);
  QCOMPARE(nextTabStop(form.TrackBarR1), form.TrackBarG1);
  QCOMPARE(nextTabStop(form.TrackBarG1), form.TrackBarB1);
  for (QWidget* notTabStop : std::initializer_list<QWidget*>{
           form.TypeOfPalette, form.IsChPalette, form.ChPalette, form.E_cx, form.E_cy}) {
    QVERIFY(!(notTabStop->focusPolicy() & Qt::TabFocus));
  }

  for (QToolButton* tool : {form.DefButton, form.Hand, form.Center, form.Lupa, form.LupaPlus,
                            form.LupaMinus, form.Koef, form.To_From, form.DownCx, form.StopCx,
                            form.UpCx, form.DownCy, form.StopCy, form.UpCy}) {
    QVERIFY2(!tool->icon().isNull(), qPrintable(tool->objectName()));
  }
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
}

void MainFormTest::menuAndCommands() {
  QTemporaryDir folder;
  TMainForm form(folder.path());
  QStringList topLevel;
  for (QAction* action : form.menuBar()->actions()) topLevel << action->text();
  QCOMPARE(topLevel, (QStringList{"&File", "&Fractal", "&View", "&Options", "&Help"}));
  QVERIFY(form.Options->menu() == nullptr);  // a command of its own, not a submenu

  QCOMPARE(form.CloseApp->text(), QStringLiteral("&Quit"));
  QCOMPARE(form.CloseApp->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  QCOMPARE(form.FileMenu->actions().last(), form.CloseApp);
  QVERIFY(form.FileMenu->actions().first()->isSeparator());
  QVERIFY(form.CloseApp->icon().cacheKey() == form.ImageList1[3].cacheKey());
  for (const QIcon& icon : form.ImageList1) QVERIFY(!icon.isNull());

  QCOMPARE(form.FractalMenu->actions().size(), 2);
  QCOMPARE(form.FractalN1->text(), QStringLiteral("&Z <- Z^2 + C"));
  QVERIFY(form.FractalN1->isCheckable() && form.FractalN1->isChecked());
  QCOMPARE(form.ZSinZ2C->text(), QStringLiteral("Z <- Z^&3 + C"));
  QVERIFY(!form.ZSinZ2C->isVisible());
  QVERIFY(form.FractalTypes->isExclusive());

  QCOMPARE(form.CloseButton->text(), QStringLiteral("Close"));
  QVERIFY(!form.CloseButton->icon().isNull());
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));

  // "Close" and Ctrl+Q both close the window.
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  QTest::mouseClick(form.CloseButton, Qt::LeftButton);
  QVERIFY(!form.isVisible());
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  QTest::keyClick(form.TrackBarR0, Qt::Key_Q, Qt::ControlModifier);
  QVERIFY(!form.isVisible());
  QVERIFY(!QFile::exists(folder.filePath("settings.dat")));
}

void MainFormTest::cursorsAreRegisteredWithTheirHotSpots() {
  QTemporaryDir folder;
  TMainForm form(folder.path());
  const QPoint hotSpots[7] = {{}, {8, 8}, {16, 15}, {16, 16}, {15, 15}, {16, 16}, {16, 16}};
  for (int number = 1; number <= 6; ++number) {
    const QCursor& cursor = form.ScreenCursor(number);
    QCOMPARE(cursor.hotSpot(), hotSpots[number]);
    const QImage image = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(32, 32));
    // Two colours and a mask: black, white and transparent pixels only.
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const QRgb pixel = image.pixel(x, y);
        if (qAlpha(pixel) != 0) colours.insert(pixel);
      }
    QVERIFY(colours.contains(qRgb(0, 0, 0)));
    QVERIFY(colours.size() <= 2);
  }
  QCOMPARE(form.GeneralView->cursor().hotSpot(), QPoint(16, 16));
  QCOMPARE(form.Pic->cursor().hotSpot(), QPoint(15, 15));
  QCOMPARE(form.Pic->cursor().pixmap().toImage(), form.ScreenCursor(4).pixmap().toImage());
  QCOMPARE(form.GeneralView->cursor().pixmap().toImage(),
           form.ScreenCursor(3).pixmap().toImage());
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
}

void MainFormTest::hintsGoToTheStatusBarAndNoTooltipIsShown() {
  QTemporaryDir folder;
  TMainForm form(folder.path());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));

  auto enter = [](QWidget* widget) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QCoreApplication::sendEvent(widget, &event);
  };
  auto leave = [](QWidget* widget) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
  };
  enter(form.CloseButton);
  QCOMPARE(form.StatusPanel1->text(), QStringLiteral(" Closes the program (Ctrl+Q)"));
  leave(form.CloseButton);
  QCOMPARE(form.StatusPanel1->text(), QString());
  enter(form.Pic);
  QCOMPARE(form.StatusPanel1->text(),
           QStringLiteral(" Changes factors at moving under the image with the pressed key of the mouse"));
  enter(form.TrackBarCy);
  QCOMPARE(form.StatusPanel1->text(), QStringLiteral(" Changes Im(C)"));
  enter(form.ChPalette);  // disabled, but its hint is shown all the same
  QCOMPARE(form.StatusPanel1->text(), QStringLiteral(" Starts recalculation of the palette on demand (U)"));
  QCOMPARE(form.StatusPanel0->text(), QStringLiteral(" ( X,Y ) =   "));

  for (QWidget* widget : form.findChildren<QWidget*>()) {
    if (!widget->statusTip().isEmpty()) {
      QVERIFY2(widget->statusTip().startsWith(' '), qPrintable(widget->objectName()));
    }
    QVERIFY2(widget->toolTip().isEmpty(), qPrintable(widget->objectName()));
  }
  // A tooltip request is swallowed before any control sees it.
  form.CloseButton->setToolTip(QStringLiteral("must not show"));
  QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), form.CloseButton->mapToGlobal(QPoint(2, 2)));
  QCoreApplication::sendEvent(form.CloseButton, &help);
  QVERIFY(!QToolTip::isVisible());
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
}

void MainFormTest::closingWithoutAChangeWritesNothing() {
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

void MainFormTest::movingTheWindowWritesTheNewPosition() {
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

void MainFormTest::correctedValuesAreWrittenBack_data() {
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

void MainFormTest::correctedValuesAreWrittenBack() {
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

void MainFormTest::storedPositionsAreKeptOrBroughtWithinReach() {
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

void MainFormTest::slideDelayNeverMakesATimerSpin() {
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

void MainFormTest::fractalTypeCommandResetsTheView() {
  QTemporaryDir folder;
  TMainForm form(folder.path());
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));

  // Zoom in off-centre with another c and palette, as the tools will.
  QVERIFY(form.RenderThreadIdle());
  form.fractal.cx = -0.75;
  form.fractal.cy = 0.11;
  form.fractal.centreX = 0.3f;
  form.fractal.centreY = -0.2f;
  zirvanta::SetViewWidth(form.fractal, form.view, 0.1f);
  form.view.marker = zirvanta::UpdateMarker(form.fractal.centreX, form.fractal.centreY,
                                            form.view.pixelStep, form.view.generalStep);
  form.fractal.palette.type = 2;
  form.BuildPalette();
  form.WakeRenderThread();
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
  const Bitmap bare = PlainPass(zirvanta::GeneralGeometry(zirvanta::GeneralViewStep()),
                                form.fractal, form.palette);
  QVERIFY2(DifferingPixels(form.GeneralView->Picture(), bare) > 0, "the marker is seen");

  form.ZSinZ2C->setChecked(true);
  form.FractalN1->trigger();
  QVERIFY(form.FractalN1->isChecked());
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
  QCOMPARE(form.RenderPassesCompleted(), uint64_t{3});
  QCOMPARE(form.fractal.viewWidth, 5.0f);
  QCOMPARE(form.fractal.centreX, 0.0f);
  QCOMPARE(form.fractal.centreY, 0.0f);
  QCOMPARE(form.view.pixelStep, form.view.defaultStep);
  QVERIFY(form.view.marker == zirvanta::ResetMarker());
  QCOMPARE(form.fractal.cx, -0.75);
  QCOMPARE(form.fractal.palette.type, 2);
  QCOMPARE(form.fractal.fractalType, 1);

  const Bitmap live =
      PlainPass(zirvanta::LiveGeometry(0.0f, 0.0f, zirvanta::DefaultPixelStep()), form.fractal,
                form.palette);
  QCOMPARE(DifferingPixels(form.Pic->Picture(), live), 0);
  QCOMPARE(DifferingPixels(form.GeneralView->Picture(), bare), 0);
  QCoreApplication::processEvents();
  QCOMPARE(DifferingPixels(Shown(form.Pic), live), 0);
}

void MainFormTest::fastRendererShowsThePlainPictures() {
  QTemporaryDir folder;
  TMainForm::Dependencies dependencies;
  dependencies.renderer = std::make_unique<zirvanta::FastRenderer>(2);
  TMainForm form(folder.path(), std::move(dependencies));
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));

  auto expectPlainPictures = [&form] {
    const Bitmap live = PlainPass(
        zirvanta::LiveGeometry(form.fractal.centreX, form.fractal.centreY, form.view.pixelStep),
        form.fractal, form.palette);
    Bitmap general = PlainPass(zirvanta::GeneralGeometry(form.view.generalStep), form.fractal,
                               form.palette);
    zirvanta::DrawMarker(general, form.view.marker);
    QCOMPARE(DifferingPixels(form.Pic->Picture(), live), 0);
    QCOMPARE(DifferingPixels(form.GeneralView->Picture(), general), 0);
  };
  expectPlainPictures();

  // A zoomed view with its marker, another c and a sine palette.
  form.fractal.cx = -0.7269;
  form.fractal.cy = 0.1889;
  form.fractal.centreX = -0.21f;
  form.fractal.centreY = 0.33f;
  zirvanta::SetViewWidth(form.fractal, form.view, 0.6f);
  form.view.marker = zirvanta::UpdateMarker(form.fractal.centreX, form.fractal.centreY,
                                            form.view.pixelStep, form.view.generalStep);
  form.fractal.palette = {5, 70, 20, 90, 13, 7, 29};
  form.BuildPalette();
  form.WakeRenderThread();
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
  expectPlainPictures();

  // Zoomed in far enough for the cross.
  zirvanta::SetViewWidth(form.fractal, form.view, 0.05f);
  form.view.marker = zirvanta::UpdateMarker(form.fractal.centreX, form.fractal.centreY,
                                            form.view.pixelStep, form.view.generalStep);
  QCOMPARE(form.view.marker.mode, zirvanta::MarkerState::Mode::Cross);
  form.WakeRenderThread();
  QVERIFY(form.WaitForRenderThreadIdle(kPatienceMs));
  expectPlainPictures();
}

void MainFormTest::commandsDoNothingWhileAPassRuns() {
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

void MainFormTest::destroyingTheWindowDuringAPassWaitsForIt() {
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

void MainFormTest::stressWakesFromTheUserInterfaceLoseNoPass() {
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

void MainFormTest::threadCreationFailureIsReported() {
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

QTEST_MAIN(MainFormTest)
#include "mainform_test.moc"
