#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdlib>
#include <exception>
#include <system_error>

#include "app/platform_choice.h"
#include "app/termination_signals.h"
#include "engine/fast/fast_renderer.h"
#include "forms/U_mainform.h"
#include "start_folder_qt.h"

int main(int argc, char* argv[]) {
  zirvanta::AskForPlatform();
  QApplication application(argc, argv);
  SetApplicationIdentity();  // titles stay exactly as each window sets them
  int exitStatus = EXIT_SUCCESS;
  const std::optional<QString> startFolder = zirvanta::StartFolder(exitStatus);
  if (!startFolder) return exitStatus;
  try {
    TMainForm::Dependencies dependencies;
    try {
      dependencies.renderer = std::make_unique<zirvanta::FastRenderer>();
    } catch (const std::system_error&) {
      // Without worker threads the window renders with the one-thread plain renderer.
    }
    TMainForm mainForm(*startFolder, std::move(dependencies));
    if (mainForm.TerminateRequested()) return EXIT_FAILURE;
    mainForm.show();
    const zirvanta::TerminationSignals terminationSignals([] { QApplication::closeAllWindows(); });
    return QApplication::exec();
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, QString::fromLatin1(kApplicationTitle),
                          QString::fromLocal8Bit(error.what()));
    return EXIT_FAILURE;
  }
}
