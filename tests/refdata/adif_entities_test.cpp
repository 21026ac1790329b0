// ADIF entity numbers: the generated table, the special list, and the prefix
// tables that may override the special list.
#include "refdata/adif_entities.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "prefix_fixture.h"

namespace korv::testing {
namespace {

TEST(AdifEntityTableTest, PrefixesByNumber) {
  const struct {
    int number;
    std::string prefix;
  } cases[] = {
      {1, "VE"},
      {230, "DL"},
      {248, "I"},       // not the WAE-only Sicily line of the same number
      {206, "OE"},      // not Vienna Intl Ctr
      {24, "3Y/B"},     // the country file's "3Y/b", upper-cased
      {10, "FT5Z"},     // the country file's "FT/z"
      {99, "FR/G"},     // the country file's "FT/g"
      {177, "JD1/M"},   // the country file's "JD/m"
      {117, "4U1ITU"},  // the country file's "4U1I"; six characters
      {516, "FJ"},
      {517, "PJ2"},
      {521, "Z8"},
      {522, "Z6"},      // the highest code
      {271, "I1"},      // deleted: Trieste
      {81, "DL"},       // deleted: Germany before 1973, the prefix of 230 today
      {8, "VQ9"},       // deleted: Aldabra, the prefix of Chagos today
      {2, ""},          // deleted, no prefix known: Abu Ail
      {73, ""},         // no code of the enumeration
      {0, ""},
      {-1, ""},
      {kAdifEntityCount + 1, ""},
      {100000, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(AdifDxccPrefix(c.number), c.prefix) << c.number;
}

TEST(AdifEntityTableTest, NumbersByPrefix) {
  const struct {
    std::string prefix;
    std::string number;
  } cases[] = {
      {"DL", "230"},
      {" DL\t", "230"},  // trimmed
      {"Z6", "522"},
      {"Z8", "521"},
      {"PJ7", "518"},
      {"FT5Z", "10"},
      {"FT/Z", "10"},   // the country file's spelling, held by imported prefix tables
      {"FR/T", "276"},
      {"FT/T", "276"},
      {"4U1ITU", "117"},
      {"4U1I", "117"},
      {"3Y/B", "24"},
      {"VQ9", "33"},    // Chagos, not the deleted Aldabra, Desroches or Farquhar
      {"4W", "511"},    // Timor-Leste, not the deleted Yemen Arab Republic
      {"OK", "503"},    // the Czech Republic, not Czechoslovakia
      {"I1", ""},       // deleted Trieste: I1 calls are Italian today
      {"7J1", ""},      // deleted Okino Tori-shima: 7J1 calls are Japanese today
      {"R1MV", ""},     // deleted Malyj Vysotskij (the special list knows "R1M")
      {"", ""},
      {"   ", ""},
      {"dl", ""},       // DXCC prefixes are stored upper case
      {"QQ", ""},
      {"DL1", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(AdifDxccNumber(c.prefix), c.number) << c.prefix;
}

// Every prefix of the table either answers with its own code or, for a
// deleted entity, with nothing or with the current entity that holds the same
// prefix; never with a code whose prefix differs.
TEST(AdifEntityTableTest, LookupAnswersOnlyWithTheCurrentHolderOfAPrefix) {
  for (int n = 1; n <= kAdifEntityCount; ++n) {
    const std::string prefix = AdifDxccPrefix(n);
    if (prefix.empty()) continue;
    bool special = false;
    for (const AdifSpecialPrefix& s : AdifSpecialPrefixes()) special |= s.prefix == prefix;
    if (special) continue;
    const std::string number = AdifDxccNumber(prefix);
    EXPECT_EQ(IsAdifEntityPrefix(prefix), !number.empty()) << n;
    if (number.empty() || number == std::to_string(n)) continue;
    EXPECT_EQ(AdifDxccPrefix(std::stoi(number)), prefix) << n << " answered by " << number;
  }
  EXPECT_TRUE(IsAdifEntityPrefix("4U1U"));  // a country-file spelling
  EXPECT_FALSE(IsAdifEntityPrefix("I1"));   // a deleted entity's prefix
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

using AdifWithTablesTest = PrefixFilesTest;

TEST_F(AdifWithTablesTest, TablesDecideForSpecialAndUnknownPrefixes) {
  Insert(files.prefix, Country("1B", "1B", 215));  // a prefix the entity table lacks
  Insert(files.prefix, Country("3Y", "3Y5", 0));   // no number: not taken
  EXPECT_EQ(AdifDxccNumber("1B", &files), "215");
  EXPECT_EQ(AdifDxccNumber("3Y5", &files), "24");  // special value stays
  Insert(files.prefix, Country("3Y5", "3Y5", 199));
  EXPECT_EQ(AdifDxccNumber("3Y5", &files), "199");  // the tables hold it with another number
  // Order: KVPREFEE before KVPREFES before KVPREFIX.
  Insert(files.exceptionsEs, Country("1B1A", "1B", 600));
  EXPECT_EQ(AdifDxccNumber("1B", &files), "600");
  Insert(files.exceptionsEe, Country("1B1B", "1B", 700));
  EXPECT_EQ(AdifDxccNumber("1B", &files), "700");
  // A prefix the entity table names is not looked up.
  Insert(files.prefix, Country("DL", "DL", 999));
  EXPECT_EQ(AdifDxccNumber("DL", &files), "230");
  Insert(files.prefix, Country("Z6", "Z6", 999));
  EXPECT_EQ(AdifDxccNumber("Z6", &files), "522");
  // A deleted entity's prefix is one the table lacks.
  Insert(files.prefix, Country("I1", "I1", 248));
  EXPECT_EQ(AdifDxccNumber("I1", &files), "248");
  // Missing files are passed over.
  PrefixFiles onlyPrefix{files.prefix, nullptr, nullptr};
  EXPECT_EQ(AdifDxccNumber("1B", &onlyPrefix), "215");
}

TEST_F(AdifWithTablesTest, RecordBuffersAreLeftAsTheyWere) {
  Insert(files.prefix, Country("1B", "1B", 215));
  files.prefix->ClearRecordBuffer();
  PrefixRecord resolved = Country("DL", "DL", 230);
  resolved.CopyTo(files.prefix->Record());
  EXPECT_EQ(AdifDxccNumber("1B", &files), "215");
  EXPECT_EQ(Buffer().bytes(), resolved.bytes());
}

}  // namespace
}  // namespace korv::testing
