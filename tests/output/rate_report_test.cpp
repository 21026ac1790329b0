// The rate report: QSOs per clock hour across hour and day boundaries, the
// cumulative score checked against the score walk of the log cut at the end
// of each hour, the best windows, and the chart scales.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logging/totals.h"
#include "output/output_fixture.h"
#include "output/rate_report.h"

namespace korv::testing {
namespace {

struct Qso {
  std::string call;
  BandIndex band = 'b';
  std::string mode = "SSB";
  std::string dok;
  int day = 0;  // days after the fixture's QSO day
  TimeOfDay time = 0;
  std::string multi3;
  std::string rcvd = "59";
  BandIndex qsy = 0;  // a QSY line to this band
  bool undated = false;
};

TimeOfDay At(int h, int m, int s = 0) {
  return h * 3600 + m * 60 + s;
}

Qso Q(std::string call, BandIndex band, std::string mode, std::string dok, int day, TimeOfDay time,
      std::string multi3 = "", std::string rcvd = "59") {
  Qso q;
  q.call = std::move(call);
  q.band = band;
  q.mode = std::move(mode);
  q.dok = std::move(dok);
  q.day = day;
  q.time = time;
  q.multi3 = std::move(multi3);
  q.rcvd = std::move(rcvd);
  return q;
}
Qso Qsy(BandIndex band, int day, TimeOfDay time) {
  Qso q;
  q.band = band;
  q.qsy = band;
  q.day = day;
  q.time = time;
  q.mode.clear();
  q.rcvd.clear();
  return q;
}
Qso Undated(Qso q) {
  q.undated = true;
  return q;
}

class RateReportTest : public OutputTest {
 protected:
  void Insert(FileBlock& file, const Qso& q) {
    file.ClearRecordBuffer();
    auto r = QsoRecord::Over(file.Record());
    ASSERT_TRUE(r.has_value());
    r->SetCall(q.call);
    r->SetQsoDate(q.undated ? 0 : qsoDay + q.day);
    r->SetQsoTime(q.time);
    r->SetBand(q.band);
    r->SetMode(q.mode);
    r->SetDok(q.dok);
    r->SetMulti3(q.multi3);
    r->SetRcvdExch(q.rcvd + q.dok);
    if (q.qsy != 0) r->SetQsyBand(q.qsy);
    r->SetSerialNo(++serial);
    r->SetBandNo2(serial);
    ASSERT_TRUE(file.InsertRecord().ok());
  }
  ScoringContext Ctx() const { return ScoringContext{&rules, '3', nullptr}; }
  RateReport Report(const std::vector<Qso>& qsos) {
    for (const Qso& q : qsos) Insert(*qsoFile, q);
    return BuildRateReport(*qsoFile, Ctx(), header);
  }
  std::int64_t Moment(const Qso& q) const {
    return (std::int64_t{qsoDay} + q.day) * kSecondsPerDay + q.time;
  }

  std::int32_t serial = 0;
};

TEST_F(RateReportTest, HoursFromTheFirstToTheLastQsoAcrossMidnight) {
  const RateReport r = Report({Q("DL1AA", 'b', "SSB", "N01", 0, At(22, 10)),
                               Q("DL1AB", 'b', "SSB", "N02", 0, At(23, 59, 59)),
                               Q("DL1AC", 'b', "SSB", "N03", 1, At(0, 0, 0)),
                               Q("DL1AD", 'b', "SSB", "N04", 1, At(0, 59, 59)),
                               Q("DL1AE", 'b', "SSB", "N05", 1, At(3, 0, 0))});
  struct Row {
    int day, hour, qsos;
  };
  const Row expected[] = {{0, 22, 1}, {0, 23, 1}, {1, 0, 2}, {1, 1, 0}, {1, 2, 0}, {1, 3, 1}};
  ASSERT_EQ(r.hours.size(), std::size(expected));
  for (std::size_t i = 0; i < r.hours.size(); ++i) {
    EXPECT_EQ(r.hours[i].date, qsoDay + expected[i].day) << i;
    EXPECT_EQ(r.hours[i].hour, expected[i].hour) << i;
    EXPECT_EQ(r.hours[i].qsos, expected[i].qsos) << i;
    EXPECT_FALSE(r.hours[i].afterPause) << i;
  }
  // The empty hours carry the score on.
  EXPECT_EQ(r.hours[3].score, r.hours[2].score);
  EXPECT_EQ(r.hours[4].score, r.hours[2].score);
  EXPECT_EQ(r.hours[3].points + r.hours[3].newMultipliers, 0);
  EXPECT_EQ(r.qsos, 5);
}

TEST_F(RateReportTest, DezPointsMultipliersAndScoreHourByHour) {
  // 80 m and 40 m count DOKs per band; P01 is no DEZ DOK; DK0VZ 10 points,
  // DA0XY a club station (5).
  const RateReport r = Report(
      {Q("DL1AA", 'b', "SSB", "N01", 0, At(8, 5)), Q("DK0VZ", 'b', "SSB", "N02", 0, At(8, 40)),
       Q("DL1AC", 'b', "SSB", "P01", 0, At(8, 59, 59)), Qsy('c', 0, At(9, 10)),
       Q("DL1AA", 'c', "SSB", "N01", 0, At(9, 11)), Q("DA0XY", 'c', "CW", "N01", 0, At(9, 12)),
       Q("DL1AD", 'b', "CW", "N02", 0, At(11, 0))});
  struct Row {
    std::int32_t qsos;
    std::int64_t points, multis, score;
  };
  // Score = all points x all multipliers at the end of the hour.
  const Row expected[] = {{3, 12, 2, 24}, {2, 6, 1, 18 * 3}, {0, 0, 0, 54}, {1, 1, 0, 19 * 3}};
  ASSERT_EQ(r.hours.size(), std::size(expected));
  for (std::size_t i = 0; i < r.hours.size(); ++i) {
    EXPECT_EQ(r.hours[i].qsos, expected[i].qsos) << i;
    EXPECT_EQ(r.hours[i].points, expected[i].points) << i;
    EXPECT_EQ(r.hours[i].newMultipliers, expected[i].multis) << i;
    EXPECT_EQ(r.hours[i].score, expected[i].score) << i;
  }
  EXPECT_EQ(r.qsos, 6);
  EXPECT_EQ(r.points, 19);
  EXPECT_EQ(r.multipliers, 3);
  EXPECT_EQ(r.score, 57);
}

// For every way the rules count multipliers, the score at the end of each
// hour is the score walk's (FullRecount, ComputeScore) over the QSOs up to
// that moment.
TEST_F(RateReportTest, EachHoursScoreIsTheScoreOfTheLogCutThere) {
  const std::vector<Qso> qsos = {
      Q("DL1AA", 'b', "SSB", "N01", 0, At(22, 1), "AB12"),
      Q("DL1AB", 'b', "CW", "N01", 0, At(22, 30), "AB12", "599"),
      Q("DK0VZ", 'c', "SSB", "N01", 0, At(22, 59, 59), "CD34"),
      Qsy('c', 0, At(23, 0)),
      Q("DL1AA", 'c', "CW", "Z41", 0, At(23, 0), "AB12", "599"),
      Q("DL1AA/P", 'i', "SSB", "N05", 0, At(23, 59, 59), "EF56"),
      Q("DA0XY", 'i', "SSB", "XX9", 1, At(0, 0), "CD34"),
      Q("DL1AC", 'b', "SSB", "N13", 1, At(0, 30), ""),
      Q("DL1AD", 'b', "CW", "N13", 1, At(2, 15), "GH78", "599"),
      Q("DL1AE", 'c', "SSB", "N05", 1, At(2, 16), "EF56"),
      Undated(Q("DL1AF", 'b', "SSB", "N99", 0, At(23, 30))),
  };
  struct Variant {
    const char* name;
    std::vector<int> kinds;  // empty: the presets' DOK
    int multiplierMode;
    const char* exchangeFilter;
    bool only80;  // 40 m and 10 m taken out of the band slots
  };
  const Variant variants[] = {
      {"DEZ per band", {}, 0, "", false},
      {"DEZ for the whole log", {}, 1, "", false},
      {"per band and mode", {}, 2, "", false},
      {"DOK test and any DOK share a table", {4, 8}, 0, "", false},
      {"whole-log kind counted per band", {19}, 0, "", false},
      {"per-band kind in a whole-log count", {10, 19}, 1, "", false},
      {"call multiplier per band", {10}, 0, "", false},
      {"exchange filter", {}, 0, "599", false},
      {"band outside the slots", {}, 0, "", true},
  };
  std::int32_t logNumber = 100;
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    FillRules();
    if (!v.kinds.empty()) {
      rules.multiplierKinds.reset();
      for (int k : v.kinds) rules.multiplierKinds.set(static_cast<std::size_t>(k));
    }
    rules.multiplierMode = static_cast<std::uint8_t>(v.multiplierMode);
    rules.exchangeFilter[1] = v.exchangeFilter;
    if (v.only80) rules.bandSlots[2] = rules.bandSlots[3] = 0;

    FileBlock* whole = catalogue->OpenQsoFile(++logNumber);
    ASSERT_NE(whole, nullptr);
    for (const Qso& q : qsos) Insert(*whole, q);
    const RateReport r = BuildRateReport(*whole, Ctx(), header);
    ASSERT_TRUE(catalogue->ReleaseQsoFile(logNumber));
    EXPECT_EQ(r.undated, 1);
    ASSERT_EQ(r.hours.size(), 5u);

    std::int64_t points = 0, multipliers = 0;
    for (const RateHour& hour : r.hours) {
      const std::int64_t end = (std::int64_t{hour.date} * 24 + hour.hour + 1) * 3600;
      FileBlock* cut = catalogue->OpenQsoFile(++logNumber);
      ASSERT_NE(cut, nullptr);
      for (const Qso& q : qsos) {
        if (!q.undated && Moment(q) < end) Insert(*cut, q);
      }
      MultiplierTables tables(Ctx());
      LogTotals cutTotals;
      FullRecount(*cut, Ctx(), header, rules.bandSlots[1], tables, cutTotals);
      const ScoreParts s = ComputeScore(cutTotals, rules);
      ASSERT_TRUE(catalogue->ReleaseQsoFile(logNumber));
      points += hour.points;
      multipliers += hour.newMultipliers;
      EXPECT_EQ(hour.score, s.score) << hour.hour;
      EXPECT_EQ(points, s.points) << hour.hour;
      EXPECT_EQ(multipliers, s.multipliers) << hour.hour;
    }
    EXPECT_EQ(r.score, r.hours.back().score);
    EXPECT_GT(r.score, 0);
  }
}

TEST_F(RateReportTest, BestWindowsStartAtAQsoAndEndBeforeTheirLength) {
  // A burst from 10:56 that runs over 11:00; 11:06:00 lies just outside the
  // 10 minutes from 10:56, so the window from 10:57 holds as many and the
  // earlier one is taken.
  const RateReport r = Report(
      {Q("DL1AA", 'b', "SSB", "N01", 0, At(10, 30)), Q("DL1AB", 'b', "SSB", "N01", 0, At(10, 56)),
       Q("DL1AC", 'b', "SSB", "N01", 0, At(10, 57)), Q("DL1AD", 'b', "SSB", "N01", 0, At(10, 58)),
       Q("DL1AE", 'b', "SSB", "N01", 0, At(10, 59, 30)),
       Q("DL1AF", 'b', "SSB", "N01", 0, At(11, 0, 0)), Q("DL1AG", 'b', "SSB", "N01", 0, At(11, 2)),
       Q("DL1AH", 'b', "SSB", "N01", 0, At(11, 5, 59)),
       Q("DL1AI", 'b', "SSB", "N01", 0, At(11, 6, 0)),
       Q("DL1AJ", 'b', "SSB", "N01", 0, At(11, 30, 0))});
  EXPECT_EQ(r.best10.minutes, 10);
  EXPECT_EQ(r.best10.qsos, 7);
  EXPECT_EQ(r.best10.date, qsoDay);
  EXPECT_EQ(r.best10.time, At(10, 56));
  EXPECT_EQ(r.best10.perHour, 42);
  // 10:30 to before 11:30: nine; from 10:56 the hour holds nine as well.
  EXPECT_EQ(r.best60.qsos, 9);
  EXPECT_EQ(r.best60.time, At(10, 30));
  EXPECT_EQ(r.best60.perHour, 9);
  ASSERT_EQ(r.hours.size(), 2u);
  EXPECT_EQ(r.hours[0].qsos, 5);
  EXPECT_EQ(r.hours[1].qsos, 5);
}

TEST_F(RateReportTest, LongPausesAreLeftOutAndMarked) {
  const int pause = static_cast<int>(kMaxListedPauseHours);
  // First pause exactly as long as is listed, the second one hour longer.
  const RateReport r =
      Report({Q("DL1AA", 'b', "SSB", "N01", 0, At(10, 0)),
              Q("DL1AB", 'b', "SSB", "N01", (11 + pause) / 24, At((11 + pause) % 24, 0)),
              Q("DL1AC", 'b', "SSB", "N01", (13 + 2 * pause) / 24, At((13 + 2 * pause) % 24, 0))});
  ASSERT_EQ(r.hours.size(), static_cast<std::size_t>(pause + 3));
  for (std::size_t i = 0; i + 1 < r.hours.size(); ++i) EXPECT_FALSE(r.hours[i].afterPause) << i;
  EXPECT_TRUE(r.hours.back().afterPause);
  EXPECT_EQ(r.hours.back().qsos, 1);
  EXPECT_EQ(r.hours[r.hours.size() - 2].qsos, 1);
}

TEST_F(RateReportTest, LogWithoutTimedQsos) {
  const RateReport empty = BuildRateReport(*qsoFile, Ctx(), header);
  EXPECT_TRUE(empty.hours.empty());
  EXPECT_EQ(empty.score, 0);
  EXPECT_EQ(empty.best10.qsos, 0);
  EXPECT_EQ(empty.best60.date, kNoDate);

  const RateReport r =
      Report({Q("DL1AA", 'b', "SSB", "N01", 0, kNoTime),
              Undated(Q("DL1AB", 'b', "SSB", "N01", 0, At(10, 0))), Qsy('c', 0, At(9, 0))});
  EXPECT_TRUE(r.hours.empty());
  EXPECT_EQ(r.undated, 2);
  EXPECT_EQ(r.qsos, 0);
}

TEST(RateChartScales, AxisSteps) {
  struct Case {
    std::int64_t max;
    int intervals;
    std::int64_t step, top;
  } cases[] = {
      {0, 8, 1, 1},
      {1, 8, 1, 1},
      {7, 8, 1, 7},
      {9, 8, 2, 10},
      {60, 8, 10, 60},
      {61, 8, 10, 70},
      {213200, 8, 50000, 250000},
      {24, 1, 50, 50},
      {100, 1, 100, 100},
      {101, 0, 200, 200},
  };
  for (const Case& c : cases) {
    const AxisScale s = ChooseAxisScale(c.max, c.intervals);
    EXPECT_EQ(s.step, c.step) << c.max << "/" << c.intervals;
    EXPECT_EQ(s.top, c.top) << c.max << "/" << c.intervals;
  }
}

TEST(RateChartScales, HourLabels) {
  struct Case {
    std::size_t hours, most;
    int step;
  } cases[] = {{1, 20, 1},    {20, 20, 1},   {21, 20, 2},   {48, 20, 3},
               {60, 20, 3},   {61, 20, 4},   {240, 20, 12}, {241, 20, 24},
               {480, 20, 24}, {500, 20, 48}, {700, 10, 72}};
  for (const Case& c : cases) EXPECT_EQ(ChooseHourLabelStep(c.hours, c.most), c.step) << c.hours;

  RateHour h;
  h.date = 10;
  h.hour = 6;
  EXPECT_TRUE(IsLabelledHour(h, 3));
  EXPECT_FALSE(IsLabelledHour(h, 4));
  EXPECT_FALSE(IsLabelledHour(h, 24));
  h.hour = 0;
  EXPECT_TRUE(IsLabelledHour(h, 24));
  EXPECT_TRUE(IsLabelledHour(h, 48));
  EXPECT_FALSE(IsLabelledHour(h, 72));
}

}  // namespace
}  // namespace korv::testing
