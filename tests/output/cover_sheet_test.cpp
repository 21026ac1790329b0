// The cover sheet: the E-Log cover file against its golden file, and the
// rules of the closing lines that the golden log does not reach.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/text.h"
#include "output/cover_sheet.h"
#include "output_fixture.h"

namespace korv::testing {
namespace {

using CoverSheetTest = OutputTest;

std::vector<std::string> Texts(const std::vector<CoverLine>& lines) {
  std::vector<std::string> out;
  for (const CoverLine& l : lines) out.push_back(l.text);
  return out;
}

// The lines that begin with `start`.
std::vector<std::string> Starting(const std::vector<std::string>& lines, std::string_view start) {
  std::vector<std::string> out;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(out),
               [&](const std::string& l) { return l.starts_with(start); });
  return out;
}

// The first line that begins with `start`, or a marker when none does.
std::string First(const std::vector<std::string>& lines, std::string_view start) {
  const auto found = Starting(lines, start);
  return found.empty() ? std::string("<no line>") : found.front();
}

TEST_F(CoverSheetTest, CoverFileMatchesGolden) {
  FillSampleLog();
  const std::string file = CoverSheetFile(Context());
  ExpectGolden("cover.SUM", file);
  for (const std::string& line : SplitLines(file)) {
    EXPECT_TRUE(line.starts_with("     ")) << '"' << line << '"';
  }
}

TEST_F(CoverSheetTest, LogWithoutMultiplierShowsPointsTwice) {
  SetSlot(1, 4, 0, 12);
  const auto lines = Texts(CoverSheetLines(Context(), CoverMedium::kFile));
  EXPECT_EQ(Starting(lines, "          Endergebnis:"),
            std::vector<std::string>{"          Endergebnis:  12 Punkte x 0 Multi = 12 Punkte"});
}

TEST_F(CoverSheetTest, ScoreLineFollowsThePresetSwitches) {
  SetSlot(1, 4, 2, 12);
  SetSlot(2, 1, 0, 3);
  struct Case {
    const char* name;
    bool noKinds, pointsOnly, bandSum;
    const char* line;
  };
  const Case cases[] = {
      {"no kinds", true, false, false, "          Endergebnis:  15 Punkte"},
      {"points only", false, true, false,
       "          Endergebnis:  15 Punkte (2 Multi) = 15 Punkte"},
      {"band sum", false, false, true, "          Endergebnis:      27"},
  };
  for (const Case& c : cases) {
    FillRules();
    if (c.noKinds) rules.multiplierKinds.reset();
    rules.pointsOnlyScore = c.pointsOnly ? 1 : 0;
    rules.bandSumScore = c.bandSum ? 1 : 0;
    const auto lines = Texts(CoverSheetLines(Context(), CoverMedium::kFile));
    EXPECT_EQ(Starting(lines, "          Endergebnis:"), std::vector<std::string>{c.line})
        << c.name;
  }
}

TEST_F(CoverSheetTest, BandSumAddsATotalColumnAndDropsTheSumLine) {
  SetSlot(1, 4, 2, 12);
  SetSlot(2, 1, 0, 3);
  rules.bandSumScore = 1;
  const auto lines = Texts(CoverSheetLines(Context(), CoverMedium::kFile));
  EXPECT_EQ(First(lines, "              Band"),
            "              Band    QSO   Punkte       DOK    Gesamt");
  EXPECT_EQ(First(lines, "              80 m"),
            "              80 m      4       12        2         24");
  EXPECT_EQ(First(lines, "              40 m"),
            "              40 m      1        3        0          3");
  EXPECT_TRUE(Starting(lines, "Summe").empty());
  EXPECT_EQ(First(lines, "          ___").size(), 10u + 47u + 8u);
}

TEST_F(CoverSheetTest, LongTownPushesTheDateOntoItsOwnLine) {
  // "Ort: " + postcode + blank + town: 62 characters.
  own.town = std::string(62 - 5 - 6, 'x');
  const auto lines = Texts(CoverSheetLines(Context(), CoverMedium::kFile));
  const auto place = std::find(lines.begin(), lines.end(), "Ort: 12345 " + own.town);
  ASSERT_NE(place, lines.end());
  EXPECT_EQ(*(place + 1), "");
  // The signature column pads the closing line to 43.
  EXPECT_EQ(*(place + 2), PadText("Datum: 20.06.2009   Call: DL1ABC", 43));

  own.town.pop_back();  // 61: the date stays on the place line
  const auto shorter = Texts(CoverSheetLines(Context(), CoverMedium::kFile));
  EXPECT_EQ(First(shorter, "Ort: 1"), "Ort: 12345 " + own.town + "     Datum: 20.06.2009");
  EXPECT_EQ(First(shorter, " Call: "), PadText(" Call: DL1ABC", 43));
}

TEST_F(CoverSheetTest, SignatureFieldOnlyOnThePrinter) {
  // A closing line of 43 or more: the signature field forms the next line.
  const auto file = Texts(CoverSheetLines(Context(), CoverMedium::kFile));
  const auto printer = Texts(CoverSheetLines(Context(), CoverMedium::kPrinter));
  const std::string closing = "Ort: 12345 Musterstadt     Datum: 20.06.2009   Call: DL1ABC";
  const auto inFile = std::find(file.begin(), file.end(), closing);
  const auto onPaper = std::find(printer.begin(), printer.end(), closing);
  ASSERT_NE(inFile, file.end());
  ASSERT_NE(onPaper, printer.end());
  EXPECT_EQ(std::vector<std::string>(inFile + 1, inFile + 3), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(std::vector<std::string>(onPaper + 1, onPaper + 4),
            (std::vector<std::string>{"", "Unterschrift _______________", ""}));

  // A shorter one is padded to 43 and the field appended.
  own.postcode.clear();
  own.town = "X";
  header.SetOwnCall("K1A");
  const std::string shortClosing = "Ort: X     Datum: 20.06.2009   Call: K1A";
  EXPECT_EQ(First(Texts(CoverSheetLines(Context(), CoverMedium::kFile)), "Ort: X"),
            PadText(shortClosing, 43));
  EXPECT_EQ(First(Texts(CoverSheetLines(Context(), CoverMedium::kPrinter)), "Ort: X"),
            PadText(shortClosing, 43) + "Unterschrift _______________");
}

TEST_F(CoverSheetTest, SwlNumberReplacesTheCallOnTheStationLine) {
  own.swlNumber = "DE-1234";
  header.SetParticipationType(2);
  FillRules();
  const auto lines = CoverSheetLines(Context(), CoverMedium::kFile);
  const auto station = std::find_if(lines.begin(), lines.end(),
                                    [](const CoverLine& l) { return l.text.starts_with("SWL:"); });
  ASSERT_NE(station, lines.end());
  EXPECT_TRUE(station->bold);
  EXPECT_EQ(station->text, "SWL:  DE-1234             DOK: N05          Loc: JO62QM   ");
  EXPECT_EQ(First(Texts(lines), "Teilnahmeart:"), "Teilnahmeart: SWL");
  // Only the fourth participation type closes with the SWL number; code '3'
  // has two, so its listener log closes with the call.
  EXPECT_EQ(First(Texts(lines), "Ort: 1"),
            "Ort: 12345 Musterstadt     Datum: 20.06.2009   Call: DL1ABC");
}

TEST_F(CoverSheetTest, FourthParticipationTypeClosesWithTheSwlNumber) {
  rules.participationTypes[4].description = "SWL";
  header.SetParticipationType(4);
  own.swlNumber = "DE-1234";
  const auto lines = Texts(CoverSheetLines(Context(), CoverMedium::kFile));
  EXPECT_EQ(First(lines, "Ort: 1"),
            "Ort: 12345 Musterstadt     Datum: 20.06.2009     SWL :DE-1234");
}

TEST_F(CoverSheetTest, LongCallMovesToALineOfItsOwn) {
  // "Ort: " + town + "     Datum: dd.mm.yyyy" is 52 long with a town of 25;
  // 52 + 19 reaches 71, so the call no longer fits.
  own.postcode.clear();
  own.town = std::string(25, 't');
  header.SetOwnCall("OE/DL1ABC/P");  // 11 characters: 52 + 11 < 71 fits
  auto lines = Texts(CoverSheetLines(Context(), CoverMedium::kFile));
  EXPECT_EQ(Starting(lines, " Call: ").size(), 0u);
  own.town = std::string(33, 't');  // 60 + 11 = 71: does not fit
  lines = Texts(CoverSheetLines(Context(), CoverMedium::kFile));
  EXPECT_EQ(Starting(lines, " Call: "), std::vector<std::string>{" Call: OE/DL1ABC/P" +
                                                                 std::string(25, ' ')});
}

TEST_F(CoverSheetTest, NoParticipationTypeLeavesItsLineEmpty) {
  header.SetParticipationType(0);
  const auto lines = Texts(CoverSheetLines(Context(), CoverMedium::kFile));
  EXPECT_TRUE(Starting(lines, "Teilnahmeart:").empty());
  header.SetParticipationType(200);  // a damaged byte: no type
  EXPECT_EQ(Starting(Texts(CoverSheetLines(Context(), CoverMedium::kFile)), "Teilnahmeart:"),
            std::vector<std::string>{"Teilnahmeart: "});
}

}  // namespace
}  // namespace korv::testing

namespace korv::testing {
namespace {

TEST(CoverSheetEnglish, EnglishLabels) {
  // Only the labels differ; the layout rules are tested with the German set.
  std::array<std::uint8_t, kContestHeaderSize> bytes{};
  ContestHeader header(bytes);
  header.SetOwnCall("G4ABC");
  header.SetLocator("IO91");
  header.SetDok("N05");
  header.SetParticipationType(1);
  bool uiGerman = true;
  ContestRules rules = FillContestPresets('3', header, uiGerman);
  std::vector<std::uint8_t> totalsBytes(kTotalsRecordSize);
  TotalsRecord totals{TotalsRecord::Record(totalsBytes.data(), kTotalsRecordSize)};
  totals.SetQsoCount(1, 10);
  totals.SetPoints(1, 20);
  totals.SetMultiplierCount(1, 4);
  totals.SetColumn1Count(1, 4);
  OwnStation own;
  own.name = "John Smith";
  own.street = "1 High Street";
  own.postcode = "AB1";
  own.town = "Sometown";
  own.country = "England";
  OutputContext ctx{header, rules, ReadStoredTotals(header, &totals, rules), own, DayNumberFromCivil({2009, 6, 20}), 0};
  ctx.uiGerman = false;
  const std::vector<std::string> lines = Texts(CoverSheetLines(ctx, CoverMedium::kPrinter));
  auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
  EXPECT_TRUE(has("Address:    1 High Street"));
  EXPECT_TRUE(has("            AB1 Sometown"));
  EXPECT_TRUE(has("Country:    England"));
  EXPECT_TRUE(has("Callsign: G4ABC               Loc: IO91     "));  // no DOK
  EXPECT_TRUE(has("Category: SSB/CW"));
  EXPECT_TRUE(has("          Final Score:  20 Points x 4 Multi = 80  Points"));
  EXPECT_TRUE(has("I affirm that I have observed all rules of "));
  EXPECT_TRUE(has("DEZ."));
  // The signature column is 50 wide in the English set.
  EXPECT_TRUE(has(PadText(" City:Sometown Date 20.06.2009 Call G4ABC", 50) + "Sign _______________"));
  for (const std::string& l : lines) EXPECT_EQ(l.find("Punkte"), std::string::npos) << l;
}

}  // namespace
}  // namespace korv::testing
