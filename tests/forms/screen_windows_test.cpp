// Full screen, the slide show and its options: each window alone with the shared state and the
// main window double, then through the main window's commands. Runs on two offscreen screens,
// 1024 x 768 and 1365 x 767 (two_screens.json), so the pictures are checked at an odd width too.
#include <QtTest>
#include <QtWidgets>
#include <functional>

#include "engine/fast/fast_renderer.h"
#include "engine/render.h"
#include "files/fractal_file.h"
#include "files/settings.h"
#include "form_test_support.h"
#include "forms/U_fullscreen.h"
#include "forms/U_options.h"
#include "forms/U_slideform.h"
#include "main_link_double.h"

using namespace form_test;
using zirvanta::FractalState;

namespace {

// The plain one-thread pass of a full-screen picture.
QImage PlainScreenPicture(const FractalState& state, const zirvanta::Palette& palette, QSize size) {
  zirvanta::Bitmap bitmap(size.width(), size.height(), zirvanta::PixelFormat::Bgrx32);
  zirvanta::RenderPicturePlain(zirvanta::ScreenGeometry(state.centreX, state.centreY,
                                                        state.viewWidth, size.width(),
                                                        size.height()),
                               state, palette, bitmap);
  return QImage(bitmap.Row(0), size.width(), size.height(),
                static_cast<qsizetype>(bitmap.Stride()), QImage::Format_RGB32).copy();
}

// Keeps the caption, text and icon of each message box that comes up while it lives, and
// closes it.
struct BoxSeen {
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int count = 0;
  QTimer timer;
  BoxSeen() {
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        ++count;
        box->accept();
      }
    });
    timer.start(5);
  }
};

// A fractal of the given c and type, with a palette other than the start-up one.
FractalState Fractal(double cx, int32_t type = 1) {
  FractalState state;
  state.fractalType = type;
  state.cx = cx;
  state.cy = 0.156;
  state.centreX = 0.2f;
  state.centreY = -0.25f;
  state.viewWidth = 3.5f;
  state.palette = {3, 50, 20, 80, 11, 5, 30};
  return state;
}

// The shared state as a fresh main window holds it, and a renderer for the screen pictures.
struct Shared {
  zirvanta::SharedState state;
  MainLinkDouble link;
  zirvanta::FastRenderer renderer;
  TScreenPicture picture{[this]() -> zirvanta::Renderer& { return renderer; }};
  Shared() { zirvanta::BuildPalette(state.fractal.palette, state.palette); }
  bool Write(const std::string& name, const FractalState& fractal) {
    return zirvanta::WriteFractalFile(state.FractalFolder + "/" + name, fractal).ok();
  }
};

}  // namespace

class ScreenWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
    QCOMPARE(QGuiApplication::screens().size(), 2);
  }

  // The slider keeps a delay from the file within 1 .. 20, the box shows it as it is and then
  // follows the slider; only Ok stores.
  void optionsStoreOnlyOnOk() {
    const struct {
      int32_t delay, order;
      int slider;
      const char* box;
      int moveTo;
      bool random, ok;
      int32_t delayAfter, orderAfter;
    } cases[] = {{4, 0, 4, "4", 20, true, false, 4, 0},
                 {0, 0, 1, "0", 0, false, true, 1, 0},
                 {99, 1, 20, "99", 9, false, true, 9, 0}};
    for (const auto& c : cases) {
      Shared s;
      s.state.slideDelay = c.delay;
      s.state.slideOrder = c.order;
      QPointer<TJLFOptions> options = new TJLFOptions(s.state, s.link);
      options->show();
      QVERIFY(QTest::qWaitForWindowExposed(options));
      QVERIFY(s.state.windows.optionsWindowOpen);
      QCOMPARE(options->windowTitle(), QStringLiteral("Options"));
      QCOMPARE(options->size(), QSize(170, 203));
      QCOMPARE(options->BTInterval->value(), c.slider);
      QCOMPARE(options->TimeInterval->text(), QString::fromLatin1(c.box));
      QCOMPARE(options->RadioButton2->isChecked(), c.order == 1);
      if (c.moveTo) {
        options->BTInterval->setValue(c.moveTo);
        QCOMPARE(options->TimeInterval->text(), QString::number(c.moveTo));
      }
      (c.random ? options->RadioButton2 : options->RadioButton1)->setChecked(true);
      Click(c.ok ? options->ButOkey : options->CanBut);
      QTRY_VERIFY(options.isNull());
      QVERIFY(!s.state.windows.optionsWindowOpen);
      QCOMPARE(s.state.slideDelay, c.delayAfter);
      QCOMPARE(s.state.slideOrder, c.orderAfter);
    }
    Shared s;
    TJLFOptions options(s.state, s.link);
    QStatusTipEvent tip(options.BTInterval->statusTip());
    QApplication::sendEvent(options.BTInterval, &tip);
    QCOMPARE(s.link.hint, QStringLiteral(" Establishes a delay for slide - show"));
  }

  // Slides: a known fractal is drawn exactly, an unknown type shows the label, a file gone since
  // the gathering gives the reader's message once and the slide before it again; the shared
  // state and the current folder are never changed.
  void slidesAreReadIntoACopyAndDrawnExactly() {
    QTemporaryDir start;
    Shared s;
    s.state.FractalFolder = start.path().toStdString();
    const FractalState known = Fractal(-0.8);
    QVERIFY(s.Write("a.frc", known) && s.Write("b.frc", Fractal(0.1, 7)) &&
            s.Write("c.frc", known));
    zirvanta::TSlideList list;
    QCOMPARE(list.Gather(s.state.FractalFolder), zirvanta::TSlideList::GatherResult::Gathered);
    while (list.NextName() != "c.frc") {}  // forward from here, whatever the listing order
    QVERIFY(QFile::remove(start.filePath("c.frc")));
    const zirvanta::SharedState before = s.state;
    zirvanta::SlideRandom random;
    s.state.slideDelay = 1;
    s.state.windows.slideShowRunning = true;
    const QString cwd = QDir::currentPath();

    TSlideForm form(s.state, s.link, s.picture, list, random);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QSize size = form.screen()->geometry().size();
    QCOMPARE(form.geometry(), form.screen()->geometry());
    QCOMPARE(form.Timer1->interval(), 1000);
    QVERIFY(form.Timer1->isActive());
    BoxSeen boxes;
    for (const char expected : {'a', 'b', 'c', 'a'}) {
      if (expected == 'a') {
        zirvanta::Palette palette;
        zirvanta::BuildPalette(known.palette, palette);
        QVERIFY(form.Slide->isVisible() && !form.Mes->isVisible());
        QCOMPARE(Shown(form.Slide), PlainScreenPicture(known, palette, size));
      } else {
        // The label, and once the file went away its message and the label again.
        QCOMPARE(boxes.count, expected == 'c' ? 1 : 0);
        QVERIFY(!form.Slide->isVisible() && form.Mes->isVisible());
        QCOMPARE(form.Mes->text(), QStringLiteral("( Unknown fractal type)"));
        QCOMPARE(form.Mes->pos(), QPoint(static_cast<int>((size.width() - form.Mes->width()) * 0.5),
                                         static_cast<int>(size.height() * 0.4)));
        QCOMPARE(form.Mes->palette().color(QPalette::WindowText), QColor(0, 255, 255));
        QCOMPARE(form.Mes->font().pixelSize(), 27);
        QCOMPARE(form.palette().color(QPalette::Window), QColor(0, 128, 128));
      }
      QCOMPARE(s.state.fractal.cx, before.fractal.cx);
      form.Timer1Timer();
      QVERIFY(form.Timer1->isActive());
    }
    QCOMPARE(boxes.count, 1);
    QCOMPARE(boxes.caption, QStringLiteral("Zirvanta 1.02"));
    QCOMPARE(boxes.text, QStringLiteral("The file did not manage to be opened for reading."));
    // The pointer is invisible over a slide.
    const QCursor cursor = form.Slide->cursor();
    QCOMPARE(cursor.hotSpot(), QPoint(15, 13));
    QImage clear(32, 32, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    QCOMPARE(cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32), clear);

    QTest::keyClick(&form, Qt::Key_Space);
    QVERIFY(!form.isVisible() && !form.Timer1->isActive());
    QVERIFY(!s.state.windows.slideShowRunning);
    QCOMPARE(QDir::currentPath(), cwd);
    QCOMPARE(zirvanta::EncodeFractal(s.state.fractal), zirvanta::EncodeFractal(before.fractal));
    QVERIFY(s.state.palette == before.palette);
  }

  // Through the main window: F shows the window on the main window's screen, main-window
  // commands still act while it is shown, other keys close it.
  void fullScreenCommand() {
    Window w;
    QVERIFY(w.HoldAPass([&] { w->WakeRenderThread(); }));
    w->FullScr->trigger();
    QVERIFY(!w->FullScreenForm() && !w->State().windows.fullScreenShown);  // busy: nothing
    QVERIFY(w.Release());

    w->FullScr->trigger();
    TFullScreenForm* form = w->FullScreenForm();
    QVERIFY(form && w->State().windows.fullScreenShown);
    QCOMPARE(w->FullScreenButton->text(), QStringLiteral("Wait..."));
    QVERIFY(QTest::qWaitForWindowActive(form));
    QCOMPARE(form->geometry(), w->screen()->geometry());
    const auto plain = [&] {
      return PlainScreenPicture(w->fractal, w->palette, w->screen()->geometry().size());
    };
    QCOMPARE(form->Image->Picture(), plain());
    QVERIFY(!QGuiApplication::overrideCursor());

    QTest::keyClick(form, Qt::Key_F);  // F again: nothing
    QCOMPARE(w->FullScreenForm(), form);
    w->LupaPlusClick();  // the view changes underneath
    QVERIFY(w.Idle());
    QTest::keyClick(form, Qt::Key_Home);  // the start-up view, by its command
    QVERIFY(w.Idle());
    QCOMPARE(w->fractal.viewWidth, 5.0f);
    QCOMPARE(w->FullScreenForm(), form);
    w->fractal.cx = -0.8;  // as an open does it, then asks for the picture again
    w->RedrawFullScreen();
    QCOMPARE(form->Image->Picture(), plain());
    w->fractal.cx = 0.402;

    QTest::keyClick(form, Qt::Key_Space);
    QTRY_VERIFY(!w->FullScreenForm());
    QVERIFY(!w->State().windows.fullScreenShown);
    QCOMPARE(w->FullScreenButton->text(), QStringLiteral("Full Screen"));

    // On the other screen, of odd width: its own size, painted exactly; a click closes it, and
    // so does quitting.
    QScreen* other = QGuiApplication::screens().at(1);
    w->move(other->geometry().topLeft() + QPoint(20, 20));
    QTRY_COMPARE(w->screen(), other);
    Click(w->FullScreenButton);
    form = w->FullScreenForm();
    QVERIFY(form && QTest::qWaitForWindowExposed(form));
    QCOMPARE(form->geometry(), other->geometry());
    QCOMPARE(Shown(form->Image), plain());
    QTest::mouseClick(form->Image, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_VERIFY(!w->FullScreenForm());
    QVERIFY(!w->State().windows.fullScreenShown);
    w->FullScr->trigger();
    QVERIFY(w->FullScreenForm());
    w->close();
    QVERIFY(!w->State().windows.fullScreenShown);
  }

  void slideShowCommandMessages() {
    Window w;
    BoxSeen boxes;
    w->SlideShow->trigger();  // the fresh start folder has no fractal
    QCOMPARE(boxes.count, 1);
    QCOMPARE(boxes.caption, QStringLiteral("Error:"));
    QCOMPARE(boxes.text, QStringLiteral("It is not possible to execute the command.\n There is "
                                        "no fractal for show."));
    QCOMPARE(boxes.icon, QMessageBox::Warning);
    QVERIFY(!w->State().windows.slideShowRunning);
    if (::geteuid() == 0) return;  // root lists every folder
    const QString folder = QString::fromStdString(w->State().FractalFolder);
    QFile::setPermissions(folder, {});
    w->SlideShow->trigger();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(boxes.count, 2);
    QCOMPARE(boxes.text, QStringLiteral("It was not possible to create the show list."));
    QCOMPARE(boxes.icon, QMessageBox::Critical);
  }

  // F10 runs the show modally, here keeping the shown palette; a click ends it and the main
  // window is as it was.
  void slideShowCommand() {
    Window w;
    const std::string folder = w->State().FractalFolder;
    QVERIFY(zirvanta::WriteFractalFile(folder + "/a.frc", Fractal(-0.8)).ok());
    QVERIFY(zirvanta::WriteFractalFile(folder + "/b.frc", Fractal(0.285)).ok());
    w->State().CurrentFractalPath = "/somewhere/kept.frc";
    w->State().slideOrder = 1;
    w->State().UseFractalPalette = false;
    const zirvanta::SharedState before = w->State();
    const QImage live = Shown(w->Pic);

    QVERIFY(w.HoldAPass([&] { w->WakeRenderThread(); }));
    w->SlideShow->trigger();  // busy: nothing, not even a message
    QVERIFY(!w->State().windows.slideShowRunning);
    QVERIFY(w.Release());

    bool sawShow = false;
    QTimer::singleShot(0, [&] {
      auto* form = qobject_cast<TSlideForm*>(QApplication::activeModalWidget());
      QVERIFY(form);
      sawShow = w->State().windows.slideShowRunning && form->Slide->isVisible() &&
                form->SlideFractal().cx != before.fractal.cx &&
                form->SlideFractal().palette == before.fractal.palette &&
                !QGuiApplication::overrideCursor();
      QTest::mouseClick(form->Slide, Qt::LeftButton, {}, QPoint(100, 100));
    });
    QTest::keyClick(w.form.get(), Qt::Key_F10);
    QVERIFY(sawShow);
    QVERIFY(!w->State().windows.slideShowRunning && !QApplication::activeModalWidget());
    QCOMPARE(zirvanta::EncodeFractal(w->fractal), zirvanta::EncodeFractal(before.fractal));
    QVERIFY(w->palette == before.palette && w->fractal.colourer == before.fractal.colourer);
    QCOMPARE(w->State().CurrentFractalPath, before.CurrentFractalPath);
    QCOMPARE(Shown(w->Pic), live);
  }

  // The command opens the window, or closes it unstored; Ok's values outlive the program.
  void optionsCommand() {
    Window w;
    w->Options->trigger();
    TJLFOptions* options = w->OptionsForm();
    QVERIFY(options);
    QCOMPARE(options->pos(), w->pos() + QPoint(123, 49));
    options->BTInterval->setValue(20);
    w->Options->trigger();
    QTRY_VERIFY(!w->OptionsForm());
    QCOMPARE(w->State().slideDelay, 4);

    w->Options->trigger();
    w->OptionsForm()->BTInterval->setValue(7);
    w->OptionsForm()->RadioButton2->setChecked(true);
    Click(w->OptionsForm()->ButOkey);
    QTRY_VERIFY(!w->OptionsForm());
    w->Options->trigger();
    w->close();  // quitting closes it too
    QVERIFY(!w->State().windows.optionsWindowOpen);
    const zirvanta::Settings kept = zirvanta::ReadSettings(w.folder.path().toStdString()).live;
    QCOMPARE(kept.slideDelay, 7);
    QCOMPARE(kept.slideOrder, 1);
  }
};

QTEST_MAIN(ScreenWindowsTest)
#include "screen_windows_test.moc"
