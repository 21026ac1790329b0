// The STF file.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/text.h"
#include "output/stf_file.h"
#include "output_fixture.h"

namespace korv::testing {
namespace {

using StfFileTest = OutputTest;

std::vector<std::string> StfLines(const OutputContext& ctx, FileBlock& file) {
  const OutputResult result = StfFile(ctx, file);
  EXPECT_TRUE(result.ok()) << result.storage.code;
  return SplitLines(result.bytes);
}

std::string Line(const std::vector<std::string>& lines, std::string_view start) {
  const auto it = std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& l) { return l.starts_with(start); });
  return it == lines.end() ? std::string("<no line>") : *it;
}

TEST_F(StfFileTest, StfMatchesGolden) {
  FillSampleLog();
  const OutputResult result = StfFile(Context(), *qsoFile);
  ASSERT_TRUE(result.ok());
  ExpectGolden("sample.STF", result.bytes);
}

TEST_F(StfFileTest, EmptyLogHasTheWholeHeaderAndAnEmptyList) {
  const auto lines = StfLines(Context(), *qsoFile);
  EXPECT_EQ(Line(lines, "ClaimedQSO"), "ClaimedQSO   0");
  EXPECT_EQ(Line(lines, "ClaimedPts"), "ClaimedPts   0");
  EXPECT_EQ(Line(lines, "ClaimedScore"), "ClaimedScore 0");
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
            (std::vector<std::string>{"QsoList", "EndQSOList"}));
}

TEST_F(StfFileTest, PointsWithoutMultiplierClaimTheProduct) {
  SetSlot(1, 4, 0, 12);
  const auto lines = StfLines(Context(), *qsoFile);
  EXPECT_EQ(Line(lines, "ClaimedMult"), "ClaimedMult  0");
  // The product of points and multipliers, 0 here; the cover sheet claims 12.
  EXPECT_EQ(Line(lines, "ClaimedScore"), "ClaimedScore 0");
}

TEST_F(StfFileTest, FurtherMultiplierColumnsOnlyAboveZero) {
  SetSlot(1, 4, 3, 12);
  totals.SetColumn2Count(1, 2);
  auto lines = StfLines(Context(), *qsoFile);
  EXPECT_EQ(Line(lines, "ClaimedMult"), "ClaimedMult  3");
  EXPECT_EQ(Line(lines, "ClaimedMult2"), "ClaimedMult2 2");
  EXPECT_EQ(Line(lines, "ClaimedMult3"), "<no line>");
  rules.multiplierKinds.reset();
  lines = StfLines(Context(), *qsoFile);
  EXPECT_EQ(Line(lines, "ClaimedMult"), "<no line>");
  EXPECT_EQ(Line(lines, "ClaimedScore"), "ClaimedScore 12");
}

TEST_F(StfFileTest, BandColumn) {
  struct Case {
    BandIndex band;
    const char* text;
  };
  const Case cases[] = {{'a', "160 "}, {'j', "6   "}, {'l', "70  "}, {'p', "5   "},
                        {'r', "2189"}, {'s', "1.2 "}, {'k', "2   "}};
  for (const Case& c : cases) EXPECT_EQ(StfBandText(c.band), c.text) << c.band;
}

TEST_F(StfFileTest, MissingValuesPrintDashes) {
  AddQso({"", 'p', "", Ex("", ""), Ex("", ""), 0, "", "", 12, 5},
         [](QsoRecord& r) { r.SetQsoDate(kNoDate); });
  const auto lines = StfLines(Context(), *qsoFile);
  EXPECT_EQ(Line(lines, "     "),
            "         -    1205 5     -     -         -   -                 -   -               ");
}

TEST_F(StfFileTest, ClaimedQsoIsTheHighestRunningNumber) {
  FillSampleLog();
  // An old marker line with a number above every QSO is passed over.
  AddRecord([](QsoRecord& r) {
    r.SetQsyBand('i');
    r.SetSerialNo(99);
  });
  EXPECT_EQ(Line(StfLines(Context(), *qsoFile), "ClaimedQSO"), "ClaimedQSO   5");
}

TEST_F(StfFileTest, ListenerLogWritesTheHeardAndTheWorkedStation) {
  header.SetParticipationType(2);
  FillRules();
  AddQso({"DL2XYZ", 'b', "SSB", Ex("57", ""), Ex("59", "N01"), 1, "N01", "N01", 12, 5},
         [](QsoRecord& r) { r.SetCall2("DK3AB"); });
  const auto lines = StfLines(Context(), *qsoFile);
  EXPECT_EQ(Line(lines, "Category"), "Category     SWL");
  EXPECT_EQ(Line(lines, "     "),
            "     20090615 1205 80   SSB    DL2XYZ   59  N01               DK3AB     57   -"
            "               ");
}

}  // namespace
}  // namespace korv::testing
