#include "logging/totals_record.h"

#include <algorithm>

namespace korv {
namespace {

namespace L = totals_layout;

constexpr bool ValidSlot(int slot) { return slot >= 1 && slot <= kTotalsBandSlots; }

// Offset of slot (1..100) in the array at base with elements of width bytes.
constexpr std::size_t SlotOffset(std::size_t base, std::size_t width, int slot) {
  return base + width * static_cast<std::size_t>(slot - 1);
}

static_assert(SlotOffset(L::kQsoCount, L::kWideWidth, kTotalsBandSlots) + L::kWideWidth ==
              L::kMultiplierCount);
static_assert(SlotOffset(L::kColumn3Count, L::kNarrowWidth, kTotalsBandSlots) + L::kNarrowWidth ==
              L::kSentExchangeEditable);

}  // namespace

std::optional<TotalsRecord> TotalsRecord::Over(Bytes record) {
  if (record.size() != kTotalsRecordSize) return std::nullopt;
  return TotalsRecord(Record(record.data(), kTotalsRecordSize));
}

void TotalsRecord::Clear() { std::fill(rec_.begin(), rec_.end(), std::uint8_t{0}); }

std::int32_t TotalsRecord::deleteMark() const { return GetI32(rec_, L::kDeleteMark); }
void TotalsRecord::SetDeleteMark(std::int32_t v) { PutI32(rec_, L::kDeleteMark, v); }
std::int32_t TotalsRecord::contestNumber() const { return GetI32(rec_, L::kContestNumber); }
void TotalsRecord::SetContestNumber(std::int32_t v) { PutI32(rec_, L::kContestNumber, v); }

std::int32_t TotalsRecord::qsoCount(int slot) const {
  return ValidSlot(slot) ? GetI32(rec_, SlotOffset(L::kQsoCount, L::kWideWidth, slot)) : 0;
}
bool TotalsRecord::SetQsoCount(int slot, std::int32_t v) {
  if (!ValidSlot(slot)) return false;
  PutI32(rec_, SlotOffset(L::kQsoCount, L::kWideWidth, slot), v);
  return true;
}
std::int32_t TotalsRecord::multiplierCount(int slot) const {
  return ValidSlot(slot) ? GetI32(rec_, SlotOffset(L::kMultiplierCount, L::kWideWidth, slot)) : 0;
}
bool TotalsRecord::SetMultiplierCount(int slot, std::int32_t v) {
  if (!ValidSlot(slot)) return false;
  PutI32(rec_, SlotOffset(L::kMultiplierCount, L::kWideWidth, slot), v);
  return true;
}
std::int32_t TotalsRecord::points(int slot) const {
  return ValidSlot(slot) ? GetI32(rec_, SlotOffset(L::kPoints, L::kWideWidth, slot)) : 0;
}
bool TotalsRecord::SetPoints(int slot, std::int32_t v) {
  if (!ValidSlot(slot)) return false;
  PutI32(rec_, SlotOffset(L::kPoints, L::kWideWidth, slot), v);
  return true;
}
std::uint16_t TotalsRecord::column1Count(int slot) const {
  return ValidSlot(slot) ? GetU16(rec_, SlotOffset(L::kColumn1Count, L::kNarrowWidth, slot)) : 0;
}
bool TotalsRecord::SetColumn1Count(int slot, std::uint16_t v) {
  if (!ValidSlot(slot)) return false;
  PutU16(rec_, SlotOffset(L::kColumn1Count, L::kNarrowWidth, slot), v);
  return true;
}
std::uint16_t TotalsRecord::column2Count(int slot) const {
  return ValidSlot(slot) ? GetU16(rec_, SlotOffset(L::kColumn2Count, L::kNarrowWidth, slot)) : 0;
}
bool TotalsRecord::SetColumn2Count(int slot, std::uint16_t v) {
  if (!ValidSlot(slot)) return false;
  PutU16(rec_, SlotOffset(L::kColumn2Count, L::kNarrowWidth, slot), v);
  return true;
}
std::uint16_t TotalsRecord::column3Count(int slot) const {
  return ValidSlot(slot) ? GetU16(rec_, SlotOffset(L::kColumn3Count, L::kNarrowWidth, slot)) : 0;
}
bool TotalsRecord::SetColumn3Count(int slot, std::uint16_t v) {
  if (!ValidSlot(slot)) return false;
  PutU16(rec_, SlotOffset(L::kColumn3Count, L::kNarrowWidth, slot), v);
  return true;
}

std::uint8_t TotalsRecord::sentExchangeEditable() const {
  return GetU8(rec_, L::kSentExchangeEditable);
}
void TotalsRecord::SetSentExchangeEditable(std::uint8_t v) {
  PutU8(rec_, L::kSentExchangeEditable, v);
}
std::uint8_t TotalsRecord::logUnscoredDupes() const { return GetU8(rec_, L::kLogUnscoredDupes); }
void TotalsRecord::SetLogUnscoredDupes(std::uint8_t v) { PutU8(rec_, L::kLogUnscoredDupes, v); }

}  // namespace korv
