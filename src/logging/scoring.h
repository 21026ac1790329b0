// QSO points and multipliers: the point rule of the contest variant, the
// multiplier kinds with their tests and indexes, the tables of worked
// values that feed the multiplier grid, and the entry's own contribution
// while it is typed.
//
// Multiplier kinds (elements of multiplierKinds) that carry a value, the
// record field, the QSO-file indexes per band / whole log, the key bytes
// after the band that identify the value, and the column names:
//   2  prefix          Prefix trimmed      10 / 5    6   "DXCC" "Prefix"
//   4  DOK             Dok (DOK test)      21 / 18   8   DOK family
//   5  locator         RxLocator[1..4]     23 / 3    4   "Loc"
//   8  area            Dok (any)           21 / 18   8   DOK family
//   10 call            base call           9 (band)  14  "Callmulti"
//   12 US state        AreaCode            25 (band) 2   "US-State"
//   15 postcode        AreaCode            25 / 26   2   "PLZ"
//   16 member number   Multi3              27 / 20   6   "DIG" "AGCW" "QCWA"
//   17 district code   Dok (any)           21 / 18   8   DOK family
//   18 DOK district    first letter        21 / 18   1   DOK family
//   19 Naval / QCWA    Multi3              20 (log)  6   "Naval" "QCWA"
// DOK family = "DOK", "Area", "LDK". Kinds 8 and 17 share the DOK table.
// Elements 1, 3, 9 and 14 only change how prefixes are filled or counted.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "files/contest_header.h"
#include "logging/qso_record.h"
#include "refdata/callsign.h"
#include "shell/contest_rules.h"
#include "storage/file_block.h"

namespace korv {

// The organiser's club station and the special-event station of the DEZ
// variant (code '3'): 10 and 5 points.
inline constexpr std::string_view kDezOrganiserCall = "DK0VZ";
inline constexpr std::string_view kDezSpecialEventCall = "DR2DEZ";

// A club or special station: the special-event call; D + A/C/F/K/L/N/O +
// "0"; D + Q/R; or exactly 4 characters D + A-R.
bool IsClubOrSpecialCall(std::string_view call);

// The variant's point rule for a record (0..65535).
std::uint16_t PointsOf(const QsoRecord& record, const ContestHeader& header,
                       const ContestRules& rules, ContestCode code);

// Whether a DOK value counts as a multiplier under the rules.
bool DokMultiplierTest(std::string_view dok, const ContestRules& rules);

// multiplierMode: 0 per band, 2 per band and mode class, else whole log.
inline bool WholeLogScope(const ContestRules& rules) {
  return rules.multiplierMode != 0 && rules.multiplierMode != 2;
}

// Whether the values of a multiplier kind are counted per band under the
// rules (some kinds have only a per-band or only a whole-log index).
bool SearchPerBand(int kind, const ContestRules& rules);

struct ScoringContext {
  const ContestRules* rules = nullptr;
  ContestCode code = 0;
  const SuffixTable* suffixes = nullptr;
};

// The value-carrying kinds of the rules, in element order.
std::vector<int> ActiveMultiplierKinds(const ContestRules& rules);
// The table a kind's values are listed in (8 and 17 use 4's).
int MultiplierTableOf(int kind);
// The value a record carries for a kind, empty when it carries none or
// the value fails the kind's test.
std::string MultiplierValue(int kind, const QsoRecord& record, const ScoringContext& ctx);
// True when column c's heading (multiplierLabel[c]) names the kind.
bool ColumnNamesKind(std::string_view heading, int kind);
// True when the record counts for multipliers under exchangeFilter.
bool PassesExchangeFilter(const QsoRecord& record, const ContestRules& rules);

// Where earlier QSOs of a value are looked up.
class WorkedLookup {
 public:
  virtual ~WorkedLookup() = default;
  // True when a stored QSO (not the entry) makes the value worked for the
  // entry's band / mode under the rules' scope.
  virtual bool IsWorked(int kind, const std::string& value, const QsoRecord& entry) = 0;
};

// Searches the QSO file (its record buffer is overwritten).
class QsoFileWorkedLookup : public WorkedLookup {
 public:
  QsoFileWorkedLookup(FileBlock& qsoFile, const ScoringContext& ctx) : file_(qsoFile), ctx_(ctx) {}
  bool IsWorked(int kind, const std::string& value, const QsoRecord& entry) override;

 private:
  FileBlock& file_;
  ScoringContext ctx_;
};

// Remembers the values of the records added so far (renumbering evaluates
// every QSO against the QSOs copied back before it).
class MemoryWorkedLookup : public WorkedLookup {
 public:
  explicit MemoryWorkedLookup(const ScoringContext& ctx) : ctx_(ctx) {}
  bool IsWorked(int kind, const std::string& value, const QsoRecord& entry) override;
  void Add(const QsoRecord& record);

 private:
  ScoringContext ctx_;
  // kind, band (0 whole log), mode text ("" unless per band and mode), value
  std::set<std::tuple<int, char, std::string, std::string>> worked_;
};

// Distinct counted values of one band (band 0: the whole log).
struct MultiplierCount {
  std::int32_t multipliers = 0;
  std::array<std::int32_t, 3> columns{};  // values whose kind matches multiplierLabel[c]
};
MultiplierCount CountMultipliers(FileBlock& qsoFile, const ScoringContext& ctx, BandIndex band);

// One value of the grid with its state.
enum class WorkedStatus : std::uint8_t { kWorked = 0, kNewByEntry = 1, kHitByEntry = 2 };
struct WorkedValue {
  std::string value;
  WorkedStatus status = WorkedStatus::kWorked;
};
inline constexpr std::size_t kMaxWorkedValues = 500;
inline constexpr std::size_t kGridCells = 112;  // 8 rows of 14

// The worked tables of the current band (or of the log) and its
// multiplier count, with the entry's contribution added and withdrawn.
class MultiplierTables {
 public:
  explicit MultiplierTables(const ScoringContext& ctx) : ctx_(ctx) {}

  // Fills the tables from the QSO file for band (ignored with whole-log
  // scope); the count becomes the number of distinct values.
  void Rebuild(FileBlock& qsoFile, BandIndex band);
  // Judges every kind for the record: clears and writes the multiplier
  // columns; with fromEntry the tables and the count take the entry's new
  // values (status 1) and hits (status 2). Returns the number of new values.
  int Evaluate(QsoRecord& record, WorkedLookup& lookup, bool fromEntry);
  // Removes the entry's new values and resets every status.
  void Withdraw();
  // Forgets the entry's contribution without removing its values (after a
  // save the values belong to a stored QSO).
  void Commit();

  std::int32_t count() const { return count_; }
  // The first 112 values of all tables merged in ascending order.
  std::vector<WorkedValue> GridValues() const;
  const std::vector<WorkedValue>& Table(int kind) const;

 private:
  void Insert(int table, const std::string& value, WorkedStatus status);

  ScoringContext ctx_;
  std::map<int, std::vector<WorkedValue>> tables_;
  std::map<int, std::string> entryNew_;  // kind -> value the entry added
  std::int32_t count_ = 0;
};

}  // namespace korv
