#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "engine/render.h"
#include "file_test_support.h"
#include "files/browser_preview.h"
#include "files/entry_files.h"

namespace zirvanta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

TEST(ListEntries, NamesUpToTheFirstDotOfEveryMatchingFileOrFolder) {
  TempDir dir;
  for (const char* name : {"a.b.frc", "x.frcold", "spiral.frc", "notes.txt", "big.FRC",
                           ".hidden.frc", "p.ptt", "q.pttx", "r.s.ptt", "frc"}) {
    WriteBytes(dir.File(name), "");
  }
  fs::create_directory(dir.File("d.frc"));
  Names fractals = ListEntries(dir.path, EntryPattern::FractalFiles);
  Names palettes = ListEntries(dir.path, EntryPattern::PaletteFiles);
  std::ranges::sort(fractals);
  std::ranges::sort(palettes);
  EXPECT_EQ(fractals, (Names{"a", "d", "hidden", "spiral", "x"}));
  EXPECT_EQ(palettes, (Names{"p", "r"}));
  EXPECT_TRUE(ListEntries(dir.File("gone"), EntryPattern::FractalFiles).empty());
}

TEST(EntryNameSafe, OnlyNamesThatStayInsideTheFolder) {
  const std::pair<std::string, bool> cases[] = {
      {"Spiral", true}, {" spaced ", true}, {"...", true},  {".hidden", true},
      {"a..b", true},   {"", false},        {".", false},   {"..", false},
      {"a/b", false},   {"../up", false},   {"/etc", false}, {std::string("a\0b", 3), false}};
  for (const auto& [name, safe] : cases) EXPECT_EQ(EntryNameSafe(name), safe) << name;
}

TEST(DeleteAndRenameEntry, ActOnlyOnAFileInsideTheFolder) {
  TempDir dir;
  const std::string folder = dir.File("fractals");
  fs::create_directory(folder);
  fs::create_directory(folder + "/d.frc");
  WriteBytes(folder + "/spiral.frc", "s");
  WriteBytes(dir.File("victim.frc"), "v");
  for (const char* name : {"../escape", "/tmp/escape", ".", ".."}) {
    EXPECT_FALSE(RenameEntry(folder, "spiral", name, kFractalExtension)) << name;
  }
  EXPECT_FALSE(RenameEntry(folder, "../victim", "inside", kFractalExtension));
  EXPECT_FALSE(DeleteEntry(folder, "../victim", kFractalExtension));
  EXPECT_FALSE(DeleteEntry(folder, "d", kFractalExtension));  // a folder is not deleted
  EXPECT_EQ(dir.Entries(), (Names{"fractals", "victim.frc"}));
  EXPECT_EQ(ReadBytes(dir.File("victim.frc")), "v");
  EXPECT_TRUE(fs::is_directory(folder + "/d.frc"));
  EXPECT_FALSE(fs::exists("/tmp/escape.frc"));

  EXPECT_TRUE(RenameEntry(folder, "spiral", "Spiral", kFractalExtension));
  EXPECT_EQ(ReadBytes(folder + "/Spiral.frc"), "s");
  EXPECT_TRUE(DeleteEntry(folder, "Spiral", kFractalExtension));
  EXPECT_FALSE(fs::exists(folder + "/Spiral.frc"));
  errno = 0;
  EXPECT_FALSE(DeleteEntry(folder, "Spiral", kFractalExtension));  // vanished meanwhile
  EXPECT_EQ(errno, ENOENT);
}

class RenameWithoutReplacingTest : public ::testing::TestWithParam<NoReplaceMethod> {};

TEST_P(RenameWithoutReplacingTest, MovesTheFileButNeverReplacesOne) {
  TempDir dir;
  WriteBytes(dir.File("old"), "old");
  WriteBytes(dir.File("taken"), "taken");
  EXPECT_FALSE(RenameWithoutReplacing(dir.File("old"), dir.File("taken"), GetParam()));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(dir.Entries(), (Names{"old", "taken"}));
  EXPECT_EQ(ReadBytes(dir.File("taken")), "taken");
  EXPECT_TRUE(RenameWithoutReplacing(dir.File("old"), dir.File("new"), GetParam()));
  EXPECT_EQ(ReadBytes(dir.File("new")), "old");
  // A file gone since it was listed: nothing appears under the new name.
  EXPECT_FALSE(RenameWithoutReplacing(dir.File("old"), dir.File("other"), GetParam()));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(dir.Entries(), (Names{"new", "taken"}));
}

INSTANTIATE_TEST_SUITE_P(EachMethod, RenameWithoutReplacingTest,
                         ::testing::Values(NoReplaceMethod::NativeRename,
                                           NoReplaceMethod::LinkThenUnlink,
                                           NoReplaceMethod::ExclusivePlaceholder));

TEST(BrowserPreview, GivesThePlainPassesBytesOfThe145By105View) {
  Palette palette;
  BuildPalette({3, 50, 20, 80, 11, 5, 30}, palette);
  BrowserPreview preview;
  for (const FractalState& state :
       {FractalState{}, FractalState{.cx = -0.8, .cy = 0.156, .centreX = 0.11f, .centreY = -0.2f,
                                     .viewWidth = 0.3f},
        FractalState{.cx = 0.2855, .cy = -0.0107, .centreX = -0.5f, .centreY = 0.25f,
                     .viewWidth = 1e-4f},
        FractalState{.cx = 2.5, .cy = 0.0}}) {
    const PictureGeometry geometry = BrowserPreview::Geometry(state);
    EXPECT_EQ(std::tuple(geometry.width, geometry.height), std::tuple(145, 105));
    EXPECT_EQ(geometry.x0, static_cast<float>(state.centreX - 72 * (long double)geometry.step));
    Bitmap plain(145, 105, PixelFormat::Bgrx32);
    RenderPicturePlain(geometry, state, palette, plain);
    EXPECT_TRUE(preview.Render(state, palette) == plain) << state.cx << " " << state.viewWidth;
  }
}

}  // namespace
}  // namespace zirvanta
