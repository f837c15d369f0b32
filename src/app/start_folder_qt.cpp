#include "start_folder_qt.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "forms/titles.h"
#include "start_folder.h"

namespace zirvanta {

std::optional<QString> StartFolder(int& exitStatus) {
  std::vector<std::string> args;
  for (const QString& arg : QCoreApplication::arguments().mid(1)) args.push_back(arg.toStdString());
  const StartFolderChoice choice = ChooseStartFolder(
      args, [](const char* name) { return std::getenv(name); }, QDir::currentPath().toStdString());
  auto tell = [](QMessageBox::Icon icon, const std::string& message) {
    std::cerr << message << '\n';
    QMessageBox box(icon, QString::fromLatin1(kApplicationTitle), QString::fromStdString(message));
    box.exec();
  };
  using Outcome = StartFolderChoice::Outcome;
  if (choice.outcome != Outcome::Start) {
    if (choice.outcome == Outcome::Help) std::cout << kStartFolderUsage;
    if (choice.outcome == Outcome::Refused) tell(QMessageBox::Critical, choice.message);
    exitStatus = choice.outcome == Outcome::Help ? EXIT_SUCCESS : 2;
    return std::nullopt;
  }
  if (choice.dataFolder) {
    const PrepareOutcome prepared = PrepareDataFolder(
        choice.folder, ShareFolderFor(QCoreApplication::applicationDirPath().toStdString()));
    if (!prepared.message.empty()) {
      tell(prepared.fatal ? QMessageBox::Critical : QMessageBox::Warning, prepared.message);
    }
    if (prepared.fatal) {
      exitStatus = EXIT_FAILURE;
      return std::nullopt;
    }
  }
  if (const std::string failure = EnterStartFolder(choice.folder); !failure.empty()) {
    tell(QMessageBox::Critical, failure);
    exitStatus = EXIT_FAILURE;
    return std::nullopt;
  }
  return QString::fromStdString(choice.folder);
}

}  // namespace zirvanta
