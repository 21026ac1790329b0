#include "files/file_keys.h"

#include "files/call_book.h"
#include "refdata/modes.h"

namespace korv {
namespace {

// Text fields are read with the capacity of the field they belong to, so a
// damaged length byte never pulls the bytes of the next field into a key.
void Pad(KeyString& key, ConstBytes rec, std::size_t offset, std::size_t capacity,
         std::size_t width) {
  key.AppendPadded(GetShortText(rec, offset, capacity), width);
}
void PadLeft(KeyString& key, ConstBytes rec, std::size_t offset, std::size_t capacity,
             std::size_t width) {
  key.AppendPaddedLeft(GetShortText(rec, offset, capacity), width);
}
void Chr(KeyString& key, ConstBytes rec, std::size_t offset) {
  key.AppendByte(GetU8(rec, offset));
}
void Long(KeyString& key, ConstBytes rec, std::size_t offset) {
  key.AppendLong(GetI32(rec, offset));
}
void Big(KeyString& key, ConstBytes rec, std::size_t offset) {
  key.AppendBigEndian4(GetI32(rec, offset));
}
std::int32_t Descending(std::uint32_t value) {
  return static_cast<std::int32_t>(99999999u - value);
}

// QSO record fields used by the keys (the record itself: logging/).
namespace qso {
inline constexpr std::size_t kRecordNo = 4;
inline constexpr std::size_t kCall = 8, kCallCapacity = 12;
inline constexpr std::size_t kRxLocator = 21;
inline constexpr std::size_t kDate = 28;
inline constexpr std::size_t kTime = 32;
inline constexpr std::size_t kMode = 36;
inline constexpr std::size_t kAltPrefix = 70;
inline constexpr std::size_t kPrefix = 77;
inline constexpr std::size_t kMarked = 115;
inline constexpr std::size_t kAreaCode = 116;
inline constexpr std::size_t kDokPiece1 = 125;
inline constexpr std::size_t kBand = 132;
inline constexpr std::size_t kBandNo = 133;
inline constexpr std::size_t kMulti3 = 140, kMulti3Capacity = 12;
inline constexpr std::size_t kMulti1 = 153;
inline constexpr std::size_t kBandNo2 = 160;
inline constexpr std::size_t kSerialNo = 166;
inline constexpr std::size_t kByte170 = 170;
inline constexpr std::size_t kByte171 = 171;
inline constexpr std::size_t kDokPiece2 = 194;
inline constexpr std::size_t kModeNo = 213;
}  // namespace qso

void Dok8(KeyString& key, ConstBytes rec) {
  key.AppendPadded(GetShortText(rec, qso::kDokPiece1, 6) + GetShortText(rec, qso::kDokPiece2, 2),
                   8);
}

void Call14Key(KeyString& key, ConstBytes rec, const SuffixTable& suffixes) {
  key.Append(Call14(GetShortText(rec, qso::kCall, qso::kCallCapacity), suffixes));
}

void CallBookPad(KeyString& key, ConstBytes rec, int typeCode, std::size_t width) {
  key.AppendPadded(CallBookField(rec, typeCode), width);
}

}  // namespace

void RecordNumberKey(ConstBytes record, int indexNumber, KeyString& key) {
  if (indexNumber == 1) Long(key, record, 4);
}

void ContestDirectoryKey(ConstBytes record, int indexNumber, KeyString& key) {
  switch (indexNumber) {
    case 1:
      Chr(key, record, 191);
      Pad(key, record, 24, 25, 25);
      break;
    case 2:
      Chr(key, record, 191);
      Big(key, record, 8);
      break;
    case 3:
      Long(key, record, 4);
      break;
    case 4:
      Chr(key, record, 190);
      break;
    case 5:
      Pad(key, record, 24, 25, 25);
      break;
    default:
      break;
  }
}

std::string Call14(std::string_view call, const SuffixTable& suffixes) {
  std::string base = BaseCall(call, CallPart::kBaseCall, suffixes);
  base.resize(14, ' ');
  return base;
}

void QsoFileKey(ConstBytes rec, int indexNumber, const SuffixTable& suffixes, KeyString& key) {
  using namespace qso;
  switch (indexNumber) {
    case 1:
      Big(key, rec, kDate);
      Big(key, rec, kTime);
      break;
    case 2:
      Call14Key(key, rec, suffixes);
      Big(key, rec, kDate);
      Big(key, rec, kTime);
      break;
    case 3:
      Pad(key, rec, kRxLocator, 6, 6);
      Big(key, rec, kDate);
      Big(key, rec, kTime);
      break;
    case 4:
      Long(key, rec, kRecordNo);
      break;
    case 5:
      Pad(key, rec, kPrefix, 6, 6);
      break;
    case 6:
      Call14Key(key, rec, suffixes);
      break;
    case 7:
      key.AppendByte(GetU8(rec, kMarked) == 1 ? '1' : ' ');
      break;
    case 8:
      Chr(key, rec, kBand);
      Long(key, rec, kBandNo2);
      break;
    case 9:
      Chr(key, rec, kBand);
      Call14Key(key, rec, suffixes);
      Pad(key, rec, kMode, 6, 6);
      break;
    case 10:
      Chr(key, rec, kBand);
      Pad(key, rec, kPrefix, 6, 6);
      break;
    case 11:
      Chr(key, rec, kBand);
      key.AppendLong(Descending(GetU32(rec, kBandNo)));
      break;
    case 12:
      Chr(key, rec, kBand);
      key.AppendLong(Descending(GetU32(rec, kBandNo2)));
      break;
    case 13:
      Long(key, rec, kSerialNo);
      break;
    case 14:
      Chr(key, rec, kBand);
      Chr(key, rec, kByte170);
      break;
    case 15:
      Chr(key, rec, kBand);
      Chr(key, rec, kByte171);
      break;
    case 16:
      Chr(key, rec, kByte170);
      Chr(key, rec, kByte171);
      break;
    case 17: {
      Chr(key, rec, kBand);
      const std::uint8_t b170 = GetU8(rec, kByte170);
      const std::uint8_t b171 = GetU8(rec, kByte171);
      key.AppendByte(b170 == 0 && b171 != 0 && b171 != ' ' ? b171 : b170);
      break;
    }
    case 18:
      Dok8(key, rec);
      break;
    case 19:
      Pad(key, rec, kMulti1, 6, 6);
      break;
    case 20:
      Pad(key, rec, kMulti3, kMulti3Capacity, 6);
      break;
    case 21:
      Chr(key, rec, kBand);
      Dok8(key, rec);
      break;
    case 22:
      Chr(key, rec, kBand);
      Pad(key, rec, kAltPrefix, 6, 6);
      break;
    case 23:
      Chr(key, rec, kBand);
      Pad(key, rec, kRxLocator, 6, 6);
      break;
    case 24:
      key.AppendByte(static_cast<std::uint8_t>(ModeCodeFromText(GetShortText(rec, kMode, 6))));
      key.AppendLong(Descending(GetU16(rec, kModeNo)));
      break;
    case 25:
      Chr(key, rec, kBand);
      Pad(key, rec, kAreaCode, 2, 2);
      break;
    case 26:
      Pad(key, rec, kAreaCode, 2, 2);
      break;
    case 27:
      Chr(key, rec, kBand);
      Pad(key, rec, kMulti3, kMulti3Capacity, 6);
      break;
    default:
      break;
  }
}

void CallBookKey(ConstBytes record, int indexNumber, KeyString& key) {
  switch (indexNumber) {
    case 1:
      Pad(key, record, kCallBookCall, kCallBookCallCapacity, 10);
      break;
    case 2:
      CallBookPad(key, record, 1, 6);
      break;
    case 3:
      CallBookPad(key, record, 2, 6);
      break;
    case 4:
      CallBookPad(key, record, 3, 10);
      break;
    case 5:
      CallBookPad(key, record, 4, 20);
      break;
    case 6:
      key.AppendPaddedLeft(CallBookField(record, 5), 4);
      break;
    case 7:
      CallBookPad(key, record, 6, 8);
      Pad(key, record, kCallBookCall, kCallBookCallCapacity, 10);
      break;
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
      CallBookPad(key, record, indexNumber, 6);  // index n holds field n
      break;
    default:
      break;
  }
}

// The layout of KVCALL belongs to the logbook; each text is read with its
// key width as capacity, the field at 59 with the 5 bytes it has before 65.
void CallListKey(ConstBytes record, int indexNumber, KeyString& key) {
  switch (indexNumber) {
    case 1:
      Pad(key, record, 4, 10, 10);
      break;
    case 2:
      Pad(key, record, 15, 5, 5);
      break;
    case 3:
      Pad(key, record, 21, 5, 5);
      break;
    case 4:
      Pad(key, record, 27, 10, 10);
      break;
    case 5:
      Chr(key, record, 37);
      break;
    case 6:
      PadLeft(key, record, 59, 5, 5);
      break;
    case 7:
      Pad(key, record, 65, 3, 3);
      break;
    default:
      break;
  }
}

void ProfileKey(ConstBytes record, int indexNumber, KeyString& key) {
  if (indexNumber == 1) Long(key, record, 4);
  if (indexNumber == 2) Pad(key, record, 8, 20, 20);
}

void QslViaKey(ConstBytes record, int indexNumber, KeyString& key) {
  if (indexNumber != 1) return;
  Pad(key, record, 4, 14, 14);
  Big(key, record, 19);
  Big(key, record, 23);
}

void CallNoteKey(ConstBytes record, int indexNumber, KeyString& key) {
  if (indexNumber == 1) Pad(key, record, 4, 10, 10);
}

void LogNoteKey(ConstBytes record, int indexNumber, KeyString& key) {
  if (indexNumber != 1 && indexNumber != 2) return;
  if (indexNumber == 1) Long(key, record, 4);
  Pad(key, record, 8, 14, 14);
  Big(key, record, 23);
  Big(key, record, 27);
}

}  // namespace korv
