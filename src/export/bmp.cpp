#include "bmp.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace zirvanta {
namespace {

// Rows are gathered into writes of about this many bytes, so narrow images do not cost a
// system call per row.
constexpr size_t kChunkBytes = size_t{1} << 20;

void PutLe16(std::string& out, size_t offset, uint32_t value) {
  out[offset] = static_cast<char>(value & 0xFF);
  out[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutLe32(std::string& out, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Streams the rows bottom row first. Only the W x 3 pixel bytes of each row are taken from the
// bitmap; the padding is written as zero bytes whatever the bitmap holds there.
class BottomUpRows final : public ChunkProducer {
 public:
  explicit BottomUpRows(const Bitmap& bitmap) : bitmap_(bitmap) {
    const size_t stride = bitmap.Stride();
    if (stride != 0 && stride <= kChunkBytes) {
      try {
        const uint64_t rows = std::min<uint64_t>(kChunkBytes / stride,
                                                 static_cast<uint64_t>(bitmap.Height()));
        buffer_.resize(static_cast<size_t>(rows) * stride);
      } catch (const std::bad_alloc&) {
        buffer_.clear();  // fall back to one write per row
      }
    }
  }

  void Produce(ChunkSink& sink) override {
    const size_t stride = bitmap_.Stride();
    const size_t pixelBytes = static_cast<size_t>(bitmap_.Width()) * 3;
    static constexpr uint8_t kZeros[4] = {};
    size_t filled = 0;
    for (int64_t row = bitmap_.Height() - 1; row >= 0; --row) {
      const uint8_t* source = bitmap_.Row(row);
      if (buffer_.empty()) {
        if (!sink.Write(source, pixelBytes)) return;
        if (!sink.Write(kZeros, stride - pixelBytes)) return;
        continue;
      }
      uint8_t* target = buffer_.data() + filled;
      std::memcpy(target, source, pixelBytes);
      std::memset(target + pixelBytes, 0, stride - pixelBytes);
      filled += stride;
      if (filled == buffer_.size()) {
        if (!sink.Write(buffer_.data(), filled)) return;
        filled = 0;
      }
    }
    if (filled != 0) sink.Write(buffer_.data(), filled);
  }

 private:
  const Bitmap& bitmap_;
  std::vector<uint8_t> buffer_;
};

}  // namespace

std::string BmpHeader(int64_t width, int64_t height) {
  // Sizes beyond what ExportSizeProblem accepts do not fit the format; the unsigned
  // conversions below then wrap instead of being undefined.
  const uint64_t stride = Bitmap::StrideFor(width, PixelFormat::Bgr24);
  const uint64_t imageSize = stride * static_cast<uint64_t>(height);
  std::string header(kBmpHeaderSize, '\0');
  header[0] = 'B';
  header[1] = 'M';
  PutLe32(header, 2, static_cast<uint32_t>(kBmpHeaderSize + imageSize));
  PutLe32(header, 6, 0);
  PutLe32(header, 10, static_cast<uint32_t>(kBmpHeaderSize));
  PutLe32(header, 14, 40);
  PutLe32(header, 18, static_cast<uint32_t>(width));
  PutLe32(header, 22, static_cast<uint32_t>(height));  // positive: rows stored bottom-up
  PutLe16(header, 26, 1);
  PutLe16(header, 28, 24);
  PutLe32(header, 30, 0);  // no compression
  PutLe32(header, 34, static_cast<uint32_t>(imageSize));
  // Resolution and colour counts (offsets 38 to 53) stay zero.
  return header;
}

WriteResult WriteBmp(const std::string& path, const Bitmap& bitmap) {
  if (bitmap.Format() != PixelFormat::Bgr24) {
    return {WriteResult::Status::OpenFailed, "only 24-bit pictures are written as BMP files"};
  }
  const uint64_t imageSize = bitmap.SizeInBytes();
  if (bitmap.Width() > INT32_MAX || bitmap.Height() > INT32_MAX ||
      imageSize > UINT32_MAX - kBmpHeaderSize) {
    return {WriteResult::Status::OpenFailed, "the picture is too large for a BMP file"};
  }

  class WholeFile final : public ChunkProducer {
   public:
    WholeFile(std::string header, const Bitmap& bitmap)
        : header_(std::move(header)), rows_(bitmap) {}
    void Produce(ChunkSink& sink) override {
      if (sink.Write(header_.data(), header_.size())) rows_.Produce(sink);
    }

   private:
    std::string header_;
    BottomUpRows rows_;
  } file(BmpHeader(bitmap.Width(), bitmap.Height()), bitmap);

  return WriteFileAtomically(path, file);
}

}  // namespace zirvanta
