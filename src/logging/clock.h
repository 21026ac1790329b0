// The logging clock and the contest periods: the date and UTC time the
// entry gets when the log asks for automatic date and time, and the band a
// running period asks for when the band follows the clock.
#pragma once

#include <optional>

#include "common/dates.h"
#include "files/setup.h"
#include "platform/platform.h"
#include "shell/contest_rules.h"

namespace korv {

// The computer's clock shifted by the program-wide UTC offset in whole hours;
// crossing midnight moves the date by one day.
DayAndTime LoggingClock(const LocalDateTime& computerClock, std::int32_t utcOffsetHours);

// The first of the ten periods that runs at `now`, or nullptr. A period runs
// on its start date from its start time up to (not including) its end time.
// A period whose end date is set and differs from its start date runs at any
// time from its start date to its end date.
const ContestPeriod* RunningPeriod(const ContestRules& rules, const DayAndTime& now);

// The band the clock wants: the current band when the running period
// allows it, else the period's first band; nullopt when no period runs or
// the period names no band.
std::optional<char> PeriodBand(const ContestRules& rules, const DayAndTime& now, char currentBand);

}  // namespace korv
