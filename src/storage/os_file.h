// A file of the storage engine: positioned reads and writes, flush to disk,
// length, truncation. Every failure becomes an engine error code; a short
// read is kShortRead, a short write kShortWrite (disk full).
//
// Tests can make writes fail through a process-wide fault hook, so that a
// full disk or a failing device can be produced at any chosen write, and
// follow the syncs through another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "storage/errors.h"

namespace korv {

// Maps an errno value of a failed open/read/write to an engine code.
int ErrorCodeFromErrno(int error, bool opening);

class OsFile {
 public:
  OsFile() = default;
  ~OsFile() { Close(); }
  OsFile(const OsFile&) = delete;
  OsFile& operator=(const OsFile&) = delete;
  OsFile(OsFile&& other) noexcept;
  OsFile& operator=(OsFile&& other) noexcept;

  // Opens an existing file for reading and writing (kFileNotFound when absent).
  Status Open(const std::filesystem::path& path);
  // Creates (or empties) the file and opens it.
  Status Create(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::filesystem::path& Path() const { return path_; }

  // Reads exactly size bytes at offset; fewer bytes available: kShortRead.
  Status ReadAt(void* buffer, std::size_t size, std::uint64_t offset) const;
  // Reads up to size bytes; returns how many were read (0 at the end).
  Status ReadSomeAt(void* buffer, std::size_t size, std::uint64_t offset,
                    std::size_t& bytesRead) const;
  Status WriteAt(const void* buffer, std::size_t size, std::uint64_t offset);
  Status Sync();  // data to disk (fdatasync)
  // Whether a write or truncation went through this handle since its last
  // successful Sync (or since it was opened): a flush that finds none need
  // not ask the system again.
  bool WrittenSinceSync() const { return writtenSinceSync_; }
  Status Size(std::uint64_t& size) const;
  Status Truncate(std::uint64_t size);

  // Test hook, called before every write with the file's path, the offset and
  // the size. It returns how many bytes may be written (size = all); a
  // smaller value makes the write short (kShortWrite). Empty = no faults.
  using WriteFaultHook =
      std::function<std::size_t(const std::filesystem::path&, std::uint64_t, std::size_t)>;
  static void SetWriteFaultHook(WriteFaultHook hook);
  // Test hook, called after every successful Sync with the file's path: what
  // the file holds then is what a power failure would leave of it.
  using SyncHook = std::function<void(const std::filesystem::path&)>;
  static void SetSyncHook(SyncHook hook);
  // Test hook, called before every read with the file's path and offset:
  // a non-zero errno makes the read fail with it (EAGAIN: another program
  // holds a lock). Empty = no faults.
  using ReadFaultHook = std::function<int(const std::filesystem::path&, std::uint64_t)>;
  static void SetReadFaultHook(ReadFaultHook hook);

 private:
  int fd_ = -1;
  std::filesystem::path path_;
  bool writtenSinceSync_ = false;
};

// Every call that changes a file or a directory: a write, a sync, a
// truncation, a create, a rename, a delete, a directory sync.
enum class FileChange { kWrite, kSync, kTruncate, kCreate, kRename, kRemove, kSyncDirectory };

// Test seam, called before every file-changing call of the engine's file
// layer with its kind and path (for a rename the source). A crash test ends
// the process here at the N-th call; empty = nothing is called.
using FileChangeHook = std::function<void(FileChange, const std::filesystem::path&)>;
void SetFileChangeHook(FileChangeHook hook);

// File system helpers with engine codes.
bool FileExists(const std::filesystem::path& path);
Status RemoveFile(const std::filesystem::path& path);  // absent is no error
Status RenameFile(const std::filesystem::path& from, const std::filesystem::path& to);
// The path itself when it exists or no file of its directory matches its
// name without regard to ASCII letter case; else the matching file.
std::filesystem::path FindIgnoringCase(const std::filesystem::path& path);
// Flushes a directory so that a create, rename or delete in it is on disk.
void SyncDirectory(const std::filesystem::path& dir);

}  // namespace korv
