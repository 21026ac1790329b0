#include "common/cp1252.h"

#include <array>
#include <cstdint>

namespace korv {
namespace {

// Code points of bytes 0x80-0x9F; the undefined bytes map to their C1 control.
constexpr std::array<char16_t, 32> kHighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char32_t kNoCodePoint = 0xFFFFFFFF;

// The Windows-1252 byte of a code point, or -1.
int ByteOfCodePoint(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kHighBlock.size(); ++i) {
    if (kHighBlock[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {  // the table holds nothing above U+FFFF
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at text[pos]. Returns the code point, or
// kNoCodePoint for an ill-formed sequence; `length` receives the bytes
// consumed (for an ill-formed one: its maximal subpart, at least 1).
// Well-formed ranges of the second byte follow the Unicode table of
// well-formed byte sequences, which excludes overlongs and surrogates.
char32_t DecodeUtf8(std::string_view text, std::size_t pos, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  length = 1;
  if (lead < 0x80) return lead;
  std::size_t need = 0;
  char32_t cp = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    cp = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    cp = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    cp = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return kNoCodePoint;
  }
  for (std::size_t k = 1; k <= need; ++k) {
    if (pos + k >= text.size()) return kNoCodePoint;
    const auto c = static_cast<unsigned char>(text[pos + k]);
    if (c < low || c > high) return kNoCodePoint;
    low = 0x80;
    high = 0xBF;
    cp = (cp << 6) | (c & 0x3Fu);
    length = k + 1;
  }
  return cp;
}

}  // namespace

char32_t Cp1252ToCodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighBlock[byte - 0x80];
  return byte;
}

std::string Cp1252ToUtf8(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size() + cp1252.size() / 2);
  for (char c : cp1252) AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1252(std::string_view utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    std::size_t length = 1;
    const char32_t cp = DecodeUtf8(utf8, pos, length);
    const int byte = cp == kNoCodePoint ? -1 : ByteOfCodePoint(cp);
    out.push_back(byte < 0 ? replacement : static_cast<char>(byte));
    pos += length;
  }
  return out;
}

bool IsValidUtf8(std::string_view utf8) {
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    std::size_t length = 1;
    if (DecodeUtf8(utf8, pos, length) == kNoCodePoint) return false;
    pos += length;
  }
  return true;
}

std::string UpperCaseCp1252(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
      ch = static_cast<char>(c - 0x20);
    } else if (c == 0x9A || c == 0x9C || c == 0x9E) {  // š œ ž
      ch = static_cast<char>(c - 0x10);
    } else if (c == 0xFF) {  // ÿ
      ch = '\x9F';
    }
  }
  return out;
}

std::string UpperCaseAsciiUmlauts(std::string_view text) {
  std::string out(text);
  for (char& ch : out) ch = UpperCaseAsciiUmlautChar(ch);
  return out;
}

}  // namespace korv
