#include "refdata/bands.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace korv {
namespace {

// Every accepted spelling with what each parser must give; kNoBandText or 0
// where that parser does not accept it.
struct SpellingCase {
  std::string_view text;
  BandIndex band;  // BandFromText
  double mhz;      // BandFrequencyFromText
};

std::vector<SpellingCase> AllSpellings() {
  struct Row {
    BandIndex band;
    double mhz;
    std::vector<std::string_view> both;
  };
  const std::vector<Row> rows{
      {'a', 1.815, {"160 M", "160M", "160"}},
      {'b', 3.5, {"80 M", "80M", "80"}},
      {'c', 7.0, {"40 M", "40M", "40"}},
      {'d', 10.1, {"30 M", "30M", "30"}},
      {'e', 14.0, {"20 M", "20M", "20"}},
      {'f', 18.1, {"17 M", "17M", "17"}},
      {'g', 21.0, {"15 M", "15M", "15"}},
      {'h', 24.89, {"12 M", "12M", "12"}},
      {'i', 28.0, {"10 M", "10M", "10"}},
      {'j', 50.0, {"6 M", "6M", "6"}},
      {'k', 144.0, {"2 M", "2M", "2"}},
      {'l', 430.0, {"70 CM", "70CM", "70 C", "70C", "70"}},
      {'m', 1240.0, {"23 CM", "23CM", "23 C", "23C", "23"}},
      {'n', 2400.0, {"13 CM", "13CM", "13 C", "13C", "13"}},
      {'o', 3400.0, {"9 CM", "9CM", "9 C", "9C", "9"}},
      {'p', 5650.0, {"6 CM", "6CM", "6 C", "6C"}},
      {'q', 10000.0, {"3 CM", "3CM", "3 C", "3C", "3"}},
      {'r', 0.137, {"2189 M", "2189M", "2189"}},
      {'s', 24000.0, {"1.2 CM", "1,2 CM", "1,2 C", "1.2 C", "1.2CM", "1,2CM", "1,2C", "1.2C", "1.2", "1,2"}},
  };
  std::vector<SpellingCase> cases;
  for (const Row& row : rows) {
    for (std::string_view text : row.both) cases.push_back({text, row.band, row.mhz});
  }
  return cases;
}

TEST(BandParsing, EverySpellingGivesItsBandAndFrequency) {
  for (const SpellingCase& c : AllSpellings()) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(BandFromText(c.text), c.band);
    EXPECT_DOUBLE_EQ(BandFrequencyFromText(c.text), c.mhz);
  }
}

// The parsers' frequency lies in the band that BandFromText names, so the two
// routes agree for every spelling both accept.
TEST(BandParsing, FrequencyOfASpellingLiesInItsBand) {
  for (const SpellingCase& c : AllSpellings()) {
    if (c.band == kNoBandText) continue;
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(BandFromFrequency(BandFrequencyFromText(c.text)), BandFromText(c.text));
  }
}

// A bare "6" is 6 m for both parsers, so an ADIF BAND "6" without a FREQ
// lands where its band says.
TEST(BandParsing, BareSixIsSixMetresForBoth) {
  EXPECT_EQ(BandFromText("6"), 'j');
  EXPECT_DOUBLE_EQ(BandFrequencyFromText("6"), 50.0);
  EXPECT_EQ(BandFromFrequency(BandFrequencyFromText("6")), 'j');
}

TEST(BandParsing, TrimsBlanksAndTabsAndUpperCases) {
  const struct {
    std::string_view text;
    BandIndex band;
    double mhz;
  } cases[] = {
      {"  70cm ", 'l', 430.0}, {"70 c", 'l', 430.0},    {"\t80m\t", 'b', 3.5},
      {"2189 m", 'r', 0.137},  {"1,2cm", 's', 24000.0}, {" 160 ", 'a', 1.815},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(BandFromText(c.text), c.band);
    EXPECT_DOUBLE_EQ(BandFrequencyFromText(c.text), c.mhz);
  }
}

TEST(BandParsing, RejectsWhatNoSpellingMatchesWhole) {
  for (std::string_view text :
       {"", "   ", "M", "160 MM", "160  M", "1 60", "70 CMX", "2189 KHZ", "6 MM", "8O", "1.2  CM",
        "\n80", "80\r", "0", "144", "70cm1", "2190", "1234567"}) {
    SCOPED_TRACE(std::string(text));
    EXPECT_EQ(BandFromText(text), kNoBandText);
    EXPECT_EQ(BandFrequencyFromText(text), 0.0);
  }
}

TEST(BandParsing, HandlesTextsWithZeroBytesAndHighBytes) {
  using namespace std::string_view_literals;
  EXPECT_EQ(BandFromText("80\0"sv), kNoBandText);
  EXPECT_EQ(BandFromText("\xE4\xF6\xFC"sv), kNoBandText);
  EXPECT_EQ(BandFrequencyFromText("\xFF\xFF"sv), 0.0);
}

// Each band's range is low < f <= high. Checked at both ends of a selection of
// bands, plus the gaps between them.
TEST(FrequencyRanges, LowerBoundExclusiveUpperBoundInclusive) {
  const struct {
    double low;
    double high;
    double wavelength;
    BandIndex band;
  } ranges[] = {
      {0.1356999, 0.1378, 2189.0, 'r'}, {1.809, 2.0, 160.0, 'a'},
      {3.4999, 3.8, 80.0, 'b'},         {10.099, 10.2, 30.0, 'd'},
      {24.889, 25.0, 12.0, 'h'},        {143.9999, 146.0, 2.0, 'k'},
      {429.9999, 440.0, 0.7, 'l'},      {2319.9999, 2450.0, 0.13, 'n'},
      {9999.9999, 10500.0, 0.03, 'q'},  {23999.9999, 24250.0, 0.012, 's'},
  };
  for (const auto& r : ranges) {
    SCOPED_TRACE(r.band);
    EXPECT_EQ(WavelengthFromFrequency(r.low), 0.0);
    EXPECT_EQ(BandFromFrequency(r.low), kNoBandFrequency);
    const double justAbove = r.low + r.low * 1e-12;
    EXPECT_EQ(WavelengthFromFrequency(justAbove), r.wavelength);
    EXPECT_EQ(BandFromFrequency(justAbove), r.band);
    EXPECT_EQ(WavelengthFromFrequency(r.high), r.wavelength);
    EXPECT_EQ(BandFromFrequency(r.high), r.band);
    const double justBeyond = r.high + r.high * 1e-12;
    EXPECT_EQ(WavelengthFromFrequency(justBeyond), 0.0);
    EXPECT_EQ(BandFromFrequency(justBeyond), kNoBandFrequency);
  }
}

TEST(FrequencyRanges, TypicalFrequenciesAndGaps) {
  const struct {
    double mhz;
    BandIndex band;
  } cases[] = {
      {0.137, 'r'},  {1.85, 'a'},   {3.8001, ' '}, {3.65, 'b'},    {7.05, 'c'},    {7.15, ' '},
      {10.12, 'd'},  {14.2, 'e'},   {18.1, 'f'},   {21.3, 'g'},    {24.93, 'h'},   {28.5, 'i'},
      {50.15, 'j'},  {145.5, 'k'},  {146.01, ' '}, {146.5, ' '},   {432.2, 'l'},   {1296.2, 'm'},
      {2320.2, 'n'}, {3400.1, 'o'}, {5760.1, 'p'}, {10368.2, 'q'}, {24048.2, 's'}, {0.0, ' '},
      {-3.6, ' '},   {1e300, ' '},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mhz);
    EXPECT_EQ(BandFromFrequency(c.mhz), c.band);
    EXPECT_EQ(WavelengthFromFrequency(c.mhz) != 0.0, c.band != ' ');
  }
}

TEST(FrequencyRanges, NotANumberIsNoBand) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(WavelengthFromFrequency(nan), 0.0);
  EXPECT_EQ(BandFromFrequency(nan), kNoBandFrequency);
}

TEST(BandNames, PrintedNamesCompactAndUnknown) {
  const struct {
    BandIndex code;
    std::string_view name;
    std::string_view compact;
  } cases[] = {
      {'a', "160 m", "160m"},  {'b', "80 m", "80m"}, {'j', "6 m", "6m"},   {'k', "2 m", "2m"},
      {'l', "70 cm", "70cm"},  {'p', "6 cm", "6cm"}, {'q', "3 cm", "3cm"}, {'r', "2189m", "2189m"},
      {'s', "1.2cm", "1.2cm"}, {'0', "all", "all"},  {' ', "???", "???"},  {'\0', "???", "???"},
      {'t', "???", "???"},     {'A', "???", "???"},  {'`', "???", "???"},  {'\xE4', "???", "???"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.code));
    EXPECT_EQ(BandName(c.code), c.name);
    EXPECT_EQ(BandName(c.code, true), c.compact);
  }
}

// Names and parsing fit together: every band's printed name, in either form,
// reads back as that band.
TEST(BandNames, EveryNameParsesBackToItsBand) {
  for (char code = 'a'; code <= 's'; ++code) {
    SCOPED_TRACE(code);
    EXPECT_TRUE(IsBand(code));
    EXPECT_EQ(BandFromText(BandName(code)), code);
    EXPECT_EQ(BandFromText(BandName(code, true)), code);
  }
  EXPECT_FALSE(IsBand(kAllBands));
  EXPECT_FALSE(IsBand(kNoBandText));
  EXPECT_FALSE(IsBand(kNoBandFrequency));
}

}  // namespace
}  // namespace korv
