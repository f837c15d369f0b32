// The fractal and palette browsers and their rename dialogs, built alone on a shared state with a
// stand-in for the main window, driven by their handlers, keys and clicks.
#include "browser_test_support.h"
#include "controls/picture_box.h"
#include "engine/render.h"
#include "files/browser_preview.h"
#include "forms/U_opensavefractal.h"
#include "forms/U_ospalette.h"
#include "forms/U_refile.h"
#include "forms/U_repalfile.h"

using namespace form_test;
using zirvanta::PaletteParams;

namespace {

// Fractal state and palette table, bit for bit.
struct Saved {
  std::string fractal;
  zirvanta::Palette palette;
  explicit Saved(const zirvanta::SharedState& s)
      : fractal(zirvanta::EncodeFractal(s.fractal)), palette(s.palette) {}
  bool operator==(const Saved&) const = default;
};

zirvanta::Palette Built(const PaletteParams& params) {
  zirvanta::Palette palette;
  zirvanta::BuildPalette(params, palette);
  return palette;
}

// The preview shows the plain pass of the state's view in its palette.
bool PreviewShowsPlainPass(TImageBox* box, const zirvanta::SharedState& s) {
  zirvanta::Bitmap plain(145, 105, zirvanta::PixelFormat::Bgrx32);
  zirvanta::RenderPicturePlain(zirvanta::BrowserPreview::Geometry(s.fractal), s.fractal,
                               s.palette, plain);
  const QImage expected(plain.Row(0), 145, 105, static_cast<qsizetype>(plain.Stride()),
                        QImage::Format_RGB32);
  return !box->isHidden() && box->Picture() == expected.convertToFormat(QImage::Format_RGB32);
}

void Press(QWidget* dialog, Qt::Key key) {
  QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, key);
}

void Show(QDialog& dialog) {
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog, kDialogPatienceMs));
}

// Types a name over the selected one: R and Delete are letters here, not commands.
void TypeName(QLineEdit* name, const QString& typed) {
  name->setFocus();
  name->selectAll();
  QTest::keyClicks(name, typed + "r");
  QTest::keyClick(name, Qt::Key_Backspace);
  QCOMPARE(name->text(), typed);
}

const QString kReplaceQuestion = QStringLiteral(
    "The file with such name already exists.\n To replace an existing file?");

}  // namespace

class BrowsersTest : public QObject {
  Q_OBJECT

 private slots:
  void listsEntriesInFolderOrderOverThePictureAndReportsUnreadableOnes() {
    Folder f;
    for (const char* name : {"spiral.frc", "a.b.frc", "b.frc", "notes.txt"}) {
      f.AddFractal(name, 0.1, 0.2);
    }
    f.link.window.setGeometry(100, 50, 690, 600);
    f.link.picture = QRect(146, 70, 530, 409);
    Boxes boxes;
    TOpenSaveFractal browser(f.state, f.link);
    const QRect frame = f.link.window.frameGeometry();
    QCOMPARE(browser.pos(),
             QPoint(146 + (530 - 409) / 2, frame.top() + int((frame.height() - 221) * 0.3)));
    QCOMPARE(Items(browser.FileList), f.Listed(zirvanta::EntryPattern::FractalFiles));
    QCOMPARE(browser.windowTitle(), QStringLiteral("Fractal opening"));
    QVERIFY(browser.FileName->isReadOnly() && browser.OpenFractal->isEnabled());
    boxes.seen.clear();
    Select(browser.FileList, "a");  // a.b.frc stands for the missing a.frc
    QCOMPARE(f.state.browser.ChosenPath, f.Fractal("a.frc"));
    QCOMPARE(boxes.Take(), QStringList{kReadFailure});
    QVERIFY(browser.PreView->isHidden());
    Select(browser.FileList, "spiral");
    QVERIFY(PreviewShowsPlainPass(browser.PreView, f.state));
    QCOMPARE(f.state.fractal.cx, 0.1);
  }

  void anEmptyFolderOffersNothingButCancel() {
    Folder f;
    TOpenSaveFractal browser(f.state, f.link);
    Show(browser);
    QVERIFY(!browser.OpenFractal->isEnabled() && browser.PreView->isHidden());
    QCOMPARE((QStringList{browser.ImMess->text(), browser.DeleteFile->text(),
                          browser.RenFile->text(), browser.Cansel->statusTip()}),
             (QStringList{"            ( None )", "&Удалить файл", "&Переименовать..",
                          " Closes the form 'Fractal opening'"}));
    // A control's hint goes to the main window's status bar.
    QStatusTipEvent tip(browser.FileList->statusTip());
    QApplication::sendEvent(browser.FileList, &tip);
    QCOMPARE(f.link.hint, QStringLiteral(" Fractals taking place in the catalogue"));
    Boxes boxes;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Delete, Qt::Key_R}) Press(&browser, key);
    DoubleClickOn(browser.FileList->viewport());
    browser.DeleteFile->trigger();
    browser.RenFile->trigger();
    QVERIFY(browser.isVisible() && boxes.seen.isEmpty());
  }

  void previewsAndTheIgnoredPaletteAreUndoneByCancelButTheChoiceStays() {
    Folder f;
    const PaletteParams own{3, 60, 10, 20, 7, 8, 9};
    f.AddFractal("one.frc", 0.2855, -0.0107, 0.5f, own);
    f.AddFractal("two.frc", -0.8, 0.156, 2.0f, {5, 1, 2, 3, 4, 5, 6});
    f.AddFractal("odd.frc", 0.3, 0.3, 1.0f, {1, 36, 16, 12, 26, 18, 8}, 2);
    f.AddFractal("badpal.frc", -0.1, 0.65, 3.0f, {9, 1, 1, 1, 1, 1, 1});
    const Saved before(f.state);
    {
      TOpenSaveFractal browser(f.state, f.link);
      browser.show();
      Select(browser.FileList, "one");
      QVERIFY(f.state.fractal.palette == own && f.state.palette == Built(own));
      QTest::mouseClick(browser.IgnoreFPalette, Qt::LeftButton);
      QVERIFY(!f.state.UseFractalPalette && f.state.palette == before.palette);
      QCOMPARE(f.state.fractal.cx, 0.2855);  // the previewed fractal in the palette before
      QVERIFY(PreviewShowsPlainPass(browser.PreView, f.state));
      QTest::mouseClick(browser.IgnoreFPalette, Qt::LeftButton);
      QVERIFY(f.state.UseFractalPalette && f.state.palette == Built(own));
      for (const char* entry : {"two", "badpal"}) {
        Select(browser.FileList, entry);
        QVERIFY2(PreviewShowsPlainPass(browser.PreView, f.state), entry);
        QVERIFY(browser.ImMess->isHidden() && f.state.FractalTypeKnown);
      }
      // badpal's palette type 9 passes unreported: the fractal shows in the palette before.
      QCOMPARE(f.state.fractal.cx, -0.1);
      QVERIFY(f.state.fractal.palette == (PaletteParams{5, 1, 2, 3, 4, 5, 6}));
      QVERIFY(!f.state.PaletteTypeKnown);
      Select(browser.FileList, "odd");
      QCOMPARE(browser.ImMess->text(), QStringLiteral("Unknown type."));
      QVERIFY(browser.PreView->isHidden() && browser.OpenFractal->isEnabled());
      QVERIFY(Saved(f.state) == before);
      Select(browser.FileList, "two");
      QTest::mouseClick(browser.IgnoreFPalette, Qt::LeftButton);
      QVERIFY(!(Saved(f.state) == before));
      browser.reject();
      QCOMPARE(f.state.browser.FractalListIndex, browser.FileList->currentRow());
    }
    QVERIFY(Saved(f.state) == before && !f.state.browser.FileChosen);
    QVERIFY(!f.state.UseFractalPalette);
    TOpenSaveFractal again(f.state, f.link);
    QVERIFY(again.IgnoreFPalette->isChecked());
    QVERIFY(f.state.palette == before.palette);  // the file's palette was not taken
  }

  void deletingMovesTheSelectionUpAndRestoresTheSnapshot() {
    Folder f;
    for (const char* name : {"a.frc", "b.frc", "c.frc"}) f.AddFractal(name, 0.3, 0.5);
    const Saved before(f.state);
    f.state.browser.FractalListIndex = 2;
    TOpenSaveFractal browser(f.state, f.link);
    const std::string third = browser.FileList->item(2)->text().toStdString();
    browser.show();
    {
      Boxes boxes(QMessageBox::No);
      Press(&browser, Qt::Key_Delete);
      QCOMPARE(boxes.Take(), QStringList{Said("confirmation of removal", QMessageBox::Question,
                                              "To remove the chosen file?")});
      boxes.answer = QMessageBox::Yes;
      Press(&browser, Qt::Key_Delete);
    }
    QVERIFY(!f.Has(f.Fractal(third + ".frc")));
    QCOMPARE(browser.FileList->count(), 2);
    QCOMPARE(browser.FileList->currentRow(), 1);
    QCOMPARE(f.state.browser.FractalListIndex, 1);
    QVERIFY(Saved(f.state) == before);

    browser.FileList->setCurrentRow(0);
    const QString second = browser.FileList->item(1)->text();
    browser.DeleteFile->trigger();  // the menu entry does not ask
    QCOMPARE(Items(browser.FileList), QStringList{second});
    QCOMPARE(browser.FileName->text(), second);
    // A file gone behind the dialog's back: the failure, and the list as the folder now is.
    QFile::remove(QString::fromStdString(f.Fractal(second.toStdString() + ".frc")));
    Boxes boxes;
    browser.DeleteFile->trigger();
    QCOMPARE(boxes.Take(), QStringList{Said("Error of the file removal", QMessageBox::Critical,
                                            "The file to remove it was not possible")});
    QVERIFY(browser.FileList->count() == 0 && !browser.OpenFractal->isEnabled());
  }

  void savingAsksBeforeReplacingAndRefusesNamesOutsideTheFolder() {
    Folder f(false);
    f.AddFractal("spiral.frc", 0.3, 0.5);
    f.state.MouseArmed = true;
    const Saved before(f.state);
    TOpenSaveFractal browser(f.state, f.link);
    Show(browser);
    QCOMPARE(browser.windowTitle(), QStringLiteral("Fractal preservation"));
    QCOMPARE(browser.FileName->text(), QStringLiteral("fractal_new"));
    QVERIFY(!browser.FileName->isReadOnly() && !browser.IgnoreFPalette->isEnabled());
    QVERIFY(!browser.DeleteFile->isEnabled() && !browser.RenFile->isEnabled());
    QVERIFY(browser.SaveFractal->isVisible() && !browser.OpenFractal->isVisible());
    QVERIFY(PreviewShowsPlainPass(browser.PreView, f.state));

    Boxes boxes(QMessageBox::No);
    TypeName(browser.FileName, QStringLiteral("spiral"));
    QTest::keyClick(browser.FileName, Qt::Key_Return);
    QCOMPARE(boxes.Take(), QStringList{Said("Confirmation of replacement", QMessageBox::Question,
                                            kReplaceQuestion)});
    for (const char* name : {"a/b", ".."}) {
      browser.FileName->setText(QString::fromLatin1(name));
      browser.SaveFractalClick();
      QCOMPARE(boxes.Take(), QStringList{kWriteFailure});
    }
    QVERIFY(browser.isVisible());
    QCOMPARE(f.state.browser.ChosenPath, f.Fractal("fractal_new.frc"));
    // Case counts: Spiral is not spiral, and a double click confirms it.
    browser.FileName->setText(QStringLiteral("Spiral"));
    DoubleClickOn(browser.FileName);
    QVERIFY(boxes.seen.isEmpty() && browser.result() == QDialog::Accepted);
    QVERIFY(!f.state.MouseArmed && f.state.browser.FileChosen);
    QCOMPARE(f.state.browser.ChosenPath, f.Fractal("Spiral.frc"));
    QCOMPARE(f.state.browser.ChosenName, std::string("Spiral"));
    QVERIFY(Saved(f.state) == before);
  }

  void renamingChecksTheListAndNeverReplaces() {
    Folder f;
    for (const char* name : {"a.frc", "spiral.frc", "x.y.frc"}) f.AddFractal(name, 0.3, 0.5);
    Boxes boxes;  // x.y.frc is the entry x, which names no file
    TOpenSaveFractal browser(f.state, f.link);
    browser.show();
    Select(browser.FileList, "spiral");
    const int position = browser.FileList->currentRow();
    boxes.seen.clear();
    OnModal<TReFile>([&](TReFile& rename) {
      QCOMPARE(rename.windowTitle(), QStringLiteral("File renaming"));
      QCOMPARE(rename.OldName->text() + rename.NewName->text(), QStringLiteral("spiralspiral"));
      for (const char* name : {"spiral", "x.y", "../escape", ""}) {
        rename.NewName->setText(QString::fromLatin1(name));
        QTest::keyClick(rename.NewName, Qt::Key_Return);
      }
      rename.NewName->setText(QStringLiteral("Spiral"));
      rename.OkButClick();
    });
    Press(&browser, Qt::Key_R);
    const QString failed = Said("Error at renaming", QMessageBox::Critical,
                                "It was not possible to rename a file.");
    QCOMPARE(boxes.Take(), (QStringList{Said("The warning of concurrence", QMessageBox::Warning,
                                             "The file with such name already exists.\n"
                                             " Choose other name of a file."),
                                        failed, failed}));
    // x.y.frc kept its bytes, nothing left the folder, and the refilled list keeps the position.
    QCOMPARE(QFileInfo(QString::fromStdString(f.Fractal("x.y.frc"))).size(), 60);
    QVERIFY(!f.Has(f.dir.filePath("escape.frc").toStdString()));
    QVERIFY(f.Has(f.Fractal("Spiral.frc")) && !f.Has(f.Fractal("spiral.frc")));
    QCOMPARE(Items(browser.FileList), f.Listed(zirvanta::EntryPattern::FractalFiles));
    QCOMPARE(browser.FileList->currentRow(), position);
  }

  void paletteBrowserOnlyEverChangesThePalette() {
    Folder f;
    const PaletteParams b{7, 90, 80, 70, 30, 20, 10};
    f.AddPalette("a.ptt", {2, 10, 20, 30, 4, 5, 6});
    f.AddPalette("b.ptt", b);
    f.AddPalette("zero.ptt", {0, 1, 1, 1, 1, 1, 1});
    f.AddPalette("c.pttx", {2, 1, 1, 1, 1, 1, 1});
    f.state.fractal.cx = 0.2855;
    f.state.windows.fullScreenShown = true;  // placed on the screen's centre
    const Saved before(f.state);
    TOSPalette browser(f.state, f.link);
    const QRect screen = f.link.window.screen()->geometry();
    QCOMPARE(browser.pos(), QPoint(int((screen.width() - 409) * 0.5),
                                   int((screen.height() - 178) * 0.5 - 30)));
    QCOMPARE(browser.windowTitle(), QStringLiteral("Palette opening"));
    QCOMPARE(Items(browser.PalList), f.Listed(zirvanta::EntryPattern::PaletteFiles));
    Select(browser.PalList, "a");
    QVERIFY(PreviewShowsPlainPass(browser.With, f.state));
    Select(browser.PalList, "zero");
    QCOMPARE(browser.ImText->text(), QStringLiteral("Unknown type."));
    QVERIFY(browser.With->isHidden() && !f.state.PaletteTypeKnown);
    QVERIFY(Saved(f.state) == before);  // the palette before the dialog, not a's
    Select(browser.PalList, "a");
    Select(browser.PalList, "b");
    browser.show();
    DoubleClickOn(browser.With);
    QCOMPARE(browser.result(), int(QDialog::Accepted));
    QVERIFY(f.state.fractal.palette == b && f.state.palette == Built(b));
    QVERIFY(f.state.PaletteTypeKnown && f.state.fractal.cx == 0.2855);
    QCOMPARE(f.state.browser.PaletteListIndex, browser.PalList->currentRow());
    // Cancelled after previews: the palette before; c and the view never moved.
    const Saved taken(f.state);
    TOSPalette again(f.state, f.link);
    Select(again.PalList, "a");
    again.reject();
    QVERIFY(Saved(f.state) == taken);
  }

  void paletteDeleteRestoresBeforeRefillingAndRenameRepreviews() {
    Folder f;
    for (const char* name : {"a.ptt", "b.ptt", "c.ptt"}) f.AddPalette(name, {3, 5, 5, 5, 9, 9, 9});
    f.state.browser.PaletteListIndex = 2;
    TOSPalette browser(f.state, f.link);
    const std::string second = browser.PalList->item(1)->text().toStdString();
    // After the delete the second entry is selected and its own palette loaded.
    f.AddPalette(second + ".ptt", {6, 1, 2, 3, 4, 5, 6});
    browser.DelPalFile->trigger();
    QCOMPARE(browser.PalList->currentRow(), 1);
    QVERIFY(f.state.fractal.palette == (PaletteParams{6, 1, 2, 3, 4, 5, 6}));
    QVERIFY(PreviewShowsPlainPass(browser.With, f.state));

    const PaletteParams later{8, 9, 9, 9, 1, 1, 1};
    for (const QString& entry : Items(browser.PalList)) {
      f.AddPalette(entry.toStdString() + ".ptt", later);
    }
    TRePalFile rename(f.state, f.link, browser, second);
    QCOMPARE(rename.OldNamePal->text().toStdString(), second);
    rename.NewNamePal->setText(QStringLiteral("renamed"));
    rename.RenamePalClick();
    // The same position, whichever entry the folder now gives there, previewed again.
    QVERIFY(f.Has(f.Palette("renamed.ptt")) && browser.PalList->currentRow() == 1);
    QVERIFY(f.state.fractal.palette == later && PreviewShowsPlainPass(browser.With, f.state));
  }

  void paletteSaveModeTypesLettersAndAsksWithItsOwnCaption() {
    Folder f(false);
    f.AddPalette("ocean.ptt", {2, 1, 2, 3, 4, 5, 6});
    const Saved before(f.state);
    TOSPalette browser(f.state, f.link);
    Show(browser);
    QCOMPARE((QStringList{browser.windowTitle(), browser.FileText->text(),
                          browser.DelPalFile->text(), browser.ReNamePal->text(),
                          browser.SaveBut->statusTip()}),
             (QStringList{"Palette preservation", "palette_new", "&Удалить файл",
                          "Переименовать файл", " Keeps a palette under the chosen name"}));
    QVERIFY(!browser.DelPalFile->isEnabled() && !browser.ReNamePal->isEnabled());
    QVERIFY(browser.ImText->isHidden() && PreviewShowsPlainPass(browser.With, f.state));
    browser.PalList->setCurrentRow(0);
    QVERIFY(Saved(f.state) == before);  // save mode previews nothing from files
    TypeName(browser.FileText, QStringLiteral("ocean"));
    Boxes boxes(QMessageBox::Yes);
    QTest::keyClick(browser.FileText, Qt::Key_Enter);
    QCOMPARE(boxes.Take(), QStringList{Said("Confirmation of replacement of a file",
                                            QMessageBox::Question, kReplaceQuestion)});
    QCOMPARE(browser.result(), int(QDialog::Accepted));
    QCOMPARE(f.state.browser.ChosenPath, f.Palette("ocean.ptt"));
  }
};

QTEST_MAIN(BrowsersTest)
#include "browsers_test.moc"
