// Damaged files: a table of corruptions applied to a closed FileBlock, each
// with the outcome a careful engine must reach: the files rebuilt with the
// data intact (as far as the data file allows), or a named error through the
// fatal handler after which the files are not destroyed, and for damaged
// index pages never a crash, an endless loop or a silent wrong answer.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <random>

#include "storage/os_file.h"
#include "storage_fixture.h"

namespace korv::testing {
namespace {

// The fixture's file: index 1 unique automatic numbers (KeyLen 5), index 2
// names with duplicates (KeyLen 10).
constexpr std::size_t kPageBytes1 = 6 + 62 * (5 + 9);   // 874
constexpr std::size_t kPageBytes2 = 6 + 62 * (10 + 9);  // 1184
constexpr std::size_t kRowSize = kPageBytes1 + kPageBytes2;
constexpr std::size_t kSlot[3] = {0, 0, kPageBytes1};
constexpr std::size_t kEntryBytes[3] = {0, 5 + 9, 10 + 9};
constexpr int kRecords = 300;

using Rec = std::vector<std::uint8_t>;

std::int32_t I32(const Rec& b, std::size_t at) { return GetI32(ConstBytes{b}, at); }
void SetI32(Rec& b, std::size_t at, std::int32_t v) { PutI32(Bytes{b}, at, v); }
void SetU16(Rec& b, std::size_t at, std::uint16_t v) { PutU16(Bytes{b}, at, v); }

// The files of the FileBlock as bytes, changed by a case and written back.
struct Files {
  Rec dat, ix;
  bool removeIx = false;
  bool datToSav = false;  // the data file renamed to .SAV (interrupted reorganisation)
  bool savCopy = false;   // a copy of the data file as .SAV beside it

  std::size_t Header(int index) const { return kSlot[index]; }
  std::int32_t Root(int index) const { return I32(ix, Header(index) + 16); }
  std::size_t Page(int index, std::int32_t page) const {
    return static_cast<std::size_t>(page) * kRowSize + kSlot[index];
  }
  std::size_t Entry(int index, std::int32_t page, int entry) const {
    return Page(index, page) + 6 + static_cast<std::size_t>(entry - 1) * kEntryBytes[index];
  }
  std::int32_t LeftChild(int index, std::int32_t page) const { return I32(ix, Page(index, page) + 2); }
  // The leftmost leaf of an index.
  std::int32_t Leaf(int index) const {
    std::int32_t page = Root(index);
    while (LeftChild(index, page) != 0) page = LeftChild(index, page);
    return page;
  }
  std::int32_t FreePage(int index) const { return I32(ix, Header(index)); }
  std::int32_t NumRec() const { return I32(dat, 8); }
  std::int32_t FirstFree() const { return I32(dat, 0); }
};

enum class Outcome {
  kRebuilt,            // opened (repaired if needed) without a fatal error, data intact
  kFatal,              // the named error through the fatal handler at the first operation
  kIndexFatalOrRebuilt,  // rebuilt at once, or fatal 10070 (index dropped) and rebuilt at the next start
  kChainFatalOrRebuilt,  // rebuilt at once, or fatal 10170 and repaired at the next start
  kDetected,           // as kIndexFatalOrRebuilt, or no fatal but the structure check reports it
};

struct Case {
  std::string name;
  std::function<void(Files&)> corrupt;
  Outcome outcome;
  int code = 0;            // kFatal
  RecordRef lostFrom = 0;  // records at and after this old RecordRef are lost (0: none)
  bool thinned = false;    // two of three records removed: free index pages
  int inserts = 3;         // records the probe inserts
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

// Cases are defined relative to the files the fixture builds.
class CorruptionTest : public StorageTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    dir = MakeTempDir("corrupt-" + GetParam().name);
    StartEngine();
  }

  static std::string NameOf(int k) { return "N" + std::to_string(k % 37); }

  // 300 records, every seventh removed (never the last; thinned: two of
  // every three), closed cleanly.
  void Build() {
    DefineTestFile();
    for (int k = 0; k < kRecords; ++k) ASSERT_TRUE(Insert(NameOf(k)).ok());
    for (RecordRef r = 1; r < kRecords; ++r) {
      if (GetParam().thinned ? r % 3 == 0 : r % 7 != 3) continue;
      ASSERT_TRUE(block->ReadRecordByRef(r).ok());
      ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNone).ok());
    }
    ExpectSound();
    Restart();
    files_.dat = ReadAll(File(".DAT"));
    files_.ix = ReadAll(File(".IX"));
    ASSERT_EQ(files_.dat.size(), std::size_t{kRecords + 1} * kTestRecLen);
    ASSERT_EQ(files_.dat[20], 0);
    for (RecordRef r = 1; r <= kRecords; ++r) {
      const std::size_t at = static_cast<std::size_t>(r) * kTestRecLen;
      if (I32(files_.dat, at) != 0) continue;
      const Rec rec(files_.dat.begin() + static_cast<std::ptrdiff_t>(at),
                    files_.dat.begin() + static_cast<std::ptrdiff_t>(at + kTestRecLen));
      if (GetParam().lostFrom == 0 || r < GetParam().lostFrom) expected_[I32(rec, 4)] = rec;
    }
  }

  void WriteFiles() {
    WriteAll(File(".DAT"), files_.dat);
    if (files_.removeIx) {
      std::filesystem::remove(File(".IX"));
    } else {
      WriteAll(File(".IX"), files_.ix);
    }
    if (files_.savCopy) std::filesystem::copy_file(File(".DAT"), File(".SAV"));
    if (files_.datToSav) std::filesystem::rename(File(".DAT"), File(".SAV"));
  }

  bool Fatal() const { return !fatal.codes.empty(); }

  // Walks index 1 (automatic numbers: the order of insertion) both ways and
  // compares every record with the expected ones. Bounded: a damaged tree
  // must not make the walk endless.
  bool WalkMatches(std::string& why) {
    std::vector<Rec> seen;
    Status st = block->MoveFirst(1);
    while (st.ok() && seen.size() <= expected_.size() + 5) {
      seen.emplace_back(block->Record().begin(), block->Record().end());
      st = block->MoveNext(1);
    }
    if (Fatal()) return why = "fatal during the walk", false;
    std::vector<Rec> want;
    for (const auto& [number, rec] : expected_) want.push_back(rec);
    if (seen != want) {
      why = "forward walk gave " + std::to_string(seen.size()) + " records for " +
            std::to_string(want.size());
      return false;
    }
    std::size_t back = 0;
    st = block->MoveLast(1);
    while (st.ok() && back <= want.size() + 5) {
      if (back >= want.size() || !std::equal(want[want.size() - 1 - back].begin(),
                                             want[want.size() - 1 - back].end(),
                                             block->Record().begin())) {
        return why = "backward walk differs at step " + std::to_string(back), false;
      }
      ++back;
      st = block->MovePrevious(1);
    }
    if (back != want.size()) return why = "backward walk gave " + std::to_string(back), false;
    if (block->RecordCount() != static_cast<std::int32_t>(want.size())) {
      return why = "RecordCount " + std::to_string(block->RecordCount()), false;
    }
    return true;
  }

  // What a user does after opening: walk, find, check, change. Stops at the
  // first fatal error (the program would end there). Acknowledged changes
  // are applied to expected_.
  struct Probe {
    bool walked = false;  // the walks matched the expected records
    bool sound = false;   // CheckStructure before the changes
    std::string why;
  };
  Probe RunProbe() {
    Probe p;
    (void)block->RecordCount();
    if (Fatal()) return p;
    p.walked = WalkMatches(p.why);
    if (Fatal()) return p;
    // Index 2 both ways, bounded.
    int steps = 0;
    for (Status st = block->MoveFirst(2); st.ok() && steps < 2 * kRecords; ++steps) {
      st = block->MoveNext(2);
    }
    if (Fatal()) return p;
    for (Status st = block->MoveLast(2); st.ok() && steps < 4 * kRecords; ++steps) {
      st = block->MovePrevious(2);
    }
    if (Fatal()) return p;
    for (int k : {0, 5, 36}) {
      KeyString key;
      key.AppendPadded(NameOf(k), 10);
      (void)block->FindExact(2, key);
      if (Fatal()) return p;
    }
    p.sound = block->CheckStructure(p.why);
    if (Fatal()) return p;
    for (int k = 0; k < GetParam().inserts; ++k) {
      if (!Insert("P" + std::to_string(k)).ok()) return p;
      expected_[Number()] = Rec(block->Record().begin(), block->Record().end());
    }
    for (std::int32_t number : {2, 150}) {
      KeyString key;
      key.AppendLong(number);
      if (!block->FindExact(1, key).ok() || Fatal()) continue;
      if (block->RemoveRecord(RemoveMode::kNext).ok()) expected_.erase(number);
      if (Fatal()) return p;
    }
    std::string ignored;
    (void)block->CheckStructure(ignored);
    return p;
  }

  // The next start finds sound files holding exactly the expected records.
  void ExpectHealedAfterRestart() {
    fatal.codes.clear();
    Restart();
    DefineTestFile();
    std::string why;
    EXPECT_TRUE(WalkMatches(why)) << why;
    ExpectSound();
    EXPECT_TRUE(fatal.codes.empty()) << fatal.codes.front();
    EXPECT_FALSE(FileExists(File(".SAV")));
  }

  static std::string FirstLine(const std::string& s) { return s.substr(0, s.find('\n')); }

  Files files_;
  std::map<std::int32_t, Rec> expected_;  // by automatic number
};

TEST_P(CorruptionTest, EndsInTheExpectedOutcome) {
  const Case& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(Build());
  ASSERT_NO_FATAL_FAILURE(c.corrupt(files_));
  WriteFiles();
  const Rec datAfterDamage = FileExists(File(".DAT")) ? ReadAll(File(".DAT")) : Rec{};
  DefineTestFile();
  const Probe p = RunProbe();

  switch (c.outcome) {
    case Outcome::kRebuilt:
      ASSERT_TRUE(fatal.codes.empty()) << "fatal " << fatal.codes.front();
      EXPECT_TRUE(p.walked) << p.why;
      EXPECT_TRUE(p.sound) << p.why;
      EXPECT_FALSE(FileExists(File(".SAV")));
      ExpectHealedAfterRestart();
      break;
    case Outcome::kFatal: {
      ASSERT_FALSE(fatal.codes.empty()) << "no fatal error";
      EXPECT_EQ(fatal.codes.front(), c.code);
      char line[32];
      std::snprintf(line, sizeof line, "Fehlercode: %8d", DisplayedErrorCode(c.code));
      EXPECT_EQ(FirstLine(fatal.messages.front()), line);
      // Nothing was destroyed: the data file is as the damage left it.
      EXPECT_EQ(ReadAll(File(".DAT")), datAfterDamage);
      break;
    }
    case Outcome::kIndexFatalOrRebuilt:
    case Outcome::kChainFatalOrRebuilt:
    case Outcome::kDetected: {
      const int allowed = c.outcome == Outcome::kChainFatalOrRebuilt ? err::kFreeChainDamaged
                                                                     : err::kShortRead;
      if (Fatal()) {
        EXPECT_EQ(fatal.codes.front(), allowed) << "fatal " << fatal.codes.front();
        if (fatal.codes.front() == err::kShortRead) {
          EXPECT_FALSE(FileExists(File(".IX"))) << "10070 drops the index file";
        }
        ExpectHealedAfterRestart();
      } else if (c.outcome == Outcome::kDetected && !p.sound) {
        // Damage the engine cannot see at read time; the check names it.
        SUCCEED() << p.why;
      } else {
        EXPECT_TRUE(p.walked) << p.why;
        EXPECT_TRUE(p.sound) << p.why;
        ExpectHealedAfterRestart();
      }
      break;
    }
  }
}

// ---- the table ----

void SetDat(Files& f, std::size_t at, std::int32_t v) { SetI32(f.dat, at, v); }

const Case kCases[] = {
    // Data header.
    {"InUseLeftSet", [](Files& f) { f.dat[20] = 1; }, Outcome::kRebuilt},
    {"NumRecTooLarge", [](Files& f) { SetDat(f, 8, f.NumRec() + 5); }, Outcome::kRebuilt},
    {"NumRecTooSmall", [](Files& f) { SetDat(f, 8, f.NumRec() - 5); }, Outcome::kRebuilt},
    {"NumRecNegative", [](Files& f) { SetDat(f, 8, -7); }, Outcome::kRebuilt},
    {"FirstFreeBeyondNumRec", [](Files& f) { SetDat(f, 0, f.NumRec() + 3); }, Outcome::kRebuilt},
    {"FirstFreeZero", [](Files& f) { SetDat(f, 0, 0); }, Outcome::kRebuilt},
    {"FirstFreeNoneButRecordsFree", [](Files& f) { SetDat(f, 0, -1); }, Outcome::kRebuilt},
    {"FirstFreeOnALiveRecord", [](Files& f) { SetDat(f, 0, 1); }, Outcome::kChainFatalOrRebuilt},
    {"NumKeysDiffers", [](Files& f) { SetDat(f, 16, 3); }, Outcome::kRebuilt},
    {"RecLenDiffers", [](Files& f) { SetDat(f, 12, kTestRecLen + 1); }, Outcome::kFatal,
     err::kRecLenDiffers},
    // Free chain: two deleted slots pointing at each other.
    {"CyclicFreeChain",
     [](Files& f) {
       const std::int32_t a = f.FirstFree();
       const std::int32_t b = I32(f.dat, static_cast<std::size_t>(a) * kTestRecLen);
       SetI32(f.dat, static_cast<std::size_t>(b) * kTestRecLen, a);
     },
     Outcome::kChainFatalOrRebuilt},
    // Truncated data file: a partial last slot, and a cut in the middle.
    {"PartialLastSlot", [](Files& f) { f.dat.resize(f.dat.size() - 10); }, Outcome::kRebuilt, 0,
     kRecords},
    {"CutInTheMiddle", [](Files& f) { f.dat.resize(150 * kTestRecLen + 7); }, Outcome::kRebuilt,
     0, 150},
    // Reorganisation leftovers.
    {"SavBesideDatWithDamagedIndex",
     [](Files& f) {
       f.savCopy = true;
       SetU16(f.ix, f.Header(2) + 25, 99);
     },
     Outcome::kRebuilt},
    {"SavAloneWithIndex", [](Files& f) { f.datToSav = true; }, Outcome::kRebuilt},
    {"SavAloneWithoutIndex",
     [](Files& f) {
       f.datToSav = true;
       f.removeIx = true;
     },
     Outcome::kRebuilt},
    // Index headers.
    {"PageBytesNotWhole", [](Files& f) { SetI32(f.ix, f.Header(2) + 12, int(kPageBytes2) + 1); },
     Outcome::kRebuilt},
    {"PageBytesKeyLenAbove50",
     [](Files& f) { SetI32(f.ix, f.Header(1) + 12, 6 + 62 * (51 + 9)); }, Outcome::kRebuilt},
    {"PageSize63", [](Files& f) { SetU16(f.ix, f.Header(1) + 25, 63); }, Outcome::kRebuilt},
    {"PageSizeFFFF", [](Files& f) { SetU16(f.ix, f.Header(2) + 25, 0xFFFF); }, Outcome::kRebuilt},
    {"PageSizeZeroMeans62", [](Files& f) { SetU16(f.ix, f.Header(1) + 25, 0); }, Outcome::kRebuilt},
    {"AllowDupsSetOnUniqueIndex", [](Files& f) { f.ix[f.Header(1) + 20] = 1; }, Outcome::kRebuilt},
    {"AllowDupsClearedOnDuplicatesIndex", [](Files& f) { f.ix[f.Header(2) + 20] = 0; },
     Outcome::kRebuilt},
    {"IndexFileShorterThanRow0", [](Files& f) { f.ix.resize(kRowSize - 100); }, Outcome::kRebuilt},
    {"IndexFileCutInThePages", [](Files& f) { f.ix.resize(2 * kRowSize + 40); },
     Outcome::kIndexFatalOrRebuilt},
    {"RootBeyondTheFile", [](Files& f) { SetI32(f.ix, f.Header(2) + 16, 100000); },
     Outcome::kIndexFatalOrRebuilt},
    {"NumPagesZero", [](Files& f) { SetI32(f.ix, f.Header(1) + 8, 0); },
     Outcome::kIndexFatalOrRebuilt},
    {"RootZeroWithKeys", [](Files& f) { SetI32(f.ix, f.Header(1) + 16, 0); }, Outcome::kDetected},
    {"KeyCountWrong", [](Files& f) { SetI32(f.ix, f.Header(2) + 21, I32(f.ix, f.Header(2) + 21) + 3); },
     Outcome::kDetected},
    // Index pages: values no sound page can hold.
    {"RootItemCountZero", [](Files& f) { SetU16(f.ix, f.Page(1, f.Root(1)), 0); },
     Outcome::kIndexFatalOrRebuilt},
    {"LeafItemCount63", [](Files& f) { SetU16(f.ix, f.Page(2, f.Leaf(2)), 63); },
     Outcome::kIndexFatalOrRebuilt},
    {"LeafItemCountFFFF", [](Files& f) { SetU16(f.ix, f.Page(1, f.Leaf(1)), 0xFFFF); },
     Outcome::kIndexFatalOrRebuilt},
    {"LeftChildBeyondTheFile", [](Files& f) { SetI32(f.ix, f.Page(1, f.Root(1)) + 2, 0x7FFFFFFF); },
     Outcome::kIndexFatalOrRebuilt},
    {"LeftChildNegative", [](Files& f) { SetI32(f.ix, f.Page(2, f.Root(2)) + 2, -3); },
     Outcome::kIndexFatalOrRebuilt},
    {"ChildPointsAtItsOwnPage",
     [](Files& f) { SetI32(f.ix, f.Entry(2, f.Root(2), 1) + 4, f.Root(2)); },
     Outcome::kIndexFatalOrRebuilt},
    {"KeyLengthAboveKeyLen", [](Files& f) { f.ix[f.Entry(2, f.Leaf(2), 3) + 8] = 11; },
     Outcome::kIndexFatalOrRebuilt},
    {"KeyLengthFF", [](Files& f) { f.ix[f.Entry(1, f.Leaf(1), 1) + 8] = 0xFF; },
     Outcome::kIndexFatalOrRebuilt},
    {"EntryRefBeyondTheDataFile",
     [](Files& f) { SetI32(f.ix, f.Entry(1, f.Leaf(1), 2), f.NumRec() + 1000); },
     Outcome::kIndexFatalOrRebuilt},
    {"EntryRefNegative", [](Files& f) { SetI32(f.ix, f.Entry(2, f.Leaf(2), 2), -5); },
     Outcome::kIndexFatalOrRebuilt},
    // Index pages: plausible values that make the tree wrong.
    {"LeafItemCountOneLess",
     [](Files& f) {
       const std::size_t at = f.Page(1, f.Leaf(1));
       SetU16(f.ix, at, static_cast<std::uint16_t>(GetU16(ConstBytes{f.ix}, at) - 1));
     },
     Outcome::kDetected},
    {"LeafItemCountZero", [](Files& f) { SetU16(f.ix, f.Page(2, f.Leaf(2)), 0); }, Outcome::kDetected},
    {"ChildPointsAtASibling",
     [](Files& f) { SetI32(f.ix, f.Entry(1, f.Root(1), 1) + 4, f.LeftChild(1, f.Root(1))); },
     Outcome::kDetected},
    {"ChildZeroOnAnInnerPage", [](Files& f) { SetI32(f.ix, f.Entry(2, f.Root(2), 1) + 4, 0); },
     Outcome::kDetected},
    {"LeafGetsAChild", [](Files& f) { SetI32(f.ix, f.Page(1, f.Leaf(1)) + 2, f.Root(1)); },
     Outcome::kDetected},
    {"KeyLengthShorter", [](Files& f) { f.ix[f.Entry(2, f.Leaf(2), 5) + 8] = 2; }, Outcome::kDetected},
    {"EntryRefOnADeletedRecord", [](Files& f) { SetI32(f.ix, f.Entry(1, f.Leaf(1), 4), 3); },
     Outcome::kDetected},
    // Free pages of an index (after many removals): a link no free page can
    // hold, met when the probe's inserts need pages again.
    {"IndexFreeLinkZero",
     [](Files& f) {
       ASSERT_GT(f.FreePage(1), 0) << "no free page to damage";
       SetI32(f.ix, f.Page(1, f.FreePage(1)), 0);
     },
     Outcome::kChainFatalOrRebuilt, 0, 0, true, 150},
    {"IndexFreeLinkBeyondNumPages",
     [](Files& f) {
       ASSERT_GT(f.FreePage(2), 0) << "no free page to damage";
       SetI32(f.ix, f.Page(2, f.FreePage(2)), I32(f.ix, f.Header(2) + 8) + 40);
     },
     Outcome::kChainFatalOrRebuilt, 0, 0, true, 150},
    {"IndexFreeHeadBeyondNumPages",
     [](Files& f) { SetI32(f.ix, f.Header(2), I32(f.ix, f.Header(2) + 8) + 3); },
     Outcome::kChainFatalOrRebuilt, 0, 0, true, 150},
};

INSTANTIATE_TEST_SUITE_P(Table, CorruptionTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& p) { return p.param.name; });

// Random bytes flipped in the index pages: whatever they hit, the engine
// ends every operation, reports what it cannot read as 10070 or 10170 and
// heals at the next start, or leaves damage that the structure check names.
class IndexFlipTest : public CorruptionTest {};

TEST_P(IndexFlipTest, NeverCrashesHangsOrHidesDamage) {
  ASSERT_NO_FATAL_FAILURE(Build());
  const Files pristine = files_;
  const auto pristineExpected = expected_;
  std::mt19937 rng(20240607);
  for (int trial = 0; trial < 40; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    files_ = pristine;
    expected_ = pristineExpected;
    fatal.codes.clear();
    fatal.messages.clear();
    const int flips = 1 + static_cast<int>(rng() % 6);
    std::string what;
    for (int k = 0; k < flips; ++k) {
      const std::size_t at = kRowSize + rng() % (files_.ix.size() - kRowSize);
      const auto value = static_cast<std::uint8_t>(rng());
      files_.ix[at] = value;
      what += " [" + std::to_string(at) + "]=" + std::to_string(value);
    }
    SCOPED_TRACE("flips" + what);
    Restart();
    WriteFiles();
    DefineTestFile();
    const Probe p = RunProbe();
    if (Fatal()) {
      const int code = fatal.codes.front();
      EXPECT_TRUE(code == err::kShortRead || code == err::kFreeChainDamaged) << "fatal " << code;
      ASSERT_NO_FATAL_FAILURE(ExpectHealedAfterRestart());
    } else if (p.walked && p.sound) {
      ASSERT_NO_FATAL_FAILURE(ExpectHealedAfterRestart());
    } else {
      EXPECT_FALSE(p.sound) << "wrong walk (" << p.why << ") but the check passed";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Random, IndexFlipTest,
                         ::testing::Values(Case{"IndexFlips", [](Files&) {}, Outcome::kDetected}),
                         [](const ::testing::TestParamInfo<Case>& p) { return p.param.name; });

}  // namespace
}  // namespace korv::testing
