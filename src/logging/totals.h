// Running totals of a contest log: points, QSOs and multipliers per band,
// the claimed score, the texts of the totals line and the totals panel, and
// storing the per-band results (Recalculate) for the windows that show them
// without opening the log.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "files/contest_header.h"
#include "logging/scoring.h"
#include "logging/totals_record.h"
#include "platform/platform.h"
#include "shell/contest_rules.h"
#include "storage/file_block.h"

namespace korv {

// Arrays are indexed by the BandIndex character code (1..255).
struct LogTotals {
  std::array<std::int32_t, 256> pointsPerBand{};
  std::array<std::int32_t, 256> qsosPerBand{};
  std::array<std::int32_t, 256> multipliersPerBand{};
  std::int32_t currentPoints = 0;
  std::int32_t currentMultipliers = 0;
  std::int32_t currentQsos = 0;
  std::int32_t logCounter = 1;  // QSOs in the log + 1

  static std::size_t Slot(BandIndex band) { return static_cast<unsigned char>(band); }
};

// Variant 'E' with whole-log scope counts every QSO in slot 1.
bool CountsInSlotOne(const ContestRules& rules, ContestCode code);

// Adds a saved QSO's points and one QSO (not for QSY lines).
void AddSavedQso(LogTotals& totals, const ContestRules& rules, ContestCode code, BandIndex band,
                 std::int32_t points);

// Rebuilds everything from the QSO file: the tables of currentBand, the
// per-band arrays (points recomputed by the point rule), the log counter,
// the per-band multipliers. Returns the band of the last record in
// record-number order (a QSY line's new band), 0 for an empty log.
BandIndex FullRecount(FileBlock& qsoFile, const ScoringContext& ctx, const ContestHeader& header,
                      BandIndex currentBand, MultiplierTables& tables, LogTotals& totals);

// Points and QSOs of the current band from the arrays.
void TakeCurrentBand(LogTotals& totals, const ContestRules& rules, ContestCode code, BandIndex band);

struct ScoreParts {
  std::int64_t points = 0;       // P
  std::int64_t multipliers = 0;  // M
  std::int64_t qsos = 0;         // Q
  std::int64_t score = 0;
};
ScoreParts ComputeScore(const LogTotals& totals, const ContestRules& rules);

// The entry panel's totals line.
struct TotalsLine {
  std::string pointsCaption;  // "Punkte 80 m"
  std::string pointsValue;    // picture "########"
  std::string multiCaption;
  std::string multiValue;
  std::string qsoCaption;
  std::string qsoValue;
  std::string logCounter;  // the big number next to "QSO"
  bool empty = false;      // variant 'E' with whole-log scope
};
TotalsLine BuildTotalsLine(const LogTotals& totals, const ContestRules& rules, ContestCode code,
                           BandIndex band, bool uiGerman);

// The totals panel right of the entry panel.
struct TotalsPanel {
  struct Column {
    std::string label;  // printed band name; empty for an empty slot
    std::string qsos;
    std::string multipliers;
    std::string points;
    bool qsoAndPointsVisible = false;
    bool multipliersVisible = false;
  };
  std::array<Column, 7> columns;
  std::array<std::string, 4> lines;  // QSOs, multipliers, points, score
  bool multiplierColumnHidden = false;
  bool pointsLineHidden = false;
  bool scoreLineHidden = false;
  // The rate of the last 10 and 60 minutes ("Rate 10 min: 42/h").
  std::string rate10;
  std::string rate60;
};
TotalsPanel BuildTotalsPanel(const LogTotals& totals, const ContestRules& rules, ContestCode code);

// Stores the per-band results in the totals record or the header (the
// caller writes both back). Shows a progress window "Neuberechnung".
void Recalculate(FileBlock& qsoFile, const ScoringContext& ctx, ContestHeader& header,
                 TotalsRecord& totalsRecord, const LogTotals& totals, Platform& platform);

}  // namespace korv
