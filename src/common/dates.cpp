#include "common/dates.h"

#include <chrono>
#include <initializer_list>
#include <utility>

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

std::string CompleteDateText(std::string_view text, DayNumber today) {
  const std::string_view t = TrimBlanksTabsView(text);
  const std::size_t n = t.size();
  std::string year;
  AppendNumber(year, CivilFromDayNumber(today).year, 4);
  const std::string_view y = year;
  const std::string_view c = y.substr(0, 2);

  // 1-based character of t, and the part of k characters from position i.
  auto at = [t](std::size_t i) { return std::string_view(t.substr(i - 1, 1)); };
  auto part = [t](std::size_t i, std::size_t k) { return t.substr(i - 1, k); };
  auto century = [c](std::string_view yy) {
    return static_cast<unsigned char>(yy[0]) >= '5' ? std::string_view("19") : c;
  };
  const bool hasDot = t.find('.') != std::string_view::npos;
  auto dotAt = [t, n](std::size_t i) { return n >= i && t[i - 1] == '.'; };

  std::string out;
  out.reserve(10);
  auto build = [&out](std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) out.append(piece);
    return std::move(out);
  };
  switch (n) {
    case 2:
      return build({"0", at(1), ".0", at(2), ".", y});
    case 3:
      if (hasDot) return build({"0", at(1), ".0", at(3), ".", y});
      return build({part(1, 2), ".0", at(3), ".", y});
    case 4:
      if (dotAt(2)) return build({"0", at(1), ".", part(3, 2), ".", y});
      if (hasDot) return build({part(1, 2), ".0", at(4), ".", y});
      return build({part(1, 2), ".", part(3, 2), ".", y});
    case 5:
      if (!hasDot) return build({part(1, 2), ".0", at(3), ".", century(part(4, 2)), part(4, 2)});
      return build({t, ".", y});
    case 6:
      if (dotAt(3)) return build({t, y});
      if (dotAt(2)) return build({"0", at(1), ".0", at(3), ".", century(part(5, 2)), part(5, 2)});
      return build({part(1, 2), ".", part(3, 2), ".", century(part(5, 2)), part(5, 2)});
    case 7:
      if (dotAt(3)) return build({part(1, 2), ".0", at(4), ".", century(part(6, 2)), part(6, 2)});
      if (dotAt(2))
        return build({"0", at(1), ".", part(3, 2), ".", century(part(6, 2)), part(6, 2)});
      break;
    case 8:
      if (!hasDot) return build({part(1, 2), ".", part(3, 2), ".", part(5, 4)});
      return build({part(1, 2), ".", part(4, 2), ".", century(part(7, 2)), part(7, 2)});
    default:
      break;
  }
  return std::string(t);
}

std::string CompleteTimeText(std::string_view text) {
  const std::string_view t = TrimBlanksTabsView(text);
  std::string out;
  if (t.size() == 4) {
    if (t.find_first_of(":.") != std::string_view::npos) {
      out.append("0").append(t.substr(0, 1)).append(":").append(t.substr(2, 2));
    } else {
      out.append(t.substr(0, 2)).append(":").append(t.substr(2, 2));
    }
    return out;
  }
  if (t.size() == 3 && t.find(':') == std::string_view::npos) {
    return out.append("0").append(t.substr(0, 1)).append(":").append(t.substr(1, 2));
  }
  return std::string(t);
}

}  // namespace korv
