// The file routines' message boxes: exact texts, captions, icons and buttons.
#include <functional>

#include "form_test_support.h"
#include "files/fractal_file.h"
#include "forms/file_messages.h"

using zirvanta::WriteResult;

class FileMessagesTest : public QObject {
  Q_OBJECT

 private slots:
  void boxesShowTheProgramsTextsAndKeepTheReasonApart() {
    const QString title = QStringLiteral("Zirvanta 1.02");
    const QString opened = QString::fromLatin1(zirvanta::kWriteOpenFailedMessage);
    const struct {
      std::function<void()> show;
      QMessageBox::Icon icon;
      QString caption, text, informative;
    } cases[] = {
        {[] { ShowReadFailure(nullptr); }, QMessageBox::NoIcon, title,
         QStringLiteral("The file did not manage to be opened for reading."), {}},
        {[] { ShowWriteFailure(nullptr, {WriteResult::Status::OpenFailed, "Permission denied"}); },
         QMessageBox::NoIcon, title,
         QStringLiteral("The file did not manage to be opened for recording."),
         QStringLiteral("Permission denied")},
        {[] { ShowWriteFailure(nullptr, {WriteResult::Status::WriteFailed, "No space", true}); },
         QMessageBox::NoIcon, title, opened,
         QStringLiteral("The file could not be written in full; the previous file was kept.\n"
                        "No space")},
        {[] { ShowWriteFailure(nullptr, {WriteResult::Status::WriteFailed, "No space", false}); },
         QMessageBox::NoIcon, title, opened,
         QStringLiteral("The file could not be written in full.\nNo space")},
        {[] { ShowUnknownType(nullptr, zirvanta::kUnknownFractalTypeMessage,
                              zirvanta::kOpeningFractalNotPossibleCaption); },
         QMessageBox::Warning, QStringLiteral("Opening fractal is not possible!"),
         QStringLiteral("The fractal type is unknown this version of the program."), {}},
        {[] { ShowUnknownType(nullptr, zirvanta::kUnknownPaletteTypeMessage,
                              zirvanta::kFractalPaletteIgnoredCaption); },
         QMessageBox::Warning, QStringLiteral("The palette of fractal is ignored!"),
         QStringLiteral("The palette type is unknown this version of the program."), {}},
        {[] { ShowUnknownType(nullptr, zirvanta::kUnknownPaletteTypeMessage,
                              zirvanta::kPaletteIgnoredCaption); },
         QMessageBox::Warning, QStringLiteral("The palette is ignored!"),
         QStringLiteral("The palette type is unknown this version of the program."), {}}};
    for (const auto& c : cases) {
      QStringList shown;  // caption, text, informative text, icon, buttons
      QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          shown << box->windowTitle() << box->text() << box->informativeText()
                << QString::number(box->icon()) << QString::number(box->standardButtons());
          box->accept();
        }
      });
      c.show();
      QCOMPARE(shown, QStringList({c.caption, c.text, c.informative, QString::number(c.icon),
                                   QString::number(QMessageBox::Ok)}));
    }
  }
};

QTEST_MAIN(FileMessagesTest)
#include "file_messages_test.moc"
