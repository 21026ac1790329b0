#include "common/text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace korv {
namespace {

using namespace std::string_literals;

TEST(PadTextTest, CutsOrFillsToExactWidth) {
  const std::string name30 = "Amateurfunkclub Musterstadt eV";
  ASSERT_EQ(name30.size(), 30u);
  struct Case {
    std::string text;
    std::size_t width;
    std::string expected;
  } cases[] = {
      {"DEZ", 5, "DEZ  "}, {name30, 25, name30.substr(0, 25)},
      {"DEZ", 3, "DEZ"},   {"", 3, "   "},
      {"DEZ", 0, ""},      {std::string(255, 'x'), 255, std::string(255, 'x')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PadText(c.text, c.width), c.expected) << c.text << " / " << c.width;
  }
}

TEST(PadTextTest, PadLeftAlignsRightAndKeepsLongerTexts) {
  EXPECT_EQ(PadLeftText("7", 3), "  7");
  EXPECT_EQ(PadLeftText("1234", 3), "1234");
  EXPECT_EQ(PadLeftText("", 2), "  ");
}

TEST(PickTextTest, ChoosesByLanguageFlag) {
  EXPECT_EQ(PickText(true, "Datum", "Date"), "Datum");
  EXPECT_EQ(PickText(false, "Datum", "Date"), "Date");
}

TEST(TrimTest, RemovesOnlyBlanksAndTabsAtBothEnds) {
  EXPECT_EQ(TrimBlanksTabs(" \tDL1 ABC\t "), "DL1 ABC");
  EXPECT_EQ(TrimBlanksTabs("\t \t"), "");
  EXPECT_EQ(TrimBlanksTabs(""), "");
  EXPECT_EQ(TrimBlanksTabs("\nX\r"), "\nX\r");
}

TEST(FixedTextTest, ZerosBecomeBlanksThenTrimmed) {
  EXPECT_EQ(FixedText("\0N01\0X\0\0"s), "N01 X");
  EXPECT_EQ(FixedText("\tJO31\t"s), "JO31");
  EXPECT_EQ(FixedText("\0\0\0"s), "");
  const std::array<std::uint8_t, 6> record = {'D', 0, 'L', ' ', 0, 0};
  EXPECT_EQ(FixedText(ConstBytes(record)), "D L");
}

TEST(CharToTextTest, ZeroGivesEmptyText) {
  EXPECT_EQ(CharToText('\0'), "");
  EXPECT_EQ(CharToText('a'), "a");
  EXPECT_EQ(CharToText('\xE4'), "\xE4");
}

TEST(NextKeyTextTest, SmallestTextAfterThePrefix) {
  struct Case {
    std::string text;
    std::size_t width;
    std::string expected;
  } cases[] = {
      {"AB", 3, "AB!"},  // padded blank becomes "!"
      {"zz", 2, ""},     // nothing below "z" left
      {"Az", 2, "Bz"},   // "z" skipped, characters right of the step stay
      {"AZ", 2, "A["},       {"y", 1, "z"}, {"ABCD", 2, "AC"},  // cut to the width first
      {"a\xE4", 2, "b\xE4"},  // bytes above 127 count as above "z"
      {"", 0, ""},           {"", 2, " !"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextKeyText(c.text, c.width), c.expected) << c.text << " / " << c.width;
  }
}

TEST(DosToAnsiTest, RepairsTheGermanLettersOnly) {
  const std::pair<unsigned char, unsigned char> mapped[] = {
      {129, 252}, {132, 228}, {142, 196}, {148, 246},
      {153, 214}, {154, 220}, {225, 223}, {251, 'Y'},
  };
  for (int b = 0; b < 256; ++b) {
    unsigned char expected = static_cast<unsigned char>(b);
    for (const auto& [from, to] : mapped) {
      if (from == b) expected = to;
    }
    const std::string out = DosToAnsi(std::string(1, static_cast<char>(b)));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(out[0]), expected) << "byte " << b;
  }
  EXPECT_EQ(DosToAnsi("M\x81nchen Stra\xE1"
                      "e"),
            "M\xFCnchen Stra\xDF"
            "e");
}

TEST(SlashZerosTest, EveryZeroDigitIsSlashed) {
  EXPECT_EQ(SlashZeros("DL0ABC/0"),
            "DL\xD8"
            "ABC/\xD8");
  EXPECT_EQ(SlashZeros("DL1ABC"), "DL1ABC");
  EXPECT_EQ(SlashZeros("O"), "O");
}

TEST(ParseDecimalTest, ReadsEitherSeparator) {
  struct Case {
    const char* text;
    double expected;
  } cases[] = {
      {"14,2", 14.2},
      {"14.2", 14.2},
      {"3,05", 3.05},
      {"3.05", 3.05},
      {"7", 7.0},
      {",5", 0.5},
      {"7,", 7.0},
      {" 12,5\t", 12.5},
      {"-3,5", -3.5},
      {"+2", 2.0},
      {"007", 7.0},
      {"0,000001", 0.000001},
      {"3500,125", 3500.125},
  };
  for (const Case& c : cases) {
    const DecimalResult r = ParseDecimal(c.text);
    EXPECT_TRUE(r.ok()) << c.text << " error at " << r.errorPos;
    EXPECT_DOUBLE_EQ(r.value, c.expected) << c.text;
  }
}

TEST(ParseDecimalTest, ReportsFirstBadPositionInTheCallersText) {
  struct Case {
    const char* text;
    int errorPos;
  } cases[] = {
      {"1a", 2},      {"14x,2", 3},  // a fault in the integer part is not hidden by a good fraction
      {"14,2x", 5},   {"1,2.3", 4},  // the comma is the separator, so the dot is a second one
      {"1.000,5", 2},                // no thousands separators
      {"  x", 3},                    // positions count the blanks trimmed away
      {"", 1},        {"-", 2},     {",", 2}, {"1 2", 2}, {"--1", 2},
  };
  for (const Case& c : cases) {
    const DecimalResult r = ParseDecimal(c.text);
    EXPECT_EQ(r.errorPos, c.errorPos) << c.text;
    EXPECT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.value, 0.0) << c.text;
  }
}

}  // namespace
}  // namespace korv
