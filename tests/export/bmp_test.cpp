#include "export/bmp.h"

#include <gtest/gtest.h>

#include <cstring>

#include "export_test_support.h"

namespace zirvanta {
namespace {

using testing::ExportDir;
using testing::Le16;
using testing::Le32;
using testing::ReadAll;

// Every pixel byte distinct enough to tell rows and columns apart; the padding holds junk the
// writer must not copy.
Bitmap PatternBitmap(int64_t width, int64_t height) {
  Bitmap bitmap(width, height, PixelFormat::Bgr24);
  for (int64_t row = 0; row < height; ++row) {
    uint8_t* bytes = bitmap.Row(row);
    for (size_t i = 0; i < bitmap.Stride(); ++i) {
      bytes[i] = i < static_cast<size_t>(width) * 3 ? static_cast<uint8_t>(row * 31 + i * 7 + 1)
                                                    : uint8_t{0xEE};
    }
  }
  return bitmap;
}

// The pixel rows the file must hold: bottom row first, padding zero.
std::string ExpectedRows(const Bitmap& bitmap) {
  const size_t pixelBytes = static_cast<size_t>(bitmap.Width()) * 3;
  std::string rows;
  for (int64_t row = bitmap.Height() - 1; row >= 0; --row) {
    rows.append(reinterpret_cast<const char*>(bitmap.Row(row)), pixelBytes);
    rows.append(bitmap.Stride() - pixelBytes, '\0');
  }
  return rows;
}

TEST(WriteBmp, HeaderThenRowsBottomUpWithZeroPadding) {
  ExportDir dir;
  for (const int64_t width : {1, 2, 3, 5}) {  // rows of 3, 6, 9, 15 bytes padded to 4, 8, 12, 16
    SCOPED_TRACE(width);
    const Bitmap bitmap = PatternBitmap(width, 3);
    const std::string path = dir.File("w" + std::to_string(width) + ".bmp");
    ASSERT_TRUE(WriteBmp(path, bitmap).ok());
    const std::string file = ReadAll(path);
    const uint32_t imageSize = static_cast<uint32_t>(((width * 3 + 3) / 4) * 4 * 3);
    ASSERT_EQ(file.size(), 54 + imageSize);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(Le32(file, 2), 54 + imageSize);
    EXPECT_EQ(Le32(file, 6), 0u);
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Le32(file, 14), 40u);
    EXPECT_EQ(Le32(file, 18), static_cast<uint32_t>(width));
    EXPECT_EQ(Le32(file, 22), 3u);
    EXPECT_EQ(Le16(file, 26), 1);
    EXPECT_EQ(Le16(file, 28), 24);
    EXPECT_EQ(Le32(file, 30), 0u);
    EXPECT_EQ(Le32(file, 34), imageSize);
    EXPECT_EQ(file.substr(38, 16), std::string(16, '\0'));
    EXPECT_EQ(file.substr(54), ExpectedRows(bitmap));
    // Row 0, the top, is stored last.
    EXPECT_EQ(0, std::memcmp(file.data() + file.size() - bitmap.Stride(), bitmap.Row(0),
                             static_cast<size_t>(width) * 3));
  }
}

TEST(BmpHeader, LargestSizesKeepEveryBit) {
  // 1431655746 pixels make a 4294967240-byte row, the widest that fits one row in 4 GB.
  std::string h = BmpHeader(1431655746, 1);
  EXPECT_EQ(Le32(h, 2), 4294967294u);
  EXPECT_EQ(Le32(h, 18), 1431655746u);
  EXPECT_EQ(Le32(h, 34), 4294967240u);
  h = BmpHeader(1, 1073741810);
  EXPECT_EQ(Le32(h, 2), 54u + 4u * 1073741810u);
  EXPECT_EQ(Le32(h, 22), 1073741810u);
}

TEST(WriteBmp, RowsSpanningSeveralWritesAndRowsLargerThanOneWrite) {
  ExportDir dir;
  // 3000-byte rows, 2.1 MB in all: several gathered writes and a partial last one.
  const Bitmap tall = PatternBitmap(1000, 700);
  ASSERT_TRUE(WriteBmp(dir.File("tall.bmp"), tall).ok());
  EXPECT_EQ(ReadAll(dir.File("tall.bmp")), BmpHeader(1000, 700) + ExpectedRows(tall));
  // Rows of 1.2 MB (with padding) go out one by one.
  const Bitmap wide = PatternBitmap(400001, 2);
  ASSERT_TRUE(WriteBmp(dir.File("wide.bmp"), wide).ok());
  EXPECT_EQ(ReadAll(dir.File("wide.bmp")), BmpHeader(400001, 2) + ExpectedRows(wide));
}

TEST(WriteBmp, ReplacesAnExistingFileAndFailsWithoutTouchingAnything) {
  ExportDir dir;
  const std::string path = dir.File("pic.bmp");
  testing::WriteAll(path, "an older picture");
  const Bitmap bitmap = PatternBitmap(3, 2);
  ASSERT_TRUE(WriteBmp(path, bitmap).ok());
  EXPECT_EQ(ReadAll(path), BmpHeader(3, 2) + ExpectedRows(bitmap));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"pic.bmp"});

  const WriteResult missing = WriteBmp(dir.File("no such folder/pic.bmp"), bitmap);
  EXPECT_EQ(missing.status, WriteResult::Status::OpenFailed);
  EXPECT_FALSE(missing.detail.empty());

  // Only the export's 24-bit layout is a BMP row; anything else is refused before writing.
  testing::WriteAll(path, "kept");
  const WriteResult wrongFormat = WriteBmp(path, Bitmap(3, 2, PixelFormat::Bgrx32));
  EXPECT_FALSE(wrongFormat.ok());
  EXPECT_EQ(ReadAll(path), "kept");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"pic.bmp"});
}

}  // namespace
}  // namespace zirvanta
