#include "U_refile.h"

#include "forms/U_opensavefractal.h"

TReFile::TReFile(zirvanta::SharedState& /*state*/, TMainLink& link, TOpenSaveFractal& browser,
                 const std::string& entry)
    : TRenameForm(link, browser, entry, {"OldName", "NewName", "CanselBut", "OkBut"}) {}
