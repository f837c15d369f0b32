#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zirvanta {

// Little-endian fields put and taken byte by byte, so the records come out the same on any host
// and floating values keep every bit (NaN payloads, -0.0).
class RecordWriter {
 public:
  void Int32(int32_t value) { Bytes(static_cast<uint32_t>(value), 4); }
  void Float(float value) { Bytes(std::bit_cast<uint32_t>(value), 4); }
  void Double(double value) { Bytes(std::bit_cast<uint64_t>(value), 8); }

  const std::string& bytes() const { return bytes_; }

 private:
  void Bytes(uint64_t bits, int count) {
    for (int i = 0; i < count; ++i) bytes_.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  }

  std::string bytes_;
};

// The first bytes of a record as read from a file that may be short. A field that the bytes do
// not hold in full leaves its target as it was.
class RecordReader {
 public:
  explicit RecordReader(const std::string& bytes) : bytes_(bytes) {}

  bool Holds(size_t offset, size_t width) const { return offset + width <= bytes_.size(); }

  bool Int32(size_t offset, int32_t& target) const {
    if (!Holds(offset, 4)) return false;
    target = static_cast<int32_t>(static_cast<uint32_t>(Bits(offset, 4)));
    return true;
  }
  bool Float(size_t offset, float& target) const {
    if (!Holds(offset, 4)) return false;
    target = std::bit_cast<float>(static_cast<uint32_t>(Bits(offset, 4)));
    return true;
  }
  bool Double(size_t offset, double& target) const {
    if (!Holds(offset, 8)) return false;
    target = std::bit_cast<double>(Bits(offset, 8));
    return true;
  }

 private:
  uint64_t Bits(size_t offset, int count) const {
    uint64_t bits = 0;
    for (int i = 0; i < count; ++i) {
      bits |= static_cast<uint64_t>(static_cast<unsigned char>(bytes_[offset + i])) << (8 * i);
    }
    return bits;
  }

  const std::string& bytes_;
};

// Reads at most `limit` bytes from the start of the regular file at `path` into `bytes`; a
// shorter file gives fewer. False, with `bytes` untouched, when the path is missing, is a folder
// or another non-regular file, or cannot be opened or read.
bool ReadFileStart(const std::string& path, size_t limit, std::string& bytes);

}  // namespace zirvanta
