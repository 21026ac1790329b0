// The call book KVCBUCH: one 333-byte record per call sign, shared with the
// suite's logbook. Fields are reached by their type code.
//
//   OFFSET SIZE DESCRIPTION
//   0      4    delete mark of the storage engine
//   4      11   call sign, ShortText[10]
//   15     7    field 7, ShortText[6]
//   22     7    field 2, ShortText[6]
//   29     7    field 1, ShortText[6]
//   36     7    (no field)
//   43     21   field 4, name, ShortText[20]
//   64     21   field 15, QTH, ShortText[20]
//   85     11   field 16, ShortText[10]
//   96     11   field 3, ShortText[10]
//   107    5    field 5, ShortText[4]
//   112    121  field 17, ShortText[120]
//   233    66   fields 8..13, ShortText[10] each at 233 + 11 * (code - 8)
//   299    9    field 6, DOK, ShortText[8]
//   308    25   (no field)
// Type code 14 and every code not listed name no field.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/coding.h"

namespace korv {

inline constexpr int kCallBookRecLen = 333;
inline constexpr std::size_t kCallBookCall = 4;
inline constexpr std::size_t kCallBookCallCapacity = 10;

// Type codes with a meaning in this program.
inline constexpr int kCallBookName = 4;
inline constexpr int kCallBookDok = 6;
inline constexpr int kCallBookQth = 15;

struct CallBookFieldPlace {
  std::size_t offset = 0;
  std::size_t capacity = 0;
};

// Where the field of a type code lives; nullopt for an unknown code.
std::optional<CallBookFieldPlace> CallBookFieldOf(int typeCode);

// The field's text; the empty string for an unknown type code.
std::string CallBookField(ConstBytes record, int typeCode);
// Stores value cut to the field's capacity. An unknown type code writes
// nothing and returns false.
bool SetCallBookField(Bytes record, int typeCode, std::string_view value);

std::string CallBookCall(ConstBytes record);
void SetCallBookCall(Bytes record, std::string_view call);  // cut to 10

}  // namespace korv
