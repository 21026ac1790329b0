// The texts of the configuration window's evaluation panel ("Auswertung"):
// per band slot the QSOs, multipliers and points, and the total line with
// the claimed score. The numbers are the stored totals (claimed_score.h).
#pragma once

#include <string>
#include <vector>

#include "output/claimed_score.h"
#include "shell/contest_catalogue.h"
#include "shell/contest_rules.h"

namespace korv {

// Rows are shown for band slots 1..7.
inline constexpr int kEvaluationSlots = 7;

struct EvaluationRow {
  int slot = 0;      // 1..7
  std::string band;  // compact band name ("80m")
  // Right-aligned in five places.
  std::string qsos;
  std::string multipliers;
  std::string points;
};

struct EvaluationView {
  // One row per slot 1..7 that holds a band (none for contest code 'E').
  std::vector<EvaluationRow> rows;
  // The "Multi" block: shown for multiplierMode 0 or 2; greyed out when the
  // contest has no multiplier kinds.
  bool multiplierBlockShown = true;
  bool multiplierBlockGreyed = false;
  // The total line, numbers trimmed:
  //   Q " QSO"
  //   M " Multi x" (with a score switch: M " PLZ" / " Prefixe" / " Multi");
  //     empty without multiplier kinds
  //   P " Punkte =" with multiplier kinds, else P alone; hidden when the
  //     score is the band sum
  //   S " Pkt."   (shown bold)
  std::string qsoTotal;
  std::string multiplierTotal;
  std::string pointsTotal;
  bool pointsTotalShown = true;
  std::string score;
};

EvaluationView BuildEvaluationView(const StoredTotals& totals, const ContestRules& rules,
                                   ContestCode code);

}  // namespace korv
