#include "export/png.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "export_test_support.h"
#include "image_decode.h"

namespace zirvanta {
namespace {

using testing::DecodeBmp;
using testing::DecodePng;
using testing::Pixels;
using testing::ReadBytes;
using testing::TempDir;

TEST(Png, NamesEndingInPngInAnyCaseArePng) {
  const struct { const char* name; bool png; } cases[] = {
      {"out.png", true}, {"OUT.PNG", true}, {"a/b.Png", true}, {".png", true},
      {"out.bmp", false}, {"png", false}, {"out.png.bmp", false}, {"out_png", false},
      {"", false}};
  for (const auto& c : cases) EXPECT_EQ(IsPngName(c.name), c.png) << c.name;
}

TEST(Png, DecodesToTheBmpsPixelsAtOddAndTinySizes) {
  TempDir dir;
  for (const auto& [width, height] : {std::pair{531, 7}, {1, 1}, {3, 2}, {530, 409}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    Bitmap bitmap(width, height, PixelFormat::Bgr24);
    // Every channel of every pixel different from its neighbours, and junk in the row padding
    // that neither file may show.
    for (int64_t y = 0; y < height; ++y) {
      uint8_t* row = bitmap.Row(y);
      for (size_t i = 0; i < bitmap.Stride(); ++i) row[i] = static_cast<uint8_t>(y * 31 + i * 7);
    }
    ASSERT_TRUE(WriteBmp(dir.File("p.bmp"), bitmap).ok());
    ASSERT_TRUE(WritePng(dir.File("p.png"), bitmap).ok());
    const Pixels png = DecodePng(ReadBytes(dir.File("p.png")));
    EXPECT_EQ(png.width, width);
    EXPECT_TRUE(png == DecodeBmp(ReadBytes(dir.File("p.bmp"))));
  }
}

TEST(Png, AMissingFolderOrA32BitPictureWritesNothing) {
  TempDir dir;
  const Bitmap bitmap(5, 5, PixelFormat::Bgr24);
  EXPECT_EQ(WritePng(dir.File("no/folder/p.png"), bitmap).status,
            WriteResult::Status::OpenFailed);
  EXPECT_EQ(WritePng(dir.File("x.png"), Bitmap(5, 5, PixelFormat::Bgrx32)).status,
            WriteResult::Status::OpenFailed);
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("no")));
}

}  // namespace
}  // namespace zirvanta
