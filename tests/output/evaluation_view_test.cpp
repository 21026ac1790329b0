// The evaluation panel's texts from stored totals and the contest's score
// switches.
#include "output/evaluation_view.h"

#include <gtest/gtest.h>

#include "output/output_fixture.h"

namespace korv::testing {
namespace {

class EvaluationViewTest : public OutputTest {
 protected:
  EvaluationView View(ContestCode code = '3') const {
    return BuildEvaluationView(ReadStoredTotals(header, &totals, rules), rules, code);
  }
};

TEST_F(EvaluationViewTest, DezRowsPerBandAndTheProduct) {
  SetSlot(1, 3, 2, 16);
  SetSlot(2, 1, 0, 1);
  SetSlot(3, 120, 14, 1234);
  const EvaluationView v = View();
  ASSERT_EQ(v.rows.size(), 3u);
  const char* bands[] = {"80m", "40m", "10m"};
  const char* qsos[] = {"    3", "    1", "  120"};
  const char* multis[] = {"    2", "    0", "   14"};
  const char* points[] = {"   16", "    1", " 1234"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(v.rows[i].slot, static_cast<int>(i) + 1);
    EXPECT_EQ(v.rows[i].band, bands[i]);
    EXPECT_EQ(v.rows[i].qsos, qsos[i]);
    EXPECT_EQ(v.rows[i].multipliers, multis[i]);
    EXPECT_EQ(v.rows[i].points, points[i]);
  }
  EXPECT_TRUE(v.multiplierBlockShown);
  EXPECT_FALSE(v.multiplierBlockGreyed);
  EXPECT_EQ(v.qsoTotal, "124 QSO");
  EXPECT_EQ(v.multiplierTotal, "16 Multi x");
  EXPECT_EQ(v.pointsTotal, "1251 Punkte =");
  EXPECT_TRUE(v.pointsTotalShown);
  EXPECT_EQ(v.score, std::to_string(16 * 1251) + " Pkt.");
}

TEST_F(EvaluationViewTest, NoMultiplierScoresThePoints) {
  SetSlot(1, 4, 0, 7);
  const EvaluationView v = View();
  EXPECT_EQ(v.multiplierTotal, "0 Multi x");
  EXPECT_EQ(v.score, "7 Pkt.");
}

TEST_F(EvaluationViewTest, ScoreSwitchesChangeTheTotalLine) {
  SetSlot(1, 2, 2, 10);
  SetSlot(2, 1, 1, 5);
  struct Case {
    const char* what;
    std::function<void(ContestRules&)> change;
    bool greyed, pointsShown;
    std::string multi, points, score;
  } cases[] = {
      {"no multiplier kinds", [](ContestRules& r) { r.multiplierKinds.reset(); }, true, true, "", "15",
       "15 Pkt."},
      {"points only, PLZ", [](ContestRules& r) { r.pointsOnlyScore = 1; r.multiplierLabel[1] = "PLZ"; },
       false, true, "3 PLZ", "15 Punkte =", "15 Pkt."},
      {"band sum, Prefix", [](ContestRules& r) { r.bandSumScore = 1; r.multiplierLabel[1] = "Prefix"; },
       false, false, "3 Prefixe", "15 Punkte =", "25 Pkt."},
      {"band sum, DOK", [](ContestRules& r) { r.bandSumScore = 1; }, false, false, "3 Multi",
       "15 Punkte =", "25 Pkt."},
  };
  for (const Case& c : cases) {
    FillRules();
    c.change(rules);
    const EvaluationView v = View();
    EXPECT_EQ(v.multiplierBlockGreyed, c.greyed) << c.what;
    EXPECT_EQ(v.pointsTotalShown, c.pointsShown) << c.what;
    EXPECT_EQ(v.multiplierTotal, c.multi) << c.what;
    EXPECT_EQ(v.pointsTotal, c.points) << c.what;
    EXPECT_EQ(v.score, c.score) << c.what;
  }
}

TEST_F(EvaluationViewTest, MultiplierBlockAndRowsFollowModeAndCode) {
  for (int mode : {0, 1, 2}) {
    rules.multiplierMode = static_cast<std::uint8_t>(mode);
    EXPECT_EQ(View().multiplierBlockShown, mode != 1) << mode;
  }
  EXPECT_TRUE(View('E').rows.empty());
  rules.bandSlots[7] = 'a';  // slot 7 counts, slot 8 does not
  rules.bandSlots[8] = 'd';
  const EvaluationView v = View();
  ASSERT_EQ(v.rows.size(), 4u);
  EXPECT_EQ(v.rows.back().slot, 7);
  EXPECT_EQ(v.rows.back().band, "160m");
}

}  // namespace
}  // namespace korv::testing
