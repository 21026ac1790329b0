#include "logging/qso_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace korv {
namespace {

using Buffer = std::array<std::uint8_t, kQsoRecordSize>;
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

Encoded U16(std::uint16_t u) {
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8)};
}
Encoded U32(std::uint32_t u) {
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}
Encoded I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
Encoded F32(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return U32(bits);
}
Encoded Text(const std::string& s) {
  Encoded e(1 + s.size());
  e[0] = static_cast<std::uint8_t>(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) e[1 + i] = static_cast<std::uint8_t>(s[i]);
  return e;
}

// Expects buf to equal before except for the given writes.
struct Write {
  std::size_t offset;
  Encoded bytes;
};
void ExpectWritten(const Buffer& before, const Buffer& buf, const std::vector<Write>& writes,
                   const std::string& what) {
  for (std::size_t i = 0; i < buf.size(); ++i) {
    const std::uint8_t* expected = &before[i];
    for (const Write& w : writes) {
      if (i >= w.offset && i < w.offset + w.bytes.size()) expected = &w.bytes[i - w.offset];
    }
    EXPECT_EQ(buf[i], *expected) << what << ": byte " << i;
  }
}

struct FieldCase {
  std::string field;
  std::vector<Write> writes;  // every byte the setter must write
  std::function<void(QsoRecord&)> write;
  std::function<bool(const QsoRecord&)> readsBack;
};

const std::string kNameQth30 = "Hans-J\xFCrgen;Gro\xDF Ostheim a. M.";  // 30 bytes

std::vector<FieldCase> Fields() {
  return {
      {"deleteMark", {{0, I32(0x01020304)}}, [](QsoRecord& q) { q.SetDeleteMark(0x01020304); },
       [](const QsoRecord& q) { return q.deleteMark() == 0x01020304; }},
      {"recordNo", {{4, U32(0xF1223344u)}}, [](QsoRecord& q) { q.SetRecordNo(0xF1223344u); },
       [](const QsoRecord& q) { return q.recordNo() == 0xF1223344u; }},
      {"call", {{8, Text("DL1ABC/P0123")}}, [](QsoRecord& q) { q.SetCall("DL1ABC/P0123"); },
       [](const QsoRecord& q) { return q.call() == "DL1ABC/P0123"; }},
      {"rxLocator", {{21, Text("JO31MM")}}, [](QsoRecord& q) { q.SetRxLocator("JO31MM"); },
       [](const QsoRecord& q) { return q.rxLocator() == "JO31MM"; }},
      {"qsoDate", {{28, I32(-1)}}, [](QsoRecord& q) { q.SetQsoDate(-1); },
       [](const QsoRecord& q) { return q.qsoDate() == -1; }},
      {"qsoTime", {{32, I32(86399)}}, [](QsoRecord& q) { q.SetQsoTime(86399); },
       [](const QsoRecord& q) { return q.qsoTime() == 86399; }},
      {"mode", {{36, Text("DIGITA")}}, [](QsoRecord& q) { q.SetMode("DIGITA"); },
       [](const QsoRecord& q) { return q.mode() == "DIGITA"; }},
      {"multi2", {{59, Text("M2abcd")}}, [](QsoRecord& q) { q.SetMulti2("M2abcd"); },
       [](const QsoRecord& q) { return q.multi2() == "M2abcd"; }},
      {"distanceKm", {{66, U32(0x80001234u)}}, [](QsoRecord& q) { q.SetDistanceKm(0x80001234u); },
       [](const QsoRecord& q) { return q.distanceKm() == 0x80001234u; }},
      {"altPrefix", {{70, Text("ALTPFX")}}, [](QsoRecord& q) { q.SetAltPrefix("ALTPFX"); },
       [](const QsoRecord& q) { return q.altPrefix() == "ALTPFX"; }},
      {"prefix", {{77, Text("PREFIX")}}, [](QsoRecord& q) { q.SetPrefix("PREFIX"); },
       [](const QsoRecord& q) { return q.prefix() == "PREFIX"; }},
      {"nameQth", {{84, Text(kNameQth30)}}, [](QsoRecord& q) { q.SetNameQth(kNameQth30); },
       [](const QsoRecord& q) { return q.nameQth() == kNameQth30; }},
      {"marked", {{115, {1}}}, [](QsoRecord& q) { q.SetMarked(1); },
       [](const QsoRecord& q) { return q.marked() == 1; }},
      {"areaCode", {{116, Text("NY")}}, [](QsoRecord& q) { q.SetAreaCode("NY"); },
       [](const QsoRecord& q) { return q.areaCode() == "NY"; }},
      {"continent", {{122, Text("EU")}}, [](QsoRecord& q) { q.SetContinent("EU"); },
       [](const QsoRecord& q) { return q.continent() == "EU"; }},
      {"band", {{132, {'c'}}}, [](QsoRecord& q) { q.SetBand('c'); },
       [](const QsoRecord& q) { return q.band() == 'c'; }},
      {"bandNo", {{133, I32(0x0A0B0C0D)}}, [](QsoRecord& q) { q.SetBandNo(0x0A0B0C0D); },
       [](const QsoRecord& q) { return q.bandNo() == 0x0A0B0C0D; }},
      {"points", {{137, U16(0xBEEF)}}, [](QsoRecord& q) { q.SetPoints(0xBEEF); },
       [](const QsoRecord& q) { return q.points() == 0xBEEF; }},
      {"qslRcvd", {{139, {'J'}}}, [](QsoRecord& q) { q.SetQslRcvd('J'); },
       [](const QsoRecord& q) { return q.qslRcvd() == 'J'; }},
      {"multi3", {{140, Text("DK0XYZ/MM123")}}, [](QsoRecord& q) { q.SetMulti3("DK0XYZ/MM123"); },
       [](const QsoRecord& q) { return q.multi3() == "DK0XYZ/MM123" && q.call2() == q.multi3(); }},
      {"multi1", {{153, Text("M1wxyz")}}, [](QsoRecord& q) { q.SetMulti1("M1wxyz"); },
       [](const QsoRecord& q) { return q.multi1() == "M1wxyz"; }},
      {"bandNo2", {{160, I32(-5)}}, [](QsoRecord& q) { q.SetBandNo2(-5); },
       [](const QsoRecord& q) { return q.bandNo2() == -5; }},
      {"dxccFixed", {{164, {0xFF}}}, [](QsoRecord& q) { q.SetDxccFixed(0xFF); },
       [](const QsoRecord& q) { return q.dxccFixed() == 0xFF; }},
      {"qsyBand", {{165, {'e'}}}, [](QsoRecord& q) { q.SetQsyBand('e'); },
       [](const QsoRecord& q) { return q.qsyBand() == 'e'; }},
      {"serialNo", {{166, I32(0x01000007)}}, [](QsoRecord& q) { q.SetSerialNo(0x01000007); },
       [](const QsoRecord& q) { return q.serialNo() == 0x01000007; }},
      {"prefixFlag", {{172, {7}}}, [](QsoRecord& q) { q.SetPrefixFlag(7); },
       [](const QsoRecord& q) { return q.prefixFlag() == 7; }},
      {"qslSend", {{193, {'Y'}}}, [](QsoRecord& q) { q.SetQslSend('Y'); },
       [](const QsoRecord& q) { return q.qslSend() == 'Y'; }},
      {"frequency", {{203, F32(144.3005f)}}, [](QsoRecord& q) { q.SetFrequency(144.3005f); },
       [](const QsoRecord& q) { return q.frequency() == 144.3005f; }},
      {"modeNo", {{213, U16(0xFEDC)}}, [](QsoRecord& q) { q.SetModeNo(0xFEDC); },
       [](const QsoRecord& q) { return q.modeNo() == 0xFEDC; }},
      // Split texts: every piece at its own place.
      {"dok", {{125, Text("ABCDEF")}, {194, Text("GH")}},
       [](QsoRecord& q) { q.SetDok("ABCDEFGH"); },
       [](const QsoRecord& q) { return q.dok() == "ABCDEFGH"; }},
      {"sentExch",
       {{173, Text("123456789")}, {200, Text("ab")}, {210, Text("cd")}, {43, Text("efghijk")}},
       [](QsoRecord& q) { q.SetSentExch("123456789abcdefghijk"); },
       [](const QsoRecord& q) { return q.sentExch() == "123456789abcdefghijk"; }},
      {"rcvdExch",
       {{183, Text("987654321")}, {197, Text("AB")}, {207, Text("CD")}, {51, Text("EFGHIJK")}},
       [](QsoRecord& q) { q.SetRcvdExch("987654321ABCDEFGHIJK"); },
       [](const QsoRecord& q) { return q.rcvdExch() == "987654321ABCDEFGHIJK"; }},
  };
}

// Each setter writes exactly its field's bytes (so reserved and unnamed bytes
// 119-121, 170, 171 and 215 are preserved) and its getter reads them back.
TEST(QsoRecordTest, EveryFieldAtItsOffsetAndNothingElse) {
  for (const FieldCase& c : Fields()) {
    for (int which = 0; which < 2; ++which) {
      const Buffer before = Pattern(which);
      Buffer buf = before;
      QsoRecord q(buf);
      c.write(q);
      ExpectWritten(before, buf, c.writes, c.field);
      EXPECT_TRUE(c.readsBack(q)) << c.field;
    }
  }
}

// Texts longer than their place are cut; the bytes after the place stay.
TEST(QsoRecordTest, TextsAreCutToCapacity) {
  struct CutCase {
    std::string field;
    std::vector<Write> writes;
    std::function<void(QsoRecord&)> write;
    std::function<bool(const QsoRecord&)> readsBack;
  };
  const std::vector<CutCase> cases = {
      {"call", {{8, Text("DL1ABC/P0123")}}, [](QsoRecord& q) { q.SetCall("DL1ABC/P0123X"); },
       [](const QsoRecord& q) { return q.call() == "DL1ABC/P0123"; }},
      {"nameQth", {{84, Text(kNameQth30)}}, [](QsoRecord& q) { q.SetNameQth(kNameQth30 + "!!"); },
       [](const QsoRecord& q) { return q.nameQth() == kNameQth30; }},
      {"areaCode", {{116, Text("NY")}}, [](QsoRecord& q) { q.SetAreaCode("NYC"); },
       [](const QsoRecord& q) { return q.areaCode() == "NY"; }},
      {"dok of 9", {{125, Text("ABCDEF")}, {194, Text("GH")}},
       [](QsoRecord& q) { q.SetDok("ABCDEFGHI"); },
       [](const QsoRecord& q) { return q.dok() == "ABCDEFGH"; }},
      {"sent exchange of 23",
       {{173, Text("599 001/N")}, {200, Text("05")}, {210, Text("/J")}, {43, Text("O31MMXY")}},
       [](QsoRecord& q) { q.SetSentExch("599 001/N05/JO31MMXYZ12"); },
       [](const QsoRecord& q) { return q.sentExch() == "599 001/N05/JO31MMXY"; }},
      {"sent exchange built longer than 20",
       {{173, Text("59 123456")}, {200, Text("7/")}, {210, Text("AB")}, {43, Text("CDEF/LO")}},
       [](QsoRecord& q) { q.SetSentExchange({"59", "1234567", "ABCDEF", "LONGFIELD"}); },
       [](const QsoRecord& q) {
         return q.SentExchange() == Exchange{"59 ", "1234567", "ABCDEF", "LO"};
       }},
  };
  for (const CutCase& c : cases) {
    const Buffer before = Pattern(0);
    Buffer buf = before;
    QsoRecord q(buf);
    c.write(q);
    ExpectWritten(before, buf, c.writes, c.field);
    EXPECT_TRUE(c.readsBack(q)) << c.field;
  }
}

// Short texts leave the unused pieces empty, and overwrite older longer
// contents completely.
TEST(QsoRecordTest, ShortSplitTextsEmptyTheirLaterPieces) {
  Buffer buf = Pattern(1);
  QsoRecord q(buf);
  q.SetDok("ABCDEFGH");
  q.SetRcvdExch("987654321ABCDEFGHIJK");
  q.SetDok("B01");
  q.SetRcvdExch("59 001");
  EXPECT_EQ(q.dok(), "B01");
  EXPECT_EQ(buf[194], 0);
  EXPECT_EQ(q.rcvdExch(), "59 001");
  EXPECT_EQ(buf[197], 0);
  EXPECT_EQ(buf[207], 0);
  EXPECT_EQ(buf[51], 0);
  EXPECT_EQ(q.ReceivedExchange(), (Exchange{"59 ", "001", "", ""}));
}

struct ExchangeCase {
  Exchange fields;
  std::string text;      // the ExchangeString
  Exchange readBack;     // what splitting the text gives
};

TEST(ExchangeStringTest, BuildAndSplit) {
  const std::vector<ExchangeCase> cases = {
      {{"59", "001", "N05", ""}, "59 001/N05", {"59 ", "001", "N05", ""}},
      {{"59", "001", "", "X"}, "59 001//X", {"59 ", "001", "", "X"}},
      {{"599", "", "", ""}, "599", {"599", "", "", ""}},
      {{"5999", "12", "", ""}, "59912", {"599", "12", "", ""}},
      {{"", "", "", ""}, "   ", {"   ", "", "", ""}},
      {{"57", "", "JO31", "B01"}, "57 /JO31/B01", {"57 ", "", "JO31", "B01"}},
      {{"59", "7", "a/b", ""}, "59 7/a/b", {"59 ", "7", "a", "b"}},  // "/" inside a field
      {{"59", "1", "2", "3/4"}, "59 1/2/3/4", {"59 ", "1", "2", "3/4"}},
  };
  for (const ExchangeCase& c : cases) {
    EXPECT_EQ(BuildExchangeString(c.fields), c.text) << c.text;
    EXPECT_EQ(SplitExchangeString(c.text), c.readBack) << c.text;
  }
  EXPECT_EQ(SplitExchangeString("5"), (Exchange{"5", "", "", ""}));
}

// Both directions go through the record: field 3 empty with field 4 set.
TEST(QsoRecordTest, ExchangeWithEmptyField3SurvivesTheRecord) {
  Buffer buf = Pattern(0);
  QsoRecord q(buf);
  q.SetSentExchange({"59", "001", "", "X"});
  q.SetReceivedExchange({"579", "123", "JO31MM", "B01"});
  EXPECT_EQ(q.sentExch(), "59 001//X");
  EXPECT_EQ(q.SentExchange(), (Exchange{"59 ", "001", "", "X"}));
  EXPECT_EQ(q.rcvdExch(), "579123/JO31MM/B01");
  EXPECT_EQ(q.ReceivedExchange(), (Exchange{"579", "123", "JO31MM", "B01"}));
}

TEST(QsoRecordTest, DokOfEightSurvives) {
  Buffer buf = Pattern(1);
  QsoRecord q(buf);
  q.SetDok("Z12-ABCD");
  EXPECT_EQ(q.dok(), "Z12-ABCD");
}

// Damaged length bytes never give more than the joined capacity.
TEST(QsoRecordTest, DamagedPieceLengthsAreClamped) {
  Buffer buf = Pattern(0);
  QsoRecord q(buf);
  buf[125] = 200;
  buf[194] = 200;
  buf[173] = 200;
  buf[200] = 200;
  buf[210] = 200;
  buf[43] = 200;
  EXPECT_EQ(q.dok().size(), kDokLength);
  EXPECT_EQ(q.sentExch().size(), kExchangeStringLength);
}

TEST(QsoRecordTest, QsyMarker) {
  struct Case {
    char qsyBand;
    bool marker;
  };
  for (const Case& c : {Case{'\0', false}, Case{' ', false}, Case{'c', true}, Case{'a', true}}) {
    Buffer buf{};
    QsoRecord q(buf);
    q.SetQsyBand(c.qsyBand);
    EXPECT_EQ(q.IsQsyMarker(), c.marker) << static_cast<int>(c.qsyBand);
  }
}

// Clearing a marker line empties exactly its listed fields' length bytes.
TEST(QsoRecordTest, ClearQsyMarkerFieldsTouchesOnlyThoseFields) {
  const Buffer before = Pattern(1);
  Buffer buf = before;
  QsoRecord q(buf);
  q.ClearQsyMarkerFields();
  ExpectWritten(before, buf,
                {{77, {0}}, {122, {0}}, {70, {0}}, {125, {0}}, {194, {0}}, {21, {0}}, {140, {0}},
                 {116, {0}}},
                "ClearQsyMarkerFields");
  EXPECT_EQ(q.dok(), "");
  EXPECT_EQ(q.prefix(), "");
}

TEST(QsoRecordTest, OverNeedsExactSizeAndClearZeroes) {
  std::vector<std::uint8_t> shortBuf(kQsoRecordSize - 1, 0xAA);
  std::vector<std::uint8_t> longBuf(kQsoRecordSize + 1, 0xAA);
  std::vector<std::uint8_t> exact(kQsoRecordSize, 0xAA);
  EXPECT_FALSE(QsoRecord::Over(shortBuf).has_value());
  EXPECT_FALSE(QsoRecord::Over(longBuf).has_value());
  auto q = QsoRecord::Over(exact);
  ASSERT_TRUE(q.has_value());
  q->Clear();
  for (std::size_t i = 0; i < exact.size(); ++i) EXPECT_EQ(exact[i], 0) << i;
}

}  // namespace
}  // namespace korv
