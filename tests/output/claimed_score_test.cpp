// The claimed score and the totals it is computed from.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "output/claimed_score.h"

namespace korv {
namespace {

struct SlotValues {
  int qsos, multipliers, points;
};

class ClaimedScoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    header.Clear();
    bool uiGerman = true;
    rules = FillContestPresets('3', header, uiGerman);  // totals in the totals record
    totals.Clear();
  }
  void Fill(const std::vector<SlotValues>& slots) {
    for (std::size_t i = 0; i < slots.size(); ++i) {
      const int slot = static_cast<int>(i) + 1;
      totals.SetQsoCount(slot, slots[i].qsos);
      totals.SetMultiplierCount(slot, slots[i].multipliers);
      totals.SetPoints(slot, slots[i].points);
    }
  }
  std::int64_t Score() { return ClaimedScore(ReadStoredTotals(header, &totals, rules), rules); }

  std::array<std::uint8_t, kContestHeaderSize> headerBytes{};
  ContestHeader header{headerBytes};
  ContestRules rules;
  std::vector<std::uint8_t> totalsBytes = std::vector<std::uint8_t>(kTotalsRecordSize);
  TotalsRecord totals{TotalsRecord::Record(totalsBytes.data(), kTotalsRecordSize)};
};

TEST_F(ClaimedScoreTest, ScoreRuleByPresetSwitches) {
  // 80 m: 23 points, 4 DOKs; 40 m: 2 points, 2 DOKs; 10 m: 7 points, none.
  const std::vector<SlotValues> log = {{10, 4, 23}, {2, 2, 2}, {3, 0, 7}};
  struct Case {
    const char* name;
    bool noKinds, pointsOnly, bandSum;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"code 3: M x P", false, false, false, 6 * 32},
      {"no multiplier kinds: P", true, false, false, 32},
      {"points only: P", false, true, false, 32},
      {"points only wins over band sum", false, true, true, 32},
      {"band sum: slot without multiplier adds its points", false, false, true,
       4 * 23 + 2 * 2 + 7},
  };
  for (const Case& c : cases) {
    SetUp();
    Fill(log);
    if (c.noKinds) rules.multiplierKinds.reset();
    rules.pointsOnlyScore = c.pointsOnly ? 1 : 0;
    rules.bandSumScore = c.bandSum ? 1 : 0;
    EXPECT_EQ(Score(), c.expected) << c.name;
  }
}

TEST_F(ClaimedScoreTest, LogWithoutMultiplierScoresItsPoints) {
  Fill({{5, 0, 25}, {1, 0, 2}});
  EXPECT_EQ(Score(), 27);
}

TEST_F(ClaimedScoreTest, TotalsSumAllHundredSlots) {
  Fill({{1, 1, 1}});
  totals.SetQsoCount(100, 4);
  totals.SetMultiplierCount(100, 2);
  totals.SetPoints(100, 9);
  totals.SetColumn1Count(1, 1);
  totals.SetColumn1Count(100, 2);
  totals.SetColumn2Count(100, 3);
  const StoredTotals t = ReadStoredTotals(header, &totals, rules);
  EXPECT_EQ(t.qsos, 5);
  EXPECT_EQ(t.multipliers, 3);
  EXPECT_EQ(t.points, 10);
  EXPECT_EQ(t.columns[0], 3);
  EXPECT_EQ(t.columns[1], 3);
  EXPECT_EQ(t.slotTotals[0].band, 'b');
  EXPECT_EQ(t.slotTotals[2].band, 'i');
  EXPECT_EQ(t.slotTotals[3].band, 0);
  EXPECT_EQ(Score(), 30);
}

TEST_F(ClaimedScoreTest, MultipliersOnceOverAllBandsAreSlotOne) {
  Fill({{3, 5, 10}, {2, 4, 6}});
  rules.multiplierMode = 1;
  const StoredTotals t = ReadStoredTotals(header, &totals, rules);
  EXPECT_EQ(t.multipliers, 5);
  EXPECT_EQ(ClaimedScore(t, rules), 5 * 16);
}

TEST_F(ClaimedScoreTest, HeaderCountersWhenTheTotalsRecordIsNotUsed) {
  header.SetTotalsInTotalsRecord(0);
  Fill({{99, 99, 99}});  // not read
  header.SetQsoCount(1, 4);
  header.SetMultiplierCount(1, 2);
  header.SetPoints(1, 8);
  header.SetSecondMultiplierCount(1, 2);
  header.SetQsoCount(7, 1);
  header.SetMultiplierCount(7, 1);
  header.SetPoints(7, 3);
  header.SetThirdMultiplierCount(7, 1);
  const StoredTotals t = ReadStoredTotals(header, nullptr, rules);
  EXPECT_EQ(t.qsos, 5);
  EXPECT_EQ(t.multipliers, 3);
  EXPECT_EQ(t.points, 11);
  EXPECT_EQ(t.columns[0], 2);
  EXPECT_EQ(t.columns[1], 1);
  EXPECT_EQ(ClaimedScore(t, rules), 33);
}

TEST_F(ClaimedScoreTest, MissingTotalsRecordReadsAsZero) {
  const StoredTotals t = ReadStoredTotals(header, nullptr, rules);
  EXPECT_EQ(t.qsos, 0);
  EXPECT_EQ(ClaimedScore(t, rules), 0);
}

}  // namespace
}  // namespace korv
