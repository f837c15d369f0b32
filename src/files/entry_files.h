#pragma once

#include <string>
#include <vector>

namespace zirvanta {

// The fractal and palette folders as the browsers see them: entry names (a file name without
// folder and extension), the paths they stand for, and deleting and renaming by entry name.
// Names typed by the user are joined to a folder only when they are safe (EntryNameSafe), so
// nothing here ever touches a file outside the folder it is given.

inline constexpr const char* kFractalExtension = ".frc";
inline constexpr const char* kPaletteExtension = ".ptt";

enum class EntryPattern {
  FractalFiles,  // *.frc*: every name holding ".frc" (x.frcold, a.b.frc, a sub-folder d.frc)
  PaletteFiles,  // *.ptt: every name ending in ".ptt"
};

bool MatchesEntryPattern(const std::string& fileName, EntryPattern pattern);

// The part of a file name before its first dot, leading dots skipped: a.b.frc gives a.
std::string EntryNameOf(const std::string& fileName);

// The entry names of every folder entry (files and sub-folders alike) matching the pattern, in
// the order the folder gives them, unsorted; a missing or unreadable folder gives none.
std::vector<std::string> ListEntries(const std::string& folder, EntryPattern pattern);

// A name that stays inside its folder once the extension is added: not empty, no "/", no NUL,
// and neither "." nor "..". Everything else is kept exactly as typed.
bool EntryNameSafe(const std::string& name);

// folder + "/" + name + extension; the caller has checked the name.
std::string EntryPath(const std::string& folder, const std::string& name, const char* extension);

// Removes the file of the entry. False (errno set) when the name is unsafe, the file is gone or
// is a folder, or the system refuses.
bool DeleteEntry(const std::string& folder, const std::string& name, const char* extension);

// Renames the entry's file to the new name's, never replacing a file that exists under the new
// name, also one that appears meanwhile. False (errno set) when a name is unsafe, the old file
// is gone, the new one exists, or the system refuses; nothing is changed then.
bool RenameEntry(const std::string& folder, const std::string& oldName,
                 const std::string& newName, const char* extension);

// How a rename keeps from replacing: the system's no-replace rename; a hard link to the new
// name, then the old name removed (link fails on an existing name); or the new name created
// exclusively and the file renamed over that placeholder. Each one falls back to the next when
// the file system does not offer it.
enum class NoReplaceMethod { NativeRename, LinkThenUnlink, ExclusivePlaceholder };

// Renames from to to without replacing, starting with the given method (tests start lower).
bool RenameWithoutReplacing(const std::string& from, const std::string& to,
                            NoReplaceMethod first = NoReplaceMethod::NativeRename);

}  // namespace zirvanta
