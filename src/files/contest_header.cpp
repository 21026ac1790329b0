#include "files/contest_header.h"

#include <algorithm>
#include <array>

namespace korv {
namespace {

namespace L = header_layout;

// Offset of a per-band field for slots 1..7 (index 0 = slot 1).
using SlotOffsets = std::array<std::size_t, L::kBandSlots>;

constexpr SlotOffsets ArraySlots(std::size_t base, std::size_t width, std::size_t slot6,
                                 std::size_t slot7) {
  SlotOffsets offsets{};
  for (int i = 0; i < L::kBandSlotsInArray; ++i) {
    offsets[static_cast<std::size_t>(i)] = base + width * static_cast<std::size_t>(i);
  }
  offsets[5] = slot6;
  offsets[6] = slot7;
  return offsets;
}

constexpr SlotOffsets kQsoCountSlots = ArraySlots(L::kQsoCount, 2, L::kQsoCount6, L::kQsoCount7);
constexpr SlotOffsets kMultiplierCountSlots =
    ArraySlots(L::kMultiplierCount, 2, L::kMultiplierCount6, L::kMultiplierCount7);
constexpr SlotOffsets kPointsSlots = ArraySlots(L::kPoints, 4, L::kPoints6, L::kPoints7);
constexpr SlotOffsets kSecondMultiplierCountSlots = ArraySlots(
    L::kSecondMultiplierCount, 2, L::kSecondMultiplierCount6, L::kSecondMultiplierCount7);
constexpr SlotOffsets kThirdMultiplierCountSlots =
    ArraySlots(L::kThirdMultiplierCount, 2, L::kThirdMultiplierCount6, L::kThirdMultiplierCount7);

constexpr bool ValidSlot(int slot) {
  return slot >= 1 && slot <= L::kBandSlots;
}

constexpr std::size_t SlotOffset(const SlotOffsets& offsets, int slot) {
  return offsets[static_cast<std::size_t>(slot - 1)];
}

std::uint8_t ManualBit(ManualDateField field) {
  return static_cast<std::uint8_t>(1u << static_cast<unsigned>(field));
}

}  // namespace

std::optional<ContestHeader> ContestHeader::Over(Bytes record) {
  if (record.size() != kContestHeaderSize) return std::nullopt;
  return ContestHeader(Record(record.data(), kContestHeaderSize));
}

void ContestHeader::Clear() {
  std::fill(rec_.begin(), rec_.end(), std::uint8_t{0});
}

void ContestHeader::MarkCreated() {
  PutU8At(L::kCreationByte71, 255);
  PutU8At(L::kCreationByte72, 1);
  PutU8At(L::kCreationByte195, 255);
  MarkSaved();
}

void ContestHeader::MarkSaved() {
  PutU8At(L::kSaveMark, static_cast<std::uint8_t>('D'));
}
std::uint8_t ContestHeader::saveMark() const {
  return U8(L::kSaveMark);
}

std::int32_t ContestHeader::deleteMark() const {
  return GetI32(rec_, L::kDeleteMark);
}
void ContestHeader::SetDeleteMark(std::int32_t v) {
  PutI32(rec_, L::kDeleteMark, v);
}
std::int32_t ContestHeader::contestNumber() const {
  return GetI32(rec_, L::kContestNumber);
}
void ContestHeader::SetContestNumber(std::int32_t v) {
  PutI32(rec_, L::kContestNumber, v);
}
DayNumber ContestHeader::startDate() const {
  return GetI32(rec_, L::kStartDate);
}
void ContestHeader::SetStartDate(DayNumber v) {
  PutI32(rec_, L::kStartDate, v);
}
DayNumber ContestHeader::endDate() const {
  return GetI32(rec_, L::kEndDate);
}
void ContestHeader::SetEndDate(DayNumber v) {
  PutI32(rec_, L::kEndDate, v);
}
TimeOfDay ContestHeader::startTime() const {
  return GetI32(rec_, L::kStartTime);
}
void ContestHeader::SetStartTime(TimeOfDay v) {
  PutI32(rec_, L::kStartTime, v);
}
TimeOfDay ContestHeader::endTime() const {
  return GetI32(rec_, L::kEndTime);
}
void ContestHeader::SetEndTime(TimeOfDay v) {
  PutI32(rec_, L::kEndTime, v);
}

std::string ContestHeader::name() const {
  return GetShortText(rec_, L::kName, L::kNameCapacity);
}
void ContestHeader::SetName(std::string_view v) {
  PutShortText(rec_, L::kName, L::kNameCapacity, v);
}
std::string ContestHeader::locator() const {
  return GetShortText(rec_, L::kLocator, L::kLocatorCapacity);
}
void ContestHeader::SetLocator(std::string_view v) {
  PutShortText(rec_, L::kLocator, L::kLocatorCapacity, v);
}
std::string ContestHeader::dok() const {
  return GetShortText(rec_, L::kDok, L::kDokCapacity);
}
void ContestHeader::SetDok(std::string_view v) {
  PutShortText(rec_, L::kDok, L::kDokCapacity, v);
}
std::string ContestHeader::stationEquipment() const {
  return GetShortText(rec_, L::kStationEquipment, L::kStationEquipmentCapacity);
}
void ContestHeader::SetStationEquipment(std::string_view v) {
  PutShortText(rec_, L::kStationEquipment, L::kStationEquipmentCapacity, v);
}
std::int32_t ContestHeader::extraCategory() const {
  return GetI32(rec_, L::kExtraCategory);
}
void ContestHeader::SetExtraCategory(std::int32_t v) {
  PutI32(rec_, L::kExtraCategory, v);
}
std::string ContestHeader::ownCall() const {
  return GetShortText(rec_, L::kOwnCall, L::kOwnCallCapacity);
}
void ContestHeader::SetOwnCall(std::string_view v) {
  PutShortText(rec_, L::kOwnCall, L::kOwnCallCapacity, v);
}

std::uint8_t ContestHeader::indexFourKey() const {
  return U8(L::kIndexFourKey);
}
void ContestHeader::SetIndexFourKey(std::uint8_t v) {
  PutU8At(L::kIndexFourKey, v);
}
ContestCode ContestHeader::contestCode() const {
  return static_cast<ContestCode>(U8(L::kContestCode));
}
void ContestHeader::SetContestCode(ContestCode v) {
  PutU8At(L::kContestCode, static_cast<std::uint8_t>(v));
}
std::uint8_t ContestHeader::dateAutomatic() const {
  return U8(L::kDateAutomatic);
}
void ContestHeader::SetDateAutomatic(std::uint8_t v) {
  PutU8At(L::kDateAutomatic, v);
}
std::uint8_t ContestHeader::timeAutomatic() const {
  return U8(L::kTimeAutomatic);
}
void ContestHeader::SetTimeAutomatic(std::uint8_t v) {
  PutU8At(L::kTimeAutomatic, v);
}

std::int16_t ContestHeader::qsoCount(int slot) const {
  return ValidSlot(slot) ? GetI16(rec_, SlotOffset(kQsoCountSlots, slot)) : 0;
}
bool ContestHeader::SetQsoCount(int slot, std::int16_t v) {
  if (!ValidSlot(slot)) return false;
  PutI16(rec_, SlotOffset(kQsoCountSlots, slot), v);
  return true;
}
std::int16_t ContestHeader::multiplierCount(int slot) const {
  return ValidSlot(slot) ? GetI16(rec_, SlotOffset(kMultiplierCountSlots, slot)) : 0;
}
bool ContestHeader::SetMultiplierCount(int slot, std::int16_t v) {
  if (!ValidSlot(slot)) return false;
  PutI16(rec_, SlotOffset(kMultiplierCountSlots, slot), v);
  return true;
}
std::int32_t ContestHeader::points(int slot) const {
  return ValidSlot(slot) ? GetI32(rec_, SlotOffset(kPointsSlots, slot)) : 0;
}
bool ContestHeader::SetPoints(int slot, std::int32_t v) {
  if (!ValidSlot(slot)) return false;
  PutI32(rec_, SlotOffset(kPointsSlots, slot), v);
  return true;
}
std::int16_t ContestHeader::secondMultiplierCount(int slot) const {
  return ValidSlot(slot) ? GetI16(rec_, SlotOffset(kSecondMultiplierCountSlots, slot)) : 0;
}
bool ContestHeader::SetSecondMultiplierCount(int slot, std::int16_t v) {
  if (!ValidSlot(slot)) return false;
  PutI16(rec_, SlotOffset(kSecondMultiplierCountSlots, slot), v);
  return true;
}
std::int16_t ContestHeader::thirdMultiplierCount(int slot) const {
  return ValidSlot(slot) ? GetI16(rec_, SlotOffset(kThirdMultiplierCountSlots, slot)) : 0;
}
bool ContestHeader::SetThirdMultiplierCount(int slot, std::int16_t v) {
  if (!ValidSlot(slot)) return false;
  PutI16(rec_, SlotOffset(kThirdMultiplierCountSlots, slot), v);
  return true;
}

std::uint8_t ContestHeader::rstSentFree() const {
  return U8(L::kRstSentFree);
}
void ContestHeader::SetRstSentFree(std::uint8_t v) {
  PutU8At(L::kRstSentFree, v);
}
std::uint8_t ContestHeader::rstReceivedFree() const {
  return U8(L::kRstReceivedFree);
}
void ContestHeader::SetRstReceivedFree(std::uint8_t v) {
  PutU8At(L::kRstReceivedFree, v);
}
std::uint8_t ContestHeader::settingsLocked() const {
  return U8(L::kSettingsLocked);
}
void ContestHeader::SetSettingsLocked(std::uint8_t v) {
  PutU8At(L::kSettingsLocked, v);
}
char ContestHeader::qslSentDefault() const {
  return static_cast<char>(U8(L::kQslSentDefault));
}
void ContestHeader::SetQslSentDefault(char v) {
  PutU8At(L::kQslSentDefault, static_cast<std::uint8_t>(v));
}
char ContestHeader::qslReceivedDefault() const {
  return static_cast<char>(U8(L::kQslReceivedDefault));
}
void ContestHeader::SetQslReceivedDefault(char v) {
  PutU8At(L::kQslReceivedDefault, static_cast<std::uint8_t>(v));
}
std::uint8_t ContestHeader::participationType() const {
  return U8(L::kParticipationType);
}
void ContestHeader::SetParticipationType(std::uint8_t v) {
  PutU8At(L::kParticipationType, v);
}
std::uint8_t ContestHeader::startModeSsb() const {
  return U8(L::kStartModeSsb);
}
void ContestHeader::SetStartModeSsb(std::uint8_t v) {
  PutU8At(L::kStartModeSsb, v);
}

std::int16_t ContestHeader::noteTop() const {
  return GetI16(rec_, L::kNoteTop);
}
void ContestHeader::SetNoteTop(std::int16_t v) {
  PutI16(rec_, L::kNoteTop, v);
}
std::int16_t ContestHeader::noteLeft() const {
  return GetI16(rec_, L::kNoteLeft);
}
void ContestHeader::SetNoteLeft(std::int16_t v) {
  PutI16(rec_, L::kNoteLeft, v);
}
std::int16_t ContestHeader::noteWidth() const {
  return GetI16(rec_, L::kNoteWidth);
}
void ContestHeader::SetNoteWidth(std::int16_t v) {
  PutI16(rec_, L::kNoteWidth, v);
}
std::int16_t ContestHeader::noteHeight() const {
  return GetI16(rec_, L::kNoteHeight);
}
void ContestHeader::SetNoteHeight(std::int16_t v) {
  PutI16(rec_, L::kNoteHeight, v);
}

std::uint8_t ContestHeader::startModeFm() const {
  return U8(L::kStartModeFm);
}
void ContestHeader::SetStartModeFm(std::uint8_t v) {
  PutU8At(L::kStartModeFm, v);
}
std::uint8_t ContestHeader::startModePr() const {
  return U8(L::kStartModePr);
}
void ContestHeader::SetStartModePr(std::uint8_t v) {
  PutU8At(L::kStartModePr, v);
}
std::uint8_t ContestHeader::bandAutomatic() const {
  return U8(L::kBandAutomatic);
}
void ContestHeader::SetBandAutomatic(std::uint8_t v) {
  PutU8At(L::kBandAutomatic, v);
}
std::string ContestHeader::postcode() const {
  return GetShortText(rec_, L::kPostcode, L::kPostcodeCapacity);
}
void ContestHeader::SetPostcode(std::string_view v) {
  PutShortText(rec_, L::kPostcode, L::kPostcodeCapacity, v);
}
std::uint8_t ContestHeader::ownDistrictAnswer() const {
  return U8(L::kOwnDistrictAnswer);
}
void ContestHeader::SetOwnDistrictAnswer(std::uint8_t v) {
  PutU8At(L::kOwnDistrictAnswer, v);
}

std::int16_t ContestHeader::listColumnWidth(int column) const {
  if (column < 1 || column > L::kListColumns) return 0;
  return GetI16(rec_, L::kListColumnWidths + 2 * static_cast<std::size_t>(column - 1));
}
bool ContestHeader::SetListColumnWidth(int column, std::int16_t v) {
  if (column < 1 || column > L::kListColumns) return false;
  PutI16(rec_, L::kListColumnWidths + 2 * static_cast<std::size_t>(column - 1), v);
  return true;
}

std::uint8_t ContestHeader::totalsInTotalsRecord() const {
  return U8(L::kTotalsInTotalsRecord);
}
void ContestHeader::SetTotalsInTotalsRecord(std::uint8_t v) {
  PutU8At(L::kTotalsInTotalsRecord, v);
}
std::string ContestHeader::ldk() const {
  return GetShortText(rec_, L::kLdk, L::kLdkCapacity);
}
void ContestHeader::SetLdk(std::string_view v) {
  PutShortText(rec_, L::kLdk, L::kLdkCapacity, v);
}

std::uint8_t ContestHeader::manualDateFlags() const {
  return U8(L::kManualDateFlags);
}
void ContestHeader::SetManualDateFlags(std::uint8_t v) {
  PutU8At(L::kManualDateFlags, v);
}
bool ContestHeader::manualDateFlag(ManualDateField field) const {
  return (manualDateFlags() & ManualBit(field)) != 0;
}
void ContestHeader::SetManualDateFlag(ManualDateField field, bool typed) {
  const std::uint8_t bit = ManualBit(field);
  const std::uint8_t flags = manualDateFlags();
  SetManualDateFlags(static_cast<std::uint8_t>(typed ? (flags | bit) : (flags & ~bit)));
}

}  // namespace korv
