#include "common/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace korv {
namespace {

TEST(Cp1252Test, AllBytesSurviveTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToCp1252(utf8, '~'), all);
}

TEST(Cp1252Test, EncodesByTheWindowsTable) {
  struct Case {
    unsigned char byte;
    char32_t codePoint;
    std::string utf8;
  } cases[] = {
      {0x41, U'A', "A"},
      {0x80, 0x20AC, "\xE2\x82\xAC"},  // euro sign
      {0x81, 0x0081, "\xC2\x81"},      // undefined: kept as C1 control
      {0x8A, 0x0160, "\xC5\xA0"},      // S caron
      {0x8D, 0x008D, "\xC2\x8D"},
      {0x8F, 0x008F, "\xC2\x8F"},
      {0x90, 0x0090, "\xC2\x90"},
      {0x93, 0x201C, "\xE2\x80\x9C"},
      {0x99, 0x2122, "\xE2\x84\xA2"},  // trade mark
      {0x9D, 0x009D, "\xC2\x9D"},
      {0x9F, 0x0178, "\xC5\xB8"},  // Y diaeresis
      {0xA0, 0x00A0, "\xC2\xA0"},
      {0xD8, 0x00D8, "\xC3\x98"},  // slashed zero of printed calls
      {0xE4, 0x00E4, "\xC3\xA4"},
      {0xFF, 0x00FF, "\xC3\xBF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp1252ToCodePoint(c.byte), c.codePoint) << int{c.byte};
    EXPECT_EQ(Cp1252ToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8) << int{c.byte};
  }
}

TEST(Cp1252Test, UnmappableCodePointsBecomeTheReplacement) {
  struct Case {
    std::string utf8;
    std::string expected;
  } cases[] = {
      {"Stra\xC3\x9F"
       "e",
       "Stra\xDF"
       "e"},
      {"5 \xE2\x82\xAC", "5 \x80"},
      {"a\xE2\x86\x92"
       "b",
       "a?b"},                    // U+2192 arrow
      {"\xE6\xBC\xA2", "?"},      // CJK, three bytes, one replacement
      {"\xF0\x9F\x98\x80", "?"},  // outside the BMP
      {"\xC2\x80", "?"},          // U+0080 has no byte: 0x80 is the euro sign
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.expected) << c.utf8;
    EXPECT_TRUE(IsValidUtf8(c.utf8)) << c.utf8;
  }
  EXPECT_EQ(Utf8ToCp1252("x\xE2\x86\x92", '_'), "x_");
}

TEST(Cp1252Test, InvalidUtf8GivesOneReplacementPerMaximalSubpart) {
  struct Case {
    std::string utf8;
    std::string expected;
  } cases[] = {
      {"\x80", "?"},            // stray continuation byte
      {"\xC0\xAF", "??"},       // overlong lead, then a stray byte
      {"\xE0\x80\xAF", "???"},  // overlong three-byte form
      {"\xE2\x82", "?"},        // truncated at the end
      {"\xE2\x82"
       "A",
       "?A"},                        // truncated before an ASCII byte
      {"\xED\xA0\x80", "???"},       // UTF-16 surrogate
      {"\xF4\x90\x80\x80", "????"},  // above U+10FFFF
      {"\xF5\x80", "??"},
      {"\xFF\xFE", "??"},
      {"A\xC3", "A?"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.expected) << testing::PrintToString(c.utf8);
    EXPECT_FALSE(IsValidUtf8(c.utf8)) << testing::PrintToString(c.utf8);
  }
}

TEST(UpperCaseTest, WindowsTableUpperCasesEveryLetterWithACapital) {
  EXPECT_EQ(UpperCaseCp1252("dl1abc/p"), "DL1ABC/P");
  // ä ö ü é ÿ š œ ž become capitals; ß µ ÷ and digits stay.
  EXPECT_EQ(UpperCaseCp1252("\xE4\xF6\xFC\xE9\xFF\x9A\x9C\x9E \xDF\xB5\xF7 09"),
            "\xC4\xD6\xDC\xC9\x9F\x8A\x8C\x8E \xDF\xB5\xF7 09");
  // Already upper-case bytes are left alone.
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string upper = UpperCaseCp1252(all);
  EXPECT_EQ(UpperCaseCp1252(upper), upper);
}

TEST(UpperCaseTest, BandCleanUpRuleTouchesAsciiAndUmlautsOnly) {
  EXPECT_EQ(UpperCaseAsciiUmlauts("70cm jo31mm"), "70CM JO31MM");
  EXPECT_EQ(UpperCaseAsciiUmlauts("\xE4\xF6\xFC"), "\xC4\xD6\xDC");
  EXPECT_EQ(UpperCaseAsciiUmlauts("\xE9\xDF\xFF\x9A"), "\xE9\xDF\xFF\x9A");
}

}  // namespace
}  // namespace korv
