#pragma once

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/fractal_state.h"
#include "engine/palette.h"

namespace zirvanta::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zirvanta-files-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

  // The names in the folder, sorted; a leftover temporary file shows up here.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs body in a forked child whose files cannot grow past `limit` bytes, as on a full disk:
// a write past the limit fails with EFBIG instead of killing the child. Gives the child's exit
// code, or -1 when it did not exit normally. Permission bits would not do: tests may run as root.
inline int RunWithFileSizeLimit(rlim_t limit, const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit cap{limit, limit};
    if (::setrlimit(RLIMIT_FSIZE, &cap) != 0) ::_exit(120);
    ::_exit(body());
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Bytes from hex digits; spaces are ignored ("01000000 ff").
inline std::string Hex(const std::string& digits) {
  std::string bytes;
  std::string pair;
  for (const char digit : digits) {
    if (digit == ' ') continue;
    pair.push_back(digit);
    if (pair.size() == 2) {
      bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
      pair.clear();
    }
  }
  return bytes;
}

inline int OtherColourer(float, float, const FractalState&) { return 7; }

// A state that differs in every field from the records the tests write.
inline FractalState EarlierState() {
  FractalState state;
  state.fractalType = 3;
  state.cx = -0.75;
  state.cy = 0.125;
  state.centreX = 0.25f;
  state.centreY = -0.375f;
  state.viewWidth = 0.0625f;
  state.palette = PaletteParams{6, 1, 2, 3, 4, 5, 6};
  state.colourer = &OtherColourer;
  return state;
}

// A table that no BuildPalette call makes, so a rebuild always shows.
inline Palette SentinelPalette() {
  Palette palette;
  palette.entries.fill(PaletteEntry{1, 2, 3});
  return palette;
}

inline Palette Built(const PaletteParams& params) {
  Palette palette;
  BuildPalette(params, palette);
  return palette;
}

// Field by field, floating values by their bits (NaN payloads, -0.0).
inline void ExpectSameState(const FractalState& actual, const FractalState& expected) {
  EXPECT_EQ(actual.fractalType, expected.fractalType);
  EXPECT_EQ(std::bit_cast<uint64_t>(actual.cx), std::bit_cast<uint64_t>(expected.cx));
  EXPECT_EQ(std::bit_cast<uint64_t>(actual.cy), std::bit_cast<uint64_t>(expected.cy));
  EXPECT_EQ(std::bit_cast<uint32_t>(actual.centreX), std::bit_cast<uint32_t>(expected.centreX));
  EXPECT_EQ(std::bit_cast<uint32_t>(actual.centreY), std::bit_cast<uint32_t>(expected.centreY));
  EXPECT_EQ(std::bit_cast<uint32_t>(actual.viewWidth),
            std::bit_cast<uint32_t>(expected.viewWidth));
  EXPECT_EQ(actual.palette, expected.palette);
  EXPECT_EQ(actual.colourer, expected.colourer);
}

}  // namespace zirvanta::testing
