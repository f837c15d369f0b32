#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zirvanta {

// The program's text for any file it could not write; what went wrong comes with it apart.
inline constexpr const char* kWriteOpenFailedMessage =
    "The file did not manage to be opened for recording.";
inline constexpr const char* kWriteIncompleteMessage =
    "The file could not be written in full; the previous file was kept.";
inline constexpr const char* kWriteIncompleteInPlaceMessage =
    "The file could not be written in full.";

struct WriteResult {
  enum class Status {
    Ok,
    OpenFailed,   // nothing was written: the file could not be created or opened, or the name
                  // stands for something that is never written (a folder, a dangling link)
    WriteFailed,  // it was opened but could not be written in full (full disk, I/O error)
  };
  Status status = Status::Ok;
  std::string detail;         // the system's reason, for the message shown to the user
  bool previousKept = true;   // after a WriteFailed: the target still holds its earlier content

  bool ok() const { return status == Status::Ok; }
};

// The content of a write, produced piece by piece: Produce(sink) calls sink.Write(data, size) as
// often as it likes; a failing write makes later writes no-ops and the whole call fail.
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

// What a name stands for as the target of a write, symbolic links followed.
enum class WriteTargetKind {
  Absent,       // nothing of that name: a new file is made
  RegularFile,  // a file, replaced whole
  Stream,       // a character device, FIFO or socket (/dev/null, a pipe, /dev/stdout): the bytes
                // go straight into it; it is never replaced
  Refused,      // a folder, a block device, a dangling symbolic link or a loop of links
};
struct WriteTarget {
  WriteTargetKind kind = WriteTargetKind::Absent;
  std::string path;    // the name to write: for a regular file, the file a link leads to
  std::string reason;  // why a Refused target is not written
};
WriteTarget ExamineWriteTarget(const std::string& path);

// Writes the bytes straight into an existing target that is not a regular file (a Stream above),
// without a temporary file and without replacing it. A FIFO waits for its reader; a reader that
// goes away early fails the write (EPIPE) and never ends the process.
WriteResult WriteIntoStream(const std::string& path, ChunkProducer& producer);

// Writes the bytes to a new file beside the target and renames it over the target, so a reader
// sees the old file or the new one, never a part; on any failure the target is left as it was
// and no temporary file remains. A symbolic link is written through to its file. Exceptions:
// - a Stream target is written into (WriteIntoStream), a Refused one is not written at all;
// - a writable file in a folder that refuses new files is written in place, checked for its
//   length; a write that stops short there reports previousKept false.
WriteResult WriteFileAtomically(const std::string& path, ChunkProducer& producer);
WriteResult WriteFileAtomically(const std::string& path, const void* data, size_t size);

// What went wrong, for the user besides kWriteOpenFailedMessage (a message box's informative
// text): a write that stopped short, then the system's reason; empty when there is nothing.
std::string WriteFailureDetail(const WriteResult& result);

// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path);

// kWriteOpenFailedMessage, then the detail above on the following lines.
std::string WriteFailureMessage(const WriteResult& result);

}  // namespace zirvanta
