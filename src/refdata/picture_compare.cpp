#include "refdata/picture_compare.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace korv {
namespace {

constexpr double kLargestPrintable = 1e21;  // keeps every text inside PictureText

// Formats without clamping `width` (the caller widens it when a number does not
// fit); leaves `out` empty when the value cannot be printed.
//
// Rounding works on the shortest decimal text that reads back as the value,
// halves away from zero, as the program's number pictures do: 2.675 is
// "2.68" at two decimals although its binary value lies a little below.
void FormatInto(int width, int decimals, double value, PictureText& out) {
  out.size = 0;
  if (!std::isfinite(value) || std::fabs(value) >= kLargestPrintable) return;

  // Shortest fixed text of |value|; 400 places hold even "0." and the 324
  // decimals of the smallest subnormal.
  std::array<char, 400> text;  // filled by to_chars
  const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), std::fabs(value),
                                       std::chars_format::fixed);
  if (ec != std::errc{}) return;
  const std::string_view fixed(text.data(), static_cast<std::size_t>(end - text.data()));
  const std::size_t dot = fixed.find('.');
  const std::string_view intText = fixed.substr(0, dot);
  const std::string_view fracText =
      dot == std::string_view::npos ? std::string_view() : fixed.substr(dot + 1);

  // One spare leading place takes a carry out of the top digit.
  const auto places = static_cast<std::size_t>(decimals);
  std::array<char, 64> digits;  // written before read
  std::size_t length = 0;
  digits[length++] = '0';
  for (char c : intText) digits[length++] = c;
  const std::size_t intLength = length;
  for (std::size_t i = 0; i < places; ++i) {
    digits[length++] = i < fracText.size() ? fracText[i] : '0';
  }
  if (fracText.size() > places && fracText[places] >= '5') {
    for (std::size_t i = length; i-- > 0;) {
      if (digits[i] != '9') {
        ++digits[i];
        break;
      }
      digits[i] = '0';
    }
  }

  std::string_view intDigits(digits.data(), intLength);
  intDigits.remove_prefix(std::min(intDigits.find_first_not_of('0'), intDigits.size() - 1));
  const std::string_view fracDigits(digits.data() + intLength, places);
  const bool roundsToZero =
      intDigits == "0" && fracDigits.find_first_not_of('0') == std::string_view::npos;
  const bool negative = value < 0 && !roundsToZero;

  const std::size_t used = intDigits.size() + (negative ? 1 : 0);
  const auto minimum = static_cast<std::size_t>(width);
  const std::size_t fill = minimum > used ? minimum - used : 0;
  if (used + fill + 1 + places > out.chars.size()) return;

  std::size_t pos = 0;
  if (negative) out.chars[pos++] = '-';
  for (std::size_t i = 0; i < fill; ++i) out.chars[pos++] = '0';
  for (char c : intDigits) out.chars[pos++] = c;
  if (places > 0) {
    out.chars[pos++] = '.';
    for (char c : fracDigits) out.chars[pos++] = c;
  }
  out.size = pos;
}

int IntegerWidth(const PictureText& text, int decimals) {
  return static_cast<int>(text.size) - (decimals > 0 ? decimals + 1 : 0);
}

}  // namespace

PictureText FormatZeroFilled(int intDigits, int decimalDigits, double value) {
  PictureText out;
  FormatInto(std::clamp(intDigits, 1, kMaxPictureDigits),
             std::clamp(decimalDigits, 0, kMaxPictureDigits), value, out);
  return out;
}

bool CompareAtPicture(int intDigits, int decimalDigits, char op, double a, double b) {
  if (op != '=' && op != '!' && op != '<' && op != '>') return false;
  const int decimals = std::clamp(decimalDigits, 0, kMaxPictureDigits);
  PictureText textA = FormatZeroFilled(intDigits, decimals, a);
  PictureText textB = FormatZeroFilled(intDigits, decimals, b);
  if (textA.size == 0 || textB.size == 0) return false;

  // Texts compare like numbers only at equal width: widen the narrower one.
  const int widthA = IntegerWidth(textA, decimals);
  const int widthB = IntegerWidth(textB, decimals);
  if (widthA < widthB) FormatInto(widthB, decimals, a, textA);
  if (widthB < widthA) FormatInto(widthA, decimals, b, textB);

  const int order = textB.View().compare(textA.View());
  switch (op) {
    case '=':
      return order == 0;
    case '!':
      return order != 0;
    case '<':
      return order < 0;
    default:
      return order > 0;
  }
}

}  // namespace korv
