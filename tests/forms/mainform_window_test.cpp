// The main window built in a temporary start folder: what it shows after start-up, its
// layout, menu, cursors and hints, and the fractal-type command.
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

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void startUpShowsTheDefaultFractal();
  void layoutPlacesEveryControl();
  void menuAndCommands();
  void cursorsAreRegisteredWithTheirHotSpots();
  void hintsGoToTheStatusBarAndNoTooltipIsShown();
  void fractalTypeCommandResetsTheView();
  void fastRendererShowsThePlainPictures();
};

void MainWindowTest::startUpShowsTheDefaultFractal() {
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

void MainWindowTest::layoutPlacesEveryControl() {
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
  QCOMPARE(form.GroupBox3->title(), QStringLiteral("General view  "));
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

void MainWindowTest::menuAndCommands() {
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

void MainWindowTest::cursorsAreRegisteredWithTheirHotSpots() {
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

void MainWindowTest::hintsGoToTheStatusBarAndNoTooltipIsShown() {
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

void MainWindowTest::fractalTypeCommandResetsTheView() {
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

void MainWindowTest::fastRendererShowsThePlainPictures() {
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

QTEST_MAIN(MainWindowTest)
#include "mainform_window_test.moc"
