#include "U_refile.h"

#include <QLineEdit>
#include <QPushButton>

#include "files/entry_files.h"
#include "forms/U_opensavefractal.h"

TReFile::TReFile(zirvanta::SharedState& state, TMainLink& link, TOpenSaveFractal& browser,
                 const std::string& entry)
    : TRenameForm(link,
                  {state.FractalFolder, zirvanta::kFractalExtension, entry, &browser.Entries(),
                   [&browser] { browser.FillList(); }},
                  &browser) {
  OldName->setObjectName(QStringLiteral("OldName"));
  NewName->setObjectName(QStringLiteral("NewName"));
  CanselBut->setObjectName(QStringLiteral("CanselBut"));
  OkBut->setObjectName(QStringLiteral("OkBut"));
}
