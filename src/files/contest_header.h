// ContestHeader: the 379-byte record of the contest directory KVKK, one per
// contest log. Integers are little-endian, texts are ShortText[n] (one length
// byte, then n bytes of Windows-1252 text; see common/coding.h).
//
//   OFFSET  SIZE  DESCRIPTION
//   0       4     delete mark of the storage engine; 0 in a live record
//   4       4     contestNumber, int32 (automatic number of index 3)
//   8       4     startDate, DayNumber; 0 = not set
//   12      4     endDate, DayNumber; 0 = not set
//   16      4     startTime, seconds since midnight UTC; 0 = not set
//   20      4     endTime, as startTime
//   24      26    name, ShortText[25]
//   50      7     locator, ShortText[6]
//   57      9     dok, ShortText[8]
//   66      5     (no field)
//   71      1     creation byte, 255 in a new log; not read here
//   72      1     creation byte, 1 in a new log; not read here
//   73      85    stationEquipment, ShortText[84] (written to EDI "STXEq=")
//   158     4     extraCategory, int32
//   162     4     (no field)
//   166     13    ownCall, ShortText[12]
//   179     11    (no field)
//   190     1     key byte of index 4; never set by this program
//   191     1     contestCode
//   192     1     dateAutomatic, 255 = on, 0 = off
//   193     1     timeAutomatic, 255 = on, 0 = off
//   194     1     save mark 'D', written at creation and at every save
//   195     1     creation byte, 255 in a new log
//   196     10    qsoCount[1..5], int16 each
//   206     10    multiplierCount[1..5], int16 each
//   216     10    (no field)
//   226     20    points[1..5], int32 each
//   246     1     rstSentFree, 0 = fixed 59/599, 255 = typed
//   247     1     rstReceivedFree, as rstSentFree
//   248     1     settingsLocked
//   249     1     qslSentDefault, one character
//   250     1     qslReceivedDefault, one character
//   251     1     participationType, 1-based; 0 = none chosen
//   252     1     startModeSsb, 255 = log starts in SSB
//   253     2     noteTop, int16
//   255     2     noteLeft, int16
//   257     2     noteWidth, int16; 0 = no stored note window position
//   259     2     noteHeight, int16
//   261     10    secondMultiplierCount[1..5], int16 each
//   271     10    (no field)
//   281     10    thirdMultiplierCount[1..5], int16 each
//   291     1     startModeFm, 255 = log starts in FM
//   292     1     startModePr, 255 = log starts in PR (all three 0 = CW)
//   293     1     bandAutomatic, 255 = band follows the clock
//   294     6     postcode, ShortText[5]
//   300     1     ownDistrictAnswer, 255 = "ja"
//   301     40    listColumnWidths[1..20], int16 each
//   341     2     qsoCount6, int16            (band slot 6)
//   343     2     multiplierCount6, int16
//   345     4     points6, int32
//   349     2     secondMultiplierCount6, int16
//   351     2     (no field)
//   353     2     thirdMultiplierCount6, int16
//   355     2     qsoCount7, int16            (band slot 7)
//   357     2     multiplierCount7, int16
//   359     4     points7, int32
//   363     2     secondMultiplierCount7, int16
//   365     2     (no field)
//   367     2     thirdMultiplierCount7, int16
//   369     1     totalsInTotalsRecord; non-zero: per-band results live in
//                 the totals record and the counters here are unused
//   370     4     ldk, ShortText[3]
//   374     1     manualDateFlags: bit 0 start date, bit 1 end date,
//                 bit 2 start time, bit 3 end time typed by the operator
//   375     4     (no field)
//
// Ranges without a field are zero in records created here and are never
// touched by the accessors: headers written by other programs of the suite
// keep whatever they carry there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/coding.h"
#include "common/dates.h"

namespace korv {

// One 8-bit character selecting a contest variant ('3' in this build).
using ContestCode = char;

inline constexpr std::size_t kContestHeaderSize = 379;

// Value of the option bytes that are "on" (dateAutomatic, startModeSsb, ...).
inline constexpr std::uint8_t kHeaderByteOn = 255;

namespace header_layout {

inline constexpr std::size_t kDeleteMark = 0;
inline constexpr std::size_t kContestNumber = 4;
inline constexpr std::size_t kStartDate = 8;
inline constexpr std::size_t kEndDate = 12;
inline constexpr std::size_t kStartTime = 16;
inline constexpr std::size_t kEndTime = 20;
inline constexpr std::size_t kName = 24;
inline constexpr std::size_t kNameCapacity = 25;
inline constexpr std::size_t kLocator = 50;
inline constexpr std::size_t kLocatorCapacity = 6;
inline constexpr std::size_t kDok = 57;
inline constexpr std::size_t kDokCapacity = 8;
inline constexpr std::size_t kCreationByte71 = 71;
inline constexpr std::size_t kCreationByte72 = 72;
inline constexpr std::size_t kStationEquipment = 73;
inline constexpr std::size_t kStationEquipmentCapacity = 84;
inline constexpr std::size_t kExtraCategory = 158;
inline constexpr std::size_t kOwnCall = 166;
inline constexpr std::size_t kOwnCallCapacity = 12;
inline constexpr std::size_t kIndexFourKey = 190;
inline constexpr std::size_t kContestCode = 191;
inline constexpr std::size_t kDateAutomatic = 192;
inline constexpr std::size_t kTimeAutomatic = 193;
inline constexpr std::size_t kSaveMark = 194;
inline constexpr std::size_t kCreationByte195 = 195;
inline constexpr std::size_t kQsoCount = 196;         // [1..5]
inline constexpr std::size_t kMultiplierCount = 206;  // [1..5]
inline constexpr std::size_t kPoints = 226;           // [1..5]
inline constexpr std::size_t kRstSentFree = 246;
inline constexpr std::size_t kRstReceivedFree = 247;
inline constexpr std::size_t kSettingsLocked = 248;
inline constexpr std::size_t kQslSentDefault = 249;
inline constexpr std::size_t kQslReceivedDefault = 250;
inline constexpr std::size_t kParticipationType = 251;
inline constexpr std::size_t kStartModeSsb = 252;
inline constexpr std::size_t kNoteTop = 253;
inline constexpr std::size_t kNoteLeft = 255;
inline constexpr std::size_t kNoteWidth = 257;
inline constexpr std::size_t kNoteHeight = 259;
inline constexpr std::size_t kSecondMultiplierCount = 261;  // [1..5]
inline constexpr std::size_t kThirdMultiplierCount = 281;   // [1..5]
inline constexpr std::size_t kStartModeFm = 291;
inline constexpr std::size_t kStartModePr = 292;
inline constexpr std::size_t kBandAutomatic = 293;
inline constexpr std::size_t kPostcode = 294;
inline constexpr std::size_t kPostcodeCapacity = 5;
inline constexpr std::size_t kOwnDistrictAnswer = 300;
inline constexpr std::size_t kListColumnWidths = 301;  // [1..20]
inline constexpr std::size_t kQsoCount6 = 341;
inline constexpr std::size_t kMultiplierCount6 = 343;
inline constexpr std::size_t kPoints6 = 345;
inline constexpr std::size_t kSecondMultiplierCount6 = 349;
inline constexpr std::size_t kThirdMultiplierCount6 = 353;
inline constexpr std::size_t kQsoCount7 = 355;
inline constexpr std::size_t kMultiplierCount7 = 357;
inline constexpr std::size_t kPoints7 = 359;
inline constexpr std::size_t kSecondMultiplierCount7 = 363;
inline constexpr std::size_t kThirdMultiplierCount7 = 367;
inline constexpr std::size_t kTotalsInTotalsRecord = 369;
inline constexpr std::size_t kLdk = 370;
inline constexpr std::size_t kLdkCapacity = 3;
inline constexpr std::size_t kManualDateFlags = 374;

// Slots 1..5 of the per-band arrays are stored side by side; 6 and 7 apart.
inline constexpr int kBandSlotsInArray = 5;
inline constexpr int kBandSlots = 7;
inline constexpr int kListColumns = 20;

// Adjacent fields must meet exactly; a typo in an offset breaks the build.
static_assert(kName + 1 + kNameCapacity == kLocator);
static_assert(kLocator + 1 + kLocatorCapacity == kDok);
static_assert(kStationEquipment + 1 + kStationEquipmentCapacity == kExtraCategory);
static_assert(kQsoCount + 2 * kBandSlotsInArray == kMultiplierCount);
static_assert(kPoints + 4 * kBandSlotsInArray == kRstSentFree);
static_assert(kNoteHeight + 2 == kSecondMultiplierCount);
static_assert(kThirdMultiplierCount + 2 * kBandSlotsInArray == kStartModeFm);
static_assert(kPostcode + 1 + kPostcodeCapacity == kOwnDistrictAnswer);
static_assert(kListColumnWidths + 2 * kListColumns == kQsoCount6);
static_assert(kPoints6 + 4 == kSecondMultiplierCount6);
static_assert(kThirdMultiplierCount6 + 2 == kQsoCount7);
static_assert(kPoints7 + 4 == kSecondMultiplierCount7);
static_assert(kThirdMultiplierCount7 + 2 == kTotalsInTotalsRecord);
static_assert(kLdk + 1 + kLdkCapacity == kManualDateFlags);
static_assert(kManualDateFlags + 1 + 4 == kContestHeaderSize);

}  // namespace header_layout

// Bits of manualDateFlags.
enum class ManualDateField : std::uint8_t {
  kStartDate = 0,
  kEndDate = 1,
  kStartTime = 2,
  kEndTime = 3,
};

// A typed view over one header record buffer. The view does not own the
// bytes: the buffer must remain live while the view is used. Copies of a view
// address the same bytes. Getters read the buffer at every call, so the view
// always reflects what the storage layer last read into the buffer.
//
// Texts are written cut to their capacity; the bytes after a text keep their
// old contents. Bytes that belong to no field are never written, except by
// Clear().
class ContestHeader {
 public:
  using Record = std::span<std::uint8_t, kContestHeaderSize>;

  explicit ContestHeader(Record record) : rec_(record) {}

  // A view over a buffer of unknown length; nullopt unless it holds exactly
  // kContestHeaderSize bytes.
  static std::optional<ContestHeader> Over(Bytes record);

  Record bytes() const { return rec_; }

  // Sets all 379 bytes to zero.
  void Clear();
  // Writes the bytes a new log carries: 255 at 71 and 195, 1 at 72, 'D' at
  // 194. Touches nothing else; callers clear the buffer first.
  void MarkCreated();
  // Writes the save mark 'D' at 194 (done at every save of the configuration).
  void MarkSaved();
  std::uint8_t saveMark() const;

  std::int32_t deleteMark() const;
  void SetDeleteMark(std::int32_t v);
  std::int32_t contestNumber() const;
  void SetContestNumber(std::int32_t v);
  DayNumber startDate() const;
  void SetStartDate(DayNumber v);
  DayNumber endDate() const;
  void SetEndDate(DayNumber v);
  TimeOfDay startTime() const;
  void SetStartTime(TimeOfDay v);
  TimeOfDay endTime() const;
  void SetEndTime(TimeOfDay v);

  std::string name() const;
  void SetName(std::string_view v);
  std::string locator() const;
  void SetLocator(std::string_view v);
  std::string dok() const;
  void SetDok(std::string_view v);
  std::string stationEquipment() const;
  void SetStationEquipment(std::string_view v);
  std::int32_t extraCategory() const;
  void SetExtraCategory(std::int32_t v);
  std::string ownCall() const;
  void SetOwnCall(std::string_view v);

  std::uint8_t indexFourKey() const;
  void SetIndexFourKey(std::uint8_t v);
  ContestCode contestCode() const;
  void SetContestCode(ContestCode v);
  std::uint8_t dateAutomatic() const;
  void SetDateAutomatic(std::uint8_t v);
  std::uint8_t timeAutomatic() const;
  void SetTimeAutomatic(std::uint8_t v);

  // Per-band counters. slot is 1..7: slots 1..5 live in the arrays at 196,
  // 206, 226, 261 and 281, slots 6 and 7 in the separate fields at 341..368.
  // A slot outside 1..7 reads as 0, and the setters return false and write
  // nothing for it.
  std::int16_t qsoCount(int slot) const;
  bool SetQsoCount(int slot, std::int16_t v);
  std::int16_t multiplierCount(int slot) const;
  bool SetMultiplierCount(int slot, std::int16_t v);
  std::int32_t points(int slot) const;
  bool SetPoints(int slot, std::int32_t v);
  std::int16_t secondMultiplierCount(int slot) const;
  bool SetSecondMultiplierCount(int slot, std::int16_t v);
  std::int16_t thirdMultiplierCount(int slot) const;
  bool SetThirdMultiplierCount(int slot, std::int16_t v);

  std::uint8_t rstSentFree() const;
  void SetRstSentFree(std::uint8_t v);
  std::uint8_t rstReceivedFree() const;
  void SetRstReceivedFree(std::uint8_t v);
  std::uint8_t settingsLocked() const;
  void SetSettingsLocked(std::uint8_t v);
  char qslSentDefault() const;
  void SetQslSentDefault(char v);
  char qslReceivedDefault() const;
  void SetQslReceivedDefault(char v);
  std::uint8_t participationType() const;
  void SetParticipationType(std::uint8_t v);
  std::uint8_t startModeSsb() const;
  void SetStartModeSsb(std::uint8_t v);

  // Note window geometry in pixels; noteWidth 0 = no stored position.
  std::int16_t noteTop() const;
  void SetNoteTop(std::int16_t v);
  std::int16_t noteLeft() const;
  void SetNoteLeft(std::int16_t v);
  std::int16_t noteWidth() const;
  void SetNoteWidth(std::int16_t v);
  std::int16_t noteHeight() const;
  void SetNoteHeight(std::int16_t v);

  std::uint8_t startModeFm() const;
  void SetStartModeFm(std::uint8_t v);
  std::uint8_t startModePr() const;
  void SetStartModePr(std::uint8_t v);
  std::uint8_t bandAutomatic() const;
  void SetBandAutomatic(std::uint8_t v);
  std::string postcode() const;
  void SetPostcode(std::string_view v);
  std::uint8_t ownDistrictAnswer() const;
  void SetOwnDistrictAnswer(std::uint8_t v);

  // column is 1..20; outside that range reads 0 and the setter returns false.
  std::int16_t listColumnWidth(int column) const;
  bool SetListColumnWidth(int column, std::int16_t v);

  std::uint8_t totalsInTotalsRecord() const;
  void SetTotalsInTotalsRecord(std::uint8_t v);
  std::string ldk() const;
  void SetLdk(std::string_view v);

  std::uint8_t manualDateFlags() const;
  void SetManualDateFlags(std::uint8_t v);
  bool manualDateFlag(ManualDateField field) const;
  // Sets or clears one bit, leaving the other bits of the byte as they are.
  void SetManualDateFlag(ManualDateField field, bool typed);

 private:
  std::uint8_t U8(std::size_t offset) const { return GetU8(rec_, offset); }
  void PutU8At(std::size_t offset, std::uint8_t v) { PutU8(rec_, offset, v); }

  Record rec_;
};

}  // namespace korv
