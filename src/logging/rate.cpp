#include "logging/rate.h"

namespace korv {

void QsoRate::Add(DayNumber date, TimeOfDay time) {
  if (date <= 0) return;
  moments_.insert(Moment(date, time));
}

int QsoRate::PerHour(DayNumber date, TimeOfDay time, int minutes) const {
  if (date <= 0 || minutes <= 0) return 0;
  const std::int64_t now = Moment(date, time);
  const std::int64_t from = now - static_cast<std::int64_t>(minutes) * 60;
  const auto first = moments_.upper_bound(from);
  const auto last = moments_.upper_bound(now);
  const auto count = static_cast<std::int64_t>(std::distance(first, last));
  return static_cast<int>(count * 60 / minutes);
}

}  // namespace korv
