// Windows-1252 <-> UTF-8, and upper-casing of Windows-1252 text.
//
// Records and output files speak Windows-1252; the terminal of the command
// line tool speaks UTF-8. This is the one place that converts between them
// outside the Qt windows.
//
// Mapping: bytes 0x00-0x7F and 0xA0-0xFF are U+0000-U+007F and U+00A0-U+00FF.
// The 0x80-0x9F block follows the Windows-1252 table (0x80 U+20AC euro sign,
// 0x8A U+0160, 0x9F U+0178 ...); its five undefined bytes 0x81, 0x8D, 0x8F,
// 0x90, 0x9D map to the C1 controls U+0081, U+008D, U+008F, U+0090, U+009D so
// that every byte string survives Cp1252ToUtf8 followed by Utf8ToCp1252.
#pragma once

#include <string>
#include <string_view>

namespace korv {

// The code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);

// Always valid UTF-8; never fails.
std::string Cp1252ToUtf8(std::string_view cp1252);

// Every code point without a Windows-1252 byte becomes `replacement`; so does
// every invalid UTF-8 sequence (one replacement per maximal ill-formed
// subsequence: bad lead bytes, stray continuation bytes, truncated, overlong
// and surrogate encodings, code points above U+10FFFF).
std::string Utf8ToCp1252(std::string_view utf8, char replacement = '?');

// True when `utf8` is well-formed UTF-8 by the rules above.
bool IsValidUtf8(std::string_view utf8);

// Upper case by the Windows-1252 letter table: a-z, the Latin-1 letters
// à-þ (except ÷) and š œ ž ÿ get their capitals; ß and µ, which have no
// single-byte capital, stay. Used for imported text.
std::string UpperCaseCp1252(std::string_view text);

// The clean-up rule of typed band and locator texts: ASCII a-z and the
// German umlauts ä ö ü become A-Z and Ä Ö Ü; every other byte stays.
constexpr char UpperCaseAsciiUmlautChar(char ch) {
  const auto c = static_cast<unsigned char>(ch);
  if ((c >= 'a' && c <= 'z') || c == 0xE4 || c == 0xF6 || c == 0xFC) {
    return static_cast<char>(c - 0x20);
  }
  return ch;
}
std::string UpperCaseAsciiUmlauts(std::string_view text);

}  // namespace korv
