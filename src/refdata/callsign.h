// Call-sign split: the base call (the part of a composite call that
// identifies the station) and the designator ("/P", a prefix "EA8/", ...).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korv {

inline constexpr int kSuffixTableSize = 16;

// One entry of the suffix table: a suffix of up to three characters ("P",
// "MM", ...) with its code byte; an empty text is an unused entry.
struct CallSuffix {
  std::string text;
  std::uint8_t code = 0;
  friend bool operator==(const CallSuffix&, const CallSuffix&) = default;
};
using SuffixTable = std::array<CallSuffix, kSuffixTableSize>;

// "A", "AM", "M", "MM", "P", "LH", "LGT" and nine empty entries.
const SuffixTable& DefaultSuffixTable();

enum class CallPart { kBaseCall = 1, kDesignator = 2 };

// The base call or the designator of call (Windows-1252 text, any length,
// any characters; upper-cased first).
//
// The call is cut into parts at every character other than A-Z and 0-9 (a
// run of such characters is one cut; cuts at either end vanish). One part is
// the base call. Two parts A/B: a special designator (below) gives the whole
// "A/B" as base call; B in the suffix table gives A; otherwise a shorter part
// ending in three letters is a second call and dropped, a single digit becomes
// the other part's prefix (its first character and the letters after it up to
// its next digit) plus that digit ("K1ABC/6" gives "K6", "9M2ABC/6" "9M6"),
// and the longer part is the base call, the other the designator - swapped
// when the longer one is an entity prefix of the ADIF table. On equal length
// the second part is the base call (the "prefix/call" form). Three or more
// parts: A/B as a special designator is one part, every later part in the
// suffix table is dropped ("DL1ABC/M/P", "DL1ABC/P/QRP"), then the two-part
// rule runs on the first two parts. The designator is empty whenever no part
// stands beside the base call as a designator (suffixes, special
// designators, dropped second calls).
std::string BaseCall(std::string_view call, CallPart part,
                     const SuffixTable& suffixes = DefaultSuffixTable());

// The special designators of islands that share their home country's
// prefix: "SV" + "A", "JW" + "B"/"S", "3Y" + "B"/"P", "FR" + "B"/"E"/"G"/"J"/"T",
// "FO" + "A"/"C"/"F"/"M" (first two characters of the call), "3D2" + "C"/"R",
// "VQ9" + "A"/"D"/"F", "ZK1" + "N"/"S" (first three), "GM" + "SH"/"SC".
// Gives the call's first two or three characters + "/" + designator
// ("SV1ABC", "A" -> "SV/A"), or the empty text when they are no such pair.
std::string SpecialDesignatorCall(std::string_view call, std::string_view designator);

}  // namespace korv
