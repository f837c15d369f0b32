#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdlib>
#include <exception>
#include <system_error>

#include "engine/fast/fast_renderer.h"
#include "forms/U_mainform.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  try {
    TMainForm::Dependencies dependencies;
    try {
      dependencies.renderer = std::make_unique<zirvanta::FastRenderer>();
    } catch (const std::system_error&) {
      // Without worker threads the window renders with the one-thread plain renderer.
    }
    // The working directory at start-up is the start folder.
    TMainForm mainForm(QDir::currentPath(), std::move(dependencies));
    if (mainForm.TerminateRequested()) return EXIT_FAILURE;
    mainForm.show();
    return QApplication::exec();
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, QString::fromLatin1(kApplicationTitle),
                          QString::fromLocal8Bit(error.what()));
    return EXIT_FAILURE;
  }
}
