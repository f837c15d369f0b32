#pragma once

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace zirvanta::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
struct TempDir {
  std::string path = (std::filesystem::temp_directory_path() / "zirvanta-test-XXXXXX").string();
  TempDir() { if (!::mkdtemp(path.data())) throw std::runtime_error("mkdtemp failed"); }
  ~TempDir() { std::error_code ignored; std::filesystem::remove_all(path, ignored); }
  TempDir(const TempDir&) = delete;

  std::string File(const std::string& name) const { return path + "/" + name; }
  // The names in the folder, sorted; a leftover temporary file shows up here.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path)) {
      names.push_back(e.path().filename());
    }
    std::ranges::sort(names);
    return names;
  }
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  if (!(std::ofstream(path, std::ios::binary) << bytes)) throw std::runtime_error("cannot write");
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Bytes from hex digits; spaces are ignored ("01000000 ff").
inline std::string Hex(std::string digits) {
  std::erase(digits, ' ');
  std::string bytes;
  for (size_t i = 0; i + 1 < digits.size(); i += 2) {
    bytes += char(std::stoi(digits.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

}  // namespace zirvanta::testing
