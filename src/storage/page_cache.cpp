#include "storage/page_cache.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace korv {

// ---- PageHandle ----

PageHandle::PageHandle(PageHandle&& other) noexcept
    : cache_(std::exchange(other.cache_, nullptr)),
      frame_(std::exchange(other.frame_, -1)),
      data_(std::exchange(other.data_, nullptr)) {}

PageHandle& PageHandle::operator=(PageHandle&& other) noexcept {
  if (this != &other) {
    Release();
    cache_ = std::exchange(other.cache_, nullptr);
    frame_ = std::exchange(other.frame_, -1);
    data_ = std::exchange(other.data_, nullptr);
  }
  return *this;
}

std::int32_t PageHandle::page() const {
  return cache_->frames_[frame_].page;
}

void PageHandle::MarkDirty() {
  auto& f = cache_->frames_[frame_];
  f.dirty = true;
  f.freePage = false;
}

void PageHandle::MarkFree() {
  auto& f = cache_->frames_[frame_];
  f.dirty = true;
  f.freePage = true;
  f.checked = false;
}

bool PageHandle::Checked() const {
  return cache_->frames_[frame_].checked;
}
void PageHandle::SetChecked(bool checked) {
  cache_->frames_[frame_].checked = checked;
}

void PageHandle::Release() {
  if (cache_ != nullptr) cache_->Unpin(frame_);
  cache_ = nullptr;
  frame_ = -1;
  data_ = nullptr;
}

// ---- PageCache ----

PageCache::PageCache(int bufferCount) : bufferCount_(std::max(bufferCount, 0)) {
  frames_.reserve(static_cast<std::size_t>(bufferCount_) + 16);
  for (int i = 0; i < bufferCount_; ++i) AddFrame();
  // At most a quarter full, so probe chains stay short.
  Rehash(std::max<std::size_t>(64, frames_.size() * 4));
  flushOrder_.reserve(frames_.capacity());
}

PageCache::~PageCache() = default;

int PageCache::AddFrame() {
  Frame f;
  f.data = std::make_unique<std::uint8_t[]>(kMaxPageBufferBytes);
  frames_.push_back(std::move(f));
  const int n = static_cast<int>(frames_.size()) - 1;
  PushBack(n);
  // Pool growth (every buffer pinned): keep the table at most half full.
  if (!table_.empty() && frames_.size() * 2 > table_.size()) Rehash(table_.size() * 2);
  return n;
}

// ---- LRU list ----

void PageCache::Unlink(int i) {
  Frame& f = frames_[i];
  if (f.prev >= 0)
    frames_[f.prev].next = f.next;
  else
    head_ = f.next;
  if (f.next >= 0)
    frames_[f.next].prev = f.prev;
  else
    tail_ = f.prev;
  f.prev = f.next = -1;
}

void PageCache::PushFront(int i) {
  Frame& f = frames_[i];
  f.prev = -1;
  f.next = head_;
  if (head_ >= 0)
    frames_[head_].prev = i;
  else
    tail_ = i;
  head_ = i;
}

void PageCache::PushBack(int i) {
  Frame& f = frames_[i];
  f.next = -1;
  f.prev = tail_;
  if (tail_ >= 0)
    frames_[tail_].next = i;
  else
    head_ = i;
  tail_ = i;
}

// ---- hash table (linear probing, backward-shift deletion) ----

std::size_t PageCache::Home(std::uint32_t owner, int index, std::int32_t page) const {
  std::uint64_t h = (static_cast<std::uint64_t>(owner) << 40) ^
                    (static_cast<std::uint64_t>(static_cast<std::uint32_t>(index)) << 32) ^
                    static_cast<std::uint32_t>(page);
  h *= 0x9E3779B97F4A7C15ull;
  return static_cast<std::size_t>(h >> (64 - tableBits_));
}

int PageCache::Find(std::uint32_t owner, int index, std::int32_t page) const {
  const std::size_t mask = table_.size() - 1;
  for (std::size_t s = Home(owner, index, page);; s = (s + 1) & mask) {
    const int i = table_[s];
    if (i < 0) return -1;
    const Frame& f = frames_[i];
    if (f.page == page && f.index == index && f.owner == owner) return i;
  }
}

void PageCache::TableInsert(int i) {
  const Frame& f = frames_[i];
  const std::size_t mask = table_.size() - 1;
  std::size_t s = Home(f.owner, f.index, f.page);
  while (table_[s] >= 0) s = (s + 1) & mask;
  table_[s] = i;
}

void PageCache::TableErase(int i) {
  const Frame& f = frames_[i];
  const std::size_t mask = table_.size() - 1;
  std::size_t s = Home(f.owner, f.index, f.page);
  while (table_[s] != i) s = (s + 1) & mask;  // present by construction
  // Move later members of the cluster back so that no probe chain breaks.
  std::size_t hole = s;
  for (std::size_t j = (hole + 1) & mask; table_[j] >= 0; j = (j + 1) & mask) {
    const Frame& g = frames_[table_[j]];
    const std::size_t home = Home(g.owner, g.index, g.page);
    // g may fill the hole when its home is not inside (hole, j].
    const bool homeBetween = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
    if (!homeBetween) {
      table_[hole] = table_[j];
      hole = j;
    }
  }
  table_[hole] = -1;
}

void PageCache::Rehash(std::size_t slots) {
  int bits = 0;
  while ((std::size_t{1} << bits) < slots) ++bits;
  tableBits_ = bits;
  table_.assign(std::size_t{1} << bits, -1);
  for (int i = 0; i < static_cast<int>(frames_.size()); ++i) {
    if (frames_[i].owner != 0) TableInsert(i);
  }
}

void PageCache::Forget(int i) {
  Frame& f = frames_[i];
  if (f.owner != 0) TableErase(i);
  f.owner = 0;
  f.file = nullptr;
  f.dirty = false;
  f.freePage = false;
  f.checked = false;
  Unlink(i);
  PushBack(i);
}

// ---- pages ----

Status PageCache::WriteBack(Frame& f) {
  int bytes = 4;
  if (!f.freePage) {
    const int count = f.data[0] | (f.data[1] << 8);
    bytes = std::min(f.slotBytes, 6 + count * f.entryBytes);
  }
  Status st = f.file->WriteAt(f.data.get(), static_cast<std::size_t>(bytes), f.offset);
  if (!st.ok()) return st;
  f.dirty = false;
  ++stats_.writes;
  stats_.writtenBytes += static_cast<std::uint64_t>(bytes);
  return Status::Ok();
}

Status PageCache::TakeFrame(int& frame) {
  for (int i = tail_; i >= 0; i = frames_[i].prev) {
    Frame& f = frames_[i];
    if (f.pins != 0) continue;
    if (f.owner != 0 && f.dirty) {
      Status st = WriteBack(f);
      if (!st.ok()) return st;
    }
    if (f.owner != 0) TableErase(i);
    f.owner = 0;
    frame = i;
    return Status::Ok();
  }
  frame = AddFrame();  // every buffer is pinned
  return Status::Ok();
}

Status PageCache::Pin(const PageLocation& where, bool read, PageHandle& out) {
  out.Release();
  int i = Find(where.owner, where.index, where.page);
  if (i >= 0) {
    ++stats_.hits;
    if (!read) {  // a new page over a stale cached copy
      std::memset(frames_[i].data.get(), 0, kMaxPageBufferBytes);
      frames_[i].checked = false;
      frames_[i].freePage = false;
    }
  } else {
    Status st = TakeFrame(i);
    if (!st.ok()) return st;
    Frame& f = frames_[i];
    const int bytes = std::clamp(where.slotBytes, 0, kMaxPageBufferBytes);
    if (read) {
      st = where.file->ReadAt(f.data.get(), static_cast<std::size_t>(bytes), where.offset);
      if (!st.ok()) {
        Forget(i);
        return st;
      }
      ++stats_.reads;
    } else {
      std::memset(f.data.get(), 0, kMaxPageBufferBytes);
    }
    f.file = where.file;
    f.offset = where.offset;
    f.owner = where.owner;
    f.page = where.page;
    f.index = where.index;
    f.slotBytes = bytes;
    f.entryBytes = where.entryBytes;
    f.dirty = false;
    f.freePage = false;
    f.checked = false;
    TableInsert(i);
  }
  Unlink(i);
  PushFront(i);
  ++frames_[i].pins;
  out.cache_ = this;
  out.frame_ = i;
  out.data_ = frames_[i].data.get();
  return Status::Ok();
}

Status PageCache::Get(const PageLocation& where, PageHandle& out) {
  return Pin(where, true, out);
}

Status PageCache::GetNew(const PageLocation& where, PageHandle& out) {
  return Pin(where, false, out);
}

void PageCache::Unpin(int i) {
  if (frames_[i].pins > 0) --frames_[i].pins;
}

const std::uint8_t* PageCache::Peek(std::uint32_t owner, int index, std::int32_t page) const {
  const int i = Find(owner, index, page);
  return i < 0 ? nullptr : frames_[i].data.get();
}

void PageCache::Discard(PageHandle& handle) {
  if (handle.cache_ != this) return;
  const int i = handle.frame_;
  handle.Release();
  if (frames_[i].pins == 0) Forget(i);
}

Status PageCache::FlushOwner(std::uint32_t owner) {
  flushOrder_.clear();
  for (int i = 0; i < static_cast<int>(frames_.size()); ++i) {
    if (frames_[i].owner == owner && frames_[i].dirty) flushOrder_.push_back(i);
  }
  std::sort(flushOrder_.begin(), flushOrder_.end(),
            [this](int a, int b) { return frames_[a].offset < frames_[b].offset; });
  for (int i : flushOrder_) {
    Status st = WriteBack(frames_[i]);
    if (!st.ok()) return st;
  }
  return Status::Ok();
}

void PageCache::DropOwner(std::uint32_t owner) {
  for (int i = 0; i < static_cast<int>(frames_.size()); ++i) {
    if (frames_[i].owner == owner && frames_[i].pins == 0) Forget(i);
  }
}

bool PageCache::HasDirty(std::uint32_t owner) const {
  return std::any_of(frames_.begin(), frames_.end(),
                     [owner](const Frame& f) { return f.owner == owner && f.dirty; });
}

}  // namespace korv
