#include "file_messages.h"

#include <QMessageBox>
#include <QString>

#include "files/fractal_file.h"
#include "forms/titles.h"

namespace {

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
             const QString& informative = {}) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.setInformativeText(informative);
  box.exec();
}

}  // namespace

void ShowReadFailure(QWidget* parent) {
  ShowBox(parent, QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle),
          QString::fromLatin1(zirvanta::kReadOpenFailedMessage));
}

void ShowWriteFailure(QWidget* parent, const zirvanta::WriteResult& result) {
  ShowBox(parent, QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle),
          QString::fromLatin1(zirvanta::kWriteOpenFailedMessage),
          QString::fromStdString(zirvanta::WriteFailureDetail(result)));
}

void ShowExportFailure(QWidget* parent, const std::string& message) {
  const QString text = QString::fromStdString(message);
  const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
  ShowBox(parent, QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle), text.left(lineEnd),
          lineEnd < 0 ? QString() : text.mid(lineEnd + 1));
}

void ShowUnknownType(QWidget* parent, const char* text, const char* caption) {
  ShowBox(parent, QMessageBox::Warning, QString::fromLatin1(caption), QString::fromLatin1(text));
}
