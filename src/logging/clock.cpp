#include "logging/clock.h"

namespace korv {

DayAndTime LoggingClock(const LocalDateTime& computerClock, std::int32_t utcOffsetHours) {
  return ApplyUtcOffset(computerClock.date, computerClock.time, utcOffsetHours);
}

namespace {

bool Runs(const ContestPeriod& period, const DayAndTime& now) {
  const DayNumber start = DateFromText(period.startDate);
  if (start == kNoDate || now.day == kNoDate) return false;
  if (!period.endDate.empty() && period.endDate != period.startDate) {
    // Written literally, such a period would run for ever; it runs on the
    // days it spans.
    const DayNumber end = DateFromText(period.endDate);
    return end != kNoDate && now.day >= start && now.day <= end;
  }
  if (now.day != start) return false;
  const TimeOfDay from = TimeFromText(period.startTime);
  const TimeOfDay to = TimeFromText(period.endTime);
  if (from == kNoTime || to == kNoTime) return false;
  return now.time >= from && now.time < to;
}

}  // namespace

const ContestPeriod* RunningPeriod(const ContestRules& rules, const DayAndTime& now) {
  for (int i = rules.periods.first(); i <= rules.periods.last(); ++i) {
    if (Runs(rules.periods[i], now)) return &rules.periods[i];
  }
  return nullptr;
}

std::optional<char> PeriodBand(const ContestRules& rules, const DayAndTime& now, char currentBand) {
  const ContestPeriod* period = RunningPeriod(rules, now);
  if (period == nullptr) return std::nullopt;
  for (char band : period->bands) {
    if (band != 0 && band == currentBand) return currentBand;
  }
  const char first = period->bands[period->bands.first()];
  if (first == 0) return std::nullopt;
  return first;
}

}  // namespace korv
