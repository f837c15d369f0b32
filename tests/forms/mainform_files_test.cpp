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

// A fractal file of c = (cx, cy) in a view 1.5 wide centred on (0.0625, -0.125).
void WriteFractal(Window& w, const std::string& name, double cx, double cy, PaletteParams palette,
                  int32_t type = 1) {
  QVERIFY(zirvanta::WriteFractalFile(FractalPath(w, name),
                                     {.fractalType = type, .cx = cx, .cy = cy, .centreX = 0.0625f,
                                      .centreY = -0.125f, .viewWidth = 1.5f, .palette = palette})
              .ok());
}

QByteArray Bytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A command's key as the user presses it. After a message box the offscreen platform leaves no
// window active, and the keys need one, as they would after the user closed the box.
void Command(Window& w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  w->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(w.form.get(), kPatienceMs));
  Key(w->TrackBarCx, key, modifiers);
}

QString FactorShown(double value) {
  return QString::fromStdString(
      zirvanta::FactorText(value, QLocale().decimalPoint().toUtf8().toStdString()));
}

// Picks an entry of, or types a name into, the browser that opens next, and presses Enter.
template <typename Browser>
void Choose(QListWidget* Browser::*list, const char* entry) {
  OnModal<Browser>([=](Browser& browser) {
    Select(browser.*list, entry);
    QTest::keyClick(browser.*list, Qt::Key_Return);
  });
}
template <typename Browser>
void Name(QLineEdit* Browser::*box, const QString& name) {
  OnModal<Browser>([=](Browser& browser) {
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
    WriteFractal(w, "spiral.frc", 0.2855, -0.0107, {3, 60, 10, 20, 7, 8, 9});
    Choose(&TOpenSaveFractal::FileList, "spiral");
    Command(w, Qt::Key_O);
    QVERIFY(w.Idle());
    QCOMPARE(std::tuple(w->fractal.cx, w->fractal.cy), std::tuple(0.2855, -0.0107));
    QCOMPARE(std::tuple(w->TrackBarCx->value(), w->TrackBarCy->value()), std::tuple(285, -10));
    QCOMPARE(w->E_cx->text() + w->E_cy->text(), FactorShown(0.2855) + FactorShown(-0.0107));
    QCOMPARE(w->view.pixelStep, zirvanta::PixelStepForWidth(1.5f));
    QVERIFY(w->fractal.palette == (PaletteParams{3, 60, 10, 20, 7, 8, 9}));
    QCOMPARE(std::tuple(w->TrackBarR0->value(), w->TrackBarB1->value()), std::tuple(60, 9));
    QCOMPARE(w->TypeOfPalette->currentIndex(), 2);
    QVERIFY(w->SaveCrntFrct->isEnabled());
    QCOMPARE(w->SaveCrntFrct->text(), QStringLiteral("Sav&e spiral"));
    QCOMPARE(w->State().CurrentFractalPath, FractalPath(w, "spiral.frc"));
    QVERIFY(ShowsPlainPasses(*w) && StripShows(*w, w->palette));
    QVERIFY(!QGuiApplication::overrideCursor());
  }

  void unknownTypesAreReportedAndTakeNothingOrOnlyTheFractal() {
    Window w;
    WriteFractal(w, "odd.frc", 0.5, 0.5, {2, 1, 2, 3, 4, 5, 6}, 2);
    WriteFractal(w, "badpal.frc", -0.1, 0.65, {9, 1, 2, 3, 4, 5, 6});
    const PaletteParams before = w->fractal.palette;
    Boxes boxes;
    Choose(&TOpenSaveFractal::FileList, "odd");
    Command(w, Qt::Key_O);
    QCOMPARE(boxes.Take(), QStringList{Said("Opening fractal is not possible!",
                                            QMessageBox::Warning,
                                            "The fractal type is unknown this version of the "
                                            "program.")});
    QCOMPARE(w->fractal.cx, 0.402);
    QVERIFY(!w->SaveCrntFrct->isEnabled() && w->SaveCrntFrct->text() == QStringLiteral("Sav&e"));

    Choose(&TOpenSaveFractal::FileList, "badpal");
    Command(w, Qt::Key_O);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen[0].startsWith("The palette of fractal is ignored! "));
    QCOMPARE(w->fractal.cx, -0.1);
    QVERIFY(w->fractal.palette == before);
    QCOMPARE(w->SaveCrntFrct->text(), QStringLiteral("Sav&e badpal"));
    QVERIFY(w.Idle() && ShowsPlainPasses(*w));
  }

  void openingWaitsForTheThreadAndACancelAfterPreviewsChangesNothing() {
    Window w;
    WriteFractal(w, "a.frc", 0.3, 0.5, {4, 1, 2, 3, 4, 5, 6});
    WriteFractal(w, "b.frc", -0.8, 0.156, {6, 9, 8, 7, 6, 5, 4});
    int fractalBrowsers = 0, paletteBrowsers = 0;
    bool saveMode = false;
    auto fractals = [&](TOpenSaveFractal& browser) {
      ++fractalBrowsers;
      saveMode = !browser.OpenMode();
      browser.FileList->setCurrentRow(1);
      browser.FileList->setCurrentRow(0);
      QTest::keyClick(browser.FileList, Qt::Key_Escape);
    };
    auto palettes = [&](TOSPalette& browser) {
      ++paletteBrowsers;
      browser.reject();
    };
    OnModal<TOpenSaveFractal>(fractals);
    OnModal<TOSPalette>(palettes);
    QVERIFY(w.HoldAPass([&] { Click(w->PlusCx); }));
    for (Qt::Key key : {Qt::Key_O, Qt::Key_P, Qt::Key_S}) Command(w, key);  // saving does not wait
    QCOMPARE(std::tuple(fractalBrowsers, paletteBrowsers, saveMode), std::tuple(1, 0, true));
    QVERIFY(w.Release());
    // Nothing opens while a slide show runs.
    OnModal<TOpenSaveFractal>(fractals);
    w->State().windows.slideShowRunning = true;
    for (Qt::Key key : {Qt::Key_O, Qt::Key_S, Qt::Key_P, Qt::Key_W}) Command(w, key);
    QCOMPARE(std::tuple(fractalBrowsers, paletteBrowsers), std::tuple(1, 0));
    w->State().windows.slideShowRunning = false;

    const std::string fractalBefore = zirvanta::EncodeFractal(w->fractal);
    const zirvanta::Palette paletteBefore = w->palette;
    const uint64_t passes = w->RenderPassesCompleted();
    for (Qt::Key key : {Qt::Key_O, Qt::Key_P}) Command(w, key);  // uses up both watchers
    QCOMPARE(std::tuple(fractalBrowsers, paletteBrowsers, saveMode), std::tuple(2, 1, false));
    QVERIFY(zirvanta::EncodeFractal(w->fractal) == fractalBefore && w->palette == paletteBefore);
    QCOMPARE(std::tuple(w->TrackBarR0->value(), w->TrackBarCx->value()), std::tuple(36, 403));
    QVERIFY(!w->State().browser.FileChosen && w.Idle());
    QCOMPARE(w->RenderPassesCompleted(), passes);
  }

  void savingWritesTheRecordAndSaveRetriesAFailedWrite() {
    Window w;
    const auto savedAs = [&](const std::string& name) {
      return Bytes(FractalPath(w, name)) ==
             QByteArray::fromStdString(zirvanta::EncodeFractal(w->fractal));
    };
    Name(&TOpenSaveFractal::FileName, QStringLiteral("mine"));
    Command(w, Qt::Key_S);
    QVERIFY(savedAs("mine.frc") && Bytes(FractalPath(w, "mine.frc")).size() == 60);
    QCOMPARE(w->SaveCrntFrct->text(), QStringLiteral("Sav&e mine"));

    // The palette commands leave "Sav&e" on its fractal file.
    Name(&TOSPalette::FileText, QStringLiteral("warm"));
    Command(w, Qt::Key_W);
    const std::string palettePath = w->State().PaletteFolder + "/warm.ptt";
    QCOMPARE(Bytes(palettePath),
             QByteArray::fromStdString(zirvanta::EncodePalette(w->fractal.palette)));
    const PaletteParams warm{5, 1, 2, 3, 4, 5, 6};
    QVERIFY(w->fractal.palette != warm && zirvanta::WritePaletteFile(palettePath, warm).ok());
    Choose(&TOSPalette::PalList, "warm");
    Command(w, Qt::Key_P);
    QVERIFY(w->fractal.palette == warm);
    QCOMPARE(std::tuple(w->TypeOfPalette->currentIndex(), w->TrackBarG1->value()),
             std::tuple(4, 5));
    QVERIFY(w.Idle() && ShowsPlainPasses(*w) && StripShows(*w, w->palette));
    Command(w, Qt::Key_S, Qt::ShiftModifier);
    QVERIFY(savedAs("mine.frc"));

    // The folder gone: the writer's message, and "Sav&e" names the file and tries again.
    QVERIFY(QDir(QString::fromStdString(w->State().FractalFolder)).removeRecursively());
    Boxes boxes;
    Name(&TOpenSaveFractal::FileName, QStringLiteral("lost"));
    Command(w, Qt::Key_S);
    QCOMPARE(boxes.Take(), QStringList{kWriteFailure});
    QCOMPARE(w->SaveCrntFrct->text(), QStringLiteral("Sav&e lost"));
    Command(w, Qt::Key_S, Qt::ShiftModifier);
    QCOMPARE(boxes.Take(), QStringList{kWriteFailure});
    QVERIFY(QDir().mkpath(QString::fromStdString(w->State().FractalFolder)));
    Command(w, Qt::Key_S, Qt::ShiftModifier);
    QVERIFY(boxes.seen.isEmpty() && savedAs("lost.frc"));
  }
};

QTEST_MAIN(MainFormFilesTest)
#include "mainform_files_test.moc"
