// The country-file importer: records it writes, what it skips and counts,
// and resolution of real calls against the imported Debian country file.
#include "refdata/cty_import.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "common/dates.h"
#include "prefix_fixture.h"
#include "refdata/adif_entities.h"
#include "refdata/dxcc_resolver.h"

namespace korv::testing {
namespace {

const std::filesystem::path kDebianCty = "/usr/share/hamradio-files/cty.csv";

// CR LF and LF lines, a WAE-only line before its entity, overrides, exact
// calls that fit and that do not, a repeated exact call, broken lines,
// malformed entries and a UTF-8 country name.
const std::string kSample =
    "*IT9,Sicily,248,EU,15,28,37.50,-14.00,-1.0,IT9 IW9<37.5/-14.0>;\r\n"
    "I,Italy,248,EU,15,28,42.82,-12.58,-1.0,I IA =I1ABC =I1ABC;\r\n"
    "DL,Fed. Rep. of Germany,230,EU,14,28,51.00,-10.00,-1.0,"
    "DA DL DR(15)[27]{AS} DM~1.0~ =DL0ABC =DA0LONGCALL =dl1xyz ;\n"
    "SV/a,Mount Athos,180,EU,20,28,40.00,-24.00,-2.0,=SY2A;\n"
    "this line is broken\n"
    "K,United States,abc,NA,5,8,37.60,91.87,5.0,K;\n"
    "XX,Nowhere,999,XY,5,8,0,0,0,XX;\n"
    "YY,Zones,998,EU,41,8,0,0,0,YY;\n"
    "\n"
    "ZZ,Bad entries,997,EU,14,28,0,0,0,Z1(41) Z2[ Z3! Z4{XX} ZZ1234567 Z5;\n"
    "PJ2,Cura\xC3\xA7"
    "ao,517,SA,9,11,12.17,69.00,4.0,PJ2;\n";

using CtyImportTest = PrefixFilesTest;

PrefixRecord Find(FileBlock* block, std::string_view prefix) {
  KeyString key;
  key.AppendPadded(prefix, 6);
  EXPECT_TRUE(block->FindExact(1, key).ok()) << prefix;
  return PrefixRecord::From(block->Record());
}

TEST_F(CtyImportTest, WritesRecordsAndCountsWhatItSkips) {
  const CtyImportResult r = ImportCty(kSample, *files.prefix, *files.exceptionsEs);
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.broken, 4);
  EXPECT_EQ(r.prefixesTaken, 11);   // IT9 IW9 I IA DA DL DR DM SV/A Z5 PJ2
  EXPECT_EQ(r.exactCallsTaken, 4);  // I1ABC DL0ABC DL1XYZ SY2A
  EXPECT_EQ(r.taken, 15);
  EXPECT_EQ(r.tooLong, 2);     // DA0LONGCALL ZZ1234567
  EXPECT_EQ(r.duplicates, 1);  // the second I1ABC
  EXPECT_EQ(r.malformed, 4);   // Z1(41) Z2[ Z3! Z4{XX}
  EXPECT_EQ(r.skipped, 7);
  EXPECT_EQ(files.prefix->RecordCount(), 11);
  EXPECT_EQ(files.exceptionsEs->RecordCount(), 4);
  EXPECT_EQ(r.longExactCalls, 1);  // DA0LONGCALL: an exact call, not a prefix

  // A WAE-only line counts for its DXCC entity; its own primary is the
  // alternative prefix.
  PrefixRecord rec = Find(files.prefix, "IT9");
  EXPECT_EQ(rec.dxccPrefix(), "I");
  EXPECT_EQ(rec.altDxccPrefix(), "IT9");
  EXPECT_EQ(rec.country(), "Sicily");
  EXPECT_EQ(rec.entityNumber(), 248);
  EXPECT_EQ(rec.cqZone(), "15");
  EXPECT_EQ(rec.ituZone(), "28");
  EXPECT_EQ(rec.continent(), "EU");
  EXPECT_EQ(rec.kind(), ' ');
  EXPECT_EQ(rec.callBeginningMark(), ' ');
  EXPECT_EQ(rec.rangeEnd(), ' ');
  EXPECT_EQ(rec.validFrom(), 0);
  EXPECT_EQ(Find(files.prefix, "I").altDxccPrefix(), "I");

  // Overrides of single entries.
  rec = Find(files.prefix, "DR");
  EXPECT_EQ(rec.cqZone(), "15");
  EXPECT_EQ(rec.ituZone(), "27");
  EXPECT_EQ(rec.continent(), "AS");
  rec = Find(files.prefix, "DM");
  EXPECT_EQ(rec.cqZone(), "14");
  EXPECT_EQ(rec.continent(), "EU");

  // Exact calls go to KVPREFES, upper-cased.
  rec = Find(files.exceptionsEs, "DL1XYZ");
  EXPECT_EQ(rec.dxccPrefix(), "DL");
  EXPECT_EQ(rec.country(), "Fed. Rep. of Germany");
  EXPECT_FALSE(rec.IsCallBeginning());
  // The island designator is a prefix of its own.
  EXPECT_EQ(Find(files.prefix, "SV/A").dxccPrefix(), "SV/A");
  EXPECT_EQ(Find(files.exceptionsEs, "SY2A").dxccPrefix(), "SV/A");
  // UTF-8 text arrives as Windows-1252.
  EXPECT_EQ(Find(files.prefix, "PJ2").country(),
            "Cura\xE7"
            "ao");

  std::string problem;
  EXPECT_TRUE(files.prefix->CheckStructure(problem)) << problem;
  EXPECT_TRUE(files.exceptionsEs->CheckStructure(problem)) << problem;
}

// Exact calls too long for KVPREFES are kept in memory with the record an
// import would write, and the resolver finds them by the whole call, after
// the exception files and before any prefix.
TEST_F(CtyImportTest, LongExactCallsAreKeptInMemoryAndResolve) {
  ASSERT_TRUE(ImportCty(kSample, *files.prefix, *files.exceptionsEs).ok);
  const LongExactCalls calls = ReadLongExactCalls(kSample);
  EXPECT_EQ(calls.size(), 1u);
  const PrefixRecord* rec = calls.Find("DA0LONGCALL");
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(rec->dxccPrefix(), "DL");
  EXPECT_EQ(rec->entityNumber(), 230);
  EXPECT_EQ(calls.Find("DA0LONG"), nullptr);
  EXPECT_EQ(calls.Find("ZZ1234567"), nullptr);  // a prefix, not an exact call

  const DayNumber today = DayNumberFromCivil({2024, 6, 1});
  EXPECT_EQ(ResolveDxccLine("DA0LONGCALL", 0, files, today).text,
            "DA0LONGCALL  DL  EU  14  28  230  Fed. Rep. of Germany");
  files.longCalls = &calls;
  EXPECT_EQ(ResolveDxccLine("da0longcall", 0, files, today).text,
            "DA0LONGCALL  DL  EU  14  28  230  Fed. Rep. of Germany");
  EXPECT_EQ(ReadLongExactCalls("not a country file").size(), 0u);
  EXPECT_EQ(ReadLongExactCallsFile("/nonexistent/cty.csv").size(), 0u);
}

TEST_F(CtyImportTest, RepeatedImportAddsNothingAndReplaceStartsOver) {
  ASSERT_TRUE(ImportCty(kSample, *files.prefix, *files.exceptionsEs).ok);
  // Something of the user's own that a replace removes.
  Insert(files.exceptionsEs, Country("OWN1", "DL", 230));

  CtyImportResult again = ImportCty(kSample, *files.prefix, *files.exceptionsEs);
  EXPECT_TRUE(again.ok);
  EXPECT_EQ(again.taken, 0);
  EXPECT_EQ(again.duplicates, 11 + 4 + 1);
  EXPECT_EQ(files.prefix->RecordCount(), 11);
  EXPECT_EQ(files.exceptionsEs->RecordCount(), 5);

  CtyImportOptions replace;
  replace.replace = true;
  again = ImportCty(kSample, *files.prefix, *files.exceptionsEs, replace);
  EXPECT_TRUE(again.ok);
  EXPECT_EQ(again.taken, 15);
  EXPECT_EQ(files.prefix->RecordCount(), 11);
  EXPECT_EQ(files.exceptionsEs->RecordCount(), 4);
}

TEST_F(CtyImportTest, ProgressAndFlushSetting) {
  files.prefix->SetFlushAfterWrite(true);
  std::vector<std::pair<int, int>> calls;
  CtyImportOptions options;
  options.progress = [&](int done, int total) { calls.emplace_back(done, total); };
  ASSERT_TRUE(ImportCty(kSample, *files.prefix, *files.exceptionsEs, options).ok);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().first, 0);
  EXPECT_EQ(calls.back(), std::make_pair(12, 12));  // 11 lines and the empty rest after the last LF
  for (std::size_t i = 1; i < calls.size(); ++i) EXPECT_GE(calls[i].first, calls[i - 1].first);
  EXPECT_TRUE(files.prefix->FlushAfterWrite());
  EXPECT_FALSE(files.exceptionsEs->FlushAfterWrite());
}

TEST_F(CtyImportTest, MissingFileIsAnErrorValue) {
  const CtyImportResult r = ImportCtyFile(dir / "nothing.csv", *files.prefix, *files.exceptionsEs);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("nothing.csv"), std::string::npos);
  EXPECT_EQ(r.taken, 0);
}

TEST_F(CtyImportTest, RealCallsAgainstTheDebianCountryFile) {
  if (!std::filesystem::exists(kDebianCty)) GTEST_SKIP() << kDebianCty << " not installed";
  const auto start = std::chrono::steady_clock::now();
  const CtyImportResult r = ImportCtyFile(kDebianCty, *files.prefix, *files.exceptionsEs);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  ASSERT_TRUE(r.ok) << r.error;
  std::printf("imported %s: taken %d, skipped %d, broken %d in %lld ms\n", kDebianCty.c_str(),
              r.taken, r.skipped, r.broken, static_cast<long long>(ms));
  EXPECT_EQ(r.broken, 0);
  EXPECT_GT(r.prefixesTaken, 5000);
  EXPECT_GT(r.exactCallsTaken, 5000);

  const DayNumber today = DayNumberFromCivil({2024, 6, 1});
  const char* expected[] = {
      "DL1ABC  DL  EU  14  28  230  Fed. Rep. of Germany",
      "DO7XX  DL  EU  14  28  230  Fed. Rep. of Germany",
      "OE3ABC  OE  EU  15  28  206  Austria",
      "F5ABC  F  EU  14  27  227  France",
      "K1ABC  K  NA  5  8  291  United States",
      "VE3ABC  VE  NA  4  4  1  Canada",
      "JA1ABC  JA  AS  25  45  339  Japan",
      "EA8/DL1ABC  EA8  AF  33  36  29  Canary Islands",
      "DL1ABC/EA8  EA8  AF  33  36  29  Canary Islands",
      "DL1ABC/P  DL  EU  14  28  230  Fed. Rep. of Germany",
      "SV1ABC/A  SV/A  EU  20  28  180  Mount Athos",
      "SV1ABC  SV  EU  20  28  236  Greece",
      "9A1A  9A  EU  15  28  497  Croatia",
      "4U1UN  4U1U  NA  5  8  289  United Nations HQ",
      "K1ABC/6  K  NA  3  6  291  United States",  // zones of the K6 entry
      "IT9ABC  I  EU  15  28  248  Sicily",
      "UA9ABC/1  UA  EU  16  29  54  European Russia",
      // Three parts, digit-leading calls with a district digit, maritime.
      "DL1ABC/M/P  DL  EU  14  28  230  Fed. Rep. of Germany",
      "DL1ABC/LH/P  DL  EU  14  28  230  Fed. Rep. of Germany",
      "DL1ABC/P/QRP  DL  EU  14  28  230  Fed. Rep. of Germany",
      "DL1ABC/A/P  DL  EU  14  28  230  Fed. Rep. of Germany",
      "9M2ABC/6  9M6  OC  28  54  46  East Malaysia",
      "9A1ABC/2  9A  EU  15  28  497  Croatia",
      "3Z1ABC/9  SP  EU  15  28  269  Poland",
      "2E0ABC/2  G  EU  14  27  223  England",
      "4X1ABC/5  4X  AS  20  39  336  Israel",
      "DL1ABC/MM  none  maritime or aeronautical mobile: no DXCC entity",
      "PA3ABC/MM  none  maritime or aeronautical mobile: no DXCC entity",
      "DL1ABC/AM  none  maritime or aeronautical mobile: no DXCC entity",
      "DL1ABC/MM/1  none  maritime or aeronautical mobile: no DXCC entity",
      "DL1ABC/AM/2  none  maritime or aeronautical mobile: no DXCC entity",
      // The file's own designators, as calls carry them.
      "FR5ZU/T  FT/T  AF  39  53  276  Tromelin Island",
      "FR5ZQ/G  FT/G  AF  39  53  99  Glorioso Islands",
      "FR5ZQ/J  FT/J  AF  39  53  124  Juan de Nova & Europa",
      "FR5ZQ/E  FT/J  AF  39  53  124  Juan de Nova & Europa",
      "ZK1ABC/S  E5/S  OC  32  63  234  South Cook Islands",
      "ZK1ABC/N  E5/N  OC  32  62  191  North Cook Islands",
      "GM3ABC/SH  GM  EU  14  27  279  Shetland Islands",
      // Exact calls longer than the prefix field, from memory.
      "TO1PF/P  FR  AF  39  53  453  Reunion Island",
      "KC4/W3ASA  CE9  SA  13  74  13  Antarctica",
      // Entities of the special list.
      "3D2CR  3D2/C  OC  32  56  489  Conway Reef",
      "3D2RR  3D2/R  OC  32  56  460  Rotuma Island",
      "3Y0X  3Y/P  SA  12  72  199  Peter 1 Island",
      "3Y0E  3Y/B  AF  38  67  24  Bouvet",
      "CE0YAB  CE0Y  SA  12  63  47  Easter Island",
      "T88AB  T8  OC  27  64  22  Palau",
      "PY0SAB  PY0S  SA  11  13  253  St. Peter & St. Paul",
      "RI1FJA  R1FJ  EU  40  75  61  Franz Josef Land",
      "UA9AA  UA9  AS  17  30  15  Asiatic Russia",
      "FO0AAA  FO/C  NA  7  10  36  Clipperton Island",
      "XX9ABC  XX9  AS  24  44  152  Macao",
      "VP6AB  VP6  OC  32  63  172  Pitcairn Island",
      "FO5ABC  FO  OC  32  63  175  French Polynesia",
      "IS0ABC  IS  EU  15  28  225  Sardinia",
      "ZB2ABC  ZB  EU  14  37  233  Gibraltar",
      "ZC4ABC  ZC4  AS  20  39  283  UK Base Areas on Cyprus",
  };
  const LongExactCalls longCalls = ReadLongExactCallsFile(kDebianCty);
  // Every long exact call is kept once (the file repeats a few).
  EXPECT_GT(longCalls.size(), 7000u);
  EXPECT_LE(static_cast<int>(longCalls.size()), r.longExactCalls);
  files.longCalls = &longCalls;
  for (const char* line : expected) {
    const std::string call = std::string(line).substr(0, std::string(line).find(' '));
    EXPECT_EQ(ResolveDxccLine(call, 0, files, today).text, line);
  }
  EXPECT_EQ(ResolveDxccLine("", 0, files, today).text, "  unresolved");

  // The entity numbers the tables give agree with the special list.
  for (const AdifSpecialPrefix& s : AdifSpecialPrefixes()) {
    EXPECT_EQ(AdifDxccNumber(s.prefix, &files), std::to_string(s.number)) << s.prefix;
  }
  EXPECT_EQ(AdifDxccNumber("Z6", &files), "522");
}

}  // namespace
}  // namespace korv::testing
