// Dates and times of the shared records.
//
// A DayNumber is a signed 32-bit count of days with 01.01.1600 as day 0 in the
// proleptic Gregorian calendar; -1 (kNoDate) means "no valid date". A time of
// day is a signed 32-bit count of seconds since midnight; -1 (kNoTime) means
// "no valid time".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korv {

using DayNumber = std::int32_t;
using TimeOfDay = std::int32_t;

inline constexpr DayNumber kNoDate = -1;
inline constexpr TimeOfDay kNoTime = -1;

// Day 0 is 01.01.1600; the last representable day is 31.12.9999.
inline constexpr DayNumber kMaxDayNumber = 3068036;
inline constexpr TimeOfDay kSecondsPerDay = 86400;

struct CivilDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// True for a date that exists in the proleptic Gregorian calendar and lies in
// the range a DayNumber can hold (years 1600..9999).
bool IsValidCivilDate(const CivilDate& date);

// kNoDate for a date that does not exist or lies outside years 1600..9999.
DayNumber DayNumberFromCivil(const CivilDate& date);

// A day outside 0..kMaxDayNumber yields {0, 0, 0}.
CivilDate CivilFromDayNumber(DayNumber day);

// --- Typed dates and times ----------------------------------------------------
//
// Date pictures hold the placeholders d, m and y (either case) in runs, in any
// order, with any other characters as literal separators: "dd.mm.yyyy",
// "DD.MM.YYYY", "dd.mm.yy", "yyyy-mm-dd". Time pictures hold h, m and s the
// same way: "hh:mm:ss", "HH:MM". In a date picture "m" is the month, in a time
// picture the minute.

// The text of `day` in `picture`: a run of two d/m (h/m/s) gives two digits
// with a leading zero, a run of one gives the number without one; "yy" gives
// the last two digits of the year, any other run of y all four.
// Returns the empty string for a day outside 0..kMaxDayNumber (kNoDate
// included); callers that need a blank column pad it to the picture's width.
std::string DateToText(DayNumber day, std::string_view picture = "dd.mm.yyyy");

// Reads a date typed in `picture` after removing blanks and tabs at both ends.
// Each d or m run matches one or two digits, each y run two or four digits;
// literal characters must match exactly and the whole text must be used.
// A two-digit year is read as 2000-2039 for 00-39 and 1940-1999 for 40-99.
// kNoDate for anything else, and for a date that does not exist or lies
// outside 1600..9999.
DayNumber DateFromText(std::string_view text, std::string_view picture = "dd.mm.yyyy");

// The text of `time` (seconds since midnight) in `picture`; seconds are
// dropped when the picture has no s. Empty for a time outside 0..86399
// (kNoTime included).
std::string TimeToText(TimeOfDay time, std::string_view picture = "hh:mm:ss");

// Reads a time typed in `picture` after removing blanks and tabs at both ends.
// Each run matches one or two digits; hour 0-23, minute and second 0-59.
// A picture without s reads the seconds as 0. kNoTime for anything else.
TimeOfDay TimeFromText(std::string_view text, std::string_view picture = "hh:mm:ss");

// Completes a typed date (the text of a date field) to "dd.mm.yyyy". The
// text is trimmed of blanks and tabs. With dots: day and month of one or two
// digits, then nothing, an empty year ("24.12."), two or four digits
// ("1.3.", "12.3.09", "1.3.2009"). Without: dm, ddm, ddmm, ddmyy, ddmmyy,
// ddmmyyyy. A missing year is today's; a two-digit year is in the 1900s from
// 50 on, else in today's century. A text that gives no existing date is
// returned trimmed but otherwise as typed, for the caller to refuse.
std::string CompleteDateText(std::string_view text, DayNumber today);

// Completes a typed time (the text of a time field) to "hh:mm", or
// "hh:mm:ss" when seconds were typed: "930" and "9.30" -> "09:30", "12:3" ->
// "12:03", "1415" -> "14:15". A text that gives no time of day (hour above
// 23, minute or second above 59, no digits) is returned trimmed but
// otherwise as typed, for the caller to refuse; "00:00" is midnight.
std::string CompleteTimeText(std::string_view text);

}  // namespace korv
