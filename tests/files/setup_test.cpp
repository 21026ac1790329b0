// The setup records: every field at its offset, the rules of reading and
// writing back, the round trip through the files that keeps every unknown
// byte, the first start, the address, and the profile choice.
#include "files/file_keys.h"
#include "files/setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "files_fixture.h"

namespace korv::testing {
namespace {

const DayNumber kToday = DayNumberFromCivil({2009, 6, 15});

using Record = std::vector<std::uint8_t>;

// Offsets where two records differ, for readable failures.
std::string Differences(const Record& actual, const Record& expected) {
  if (actual.size() != expected.size()) {
    return "sizes " + std::to_string(actual.size()) + " / " + std::to_string(expected.size());
  }
  std::string out;
  int shown = 0;
  for (std::size_t i = 0; i < actual.size() && shown < 20; ++i) {
    if (actual[i] != expected[i]) {
      out += std::to_string(i) + ": " + std::to_string(actual[i]) + " expected " +
             std::to_string(expected[i]) + "\n";
      ++shown;
    }
  }
  return out;
}

// Every text of the KVSETUP record this program reads and writes, with the
// member of the settings that holds it.
struct TextField {
  std::size_t offset;
  std::size_t capacity;
  std::function<std::string&(ProgramSettings&)> member;
};
const std::vector<TextField>& TextFields() {
  static const std::vector<TextField> fields = {
      {3400, 14, [](ProgramSettings& s) -> std::string& { return s.own.call; }},
      {3171, 20, [](ProgramSettings& s) -> std::string& { return s.own.swlNumber; }},
      {1776, 6, [](ProgramSettings& s) -> std::string& { return s.own.locator; }},
      {2103, 50, [](ProgramSettings& s) -> std::string& { return s.own.name; }},
      {2154, 50, [](ProgramSettings& s) -> std::string& { return s.own.street; }},
      {2256, 50, [](ProgramSettings& s) -> std::string& { return s.own.country; }},
      {2307, 10, [](ProgramSettings& s) -> std::string& { return s.own.dok; }},
      {2318, 6, [](ProgramSettings& s) -> std::string& { return s.own.labelLocator; }},
      {2325, 2, [](ProgramSettings& s) -> std::string& { return s.own.waz; }},
      {2328, 2, [](ProgramSettings& s) -> std::string& { return s.own.itu; }},
      {2331, 50, [](ProgramSettings& s) -> std::string& { return s.own.email; }},
      {2382, 100, [](ProgramSettings& s) -> std::string& { return s.own.web; }},
      {2483, 14, [](ProgramSettings& s) -> std::string& { return s.own.qslManager; }},
      {2498, 14, [](ProgramSettings& s) -> std::string& { return s.own.formerCalls[0]; }},
      {2513, 14, [](ProgramSettings& s) -> std::string& { return s.own.formerCalls[1]; }},
      {2528, 14, [](ProgramSettings& s) -> std::string& { return s.own.formerCalls[2]; }},
      {2543, 14, [](ProgramSettings& s) -> std::string& { return s.own.formerCalls[3]; }},
      {2558, 20, [](ProgramSettings& s) -> std::string& { return s.own.memberships[0]; }},
      {2579, 20, [](ProgramSettings& s) -> std::string& { return s.own.memberships[1]; }},
      {2600, 20, [](ProgramSettings& s) -> std::string& { return s.own.memberships[2]; }},
      {2621, 20, [](ProgramSettings& s) -> std::string& { return s.own.memberships[3]; }},
      {2642, 20, [](ProgramSettings& s) -> std::string& { return s.own.memberships[4]; }},
      {2663, 25, [](ProgramSettings& s) -> std::string& { return s.own.stationLines[0]; }},
      {2689, 25, [](ProgramSettings& s) -> std::string& { return s.own.stationLines[1]; }},
      {2715, 25, [](ProgramSettings& s) -> std::string& { return s.own.stationLines[2]; }},
      {1800, 255, [](ProgramSettings& s) -> std::string& { return s.suite.texts[0]; }},
      {2753, 200, [](ProgramSettings& s) -> std::string& { return s.suite.texts[1]; }},
      {2954, 200, [](ProgramSettings& s) -> std::string& { return s.suite.texts[2]; }},
      {3198, 200, [](ProgramSettings& s) -> std::string& { return s.suite.texts[3]; }},
  };
  return fields;
}

// A text that tells the fields apart: the offset's last digits, then
// letters up to the capacity.
std::string TextFor(std::size_t offset, std::size_t capacity, char fill) {
  std::string text = std::to_string(offset) + std::string(capacity, fill);
  return capacity < 4 ? text.substr(4 - capacity, capacity) : text.substr(0, capacity);
}

// Numbers: how the settings hold them and how many bytes they take.
struct NumberField {
  const char* name;
  std::size_t offset;
  int bytes;  // 1 or 4
  bool written;
  std::function<std::int64_t(const ProgramSettings&)> get;
  std::function<void(ProgramSettings&, std::int64_t)> set;
};
NumberField Flag(std::size_t offset) {
  return {"suite flag",
          offset,
          1,
          true,
          [offset](const ProgramSettings& s) -> std::int64_t { return s.suite.Flag(offset); },
          [offset](ProgramSettings& s, std::int64_t v) {
            ASSERT_TRUE(s.suite.SetFlag(offset, static_cast<std::uint8_t>(v)));
          }};
}
NumberField SuiteValue(std::size_t i, std::size_t offset) {
  return {"suite value",
          offset,
          4,
          true,
          [i](const ProgramSettings& s) -> std::int64_t { return s.suite.values[i]; },
          [i](ProgramSettings& s, std::int64_t v) { s.suite.values[i] = std::int32_t(v); }};
}
NumberField TableValue(std::size_t t, std::size_t i, std::size_t offset) {
  return {"suite table",
          offset,
          4,
          true,
          [t, i](const ProgramSettings& s) -> std::int64_t { return s.suite.tables[t][i]; },
          [t, i](ProgramSettings& s, std::int64_t v) { s.suite.tables[t][i] = std::int32_t(v); }};
}
const std::vector<NumberField>& NumberFields() {
  static const std::vector<NumberField> fields = {
      {"profile", 786, 4, false,
       [](const ProgramSettings& s) -> std::int64_t { return s.profileNumber; },
       [](ProgramSettings& s, std::int64_t v) { s.profileNumber = std::int32_t(v); }},
      {"qsl option", 790, 1, true,
       [](const ProgramSettings& s) -> std::int64_t { return s.qslOption; },
       [](ProgramSettings& s, std::int64_t v) { s.qslOption = std::uint8_t(v); }},
      {"utc offset", 1795, 4, true,
       [](const ProgramSettings& s) -> std::int64_t { return s.utcOffsetHours; },
       [](ProgramSettings& s, std::int64_t v) { s.utcOffsetHours = std::int32_t(v); }},
      {"2749", 2749, 1, false, [](const ProgramSettings& s) -> std::int64_t { return s.byte2749; },
       [](ProgramSettings& s, std::int64_t v) { s.byte2749 = std::uint8_t(v); }},
      {"2750", 2750, 1, false, [](const ProgramSettings& s) -> std::int64_t { return s.byte2750; },
       [](ProgramSettings& s, std::int64_t v) { s.byte2750 = std::uint8_t(v); }},
      {"qsl width", 2752, 1, true,
       [](const ProgramSettings& s) -> std::int64_t { return s.qslFieldWidth; },
       [](ProgramSettings& s, std::int64_t v) { s.qslFieldWidth = std::uint8_t(v); }},
      Flag(1775),
      Flag(1783),
      Flag(1794),
      Flag(2751),
      Flag(3155),
      Flag(3156),
      Flag(3163),
      Flag(3166),
      Flag(3169),
      Flag(3170),
      Flag(3196),
      Flag(3197),
      Flag(3399),
      Flag(3483),
      Flag(3484),
      Flag(3485),
      SuiteValue(0, 1431),
      SuiteValue(1, 1435),
      SuiteValue(2, 1439),
      SuiteValue(3, 3192),
      SuiteValue(4, 3468),
      SuiteValue(5, 3472),
      SuiteValue(6, 3479),
      TableValue(0, 0, 791),
      TableValue(0, 79, 1107),
      TableValue(1, 0, 1111),
      TableValue(1, 79, 1427),
      TableValue(2, 0, 1443),
      TableValue(2, 79, 1759),
  };
  return fields;
}

std::int64_t ReadNumber(const Record& rec, const NumberField& f) {
  return f.bytes == 1 ? GetU8(rec, f.offset) : GetI32(rec, f.offset);
}
void PutNumber(Record& rec, const NumberField& f, std::int64_t v) {
  if (f.bytes == 1) {
    PutU8(rec, f.offset, static_cast<std::uint8_t>(v));
  } else {
    PutI32(rec, f.offset, static_cast<std::int32_t>(v));
  }
}
std::int64_t ValueFor(const NumberField& f, int variant) {
  return f.bytes == 1 ? std::int64_t((f.offset * 7 + variant) % 200 + 1)
                      : -std::int64_t(f.offset) * 1000 - variant;
}

TEST(SetupRecord, ReadsEveryFieldAtItsOffset) {
  Record rec(kSetupRecLen, 0);
  for (const TextField& f : TextFields())
    PutShortText(rec, f.offset, f.capacity, TextFor(f.offset, f.capacity, 'r'));
  for (const NumberField& f : NumberFields()) PutNumber(rec, f, ValueFor(f, 0));
  PutShortText(rec, 2205, 50, "12345 Bad Homburg");

  ProgramSettings s;
  ReadSetupRecord(rec, kToday, s);
  for (const TextField& f : TextFields()) {
    EXPECT_EQ(f.member(s), TextFor(f.offset, f.capacity, 'r')) << "text at " << f.offset;
  }
  for (const NumberField& f : NumberFields()) {
    EXPECT_EQ(f.get(s), ValueFor(f, 0)) << f.name << " at " << f.offset;
  }
  EXPECT_EQ(s.own.postcode, "12345");
  EXPECT_EQ(s.own.town, "Bad Homburg");
  EXPECT_EQ(ReadOwnStationFields(rec), s.own);
}

TEST(SetupRecord, WritesEveryListedFieldAtItsOffset) {
  ProgramSettings s;
  for (const TextField& f : TextFields()) f.member(s) = TextFor(f.offset, f.capacity, 'w');
  for (const NumberField& f : NumberFields()) f.set(s, ValueFor(f, 1));
  s.own.postcode = "12345";
  s.own.town = "Musterstadt";

  Record rec(kSetupRecLen, 0);
  WriteSetupRecord(s, kToday, rec);
  for (const TextField& f : TextFields()) {
    EXPECT_EQ(GetShortText(rec, f.offset, f.capacity), TextFor(f.offset, f.capacity, 'w'))
        << "text at " << f.offset;
  }
  for (const NumberField& f : NumberFields()) {
    EXPECT_EQ(ReadNumber(rec, f), f.written ? ValueFor(f, 1) : 0) << f.name << " at " << f.offset;
  }
  EXPECT_EQ(GetShortText(rec, 2205, 50), "12345 Musterstadt");
  EXPECT_EQ(GetI32(rec, 3416), kToday);
  // The suffix table is the program's copy; the record's stays as it is.
  for (std::size_t i = 723; i < 786; ++i) EXPECT_EQ(rec[i], 0) << i;
}

TEST(SetupRecord, TextsLongerThanTheirFieldAreCut) {
  Record rec(kSetupRecLen, 'A');
  PutU8(rec, 3400, 30);   // own call, 14
  PutU8(rec, 2103, 255);  // name, 50
  PutU8(rec, 2325, 3);    // WAZ, 2
  PutU8(rec, 2205, 200);  // postcode and town, 50
  ProgramSettings s;
  ReadSetupRecord(rec, kToday, s);
  EXPECT_EQ(s.own.call, std::string(14, 'A'));
  EXPECT_EQ(s.own.name, std::string(50, 'A'));
  EXPECT_EQ(s.own.waz, "AA");
  EXPECT_EQ(s.own.postcode, std::string(50, 'A'));
  EXPECT_EQ(s.own.town, "");
}

TEST(SetupRecord, PostcodeAndTownShareOneFieldSplitAtTheFirstBlank) {
  struct Case {
    const char* stored;
    const char* postcode;
    const char* town;
  };
  const Case cases[] = {
      {"12345 Musterstadt", "12345", "Musterstadt"},
      {"12345 Bad Homburg", "12345", "Bad Homburg"},
      {"12345", "12345", ""},
      {" Berlin", "", "Berlin"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    std::string postcode = "x", town = "y";
    SplitPostcodeTown(c.stored, postcode, town);
    EXPECT_EQ(postcode, c.postcode);
    EXPECT_EQ(town, c.town);
    EXPECT_EQ(JoinPostcodeTown(postcode, town), c.stored);
  }
}

TEST(SetupRecord, ColoursReplaceTheBuiltInOnesOnlyWhenOneOfTheFirstFiveIsSet) {
  struct Case {
    const char* what;
    std::array<std::uint32_t, 7> stored;  // 703, 707, 711, 715, 719, 2741, 2745
    SetupColours expected;
  };
  const SetupColours builtIn = BuiltInColours();
  const Case cases[] = {
      {"all zero", {0, 0, 0, 0, 0, 0, 0}, builtIn},
      {"only the two further ones", {0, 0, 0, 0, 0, 0x123, 0x456}, builtIn},
      {"only the replaced value", {0, 0, 0, 0, 0, 47029895, 0}, builtIn},
      {"the fifth set takes all seven", {0, 0, 0, 0, 5, 0, 7}, {0, 0, 0, 0, 5, 0, 7}},
      {"replaced value in the two further ones",
       {1, 2, 3, 4, 5, 47029895, 47029895},
       {1, 2, 3, 4, 5, 47161215, 47161215}},
      {"the first five are taken as they are",
       {47029895, 2, 3, 4, 5, 6, 7},
       {47029895, 2, 3, 4, 5, 6, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Record rec(kSetupRecLen, 0);
    for (std::size_t i = 0; i < 5; ++i) PutU32(rec, 703 + 4 * i, c.stored[i]);
    PutU32(rec, 2741, c.stored[5]);
    PutU32(rec, 2745, c.stored[6]);
    ProgramSettings s;
    s.colours = {9, 9, 9, 9, 9, 9, 9};
    ReadSetupRecord(rec, kToday, s);
    EXPECT_EQ(s.colours, c.expected);

    // Written back as read: a default or a replacement stays.
    Record out(kSetupRecLen, 0);
    WriteSetupRecord(s, kToday, out);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(GetU32(out, 703 + 4 * i), c.expected[i]);
    EXPECT_EQ(GetU32(out, 2741), c.expected[5]);
    EXPECT_EQ(GetU32(out, 2745), c.expected[6]);
  }
  EXPECT_EQ(RgbFromStoredColour(0x02CF9F7F), 0x7F9FCFu);
}

TEST(SetupRecord, DefaultsForWidthAndDayByte) {
  struct Case {
    std::uint8_t width;
    DayNumber stamp;
    std::uint8_t dayByte;
    std::uint8_t expectedWidth;
    std::uint8_t expectedDayByte;
  };
  const Case cases[] = {
      {0, kToday, 17, 4, 17},
      {9, kToday - 1, 17, 9, 255},
      {1, 0, 0, 1, 255},
      {255, kToday, 0, 255, 0},
  };
  for (const Case& c : cases) {
    Record rec(kSetupRecLen, 0);
    PutU8(rec, 2752, c.width);
    PutI32(rec, 3416, c.stamp);
    PutU8(rec, 3415, c.dayByte);
    ProgramSettings s;
    ReadSetupRecord(rec, kToday, s);
    EXPECT_EQ(s.qslFieldWidth, c.expectedWidth);
    EXPECT_EQ(s.dayByte, c.expectedDayByte);
    WriteSetupRecord(s, kToday + 3, rec);
    EXPECT_EQ(rec[2752], c.expectedWidth);
    EXPECT_EQ(rec[3415], c.expectedDayByte);
    EXPECT_EQ(GetI32(rec, 3416), kToday + 3);
  }
}

TEST(SetupRecord, SuffixTableIsTakenOnlyWithAFirstEntry) {
  Record rec(kSetupRecLen, 0);
  PutShortText(rec, 723 + 7, 3, "QRP");  // entry 2 alone does not count
  ProgramSettings s;
  ReadSetupRecord(rec, kToday, s);
  EXPECT_EQ(s.suffixes, DefaultSuffixTable());

  PutShortText(rec, 723, 3, "MM");
  PutU8(rec, 723 + 4, 3);
  PutU8(rec, 723 + 7 + 4, 4);
  PutShortText(rec, 723 + 7 * 8, 3, "LGT");  // entry 9
  PutU8(rec, 723 + 7 * 8 + 4, 9);
  ReadSetupRecord(rec, kToday, s);
  SuffixTable expected{};
  expected[0] = {"MM", 3};
  expected[1] = {"QRP", 4};
  expected[8] = {"LGT", 9};
  EXPECT_EQ(s.suffixes, expected);
}

// The groups need 3168 and their guard; with 3168 set they are written
// with the guard 255, and so is 1799.
TEST(SetupRecord, GuardedGroups) {
  const std::vector<std::size_t> group1 = {1784, 1785, 1786, 1787, 1788, 1791, 1792, 1793};
  const std::vector<std::size_t> group2 = {3157, 3158, 3159, 3160, 3161, 3162, 3476, 3477, 3478};
  const std::vector<std::size_t> group3 = {3164, 3165, 3167};
  auto stored = [&](std::uint8_t enabled, std::uint8_t guard1, std::uint8_t guard2,
                    std::uint8_t guard3) {
    Record rec(kSetupRecLen, 0);
    for (const auto* g : {&group1, &group2, &group3}) {
      for (std::size_t o : *g) rec[o] = 0x33;
    }
    rec[3168] = enabled;
    rec[1794] = guard1;
    rec[3163] = guard2;
    rec[3166] = guard3;
    rec[1799] = 0x11;
    return rec;
  };

  {
    SCOPED_TRACE("3168 not set: nothing read, nothing written");
    Record rec = stored(0, 9, 9, 9);
    const Record before = rec;
    ProgramSettings s;
    ReadSetupRecord(rec, kToday, s);
    for (std::size_t o : group2) EXPECT_EQ(s.suite.Flag(o), 0) << o;
    for (std::size_t o : group1) ASSERT_TRUE(s.suite.SetFlag(o, 0x44));
    s.option1799 = 77;
    WriteSetupRecord(s, kToday, rec);
    for (std::size_t o : group1) EXPECT_EQ(rec[o], 0x33) << o;
    for (std::size_t o : {1794, 3163, 3166, 3168}) EXPECT_EQ(rec[o], before[o]) << o;
    EXPECT_EQ(rec[1799], 0x11);
  }
  {
    SCOPED_TRACE("3168 set: groups behind a zero guard read as 0, all written");
    Record rec = stored(1, 0, 9, 0);
    ProgramSettings s;
    ReadSetupRecord(rec, kToday, s);
    for (std::size_t o : group1) EXPECT_EQ(s.suite.Flag(o), 0) << o;
    for (std::size_t o : group2) EXPECT_EQ(s.suite.Flag(o), 0x33) << o;
    for (std::size_t o : group3) EXPECT_EQ(s.suite.Flag(o), 0) << o;
    EXPECT_EQ(s.option1799, 0x11);
    s.option1799 = 77;
    WriteSetupRecord(s, kToday, rec);
    for (std::size_t o : group1) EXPECT_EQ(rec[o], 0) << o;
    for (std::size_t o : group2) EXPECT_EQ(rec[o], 0x33) << o;
    for (std::size_t o : group3) EXPECT_EQ(rec[o], 0) << o;
    for (std::size_t o : {1794, 3163, 3166}) EXPECT_EQ(rec[o], 255) << o;
    EXPECT_EQ(rec[3168], 1);
    EXPECT_EQ(rec[1799], 77);
  }
}

TEST(SetupRecord, UtcOffsetMovesTheDateWhenTheTimeWraps) {
  struct Case {
    TimeOfDay local;
    std::int32_t offset;
    DayAndTime expected;
  };
  const DayNumber d = kToday;
  const Case cases[] = {
      {5400, -2, {d - 1, 84600}},  // 01:30 local, -2 h: 23:30 the day before
      {7200, -2, {d, 0}},          // 02:00 -> 00:00 the same day
      {82800, 2, {d + 1, 3600}},   // 23:00 +2 h: 01:00 the next day
      {43200, 0, {d, 43200}},     {kNoTime, -2, {d, kNoTime}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyUtcOffset(d, c.local, c.offset), c.expected) << c.local << " " << c.offset;
  }
  EXPECT_EQ(ApplyUtcOffset(kNoDate, 5400, -2), (DayAndTime{kNoDate, 84600}));
}

// ---- through the files -----------------------------------------------------

class SettingsTest : public FilesTest {
 protected:
  // Inserts bytes as the one record of a file (number 1) and returns the
  // record as the engine stored it.
  Record Store(SharedFile file, Record bytes) {
    FileBlock* block = catalogue->Open(file);
    EXPECT_NE(block, nullptr);
    if (block == nullptr) return {};
    PutI32(bytes, 0, 0);
    PutI32(bytes, 4, 0);
    std::copy(bytes.begin(), bytes.end(), block->Record().begin());
    EXPECT_TRUE(block->InsertRecord().ok());
    EXPECT_TRUE(catalogue->Release(file));
    return Stored(SharedFileName(file));
  }
  // Record 1 of a file as it lies on disk; checks there is no other.
  Record Stored(const std::string& name) {
    const Record dat = ReadFile(name + ".DAT");
    const std::size_t recLen = dat.size() >= 16 ? static_cast<std::size_t>(GetI32(dat, 12)) : 0;
    EXPECT_EQ(dat.size(), 2 * recLen) << name << " holds one record";
    if (recLen == 0 || dat.size() < 2 * recLen) return {};
    return Record(dat.begin() + static_cast<std::ptrdiff_t>(recLen),
                  dat.begin() + static_cast<std::ptrdiff_t>(2 * recLen));
  }
  void ExpectNothingOpen() {
    EXPECT_EQ(engine->FindFileBlock("KVSETUP"), nullptr);
    EXPECT_EQ(engine->FindFileBlock("KVSETUP2"), nullptr);
  }
};

// A filled record as another program of the suite may leave it: every byte
// set, the text lengths within their fields, colours set, 3168 not set.
Record Pattern(std::size_t size, std::uint8_t seed) {
  Record rec(size);
  for (std::size_t i = 0; i < size; ++i) rec[i] = static_cast<std::uint8_t>(i * 37 + seed);
  return rec;
}
Record SetupPattern() {
  Record rec = Pattern(kSetupRecLen, 11);
  for (const TextField& f : TextFields())
    rec[f.offset] = static_cast<std::uint8_t>(rec[f.offset] % (f.capacity + 1));
  PutShortText(rec, 2205, 50, "12345 Musterstadt");
  PutU32(rec, 703, 0x00112233);
  PutU32(rec, 2741, 0x00445566);
  PutU8(rec, 2752, 9);
  PutU8(rec, 3168, 0);
  PutI32(rec, 3416, kToday - 10);
  return rec;
}
Record Setup2Pattern() {
  Record rec = Pattern(kSetup2RecLen, 5);
  for (std::size_t i = 0; i < 6; ++i)
    rec[1668 + 11 * i] = static_cast<std::uint8_t>(rec[1668 + 11 * i] % 11);
  PutU8(rec, 1668 + 11 * 4, 0);  // one empty text
  return rec;
}

TEST_F(SettingsTest, RoundTripKeepsEveryByteTheProgramDoesNotWrite) {
  const Record original = Store(SharedFile::kSetup, SetupPattern());
  const Record original2 = Store(SharedFile::kSetup2, Setup2Pattern());
  ASSERT_EQ(original.size(), std::size_t{kSetupRecLen});
  ASSERT_EQ(GetI32(original, 4), 1);

  ProgramSettings s;
  s.setup2Texts[4] = "default";
  ASSERT_TRUE(LoadSettings(*catalogue, s, kToday).ok());
  ExpectNothingOpen();
  EXPECT_EQ(s.own.postcode, "12345");
  EXPECT_EQ(s.setup2Texts[4], "default");  // an empty text keeps the default
  s.own.call = "DL1XYZ";
  s.own.name = "Erika Mustermann";
  s.own.postcode = "54321";
  s.own.town = "Neustadt";
  s.utcOffsetHours = -2;
  s.setup2Texts[2] = "ABC";
  ASSERT_TRUE(SaveSettings(*catalogue, s, kToday).ok());
  ExpectNothingOpen();

  Record expected = original;
  PutShortText(expected, 3400, 14, "DL1XYZ");
  PutShortText(expected, 2103, 50, "Erika Mustermann");
  PutShortText(expected, 2205, 50, "54321 Neustadt");
  PutI32(expected, 1795, -2);
  PutU8(expected, 3415, 255);  // its stamp was not today
  PutI32(expected, 3416, kToday);
  const Record saved = Stored("KVSETUP");
  EXPECT_EQ(Differences(saved, expected), "");

  Record expected2 = original2;
  PutShortText(expected2, 1668 + 22, 10, "ABC");
  PutShortText(expected2, 1668 + 44, 10, "default");
  EXPECT_EQ(Differences(Stored("KVSETUP2"), expected2), "");
  EXPECT_TRUE(fatal.codes.empty());
}

TEST_F(SettingsTest, FirstStartCreatesEmptyRecordsAndSavesTheDefaults) {
  ProgramSettings s;
  ASSERT_TRUE(LoadSettings(*catalogue, s, kToday).ok());
  ExpectNothingOpen();

  Record empty(kSetupRecLen, 0);
  PutI32(empty, 4, 1);
  EXPECT_EQ(Differences(Stored("KVSETUP"), empty), "");
  Record empty2(kSetup2RecLen, 0);
  PutI32(empty2, 4, 1);
  EXPECT_EQ(Differences(Stored("KVSETUP2"), empty2), "");

  EXPECT_EQ(s.colours, BuiltInColours());
  EXPECT_EQ(s.qslFieldWidth, 4);
  EXPECT_EQ(s.dayByte, 255);
  EXPECT_EQ(s.suffixes, DefaultSuffixTable());
  EXPECT_EQ(s.own, OwnStation{});
  EXPECT_EQ(s.profileNumber, 0);

  // The defaults are what goes back.
  ASSERT_TRUE(SaveSettings(*catalogue, s, kToday).ok());
  Record expected = empty;
  for (std::size_t i = 0; i < 5; ++i) PutU32(expected, 703 + 4 * i, BuiltInColours()[i]);
  PutU32(expected, 2741, BuiltInColours()[5]);
  PutU32(expected, 2745, BuiltInColours()[6]);
  PutU8(expected, 2752, 4);
  PutU8(expected, 3415, 255);
  PutI32(expected, 3416, kToday);
  EXPECT_EQ(Differences(Stored("KVSETUP"), expected), "");
  EXPECT_EQ(Differences(Stored("KVSETUP2"), empty2), "");
}

TEST_F(SettingsTest, SaveCreatesAMissingRecord) {
  ProgramSettings s;
  s.own.call = "DL1ABC";
  ASSERT_TRUE(SaveSettings(*catalogue, s, kToday).ok());
  const Record saved = Stored("KVSETUP");
  ASSERT_EQ(saved.size(), std::size_t{kSetupRecLen});
  EXPECT_EQ(GetI32(saved, 4), 1);
  EXPECT_EQ(GetShortText(saved, 3400, 14), "DL1ABC");
}

TEST_F(SettingsTest, LoadHandsTheSuffixTableToTheCatalogue) {
  Record rec(kSetupRecLen, 0);
  PutShortText(rec, 723, 3, "XYZ");
  Store(SharedFile::kSetup, rec);
  ProgramSettings s;
  ASSERT_TRUE(LoadSettings(*catalogue, s, kToday).ok());
  EXPECT_EQ(s.suffixes[0], (CallSuffix{"XYZ", 0}));
  EXPECT_EQ(catalogue->suffixTable(), s.suffixes);
}

TEST_F(SettingsTest, AddressIsWrittenAtOnceAndNothingElse) {
  const Record original = Store(SharedFile::kSetup, SetupPattern());
  OwnStation station;
  station.name = "Erika Mustermann";
  station.street = "Hauptstr. 1";
  station.postcode = "12345";
  station.town = "Musterstadt";
  station.country = "Deutschland";
  station.dok = "N01";
  station.labelLocator = "JO31MM";
  station.locator = "JO42AB";  // typed in the configuration window
  station.call = "IGNORED";  // not part of the address
  ASSERT_TRUE(WriteAddress(*catalogue, station).ok());
  ExpectNothingOpen();

  Record expected = original;
  PutShortText(expected, 2103, 50, "Erika Mustermann");
  PutShortText(expected, 2154, 50, "Hauptstr. 1");
  PutShortText(expected, 2205, 50, "12345 Musterstadt");
  PutShortText(expected, 2256, 50, "Deutschland");
  PutShortText(expected, 2307, 10, "N01");
  PutShortText(expected, 2318, 6, "JO31MM");
  PutShortText(expected, 1776, 6, "JO42AB");
  EXPECT_EQ(Differences(Stored("KVSETUP"), expected), "");

  OwnStation read;
  ASSERT_TRUE(ReadOwnStation(*catalogue, read).ok());
  EXPECT_EQ(read.name, station.name);
  EXPECT_EQ(read.town, "Musterstadt");
  EXPECT_EQ(read.labelLocator, "JO31MM");
  EXPECT_EQ(read.call, GetShortText(original, 3400, 14));
  ExpectNothingOpen();
}

TEST_F(SettingsTest, ReadingAnEmptySetupFileCreatesNothing) {
  OwnStation read;
  read.call = "KEEP";
  EXPECT_EQ(ReadOwnStation(*catalogue, read).level(), 1);
  EXPECT_EQ(read.call, "KEEP");
  FileBlock* block = catalogue->OpenSetup();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->RecordCount(), 0);
  EXPECT_TRUE(catalogue->ReleaseSetup());
}

TEST_F(SettingsTest, NoEngineNoSettings) {
  StartEngine(/*init=*/false);
  ProgramSettings s;
  s.own.call = "KEEP";
  EXPECT_FALSE(LoadSettings(*catalogue, s, kToday).ok());
  EXPECT_FALSE(SaveSettings(*catalogue, s, kToday).ok());
  EXPECT_EQ(s.own.call, "KEEP");
}

TEST_F(SettingsTest, ProfileSelection) {
  FileBlock* profiles = catalogue->OpenProfiles();
  ASSERT_NE(profiles, nullptr);
  auto fill = [&](std::uint8_t byte) {
    std::fill(profiles->Record().begin(), profiles->Record().end(), byte);
  };

  // No profile file: a cleared buffer and number 0.
  fill(0x5A);
  EXPECT_EQ(SelectProfile(*profiles, 1), 0);
  EXPECT_TRUE(std::all_of(profiles->Record().begin(), profiles->Record().end(),
                          [](std::uint8_t b) { return b == 0; }));
  catalogue->ReleaseProfiles();

  // The logbook writes the profiles; this program only reads them.
  FileBlock* writer = engine->DefineFileBlock("PROFILE WRITER", "KVPRO", kProfileRecLen, 2, ProfileKey,
                                              nullptr, 32, true);
  ASSERT_NE(writer, nullptr);
  ASSERT_TRUE(writer->DefineIndex(1, 5, false).ok());
  ASSERT_TRUE(writer->DefineIndex(2, 20, true).ok());
  ASSERT_TRUE(writer->SetAutoNumberField(1, 4).ok());
  for (const char* name : {"Eins", "Zwei", "Drei"}) {
    writer->ClearRecordBuffer();
    PutShortText(writer->Record(), 8, 20, name);
    ASSERT_TRUE(writer->InsertRecord().ok());
  }
  ASSERT_TRUE(writer->ReadRecordByRef(1).ok());
  ASSERT_TRUE(writer->RemoveRecord(RemoveMode::kNone).ok());  // profiles 2 and 3 remain
  engine->DestroyFileBlock(writer);
  profiles = catalogue->OpenProfiles();
  ASSERT_NE(profiles, nullptr);

  struct Case {
    std::int32_t wanted;
    std::int32_t chosen;
    const char* name;
  };
  const Case cases[] = {{3, 3, "Drei"}, {2, 2, "Zwei"},  {1, 2, "Zwei"},
                        {0, 2, "Zwei"}, {-4, 2, "Zwei"}, {99, 2, "Zwei"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wanted);
    fill(0);
    EXPECT_EQ(SelectProfile(*profiles, c.wanted), c.chosen);
    EXPECT_EQ(GetShortText(profiles->Record(), 8, 20), c.name);
  }
  EXPECT_TRUE(catalogue->ReleaseProfiles());
}

}  // namespace
}  // namespace korv::testing
