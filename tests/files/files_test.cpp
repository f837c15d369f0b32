#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstring>
#include <cstdint>
#include <functional>
#include <random>
#include <thread>

#include "file_test_support.h"
#include "files/atomic_write.h"
#include "files/fractal_file.h"
#include "files/settings.h"

namespace zirvanta {
namespace {

using testing::Hex;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Names = std::vector<std::string>;
using Status = WriteResult::Status;
namespace fs = std::filesystem;
using namespace std::string_literals;

WriteResult Write(const std::string& path, const std::string& bytes) {
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

// Runs body in a forked child whose files cannot grow past `limit` bytes, as on a full disk (a
// write past it fails with EFBIG); permission bits would not do, as tests may run as root.
bool SucceedsWithFileSizeLimit(rlim_t limit, const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit cap{limit, limit};
    ::_exit(::setrlimit(RLIMIT_FSIZE, &cap) == 0 && body() ? 0 : 1);
  }
  int status = 1;
  return child > 0 && ::waitpid(child, &status, 0) == child && !status;
}

TEST(WriteFileAtomically, FullDiskMidwayKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  WriteBytes(dir.File("picture.bmp"), "old content");
  const std::string big(64 * 1024, 'n');
  EXPECT_TRUE(SucceedsWithFileSizeLimit(4096, [&] {
    const WriteResult replaced = Write(dir.File("picture.bmp"), big);
    return replaced.status == Status::WriteFailed && replaced.previousKept &&
           WriteFailureMessage(replaced).starts_with(kWriteOpenFailedMessage + "\n"s +
                                                     kWriteIncompleteMessage + "\n") &&
           Write(dir.File("new.bmp"), big).status == Status::WriteFailed;
  }));
  EXPECT_EQ(ReadBytes(dir.File("picture.bmp")), "old content");
  EXPECT_EQ(dir.Entries(), Names{"picture.bmp"});
}

// Runs body in a forked child that cannot create files in a folder of mode 0555 (as nobody when
// the test runs as root, which no permission bit stops).
bool SucceedsUnprivileged(const std::function<bool()>& body) {
  return SucceedsWithFileSizeLimit(RLIM_INFINITY, [&] {
    return (::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0)) && body();
  });
}

TEST(WriteFileAtomically, AWritableFileInAFolderThatRefusesNewFilesIsWrittenInPlace) {
  TempDir dir;
  const std::string file = dir.File("settings.dat"), locked = dir.File("locked.frc");
  WriteBytes(file, "a longer old content");
  WriteBytes(locked, "locked");
  fs::permissions(file, fs::perms(0666));
  fs::permissions(locked, fs::perms(0444));
  fs::permissions(dir.path, fs::perms(0555));
  const std::string big(64 * 1024, 'n');
  EXPECT_TRUE(SucceedsUnprivileged([&] {
    return Write(file, "new").ok() && ReadBytes(file) == "new" &&
           Write(dir.File("new.ptt"), "x").status == Status::OpenFailed &&
           Write(locked, "x").status == Status::OpenFailed;
  }));
  // A short write in place is reported; the old content is gone and the message says so.
  EXPECT_TRUE(SucceedsUnprivileged([&] {
    if (!SucceedsWithFileSizeLimit(4096, [&] {
          const WriteResult cut = Write(file, big);
          return cut.status == Status::WriteFailed && !cut.previousKept &&
                 WriteFailureDetail(cut).starts_with(kWriteIncompleteInPlaceMessage + "\n"s);
        })) {
      return false;
    }
    return ReadBytes(file).size() == 4096;
  }));
  fs::permissions(dir.path, fs::perms(0700));
  EXPECT_EQ(ReadBytes(locked), "locked");
  EXPECT_EQ(dir.Entries(), (Names{"locked.frc", "settings.dat"}));
}

// Names that are not regular files: devices and FIFOs are written into and stay what they were;
// what cannot be written is refused with its reason and left as it was.
TEST(WriteFileAtomically, TargetsThatAreNotRegularFilesAreNeverReplaced) {
  TempDir dir;
  const std::string data = "BM" + std::string(70000, 'p');  // more than a pipe holds
  struct stat info {};
  auto kind = [&](const std::string& name) {
    return ::lstat(dir.File(name).c_str(), &info) == 0 ? info.st_mode & S_IFMT : 0;
  };
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::mknod(dir.File("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(dir.File("disk").c_str(), S_IFBLK | 0600, ::makedev(7, 0)), 0);
  }
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  fs::create_symlink(dir.File("fifo"), dir.File("to-fifo"));
  fs::create_symlink(dir.File("nowhere/x"), dir.File("dangling"));
  fs::create_symlink(dir.File("missing"), dir.File("dangling2"));
  fs::create_symlink(dir.File("loop2"), dir.File("loop1"));
  fs::create_symlink(dir.File("loop1"), dir.File("loop2"));
  const struct { const char* name; WriteTargetKind kind; mode_t mode; } cases[] = {
      {"null", WriteTargetKind::Stream, S_IFCHR}, {"fifo", WriteTargetKind::Stream, S_IFIFO},
      {"to-fifo", WriteTargetKind::Stream, S_IFLNK}, {"disk", WriteTargetKind::Refused, S_IFBLK},
      {"dangling", WriteTargetKind::Refused, S_IFLNK},
      {"dangling2", WriteTargetKind::Refused, S_IFLNK},
      {"loop1", WriteTargetKind::Refused, S_IFLNK}, {".", WriteTargetKind::Refused, S_IFDIR}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!root && (c.mode == S_IFCHR || c.mode == S_IFBLK)) continue;
    EXPECT_EQ(ExamineWriteTarget(dir.File(c.name)).kind, c.kind);
    std::string read;
    std::thread reader;
    if (std::string(c.name).find("fifo") != std::string::npos) {
      reader = std::thread([&] { read = ReadBytes(dir.File("fifo")); });
    }
    const WriteResult result = Write(dir.File(c.name), data);
    if (reader.joinable()) reader.join();
    EXPECT_EQ(result.ok(), c.kind == WriteTargetKind::Stream) << result.detail;
    EXPECT_TRUE(result.ok() || (result.status == Status::OpenFailed && !result.detail.empty()));
    EXPECT_TRUE(!reader.joinable() && (read.empty() || read == data));
    EXPECT_EQ(kind(c.name), c.mode);
  }
  EXPECT_FALSE(fs::exists(dir.File("missing")));

  // A reader that goes early fails the write, and the process lives on.
  std::thread early([&] {
    const int fd = ::open(dir.File("fifo").c_str(), O_RDONLY);
    char some[10];
    EXPECT_EQ(::read(fd, some, sizeof some), 10);
    ::close(fd);
  });
  const WriteResult cut = Write(dir.File("fifo"), data);
  early.join();
  EXPECT_EQ(cut.status, Status::WriteFailed);
  EXPECT_EQ(cut.detail, std::strerror(EPIPE));
  EXPECT_EQ(kind("fifo"), S_IFIFO);
  const Names expected = root ? Names{"dangling", "dangling2", "disk", "fifo", "loop1", "loop2",
                                      "null", "to-fifo"}
                              : Names{"dangling", "dangling2", "fifo", "loop1", "loop2", "to-fifo"};
  EXPECT_EQ(dir.Entries(), expected);
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

int OtherColourer(float, float, const FractalState&) { return 7; }

Palette Built(const PaletteParams& params) { Palette p; BuildPalette(params, p); return p; }

// What a read leaves: the outcome as letters (opened, fractal type known, palette type checked,
// known), state and table. Beforehand every field differs from the files written, both types are
// unknown (3, 0), and no BuildPalette call makes the table, so a rebuild always shows.
struct Read {
  std::string flags = "----";
  FractalState state{3, -0.75, 0.125, 0.25f, -0.375f, 0.0625f, {0, 1, 2, 3, 4, 5, 6},
                     &OtherColourer};
  Palette palette = [] { Palette p; p.entries.fill(PaletteEntry{1, 2, 3}); return p; }();

  // Floating values by their bits (NaN payloads, -0.0): the record holds every field.
  friend bool operator==(const Read& a, const Read& b) {
    return a.flags == b.flags && EncodeFractal(a.state) == EncodeFractal(b.state) &&
           a.state.colourer == b.state.colourer && a.palette == b.palette;
  }
};

// reader: 0 a fractal file without its palette, 1 with it, 2 a palette file.
Read ReadAs(const std::string& path, int reader) {
  Read read;
  const ReadOutcome o = reader == 2 ? ReadPaletteFile(path, read.state, read.palette)
                                    : ReadFractalFile(path, read.state, read.palette, reader == 1);
  read.flags = {o.opened ? 'o' : '-', o.fractalTypeKnown ? 'f' : '-',
                o.paletteTypeChecked ? 'c' : '-', o.paletteTypeKnown ? 'p' : '-'};
  return read;
}

TEST(FileRecords, LittleEndianLayoutsThatReadBackBitForBit) {
  const FractalState written{1, std::bit_cast<double>(uint64_t{0x7FF0000000000001}),  // signalling
                             -2.0, std::bit_cast<float>(uint32_t{0x7FC01234}), -0.0f, 5.0f,
                             {3, -1, 0x12345678, INT32_MIN, 256, 40, INT32_MAX}};
  const PaletteParams palette{8, 100, 0, -2, 1, 0x01020304, 7};
  TempDir dir;
  WriteBytes(dir.File("a.frc"), std::string(4096, 'x'));  // replaced whole
  ASSERT_TRUE(WriteFractalFile(dir.File("a.frc"), written).ok());
  ASSERT_TRUE(WritePaletteFile(dir.File("a.ptt"), palette).ok());
  EXPECT_EQ(ReadBytes(dir.File("a.frc")),
            Hex("01000000 03000000 010000000000F07F 00000000000000C0 3412C07F 00000080"
                "0000A040 FFFFFFFF 78563412 00000080 00010000 28000000 FFFFFF7F"));
  EXPECT_EQ(ReadBytes(dir.File("a.ptt")),
            Hex("08000000 64000000 00000000 FEFFFFFF 01000000 04030201 07000000"));
  EXPECT_TRUE(ReadAs(dir.File("a.frc"), 1) == (Read{"ofcp", written, Built(written.palette)}));
  EXPECT_EQ(ReadAs(dir.File("a.ptt"), 2).state.palette, palette);
}

TEST(FileReaders, TakeWhatTheTypesAndTheOptionAllowAndNothingFromPathsThatCannotBeRead) {
  struct Case { int reader; int32_t fractalType, paletteType; std::string flags; };
  TempDir dir;
  const Case cases[] = {{1, 1, 5, "ofcp"}, {1, 2, 5, "o---"}, {1, 0x01000000, 5, "o---"},  // 1 BE
      {0, 2, 5, "o---"}, {1, 1, 0, "ofc-"}, {1, 1, 9, "ofc-"}, {0, 1, 3, "of--"}, {2, 0, 4, "o-cp"},
      {2, 0, 9, "o-c-"}, {2, 0, 0, "o-c-"}};
  for (const Case& c : cases) {
    // c beyond the sliders is taken as it stands.
    const FractalState file{c.fractalType, 2.5, 0.0019, 0.75f, -0.5f, 0.125f,
                            {c.paletteType, 70, 3, 99, 11, 0, 37}};
    WriteBytes(dir.File("file"), c.reader == 2 ? EncodePalette(file.palette) : EncodeFractal(file));
    Read expected{c.flags};
    if (c.flags[1] == 'f') expected.state = file, expected.state.palette = Read().state.palette;
    if (c.flags[3] == 'p') expected.state.palette = file.palette;
    if (c.flags[3] == 'p') expected.palette = Built(file.palette);
    const Read read = ReadAs(dir.File("file"), c.reader);
    EXPECT_TRUE(read == expected) << c.reader << " " << c.fractalType << " " << read.flags;
  }

  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);  // must not hang the reader
  for (const std::string& path : {dir.File("missing"), dir.File("pipe"), dir.path}) {
    for (int reader = 0; reader < 3; ++reader) EXPECT_TRUE(ReadAs(path, reader) == Read()) << path;
  }
}

// Values beyond the controls and the screen, all taken as they stand; 5 for close-after is yes.
const Settings kSample{21, 5, -3000, 0x00010203, {8, 100, 0, 12, 40, 18, INT32_MIN}, 1};
const std::string kSampleFile = Hex(
    "15000000 05000000 48F4FFFF 03020100 64000000 00000000 0C000000 28000000 12000000 00000080"
    "08000000 01000000");

TEST(ReadSettings, StartupCopyIsTakenBeforeTheCorrectionsAndDecidesTheRewrite) {
  struct Case { size_t length; int32_t type, order, liveType, liveOrder; bool rewritten; };
  TempDir dir;
  const std::string path = dir.File(kSettingsFileName);
  const Case cases[] = {{48, 12, -5, 1, 0, true}, {48, 9, 1, 1, 1, true}, {48, 8, 7, 8, 0, true},
      {48, 8, 1, 8, 1, false}, {43, 8, 1, 1, 0, false}};  // 43 bytes: type cut, no order: defaults
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.length << " " << c.type << " " << c.order);
    Settings stored = kSample;
    stored.palette.type = c.type, stored.slideOrder = c.order;
    WriteBytes(path, EncodeSettings(stored).substr(0, c.length));
    const SettingsAtStart start = ReadSettings(dir.path + "/");
    EXPECT_TRUE(start.positionFromFile);
    EXPECT_TRUE(c.length < kSettingsFileSize || start.startupCopy == stored);
    Settings corrected = start.startupCopy;
    corrected.palette.type = c.liveType, corrected.slideOrder = c.liveOrder;
    EXPECT_EQ(start.live, corrected);
    EXPECT_EQ(WriteSettings(dir.path, start.live, start.startupCopy), c.rewritten);
    EXPECT_EQ(ReadBytes(path), c.rewritten ? EncodeSettings(start.live)
                                           : EncodeSettings(stored).substr(0, c.length));
  }
}

TEST(WriteSettings, EveryValueTakesPartInTheChangeTestAndStandsInFileOrder) {
  TempDir dir;
  for (size_t at = 0; at < kSettingsFileSize; at += 4) {
    std::string startup = kSampleFile;
    startup[at] ^= 2;
    WriteBytes(dir.File(kSettingsFileName), startup);
    EXPECT_TRUE(WriteSettings(dir.path, kSample, ReadSettings(dir.path).startupCopy)) << at;
    EXPECT_EQ(ReadBytes(dir.File(kSettingsFileName)), kSampleFile);
  }
  EXPECT_FALSE(WriteSettings(dir.File("missing"), kSample, Settings{}));  // silently
}

// Fuzz: a field counts only when the file holds it whole, so a short file must read as the whole
// record that holds the file's whole fields over the earlier values.
std::string Overlay(std::string base, const std::string& bytes, std::vector<size_t> fieldEnds) {
  size_t start = 0;
  for (const size_t end : fieldEnds) {
    if (end <= bytes.size()) base.replace(start, end - start, bytes, start, end - start);
    start = end;
  }
  return base;
}

// The file under test is written once, as the folder's settings file, and read by all.
void CheckAllReaders(const TempDir& dir, const std::string& bytes) {
  SCOPED_TRACE("file of " + std::to_string(bytes.size()) + " bytes");
  const FractalState before = Read().state;
  WriteBytes(dir.File(kSettingsFileName), bytes);
  WriteBytes(dir.File("frc"), Overlay(EncodeFractal(before), bytes,
                                      {4, 8, 16, 24, 28, 32, 36, 40, 44, 48, 52, 56, 60}));
  WriteBytes(dir.File("ptt"),
             Overlay(EncodePalette(before.palette), bytes, {4, 8, 12, 16, 20, 24, 28}));
  for (int reader = 0; reader < 3; ++reader) {
    const std::string same = dir.File(reader == 2 ? "ptt" : "frc");
    EXPECT_TRUE(ReadAs(dir.File(kSettingsFileName), reader) == ReadAs(same, reader)) << reader;
  }
  // A file that opens gives the position, however short: (0, 0) where it holds none.
  const SettingsAtStart actual = ReadSettings(dir.path);
  WriteBytes(dir.File(kSettingsFileName), Overlay(EncodeSettings(Settings{}), bytes,
                                                  {4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48}));
  const SettingsAtStart expected = ReadSettings(dir.path);
  EXPECT_EQ(actual.live, expected.live);
  EXPECT_EQ(actual.startupCopy, expected.startupCopy);
  EXPECT_TRUE(actual.positionFromFile && expected.positionFromFile);
}

TEST(ReaderFuzz, EveryTruncationOfValidRecordsAndRandomBytes) {
  const FractalState fractal{1, -1.5, std::bit_cast<double>(uint64_t{0x7FF80000000000AB}), -0.0f,
                             3.0f, 1e-30f, {7, 90, -8, 400, 39, 1, 0}};
  const Settings settings{17, 1, -300, 5000, {9, 1, 2, 3, 4, 5, 6}, 7};
  TempDir dir;
  for (const std::string& record :
       {EncodeFractal(fractal), EncodePalette(fractal.palette), EncodeSettings(settings)}) {
    for (size_t length = 0; length <= 2 * record.size(); ++length) {
      CheckAllReaders(dir, (record + record).substr(0, length));
    }
  }

  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> byte(0, 255), smallType(-1, 10);
  for (int round = 0; round < 300 && !HasFailure(); ++round) {
    std::string bytes(std::uniform_int_distribution<size_t>(0, 72)(random), '\0');
    for (char& b : bytes) b = static_cast<char>(byte(random));
    // Most files get small numbers where the types stand, so the taking paths run too.
    for (const size_t at : {0, 4, 40, 44}) {
      const std::string type = EncodePalette({smallType(random)}).substr(0, 4);
      if (round % 3 != 0 && at < bytes.size()) bytes.replace(at, 4, type, 0, bytes.size() - at);
    }
    CheckAllReaders(dir, bytes);
  }
}

}  // namespace
}  // namespace zirvanta
