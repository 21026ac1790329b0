// PageCache: the pool of index page buffers shared by every IndexFile of the
// engine (160 in the program).
//
// A buffer holds one whole page slot (up to PageBytesFor(50) = 3664 bytes),
// read with one positioned read and used in place. A page is identified by
// (owner, index, page number); owners are IndexFiles, each with its own id
// from NewOwner(). Lookup is a linear-probing hash table over the frames
// (O(1), no allocation per lookup); replacement is least recently used.
//
// Changed pages are marked dirty and written back when their buffer is
// reused, or by FlushOwner. Only the used part is written: 6 + ItemCount *
// entryBytes bytes (ItemCount from the first two bytes of the buffer), or
// the 4-byte link of a page marked free.
//
// Pinning: Get and GetNew return a PageHandle that pins the buffer; a pinned
// buffer is never reused, so the pointer stays valid until the handle is
// released. When every buffer is pinned, the pool grows by one buffer
// instead of failing; the extra buffers stay in the pool afterwards.
//
// Single-threaded. Owners must drop their pages (DropOwner) before the
// OsFile they passed in goes away.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "storage/errors.h"
#include "storage/os_file.h"

namespace korv {

class PageCache;

// Where a page lives and how to write it back.
struct PageLocation {
  std::uint32_t owner = 0;  // from PageCache::NewOwner(), never 0
  OsFile* file = nullptr;   // must stay open while the page is cached
  int index = 0;
  std::int32_t page = 0;
  std::uint64_t offset = 0;  // byte offset of the slot in the file
  int slotBytes = 0;         // PageBytes, at most kMaxPageBufferBytes
  int entryBytes = 0;        // KeyLen + 9
};

// A pinned page buffer. Move-only; releasing it (or destroying it) unpins.
class PageHandle {
 public:
  PageHandle() = default;
  ~PageHandle() { Release(); }
  PageHandle(PageHandle&& other) noexcept;
  PageHandle& operator=(PageHandle&& other) noexcept;
  PageHandle(const PageHandle&) = delete;
  PageHandle& operator=(const PageHandle&) = delete;

  explicit operator bool() const { return data_ != nullptr; }
  std::uint8_t* data() const { return data_; }
  std::int32_t page() const;

  // The page changed and is a tree page: write back its used part.
  void MarkDirty();
  // The page is now free: write back only its first 4 bytes (the link).
  void MarkFree();
  // Whether the owner has already checked the contents of this buffer since
  // it was read (the flag is cleared on every read and by MarkFree).
  bool Checked() const;
  void SetChecked(bool checked);

  void Release();

 private:
  friend class PageCache;
  PageCache* cache_ = nullptr;
  int frame_ = -1;
  std::uint8_t* data_ = nullptr;
};

class PageCache {
 public:
  static constexpr int kMaxPageBufferBytes = 3664;  // PageBytesFor(50)

  // Counters for tests and benchmarks.
  struct Stats {
    std::uint64_t hits = 0;
    std::uint64_t reads = 0;   // pages read from disk
    std::uint64_t writes = 0;  // pages written back
    std::uint64_t writtenBytes = 0;
  };

  explicit PageCache(int bufferCount);
  ~PageCache();
  PageCache(const PageCache&) = delete;
  PageCache& operator=(const PageCache&) = delete;

  // Buffers asked for at construction, and buffers now in the pool (more
  // when every buffer was pinned at some moment).
  int BufferCount() const { return bufferCount_; }
  int FrameCount() const { return static_cast<int>(frames_.size()); }

  std::uint32_t NewOwner() { return ++lastOwner_; }

  // Pins the page, reading its slot when it is not cached (kShortRead when
  // the slot lies beyond the end of the file). May write back another dirty
  // page to free a buffer; that write's error is returned.
  Status Get(const PageLocation& where, PageHandle& out);
  // Pins a buffer for a page whose bytes on disk do not matter (a page just
  // allocated at the end): nothing is read; the buffer is zero-filled.
  Status GetNew(const PageLocation& where, PageHandle& out);
  // The cached bytes of a page, or nullptr; neither pins nor reads.
  const std::uint8_t* Peek(std::uint32_t owner, int index, std::int32_t page) const;
  // Forgets one page without writing it (undo of an allocation).
  void Discard(PageHandle& handle);

  // Writes back every dirty page of the owner, in file order. Pages whose
  // write failed stay dirty.
  Status FlushOwner(std::uint32_t owner);
  // Forgets every page of the owner without writing. REQUIRES: none pinned.
  void DropOwner(std::uint32_t owner);
  bool HasDirty(std::uint32_t owner) const;

  const Stats& GetStats() const { return stats_; }

 private:
  friend class PageHandle;
  struct Frame {
    std::unique_ptr<std::uint8_t[]> data;
    OsFile* file = nullptr;
    std::uint64_t offset = 0;
    std::uint32_t owner = 0;  // 0: empty, not in the table
    std::int32_t page = 0;
    int index = 0;
    int slotBytes = 0;
    int entryBytes = 0;
    int pins = 0;
    bool dirty = false;
    bool freePage = false;
    bool checked = false;
    int prev = -1;  // LRU list: head = most recently used
    int next = -1;
  };

  int AddFrame();
  Status TakeFrame(int& frame);  // an unpinned, empty frame (evicts)
  Status WriteBack(Frame& f);
  Status Pin(const PageLocation& where, bool read, PageHandle& out);
  void Unpin(int frame);

  int Find(std::uint32_t owner, int index, std::int32_t page) const;
  std::size_t Home(std::uint32_t owner, int index, std::int32_t page) const;
  void TableInsert(int frame);
  void TableErase(int frame);
  void Rehash(std::size_t slots);

  void Unlink(int frame);
  void PushFront(int frame);
  void PushBack(int frame);
  void Forget(int frame);  // out of the table, empty, least recently used

  int bufferCount_;
  std::uint32_t lastOwner_ = 0;
  std::vector<Frame> frames_;
  std::vector<int> table_;  // frame numbers, -1 = empty slot
  int tableBits_ = 0;
  int head_ = -1;
  int tail_ = -1;
  std::vector<int> flushOrder_;  // scratch of FlushOwner, reserved once
  Stats stats_;
};

}  // namespace korv
