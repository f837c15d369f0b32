#include "start_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace zirvanta {
namespace fs = std::filesystem;
namespace {

constexpr const char* kManual = "Description.rtf";
constexpr const char* kSampleFolders[] = {"fractals", "paletts"};

std::string Reason(int error) { return std::strerror(error); }

bool IsFolder(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Creates the folder and its missing parents. Returns 0 or the errno of the failure.
int MakeFolders(const std::string& path) {
  std::error_code error;
  fs::create_directories(path, error);
  if (IsFolder(path)) return 0;
  return error ? error.value() : ENOTDIR;
}

// Copies a file to a name that does not exist yet; an existing target is left alone. A copy
// that fails half way is removed. Returns 0, EEXIST, or the errno of the failure.
int CopyNew(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return ENOENT;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return EIO;
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  int error = 0;
  for (size_t done = 0; done < bytes.size() && error == 0;) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written > 0) {
      done += static_cast<size_t>(written);
    } else if (written == 0 || errno != EINTR) {
      error = written == 0 ? EIO : errno;
    }
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) ::unlink(to.c_str());
  return error;
}

}  // namespace

std::string DataFolder(const EnvironmentLookup& environment) {
  const char* dataHome = environment("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') return std::string(dataHome) + "/zirvanta";
  std::string home;
  if (const char* value = environment("HOME"); value != nullptr && value[0] != '\0') {
    home = value;
  } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir) {
    home = user->pw_dir;
  }
  if (home.empty()) return {};
  return home + "/.local/share/zirvanta";
}

StartFolderChoice ChooseStartFolder(const std::vector<std::string>& args,
                                    const EnvironmentLookup& environment,
                                    const std::string& currentFolder) {
  using Outcome = StartFolderChoice::Outcome;
  std::vector<std::string> folders;
  bool dataFolder = false;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && (arg == "--help" || arg == "-h")) return {Outcome::Help, {}, false, {}};
    if (!optionsEnded && arg == "--data-folder") {
      dataFolder = true;
    } else if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return {Outcome::Refused, {}, false,
              "zirvanta: unknown option '" + arg + "'\n" + kStartFolderUsage};
    } else {
      folders.push_back(arg);
    }
  }
  if (folders.size() + (dataFolder ? 1 : 0) > 1) {
    return {Outcome::Refused, {}, false,
            std::string("zirvanta: give one start folder at most\n") + kStartFolderUsage};
  }
  if (dataFolder) {
    const std::string folder = DataFolder(environment);
    if (folder.empty()) {
      return {Outcome::Refused, {}, false,
              "The data folder cannot be found: neither XDG_DATA_HOME nor HOME is set."};
    }
    return {Outcome::Start, folder, true, {}};
  }
  if (folders.empty()) return {Outcome::Start, currentFolder, false, {}};
  if (folders[0].empty()) {
    return {Outcome::Refused, {}, false, "zirvanta: the start folder's name is empty"};
  }
  const std::string folder =
      (fs::path(currentFolder) / folders[0]).lexically_normal().string();
  if (!IsFolder(folder)) {
    return {Outcome::Refused, {}, false, "The folder " + folder + " does not exist."};
  }
  return {Outcome::Start, folder, false, {}};
}

std::string ShareFolderFor(const std::string& programFolder) {
  return (fs::path(programFolder).parent_path() / "share" / "zirvanta").string();
}

PrepareOutcome PrepareDataFolder(const std::string& folder, const std::string& shareFolder) {
  if (const int error = MakeFolders(folder); error != 0) {
    return {true, "The folder " + folder + " could not be created.\n" + Reason(error)};
  }
  std::string problems;
  auto copy = [&](const std::string& from, const std::string& to) {
    const int error = CopyNew(from, to);
    if (error != 0 && error != EEXIST) problems += "\n" + to + ": " + Reason(error);
  };
  // Without an installation (a build tree) there is nothing to copy, and nothing is missing.
  const bool installed = IsFolder(shareFolder);
  for (const char* kind : kSampleFolders) {
    const std::string target = folder + "/" + kind;
    if (IsFolder(target)) continue;  // samples only into a folder made now: deleted ones stay so
    if (const int error = MakeFolders(target); error != 0) {
      problems += "\n" + target + ": " + Reason(error);
      continue;
    }
    std::error_code error;
    const std::string source = shareFolder + "/" + kind;
    for (fs::directory_iterator entry(source, error), end; installed && !error && entry != end;
         entry.increment(error)) {
      if (entry->is_regular_file()) {
        copy(entry->path().string(), target + "/" + entry->path().filename().string());
      }
    }
  }
  const std::string manual = shareFolder + "/" + kManual;
  if (installed && ::access(manual.c_str(), F_OK) == 0) copy(manual, folder + "/" + kManual);
  if (problems.empty()) return {};
  return {false, "Some of the sample files could not be copied into " + folder + "." + problems};
}

std::string EnterStartFolder(const std::string& folder) {
  if (::chdir(folder.c_str()) == 0) return {};
  return "The folder " + folder + " cannot be opened.\n" + Reason(errno);
}

}  // namespace zirvanta
