#include "refdata/picture_compare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>


namespace korv {
namespace {

TEST(FormatZeroFilled, ZeroFilledPictureTexts) {
  const struct {
    int intDigits;
    int decimals;
    double value;
    std::string_view text;
  } cases[] = {
      {5, 5, 160.0, "00160.00000"},
      {5, 5, 0.7, "00000.70000"},
      {5, 5, 0.012, "00000.01200"},
      {5, 5, 2189.0, "02189.00000"},
      {5, 5, 0.0, "00000.00000"},
      {5, 5, 0.0000049, "00000.00000"},      // rounds down
      {5, 5, 0.0000051, "00000.00001"},      // rounds up
      {5, 5, 99999.999996, "100000.00000"},  // the carry widens the text
      {5, 5, 123456.0, "123456.00000"},
      {5, 5, -1.5, "-0001.50000"},
      {5, 5, -0.000001, "00000.00000"},  // no sign on a rounded zero
      {3, 0, 7.0, "007"},
      {3, 0, 6.7, "007"},
      {0, 2, 0.5, "0.50"},  // at least one integer place
      {4, 2, 3.14159, "0003.14"},
      // Halves go away from zero on the shortest text of the value, even
      // where the binary value lies just below the half.
      {4, 2, 2.675, "0002.68"},
      {4, 2, -2.675, "-002.68"},
      {1, 2, 0.125, "0.13"},
      {5, 5, 1.000005, "00001.00001"},
      {5, 5, 1.0000049999, "00001.00000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(FormatZeroFilled(c.intDigits, c.decimals, c.value).View(), c.text);
  }
}

TEST(FormatZeroFilled, UnprintableValuesGiveEmptyText) {
  EXPECT_EQ(FormatZeroFilled(5, 5, std::numeric_limits<double>::quiet_NaN()).size, 0u);
  EXPECT_EQ(FormatZeroFilled(5, 5, std::numeric_limits<double>::infinity()).size, 0u);
  EXPECT_EQ(FormatZeroFilled(5, 5, -1e300).size, 0u);
  // The widest printable text still fits the buffer (clamped digit counts).
  EXPECT_EQ(FormatZeroFilled(99, 99, -1e20).View(), "-100000000000000000000.00000000000000000000");
}

TEST(CompareAtPicture, OperatorsOnRoundedTexts) {
  const struct {
    char op;
    double a;
    double b;
    bool expected;
  } cases[] = {
      {'=', 0.7, 0.7, true},        {'=', 0.7, 0.7000049, true},  // same text at five decimals
      {'=', 0.7, 0.6999951, true},  {'=', 0.7, 0.7000051, false},
      {'=', 0.1 + 0.2, 0.3, true},  // binary noise disappears in the text
      {'!', 0.1 + 0.2, 0.3, false}, {'!', 160.0, 80.0, true},
      {'<', 160.0, 80.0, true},                                      // b's text before a's
      {'<', 80.0, 160.0, false},    {'<', 80.0, 80.0000001, false},  // equal texts are not ordered
      {'>', 80.0, 160.0, true},     {'>', 160.0, 80.0, false},
      {'>', 9.5, 10.0, true},  // zero fill keeps text order numeric
      {'<', 10.0, 9.5, true},       {'=', 0.0, -0.000001, true},  // a rounded zero carries no sign
      {'=', -2.5, -2.5, true},      {'?', 1.0, 1.0, false},       // unknown operators are false
      {'\0', 1.0, 2.0, false},      {'#', 1.0, 2.0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(1, c.op) + " " + std::to_string(c.a) + " " + std::to_string(c.b));
    EXPECT_EQ(CompareAtPicture(5, 5, c.op, c.a, c.b), c.expected);
  }
}

TEST(CompareAtPicture, DecimalDigitsSetTheRounding) {
  EXPECT_TRUE(CompareAtPicture(3, 2, '=', 2.675, 2.68));
  EXPECT_FALSE(CompareAtPicture(3, 2, '=', 2.675, 2.67));
  EXPECT_TRUE(CompareAtPicture(3, 0, '=', 6.6, 7.4));
  EXPECT_FALSE(CompareAtPicture(3, 1, '=', 6.6, 7.4));
  EXPECT_TRUE(CompareAtPicture(3, 1, '=', 6.64, 6.56));
  EXPECT_TRUE(CompareAtPicture(3, 2, '>', 6.64, 6.65));
}

// Numbers wider than the picture are compared at a common wider width, so
// distinct large numbers do not become equal and keep their order.
TEST(CompareAtPicture, NumbersWiderThanThePicture) {
  EXPECT_FALSE(CompareAtPicture(5, 5, '=', 123456.0, 999999.0));
  EXPECT_TRUE(CompareAtPicture(5, 5, '!', 123456.0, 999999.0));
  EXPECT_TRUE(CompareAtPicture(5, 5, '>', 99999.0, 100000.0));
  EXPECT_TRUE(CompareAtPicture(5, 5, '<', 1234567.0, 5.0));
  EXPECT_TRUE(CompareAtPicture(2, 5, '=', 1234.000001, 1234.0));
  EXPECT_TRUE(CompareAtPicture(5, 5, '=', 99999.999996, 100000.0));  // carry into a new place
}

TEST(CompareAtPicture, UnprintableNumbersCompareFalse) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (char op : {'=', '!', '<', '>'}) {
    SCOPED_TRACE(op);
    EXPECT_FALSE(CompareAtPicture(5, 5, op, nan, nan));
    EXPECT_FALSE(CompareAtPicture(5, 5, op, 1.0, nan));
    EXPECT_FALSE(CompareAtPicture(5, 5, op, 1e300, 1.0));
  }
}

}  // namespace
}  // namespace korv
