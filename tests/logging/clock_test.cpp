// The logging clock and the choice of band by contest periods.
#include "logging/clock.h"

#include <gtest/gtest.h>

namespace korv {
namespace {

DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

TEST(LoggingClockTest, OffsetCrossesMidnightBackwards) {
  const DayAndTime utc = LoggingClock({Day(2009, 6, 15), 1 * 3600 + 30 * 60}, -2);
  EXPECT_EQ(utc.day, Day(2009, 6, 14));
  EXPECT_EQ(utc.time, 23 * 3600 + 30 * 60);
  const DayAndTime same = LoggingClock({Day(2009, 6, 15), 12 * 3600}, 0);
  EXPECT_EQ(same, (DayAndTime{Day(2009, 6, 15), 12 * 3600}));
}

ContestRules TwoPeriods() {
  ContestRules rules;
  auto& morning = rules.periods[1];
  morning.startDate = "15.06.2009";
  morning.startTime = "08:00:00";
  morning.endTime = "10:00:00";
  morning.bands[1] = 'b';
  morning.bands[2] = 'c';
  auto& weekend = rules.periods[2];
  weekend.startDate = "20.06.2009";
  weekend.endDate = "21.06.2009";
  weekend.bands[1] = 'i';
  return rules;
}

TEST(PeriodTest, BandFollowsTheRunningPeriod) {
  const ContestRules rules = TwoPeriods();
  struct Case {
    DayNumber day;
    TimeOfDay time;
    char current;
    std::optional<char> wanted;
  } cases[] = {
      {Day(2009, 6, 15), 8 * 3600, 'i', 'b'},       // start time counts
      {Day(2009, 6, 15), 9 * 3600, 'c', 'c'},       // an allowed band stays
      {Day(2009, 6, 15), 10 * 3600, 'i', {}},       // the end time no longer does
      {Day(2009, 6, 15), 7 * 3600, 'i', {}},
      {Day(2009, 6, 16), 9 * 3600, 'i', {}},        // another day
      {Day(2009, 6, 20), 0, 'b', 'i'},              // a period over several days
      {Day(2009, 6, 21), 23 * 3600, 'b', 'i'},
      {Day(2009, 6, 22), 12 * 3600, 'b', {}},       // ...ends with its last day
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PeriodBand(rules, {c.day, c.time}, c.current), c.wanted)
        << c.day << " " << c.time;
  }
}

TEST(PeriodTest, NoPeriodsNoBandChange) {
  ContestRules rules;  // the active contest defines none
  EXPECT_EQ(RunningPeriod(rules, {Day(2009, 6, 15), 9 * 3600}), nullptr);
  EXPECT_EQ(PeriodBand(rules, {Day(2009, 6, 15), 9 * 3600}, 'b'), std::nullopt);
}

}  // namespace
}  // namespace korv
