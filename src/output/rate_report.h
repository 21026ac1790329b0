// The QSO rate of a whole log, clock hour by clock hour (UTC, as the QSOs
// are stored): QSOs, points and new multipliers of every hour from the hour
// of the first QSO to the hour of the last, the claimed score at the end of
// each hour, and the best 10 and 60 minutes.
//
// The figures are those of the totals panel for the log cut at the end of
// the hour: points by the point rule (PointsOf), multipliers as
// CountMultipliers counts them (distinct values per table, per band or for
// the whole log, per mode class when the rules say so), the score by
// ComputeScore. So the last hour's score is the score of the log.
//
// One pass over the QSOs in date/time order. QSY lines are passed over as
// the score walk passes them over; QSOs without a date or a time belong to
// no hour and are only counted (`undated`).
#pragma once

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "common/dates.h"
#include "files/contest_header.h"
#include "logging/qso_record.h"
#include "logging/scoring.h"
#include "logging/totals.h"
#include "storage/file_block.h"

namespace korv {

// Empty hours between two QSOs are listed up to this length of the pause;
// a longer pause (a mistyped date, a log kept over weeks) is left out and
// the hour after it is marked.
inline constexpr std::int64_t kMaxListedPauseHours = 7 * 24;

struct RateHour {
  DayNumber date = kNoDate;  // of the hour's start
  int hour = 0;              // 0..23
  bool afterPause = false;   // empty hours before this one were left out
  std::int32_t qsos = 0;
  std::int64_t points = 0;          // what the hour's QSOs added to the points
  std::int64_t newMultipliers = 0;  // multipliers first worked in the hour
  std::int64_t score = 0;           // claimed score at the end of the hour
};

// The most QSOs in a window [t, t + length) that starts at a QSO's moment t.
struct RateWindow {
  int minutes = 0;
  std::int32_t qsos = 0;     // 0 without QSOs
  DayNumber date = kNoDate;  // the window's start
  TimeOfDay time = kNoTime;
  std::int32_t perHour = 0;  // qsos * 60 / minutes, rounded down
};

struct RateReport {
  std::vector<RateHour> hours;  // in time order; empty without timed QSOs
  std::int32_t qsos = 0;        // QSOs in the hours
  std::int32_t undated = 0;     // QSOs without date or time, in no hour
  std::int64_t points = 0;
  std::int64_t multipliers = 0;
  std::int64_t score = 0;  // the last hour's score
  RateWindow best10;
  RateWindow best60;
};

// Takes the QSO records one by one in ascending date/time order (a record
// earlier than the one before is counted at the moment of the one before).
class RateReportBuilder {
 public:
  RateReportBuilder(const ScoringContext& ctx, const ContestHeader& header);

  void Add(const QsoRecord& record);
  RateReport Finish();

 private:
  class BestWindow {
   public:
    explicit BestWindow(int minutes) { best_.minutes = minutes; }
    void Add(std::int64_t moment);
    RateWindow Finish();

   private:
    void CloseFirst();
    std::deque<std::int64_t> open_;  // moments inside the first one's window
    RateWindow best_;
  };

  void StartHour(std::int64_t hourNumber);
  void CloseHour();
  void CountMultipliersOf(const QsoRecord& record);

  ScoringContext ctx_;
  ContestHeader header_;
  std::vector<int> kinds_;
  std::vector<BandIndex> countedBands_;  // the band slots' bands, each once
  bool slotOne_ = false;
  bool wholeLog_ = false;

  LogTotals totals_;
  ScoreParts closed_;  // the score at the end of the last closed hour
  // (band or 0 for the whole log, table, mode or "", value)
  std::set<std::tuple<BandIndex, int, std::string, std::string>> worked_;

  RateReport report_;
  RateHour current_;
  std::int64_t currentHour_ = -1;  // hours since day 0; -1 before the first QSO
  std::int64_t lastMoment_ = -1;
  BestWindow best10_{10};
  BestWindow best60_{60};
};

// Walks the QSO file in index-1 order (date, time).
RateReport BuildRateReport(FileBlock& qsoFile, const ScoringContext& ctx,
                           const ContestHeader& header);

// --- chart scales ---------------------------------------------------------------

// An axis from 0 to top with a tick every step: step is 1, 2 or 5 times a
// power of ten, top the smallest multiple of step >= maxValue (at least one
// step), and top / step <= maxIntervals (at least 1).
struct AxisScale {
  std::int64_t step = 1;
  std::int64_t top = 1;
};
AxisScale ChooseAxisScale(std::int64_t maxValue, int maxIntervals);

// Every how many clock hours an hour label goes on the time axis so that at
// most maxLabels labels fall on `hours` hours: 1, 2, 3, 4, 6, 12, then whole
// days (24, 48, 72, ...). A label sits at an hour divisible by the step
// (days: at midnight of a day number divisible by step / 24).
int ChooseHourLabelStep(std::size_t hours, std::size_t maxLabels);
bool IsLabelledHour(const RateHour& hour, int step);

}  // namespace korv
