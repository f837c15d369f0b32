#include "png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdint>
#include <new>

namespace zirvanta {
namespace {

// What the encoder's callbacks share. Plain data only: libpng leaves an error by longjmp, which
// must not skip a destructor.
struct Encoding {
  std::string* output;
  char failure[160];  // libpng's message, copied: its own copy dies with the encoder
};

void AppendBytes(png_structp png, png_bytep data, size_t length) {
  auto* encoding = static_cast<Encoding*>(png_get_io_ptr(png));
  bool appended = true;
  try {
    encoding->output->append(reinterpret_cast<const char*>(data), length);
  } catch (const std::exception&) {
    appended = false;  // the exception object is gone before the longjmp below
  }
  if (!appended) png_error(png, "there is not enough memory for the compressed picture");
}

void NoFlush(png_structp) {}

void OnError(png_structp png, png_const_charp message) {
  auto* encoding = static_cast<Encoding*>(png_get_error_ptr(png));
  std::snprintf(encoding->failure, sizeof(encoding->failure), "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Only plain values live in this frame between setjmp and the end of the encoding.
bool EncodeRows(png_structp png, png_infop info, const Bitmap& bitmap) {
  if (setjmp(png_jmpbuf(png))) return false;
  const auto width = static_cast<png_uint_32>(bitmap.Width());
  const auto height = static_cast<png_uint_32>(bitmap.Height());
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Level 3 with the SUB filter: about half the time of the defaults for 2% more bytes.
  png_set_compression_level(png, 3);
  png_set_filter(png, 0, PNG_FILTER_SUB);
  png_write_info(png, info);
  png_set_bgr(png);  // the bitmap's rows hold blue, green, red
  for (png_uint_32 row = 0; row < height; ++row) png_write_row(png, bitmap.Row(row));
  png_write_end(png, info);
  return true;
}

}  // namespace

bool IsPngName(const std::string& path) {
  static constexpr char kEnding[] = ".png";
  constexpr size_t kLength = sizeof(kEnding) - 1;
  if (path.size() < kLength) return false;
  for (size_t i = 0; i < kLength; ++i) {
    char c = path[path.size() - kLength + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kEnding[i]) return false;
  }
  return true;
}

WriteResult WritePng(const std::string& path, const Bitmap& bitmap) {
  if (bitmap.Format() != PixelFormat::Bgr24) {
    return {WriteResult::Status::OpenFailed, "only 24-bit pictures are written as PNG files"};
  }
  if (bitmap.Width() < 1 || bitmap.Height() < 1 || bitmap.Width() > PNG_UINT_31_MAX ||
      bitmap.Height() > PNG_UINT_31_MAX) {
    return {WriteResult::Status::OpenFailed, "a PNG file holds 1 to 2147483647 pixels a side"};
  }

  std::string output;
  Encoding encoding{&output, "unknown error"};
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &encoding, OnError, OnWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return {WriteResult::Status::OpenFailed, "there is not enough memory to start a PNG file"};
  }
  png_set_write_fn(png, &encoding, AppendBytes, NoFlush);
  const bool encoded = EncodeRows(png, info, bitmap);
  png_destroy_write_struct(&png, &info);
  if (!encoded) {
    return {WriteResult::Status::OpenFailed,
            std::string("the PNG file could not be made: ") + encoding.failure};
  }
  return WriteFileAtomically(path, output.data(), output.size());
}

}  // namespace zirvanta
