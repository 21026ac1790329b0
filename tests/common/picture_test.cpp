#include "common/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace korv {
namespace {

TEST(PictureTest, Integers) {
  struct Case {
    std::int64_t value;
    const char* picture;
    const char* expected;
  } cases[] = {
      {7, "@@@@", "0007"},  // file numbers: KVLK0007
      {9999, "@@@@", "9999"},
      {10000, "@@@@", "****"},  // does not fit: the whole picture
      {0, "@@@@", "0000"},
      {42, "######", "    42"},
      {0, "###", "  0"},
      {123, "###", "123"},
      {1234, "###", "***"},
      {7, "***", "**7"},
      {7, "#@@", " 07"},
      {42, "$###", "$ 42"},  // other characters are copied
      {14, "##.##", "14.00"},
      {14, "##,#", "14,0"},
      {1234567, "###.###.###", "***********"},  // the first "." is the decimal mark
      {5, "Nr ###", "Nr   5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatPicture(c.value, c.picture), c.expected) << c.value << " " << c.picture;
  }
}

TEST(PictureTest, NegativeNumbersNeedAPlaceForTheSign) {
  struct Case {
    std::int64_t value;
    const char* picture;
    const char* expected;
  } cases[] = {
      {-7, "####", "  -7"},  // next to the digits in blank fill
      {-7, "@@@@", "-007"},  // leftmost place in zero fill
      {-7, "***", "-*7"},     {-7, "##@@", " -07"}, {-12, "###", "-12"},
      {-123, "###", "***"},                          // no place left for the sign
      {-123, "@@@", "***"},   {-7, "-###", "-  7"},  // explicit sign places
      {7, "-###", "   7"},    {7, "+###", "+  7"},  {-7, "+###", "-  7"},
      {-123, "###-", "123-"}, {0, "-#", " 0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatPicture(c.value, c.picture), c.expected) << c.value << " " << c.picture;
  }
}

TEST(PictureTest, Decimals) {
  struct Case {
    double value;
    const char* picture;
    const char* expected;
  } cases[] = {
      {14.2, "#####,###", "   14,200"},  // frequency column
      {14.0255, "#####.####", "   14.0255"},
      {3.14159, "@@@.@@", "003.14"},
      {0.5, "##.##", " 0.50"},
      {0.0, "@@@.@@", "000.00"},
      {12345.678, "#####", "12346"},
      {2.675, "#.##", "2.68"},  // halves away from zero on the decimal text
      {1.005, "#.##", "1.01"},
      {0.125, "#.##", "0.13"},
      {2.5, "#", "3"},
      {-2.5, "##", "-3"},
      {9.995, "##.##", "10.00"},  // rounding carries into a new digit
      {9.995, "#.##", "****"},    // ... that no longer fits
      {99.96, "##.#", "****"},
      {-0.001, "#.##", "0.00"},  // rounds to zero: no sign
      {-0.5, "##.#", "-0.5"},
      {-0.5, "#.#", "***"},
      {5e-324, "#.##", "0.00"},
      {1e300, "#####", "*****"},
      {123456.0, "###,###.##", "**********"},  // later separators are literal
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatPicture(c.value, c.picture), c.expected) << c.value << " " << c.picture;
  }
  EXPECT_EQ(FormatPicture(14.2f, "##,#"), "14,2");
}

TEST(PictureTest, ValuesThatAreNotNumbersOverflow) {
  EXPECT_EQ(FormatPicture(std::numeric_limits<double>::quiet_NaN(), "##.#"), "****");
  EXPECT_EQ(FormatPicture(std::numeric_limits<double>::infinity(), "###"), "***");
  EXPECT_EQ(FormatPicture(-std::numeric_limits<double>::infinity(), "###"), "***");
}

TEST(PictureTest, ExtremeIntegers) {
  EXPECT_EQ(FormatPicture(std::numeric_limits<std::int64_t>::min(), std::string(20, '#')),
            "-9223372036854775808");
  EXPECT_EQ(FormatPicture(std::numeric_limits<std::uint64_t>::max(), std::string(20, '@')),
            "18446744073709551615");
  EXPECT_EQ(FormatPicture(std::uint8_t{7}, "@@"), "07");
  EXPECT_EQ(FormatPicture(std::int16_t{-5}, "###"), " -5");
}

// Equality at a picture is how frequencies are matched to bands: values that
// agree after rounding give the same text.
TEST(PictureTest, EqualAfterRoundingToThePicture) {
  EXPECT_EQ(FormatPicture(0.7, "@@@@@.@@@@@"), "00000.70000");
  EXPECT_EQ(FormatPicture(0.700000001, "@@@@@.@@@@@"), FormatPicture(0.7, "@@@@@.@@@@@"));
  EXPECT_NE(FormatPicture(0.70001, "@@@@@.@@@@@"), FormatPicture(0.7, "@@@@@.@@@@@"));
}

TEST(PictureTest, IntegerAndDoubleOverloadsAgree) {
  const char* pictures[] = {"####", "@@@@", "**.*", "-##", "##,##", "+@@@"};
  for (const char* picture : pictures) {
    for (int v = -1200; v <= 1200; ++v) {
      ASSERT_EQ(FormatPicture(v, picture), FormatPicture(static_cast<double>(v), picture))
          << v << " " << picture;
    }
  }
}

TEST(PictureTest, ResultAlwaysHasThePicturesLength) {
  const char* pictures[] = {"", "#", "@@@@", "#####,###", "-#.#", "a#b@c*", ",,,", "..##"};
  const double values[] = {0.0, -0.0, 1.0, -1.0, 0.049, 99999.5, -1e-9, 1e20, -1e20};
  for (const char* picture : pictures) {
    for (double v : values) {
      EXPECT_EQ(FormatPicture(v, picture).size(), std::string_view(picture).size())
          << v << " " << picture;
    }
  }
}

}  // namespace
}  // namespace korv
