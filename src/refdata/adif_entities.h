// ADIF DXCC entity numbers: the fixed table of codes 1..522 with each
// entity's prefix, and the special prefixes whose number the table cannot
// give.
//
// The table follows the ADIF DXCC enumeration (config.xml of the trustedqsl
// package) with every code, deleted entities included; the prefixes of
// current entities come from the country file of the hamradio-files package
// (scripts/gen-adif-entities writes adif_entities_table.inc). Prefixes are
// upper case and fit the DXCC prefix of a prefix record. Codes 2, 23 and 93
// (deleted, no prefix known) and the unassigned codes are blank.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "refdata/prefix_files.h"

namespace korv {

// The highest code of the enumeration; not every code below it is assigned.
inline constexpr int kAdifEntityCount = 522;

struct AdifSpecialPrefix {
  std::string_view prefix;
  int number;
};

// "3D2C" 489, "3D2R" 460, "3Y0" 199, "3Y5" 24, "CE0A" 47, "KC6" 22, "PY0P" 253,
// "R1F" 61, "R1M" 151, "RA1346" 54, "RA890" 15, "FO0" 36, "XX" 152, "VR6" 172,
// "FO" 175, "IS" 225, "ZB" 233, "ZC" 283.
std::span<const AdifSpecialPrefix> AdifSpecialPrefixes();

// The prefix of entity `number`, current or deleted; empty outside
// 1..kAdifEntityCount and for blank codes.
std::string AdifDxccPrefix(int number);

// The entity number (as text) of a DXCC prefix; empty when unknown. The
// prefix is trimmed. The special list is checked first, then the current
// entities of the table, by prefix or by the country file's spelling of it
// ("FT/Z" as "FT5Z"); deleted entities are not looked up, their prefixes
// ("I1" Trieste, "7J1" Okino Tori-shima) belong to calls of today's entities.
// For a special prefix and for one the table lacks, the prefix tables are
// asked when `files` is given: the first record whose DXCC prefix (index 2)
// equals the prefix and which carries a number, in KVPREFEE, KVPREFES, then
// KVPREFIX, gives the number; else the special list's value, else nothing.
// The files' record buffers keep their contents (their current record may
// change).
std::string AdifDxccNumber(std::string_view prefix, const PrefixFiles* files = nullptr);

// True when text is the prefix of a current entity of the table, or the
// country file's spelling of it.
bool IsAdifEntityPrefix(std::string_view text);

}  // namespace korv
