#include "output/claimed_score.h"

namespace korv {

StoredTotals ReadStoredTotals(const ContestHeader& header, const TotalsRecord* totals,
                        const ContestRules& rules) {
  StoredTotals t;
  const bool fromRecord = header.totalsInTotalsRecord() != 0;
  const int slotCount = fromRecord ? kTotalsBandSlots : header_layout::kBandSlots;
  for (int i = 1; i <= kTotalsBandSlots; ++i) {
    SlotTotals& s = t.slotTotals[static_cast<std::size_t>(i - 1)];
    s.band = rules.bandSlots[i];
    if (i > slotCount) continue;
    if (fromRecord) {
      if (totals == nullptr) continue;
      s.qsos = totals->qsoCount(i);
      s.multipliers = totals->multiplierCount(i);
      s.points = totals->points(i);
      s.columns = {totals->column1Count(i), totals->column2Count(i), totals->column3Count(i)};
    } else {
      s.qsos = header.qsoCount(i);
      s.multipliers = header.multiplierCount(i);
      s.points = header.points(i);
      s.columns = {header.secondMultiplierCount(i), header.thirdMultiplierCount(i), 0};
    }
  }
  for (const SlotTotals& s : t.slotTotals) {
    t.qsos += s.qsos;
    t.points += s.points;
    t.multipliers += s.multipliers;
    for (std::size_t c = 0; c < t.columns.size(); ++c) t.columns[c] += s.columns[c];
  }
  // Multipliers that count once over all bands are kept in slot 1.
  if (rules.multiplierMode == 1) t.multipliers = t.slotTotals[0].multipliers;
  return t;
}

std::int64_t SlotScore(const SlotTotals& slot) {
  return slot.multipliers < 1 ? slot.points : slot.multipliers * slot.points;
}

std::int64_t ClaimedScore(const StoredTotals& totals, const ContestRules& rules) {
  if (!HasMultiplierKinds(rules) || rules.pointsOnlyScore != 0) return totals.points;
  if (rules.bandSumScore != 0) {
    std::int64_t sum = 0;
    for (const SlotTotals& s : totals.slotTotals) sum += SlotScore(s);
    return sum;
  }
  if (totals.multipliers < 1) return totals.points;
  return totals.multipliers * totals.points;
}

}  // namespace korv
