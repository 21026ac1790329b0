// The prefix record's fields at their offsets and the exact key of every
// index, as the sibling programs of the suite build them.
#include "refdata/prefix_record.h"

#include <gtest/gtest.h>

#include <string>

#include "common/coding.h"

namespace korv {
namespace {

std::string Key(const PrefixRecord& rec, int index) {
  KeyString key;
  BuildPrefixKey(rec.span(), index, key);
  return key.str();
}

PrefixRecord KnownRecord() {
  PrefixRecord r;
  r.SetPrefix("DL");
  r.SetDxccPrefix("DA");
  r.SetQualifier("1");
  r.SetCqZone("14");
  r.SetItuZone("28");
  r.SetContinent("EU");
  r.SetCountry(
      "R\xE9p. f\xE9"
      "d\xE9rale \xE4\xF6\xFC");  // "Rép. fédérale äöü"
  r.SetCountryCode("DEU");
  r.SetFirstPeriodPrefix("Y2ABCDEFGH");
  r.SetReferencePrefix("REFERENCEPREFIX");
  r.SetAltDxccPrefix("DL-ALT");
  r.SetEntityNumber(230);
  r.SetKind('*');
  return r;
}

TEST(PrefixRecordTest, KeysOfEveryIndex) {
  const PrefixRecord rec = KnownRecord();
  const auto l = EncodeLongKey(230);
  const std::string cases[] = {
      "",
      "DL    ",
      "DA    DL    ",
      "DL    1  ",
      "14DL    ",
      "28DL    ",
      "EUDL    ",
      std::string("R\xC9P. F\xC9"
                  "D\xC9RALE \xC4\xD6\xDC") +
          std::string(13, ' ') + "DL    ",
      "DEU     DL    ",
      "DL-ALT",
      "2DL    ",
      "REFERE",
      "Y2ABCD",
      std::string(l.begin(), l.end()),
      "*DL    ",
  };
  for (int index = 1; index <= 14; ++index) EXPECT_EQ(Key(rec, index), cases[index]) << index;
  EXPECT_EQ(Key(rec, 0), "");
  EXPECT_EQ(Key(rec, 15), "");
}

TEST(PrefixRecordTest, KindOfIndex10) {
  const struct {
    char kind;
    char key;
  } cases[] = {{'*', '2'}, {'J', '1'}, {'K', '1'},  {'Z', '1'}, {'I', '0'},
               {'A', '0'}, {' ', '0'}, {'\0', '0'}, {'j', '0'}};
  for (const auto& c : cases) {
    PrefixRecord rec;
    rec.SetPrefix("K");
    rec.SetKind(c.kind);
    EXPECT_EQ(Key(rec, 10), std::string(1, c.key) + "K     ") << int(c.kind);
  }
}

TEST(PrefixRecordTest, KeysFitTheDeclaredLengths) {
  // Every field filled to its capacity: no key may outgrow its index.
  PrefixRecord rec;
  rec.SetPrefix("ABCDEF");
  rec.SetDxccPrefix("ABCDEF");
  rec.SetQualifier("ABC");
  rec.SetCqZone("40");
  rec.SetItuZone("90");
  rec.SetContinent("OC");
  rec.SetCountry(std::string(30, 'X'));
  rec.SetCountryCode(std::string(8, 'C'));
  rec.SetFirstPeriodPrefix(std::string(10, 'P'));
  rec.SetReferencePrefix(std::string(50, 'R'));
  rec.SetAltDxccPrefix("ALTALT");
  rec.SetEntityNumber(65535);
  rec.SetKind('*');
  const auto check = [&](std::span<const IndexDef> defs, int count) {
    ASSERT_EQ(static_cast<int>(defs.size()), count);
    for (int i = 1; i <= count; ++i) {
      EXPECT_GE(defs[i - 1].keyLen, static_cast<int>(Key(rec, i).size())) << i;
    }
  };
  check(PrefixFileIndexes(), kPrefixFileIndexCount);
  check(ExceptionFileIndexes(), kExceptionFileIndexCount);
  // Only the exception files keep one entry per call.
  EXPECT_TRUE(PrefixFileIndexes()[0].allowDups);
  EXPECT_FALSE(ExceptionFileIndexes()[0].allowDups);
}

TEST(PrefixRecordTest, FieldsOutsideTheKeysSitAtTheirOffsets) {
  PrefixRecord rec;
  rec.bytes().fill(0xAA);
  rec.SetValidFrom(0x01020304);
  rec.SetValidUntil(0x05060708);
  rec.SetFirstPeriodDate(0x0A0B0C0D);
  rec.SetRangeEnd('R');
  rec.SetSecondPeriodDate(0x11121314);
  rec.SetSecondPeriodPrefix("YU");
  rec.SetCallBeginningMark('J');
  const auto& b = rec.bytes();
  EXPECT_EQ(GetI32(rec.span(), 80), 0x01020304);
  EXPECT_EQ(b[80], 0x04);
  EXPECT_EQ(GetI32(rec.span(), 84), 0x05060708);
  EXPECT_EQ(GetI32(rec.span(), 88), 0x0A0B0C0D);
  EXPECT_EQ(b[107], 'R');
  EXPECT_EQ(GetI32(rec.span(), 161), 0x11121314);
  EXPECT_EQ(b[165], 2);
  EXPECT_EQ(b[166], 'Y');
  EXPECT_EQ(b[167], 'U');
  EXPECT_EQ(b[180], 'J');
  EXPECT_TRUE(rec.IsCallBeginning());
  // The unused ranges keep what they held.
  for (int i : {71, 79, 92, 95}) EXPECT_EQ(b[i], 0xAA) << i;
}

TEST(PrefixRecordTest, TextsAreCutAndShortSpansReadAsZero) {
  PrefixRecord rec;
  rec.SetPrefix("ABCDEFGH");
  EXPECT_EQ(rec.prefix(), "ABCDEF");
  EXPECT_EQ(rec.bytes()[4], 6);
  EXPECT_EQ(rec.dxccPrefix(), "");  // the next field was not touched

  // A damaged length byte reads as the capacity.
  rec.bytes()[11] = 200;
  EXPECT_EQ(rec.dxccPrefix().size(), 6u);

  std::vector<std::uint8_t> shortRecord(10, 0x55);
  const PrefixRecord copy = PrefixRecord::From(shortRecord);
  EXPECT_EQ(copy.bytes()[9], 0x55);
  EXPECT_EQ(copy.bytes()[10], 0);
  EXPECT_EQ(copy.bytes()[180], 0);
}

}  // namespace
}  // namespace korv
