#include "render_cli.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

#include "../export/export_test_support.h"
#include "../export/image_decode.h"
#include "engine/view.h"
#include "files/fractal_file.h"

namespace zirvanta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Args = std::vector<std::string>;

// The file the plain pass gives for a picture of the state in its own palette.
std::string PlainPicture(const PictureGeometry& geometry, const FractalState& state) {
  Palette palette;
  BuildPalette(state.palette, palette);
  Bitmap bitmap(geometry.width, geometry.height, PixelFormat::Bgr24);
  RenderPicturePlain(geometry, state, palette, bitmap);
  return testing::BmpFile(bitmap);
}

TEST(RenderCli, EveryCommandWritesThePlainPassOnThePlainAndTheFastPath) {
  TempDir dir;
  const std::string f = dir.File("f.frc");
  const FractalState state{1, -0.8, 0.156, 0.1f, -0.05f, 2.0f, {}};
  FractalState ocean = state;
  ocean.palette = PaletteParams{2, 10, 40, 90, 6, 3, 2};
  ExportParams exported{"", 97, 45, 0.1f, -0.05f, 2.0f, -0.8, 0.156, {}, 1022};
  BuildPalette(state.palette, exported.palette);
  ASSERT_TRUE(WriteFractalFile(f, state).ok());
  ASSERT_TRUE(WritePaletteFile(dir.File("ocean.ptt"), ocean.palette).ok());
  // Unknown palette types are reported, and the palette in force is used.
  ASSERT_TRUE(WriteFractalFile(dir.File("odd.frc"), {.palette = {9, 1, 2, 3, 4, 5, 6}}).ok());
  WriteBytes(dir.File("odd.ptt"), EncodePalette({0, 1, 2, 3, 4, 5, 6}));
  const PictureGeometry general = GeneralGeometry(GeneralViewStep());

  const struct { Args args; std::string expected, message; } cases[] = {
      {{"live", f}, PlainPicture(LiveGeometry(0.1f, -0.05f, PixelStepForWidth(2.0f)), state), ""},
      {{"--palette", dir.File("ocean.ptt"), "picture", f, "301", "77"},
       PlainPicture(ScreenGeometry(0.1f, -0.05f, 2.0f, 301, 77), ocean), ""},
      {{"export", f, "97", "45", "1024", "--progress"}, testing::ExpectedExport(exported), "100%"},
      {{"general", dir.File("odd.frc")}, PlainPicture(general, {}), kUnknownPaletteTypeMessage},
      {{"general", "--palette", dir.File("odd.ptt"), f}, PlainPicture(general, state),
       kUnknownPaletteTypeMessage}};
  for (const auto& c : cases) {
    for (const bool plain : {true, false}) {
      SCOPED_TRACE(c.args[0] + (plain ? " plain" : " fast"));
      Args args = c.args;
      if (plain) args.insert(args.end(), {"--plain", dir.File("plain.bmp")});
      if (!plain) args.insert(args.end(), {"--threads", "3", "--time", dir.File("fast.bmp")});
      std::ostringstream out, err;
      ASSERT_EQ(RunRenderCommand(args, out, err), 0) << err.str();
      EXPECT_TRUE(ReadBytes(args.back()) == c.expected);
      EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
      EXPECT_EQ(err.str().find(" ms") != std::string::npos, !plain) << err.str();
    }
  }
}

TEST(RenderCli, BadFilesNumbersAndSizesExitWith2AndWriteNothing) {
  TempDir dir;
  const std::string f = dir.File("f.frc"), out = dir.File("out.bmp");
  ASSERT_TRUE(WriteFractalFile(f, FractalState{}).ok());
  ASSERT_TRUE(WriteFractalFile(dir.File("type2.frc"), {.fractalType = 2, .palette = {}}).ok());
  std::filesystem::create_symlink(dir.File("missing.bmp"), dir.File("dangling"));
  std::vector<std::pair<Args, std::string>> cases = {
      {{"live", dir.File("missing.frc"), out}, kReadOpenFailedMessage},
      {{"live", dir.File("type2.frc"), out}, kUnknownFractalTypeMessage},
      {{"--palette", dir.File("missing.ptt"), "live", f, out}, kReadOpenFailedMessage},
      {{"live", f, dir.File("no/folder/out.bmp")}, kWriteOpenFailedMessage},
      {{"picture", f, "100000", "100000", out}, "too large for a BMP file"},
      {{"--palette", "", "live", f, out}, kReadOpenFailedMessage},
      {{"picture", f, "-4", "10", out}, "at least 1: '-4'"},
      {{"export", f, "10", "-10", "1024", out}, "at least 1: '-10'"},
      {{"export", f, "10", "10", "-1024", out}, "the depth must be"},
      {{"live", f, dir.File("dangling")}, "symbolic link to a file that does not exist"},
      {{"export", f, "10", "10", "8192", out, "extra"}, "takes 5 arguments"},
      {{"paint", f, out}, "unknown command"},
      {{"--threads", "0", "live", f, out}, "--threads takes"}};
  for (const std::string side : {"0", "12x", "", "99999999999999999999"}) {
    cases.push_back({{"picture", f, side, "10", out}, "at least 1"});
    cases.push_back({{"export", f, "10", side, "1024", out}, "at least 1"});
  }
  for (const std::string depth : {"300", "16384", "abc"}) {
    cases.push_back({{"export", f, "10", "10", depth, out}, "the depth must be"});
  }
  for (const auto& [args, message] : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(RunRenderCommand(args, out, err), 2) << ::testing::PrintToString(args);
    EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
  }
  EXPECT_EQ(dir.Entries(), (Args{"dangling", "f.frc", "type2.frc"}));
}

// Reads what a thread writes into the fd while it runs, until every writer has closed it.
struct Drain {
  int fds[2] = {-1, -1};
  std::string bytes;
  std::thread reader;
  Drain() {
    if (::pipe(fds) != 0) throw std::runtime_error("pipe");
    reader = std::thread([this] {
      char buffer[4096];
      for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, static_cast<size_t>(got));
      }
      ::close(fds[0]);
    });
  }
  std::string Finish() { reader.join(); return bytes; }
};

TEST(RenderCli, DevicesFifosAndStandardOutputAreWrittenIntoAndNeverReplaced) {
  TempDir dir;
  const std::string f = dir.File("f.frc");
  const FractalState state{1, -0.8, 0.156, 0.1f, -0.05f, 2.0f, {}};
  ASSERT_TRUE(WriteFractalFile(f, state).ok());
  const std::string picture =
      PlainPicture(LiveGeometry(0.1f, -0.05f, PixelStepForWidth(2.0f)), state);
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  const bool root = ::geteuid() == 0;  // a copy of /dev/null, made where the test may
  if (root) {
    ASSERT_EQ(::mknod(dir.File("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
  }
  auto kind = [&](const char* name) {
    struct stat info {};
    return ::lstat(dir.File(name).c_str(), &info) == 0 ? info.st_mode & S_IFMT : 0;
  };

  std::ostringstream out, err;
  if (root) {
    EXPECT_EQ(RunRenderCommand({"live", f, dir.File("null")}, out, err), 0) << err.str();
  }
  std::string fromFifo;
  std::thread reader([&] { fromFifo = ReadBytes(dir.File("fifo")); });
  EXPECT_EQ(RunRenderCommand({"live", f, dir.File("fifo")}, out, err), 0) << err.str();
  reader.join();
  EXPECT_TRUE(fromFifo == picture);

  // "-": standard output, here a pipe.
  Drain drain;
  std::fflush(stdout);
  const int savedOut = ::dup(STDOUT_FILENO);
  ::dup2(drain.fds[1], STDOUT_FILENO);
  ::close(drain.fds[1]);
  const int status = RunRenderCommand({"--plain", "live", f, "-"}, out, err);
  ::dup2(savedOut, STDOUT_FILENO);
  ::close(savedOut);
  EXPECT_EQ(status, 0) << err.str();
  EXPECT_TRUE(drain.Finish() == picture);

  EXPECT_EQ(kind("fifo"), S_IFIFO);
  if (root) {
    EXPECT_EQ(kind("null"), S_IFCHR);
  }
  EXPECT_EQ(dir.Entries(), root ? (Args{"f.frc", "fifo", "null"}) : (Args{"f.frc", "fifo"}));
}

TEST(RenderCli, NamesEndingInPngGetAPngOfTheBmpsPixels) {
  TempDir dir;
  const std::string f = dir.File("startup.frc");
  ASSERT_TRUE(WriteFractalFile(f, FractalState{}).ok());
  const Args cases[] = {{"live", f}, {"picture", f, "101", "33"}, {"export", f, "97", "45", "512"}};
  for (const Args& c : cases) {
    SCOPED_TRACE(c[0]);
    for (const char* name : {"out.bmp", "out.png", "OUT.PNG", "out.png.bmp"}) {
      Args args = c;
      args.push_back(dir.File(name));
      std::ostringstream out, err;
      ASSERT_EQ(RunRenderCommand(args, out, err), 0) << err.str();
    }
    const std::string bmp = ReadBytes(dir.File("out.bmp"));
    EXPECT_EQ(ReadBytes(dir.File("out.png.bmp")), bmp);
    const testing::Pixels pixels = testing::DecodeBmp(bmp);
    EXPECT_TRUE(testing::DecodePng(ReadBytes(dir.File("out.png"))) == pixels);
    EXPECT_TRUE(testing::DecodePng(ReadBytes(dir.File("OUT.PNG"))) == pixels);
  }
}

}  // namespace
}  // namespace zirvanta
