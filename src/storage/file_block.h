// FileBlock: one keyed record file, a data file "<path>.DAT" of fixed-length
// records plus, when it has indexes, the index file "<path>.IX".
//
// Data file layout (integers little-endian): an array of slots of RecLen
// bytes; slot n at n * RecLen. The file is always (NumRec + 1) * RecLen long.
//   Slot 0, the header (21 bytes used, rest zero at creation):
//     OFFSET SIZE DESCRIPTION
//     0      4    FirstFree   first deleted record for reuse, -1 = none
//     4      4    NumberFree  deleted records in the free chain
//     8      4    NumRec      highest RecordRef ever allocated
//     12     4    RecLen      record length = slot size
//     16     4    NumKeys     number of indexes (0..110)
//     20     1    InUse       1 while unsaved changes exist, 0 after a flush
//   Slot n >= 1, a record:
//     0      4    DeleteMark  0 when live; when deleted the next deleted
//                             RecordRef of the free chain, -1 at its end
//     4      ...  the owner's payload
//
// The record buffer is the caller's working copy; the engine also keeps the
// saved copy (the record as last read or written). Each operation returns a
// Status; the engine's LastErrors() holds the details.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "common/coding.h"
#include "storage/errors.h"
#include "storage/key.h"

namespace korv {

class StorageEngine;
class FileBlock;

inline constexpr int kMinRecLen = 21;  // the header needs 21 bytes
inline constexpr int kMaxRecLen = 65535;
inline constexpr int kMaxLogicalNameLen = 40;
inline constexpr int kMaxPathLen = 192;
inline constexpr int kQuietRetryDelay = 6;  // ms, SetQuietRetries

// Builds the key of a record for one index. Pure function of the record
// bytes; an unknown index yields the empty key.
using KeyBuilder = std::function<void(ConstBytes record, int indexNumber, KeyString& key)>;

// Called per record during a rebuild: file name, step, records done, total.
using RebuildProgress =
    std::function<void(std::string_view fileName, int step, std::int32_t done, std::int32_t total)>;

// Repositioning after RemoveRecord.
enum class RemoveMode : int { kNone = 0, kLast = 1, kFirst = 2, kNext = 3, kPrevious = 4 };

struct Bookmark {
  int indexNumber = 0;
  RecordRef ref = 0;  // 0: no current record
  KeyString key;
  const FileBlock* fileBlock = nullptr;
};

class FileBlock {
 public:
  ~FileBlock();
  FileBlock(const FileBlock&) = delete;
  FileBlock& operator=(const FileBlock&) = delete;

  const std::string& LogicalName() const;
  const std::filesystem::path& Path() const;  // full path without extension
  int RecLen() const;
  int IndexCount() const;

  // Definition (before the first disk access).
  Status DefineIndex(int indexNumber, int keyLen, bool allowDups);
  // The 32-bit field at offsetInRecord is the automatic number of the index;
  // its key must end with the field's EncodeLongKey form.
  Status SetAutoNumberField(int indexNumber, std::size_t offsetInRecord);
  void SetRebuildProgress(RebuildProgress progress);
  // With flush after write, InsertRecord, UpdateRecord and RemoveRecord
  // return with their records and index pages synced and InUse written back
  // to 0 (that write is not synced: lost in a power failure, it only makes
  // the next open repair). Syncs: an insert that appends a slot syncs each
  // file once (the slot goes to disk with InUse = 1); any other change syncs
  // the data file twice (InUse, then the record) and the index file once if
  // a key changed.
  void SetFlushAfterWrite(bool flush);
  bool FlushAfterWrite() const;
  // A file of another program of the suite that this one only reads (in a
  // format it does not own): it is used as it is found, never created,
  // repaired, rebuilt or written; one that cannot be used opens as missing
  // (kFileNotFound). Set before the first disk access.
  void SetReadOnly(bool readOnly);
  bool ReadOnly() const;
  // While set (the rows a list reads): waits between retries use the delay
  // base kQuietRetryDelay, and the retry questions of locked records and
  // files are answered No without asking; those of a drive not ready or a
  // missing path are still asked.
  void SetQuietRetries(bool quiet);
  void SetRetryCount(int count);
  int RetryCount() const;

  // The record buffer (RecLen bytes).
  Bytes Record();
  ConstBytes Record() const;
  void ClearRecordBuffer();
  RecordRef CurrentRef() const;  // -1: no current record

  // Record operations.
  Status InsertRecord();
  Status ReadRecordByRef(RecordRef ref);
  Status UpdateRecord();
  Status RemoveRecord(RemoveMode mode);
  std::int32_t RecordCount();  // -1 on error
  Status DeleteFileBlockFiles();
  Status Flush();  // writes everything and clears InUse

  // Filling an empty file in one go (renumbering copies): between the two
  // calls InsertRecord only appends records (automatic numbers count on from
  // 1); EndBulkLoad then builds every index bottom-up from the data file.
  // Records whose key repeats in a unique index are dropped at the end and
  // reported in "<path>.MSG", as by a repair. A crash in between leaves
  // InUse set, so the next open rebuilds. BeginBulkLoad on a file that ever
  // held a record: kBulkLoadNotEmpty.
  Status BeginBulkLoad();
  Status EndBulkLoad();

  // Keys and keyed reads (each found record becomes the current record).
  KeyString BuildKey(int indexNumber) const;  // of the record buffer
  std::int32_t KeyCount(int indexNumber);      // -1 on error
  Status FindExact(int indexNumber, const KeyString& key);
  Status FindAtLeast(int indexNumber, const KeyString& key);
  Status MoveFirst(int indexNumber);
  Status MoveLast(int indexNumber);
  Status MoveNext(int indexNumber);
  Status MovePrevious(int indexNumber);
  Bookmark SavePosition(int indexNumber);
  // mode 0 exactly; 2 or next greater; 4 or next smaller; 1 like 2 else the
  // next smaller; 3 like 4 else the next greater.
  Status RestorePosition(const Bookmark& bookmark, int mode);

  // Cursor steps without reading records (record browser). ref and key are
  // in/out: the entry returned last goes in, the new one comes out.
  Status IndexNextRaw(int indexNumber, RecordRef& ref, KeyString& key);
  Status IndexPrevRaw(int indexNumber, RecordRef& ref, KeyString& key);
  Status IndexSeekRaw(int indexNumber, RecordRef& ref, int direction, KeyString& key);
  Status KeyPosition(int indexNumber, RecordRef ref, const KeyString& key, int n, int& position);
  Status KeyAtPosition(int indexNumber, int a, int n, RecordRef& ref, KeyString& key);

  // Locks are not taken in this program; these only check the FileBlock.
  Status LockRec(RecordRef ref);
  Status UnlockRec(RecordRef ref);
  Status LockFileBlock();
  Status UnlockFileBlock();

  // Usage count kept by the file catalogue's open/release routines.
  int usageCount = 0;

  // Verifies the data file (length, header, free chain) and every index
  // (structure, KeyCount, each entry equal to the key built from its live
  // record, each live record present in each index). False with a
  // description of the first problem.
  bool CheckStructure(std::string& problem);

  // The engine's state of this file (opaque outside the engine).
  struct Impl;

 private:
  friend class StorageEngine;
  FileBlock(StorageEngine& engine, std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace korv
