// Internals shared by engine.cpp, file_block.cpp and repair.cpp.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "storage/engine.h"
#include "storage/file_block.h"
#include "storage/index_file.h"
#include "storage/os_file.h"
#include "storage/page_cache.h"

namespace korv {

// Operation numbers recorded in error entries.
enum class Op : int {
  kInit = 1, kDone, kCloseAll, kDefine, kDefineIndex, kAutoField, kInsert, kRead, kUpdate,
  kRemove, kCount, kDeleteFiles, kFlush, kFindExact, kFindAtLeast, kMoveFirst, kMoveLast,
  kMoveNext, kMovePrevious, kSavePosition, kRestorePosition, kNextRaw, kPrevRaw, kSeekRaw,
  kKeyPosition, kKeyAtPosition, kKeyCount, kLock, kCheck, kBulkLoad
};

inline constexpr std::size_t kDataHeaderBytes = 21;

// Slot 0 of a data file.
struct DataHeader {
  std::int32_t firstFree = -1;
  std::int32_t numberFree = 0;
  std::int32_t numRec = 0;
  std::int32_t recLen = 0;
  std::int32_t numKeys = 0;
  std::uint8_t inUse = 0;

  void Encode(std::uint8_t* out) const;  // 21 bytes
  static DataHeader Decode(const std::uint8_t* in);
};

struct FileBlock::Impl {
  StorageEngine::Impl& engine;
  FileBlock* self = nullptr;

  std::string name;
  std::filesystem::path path;  // data directory + given path, no extension
  int recLen = 0;
  int numIndexes = 0;
  KeyBuilder keyBuilder;
  std::vector<std::uint8_t> ownedBuffer;
  std::uint8_t* record = nullptr;
  std::vector<std::uint8_t> saved;
  std::vector<std::uint8_t> scratch;
  RecordRef current = -1;
  RecordRef savedRef = -1;
  int lastIndex = 0;
  std::vector<IndexDef> defs;  // defs[i - 1] for index i; keyLen 0 = not defined
  std::vector<std::optional<std::size_t>> autoField;
  int retryCount = 32;
  bool createIfMissing = true;
  bool flushAfterWrite = false;
  bool bulkLoad = false;  // between BeginBulkLoad and EndBulkLoad
  bool readOnly = false;  // another program's file: never created, repaired or written
  bool quietRetries = false;  // SetQuietRetries
  std::int32_t bulkLastNumber = 0;
  RebuildProgress progress;

  // Physical state.
  bool open = false;
  OsFile dat;
  std::unique_ptr<IndexFile> ix;
  DataHeader header;
  bool inUseOnDisk = false;
  std::uint64_t lastUse = 0;

  explicit Impl(StorageEngine::Impl& e) : engine(e) {}

  // "<path><extension>"; a file of that name in other letter case (as the
  // suite's programs on other systems may have written it) is used instead.
  std::filesystem::path File(const char* extension) const {
    std::filesystem::path p = path;
    p += extension;
    return FindIgnoringCase(p);
  }
  int HandlesNeeded() const { return numIndexes > 0 ? 2 : 1; }
  ConstBytes RecordView() const { return {record, static_cast<std::size_t>(recLen)}; }
  Bytes RecordBytes() { return {record, static_cast<std::size_t>(recLen)}; }
  KeyString KeyOf(ConstBytes rec, int index) const;
  std::uint64_t SlotOffset(RecordRef ref) const {
    return static_cast<std::uint64_t>(ref) * static_cast<std::uint64_t>(recLen);
  }

  // Low-level steps; each returns the failing Status without touching the
  // error list (the public operation reports it).
  Status MarkInUse();
  Status WriteHeader(bool sync);
  // Syncs what was written, then clears InUse (syncing that write only
  // with syncHeader).
  Status FlushFiles(bool syncHeader);
  Status ReadSlot(RecordRef ref, std::uint8_t* out) const;
  Status WriteSlot(RecordRef ref, const std::uint8_t* in);
  Status AllocateSlot(RecordRef& ref);
  Status FreeSlot(RecordRef ref);
  Status ReadIntoBuffer(RecordRef ref);
  Status AssignAutoNumbers();
  Status Reposition(RemoveMode mode, const std::vector<KeyString>& oldKeys, RecordRef oldRef);
  Status StepFrom(int index, const KeyString& key, RecordRef ref, bool forward, IndexEntry& out);
};

struct StorageEngine::Impl {
  EngineOptions options;
  bool running = false;
  std::unique_ptr<PageCache> cache;
  int maxHandles = 0;
  int openHandles = 0;
  std::vector<std::unique_ptr<FileBlock>> blocks;
  std::uint64_t useClock = 0;
  ErrorList errors;
  std::string logName = "KX.ERR";
  int retryDelayBase = 30;
  std::mt19937 rng{20091215};
  int depth = 0;

  // Starts a public operation on block (or none): clears the error list at
  // the outermost level.
  void Begin(const FileBlock::Impl* block);
  // Ends a public operation: at the outermost level a fatal list runs the
  // fatal path. Returns st.
  Status End(Status st);
  // Adds an error entry for a failed step and returns the status.
  Status Report(const FileBlock::Impl* block, Status st, Op op, int step = 0, int index = 0,
                RecordRef ref = 0);
  // Runs fn, retrying class-2 errors with waits and the retry question.
  template <typename Fn>
  Status WithRetry(FileBlock::Impl* block, Fn&& fn);
  bool AskRetry(const FileBlock::Impl* block, int code);

  Status EnsureOpen(FileBlock::Impl& block);
  Status OpenPhysically(FileBlock::Impl& block, bool allowRepair);
  Status OpenReadOnly(FileBlock::Impl& block);
  // Deletes what an interrupted rewrite left beside the block's files
  // ("<path>.NEU.DAT" and ".IX") unless a FileBlock of that path is defined.
  void RemoveRewriteLeftovers(const FileBlock::Impl& block);
  // markClean false: the header is written with InUse still set.
  Status ClosePhysically(FileBlock::Impl& block, bool markClean = true);
  Status CloseAll();
  Status MakeRoom(const FileBlock::Impl& block);
  Status CreateFiles(FileBlock::Impl& block);
  void Touch(FileBlock::Impl& block) { block.lastUse = ++useClock; }
  void Fatal();
  std::filesystem::path LogDirectory() const;

  // Repair (repair.cpp).
  Status Reorganise(FileBlock::Impl& block);
  Status ReplaceFiles(FileBlock::Impl& target, FileBlock::Impl& source);
  Status RebuildIndexes(FileBlock::Impl& block);
};

template <typename Fn>
Status StorageEngine::Impl::WithRetry(FileBlock::Impl* block, Fn&& fn) {
  const int limit = block != nullptr ? block->retryCount : 32;
  const int delayBase = block != nullptr && block->quietRetries ? kQuietRetryDelay : retryDelayBase;
  int used = 0;
  for (;;) {
    Status st = fn();
    if (st.level() != 2) return st;
    const bool askAtOnce = st.code == err::kDriveNotReady || st.code == err::kPathNotFound;
    if (!askAtOnce && used < limit) {
      const int base = used <= limit / 2 ? 3 * delayBase : delayBase;
      std::uniform_int_distribution<int> dist(0, base > 0 ? base - 1 : 0);
      const int wait = base - dist(rng);
      if (options.sleep) options.sleep(wait);
      ++used;
      errors.Clear();
      continue;
    }
    if (!AskRetry(block, st.code)) return st;
    used = 0;
    errors.Clear();
  }
}

}  // namespace korv
