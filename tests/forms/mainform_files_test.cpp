// The File menu's fractal and palette commands on the real main window, with its render thread:
// the browsers driven while they are open, what the window shows and writes after them.
#include "browser_test_support.h"
#include "engine/number_text.h"
#include "form_test_support.h"
#include "forms/U_opensavefractal.h"
#include "forms/U_ospalette.h"

using namespace form_test;
using zirvanta::PaletteParams;

namespace {

std::string FractalPath(Window& w, const std::string& name) {
  return w->State().FractalFolder + "/" + name;
}

void Write(const std::string& path, const zirvanta::FractalState& fractal) {
  QVERIFY(zirvanta::WriteFractalFile(path, fractal).ok());
}

zirvanta::FractalState FileFractal(double cx, double cy, PaletteParams palette, int32_t type = 1) {
  zirvanta::FractalState fractal;
  fractal.fractalType = type;
  fractal.cx = cx;
  fractal.cy = cy;
  fractal.centreX = 0.0625f;
  fractal.centreY = -0.125f;
  fractal.viewWidth = 1.5f;
  fractal.palette = palette;
  return fractal;
}

QByteArray Bytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// After a message box the offscreen platform leaves no window active, and the commands' keys
// need an active window, as they would after the user closed the box.
void Reactivate(Window& w) {
  w->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(w.form.get(), kPatienceMs));
}

// A command's key as the user presses it, in the main window made active again.
void Command(Window& w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  Reactivate(w);
  Key(w->TrackBarCx, key, modifiers);
}

QString FactorShown(double value) {
  return QString::fromStdString(
      zirvanta::FactorText(value, QLocale().decimalPoint().toUtf8().toStdString()));
}

// Picks the entry in the browser that opens next and confirms it with Enter.
template <typename Browser, typename ListOf>
void ChooseInNextBrowser(const QString& entry, ListOf list) {
  OnModal<Browser>([entry, list](Browser& browser) {
    QListWidget* names = list(browser);
    names->setCurrentRow(static_cast<int>(Items(names).indexOf(entry)));
    QTest::keyClick(names, Qt::Key_Return);
  });
}
void ChooseFractal(const QString& entry) {
  ChooseInNextBrowser<TOpenSaveFractal>(entry, [](TOpenSaveFractal& b) { return b.FileList; });
}
void ChoosePalette(const QString& entry) {
  ChooseInNextBrowser<TOSPalette>(entry, [](TOSPalette& b) { return b.PalList; });
}
template <typename Browser>
void NameInNextBrowser(const QString& name, QLineEdit* Browser::*box) {
  OnModal<Browser>([name, box](Browser& browser) {
    (browser.*box)->setText(name);
    QTest::keyClick(browser.*box, Qt::Key_Return);
  });
}

}  // namespace

class MainFormFilesTest : public QObject {
  Q_OBJECT

 private slots:
  void openingTakesTheFractalWithExactCAndItsPalette() {
    Window w;
    Write(FractalPath(w, "spiral.frc"), FileFractal(0.2855, -0.0107, {3, 60, 10, 20, 7, 8, 9}));
    ChooseFractal(QStringLiteral("spiral"));
    Command(w, Qt::Key_O);
    QVERIFY(w.Idle());
    QCOMPARE(w->fractal.cx, 0.2855);
    QCOMPARE(w->fractal.cy, -0.0107);
    QCOMPARE(std::tuple(w->TrackBarCx->value(), w->TrackBarCy->value()), std::tuple(285, -10));
    QCOMPARE(w->E_cx->text(), FactorShown(0.2855));
    QCOMPARE(w->E_cy->text(), FactorShown(-0.0107));
    QCOMPARE(w->fractal.viewWidth, 1.5f);
    QCOMPARE(w->view.pixelStep, zirvanta::PixelStepForWidth(1.5f));
    QVERIFY(w->fractal.palette == (PaletteParams{3, 60, 10, 20, 7, 8, 9}));
    QCOMPARE(std::tuple(w->TrackBarR0->value(), w->TrackBarB1->value()), std::tuple(60, 9));
    QCOMPARE(w->TypeOfPalette->currentIndex(), 2);
    QVERIFY(w->SaveCrntFrct->isEnabled());
    QCOMPARE(w->SaveCrntFrct->text(), QStringLiteral("Sav&e spiral"));
    QCOMPARE(w->State().CurrentFractalPath, FractalPath(w, "spiral.frc"));
    QVERIFY(ShowsPlainPasses(*w));
    QVERIFY(StripShows(*w, w->palette));
    QVERIFY(!QGuiApplication::overrideCursor());
  }

  void unknownTypesAreReportedAndTakeNothingOrOnlyTheFractal() {
    Window w;
    Write(FractalPath(w, "odd.frc"), FileFractal(0.5, 0.5, {2, 1, 2, 3, 4, 5, 6}, 2));
    Write(FractalPath(w, "badpal.frc"), FileFractal(-0.1, 0.65, {9, 1, 2, 3, 4, 5, 6}));
    const PaletteParams before = w->fractal.palette;
    Boxes boxes;
    ChooseFractal(QStringLiteral("odd"));
    Command(w, Qt::Key_O);
    QCOMPARE(boxes.seen.size(), size_t{1});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("Opening fractal is not possible!"));
    QCOMPARE(boxes.seen[0].text,
             QStringLiteral("The fractal type is unknown this version of the program."));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);
    QCOMPARE(w->fractal.cx, 0.402);
    QVERIFY(!w->SaveCrntFrct->isEnabled());
    QCOMPARE(w->SaveCrntFrct->text(), QStringLiteral("Sav&e"));

    boxes.seen.clear();
    ChooseFractal(QStringLiteral("badpal"));
    Command(w, Qt::Key_O);
    QCOMPARE(boxes.seen.size(), size_t{1});
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("The palette of fractal is ignored!"));
    QCOMPARE(w->fractal.cx, -0.1);
    QVERIFY(w->fractal.palette == before);
    QCOMPARE(w->SaveCrntFrct->text(), QStringLiteral("Sav&e badpal"));
    QVERIFY(w.Idle() && ShowsPlainPasses(*w));
  }

  void cancellingAfterPreviewsLeavesEverythingAsItWas() {
    Window w;
    Write(FractalPath(w, "a.frc"), FileFractal(0.3, 0.5, {4, 1, 2, 3, 4, 5, 6}));
    Write(FractalPath(w, "b.frc"), FileFractal(-0.8, 0.156, {6, 9, 8, 7, 6, 5, 4}));
    const std::string fractalBefore = zirvanta::EncodeFractal(w->fractal);
    const zirvanta::Palette paletteBefore = w->palette;
    const uint64_t passes = w->RenderPassesCompleted();
    OnModal<TOpenSaveFractal>([](TOpenSaveFractal& browser) {
      browser.FileList->setCurrentRow(1);
      browser.FileList->setCurrentRow(0);
      QTest::keyClick(browser.FileList, Qt::Key_Escape);
    });
    Command(w, Qt::Key_O);
    QVERIFY(zirvanta::EncodeFractal(w->fractal) == fractalBefore && w->palette == paletteBefore);
    QCOMPARE(w->TrackBarR0->value(), 36);
    QCOMPARE(w->TrackBarCx->value(), 402);
    QVERIFY(!w->State().browser.FileChosen);
    QVERIFY(w.Idle());
    QCOMPARE(w->RenderPassesCompleted(), passes);
  }

  void openingWaitsForTheThreadButSavingDoesNot() {
    Window w;
    int fractalBrowsers = 0, paletteBrowsers = 0;
    bool saveMode = false;
    auto fractals = [&](TOpenSaveFractal& browser) {
      ++fractalBrowsers;
      saveMode = !browser.OpenMode();
      browser.reject();
    };
    auto palettes = [&](TOSPalette& browser) {
      ++paletteBrowsers;
      browser.reject();
    };
    OnModal<TOpenSaveFractal>(fractals);
    OnModal<TOSPalette>(palettes);
    QVERIFY(w.HoldAPass([&] { Click(w->PlusCx); }));
    Command(w, Qt::Key_O);
    Command(w, Qt::Key_P);
    Command(w, Qt::Key_S);
    QCOMPARE(std::tuple(fractalBrowsers, paletteBrowsers), std::tuple(1, 0));
    QVERIFY(saveMode);
    QVERIFY(w.Release());

    // Nothing opens while a slide show runs.
    OnModal<TOpenSaveFractal>(fractals);
    w->State().windows.slideShowRunning = true;
    for (Qt::Key key : {Qt::Key_O, Qt::Key_S, Qt::Key_P, Qt::Key_W}) Command(w, key);
    QCOMPARE(std::tuple(fractalBrowsers, paletteBrowsers), std::tuple(1, 0));
    w->State().windows.slideShowRunning = false;
    // Each watcher is used up, so none is left for the next test.
    Command(w, Qt::Key_O);
    Command(w, Qt::Key_P);
    QCOMPARE(std::tuple(fractalBrowsers, paletteBrowsers), std::tuple(2, 1));
    QVERIFY(!saveMode);
  }

  void savingWritesTheRecordAndSaveRetriesAFailedWrite() {
    Window w;
    NameInNextBrowser<TOpenSaveFractal>(QStringLiteral("mine"), &TOpenSaveFractal::FileName);
    Command(w, Qt::Key_S);
    QCOMPARE(Bytes(FractalPath(w, "mine.frc")),
             QByteArray::fromStdString(zirvanta::EncodeFractal(w->fractal)));
    QCOMPARE(Bytes(FractalPath(w, "mine.frc")).size(), 60);
    QCOMPARE(w->SaveCrntFrct->text(), QStringLiteral("Sav&e mine"));

    // The palette commands leave "Sav&e" on its fractal file.
    NameInNextBrowser<TOSPalette>(QStringLiteral("warm"), &TOSPalette::FileText);
    Command(w, Qt::Key_W);
    const std::string palettePath = w->State().PaletteFolder + "/warm.ptt";
    QCOMPARE(Bytes(palettePath),
             QByteArray::fromStdString(zirvanta::EncodePalette(w->fractal.palette)));
    QVERIFY(w->fractal.palette != (PaletteParams{5, 1, 2, 3, 4, 5, 6}));
    QVERIFY(zirvanta::WritePaletteFile(palettePath, {5, 1, 2, 3, 4, 5, 6}).ok());
    ChoosePalette(QStringLiteral("warm"));
    Command(w, Qt::Key_P);
    QVERIFY(w->fractal.palette == (PaletteParams{5, 1, 2, 3, 4, 5, 6}));
    QCOMPARE(w->TypeOfPalette->currentIndex(), 4);
    QCOMPARE(w->TrackBarG1->value(), 5);
    QVERIFY(w.Idle() && ShowsPlainPasses(*w) && StripShows(*w, w->palette));
    Command(w, Qt::Key_S, Qt::ShiftModifier);
    QCOMPARE(Bytes(FractalPath(w, "mine.frc")),
             QByteArray::fromStdString(zirvanta::EncodeFractal(w->fractal)));

    // The folder gone: the writer's message, and "Sav&e" names the file and tries again.
    QVERIFY(QDir(QString::fromStdString(w->State().FractalFolder)).removeRecursively());
    Boxes boxes;
    NameInNextBrowser<TOpenSaveFractal>(QStringLiteral("lost"), &TOpenSaveFractal::FileName);
    Command(w, Qt::Key_S);
    QCOMPARE(boxes.seen.size(), size_t{1});
    QCOMPARE(boxes.seen[0].text,
             QStringLiteral("The file did not manage to be opened for recording."));
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("Zirvanta 1.02"));
    QCOMPARE(w->SaveCrntFrct->text(), QStringLiteral("Sav&e lost"));
    Command(w, Qt::Key_S, Qt::ShiftModifier);
    QCOMPARE(boxes.seen.size(), size_t{2});
    QVERIFY(QDir().mkpath(QString::fromStdString(w->State().FractalFolder)));
    Command(w, Qt::Key_S, Qt::ShiftModifier);
    QCOMPARE(boxes.seen.size(), size_t{2});
    QCOMPARE(Bytes(FractalPath(w, "lost.frc")).size(), 60);
  }
};

QTEST_MAIN(MainFormFilesTest)
#include "mainform_files_test.moc"
