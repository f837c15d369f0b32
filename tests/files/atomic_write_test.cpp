#include "files/atomic_write.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
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
using Names = std::vector<std::string>;
namespace fs = std::filesystem;
using namespace std::string_literals;

WriteResult Write(const std::string& path, const std::string& bytes) {
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

// Runs body in a forked child whose files cannot grow past `limit` bytes, as on a full disk:
// a write past the limit fails with EFBIG instead of killing the child. Permission bits would
// not do: tests may run as root.
bool SucceedsWithFileSizeLimit(rlim_t limit, const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit cap{limit, limit};
    ::_exit(::setrlimit(RLIMIT_FSIZE, &cap) == 0 && body() ? 0 : 1);
  }
  int status = 1;
  return child > 0 && ::waitpid(child, &status, 0) == child && status == 0;
}

TEST(WriteFileAtomically, FullDiskMidwayKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  WriteBytes(dir.File("picture.bmp"), "old content");
  const std::string big(64 * 1024, 'n');
  EXPECT_TRUE(SucceedsWithFileSizeLimit(4096, [&] {
    const WriteResult replaced = Write(dir.File("picture.bmp"), big);
    return replaced.status == Status::WriteFailed &&
           WriteFailureMessage(replaced).starts_with(kWriteIncompleteMessage + "\n"s) &&
           Write(dir.File("new.bmp"), big).status == Status::WriteFailed;
  }));
  EXPECT_EQ(ReadBytes(dir.File("picture.bmp")), "old content");
  EXPECT_EQ(dir.Entries(), Names{"picture.bmp"});
}

TEST(WriteFileAtomically, TargetsThatCannotBeReplacedAreLeftAsTheyWere) {
  TempDir dir;
  const WriteResult missing = Write(dir.File("missing/a.frc"), "data");
  EXPECT_EQ(missing.status, Status::OpenFailed);
  EXPECT_TRUE(WriteFailureMessage(missing).starts_with(kWriteOpenFailedMessage + "\n"s));

  fs::create_directory(dir.File("a.frc"));
  WriteBytes(dir.File("a.frc/inside"), "keep");
  EXPECT_EQ(Write(dir.File("a.frc"), "data").status, Status::OpenFailed);
  EXPECT_EQ(ReadBytes(dir.File("a.frc/inside")), "keep");
  EXPECT_EQ(dir.Entries(), Names{"a.frc"});
}

TEST(WriteFileAtomically, ReplacesWholeThroughASymbolicLinkKeepingTheMode) {
  TempDir dir;
  WriteBytes(dir.File("real.ptt"), "a longer old content");
  fs::permissions(dir.File("real.ptt"), fs::perms(0604));
  fs::create_symlink(dir.File("real.ptt"), dir.File("link.ptt"));
  ASSERT_TRUE(Write(dir.File("link.ptt"), "new").ok());
  EXPECT_TRUE(fs::is_symlink(dir.File("link.ptt")));
  EXPECT_EQ(ReadBytes(dir.File("real.ptt")), "new");
  EXPECT_EQ(fs::status(dir.File("real.ptt")).permissions(), fs::perms(0604));
  EXPECT_EQ(dir.Entries(), (Names{"link.ptt", "real.ptt"}));
}

}  // namespace
}  // namespace zirvanta
