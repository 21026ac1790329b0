// The storage engine: keyed record files (a data file plus a B-tree index
// file each), shared page cache, a pool of open file handles, the error list
// of the last operation, retries, repair and the fatal path.
//
// Single-threaded. One engine per process; it owns every FileBlock.
//
// Errors: every public operation (engine or FileBlock) starts with an empty
// ErrorList and records up to four entries; its level is the highest entry
// level. Level 1 results (not found, end of index, record deleted) are
// ordinary outcomes. Class-2 errors are retried (random waits, then the
// retry question). An operation that ends above level 2 is fatal: the error
// list is appended to the error log, the .IX of the first entry is deleted
// for kShortRead, every FileBlock is closed, and the FatalHandler is called
// (the program's handler shows the message and ends the process; a test's
// handler records it and the operation returns its error).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/errors.h"
#include "storage/file_block.h"

namespace korv {

class PageCache;

// A whole file is rewritten beside the old one, as a FileBlock whose path is
// the old path + this suffix ("KVLK0001.NEU.DAT", ".IX"), and then put in
// place by ReplaceFileBlockFiles. What a crash leaves of it is deleted by the
// next open of the old file.
inline constexpr const char* kRewriteSuffix = ".NEU";

struct ErrorEntry {
  int level = 0;
  int code = 0;
  int indexNumber = 0;
  RecordRef recordRef = 0;
  int operation = 0;
  int step = 0;
  int osError = 0;
  int osOperation = 0;
  std::filesystem::path fileBlockPath;  // full path without extension; empty: none
};

// The error list of the last public operation.
class ErrorList {
 public:
  static constexpr int kMaxEntries = 4;
  void Clear();
  // A fifth entry overwrites the fourth. The first OS error is kept.
  void Add(const ErrorEntry& entry);
  int Level() const;  // highest level, 0 = success
  int Code() const;   // code of the entry with the highest level, 0 = success
  const std::vector<ErrorEntry>& Entries() const { return entries_; }
  int FirstOsError() const { return firstOsError_; }
  std::filesystem::path initialPath;  // FileBlock the operation started on

 private:
  std::vector<ErrorEntry> entries_;
  int firstOsError_ = 0;
};

// What the program does with a fatal error. The engine has already written
// the log and closed the files when OnFatal is called.
class FatalHandler {
 public:
  virtual ~FatalHandler() = default;
  // message: the lines of the information box joined by "\n".
  // REQUIRES of the program's handler: does not return (ends the process).
  virtual void OnFatal(const ErrorList& errors, const std::string& message) = 0;
};

struct EngineOptions {
  // Put in front of every FileBlock path; empty = the working directory.
  std::filesystem::path dataDirectory;
  // Where the error log is written; empty = dataDirectory.
  std::filesystem::path logDirectory;
  FatalHandler* fatalHandler = nullptr;  // required
  // The retry question (Yes/No); empty: every question is answered No.
  std::function<bool(std::string_view text)> askRetry;
  // Texts of retry questions and the fatal message in German (else English).
  bool german = true;
  // Waits between retries; tests replace it. Default: sleeps.
  std::function<void(int milliseconds)> sleep;
  // Local date and time for the error log; default: the system clock.
  std::function<void(int& day, int& month, int& year, int& hour, int& minute)> now;
};

class StorageEngine {
 public:
  explicit StorageEngine(EngineOptions options);
  ~StorageEngine();
  StorageEngine(const StorageEngine&) = delete;
  StorageEngine& operator=(const StorageEngine&) = delete;

  // Starts the engine with its page buffers (fewer than 8: kTooFewPageBuffers)
  // and handle limit (6 or fewer: kTooFewHandles); twice: kInitTwice. The
  // error log is "KX.ERR" until the start succeeded, "VAZ.ERR" afterwards.
  Status InitFileManager(int pageBuffers = 160, int fileHandles = 32);
  // Refused with kEngineBlocksDefined while a FileBlock is defined.
  Status DoneFileManager();
  // Flushes and closes every open FileBlock; they stay defined.
  Status CloseAllFileBlocks();
  bool Running() const;

  // Defines a FileBlock (no disk access except the conversion check: a
  // zero-length "<path>.DAT" is deleted and "<path>.ALT" renamed to
  // "<path>.DAT" with "<path>.IX" deleted). recordBuffer: the caller's buffer
  // of recLen bytes that must outlive the FileBlock, or nullptr to have the
  // engine allocate one. nullptr on error (see LastErrors()).
  FileBlock* DefineFileBlock(std::string_view logicalName, std::string_view path, int recLen,
                             int numIndexes, KeyBuilder keyBuilder, std::uint8_t* recordBuffer,
                             int retryCount, bool createIfMissing);
  // Puts the files of source in the place of target's by rename (data file
  // first, marked in use until the index file follows), syncing the
  // directory; both are closed first and reopen on their next operation,
  // target with the new contents, source as a file that is not there.
  // REQUIRES: source has target's record length and indexes and is complete.
  Status ReplaceFileBlockFiles(FileBlock& target, FileBlock& source);
  // The FileBlock registered under the name (case-insensitive), or nullptr.
  FileBlock* FindFileBlock(std::string_view logicalName) const;
  // Closes the files and unregisters and destroys the FileBlock.
  void DestroyFileBlock(FileBlock* block);

  // The folder put in front of every FileBlock path (empty: the working one).
  const std::filesystem::path& DataDirectory() const;
  const ErrorList& LastErrors() const;
  int ErrorLevel() const;

  void SetGerman(bool german);
  // Delay base of the retry waits in ms (30; the record browser uses 6).
  void SetRetryDelayBase(int milliseconds);
  int RetryDelayBase() const;

  // Builds the text of the fatal information box for an error list.
  static std::string FatalMessage(const ErrorList& errors, bool german);
  // The lines appended to the error log for an error list (each ends "\r\n").
  static std::string ErrorLogText(const ErrorList& errors, int day, int month, int year,
                                  int hour, int minute);

  // The engine's state (opaque outside the engine).
  struct Impl;

 private:
  friend class FileBlock;
  std::unique_ptr<Impl> impl_;
};

// Compares logical names as the suite does: without regard to case, where
// a-z and the OEM bytes 129, 132, 148 (ü, ä, ö) count as 154, 142, 153.
bool SameLogicalName(std::string_view a, std::string_view b);

}  // namespace korv
