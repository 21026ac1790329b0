#include "files/contest_header.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korv {
namespace {

using Buffer = std::array<std::uint8_t, kContestHeaderSize>;
using Encoded = std::vector<std::uint8_t>;

// Two fillings, so that a write that happens to equal the old byte in one of
// them is still seen in the other.
Buffer Pattern(int which) {
  Buffer b{};
  for (std::size_t i = 0; i < b.size(); ++i) {
    b[i] = which == 0 ? static_cast<std::uint8_t>(0xA0 ^ (i * 7))
                      : static_cast<std::uint8_t>(0x5C + i * 13);
  }
  return b;
}

Encoded I16(std::int16_t v) {
  const auto u = static_cast<std::uint16_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8)};
}
Encoded I32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}
Encoded Text(const std::string& s) {
  Encoded e(1 + s.size());
  e[0] = static_cast<std::uint8_t>(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) e[1 + i] = static_cast<std::uint8_t>(s[i]);
  return e;
}

// Expects buf to equal before except for [offset, offset + expected.size()),
// which must hold expected.
void ExpectWritten(const Buffer& before, const Buffer& buf, std::size_t offset,
                   const Encoded& expected, const std::string& what) {
  for (std::size_t i = 0; i < buf.size(); ++i) {
    if (i >= offset && i < offset + expected.size()) {
      EXPECT_EQ(buf[i], expected[i - offset]) << what << ": byte " << i;
    } else {
      EXPECT_EQ(buf[i], before[i]) << what << ": byte " << i << " outside the field changed";
    }
  }
}

struct FieldCase {
  std::string field;
  std::size_t offset;
  Encoded bytes;  // the field's complete encoding; its size is the field size
  std::function<void(ContestHeader&)> write;
  std::function<bool(const ContestHeader&)> readsBack;
};

const std::string kName25 = "Aktivit\xE4tsabend Nord 2009";  // 25 bytes
const std::string kEquipment84 =
    std::string(40, 'x') + "TS-2000, 100 W, Dipol" + std::string(23, '.');  // 84 bytes

std::vector<FieldCase> ScalarAndTextFields() {
  return {
      {"deleteMark", 0, I32(0x01020304), [](ContestHeader& h) { h.SetDeleteMark(0x01020304); },
       [](const ContestHeader& h) { return h.deleteMark() == 0x01020304; }},
      {"contestNumber", 4, I32(0x11223344),
       [](ContestHeader& h) { h.SetContestNumber(0x11223344); },
       [](const ContestHeader& h) { return h.contestNumber() == 0x11223344; }},
      {"startDate", 8, I32(149700), [](ContestHeader& h) { h.SetStartDate(149700); },
       [](const ContestHeader& h) { return h.startDate() == 149700; }},
      {"endDate", 12, I32(149701), [](ContestHeader& h) { h.SetEndDate(149701); },
       [](const ContestHeader& h) { return h.endDate() == 149701; }},
      {"startTime", 16, I32(86399), [](ContestHeader& h) { h.SetStartTime(86399); },
       [](const ContestHeader& h) { return h.startTime() == 86399; }},
      {"endTime", 20, I32(-1), [](ContestHeader& h) { h.SetEndTime(-1); },
       [](const ContestHeader& h) { return h.endTime() == -1; }},
      {"name", 24, Text(kName25), [](ContestHeader& h) { h.SetName(kName25); },
       [](const ContestHeader& h) { return h.name() == kName25; }},
      {"locator", 50, Text("JO31MM"), [](ContestHeader& h) { h.SetLocator("JO31MM"); },
       [](const ContestHeader& h) { return h.locator() == "JO31MM"; }},
      {"dok", 57, Text("N01-Z123"), [](ContestHeader& h) { h.SetDok("N01-Z123"); },
       [](const ContestHeader& h) { return h.dok() == "N01-Z123"; }},
      {"stationEquipment", 73, Text(kEquipment84),
       [](ContestHeader& h) { h.SetStationEquipment(kEquipment84); },
       [](const ContestHeader& h) { return h.stationEquipment() == kEquipment84; }},
      {"extraCategory", 158, I32(-7), [](ContestHeader& h) { h.SetExtraCategory(-7); },
       [](const ContestHeader& h) { return h.extraCategory() == -7; }},
      {"ownCall", 166, Text("DL1ABC/P0123"), [](ContestHeader& h) { h.SetOwnCall("DL1ABC/P0123"); },
       [](const ContestHeader& h) { return h.ownCall() == "DL1ABC/P0123"; }},
      {"indexFourKey",
       190,
       {0x42},
       [](ContestHeader& h) { h.SetIndexFourKey(0x42); },
       [](const ContestHeader& h) { return h.indexFourKey() == 0x42; }},
      {"contestCode",
       191,
       {'3'},
       [](ContestHeader& h) { h.SetContestCode('3'); },
       [](const ContestHeader& h) { return h.contestCode() == '3'; }},
      {"dateAutomatic",
       192,
       {255},
       [](ContestHeader& h) { h.SetDateAutomatic(255); },
       [](const ContestHeader& h) { return h.dateAutomatic() == 255; }},
      {"timeAutomatic",
       193,
       {254},
       [](ContestHeader& h) { h.SetTimeAutomatic(254); },
       [](const ContestHeader& h) { return h.timeAutomatic() == 254; }},
      {"rstSentFree",
       246,
       {253},
       [](ContestHeader& h) { h.SetRstSentFree(253); },
       [](const ContestHeader& h) { return h.rstSentFree() == 253; }},
      {"rstReceivedFree",
       247,
       {252},
       [](ContestHeader& h) { h.SetRstReceivedFree(252); },
       [](const ContestHeader& h) { return h.rstReceivedFree() == 252; }},
      {"settingsLocked",
       248,
       {3},
       [](ContestHeader& h) { h.SetSettingsLocked(3); },
       [](const ContestHeader& h) { return h.settingsLocked() == 3; }},
      {"qslSentDefault",
       249,
       {'J'},
       [](ContestHeader& h) { h.SetQslSentDefault('J'); },
       [](const ContestHeader& h) { return h.qslSentDefault() == 'J'; }},
      {"qslReceivedDefault",
       250,
       {'N'},
       [](ContestHeader& h) { h.SetQslReceivedDefault('N'); },
       [](const ContestHeader& h) { return h.qslReceivedDefault() == 'N'; }},
      {"participationType",
       251,
       {2},
       [](ContestHeader& h) { h.SetParticipationType(2); },
       [](const ContestHeader& h) { return h.participationType() == 2; }},
      {"startModeSsb",
       252,
       {251},
       [](ContestHeader& h) { h.SetStartModeSsb(251); },
       [](const ContestHeader& h) { return h.startModeSsb() == 251; }},
      {"noteTop", 253, I16(-12), [](ContestHeader& h) { h.SetNoteTop(-12); },
       [](const ContestHeader& h) { return h.noteTop() == -12; }},
      {"noteLeft", 255, I16(0x1234), [](ContestHeader& h) { h.SetNoteLeft(0x1234); },
       [](const ContestHeader& h) { return h.noteLeft() == 0x1234; }},
      {"noteWidth", 257, I16(377), [](ContestHeader& h) { h.SetNoteWidth(377); },
       [](const ContestHeader& h) { return h.noteWidth() == 377; }},
      {"noteHeight", 259, I16(270), [](ContestHeader& h) { h.SetNoteHeight(270); },
       [](const ContestHeader& h) { return h.noteHeight() == 270; }},
      {"startModeFm",
       291,
       {250},
       [](ContestHeader& h) { h.SetStartModeFm(250); },
       [](const ContestHeader& h) { return h.startModeFm() == 250; }},
      {"startModePr",
       292,
       {249},
       [](ContestHeader& h) { h.SetStartModePr(249); },
       [](const ContestHeader& h) { return h.startModePr() == 249; }},
      {"bandAutomatic",
       293,
       {248},
       [](ContestHeader& h) { h.SetBandAutomatic(248); },
       [](const ContestHeader& h) { return h.bandAutomatic() == 248; }},
      {"postcode", 294, Text("48149"), [](ContestHeader& h) { h.SetPostcode("48149"); },
       [](const ContestHeader& h) { return h.postcode() == "48149"; }},
      {"ownDistrictAnswer",
       300,
       {247},
       [](ContestHeader& h) { h.SetOwnDistrictAnswer(247); },
       [](const ContestHeader& h) { return h.ownDistrictAnswer() == 247; }},
      {"totalsInTotalsRecord",
       369,
       {246},
       [](ContestHeader& h) { h.SetTotalsInTotalsRecord(246); },
       [](const ContestHeader& h) { return h.totalsInTotalsRecord() == 246; }},
      {"ldk", 370, Text("GEB"), [](ContestHeader& h) { h.SetLdk("GEB"); },
       [](const ContestHeader& h) { return h.ldk() == "GEB"; }},
      {"manualDateFlags",
       374,
       {0x0B},
       [](ContestHeader& h) { h.SetManualDateFlags(0x0B); },
       [](const ContestHeader& h) { return h.manualDateFlags() == 0x0B; }},
  };
}

// The per-band fields with the offsets of their slots 1..7.
struct SlotField {
  std::string field;
  std::array<std::size_t, 7> offsets;
  bool wide;  // 32-bit values
  std::function<bool(ContestHeader&, int, std::int32_t)> write;
  std::function<std::int32_t(const ContestHeader&, int)> read;
};

std::vector<SlotField> SlotFields() {
  return {
      {"qsoCount",
       {196, 198, 200, 202, 204, 341, 355},
       false,
       [](ContestHeader& h, int s, std::int32_t v) {
         return h.SetQsoCount(s, static_cast<std::int16_t>(v));
       },
       [](const ContestHeader& h, int s) { return std::int32_t{h.qsoCount(s)}; }},
      {"multiplierCount",
       {206, 208, 210, 212, 214, 343, 357},
       false,
       [](ContestHeader& h, int s, std::int32_t v) {
         return h.SetMultiplierCount(s, static_cast<std::int16_t>(v));
       },
       [](const ContestHeader& h, int s) { return std::int32_t{h.multiplierCount(s)}; }},
      {"points",
       {226, 230, 234, 238, 242, 345, 359},
       true,
       [](ContestHeader& h, int s, std::int32_t v) { return h.SetPoints(s, v); },
       [](const ContestHeader& h, int s) { return h.points(s); }},
      {"secondMultiplierCount",
       {261, 263, 265, 267, 269, 349, 363},
       false,
       [](ContestHeader& h, int s, std::int32_t v) {
         return h.SetSecondMultiplierCount(s, static_cast<std::int16_t>(v));
       },
       [](const ContestHeader& h, int s) { return std::int32_t{h.secondMultiplierCount(s)}; }},
      {"thirdMultiplierCount",
       {281, 283, 285, 287, 289, 353, 367},
       false,
       [](ContestHeader& h, int s, std::int32_t v) {
         return h.SetThirdMultiplierCount(s, static_cast<std::int16_t>(v));
       },
       [](const ContestHeader& h, int s) { return std::int32_t{h.thirdMultiplierCount(s)}; }},
  };
}

TEST(ContestHeaderTest, EveryFieldLandsAtItsOffsetAndSize) {
  // Full-capacity texts, so that the whole field is covered.
  ASSERT_EQ(kName25.size(), 25u);
  ASSERT_EQ(kEquipment84.size(), 84u);
  for (int pattern = 0; pattern < 2; ++pattern) {
    for (const FieldCase& c : ScalarAndTextFields()) {
      const Buffer before = Pattern(pattern);
      Buffer buf = before;
      ContestHeader header(buf);
      c.write(header);
      ExpectWritten(before, buf, c.offset, c.bytes, c.field);
      EXPECT_TRUE(c.readsBack(header)) << c.field;
    }
  }
}

TEST(ContestHeaderTest, PerBandSlotsMapSixAndSevenToTheirOwnFields) {
  for (int pattern = 0; pattern < 2; ++pattern) {
    for (const SlotField& f : SlotFields()) {
      for (int slot = 1; slot <= 7; ++slot) {
        const std::int32_t value = f.wide ? -70000 - slot : -300 - slot;
        const Buffer before = Pattern(pattern);
        Buffer buf = before;
        ContestHeader header(buf);
        ASSERT_TRUE(f.write(header, slot, value));
        const std::string what = f.field + "[" + std::to_string(slot) + "]";
        ExpectWritten(before, buf, f.offsets[static_cast<std::size_t>(slot - 1)],
                      f.wide ? I32(value) : I16(static_cast<std::int16_t>(value)), what);
        EXPECT_EQ(f.read(header, slot), value) << what;
      }
    }
  }
}

TEST(ContestHeaderTest, SlotsOutsideOneToSevenReadZeroAndWriteNothing) {
  const Buffer before = Pattern(0);
  Buffer buf = before;
  ContestHeader header(buf);
  for (const SlotField& f : SlotFields()) {
    for (int slot : {-1, 0, 8}) {
      EXPECT_FALSE(f.write(header, slot, 99)) << f.field << " slot " << slot;
      EXPECT_EQ(f.read(header, slot), 0) << f.field << " slot " << slot;
    }
  }
  EXPECT_EQ(buf, before);
}

TEST(ContestHeaderTest, ListColumnWidthsOneToTwenty) {
  for (int column = 1; column <= 20; ++column) {
    const Buffer before = Pattern(1);
    Buffer buf = before;
    ContestHeader header(buf);
    const auto width = static_cast<std::int16_t>(1000 + column);
    ASSERT_TRUE(header.SetListColumnWidth(column, width));
    ExpectWritten(before, buf, 301 + 2 * static_cast<std::size_t>(column - 1), I16(width),
                  "listColumnWidths[" + std::to_string(column) + "]");
    EXPECT_EQ(header.listColumnWidth(column), width);
  }
  const Buffer before = Pattern(1);
  Buffer buf = before;
  ContestHeader header(buf);
  EXPECT_FALSE(header.SetListColumnWidth(0, 5));
  EXPECT_FALSE(header.SetListColumnWidth(21, 5));
  EXPECT_EQ(header.listColumnWidth(0), 0);
  EXPECT_EQ(header.listColumnWidth(21), 0);
  EXPECT_EQ(buf, before);
}

// Ranges that belong to no field.
constexpr std::array<std::pair<std::size_t, std::size_t>, 8> kUnnamedRanges{
    {{66, 71}, {162, 166}, {179, 190}, {216, 226}, {271, 281}, {351, 353}, {365, 367}, {375, 379}}};

TEST(ContestHeaderTest, WritingEveryFieldLeavesUnnamedBytesUntouched) {
  const Buffer before = Pattern(0);
  Buffer buf = before;
  ContestHeader header(buf);
  for (const FieldCase& c : ScalarAndTextFields()) c.write(header);
  for (const SlotField& f : SlotFields()) {
    for (int slot = 1; slot <= 7; ++slot) f.write(header, slot, 0x0101 * slot);
  }
  for (int column = 1; column <= 20; ++column) header.SetListColumnWidth(column, 77);
  header.SetManualDateFlag(ManualDateField::kEndTime, true);
  header.MarkSaved();

  for (const auto& [from, to] : kUnnamedRanges) {
    for (std::size_t i = from; i < to; ++i) EXPECT_EQ(buf[i], before[i]) << "byte " << i;
  }
}

TEST(ContestHeaderTest, TextsAreCutToCapacityAndKeepOldBytesBehindThem) {
  const Buffer before = Pattern(1);
  Buffer buf = before;
  ContestHeader header(buf);

  header.SetName(std::string(25, 'N') + "OVERFLOW");
  EXPECT_EQ(buf[24], 25);
  EXPECT_EQ(header.name(), std::string(25, 'N'));
  EXPECT_EQ(buf[50], before[50]) << "locator length byte overwritten";

  header.SetDok("N01");
  EXPECT_EQ(header.dok(), "N01");
  for (std::size_t i = 61; i < 66; ++i) EXPECT_EQ(buf[i], before[i]) << "byte " << i;

  header.SetLdk("LDKX");
  EXPECT_EQ(header.ldk(), "LDK");
  EXPECT_EQ(buf[374], before[374]) << "manualDateFlags overwritten";

  header.SetOwnCall("");
  EXPECT_EQ(buf[166], 0);
  EXPECT_EQ(header.ownCall(), "");

  // A damaged length byte reads as the capacity, never past the field.
  buf[294] = 200;
  EXPECT_EQ(header.postcode().size(), 5u);
}

TEST(ContestHeaderTest, ManualDateFlagsSetAndClearSingleBits) {
  Buffer buf = Pattern(0);
  ContestHeader header(buf);
  header.SetManualDateFlags(0xF5);  // upper bits belong to nobody but survive
  EXPECT_TRUE(header.manualDateFlag(ManualDateField::kStartDate));
  EXPECT_FALSE(header.manualDateFlag(ManualDateField::kEndDate));
  EXPECT_TRUE(header.manualDateFlag(ManualDateField::kStartTime));
  EXPECT_FALSE(header.manualDateFlag(ManualDateField::kEndTime));

  header.SetManualDateFlag(ManualDateField::kEndTime, true);
  EXPECT_EQ(buf[374], 0xFD);
  header.SetManualDateFlag(ManualDateField::kStartDate, false);
  EXPECT_EQ(buf[374], 0xFC);
  header.SetManualDateFlag(ManualDateField::kEndDate, true);
  EXPECT_EQ(buf[374], 0xFE);
  header.SetManualDateFlag(ManualDateField::kStartTime, false);
  EXPECT_EQ(buf[374], 0xFA);
}

TEST(ContestHeaderTest, NewLogCarriesTheCreationBytesAndNothingElse) {
  Buffer buf = Pattern(0);
  ContestHeader header(buf);
  header.Clear();
  header.MarkCreated();
  for (std::size_t i = 0; i < buf.size(); ++i) {
    std::uint8_t expected = 0;
    if (i == 71 || i == 195) expected = 255;
    if (i == 72) expected = 1;
    if (i == 194) expected = 'D';
    EXPECT_EQ(buf[i], expected) << "byte " << i;
  }
  EXPECT_EQ(header.saveMark(), 'D');
}

TEST(ContestHeaderTest, SaveMarkWritesOnlyByte194) {
  const Buffer before = Pattern(1);
  Buffer buf = before;
  ContestHeader header(buf);
  header.MarkSaved();
  ExpectWritten(before, buf, 194, {'D'}, "save mark");
}

TEST(ContestHeaderTest, ViewOverABufferOfTheRecordLengthOnly) {
  std::vector<std::uint8_t> shorter(kContestHeaderSize - 1);
  std::vector<std::uint8_t> longer(kContestHeaderSize + 1);
  EXPECT_FALSE(ContestHeader::Over(shorter).has_value());
  EXPECT_FALSE(ContestHeader::Over(longer).has_value());

  std::vector<std::uint8_t> exact(kContestHeaderSize);
  auto header = ContestHeader::Over(exact);
  ASSERT_TRUE(header.has_value());
  header->SetContestNumber(42);
  EXPECT_EQ(exact[4], 42);
  // A copy of a view addresses the same bytes.
  ContestHeader copy = *header;
  copy.SetContestCode('3');
  EXPECT_EQ(header->contestCode(), '3');
}

}  // namespace
}  // namespace korv
