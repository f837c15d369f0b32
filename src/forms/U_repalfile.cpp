#include "U_repalfile.h"

#include <QLineEdit>
#include <QPushButton>

#include "files/entry_files.h"
#include "forms/U_ospalette.h"

TRePalFile::TRePalFile(zirvanta::SharedState& state, TMainLink& link, TOSPalette& browser,
                       const std::string& entry)
    : TRenameForm(link,
                  {state.PaletteFolder, zirvanta::kPaletteExtension, entry, &browser.Entries(),
                   [&browser] {
                     browser.FillList();
                     browser.PreviewFile();
                   }},
                  &browser) {
  OldNamePal->setObjectName(QStringLiteral("OldNamePal"));
  NewNamePal->setObjectName(QStringLiteral("NewNamePal"));
  CanselR->setObjectName(QStringLiteral("CanselR"));
  RenamePal->setObjectName(QStringLiteral("RenamePal"));
}
