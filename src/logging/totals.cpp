#include "logging/totals.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "common/picture.h"
#include "common/text.h"
#include "refdata/bands.h"

namespace korv {
namespace {

constexpr int kIndexByRecordNo = 4;
constexpr int kIndexByBandNo2 = 8;

QsoRecord RecordOf(FileBlock& file) {
  return QsoRecord(QsoRecord::Record(file.Record().data(), kQsoRecordSize));
}

bool IsLowerBandCode(char c) { return c >= 'a' && c <= 'z'; }

std::int16_t ClampInt16(std::int64_t v) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<std::int16_t>::max()));
}
std::uint16_t ClampUInt16(std::int64_t v) {
  return static_cast<std::uint16_t>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<std::uint16_t>::max()));
}

// QSOs of one band (0: the whole log), QSY lines not counted.
std::int32_t CountQsos(FileBlock& file, BandIndex band) {
  std::int32_t n = 0;
  Status st = band == 0 ? file.MoveFirst(kIndexByBandNo2)
                        : file.FindAtLeast(kIndexByBandNo2, KeyString(std::string(1, band)));
  while (st.ok()) {
    const QsoRecord rec = RecordOf(file);
    if (band != 0 && rec.band() != band) break;
    if (!rec.IsQsyMarker()) ++n;
    st = file.MoveNext(kIndexByBandNo2);
  }
  return n;
}

std::string Number(std::int64_t v) { return std::to_string(v); }

}  // namespace

bool CountsInSlotOne(const ContestRules& rules, ContestCode code) {
  return code == 'E' && WholeLogScope(rules);
}

void AddSavedQso(LogTotals& totals, const ContestRules& rules, ContestCode code, BandIndex band,
                 std::int32_t points) {
  const std::size_t slot = CountsInSlotOne(rules, code) ? 1 : LogTotals::Slot(band);
  totals.currentPoints += points;
  totals.pointsPerBand[slot] = totals.currentPoints;
  totals.logCounter += 1;
  totals.currentQsos += 1;
  totals.qsosPerBand[slot] += 1;
}

void TakeCurrentBand(LogTotals& totals, const ContestRules& rules, ContestCode code, BandIndex band) {
  const std::size_t slot = CountsInSlotOne(rules, code) ? 1 : LogTotals::Slot(band);
  totals.currentPoints = totals.pointsPerBand[slot];
  totals.currentQsos = totals.qsosPerBand[slot];
}

BandIndex FullRecount(FileBlock& qsoFile, const ScoringContext& ctx, const ContestHeader& header,
                      BandIndex currentBand, MultiplierTables& tables, LogTotals& totals) {
  const ContestRules& rules = *ctx.rules;
  tables.Rebuild(qsoFile, currentBand);
  totals.currentMultipliers = tables.count();
  totals.pointsPerBand.fill(0);
  totals.qsosPerBand.fill(0);
  totals.logCounter = 1;
  totals.currentQsos = 0;
  BandIndex lastBand = 0;
  const bool slotOne = CountsInSlotOne(rules, ctx.code);
  Status st = qsoFile.MoveFirst(kIndexByRecordNo);
  while (st.ok()) {
    const QsoRecord rec = RecordOf(qsoFile);
    if (rec.IsQsyMarker()) {
      lastBand = rec.qsyBand();
    } else {
      const std::size_t slot = slotOne ? 1 : LogTotals::Slot(rec.band());
      totals.pointsPerBand[slot] += PointsOf(rec, header, rules, ctx.code);
      totals.qsosPerBand[slot] += 1;
      totals.logCounter += 1;
      lastBand = rec.band();
    }
    st = qsoFile.MoveNext(kIndexByRecordNo);
  }
  totals.multipliersPerBand.fill(0);
  if (WholeLogScope(rules)) {
    totals.multipliersPerBand[LogTotals::Slot(rules.bandSlots[1])] =
        CountMultipliers(qsoFile, ctx, 0).multipliers;
  } else {
    for (char band : rules.bandSlots) {
      if (IsLowerBandCode(band)) {
        totals.multipliersPerBand[LogTotals::Slot(band)] = CountMultipliers(qsoFile, ctx, band).multipliers;
      }
    }
  }
  TakeCurrentBand(totals, rules, ctx.code, currentBand);
  return lastBand;
}

ScoreParts ComputeScore(const LogTotals& totals, const ContestRules& rules) {
  ScoreParts s;
  std::int64_t bandSum = 0;
  for (std::size_t b = 1; b < 256; ++b) {
    s.points += totals.pointsPerBand[b];
    s.multipliers += totals.multipliersPerBand[b];
    s.qsos += totals.qsosPerBand[b];
    const std::int64_t m = totals.multipliersPerBand[b];
    bandSum += m == 0 ? totals.pointsPerBand[b] : std::int64_t{totals.pointsPerBand[b]} * m;
  }
  if (rules.multiplierKinds.none() || rules.pointsOnlyScore != 0) {
    s.score = s.points;
  } else if (rules.bandSumScore != 0) {
    s.score = bandSum;
  } else {
    s.score = s.points * s.multipliers;
  }
  return s;
}

TotalsLine BuildTotalsLine(const LogTotals& totals, const ContestRules& rules, ContestCode code,
                           BandIndex band, bool uiGerman) {
  TotalsLine line;
  line.logCounter = Number(totals.logCounter);
  if (CountsInSlotOne(rules, code)) {
    line.empty = true;
    return line;
  }
  const std::string bandName(BandName(band));
  line.pointsCaption = PickText(uiGerman, "Punkte ", "Score ") + bandName;
  line.pointsValue = TrimBlanksTabs(FormatPicture(totals.currentPoints, "########"));
  if (code == '5') {
    line.multiCaption = "PLZ-Bereiche";
  } else if (code == 'P') {
    line.multiCaption = "Prefixe ";
  } else {
    line.multiCaption = "Multi ";
  }
  if (!WholeLogScope(rules) && code != '5') line.multiCaption += bandName;
  line.multiValue = Number(totals.currentMultipliers);
  line.qsoCaption = "QSO " + bandName;
  line.qsoValue = Number(totals.currentQsos);
  return line;
}

TotalsPanel BuildTotalsPanel(const LogTotals& totals, const ContestRules& rules, ContestCode code) {
  TotalsPanel panel;
  const bool whole = WholeLogScope(rules);
  for (int i = 1; i <= 7; ++i) {
    TotalsPanel::Column& col = panel.columns[static_cast<std::size_t>(i - 1)];
    const char band = rules.bandSlots[i];
    if (band == 0) continue;
    const std::size_t slot = LogTotals::Slot(band);
    col.label = std::string(BandName(band));
    col.qsos = Number(totals.qsosPerBand[slot]);
    col.points = Number(totals.pointsPerBand[slot]);
    col.multipliers = Number(totals.multipliersPerBand[slot]);
    col.qsoAndPointsVisible = code != 'E';
    col.multipliersVisible = !whole;
  }
  const ScoreParts s = ComputeScore(totals, rules);
  const bool noKinds = rules.multiplierKinds.none();
  panel.multiplierColumnHidden = noKinds;
  panel.lines[0] = Number(s.qsos) + " QSO";
  if (!noKinds) {
    const std::string m = FormatPicture(s.multipliers, "###");
    if (rules.pointsOnlyScore == 0 && rules.bandSumScore == 0) {
      panel.lines[1] = m + " Multi x";
    } else if (rules.multiplierLabel[1] == "PLZ") {
      panel.lines[1] = m + " PLZ";
    } else if (rules.multiplierLabel[1] == "Prefix") {
      panel.lines[1] = m + " Prefixe";
    } else {
      panel.lines[1] = m + " Multi";
    }
  }
  if (rules.bandSumScore != 0) {
    panel.lines[2] = Number(s.points) + " Punkte";
    panel.pointsLineHidden = true;
  } else if (!noKinds) {
    panel.lines[2] = Number(s.points) + " Punkte =";
  }
  panel.lines[3] = FormatPicture(s.score, "#########") + " Pkt.";
  if (code == '5' && rules.multiplierLabel[1] == "PLZ") {
    panel.scoreLineHidden = true;
    panel.lines[1] = "    0";
    panel.lines[2] = Number(s.points) + " Punkte";
  }
  return panel;
}

void Recalculate(FileBlock& qsoFile, const ScoringContext& ctx, ContestHeader& header,
                 TotalsRecord& totalsRecord, const LogTotals& totals, Platform& platform) {
  const ContestRules& rules = *ctx.rules;
  const ScoreParts s = ComputeScore(totals, rules);
  const bool slotOne = CountsInSlotOne(rules, ctx.code);
  const bool whole = WholeLogScope(rules);
  const bool inTotalsRecord = header.totalsInTotalsRecord() != 0;
  auto pointsOfSlot = [&](int i) -> std::int32_t {
    const char band = rules.bandSlots[i];
    return band == 0 ? 0 : totals.pointsPerBand[LogTotals::Slot(band)];
  };
  auto progress = platform.OpenProgress("Neuberechnung");
  if (progress) progress->SetRange(500);

  if (inTotalsRecord) {
    for (int i = 1; i <= 100; ++i) {
      (void)totalsRecord.SetQsoCount(i, 0);
      (void)totalsRecord.SetPoints(i, pointsOfSlot(i));
    }
    if (slotOne) (void)totalsRecord.SetPoints(1, static_cast<std::int32_t>(s.points));
    auto store = [&](int i, BandIndex band) {
      const MultiplierCount mc = CountMultipliers(qsoFile, ctx, band);
      (void)totalsRecord.SetQsoCount(i, CountQsos(qsoFile, band));
      (void)totalsRecord.SetMultiplierCount(i, mc.multipliers);
      (void)totalsRecord.SetColumn1Count(i, ClampUInt16(mc.columns[0]));
      (void)totalsRecord.SetColumn2Count(i, ClampUInt16(mc.columns[1]));
      (void)totalsRecord.SetColumn3Count(i, ClampUInt16(mc.columns[2]));
    };
    if (whole) {
      store(1, 0);
      if (ctx.code != 'E') {
        (void)totalsRecord.SetQsoCount(1, 0);
        for (int i = 1; i <= 100; ++i) {
          if (IsLowerBandCode(rules.bandSlots[i])) {
            (void)totalsRecord.SetQsoCount(i, CountQsos(qsoFile, rules.bandSlots[i]));
          }
        }
      }
    } else {
      for (int i = 1; i <= 100; ++i) {
        if (IsLowerBandCode(rules.bandSlots[i])) store(i, rules.bandSlots[i]);
        if (progress) progress->SetPosition(i * 5);
      }
    }
  } else {
    for (int i = 1; i <= 7; ++i) {
      (void)header.SetQsoCount(i, 0);
      (void)header.SetMultiplierCount(i, 0);
      (void)header.SetPoints(i, pointsOfSlot(i));
    }
    std::memset(header.bytes().data() + 216, 0, 10);  // no field, cleared with the counters
    if (slotOne) (void)header.SetPoints(1, static_cast<std::int32_t>(s.points));
    auto store = [&](int i, BandIndex band) {
      const MultiplierCount mc = CountMultipliers(qsoFile, ctx, band);
      (void)header.SetQsoCount(i, ClampInt16(CountQsos(qsoFile, band)));
      (void)header.SetMultiplierCount(i, ClampInt16(mc.multipliers));
      (void)header.SetSecondMultiplierCount(i, ClampInt16(mc.columns[0]));
      (void)header.SetThirdMultiplierCount(i, ClampInt16(mc.columns[1]));
    };
    if (whole) {
      store(1, 0);
      if (ctx.code != 'E') {
        (void)header.SetQsoCount(1, 0);
        for (int i = 1; i <= 5; ++i) {
          if (IsLowerBandCode(rules.bandSlots[i])) {
            (void)header.SetQsoCount(i, ClampInt16(CountQsos(qsoFile, rules.bandSlots[i])));
          }
        }
      }
    } else {
      for (int i = 1; i <= 7; ++i) {
        if (IsLowerBandCode(rules.bandSlots[i])) store(i, rules.bandSlots[i]);
      }
    }
  }
  if (progress) progress->SetPosition(500);
}

}  // namespace korv
