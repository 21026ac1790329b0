// Numbers formatted with zero-filled text pictures, and comparison by text.
//
// A zero-filled picture of i integer and d decimal places ("@@@@@.@@@@@" for
// 5 and 5) prints a number right-aligned, rounded to d decimals and padded
// with leading zeros. Comparing two such texts compares the numbers after
// rounding; this is how wavelengths are matched to bands.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace korv {

// Digit counts are clamped: integer places to 1..kMaxPictureDigits, decimal
// places to 0..kMaxPictureDigits.
inline constexpr int kMaxPictureDigits = 20;

// A formatted number, held without allocation.
struct PictureText {
  std::array<char, 2 * kMaxPictureDigits + 8> chars{};
  std::size_t size = 0;
  std::string_view View() const { return {chars.data(), size}; }
};

// `value` rounded to `decimalDigits` places (on the shortest decimal text of
// the value, halves away from zero: 2.675 gives "2.68"), the integer part
// zero-filled to at least `intDigits` places, "." before the decimals (none
// when decimalDigits is 0). A negative value gets a leading "-" inside the integer
// width ("-0001.50000"); a value that rounds to zero never carries a sign.
// An integer part wider than `intDigits` is printed in full (the text then is
// longer than the picture). NaN, infinities and magnitudes of 1e21 or more
// cannot be printed and give an empty text.
PictureText FormatZeroFilled(int intDigits, int decimalDigits, double value);

// Formats a and b with the same zero-filled picture and compares the texts:
//   '='  texts equal           (a and b equal after rounding)
//   '!'  texts differ
//   '<'  text of b sorts before text of a
//   '>'  text of b sorts after text of a
// Any other operator yields false. When a number needs more integer places
// than asked for, both are formatted with the wider integer part, so the
// equality operators stay exact for any magnitude. The ordering operators
// match the numeric order for non-negative numbers only. A number that cannot
// be printed (see FormatZeroFilled) makes every operator yield false.
bool CompareAtPicture(int intDigits, int decimalDigits, char op, double a, double b);

}  // namespace korv
