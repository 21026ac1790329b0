// Key builders of the suite's files. Each is a pure function of the record
// bytes; an index number the file does not have yields the empty key. The
// sibling programs build the same keys over the same files, so every byte
// below is part of the shared format.
//
// Notation (o = offset in the record):
//   L[o]      EncodeLongKey of the int32 at o (5 bytes); L(x) of a value x
//   B[o]      BigEndianKey4 of the int32 at o (4 bytes)
//   pad[o,n]  the ShortText at o, cut or padded with blanks on the right to n
//   lpad[o,n] the ShortText at o, padded with blanks on the left to n (read
//             with the field's capacity, which is n, so never longer)
//   chr[o]    the byte at o
//   +         concatenation
//
// Descending numbers are 99999999 - value in 32-bit two's complement
// arithmetic (a hostile value wraps instead of overflowing).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/coding.h"
#include "refdata/callsign.h"
#include "storage/key.h"

namespace korv {

// KVSETUP, KVSETUP2, KVKZ, KVLKTEMP: index 1 = L[4].
void RecordNumberKey(ConstBytes record, int indexNumber, KeyString& key);

// KVKK, the contest directory (record layout in files/contest_header.h):
//   1  chr[191] + pad[24,25]   contest code + name
//   2  chr[191] + B[8]         contest code + first date
//   3  L[4]                    contest log number
//   4  chr[190]
//   5  pad[24,25]
void ContestDirectoryKey(ConstBytes record, int indexNumber, KeyString& key);

// The QSO file KVLKnnnn. Call14 = the base call of the call at 8 (the
// call-sign split with the given suffix table), cut or padded to 14.
//   1  B[28] + B[32]                     date + time
//   2  Call14 + B[28] + B[32]
//   3  pad[21,6] + B[28] + B[32]         received locator
//   4  L[4]                              record number
//   5  pad[77,6]                         prefix
//   6  Call14
//   7  "1" when byte 115 is 1, else " "
//   8  chr[132] + L[160]                 band + second band number
//   9  chr[132] + Call14 + pad[36,6]     band + call + mode
//   10 chr[132] + pad[77,6]
//   11 chr[132] + L(99999999 - int32 at 133)
//   12 chr[132] + L(99999999 - int32 at 160)
//   13 L[166]                            serial number
//   14 chr[132] + chr[170]
//   15 chr[132] + chr[171]
//   16 chr[170] + chr[171]
//   17 chr[132] + c2: byte 170, or byte 171 when byte 170 is 0 and byte 171
//      is neither 0 nor a blank
//   18 Dok8: ShortText[6] at 125 followed by ShortText[2] at 194, padded to 8
//   19 pad[153,6]                        first multiplier column
//   20 pad[140,6]                        third multiplier column / second call
//   21 chr[132] + Dok8
//   22 chr[132] + pad[70,6]              alternative prefix
//   23 chr[132] + pad[21,6]
//   24 ModeCodeFromText(ShortText[6] at 36) + L(99999999 - uint16 at 213)
//   25 chr[132] + pad[116,2]             band + area code
//   26 pad[116,2]
//   27 chr[132] + pad[140,6]
void QsoFileKey(ConstBytes record, int indexNumber, const SuffixTable& suffixes, KeyString& key);

// Call14 of a call sign: its base call, cut or padded to 14 characters.
// Lookups in indexes 2, 6 and 9 of the QSO file must use this.
std::string Call14(std::string_view call, const SuffixTable& suffixes);

// KVCBUCH, the call book (fields in files/call_book.h):
//   1  pad[4,10]                 call
//   2..5  pad of fields 1, 2, 3, 4 to 6, 6, 10, 20
//   6  lpad[field 5, 4]
//   7  pad[field 6, 8] + pad[4,10]   DOK + call
//   8..13 pad of fields 8..13 to 6
void CallBookKey(ConstBytes record, int indexNumber, KeyString& key);

// KVCALL: 1 pad[4,10]; 2 pad[15,5]; 3 pad[21,5]; 4 pad[27,10]; 5 chr[37];
// 6 lpad[59,5]; 7 pad[65,3].
void CallListKey(ConstBytes record, int indexNumber, KeyString& key);

// KVPRO: 1 L[4]; 2 pad[8,20].
void ProfileKey(ConstBytes record, int indexNumber, KeyString& key);

// KVQSLVIA: 1 pad[4,14] + B[19] + B[23].
void QslViaKey(ConstBytes record, int indexNumber, KeyString& key);
// KVCNOTE: 1 pad[4,10].
void CallNoteKey(ConstBytes record, int indexNumber, KeyString& key);
// KVLNOTE: 1 L[4] + pad[8,14] + B[23] + B[27]; 2 pad[8,14] + B[23] + B[27].
void LogNoteKey(ConstBytes record, int indexNumber, KeyString& key);

}  // namespace korv
