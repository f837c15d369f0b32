#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdlib>
#include <exception>

#include "forms/U_mainform.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  QApplication::setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));
  try {
    // The working directory at start-up is the start folder.
    TMainForm mainForm(QDir::currentPath());
    if (mainForm.TerminateRequested()) return EXIT_FAILURE;
    mainForm.show();
    return QApplication::exec();
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, QString::fromLatin1(kApplicationTitle),
                          QString::fromLocal8Bit(error.what()));
    return EXIT_FAILURE;
  }
}
