// Tests of the B-tree index file and the shared page cache: file bytes
// against the documented layout, tree shapes, cursor semantics, the scroll
// bar estimates, randomized operations against a std::set model, and
// damaged files.
#include "storage/index_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "storage/page_cache.h"

namespace korv {
namespace {

namespace fs = std::filesystem;
using Bytes8 = std::vector<std::uint8_t>;

// ---- helpers ----

fs::path MakeTempDir() {
  std::string pattern = (fs::temp_directory_path() / "korv-ix-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  return made != nullptr ? fs::path(made) : fs::path();
}

Bytes8 ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& p, const Bytes8& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::int32_t I32(const Bytes8& b, std::size_t at) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b.at(at)) |
                                   (static_cast<std::uint32_t>(b.at(at + 1)) << 8) |
                                   (static_cast<std::uint32_t>(b.at(at + 2)) << 16) |
                                   (static_cast<std::uint32_t>(b.at(at + 3)) << 24));
}
int U16(const Bytes8& b, std::size_t at) {
  return b.at(at) | (b.at(at + 1) << 8);
}
void PutI32(Bytes8& b, std::size_t at, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (std::size_t i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(u >> (8 * i));
}
void PutU16(Bytes8& b, std::size_t at, int v) {
  b.at(at) = static_cast<std::uint8_t>(v);
  b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

// Header field offsets (inside a header) and page layout.
constexpr std::size_t kFirstFree = 0, kNumberFree = 4, kNumPages = 8, kPageBytes = 12, kRoot = 16,
                      kAllowDups = 20, kKeyCountAt = 21, kPageSizeAt = 25, kReserved = 27;

// Reads page `page` of an index from the file bytes.
struct DiskPage {
  int count = 0;
  std::int32_t left = 0;
  std::vector<std::int32_t> refs, rights;
  std::vector<std::string> keys;
};
DiskPage ReadPage(const Bytes8& file, std::uint64_t rowSize, std::uint64_t slot, int keyLen,
                  std::int32_t page) {
  DiskPage p;
  const std::size_t at =
      static_cast<std::size_t>(static_cast<std::uint64_t>(page) * rowSize + slot);
  p.count = U16(file, at);
  p.left = I32(file, at + 2);
  const auto eb = static_cast<std::size_t>(keyLen + 9);
  for (int i = 0; i < p.count && i < kPageSize; ++i) {
    const std::size_t e = at + 6 + static_cast<std::size_t>(i) * eb;
    p.refs.push_back(I32(file, e));
    p.rights.push_back(I32(file, e + 4));
    const std::size_t len = file.at(e + 8);
    p.keys.emplace_back(reinterpret_cast<const char*>(file.data() + e + 9), len);
  }
  return p;
}

KeyString K(std::string_view s) {
  return KeyString(s);
}

std::string Key3(int i) {  // "K00".."K99"
  char buf[8];
  std::snprintf(buf, sizeof buf, "K%02d", i);
  return buf;
}

struct Entry {
  std::string key;
  RecordRef ref;
  friend bool operator==(const Entry&, const Entry&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Entry& e) {
    os << '(';
    for (unsigned char c : e.key) {
      if (c >= 0x20 && c < 0x7F)
        os << c;
      else
        os << "\\x" << std::hex << int(c) << std::dec;
    }
    return os << ", " << e.ref << ')';
  }
};

Entry ToEntry(const IndexEntry& e) {
  return {e.key.str(), e.ref};
}

// Steps the cursor from a cleared state to the end; returns the final code
// (kEndOfIndex / kStartOfIndex when the walk ended normally, -1 when it did
// not end within the limit).
int Walk(IndexFile& ix, int index, bool forward, std::vector<Entry>& out, int limit = 1 << 22) {
  out.clear();
  ix.ClearCursor(index);
  IndexEntry last, e;
  for (int i = 0; i < limit; ++i) {
    Status st = forward ? ix.Next(index, last, e) : ix.Prev(index, last, e);
    if (!st.ok()) return st.code;
    out.push_back(ToEntry(e));
    last = e;
  }
  return -1;
}

bool AnyRef(RecordRef) {
  return true;
}

class IndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir();
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    OsFile::SetWriteFaultHook({});
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path Path(const std::string& name = "T.IX") const { return dir_ / name; }

  // Structure check with the failure text in the assertion message.
  static ::testing::AssertionResult Checked(IndexFile& ix, int index,
                                            const std::function<bool(RecordRef)>& live = AnyRef) {
    std::string problem;
    if (ix.CheckIndex(index, live, problem)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "index " << index << ": " << problem;
  }

  fs::path dir_;
};

// ---- file layout ----

TEST_F(IndexTest, NewFileHoldsOneHeaderPerIndex) {
  PageCache cache(8);
  IndexFile ix(cache);
  const IndexDef defs[] = {{5, false}};
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  EXPECT_EQ(ix.RowSize(), 874u);  // 6 + 62 * 14
  ASSERT_TRUE(ix.Close().ok());
  const Bytes8 b = ReadAll(Path());
  ASSERT_EQ(b.size(), 874u);
  EXPECT_EQ(I32(b, kFirstFree), -1);
  EXPECT_EQ(I32(b, kNumberFree), 0);
  EXPECT_EQ(I32(b, kNumPages), 0);
  EXPECT_EQ(I32(b, kPageBytes), 874);
  EXPECT_EQ(I32(b, kRoot), 0);
  EXPECT_EQ(b[kAllowDups], 0);
  EXPECT_EQ(I32(b, kKeyCountAt), 0);
  EXPECT_EQ(U16(b, kPageSizeAt), 62);
  EXPECT_EQ(b[kReserved], 0);
  EXPECT_TRUE(std::all_of(b.begin() + 28, b.end(), [](std::uint8_t c) { return c == 0; }));
}

TEST_F(IndexTest, TwoIndexesShareRowsAtTheirSlotOffsets) {
  PageCache cache(8);
  IndexFile ix(cache);
  const IndexDef defs[] = {{8, false}, {22, true}};
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  EXPECT_EQ(ix.RowSize(), 2988u);
  EXPECT_EQ(ix.SlotOffset(1), 0u);
  EXPECT_EQ(ix.SlotOffset(2), 1060u);
  ASSERT_TRUE(ix.AddKey(1, 7, K("ABCDEFGH")).ok());
  ASSERT_TRUE(ix.AddKey(2, 9, K("X")).ok());
  ASSERT_TRUE(ix.Close().ok());

  const Bytes8 b = ReadAll(Path());
  ASSERT_EQ(b.size(), 2 * 2988u);  // row 0 and one appended row
  // Headers.
  EXPECT_EQ(I32(b, 0 + kPageBytes), 1060);
  EXPECT_EQ(I32(b, 0 + kNumPages), 1);
  EXPECT_EQ(I32(b, 0 + kRoot), 1);
  EXPECT_EQ(I32(b, 0 + kKeyCountAt), 1);
  EXPECT_EQ(b[0 + kAllowDups], 0);
  EXPECT_EQ(I32(b, 1060 + kPageBytes), 1928);
  EXPECT_EQ(b[1060 + kAllowDups], 1);
  EXPECT_EQ(I32(b, 1060 + kRoot), 1);
  EXPECT_EQ(I32(b, 1060 + kFirstFree), -1);
  EXPECT_EQ(U16(b, 1060 + kPageSizeAt), 62);
  // Page 1 of index 1 at 2988, of index 2 at 2988 + 1060 = 4048.
  const Bytes8 page1a{1, 0, 0, 0,   0,   0,   7,   0,   0,   0,   0,  0,
                      0, 0, 8, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
  const Bytes8 page1b{1, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 1, 'X'};
  EXPECT_EQ(Bytes8(b.begin() + 2988, b.begin() + 2988 + 23), page1a);
  EXPECT_EQ(Bytes8(b.begin() + 4048, b.begin() + 4048 + 16), page1b);
}

TEST_F(IndexTest, WritesOnlyTheUsedPartOfAPage) {
  const IndexDef defs[] = {{5, false}};
  {
    PageCache cache(8);
    IndexFile ix(cache);
    ASSERT_TRUE(ix.Create(Path(), defs).ok());
    ASSERT_TRUE(ix.AddKey(1, 1, K("B")).ok());
    ASSERT_TRUE(ix.Close().ok());
  }
  // Garbage in the unused tail of page 1 (as another program may leave it).
  Bytes8 b = ReadAll(Path());
  const std::size_t page1 = 874;
  std::fill(b.begin() + page1 + 6 + 14, b.begin() + page1 + 874, std::uint8_t{0xEE});
  WriteAll(Path(), b);
  {
    PageCache cache(8);
    IndexFile ix(cache);
    ASSERT_TRUE(ix.Open(Path(), defs).ok());
    ASSERT_TRUE(ix.AddKey(1, 2, K("A")).ok());
    ASSERT_TRUE(ix.Close().ok());
  }
  b = ReadAll(Path());
  EXPECT_EQ(U16(b, page1), 2);
  EXPECT_EQ(b[page1 + 6 + 8], 1);  // entry 1: "A"
  EXPECT_EQ(b[page1 + 6 + 9], 'A');
  EXPECT_EQ(b[page1 + 6 + 14 + 9], 'B');
  EXPECT_TRUE(std::all_of(b.begin() + page1 + 6 + 28, b.begin() + page1 + 874,
                          [](std::uint8_t c) { return c == 0xEE; }));
}

TEST_F(IndexTest, SixtyThirdKeySplitsTheRootIntoTwoLeaves) {
  const IndexDef defs[] = {{5, false}};
  PageCache cache(160);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  std::vector<int> order(63);
  for (int i = 0; i < 63; ++i) order[static_cast<std::size_t>(i)] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  for (std::size_t i = 0; i < 62; ++i)
    ASSERT_TRUE(ix.AddKey(1, order[i] + 100, K(Key3(order[i]))).ok());
  ASSERT_TRUE(ix.Flush(false).ok());
  Bytes8 b = ReadAll(Path());
  EXPECT_EQ(I32(b, kNumPages), 1);
  EXPECT_EQ(ReadPage(b, 874, 0, 5, 1).count, 62);

  ASSERT_TRUE(ix.AddKey(1, order[62] + 100, K(Key3(order[62]))).ok());
  ASSERT_TRUE(ix.Flush(false).ok());
  b = ReadAll(Path());
  EXPECT_EQ(I32(b, kNumPages), 3);
  EXPECT_EQ(I32(b, kRoot), 3);
  EXPECT_EQ(I32(b, kKeyCountAt), 63);
  const DiskPage root = ReadPage(b, 874, 0, 5, 3);
  ASSERT_EQ(root.count, 1);
  EXPECT_EQ(root.left, 1);
  EXPECT_EQ(root.rights[0], 2);
  EXPECT_EQ(root.keys[0], "K31");
  EXPECT_EQ(root.refs[0], 131);
  const DiskPage low = ReadPage(b, 874, 0, 5, 1);
  const DiskPage high = ReadPage(b, 874, 0, 5, 2);
  ASSERT_EQ(low.count, 31);
  ASSERT_EQ(high.count, 31);
  EXPECT_EQ(low.left, 0);
  EXPECT_EQ(high.left, 0);
  for (int i = 0; i < 31; ++i) {
    const auto u = static_cast<std::size_t>(i);
    EXPECT_EQ(low.keys[u], Key3(i));
    EXPECT_EQ(low.refs[u], i + 100);
    EXPECT_EQ(low.rights[u], 0);
    EXPECT_EQ(high.keys[u], Key3(32 + i));
    EXPECT_EQ(high.rights[u], 0);
  }
  EXPECT_TRUE(Checked(ix, 1));
}

// Follows one tree through sharing with each neighbour, a split beside a
// full neighbour, a rotation and an inner delete, reading the pages back
// from the file after each step. Keys "000".."120" and "-00".."-22"
// ('-' sorts before digits).
TEST_F(IndexTest, NeighbourSharingSplitAndRotationShapes) {
  const IndexDef defs[] = {{5, false}};
  PageCache cache(160);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  auto num = [](int i) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03d", i);
    return std::string(buf);
  };
  auto neg = [](int i) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "-%02d", i);
    return std::string(buf);
  };
  RecordRef ref = 1;
  auto add = [&](const std::string& k) { ASSERT_TRUE(ix.AddKey(1, ref++, K(k)).ok()) << k; };
  auto page = [&](std::int32_t p) {
    EXPECT_TRUE(ix.Flush(false).ok());
    return ReadPage(ReadAll(Path()), 874, 0, 5, p);
  };
  auto span = [](const DiskPage& p) {
    return p.keys.empty() ? std::string() : p.keys.front() + ".." + p.keys.back();
  };

  for (int i = 0; i <= 93; ++i) add(num(i));  // root split at 63, then page 2 fills to 62
  EXPECT_EQ(page(2).count, 62);
  // Page 2 is full and the root's last child: its left neighbour (31) takes
  // a share. 31 + "031" + 62 + "094" = 95 entries; entry 47 goes up.
  add(num(94));
  DiskPage p1 = page(1), p2 = page(2), root = page(3);
  EXPECT_EQ(p1.count, 47);
  EXPECT_EQ(p2.count, 47);
  EXPECT_EQ(span(p1), "000..046");
  EXPECT_EQ(span(p2), "048..094");
  ASSERT_EQ(root.count, 1);
  EXPECT_EQ(root.keys[0], "047");
  EXPECT_EQ(root.rights[0], 2);

  // Page 1 full, not the last child: the right neighbour shares.
  // 62 + "-15" + "047" + 47 = 111 entries; entry 55 ("039") goes up.
  for (int i = 0; i <= 14; ++i) add(neg(i));
  EXPECT_EQ(page(1).count, 62);
  add(neg(15));
  p1 = page(1), p2 = page(2), root = page(3);
  EXPECT_EQ(p1.count, 55);
  EXPECT_EQ(p2.count, 55);
  EXPECT_EQ(span(p1), "-00..038");
  EXPECT_EQ(span(p2), "040..094");
  EXPECT_EQ(root.keys[0], "039");

  // Both full: page 2 splits 31 + "071" + 31 into the new page 4.
  for (int i = 95; i <= 101; ++i) add(num(i));
  for (int i = 16; i <= 22; ++i) add(neg(i));
  add(num(102));
  p2 = page(2), root = page(3);
  const DiskPage p4 = page(4);
  EXPECT_EQ(span(p2), "040..070");
  EXPECT_EQ(span(p4), "072..102");
  ASSERT_EQ(root.count, 2);
  EXPECT_EQ(root.keys, (std::vector<std::string>{"039", "071"}));
  EXPECT_EQ(root.rights, (std::vector<std::int32_t>{2, 4}));
  EXPECT_EQ(page(1).count, 62);

  // Deleting from page 2 (31 -> 30): its right neighbour holds 49, so
  // k = (49 - 31 + 1) / 2 = 9 entries move: page 2 ends with 39, page 4 40.
  for (int i = 103; i <= 120; ++i) add(num(i));
  ASSERT_TRUE(ix.DeleteKey(1, 0, K("040")).ok());
  p2 = page(2), root = page(3);
  EXPECT_EQ(p2.count, 39);
  EXPECT_EQ(span(p2), "041..079");
  EXPECT_EQ(root.keys, (std::vector<std::string>{"039", "080"}));
  EXPECT_EQ(span(page(4)), "081..120");

  // An inner entry is replaced by its in-order predecessor.
  ASSERT_TRUE(ix.DeleteKey(1, 0, K("039")).ok());
  EXPECT_EQ(page(3).keys[0], "038");
  EXPECT_EQ(span(page(1)), "-00..037");
  EXPECT_TRUE(Checked(ix, 1));
}

TEST_F(IndexTest, DeletingTheOnlyKeyLeavesAnEmptyRootAndOneFreePage) {
  const IndexDef defs[] = {{5, false}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  ASSERT_TRUE(ix.AddKey(1, 1234, K("KEY")).ok());
  ASSERT_TRUE(ix.Flush(false).ok());
  const Bytes8 before = ReadAll(Path());
  ASSERT_TRUE(ix.DeleteKey(1, 1234, K("KEY")).ok());
  EXPECT_EQ(ix.KeyCount(1), 0);
  ASSERT_TRUE(ix.Flush(false).ok());
  const Bytes8 b = ReadAll(Path());
  EXPECT_EQ(I32(b, kRoot), 0);
  EXPECT_EQ(I32(b, kFirstFree), 1);
  EXPECT_EQ(I32(b, kNumberFree), 1);
  EXPECT_EQ(I32(b, kNumPages), 1);
  EXPECT_EQ(I32(b, kKeyCountAt), 0);
  EXPECT_EQ(I32(b, 874), -1);  // the link of the free page
  // Only the link was written; the old entry is still there.
  EXPECT_TRUE(std::equal(b.begin() + 874 + 4, b.end(), before.begin() + 874 + 4));
  EXPECT_TRUE(Checked(ix, 1));
  IndexEntry e;
  EXPECT_EQ(ix.Next(1, {}, e).code, err::kEndOfIndex);

  // The free page is used again.
  ASSERT_TRUE(ix.AddKey(1, 5, K("NEW")).ok());
  ASSERT_TRUE(ix.Flush(false).ok());
  const Bytes8 again = ReadAll(Path());
  EXPECT_EQ(I32(again, kRoot), 1);
  EXPECT_EQ(I32(again, kFirstFree), -1);
  EXPECT_EQ(I32(again, kNumberFree), 0);
  EXPECT_EQ(I32(again, kNumPages), 1);
  EXPECT_TRUE(Checked(ix, 1));
}

// ---- keys, duplicates, errors ----

TEST_F(IndexTest, KeysCompareAsUnsignedBytesAndShorterFirst) {
  const IndexDef defs[] = {{4, false}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  const std::vector<std::string> keys = {"AB ",
                                         "AB",
                                         "",
                                         std::string("\xFF", 1),
                                         std::string("\x7F", 1),
                                         std::string("\x80", 1),
                                         std::string("A\0", 2),
                                         "A"};
  RecordRef ref = 1;
  for (const auto& k : keys) ASSERT_TRUE(ix.AddKey(1, ref++, K(k)).ok()) << k;
  std::vector<Entry> walk;
  ASSERT_EQ(Walk(ix, 1, true, walk), err::kEndOfIndex);
  std::vector<std::string> got;
  for (const auto& e : walk) got.push_back(e.key);
  const std::vector<std::string> want = {"",
                                         "A",
                                         std::string("A\0", 2),
                                         "AB",
                                         "AB ",
                                         std::string("\x7F", 1),
                                         std::string("\x80", 1),
                                         std::string("\xFF", 1)};
  EXPECT_EQ(got, want);
}

TEST_F(IndexTest, DuplicatesAreOrderedAndIdentifiedByRecordRef) {
  const IndexDef defs[] = {{3, true}, {3, false}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  for (auto [k, r] : std::vector<std::pair<const char*, RecordRef>>{
           {"K", 7}, {"K", 3}, {"L", 1}, {"K", 5}, {"J", 9}}) {
    ASSERT_TRUE(ix.AddKey(1, r, K(k)).ok());
  }
  std::vector<Entry> walk;
  ASSERT_EQ(Walk(ix, 1, true, walk), err::kEndOfIndex);
  EXPECT_EQ(walk, (std::vector<Entry>{{"J", 9}, {"K", 3}, {"K", 5}, {"K", 7}, {"L", 1}}));

  // (key, 0) is not an entry; the next step finds the lowest RecordRef.
  bool found = true;
  IndexEntry e;
  ASSERT_TRUE(ix.Seek(1, K("K"), 0, found).ok());
  EXPECT_FALSE(found);
  EXPECT_EQ(ix.Current(1, e).code, err::kKeyNotFound);
  ASSERT_TRUE(ix.Next(1, {}, e).ok());
  EXPECT_EQ(ToEntry(e), (Entry{"K", 3}));
  ASSERT_TRUE(ix.Seek(1, K("K"), 5, found).ok());
  EXPECT_TRUE(found);
  ASSERT_TRUE(ix.Current(1, e).ok());
  EXPECT_EQ(ToEntry(e), (Entry{"K", 5}));

  EXPECT_EQ(ix.AddKey(1, 3, K("K")).code, err::kKeyExists);
  EXPECT_EQ(ix.DeleteKey(1, 4, K("K")).code, err::kDeleteKeyAbsent);
  ASSERT_TRUE(ix.DeleteKey(1, 5, K("K")).ok());
  ASSERT_EQ(Walk(ix, 1, false, walk), err::kStartOfIndex);
  EXPECT_EQ(walk, (std::vector<Entry>{{"L", 1}, {"K", 7}, {"K", 3}, {"J", 9}}));

  // Without duplicates the key alone identifies the entry.
  ASSERT_TRUE(ix.AddKey(2, 1, K("K")).ok());
  EXPECT_EQ(ix.AddKey(2, 2, K("K")).code, err::kKeyExists);
  ASSERT_TRUE(ix.Seek(2, K("K"), 99, found).ok());
  EXPECT_TRUE(found);
  ASSERT_TRUE(ix.DeleteKey(2, 99, K("K")).ok());
  EXPECT_EQ(ix.KeyCount(2), 0);
  EXPECT_TRUE(Checked(ix, 1));
  EXPECT_TRUE(Checked(ix, 2));
}

TEST_F(IndexTest, ErrorCodesOfKeyOperations) {
  const IndexDef defs[] = {{5, false}};
  PageCache cache(8);
  IndexFile ix(cache);
  IndexEntry e;
  EXPECT_EQ(ix.AddKey(1, 1, K("A")).code, err::kIndexNumberRange);  // not open
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  EXPECT_EQ(ix.Next(1, {}, e).code, err::kEndOfIndex);  // empty index
  EXPECT_EQ(ix.Prev(1, {}, e).code, err::kStartOfIndex);
  EXPECT_EQ(ix.AddKey(1, 1, K("SIXSIX")).code, err::kKeyTooLong);
  EXPECT_EQ(ix.AddKey(0, 1, K("A")).code, err::kIndexNumberRange);
  EXPECT_EQ(ix.AddKey(2, 1, K("A")).code, err::kIndexNumberRange);
  EXPECT_EQ(ix.DeleteKey(1, 1, K("A")).code, err::kDeleteKeyAbsent);
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(ix.AddKey(1, i + 1, K(Key3(i))).ok());
  EXPECT_EQ(ix.AddKey(1, 500, K(Key3(40))).code, err::kKeyExists);
  EXPECT_EQ(ix.DeleteKey(1, 1, K("K40 ")).code, err::kDeleteKeyAbsent);
  EXPECT_EQ(ix.KeyCount(1), 100);
  EXPECT_EQ(ix.KeyCount(3), -1);

  // At the end the cursor stays on the last entry.
  ix.ClearCursor(1);
  ASSERT_TRUE(ix.Prev(1, {}, e).ok());
  EXPECT_EQ(e.key.str(), "K99");
  EXPECT_EQ(ix.Next(1, e, e).code, err::kEndOfIndex);
  ASSERT_TRUE(ix.Prev(1, e, e).ok());
  EXPECT_EQ(e.key.str(), "K98");
  ix.ClearCursor(1);
  ASSERT_TRUE(ix.Next(1, {}, e).ok());
  EXPECT_EQ(e.key.str(), "K00");
  EXPECT_EQ(ix.Prev(1, e, e).code, err::kStartOfIndex);
  ASSERT_TRUE(ix.Next(1, e, e).ok());
  EXPECT_EQ(e.key.str(), "K01");
}

TEST_F(IndexTest, CursorIsSoughtAgainAfterChanges) {
  const IndexDef defs[] = {{5, true}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  for (int i = 0; i < 300; i += 2)
    ASSERT_TRUE(ix.AddKey(1, 1, K(Key3(i / 3) + "x" + std::to_string(i % 3))).ok());
  // Keys are K00x0, K00x2, K01x1, K02x0, ...; seek one and change around it.
  bool found = false;
  IndexEntry at, e;
  ASSERT_TRUE(ix.Seek(1, K("K50x0"), 1, found).ok());
  ASSERT_TRUE(found);
  ASSERT_TRUE(ix.Current(1, at).ok());
  ASSERT_TRUE(ix.AddKey(1, 1, K("K50x1")).ok());
  EXPECT_EQ(ix.Current(1, e).code, err::kKeyNotFound);  // invalidated
  ASSERT_TRUE(ix.Next(1, at, e).ok());
  EXPECT_EQ(e.key.str(), "K50x1");
  // The entry handed back was deleted: steps go from where it was.
  ASSERT_TRUE(ix.DeleteKey(1, 1, K("K50x1")).ok());
  ASSERT_TRUE(ix.Next(1, e, at).ok());
  EXPECT_EQ(at.key.str(), "K50x2");
  ASSERT_TRUE(ix.DeleteKey(1, 1, K("K50x2")).ok());
  ASSERT_TRUE(ix.Prev(1, at, e).ok());
  EXPECT_EQ(e.key.str(), "K50x0");
  // The last entry (K99x1) deleted: no next one, the previous is K98x2.
  ASSERT_TRUE(ix.Seek(1, K("K99x1"), 1, found).ok());
  ASSERT_TRUE(found);
  ASSERT_TRUE(ix.DeleteKey(1, 1, K("K99x1")).ok());
  EXPECT_EQ(ix.Next(1, IndexEntry{K("K99x1"), 1}, e).code, err::kEndOfIndex);
  ASSERT_TRUE(ix.Prev(1, IndexEntry{K("K99x1"), 1}, e).ok());
  EXPECT_EQ(e.key.str(), "K98x2");
  EXPECT_TRUE(Checked(ix, 1));
}

// ---- scroll bar estimates ----

class PositionTest : public IndexTest {
 protected:
  // Keys "A".."J" (a root leaf), or K00..K62 (root K31 over two leaves).
  void Build(bool twoLevels) {
    ASSERT_TRUE(ix_.Create(Path(), defs_).ok());
    if (twoLevels) {
      for (int i = 0; i < 63; ++i) ASSERT_TRUE(ix_.AddKey(1, i + 1, K(Key3(i))).ok());
    } else {
      for (char c = 'A'; c <= 'J'; ++c) ASSERT_TRUE(ix_.AddKey(1, c, K(std::string(1, c))).ok());
    }
  }
  int Position(const std::string& key, int n) {
    int pos = -1;
    Status st = ix_.KeyPosition(1, 0, K(key), n, pos);
    EXPECT_TRUE(st.ok()) << st.code;
    return pos;
  }
  std::string At(int a, int n) {
    IndexEntry e;
    Status st = ix_.KeyAtPosition(1, a, n, e);
    EXPECT_TRUE(st.ok()) << st.code;
    if (e.key.empty()) {
      EXPECT_EQ(e.ref, 0);
    }
    return e.key.str();
  }
  const IndexDef defs_[1] = {{5, false}};
  PageCache cache_{8};
  IndexFile ix_{cache_};
};

// E = 47. A root leaf of R = 10: C = 47, c = 0, m = r * 48, result
// m * (n + 1) div (48 * 11).
TEST_F(PositionTest, KeyPositionOnARootLeaf) {
  Build(false);
  EXPECT_EQ(Position("A", 100), 0);    // r 0
  EXPECT_EQ(Position("E", 100), 36);   // r 4: 192 * 101 div 528 = 36
  EXPECT_EQ(Position("DA", 100), 36);  // absent, same gap
  EXPECT_EQ(Position("J", 100), 82);   // r 9: 432 * 101 div 528 = 82
  EXPECT_EQ(Position("Z", 100), 91);   // r 10: 480 * 101 div 528 = 91
  EXPECT_EQ(Position("Z", 5), 5);      // 480 * 6 div 528 = 5
}

// Root K31 (R = 1) over leaves of 31: o = c * 96 div 31, m = o + r * 48 - o div 2,
// result m * (n + 1) div 96.
TEST_F(PositionTest, KeyPositionOnTwoLevels) {
  Build(true);
  EXPECT_EQ(Position("K00", 95), 0);   // r 0, c 0
  EXPECT_EQ(Position("K01", 95), 1);   // c 1 and r 0: m = 1
  EXPECT_EQ(Position("K09", 95), 14);  // c 9: o 27, m 27 - 13
  EXPECT_EQ(Position("K31", 95), 48);  // root entry: r 0, c 31: o 96, m 48
  EXPECT_EQ(Position("K39", 95), 59);  // r 1, c 7: o 21, m 21 + 48 - 10
  EXPECT_EQ(Position("K62", 95), 94);  // r 1, c 30: o 92, m 92 + 48 - 46
  EXPECT_EQ(Position("Z", 95), 95);    // m 96 * 96 div 96 = 96, limited to n
  EXPECT_EQ(Position("K62", 10), 10);  // 94 * 11 div 96 = 10
  EXPECT_EQ(Position("K31", 10), 5);   // 48 * 11 div 96 = 5
}

// A root leaf: E = 0, F = 11, t = F div n + a * F div (n + 1) - (F div n) div 2.
TEST_F(PositionTest, KeyAtPositionOnARootLeaf) {
  Build(false);
  EXPECT_EQ(At(0, 100), "");     // t 0: the very start
  EXPECT_EQ(At(10, 100), "A");   // t 110 div 101 = 1
  EXPECT_EQ(At(50, 100), "E");   // t 5
  EXPECT_EQ(At(100, 100), "J");  // t 10
  EXPECT_EQ(At(0, 5), "A");      // t 2 + 0 - 1
  EXPECT_EQ(At(3, 5), "F");      // t 2 + 33 div 6 - 1 = 6
  EXPECT_EQ(At(5, 5), "J");      // t 2 + 9 - 1 = 10
}

// Two levels: E = 47, F = 96, g = t div 48, h = t mod 48,
// w = q - q div 2 with q = h * 31 * 2 div 47.
TEST_F(PositionTest, KeyAtPositionOnTwoLevels) {
  Build(true);
  EXPECT_EQ(At(0, 95), "K00");   // t 1: g 0, h 1, q 1, w 1
  EXPECT_EQ(At(1, 95), "K01");   // t 2: h 2 and g 0: w 2
  EXPECT_EQ(At(2, 95), "K01");   // t 3: q 3, w 2
  EXPECT_EQ(At(46, 95), "K30");  // t 47: q 62, w 31
  EXPECT_EQ(At(47, 95), "K31");  // t 48: g 1, h 0: root entry 1
  EXPECT_EQ(At(50, 95), "K33");  // t 51: right leaf, q 3, w 2
  EXPECT_EQ(At(95, 95), "K62");  // t 96 limited to 95: h 47, w 31
  EXPECT_EQ(At(0, 10), "K02");   // t 9 + 0 - 4 = 5: q 6, w 3
  EXPECT_EQ(At(5, 10), "K31");   // t 5 + 480 div 11 = 48
  EXPECT_EQ(At(10, 10), "K60");  // t 5 + 87 = 92: g 1, h 44, q 58, w 29
}

TEST_F(PositionTest, EstimatesRejectBadScalesAndEmptyIndexes) {
  ASSERT_TRUE(ix_.Create(Path(), defs_).ok());
  int pos = 0;
  IndexEntry e;
  EXPECT_EQ(ix_.KeyPosition(1, 0, K("A"), 10, pos).code, err::kKeyPositionEmpty);
  EXPECT_EQ(ix_.KeyAtPosition(1, 0, 10, e).code, err::kKeyAtPositionEmpty);
  ASSERT_TRUE(ix_.AddKey(1, 1, K("A")).ok());
  EXPECT_EQ(ix_.KeyPosition(1, 0, K("A"), 0, pos).code, err::kKeyPositionScale);
  EXPECT_EQ(ix_.KeyAtPosition(1, 0, 0, e).code, err::kKeyAtPositionScale);
  EXPECT_EQ(ix_.KeyAtPosition(1, 11, 10, e).code, err::kKeyAtPositionScale);
  EXPECT_EQ(ix_.KeyAtPosition(1, -1, 10, e).code, err::kKeyAtPositionScale);
}

// ---- automatic numbers ----

TEST_F(IndexTest, LastWithPrefixFindsTheHighestKeyOfThePrefix) {
  const IndexDef defs[] = {{7, false}, {6, true}, {50, false}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  auto numbered = [](const char* prefix, std::int32_t n) {
    KeyString k(prefix);
    k.AppendLong(n);
    return k;
  };
  ASSERT_TRUE(ix.AddKey(1, 1, numbered("AB", 1)).ok());
  ASSERT_TRUE(ix.AddKey(1, 2, numbered("AB", 5)).ok());
  ASSERT_TRUE(ix.AddKey(1, 3, numbered("AB", -3)).ok());
  ASSERT_TRUE(ix.AddKey(1, 4, numbered("AC", 2)).ok());
  ASSERT_TRUE(ix.AddKey(1, 5, K("B")).ok());
  ASSERT_TRUE(ix.AddKey(1, 6, K("")).ok());
  ASSERT_TRUE(ix.AddKey(2, 3, numbered("N", 4)).ok());
  ASSERT_TRUE(ix.AddKey(2, 9, numbered("N", 4)).ok());
  ASSERT_TRUE(ix.AddKey(2, 4, numbered("N", 2)).ok());
  const std::string allFF(50, '\xFF');
  ASSERT_TRUE(ix.AddKey(3, 8, K(allFF)).ok());
  ASSERT_TRUE(ix.AddKey(3, 7, K("\xFF")).ok());

  // The cursor is not disturbed.
  bool found = false;
  ASSERT_TRUE(ix.Seek(1, numbered("AB", 1), 0, found).ok());

  struct Case {
    int index;
    std::string prefix;
    int code;
    RecordRef ref;
  };
  const std::vector<Case> cases = {
      {1, "AB", 0, 2},
      {1, "AC", 0, 4},
      {1, "A", 0, 4},
      {1, "", 0, 5},
      {1, "AA", err::kKeyNotFound, 0},
      {1, "C", err::kKeyNotFound, 0},
      {1, "ABCDEFGH", err::kKeyNotFound, 0},
      {2, "N", 0, 9},
      {3, "\xFF", 0, 8},
      {3, allFF, 0, 8},
  };
  for (const Case& c : cases) {
    IndexEntry e;
    Status st = ix.LastWithPrefix(c.index, K(c.prefix), e);
    EXPECT_EQ(st.code, c.code) << c.index << " '" << c.prefix << "'";
    if (st.ok()) {
      EXPECT_EQ(e.ref, c.ref) << c.index << " '" << c.prefix << "'";
    }
  }
  IndexEntry e;
  ASSERT_TRUE(ix.Next(1, {}, e).ok());
  EXPECT_EQ(e.ref, 2);  // after AB 1 comes AB 5
  const IndexDef emptyDefs[] = {{5, false}};
  IndexFile empty(cache);
  ASSERT_TRUE(empty.Create(Path("E.IX"), emptyDefs).ok());
  EXPECT_EQ(empty.LastWithPrefix(1, K(""), e).code, err::kKeyNotFound);
}

// ---- bulk load ----

TEST_F(IndexTest, BulkLoadBuildsValidTreesOfAnySize) {
  for (bool dups : {false, true}) {
    for (int n : {0, 1, 62, 63, 64, 125, 126, 3969, 10000}) {
      SCOPED_TRACE(::testing::Message() << "n " << n << " dups " << dups);
      const IndexDef defs[] = {{8, dups}};
      std::vector<IndexEntry> in;
      std::vector<Entry> want;
      for (int i = 0; i < n; ++i) {
        // With duplicates, runs of equal keys with ascending refs.
        const int k = dups ? i / 3 : i;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%07d", k);
        in.push_back({K(buf), dups ? 1000 - i % 3 * 100 + i : i + 1});
      }
      if (dups) {
        std::sort(in.begin(), in.end(), [](const IndexEntry& a, const IndexEntry& b) {
          return a.key != b.key ? a.key < b.key : a.ref < b.ref;
        });
      }
      for (const auto& e : in) want.push_back(ToEntry(e));
      const fs::path p = Path("B" + std::to_string(n) + (dups ? "d" : "") + ".IX");
      {
        PageCache cache(160);
        IndexFile ix(cache);
        ASSERT_TRUE(ix.Create(p, defs).ok());
        ASSERT_TRUE(ix.BulkLoad(1, in).ok());
        EXPECT_EQ(ix.KeyCount(1), n);
        EXPECT_TRUE(Checked(ix, 1));
        ASSERT_TRUE(ix.Close().ok());
      }
      PageCache cache(8);
      IndexFile ix(cache);
      ASSERT_TRUE(ix.Open(p, defs).ok());
      EXPECT_TRUE(Checked(ix, 1));
      std::vector<Entry> walk;
      EXPECT_EQ(Walk(ix, 1, true, walk), err::kEndOfIndex);
      EXPECT_EQ(walk, want);
      EXPECT_EQ(Walk(ix, 1, false, walk), err::kStartOfIndex);
      std::reverse(walk.begin(), walk.end());
      EXPECT_EQ(walk, want);
      // The tree takes ordinary changes afterwards.
      for (int i = 0; i < n; i += 7) {
        ASSERT_TRUE(ix.DeleteKey(1, in[static_cast<std::size_t>(i)].ref,
                                 in[static_cast<std::size_t>(i)].key)
                        .ok());
      }
      for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(ix.AddKey(1, 5000 + i, K("Z" + std::to_string(i))).ok());
      EXPECT_TRUE(Checked(ix, 1));
    }
  }
}

TEST_F(IndexTest, BulkLoadRefusesUnorderedInputAndFilledIndexes) {
  const IndexDef defs[] = {{4, false}, {4, true}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  const std::vector<IndexEntry> unordered = {{K("B"), 1}, {K("A"), 2}};
  const std::vector<IndexEntry> equalKeys = {{K("A"), 1}, {K("A"), 2}};
  const std::vector<IndexEntry> equalEntries = {{K("A"), 2}, {K("A"), 2}};
  const std::vector<IndexEntry> tooLong = {{K("ABCDE"), 1}};
  EXPECT_EQ(ix.BulkLoad(1, unordered).code, err::kKeyExists);
  EXPECT_EQ(ix.BulkLoad(1, equalKeys).code, err::kKeyExists);
  EXPECT_EQ(ix.BulkLoad(2, equalEntries).code, err::kKeyExists);
  EXPECT_EQ(ix.BulkLoad(1, tooLong).code, err::kKeyTooLong);
  EXPECT_EQ(ix.KeyCount(1), 0);
  ASSERT_TRUE(ix.BulkLoad(2, equalKeys).ok());
  EXPECT_EQ(ix.BulkLoad(2, equalKeys).code, err::kKeyExists);
  EXPECT_TRUE(Checked(ix, 1));
  EXPECT_TRUE(Checked(ix, 2));
}

// ---- randomized operations against a model ----

struct Combo {
  const char* name;
  int keyLen;
  bool dups;
  int alphabet;  // 256: any byte
  int minLen;
  int maxLen;
  int prefill;
  int ops;
  int cacheBuffers;
  unsigned seed;
  int pageSize = 0;  // 0: as created (62); else the header is rewritten to it
};

// Rewrites a new, empty one-index file to another stored page size, as a
// file written elsewhere may have it (small pages give deep trees quickly).
void SetPageSize(const fs::path& path, int keyLen, int pageSize) {
  Bytes8 b = ReadAll(path);
  const int pageBytes = 6 + pageSize * (keyLen + 9);
  PutU16(b, kPageSizeAt, pageSize);
  PutI32(b, kPageBytes, pageBytes);
  b.resize(static_cast<std::size_t>(pageBytes));
  WriteAll(path, b);
}

void PrintTo(const Combo& c, std::ostream* os) {
  *os << c.name;
}

using Model = std::set<Entry, bool (*)(const Entry&, const Entry&)>;
bool ModelLess(const Entry& a, const Entry& b) {
  return a.key != b.key ? a.key < b.key : a.ref < b.ref;  // std::string compares bytes unsigned
}

class RandomIndexTest : public IndexTest, public ::testing::WithParamInterface<Combo> {
 protected:
  std::string RandomKey() {
    const Combo& c = GetParam();
    std::uniform_int_distribution<int> len(c.minLen, c.maxLen);
    std::uniform_int_distribution<int> byte(0, c.alphabet - 1);
    std::string k(static_cast<std::size_t>(len(rng_)), ' ');
    for (char& ch : k) ch = static_cast<char>(c.alphabet == 256 ? byte(rng_) : 'a' + byte(rng_));
    return k;
  }
  // The entry of the model with this key (without duplicates), if any.
  Model::iterator WithKey(const std::string& key) {
    auto it = model_.lower_bound({key, INT_MIN});
    return it != model_.end() && it->key == key ? it : model_.end();
  }
  // The model's next entry after e (by key alone without duplicates).
  Model::iterator After(const Entry& e) {
    return GetParam().dups ? model_.upper_bound(e) : model_.upper_bound({e.key, INT_MAX});
  }
  Model::iterator Before(const Entry& e) {
    auto it = GetParam().dups ? model_.lower_bound(e) : model_.lower_bound({e.key, INT_MIN});
    return it == model_.begin() ? model_.end() : std::prev(it);
  }

  void Add(IndexFile& ix) {
    const Combo& c = GetParam();
    const std::string key = RandomKey();
    const RecordRef ref =
        c.dups ? std::uniform_int_distribution<RecordRef>(1, 40)(rng_) : ++nextRef_;
    const bool exists = c.dups ? model_.count({key, ref}) != 0 : WithKey(key) != model_.end();
    const Status st = ix.AddKey(1, ref, K(key));
    ASSERT_EQ(st.code, exists ? err::kKeyExists : 0) << Entry{key, ref};
    if (!exists) model_.insert({key, ref});
  }

  void Delete(IndexFile& ix) {
    const Combo& c = GetParam();
    Entry victim{RandomKey(), std::uniform_int_distribution<RecordRef>(1, 40)(rng_)};
    bool present = false;
    if (!model_.empty() && rng_() % 5 != 0) {  // mostly a present entry near a random point
      auto it = model_.lower_bound(victim);
      if (it == model_.end()) it = std::prev(it);
      victim = *it;
      present = true;
    } else {
      present = c.dups ? model_.count(victim) != 0 : WithKey(victim.key) != model_.end();
    }
    // Without duplicates the ref does not matter: pass another one.
    const RecordRef ref = c.dups ? victim.ref : victim.ref + 1000000;
    const Status st = ix.DeleteKey(1, ref, K(victim.key));
    ASSERT_EQ(st.code, present ? 0 : err::kDeleteKeyAbsent) << victim;
    if (present) model_.erase(c.dups ? model_.find(victim) : WithKey(victim.key));
  }

  // One step of the browsing cursor, checked against the model.
  void Browse(IndexFile& ix) {
    if (!browsing_ || rng_() % 16 == 0) {
      const Entry e{RandomKey(), std::uniform_int_distribution<RecordRef>(0, 41)(rng_)};
      bool found = false;
      ASSERT_TRUE(ix.Seek(1, K(e.key), e.ref, found).ok());
      const bool inModel = GetParam().dups ? model_.count(e) != 0 : WithKey(e.key) != model_.end();
      ASSERT_EQ(found, inModel) << e;
      last_ = e;
      browsing_ = true;
      return;
    }
    const bool forward = rng_() % 2 == 0;
    IndexEntry out;
    const Status st = forward ? ix.Next(1, {K(last_.key), last_.ref}, out)
                              : ix.Prev(1, {K(last_.key), last_.ref}, out);
    const auto want = forward ? After(last_) : Before(last_);
    if (want == model_.end()) {
      ASSERT_EQ(st.code, forward ? err::kEndOfIndex : err::kStartOfIndex) << "from " << last_;
      browsing_ = false;  // the cursor stays; a fresh seek keeps the model simple
      return;
    }
    ASSERT_TRUE(st.ok()) << st.code << " from " << last_;
    const Entry got = ToEntry(out);
    if (GetParam().dups) {
      ASSERT_EQ(got, *want) << "from " << last_;
    } else {
      ASSERT_EQ(got.key, want->key) << "from " << last_;
    }
    last_ = got;
  }

  void ExpectSame(IndexFile& ix) {
    ASSERT_TRUE(Checked(ix, 1));
    ASSERT_EQ(ix.KeyCount(1), static_cast<std::int32_t>(model_.size()));
    std::vector<Entry> walk;
    ASSERT_EQ(Walk(ix, 1, true, walk), err::kEndOfIndex);
    std::vector<Entry> want(model_.begin(), model_.end());
    if (!GetParam().dups) {  // refs are not compared without duplicates; they are kept though
      ASSERT_EQ(walk.size(), want.size());
    }
    ASSERT_EQ(walk, want);
    ASSERT_EQ(Walk(ix, 1, false, walk), err::kStartOfIndex);
    std::reverse(walk.begin(), walk.end());
    ASSERT_EQ(walk, want);
    browsing_ = false;
  }

  std::mt19937 rng_{GetParam().seed};
  Model model_{ModelLess};
  RecordRef nextRef_ = 0;
  bool browsing_ = false;
  Entry last_;
};

TEST_P(RandomIndexTest, MatchesTheModel) {
  const Combo& c = GetParam();
  const IndexDef defs[] = {{c.keyLen, c.dups}};
  PageCache cache(c.cacheBuffers);
  auto ix = std::make_unique<IndexFile>(cache);
  ASSERT_TRUE(ix->Create(Path(), defs).ok());
  if (c.pageSize != 0) {
    ASSERT_TRUE(ix->Close().ok());
    SetPageSize(Path(), c.keyLen, c.pageSize);
    ASSERT_TRUE(ix->Open(Path(), defs).ok());
  }
  for (int i = 0; i < c.prefill; ++i) ASSERT_NO_FATAL_FAILURE(Add(*ix));
  ASSERT_NO_FATAL_FAILURE(ExpectSame(*ix));
  std::size_t largest = model_.size();
  const int batch = 400;
  for (int i = 0; i < c.ops; ++i) {
    // Grow, churn, shrink: splits and sharing first, merges and collapses last.
    const int phase = i * 3 / c.ops;
    const unsigned addShare = phase == 0 ? 70 : phase == 1 ? 42 : 12;
    const auto r = static_cast<unsigned>(rng_() % 100);
    if (r < addShare) {
      ASSERT_NO_FATAL_FAILURE(Add(*ix));
    } else if (r < 88) {
      ASSERT_NO_FATAL_FAILURE(Delete(*ix));
    } else {
      ASSERT_NO_FATAL_FAILURE(Browse(*ix));
    }
    largest = std::max(largest, model_.size());
    if ((i + 1) % batch == 0) {
      ASSERT_NO_FATAL_FAILURE(ExpectSame(*ix)) << "after op " << i;
      if ((i + 1) % (4 * batch) == 0) {  // back from disk
        ASSERT_TRUE(ix->Close().ok());
        ix = std::make_unique<IndexFile>(cache);
        ASSERT_TRUE(ix->Open(Path(), defs).ok());
        ASSERT_NO_FATAL_FAILURE(ExpectSame(*ix)) << "reopened after op " << i;
      }
    }
  }
  // Empty the index completely: the root collapses back to 0.
  while (!model_.empty()) {
    const Entry e = *model_.begin();
    ASSERT_TRUE(ix->DeleteKey(1, e.ref, K(e.key)).ok()) << e;
    model_.erase(model_.begin());
  }
  ASSERT_NO_FATAL_FAILURE(ExpectSame(*ix));
  ASSERT_TRUE(ix->Close().ok());
  const Bytes8 b = ReadAll(Path());
  EXPECT_EQ(I32(b, kRoot), 0);
  EXPECT_EQ(I32(b, kNumberFree), I32(b, kNumPages));  // every page back in the chain
  RecordProperty("largest", static_cast<int>(largest));
  if (c.prefill >= 4000) {
    EXPECT_GT(largest, 3906u) << "a three-level tree was wanted";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Combos, RandomIndexTest,
    ::testing::Values(Combo{"Short", 5, false, 26, 1, 5, 0, 6000, 160, 1},
                      Combo{"TinyAlphabetDups", 1, true, 2, 0, 1, 0, 6000, 160, 2},
                      Combo{"ThreeLetterDups", 3, true, 3, 0, 3, 300, 6000, 160, 3},
                      Combo{"LongKeys", 50, false, 4, 30, 50, 500, 4000, 160, 4},
                      Combo{"LongKeysDups", 50, true, 2, 45, 50, 500, 4000, 160, 5},
                      Combo{"BinaryBytesSmallCache", 8, false, 256, 0, 8, 0, 6000, 8, 6},
                      Combo{"DupsSmallCache", 22, true, 10, 0, 22, 1000, 6000, 8, 7},
                      Combo{"ThreeLevelsSmallCache", 8, false, 256, 1, 8, 5000, 6000, 8, 8},
                      Combo{"PageSize4DeepTree", 6, false, 26, 1, 6, 600, 6000, 8, 9, 4},
                      Combo{"PageSize5DupsDeepTree", 2, true, 3, 0, 2, 300, 6000, 8, 10, 5}),
    [](const ::testing::TestParamInfo<Combo>& p) { return std::string(p.param.name); });

// ---- page cache ----

TEST_F(IndexTest, SmallCacheUnderALargeTreeEvictsAndWritesBack) {
  const IndexDef defs[] = {{8, false}, {12, true}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  std::mt19937 rng(11);
  std::set<std::string> keys;
  while (keys.size() < 20000) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08u", static_cast<unsigned>(rng() % 100000000));
    if (!keys.insert(buf).second) continue;
    ASSERT_TRUE(ix.AddKey(1, static_cast<RecordRef>(keys.size()), K(buf)).ok());
    ASSERT_TRUE(
        ix.AddKey(2, static_cast<RecordRef>(keys.size()), K(std::string(buf).substr(0, 3))).ok());
  }
  EXPECT_GT(cache.GetStats().writes, 0u);  // evictions wrote pages before any flush
  EXPECT_LE(cache.FrameCount(), 8 + 3 * kMaxTreeDepth);
  EXPECT_TRUE(Checked(ix, 1));
  EXPECT_TRUE(Checked(ix, 2));
  ASSERT_TRUE(ix.Close().ok());

  PageCache big(160);
  IndexFile again(big);
  ASSERT_TRUE(again.Open(Path(), defs).ok());
  std::vector<Entry> walk;
  ASSERT_EQ(Walk(again, 1, true, walk), err::kEndOfIndex);
  ASSERT_EQ(walk.size(), keys.size());
  EXPECT_TRUE(std::equal(walk.begin(), walk.end(), keys.begin(),
                         [](const Entry& e, const std::string& k) { return e.key == k; }));
  EXPECT_TRUE(Checked(again, 2));
}

TEST_F(IndexTest, TwoFilesShareOneCache) {
  const IndexDef defs[] = {{6, false}};
  PageCache cache(8);
  IndexFile a(cache), b(cache);
  ASSERT_TRUE(a.Create(Path("A.IX"), defs).ok());
  ASSERT_TRUE(b.Create(Path("B.IX"), defs).ok());
  for (int i = 0; i < 5000; ++i) {
    ASSERT_TRUE(a.AddKey(1, i + 1, K("A" + std::to_string(i * 7919 % 5000))).ok());
    ASSERT_TRUE(b.AddKey(1, i + 1, K("B" + std::to_string(i * 104729 % 5000))).ok());
  }
  ASSERT_TRUE(a.Close().ok());  // drops only a's pages
  EXPECT_TRUE(Checked(b, 1));
  ASSERT_TRUE(a.Open(Path("A.IX"), defs).ok());
  EXPECT_TRUE(Checked(a, 1));
  std::vector<Entry> wa, wb;
  ASSERT_EQ(Walk(a, 1, true, wa), err::kEndOfIndex);
  ASSERT_EQ(Walk(b, 1, true, wb), err::kEndOfIndex);
  ASSERT_EQ(wa.size(), 5000u);
  ASSERT_EQ(wb.size(), 5000u);
  EXPECT_TRUE(std::all_of(wa.begin(), wa.end(), [](const Entry& e) { return e.key[0] == 'A'; }));
  EXPECT_TRUE(std::all_of(wb.begin(), wb.end(), [](const Entry& e) { return e.key[0] == 'B'; }));
}

TEST_F(IndexTest, ATreeOfEightLevelsRefusesANinth) {
  const IndexDef defs[] = {{6, false}};
  PageCache cache(16);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  ASSERT_TRUE(ix.Close().ok());
  SetPageSize(Path(), 6, 2);  // one or two entries per page
  ASSERT_TRUE(ix.Open(Path(), defs).ok());
  int added = 0;
  Status st;
  for (int i = 0; i < 100000; ++i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06d", i);
    st = ix.AddKey(1, i + 1, K(buf));
    if (!st.ok()) break;
    ++added;
  }
  EXPECT_EQ(st.code, err::kShortRead);
  EXPECT_GT(added, 200);
  EXPECT_EQ(ix.KeyCount(1), added);
  EXPECT_TRUE(Checked(ix, 1));  // the refused key changed nothing
  std::vector<Entry> walk;
  EXPECT_EQ(Walk(ix, 1, true, walk), err::kEndOfIndex);
  EXPECT_EQ(static_cast<int>(walk.size()), added);
  for (int i = 0; i < added; i += 3) {  // and deleting still works at that depth
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06d", i);
    ASSERT_TRUE(ix.DeleteKey(1, 0, K(buf)).ok()) << buf;
  }
  EXPECT_TRUE(Checked(ix, 1));
}

TEST_F(IndexTest, EveryBufferPinnedGrowsThePoolInsteadOfFailing) {
  const IndexDef defs[] = {{20, false}};
  PageCache cache(2);  // below what one change of a deep tree pins
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  for (int i = 0; i < 6000; ++i) {
    ASSERT_TRUE(ix.AddKey(1, i + 1, K(std::to_string(i * 7919 % 6000))).ok());
  }
  for (int i = 0; i < 6000; i += 2) {
    ASSERT_TRUE(ix.DeleteKey(1, 0, K(std::to_string(i * 7919 % 6000))).ok());
  }
  EXPECT_GT(cache.FrameCount(), 2);
  EXPECT_TRUE(Checked(ix, 1));
  EXPECT_EQ(ix.KeyCount(1), 3000);
}

// A plain file of 100-byte slots; slot n starts with n, the rest is 0x5A.
class PageCacheTest : public IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    Bytes8 b(100 * 32, 0x5A);
    for (std::size_t n = 0; n < 32; ++n) PutI32(b, n * 100, static_cast<std::int32_t>(n));
    WriteAll(Path("P.BIN"), b);
    ASSERT_TRUE(file_.Open(Path("P.BIN")).ok());
  }
  PageLocation At(std::uint32_t owner, std::int32_t page) {
    PageLocation w;
    w.owner = owner;
    w.file = &file_;
    w.index = 1;
    w.page = page;
    w.offset = static_cast<std::uint64_t>(page) * 100;
    w.slotBytes = 100;
    w.entryBytes = 10;
    return w;
  }
  OsFile file_;
};

TEST_F(PageCacheTest, ReusesTheLeastRecentlyUsedBuffer) {
  PageCache cache(3);
  const std::uint32_t o = cache.NewOwner();
  for (std::int32_t p : {1, 2, 3, 1, 4}) {
    PageHandle h;
    ASSERT_TRUE(cache.Get(At(o, p), h).ok());
    EXPECT_EQ(I32(Bytes8(h.data(), h.data() + 4), 0), p);
  }
  EXPECT_EQ(cache.GetStats().reads, 4u);
  EXPECT_EQ(cache.GetStats().hits, 1u);
  EXPECT_EQ(cache.Peek(o, 1, 2), nullptr);  // 2 was the least recently used
  EXPECT_NE(cache.Peek(o, 1, 1), nullptr);
  EXPECT_NE(cache.Peek(o, 1, 3), nullptr);
  EXPECT_NE(cache.Peek(o, 1, 4), nullptr);
  EXPECT_EQ(cache.FrameCount(), 3);
}

TEST_F(PageCacheTest, WritesBackTheUsedPartOrTheFreeLinkOnly) {
  PageCache cache(1);
  const std::uint32_t o = cache.NewOwner();
  {
    PageHandle h;
    ASSERT_TRUE(cache.Get(At(o, 2), h).ok());
    std::fill(h.data(), h.data() + 100, std::uint8_t{0xC3});
    h.data()[0] = 2;  // ItemCount 2: 6 + 2 * 10 bytes are used
    h.data()[1] = 0;
    h.MarkDirty();
  }
  {
    PageHandle h;
    ASSERT_TRUE(cache.Get(At(o, 5), h).ok());  // evicts page 2
    std::fill(h.data(), h.data() + 100, std::uint8_t{0x11});
    h.MarkFree();
  }
  ASSERT_TRUE(cache.FlushOwner(o).ok());
  const Bytes8 b = ReadAll(Path("P.BIN"));
  EXPECT_EQ(U16(b, 200), 2);
  EXPECT_TRUE(
      std::all_of(b.begin() + 202, b.begin() + 226, [](std::uint8_t c) { return c == 0xC3; }));
  EXPECT_TRUE(
      std::all_of(b.begin() + 226, b.begin() + 300, [](std::uint8_t c) { return c == 0x5A; }));
  EXPECT_TRUE(
      std::all_of(b.begin() + 500, b.begin() + 504, [](std::uint8_t c) { return c == 0x11; }));
  EXPECT_TRUE(
      std::all_of(b.begin() + 504, b.begin() + 600, [](std::uint8_t c) { return c == 0x5A; }));
  EXPECT_EQ(cache.GetStats().writes, 2u);
  EXPECT_EQ(cache.GetStats().writtenBytes, 26u + 4u);
}

TEST_F(PageCacheTest, PinnedBuffersAreNeverReused) {
  PageCache cache(2);
  const std::uint32_t o = cache.NewOwner();
  PageHandle h1, h2, h3;
  ASSERT_TRUE(cache.Get(At(o, 1), h1).ok());
  ASSERT_TRUE(cache.Get(At(o, 2), h2).ok());
  ASSERT_TRUE(cache.Get(At(o, 3), h3).ok());
  EXPECT_EQ(cache.FrameCount(), 3);
  EXPECT_EQ(I32(Bytes8(h1.data(), h1.data() + 4), 0), 1);
  EXPECT_EQ(I32(Bytes8(h2.data(), h2.data() + 4), 0), 2);
  EXPECT_EQ(I32(Bytes8(h3.data(), h3.data() + 4), 0), 3);
  h1.Release();
  PageHandle h4;
  ASSERT_TRUE(cache.Get(At(o, 4), h4).ok());  // takes page 1's buffer
  EXPECT_EQ(cache.FrameCount(), 3);
  EXPECT_EQ(cache.Peek(o, 1, 1), nullptr);
  EXPECT_EQ(I32(Bytes8(h2.data(), h2.data() + 4), 0), 2);
}

TEST_F(PageCacheTest, OwnersAreFlushedAndDroppedSeparately) {
  PageCache cache(8);
  const std::uint32_t a = cache.NewOwner();
  const std::uint32_t b = cache.NewOwner();
  for (auto [owner, page] : std::vector<std::pair<std::uint32_t, std::int32_t>>{{a, 1}, {b, 2}}) {
    PageHandle h;
    ASSERT_TRUE(cache.Get(At(owner, page), h).ok());
    h.data()[0] = 0;  // ItemCount 0: 6 bytes
    h.data()[1] = 0;
    h.data()[2] = static_cast<std::uint8_t>(0x70 + page);
    h.MarkDirty();
  }
  EXPECT_TRUE(cache.HasDirty(a));
  ASSERT_TRUE(cache.FlushOwner(a).ok());
  EXPECT_FALSE(cache.HasDirty(a));
  EXPECT_TRUE(cache.HasDirty(b));
  cache.DropOwner(b);
  EXPECT_EQ(cache.Peek(b, 1, 2), nullptr);
  EXPECT_NE(cache.Peek(a, 1, 1), nullptr);
  const Bytes8 bytes = ReadAll(Path("P.BIN"));
  EXPECT_EQ(bytes[102], 0x71);
  EXPECT_EQ(bytes[202], 0x00);  // b's change (0x72) was dropped, not written
}

TEST_F(PageCacheTest, FailedWriteBackKeepsThePageAndReportsTheError) {
  PageCache cache(1);
  const std::uint32_t o = cache.NewOwner();
  {
    PageHandle h;
    ASSERT_TRUE(cache.Get(At(o, 1), h).ok());
    h.data()[0] = 1;
    h.data()[1] = 0;
    h.MarkDirty();
  }
  OsFile::SetWriteFaultHook(
      [](const fs::path&, std::uint64_t, std::size_t) { return std::size_t{0}; });
  PageHandle h;
  EXPECT_EQ(cache.Get(At(o, 2), h).code, err::kShortWrite);
  EXPECT_NE(cache.Peek(o, 1, 1), nullptr);
  OsFile::SetWriteFaultHook({});
  ASSERT_TRUE(cache.Get(At(o, 2), h).ok());
  EXPECT_EQ(U16(ReadAll(Path("P.BIN")), 100), 1);
}

TEST_F(PageCacheTest, RandomUseKeepsEveryPageItsOwnBytes) {
  PageCache cache(5);
  std::vector<std::uint32_t> owners = {cache.NewOwner(), cache.NewOwner(), cache.NewOwner()};
  std::mt19937 rng(3);
  for (int i = 0; i < 20000; ++i) {
    const std::uint32_t o = owners[rng() % owners.size()];
    const auto page = static_cast<std::int32_t>(rng() % 32);
    if (rng() % 50 == 0) {
      cache.DropOwner(o);
      continue;
    }
    PageHandle h;
    ASSERT_TRUE(cache.Get(At(o, page), h).ok());
    ASSERT_EQ(I32(Bytes8(h.data(), h.data() + 4), 0), page);
    const std::uint8_t* seen = cache.Peek(o, 1, page);
    ASSERT_EQ(seen, h.data());
  }
}

// ---- write failures ----

TEST_F(IndexTest, FailedWritesLeaveTheTreeAsItWas) {
  const IndexDef defs[] = {{8, false}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  std::set<std::string> model;
  for (int i = 0; i < 3000; ++i) {
    const std::string k = std::to_string(i * 7919 % 3000);
    ASSERT_TRUE(ix.AddKey(1, i + 1, K(k)).ok());
    model.insert(k);
  }
  ASSERT_TRUE(ix.Flush(false).ok());
  OsFile::SetWriteFaultHook(
      [](const fs::path&, std::uint64_t, std::size_t) { return std::size_t{0}; });
  int failed = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string k = std::to_string(i * 31 % 6000);
    const bool add = i % 3 != 0;
    const Status st = add ? ix.AddKey(1, 9000 + i, K(k)) : ix.DeleteKey(1, 0, K(k));
    if (st.code == err::kShortWrite) {
      ++failed;
      continue;
    }
    if (add) {
      ASSERT_EQ(st.code, model.count(k) != 0 ? err::kKeyExists : 0) << k;
      model.insert(k);
    } else {
      ASSERT_EQ(st.code, model.count(k) != 0 ? 0 : err::kDeleteKeyAbsent) << k;
      model.erase(k);
    }
  }
  EXPECT_GT(failed, 0);
  EXPECT_EQ(ix.Close().code, err::kShortWrite);
  EXPECT_TRUE(ix.IsOpen());  // nothing was lost; the close can be repeated
  OsFile::SetWriteFaultHook({});
  EXPECT_TRUE(Checked(ix, 1));
  ASSERT_TRUE(ix.Close().ok());
  IndexFile again(cache);
  ASSERT_TRUE(again.Open(Path(), defs).ok());
  EXPECT_TRUE(Checked(again, 1));
  std::vector<Entry> walk;
  ASSERT_EQ(Walk(again, 1, true, walk), err::kEndOfIndex);
  ASSERT_EQ(walk.size(), model.size());
  EXPECT_TRUE(std::equal(walk.begin(), walk.end(), model.begin(),
                         [](const Entry& e, const std::string& k) { return e.key == k; }));
}

TEST_F(IndexTest, DirtyUntilFlushed) {
  const IndexDef defs[] = {{5, false}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  EXPECT_FALSE(ix.Dirty());
  ASSERT_TRUE(ix.AddKey(1, 1, K("A")).ok());
  EXPECT_TRUE(ix.Dirty());
  ASSERT_TRUE(ix.Flush(true).ok());
  EXPECT_FALSE(ix.Dirty());
  EXPECT_EQ(ix.AddKey(1, 2, K("A")).code, err::kKeyExists);
  EXPECT_FALSE(ix.Dirty());
  ASSERT_TRUE(ix.DeleteKey(1, 1, K("A")).ok());
  EXPECT_TRUE(ix.Dirty());
}

// A flush writes the headers whose bytes changed, in one write over row 0
// that keeps whatever lies between them (here bytes another program left).
TEST_F(IndexTest, FlushWritesChangedHeadersOnlyAndKeepsTheBytesBetweenThem) {
  const IndexDef defs[] = {{4, false}, {6, true}, {8, false}};
  PageCache cache(16);
  {
    IndexFile ix(cache);
    ASSERT_TRUE(ix.Create(Path(), defs).ok());
    for (int i = 0; i < 20; ++i) {
      for (int k = 1; k <= 3; ++k) ASSERT_TRUE(ix.AddKey(k, i + 1, K(std::to_string(100 + i))).ok());
    }
    ASSERT_TRUE(ix.Close().ok());
  }
  Bytes8 file = ReadAll(Path());
  IndexFile probe(cache);
  ASSERT_TRUE(probe.Open(Path(), defs).ok());
  const std::uint64_t slot2 = probe.SlotOffset(2), slot3 = probe.SlotOffset(3);
  ASSERT_TRUE(probe.Close().ok());
  for (std::size_t at = kIndexHeaderBytes; at < slot2; ++at) file.at(at) = 0x5A;
  for (std::size_t at = slot2 + kIndexHeaderBytes; at < slot3; ++at) file.at(at) = 0xA5;
  WriteAll(Path(), file);

  IndexFile ix(cache);
  ASSERT_TRUE(ix.Open(Path(), defs).ok());
  std::vector<std::pair<std::uint64_t, std::size_t>> headerWrites;
  OsFile::SetWriteFaultHook([&](const fs::path&, std::uint64_t offset, std::size_t size) {
    if (offset < slot3 + kIndexHeaderBytes) headerWrites.emplace_back(offset, size);
    return size;
  });
  // Same KeyCount and pages afterwards: the header bytes do not change.
  ASSERT_TRUE(ix.DeleteKey(2, 5, K("104")).ok());
  ASSERT_TRUE(ix.AddKey(2, 5, K("104")).ok());
  ASSERT_TRUE(ix.Flush(true).ok());
  EXPECT_TRUE(headerWrites.empty());

  ASSERT_TRUE(ix.AddKey(1, 30, K("130")).ok());
  ASSERT_TRUE(ix.DeleteKey(3, 0, K("100")).ok());
  ASSERT_TRUE(ix.Flush(true).ok());
  ASSERT_EQ(headerWrites.size(), 1u);
  EXPECT_EQ(headerWrites[0], (std::pair<std::uint64_t, std::size_t>{0, slot3 + kIndexHeaderBytes}));
  OsFile::SetWriteFaultHook({});
  ASSERT_TRUE(ix.Close().ok());

  const Bytes8 after = ReadAll(Path());
  for (std::size_t at = kIndexHeaderBytes; at < slot2; ++at) ASSERT_EQ(after.at(at), 0x5A) << at;
  for (std::size_t at = slot2 + kIndexHeaderBytes; at < slot3; ++at) ASSERT_EQ(after.at(at), 0xA5) << at;
  EXPECT_EQ(I32(after, kKeyCountAt), 21);
  EXPECT_EQ(I32(after, slot2 + kKeyCountAt), 20);
  EXPECT_EQ(I32(after, slot3 + kKeyCountAt), 19);
  ASSERT_TRUE(ix.Open(Path(), defs).ok());
  for (int k = 1; k <= 3; ++k) EXPECT_TRUE(Checked(ix, k)) << k;
}

// ---- files written elsewhere and damaged files ----

// Builds a file by hand as another program might leave it: stored PageSize
// 0 (read as 62), garbage after every used part, and leaves below the fill
// limit. Root: one entry "M" over a left leaf of 20 and a right leaf of 25.
Bytes8 ForeignFile() {
  const std::size_t eb = 13, pageBytes = 6 + 62 * eb, rowSize = pageBytes;
  Bytes8 b(4 * rowSize, 0xA7);
  std::fill(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(rowSize), std::uint8_t{0});
  PutI32(b, kFirstFree, -1);
  PutI32(b, kNumberFree, 0);
  PutI32(b, kNumPages, 3);
  PutI32(b, kPageBytes, static_cast<std::int32_t>(pageBytes));
  PutI32(b, kRoot, 3);
  b[kAllowDups] = 0;
  PutI32(b, kKeyCountAt, 46);
  PutU16(b, kPageSizeAt, 0);
  auto page = [&](std::int32_t p, std::int32_t left,
                  const std::vector<std::pair<std::string, std::int32_t>>& entries) {
    const std::size_t at = static_cast<std::size_t>(p) * rowSize;
    PutU16(b, at, static_cast<int>(entries.size()));
    PutI32(b, at + 2, left);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::size_t e = at + 6 + i * eb;
      PutI32(b, e, 100 + static_cast<std::int32_t>(i));
      PutI32(b, e + 4, entries[i].second);
      b[e + 8] = static_cast<std::uint8_t>(entries[i].first.size());
      std::copy(entries[i].first.begin(), entries[i].first.end(),
                b.begin() + static_cast<std::ptrdiff_t>(e + 9));
    }
  };
  std::vector<std::pair<std::string, std::int32_t>> low, high;
  for (int i = 0; i < 20; ++i) low.push_back({"A" + std::to_string(10 + i), 0});
  for (int i = 0; i < 25; ++i) high.push_back({"N" + std::to_string(10 + i), 0});
  page(1, 0, low);
  page(2, 0, high);
  page(3, 1, {{"M", 2}});
  return b;
}

TEST_F(IndexTest, ReadsAndRepairsAFileWrittenElsewhere) {
  WriteAll(Path(), ForeignFile());
  const IndexDef defs[] = {{4, false}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Open(Path(), defs).ok());
  std::vector<Entry> walk;
  ASSERT_EQ(Walk(ix, 1, true, walk), err::kEndOfIndex);
  ASSERT_EQ(walk.size(), 46u);
  EXPECT_EQ(walk.front().key, "A10");
  EXPECT_EQ(walk[20].key, "M");
  EXPECT_EQ(walk.back().key, "N34");
  std::string problem;
  EXPECT_FALSE(ix.CheckIndex(1, AnyRef, problem));
  EXPECT_NE(problem.find("fewer than 31"), std::string::npos) << problem;
  // Deleting from the short left leaf: the neighbour holds 25, so
  // k = (25 - 31 + 1) / 2 is negative; both leaves and "M" merge into one
  // page of 45 and the root collapses onto it.
  ASSERT_TRUE(ix.DeleteKey(1, 0, K("A15")).ok());
  EXPECT_TRUE(Checked(ix, 1));
  ASSERT_TRUE(ix.Close().ok());
  const Bytes8 b = ReadAll(Path());
  EXPECT_EQ(I32(b, kRoot), 1);
  EXPECT_EQ(U16(b, 6 + 62 * 13), 45);
  EXPECT_EQ(I32(b, kNumberFree), 2);
  EXPECT_EQ(U16(b, kPageSizeAt), 0);  // the stored page size is kept
}

struct HostileCase {
  const char* name;
  std::function<void(Bytes8&)> mutate;
  int openCode;
  int walkCode;  // of a full forward walk (kEndOfIndex: the tree is intact)
  int addCode;   // of adding a new key
};

void PrintTo(const HostileCase& c, std::ostream* os) {
  *os << c.name;
}

// Index of key length 8 (RowSize 1060) loaded with 300 keys: leaves 1..5
// of 59/60 entries under root 6 with 4 entries.
constexpr std::size_t kRow = 1060;
constexpr std::size_t kRootAt = 6 * kRow;
std::size_t EntryAt(std::size_t page, std::size_t i) {
  return page * kRow + 6 + (i - 1) * 17;
}

class HostileTest : public IndexTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileTest, DamageBecomesAnErrorCode) {
  const HostileCase& c = GetParam();
  const IndexDef defs[] = {{8, false}};
  {
    PageCache cache(8);
    IndexFile ix(cache);
    ASSERT_TRUE(ix.Create(Path(), defs).ok());
    std::vector<IndexEntry> in;
    for (int i = 0; i < 300; ++i) in.push_back({K("K" + std::to_string(1000 + i * 2)), i + 1});
    ASSERT_TRUE(ix.BulkLoad(1, in).ok());
    ASSERT_TRUE(ix.Close().ok());
  }
  Bytes8 b = ReadAll(Path());
  ASSERT_EQ(I32(b, kRoot), 6);
  ASSERT_EQ(U16(b, kRootAt), 4);
  c.mutate(b);
  WriteAll(Path(), b);

  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_EQ(ix.Open(Path(), defs).code, c.openCode);
  if (c.openCode != 0) return;
  std::vector<Entry> walk;
  EXPECT_EQ(Walk(ix, 1, true, walk, 100000), c.walkCode);
  EXPECT_NE(Walk(ix, 1, false, walk, 100000), -1);
  EXPECT_EQ(ix.AddKey(1, 999, K("K1001")).code, c.addCode);
  // Nothing else may crash or hang either.
  IndexEntry e;
  bool found = false;
  int pos = 0;
  for (int i = 0; i < 300; i += 13) {
    const KeyString k("K" + std::to_string(1000 + i * 2));
    (void)ix.Seek(1, k, 0, found);
    (void)ix.Next(1, {k, 0}, e);
    (void)ix.Prev(1, {k, 0}, e);
    (void)ix.KeyPosition(1, 0, k, 100, pos);
    (void)ix.KeyAtPosition(1, i / 3, 100, e);
    (void)ix.DeleteKey(1, 0, k);
    (void)ix.AddKey(1, 5, K("K" + std::to_string(1001 + i * 2)));
  }
  (void)ix.LastWithPrefix(1, K("K1"), e);
  std::string problem;
  EXPECT_FALSE(ix.CheckIndex(1, AnyRef, problem));
  EXPECT_FALSE(problem.empty());
}

// Random bytes of a valid file overwritten, many times: whatever the result
// codes, no operation may crash (the sanitizer build watches memory) or
// loop without end (walks are bounded).
TEST_F(IndexTest, RandomCorruptionNeverCrashes) {
  const IndexDef defs[] = {{6, false}, {4, true}};
  {
    PageCache cache(8);
    IndexFile ix(cache);
    ASSERT_TRUE(ix.Create(Path(), defs).ok());
    for (int i = 0; i < 900; ++i) {
      ASSERT_TRUE(ix.AddKey(1, i + 1, K(std::to_string(i * 7 % 900))).ok());
      ASSERT_TRUE(ix.AddKey(2, i + 1, K(std::to_string(i % 40))).ok());
    }
    for (int i = 0; i < 900; i += 4) ASSERT_TRUE(ix.DeleteKey(1, 0, K(std::to_string(i))).ok());
    ASSERT_TRUE(ix.Close().ok());
  }
  const Bytes8 good = ReadAll(Path());
  std::mt19937 rng(99);
  int opened = 0, failedChecks = 0;
  for (int round = 0; round < 300; ++round) {
    Bytes8 b = good;
    const int flips = 1 + static_cast<int>(rng() % 6);
    for (int f = 0; f < flips; ++f) {
      // Mostly page bytes, sometimes the headers.
      const std::size_t at = rng() % 8 == 0 ? rng() % 1200 : rng() % b.size();
      b[at] = rng() % 3 == 0 ? static_cast<std::uint8_t>(rng())
                             : static_cast<std::uint8_t>(b[at] ^ (1u << (rng() % 8)));
    }
    WriteAll(Path("C.IX"), b);
    PageCache cache(8);
    IndexFile ix(cache);
    if (!ix.Open(Path("C.IX"), defs).ok()) continue;
    ++opened;
    for (int index = 1; index <= 2; ++index) {
      std::vector<Entry> walk;
      ASSERT_NE(Walk(ix, index, true, walk, 5000), -1) << "round " << round;
      ASSERT_NE(Walk(ix, index, false, walk, 5000), -1) << "round " << round;
      IndexEntry e;
      bool found = false;
      int pos = 0;
      for (int i = 0; i < 900; i += 37) {
        const KeyString k(std::to_string(index == 1 ? i : i % 40));
        (void)ix.Seek(index, k, i + 1, found);
        (void)ix.Next(index, {k, i + 1}, e);
        (void)ix.AddKey(index, 2000 + i, k);
        (void)ix.DeleteKey(index, i + 1, k);
        (void)ix.Prev(index, {k, i + 1}, e);
        (void)ix.KeyPosition(index, i, k, 50, pos);
        (void)ix.KeyAtPosition(index, i % 51, 50, e);
      }
      (void)ix.LastWithPrefix(index, K("1"), e);
      std::string problem;
      if (!ix.CheckIndex(index, AnyRef, problem)) ++failedChecks;
    }
    (void)ix.Close();
  }
  EXPECT_GT(opened, 100);  // most damage is in pages, found only when they are used
  EXPECT_GT(failedChecks, 0);
}

// Frees pages 2 and 3: 63 keys split the root, one delete merges the leaves
// and collapses the root. Chain: 3 -> 2 -> -1; root page 1 with 62 entries.
void ChainFile(const fs::path& path) {
  const IndexDef defs[] = {{8, false}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(path, defs).ok());
  for (int i = 0; i < 63; ++i)
    ASSERT_TRUE(ix.AddKey(1, i + 1, K("C" + std::to_string(100 + i))).ok());
  ASSERT_TRUE(ix.DeleteKey(1, 0, K("C100")).ok());
  ASSERT_TRUE(ix.Close().ok());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileTest,
    ::testing::Values(
        HostileCase{"RootCountAbove62", [](Bytes8& b) { PutU16(b, kRootAt, 63); }, 0,
                    err::kShortRead, err::kShortRead},
        HostileCase{"RootCountZero", [](Bytes8& b) { PutU16(b, kRootAt, 0); }, 0, err::kShortRead,
                    err::kShortRead},
        HostileCase{"LeafCountHuge", [](Bytes8& b) { PutU16(b, 3 * kRow, 0xFFFF); }, 0,
                    err::kShortRead, 0},
        HostileCase{"LeftChildBeyondNumPages", [](Bytes8& b) { PutI32(b, kRootAt + 2, 7); }, 0,
                    err::kShortRead, err::kShortRead},
        HostileCase{"LeftChildNegative", [](Bytes8& b) { PutI32(b, kRootAt + 2, -3); }, 0,
                    err::kShortRead, err::kShortRead},
        HostileCase{"RightChildOutOfRange", [](Bytes8& b) { PutI32(b, EntryAt(6, 2) + 4, 1000); },
                    0, err::kShortRead, err::kShortRead},
        HostileCase{"RightChildZeroOnInnerPage", [](Bytes8& b) { PutI32(b, EntryAt(6, 3) + 4, 0); },
                    0, err::kShortRead, err::kShortRead},
        HostileCase{"PageWithTwoParents", [](Bytes8& b) { PutI32(b, EntryAt(6, 2) + 4, 1); }, 0,
                    err::kEndOfIndex, 0},
        HostileCase{"NeighbourIsThePageItself", [](Bytes8& b) { PutI32(b, EntryAt(6, 1) + 4, 1); },
                    0, err::kEndOfIndex, 0},
        HostileCase{"ChildPointsBackToRoot", [](Bytes8& b) { PutI32(b, EntryAt(6, 1) + 4, 6); }, 0,
                    err::kShortRead, 0},
        HostileCase{"KeyLengthAboveKeyLen", [](Bytes8& b) { b[EntryAt(2, 5) + 8] = 9; }, 0,
                    err::kShortRead, 0},
        HostileCase{"KeyLength255", [](Bytes8& b) { b[EntryAt(6, 4) + 8] = 255; }, 0,
                    err::kShortRead, err::kShortRead},
        HostileCase{"HeaderRootBeyondNumPages", [](Bytes8& b) { PutI32(b, kRoot, 7); },
                    err::kShortRead, 0, 0},
        HostileCase{"HeaderNumPagesBeyondFile", [](Bytes8& b) { PutI32(b, kNumPages, 50); },
                    err::kShortRead, 0, 0},
        HostileCase{"HeaderKeyCountNegative", [](Bytes8& b) { PutI32(b, kKeyCountAt, -1); },
                    err::kShortRead, 0, 0},
        HostileCase{"HeaderFirstFreeOutOfRange",
                    [](Bytes8& b) {
                      PutI32(b, kFirstFree, 99);
                      PutI32(b, kNumberFree, 1);
                    },
                    err::kFreeChainDamaged, 0, 0},
        HostileCase{"HeaderNumberFreeWithoutChain", [](Bytes8& b) { PutI32(b, kNumberFree, 2); },
                    err::kFreeChainDamaged, 0, 0},
        HostileCase{"TruncatedWithinTheRows", [](Bytes8& b) { b.resize(3 * kRow + 500); },
                    err::kShortRead, 0, 0},
        HostileCase{"TruncatedWithinRowZero", [](Bytes8& b) { b.resize(100); }, err::kShortRead, 0,
                    0},
        HostileCase{"TruncatedWithinTheHeader", [](Bytes8& b) { b.resize(20); }, err::kShortRead, 0,
                    0},
        HostileCase{"PageSizeAbove62", [](Bytes8& b) { PutU16(b, kPageSizeAt, 63); },
                    err::kIndexHeaderPageSize, 0, 0},
        HostileCase{"PageSizeOne", [](Bytes8& b) { PutU16(b, kPageSizeAt, 1); },
                    err::kIndexHeaderPageSize, 0, 0},
        HostileCase{"PageBytesNotWhole", [](Bytes8& b) { PutI32(b, kPageBytes, 1061); },
                    err::kIndexHeaderKeyLen, 0, 0},
        HostileCase{"KeyLen51", [](Bytes8& b) { PutI32(b, kPageBytes, 6 + 62 * 60); },
                    err::kIndexHeaderKeyLenRange, 0, 0},
        HostileCase{"KeyLen0", [](Bytes8& b) { PutI32(b, kPageBytes, 6 + 62 * 9); },
                    err::kIndexHeaderKeyLenRange, 0, 0},
        HostileCase{"OtherKeyLen", [](Bytes8& b) { PutI32(b, kPageBytes, 6 + 62 * 18); },
                    err::kDefinitionDiffers, 0, 0},
        HostileCase{"DuplicatesFlagSet", [](Bytes8& b) { b[kAllowDups] = 1; },
                    err::kDefinitionDiffers, 0, 0},
        HostileCase{"DuplicatesFlagGarbage", [](Bytes8& b) { b[kAllowDups] = 7; },
                    err::kDefinitionDiffers, 0, 0}),
    [](const ::testing::TestParamInfo<HostileCase>& p) { return std::string(p.param.name); });

struct ChainCase {
  const char* name;
  std::function<void(Bytes8&)> mutate;
  int openCode;
};

void PrintTo(const ChainCase& c, std::ostream* os) {
  *os << c.name;
}

class FreeChainTest : public IndexTest, public ::testing::WithParamInterface<ChainCase> {};

TEST_P(FreeChainTest, DamagedChainIsRefusedAndTheTreeStaysIntact) {
  const IndexDef defs[] = {{8, false}};
  ASSERT_NO_FATAL_FAILURE(ChainFile(Path()));
  Bytes8 b = ReadAll(Path());
  ASSERT_EQ(I32(b, kFirstFree), 3);
  ASSERT_EQ(I32(b, kNumberFree), 2);
  ASSERT_EQ(I32(b, 3 * kRow), 2);
  ASSERT_EQ(I32(b, 2 * kRow), -1);
  GetParam().mutate(b);
  WriteAll(Path(), b);

  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_EQ(ix.Open(Path(), defs).code, GetParam().openCode);
  if (GetParam().openCode != 0) return;
  // The root leaf is full: the next key needs a page from the chain.
  EXPECT_EQ(ix.AddKey(1, 500, K("C999")).code, err::kFreeChainDamaged);
  EXPECT_EQ(ix.AddKey(1, 500, K("C000")).code, err::kFreeChainDamaged);
  std::vector<Entry> walk;
  EXPECT_EQ(Walk(ix, 1, true, walk), err::kEndOfIndex);
  EXPECT_EQ(walk.size(), 62u);
  EXPECT_EQ(ix.KeyCount(1), 62);
  std::string problem;
  EXPECT_FALSE(ix.CheckIndex(1, AnyRef, problem));
  EXPECT_FALSE(problem.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FreeChainTest,
    ::testing::Values(
        ChainCase{"CycleOnItself", [](Bytes8& b) { PutI32(b, 3 * kRow, 3); }, 0},
        ChainCase{"CycleOfTwo", [](Bytes8& b) { PutI32(b, 2 * kRow, 3); }, 0},
        ChainCase{"LinkZero", [](Bytes8& b) { PutI32(b, 3 * kRow, 0); }, 0},
        ChainCase{"LinkBeyondNumPages", [](Bytes8& b) { PutI32(b, 3 * kRow, 4); }, 0},
        ChainCase{"LinkBelowMinusOne", [](Bytes8& b) { PutI32(b, 2 * kRow, -2); }, 0},
        ChainCase{"ChainLongerThanNumberFree", [](Bytes8& b) { PutI32(b, kNumberFree, 1); }, 0},
        ChainCase{"ChainShorterThanNumberFree", [](Bytes8& b) { PutI32(b, kNumberFree, 3); }, 0},
        ChainCase{"HeadIsTheRoot", [](Bytes8& b) { PutI32(b, kFirstFree, 1); }, 0}),
    [](const ::testing::TestParamInfo<ChainCase>& p) { return std::string(p.param.name); });

TEST_F(IndexTest, OpenComparesTheFileWithTheDefinitions) {
  PageCache cache(8);
  const IndexDef two[] = {{8, false}, {12, true}};
  const IndexDef one[] = {{8, false}};
  const IndexDef three[] = {{8, false}, {12, true}, {4, false}};
  {
    IndexFile ix(cache);
    ASSERT_TRUE(ix.Create(Path(), two).ok());
    for (int i = 0; i < 200; ++i) {
      ASSERT_TRUE(ix.AddKey(1, i + 1, K(std::to_string(i))).ok());
      ASSERT_TRUE(ix.AddKey(2, i + 1, K(std::to_string(i % 7))).ok());
    }
    ASSERT_TRUE(ix.Close().ok());
  }
  IndexFile ix(cache);
  EXPECT_EQ(ix.Open(Path(), one).code, err::kDefinitionDiffers);  // one index more in the file
  EXPECT_FALSE(ix.IsOpen());
  EXPECT_NE(ix.Open(Path(), three).code, 0);
  const IndexDef otherDups[] = {{8, false}, {12, false}};
  EXPECT_EQ(ix.Open(Path(), otherDups).code, err::kDefinitionDiffers);
  EXPECT_EQ(ix.Open(Path("MISSING.IX"), two).code, err::kFileNotFound);
  ASSERT_TRUE(ix.Open(Path(), two).ok());
  EXPECT_TRUE(Checked(ix, 1));
  EXPECT_TRUE(Checked(ix, 2));
  ASSERT_TRUE(ix.Close().ok());

  // A fresh file of one index, opened with two: it ends after row 0.
  IndexFile small(cache);
  ASSERT_TRUE(small.Create(Path("S.IX"), one).ok());
  ASSERT_TRUE(small.Close().ok());
  EXPECT_EQ(small.Open(Path("S.IX"), two).code, err::kDefinitionDiffers);
  // Definitions the engine refuses.
  const IndexDef zero[] = {{0, false}};
  const IndexDef big[] = {{51, false}};
  EXPECT_EQ(small.Create(Path("Z.IX"), zero).code, err::kKeyLenZero);
  EXPECT_EQ(small.Create(Path("Z.IX"), big).code, err::kKeyLenAbove50);
  EXPECT_EQ(small.Create(Path("Z.IX"), std::span<const IndexDef>()).code, err::kIndexNumberRange);
}

TEST_F(IndexTest, CheckIndexReportsRecordsThatAreNotLive) {
  const IndexDef defs[] = {{5, false}};
  PageCache cache(8);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(ix.AddKey(1, i + 1, K(Key3(i))).ok());
  std::string problem;
  EXPECT_FALSE(ix.CheckIndex(
      1, [](RecordRef r) { return r != 77; }, problem));
  EXPECT_NE(problem.find("record 77"), std::string::npos) << problem;
  EXPECT_TRUE(ix.CheckIndex(
      1, [](RecordRef r) { return r >= 1 && r <= 100; }, problem))
      << problem;
}

// ---- speed (printed, not asserted) ----

TEST_F(IndexTest, InsertSpeedOfTheQsoPath) {
  // 27 indexes of mixed key lengths, as the QSO file has; 5000 records.
  std::vector<IndexDef> defs;
  for (int i = 0; i < 27; ++i) defs.push_back({8 + (i * 7) % 30, i % 3 == 0});
  PageCache cache(160);
  IndexFile ix(cache);
  ASSERT_TRUE(ix.Create(Path(), defs).ok());
  std::mt19937 rng(5);
  const auto start = std::chrono::steady_clock::now();
  const int records = 5000;
  for (int r = 1; r <= records; ++r) {
    const unsigned v = static_cast<unsigned>(rng());
    for (int i = 1; i <= 27; ++i) {
      KeyString k;
      if (defs[static_cast<std::size_t>(i - 1)].allowDups) {
        k.Append(std::to_string(v % 97));
      } else {
        k.AppendLong(r);
        k.Append(std::to_string(v % 1000));
      }
      ASSERT_TRUE(ix.AddKey(i, r, k).ok());
    }
  }
  ASSERT_TRUE(ix.Flush(false).ok());
  const double us =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
  std::printf("[ speed    ] %d records x 27 indexes: %.1f us per record, %.2f us per key\n",
              records, us / records, us / (records * 27.0));
  for (int i = 1; i <= 27; ++i) EXPECT_TRUE(Checked(ix, i));
}

}  // namespace
}  // namespace korv
