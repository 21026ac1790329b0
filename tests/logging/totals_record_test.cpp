#include "logging/totals_record.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korv {
namespace {

using Buffer = std::vector<std::uint8_t>;
using Encoded = std::vector<std::uint8_t>;

// Two fillings, so that a write that happens to equal the old byte in one of
// them is still seen in the other.
Buffer Pattern(int which) {
  Buffer b(kTotalsRecordSize);
  for (std::size_t i = 0; i < b.size(); ++i) {
    b[i] = which == 0 ? static_cast<std::uint8_t>(0xA0 ^ (i * 7))
                      : static_cast<std::uint8_t>(0x5C + i * 13);
  }
  return b;
}

Encoded U16(std::uint16_t u) {
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8)};
}
Encoded I32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}

TotalsRecord View(Buffer& buf) { return *TotalsRecord::Over(buf); }

// Expects buf to equal before except for the bytes at offset.
void ExpectWritten(const Buffer& before, const Buffer& buf, std::size_t offset,
                   const Encoded& bytes, const std::string& what) {
  for (std::size_t i = 0; i < buf.size(); ++i) {
    const bool inside = i >= offset && i < offset + bytes.size();
    EXPECT_EQ(buf[i], inside ? bytes[i - offset] : before[i]) << what << ": byte " << i;
  }
}

struct FieldCase {
  std::string field;
  std::size_t offset;
  Encoded bytes;  // every byte the setter must write
  std::function<void(TotalsRecord&)> write;
  std::function<bool(const TotalsRecord&)> readsBack;
};

std::vector<FieldCase> Fields() {
  using T = TotalsRecord;
  return {
      {"deleteMark", 0, I32(0x01020304), [](T& t) { t.SetDeleteMark(0x01020304); },
       [](const T& t) { return t.deleteMark() == 0x01020304; }},
      {"contestNumber", 4, I32(-123456789), [](T& t) { t.SetContestNumber(-123456789); },
       [](const T& t) { return t.contestNumber() == -123456789; }},
      {"qsoCount[1]", 8, I32(0x11223344), [](T& t) { t.SetQsoCount(1, 0x11223344); },
       [](const T& t) { return t.qsoCount(1) == 0x11223344; }},
      {"qsoCount[100]", 404, I32(-2), [](T& t) { t.SetQsoCount(100, -2); },
       [](const T& t) { return t.qsoCount(100) == -2; }},
      {"multiplierCount[1]", 408, I32(0x7F00FF01), [](T& t) { t.SetMultiplierCount(1, 0x7F00FF01); },
       [](const T& t) { return t.multiplierCount(1) == 0x7F00FF01; }},
      {"multiplierCount[100]", 804, I32(INT32_MIN), [](T& t) { t.SetMultiplierCount(100, INT32_MIN); },
       [](const T& t) { return t.multiplierCount(100) == INT32_MIN; }},
      {"points[1]", 808, I32(0x0A0B0C0D), [](T& t) { t.SetPoints(1, 0x0A0B0C0D); },
       [](const T& t) { return t.points(1) == 0x0A0B0C0D; }},
      {"points[100]", 1204, I32(INT32_MAX), [](T& t) { t.SetPoints(100, INT32_MAX); },
       [](const T& t) { return t.points(100) == INT32_MAX; }},
      {"column1Count[1]", 1208, U16(0xBEEF), [](T& t) { t.SetColumn1Count(1, 0xBEEF); },
       [](const T& t) { return t.column1Count(1) == 0xBEEF; }},
      {"column1Count[100]", 1406, U16(0x0102), [](T& t) { t.SetColumn1Count(100, 0x0102); },
       [](const T& t) { return t.column1Count(100) == 0x0102; }},
      {"column2Count[1]", 1408, U16(0xFEDC), [](T& t) { t.SetColumn2Count(1, 0xFEDC); },
       [](const T& t) { return t.column2Count(1) == 0xFEDC; }},
      {"column2Count[100]", 1606, U16(0x8001), [](T& t) { t.SetColumn2Count(100, 0x8001); },
       [](const T& t) { return t.column2Count(100) == 0x8001; }},
      {"column3Count[1]", 1608, U16(0x1357), [](T& t) { t.SetColumn3Count(1, 0x1357); },
       [](const T& t) { return t.column3Count(1) == 0x1357; }},
      {"column3Count[100]", 1806, U16(0xFFFF), [](T& t) { t.SetColumn3Count(100, 0xFFFF); },
       [](const T& t) { return t.column3Count(100) == 0xFFFF; }},
      {"sentExchangeEditable", 1808, {0x42}, [](T& t) { t.SetSentExchangeEditable(0x42); },
       [](const T& t) { return t.sentExchangeEditable() == 0x42 && !t.sentExchangeEditableOn(); }},
      {"sentExchangeEditable on", 1808, {255}, [](T& t) { t.SetSentExchangeEditableOn(true); },
       [](const T& t) { return t.sentExchangeEditable() == 255 && t.sentExchangeEditableOn(); }},
      {"sentExchangeEditable off", 1808, {0}, [](T& t) { t.SetSentExchangeEditableOn(false); },
       [](const T& t) { return t.sentExchangeEditable() == 0 && !t.sentExchangeEditableOn(); }},
      {"logUnscoredDupes", 1809, {0x24}, [](T& t) { t.SetLogUnscoredDupes(0x24); },
       [](const T& t) { return t.logUnscoredDupes() == 0x24 && !t.logUnscoredDupesOn(); }},
      {"logUnscoredDupes on", 1809, {255}, [](T& t) { t.SetLogUnscoredDupesOn(true); },
       [](const T& t) { return t.logUnscoredDupes() == 255 && t.logUnscoredDupesOn(); }},
      {"logUnscoredDupes off", 1809, {0}, [](T& t) { t.SetLogUnscoredDupesOn(false); },
       [](const T& t) { return t.logUnscoredDupes() == 0 && !t.logUnscoredDupesOn(); }},
  };
}

// Each setter writes exactly its field's bytes and its getter reads them back.
TEST(TotalsRecordTest, EveryFieldAtItsOffsetAndNothingElse) {
  for (const FieldCase& c : Fields()) {
    for (int which = 0; which < 2; ++which) {
      const Buffer before = Pattern(which);
      Buffer buf = before;
      TotalsRecord t = View(buf);
      c.write(t);
      ExpectWritten(before, buf, c.offset, c.bytes, c.field);
      EXPECT_TRUE(c.readsBack(t)) << c.field;
    }
  }
}

// The per-band arrays, for checks over every slot.
struct ArrayCase {
  std::string field;
  std::size_t base;
  std::size_t width;
  std::function<std::int64_t(const TotalsRecord&, int)> get;
  std::function<bool(TotalsRecord&, int, std::int64_t)> set;
};

std::vector<ArrayCase> Arrays() {
  using T = TotalsRecord;
  auto i32 = [](std::int64_t v) { return static_cast<std::int32_t>(v); };
  auto u16 = [](std::int64_t v) { return static_cast<std::uint16_t>(v); };
  return {
      {"qsoCount", 8, 4, [](const T& t, int s) { return t.qsoCount(s); },
       [i32](T& t, int s, std::int64_t v) { return t.SetQsoCount(s, i32(v)); }},
      {"multiplierCount", 408, 4, [](const T& t, int s) { return t.multiplierCount(s); },
       [i32](T& t, int s, std::int64_t v) { return t.SetMultiplierCount(s, i32(v)); }},
      {"points", 808, 4, [](const T& t, int s) { return t.points(s); },
       [i32](T& t, int s, std::int64_t v) { return t.SetPoints(s, i32(v)); }},
      {"column1Count", 1208, 2, [](const T& t, int s) { return t.column1Count(s); },
       [u16](T& t, int s, std::int64_t v) { return t.SetColumn1Count(s, u16(v)); }},
      {"column2Count", 1408, 2, [](const T& t, int s) { return t.column2Count(s); },
       [u16](T& t, int s, std::int64_t v) { return t.SetColumn2Count(s, u16(v)); }},
      {"column3Count", 1608, 2, [](const T& t, int s) { return t.column3Count(s); },
       [u16](T& t, int s, std::int64_t v) { return t.SetColumn3Count(s, u16(v)); }},
  };
}

// Every slot of every array is read from base + width * (slot - 1) of the
// pattern, so slots are neither shifted nor swapped.
TEST(TotalsRecordTest, EverySlotReadsItsOwnBytes) {
  Buffer buf = Pattern(1);
  const TotalsRecord t = View(buf);
  for (const ArrayCase& a : Arrays()) {
    for (int slot = 1; slot <= kTotalsBandSlots; ++slot) {
      const std::size_t at = a.base + a.width * static_cast<std::size_t>(slot - 1);
      std::int64_t expected = 0;
      if (a.width == 4) {
        expected = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(buf[at]) | (static_cast<std::uint32_t>(buf[at + 1]) << 8) |
            (static_cast<std::uint32_t>(buf[at + 2]) << 16) |
            (static_cast<std::uint32_t>(buf[at + 3]) << 24));
      } else {
        expected = buf[at] | (buf[at + 1] << 8);
      }
      EXPECT_EQ(a.get(t, slot), expected) << a.field << "[" << slot << "]";
    }
  }
}

// Slots outside 1..100 read 0 (the buffer around holds non-zero bytes) and
// their setters refuse and write nothing.
TEST(TotalsRecordTest, SlotsOutsideTheRangeReadZeroAndWriteNothing) {
  for (const ArrayCase& a : Arrays()) {
    for (int slot : {0, 101, -1, INT_MIN, INT_MAX}) {
      const Buffer before = Pattern(0);
      Buffer buf = before;
      TotalsRecord t = View(buf);
      EXPECT_EQ(a.get(t, slot), 0) << a.field << "[" << slot << "]";
      EXPECT_FALSE(a.set(t, slot, 0x1234)) << a.field << "[" << slot << "]";
      EXPECT_EQ(buf, before) << a.field << "[" << slot << "]";
    }
    Buffer buf = Pattern(0);
    TotalsRecord t = View(buf);
    EXPECT_TRUE(a.set(t, 1, 7)) << a.field;
    EXPECT_TRUE(a.set(t, 100, 9)) << a.field;
  }
}

// Writing every field of every slot leaves the bytes from 1810 to the end
// as they were, and the last written value of each field wins.
TEST(TotalsRecordTest, BytesFrom1810ArePreserved) {
  for (int which = 0; which < 2; ++which) {
    const Buffer before = Pattern(which);
    Buffer buf = before;
    TotalsRecord t = View(buf);
    t.SetDeleteMark(-1);
    t.SetContestNumber(-1);
    for (const ArrayCase& a : Arrays()) {
      for (int slot = 1; slot <= kTotalsBandSlots; ++slot) a.set(t, slot, -1);
    }
    t.SetSentExchangeEditableOn(true);
    t.SetLogUnscoredDupesOn(true);
    for (std::size_t i = 0; i < totals_layout::kUnused; ++i) {
      EXPECT_EQ(buf[i], 0xFF) << "byte " << i;
    }
    for (std::size_t i = totals_layout::kUnused; i < kTotalsRecordSize; ++i) {
      EXPECT_EQ(buf[i], before[i]) << "byte " << i;
    }
  }
}

TEST(TotalsRecordTest, OverNeedsTheExactSize) {
  Buffer exact(kTotalsRecordSize);
  Buffer shorter(kTotalsRecordSize - 1);
  Buffer longer(kTotalsRecordSize + 1);
  ASSERT_TRUE(TotalsRecord::Over(exact).has_value());
  EXPECT_EQ(TotalsRecord::Over(exact)->bytes().data(), exact.data());
  EXPECT_FALSE(TotalsRecord::Over(shorter).has_value());
  EXPECT_FALSE(TotalsRecord::Over(longer).has_value());
  EXPECT_FALSE(TotalsRecord::Over(Bytes{}).has_value());
}

TEST(TotalsRecordTest, ClearZeroesTheWholeRecord) {
  Buffer buf = Pattern(0);
  View(buf).Clear();
  EXPECT_EQ(buf, Buffer(kTotalsRecordSize, 0));
}

}  // namespace
}  // namespace korv
