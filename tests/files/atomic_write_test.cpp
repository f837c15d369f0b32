#include "files/atomic_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "file_test_support.h"

namespace zirvanta {
namespace {

using testing::ReadBytes;
using testing::RunWithFileSizeLimit;
using testing::TempDir;
using testing::WriteBytes;

namespace fs = std::filesystem;

WriteResult Write(const std::string& path, const std::string& bytes) {
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_mode & 07777;
}

TEST(WriteFileAtomically, CreatesAndReplacesWholeFileWithoutLeftovers) {
  TempDir dir;
  const std::string path = dir.File("a.frc");
  ASSERT_TRUE(Write(path, std::string(100, 'x')).ok());
  const WriteResult result = Write(path, "short");
  EXPECT_TRUE(result.ok());
  EXPECT_EQ(result.detail, "");
  EXPECT_EQ(ReadBytes(path), "short");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.frc"});
}

TEST(WriteFileAtomically, MissingFolderFailsToOpenAndCreatesNothing) {
  TempDir dir;
  const std::string folder = dir.File("missing");
  const WriteResult result = Write(folder + "/a.frc", "data");
  EXPECT_EQ(result.status, WriteResult::Status::OpenFailed);
  EXPECT_FALSE(result.detail.empty());
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(WriteFileAtomically, TargetThatIsAFolderIsLeftIntact) {
  TempDir dir;
  const std::string target = dir.File("a.frc");
  fs::create_directory(target);
  WriteBytes(target + "/inside", "keep");
  const WriteResult result = Write(target, "data");
  EXPECT_FALSE(result.ok());
  EXPECT_TRUE(fs::is_directory(target));
  EXPECT_EQ(ReadBytes(target + "/inside"), "keep");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.frc"});
}

TEST(WriteFileAtomically, FullDiskMidwayKeepsOldFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string path = dir.File("picture.bmp");
  WriteBytes(path, "old content");
  const std::string big(64 * 1024, 'n');
  const int code = RunWithFileSizeLimit(4096, [&] {
    const WriteResult result = Write(path, big);
    return result.status == WriteResult::Status::WriteFailed && !result.detail.empty() ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadBytes(path), "old content");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.bmp"});
}

TEST(WriteFileAtomically, FullDiskWithoutOldFileCreatesNothing) {
  TempDir dir;
  const std::string big(64 * 1024, 'n');
  const int code = RunWithFileSizeLimit(100, [&] {
    return Write(dir.File("new.bmp"), big).status == WriteResult::Status::WriteFailed ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(dir.Entries().empty());
}

// A producer that keeps writing after the disk filled up: the later writes are refused.
class ThreeChunks final : public ChunkProducer {
 public:
  void Produce(ChunkSink& sink) override {
    const std::string chunk(1000, 'c');
    for (bool& accepted : accepted_) accepted = sink.Write(chunk.data(), chunk.size());
  }
  bool accepted_[3] = {};
};

TEST(WriteFileAtomically, ChunksAfterAFailedWriteAreRefused) {
  TempDir dir;
  const std::string path = dir.File("out.bmp");
  WriteBytes(path, "old");
  const int code = RunWithFileSizeLimit(1500, [&] {
    ThreeChunks producer;
    const WriteResult result = WriteFileAtomically(path, producer);
    const bool expected = producer.accepted_[0] && !producer.accepted_[1] &&
                          !producer.accepted_[2] &&
                          result.status == WriteResult::Status::WriteFailed;
    return expected ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.bmp"});
}

TEST(WriteFileAtomically, ReplacingKeepsTheOldFilesMode) {
  TempDir dir;
  for (const mode_t mode : {mode_t{0640}, mode_t{0600}, mode_t{0604}}) {
    const std::string path = dir.File("kept.ptt");
    WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    ASSERT_TRUE(Write(path, "new").ok());
    EXPECT_EQ(ModeOf(path), mode);
    EXPECT_EQ(ReadBytes(path), "new");
    fs::remove(path);
  }
}

TEST(WriteFileAtomically, WritesThroughASymbolicLink) {
  TempDir dir;
  const std::string target = dir.File("real.frc");
  const std::string link = dir.File("link.frc");
  WriteBytes(target, "old");
  fs::create_symlink(target, link);
  ASSERT_TRUE(Write(link, "new").ok());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(target), "new");
}

TEST(WriteFileAtomically, AFileTheUserMayNotWriteIsKept) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  TempDir dir;
  const std::string path = dir.File("locked.frc");
  WriteBytes(path, "old");
  ::chmod(path.c_str(), 0444);
  const WriteResult result = Write(path, "new");
  EXPECT_EQ(result.status, WriteResult::Status::OpenFailed);
  EXPECT_EQ(ReadBytes(path), "old");
}

TEST(WriteFailureMessage, NamesTheKindOfFailureThenTheReason) {
  EXPECT_EQ(WriteFailureMessage({WriteResult::Status::OpenFailed, "No such file or directory"}),
            std::string(kWriteOpenFailedMessage) + "\nNo such file or directory");
  EXPECT_EQ(WriteFailureMessage({WriteResult::Status::WriteFailed, "File too large"}),
            std::string(kWriteIncompleteMessage) + "\nFile too large");
  EXPECT_EQ(WriteFailureMessage({WriteResult::Status::OpenFailed, ""}), kWriteOpenFailedMessage);
}

}  // namespace
}  // namespace zirvanta
