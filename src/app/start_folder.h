#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zirvanta {

// Which folder the program starts in: the folder of settings.dat, fractals/ and paletts/.
//   zirvanta                 the current folder, as it always was (a prepared folder)
//   zirvanta FOLDER          that folder, which must exist ("--" before a name starting with "-")
//   zirvanta --data-folder   ${XDG_DATA_HOME:-~/.local/share}/zirvanta (what the desktop entry
//                            runs): created when missing; a missing fractals/ or paletts/ folder
//                            is created with the installed samples, and a missing
//                            Description.rtf is copied; no existing file is ever replaced.
inline constexpr const char* kStartFolderUsage =
    "Usage: zirvanta [FOLDER | --data-folder]\n"
    "Starts Zirvanta in FOLDER, in its data folder ${XDG_DATA_HOME:-~/.local/share}/zirvanta, or "
    "with no argument in the current folder.\n";

using EnvironmentLookup = std::function<const char*(const char* name)>;

struct StartFolderChoice {
  enum class Outcome { Start, Help, Refused };
  Outcome outcome = Outcome::Start;
  std::string folder;   // absolute, when the outcome is Start
  bool dataFolder = false;
  std::string message;  // why it was refused
};

// args: the words after the program name, once Qt has taken its own options.
StartFolderChoice ChooseStartFolder(const std::vector<std::string>& args,
                                    const EnvironmentLookup& environment,
                                    const std::string& currentFolder);

// ${XDG_DATA_HOME}/zirvanta when XDG_DATA_HOME is an absolute path, else
// ${HOME}/.local/share/zirvanta (HOME from the password database when unset); empty when
// there is no home to be found.
std::string DataFolder(const EnvironmentLookup& environment);

// The installed shared files of a program in PREFIX/bin: PREFIX/share/zirvanta.
std::string ShareFolderFor(const std::string& programFolder);

// Creates the data folder as described above from the shared files. Returns what went wrong,
// empty when all went well; fatal when the folder itself cannot be had.
struct PrepareOutcome {
  bool fatal = false;
  std::string message;
};
PrepareOutcome PrepareDataFolder(const std::string& folder, const std::string& shareFolder);

// Makes the folder the process's current folder, so every part of the program sees the start
// folder there. Returns the failure's message, empty on success.
std::string EnterStartFolder(const std::string& folder);

}  // namespace zirvanta
