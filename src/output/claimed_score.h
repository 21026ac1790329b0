// The totals of a contest log as every output reads them, and the claimed
// score computed from them.
//
// The per-band results live in the log's totals record when the header's
// totalsInTotalsRecord is set (always for code '3'), else in the seven
// per-slot counters of the header. Outputs read them as stored; they never
// recount the QSO file.
#pragma once

#include <array>
#include <cstdint>

#include "files/contest_header.h"
#include "logging/totals_record.h"
#include "refdata/bands.h"
#include "shell/contest_rules.h"

namespace korv {

inline constexpr int kMultiplierColumns = 3;

// The results of one band slot.
struct SlotTotals {
  BandIndex band = 0;  // the contest's bandSlots entry; 0 = slot holds no band
  std::int64_t qsos = 0;
  std::int64_t multipliers = 0;
  std::int64_t points = 0;
  // Distinct values per multiplier column (multiplierLabel 1..3). The header
  // stores only columns 1 and 2.
  std::array<std::int64_t, kMultiplierColumns> columns{};
};

struct StoredTotals {
  std::array<SlotTotals, kTotalsBandSlots> slotTotals{};  // slot i at [i - 1]
  std::int64_t qsos = 0;         // Q: all slots
  std::int64_t multipliers = 0;  // M: all slots; slot 1 alone when multiplierMode is 1
  std::int64_t points = 0;       // P: all slots
  std::array<std::int64_t, kMultiplierColumns> columns{};  // per column, all slots
};

// Reads the totals of the log whose header is given. `totals` is the log's
// totals record; it is read when the header's totalsInTotalsRecord is set
// and may be null otherwise (a missing record then reads as all zero).
// Slot bands come from rules.bandSlots.
StoredTotals ReadStoredTotals(const ContestHeader& header, const TotalsRecord* totals,
                        const ContestRules& rules);

// What one band slot adds to the score when the score is the sum over the
// bands: multipliers x points, or the points alone for a slot with fewer than
// one multiplier.
std::int64_t SlotScore(const SlotTotals& slot);

// The claimed score:
//   no multiplier kinds, or pointsOnlyScore   P
//   bandSumScore                              sum of SlotScore over all slots
//   M < 1                                     P
//   otherwise                                 M x P
// For code '3': DOK multipliers over all bands times the QSO points.
std::int64_t ClaimedScore(const StoredTotals& totals, const ContestRules& rules);

// True when the contest has multipliers at all (multiplierKinds not empty).
inline bool HasMultiplierKinds(const ContestRules& rules) { return rules.multiplierKinds.any(); }

}  // namespace korv
