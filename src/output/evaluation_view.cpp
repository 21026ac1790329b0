#include "output/evaluation_view.h"

#include "common/text.h"
#include "refdata/bands.h"

namespace korv {
namespace {

constexpr std::size_t kSlotWidth = 5;

std::string Right(std::int64_t value) { return PadLeftText(std::to_string(value), kSlotWidth); }

std::string CompactBandName(BandIndex band) {
  std::string name(BandName(band, true));
  std::erase(name, ' ');
  return name;
}

}  // namespace

EvaluationView BuildEvaluationView(const StoredTotals& totals, const ContestRules& rules,
                                   ContestCode code) {
  EvaluationView view;
  if (code != 'E') {
    for (int slot = 1; slot <= kEvaluationSlots; ++slot) {
      const BandIndex band = rules.bandSlots[slot];
      if (band == 0) continue;
      const SlotTotals& s = totals.slotTotals[static_cast<std::size_t>(slot - 1)];
      view.rows.push_back({slot, CompactBandName(band), Right(s.qsos), Right(s.multipliers),
                           Right(s.points)});
    }
  }
  const bool hasKinds = HasMultiplierKinds(rules);
  view.multiplierBlockShown = rules.multiplierMode == 0 || rules.multiplierMode == 2;
  view.multiplierBlockGreyed = !hasKinds;

  view.qsoTotal = std::to_string(totals.qsos) + " QSO";
  if (hasKinds) {
    std::string unit = " Multi x";
    if (rules.pointsOnlyScore != 0 || rules.bandSumScore != 0) {
      const std::string& label = rules.multiplierLabel[1];
      unit = label == "PLZ" ? " PLZ" : label == "Prefix" ? " Prefixe" : " Multi";
    }
    view.multiplierTotal = std::to_string(totals.multipliers) + unit;
  }
  view.pointsTotal = std::to_string(totals.points) + (hasKinds ? " Punkte =" : "");
  view.pointsTotalShown = rules.bandSumScore == 0;
  view.score = std::to_string(ClaimedScore(totals, rules)) + " Pkt.";
  return view;
}

}  // namespace korv
