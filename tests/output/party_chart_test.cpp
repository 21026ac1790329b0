#include "output/party_chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "output_fixture.h"

namespace korv::testing {
namespace {

// One QSO of the age table: what was received as field 2 (or the whole
// exchange text), and the bucket it must land in per step width; nullopt
// when the QSO is not counted at all.
struct AgeCase {
  const char* what;
  std::string rcvdExch;
  std::uint16_t points = 1;
  bool qsyMarker = false;
  std::optional<int> step1;
  std::optional<int> step5;
  std::optional<int> step10;
};

const std::vector<AgeCase>& AgeCases() {
  static const std::vector<AgeCase> cases = {
      {"age 0", "59 00", 1, false, 0, 0, 0},
      {"age 1", "59 01", 1, false, 1, 5, 10},
      {"age 4", "59 04", 1, false, 4, 5, 10},
      {"age 5", "59 05", 1, false, 5, 5, 10},
      {"age 6", "59 06", 1, false, 6, 10, 10},
      {"age 10", "59 10", 1, false, 10, 10, 10},
      {"age 41", "59 41", 1, false, 41, 45, 50},
      {"age 89 behind a CW report", "59989", 1, false, 89, 90, 90},
      {"age 90", "59 90", 1, false, 90, 90, 90},
      {"age 95", "59 95", 1, false, 90, 90, 90},
      {"one digit", "59 7", 1, false, 7, 10, 10},
      {"age behind a blank", "59  8", 1, false, 8, 10, 10},
      {"age not given", "59 XX", 1, false, 1, 5, 10},
      {"letters", "59 N0", 1, false, 0, 0, 0},
      {"sign", "59 -5", 1, false, 0, 0, 0},
      {"digit and slash", "59 3/N05", 1, false, 0, 0, 0},
      {"report only", "59", 1, false, 0, 0, 0},
      {"no points", "59 40", 0, false, std::nullopt, std::nullopt, std::nullopt},
      {"QSY marker", "59 40", 1, true, std::nullopt, std::nullopt, std::nullopt},
  };
  return cases;
}

std::optional<int> Expected(const AgeCase& c, AgeStep step) {
  switch (step) {
    case AgeStep::kOne: return c.step1;
    case AgeStep::kFive: return c.step5;
    case AgeStep::kTen: return c.step10;
  }
  return std::nullopt;
}

constexpr AgeStep kSteps[] = {AgeStep::kOne, AgeStep::kFive, AgeStep::kTen};

class PartyChartTest : public OutputTest {
 protected:
  void AddAgeCase(const AgeCase& c) {
    AddRecord([&](QsoRecord& r) {
      r.SetCall("DL1AAA");
      r.SetQsoDate(qsoDay);
      r.SetBand('b');
      r.SetRcvdExch(c.rcvdExch);
      r.SetPoints(c.points);
      if (c.qsyMarker) r.SetQsyBand('c');
    });
  }
};

TEST(PartyAgeTest, EveryCountedCaseLandsInItsBucket) {
  for (const AgeCase& c : AgeCases()) {
    for (const AgeStep step : kSteps) {
      const std::optional<int> bucket = Expected(c, step);
      if (!bucket) continue;
      EXPECT_EQ(AgeBucket(AgeOfExchange(c.rcvdExch), step), *bucket)
          << c.what << ", step " << static_cast<int>(step);
    }
  }
}

TEST_F(PartyChartTest, TheLogIsCountedIntoTheBucketsOfEachStep) {
  for (const AgeCase& c : AgeCases()) AddAgeCase(c);
  const AgeTally tally = TallyAges(*qsoFile);
  ASSERT_TRUE(tally.ok()) << tally.storage.code;
  for (const AgeStep step : kSteps) {
    AgeCounts expected{};
    for (const AgeCase& c : AgeCases()) {
      if (const auto bucket = Expected(c, step)) ++expected[static_cast<std::size_t>(*bucket)];
    }
    EXPECT_EQ(GroupAges(tally.ages, step), expected) << "step " << static_cast<int>(step);
  }
}

TEST_F(PartyChartTest, AnEmptyLogCountsNothing) {
  const AgeTally tally = TallyAges(*qsoFile);
  ASSERT_TRUE(tally.ok());
  EXPECT_EQ(tally.ages, AgeCounts{});
}

TEST(PartyScaleTest, LargestCountRaisedToATenAndAMultipleOfTen) {
  const struct {
    int largest;
    int scale;
  } cases[] = {{0, 0}, {1, 10}, {3, 10}, {10, 10}, {11, 20}, {23, 30}, {30, 30}};
  for (const auto& c : cases) {
    AgeCounts buckets{};
    buckets[17] = c.largest;
    buckets[90] = c.largest > 0 ? 1 : 0;  // a smaller count beside it changes nothing
    EXPECT_EQ(ChartScale(buckets), c.scale) << "largest " << c.largest;
  }
}

// --- the drawing ----------------------------------------------------------------

const ChartText* FindText(const PartyChart& chart, std::string_view text) {
  const auto it = std::find_if(chart.texts.begin(), chart.texts.end(),
                               [text](const ChartText& t) { return t.text == text; });
  return it == chart.texts.end() ? nullptr : &*it;
}

// An age label: a text in the two rows under the axis.
const ChartText* FindAgeLabel(const PartyChart& chart, std::string_view text) {
  const auto it = std::find_if(chart.texts.begin(), chart.texts.end(), [text](const ChartText& t) {
    return t.text == text && (t.y == 265 || t.y == 275);
  });
  return it == chart.texts.end() ? nullptr : &*it;
}

std::vector<ChartBox> Bars(const PartyChart& chart) {
  std::vector<ChartBox> bars;
  for (const ChartBox& b : chart.boxes) {
    if (b.colour == kChartBlue) bars.push_back(b);
  }
  return bars;
}

// The bottom of the tick under age i, 0 when there is none.
int TickBottom(const PartyChart& chart, int age) {
  for (const ChartBox& b : chart.boxes) {
    if (b.colour == kChartInk && b.left == AgeX(age) && b.right == AgeX(age) + 1 && b.top == 252) {
      return b.bottom;
    }
  }
  return 0;
}

TEST(PartyDrawingTest, BarsStandOnTheAxisScaledToTheTopCount) {
  AgeCounts buckets{};
  buckets[20] = 23;
  buckets[31] = 7;
  buckets[90] = 30;  // the largest and the scale: its bar reaches the top
  const PartyChart chart = DrawPartyChart(buckets, AgeStep::kOne);
  ASSERT_EQ(chart.scale, 30);
  EXPECT_EQ(Bars(chart), (std::vector<ChartBox>{
                             {142, 50 + 1400 / 30, 145, 250, kChartBlue},  // 96: 46.67 cut to 46
                             {197, 50 + 4600 / 30, 200, 250, kChartBlue},  // 203
                             {492, 50, 495, 250, kChartBlue},
                         }));
}

TEST(PartyDrawingTest, BarWidthFollowsTheStep) {
  AgeCounts buckets{};
  buckets[10] = 4;
  const struct {
    AgeStep step;
    int right;
  } cases[] = {{AgeStep::kOne, 95}, {AgeStep::kFive, 107}, {AgeStep::kTen, 122}};
  for (const auto& c : cases) {
    const std::vector<ChartBox> bars = Bars(DrawPartyChart(buckets, c.step));
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0], (ChartBox{92, 50 + 6 * 200 / 10, c.right, 250, kChartBlue})) << static_cast<int>(c.step);
  }
}

TEST(PartyDrawingTest, AxesTicksAndTitlePerStep) {
  AgeCounts buckets{};
  buckets[0] = 1;
  const struct {
    AgeStep step;
    const char* title;
    int tick3, tick5, tick10, ticks;
  } cases[] = {
      {AgeStep::kOne, "Anzahl QSO pro Lebensalter", 257, 260, 263, 91},
      {AgeStep::kFive, "Anzahl QSO pro Lebensalter (5-Jahres-Schritte)", 0, 260, 263, 19},
      {AgeStep::kTen, "Anzahl QSO pro Lebensalter (10-Jahresschritte)", 0, 0, 263, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const PartyChart chart = DrawPartyChart(buckets, c.step);
    ASSERT_FALSE(chart.texts.empty());
    EXPECT_EQ(chart.texts[0], (ChartText{0, 0, c.title, true, kChartBlue}));
    ASSERT_NE(FindText(chart, "Lebensalter"), nullptr);
    EXPECT_EQ(*FindText(chart, "Lebensalter"), (ChartText{300, 290, "Lebensalter", true, kChartInk}));
    const auto has = [&chart](const ChartBox& box) {
      return std::find(chart.boxes.begin(), chart.boxes.end(), box) != chart.boxes.end();
    };
    EXPECT_TRUE(has({40, 50, 42, 260, kChartInk}));    // vertical axis
    EXPECT_TRUE(has({40, 250, 600, 252, kChartInk}));  // horizontal axis
    for (int n = 1; n <= 10; ++n) EXPECT_TRUE(has({30, 250 - 20 * n, 40, 251 - 20 * n, kChartInk})) << n;
    EXPECT_EQ(TickBottom(chart, 3), c.tick3);
    EXPECT_EQ(TickBottom(chart, 5), c.tick5);
    EXPECT_EQ(TickBottom(chart, 10), c.tick10);
    EXPECT_EQ(TickBottom(chart, 90), 263);
    int ticks = 0;
    for (int i = 0; i < kAgeBuckets; ++i) ticks += TickBottom(chart, i) != 0 ? 1 : 0;
    EXPECT_EQ(ticks, c.ticks);
  }
}

TEST(PartyDrawingTest, AgeLabelsUnderTheAxis) {
  AgeCounts buckets{};
  buckets[0] = 1;
  const struct {
    AgeStep step;
    std::vector<ChartText> present;
    std::vector<const char*> absent;
  } cases[] = {
      {AgeStep::kOne,
       {{35, 275, "0", false, kChartInk}, {60, 265, "5", false, kChartInk}, {85, 275, "10", false, kChartInk},
        {460, 265, "85", false, kChartInk}, {485, 275, "90 und mehr", false, kChartInk}},
       {"90", "3"}},
      {AgeStep::kFive,
       {{35, 275, "0-4", false, kChartInk}, {60, 265, "5-9", false, kChartInk},
        {85, 275, "10-14", false, kChartInk}, {460, 265, "85-89", false, kChartInk},
        {485, 275, "90 und mehr", false, kChartInk}},
       {"90-94", "5"}},
      {AgeStep::kTen,
       {{35, 275, "0-9", false, kChartInk}, {85, 275, "10-19", false, kChartInk},
        {435, 275, "80-89", false, kChartInk}, {485, 275, "90 und mehr", false, kChartInk}},
       {"5-14", "5-9", "90-99"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.step));
    const PartyChart chart = DrawPartyChart(buckets, c.step);
    for (const ChartText& t : c.present) {
      const ChartText* found = FindAgeLabel(chart, t.text);
      ASSERT_NE(found, nullptr) << t.text;
      EXPECT_EQ(*found, t);
    }
    for (const char* text : c.absent) EXPECT_EQ(FindAgeLabel(chart, text), nullptr) << text;
  }
}

TEST(PartyDrawingTest, ValueLabelsDivideTheScaleInTenths) {
  AgeCounts buckets{};
  buckets[44] = 23;
  const PartyChart chart = DrawPartyChart(buckets, AgeStep::kOne);
  std::vector<ChartText> labels;
  for (const ChartText& t : chart.texts) {
    if (t.x == 0 && t.y > 0) labels.push_back(t);
  }
  std::vector<ChartText> expected;
  for (int n = 10; n >= 1; --n) expected.push_back({0, 245 - 20 * n, std::to_string(3 * n), false, kChartInk});
  EXPECT_EQ(labels, expected);
}

TEST(PartyDrawingTest, WithoutCountedQsosOnlyTheNotice) {
  const PartyChart chart = DrawPartyChart(AgeCounts{}, AgeStep::kFive);
  EXPECT_EQ(chart.scale, 0);
  EXPECT_TRUE(chart.boxes.empty());
  EXPECT_EQ(chart.texts, (std::vector<ChartText>{{0, 0, "keine g\xFCltigen QSO im Log", true, kChartInk}}));
}

}  // namespace
}  // namespace korv::testing
