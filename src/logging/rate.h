// The QSO rate: how many QSOs the last minutes brought, as QSOs per hour.
// The moments of the log's QSOs are kept sorted, so a save adds one and a
// rate is two searches, whatever the size of the log.
#pragma once

#include <cstdint>
#include <iterator>
#include <set>

#include "common/dates.h"

namespace korv {

class QsoRate {
 public:
  void Clear() { moments_.clear(); }
  // A QSO at `date` and `time` (UTC, as stored); nothing without a date.
  void Add(DayNumber date, TimeOfDay time);
  // QSOs per hour over the `minutes` before `date`/`time` (the QSOs after
  // now - minutes up to and including now), rounded down.
  int PerHour(DayNumber date, TimeOfDay time, int minutes) const;
  std::size_t size() const { return moments_.size(); }

 private:
  static std::int64_t Moment(DayNumber date, TimeOfDay time) {
    return static_cast<std::int64_t>(date) * kSecondsPerDay + (time < 0 ? 0 : time);
  }
  std::multiset<std::int64_t> moments_;
};

}  // namespace korv
