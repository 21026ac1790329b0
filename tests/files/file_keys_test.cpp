// The key of every index of every file, built by the FileBlocks the
// catalogue opens, from records with known bytes; and the call book's field
// accessors.
#include "files/file_keys.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "files/call_book.h"
#include "files_fixture.h"

namespace korv::testing {
namespace {

struct KeyCase {
  int index;
  std::string expected;
};

std::string Hex(std::string_view bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
    out += ' ';
  }
  return out;
}

void ExpectKeys(const FileBlock& block, const std::vector<KeyCase>& cases) {
  for (const KeyCase& c : cases) {
    const std::string key = block.BuildKey(c.index).str();
    EXPECT_EQ(Hex(key), Hex(c.expected)) << block.LogicalName() << " index " << c.index;
  }
}

// Every index of the file is in the table, and one beyond gives no key.
void ExpectAllIndexesCovered(const FileBlock& block, const std::vector<KeyCase>& cases) {
  ASSERT_EQ(cases.size(), static_cast<std::size_t>(block.IndexCount()));
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(cases[i].index, int(i) + 1);
  EXPECT_TRUE(block.BuildKey(block.IndexCount() + 1).empty());
}

std::string Sp(std::size_t n) {
  return std::string(n, ' ');
}
const std::string kZero(1, '\0');

// A QSO with a value in every field a key reads.
void FillQso(Bytes r) {
  std::fill(r.begin(), r.end(), std::uint8_t{0});
  PutI32(r, 4, 17);  // RecordNo
  PutShortText(r, 8, 12, "DL1ABC/P");
  PutShortText(r, 21, 6, "JO31MM");
  PutI32(r, 28, 150000);  // date
  PutI32(r, 32, 45296);   // 12:34:56
  PutShortText(r, 36, 6, "CW");
  PutShortText(r, 70, 6, "DA");  // AltPrefix
  PutShortText(r, 77, 6, "DL");  // Prefix
  PutU8(r, 115, 1);              // Marked
  PutShortText(r, 116, 2, "NY");
  PutShortText(r, 125, 6, "N01");  // Dok piece 1
  PutU8(r, 132, 'h');              // Band
  PutI32(r, 133, 5);               // BandNo
  PutShortText(r, 140, 12, "ABCDEFGH");
  PutShortText(r, 153, 6, "M1");
  PutI32(r, 160, 3);   // BandNo2
  PutI32(r, 166, 42);  // SerialNo
  PutU8(r, 170, 0);
  PutU8(r, 171, 'X');
  PutShortText(r, 194, 2, "XY");  // Dok piece 2
  PutU16(r, 213, 7);              // ModeNo
}

using FileKeysTest = FilesTest;

TEST_F(FileKeysTest, QsoFileKeys) {
  FileBlock* block = catalogue->OpenQsoFile(7);
  ASSERT_NE(block, nullptr);
  FillQso(block->Record());
  const std::string dateTime = B(150000) + B(45296);
  const std::string call14 = "DL1ABC" + Sp(8);
  const std::vector<KeyCase> cases = {
      {1, dateTime},
      {2, call14 + dateTime},
      {3, "JO31MM" + dateTime},
      {4, L(17)},
      {5, "DL" + Sp(4)},
      {6, call14},
      {7, "1"},
      {8, "h" + L(3)},
      {9, "h" + call14 + "CW" + Sp(4)},
      {10, "hDL" + Sp(4)},
      {11, "h" + L(99999994)},
      {12, "h" + L(99999996)},
      {13, L(42)},
      {14, "h" + kZero},
      {15, "hX"},
      {16, kZero + "X"},
      {17, "hX"},
      {18, "N01XY" + Sp(3)},
      {19, "M1" + Sp(4)},
      {20, "ABCDEF"},
      {21, "hN01XY" + Sp(3)},
      {22, "hDA" + Sp(4)},
      {23, "hJO31MM"},
      {24, "a" + L(99999992)},
      {25, "hNY"},
      {26, "NY"},
      {27, "hABCDEF"},
  };
  ExpectAllIndexesCovered(*block, cases);
  ExpectKeys(*block, cases);
  EXPECT_TRUE(catalogue->ReleaseQsoFile(7));
}

// The choices inside single keys: each case changes the QSO of FillQso.
TEST_F(FileKeysTest, QsoFileKeyVariants) {
  struct Variant {
    const char* what;
    std::function<void(Bytes)> change;
    KeyCase key;
  };
  const std::vector<Variant> variants = {
      {"marked 2 is not marked", [](Bytes r) { PutU8(r, 115, 2); }, {7, " "}},
      {"marked 0", [](Bytes r) { PutU8(r, 115, 0); }, {7, " "}},
      {"blank at 170 is used as it is", [](Bytes r) { PutU8(r, 170, ' '); }, {17, "h "}},
      {"170 set wins over 171", [](Bytes r) { PutU8(r, 170, 'A'); }, {17, "hA"}},
      {"171 blank: 170 stays", [](Bytes r) { PutU8(r, 171, ' '); }, {17, "h" + kZero}},
      {"171 zero: 170 stays", [](Bytes r) { PutU8(r, 171, 0); }, {17, "h" + kZero}},
      {"DOK of 8 characters",
       [](Bytes r) {
         PutShortText(r, 125, 6, "ABCDEF");
         PutShortText(r, 194, 2, "GH");
       },
       {21, "hABCDEFGH"}},
      {"DOK without second piece", [](Bytes r) { PutU8(r, 194, 0); }, {18, "N01" + Sp(5)}},
      {"damaged DOK length is cut to the field",
       [](Bytes r) {
         PutShortText(r, 125, 6, "ABCDEF");
         PutU8(r, 125, 200);
         PutU8(r, 194, 0);
       },
       {18, "ABCDEF" + Sp(2)}},
      {"USB is an SSB mode",
       [](Bytes r) { PutShortText(r, 36, 6, "USB"); },
       {24, "b" + L(99999992)}},
      {"unknown mode", [](Bytes r) { PutShortText(r, 36, 6, "DIGITAL"); }, {24, " " + L(99999992)}},
      {"ModeNo is unsigned",
       [](Bytes r) { PutU16(r, 213, 65535); },
       {24, "a" + L(99999999 - 65535)}},
      {"descending band number of a negative value",
       [](Bytes r) { PutI32(r, 133, -1); },
       {11, "h" + L(100000000)}},
      {"band number wraps instead of overflowing",
       [](Bytes r) { PutI32(r, 133, INT32_MIN); },
       {11, "h" + L(static_cast<std::int32_t>(99999999u - 0x80000000u))}},
      {"call without designator",
       [](Bytes r) { PutShortText(r, 8, 12, "dl1abc"); },
       {6, "DL1ABC" + Sp(8)}},
      {"empty call", [](Bytes r) { PutU8(r, 8, 0); }, {6, Sp(14)}},
      {"third multiplier column cut to 6",
       [](Bytes r) { PutShortText(r, 140, 12, "DL1ABCDEFGHI"); },
       {27, "hDL1ABC"}},
  };
  FileBlock* block = catalogue->OpenQsoFile(7);
  ASSERT_NE(block, nullptr);
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.what);
    FillQso(block->Record());
    v.change(block->Record());
    ExpectKeys(*block, {v.key});
  }
  EXPECT_TRUE(catalogue->ReleaseQsoFile(7));
}

TEST_F(FileKeysTest, LargerBandNumbersSortFirst) {
  FileBlock* block = catalogue->OpenQsoFile(7);
  ASSERT_NE(block, nullptr);
  FillQso(block->Record());
  const KeyString five = block->BuildKey(11);
  PutI32(block->Record(), 133, 6);
  const KeyString six = block->BuildKey(11);
  EXPECT_LT(six, five);
  PutU16(block->Record(), 213, 8);
  const KeyString modeEight = block->BuildKey(24);
  PutU16(block->Record(), 213, 7);
  EXPECT_LT(modeEight, block->BuildKey(24));
  EXPECT_TRUE(catalogue->ReleaseQsoFile(7));
}

// The suffix table decides the base call; a file keeps the table it was
// opened with.
TEST_F(FileKeysTest, CallKeysUseTheCataloguesSuffixTable) {
  SuffixTable custom{};
  custom[0] = {"XYZ", 1};
  FileBlock* before = catalogue->OpenQsoFile(1);
  ASSERT_NE(before, nullptr);
  catalogue->SetSuffixTable(custom);
  FileBlock* after = catalogue->OpenQsoFile(2);
  ASSERT_NE(after, nullptr);
  for (FileBlock* block : {before, after}) {
    FillQso(block->Record());
    PutShortText(block->Record(), 8, 12, "K1A/XYZ");
  }
  ExpectKeys(*before, {{6, "XYZ" + Sp(11)}});
  ExpectKeys(*after, {{6, "K1A" + Sp(11)}, {9, "hK1A" + Sp(11) + "CW" + Sp(4)}});
  EXPECT_EQ(Call14("K1A/XYZ", custom), "K1A" + Sp(11));
  EXPECT_TRUE(catalogue->ReleaseQsoFile(1));
  EXPECT_TRUE(catalogue->ReleaseQsoFile(2));
}

TEST_F(FileKeysTest, ContestDirectoryKeys) {
  FileBlock* block = catalogue->OpenContestDirectory();
  ASSERT_NE(block, nullptr);
  const Bytes r = block->Record();
  PutI32(r, 4, 3);
  PutI32(r, 8, 150000);
  PutShortText(r, 24, 25, "Fieldday");
  PutU8(r, 190, 'x');
  PutU8(r, 191, '3');
  const std::vector<KeyCase> cases = {{1, "3Fieldday" + Sp(17)},
                                      {2, "3" + B(150000)},
                                      {3, L(3)},
                                      {4, "x"},
                                      {5, "Fieldday" + Sp(17)}};
  ExpectAllIndexesCovered(*block, cases);
  ExpectKeys(*block, cases);
  PutShortText(r, 24, 25, std::string(25, 'N'));
  ExpectKeys(*block, {{1, "3" + std::string(25, 'N')}});
  EXPECT_TRUE(catalogue->ReleaseContestDirectory());
}

TEST_F(FileKeysTest, RecordNumberFiles) {
  for (SharedFile file :
       {SharedFile::kSetup, SharedFile::kSetup2, SharedFile::kTotals, SharedFile::kQsoTemp}) {
    FileBlock* block = catalogue->Open(file);
    ASSERT_NE(block, nullptr);
    PutI32(block->Record(), 4, 9);
    const std::vector<KeyCase> cases = {{1, L(9)}};
    ExpectAllIndexesCovered(*block, cases);
    ExpectKeys(*block, cases);
    EXPECT_TRUE(catalogue->Release(file));
  }
}

TEST_F(FileKeysTest, CallBookKeys) {
  FileBlock* block = catalogue->OpenCallBook();
  ASSERT_NE(block, nullptr);
  const Bytes r = block->Record();
  SetCallBookCall(r, "DL1ABC");
  const char* values[] = {"",   "F1",         "F2", "F3LONGTEXT", "Hans", "12",  "N01",
                          "F7", "ABCDEFGHIJ", "F9", "F10",        "F11",  "F12", "F13"};
  for (int code = 1; code <= 13; ++code) ASSERT_TRUE(SetCallBookField(r, code, values[code]));
  const std::vector<KeyCase> cases = {
      {1, "DL1ABC" + Sp(4)},
      {2, "F1" + Sp(4)},
      {3, "F2" + Sp(4)},
      {4, "F3LONGTEXT"},
      {5, "Hans" + Sp(16)},
      {6, "  12"},
      {7, "N01" + Sp(5) + "DL1ABC" + Sp(4)},
      {8, "ABCDEF"},
      {9, "F9" + Sp(4)},
      {10, "F10" + Sp(3)},
      {11, "F11" + Sp(3)},
      {12, "F12" + Sp(3)},
      {13, "F13" + Sp(3)},
  };
  ExpectAllIndexesCovered(*block, cases);
  ExpectKeys(*block, cases);
  EXPECT_TRUE(catalogue->ReleaseCallBook());
}

TEST_F(FileKeysTest, CallListProfileAndNoteKeys) {
  struct FileCase {
    SharedFile file;
    std::function<void(Bytes)> fill;
    std::vector<KeyCase> keys;
  };
  const std::vector<FileCase> files = {
      {SharedFile::kCallList,
       [](Bytes r) {
         PutShortText(r, 4, 10, "DL1ABC");
         PutShortText(r, 15, 5, "ABCDE");
         PutShortText(r, 21, 5, "FGH");
         PutShortText(r, 27, 9, "HAMBURG");
         PutU8(r, 37, 'Q');
         PutShortText(r, 59, 5, "123");
         PutShortText(r, 65, 3, "EU");
       },
       {{1, "DL1ABC" + Sp(4)},
        {2, "ABCDE"},
        {3, "FGH  "},
        {4, "HAMBURG" + Sp(3)},
        {5, "Q"},
        {6, "  123"},
        {7, "EU "}}},
      {SharedFile::kProfiles,
       [](Bytes r) {
         PutI32(r, 4, 2);
         PutShortText(r, 8, 20, "Portabel");
       },
       {{1, L(2)}, {2, "Portabel" + Sp(12)}}},
      {SharedFile::kQslVia,
       [](Bytes r) {
         PutShortText(r, 4, 14, "DL1ABC");
         PutI32(r, 19, 150000);
         PutI32(r, 23, 3600);
       },
       {{1, "DL1ABC" + Sp(8) + B(150000) + B(3600)}}},
      {SharedFile::kCallNotes,
       [](Bytes r) { PutShortText(r, 4, 10, "DL1ABC"); },
       {{1, "DL1ABC" + Sp(4)}}},
      {SharedFile::kLogNotes,
       [](Bytes r) {
         PutI32(r, 4, 5);
         PutShortText(r, 8, 14, "DL1ABC");
         PutI32(r, 23, 150000);
         PutI32(r, 27, 3600);
       },
       {{1, L(5) + "DL1ABC" + Sp(8) + B(150000) + B(3600)},
        {2, "DL1ABC" + Sp(8) + B(150000) + B(3600)}}},
  };
  for (const FileCase& f : files) {
    FileBlock* block = catalogue->Open(f.file);
    ASSERT_NE(block, nullptr);
    f.fill(block->Record());
    ExpectAllIndexesCovered(*block, f.keys);
    ExpectKeys(*block, f.keys);
    EXPECT_TRUE(catalogue->Release(f.file));
  }
}

// ---- call book fields ------------------------------------------------------

struct Field {
  int code;
  std::size_t offset;
  std::size_t capacity;
};
const Field kCallBookFields[] = {{1, 29, 6},    {2, 22, 6},    {3, 96, 10},   {4, 43, 20},
                                 {5, 107, 4},   {6, 299, 8},   {7, 15, 6},    {8, 233, 10},
                                 {9, 244, 10},  {10, 255, 10}, {11, 266, 10}, {12, 277, 10},
                                 {13, 288, 10}, {15, 64, 20},  {16, 85, 10},  {17, 112, 120}};

TEST(CallBookFields, EachCodeReachesItsOwnPlace) {
  std::vector<std::uint8_t> rec(kCallBookRecLen, 0);
  // Full-capacity texts in every field: an overlap would spoil a neighbour.
  for (const Field& f : kCallBookFields) {
    ASSERT_TRUE(SetCallBookField(rec, f.code, std::string(f.capacity, char('A' + f.code))));
  }
  SetCallBookCall(rec, "DL1ABCDEFG");
  for (const Field& f : kCallBookFields) {
    SCOPED_TRACE(f.code);
    EXPECT_EQ(CallBookField(rec, f.code), std::string(f.capacity, char('A' + f.code)));
    EXPECT_EQ(rec[f.offset], f.capacity);
    EXPECT_EQ(rec[f.offset + 1], std::uint8_t('A' + f.code));
  }
  EXPECT_EQ(CallBookCall(rec), "DL1ABCDEFG");
  EXPECT_EQ(rec[4], 10);
}

TEST(CallBookFields, WritingCutsToTheCapacity) {
  std::vector<std::uint8_t> rec(kCallBookRecLen, 0);
  ASSERT_TRUE(SetCallBookField(rec, 5, "123456"));
  EXPECT_EQ(CallBookField(rec, 5), "1234");
  EXPECT_EQ(rec[112], 0);  // the next field stays untouched
  ASSERT_TRUE(SetCallBookField(rec, kCallBookDok, "N01/ABCDEF"));
  EXPECT_EQ(CallBookField(rec, kCallBookDok), "N01/ABCD");
  SetCallBookCall(rec, "DL1ABC/P/QRP");
  EXPECT_EQ(CallBookCall(rec), "DL1ABC/P/Q");
}

TEST(CallBookFields, UnknownCodesReadEmptyAndWriteNothing) {
  std::vector<std::uint8_t> rec(kCallBookRecLen);
  for (std::size_t i = 0; i < rec.size(); ++i) rec[i] = static_cast<std::uint8_t>(i % 7 + 1);
  const std::vector<std::uint8_t> before = rec;
  for (int code : {-1, 0, 14, 18, 255}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(CallBookField(rec, code), "");
    EXPECT_FALSE(SetCallBookField(rec, code, "XXXX"));
    EXPECT_EQ(rec, before);
  }
}

}  // namespace
}  // namespace korv::testing
