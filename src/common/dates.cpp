#include "common/dates.h"

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <utility>
#include <vector>

#include "common/text.h"

namespace korv {
namespace {

constexpr std::chrono::sys_days kEpoch =
    std::chrono::sys_days{std::chrono::year{1600} / std::chrono::January / 1};

static_assert((std::chrono::sys_days{std::chrono::year{9999} / std::chrono::December / 31} - kEpoch)
                  .count() == kMaxDayNumber);

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// One element of a date or time picture: a run of one placeholder letter
// (kind is the lower-case letter) or a single literal character (kind 0).
struct PictureToken {
  char kind = 0;
  char literal = 0;
  std::size_t run = 0;
};

// Splits off the token at picture[pos] and advances pos. `letters` lists the
// placeholder letters of the picture kind ("dmy" or "hms").
PictureToken NextToken(std::string_view picture, std::size_t& pos, std::string_view letters) {
  const char c = LowerAscii(picture[pos]);
  if (letters.find(c) == std::string_view::npos) return {0, picture[pos++], 1};
  PictureToken token{c, 0, 0};
  while (pos < picture.size() && LowerAscii(picture[pos]) == c) {
    ++pos;
    ++token.run;
  }
  return token;
}

void AppendNumber(std::string& out, int value, std::size_t width) {
  char digits[12];
  std::size_t n = 0;
  unsigned v = static_cast<unsigned>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (std::size_t i = n; i < width; ++i) out.push_back('0');
  while (n > 0) out.push_back(digits[--n]);
}

// Reads the numbers of `text` laid out as `picture`. fields[i] receives the
// number of placeholder letters[i] and digitCounts[i] its digit count
// (-1 when the picture lacks it). A run followed directly by another
// placeholder has no separator to end it and reads exactly its width; other
// runs read up to `maxDigits` of their letter. False when the text does not
// match the picture or a placeholder appears twice.
bool ReadFields(std::string_view text, std::string_view picture, std::string_view letters,
                const int (&maxDigits)[3], int (&fields)[3], int (&digitCounts)[3]) {
  for (int i = 0; i < 3; ++i) fields[i] = digitCounts[i] = -1;
  const std::string_view t = TrimBlanksTabsView(text);
  std::size_t textPos = 0;
  std::size_t picPos = 0;
  while (picPos < picture.size()) {
    const PictureToken token = NextToken(picture, picPos, letters);
    if (token.kind == 0) {
      if (textPos >= t.size() || t[textPos] != token.literal) return false;
      ++textPos;
      continue;
    }
    const auto index = static_cast<int>(letters.find(token.kind));
    if (fields[index] >= 0) return false;
    std::size_t limit = static_cast<std::size_t>(maxDigits[index]);
    if (picPos < picture.size() &&
        letters.find(LowerAscii(picture[picPos])) != std::string_view::npos) {
      limit = (token.kind == 'y' && token.run != 2) ? 4 : 2;
    }
    int value = 0;
    int count = 0;
    while (static_cast<std::size_t>(count) < limit && textPos < t.size() && IsDigit(t[textPos])) {
      value = value * 10 + (t[textPos] - '0');
      ++count;
      ++textPos;
    }
    if (count == 0) return false;
    fields[index] = value;
    digitCounts[index] = count;
  }
  return textPos == t.size();
}

}  // namespace

bool IsValidCivilDate(const CivilDate& date) {
  if (date.year < 1600 || date.year > 9999) return false;
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return false;
  const std::chrono::year_month_day ymd{std::chrono::year{date.year},
                                        std::chrono::month{static_cast<unsigned>(date.month)},
                                        std::chrono::day{static_cast<unsigned>(date.day)}};
  return ymd.ok();
}

DayNumber DayNumberFromCivil(const CivilDate& date) {
  if (!IsValidCivilDate(date)) return kNoDate;
  const std::chrono::year_month_day ymd{std::chrono::year{date.year},
                                        std::chrono::month{static_cast<unsigned>(date.month)},
                                        std::chrono::day{static_cast<unsigned>(date.day)}};
  return static_cast<DayNumber>((std::chrono::sys_days{ymd} - kEpoch).count());
}

CivilDate CivilFromDayNumber(DayNumber day) {
  if (day < 0 || day > kMaxDayNumber) return {};
  const std::chrono::year_month_day ymd{kEpoch + std::chrono::days{day}};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

std::string DateToText(DayNumber day, std::string_view picture) {
  if (day < 0 || day > kMaxDayNumber) return {};
  const CivilDate date = CivilFromDayNumber(day);
  std::string out;
  out.reserve(picture.size() + 2);
  std::size_t pos = 0;
  while (pos < picture.size()) {
    const PictureToken token = NextToken(picture, pos, "dmy");
    switch (token.kind) {
      case 'd':
        AppendNumber(out, date.day, token.run >= 2 ? 2 : 1);
        break;
      case 'm':
        AppendNumber(out, date.month, token.run >= 2 ? 2 : 1);
        break;
      case 'y':
        if (token.run == 2) {
          AppendNumber(out, date.year % 100, 2);
        } else {
          AppendNumber(out, date.year, 4);
        }
        break;
      default:
        out.push_back(token.literal);
        break;
    }
  }
  return out;
}

DayNumber DateFromText(std::string_view text, std::string_view picture) {
  int fields[3];
  int digitCounts[3];
  if (!ReadFields(text, picture, "dmy", {2, 2, 4}, fields, digitCounts)) return kNoDate;
  if (fields[0] < 0 || fields[1] < 0 || fields[2] < 0) return kNoDate;
  int year = fields[2];
  if (digitCounts[2] == 2) {
    year += year < 40 ? 2000 : 1900;
  } else if (digitCounts[2] != 4) {
    return kNoDate;
  }
  return DayNumberFromCivil({year, fields[1], fields[0]});
}

std::string TimeToText(TimeOfDay time, std::string_view picture) {
  if (time < 0 || time >= kSecondsPerDay) return {};
  const int parts[3] = {time / 3600, time / 60 % 60, time % 60};
  std::string out;
  out.reserve(picture.size());
  std::size_t pos = 0;
  while (pos < picture.size()) {
    const PictureToken token = NextToken(picture, pos, "hms");
    if (token.kind == 0) {
      out.push_back(token.literal);
      continue;
    }
    const int index = token.kind == 'h' ? 0 : token.kind == 'm' ? 1 : 2;
    AppendNumber(out, parts[index], token.run >= 2 ? 2 : 1);
  }
  return out;
}

TimeOfDay TimeFromText(std::string_view text, std::string_view picture) {
  int fields[3];
  int digitCounts[3];
  if (!ReadFields(text, picture, "hms", {2, 2, 2}, fields, digitCounts)) return kNoTime;
  const int hour = fields[0];
  const int minute = fields[1] < 0 ? 0 : fields[1];
  const int second = fields[2] < 0 ? 0 : fields[2];
  if (hour < 0 || hour > 23 || minute > 59 || second > 59) return kNoTime;
  return hour * 3600 + minute * 60 + second;
}

namespace {

bool Digits(std::string_view s, std::size_t least, std::size_t most) {
  return s.size() >= least && s.size() <= most &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int NumberOf(std::string_view digits) {
  int v = 0;
  for (char c : digits) v = v * 10 + (c - '0');
  return v;
}

// Splits at every separator; more than `most` parts: empty.
std::vector<std::string_view> SplitAt(std::string_view t, std::string_view separators, std::size_t most) {
  std::vector<std::string_view> parts;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = t.find_first_of(separators, from);
    parts.push_back(t.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) break;
    from = at + 1;
    if (parts.size() == most) return {};
  }
  return parts;
}

}  // namespace

std::string CompleteDateText(std::string_view text, DayNumber today) {
  const std::string_view t = TrimBlanksTabsView(text);
  const std::size_t n = t.size();
  std::string_view d, m, y;
  if (t.find('.') != std::string_view::npos) {
    // d.m, d.m., d.m.yy, d.m.yyyy with one or two digits for day and month
    const std::vector<std::string_view> parts = SplitAt(t, ".", 3);
    if (parts.size() < 2) return std::string(t);
    d = parts[0];
    m = parts[1];
    if (parts.size() == 3) y = parts[2];
  } else if (Digits(t, 2, 8)) {
    switch (n) {
      case 2: d = t.substr(0, 1), m = t.substr(1, 1); break;                       // dm
      case 3: d = t.substr(0, 2), m = t.substr(2, 1); break;                       // ddm
      case 4: d = t.substr(0, 2), m = t.substr(2, 2); break;                       // ddmm
      case 5: d = t.substr(0, 2), m = t.substr(2, 1), y = t.substr(3, 2); break;   // ddmyy
      case 6: d = t.substr(0, 2), m = t.substr(2, 2), y = t.substr(4, 2); break;   // ddmmyy
      case 8: d = t.substr(0, 2), m = t.substr(2, 2), y = t.substr(4, 4); break;   // ddmmyyyy
      default: return std::string(t);
    }
  } else {
    return std::string(t);
  }
  if (!Digits(d, 1, 2) || !Digits(m, 1, 2) || !(y.empty() || Digits(y, 2, 2) || Digits(y, 4, 4))) {
    return std::string(t);
  }
  const int thisYear = CivilFromDayNumber(today).year;
  int year = thisYear;
  if (y.size() == 4) {
    year = NumberOf(y);
  } else if (y.size() == 2) {
    // The century is 19 from the year 50 on, else this year's.
    year = (y[0] >= '5' ? 1900 : thisYear / 100 * 100) + NumberOf(y);
  }
  std::string out;
  AppendNumber(out, NumberOf(d), 2);
  out += '.';
  AppendNumber(out, NumberOf(m), 2);
  out += '.';
  AppendNumber(out, year, 4);
  // What is no date stays as typed, for the caller to refuse.
  return DateFromText(out) == kNoDate ? std::string(t) : out;
}

std::string CompleteTimeText(std::string_view text) {
  const std::string_view t = TrimBlanksTabsView(text);
  std::string_view h, m, sec;
  if (t.find_first_of(":.") != std::string_view::npos) {
    // h:m, h:mm, hh:m, hh:mm, with ":ss" optional; "." also separates
    const std::vector<std::string_view> parts = SplitAt(t, ":.", 3);
    if (parts.size() < 2) return std::string(t);
    h = parts[0];
    m = parts[1];
    if (parts.size() == 3) sec = parts[2];
    if (parts.size() == 3 && !Digits(sec, 1, 2)) return std::string(t);
  } else if (Digits(t, 3, 4)) {
    h = t.substr(0, t.size() - 2);  // hmm, hhmm
    m = t.substr(t.size() - 2);
  } else {
    return std::string(t);
  }
  if (!Digits(h, 1, 2) || !Digits(m, 1, 2)) return std::string(t);
  const int hour = NumberOf(h), minute = NumberOf(m), second = sec.empty() ? 0 : NumberOf(sec);
  if (hour > 23 || minute > 59 || second > 59) return std::string(t);  // no time: as typed
  std::string out;
  AppendNumber(out, hour, 2);
  out += ':';
  AppendNumber(out, minute, 2);
  if (!sec.empty()) {
    out += ':';
    AppendNumber(out, second, 2);
  }
  return out;
}

}  // namespace korv
