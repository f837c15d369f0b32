#include "render_cli.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "engine/render.h"
#include "export/bmp.h"
#include "files/fractal_file.h"

namespace zirvanta {
namespace {

namespace fs = std::filesystem;

class RenderCli : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("zirvanta-render-test-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return RunRenderCommand(args, out_, err_);
  }

  std::string WriteFractal(const std::string& name, const FractalState& state) {
    EXPECT_TRUE(WriteFractalFile(Path(name), state).ok());
    return Path(name);
  }

  std::string WriteRaw(const std::string& name, const std::string& bytes) {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }

  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The BMP the plain pass gives for a picture geometry.
  static std::string ExpectedPicture(const PictureGeometry& g, const FractalState& state,
                                     const Palette& palette) {
    Bitmap bitmap(g.width, g.height, PixelFormat::Bgr24);
    RenderPicturePlain(g, state, palette, bitmap);
    std::string bytes = BmpHeader(g.width, g.height);
    for (int64_t row = g.height - 1; row >= 0; --row) {
      bytes.append(reinterpret_cast<const char*>(bitmap.Row(row)), bitmap.Stride());
    }
    return bytes;
  }

  fs::path folder_;
  std::ostringstream out_;
  std::ostringstream err_;
};

Palette PaletteOf(const PaletteParams& params) {
  Palette palette;
  BuildPalette(params, palette);
  return palette;
}

TEST_F(RenderCli, LiveAndGeneralViewsOfTheStartUpFractal) {
  const FractalState startUp;
  const std::string frc = WriteFractal("start.frc", startUp);
  const Palette palette = PaletteOf(startUp.palette);

  ASSERT_EQ(Run({"live", frc, Path("live.bmp")}), 0) << err_.str();
  EXPECT_EQ(ReadAll(Path("live.bmp")),
            ExpectedPicture(LiveGeometry(0.0f, 0.0f, DefaultPixelStep()), startUp, palette));

  ASSERT_EQ(Run({"general", frc, Path("general.bmp")}), 0) << err_.str();
  EXPECT_EQ(ReadAll(Path("general.bmp")),
            ExpectedPicture(GeneralGeometry(GeneralViewStep()), startUp, palette));
}

TEST_F(RenderCli, PictureFollowsTheFullScreenRuleAndThePaletteFile) {
  FractalState state;
  state.cx = -0.8;
  state.cy = 0.156;
  state.centreX = 0.1f;
  state.viewWidth = 2.0f;
  const std::string frc = WriteFractal("spiral.frc", state);
  const PaletteParams ocean{2, 10, 40, 90, 6, 3, 2};
  ASSERT_TRUE(WritePaletteFile(Path("ocean.ptt"), ocean).ok());

  ASSERT_EQ(Run({"--palette", Path("ocean.ptt"), "picture", frc, "33", "17", Path("p.bmp")}), 0)
      << err_.str();
  FractalState expected = state;
  expected.palette = ocean;
  EXPECT_EQ(ReadAll(Path("p.bmp")),
            ExpectedPicture(ScreenGeometry(0.1f, 0.0f, 2.0f, 33, 17), expected, PaletteOf(ocean)));
}

TEST_F(RenderCli, ExportWritesWhatTheExportJobComputes) {
  FractalState state;
  state.cx = -0.7269;
  state.cy = 0.1889;
  state.centreX = 0.11f;
  state.centreY = 0.2f;
  state.viewWidth = 0.3f;
  const std::string frc = WriteFractal("seahorse.frc", state);
  ASSERT_EQ(Run({"export", frc, "23", "17", "1024", Path("e.bmp"), "--progress"}), 0)
      << err_.str();
  EXPECT_NE(err_.str().find("100%"), std::string::npos);

  const ExportGeometry g = MakeExportGeometry(0.11f, 0.2f, 0.3f, 23, 17);
  const Palette palette = PaletteOf(state.palette);
  Bitmap bitmap(23, 17, PixelFormat::Bgr24);
  double y = g.y0;
  for (int row = 0; row < 17; ++row) {
    RenderExportRowPlain(g, y, state.cx, state.cy, 1022, palette, bitmap.Row(row));
    y = y - g.step;
  }
  std::string expected = BmpHeader(23, 17);
  for (int row = 16; row >= 0; --row) {
    expected.append(reinterpret_cast<const char*>(bitmap.Row(row)), bitmap.Stride());
  }
  EXPECT_EQ(ReadAll(Path("e.bmp")), expected);
}

TEST_F(RenderCli, FastAndPlainPathsWriteTheSameFiles) {
  FractalState state;
  state.cx = -0.8;
  state.cy = 0.156;
  const std::string frc = WriteFractal("spiral.frc", state);
  for (const std::vector<std::string>& operands : std::vector<std::vector<std::string>>{
           {"live", frc}, {"picture", frc, "301", "77"}, {"export", frc, "97", "45", "2048"}}) {
    std::vector<std::string> plain = operands;
    plain.insert(plain.begin(), "--plain");
    plain.push_back(Path("plain.bmp"));
    ASSERT_EQ(Run(plain), 0) << err_.str();
    std::vector<std::string> fast = operands;
    fast.insert(fast.end(), {"--threads", "3", "--time", Path("fast.bmp")});
    ASSERT_EQ(Run(fast), 0) << err_.str();
    EXPECT_NE(err_.str().find(" ms"), std::string::npos);
    EXPECT_EQ(ReadAll(Path("fast.bmp")), ReadAll(Path("plain.bmp"))) << operands[0];
  }
}

TEST_F(RenderCli, FilesItCannotUseWriteNothing) {
  const std::string out = Path("out.bmp");
  EXPECT_EQ(Run({"live", Path("missing.frc"), out}), 2);
  EXPECT_NE(err_.str().find(kReadOpenFailedMessage), std::string::npos);

  std::string type2 = EncodeFractal(FractalState{});
  type2[0] = 2;
  EXPECT_EQ(Run({"live", WriteRaw("type2.frc", type2), out}), 2);
  EXPECT_NE(err_.str().find(kUnknownFractalTypeMessage), std::string::npos);
  EXPECT_EQ(Run({"live", WriteRaw("empty.frc", ""), out}), 2);

  EXPECT_EQ(Run({"--palette", Path("missing.ptt"), "live", Path("type2.frc"), out}), 2);
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(RenderCli, UnknownPaletteTypesAreReportedAndThePaletteInForceIsUsed) {
  FractalState state;
  state.palette = PaletteParams{9, 1, 2, 3, 4, 5, 6};
  const std::string frc = WriteFractal("odd.frc", state);
  ASSERT_EQ(Run({"general", frc, Path("g.bmp")}), 0);
  EXPECT_NE(err_.str().find(kUnknownPaletteTypeMessage), std::string::npos);
  const FractalState startUp;
  const std::string expected =
      ExpectedPicture(GeneralGeometry(GeneralViewStep()), startUp, PaletteOf(startUp.palette));
  EXPECT_EQ(ReadAll(Path("g.bmp")), expected);

  WriteRaw("odd.ptt", EncodePalette(PaletteParams{0, 1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(Run({"general", "--palette", Path("odd.ptt"), frc, Path("g2.bmp")}), 0);
  EXPECT_NE(err_.str().find(kUnknownPaletteTypeMessage), std::string::npos);
  EXPECT_EQ(ReadAll(Path("g2.bmp")), expected);
}

TEST_F(RenderCli, BadNumbersAndSizesWriteNothing) {
  const std::string frc = WriteFractal("start.frc", FractalState{});
  const std::string out = Path("out.bmp");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"picture", frc, "0", "10", out},
           {"picture", frc, "-4", "10", out},
           {"picture", frc, "12x", "10", out},
           {"picture", frc, "10", "", out},
           {"picture", frc, "99999999999999999999", "10", out},
           {"picture", frc, "100000", "100000", out},
           {"export", frc, "10", "10", "300", out},
           {"export", frc, "10", "10", "abc", out},
           {"export", frc, "10", "10", "8192", out, "extra"},
           {"live", frc},
           {"paint", frc, out},
           {"--threads", "0", "live", frc, out},
           {"--bogus", "live", frc, out},
       }) {
    EXPECT_EQ(Run(args), 2) << args[0] << " " << (args.size() > 2 ? args[2] : "");
    EXPECT_FALSE(err_.str().empty());
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.str().find("zirvanta-render [options] export"), std::string::npos);
}

TEST_F(RenderCli, AFailedWriteKeepsTheOldFile) {
  const std::string frc = WriteFractal("start.frc", FractalState{});
  EXPECT_EQ(Run({"live", frc, Path("no/such/folder/out.bmp")}), 2);
  EXPECT_FALSE(err_.str().empty());
}

}  // namespace
}  // namespace zirvanta
