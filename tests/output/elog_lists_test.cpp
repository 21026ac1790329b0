// The common QSO-list writer and the E-Log lists and CSV file built on it.
#include <gtest/gtest.h>

#include "common/text.h"
#include "output/cover_sheet.h"
#include "output/csv_file.h"
#include "output/elog_lists.h"
#include "output/qso_list_writer.h"
#include "output_fixture.h"

namespace korv::testing {
namespace {

using ElogListsTest = OutputTest;

std::string Bytes(const OutputResult& result) {
  EXPECT_TRUE(result.ok()) << result.storage.code;
  return result.bytes;
}

TEST_F(ElogListsTest, QsoListMatchesGolden) {
  FillSampleLog();
  ExpectGolden("sample.ALL", Bytes(ElogQsoList(Context(), *qsoFile)));
}

TEST_F(ElogListsTest, CompleteFileMatchesGoldenAndIsCoverSheetThenQsoList) {
  FillSampleLog();
  const std::string file = Bytes(ElogCompleteFile(Context(), *qsoFile));
  ExpectGolden("sample.TXT", file);
  EXPECT_EQ(file, CoverSheetFile(Context()) + Bytes(ElogQsoList(Context(), *qsoFile)));
}

TEST_F(ElogListsTest, CsvMatchesGolden) {
  FillSampleLog();
  ExpectGolden("sample.CSV", Bytes(CsvFile(Context(), *qsoFile)));
}

TEST_F(ElogListsTest, BandListMatchesGolden) {
  FillSampleLog();
  ExpectGolden("sample.BND", Bytes(ElogBandList(Context(), *qsoFile)));
}

TEST_F(ElogListsTest, MultiplierCheckListMatchesGolden) {
  FillSampleLog();
  // A second 80 m QSO with N01 does not replace the first call of the row.
  AddQso({"DL7QQ", 'b', "CW", Ex("599", "N05"), Ex("599", "N01"), 1, "N01", "", 13, 0});
  AddQso({"DL8RR", 'c', "CW", Ex("599", "N05"), Ex("599", "N01"), 1, "N01", "N01", 13, 5});
  ExpectGolden("sample-multi.txt", Bytes(ElogMultiplierCheckList(Context(), *qsoFile)));
}

TEST_F(ElogListsTest, MultiplierCheckListOfCountries) {
  FillSampleLog();  // DL2XYZ (DL, EU) and DK3AB/P (DL) on 80 m, ON4XYZ (ON) on 80 m
  rules.multiplierKinds.reset();
  rules.multiplierKinds.set(2);
  auto rows = [&] {
    const auto lines = SplitLines(Bytes(ElogMultiplierCheckList(Context(), *qsoFile)));
    return std::vector<std::string>(lines.begin() + 5, lines.end());
  };
  const std::string blanks(26, ' ');
  EXPECT_EQ(rows(), (std::vector<std::string>{"     ON      ON4XYZ       " + blanks}));
  rules.multiplierKinds.set(3);  // the own country counts
  EXPECT_EQ(rows(), (std::vector<std::string>{"     DL      DL2XYZ       " + blanks,
                                              "     ON      ON4XYZ       " + blanks}));
  rules.multiplierKinds.set(9);  // Europe only: ON4XYZ carries no continent
  EXPECT_EQ(rows(), (std::vector<std::string>{"     DL      DL2XYZ       " + blanks}));
}

TEST_F(ElogListsTest, QsyMarkerCountsInTheNumbersButPrintsNoLine) {
  FillSampleLog();
  const auto lines = SplitLines(Bytes(ElogQsoList(Context(), *qsoFile)));
  // Title, blank line and heading come first; the QSO lines end at a blank.
  std::vector<std::string> numbers;
  for (std::size_t i = 3; i < lines.size() && lines[i] != "     "; ++i) {
    numbers.push_back(TrimBlanksTabs(lines[i].substr(5, 4)));
  }
  EXPECT_EQ(numbers, (std::vector<std::string>{"1", "2", "3", "5", "6"}));
}

TEST_F(ElogListsTest, ColumnWidthsHaveTheirMinimum) {
  AddQso({"K1A", 'b', "CW", Ex("5", ""), Ex("5", ""), 1, "", "", 12, 0});
  ListWidths w;
  ASSERT_TRUE(MeasureListWidths(*qsoFile, rules, w).ok());
  EXPECT_EQ(w.call, 8u);
  EXPECT_EQ(w.sent, 9u);
  EXPECT_EQ(w.received, 9u);
  EXPECT_EQ(w.points, 1u);
  ASSERT_EQ(w.columns.size(), 1u);
  EXPECT_EQ(w.columns[0].width, 5u);  // "DOK" + 2
  EXPECT_EQ(QsoListHeading(w, false, ListStyle::kList),
            "Nr   DATE   UTC  CALL     BAND MODE   SENT      RCVD      DOK   P");
}

TEST_F(ElogListsTest, ColumnWidthsFollowTheLongestValues) {
  AddQso({"OE/DL1ABC/P", 'b', "SSB", Ex("59", "N05/1234"), Ex("59", "N01"), 1000, "N01",
          "N01", 12, 0},
         [](QsoRecord& r) { r.SetMulti1("ZZ1234"); });
  ListWidths w;
  ASSERT_TRUE(MeasureListWidths(*qsoFile, rules, w).ok());
  EXPECT_EQ(w.call, 13u);
  EXPECT_EQ(w.sent, 13u);  // "59 N05/1234" + 2
  EXPECT_EQ(w.received, 9u);
  EXPECT_EQ(w.points, 4u);
  EXPECT_EQ(w.columns[0].width, 8u);
  EXPECT_EQ(QsoListHeading(w, false, ListStyle::kList),
            "Nr   DATE   UTC  CALL          BAND MODE   SENT          RCVD      DOK       Pkt");
}

TEST_F(ElogListsTest, BandColumnsOfEveryBand) {
  struct Case {
    BandIndex band;
    const char* list;
    const char* csv;
  };
  const Case cases[] = {
      {'a', "160 ", "160"}, {'b', "80  ", "80"},   {'j', "6   ", "6"},
      {'k', "2   ", "2"},   {'l', "70  ", "70  "}, {'m', "23  ", "23  "},
      {'p', "6   ", "6  "}, {'q', "3   ", "3  "},  {'r', "2189", "2189"},
      {'s', "1.2 ", "1.2 "}, {' ', "??  ", "??"},
  };
  ListWidths w = MinimumListWidths(rules);
  for (const Case& c : cases) {
    EXPECT_EQ(ListBandText(c.band), c.list) << c.band;
    std::array<std::uint8_t, kQsoRecordSize> bytes{};
    QsoRecord qso(bytes);
    qso.SetBand(c.band);
    const std::string line = QsoListLine(qso, 1, w, false, ListStyle::kCsv);
    // date;time;call;band;...
    std::size_t field = 0;
    for (int i = 0; i < 3; ++i) field = line.find(';', field) + 1;
    EXPECT_EQ(line.substr(field, line.find(';', field) - field), c.csv) << c.band;
  }
}

TEST_F(ElogListsTest, LineWithoutDateOrTimeKeepsItsColumns) {
  ListWidths w = MinimumListWidths(rules);
  std::array<std::uint8_t, kQsoRecordSize> bytes{};
  QsoRecord qso(bytes);
  qso.SetCall("DL2XYZ");
  qso.SetBand('b');
  qso.SetMode("SSB");
  qso.SetQsoDate(kNoDate);
  qso.SetQsoTime(kNoTime);
  EXPECT_EQ(QsoListLine(qso, 12, w, false, ListStyle::kList),
            "  12             DL2XYZ   80   SSB                              0");
  qso.SetQsoDate(DayNumberFromCivil({2009, 6, 15}));
  qso.SetQsoTime(0);  // midnight is a time
  EXPECT_EQ(QsoListLine(qso, 12, w, false, ListStyle::kList).substr(0, 16), "  12 150609 0000");
  EXPECT_EQ(QsoListLine(qso, 12, w, false, ListStyle::kCsv).substr(0, 13), "150609;00:00;");
}

TEST_F(ElogListsTest, SummaryByScoreRule) {
  struct Case {
    const char* name;
    bool noKinds, bandSum;
    int multipliers, points;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"30 DOKs, 250 points", false, false, 30, 250,
       {"", "    (   30) x     250", "", "          7500 Punkte"}},
      {"no multiplier", false, false, 0, 250, {"", "            x     250", "", "           250 Punkte"}},
      {"no multiplier kinds", true, false, 30, 250, {"", "           250 Punkte"}},
      {"band sum", false, true, 30, 250, {"", "          7500 Punkte"}},
  };
  for (const Case& c : cases) {
    FillRules();
    if (c.noKinds) rules.multiplierKinds.reset();
    rules.bandSumScore = c.bandSum ? 1 : 0;
    SetSlot(1, 100, c.multipliers, c.points);
    EXPECT_EQ(QsoListSummary(Context(), 21), c.lines) << c.name;
  }
}

TEST_F(ElogListsTest, SummaryPrintsLargeNumbersWhole) {
  SetSlot(1, 9000, 600, 30000);
  EXPECT_EQ(QsoListSummary(Context(), 0),
            (std::vector<std::string>{"", "(  600) x   30000", "", "18000000 Punkte"}));
}

TEST_F(ElogListsTest, SummaryJoinsTheColumnsAboveZero) {
  rules.multiplierLabel[2] = "DXCC";
  rules.multiplierLabel[3] = "Loc";
  SetSlot(1, 10, 7, 40);
  totals.SetColumn1Count(1, 4);
  totals.SetColumn2Count(1, 0);
  totals.SetColumn3Count(1, 3);
  EXPECT_EQ(QsoListSummary(Context(), 0),
            (std::vector<std::string>{"", "(    4 +     3) x      40", "", "    280 Punkte"}));
}

TEST_F(ElogListsTest, EmptyLogHasTitleHeadingAndSummary) {
  EXPECT_EQ(SplitLines(Bytes(ElogQsoList(Context(), *qsoFile))),
            (std::vector<std::string>{
                "     " + PadText("DEZ  -  QSO-Liste     CALL: DL1ABC", 77),
                "     ",
                "     Nr   DATE   UTC  CALL     BAND MODE   SENT      RCVD      DOK   P",
                "     ",
                "     " " x       0",
                "     ",
                "     " "      0 Punkte",
            }));
  // The CSV heading names the columns of its rows, one value per cell.
  EXPECT_EQ(SplitLines(Bytes(CsvFile(Context(), *qsoFile))),
            (std::vector<std::string>{"DATE;UTC;CALL;BAND;MODE;SENT;RCVD;DOK;P"}));
}

TEST_F(ElogListsTest, ListenerLogShowsTheSecondCall) {
  header.SetParticipationType(2);
  own.swlNumber = "DE-1234";
  FillRules();
  AddQso({"DL2XYZ", 'b', "SSB", Ex("57", ""), Ex("59", "N01"), 1, "N01", "N01", 12, 5},
         [](QsoRecord& r) { r.SetCall2("DK3AB"); });
  const auto lines = SplitLines(Bytes(ElogQsoList(Context(), *qsoFile)));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "     " + PadText("DEZ  -  QSO-Liste     SWL : DE-1234", 77));
  EXPECT_EQ(lines[2],
            "     DATE   UTC  CALL     BAND MODE   SENT      CALL2     SENT2     DOK   P");
  EXPECT_EQ(lines[3],
            "     150609 1205 DL2XYZ   80   SSB    59  N01   DK3AB     57        N01   1");
}

TEST_F(ElogListsTest, AFileOfOtherRecordsIsAFailure) {
  FileBlock* totalsFile = catalogue->OpenTotals();
  ASSERT_NE(totalsFile, nullptr);
  const OutputResult result = ElogQsoList(Context(), *totalsFile);
  EXPECT_FALSE(result.ok());
  EXPECT_TRUE(result.bytes.empty());
  EXPECT_FALSE(CsvFile(Context(), *totalsFile).ok());
  EXPECT_FALSE(ElogBandList(Context(), *totalsFile).ok());
  catalogue->ReleaseTotals();
}

}  // namespace
}  // namespace korv::testing
