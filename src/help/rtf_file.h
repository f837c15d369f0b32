#pragma once

#include <cstddef>
#include <string>

namespace zirvanta {

// A document file read whole into memory, for the rich-text reader.
struct DocumentFileRead {
  enum class Status {
    Ok,
    Missing,     // no such file
    NotRegular,  // a folder, a pipe, a device: never read
    TooLarge,    // more than the allowed size
    Failed,      // it could not be opened or read (permissions, I/O error)
  };
  Status status = Status::Missing;
  std::string bytes;  // the whole file when the status is Ok, empty otherwise
};

inline constexpr std::size_t kMaxDocumentFileBytes = 16u << 20;

// Reads a regular file of at most maxBytes. Never blocks on a pipe or a device: the file is
// opened without waiting and refused unless it is a regular file.
DocumentFileRead ReadDocumentFile(const std::string& path,
                                  std::size_t maxBytes = kMaxDocumentFileBytes);

}  // namespace zirvanta
