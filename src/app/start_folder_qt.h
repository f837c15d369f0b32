#pragma once

#include <QString>
#include <optional>

namespace zirvanta {

// Finds the start folder from the arguments Qt left (see start_folder.h), prepares the data
// folder when that is the one, tells the user of any problem, and enters the folder. Returns
// the folder, or nothing when the program must end with exitStatus.
std::optional<QString> StartFolder(int& exitStatus);

}  // namespace zirvanta
