// Shows the program's plain and warning message boxes, one after the other, on an application
// named as the program names itself, so that their titles can be read from the X server.
#include <QApplication>
#include <QTimer>

#include "files/fractal_file.h"
#include "forms/file_messages.h"
#include "forms/titles.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  SetApplicationIdentity();
  QTimer::singleShot(0, [] {
    ShowWriteFailure(nullptr, {zirvanta::WriteResult::Status::OpenFailed, "Permission denied"});
    ShowUnknownType(nullptr, zirvanta::kUnknownFractalTypeMessage,
                    zirvanta::kOpeningFractalNotPossibleCaption);
    QCoreApplication::quit();
  });
  return QApplication::exec();
}
