#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zirvanta {

inline constexpr const char* kWriteOpenFailedMessage =
    "The file did not manage to be opened for recording.";
inline constexpr const char* kWriteIncompleteMessage =
    "The file could not be written in full; the previous file was kept.";

struct WriteResult {
  enum class Status {
    Ok,
    OpenFailed,   // the file could not be created (missing folder, no permission, bad name)
    WriteFailed,  // it was created but could not be written in full (full disk, I/O error)
  };
  Status status = Status::Ok;
  std::string detail;  // the system's reason, for the message shown to the user

  bool ok() const { return status == Status::Ok; }
};

// Writes the bytes to a new file beside the target and renames it over the target, so a reader
// sees the old file or the new one, never a part. On any failure the target is left as it was
// and no temporary file remains.
WriteResult WriteFileAtomically(const std::string& path, const void* data, size_t size);

// The same for content produced piece by piece: produce(write) calls write(data, size) as often
// as it likes; a failing write makes later writes no-ops and the whole call fail.
class ChunkSink {
 public:
  virtual ~ChunkSink() = default;
  virtual bool Write(const void* data, size_t size) = 0;
};
class ChunkProducer {
 public:
  virtual ~ChunkProducer() = default;
  virtual void Produce(ChunkSink& sink) = 0;
};
WriteResult WriteFileAtomically(const std::string& path, ChunkProducer& producer);

// The message a failed write shows: the program's open-failure text, or the incomplete-write
// text, each followed by the system's reason on a second line.
std::string WriteFailureMessage(const WriteResult& result);

}  // namespace zirvanta
