#include "U_repalfile.h"

#include "forms/U_ospalette.h"

TRePalFile::TRePalFile(zirvanta::SharedState& /*state*/, TMainLink& link, TOSPalette& browser,
                       const std::string& entry)
    : TRenameForm(link, browser, entry, {"OldNamePal", "NewNamePal", "CanselR", "RenamePal"}) {}
