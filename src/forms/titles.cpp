#include "titles.h"

#include <QGuiApplication>
#include <QString>

void SetApplicationIdentity() {
  QGuiApplication::setApplicationName(QStringLiteral("zirvanta"));
  QGuiApplication::setApplicationVersion(QStringLiteral("1.02"));
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zirvanta.Zirvanta"));
}
