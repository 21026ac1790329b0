#include "logging/scoring.h"

#include <algorithm>

#include "common/text.h"
#include "files/file_keys.h"
#include "logging/exchange_rules.h"

namespace korv {
namespace {

struct KindIndexes {
  int perBand = 0;    // 0: the kind has no per-band index
  int wholeLog = 0;   // 0: the kind has no whole-log index
  std::size_t width = 0;  // key bytes after the band that carry the value
};

KindIndexes IndexesOf(int kind) {
  switch (kind) {
    case 2: return {10, 5, 6};
    case 4:
    case 8:
    case 17: return {21, 18, 8};
    case 5: return {23, 3, 4};
    case 10: return {9, 0, 14};
    case 12: return {25, 0, 2};
    case 15: return {25, 26, 2};
    case 16: return {27, 20, 6};
    case 18: return {21, 18, 1};
    case 19: return {0, 20, 6};
    default: return {};
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ListContains(const IndexedArray<std::string, 1, 100>& list, std::string_view value) {
  for (const std::string& s : list) {
    if (!s.empty() && s == value) return true;
  }
  return false;
}

bool ListEmpty(const IndexedArray<std::string, 1, 100>& list) {
  for (const std::string& s : list) {
    if (!s.empty()) return false;
  }
  return true;
}

bool IsDistrictLetter(const ContestRules& rules, char c) {
  for (char d : rules.districtLetters) {
    if (d != 0 && d == c) return true;
  }
  return false;
}

bool HasDistrictLetters(const ContestRules& rules) {
  for (char d : rules.districtLetters) {
    if (d != 0) return true;
  }
  return false;
}

// The smallest key greater than every key that begins with prefix.
std::string KeyAfterPrefix(std::string prefix) {
  while (!prefix.empty()) {
    auto& last = reinterpret_cast<unsigned char&>(prefix.back());
    if (last < 0xFF) {
      ++last;
      return prefix;
    }
    prefix.pop_back();
  }
  return {};
}

QsoRecord RecordOf(FileBlock& file) {
  return QsoRecord(QsoRecord::Record(file.Record().data(), kQsoRecordSize));
}

// Walks the distinct values of a kind over one band (0: whole log) and
// calls add(value, modeText) for each counted QSO value; mode texts are
// passed only when multipliers count per band and mode.
template <typename Add>
void WalkDistinct(FileBlock& file, int kind, BandIndex band, const ScoringContext& ctx, Add add) {
  const ContestRules& rules = *ctx.rules;
  const KindIndexes ix = IndexesOf(kind);
  const bool perBand = SearchPerBand(kind, rules);
  const int index = perBand ? ix.perBand : ix.wholeLog;
  if (index == 0) return;
  const bool byMode = rules.multiplierMode == 2 && perBand;
  const std::size_t bandLen = perBand ? 1 : 0;
  Status st = perBand ? file.FindAtLeast(index, KeyString(std::string(1, band)))
                      : file.MoveFirst(index);
  while (st.ok()) {
    const KeyString key = file.BuildKey(index);
    if (perBand && (key.size() == 0 || static_cast<char>(key.data()[0]) != band)) break;
    const QsoRecord rec = RecordOf(file);
    if (rec.IsQsyMarker() || !PassesExchangeFilter(rec, rules)) {
      st = file.MoveNext(index);
      continue;
    }
    const std::string value = MultiplierValue(kind, rec, ctx);
    if (!value.empty()) add(value, byMode ? rec.mode() : std::string());
    if (byMode || (value.empty() && kind == 18)) {
      st = file.MoveNext(index);
      continue;
    }
    const std::string next = KeyAfterPrefix(std::string(key.view().substr(0, bandLen + ix.width)));
    if (next.empty()) break;
    st = file.FindAtLeast(index, KeyString(next));
  }
}

}  // namespace

bool SearchPerBand(int kind, const ContestRules& rules) {
  const KindIndexes ix = IndexesOf(kind);
  if (ix.wholeLog == 0) return true;
  if (ix.perBand == 0) return false;
  return !WholeLogScope(rules);
}

bool IsClubOrSpecialCall(std::string_view call) {
  if (call == kDezSpecialEventCall) return true;
  if (call.size() >= 3 && call[0] == 'D') {
    const char c = call[1];
    if (std::string_view("ACFKLNO").find(c) != std::string_view::npos && call[2] == '0') return true;
    if (c == 'Q' || c == 'R') return true;
  }
  return call.size() == 4 && call[0] == 'D' && call[1] >= 'A' && call[1] <= 'R';
}

std::uint16_t PointsOf(const QsoRecord& record, const ContestHeader&, const ContestRules&,
                       ContestCode code) {
  if (code == 'D') return 2;
  if (code != '3') return 1;
  const std::string call = record.call();
  if (call.size() < 3) return 1;
  std::uint16_t points = 1;
  if (IsClubOrSpecialCall(call)) points = 5;
  if (call == kDezOrganiserCall) points = 10;
  return points;
}

bool DokMultiplierTest(std::string_view dok, const ContestRules& rules) {
  if (rules.multiplierKinds.test(8) || rules.multiplierKinds.test(17)) return true;
  if (!rules.rejectedDok.empty() && dok == rules.rejectedDok) return false;
  bool counts = false;
  const bool listEmpty = ListEmpty(rules.dokList);
  if (!listEmpty) counts = ListContains(rules.dokList, dok);
  if (!counts && HasDistrictLetters(rules)) {
    counts = dok.size() == 3 && IsDistrictLetter(rules, dok[0]) && IsDigit(dok[1]) &&
             IsDigit(dok[2]) && dok != "M26" && dok != "M29";
  }
  if (!HasDistrictLetters(rules) && listEmpty) counts = true;
  if (!counts && rules.acceptOtherDokForms != 0 && DokIsAcceptable(dok)) {
    const bool letterDigit3 = dok.size() == 3 && dok[0] >= 'A' && dok[0] <= 'Z' && IsDigit(dok[1]);
    counts = !letterDigit3;
  }
  return counts;
}

std::vector<int> ActiveMultiplierKinds(const ContestRules& rules) {
  std::vector<int> kinds;
  for (int k : {2, 4, 5, 8, 10, 12, 15, 16, 17, 18, 19}) {
    if (rules.multiplierKinds.test(static_cast<std::size_t>(k))) kinds.push_back(k);
  }
  return kinds;
}

int MultiplierTableOf(int kind) { return (kind == 8 || kind == 17) ? 4 : kind; }

std::string MultiplierValue(int kind, const QsoRecord& record, const ScoringContext& ctx) {
  const ContestRules& rules = *ctx.rules;
  switch (kind) {
    case 2: {
      std::string p = TrimBlanksTabs(record.prefix());
      if (p == "DL" && !rules.multiplierKinds.test(3)) return {};
      if (rules.multiplierKinds.test(9) && record.continent() != "EU") return {};
      return p;
    }
    case 4: {
      std::string d = record.dok();
      return !d.empty() && DokMultiplierTest(d, rules) ? d : std::string();
    }
    case 5: {
      std::string loc = record.rxLocator();
      return loc.size() >= 4 ? loc.substr(0, 4) : std::string();
    }
    case 8:
    case 17: return TrimBlanksTabs(record.dok());
    case 10: {
      const SuffixTable& suffixes = ctx.suffixes != nullptr ? *ctx.suffixes : DefaultSuffixTable();
      std::string base = BaseCall(record.call(), CallPart::kBaseCall, suffixes);
      if (base.empty()) return {};
      if (ListEmpty(rules.specialCalls) || ListContains(rules.specialCalls, base)) return base;
      return {};
    }
    case 12:
    case 15: return TrimBlanksTabs(record.areaCode());
    case 16:
    case 19: {
      std::string m = TrimBlanksTabs(record.multi3());
      return m.substr(0, std::min<std::size_t>(m.size(), 6));
    }
    case 18: {
      const std::string d = record.dok();
      if (d.size() == 3 && IsDistrictLetter(rules, d[0]) && IsDigit(d[1]) && IsDigit(d[2])) {
        return d.substr(0, 1);
      }
      return {};
    }
    default: return {};
  }
}

bool ColumnNamesKind(std::string_view heading, int kind) {
  if (heading.empty()) return false;
  switch (kind) {
    case 2: return heading == "DXCC" || heading == "Prefix";
    case 4:
    case 8:
    case 17:
    case 18: return heading == "DOK" || heading == "Area" || heading == "LDK";
    case 5: return heading == "Loc";
    case 10: return heading == "Callmulti";
    case 12: return heading == "US-State";
    case 15: return heading == "PLZ";
    case 16: return heading == "DIG" || heading == "AGCW" || heading == "QCWA";
    case 19: return heading == "Naval" || heading == "QCWA";
    default: return false;
  }
}

bool PassesExchangeFilter(const QsoRecord& record, const ContestRules& rules) {
  const std::string& filter = rules.exchangeFilter[1];
  return filter.empty() || record.rcvdExch().find(filter) != std::string::npos;
}

bool QsoFileWorkedLookup::IsWorked(int kind, const std::string& value, const QsoRecord& entry) {
  const ContestRules& rules = *ctx_.rules;
  const KindIndexes ix = IndexesOf(kind);
  const bool perBand = SearchPerBand(kind, rules);
  const int index = perBand ? ix.perBand : ix.wholeLog;
  if (index == 0) return false;
  std::string prefix;
  if (perBand) prefix += entry.band();
  prefix += PadText(value, ix.width);
  const std::uint32_t self = entry.recordNo();
  const std::string entryMode = entry.mode();
  Status st = file_.FindAtLeast(index, KeyString(prefix));
  while (st.ok()) {
    if (file_.BuildKey(index).view().substr(0, prefix.size()) != prefix) return false;
    const QsoRecord rec = RecordOf(file_);
    const bool counts = !rec.IsQsyMarker() && (self == 0 || rec.recordNo() != self) &&
                        PassesExchangeFilter(rec, rules) &&
                        MultiplierValue(kind, rec, ctx_) == value &&
                        (rules.multiplierMode != 2 || !perBand || rec.mode() == entryMode);
    if (counts) return true;
    st = file_.MoveNext(index);
  }
  return false;
}

bool MemoryWorkedLookup::IsWorked(int kind, const std::string& value, const QsoRecord& entry) {
  const bool perBand = SearchPerBand(kind, *ctx_.rules);
  const bool byMode = ctx_.rules->multiplierMode == 2 && perBand;
  return worked_.count({kind, perBand ? entry.band() : '\0', byMode ? entry.mode() : std::string(),
                        value}) != 0;
}

void MemoryWorkedLookup::Add(const QsoRecord& record) {
  if (record.IsQsyMarker() || !PassesExchangeFilter(record, *ctx_.rules)) return;
  for (int kind : ActiveMultiplierKinds(*ctx_.rules)) {
    std::string value = MultiplierValue(kind, record, ctx_);
    if (value.empty()) continue;
    const bool perBand = SearchPerBand(kind, *ctx_.rules);
    const bool byMode = ctx_.rules->multiplierMode == 2 && perBand;
    worked_.insert({kind, perBand ? record.band() : '\0',
                    byMode ? record.mode() : std::string(), std::move(value)});
  }
}

MultiplierCount CountMultipliers(FileBlock& qsoFile, const ScoringContext& ctx, BandIndex band) {
  const ContestRules& rules = *ctx.rules;
  std::map<int, std::set<std::string>> values;                     // per table
  std::map<int, std::set<std::pair<std::string, std::string>>> byMode;  // per table
  std::map<int, int> kindOfTable;
  for (int kind : ActiveMultiplierKinds(rules)) {
    const int table = MultiplierTableOf(kind);
    kindOfTable.emplace(table, kind);
    WalkDistinct(qsoFile, kind, band, ctx, [&](const std::string& v, const std::string& mode) {
      values[table].insert(v);
      byMode[table].insert({v, mode});
    });
  }
  MultiplierCount count;
  for (const auto& [table, set] : values) {
    const auto n = static_cast<std::int32_t>(rules.multiplierMode == 2 ? byMode[table].size() : set.size());
    count.multipliers += n;
    for (int c = 1; c <= 3; ++c) {
      if (ColumnNamesKind(rules.multiplierLabel[c], kindOfTable[table])) {
        count.columns[static_cast<std::size_t>(c - 1)] += static_cast<std::int32_t>(set.size());
      }
    }
  }
  return count;
}

void MultiplierTables::Rebuild(FileBlock& qsoFile, BandIndex band) {
  tables_.clear();
  entryNew_.clear();
  const ContestRules& rules = *ctx_.rules;
  std::map<int, std::set<std::pair<std::string, std::string>>> pairs;
  std::map<int, std::set<std::string>> values;
  for (int kind : ActiveMultiplierKinds(rules)) {
    const int table = MultiplierTableOf(kind);
    tables_[table];
    WalkDistinct(qsoFile, kind, band, ctx_, [&](const std::string& v, const std::string& mode) {
      pairs[table].insert({v, mode});
      values[table].insert(v);
    });
  }
  count_ = 0;
  for (auto& [table, set] : values) {
    count_ += static_cast<std::int32_t>(rules.multiplierMode == 2 ? pairs[table].size() : set.size());
    auto& list = tables_[table];
    for (const std::string& v : set) {
      if (list.size() >= kMaxWorkedValues) break;
      list.push_back({v, WorkedStatus::kWorked});
    }
  }
}

void MultiplierTables::Insert(int table, const std::string& value, WorkedStatus status) {
  auto& list = tables_[table];
  auto it = std::lower_bound(list.begin(), list.end(), value,
                             [](const WorkedValue& w, const std::string& v) { return w.value < v; });
  if (it != list.end() && it->value == value) {
    it->status = status;
    return;
  }
  list.insert(it, {value, status});
  if (list.size() > kMaxWorkedValues) list.pop_back();
}

int MultiplierTables::Evaluate(QsoRecord& record, WorkedLookup& lookup, bool fromEntry) {
  const ContestRules& rules = *ctx_.rules;
  record.SetMulti1("");
  record.SetMulti2("");
  const ContestCode code = ctx_.code;
  const bool multi3HoldsExchange = rules.listenerLog != 0 || code == '7' || code == 'f' ||
                                   code == 'i' || code == 'k';
  if (!multi3HoldsExchange) record.SetMulti3("");
  int added = 0;
  for (int kind : ActiveMultiplierKinds(rules)) {
    const std::string value = MultiplierValue(kind, record, ctx_);
    if (value.empty()) continue;
    const int table = MultiplierTableOf(kind);
    const bool worked = code != 'L' && lookup.IsWorked(kind, value, record);
    if (worked) {
      if (fromEntry) {
        auto& list = tables_[table];
        for (WorkedValue& w : list) {
          if (w.value == value && w.status == WorkedStatus::kWorked) w.status = WorkedStatus::kHitByEntry;
        }
      }
      continue;
    }
    if (ColumnNamesKind(rules.multiplierLabel[1], kind)) record.SetMulti1(value);
    if (ColumnNamesKind(rules.multiplierLabel[2], kind)) record.SetMulti2(value);
    if (ColumnNamesKind(rules.multiplierLabel[3], kind)) record.SetMulti3(value);
    if (!fromEntry) {
      ++added;
      continue;
    }
    // Two kinds sharing a table add a value once.
    bool already = false;
    for (const auto& [k, v] : entryNew_) {
      if (MultiplierTableOf(k) == table && v == value) already = true;
    }
    if (already) continue;
    Insert(table, value, WorkedStatus::kNewByEntry);
    entryNew_[kind] = value;
    ++count_;
    ++added;
  }
  return added;
}

void MultiplierTables::Withdraw() {
  for (auto& [table, list] : tables_) {
    for (WorkedValue& w : list) w.status = WorkedStatus::kWorked;
  }
  for (const auto& [kind, value] : entryNew_) {
    auto& list = tables_[MultiplierTableOf(kind)];
    auto it = std::find_if(list.begin(), list.end(), [&](const WorkedValue& w) { return w.value == value; });
    if (it != list.end()) list.erase(it);
    if (count_ > 0) --count_;
  }
  entryNew_.clear();
}

void MultiplierTables::Commit() {
  for (auto& [table, list] : tables_) {
    for (WorkedValue& w : list) w.status = WorkedStatus::kWorked;
  }
  entryNew_.clear();
}

std::vector<WorkedValue> MultiplierTables::GridValues() const {
  std::vector<WorkedValue> all;
  for (const auto& [table, list] : tables_) all.insert(all.end(), list.begin(), list.end());
  std::stable_sort(all.begin(), all.end(),
                   [](const WorkedValue& a, const WorkedValue& b) { return a.value < b.value; });
  if (all.size() > kGridCells) all.resize(kGridCells);
  return all;
}

const std::vector<WorkedValue>& MultiplierTables::Table(int kind) const {
  static const std::vector<WorkedValue> kEmpty;
  auto it = tables_.find(MultiplierTableOf(kind));
  return it == tables_.end() ? kEmpty : it->second;
}

}  // namespace korv
