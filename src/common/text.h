// Small text helpers every window and writer uses.
//
// All texts are std::string values of Windows-1252 bytes (the text form of a
// ShortText field, at most 255 bytes when stored). Nothing here allocates
// beyond the returned string; nothing throws.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/coding.h"

namespace korv {

// Exactly `width` bytes: cut to the first `width` when longer, filled with
// blanks at the end when shorter.
std::string PadText(std::string_view text, std::size_t width);

// Blanks in front of `text` up to `width` bytes; a longer text is returned
// unchanged (right alignment of numbers and headings in the outputs).
std::string PadLeftText(std::string_view text, std::size_t width);

// The German text when `uiGerman` is true, else the English one. The language
// flag is program state owned by the main window and passed in by the caller.
std::string PickText(bool uiGerman, std::string_view german, std::string_view english);

// Removes blanks and tab characters at both ends.
std::string TrimBlanksTabs(std::string_view text);
// The same as a view into `text`, which must outlive the result.
std::string_view TrimBlanksTabsView(std::string_view text);

// A fixed character array of a record (all its bytes, zeros included): every
// zero byte becomes a blank, then blanks and tabs are removed at both ends.
std::string FixedText(std::string_view chars);
std::string FixedText(ConstBytes chars);

// A one-character text; the zero character gives the empty text.
std::string CharToText(char c);

// The smallest text of `width` bytes that sorts after every text beginning
// with `text` (an upper key bound): `text` padded to `width`, then the
// rightmost byte below 'z' (122) is increased by one; bytes at or above 'z'
// (compared unsigned, so every byte >= 128 too) are skipped towards the left.
// When every byte is skipped, or `width` is 0, the result is empty.
//   NextKeyText("AB", 3) == "AB!"   NextKeyText("zz", 2) == ""
std::string NextKeyText(std::string_view text, std::size_t width);

// Repairs text from the DOS code page in older records: bytes 129, 132, 142,
// 148, 153, 154, 225 become the Windows-1252 letters ü ä Ä ö Ö Ü ß, byte 251
// becomes "Y"; every other byte stays.
std::string DosToAnsi(std::string_view text);

// Every digit "0" becomes the slashed zero (byte 216) of printed call signs.
std::string SlashZeros(std::string_view text);

// Result of ParseDecimal. errorPos is 0 on success, else the 1-based position
// in the given text of the first byte that cannot be read (one past the end
// when the text ends too early, e.g. is empty or only a sign). On error the
// value is 0.
struct DecimalResult {
  double value = 0.0;
  int errorPos = 0;
  bool ok() const { return errorPos == 0; }
};

// Reads a decimal number typed with either decimal separator. The first ","
// is the separator, or the first "." when there is no ",". Grammar after
// removing blanks and tabs at both ends:
//   [+|-] digits* [ separator digits* ]   with at least one digit in total.
// "14,2" and "14.2" give 14.2, "3,05" gives 3.05, ",5" gives 0.5, "7," gives 7.
// A sign applies to the whole value ("-3,5" is -3.5). Every other byte,
// including a second separator, is an error at its position; an error in the
// integer part is reported like one in the fraction.
DecimalResult ParseDecimal(std::string_view text);

// A whole decimal number within [low, high], blanks and tabs around it
// ignored; nullopt for anything else (signs, fractions, other characters).
std::optional<int> ParseWholeNumber(std::string_view text, int low, int high);

}  // namespace korv
