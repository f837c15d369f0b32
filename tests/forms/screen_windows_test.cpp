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
using zirvanta::Palette;

namespace {

// The plain one-thread pass of a full-screen picture.
QImage PlainScreenPicture(const FractalState& state, const Palette& palette, QSize size) {
  const zirvanta::PictureGeometry geometry = zirvanta::ScreenGeometry(
      state.centreX, state.centreY, state.viewWidth, size.width(), size.height());
  zirvanta::Bitmap bitmap(size.width(), size.height(), zirvanta::PixelFormat::Bgrx32);
  zirvanta::RenderPicturePlain(geometry, state, palette, bitmap);
  return QImage(bitmap.Row(0), size.width(), size.height(),
                static_cast<qsizetype>(bitmap.Stride()), QImage::Format_RGB32).copy();
}

// Answers the message boxes that come up while it lives: their caption, text and icon are kept,
// and each is closed.
struct BoxSeen {
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int count = 0;
  QTimer timer;

  BoxSeen() {
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        ++count;
        box->accept();
      }
    });
    timer.start();
  }
};

FractalState Fractal(int32_t type, double cx, double cy, float centreX, float width,
                     zirvanta::PaletteParams palette) {
  FractalState state;
  state.fractalType = type;
  state.cx = cx;
  state.cy = cy;
  state.centreX = centreX;
  state.centreY = -0.25f;
  state.viewWidth = width;
  state.palette = palette;
  return state;
}

const zirvanta::PaletteParams kOtherPalette{3, 50, 20, 80, 11, 5, 30};

// The shared state as a fresh main window holds it, and a renderer for the screen pictures.
struct Shared {
  zirvanta::SharedState state;
  MainLinkDouble link;
  zirvanta::FastRenderer renderer;
  TScreenPicture picture{[this]() -> zirvanta::Renderer& { return renderer; }};
  Shared() { zirvanta::BuildPalette(state.fractal.palette, state.palette); }
};

}  // namespace

class ScreenWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
    QCOMPARE(QGuiApplication::screens().size(), 2);
  }

  void startUpViewOnA1024By768Screen() {
    const zirvanta::PictureGeometry g = zirvanta::ScreenGeometry(0.0f, 0.0f, 5.0f, 1024, 768);
    QCOMPARE(g.step, 5.0f / 1024);
    QCOMPARE(g.x0, -2.5f);
    QCOMPARE(g.y0, 1.875f);
  }

  // On each screen the window covers it and shows the plain pass of the screen's size; a key or
  // a click closes it and clears the flag.
  void fullScreenShowsThePlainPassOfItsScreen() {
    for (QScreen* screen : QGuiApplication::screens()) {
      for (const bool byKey : {true, false}) {
        Shared s;
        s.state.fractal = Fractal(1, -0.8, 0.156, 0.1f, 3.0f, kOtherPalette);
        zirvanta::BuildPalette(kOtherPalette, s.state.palette);
        s.state.windows.fullScreenShown = true;
        s.link.window.setScreen(screen);
        auto* form = new TFullScreenForm(s.state, s.link, s.picture);
        QSignalSpy closed(form, &TFullScreenForm::Closed);
        QPointer<TFullScreenForm> alive(form);
        form->Show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCOMPARE(form->geometry(), screen->geometry());
        QCOMPARE(form->Image->geometry(), QRect(QPoint(0, 0), screen->geometry().size()));
        const QImage plain =
            PlainScreenPicture(s.state.fractal, s.state.palette, screen->geometry().size());
        QCOMPARE(form->Image->Picture(), plain);
        QCOMPARE(Shown(form->Image), plain);
        if (byKey) {
          QTest::keyClick(form, Qt::Key_Escape);
        } else {
          QTest::mouseClick(form->Image, Qt::LeftButton, {}, QPoint(5, 5));
        }
        QCOMPARE(closed.count(), 1);
        QVERIFY(!s.state.windows.fullScreenShown);
        QTRY_VERIFY(alive.isNull());
      }
    }
  }

  void optionsStoreOnlyOnOk() {
    const struct {
      const char* what;
      int32_t delay, order;
      int slider;
      const char* box;
      std::function<void(TJLFOptions&)> act;
      int32_t delayAfter, orderAfter;
    } cases[] = {
        {"default, Cansel", 4, 0, 4, "4", [](TJLFOptions& o) {
           o.BTInterval->setValue(20);
           QCOMPARE(o.TimeInterval->text(), QStringLiteral("20"));
           Click(o.CanBut);
         }, 4, 0},
        {"close box", 4, 0, 4, "4", [](TJLFOptions& o) {
           o.BTInterval->setValue(9);
           o.RadioButton2->setChecked(true);
           o.close();
         }, 4, 0},
        {"delay 0 from the file", 0, 0, 1, "0", [](TJLFOptions& o) { Click(o.ButOkey); }, 1, 0},
        {"delay 99 from the file", 99, 1, 20, "99", [](TJLFOptions& o) { Click(o.CanBut); }, 99,
         1},
    };
    for (const auto& c : cases) {
      Shared s;
      s.state.slideDelay = c.delay;
      s.state.slideOrder = c.order;
      auto* options = new TJLFOptions(s.state, s.link);
      QPointer<TJLFOptions> alive(options);
      options->show();
      QVERIFY(QTest::qWaitForWindowExposed(options));
      QVERIFY2(s.state.windows.optionsWindowOpen, c.what);
      QCOMPARE(options->windowTitle(), QStringLiteral("Options"));
      QCOMPARE(options->size(), QSize(170, 203));
      QCOMPARE(options->BTInterval->value(), c.slider);
      QCOMPARE(options->TimeInterval->text(), QString::fromLatin1(c.box));
      QCOMPARE(options->RadioButton2->isChecked(), c.order == 1);
      c.act(*options);
      QTRY_VERIFY2(alive.isNull(), c.what);
      QVERIFY2(!s.state.windows.optionsWindowOpen, c.what);
      QCOMPARE(s.state.slideDelay, c.delayAfter);
      QCOMPARE(s.state.slideOrder, c.orderAfter);
    }
  }

  void optionsHintsGoToTheMainWindow() {
    Shared s;
    TJLFOptions options(s.state, s.link);
    QStatusTipEvent tip(options.BTInterval->statusTip());
    QApplication::sendEvent(options.BTInterval, &tip);
    QCOMPARE(s.link.hint, QStringLiteral(" Establishes a delay for slide - show"));
  }

  // Slides: a known fractal is drawn exactly, an unknown type shows the label, a file gone since
  // the gathering gives the reader's message once and the slide before it again; the shared
  // state is never written.
  void slidesAreReadIntoACopyAndDrawnExactly() {
    QTemporaryDir start;
    Shared s;
    s.state.FractalFolder = start.filePath(QStringLiteral("fractals")).toStdString();
    QVERIFY(QDir().mkpath(start.filePath(QStringLiteral("fractals"))));
    const FractalState known = Fractal(1, -0.8, 0.156, 0.2f, 3.5f, kOtherPalette);
    const FractalState unknown = Fractal(7, 0.1, 0.2, 0.0f, 1.0f, {});
    QVERIFY(zirvanta::WriteFractalFile(s.state.FractalFolder + "/a.frc", known).ok());
    QVERIFY(zirvanta::WriteFractalFile(s.state.FractalFolder + "/b.frc", unknown).ok());
    QVERIFY(zirvanta::WriteFractalFile(s.state.FractalFolder + "/c.frc", known).ok());
    zirvanta::TSlideList list;
    QCOMPARE(list.Gather(s.state.FractalFolder), zirvanta::TSlideList::GatherResult::Gathered);
    QCOMPARE(list.Count(), 3);
    // Forward order from a file of known type, whatever the listing order: a, b, then c gone.
    while (list.NextName() != "c.frc") {}
    QVERIFY(QFile::remove(QString::fromStdString(s.state.FractalFolder + "/c.frc")));
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
    const auto shows = [&](const FractalState& fractal) {
      Palette palette;
      zirvanta::BuildPalette(fractal.palette, palette);
      return form.Slide->isVisible() && !form.Mes->isVisible() &&
             Shown(form.Slide) == PlainScreenPicture(fractal, palette, size);
    };
    for (const char* expected : {"a", "b", "c", "a"}) {
      if (QLatin1String(expected) == QLatin1String("a")) {
        QVERIFY(shows(known));
        QVERIFY(form.SlideFractal().fractalType == 1 && form.SlideFractal().cx == known.cx);
      } else if (QLatin1String(expected) == QLatin1String("b")) {
        QVERIFY(!form.Slide->isVisible() && form.Mes->isVisible());
        QCOMPARE(form.Mes->text(), QStringLiteral("( Unknown fractal type)"));
        QCOMPARE(form.Mes->pos(), QPoint(static_cast<int>((size.width() - form.Mes->width()) * 0.5),
                                         static_cast<int>(size.height() * 0.4)));
        QCOMPARE(form.Mes->palette().color(QPalette::WindowText), QColor(0, 255, 255));
        QCOMPARE(form.Mes->font().pixelSize(), 27);
        QCOMPARE(form.palette().color(QPalette::Window), QColor(0, 128, 128));
      } else {
        // The file went away: its message, then the slide before it (the label) once more.
        QCOMPARE(boxes.count, 1);
        QCOMPARE(boxes.caption, QStringLiteral("Zirvanta 1.02"));
        QCOMPARE(boxes.text, QStringLiteral("The file did not manage to be opened for reading."));
        QVERIFY(form.Mes->isVisible() && !form.Slide->isVisible());
      }
      QCOMPARE(s.state.fractal.cx, before.fractal.cx);
      form.Timer1Timer();
      QVERIFY(form.Timer1->isActive());
    }
    QCOMPARE(boxes.count, 1);
    // The pointer is invisible over a slide: every pixel of its cursor is transparent.
    const QCursor cursor = form.Slide->cursor();
    QCOMPARE(cursor.hotSpot(), QPoint(15, 13));
    QImage shape = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(shape.size(), QSize(32, 32));
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) QCOMPARE(qAlpha(shape.pixel(x, y)), 0);

    QTest::keyClick(&form, Qt::Key_Space);
    QVERIFY(!form.isVisible());
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(!s.state.windows.slideShowRunning);
    QCOMPARE(QDir::currentPath(), cwd);
    QCOMPARE(zirvanta::EncodeFractal(s.state.fractal), zirvanta::EncodeFractal(before.fractal));
    QVERIFY(s.state.palette == before.palette);
  }

  void slidesKeepTheShownPaletteWhenFractalPalettesAreIgnored() {
    QTemporaryDir start;
    Shared s;
    s.state.FractalFolder = start.path().toStdString();
    s.state.UseFractalPalette = false;
    QVERIFY(zirvanta::WriteFractalFile(s.state.FractalFolder + "/a.frc",
                                       Fractal(1, -0.8, 0.156, 0.0f, 3.0f, kOtherPalette)).ok());
    zirvanta::TSlideList list;
    list.Gather(s.state.FractalFolder);
    zirvanta::SlideRandom random;
    TSlideForm form(s.state, s.link, s.picture, list, random);
    QCOMPARE(form.Timer1->interval(), 4000);
    QVERIFY(form.SlideFractal().palette == s.state.fractal.palette);
    QCOMPARE(form.SlideFractal().cx, -0.8);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.Slide, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(!form.isVisible());
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
    QVERIFY(form);
    QVERIFY(w->State().windows.fullScreenShown);
    QCOMPARE(w->FullScreenButton->text(), QStringLiteral("Wait..."));
    QVERIFY(QTest::qWaitForWindowActive(form));
    QCOMPARE(form->geometry(), w->screen()->geometry());
    QCOMPARE(form->Image->Picture(),
             PlainScreenPicture(w->fractal, w->palette, w->screen()->geometry().size()));
    QVERIFY(!QGuiApplication::overrideCursor());

    QTest::keyClick(form, Qt::Key_F);  // F again: nothing
    QCOMPARE(w->FullScreenForm(), form);
    w->LupaPlusClick();  // the view changes underneath
    QVERIFY(w.Idle());
    QTest::keyClick(form, Qt::Key_Home);  // the start-up view, by its command
    QVERIFY(w.Idle());
    QCOMPARE(w->fractal.viewWidth, 5.0f);
    QCOMPARE(w->FullScreenForm(), form);
    QVERIFY(ShowsPlainPasses(*w));

    w->fractal.cx = -0.8;  // as an open does it, then asks for the picture again
    w->RedrawFullScreen();
    QCOMPARE(form->Image->Picture(),
             PlainScreenPicture(w->fractal, w->palette, w->screen()->geometry().size()));
    w->fractal.cx = 0.402;

    QTest::keyClick(form, Qt::Key_Space);
    QTRY_VERIFY(!w->FullScreenForm());
    QVERIFY(!w->State().windows.fullScreenShown);
    QCOMPARE(w->FullScreenButton->text(), QStringLiteral("Full Screen"));

    // On the other screen, the other screen's size.
    QScreen* other = QGuiApplication::screens().at(1);
    w->move(other->geometry().topLeft() + QPoint(20, 20));
    QTRY_COMPARE(w->screen(), other);
    Click(w->FullScreenButton);
    QVERIFY(w->FullScreenForm());
    QCOMPARE(w->FullScreenForm()->geometry(), other->geometry());
    QCOMPARE(w->FullScreenForm()->Image->Picture().size(), other->geometry().size());
    w->close();  // quitting closes it too
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

    if (::geteuid() != 0) {
      QFile::setPermissions(QString::fromStdString(w->State().FractalFolder), {});
      w->SlideShow->trigger();
      QFile::setPermissions(QString::fromStdString(w->State().FractalFolder),
                            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      QCOMPARE(boxes.count, 2);
      QCOMPARE(boxes.text, QStringLiteral("It was not possible to create the show list."));
      QCOMPARE(boxes.icon, QMessageBox::Critical);
    }
  }

  // F10 runs the show modally; a key ends it and the main window is as it was.
  void slideShowCommand() {
    Window w;
    const std::string folder = w->State().FractalFolder;
    QVERIFY(zirvanta::WriteFractalFile(folder + "/a.frc",
                                       Fractal(1, -0.8, 0.156, 0.2f, 3.5f, kOtherPalette)).ok());
    QVERIFY(zirvanta::WriteFractalFile(folder + "/b.frc",
                                       Fractal(1, 0.285, 0.01, 0.0f, 2.0f, {})).ok());
    w->State().CurrentFractalPath = "/somewhere/kept.frc";
    w->State().slideOrder = 1;
    const zirvanta::SharedState before = w->State();
    const QImage live = Shown(w->Pic);
    const int sliderCx = w->TrackBarCx->value(), sliderR0 = w->TrackBarR0->value();

    QVERIFY(w.HoldAPass([&] { w->WakeRenderThread(); }));
    w->SlideShow->trigger();  // busy: nothing, not even a message
    QVERIFY(!w->State().windows.slideShowRunning);
    QVERIFY(w.Release());

    bool sawShow = false;
    QTimer::singleShot(0, [&] {
      auto* form = qobject_cast<TSlideForm*>(QApplication::activeModalWidget());
      QVERIFY(form);
      sawShow = w->State().windows.slideShowRunning && form->Slide->isVisible() &&
                form->SlideFractal().cx != before.fractal.cx && !QGuiApplication::overrideCursor();
      QTest::keyClick(form, Qt::Key_Escape);
    });
    QTest::keyClick(w.form.get(), Qt::Key_F10);
    QVERIFY(sawShow);
    QVERIFY(!w->State().windows.slideShowRunning);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(zirvanta::EncodeFractal(w->fractal), zirvanta::EncodeFractal(before.fractal));
    QVERIFY(w->palette == before.palette);
    QCOMPARE(w->State().CurrentFractalPath, before.CurrentFractalPath);
    QCOMPARE(w->TrackBarCx->value(), sliderCx);
    QCOMPARE(w->TrackBarR0->value(), sliderR0);
    QVERIFY(w->fractal.colourer == before.fractal.colourer);
    QCOMPARE(Shown(w->Pic), live);
  }

  void optionsCommand() {
    {
      Window w;
      w->Options->trigger();
      TJLFOptions* options = w->OptionsForm();
      QVERIFY(options);
      QCOMPARE(options->pos(), w->pos() + QPoint(123, 49));
      QCOMPARE(options->TimeInterval->text(), QStringLiteral("4"));
      QVERIFY(options->RadioButton1->isChecked());
      options->BTInterval->setValue(20);
      w->Options->trigger();  // again: closed, nothing stored
      QTRY_VERIFY(!w->OptionsForm());
      QCOMPARE(w->State().slideDelay, 4);

      w->Options->trigger();
      QCOMPARE(w->OptionsForm()->BTInterval->value(), 4);
      w->OptionsForm()->BTInterval->setValue(7);
      w->OptionsForm()->RadioButton2->setChecked(true);
      Click(w->OptionsForm()->ButOkey);
      QTRY_VERIFY(!w->OptionsForm());
      QCOMPARE(w->State().slideDelay, 7);
      QCOMPARE(w->State().slideOrder, 1);
      // Kept across runs: settings.dat takes them when the window closes.
      w->close();
      const zirvanta::Settings kept = zirvanta::ReadSettings(w.folder.path().toStdString()).live;
      QCOMPARE(kept.slideDelay, 7);
      QCOMPARE(kept.slideOrder, 1);
    }
  }
};

QTEST_MAIN(ScreenWindowsTest)
#include "screen_windows_test.moc"
