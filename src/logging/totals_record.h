// TotalsRecord: the 11608-byte record of the shared totals file KVKZ, one per
// contest log, holding the per-band results so that other windows can show
// them without opening the log. Integers are little-endian (see
// common/coding.h). Band slot i (1..100) is the position of a band in the
// contest's band slots.
//
//   OFFSET           SIZE  DESCRIPTION
//   0                4     delete mark of the storage engine
//   4                4     contestNumber, int32 (the contest header's number)
//   8 + 4*(i-1)      4     qsoCount[i], int32, i = 1..100
//   408 + 4*(i-1)    4     multiplierCount[i], int32 (whole-log scope: slot 1)
//   808 + 4*(i-1)    4     points[i], int32
//   1208 + 2*(i-1)   2     column1Count[i], uint16 (distinct values of the kind
//                          named by the first multiplier label)
//   1408 + 2*(i-1)   2     column2Count[i], uint16 (second label)
//   1608 + 2*(i-1)   2     column3Count[i], uint16 (third label)
//   1808             1     sentExchangeEditable, 255 = on
//   1809             1     logUnscoredDupes, 255 = on
//   1810             9798  (no field, zero in new records, preserved)
//
// The file has one index, EncodeLongKey of contestNumber (L[4]), without
// duplicates. It is built by RecordNumberKey in files/file_keys.h; this
// accessor does not build keys.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/coding.h"

namespace korv {

inline constexpr std::size_t kTotalsRecordSize = 11608;
inline constexpr int kTotalsBandSlots = 100;
// Value of the option bytes that are "on".
inline constexpr std::uint8_t kTotalsByteOn = 255;

namespace totals_layout {

inline constexpr std::size_t kDeleteMark = 0;
inline constexpr std::size_t kContestNumber = 4;
inline constexpr std::size_t kQsoCount = 8;
inline constexpr std::size_t kMultiplierCount = 408;
inline constexpr std::size_t kPoints = 808;
inline constexpr std::size_t kColumn1Count = 1208;
inline constexpr std::size_t kColumn2Count = 1408;
inline constexpr std::size_t kColumn3Count = 1608;
inline constexpr std::size_t kSentExchangeEditable = 1808;
inline constexpr std::size_t kLogUnscoredDupes = 1809;
inline constexpr std::size_t kUnused = 1810;

inline constexpr std::size_t kSlots = static_cast<std::size_t>(kTotalsBandSlots);
inline constexpr std::size_t kWideWidth = 4;    // int32 arrays
inline constexpr std::size_t kNarrowWidth = 2;  // uint16 arrays

// Every byte range of the record in order: {offset, size}. The static_assert
// below proves the ranges meet without gap or overlap and end at 11608, so a
// typo in one offset breaks the build.
struct Span {
  std::size_t offset;
  std::size_t size;
};
inline constexpr std::array<Span, 11> kRanges = {{
    {kDeleteMark, 4},
    {kContestNumber, 4},
    {kQsoCount, kWideWidth * kSlots},
    {kMultiplierCount, kWideWidth * kSlots},
    {kPoints, kWideWidth * kSlots},
    {kColumn1Count, kNarrowWidth * kSlots},
    {kColumn2Count, kNarrowWidth * kSlots},
    {kColumn3Count, kNarrowWidth * kSlots},
    {kSentExchangeEditable, 1},
    {kLogUnscoredDupes, 1},
    {kUnused, kTotalsRecordSize - kUnused},
}};

constexpr bool RangesTile() {
  std::size_t next = 0;
  for (const Span& s : kRanges) {
    if (s.offset != next) return false;
    next += s.size;
  }
  return next == kTotalsRecordSize;
}
static_assert(RangesTile());
static_assert(kTotalsRecordSize - kUnused == 9798);

}  // namespace totals_layout

// A typed view over one totals record buffer. The view does not own the
// bytes; copies address the same bytes. Getters read the buffer at every
// call. Bytes from 1810 on are never written, except by Clear().
class TotalsRecord {
 public:
  using Record = std::span<std::uint8_t, kTotalsRecordSize>;

  explicit TotalsRecord(Record record) : rec_(record) {}

  // nullopt unless the buffer holds exactly kTotalsRecordSize bytes.
  static std::optional<TotalsRecord> Over(Bytes record);

  Record bytes() const { return rec_; }

  // Sets all 11608 bytes to zero (the state of a new record).
  void Clear();

  std::int32_t deleteMark() const;
  void SetDeleteMark(std::int32_t v);
  std::int32_t contestNumber() const;
  void SetContestNumber(std::int32_t v);

  // Per-band counters. slot is 1..100. A slot outside 1..100 reads as 0, and
  // the setters return false and write nothing.
  std::int32_t qsoCount(int slot) const;
  bool SetQsoCount(int slot, std::int32_t v);
  std::int32_t multiplierCount(int slot) const;
  bool SetMultiplierCount(int slot, std::int32_t v);
  std::int32_t points(int slot) const;
  bool SetPoints(int slot, std::int32_t v);
  std::uint16_t column1Count(int slot) const;
  bool SetColumn1Count(int slot, std::uint16_t v);
  std::uint16_t column2Count(int slot) const;
  bool SetColumn2Count(int slot, std::uint16_t v);
  std::uint16_t column3Count(int slot) const;
  bool SetColumn3Count(int slot, std::uint16_t v);

  // The option bytes as stored; 255 (kTotalsByteOn) = on. The bool forms
  // read "on" only for 255 and write 255 or 0.
  std::uint8_t sentExchangeEditable() const;
  void SetSentExchangeEditable(std::uint8_t v);
  bool sentExchangeEditableOn() const { return sentExchangeEditable() == kTotalsByteOn; }
  void SetSentExchangeEditableOn(bool on) { SetSentExchangeEditable(on ? kTotalsByteOn : 0); }
  std::uint8_t logUnscoredDupes() const;
  void SetLogUnscoredDupes(std::uint8_t v);
  bool logUnscoredDupesOn() const { return logUnscoredDupes() == kTotalsByteOn; }
  void SetLogUnscoredDupesOn(bool on) { SetLogUnscoredDupes(on ? kTotalsByteOn : 0); }

 private:
  Record rec_;
};

}  // namespace korv
