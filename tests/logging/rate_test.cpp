// The QSO rate over the last minutes, across the full hour and midnight.
#include "logging/rate.h"

#include <gtest/gtest.h>

namespace korv {
namespace {

constexpr TimeOfDay T(int h, int m, int s = 0) { return h * 3600 + m * 60 + s; }

TEST(QsoRate, CountsTheQsosOfTheWindowAsPerHour) {
  const DayNumber d1 = DayNumberFromCivil({2026, 12, 6});
  const DayNumber d2 = d1 + 1;
  QsoRate rate;
  for (TimeOfDay t : {T(22, 55), T(23, 50), T(23, 55), T(23, 59, 59)}) rate.Add(d1, t);
  for (TimeOfDay t : {T(0, 0), T(0, 4), T(0, 9, 59)}) rate.Add(d2, t);
  rate.Add(kNoDate, T(0, 5));  // no date: not counted
  EXPECT_EQ(rate.size(), 7u);
  const struct {
    DayNumber day;
    TimeOfDay now;
    int minutes;
    int perHour;
  } cases[] = {
      {d2, T(0, 5), 10, 3 * 6},    // 23:59:59, 00:00, 00:04; 23:55 is ten minutes back: out
      {d2, T(0, 10), 10, 2 * 6},   // 00:04, 00:09:59
      {d2, T(0, 9, 59), 10, 3 * 6},
      {d2, T(0, 10), 60, 6},       // 23:50 ... 00:09:59, not 22:55
      {d1, T(23, 0), 60, 1},       // the hour before: 22:55
      {d1, T(22, 0), 10, 0},
      {d2, T(12, 0), 60, 0},
      {d2, T(0, 5), 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rate.PerHour(c.day, c.now, c.minutes), c.perHour) << c.now << " " << c.minutes;
  }
  rate.Clear();
  EXPECT_EQ(rate.PerHour(d2, T(0, 5), 10), 0);
}

}  // namespace
}  // namespace korv
