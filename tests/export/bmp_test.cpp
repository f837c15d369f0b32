#include "export/bmp.h"

#include <gtest/gtest.h>

#include "export_test_support.h"

namespace zirvanta {
namespace {

uint32_t Le32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

TEST(WriteBmp, HeaderThenRowsBottomUpWithZeroPadding) {
  EXPECT_EQ(BmpHeader(5, 3), testing::Hex("424D 66000000 00000000 36000000 28000000 05000000"
                                          "03000000 0100 1800 00000000 30000000" +
                                          std::string(32, '0')));
  testing::TempDir dir;
  // Rows of 3, 6, 9 and 15 bytes pad to 4, 8, 12 and 16; 700 rows of 3000 bytes go out in
  // several gathered writes and a partial last one; rows of 1.2 MB go out one by one.
  for (const auto& [width, height] : {std::pair<int64_t, int64_t>{1, 3}, {2, 3}, {3, 3}, {5, 3},
                                      {1000, 700}, {400001, 2}}) {
    // Pixel bytes that tell rows and columns apart, and junk in the padding.
    Bitmap bitmap(width, height, PixelFormat::Bgr24);
    for (int64_t row = 0; row < height; ++row) {
      for (size_t i = 0; i < bitmap.Stride(); ++i) {
        bitmap.Row(row)[i] = i < static_cast<size_t>(width) * 3
                                 ? static_cast<uint8_t>(row * 31 + i * 7 + 1)
                                 : uint8_t{0xEE};
      }
    }
    ASSERT_TRUE(WriteBmp(dir.File("p.bmp"), bitmap).ok());
    EXPECT_TRUE(testing::ReadBytes(dir.File("p.bmp")) == testing::BmpFile(bitmap)) << width;
  }
}

TEST(ExportSizeProblem, SidesOfAtLeastOnePixelAndFilesWithin4GB) {
  EXPECT_EQ(ExportSizeProblem(0, 768).value_or(""),
            "An image of 0 x 768 pixels cannot be made: the width and the height must be at "
            "least 1 pixel.");
  EXPECT_EQ(ExportSizeProblem(1431655747, 1).value_or(""),
            "An image of 1431655747 x 1 pixels is too large for a BMP file, which holds at most "
            "4 GB.");
  for (const auto& [width, height] : {std::pair<int64_t, int64_t>{5, 0}, {-3, 4}, {4, INT64_MIN},
                                      {1, 1073741811}, {236196850, 177147637},
                                      {INT64_MAX, INT64_MAX}, {int64_t{1} << 31, 1}}) {
    EXPECT_TRUE(ExportSizeProblem(width, height)) << width << " x " << height;
  }
  // The largest that fit, 54 + S x H = 4294967294 bytes, and their headers hold every bit.
  EXPECT_FALSE(ExportSizeProblem(1, 1));
  EXPECT_FALSE(ExportSizeProblem(1431655746, 1));
  EXPECT_FALSE(ExportSizeProblem(1, 1073741810));
  EXPECT_EQ(Le32(BmpHeader(1431655746, 1), 2), 4294967294u);
  EXPECT_EQ(Le32(BmpHeader(1, 1073741810), 34), 4294967240u);
}

}  // namespace
}  // namespace zirvanta
