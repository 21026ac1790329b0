// ADIF entity numbers: the generated table, the special list, and the prefix
// tables that may override the special list.
#include "refdata/adif_entities.h"

#include <gtest/gtest.h>

#include <vector>

#include "prefix_fixture.h"

namespace korv::testing {
namespace {

TEST(AdifEntityTableTest, PrefixesByNumber) {
  EXPECT_EQ(AdifDxccPrefix(1), "VE");
  EXPECT_EQ(AdifDxccPrefix(230), "DL");
  EXPECT_EQ(AdifDxccPrefix(248), "I");    // not the WAE-only Sicily line of the same number
  EXPECT_EQ(AdifDxccPrefix(206), "OE");   // not Vienna Intl Ctr
  EXPECT_EQ(AdifDxccPrefix(24), "3Y/B");  // island designators upper-cased
  EXPECT_EQ(AdifDxccPrefix(516), "FJ");
  EXPECT_EQ(AdifDxccPrefix(2), "");  // deleted entity: blank
  for (int outside : {0, -1, 517, 522, 100000}) EXPECT_EQ(AdifDxccPrefix(outside), "") << outside;
}

TEST(AdifEntityTableTest, EveryNamedPrefixGivesItsNumberBack) {
  int named = 0;
  for (int n = 1; n <= kAdifEntityCount; ++n) {
    const std::string prefix = AdifDxccPrefix(n);
    EXPECT_LE(prefix.size(), 5u) << n;
    if (prefix.empty()) continue;
    ++named;
    EXPECT_TRUE(IsAdifEntityPrefix(prefix)) << n;
    bool special = false;
    for (const AdifSpecialPrefix& s : AdifSpecialPrefixes()) special |= s.prefix == prefix;
    if (!special) {
      EXPECT_EQ(AdifDxccNumber(prefix), std::to_string(n)) << prefix;
    }
  }
  EXPECT_GT(named, 300);
  EXPECT_FALSE(IsAdifEntityPrefix(""));
  EXPECT_FALSE(IsAdifEntityPrefix("DL1"));
}

TEST(AdifEntityTableTest, SpecialListWithoutPrefixTables) {
  const std::vector<std::pair<std::string, std::string>> expected{
      {"3D2C", "489"}, {"3D2R", "460"}, {"3Y0", "199"}, {"3Y5", "24"},  {"CE0A", "47"},
      {"KC6", "22"},   {"PY0P", "253"}, {"R1F", "61"},  {"R1M", "151"}, {"RA1346", "54"},
      {"RA890", "15"}, {"FO0", "36"},   {"XX", "152"},  {"VR6", "172"}, {"FO", "175"},
      {"IS", "225"},   {"ZB", "233"},   {"ZC", "283"},
  };
  ASSERT_EQ(AdifSpecialPrefixes().size(), expected.size());
  for (const auto& [prefix, number] : expected) EXPECT_EQ(AdifDxccNumber(prefix), number) << prefix;
}

TEST(AdifEntityTableTest, TrimmedAndUnknown) {
  EXPECT_EQ(AdifDxccNumber(" DL\t"), "230");
  EXPECT_EQ(AdifDxccNumber(""), "");
  EXPECT_EQ(AdifDxccNumber("   "), "");
  EXPECT_EQ(AdifDxccNumber("dl"), "");  // DXCC prefixes are stored upper case
  EXPECT_EQ(AdifDxccNumber("QQ"), "");
  EXPECT_EQ(AdifDxccNumber("Z6"), "");  // Kosovo's 522 lies beyond the table
}

using AdifWithTablesTest = PrefixFilesTest;

TEST_F(AdifWithTablesTest, TablesDecideForSpecialAndUnknownPrefixes) {
  Insert(files.prefix, Country("Z6", "Z6", 522));
  Insert(files.prefix, Country("3Y", "3Y5", 0));  // no number: not taken
  EXPECT_EQ(AdifDxccNumber("Z6", &files), "522");
  EXPECT_EQ(AdifDxccNumber("3Y5", &files), "24");  // special value stays
  Insert(files.prefix, Country("3Y5", "3Y5", 199));
  EXPECT_EQ(AdifDxccNumber("3Y5", &files), "199");  // the tables hold it with another number
  // Order: KVPREFEE before KVPREFES before KVPREFIX.
  Insert(files.exceptionsEs, Country("Z60A", "Z6", 600));
  EXPECT_EQ(AdifDxccNumber("Z6", &files), "600");
  Insert(files.exceptionsEe, Country("Z60B", "Z6", 700));
  EXPECT_EQ(AdifDxccNumber("Z6", &files), "700");
  // A prefix the entity table names is not looked up.
  Insert(files.prefix, Country("DL", "DL", 999));
  EXPECT_EQ(AdifDxccNumber("DL", &files), "230");
  // Missing files are passed over.
  PrefixFiles onlyPrefix{files.prefix, nullptr, nullptr};
  EXPECT_EQ(AdifDxccNumber("Z6", &onlyPrefix), "522");
}

TEST_F(AdifWithTablesTest, RecordBuffersAreLeftAsTheyWere) {
  Insert(files.prefix, Country("Z6", "Z6", 522));
  files.prefix->ClearRecordBuffer();
  PrefixRecord resolved = Country("DL", "DL", 230);
  resolved.CopyTo(files.prefix->Record());
  EXPECT_EQ(AdifDxccNumber("Z6", &files), "522");
  EXPECT_EQ(Buffer().bytes(), resolved.bytes());
}

}  // namespace
}  // namespace korv::testing
