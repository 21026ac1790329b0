// Error codes, classes and levels of the storage engine.
//
// Failures are values. Every engine operation returns a Status (code 0 =
// success) and leaves the engine's ErrorList behind; callers test the level.
// Codes below 12288 come from the file and index layer; codes from 0x3000 on
// come from the record layer and carry their class in the high hex digit.
//
//   class  meaning                                  codes
//   0      no error                                 0
//   1      ordinary result (not found, end, ...)    9903, 10200-10299, 10410, 0x3000-0x3FFF
//   2      temporarily unavailable: retried         9900, 10065, 10110, 10306, 10330, 10332,
//                                                   10335, 10355, 10360, 10390, 10397, 10399,
//                                                   0x4000-0x4FFF
//   3      failed and undone                        10001-10009, 0x5000-0x5FFF
//   4      fatal                                    other codes below 0x3000, 0x6000-0x6FFF
//   5      wrong use by the program                 0x7000-0x7FFF
//   99     unknown                                  0x8000 and above
//
// The level of an error is its class; levels above 2 end the program.
#pragma once

#include <cstdint>

namespace korv {

using RecordRef = std::int32_t;

namespace err {
inline constexpr int kPathNotFound = 9900;
inline constexpr int kTooManyOpenFiles = 9901;
inline constexpr int kFileNotFound = 9903;
inline constexpr int kTooFewPageBuffers = 10000;
inline constexpr int kNotClosedProperly = 10010;  // InUse set or index file missing
inline constexpr int kShortRead = 10070;
inline constexpr int kShortWrite = 10075;  // disk full
inline constexpr int kDriveNotReady = 10110;
inline constexpr int kIndexHeaderKeyLen = 10120;       // key length not whole
inline constexpr int kIndexHeaderKeyLenRange = 10121;  // key length outside 1..50
inline constexpr int kIndexHeaderPageSize = 10122;     // page size above 62
inline constexpr int kKeyTooLong = 10125;
inline constexpr int kHeaderSlotWrite = 10130;
inline constexpr int kRecordRefRange = 10135;
inline constexpr int kOsError = 10140;  // access denied and every other OS error
inline constexpr int kFreeChainDamaged = 10170;
inline constexpr int kKeyNotFound = 10200;
inline constexpr int kNothingAtOrAfter = 10210;
inline constexpr int kDataFileDamaged = 10215;
inline constexpr int kDeleteKeyAbsent = 10220;
inline constexpr int kKeyExists = 10230;
inline constexpr int kEndOfIndex = 10250;
inline constexpr int kStartOfIndex = 10260;
inline constexpr int kSeekAbsent = 10270;
inline constexpr int kKeyAtPositionEmpty = 10280;
inline constexpr int kKeyPositionEmpty = 10285;
inline constexpr int kLocked = 10306;  // record or file locked by another program
inline constexpr int kRenameFailed = 10399;
inline constexpr int kKeyAtPositionScale = 10420;
inline constexpr int kKeyPositionScale = 10425;
inline constexpr int kNotRunning = 10455;
inline constexpr int kSavAndDatExist = 10465;
inline constexpr int kRecordDeleted = 0x3001;          // 12289
inline constexpr int kRestoreNotFound = 0x303F;        // 12351
inline constexpr int kRecLenDiffers = 0x600F;          // 24591
inline constexpr int kAutoNumberOverflow = 0x6010;     // 24592
inline constexpr int kNoHandleFree = 0x601E;           // 24606
inline constexpr int kDefinitionDiffers = 0x604D;      // 24653
inline constexpr int kNoPath = 0x7005;                 // 28677
inline constexpr int kRecLenTooSmall = 0x700A;         // 28682
inline constexpr int kTooManyIndexes = 0x700B;         // 28683
inline constexpr int kKeyLenAbove50 = 0x700D;          // 28685
inline constexpr int kBufferMarkedDeleted = 0x7011;    // 28689
inline constexpr int kNoCurrentRecord = 0x7013;        // 28691
inline constexpr int kUpdateMarkedDeleted = 0x7014;    // 28692
inline constexpr int kRefBelowOne = 0x7016;            // 28694
inline constexpr int kTooFewHandles = 0x701A;          // 28698
inline constexpr int kIndexNumberRange = 0x7025;       // 28709
inline constexpr int kIndexNotDefined = 0x7026;        // 28710
inline constexpr int kAutoFieldOutside = 0x7027;       // 28711
inline constexpr int kNoCurrentForMove = 0x702B;       // 28715
inline constexpr int kKeyLenZero = 0x702D;             // 28717
inline constexpr int kAutoIndexUndefined = 0x7031;     // 28721
inline constexpr int kEngineBlocksDefined = 0x7034;    // 28724
inline constexpr int kAutoKeyMismatch = 0x7036;        // 28726
inline constexpr int kNoKeyBuilder = 0x7037;           // 28727
inline constexpr int kNameExists = 0x7038;             // 28728
inline constexpr int kBookmarkForeign = 0x7040;        // 28736
inline constexpr int kInitTwice = 0x7048;              // 28744
inline constexpr int kRemoveChanged = 0x7050;          // 28752
inline constexpr int kNoName = 0x7059;                 // 28761
inline constexpr int kBulkLoadNotEmpty = 0x7070;       // 28784
inline constexpr int kReadOnlyWrite = 0x7071;          // 28785: a file this program only reads
}  // namespace err

// The class of a code (see the table above); it is also the error's level.
constexpr int ErrorClassOf(int code) {
  if (code == 0) return 0;
  if (code >= 0x8000) return 99;
  if (code >= 0x3000) {
    switch (code >> 12) {
      case 3: return 1;
      case 4: return 2;
      case 5: return 3;
      case 6: return 4;
      default: return 5;
    }
  }
  if (code == err::kFileNotFound || (code >= 10200 && code <= 10299) || code == 10410) return 1;
  switch (code) {
    case 9900: case 10065: case 10110: case 10306: case 10330: case 10332: case 10335:
    case 10355: case 10360: case 10390: case 10397: case 10399:
      return 2;
    default:
      break;
  }
  if (code >= 10001 && code <= 10009) return 3;
  return 4;
}

// The code as the user sees it: codes from 0x3000 on without their class digit.
constexpr int DisplayedErrorCode(int code) { return code >= 0x3000 ? (code & 0x0FFF) : code; }

// The result of one engine call or of one step inside it.
struct [[nodiscard]] Status {
  int code = 0;
  int osError = 0;  // errno of the failing system call, when one failed

  constexpr bool ok() const { return code == 0; }
  constexpr int level() const { return ErrorClassOf(code); }
  static constexpr Status Ok() { return {}; }
  static constexpr Status Error(int c, int os = 0) { return {c, os}; }
};

}  // namespace korv
