// Number pictures of the outputs, lists and edit fields.
//
// A picture is a text in which some characters are places for the number:
//   '#'  digit place; a leading place the number does not reach shows a blank
//   '@'  digit place; ... shows "0"
//   '*'  digit place; ... shows "*"
//   '.' or ','  the first of them marks the decimal position and is shown as
//        it stands; digit places after it hold the decimals
//   '-'  sign place: "-" for a negative number, else a blank
//   '+'  sign place: "-" for a negative number, else "+"
// Every other character (a later '.' or ',', '$', letters, blanks) is copied
// as it stands. The result always has the picture's length.
//
// The number is right-aligned on the last integer place and rounded to the
// picture's decimals, halves away from zero, on the shortest decimal text of
// the value (so 2.675 gives "2.68" although the binary value lies below).
// An integer part of zero shows "0" on the last integer place ("###" of 0 is
// "  0", "##.##" of 0.5 is " 0.50").
//
// Negative numbers: without a sign place in the picture the "-" needs a
// digit place of its own that the digits do not use. It goes into the
// rightmost blank-filled ('#') place left of the digits ("####" of -7 is
// "  -7"); when there is none, into the leftmost integer place ("@@@@" of -7
// is "-007"). A number whose value rounds to zero shows no sign.
//
// A number that does not fit (too many integer digits, no place for its
// "-", NaN or infinity) fills the whole picture with "*":
//   FormatPicture(7, "@@@@") == "0007"   FormatPicture(10000, "@@@@") == "****"
//   FormatPicture(14.2, "#####,###") == "   14,200"
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace korv {

std::string FormatPicture(double value, std::string_view picture);

namespace detail {
std::string FormatPictureInteger(bool negative, std::uint64_t magnitude, std::string_view picture);
}  // namespace detail

// Every integer type, without the ambiguity an int argument would have
// between an int64_t and a double overload.
template <std::integral T>
std::string FormatPicture(T value, std::string_view picture) {
  if constexpr (std::signed_integral<T>) {
    const bool negative = value < 0;
    // Two's complement negation in unsigned arithmetic also covers the minimum.
    const auto magnitude = static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
    return detail::FormatPictureInteger(negative, negative ? 0 - magnitude : magnitude, picture);
  } else {
    return detail::FormatPictureInteger(false, static_cast<std::uint64_t>(value), picture);
  }
}

}  // namespace korv
