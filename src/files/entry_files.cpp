#include "entry_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace zirvanta {
namespace {

// The errors by which a file system says it lacks a way of renaming, as opposed to refusing
// this rename.
bool NotOffered(int error) {
  return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP ||
         error == EPERM;
}

bool RestoreErrno(int error) {
  errno = error;
  return false;
}

}  // namespace

bool MatchesEntryPattern(const std::string& fileName, EntryPattern pattern) {
  if (pattern == EntryPattern::FractalFiles) {
    return fileName.find(kFractalExtension) != std::string::npos;
  }
  return fileName.ends_with(kPaletteExtension);
}

std::string EntryNameOf(const std::string& fileName) {
  const size_t start = fileName.find_first_not_of('.');
  if (start == std::string::npos) return {};
  const size_t dot = fileName.find('.', start);
  return fileName.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

std::vector<std::string> ListEntries(const std::string& folder, EntryPattern pattern) {
  std::vector<std::string> entries;
  std::error_code error;
  std::filesystem::directory_iterator entry(folder, error);
  for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    const std::string fileName = entry->path().filename().string();
    if (!MatchesEntryPattern(fileName, pattern)) continue;
    std::string name = EntryNameOf(fileName);
    if (!name.empty()) entries.push_back(std::move(name));
  }
  return entries;
}

bool EntryNameSafe(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

std::string EntryPath(const std::string& folder, const std::string& name, const char* extension) {
  return folder + "/" + name + extension;
}

bool DeleteEntry(const std::string& folder, const std::string& name, const char* extension) {
  if (!EntryNameSafe(name)) return RestoreErrno(EINVAL);
  return ::unlink(EntryPath(folder, name, extension).c_str()) == 0;
}

bool RenameEntry(const std::string& folder, const std::string& oldName,
                 const std::string& newName, const char* extension) {
  if (!EntryNameSafe(oldName) || !EntryNameSafe(newName)) return RestoreErrno(EINVAL);
  return RenameWithoutReplacing(EntryPath(folder, oldName, extension),
                                EntryPath(folder, newName, extension));
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to,
                            NoReplaceMethod first) {
  const char* const source = from.c_str();
  const char* const target = to.c_str();
  if (first == NoReplaceMethod::NativeRename) {
    if (::renameat2(AT_FDCWD, source, AT_FDCWD, target, RENAME_NOREPLACE) == 0) return true;
    if (!NotOffered(errno)) return false;
    first = NoReplaceMethod::LinkThenUnlink;
  }
  if (first == NoReplaceMethod::LinkThenUnlink) {
    if (::link(source, target) == 0) {
      if (::unlink(source) == 0) return true;
      const int error = errno;
      ::unlink(target);  // the file keeps its old name only
      return RestoreErrno(error);
    }
    // Besides lacking hard links, EPERM is also how link refuses a folder; the placeholder
    // below refuses it too.
    if (!NotOffered(errno)) return false;
  }
  // The placeholder reserves the name: nothing that exists under it is ever replaced, and a
  // file that appears under it later finds the name taken.
  const int placeholder = ::open(target, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (placeholder < 0) return false;
  ::close(placeholder);
  if (::rename(source, target) == 0) return true;
  const int error = errno;
  ::unlink(target);
  return RestoreErrno(error);
}

}  // namespace zirvanta
