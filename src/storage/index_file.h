// IndexFile: all B-tree indexes of one data file, kept in one "<name>.IX".
//
// On-disk layout (integers little-endian). For index k (1-based):
//   PageSize       = 62 entries per page (a stored 0 also means 62)
//   PageBytes(k)   = 6 + PageSize * (KeyLen(k) + 9)
//   SlotOffset(k)  = PageBytes(1) + ... + PageBytes(k-1)
//   RowSize        = sum of PageBytes over all indexes
// The file is an array of rows of RowSize bytes; row r holds page r of every
// index: page p of index k lies at p * RowSize + SlotOffset(k). Row 0 holds
// the index headers (each at its slot offset; the rest of row 0 is zero).
// When an index needs a page number beyond the last row, one zero-filled row
// is appended.
//
// Index header (28 bytes at SlotOffset(k) in row 0):
//   OFFSET SIZE DESCRIPTION
//   0      4    FirstFree   first free page, -1 = none
//   4      4    NumberFree  pages in the free chain
//   8      4    NumPages    highest page number allocated
//   12     4    PageBytes
//   16     4    Root        page number of the root, 0 = empty index
//   20     1    AllowDups   1 = duplicate keys allowed
//   21     4    KeyCount    entries in the index
//   25     2    PageSize    entries per page (62; 0 read as 62)
//   27     1    reserved
//
// Page (PageBytes bytes):
//   0      2    ItemCount   31..62 on every page but the root, 1..62 on the root
//   2      4    LeftChild   page with the keys below entry 1; 0 on leaves
//   6      ...  entries, entry i at 6 + (i-1) * (KeyLen + 9):
//                 int32 RecordRef, int32 RightChild (0 on leaves),
//                 length byte + KeyLen key bytes (only `length` count)
// Only the first 6 + ItemCount * (KeyLen + 9) bytes of a page are written.
// A free page holds the next free page number (or -1) in its first 4 bytes.
//
// Entries are ordered by key (see KeyString); in an index with duplicates
// equal keys are ordered by RecordRef, and an entry is identified by key and
// RecordRef together; without duplicates the key alone identifies it.
//
// Every byte read from disk is hostile: a page, child pointer, item count,
// key length or free-chain link that cannot be right becomes an error code
// (kShortRead, kFreeChainDamaged, ...), never a crash or an endless loop.
// Damage in the tree (item count outside 1..PageSize, a child outside
// 1..NumPages, leaf and inner entries on one page, a key length byte above
// KeyLen, a path deeper than 8 levels) is kShortRead, like a page beyond the
// end of the file: the index file is broken and must be rebuilt. A free
// chain that does not hold exactly NumberFree pages ending in -1 is
// kFreeChainDamaged (checked once per open, when a page is first taken
// from it). Pages below the fill limit are read and changed normally.
//
// Every operation on an index number outside 1..IndexCount(), or on a file
// that is not open, is kIndexNumberRange.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "storage/errors.h"
#include "storage/key.h"
#include "storage/os_file.h"

namespace korv {

class PageCache;

inline constexpr int kPageSize = 62;
inline constexpr int kMinPageFill = kPageSize / 2;  // 31
inline constexpr int kIndexHeaderBytes = 28;
inline constexpr int kMaxIndexes = 110;
inline constexpr int kMaxTreeDepth = 8;

constexpr int PageBytesFor(int keyLen) { return 6 + kPageSize * (keyLen + 9); }

struct IndexDef {
  int keyLen = 0;  // 1..50
  bool allowDups = false;
};

// One entry as the cursor returns it.
struct IndexEntry {
  KeyString key;
  RecordRef ref = 0;
};

class IndexFile {
 public:
  // The cache is shared by every IndexFile of the engine and must outlive it.
  explicit IndexFile(PageCache& cache);
  ~IndexFile();
  IndexFile(const IndexFile&) = delete;
  IndexFile& operator=(const IndexFile&) = delete;

  // Creates a new file (replacing any old one) with one empty header per
  // definition: FirstFree -1, NumberFree 0, NumPages 0, Root 0, KeyCount 0.
  Status Create(const std::filesystem::path& path, std::span<const IndexDef> defs);
  // Opens and reads the headers. Checks every header: PageSize above 62 is
  // kIndexHeaderPageSize; (PageBytes - 6) / PageSize - 9 not whole is
  // kIndexHeaderKeyLen, outside 1..50 kIndexHeaderKeyLenRange; a file
  // shorter than row 0 kShortRead; a disagreement with defs in the number of
  // indexes, a key length or a duplicates flag kDefinitionDiffers. Missing
  // file: kFileNotFound. Also: a stored PageSize of 1 (no tree fits) is
  // kIndexHeaderPageSize; NumPages beyond the rows of the file, Root outside
  // 0..NumPages or a negative KeyCount kShortRead; FirstFree or NumberFree
  // out of range kFreeChainDamaged. Another stored PageSize (2..62) is used
  // as stored.
  Status Open(const std::filesystem::path& path, std::span<const IndexDef> defs);
  // Writes back the changed pages of this file and every header that
  // changed; with sync, also asks the system to put the file on disk (not
  // when nothing was written to it since it was last put there).
  Status Flush(bool sync);
  // Flush(true), then closes the file and drops its pages from the cache.
  Status Close();
  bool IsOpen() const;
  // True when a page or header changed since the last flush.
  bool Dirty() const;

  int IndexCount() const;
  const IndexDef& Def(int index) const;  // REQUIRES: 1 <= index <= IndexCount()
  std::int32_t KeyCount(int index) const;
  std::uint64_t RowSize() const;
  std::uint64_t SlotOffset(int index) const;

  // Adds (key, ref). Key longer than KeyLen: kKeyTooLong; entry present:
  // kKeyExists. Invalidates the cursor of that index. A failed add or
  // delete changes nothing: every page it needs is read (and new pages are
  // taken) before the first byte changes. A root split that would make a
  // ninth level (small stored page sizes only) is refused with kShortRead.
  Status AddKey(int index, RecordRef ref, const KeyString& key);
  // Removes (key, ref) (ref is ignored in an index without duplicates when
  // matching, as the key alone identifies the entry). Absent: kDeleteKeyAbsent.
  // Invalidates the cursor of that index.
  Status DeleteKey(int index, RecordRef ref, const KeyString& key);

  // Cursor of one index: a path of up to 8 (page, position) pairs.
  //
  // Seek positions the cursor on (key, ref) when that entry exists (found =
  // true; in an index without duplicates the key alone decides), else in the
  // gap where it would be inserted (found = false). (empty key, ref 0) seeks
  // before the smallest entry -- except in an index without duplicates that
  // holds the empty key, where it finds that entry; for "the first entry"
  // use ClearCursor and Next.
  Status Seek(int index, const KeyString& key, RecordRef ref, bool& found);
  // Steps from the cursor to the next / previous entry and returns it;
  // kEndOfIndex / kStartOfIndex when there is none (the cursor stays). A
  // cleared cursor steps to the smallest / greatest entry. When the cursor
  // was invalidated by a change, the entry `last` (the one the caller got
  // last) is sought again first and the step is taken from there.
  Status Next(int index, const IndexEntry& last, IndexEntry& out);
  Status Prev(int index, const IndexEntry& last, IndexEntry& out);
  void ClearCursor(int index);
  // The entry the cursor is on (after a Seek that found it, or a step);
  // kKeyNotFound when the cursor is cleared, invalidated or in a gap.
  Status Current(int index, IndexEntry& out);

  // Estimates for scroll bars (record browser), by the engine's formulas:
  // position of (key, ref) in 0..n, and the entry at position a of 0..n
  // (empty key and ref 0 for the very start). Neither moves the cursor.
  Status KeyPosition(int index, RecordRef ref, const KeyString& key, int n, int& position);
  Status KeyAtPosition(int index, int a, int n, IndexEntry& out);

  // The highest entry whose key begins with prefix, for automatic numbers
  // (kKeyNotFound when there is none). Does not move the cursor.
  Status LastWithPrefix(int index, const KeyString& prefix, IndexEntry& out);

  // Replaces the contents of an empty index by entries already in order
  // (strictly ascending by key, and by ref among equal keys), building the
  // tree bottom-up. REQUIRES: KeyCount(index) == 0. An index that is not
  // empty, or entries not in that order, is kKeyExists; a key longer than
  // KeyLen kKeyTooLong (both before anything changes).
  Status BulkLoad(int index, std::span<const IndexEntry> sortedEntries);

  // Full structural check of one index: every page reachable once, key order
  // across the whole tree, fill limits (31..62, root 1..62), equal leaf
  // depth, KeyCount, the free chain (length = NumberFree, no page twice, no
  // page both free and in the tree, all <= NumPages), every page 1..NumPages
  // either in the tree or free, and every RecordRef accepted by
  // isLiveRecord. Returns false with a description of the first problem
  // found.
  bool CheckIndex(int index, const std::function<bool(RecordRef)>& isLiveRecord,
                  std::string& problem);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace korv
