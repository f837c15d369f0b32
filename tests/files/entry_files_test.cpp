#include <gtest/gtest.h>
#include <sys/stat.h>

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

Names Sorted(Names names) {
  std::ranges::sort(names);
  return names;
}

TEST(ListEntries, NamesUpToTheFirstDotOfEveryMatchingFileOrFolder) {
  TempDir dir;
  for (const char* name : {"a.b.frc", "x.frcold", "spiral.frc", "notes.txt", "big.FRC",
                           ".hidden.frc", "p.ptt", "q.pttx", "r.s.ptt", "frc"}) {
    WriteBytes(dir.File(name), "");
  }
  fs::create_directory(dir.File("d.frc"));
  EXPECT_EQ(Sorted(ListEntries(dir.path, EntryPattern::FractalFiles)),
            (Names{"a", "d", "hidden", "spiral", "x"}));
  EXPECT_EQ(Sorted(ListEntries(dir.path, EntryPattern::PaletteFiles)), (Names{"p", "r"}));
  EXPECT_TRUE(ListEntries(dir.File("gone"), EntryPattern::FractalFiles).empty());
}

TEST(EntryNameSafe, OnlyNamesThatStayInsideTheFolder) {
  const std::pair<std::string, bool> cases[] = {
      {"spiral", true},       {"Spiral", true},     {" spaced ", true},   {"...", true},
      {".hidden", true},      {"a..b", true},       {"fractal_new", true}, {"", false},
      {".", false},           {"..", false},        {"a/b", false},       {"../up", false},
      {"/etc/passwd", false}, {std::string("a\0b", 3), false}};
  for (const auto& [name, safe] : cases) EXPECT_EQ(EntryNameSafe(name), safe) << name;
}

TEST(DeleteEntry, RemovesOnlyAFileInsideTheFolder) {
  TempDir dir;
  const std::string folder = dir.File("fractals");
  fs::create_directory(folder);
  fs::create_directory(folder + "/d.frc");
  WriteBytes(folder + "/spiral.frc", "s");
  WriteBytes(dir.File("victim.frc"), "v");

  EXPECT_TRUE(DeleteEntry(folder, "spiral", kFractalExtension));
  EXPECT_FALSE(fs::exists(folder + "/spiral.frc"));
  errno = 0;
  EXPECT_FALSE(DeleteEntry(folder, "spiral", kFractalExtension));  // vanished meanwhile
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(DeleteEntry(folder, "d", kFractalExtension));  // a folder is not deleted
  EXPECT_TRUE(fs::is_directory(folder + "/d.frc"));
  EXPECT_FALSE(DeleteEntry(folder, "../victim", kFractalExtension));
  EXPECT_EQ(ReadBytes(dir.File("victim.frc")), "v");
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
  EXPECT_EQ(dir.Entries(), (Names{"new", "taken"}));
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

TEST(RenameEntry, NamesThatLeaveTheFolderAreRefused) {
  TempDir dir;
  const std::string folder = dir.File("paletts");
  fs::create_directory(folder);
  WriteBytes(folder + "/ocean.ptt", "o");
  WriteBytes(dir.File("outside.ptt"), "x");
  for (const char* name : {"../escape", "/tmp/escape", ".", ".."}) {
    EXPECT_FALSE(RenameEntry(folder, "ocean", name, kPaletteExtension)) << name;
  }
  EXPECT_FALSE(RenameEntry(folder, "../outside", "inside", kPaletteExtension));
  EXPECT_EQ(dir.Entries(), (Names{"outside.ptt", "paletts"}));
  EXPECT_EQ(ReadBytes(dir.File("outside.ptt")), "x");
  EXPECT_FALSE(fs::exists("/tmp/escape.ptt"));
  EXPECT_TRUE(RenameEntry(folder, "ocean", "Ocean", kPaletteExtension));
  EXPECT_EQ(ReadBytes(folder + "/Ocean.ptt"), "o");
}

TEST(BrowserPreview, GivesThePlainPassesBytesOfThe145By105View) {
  Palette palette;
  BuildPalette({3, 50, 20, 80, 11, 5, 30}, palette);
  struct Case { double cx, cy; float centreX, centreY, width; };
  const Case cases[] = {{0.402, 0.339, 0.0f, 0.0f, 5.0f},
                        {-0.8, 0.156, 0.11f, -0.2f, 0.3f},
                        {0.2855, -0.0107, -0.5f, 0.25f, 1e-4f},
                        {2.5, 0.0, 0.0f, 0.0f, 5.0f}};
  BrowserPreview preview;
  for (const Case& c : cases) {
    FractalState state;
    state.cx = c.cx;
    state.cy = c.cy;
    state.centreX = c.centreX;
    state.centreY = c.centreY;
    state.viewWidth = c.width;
    const PictureGeometry geometry = BrowserPreview::Geometry(state);
    EXPECT_EQ(std::tuple(geometry.width, geometry.height), std::tuple(145, 105));
    EXPECT_EQ(geometry.x0, static_cast<float>(c.centreX - 72 * (long double)geometry.step));
    Bitmap plain(145, 105, PixelFormat::Bgrx32);
    RenderPicturePlain(geometry, state, palette, plain);
    EXPECT_TRUE(preview.Render(state, palette) == plain) << c.cx << " " << c.width;
  }
}

}  // namespace
}  // namespace zirvanta
