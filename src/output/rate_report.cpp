#include "output/rate_report.h"

#include <algorithm>
#include <limits>

namespace korv {
namespace {

constexpr int kIndexByDateTime = 1;
constexpr std::int64_t kSecondsPerHour = 3600;

bool IsLowerBandCode(char c) {
  return c >= 'a' && c <= 'z';
}

}  // namespace

// --- best windows -----------------------------------------------------------------

// open_ holds the moments of the window that starts at open_.front(): every
// later moment lies before front + length. A moment at or after that end
// closes the first window; windows close in the order of their start, so
// of equal counts the earliest stays.
void RateReportBuilder::BestWindow::Add(std::int64_t moment) {
  const std::int64_t length = std::int64_t{best_.minutes} * 60;
  while (!open_.empty() && open_.front() + length <= moment) CloseFirst();
  open_.push_back(moment);
}

void RateReportBuilder::BestWindow::CloseFirst() {
  const auto count = static_cast<std::int32_t>(open_.size());
  if (count > best_.qsos) {
    best_.qsos = count;
    best_.date = static_cast<DayNumber>(open_.front() / kSecondsPerDay);
    best_.time = static_cast<TimeOfDay>(open_.front() % kSecondsPerDay);
  }
  open_.pop_front();
}

RateWindow RateReportBuilder::BestWindow::Finish() {
  while (!open_.empty()) CloseFirst();
  best_.perHour = best_.minutes > 0 ? best_.qsos * 60 / best_.minutes : 0;
  return best_;
}

// --- the hours ----------------------------------------------------------------------

RateReportBuilder::RateReportBuilder(const ScoringContext& ctx, const ContestHeader& header)
    : ctx_(ctx), header_(header) {
  const ContestRules& rules = *ctx_.rules;
  kinds_ = ActiveMultiplierKinds(rules);
  slotOne_ = CountsInSlotOne(rules, ctx_.code);
  wholeLog_ = WholeLogScope(rules);
  for (char band : rules.bandSlots) {
    if (IsLowerBandCode(band) &&
        std::find(countedBands_.begin(), countedBands_.end(), band) == countedBands_.end()) {
      countedBands_.push_back(band);
    }
  }
}

void RateReportBuilder::StartHour(std::int64_t hourNumber) {
  current_ = RateHour{};
  current_.date = static_cast<DayNumber>(hourNumber / 24);
  current_.hour = static_cast<int>(hourNumber % 24);
  currentHour_ = hourNumber;
}

void RateReportBuilder::CloseHour() {
  const ScoreParts now = ComputeScore(totals_, *ctx_.rules);
  current_.points = now.points - closed_.points;
  current_.newMultipliers = now.multipliers - closed_.multipliers;
  current_.score = now.score;
  closed_ = now;
  report_.hours.push_back(current_);
}

// The slots FullRecount gives a value's multiplier: its band's slot (bands
// of the band slots only), the first band slot's for the whole log, or, for
// a kind found over the whole log while the rules count per band, every
// band slot (CountMultipliers of each band walks the whole log for it). A
// kind found only per band counts nothing when the rules count for the
// whole log.
void RateReportBuilder::CountMultipliersOf(const QsoRecord& record) {
  const ContestRules& rules = *ctx_.rules;
  if (!PassesExchangeFilter(record, rules)) return;
  const BandIndex band = record.band();
  for (int kind : kinds_) {
    std::string value = MultiplierValue(kind, record, ctx_);
    if (value.empty()) continue;
    const bool perBand = SearchPerBand(kind, rules);
    if (perBand && wholeLog_) continue;
    const bool byMode = rules.multiplierMode == 2 && perBand;
    const bool added = worked_
                           .insert({perBand ? band : BandIndex{0}, MultiplierTableOf(kind),
                                    byMode ? record.mode() : std::string(), std::move(value)})
                           .second;
    if (!added) continue;
    if (perBand) {
      if (std::find(countedBands_.begin(), countedBands_.end(), band) != countedBands_.end()) {
        totals_.multipliersPerBand[LogTotals::Slot(band)] += 1;
      }
    } else if (wholeLog_) {
      totals_.multipliersPerBand[LogTotals::Slot(rules.bandSlots[1])] += 1;
    } else {
      for (BandIndex b : countedBands_) totals_.multipliersPerBand[LogTotals::Slot(b)] += 1;
    }
  }
}

void RateReportBuilder::Add(const QsoRecord& record) {
  if (record.IsQsyMarker()) return;
  const DayNumber date = record.qsoDate();
  const TimeOfDay time = record.qsoTime();
  if (date <= 0 || time < 0 || time >= kSecondsPerDay) {
    ++report_.undated;
    return;
  }
  const std::int64_t moment = std::max(std::int64_t{date} * kSecondsPerDay + time, lastMoment_);
  lastMoment_ = moment;
  const std::int64_t hourNumber = moment / kSecondsPerHour;
  if (currentHour_ < 0) {
    StartHour(hourNumber);
  } else if (hourNumber != currentHour_) {
    CloseHour();
    const std::int64_t pause = hourNumber - currentHour_ - 1;
    if (pause > kMaxListedPauseHours) {
      StartHour(hourNumber);
      current_.afterPause = true;
    } else {
      for (std::int64_t h = currentHour_ + 1; h < hourNumber; ++h) {
        StartHour(h);
        CloseHour();
      }
      StartHour(hourNumber);
    }
  }

  const std::size_t slot = slotOne_ ? 1 : LogTotals::Slot(record.band());
  totals_.pointsPerBand[slot] += PointsOf(record, header_, *ctx_.rules, ctx_.code);
  totals_.qsosPerBand[slot] += 1;
  CountMultipliersOf(record);
  current_.qsos += 1;
  report_.qsos += 1;
  best10_.Add(moment);
  best60_.Add(moment);
}

RateReport RateReportBuilder::Finish() {
  if (currentHour_ >= 0) {
    CloseHour();
    currentHour_ = -1;
  }
  report_.points = closed_.points;
  report_.multipliers = closed_.multipliers;
  report_.score = closed_.score;
  report_.best10 = best10_.Finish();
  report_.best60 = best60_.Finish();
  return std::move(report_);
}

RateReport BuildRateReport(FileBlock& qsoFile, const ScoringContext& ctx,
                           const ContestHeader& header) {
  RateReportBuilder builder(ctx, header);
  for (Status st = qsoFile.MoveFirst(kIndexByDateTime); st.ok();
       st = qsoFile.MoveNext(kIndexByDateTime)) {
    builder.Add(QsoRecord(QsoRecord::Record(qsoFile.Record().data(), kQsoRecordSize)));
  }
  return builder.Finish();
}

// --- chart scales -------------------------------------------------------------------

AxisScale ChooseAxisScale(std::int64_t maxValue, int maxIntervals) {
  const std::int64_t intervals = std::max(maxIntervals, 1);
  const std::int64_t value = std::max<std::int64_t>(maxValue, 1);
  for (std::int64_t power = 1; power <= std::numeric_limits<std::int64_t>::max() / 50;
       power *= 10) {
    for (const std::int64_t factor : {1, 2, 5}) {
      const std::int64_t step = factor * power;
      const std::int64_t steps = (value + step - 1) / step;
      if (steps <= intervals) return {step, steps * step};
    }
  }
  return {value, value};
}

int ChooseHourLabelStep(std::size_t hours, std::size_t maxLabels) {
  const std::size_t most = std::max<std::size_t>(maxLabels, 1);
  for (const int step : {1, 2, 3, 4, 6, 12}) {
    if ((hours + static_cast<std::size_t>(step) - 1) / static_cast<std::size_t>(step) <= most)
      return step;
  }
  const std::size_t days = (hours + 23) / 24;
  return static_cast<int>(24 * ((days + most - 1) / most));
}

bool IsLabelledHour(const RateHour& hour, int step) {
  if (step <= 0) return false;
  if (step < 24) return hour.hour % step == 0;
  return hour.hour == 0 && hour.date % (step / 24) == 0;
}

}  // namespace korv
