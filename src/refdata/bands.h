// Amateur bands: codes, printed names, parsing of band texts and frequencies.
//
// A BandIndex is one character: 'a' 160 m, 'b' 80 m, 'c' 40 m, 'd' 30 m,
// 'e' 20 m, 'f' 17 m, 'g' 15 m, 'h' 12 m, 'i' 10 m, 'j' 6 m, 'k' 2 m,
// 'l' 70 cm, 'm' 23 cm, 'n' 13 cm, 'o' 9 cm, 'p' 6 cm, 'q' 3 cm,
// 'r' the 136 kHz band (2189 m), 's' 1.2 cm; '0' stands for all bands in
// selections and headings. Any other character is no band: BandFromText gives
// the zero byte and BandFromFrequency a blank for it, and callers treat both
// alike (IsBand).
//
// Frequencies are MHz. Texts are Windows-1252. Every function here is a pure
// table look-up that does not allocate.
#pragma once

#include <string_view>

namespace korv {

using BandIndex = char;

inline constexpr BandIndex kAllBands = '0';
inline constexpr BandIndex kNoBandText = '\0';      // what BandFromText gives
inline constexpr BandIndex kNoBandFrequency = ' ';  // what BandFromFrequency gives

// True for the codes 'a' to 's'; false for '0' (all bands) and for no band.
constexpr bool IsBand(BandIndex code) {
  return code >= 'a' && code <= 's';
}

// "160 m" ... "3 cm", "2189m", "1.2cm"; "all" for '0'; "???" for anything
// else. `compact` removes the blanks ("160m", "70cm"). The view refers to a
// static literal.
std::string_view BandName(BandIndex code, bool compact = false);

// Parses a band as typed or imported: blanks and tabs at both ends are
// dropped, the text is upper-cased and compared as a whole with the accepted
// spellings ("80", "80M", "80 M", "70 CM", "70 C", "1,2", "2189" ...), 160 m
// first down to 3 cm, then 136 kHz, then 1.2 cm; the first match wins, so a
// bare "6" is 6 m. kNoBandText when nothing matches.
BandIndex BandFromText(std::string_view text);

// The band BandFromText reads from the text, as a frequency inside it (1.815
// for 160 m, 50 for 6 m and a bare "6", 5650 for 6 cm, 0.137 for 136 kHz
// ...); 0 when the text names no band.
double BandFrequencyFromText(std::string_view text);

// The nominal wavelength in metres of the band holding `mhz` (2189, 160, 80,
// ..., 0.03, 0.012); 0 when it lies in no band. A band holds f when
// low < f <= high.
double WavelengthFromFrequency(double mhz);

// The band holding `mhz`: its wavelength matched against the nominal
// wavelengths with CompareAtPicture(5, 5, '=', ...); kNoBandFrequency when the
// frequency lies in no band.
BandIndex BandFromFrequency(double mhz);

// The lowest whole kHz that BandFromFrequency puts into the band `code`
// (1810 for 160 m, 3500 for 80 m, 136 for 136 kHz, 144000 for 2 m ...); 0 for
// '0' and for no band. Outputs that need a frequency write it for a QSO
// logged without one.
long BandLowestKhz(BandIndex code);

}  // namespace korv
