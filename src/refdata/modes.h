// Mode classes: one character that tells whether two mode texts mean the same
// kind of operation ("USB" and "SSB" are both 'b').
//
//   'a' CW      "CW" "A1A" "A1"
//   'b' SSB     "SSB" "USB" "J3E" "LSB"
//   'c' AM      "AM" "A3E" "A3"
//   'd' FM      "FM" "F3E" "F3"
//   'e' RTTY and other keyboard modes
//               "RTTY" "HELL" "MFSK" "FSK" "WSJT" "FSK441" "MT63" "RY"
//   'f' AMTOR   "AMTOR"
//   'g' PACTOR  "PACTOR" "TOR"
//   'h' FAX     "FAX"
//   'i' ATV     "ATV"
//   'j' SSTV    "SSTV"
//   'k' satellite "SAT"
//   'l' PSK     "PSK" "PSK31" "PSK-31"
//   'm' packet  "PACKET" "PKT" "PR"
//   ' ' unknown everything else ("DIGITAL", lower-case spellings)
//
// Records store the mode as text; the class is computed when needed.
#pragma once

#include <string_view>

namespace korv {

using ModeCode = char;

inline constexpr ModeCode kUnknownMode = ' ';

// A leading "2x" or "2X" is dropped, then blanks and tabs at both ends; the
// rest is matched as a whole and case-sensitively with the table above.
// Does not allocate.
ModeCode ModeCodeFromText(std::string_view text);

}  // namespace korv
