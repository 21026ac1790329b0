#include "storage/index_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string_view>

#include "storage/page_cache.h"

namespace korv {
namespace {

// Index header fields (offsets inside the 28-byte header).
constexpr int kHdrFirstFree = 0;
constexpr int kHdrNumberFree = 4;
constexpr int kHdrNumPages = 8;
constexpr int kHdrPageBytes = 12;
constexpr int kHdrRoot = 16;
constexpr int kHdrAllowDups = 20;
constexpr int kHdrKeyCount = 21;
constexpr int kHdrPageSize = 25;
constexpr int kHdrReserved = 27;

// Page and entry fields.
constexpr int kPageLeftChild = 2;
constexpr int kPageEntries = 6;
constexpr int kEntryRight = 4;
constexpr int kEntryKeyLen = 8;
constexpr int kEntryKey = 9;
constexpr int kEntryOverhead = 9;

constexpr int kMaxEntryBytes = kMaxKeyLen + kEntryOverhead;
constexpr int kMinStoredPageSize = 2;  // smaller pages cannot hold a tree
// Redistribution works on two pages, the separator and one new entry.
constexpr int kScratchEntries = 2 * kPageSize + 2;

static_assert(PageBytesFor(kMaxKeyLen) == PageCache::kMaxPageBufferBytes);
static_assert(kIndexHeaderBytes == kHdrReserved + 1);

std::int32_t LoadI32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}
void StoreI32(std::uint8_t* p, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
int LoadU16(const std::uint8_t* p) {
  return p[0] | (p[1] << 8);
}
void StoreU16(std::uint8_t* p, int value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}

// Damage found in the tree: a page, child pointer, count or key length that
// cannot be right. The engine treats it as a broken index file.
Status Damage() {
  return Status::Error(err::kShortRead);
}
Status ChainDamage() {
  return Status::Error(err::kFreeChainDamaged);
}

// A page in a buffer. Entries are numbered from 1; child c is LeftChild for
// c = 0, else RightChild of entry c.
class PageView {
 public:
  PageView(std::uint8_t* page, int entryBytes) : p_(page), eb_(entryBytes) {}
  int Count() const { return LoadU16(p_); }
  void SetCount(int n) { StoreU16(p_, n); }
  std::int32_t Left() const { return LoadI32(p_ + kPageLeftChild); }
  void SetLeft(std::int32_t page) { StoreI32(p_ + kPageLeftChild, page); }
  bool Leaf() const { return Left() == 0; }
  std::uint8_t* Entry(int i) const { return p_ + kPageEntries + (i - 1) * eb_; }
  RecordRef Ref(int i) const { return LoadI32(Entry(i)); }
  std::int32_t Right(int i) const { return LoadI32(Entry(i) + kEntryRight); }
  std::int32_t Child(int c) const { return c == 0 ? Left() : Right(c); }

 private:
  std::uint8_t* p_;
  int eb_;
};

struct SearchKey {
  const std::uint8_t* bytes;
  int len;
  RecordRef ref;
};

// <0, 0, >0 as the search key sorts before, equal to, after the entry.
int CompareEntry(const SearchKey& k, const std::uint8_t* e, bool dups) {
  const int elen = e[kEntryKeyLen];
  const int n = std::min(k.len, elen);
  if (n > 0) {
    const int c = std::memcmp(k.bytes, e + kEntryKey, static_cast<std::size_t>(n));
    if (c != 0) return c;
  }
  if (k.len != elen) return k.len < elen ? -1 : 1;
  if (!dups) return 0;
  const RecordRef r = LoadI32(e);
  return k.ref < r ? -1 : (k.ref > r ? 1 : 0);
}

struct PageSearch {
  int lo;
  int hi;
  int mid;
  bool match;
  // Entries on the page that sort before the key.
  int Smaller() const { return match ? mid - 1 : hi; }
};

// The binary search of the file format: both bounds move on equality, and a
// match shows as lo - hi >= 2 (at mid). Without a match entries 1..hi sort
// before the key and hi+1.. after it.
PageSearch SearchPage(const PageView& v, const SearchKey& k, bool dups) {
  int lo = 1;
  int hi = v.Count();
  int mid = 0;
  while (lo <= hi) {
    mid = (lo + hi) / 2;
    const int c = CompareEntry(k, v.Entry(mid), dups);
    if (c <= 0) hi = mid - 1;
    if (c >= 0) lo = mid + 1;
  }
  return {lo, hi, mid, lo - hi >= 2};
}

void FillEntry(const std::uint8_t* e, IndexEntry& out) {
  out.ref = LoadI32(e);
  out.key.clear();
  out.key.Append(std::string_view(reinterpret_cast<const char*>(e + kEntryKey), e[kEntryKeyLen]));
}

// Path from the root: levels 0..depth-1. On every level but the last, pos is
// the child taken (0..ItemCount). On the last level the cursor is on entry
// pos (onEntry), or, on a leaf, in the gap after entry pos (0..ItemCount).
struct Path {
  int depth = 0;
  std::array<std::int32_t, kMaxTreeDepth> page{};
  std::array<int, kMaxTreeDepth> pos{};
  bool onEntry = false;
};

enum class CursorState : std::uint8_t { kCleared, kValid, kStale };

// One step of a tree change, per level.
enum class Act : std::uint8_t {
  kNone,
  kInsert,
  kShare,
  kSplit,
  kSplitRoot,
  kRotate,
  kMerge,
  kCollapse
};

// Everything a change needs, pinned before the first byte is changed, so
// that a failing read or allocation leaves the tree as it was.
struct Plan {
  std::array<PageHandle, kMaxTreeDepth> page;  // the path, from the root
  std::array<PageHandle, kMaxTreeDepth> nb;    // neighbour of page[L] under page[L-1]
  std::array<bool, kMaxTreeDepth> nbRight{};
  std::array<Act, kMaxTreeDepth> act{};
  std::array<int, kMaxTreeDepth> move{};  // entries to rotate
  std::array<PageHandle, kMaxTreeDepth + 1> fresh;
  std::array<bool, kMaxTreeDepth + 1> freshAtEnd{};  // taken at NumPages + 1
};

const IndexDef kNoDef{};

}  // namespace

struct IndexFile::Impl {
  struct Index {
    IndexDef def;
    int keyLen = 0;
    int pageSize = kPageSize;
    int minFill = kMinPageFill;
    int entryBytes = 0;
    int pageBytes = 0;
    std::uint64_t slotOffset = 0;
    std::int32_t firstFree = -1;
    std::int32_t numberFree = 0;
    std::int32_t numPages = 0;
    std::int32_t root = 0;
    std::int32_t keyCount = 0;
    std::array<std::uint8_t, kIndexHeaderBytes> header{};  // as read; fields patched on write
    bool headerDirty = false;
    bool chainChecked = false;  // free chain walked once since open
    CursorState cursorState = CursorState::kCleared;
    Path cursor;
  };

  explicit Impl(PageCache& c) : cache(c) {}

  PageCache& cache;
  OsFile file;
  std::uint32_t owner = 0;
  bool open = false;
  bool dirty = false;
  std::vector<Index> indexes;
  std::uint64_t rowSize = 0;
  std::uint64_t rows = 0;  // whole rows in the file, row 0 included
  // Row 0 as it is on disk, up to the end of the last header: changed
  // headers go out in one write together with the bytes between them.
  std::vector<std::uint8_t> headerRow;
  // A header write failed part way: the disk may hold any mix of old and
  // new header bytes, so every changed header is written again.
  bool headersUncertain = false;
  std::array<std::uint8_t, kScratchEntries * kMaxEntryBytes> scratch{};

  // ---- basics ----

  Status Lookup(int index, Index*& x) {
    if (!open || index < 1 || index > static_cast<int>(indexes.size())) {
      return Status::Error(err::kIndexNumberRange);
    }
    x = &indexes[static_cast<std::size_t>(index - 1)];
    return Status::Ok();
  }

  PageLocation Where(const Index& x, std::int32_t page) {
    PageLocation w;
    w.owner = owner;
    w.file = &file;
    w.index = static_cast<int>(&x - indexes.data()) + 1;
    w.page = page;
    w.offset = static_cast<std::uint64_t>(page) * rowSize + x.slotOffset;
    w.slotBytes = x.pageBytes;
    w.entryBytes = x.entryBytes;
    return w;
  }

  PageView View(const Index& x, const PageHandle& h) const { return {h.data(), x.entryBytes}; }

  // Why a tree page cannot be right, or nullptr.
  static const char* PageProblem(const Index& x, const std::uint8_t* data) {
    PageView v(const_cast<std::uint8_t*>(data), x.entryBytes);
    const int count = v.Count();
    if (count < 1 || count > x.pageSize) return "item count out of range";
    const std::int32_t left = v.Left();
    if (left < 0 || left > x.numPages) return "left child out of range";
    for (int i = 1; i <= count; ++i) {
      const std::int32_t right = v.Right(i);
      if ((left == 0) != (right == 0)) return "leaf and inner entries mixed";
      if (right < 0 || right > x.numPages) return "right child out of range";
      if (v.Entry(i)[kEntryKeyLen] > x.keyLen) return "key length byte above the key length";
    }
    return nullptr;
  }

  // Pins a tree page, checking it the first time it is used after a read.
  Status TreePage(Index& x, std::int32_t page, PageHandle& h) {
    if (page < 1 || page > x.numPages) return Damage();
    Status st = cache.Get(Where(x, page), h);
    if (!st.ok()) return st;
    if (!h.Checked()) {
      if (PageProblem(x, h.data()) != nullptr) {
        h.Release();
        return Damage();
      }
      h.SetChecked(true);
    }
    return Status::Ok();
  }

  void Changed(Index& x) {
    x.headerDirty = true;
    dirty = true;
    if (x.cursorState == CursorState::kValid) x.cursorState = CursorState::kStale;
  }

  // ---- free chain and allocation ----

  Status ReadLink(Index& x, std::int32_t page, std::int32_t& link) {
    const int index = static_cast<int>(&x - indexes.data()) + 1;
    if (const std::uint8_t* cached = cache.Peek(owner, index, page)) {
      link = LoadI32(cached);
      return Status::Ok();
    }
    std::uint8_t b[4];
    Status st = file.ReadAt(b, sizeof b, Where(x, page).offset);
    if (!st.ok()) return st;
    link = LoadI32(b);
    return Status::Ok();
  }

  static bool LinkOk(const Index& x, std::int32_t link) {
    return link != 0 && link <= x.numPages && link >= -1;
  }

  // The chain must hold exactly NumberFree pages and end in -1; a cycle or a
  // link out of range cannot pass.
  Status CheckFreeChain(Index& x) {
    std::int32_t cur = x.firstFree;
    for (std::int32_t i = 0; i < x.numberFree; ++i) {
      if (cur < 1 || cur > x.numPages) return ChainDamage();
      std::int32_t link = 0;
      Status st = ReadLink(x, cur, link);
      if (!st.ok()) return st;
      if (!LinkOk(x, link)) return ChainDamage();
      cur = link;
    }
    return cur == -1 ? Status::Ok() : ChainDamage();
  }

  Status AppendRow() {
    static const std::array<std::uint8_t, 65536> kZeros{};
    std::uint64_t done = 0;
    const std::uint64_t at = rows * rowSize;
    while (done < rowSize) {
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(kZeros.size(), rowSize - done));
      Status st = file.WriteAt(kZeros.data(), n, at + done);
      if (!st.ok()) return st;
      done += n;
    }
    ++rows;
    return Status::Ok();
  }

  // A page for the tree: the first free page, else NumPages + 1 (appending
  // a row when the file has none for it). The page comes back with
  // ItemCount 0 and LeftChild 0, pinned.
  Status AllocPage(Index& x, PageHandle& out, bool& atEnd) {
    if (x.firstFree == -1) {
      if (x.numPages == std::numeric_limits<std::int32_t>::max()) return Damage();
      const std::int32_t page = x.numPages + 1;
      while (static_cast<std::uint64_t>(page) >= rows) {
        Status st = AppendRow();
        if (!st.ok()) return st;
      }
      Status st = cache.GetNew(Where(x, page), out);
      if (!st.ok()) return st;
      x.numPages = page;
      atEnd = true;
    } else {
      if (!x.chainChecked) {
        Status st = CheckFreeChain(x);
        if (!st.ok()) return st;
        x.chainChecked = true;
      }
      const std::int32_t page = x.firstFree;
      if (page < 1 || page > x.numPages || x.numberFree < 1) return ChainDamage();
      Status st = cache.Get(Where(x, page), out);
      if (!st.ok()) return st;
      const std::int32_t link = LoadI32(out.data());
      if (!LinkOk(x, link)) {
        out.Release();
        return ChainDamage();
      }
      x.firstFree = link;
      --x.numberFree;
      atEnd = false;
    }
    PageView v = View(x, out);
    v.SetCount(0);
    v.SetLeft(0);
    out.SetChecked(false);
    out.MarkDirty();
    x.headerDirty = true;
    return Status::Ok();
  }

  void FreePage(Index& x, PageHandle& h) {
    StoreI32(h.data(), x.firstFree);
    h.MarkFree();
    x.firstFree = h.page();
    ++x.numberFree;
    x.headerDirty = true;
  }

  void UndoAlloc(Index& x, PageHandle& h, bool atEnd) {
    if (atEnd && h.page() == x.numPages) {
      --x.numPages;
      cache.Discard(h);
    } else {
      FreePage(x, h);
      h.Release();
    }
  }

  Status AllocPages(Index& x, Plan& plan, int need) {
    for (int i = 0; i < need; ++i) {
      bool atEnd = false;
      Status st = AllocPage(x, plan.fresh[static_cast<std::size_t>(i)], atEnd);
      if (!st.ok()) {
        for (int j = i - 1; j >= 0; --j) {
          UndoAlloc(x, plan.fresh[static_cast<std::size_t>(j)],
                    plan.freshAtEnd[static_cast<std::size_t>(j)]);
        }
        return st;
      }
      plan.freshAtEnd[static_cast<std::size_t>(i)] = atEnd;
    }
    return Status::Ok();
  }

  // ---- search and cursor steps ----

  Status Descend(Index& x, const SearchKey& k, Path& path, bool& found) {
    path.depth = 0;
    path.onEntry = false;
    found = false;
    std::int32_t page = x.root;
    PageHandle h;
    while (page != 0) {
      if (path.depth == kMaxTreeDepth) return Damage();
      Status st = TreePage(x, page, h);
      if (!st.ok()) return st;
      const PageView v = View(x, h);
      const PageSearch s = SearchPage(v, k, x.def.allowDups);
      const auto d = static_cast<std::size_t>(path.depth++);
      path.page[d] = page;
      if (s.match) {
        path.pos[d] = s.mid;
        path.onEntry = true;
        found = true;
        return Status::Ok();
      }
      path.pos[d] = s.hi;
      page = v.Child(s.hi);
    }
    return Status::Ok();
  }

  // From page down to the smallest (leftmost) or greatest entry of its
  // subtree, appending the levels to path.
  Status DescendEdge(Index& x, std::int32_t page, bool leftmost, Path& path, IndexEntry& out) {
    PageHandle h;
    for (;;) {
      if (path.depth == kMaxTreeDepth) return Damage();
      Status st = TreePage(x, page, h);
      if (!st.ok()) return st;
      const PageView v = View(x, h);
      // Only a page reachable twice in a damaged file can be empty here.
      if (v.Count() < 1) return Damage();
      const auto d = static_cast<std::size_t>(path.depth++);
      path.page[d] = page;
      if (v.Leaf()) {
        path.pos[d] = leftmost ? 1 : v.Count();
        path.onEntry = true;
        FillEntry(v.Entry(path.pos[d]), out);
        return Status::Ok();
      }
      path.pos[d] = leftmost ? 0 : v.Count();
      page = v.Child(path.pos[d]);
    }
  }

  Status StepNext(Index& x, Path& path, IndexEntry& out) {
    if (path.depth == 0) return Status::Error(err::kEndOfIndex);
    Path p = path;
    const auto last = static_cast<std::size_t>(p.depth - 1);
    PageHandle h;
    Status st = TreePage(x, p.page[last], h);
    if (!st.ok()) return st;
    const PageView v = View(x, h);
    const int pos = p.pos[last];
    if (pos < 0 || pos > v.Count()) return Damage();
    if (!v.Leaf()) {
      if (!p.onEntry || pos < 1) return Damage();
      const std::int32_t child = v.Right(pos);  // child pos
      h.Release();
      st = DescendEdge(x, child, true, p, out);
      if (!st.ok()) return st;
      path = p;
      return Status::Ok();
    }
    // On a leaf the next entry follows entry pos, on it or in the gap after it.
    if (pos + 1 <= v.Count()) {
      p.pos[last] = pos + 1;
      p.onEntry = true;
      FillEntry(v.Entry(pos + 1), out);
      path = p;
      return Status::Ok();
    }
    for (int level = p.depth - 2; level >= 0; --level) {
      const auto l = static_cast<std::size_t>(level);
      st = TreePage(x, p.page[l], h);
      if (!st.ok()) return st;
      const PageView u = View(x, h);
      const int c = p.pos[l];
      if (c < 0 || c > u.Count()) return Damage();
      if (c + 1 <= u.Count()) {
        p.depth = level + 1;
        p.pos[l] = c + 1;
        p.onEntry = true;
        FillEntry(u.Entry(c + 1), out);
        path = p;
        return Status::Ok();
      }
    }
    return Status::Error(err::kEndOfIndex);
  }

  Status StepPrev(Index& x, Path& path, IndexEntry& out) {
    if (path.depth == 0) return Status::Error(err::kStartOfIndex);
    Path p = path;
    const auto last = static_cast<std::size_t>(p.depth - 1);
    PageHandle h;
    Status st = TreePage(x, p.page[last], h);
    if (!st.ok()) return st;
    const PageView v = View(x, h);
    const int pos = p.pos[last];
    if (pos < 0 || pos > v.Count()) return Damage();
    if (!v.Leaf()) {
      if (!p.onEntry || pos < 1) return Damage();
      p.pos[last] = pos - 1;
      const std::int32_t child = v.Child(pos - 1);
      h.Release();
      st = DescendEdge(x, child, false, p, out);
      if (!st.ok()) return st;
      path = p;
      return Status::Ok();
    }
    const int prev = p.onEntry ? pos - 1 : pos;
    if (prev >= 1) {
      p.pos[last] = prev;
      p.onEntry = true;
      FillEntry(v.Entry(prev), out);
      path = p;
      return Status::Ok();
    }
    for (int level = p.depth - 2; level >= 0; --level) {
      const auto l = static_cast<std::size_t>(level);
      st = TreePage(x, p.page[l], h);
      if (!st.ok()) return st;
      const PageView u = View(x, h);
      const int c = p.pos[l];
      if (c < 0 || c > u.Count()) return Damage();
      if (c >= 1) {
        p.depth = level + 1;
        p.pos[l] = c;
        p.onEntry = true;
        FillEntry(u.Entry(c), out);
        path = p;
        return Status::Ok();
      }
    }
    return Status::Error(err::kStartOfIndex);
  }

  Status Step(Index& x, const IndexEntry& last, bool forward, IndexEntry& out) {
    if (x.cursorState == CursorState::kStale) {
      bool found = false;
      const SearchKey k{last.key.data(), static_cast<int>(last.key.size()), last.ref};
      Status st = Descend(x, k, x.cursor, found);
      if (!st.ok()) {
        x.cursorState = CursorState::kCleared;
        return st;
      }
      x.cursorState = CursorState::kValid;
    }
    if (x.cursorState == CursorState::kCleared) {
      if (x.root == 0) return Status::Error(forward ? err::kEndOfIndex : err::kStartOfIndex);
      Path p;
      Status st = DescendEdge(x, x.root, forward, p, out);
      if (!st.ok()) return st;
      x.cursor = p;
      x.cursorState = CursorState::kValid;
      return Status::Ok();
    }
    return forward ? StepNext(x, x.cursor, out) : StepPrev(x, x.cursor, out);
  }

  // ---- shared pieces of insertion and deletion ----

  std::uint8_t* Scratch(const Index& x, int i) {
    return scratch.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(x.entryBytes);
  }

  static void CopyEntries(const Index& x, std::uint8_t* to, const std::uint8_t* from, int n) {
    if (n > 0)
      std::memmove(to, from, static_cast<std::size_t>(n) * static_cast<std::size_t>(x.entryBytes));
  }

  // Scratch := entries of l, the separator (parent entry sep, its RightChild
  // replaced by r's LeftChild), entries of r. Returns the number.
  int Gather(const Index& x, const PageView& parent, int sep, const PageView& l,
             const PageView& r) {
    const int nl = l.Count();
    const int nr = r.Count();
    CopyEntries(x, Scratch(x, 0), l.Entry(1), nl);
    std::memcpy(Scratch(x, nl), parent.Entry(sep), static_cast<std::size_t>(x.entryBytes));
    StoreI32(Scratch(x, nl) + kEntryRight, r.Left());
    CopyEntries(x, Scratch(x, nl + 1), r.Entry(1), nr);
    return nl + 1 + nr;
  }

  void ScratchInsert(const Index& x, int& total, int at, const std::uint8_t* entry) {
    CopyEntries(x, Scratch(x, at + 1), Scratch(x, at), total - at);
    std::memcpy(Scratch(x, at), entry, static_cast<std::size_t>(x.entryBytes));
    ++total;
  }

  // Deals the scratch out again: leftCount entries to l, the next entry
  // becomes separator sep of the parent (its RightChild, page r, stays), the
  // rest goes to r with the separator's old RightChild as LeftChild.
  Status Scatter(const Index& x, PageView& parent, int sep, PageView& l, PageView& r, int total,
                 int leftCount) {
    const int rightCount = total - leftCount - 1;
    if (leftCount < 0 || leftCount > x.pageSize || rightCount < 0 || rightCount > x.pageSize) {
      return Damage();
    }
    const std::uint8_t* mid = Scratch(x, leftCount);
    CopyEntries(x, l.Entry(1), Scratch(x, 0), leftCount);
    l.SetCount(leftCount);
    std::uint8_t* s = parent.Entry(sep);
    std::memcpy(s, mid, 4);  // RecordRef
    std::memcpy(s + kEntryKeyLen, mid + kEntryKeyLen, static_cast<std::size_t>(x.keyLen) + 1);
    r.SetLeft(LoadI32(mid + kEntryRight));
    CopyEntries(x, r.Entry(1), Scratch(x, leftCount + 1), rightCount);
    r.SetCount(rightCount);
    return Status::Ok();
  }

  // The neighbour of path level L under its parent (pinned in plan.page[L-1]):
  // the right one unless L is the parent's last child.
  Status Neighbour(Index& x, const Path& path, Plan& plan, int level) {
    const auto l = static_cast<std::size_t>(level);
    const PageView parent = View(x, plan.page[l - 1]);
    const int c = path.pos[l - 1];
    const int pc = parent.Count();
    if (pc < 1 || c < 0 || c > pc) return Damage();
    const bool right = c < pc;
    const std::int32_t nbPage = parent.Child(right ? c + 1 : c - 1);
    if (nbPage == path.page[l]) return Damage();
    Status st = TreePage(x, nbPage, plan.nb[l]);
    if (!st.ok()) return st;
    if (View(x, plan.nb[l]).Leaf() != View(x, plan.page[l]).Leaf()) return Damage();
    plan.nbRight[l] = right;
    return Status::Ok();
  }

  // ---- insertion ----

  Status Insert(Index& x, Path& path, const std::uint8_t* entry) {
    Plan plan;
    int level = path.depth - 1;
    Status st = TreePage(x, path.page[static_cast<std::size_t>(level)],
                         plan.page[static_cast<std::size_t>(level)]);
    if (!st.ok()) return st;
    int need = 0;
    for (;;) {
      const auto l = static_cast<std::size_t>(level);
      if (View(x, plan.page[l]).Count() < x.pageSize) {
        plan.act[l] = Act::kInsert;
        break;
      }
      if (level == 0) {
        // A new root would make a ninth level, which no cursor can hold
        // (only reachable with the small page sizes of files written elsewhere).
        if (path.depth >= kMaxTreeDepth) return Damage();
        plan.act[l] = Act::kSplitRoot;
        need += 2;
        break;
      }
      st = TreePage(x, path.page[l - 1], plan.page[l - 1]);
      if (!st.ok()) return st;
      st = Neighbour(x, path, plan, level);
      if (!st.ok()) return st;
      if (View(x, plan.nb[l]).Count() < x.pageSize) {
        plan.act[l] = Act::kShare;
        break;
      }
      plan.act[l] = Act::kSplit;
      ++need;
      --level;
    }
    st = AllocPages(x, plan, need);
    if (!st.ok()) return st;

    std::array<std::uint8_t, kMaxEntryBytes> up{};
    std::memcpy(up.data(), entry, static_cast<std::size_t>(x.entryBytes));
    int fresh = 0;
    for (level = path.depth - 1; level >= 0; --level) {
      const auto l = static_cast<std::size_t>(level);
      PageView v = View(x, plan.page[l]);
      const int at = path.pos[l] + 1;  // position of the new entry on this page
      if (at < 1 || at > v.Count() + 1) return Damage();
      plan.page[l].MarkDirty();
      switch (plan.act[l]) {
        case Act::kInsert: {
          if (v.Count() >= x.pageSize) return Damage();
          CopyEntries(x, v.Entry(at + 1), v.Entry(at), v.Count() - at + 1);
          std::memcpy(v.Entry(at), up.data(), static_cast<std::size_t>(x.entryBytes));
          v.SetCount(v.Count() + 1);
          return Status::Ok();
        }
        case Act::kShare: {
          PageView parent = View(x, plan.page[l - 1]);
          PageView nb = View(x, plan.nb[l]);
          const bool right = plan.nbRight[l];
          const int c = path.pos[l - 1];
          PageView& lv = right ? v : nb;
          PageView& rv = right ? nb : v;
          const int sep = right ? c + 1 : c;
          int total = Gather(x, parent, sep, lv, rv);
          ScratchInsert(x, total, right ? at - 1 : nb.Count() + at, up.data());
          plan.page[l - 1].MarkDirty();
          plan.nb[l].MarkDirty();
          return Scatter(x, parent, sep, lv, rv, total, total / 2);
        }
        case Act::kSplit:
        case Act::kSplitRoot: {
          PageHandle& nh = plan.fresh[static_cast<std::size_t>(fresh++)];
          PageView nv = View(x, nh);
          int total = v.Count();
          const int keep = x.minFill;
          if (total < keep) return Damage();
          CopyEntries(x, Scratch(x, 0), v.Entry(1), total);
          ScratchInsert(x, total, at - 1, up.data());
          CopyEntries(x, v.Entry(1), Scratch(x, 0), keep);
          v.SetCount(keep);
          const std::uint8_t* mid = Scratch(x, keep);
          nv.SetLeft(LoadI32(mid + kEntryRight));
          CopyEntries(x, nv.Entry(1), Scratch(x, keep + 1), total - keep - 1);
          nv.SetCount(total - keep - 1);
          nh.MarkDirty();
          nh.SetChecked(true);
          std::memcpy(up.data(), mid, static_cast<std::size_t>(x.entryBytes));
          StoreI32(up.data() + kEntryRight, nh.page());
          if (plan.act[l] == Act::kSplitRoot) {
            PageHandle& rh = plan.fresh[static_cast<std::size_t>(fresh++)];
            PageView rv = View(x, rh);
            rv.SetLeft(path.page[0]);
            std::memcpy(rv.Entry(1), up.data(), static_cast<std::size_t>(x.entryBytes));
            rv.SetCount(1);
            rh.MarkDirty();
            rh.SetChecked(true);
            x.root = rh.page();
            return Status::Ok();
          }
          break;
        }
        default:
          return Damage();
      }
    }
    return Damage();  // a split needs a parent level
  }

  // ---- deletion ----

  Status Remove(Index& x, Path& path) {
    Plan plan;
    const int found = path.depth - 1;
    const auto f = static_cast<std::size_t>(found);
    const int foundPos = path.pos[f];
    Status st = TreePage(x, path.page[f], plan.page[f]);
    if (!st.ok()) return st;
    int leafLevel = found;
    int removeAt = foundPos;
    if (!View(x, plan.page[f]).Leaf()) {
      // An inner entry is replaced by its in-order predecessor, the last
      // entry of the rightmost leaf under child foundPos - 1.
      path.pos[f] = foundPos - 1;
      std::int32_t page = View(x, plan.page[f]).Child(foundPos - 1);
      for (;;) {
        if (path.depth == kMaxTreeDepth) return Damage();
        const auto d = static_cast<std::size_t>(path.depth);
        st = TreePage(x, page, plan.page[d]);
        if (!st.ok()) return st;
        const PageView v = View(x, plan.page[d]);
        path.page[d] = page;
        path.pos[d] = v.Count();
        ++path.depth;
        if (v.Leaf()) break;
        page = v.Child(v.Count());
      }
      leafLevel = path.depth - 1;
      removeAt = path.pos[static_cast<std::size_t>(leafLevel)];
    }

    int level = leafLevel;
    int count = View(x, plan.page[static_cast<std::size_t>(level)]).Count() - 1;
    for (;;) {
      const auto l = static_cast<std::size_t>(level);
      if (level == 0) {
        plan.act[0] = count == 0 ? Act::kCollapse : Act::kNone;
        break;
      }
      if (count >= x.minFill) {
        plan.act[l] = Act::kNone;
        break;
      }
      if (!plan.page[l - 1]) {
        st = TreePage(x, path.page[l - 1], plan.page[l - 1]);
        if (!st.ok()) return st;
      }
      st = Neighbour(x, path, plan, level);
      if (!st.ok()) return st;
      const int m = View(x, plan.nb[l]).Count();
      const int k = (m - x.minFill + 1) / 2;
      if (k > 0) {
        plan.act[l] = Act::kRotate;
        plan.move[l] = k;
        break;
      }
      // k <= 0: the neighbour has at most minFill entries, so both pages and
      // the separator fit on one page (a negative k only comes from pages
      // below the fill limit written elsewhere).
      plan.act[l] = Act::kMerge;
      count = View(x, plan.page[l - 1]).Count() - 1;
      --level;
    }

    const auto leaf = static_cast<std::size_t>(leafLevel);
    PageView lv = View(x, plan.page[leaf]);
    if (removeAt < 1 || removeAt > lv.Count()) return Damage();
    if (leafLevel != found) {
      PageView fv = View(x, plan.page[f]);
      if (foundPos < 1 || foundPos > fv.Count()) return Damage();
      std::uint8_t* to = fv.Entry(foundPos);
      const std::uint8_t* from = lv.Entry(removeAt);
      std::memcpy(to, from, 4);
      std::memcpy(to + kEntryKeyLen, from + kEntryKeyLen, static_cast<std::size_t>(x.keyLen) + 1);
      plan.page[f].MarkDirty();
    }
    CopyEntries(x, lv.Entry(removeAt), lv.Entry(removeAt + 1), lv.Count() - removeAt);
    lv.SetCount(lv.Count() - 1);
    plan.page[leaf].MarkDirty();

    for (level = leafLevel; level >= 0; --level) {
      const auto l = static_cast<std::size_t>(level);
      switch (plan.act[l]) {
        case Act::kNone:
          return Status::Ok();
        case Act::kCollapse: {
          const PageView rv = View(x, plan.page[0]);
          if (rv.Count() != 0) return Damage();
          x.root = rv.Left();
          FreePage(x, plan.page[0]);
          return Status::Ok();
        }
        case Act::kRotate:
        case Act::kMerge: {
          PageView parent = View(x, plan.page[l - 1]);
          PageView v = View(x, plan.page[l]);
          PageView nb = View(x, plan.nb[l]);
          const bool right = plan.nbRight[l];
          const int c = path.pos[l - 1];
          PageView& left = right ? v : nb;
          PageView& rightPage = right ? nb : v;
          PageHandle& rightHandle = right ? plan.nb[l] : plan.page[l];
          const int sep = right ? c + 1 : c;
          const int total = Gather(x, parent, sep, left, rightPage);
          plan.page[l - 1].MarkDirty();
          plan.page[l].MarkDirty();
          plan.nb[l].MarkDirty();
          if (plan.act[l] == Act::kRotate) {
            const int k = plan.move[l];
            const int leftCount = right ? v.Count() + k : nb.Count() - k;
            return Scatter(x, parent, sep, left, rightPage, total, leftCount);
          }
          if (total > x.pageSize || sep < 1 || sep > parent.Count()) return Damage();
          CopyEntries(x, left.Entry(1), Scratch(x, 0), total);
          left.SetCount(total);
          CopyEntries(x, parent.Entry(sep), parent.Entry(sep + 1), parent.Count() - sep);
          parent.SetCount(parent.Count() - 1);
          FreePage(x, rightHandle);
          break;
        }
        default:
          return Damage();
      }
    }
    return Status::Ok();
  }

  // ---- header I/O ----

  static void PutHeaderFields(Index& x) { PutHeaderFields(x, x.header.data()); }
  static void PutHeaderFields(const Index& x, std::uint8_t* h) {
    StoreI32(h + kHdrFirstFree, x.firstFree);
    StoreI32(h + kHdrNumberFree, x.numberFree);
    StoreI32(h + kHdrNumPages, x.numPages);
    StoreI32(h + kHdrRoot, x.root);
    StoreI32(h + kHdrKeyCount, x.keyCount);
  }

  void Reset() {
    file.Close();
    indexes.clear();
    open = false;
    dirty = false;
    rowSize = 0;
    rows = 0;
    headerRow.clear();
    headersUncertain = false;
  }
};

namespace {

Status CheckDefs(std::span<const IndexDef> defs) {
  if (defs.empty()) return Status::Error(err::kIndexNumberRange);
  if (defs.size() > static_cast<std::size_t>(kMaxIndexes))
    return Status::Error(err::kTooManyIndexes);
  for (const IndexDef& d : defs) {
    if (d.keyLen < 1) return Status::Error(err::kKeyLenZero);
    if (d.keyLen > kMaxKeyLen) return Status::Error(err::kKeyLenAbove50);
  }
  return Status::Ok();
}

// Key length that a stored PageBytes / PageSize pair describes, or the
// header error code.
int KeyLenOfHeader(std::int32_t pageBytes, int pageSize, int& keyLen) {
  const std::int64_t body = static_cast<std::int64_t>(pageBytes) - 6;
  if (body % pageSize != 0) return err::kIndexHeaderKeyLen;
  const std::int64_t kl = body / pageSize - kEntryOverhead;
  if (kl < 1 || kl > kMaxKeyLen) return err::kIndexHeaderKeyLenRange;
  keyLen = static_cast<int>(kl);
  return 0;
}

// Whether the n bytes at the end of row 0 (as the definitions see it) start
// with one more index header: a plausible header followed by zero bytes up
// to the end of its slot. Page 1 of index 1, which lies there when the file
// fits the definitions, cannot look like that (its PageBytes field would be
// zero or hold key bytes).
bool LooksLikeHeader(const std::uint8_t* h, std::size_t n) {
  int pageSize = LoadU16(h + kHdrPageSize);
  if (pageSize == 0) pageSize = kPageSize;
  if (pageSize < kMinStoredPageSize || pageSize > kPageSize) return false;
  int keyLen = 0;
  if (KeyLenOfHeader(LoadI32(h + kHdrPageBytes), pageSize, keyLen) != 0) return false;
  if (h[kHdrAllowDups] > 1 || LoadI32(h + kHdrNumPages) < 0 || LoadI32(h + kHdrRoot) < 0)
    return false;
  const std::int32_t firstFree = LoadI32(h + kHdrFirstFree);
  if (firstFree == 0 || firstFree < -1) return false;
  const std::size_t end =
      std::min<std::size_t>(n, static_cast<std::size_t>(LoadI32(h + kHdrPageBytes)));
  return std::all_of(h + kIndexHeaderBytes, h + end, [](std::uint8_t b) { return b == 0; });
}

}  // namespace

// ---- IndexFile ----

IndexFile::IndexFile(PageCache& cache) : impl_(std::make_unique<Impl>(cache)) {}

IndexFile::~IndexFile() {
  if (impl_->open) {
    if (!Close().ok()) {
      impl_->cache.DropOwner(impl_->owner);
      impl_->Reset();
    }
  }
}

bool IndexFile::IsOpen() const {
  return impl_->open;
}
bool IndexFile::Dirty() const {
  return impl_->open && impl_->dirty;
}
int IndexFile::IndexCount() const {
  return static_cast<int>(impl_->indexes.size());
}

const IndexDef& IndexFile::Def(int index) const {
  if (index < 1 || index > IndexCount()) return kNoDef;
  return impl_->indexes[static_cast<std::size_t>(index - 1)].def;
}

std::int32_t IndexFile::KeyCount(int index) const {
  if (index < 1 || index > IndexCount()) return -1;
  return impl_->indexes[static_cast<std::size_t>(index - 1)].keyCount;
}

std::uint64_t IndexFile::RowSize() const {
  return impl_->rowSize;
}

std::uint64_t IndexFile::SlotOffset(int index) const {
  if (index < 1 || index > IndexCount()) return 0;
  return impl_->indexes[static_cast<std::size_t>(index - 1)].slotOffset;
}

Status IndexFile::Create(const std::filesystem::path& path, std::span<const IndexDef> defs) {
  Status st = Close();
  if (!st.ok()) return st;
  st = CheckDefs(defs);
  if (!st.ok()) return st;
  Impl& m = *impl_;
  std::uint64_t offset = 0;
  for (const IndexDef& d : defs) {
    Impl::Index x;
    x.def = d;
    x.keyLen = d.keyLen;
    x.entryBytes = d.keyLen + kEntryOverhead;
    x.pageBytes = PageBytesFor(d.keyLen);
    x.slotOffset = offset;
    x.chainChecked = true;
    std::uint8_t* h = x.header.data();
    StoreI32(h + kHdrPageBytes, x.pageBytes);
    h[kHdrAllowDups] = static_cast<std::uint8_t>(d.allowDups ? 1 : 0);
    StoreU16(h + kHdrPageSize, kPageSize);
    Impl::PutHeaderFields(x);
    offset += static_cast<std::uint64_t>(x.pageBytes);
    m.indexes.push_back(x);
  }
  m.rowSize = offset;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(m.rowSize), 0);
  for (const Impl::Index& x : m.indexes) {
    std::memcpy(row.data() + x.slotOffset, x.header.data(), x.header.size());
  }
  st = m.file.Create(path);
  if (st.ok()) st = m.file.WriteAt(row.data(), row.size(), 0);
  if (!st.ok()) {
    m.Reset();
    return st;
  }
  m.rows = 1;
  const Impl::Index& lastIndex = m.indexes.back();
  m.headerRow.assign(row.begin(),
                     row.begin() + static_cast<std::ptrdiff_t>(lastIndex.slotOffset + kIndexHeaderBytes));
  m.owner = m.cache.NewOwner();
  m.open = true;
  return Status::Ok();
}

Status IndexFile::Open(const std::filesystem::path& path, std::span<const IndexDef> defs) {
  Status st = Close();
  if (!st.ok()) return st;
  st = CheckDefs(defs);
  if (!st.ok()) return st;
  Impl& m = *impl_;
  auto fail = [&m](int code) {
    m.Reset();
    return Status::Error(code);
  };
  st = m.file.Open(path);
  if (!st.ok()) {
    m.Reset();
    return st;
  }
  std::uint64_t size = 0;
  st = m.file.Size(size);
  if (!st.ok()) {
    m.Reset();
    return st;
  }
  std::uint64_t offset = 0;
  for (std::size_t k = 0; k < defs.size(); ++k) {
    Impl::Index x;
    if (offset + kIndexHeaderBytes > size) {
      // A file that ends exactly after the headers of fewer indexes.
      return fail(k > 0 && offset == size ? err::kDefinitionDiffers : err::kShortRead);
    }
    st = m.file.ReadAt(x.header.data(), x.header.size(), offset);
    if (!st.ok()) {
      m.Reset();
      return st;
    }
    const std::uint8_t* h = x.header.data();
    int pageSize = LoadU16(h + kHdrPageSize);
    if (pageSize == 0) pageSize = kPageSize;
    if (pageSize > kPageSize || pageSize < kMinStoredPageSize)
      return fail(err::kIndexHeaderPageSize);
    const std::int32_t pageBytes = LoadI32(h + kHdrPageBytes);
    int keyLen = 0;
    if (const int code = KeyLenOfHeader(pageBytes, pageSize, keyLen); code != 0) return fail(code);
    const std::uint8_t dups = h[kHdrAllowDups];
    if (keyLen != defs[k].keyLen || dups > 1 || (dups == 1) != defs[k].allowDups) {
      return fail(err::kDefinitionDiffers);
    }
    x.def = defs[k];
    x.keyLen = keyLen;
    x.pageSize = pageSize;
    x.minFill = pageSize / 2;
    x.entryBytes = keyLen + kEntryOverhead;
    x.pageBytes = pageBytes;
    x.slotOffset = offset;
    x.firstFree = LoadI32(h + kHdrFirstFree);
    x.numberFree = LoadI32(h + kHdrNumberFree);
    x.numPages = LoadI32(h + kHdrNumPages);
    x.root = LoadI32(h + kHdrRoot);
    x.keyCount = LoadI32(h + kHdrKeyCount);
    offset += static_cast<std::uint64_t>(pageBytes);
    m.indexes.push_back(x);
  }
  m.rowSize = offset;
  if (size < m.rowSize) return fail(err::kShortRead);
  if (size >= m.rowSize + kIndexHeaderBytes) {
    std::array<std::uint8_t, 256> probe{};
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(probe.size(), size - m.rowSize));
    st = m.file.ReadAt(probe.data(), n, m.rowSize);
    if (!st.ok()) {
      m.Reset();
      return st;
    }
    if (LooksLikeHeader(probe.data(), n)) {
      return fail(err::kDefinitionDiffers);
    }
  }
  m.rows = size / m.rowSize;
  m.headerRow.resize(static_cast<std::size_t>(m.indexes.back().slotOffset + kIndexHeaderBytes));
  st = m.file.ReadAt(m.headerRow.data(), m.headerRow.size(), 0);
  if (!st.ok()) {
    m.Reset();
    return st;
  }
  for (const Impl::Index& x : m.indexes) {
    // Every page of an index lies in a row of the file.
    if (x.numPages < 0 || static_cast<std::uint64_t>(x.numPages) >= m.rows)
      return fail(err::kShortRead);
    if (x.root < 0 || x.root > x.numPages || x.keyCount < 0) return fail(err::kShortRead);
    if (x.numberFree < 0 || x.numberFree > x.numPages) return fail(err::kFreeChainDamaged);
    if (x.firstFree == -1 ? x.numberFree != 0 : (x.firstFree < 1 || x.firstFree > x.numPages)) {
      return fail(err::kFreeChainDamaged);
    }
  }
  m.owner = m.cache.NewOwner();
  m.open = true;
  m.dirty = false;
  return Status::Ok();
}

Status IndexFile::Flush(bool sync) {
  Impl& m = *impl_;
  if (!m.open) return Status::Ok();
  Status st = m.cache.FlushOwner(m.owner);
  if (!st.ok()) return st;
  // The headers whose bytes differ from the disk's, in one write.
  std::size_t from = m.headerRow.size();
  std::size_t to = 0;
  for (Impl::Index& x : m.indexes) {
    if (!x.headerDirty) continue;
    std::uint8_t* h = m.headerRow.data() + x.slotOffset;
    Impl::PutHeaderFields(x, h);
    if (!m.headersUncertain && std::memcmp(h, x.header.data(), x.header.size()) == 0) {
      x.headerDirty = false;
      continue;
    }
    from = std::min(from, static_cast<std::size_t>(x.slotOffset));
    to = std::max(to, static_cast<std::size_t>(x.slotOffset) + x.header.size());
  }
  if (from < to) {
    st = m.file.WriteAt(m.headerRow.data() + from, to - from, from);
    m.headersUncertain = !st.ok();
    if (!st.ok()) return st;
    for (Impl::Index& x : m.indexes) {
      if (!x.headerDirty) continue;
      std::memcpy(x.header.data(), m.headerRow.data() + x.slotOffset, x.header.size());
      x.headerDirty = false;
    }
  }
  if (sync && m.file.WrittenSinceSync()) {
    st = m.file.Sync();
    if (!st.ok()) return st;
  }
  m.dirty = false;
  return Status::Ok();
}

Status IndexFile::Close() {
  Impl& m = *impl_;
  if (!m.open) return Status::Ok();
  Status st = Flush(true);
  if (!st.ok()) return st;  // still open: the caller may try again
  m.cache.DropOwner(m.owner);
  m.Reset();
  return Status::Ok();
}

Status IndexFile::AddKey(int index, RecordRef ref, const KeyString& key) {
  Impl::Index* x = nullptr;
  Status st = impl_->Lookup(index, x);
  if (!st.ok()) return st;
  if (static_cast<int>(key.size()) > x->keyLen) return Status::Error(err::kKeyTooLong);
  Path path;
  bool found = false;
  st = impl_->Descend(*x, {key.data(), static_cast<int>(key.size()), ref}, path, found);
  if (!st.ok()) return st;
  if (found) return Status::Error(err::kKeyExists);

  std::array<std::uint8_t, kMaxEntryBytes> entry{};
  StoreI32(entry.data(), ref);
  entry[kEntryKeyLen] = static_cast<std::uint8_t>(key.size());
  if (!key.empty()) std::memcpy(entry.data() + kEntryKey, key.data(), key.size());

  if (path.depth == 0) {  // empty index: the entry becomes a root leaf
    Plan plan;
    st = impl_->AllocPages(*x, plan, 1);
    if (!st.ok()) return st;
    PageHandle& h = plan.fresh[0];
    PageView v = impl_->View(*x, h);
    std::memcpy(v.Entry(1), entry.data(), static_cast<std::size_t>(x->entryBytes));
    v.SetCount(1);
    h.MarkDirty();
    h.SetChecked(true);
    x->root = h.page();
  } else {
    st = impl_->Insert(*x, path, entry.data());
    if (!st.ok()) return st;
  }
  ++x->keyCount;
  impl_->Changed(*x);
  return Status::Ok();
}

Status IndexFile::DeleteKey(int index, RecordRef ref, const KeyString& key) {
  Impl::Index* x = nullptr;
  Status st = impl_->Lookup(index, x);
  if (!st.ok()) return st;
  Path path;
  bool found = false;
  st = impl_->Descend(*x, {key.data(), static_cast<int>(key.size()), ref}, path, found);
  if (!st.ok()) return st;
  if (!found) return Status::Error(err::kDeleteKeyAbsent);
  st = impl_->Remove(*x, path);
  if (!st.ok()) return st;
  --x->keyCount;
  impl_->Changed(*x);
  return Status::Ok();
}

Status IndexFile::Seek(int index, const KeyString& key, RecordRef ref, bool& found) {
  found = false;
  Impl::Index* x = nullptr;
  Status st = impl_->Lookup(index, x);
  if (!st.ok()) return st;
  st = impl_->Descend(*x, {key.data(), static_cast<int>(key.size()), ref}, x->cursor, found);
  x->cursorState = st.ok() ? CursorState::kValid : CursorState::kCleared;
  return st;
}

Status IndexFile::Next(int index, const IndexEntry& last, IndexEntry& out) {
  Impl::Index* x = nullptr;
  Status st = impl_->Lookup(index, x);
  if (!st.ok()) return st;
  return impl_->Step(*x, last, true, out);
}

Status IndexFile::Prev(int index, const IndexEntry& last, IndexEntry& out) {
  Impl::Index* x = nullptr;
  Status st = impl_->Lookup(index, x);
  if (!st.ok()) return st;
  return impl_->Step(*x, last, false, out);
}

Status IndexFile::Current(int index, IndexEntry& out) {
  Impl::Index* x = nullptr;
  Status st = impl_->Lookup(index, x);
  if (!st.ok()) return st;
  const Path& p = x->cursor;
  if (x->cursorState != CursorState::kValid || p.depth == 0 || !p.onEntry) {
    return Status::Error(err::kKeyNotFound);
  }
  const auto last = static_cast<std::size_t>(p.depth - 1);
  PageHandle h;
  st = impl_->TreePage(*x, p.page[last], h);
  if (!st.ok()) return st;
  const PageView v = impl_->View(*x, h);
  if (p.pos[last] < 1 || p.pos[last] > v.Count()) return Damage();
  FillEntry(v.Entry(p.pos[last]), out);
  return Status::Ok();
}

void IndexFile::ClearCursor(int index) {
  Impl::Index* x = nullptr;
  if (impl_->Lookup(index, x).ok()) x->cursorState = CursorState::kCleared;
}

Status IndexFile::KeyPosition(int index, RecordRef ref, const KeyString& key, int n,
                              int& position) {
  position = 0;
  Impl::Index* x = nullptr;
  Status st = impl_->Lookup(index, x);
  if (!st.ok()) return st;
  if (n <= 0) return Status::Error(err::kKeyPositionScale);
  if (x->root == 0) return Status::Error(err::kKeyPositionEmpty);
  const SearchKey k{key.data(), static_cast<int>(key.size()), ref};
  const std::int64_t e = x->pageSize - x->pageSize / 4;  // entries of a typical page
  PageHandle h;
  st = impl_->TreePage(*x, x->root, h);
  if (!st.ok()) return st;
  const PageView rootView = impl_->View(*x, h);
  const std::int64_t rootCount = rootView.Count();
  const PageSearch rs = SearchPage(rootView, k, x->def.allowDups);
  const std::int64_t r = rs.Smaller();
  std::int64_t c = 0;
  std::int64_t childCount = e;
  if (!rootView.Leaf()) {
    const std::int32_t child = rootView.Child(static_cast<int>(r));
    st = impl_->TreePage(*x, child, h);
    if (!st.ok()) return st;
    const PageView cv = impl_->View(*x, h);
    childCount = cv.Count();
    if (childCount < 1) return Damage();
    c = SearchPage(cv, k, x->def.allowDups).Smaller();
  }
  std::int64_t mPos = 1;
  if (!(c == 1 && r == 0)) {
    const std::int64_t o = c * (e + 1) * 2 / childCount;
    mPos = o + r * (e + 1) - o / 2;
  }
  const std::int64_t result =
      mPos * (static_cast<std::int64_t>(n) + 1) / ((e + 1) * (rootCount + 1));
  position = static_cast<int>(std::min<std::int64_t>(result, n));
  return Status::Ok();
}

Status IndexFile::KeyAtPosition(int index, int a, int n, IndexEntry& out) {
  out = IndexEntry{};
  Impl::Index* x = nullptr;
  Status st = impl_->Lookup(index, x);
  if (!st.ok()) return st;
  if (n <= 0 || a < 0 || a > n) return Status::Error(err::kKeyAtPositionScale);
  if (x->root == 0) return Status::Error(err::kKeyAtPositionEmpty);
  PageHandle h;
  st = impl_->TreePage(*x, x->root, h);
  if (!st.ok()) return st;
  const PageView rootView = impl_->View(*x, h);
  if (rootView.Count() < 1) return Damage();
  const std::int64_t e = rootView.Leaf() ? 0 : x->pageSize - x->pageSize / 4;
  const std::int64_t f = (e + 1) * (rootView.Count() + 1);
  const std::int64_t fn = f / n;
  std::int64_t t =
      fn + static_cast<std::int64_t>(a) * f / (static_cast<std::int64_t>(n) + 1) - fn / 2;
  t = std::min(t, f - 1);
  const auto g = static_cast<int>(t / (e + 1));
  const std::int64_t hPos = t % (e + 1);
  if (hPos == 0) {
    if (g > 0) FillEntry(rootView.Entry(g), out);
    return Status::Ok();
  }
  const std::int32_t child = rootView.Child(g);
  PageHandle ch;
  st = impl_->TreePage(*x, child, ch);
  if (!st.ok()) return st;
  const PageView cv = impl_->View(*x, ch);
  const std::int64_t o = cv.Count();
  if (o < 1) return Damage();
  std::int64_t w = 2;
  if (!(hPos == 2 && g == 0)) {
    const std::int64_t q = hPos * o * 2 / e;
    w = q - q / 2;
  }
  w = std::clamp<std::int64_t>(w, 1, o);  // a child with a single entry has no entry 2
  FillEntry(cv.Entry(static_cast<int>(w)), out);
  return Status::Ok();
}

Status IndexFile::LastWithPrefix(int index, const KeyString& prefix, IndexEntry& out) {
  out = IndexEntry{};
  Impl::Index* x = nullptr;
  Status st = impl_->Lookup(index, x);
  if (!st.ok()) return st;
  if (static_cast<int>(prefix.size()) > x->keyLen) return Status::Error(err::kKeyNotFound);
  // Search backwards from the prefix padded with 0xFF to 50 bytes and the
  // largest RecordRef; the cursor of the index is left alone.
  std::array<std::uint8_t, kMaxKeyLen> probe;
  probe.fill(0xFF);
  if (!prefix.empty()) std::memcpy(probe.data(), prefix.data(), prefix.size());
  Path path;
  bool found = false;
  st = impl_->Descend(*x, {probe.data(), kMaxKeyLen, std::numeric_limits<RecordRef>::max()}, path,
                      found);
  if (!st.ok()) return st;
  if (found) {
    PageHandle h;
    const auto last = static_cast<std::size_t>(path.depth - 1);
    st = impl_->TreePage(*x, path.page[last], h);
    if (!st.ok()) return st;
    FillEntry(impl_->View(*x, h).Entry(path.pos[last]), out);
  } else {
    st = impl_->StepPrev(*x, path, out);
    if (st.code == err::kStartOfIndex) return Status::Error(err::kKeyNotFound);
    if (!st.ok()) return st;
  }
  if (out.key.view().substr(0, prefix.size()) != prefix.view()) {
    out = IndexEntry{};
    return Status::Error(err::kKeyNotFound);
  }
  return Status::Ok();
}

Status IndexFile::BulkLoad(int index, std::span<const IndexEntry> sortedEntries) {
  Impl::Index* xp = nullptr;
  Status st = impl_->Lookup(index, xp);
  if (!st.ok()) return st;
  Impl::Index& x = *xp;
  if (x.keyCount != 0 || x.root != 0) return Status::Error(err::kKeyExists);
  if (sortedEntries.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return Status::Error(err::kKeyExists);
  }
  for (std::size_t i = 0; i < sortedEntries.size(); ++i) {
    const IndexEntry& e = sortedEntries[i];
    if (static_cast<int>(e.key.size()) > x.keyLen) return Status::Error(err::kKeyTooLong);
    if (i == 0) continue;
    const IndexEntry& p = sortedEntries[i - 1];
    const auto c = p.key <=> e.key;
    const bool ascending = c < 0 || (c == 0 && x.def.allowDups && p.ref < e.ref);
    if (!ascending) return Status::Error(err::kKeyExists);
  }
  if (sortedEntries.empty()) return Status::Ok();

  // Level by level from the leaves: N entries of a level fill
  // L = ceil((N + 1) / (PageSize + 1)) pages, with a separator between each
  // two; they differ by at most one entry, so every page holds between
  // PageSize / 2 and PageSize (one page: the root). The separators, with
  // the page after them as RightChild, are the entries of the next level.
  struct Item {
    const std::uint8_t* key;
    int len;
    RecordRef ref;
    std::int32_t right;
  };
  std::vector<Item> level;
  level.reserve(sortedEntries.size());
  for (const IndexEntry& e : sortedEntries) {
    level.push_back({e.key.data(), static_cast<int>(e.key.size()), e.ref, 0});
  }
  std::vector<Item> next;
  std::int32_t firstChild = 0;
  const std::int64_t pageSize = x.pageSize;
  for (int depth = 1;; ++depth) {
    if (depth > kMaxTreeDepth) return Damage();
    const auto n = static_cast<std::int64_t>(level.size());
    const std::int64_t pages = (n + 1 + pageSize) / (pageSize + 1);
    const std::int64_t onPages = n - (pages - 1);
    const std::int64_t base = onPages / pages;
    const std::int64_t extra = onPages % pages;
    next.clear();
    std::size_t i = 0;
    std::int32_t left = firstChild;
    std::int32_t firstPage = 0;
    for (std::int64_t pg = 0; pg < pages; ++pg) {
      PageHandle h;
      bool atEnd = false;
      st = impl_->AllocPage(x, h, atEnd);
      if (!st.ok()) return st;
      if (pg == 0)
        firstPage = h.page();
      else
        next.back().right = h.page();
      PageView v = impl_->View(x, h);
      const auto count = static_cast<int>(base + (pg < extra ? 1 : 0));
      v.SetLeft(left);
      for (int j = 1; j <= count; ++j, ++i) {
        const Item& it = level[i];
        std::uint8_t* e = v.Entry(j);
        StoreI32(e, it.ref);
        StoreI32(e + kEntryRight, it.right);
        e[kEntryKeyLen] = static_cast<std::uint8_t>(it.len);
        if (it.len > 0) std::memcpy(e + kEntryKey, it.key, static_cast<std::size_t>(it.len));
      }
      v.SetCount(count);
      h.MarkDirty();
      h.SetChecked(true);
      if (pg + 1 < pages) {
        const Item& sep = level[i++];
        left = sep.right;
        next.push_back({sep.key, sep.len, sep.ref, 0});
      }
    }
    if (pages == 1) {
      x.root = firstPage;
      break;
    }
    firstChild = firstPage;
    level.swap(next);
  }
  x.keyCount = static_cast<std::int32_t>(sortedEntries.size());
  impl_->Changed(x);
  return Status::Ok();
}

bool IndexFile::CheckIndex(int index, const std::function<bool(RecordRef)>& isLiveRecord,
                           std::string& problem) {
  problem.clear();
  Impl::Index* xp = nullptr;
  if (!impl_->Lookup(index, xp).ok()) {
    problem = "index " + std::to_string(index) + " is not open";
    return false;
  }
  Impl::Index& x = *xp;
  Impl& m = *impl_;
  const auto numPages = static_cast<std::size_t>(std::max(x.numPages, 0));
  enum : std::uint8_t { kUnseen, kInTree, kFree };
  std::vector<std::uint8_t> seen(numPages + 1, kUnseen);
  std::array<std::uint8_t, kMaxEntryBytes> prev{};
  bool havePrev = false;
  std::int64_t entries = 0;
  int leafDepth = -1;
  auto say = [&problem](const std::string& text) {
    problem = text;
    return false;
  };

  // In-order walk; every page is pinned only while its subtree is walked.
  std::function<bool(std::int32_t, int)> walk = [&](std::int32_t page, int depth) -> bool {
    const std::string where = "page " + std::to_string(page);
    if (depth >= kMaxTreeDepth) return say("tree deeper than 8 levels at " + where);
    if (page < 1 || page > x.numPages)
      return say("child page " + std::to_string(page) + " out of range");
    if (seen[static_cast<std::size_t>(page)] != kUnseen) return say(where + " reached twice");
    seen[static_cast<std::size_t>(page)] = kInTree;
    PageHandle h;
    Status st = m.cache.Get(m.Where(x, page), h);
    if (!st.ok()) return say(where + ": read error " + std::to_string(st.code));
    if (const char* why = Impl::PageProblem(x, h.data())) return say(where + ": " + why);
    h.SetChecked(true);
    const PageView v = m.View(x, h);
    const int count = v.Count();
    if (depth > 0 && count < x.minFill) {
      return say(where + " holds " + std::to_string(count) + " entries, fewer than " +
                 std::to_string(x.minFill));
    }
    if (v.Leaf()) {
      if (leafDepth < 0) leafDepth = depth;
      if (leafDepth != depth) return say(where + ": leaves at different depths");
    }
    for (int c = 0; c <= count; ++c) {
      if (!v.Leaf() && !walk(v.Child(c), depth + 1)) return false;
      if (c == count) break;
      const std::uint8_t* e = v.Entry(c + 1);
      if (havePrev) {
        const SearchKey k{prev.data() + kEntryKey, prev[kEntryKeyLen], LoadI32(prev.data())};
        if (CompareEntry(k, e, x.def.allowDups) >= 0) {
          return say(where + " entry " + std::to_string(c + 1) + " out of order");
        }
      }
      std::memcpy(prev.data(), e, static_cast<std::size_t>(x.entryBytes));
      havePrev = true;
      ++entries;
      if (isLiveRecord && !isLiveRecord(LoadI32(e))) {
        return say(where + " entry " + std::to_string(c + 1) + ": record " +
                   std::to_string(LoadI32(e)) + " is not live");
      }
    }
    return true;
  };

  if (x.root != 0 && !walk(x.root, 0)) return false;
  if (entries != x.keyCount) {
    return say("KeyCount " + std::to_string(x.keyCount) + " but " + std::to_string(entries) +
               " entries in the tree");
  }
  std::int32_t cur = x.firstFree;
  std::int32_t chain = 0;
  while (cur != -1) {
    if (cur < 1 || cur > x.numPages)
      return say("free chain link " + std::to_string(cur) + " out of range");
    const auto c = static_cast<std::size_t>(cur);
    if (seen[c] == kInTree) return say("free page " + std::to_string(cur) + " is in the tree");
    if (seen[c] == kFree) return say("free page " + std::to_string(cur) + " twice in the chain");
    seen[c] = kFree;
    ++chain;
    Status st = m.ReadLink(x, cur, cur);
    if (!st.ok()) return say("free chain: read error " + std::to_string(st.code));
  }
  if (chain != x.numberFree) {
    return say("free chain holds " + std::to_string(chain) + " pages, NumberFree is " +
               std::to_string(x.numberFree));
  }
  for (std::size_t pg = 1; pg <= numPages; ++pg) {
    if (seen[pg] == kUnseen)
      return say("page " + std::to_string(pg) + " neither in the tree nor free");
  }
  return true;
}

}  // namespace korv
