#include "common/picture.h"

#include <charconv>
#include <cmath>

namespace korv {
namespace {

bool IsDigitPlace(char c) {
  return c == '#' || c == '@' || c == '*';
}

char FillOf(char place) {
  return place == '#' ? ' ' : place == '@' ? '0' : '*';
}

struct PictureShape {
  std::size_t sepPos = std::string_view::npos;  // index of the decimal mark
  std::size_t intPlaces = 0;
  std::size_t fracPlaces = 0;
  bool hasSignPlace = false;
};

PictureShape ShapeOf(std::string_view picture) {
  PictureShape shape;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const char p = picture[i];
    if (IsDigitPlace(p)) {
      ++(shape.sepPos == std::string_view::npos ? shape.intPlaces : shape.fracPlaces);
    } else if ((p == '.' || p == ',') && shape.sepPos == std::string_view::npos) {
      shape.sepPos = i;
    } else if (p == '-' || p == '+') {
      shape.hasSignPlace = true;
    }
  }
  return shape;
}

// Lays the rounded number into the picture. `intDigits` carries no leading
// zeros (empty for an integer part of zero); `fracDigits` holds at most
// shape.fracPlaces digits, missing ones are zeros.
std::string Layout(bool negative, std::string_view intDigits, std::string_view fracDigits,
                   std::string_view picture, const PictureShape& shape) {
  std::string out(picture);
  if (intDigits.size() > shape.intPlaces) return std::string(picture.size(), '*');

  // Digits shown in the integer places: the integer digits, or one "0".
  const std::size_t shown = intDigits.empty() ? (shape.intPlaces > 0 ? 1 : 0) : intDigits.size();
  const std::size_t intEnd = shape.sepPos == std::string_view::npos ? picture.size() : shape.sepPos;
  std::size_t placed = 0;
  std::size_t blankFill = std::string_view::npos;  // rightmost '#' fill place
  std::size_t leftmostFill = std::string_view::npos;
  for (std::size_t i = intEnd; i-- > 0;) {
    const char p = picture[i];
    if (!IsDigitPlace(p)) continue;
    if (placed < shown) {
      out[i] = placed < intDigits.size() ? intDigits[intDigits.size() - 1 - placed] : '0';
    } else {
      out[i] = FillOf(p);
      if (p == '#' && blankFill == std::string_view::npos) blankFill = i;
      leftmostFill = i;
    }
    ++placed;
  }

  std::size_t fracIndex = 0;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const char p = picture[i];
    if (p == '-' || p == '+') {
      out[i] = negative ? '-' : (p == '+' ? '+' : ' ');
    } else if (i > intEnd && IsDigitPlace(p)) {
      out[i] = fracIndex < fracDigits.size() ? fracDigits[fracIndex] : '0';
      ++fracIndex;
    }
  }

  if (negative && !shape.hasSignPlace) {
    const std::size_t at = blankFill != std::string_view::npos ? blankFill : leftmostFill;
    if (at == std::string_view::npos) return std::string(picture.size(), '*');
    out[at] = '-';
  }
  return out;
}

std::string_view StripLeadingZeros(std::string_view digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string_view::npos ? std::string_view() : digits.substr(first);
}

}  // namespace

std::string detail::FormatPictureInteger(bool negative, std::uint64_t magnitude,
                                         std::string_view picture) {
  char buf[24];
  const auto result = std::to_chars(buf, buf + sizeof buf, magnitude);
  const std::string_view digits = StripLeadingZeros(std::string_view(buf, result.ptr - buf));
  return Layout(negative && magnitude != 0, digits, {}, picture, ShapeOf(picture));
}

std::string FormatPicture(double value, std::string_view picture) {
  const PictureShape shape = ShapeOf(picture);
  if (!std::isfinite(value)) return std::string(picture.size(), '*');

  // Shortest fixed text of |value|: at most 309 integer digits, or "0." and
  // 324 decimals for the smallest subnormal.
  char text[400];
  const auto result =
      std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::fixed);
  if (result.ec != std::errc()) return std::string(picture.size(), '*');
  const std::string_view fixed(text, result.ptr - text);
  const std::size_t dot = fixed.find('.');
  const std::string_view intText = fixed.substr(0, dot);
  const std::string_view fracText =
      dot == std::string_view::npos ? std::string_view() : fixed.substr(dot + 1);

  // All digits contiguous behind one spare place for a carry out of the top.
  char digits[401];
  digits[0] = '0';
  std::size_t len = 1;
  for (char c : intText) digits[len++] = c;
  const std::size_t keptFrac =
      fracText.size() < shape.fracPlaces ? fracText.size() : shape.fracPlaces;
  for (std::size_t i = 0; i < keptFrac; ++i) digits[len++] = fracText[i];
  if (fracText.size() > keptFrac && fracText[keptFrac] >= '5') {
    std::size_t i = len;
    while (i-- > 0) {
      if (digits[i] == '9') {
        digits[i] = '0';
      } else {
        ++digits[i];
        break;
      }
    }
  }
  const std::size_t intLen = 1 + intText.size();
  const std::string_view intDigits = StripLeadingZeros(std::string_view(digits, intLen));
  const std::string_view fracDigits(digits + intLen, keptFrac);
  const bool nonZero = !intDigits.empty() || !StripLeadingZeros(fracDigits).empty();
  return Layout(value < 0 && nonZero, intDigits, fracDigits, picture, shape);
}

}  // namespace korv
