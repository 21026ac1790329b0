// Randomized operations on FileBlocks mirrored into a model: the records by
// RecordRef with the free chain, and per index the ordered (key, RecordRef)
// entries. Every call's result, current record and record buffer are
// compared with the model; after every batch the files' structure is checked
// (FileBlock::CheckStructure) and the counts compared.
//
// Each configuration runs its own count of operations (a few thousand, fixed
// seeds). A long run sets the count per configuration:
//   KORV_STRESS_OPS=200000 build/tests/storage/korv_storage_heavy_tests
//       --gtest_filter='Configs/ModelTest.*'
// KORV_STRESS_SEED=N adds N to every configuration's seed (other sequences).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <sstream>

#include "storage_fixture.h"

namespace korv::testing {
namespace {

// Record layout of every configuration:
//   0   int32  DeleteMark
//   4   int32  automatic number (a plain number when no index numbers it)
//   8   int32  number from a small range
//   12  uint8  group byte from a small range
//   13  text fields, each a ShortText[capacity]
//   ... filler bytes that no key uses
constexpr std::size_t kAutoOffset = 4;
constexpr std::size_t kNumberOffset = 8;
constexpr std::size_t kGroupOffset = 12;
constexpr std::size_t kFirstText = 13;

// Bytes of one page slot of an index file.
constexpr int PageBytesOf(int keyLen) { return 6 + 62 * (keyLen + 9); }

struct TextField {
  int capacity;
  std::string alphabet;
};

enum class PartKind { kText, kPaddedText, kAuto, kNumber, kGroup };
struct Part {
  PartKind kind;
  int field = 0;  // text field for kText / kPaddedText
  int width = 0;  // kPaddedText
};

struct IndexSpec {
  int keyLen;
  bool dups;
  std::vector<Part> parts;
  bool autoNumber = false;  // REQUIRES: parts end with kAuto after fixed-width parts
};

struct Config {
  std::string name;
  int recLen;
  std::vector<TextField> texts;
  std::vector<IndexSpec> indexes;
  int numberRange;
  int groupRange;
  bool flushAfterWrite;
  bool callerBuffer;
  std::uint32_t seed;
  int ops;
  int insertBias = 1;  // weight factor of inserts while the file grows
  int minDepth = 0;    // levels the deepest tree must reach at the peak
};

void PrintTo(const Config& c, std::ostream* out) { *out << c.name; }

std::size_t TextOffset(const Config& c, int field) {
  std::size_t offset = kFirstText;
  for (int f = 0; f < field; ++f) offset += 1 + static_cast<std::size_t>(c.texts[f].capacity);
  return offset;
}

std::size_t FillerOffset(const Config& c) { return TextOffset(c, static_cast<int>(c.texts.size())); }

void BuildModelKey(const Config& c, ConstBytes rec, int index, KeyString& key) {
  if (index < 1 || index > static_cast<int>(c.indexes.size())) return;
  for (const Part& p : c.indexes[index - 1].parts) {
    switch (p.kind) {
      case PartKind::kText:
        key.Append(GetShortText(rec, TextOffset(c, p.field), c.texts[p.field].capacity));
        break;
      case PartKind::kPaddedText:
        key.AppendPadded(GetShortText(rec, TextOffset(c, p.field), c.texts[p.field].capacity),
                         static_cast<std::size_t>(p.width));
        break;
      case PartKind::kAuto:
        key.AppendLong(GetI32(rec, kAutoOffset));
        break;
      case PartKind::kNumber:
        key.AppendLong(GetI32(rec, kNumberOffset));
        break;
      case PartKind::kGroup:
        key.AppendByte(GetU8(rec, kGroupOffset));
        break;
    }
  }
}

int MaxKeyLength(const Config& c, const IndexSpec& s) {
  int n = 0;
  for (const Part& p : s.parts) {
    switch (p.kind) {
      case PartKind::kText: n += c.texts[p.field].capacity; break;
      case PartKind::kPaddedText: n += p.width; break;
      case PartKind::kAuto:
      case PartKind::kNumber: n += 5; break;
      case PartKind::kGroup: n += 1; break;
    }
  }
  return n;
}

using Rec = std::vector<std::uint8_t>;
using Entry = std::pair<KeyString, RecordRef>;

std::string Show(const KeyString& k) {
  std::ostringstream out;
  out << '"';
  for (std::size_t i = 0; i < k.size(); ++i) {
    const unsigned char c = k.data()[i];
    if (c >= 32 && c < 127) {
      out << c;
    } else {
      out << "\\x" << std::hex << int(c) << std::dec;
    }
  }
  out << '"';
  return out.str();
}

// One index of the model. In an index without duplicates the key alone
// identifies an entry, so (key, ref) lookups ignore the ref there.
struct IndexModel {
  bool dups = false;
  std::set<Entry> entries;

  const Entry* After(const KeyString& key, RecordRef ref) const {
    auto it = entries.upper_bound({key, dups ? ref : INT32_MAX});
    return it == entries.end() ? nullptr : &*it;
  }
  const Entry* Before(const KeyString& key, RecordRef ref) const {
    auto it = entries.lower_bound({key, dups ? ref : INT32_MIN});
    return it == entries.begin() ? nullptr : &*std::prev(it);
  }
  const Entry* AtLeast(const KeyString& key) const {
    auto it = entries.lower_bound({key, INT32_MIN});
    return it == entries.end() ? nullptr : &*it;
  }
  const Entry* Exact(const KeyString& key, RecordRef ref) const {
    if (dups) {
      auto it = entries.find({key, ref});
      return it == entries.end() ? nullptr : &*it;
    }
    const Entry* e = AtLeast(key);
    return e != nullptr && e->first == key ? e : nullptr;
  }
  // Another record holds the key (what a unique index refuses).
  bool Taken(const KeyString& key, RecordRef self) const {
    const Entry* e = AtLeast(key);
    return e != nullptr && e->first == key && e->second != self;
  }
};

struct Model {
  std::map<RecordRef, Rec> records;
  std::vector<RecordRef> freeChain;  // back() = FirstFree
  RecordRef numRec = 0;
  std::vector<IndexModel> indexes;   // [i - 1]
};

int OpsFromEnvironment(int fallback) {
  if (const char* v = std::getenv("KORV_STRESS_OPS")) {
    const int n = std::atoi(v);
    if (n > 0) return n;
  }
  return fallback;
}

std::uint32_t SeedOffset() {
  if (const char* v = std::getenv("KORV_STRESS_SEED")) return static_cast<std::uint32_t>(std::atoi(v));
  return 0;
}

class ModelTest : public StorageTest, public ::testing::WithParamInterface<Config> {
 protected:
  void SetUp() override {
    dir = MakeTempDir("model-" + GetParam().name);
    StartEngine();
  }

  const Config& C() const { return GetParam(); }
  int N() const { return static_cast<int>(C().indexes.size()); }

  void DefineModelFile() {
    const Config* c = &C();
    if (c->callerBuffer) callerBuffer_.assign(static_cast<std::size_t>(c->recLen), 0);
    block = engine->DefineFileBlock(
        "MODEL", "MODEL", c->recLen, N(),
        [c](ConstBytes rec, int index, KeyString& key) { BuildModelKey(*c, rec, index, key); },
        c->callerBuffer ? callerBuffer_.data() : nullptr, 32, true);
    ASSERT_NE(block, nullptr);
    for (int i = 1; i <= N(); ++i) {
      const IndexSpec& s = c->indexes[i - 1];
      ASSERT_LE(MaxKeyLength(*c, s), s.keyLen) << "configuration error, index " << i;
      ASSERT_TRUE(block->DefineIndex(i, s.keyLen, s.dups).ok());
      if (s.autoNumber) {
        ASSERT_TRUE(block->SetAutoNumberField(i, kAutoOffset).ok());
      }
    }
    block->SetFlushAfterWrite(c->flushAfterWrite);
    cur_ = -1;
    lastIndex_ = 0;
    bookmarks_.clear();
  }

  // ---- randomness ----
  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }

  void RandomText(Rec& r, int field) {
    const TextField& t = C().texts[field];
    std::string s(static_cast<std::size_t>(Uniform(0, t.capacity)), ' ');
    for (char& ch : s) ch = t.alphabet[static_cast<std::size_t>(Uniform(0, int(t.alphabet.size()) - 1))];
    PutShortText(Bytes{r}, TextOffset(C(), field), static_cast<std::size_t>(t.capacity), s);
  }
  std::int32_t RandomAuto() { return Uniform(1, std::max<int>(8, static_cast<int>(model_.numRec) + 4)); }

  Rec RandomRecord() {
    Rec r(static_cast<std::size_t>(C().recLen));
    for (auto& b : r) b = static_cast<std::uint8_t>(Uniform(0, 255));
    PutI32(Bytes{r}, 0, 0);
    PutI32(Bytes{r}, kAutoOffset, RandomAuto());
    PutI32(Bytes{r}, kNumberOffset, Uniform(0, C().numberRange - 1));
    PutU8(Bytes{r}, kGroupOffset, static_cast<std::uint8_t>(Uniform(0, C().groupRange - 1)));
    for (int f = 0; f < static_cast<int>(C().texts.size()); ++f) RandomText(r, f);
    return r;
  }

  // Changes nothing, only filler, one field, or everything.
  Rec Mutate(const Rec& old) {
    Rec r = old;
    const int kind = Uniform(0, 3);
    const std::size_t filler = FillerOffset(C());
    if (kind == 1 && filler < r.size()) {
      r[static_cast<std::size_t>(Uniform(static_cast<int>(filler), C().recLen - 1))] ^= 0x5A;
    } else if (kind == 1 || kind == 2) {
      const int fields = 3 + static_cast<int>(C().texts.size());
      const int f = Uniform(0, fields - 1);
      if (f == 0) PutI32(Bytes{r}, kAutoOffset, RandomAuto());
      if (f == 1) PutI32(Bytes{r}, kNumberOffset, Uniform(0, C().numberRange - 1));
      if (f == 2) PutU8(Bytes{r}, kGroupOffset, static_cast<std::uint8_t>(Uniform(0, C().groupRange - 1)));
      if (f >= 3) RandomText(r, f - 3);
    } else if (kind == 3) {
      r = RandomRecord();
    }
    return r;
  }

  KeyString KeyOf(const Rec& r, int index) const {
    KeyString k;
    BuildModelKey(C(), ConstBytes{r}, index, k);
    return k;
  }

  RecordRef RandomLiveRef() {
    if (model_.records.empty()) return -1;
    for (int tries = 0; tries < 8; ++tries) {
      const RecordRef r = Uniform(1, model_.numRec);
      if (model_.records.count(r) != 0) return r;
    }
    auto it = model_.records.begin();
    std::advance(it, Uniform(0, static_cast<int>(model_.records.size()) - 1));
    return it->first;
  }

  // A key for searches: of a live record, of a new random record, or an
  // existing key cut short or with its last byte moved.
  KeyString RandomKey(int index) {
    const int kind = Uniform(0, 3);
    const RecordRef r = RandomLiveRef();
    if (kind == 0 || r < 0) return KeyOf(RandomRecord(), index);
    KeyString k = KeyOf(model_.records[r], index);
    if (kind == 2) k.Truncate(static_cast<std::size_t>(Uniform(0, static_cast<int>(k.size()))));
    if (kind == 3 && !k.empty()) {
      std::string s = k.str();
      s.back() = static_cast<char>(static_cast<unsigned char>(s.back()) + (Chance(0.5) ? 1 : -1));
      k = KeyString(s);
    }
    return k;
  }

  // ---- the model's own operations ----
  void ModelAdd(RecordRef ref, const Rec& r) {
    model_.records[ref] = r;
    for (int i = 1; i <= N(); ++i) model_.indexes[i - 1].entries.insert({KeyOf(r, i), ref});
  }
  void ModelErase(RecordRef ref) {
    const Rec r = model_.records.at(ref);
    for (int i = 1; i <= N(); ++i) model_.indexes[i - 1].entries.erase({KeyOf(r, i), ref});
    model_.records.erase(ref);
  }
  bool Collides(const Rec& r, RecordRef self) const {
    for (int i = 1; i <= N(); ++i) {
      const IndexModel& m = model_.indexes[i - 1];
      if (!m.dups && m.Taken(KeyOf(r, i), self)) return true;
    }
    return false;
  }
  // The automatic number: highest number under the same key prefix + 1.
  std::int32_t ExpectedAutoNumber(const Rec& r, int index) const {
    KeyString prefix = KeyOf(r, index);
    prefix.Truncate(prefix.size() - 5);
    KeyString high = prefix;
    while (high.size() < kMaxKeyLen) high.AppendByte(0xFF);
    const auto& entries = model_.indexes[index - 1].entries;
    auto it = entries.upper_bound({high, INT32_MAX});
    if (it == entries.begin()) return 1;
    --it;
    if (it->first.size() != prefix.size() + 5 ||
        std::memcmp(it->first.data(), prefix.data(), prefix.size()) != 0) {
      return 1;
    }
    return DecodeLongKey(it->first.data() + prefix.size()) + 1;
  }

  // ---- checks ----
  std::string Trail() const {
    std::string s = "\nconfig " + C().name + ", operation " + std::to_string(opNumber_) +
                    ", recent operations (oldest first):";
    for (const std::string& t : trail_) s += "\n  " + t;
    return s;
  }
  void Note(std::string what) {
    trail_.push_back(std::move(what));
    if (trail_.size() > 12) trail_.pop_front();
  }
  Rec Buffer() const { return Rec(block->Record().begin(), block->Record().end()); }

  // The record buffer holds ref's model record and ref is current.
  void ExpectCurrent(RecordRef ref) {
    ASSERT_EQ(block->CurrentRef(), ref) << Trail();
    if (ref > 0) {
      ASSERT_EQ(Buffer(), model_.records.at(ref)) << "record buffer" << Trail();
    }
  }

  void ExpectUnchanged(const Rec& before, RecordRef curBefore) {
    ASSERT_EQ(block->CurrentRef(), curBefore) << Trail();
    ASSERT_EQ(Buffer(), before) << "record buffer changed" << Trail();
  }

  void CheckBatch() {
    std::string problem;
    ASSERT_TRUE(block->CheckStructure(problem)) << problem << Trail();
    ASSERT_TRUE(fatal.codes.empty()) << "fatal " << fatal.codes.front() << Trail();
    ASSERT_EQ(block->RecordCount(), static_cast<std::int32_t>(model_.records.size())) << Trail();
    for (int i = 1; i <= N(); ++i) {
      ASSERT_EQ(block->KeyCount(i), static_cast<std::int32_t>(model_.indexes[i - 1].entries.size()))
          << "index " << i << Trail();
    }
  }

  void CheckEveryRecord() {
    for (RecordRef r = 1; r <= model_.numRec; ++r) {
      const Rec before = Buffer();
      const RecordRef curBefore = block->CurrentRef();
      const Status st = block->ReadRecordByRef(r);
      if (model_.records.count(r) != 0) {
        ASSERT_TRUE(st.ok()) << "read " << r << ": " << st.code << Trail();
        cur_ = r;
        ASSERT_NO_FATAL_FAILURE(ExpectCurrent(r));
      } else {
        ASSERT_EQ(st.code, err::kRecordDeleted) << "read " << r << Trail();
        ASSERT_NO_FATAL_FAILURE(ExpectUnchanged(before, curBefore));
      }
    }
  }

  // ---- engine operations compared with the model ----
  void Insert() {
    Rec r = RandomRecord();
    for (int i = 1; i <= N(); ++i) {
      if (C().indexes[i - 1].autoNumber) PutI32(Bytes{r}, kAutoOffset, ExpectedAutoNumber(r, i));
    }
    const bool refused = Collides(r, -1);
    std::copy(r.begin(), r.end(), block->Record().begin());
    PutI32(block->Record(), kAutoOffset, 12345678);  // the engine assigns it where numbered
    if (std::none_of(C().indexes.begin(), C().indexes.end(),
                     [](const IndexSpec& s) { return s.autoNumber; })) {
      PutI32(block->Record(), kAutoOffset, GetI32(ConstBytes{r}, kAutoOffset));
    }
    const Status st = block->InsertRecord();
    Note("insert" + std::string(refused ? " (refused)" : "") + " -> " + std::to_string(st.code) +
         " ref " + std::to_string(block->CurrentRef()));
    if (refused) {
      ASSERT_EQ(st.code, err::kKeyExists) << Trail();
      ASSERT_EQ(block->CurrentRef(), -1) << Trail();
      // The slot was taken and freed again.
      if (model_.freeChain.empty()) model_.freeChain.push_back(++model_.numRec);
      cur_ = -1;
      return;
    }
    ASSERT_TRUE(st.ok()) << st.code << Trail();
    RecordRef ref;
    if (model_.freeChain.empty()) {
      ref = ++model_.numRec;
    } else {
      ref = model_.freeChain.back();
      model_.freeChain.pop_back();
    }
    ModelAdd(ref, r);
    cur_ = ref;
    ASSERT_NO_FATAL_FAILURE(ExpectCurrent(ref));
  }

  // Makes some live record current (by RecordRef or by a keyed read).
  void SelectCurrent() {
    if (cur_ > 0 && Chance(0.5)) return;
    const RecordRef r = RandomLiveRef();
    if (r < 0) return;
    if (Chance(0.5) || N() == 0) {
      ASSERT_TRUE(block->ReadRecordByRef(r).ok()) << Trail();
      Note("read " + std::to_string(r));
      cur_ = r;
      ASSERT_NO_FATAL_FAILURE(ExpectCurrent(r));
    } else {
      const int i = Uniform(1, N());
      ASSERT_NO_FATAL_FAILURE(FindExact(i, KeyOf(model_.records[r], i)));
    }
  }

  void Update() {
    ASSERT_NO_FATAL_FAILURE(SelectCurrent());
    if (cur_ < 1) return;
    const Rec old = model_.records.at(cur_);
    const Rec r = Mutate(old);
    std::copy(r.begin(), r.end(), block->Record().begin());
    const bool refused = r != old && Collides(r, cur_);
    const Status st = block->UpdateRecord();
    Note("update " + std::to_string(cur_) + (r == old ? " (same)" : "") +
         (refused ? " (refused)" : "") + " -> " + std::to_string(st.code));
    ASSERT_EQ(block->CurrentRef(), cur_) << Trail();
    if (refused) {
      ASSERT_EQ(st.code, err::kKeyExists) << Trail();
      // The saved copy is still the old record: read it back.
      ASSERT_TRUE(block->ReadRecordByRef(cur_).ok()) << Trail();
      ASSERT_NO_FATAL_FAILURE(ExpectCurrent(cur_));
      return;
    }
    ASSERT_TRUE(st.ok()) << st.code << Trail();
    ModelErase(cur_);
    ModelAdd(cur_, r);
    ASSERT_NO_FATAL_FAILURE(ExpectCurrent(cur_));
  }

  void Remove() {
    ASSERT_NO_FATAL_FAILURE(SelectCurrent());
    if (cur_ < 1) return;
    const auto mode = static_cast<RemoveMode>(Uniform(0, 4));
    const RecordRef ref = cur_;
    const Rec old = model_.records.at(ref);
    const Status st = block->RemoveRecord(mode);
    Note("remove " + std::to_string(ref) + " mode " + std::to_string(int(mode)) + " last index " +
         std::to_string(lastIndex_) + " -> " + std::to_string(st.code) + " now " +
         std::to_string(block->CurrentRef()));
    ASSERT_TRUE(st.ok()) << st.code << Trail();
    ModelErase(ref);
    model_.freeChain.push_back(ref);
    RecordRef expected = -1;
    if (mode != RemoveMode::kNone && lastIndex_ > 0) {
      const IndexModel& m = model_.indexes[lastIndex_ - 1];
      const KeyString key = KeyOf(old, lastIndex_);
      const Entry* e = nullptr;
      if (!m.entries.empty() && mode == RemoveMode::kFirst) e = &*m.entries.begin();
      if (!m.entries.empty() && mode == RemoveMode::kLast) e = &*m.entries.rbegin();
      if (mode == RemoveMode::kNext) e = m.After(key, ref);
      if (mode == RemoveMode::kPrevious) e = m.Before(key, ref);
      if (e != nullptr) expected = e->second;
    } else if (mode != RemoveMode::kNone && !model_.records.empty()) {
      const auto& recs = model_.records;
      if (mode == RemoveMode::kFirst) expected = recs.begin()->first;
      if (mode == RemoveMode::kLast) expected = recs.rbegin()->first;
      if (mode == RemoveMode::kNext) {
        auto it = recs.upper_bound(ref);
        if (it != recs.end()) expected = it->first;
      }
      if (mode == RemoveMode::kPrevious) {
        auto it = recs.lower_bound(ref);
        if (it != recs.begin()) expected = std::prev(it)->first;
      }
    }
    cur_ = expected;
    ASSERT_NO_FATAL_FAILURE(ExpectCurrent(expected));
  }

  void FindExact(int i, const KeyString& key) {
    const Rec before = Buffer();
    const Status st = block->FindExact(i, key);
    const Entry* e = model_.indexes[i - 1].AtLeast(key);
    if (e != nullptr && !(e->first == key)) e = nullptr;
    Note("find exact " + std::to_string(i) + " " + Show(key) + " -> " + std::to_string(st.code) +
         " ref " + std::to_string(block->CurrentRef()));
    if (e == nullptr) {
      ASSERT_EQ(st.code, err::kKeyNotFound) << Trail();
      ASSERT_NO_FATAL_FAILURE(ExpectUnchanged(before, cur_));
      return;
    }
    ASSERT_TRUE(st.ok()) << st.code << Trail();
    cur_ = e->second;
    lastIndex_ = i;
    ASSERT_NO_FATAL_FAILURE(ExpectCurrent(cur_));
  }

  void FindAtLeast(int i, const KeyString& key) {
    const Rec before = Buffer();
    const Status st = block->FindAtLeast(i, key);
    const Entry* e = model_.indexes[i - 1].AtLeast(key);
    Note("find at least " + std::to_string(i) + " " + Show(key) + " -> " + std::to_string(st.code));
    if (e == nullptr) {
      ASSERT_EQ(st.code, err::kNothingAtOrAfter) << Trail();
      ASSERT_NO_FATAL_FAILURE(ExpectUnchanged(before, cur_));
      return;
    }
    ASSERT_TRUE(st.ok()) << st.code << Trail();
    cur_ = e->second;
    lastIndex_ = i;
    ASSERT_NO_FATAL_FAILURE(ExpectCurrent(cur_));
  }

  // MoveFirst + MoveNext to the end (or MoveLast + MovePrevious), every step
  // compared with the model's order.
  void WalkWhole(int i, bool forward) {
    const IndexModel& m = model_.indexes[i - 1];
    const Rec before = Buffer();
    Status st = forward ? block->MoveFirst(i) : block->MoveLast(i);
    Note(std::string("walk ") + (forward ? "forward " : "backward ") + std::to_string(i));
    if (m.entries.empty()) {
      ASSERT_EQ(st.code, err::kStartOfIndex) << Trail();
      ASSERT_NO_FATAL_FAILURE(ExpectUnchanged(before, cur_));
      return;
    }
    lastIndex_ = i;
    std::size_t n = 0;
    auto check = [&](const Entry& e) {
      ASSERT_TRUE(st.ok()) << "step " << n << ": " << st.code << Trail();
      cur_ = e.second;
      ASSERT_NO_FATAL_FAILURE(ExpectCurrent(e.second)) << "step " << n;
      ++n;
      st = forward ? block->MoveNext(i) : block->MovePrevious(i);
    };
    if (forward) {
      for (const Entry& e : m.entries) ASSERT_NO_FATAL_FAILURE(check(e));
    } else {
      for (auto it = m.entries.rbegin(); it != m.entries.rend(); ++it) ASSERT_NO_FATAL_FAILURE(check(*it));
    }
    ASSERT_EQ(st.code, forward ? err::kEndOfIndex : err::kStartOfIndex) << Trail();
    ASSERT_NO_FATAL_FAILURE(ExpectCurrent(cur_));
  }

  // A few MoveNext / MovePrevious steps from the current record.
  void WalkSome(int i) {
    if (cur_ < 1) return;
    const IndexModel& m = model_.indexes[i - 1];
    const int steps = Uniform(1, 12);
    for (int s = 0; s < steps; ++s) {
      const bool forward = Chance(0.6);
      const Entry* e = forward ? m.After(KeyOf(model_.records.at(cur_), i), cur_)
                               : m.Before(KeyOf(model_.records.at(cur_), i), cur_);
      const Rec before = Buffer();
      const Status st = forward ? block->MoveNext(i) : block->MovePrevious(i);
      Note(std::string(forward ? "move next " : "move previous ") + std::to_string(i) + " from " +
           std::to_string(cur_) + " -> " + std::to_string(st.code) + " ref " +
           std::to_string(block->CurrentRef()));
      if (e == nullptr) {
        ASSERT_EQ(st.code, forward ? err::kEndOfIndex : err::kStartOfIndex) << Trail();
        ASSERT_NO_FATAL_FAILURE(ExpectUnchanged(before, cur_));
        continue;
      }
      ASSERT_TRUE(st.ok()) << st.code << Trail();
      cur_ = e->second;
      lastIndex_ = i;
      ASSERT_NO_FATAL_FAILURE(ExpectCurrent(cur_));
    }
  }

  // Raw cursor steps from a position kept across changes of the file.
  void RawStep(int i, bool forward) {
    Entry& pos = raw_[static_cast<std::size_t>(i - 1)];
    const Entry* e = forward ? model_.indexes[i - 1].After(pos.first, pos.second)
                             : model_.indexes[i - 1].Before(pos.first, pos.second);
    RecordRef ref = pos.second;
    KeyString key = pos.first;
    const Rec before = Buffer();
    const Status st = forward ? block->IndexNextRaw(i, ref, key) : block->IndexPrevRaw(i, ref, key);
    Note(std::string(forward ? "next raw " : "prev raw ") + std::to_string(i) + " from " +
         Show(pos.first) + "/" + std::to_string(pos.second) + " -> " + std::to_string(st.code) +
         " " + Show(key) + "/" + std::to_string(ref));
    ASSERT_NO_FATAL_FAILURE(ExpectUnchanged(before, cur_));
    if (e == nullptr) {
      ASSERT_EQ(st.code, forward ? err::kEndOfIndex : err::kStartOfIndex) << Trail();
      pos = Entry{};
      return;
    }
    ASSERT_TRUE(st.ok()) << st.code << Trail();
    ASSERT_EQ(ref, e->second) << Trail();
    ASSERT_EQ(key, e->first) << Show(key) << " != " << Show(e->first) << Trail();
    pos = *e;
  }

  void SeekRaw(int i) {
    const IndexModel& m = model_.indexes[i - 1];
    Entry target;
    if (Chance(0.5) && !m.entries.empty()) {
      const RecordRef r = RandomLiveRef();
      target = {KeyOf(model_.records.at(r), i), r};
      if (!m.dups && Chance(0.3)) target.second = Uniform(0, model_.numRec + 2);  // ref ignored
    } else {
      target = {RandomKey(i), Uniform(0, model_.numRec + 2)};
    }
    const int direction = Uniform(-1, 1);
    const Entry* e = m.Exact(target.first, target.second);
    int code = 0;
    if (e == nullptr && direction == 0) code = err::kSeekAbsent;
    if (e == nullptr && direction > 0) e = m.After(target.first, target.second);
    if (e == nullptr && direction < 0) e = m.Before(target.first, target.second);
    if (e == nullptr && code == 0) code = direction > 0 ? err::kEndOfIndex : err::kStartOfIndex;
    RecordRef ref = target.second;
    KeyString key = target.first;
    const Rec before = Buffer();
    const Status st = block->IndexSeekRaw(i, ref, direction, key);
    Note("seek raw " + std::to_string(i) + " " + Show(target.first) + "/" +
         std::to_string(target.second) + " dir " + std::to_string(direction) + " -> " +
         std::to_string(st.code) + " " + Show(key) + "/" + std::to_string(ref));
    ASSERT_NO_FATAL_FAILURE(ExpectUnchanged(before, cur_));
    ASSERT_EQ(st.code, code) << Trail();
    if (code != 0) return;
    ASSERT_EQ(ref, e->second) << Trail();
    ASSERT_EQ(key, e->first) << Trail();
    raw_[static_cast<std::size_t>(i - 1)] = *e;
  }

  void ReadByRef() {
    if (model_.numRec < 1) return;
    const RecordRef r = Uniform(1, model_.numRec);
    const Rec before = Buffer();
    const Status st = block->ReadRecordByRef(r);
    Note("read " + std::to_string(r) + " -> " + std::to_string(st.code));
    if (model_.records.count(r) == 0) {
      ASSERT_EQ(st.code, err::kRecordDeleted) << Trail();
      ASSERT_NO_FATAL_FAILURE(ExpectUnchanged(before, cur_));
      return;
    }
    ASSERT_TRUE(st.ok()) << st.code << Trail();
    cur_ = r;
    ASSERT_NO_FATAL_FAILURE(ExpectCurrent(r));
  }

  struct SavedMark {
    Bookmark mark;
    int index;
    RecordRef ref;
    KeyString key;
  };

  void Save() {
    const int i = Uniform(0, N());
    const Bookmark b = block->SavePosition(i);
    Note("save position " + std::to_string(i) + " at " + std::to_string(cur_));
    ASSERT_EQ(engine->ErrorLevel(), 0) << Trail();
    ASSERT_EQ(b.indexNumber, i) << Trail();
    ASSERT_EQ(b.ref, cur_ > 0 ? cur_ : 0) << Trail();
    const KeyString key = cur_ > 0 && i > 0 ? KeyOf(model_.records.at(cur_), i) : KeyString();
    ASSERT_EQ(b.key, key) << Trail();
    if (bookmarks_.size() >= 4) bookmarks_.erase(bookmarks_.begin());
    bookmarks_.push_back({b, i, b.ref, key});
  }

  void Restore() {
    if (bookmarks_.empty()) return;
    const SavedMark& s = bookmarks_[static_cast<std::size_t>(Uniform(0, int(bookmarks_.size()) - 1))];
    const int mode = Uniform(0, 4);
    // Expected entry: exact, else by mode the next greater or smaller one.
    RecordRef expected = -1;
    if (s.ref != 0) {
      std::function<RecordRef()> exact, greater, smaller;
      if (s.index == 0) {
        const auto& recs = model_.records;
        exact = [&] { return recs.count(s.ref) != 0 ? s.ref : -1; };
        greater = [&] {
          auto it = recs.upper_bound(s.ref);
          return it == recs.end() ? -1 : it->first;
        };
        smaller = [&] {
          auto it = recs.lower_bound(s.ref);
          return it == recs.begin() ? -1 : std::prev(it)->first;
        };
      } else {
        const IndexModel& m = model_.indexes[s.index - 1];
        auto ref = [](const Entry* e) { return e == nullptr ? -1 : e->second; };
        exact = [&, ref] { return ref(m.Exact(s.key, s.ref)); };
        greater = [&, ref] { return ref(m.After(s.key, s.ref)); };
        smaller = [&, ref] { return ref(m.Before(s.key, s.ref)); };
      }
      expected = exact();
      if (expected < 0 && (mode == 1 || mode == 2)) expected = greater();
      if (expected < 0 && (mode == 3 || mode == 4)) expected = smaller();
      if (expected < 0 && mode == 1) expected = smaller();
      if (expected < 0 && mode == 3) expected = greater();
    }
    const Rec before = Buffer();
    const Status st = block->RestorePosition(s.mark, mode);
    Note("restore position " + std::to_string(s.index) + " " + Show(s.key) + "/" +
         std::to_string(s.ref) + " mode " + std::to_string(mode) + " -> " +
         std::to_string(st.code) + " ref " + std::to_string(block->CurrentRef()));
    if (s.ref == 0) {
      ASSERT_TRUE(st.ok()) << st.code << Trail();
      cur_ = -1;
      ASSERT_EQ(block->CurrentRef(), -1) << Trail();
      return;
    }
    if (expected < 0) {
      ASSERT_EQ(st.code, err::kRestoreNotFound) << Trail();
      ASSERT_NO_FATAL_FAILURE(ExpectUnchanged(before, cur_));
      return;
    }
    ASSERT_TRUE(st.ok()) << st.code << Trail();
    cur_ = expected;
    if (s.index > 0) lastIndex_ = s.index;
    ASSERT_NO_FATAL_FAILURE(ExpectCurrent(expected));
  }

  void RestartEngine() {
    Note("restart");
    Restart();
    ASSERT_NO_FATAL_FAILURE(DefineModelFile());
  }

  // One operation, weighted by the phase of the run: growing, mixed, shrinking.
  void RandomOperation(double progress) {
    const int insertWeight = progress < 0.45 ? 40 * C().insertBias : progress < 0.75 ? 20 : 8;
    const int removeWeight = progress < 0.45 ? 8 : progress < 0.75 ? 20 : 36;
    const int weights[] = {insertWeight, removeWeight, 14, 8, 6, 1, 6, 12, 4, 3, 3, 3, 1, 1};
    int pick = Uniform(0, std::accumulate(std::begin(weights), std::end(weights), 0) - 1);
    int op = 0;
    while (pick >= weights[op]) pick -= weights[op++];
    const int i = N() > 0 ? Uniform(1, N()) : 0;
    switch (op) {
      case 0: return Insert();
      case 1: return Remove();
      case 2: return Update();
      case 3: return FindExact(i, RandomKey(i));
      case 4: return FindAtLeast(i, RandomKey(i));
      case 5: return WalkWhole(i, Chance(0.5));
      case 6:
        if (cur_ < 1) {
          ASSERT_NO_FATAL_FAILURE(SelectCurrent());
        }
        return WalkSome(i);
      case 7: return RawStep(i, Chance(0.6));
      case 8: return SeekRaw(i);
      case 9: return ReadByRef();
      case 10: return Save();
      case 11: return Restore();
      case 12:
        if (Chance(0.3)) {
          // After a restart no index was used yet: removal repositions in
          // the order of RecordRefs.
          ASSERT_NO_FATAL_FAILURE(RestartEngine());
          ASSERT_NO_FATAL_FAILURE(Remove());
          return;
        }
        return RestartEngine();
      default:
        Note("flush");
        ASSERT_TRUE(block->Flush().ok()) << Trail();
        return;
    }
  }

  // Removes everything, then checks that each tree gave back all its pages.
  void Drain() {
    while (!model_.records.empty()) {
      if (cur_ < 1) {
        const int i = Uniform(1, N());
        if (Chance(0.5)) {
          ASSERT_NO_FATAL_FAILURE(WalkSome(i));
          ASSERT_NO_FATAL_FAILURE(SelectCurrent());
        } else {
          const bool first = Chance(0.5);
          const Status st = first ? block->MoveFirst(i) : block->MoveLast(i);
          ASSERT_TRUE(st.ok()) << Trail();
          const auto& entries = model_.indexes[i - 1].entries;
          cur_ = first ? entries.begin()->second : entries.rbegin()->second;
          lastIndex_ = i;
          ASSERT_NO_FATAL_FAILURE(ExpectCurrent(cur_));
        }
      }
      ++opNumber_;
      ASSERT_NO_FATAL_FAILURE(Remove());
      if (model_.records.size() % 97 == 0) {
        ASSERT_NO_FATAL_FAILURE(CheckBatch());
      }
    }
    ASSERT_NO_FATAL_FAILURE(CheckBatch());
    for (int i = 1; i <= N(); ++i) EXPECT_EQ(block->MoveFirst(i).code, err::kStartOfIndex);
    ASSERT_TRUE(engine->CloseAllFileBlocks().ok());
    const auto ix = ReadAll(File(".IX", "MODEL"));
    std::size_t slot = 0;
    for (int i = 1; i <= N(); ++i) {
      ASSERT_GE(ix.size(), slot + 28);
      const ConstBytes h{ix.data() + slot, 28};
      EXPECT_EQ(GetI32(h, 16), 0) << "Root of index " << i;
      EXPECT_EQ(GetI32(h, 21), 0) << "KeyCount of index " << i;
      EXPECT_EQ(GetI32(h, 4), GetI32(h, 8)) << "every page of index " << i << " is free";
      slot += static_cast<std::size_t>(PageBytesOf(C().indexes[i - 1].keyLen));
    }
  }

  // Levels of the tree of an index, read from the closed index file.
  int TreeDepth(int index) {
    const auto ix = ReadAll(File(".IX", "MODEL"));
    std::size_t row = 0, slot = 0;
    for (int i = 1; i <= N(); ++i) {
      const auto bytes = static_cast<std::size_t>(PageBytesOf(C().indexes[i - 1].keyLen));
      if (i < index) slot += bytes;
      row += bytes;
    }
    const ConstBytes all{ix};
    std::int32_t page = GetI32(all, slot + 16);
    int depth = 0;
    while (page > 0 && depth < 10) {
      ++depth;
      page = GetI32(all, static_cast<std::size_t>(page) * row + slot + 2);
    }
    return depth;
  }

  void Run() {
    rng_.seed(C().seed + SeedOffset());
    model_.indexes.assign(static_cast<std::size_t>(N()), IndexModel{});
    for (int i = 1; i <= N(); ++i) model_.indexes[i - 1].dups = C().indexes[i - 1].dups;
    raw_.assign(static_cast<std::size_t>(N()), Entry{});
    ASSERT_NO_FATAL_FAILURE(DefineModelFile());
    const int ops = OpsFromEnvironment(C().ops);
    constexpr int kBatch = 100;
    for (opNumber_ = 1; opNumber_ <= ops; ++opNumber_) {
      ASSERT_NO_FATAL_FAILURE(RandomOperation(double(opNumber_) / ops));
      if (opNumber_ == ops * 45 / 100) {
        // The end of the growing phase: the trees are at their deepest.
        peak_ = model_.records.size();
        ASSERT_TRUE(engine->CloseAllFileBlocks().ok());
        for (int i = 1; i <= N(); ++i) peakDepth_ = std::max(peakDepth_, TreeDepth(i));
      }
      if (opNumber_ % kBatch == 0) {
        ASSERT_NO_FATAL_FAILURE(CheckBatch());
      }
      if (opNumber_ % (kBatch * 10) == 0) {
        ASSERT_NO_FATAL_FAILURE(CheckEveryRecord());
      }
    }
    ASSERT_NO_FATAL_FAILURE(CheckBatch());
    ASSERT_NO_FATAL_FAILURE(CheckEveryRecord());
    for (int i = 1; i <= N(); ++i) {
      ASSERT_NO_FATAL_FAILURE(WalkWhole(i, true));
      ASSERT_NO_FATAL_FAILURE(WalkWhole(i, false));
    }
    EXPECT_GE(peakDepth_, C().minDepth) << "peak of " << peak_ << " records";
    ASSERT_NO_FATAL_FAILURE(Drain());
    // The emptied file is used again: freed pages and slots come back.
    Restart();
    ASSERT_NO_FATAL_FAILURE(DefineModelFile());
    for (int k = 0; k < 150; ++k) ASSERT_NO_FATAL_FAILURE(Insert());
    ASSERT_NO_FATAL_FAILURE(CheckBatch());
    ASSERT_NO_FATAL_FAILURE(CheckEveryRecord());
  }

  std::mt19937 rng_;
  Model model_;
  RecordRef cur_ = -1;
  int lastIndex_ = 0;
  std::vector<Entry> raw_;
  std::vector<SavedMark> bookmarks_;
  std::vector<std::uint8_t> callerBuffer_;
  std::deque<std::string> trail_;
  int opNumber_ = 0;
  std::size_t peak_ = 0;
  int peakDepth_ = 0;
};

TEST_P(ModelTest, RandomOperationsMatchTheModel) {
  ASSERT_NO_FATAL_FAILURE(Run());
  RecordProperty("peak_records", static_cast<int>(peak_));
  RecordProperty("peak_depth", peakDepth_);
}

Part Text(int field) { return {PartKind::kText, field, 0}; }
Part Padded(int field, int width) { return {PartKind::kPaddedText, field, width}; }
constexpr Part kAuto{PartKind::kAuto};
constexpr Part kNumber{PartKind::kNumber};
constexpr Part kGroup{PartKind::kGroup};

const Config kConfigs[] = {
    // The smallest record; one index of key length 1 over a two-letter
    // alphabet: three distinct keys (with the empty one), long runs of
    // duplicates spanning many pages.
    {"TinyDuplicates", 22, {{1, "AB"}}, {{1, true, {Text(0)}}}, 1000, 3, false, false, 11, 3000},
    // The program's usual shape: automatic number in a unique index, names
    // with duplicates; the caller owns the record buffer.
    {"AutoNumberAndNames", 40, {{4, "ABC"}},
     {{5, false, {kAuto}, true}, {10, true, {Padded(0, 10)}}}, 50, 4, false, true, 22, 3000},
    // A unique index last, over few possible keys: most inserts are refused
    // after the keys of indexes 1 and 2 were added; bytes 0x00/0xFF/blank in
    // the keys; flush after every write.
    {"UniqueRefusals", 64, {{3, std::string("a\xFF \x01", 4)}, {1, "XY"}},
     {{5, true, {kNumber}}, {3, true, {Text(0)}}, {2, false, {kGroup, Text(1)}}},
     30, 40, true, false, 33, 2000},
    // Long keys with long shared prefixes, a composite unique key, and an
    // automatic number counted per group (key prefix).
    {"WideKeys", 300, {{50, "AB"}, {12, "KLMN"}, {6, "0123"}},
     {{50, true, {Text(0)}},
      {22, false, {Padded(1, 12), kNumber, kAuto}},
      {7, true, {kGroup, Text(2)}},
      {6, false, {kGroup, kAuto}, true}},
     100, 4, false, false, 44, 3000},
    // Eight indexes of key lengths 1 to 50 on one record, as a log file has.
    {"ManyIndexes", 216, {{6, "ABCD"}, {3, "123"}, {1, "SC"}, {20, "AB"}},
     {{5, false, {kAuto}, true},
      {1, true, {Text(2)}},
      {2, true, {kGroup, Text(2)}},
      {6, true, {Padded(0, 6)}},
      {14, true, {Padded(0, 6), Padded(1, 3), kNumber}},
      {21, false, {Padded(0, 6), Padded(1, 3), Padded(2, 1), kGroup, kNumber, kAuto}},
      {27, true, {Text(3), kGroup}},
      {50, true, {Padded(3, 20), Padded(0, 6), kNumber}}},
     500, 3, false, false, 55, 2500},
    // Enough records for a tree of three levels.
    {"DeepTree", 30, {{4, "ABCDEFGH"}},
     {{5, false, {kAuto}, true}, {4, true, {Text(0)}}}, 10, 2, false, false, 66, 9000, 8, 3},
    // Large records, flushed after every write.
    {"LargeRecords", 4000, {{3, "PQ"}}, {{3, true, {Text(0)}}, {5, false, {kNumber}}},
     100000, 2, true, true, 77, 800},
};

INSTANTIATE_TEST_SUITE_P(Configs, ModelTest, ::testing::ValuesIn(kConfigs),
                         [](const ::testing::TestParamInfo<Config>& p) { return p.param.name; });

}  // namespace
}  // namespace korv::testing
