#include "render_cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "../export/export_test_support.h"
#include "engine/view.h"
#include "files/fractal_file.h"

namespace zirvanta {
namespace {

using testing::ReadBytes;

// The file the plain pass gives for a picture of the state in its own palette.
std::string PlainPicture(const PictureGeometry& geometry, const FractalState& state) {
  Palette palette;
  BuildPalette(state.palette, palette);
  Bitmap bitmap(geometry.width, geometry.height, PixelFormat::Bgr24);
  RenderPicturePlain(geometry, state, palette, bitmap);
  return testing::BmpFile(bitmap);
}

class RenderCli : public ::testing::Test {
 protected:
  int Run(const std::vector<std::string>& args) {
    std::ostringstream out;
    err_.str("");
    return RunRenderCommand(args, out, err_);
  }
  std::string Path(const std::string& name) const { return dir_.File(name); }

  testing::TempDir dir_;
  std::ostringstream err_;
};

TEST_F(RenderCli, EveryCommandWritesThePlainPassOnThePlainAndTheFastPath) {
  const FractalState state{1, -0.8, 0.156, 0.1f, -0.05f, 2.0f, {}};
  ASSERT_TRUE(WriteFractalFile(Path("f.frc"), state).ok());
  FractalState ocean = state;
  ocean.palette = PaletteParams{2, 10, 40, 90, 6, 3, 2};
  ASSERT_TRUE(WritePaletteFile(Path("ocean.ptt"), ocean.palette).ok());
  ExportParams exported{"", 97, 45, 0.1f, -0.05f, 2.0f, -0.8, 0.156, {}, 1022};
  BuildPalette(state.palette, exported.palette);

  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"live", Path("f.frc")},
       PlainPicture(LiveGeometry(0.1f, -0.05f, PixelStepForWidth(2.0f)), state)},
      {{"--palette", Path("ocean.ptt"), "picture", Path("f.frc"), "301", "77"},
       PlainPicture(ScreenGeometry(0.1f, -0.05f, 2.0f, 301, 77), ocean)},
      {{"export", Path("f.frc"), "97", "45", "1024", "--progress"},
       testing::ExpectedExport(exported)}};
  for (const auto& [args, expected] : cases) {
    SCOPED_TRACE(args[0]);
    std::vector<std::string> plain = args;
    plain.insert(plain.end(), {"--plain", Path("plain.bmp")});
    ASSERT_EQ(Run(plain), 0) << err_.str();
    EXPECT_TRUE(ReadBytes(Path("plain.bmp")) == expected);
    std::vector<std::string> fast = args;
    fast.insert(fast.end(), {"--threads", "3", "--time", Path("fast.bmp")});
    ASSERT_EQ(Run(fast), 0) << err_.str();
    EXPECT_TRUE(ReadBytes(Path("fast.bmp")) == expected);
    EXPECT_NE(err_.str().find(" ms"), std::string::npos);
  }
  EXPECT_NE(err_.str().find("100%"), std::string::npos);
}

TEST_F(RenderCli, UnknownPaletteTypesAreReportedAndThePaletteInForceIsUsed) {
  FractalState odd;
  odd.palette = PaletteParams{9, 1, 2, 3, 4, 5, 6};
  ASSERT_TRUE(WriteFractalFile(Path("odd.frc"), odd).ok());
  ASSERT_TRUE(WriteFractalFile(Path("start.frc"), FractalState{}).ok());
  testing::WriteBytes(Path("odd.ptt"), EncodePalette(PaletteParams{0, 1, 2, 3, 4, 5, 6}));
  for (const std::vector<std::string>& args : {
           std::vector<std::string>{"general", Path("odd.frc"), Path("g.bmp")},
           std::vector<std::string>{"general", "--palette", Path("odd.ptt"), Path("start.frc"),
                                    Path("g.bmp")}}) {
    ASSERT_EQ(Run(args), 0) << err_.str();
    EXPECT_NE(err_.str().find(kUnknownPaletteTypeMessage), std::string::npos);
    EXPECT_TRUE(ReadBytes(Path("g.bmp")) ==
                PlainPicture(GeneralGeometry(GeneralViewStep()), FractalState{}));
  }
}

TEST_F(RenderCli, BadFilesNumbersAndSizesExitWith2AndWriteNothing) {
  const std::string f = Path("f.frc");
  const std::string out = Path("out.bmp");
  ASSERT_TRUE(WriteFractalFile(f, FractalState{}).ok());
  std::string type2 = EncodeFractal(FractalState{});
  type2[0] = 2;
  testing::WriteBytes(Path("type2.frc"), type2);
  testing::WriteBytes(Path("empty.frc"), "");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"live", Path("missing.frc"), out}, kReadOpenFailedMessage},
      {{"live", Path("type2.frc"), out}, kUnknownFractalTypeMessage},
      {{"live", Path("empty.frc"), out}, kUnknownFractalTypeMessage},
      {{"--palette", Path("missing.ptt"), "live", f, out}, kReadOpenFailedMessage},
      {{"live", f, Path("no/folder/out.bmp")}, kWriteOpenFailedMessage},
      {{"picture", f, "100000", "100000", out}, "too large for a BMP file"},
      {{"picture", f, "0", "10", out}, "at least 1"},
      {{"picture", f, "-4", "10", out}, "unknown option '-4'"},
      {{"picture", f, "12x", "10", out}, "at least 1"},
      {{"picture", f, "10", "", out}, "at least 1"},
      {{"picture", f, "99999999999999999999", "10", out}, "at least 1"},
      {{"export", f, "10", "10", "300", out}, "the depth must be"},
      {{"export", f, "10", "10", "abc", out}, "the depth must be"},
      {{"export", f, "10", "10", "8192", out, "extra"}, "takes 5 arguments"},
      {{"live", f}, "takes 2 arguments"},
      {{"paint", f, out}, "unknown command"},
      {{"--threads", "0", "live", f, out}, "--threads takes"},
      {{"--bogus", "live", f, out}, "unknown option"}};
  for (const auto& [args, message] : cases) {
    EXPECT_EQ(Run(args), 2) << ::testing::PrintToString(args);
    EXPECT_NE(err_.str().find(message), std::string::npos) << err_.str();
  }
  EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"empty.frc", "f.frc", "type2.frc"}));
}

}  // namespace
}  // namespace zirvanta
