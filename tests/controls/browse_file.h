// A small keyed file for the record browser tests, in its own engine and
// temporary directory, with a model of what it holds. Used by the engine
// tests (GoogleTest) and the grid tests (QTest), so it asserts nothing.
//
// Record (24 bytes):
//   OFFSET SIZE DESCRIPTION                 index
//   4      4    int32 automatic number      1  unique      L(number)
//   8      11   ShortText[10] call          2  duplicates  pad(call, 10)
//   19     1    group character             3  duplicates  group + L(number)
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/engine.h"
#include "support/test_support.h"

namespace korv::testing {

inline constexpr int kBrowseRecLen = 24;
inline constexpr int kByNumber = 1;
inline constexpr int kByCall = 2;
inline constexpr int kByGroup = 3;

struct BrowseRecord {
  std::int32_t number = 0;
  std::string call;
  char group = 'A';
};

inline void BrowseKeys(ConstBytes rec, int index, KeyString& key) {
  switch (index) {
    case kByNumber: key.AppendLong(GetI32(rec, 4)); break;
    case kByCall: key.AppendPadded(GetShortText(rec, 8, 10), 10); break;
    case kByGroup:
      key.AppendByte(GetU8(rec, 19));
      key.AppendLong(GetI32(rec, 4));
      break;
    default: break;
  }
}

inline KeyString CallKey(std::string_view call) {
  KeyString key;
  key.AppendPadded(call, 10);
  return key;
}

inline KeyString NumberKey(std::int32_t number) {
  KeyString key;
  key.AppendLong(number);
  return key;
}

class BrowseFile {
 public:
  explicit BrowseFile(std::string_view name) : dir_(MakeTempDir(name)) {
    EngineOptions options = TestEngineOptions(dir_, fatal);
    options.askRetry = [this](std::string_view text) {
      retryQuestions.emplace_back(text);
      return false;
    };
    options.sleep = [this](int milliseconds) { waits.push_back(milliseconds); };
    engine = StartTestEngine(options);
    ok = engine != nullptr;
    if (!ok) return;
    block = engine->DefineFileBlock("BROWSE", "BROWSE", kBrowseRecLen, 3, BrowseKeys, nullptr, 32,
                                    true);
    ok = block != nullptr && block->DefineIndex(kByNumber, 5, false).ok() &&
         block->DefineIndex(kByCall, 10, true).ok() && block->DefineIndex(kByGroup, 6, true).ok() &&
         block->SetAutoNumberField(kByNumber, 4).ok();
  }
  ~BrowseFile() {
    engine.reset();
    std::filesystem::remove_all(dir_);
  }
  BrowseFile(const BrowseFile&) = delete;
  BrowseFile& operator=(const BrowseFile&) = delete;

  // Inserts a record and remembers it in the model; false on failure.
  bool Insert(std::string_view call, char group) {
    block->ClearRecordBuffer();
    PutShortText(block->Record(), 8, 10, call);
    PutU8(block->Record(), 19, static_cast<std::uint8_t>(group));
    if (!block->InsertRecord().ok()) return false;
    model.push_back({Number(block->Record()), std::string(call), group});
    return true;
  }

  // count records with calls "K" + a 6-digit permutation of their number,
  // group 'A' + number % 3, appended in one bulk load.
  bool Fill(int count, bool bulk) {
    if (bulk && !block->BeginBulkLoad().ok()) return false;
    for (int n = 1; n <= count; ++n) {
      const long scrambled = (static_cast<long>(n) * 7919) % 100003;
      std::string call = "K" + std::to_string(1000000 + scrambled).substr(1);
      if (!Insert(call, static_cast<char>('A' + n % 3))) return false;
    }
    return !bulk || block->EndBulkLoad().ok();
  }

  // Removes the record from the file and the model.
  bool Remove(std::int32_t number) {
    if (!block->FindExact(kByNumber, NumberKey(number)).ok()) return false;
    if (!block->RemoveRecord(RemoveMode::kNone).ok()) return false;
    std::erase_if(model, [&](const BrowseRecord& r) { return r.number == number; });
    return true;
  }

  // Marks the record deleted on disk behind the engine's back, leaving its
  // index entries: the browser then meets an entry it cannot read.
  bool Spoil(std::int32_t number) {
    if (!block->FindExact(kByNumber, NumberKey(number)).ok()) return false;
    const RecordRef ref = block->CurrentRef();
    if (!block->Flush().ok()) return false;
    std::fstream dat(dir_ / "BROWSE.DAT", std::ios::in | std::ios::out | std::ios::binary);
    dat.seekp(static_cast<std::streamoff>(ref) * kBrowseRecLen);
    const char mark[4] = {-1, -1, -1, -1};
    dat.write(mark, 4);
    return static_cast<bool>(dat);
  }

  // The model in the order of an index.
  std::vector<BrowseRecord> Sorted(int index) const {
    std::vector<BrowseRecord> v = model;
    std::sort(v.begin(), v.end(), [index](const BrowseRecord& a, const BrowseRecord& b) {
      if (index == kByCall && a.call != b.call) return a.call < b.call;
      if (index == kByGroup && a.group != b.group) return a.group < b.group;
      return a.number < b.number;
    });
    return v;
  }

  static std::int32_t Number(ConstBytes rec) { return GetI32(rec, 4); }
  static std::string Call(ConstBytes rec) { return GetShortText(rec, 8, 10); }
  // The row text the tests' OnBuildRow writes: "call;number;group".
  static std::string RowText(ConstBytes rec) {
    return Call(rec) + ";" + std::to_string(Number(rec)) + ";" +
           std::string(1, static_cast<char>(GetU8(rec, 19)));
  }
  static std::string RowText(const BrowseRecord& r) {
    return r.call + ";" + std::to_string(r.number) + ";" + std::string(1, r.group);
  }

  RecordingFatalHandler fatal;
  std::vector<std::string> retryQuestions;
  std::vector<int> waits;  // the retry waits, in ms
  std::unique_ptr<StorageEngine> engine;
  FileBlock* block = nullptr;
  std::vector<BrowseRecord> model;
  bool ok = false;

 private:
  std::filesystem::path dir_;
};

}  // namespace korv::testing
