// Feeds arbitrary bytes to the helpers that read typed or imported text:
// date and time completion and conversion, decimal numbers, fixed record
// texts, key bounds, number pictures and the Windows-1252/UTF-8 conversion.
//
// Input layout: byte 0 is a width and selects a "today"; the rest is split at
// the first "|" into a text and a picture (no "|": the picture is empty).
// Every invariant that must hold for all inputs is checked with Require,
// which aborts so that libFuzzer records the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "common/cp1252.h"
#include "common/dates.h"
#include "common/picture.h"
#include "common/text.h"

namespace {

using namespace korv;

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

void CheckDates(std::string_view text, std::string_view picture, DayNumber today) {
  const std::string trimmed = TrimBlanksTabs(text);
  const std::string completed = CompleteDateText(text, today);
  Require(completed == trimmed || completed.size() == 10, "completed date has 10 characters");

  for (std::string_view input : {std::string_view(completed), text}) {
    const DayNumber day = DateFromText(input, "dd.mm.yyyy");
    if (day == kNoDate) continue;
    Require(day >= 0 && day <= kMaxDayNumber, "date in range");
    Require(DateFromText(DateToText(day, "dd.mm.yyyy"), "dd.mm.yyyy") == day, "date round trip");
  }

  // Arbitrary pictures must neither crash nor yield days out of range.
  const DayNumber day = DateFromText(text, picture);
  Require(day == kNoDate || (day >= 0 && day <= kMaxDayNumber), "picture date in range");
  (void)DateToText(today, picture);
  Require(DateFromText(DateToText(today, "yyyy-mm-dd"), "yyyy-mm-dd") == today, "today round trip");
}

void CheckTimes(std::string_view text, std::string_view picture) {
  const std::string completed = CompleteTimeText(text);
  for (std::string_view input : {std::string_view(completed), text}) {
    const TimeOfDay time = TimeFromText(input, "hh:mm:ss");
    if (time == kNoTime) continue;
    Require(time >= 0 && time < kSecondsPerDay, "time in range");
    Require(TimeFromText(TimeToText(time, "hh:mm:ss"), "hh:mm:ss") == time, "time round trip");
  }
  const TimeOfDay time = TimeFromText(text, picture);
  Require(time == kNoTime || (time >= 0 && time < kSecondsPerDay), "picture time in range");
  (void)TimeToText(time, picture);
}

void CheckTexts(std::string_view text, std::size_t width) {
  const std::string fixed = FixedText(text);
  Require(fixed.size() <= text.size(), "fixed text not longer");
  Require(fixed.find('\0') == std::string::npos, "fixed text without zeros");
  Require(fixed.empty() || (fixed.front() != ' ' && fixed.front() != '\t' && fixed.back() != ' ' &&
                            fixed.back() != '\t'),
          "fixed text trimmed");

  Require(PadText(text, width).size() == width, "padded width");
  const std::string next = NextKeyText(text, width);
  Require(next.empty() || (next.size() == width && next > PadText(text, width)),
          "next key sorts after");

  const DecimalResult number = ParseDecimal(text);
  if (number.ok()) {
    Require(number.value == number.value, "parsed number is not NaN");
  } else {
    Require(number.errorPos >= 1 && static_cast<std::size_t>(number.errorPos) <= text.size() + 1,
            "error position inside the text");
    Require(number.value == 0.0, "value 0 on error");
  }
}

void CheckCharset(std::string_view bytes) {
  const std::string utf8 = Cp1252ToUtf8(bytes);
  Require(IsValidUtf8(utf8), "UTF-8 output valid");
  Require(Utf8ToCp1252(utf8) == bytes, "Windows-1252 round trip");

  // Read as UTF-8: lossless whenever no replacement (NUL here) was needed.
  const std::string back = Utf8ToCp1252(bytes, '\0');
  Require(back.size() <= bytes.size(), "one byte per code point at most");
  if (IsValidUtf8(bytes) && bytes.find('\0') == std::string_view::npos &&
      back.find('\0') == std::string::npos) {
    Require(Cp1252ToUtf8(back) == bytes, "UTF-8 round trip");
  }

  const std::string upper = UpperCaseCp1252(bytes);
  Require(upper.size() == bytes.size() && UpperCaseCp1252(upper) == upper, "upper case stable");
  const std::string upperBand = UpperCaseAsciiUmlauts(bytes);
  Require(UpperCaseAsciiUmlauts(upperBand) == upperBand, "band upper case stable");
}

void CheckPictures(std::string_view text, std::string_view picture) {
  double value = 0.0;
  std::int64_t integer = 0;
  const DecimalResult number = ParseDecimal(text);
  if (number.ok()) {
    value = number.value;
    integer = static_cast<std::int64_t>(text.size()) - 100;
  } else {
    // Raw bits: NaN, infinities, subnormals and extreme integers included.
    char raw[8] = {};
    std::memcpy(raw, text.data(), text.size() < 8 ? text.size() : 8);
    std::memcpy(&value, raw, sizeof value);
    std::memcpy(&integer, raw, sizeof integer);
  }
  Require(FormatPicture(value, picture).size() == picture.size(), "double picture width");
  Require(FormatPicture(integer, picture).size() == picture.size(), "integer picture width");
  if (integer > -(std::int64_t{1} << 52) && integer < (std::int64_t{1} << 52)) {
    Require(FormatPicture(integer, picture) == FormatPicture(static_cast<double>(integer), picture),
            "integer and double overloads agree");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t width = data[0];
  const DayNumber today = static_cast<DayNumber>((data[0] * 12007u) % (kMaxDayNumber + 1u));
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t bar = rest.find('|');
  const std::string_view text = rest.substr(0, bar);
  const std::string_view picture =
      bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);

  CheckDates(text, picture, today);
  CheckTimes(text, picture);
  CheckTexts(text, width);
  CheckCharset(rest);
  CheckPictures(text, picture);
  return 0;
}
