#include "refdata/bands.h"

#include <array>
#include <cmath>
#include <cstddef>

#include "refdata/picture_compare.h"
#include "common/cp1252.h"
#include "common/text.h"

namespace korv {
namespace {

// ---- Printed names, indexed by code - 'a'.
struct BandNames {
  std::string_view name;
  std::string_view compact;
};

constexpr std::array<BandNames, 19> kBandNames{{
    {"160 m", "160m"}, {"80 m", "80m"},   {"40 m", "40m"},    {"30 m", "30m"},    {"20 m", "20m"},
    {"17 m", "17m"},   {"15 m", "15m"},   {"12 m", "12m"},    {"10 m", "10m"},    {"6 m", "6m"},
    {"2 m", "2m"},     {"70 cm", "70cm"}, {"23 cm", "23cm"},  {"13 cm", "13cm"},  {"9 cm", "9cm"},
    {"6 cm", "6cm"},   {"3 cm", "3cm"},   {"2189m", "2189m"}, {"1.2cm", "1.2cm"},
}};

// ---- Spellings of BandFromText, tried top to bottom: 160 m down to 3 cm,
// then 136 kHz, then 1.2 cm. A bare "6" stands under 6 m and 6 cm; the
// earlier row (6 m) takes it.
struct BandSpelling {
  std::string_view text;
  BandIndex band;
};

constexpr std::array kBandSpellings{
    BandSpelling{"160 M", 'a'},  BandSpelling{"160M", 'a'},   BandSpelling{"160", 'a'},
    BandSpelling{"80 M", 'b'},   BandSpelling{"80M", 'b'},    BandSpelling{"80", 'b'},
    BandSpelling{"40 M", 'c'},   BandSpelling{"40M", 'c'},    BandSpelling{"40", 'c'},
    BandSpelling{"30 M", 'd'},   BandSpelling{"30M", 'd'},    BandSpelling{"30", 'd'},
    BandSpelling{"20 M", 'e'},   BandSpelling{"20M", 'e'},    BandSpelling{"20", 'e'},
    BandSpelling{"17 M", 'f'},   BandSpelling{"17M", 'f'},    BandSpelling{"17", 'f'},
    BandSpelling{"15 M", 'g'},   BandSpelling{"15M", 'g'},    BandSpelling{"15", 'g'},
    BandSpelling{"12 M", 'h'},   BandSpelling{"12M", 'h'},    BandSpelling{"12", 'h'},
    BandSpelling{"10 M", 'i'},   BandSpelling{"10M", 'i'},    BandSpelling{"10", 'i'},
    BandSpelling{"6 M", 'j'},    BandSpelling{"6M", 'j'},     BandSpelling{"6", 'j'},
    BandSpelling{"2 M", 'k'},    BandSpelling{"2M", 'k'},     BandSpelling{"2", 'k'},
    BandSpelling{"70 CM", 'l'},  BandSpelling{"70CM", 'l'},   BandSpelling{"70 C", 'l'},
    BandSpelling{"70C", 'l'},    BandSpelling{"70", 'l'},     BandSpelling{"23 CM", 'm'},
    BandSpelling{"23CM", 'm'},   BandSpelling{"23 C", 'm'},   BandSpelling{"23C", 'm'},
    BandSpelling{"23", 'm'},     BandSpelling{"13 CM", 'n'},  BandSpelling{"13CM", 'n'},
    BandSpelling{"13 C", 'n'},   BandSpelling{"13C", 'n'},    BandSpelling{"13", 'n'},
    BandSpelling{"9 CM", 'o'},   BandSpelling{"9CM", 'o'},    BandSpelling{"9 C", 'o'},
    BandSpelling{"9C", 'o'},     BandSpelling{"9", 'o'},      BandSpelling{"6 CM", 'p'},
    BandSpelling{"6CM", 'p'},    BandSpelling{"6 C", 'p'},    BandSpelling{"6C", 'p'},
    BandSpelling{"6", 'p'},      BandSpelling{"3 CM", 'q'},   BandSpelling{"3CM", 'q'},
    BandSpelling{"3 C", 'q'},    BandSpelling{"3C", 'q'},     BandSpelling{"3", 'q'},
    BandSpelling{"2189 M", 'r'}, BandSpelling{"2189M", 'r'},  BandSpelling{"2189", 'r'},
    BandSpelling{"1.2 CM", 's'}, BandSpelling{"1,2 CM", 's'}, BandSpelling{"1,2 C", 's'},
    BandSpelling{"1.2 C", 's'},  BandSpelling{"1.2CM", 's'},  BandSpelling{"1,2CM", 's'},
    BandSpelling{"1,2C", 's'},   BandSpelling{"1.2C", 's'},   BandSpelling{"1.2", 's'},
    BandSpelling{"1,2", 's'},
};

// ---- The frequency BandFrequencyFromText gives a band (MHz), in band-code
// order ('a' + index): the band's usual lower end.
constexpr std::array<double, 19> kBandTextMhz{
    1.815, 3.5, 7.0, 10.1, 14.0, 18.1, 21.0, 24.89, 28.0, 50.0,
    144.0, 430.0, 1240.0, 2400.0, 3400.0, 5650.0, 10000.0, 0.137, 24000.0,
};

// ---- Frequency ranges in MHz (low exclusive, high inclusive) with the
// nominal wavelength in metres, tested in this order.
struct FrequencyRange {
  double low;
  double high;
  double wavelength;
};

constexpr std::array<FrequencyRange, 19> kFrequencyRanges{{
    {0.1356999, 0.1378, 2189.0},  {1.809, 2.0, 160.0},       {3.4999, 3.8, 80.0},
    {6.9999, 7.1, 40.0},          {10.099, 10.2, 30.0},      {13.9999, 14.35, 20.0},
    {18.0679, 18.168, 17.0},      {20.9999, 21.45, 15.0},    {24.889, 25.0, 12.0},
    {27.9999, 29.7, 10.0},        {49.9999, 54.0, 6.0},      {143.9999, 146.0, 2.0},
    {429.9999, 440.0, 0.7},       {1239.9999, 1300.0, 0.23}, {2319.9999, 2450.0, 0.13},
    {3399.9999, 3475.0, 0.09},    {5649.9999, 5850.0, 0.06}, {9999.9999, 10500.0, 0.03},
    {23999.9999, 24250.0, 0.012},
}};

// Nominal wavelengths in band-code order ('a' + index).
constexpr std::array<double, 19> kNominalWavelengths{
    160.0, 80.0, 40.0, 30.0, 20.0, 17.0, 15.0, 12.0,   10.0,  6.0,
    2.0,   0.7,  0.23, 0.13, 0.09, 0.06, 0.03, 2189.0, 0.012,
};

constexpr int kWavelengthIntDigits = 5;
constexpr int kWavelengthDecimals = 5;

// The nominal wavelengths printed once with the matching picture, so that
// BandFromFrequency formats only the computed wavelength. Equivalent to
// calling CompareAtPicture(5, 5, '=', wavelength, nominal) per row, since all
// wavelengths fit the picture.
const std::array<PictureText, 19>& NominalWavelengthTexts() {
  static const std::array<PictureText, 19> texts = [] {
    std::array<PictureText, 19> result{};
    for (std::size_t i = 0; i < result.size(); ++i) {
      result[i] =
          FormatZeroFilled(kWavelengthIntDigits, kWavelengthDecimals, kNominalWavelengths[i]);
    }
    return result;
  }();
  return texts;
}

// Longest accepted spelling ("1.2 CM", "2189 M"); longer texts match nothing.
constexpr std::size_t kLongestSpelling = 6;

struct CleanText {
  std::array<char, kLongestSpelling> chars{};
  std::size_t size = 0;
  std::string_view View() const { return {chars.data(), size}; }
};

// Trimmed and upper-cased; false when it is too long to be any spelling.
bool CleanBandText(std::string_view text, CleanText& out) {
  text = TrimBlanksTabsView(text);
  if (text.size() > out.chars.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out.chars[i] = UpperCaseAsciiUmlautChar(text[i]);
  }
  out.size = text.size();
  return true;
}

}  // namespace

std::string_view BandName(BandIndex code, bool compact) {
  if (code == kAllBands) return "all";
  if (!IsBand(code)) return "???";
  const BandNames& names = kBandNames[static_cast<std::size_t>(code - 'a')];
  return compact ? names.compact : names.name;
}

BandIndex BandFromText(std::string_view text) {
  CleanText clean;
  if (!CleanBandText(text, clean)) return kNoBandText;
  for (const BandSpelling& spelling : kBandSpellings) {
    if (spelling.text == clean.View()) return spelling.band;
  }
  return kNoBandText;
}

double BandFrequencyFromText(std::string_view text) {
  // The same reading as BandFromText, so that both always name one band.
  const BandIndex band = BandFromText(text);
  if (!IsBand(band)) return 0.0;
  return kBandTextMhz[static_cast<std::size_t>(band - 'a')];
}

double WavelengthFromFrequency(double mhz) {
  for (const FrequencyRange& range : kFrequencyRanges) {
    if (range.low < mhz && mhz <= range.high) return range.wavelength;
  }
  return 0.0;
}

BandIndex BandFromFrequency(double mhz) {
  const PictureText wavelength =
      FormatZeroFilled(kWavelengthIntDigits, kWavelengthDecimals, WavelengthFromFrequency(mhz));
  const std::array<PictureText, 19>& nominal = NominalWavelengthTexts();
  for (std::size_t i = 0; i < nominal.size(); ++i) {
    if (nominal[i].View() == wavelength.View()) return static_cast<BandIndex>('a' + i);
  }
  return kNoBandFrequency;
}

long BandLowestKhz(BandIndex code) {
  if (!IsBand(code)) return 0;
  const double nominal = kNominalWavelengths[static_cast<std::size_t>(code - 'a')];
  for (const FrequencyRange& range : kFrequencyRanges) {
    if (range.wavelength != nominal) continue;
    // The range's low end is exclusive and lies just below a whole kHz
    // (3.4999 MHz) or on one (1.809 MHz); the margin absorbs the binary
    // representation of the table value.
    return static_cast<long>(std::floor(range.low * 1000.0 + 1e-6)) + 1;
  }
  return 0;
}

}  // namespace korv
