// Text clean-up shared by the band, mode and locator parsers.
//
// Texts are Windows-1252 bytes. Upper-casing follows the one rule used
// throughout the program: ASCII a-z plus the three umlauts "ä", "ö", "ü"
// (0xE4, 0xF6, 0xFC) become "Ä", "Ö", "Ü" (0xC4, 0xD6, 0xDC); every other
// byte, "ß" and accented letters included, stays as it is.
#pragma once

#include <string_view>

namespace korv::refdata_internal {

constexpr char UpperCaseCp1252(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 'a' && byte <= 'z') return static_cast<char>(byte - ('a' - 'A'));
  if (byte == 0xE4 || byte == 0xF6 || byte == 0xFC) return static_cast<char>(byte - 0x20);
  return c;
}

constexpr bool IsBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}

// The text without blanks and tabs at both ends (other white space stays).
constexpr std::string_view TrimBlanksAndTabs(std::string_view text) {
  while (!text.empty() && IsBlankOrTab(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrTab(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace korv::refdata_internal
