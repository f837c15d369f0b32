#include "files/atomic_write.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "file_test_support.h"

namespace zirvanta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Status = WriteResult::Status;
using namespace std::string_literals;
namespace fs = std::filesystem;

WriteResult Write(const std::string& path, const std::string& bytes) {
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

// Runs body in a forked child whose files cannot grow past `limit` bytes, as on a full disk:
// a write past the limit fails with EFBIG instead of killing the child. Gives the child's exit
// code, or -1. Permission bits would not do: tests may run as root.
int RunWithFileSizeLimit(rlim_t limit, const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit cap{limit, limit};
    ::_exit(::setrlimit(RLIMIT_FSIZE, &cap) == 0 && body() ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

TEST(WriteFileAtomically, FullDiskMidwayKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string path = dir.File("picture.bmp");
  WriteBytes(path, "old content");
  const std::string big(64 * 1024, 'n');
  EXPECT_EQ(RunWithFileSizeLimit(4096, [&] {
              const WriteResult replaced = Write(path, big);
              return replaced.status == Status::WriteFailed &&
                     StartsWith(WriteFailureMessage(replaced), kWriteIncompleteMessage + "\n"s) &&
                     Write(dir.File("new.bmp"), big).status == Status::WriteFailed;
            }),
            0);
  EXPECT_EQ(ReadBytes(path), "old content");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.bmp"});
}

TEST(WriteFileAtomically, TargetsThatCannotBeReplacedAreLeftAsTheyWere) {
  TempDir dir;
  const WriteResult missing = Write(dir.File("missing/a.frc"), "data");
  EXPECT_EQ(missing.status, Status::OpenFailed);
  EXPECT_TRUE(StartsWith(WriteFailureMessage(missing), kWriteOpenFailedMessage + "\n"s));
  EXPECT_TRUE(dir.Entries().empty());

  fs::create_directory(dir.File("a.frc"));
  WriteBytes(dir.File("a.frc/inside"), "keep");
  EXPECT_EQ(Write(dir.File("a.frc"), "data").status, Status::OpenFailed);
  EXPECT_EQ(ReadBytes(dir.File("a.frc/inside")), "keep");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.frc"});
}

TEST(WriteFileAtomically, ReplacesWholeThroughASymbolicLinkKeepingTheMode) {
  TempDir dir;
  const std::string target = dir.File("real.ptt");
  WriteBytes(target, "a longer old content");
  ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
  fs::create_symlink(target, dir.File("link.ptt"));
  ASSERT_TRUE(Write(dir.File("link.ptt"), "new").ok());
  EXPECT_TRUE(fs::is_symlink(dir.File("link.ptt")));
  EXPECT_EQ(ReadBytes(target), "new");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0604u);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"link.ptt", "real.ptt"}));
}

}  // namespace
}  // namespace zirvanta
