// The party evaluation: how many QSOs were made with operators of each age,
// and the bar chart of it, for the contests whose exchange carries the other
// operator's age.
//
// The age of a QSO is read from its received exchange text (report padded to
// 3 characters, then field 2, ...): characters 4 and 5, i.e. the first two
// characters of field 2.
//
//   TEXT IN CHARACTERS 4-5       AGE
//   "XX" (age not given)         1 (see AgeOfExchange)
//   digits, blanks around them   their value; 90 and above count as 90
//   anything else, or missing    0
//
// Only QSOs with points count; QSY marker lines never do. The ages are kept
// per year (AgeCounts, 91 entries: 0..89 and "90 und mehr") and grouped into
// buckets of the chosen step width by GroupAges: an age that is a multiple
// of the width stays in its own bucket, any other age goes to the bucket of
// the next multiple (width 5: ages 1-5 in bucket 5, 6-10 in bucket 10).
// The chart's labels name the ages that follow a bucket ("5-9" under bucket
// 5). Labels and grouping disagree; both are kept as operators know them
// from earlier evaluations.
//
// The chart is a plain list of boxes and texts in pixel coordinates of the
// drawing panel (origin top left, y downwards), so that the window only
// paints it and tests read it without a screen. Its fixed geometry:
//
//   WHAT                 WHERE
//   title (bold, blue)   (0, 0)
//   axis caption (bold)  "Lebensalter" at (300, 290)
//   vertical axis        x 40..42, y 50..260
//   value ticks          x 30..40 at y 250 - 20 n, n = 1..10
//   horizontal axis      x 40..600, y 250..252
//   age ticks            x 42 + 5 i, from y 252 down to 263 (every tenth
//                        age), 260 (every fifth, widths 1 and 5), 257
//                        (the others, width 1)
//   age labels           (5 i + 35, 265), 10 lower for every tenth age
//   bars (blue)          x 42 + 5 i, width 3 / 15 / 30, from
//                        y 50 + trunc((m - count) * 200 / m) down to 250
//   value labels         n * m / 10 at (0, 245 - 20 n), n = 10..1
//
// Box ranges are half-open: a box covers x in [left, right) and y in
// [top, bottom); a line is a box one pixel wide. A text's position is the
// top left corner of its first character cell.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/errors.h"
#include "storage/file_block.h"

namespace korv {

inline constexpr int kAgeBuckets = 91;
inline constexpr int kOldestAge = 90;  // the bucket "90 und mehr"

// Counts indexed by age (or by a bucket's age): [0..89] and [90] = 90 and above.
using AgeCounts = std::array<int, kAgeBuckets>;

// The step width of the chart, in years.
enum class AgeStep : int { kOne = 1, kFive = 5, kTen = 10 };

// The age in a received exchange text, 0..90. Characters 4-5 "XX" (the
// operator did not give the age) read as age 1; they are not left out, so
// they count among the youngest and then go through the grouping like any
// other age 1 (bucket 1, 5 or 10). A number may have blanks around it;
// a sign, a "/" or any other character makes the text a non-number (age 0).
int AgeOfExchange(std::string_view receivedExchange);

// The bucket of an age (0..90) for a step width: the age when it is a
// multiple of the width, else the next multiple. Every bucket is 0..90.
int AgeBucket(int age, AgeStep step);

// The ages of a QSO file's counted QSOs, per year.
struct [[nodiscard]] AgeTally {
  Status storage;
  AgeCounts ages{};
  bool ok() const { return storage.ok(); }
};

// Reads every record of the open QSO file. The file's record buffer and
// current position change. A storage step that fails ends the reading;
// its status is returned with the counts so far.
AgeTally TallyAges(FileBlock& qsoFile);

// Per-year counts grouped into the buckets of a step width.
AgeCounts GroupAges(const AgeCounts& ages, AgeStep step);

// The top of the value axis for the grouped counts: 0 when no bucket holds a
// QSO (no chart), else the largest count raised to at least 10 and to a
// multiple of 10.
int ChartScale(const AgeCounts& buckets);

struct ChartColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const ChartColour&, const ChartColour&) = default;
};

inline constexpr ChartColour kChartInk{0, 0, 0};
inline constexpr ChartColour kChartBlue{0, 0, 255};
inline constexpr ChartColour kChartBackground{255, 255, 255};

struct ChartBox {
  int left = 0;
  int top = 0;
  int right = 0;   // exclusive
  int bottom = 0;  // exclusive
  ChartColour colour;
  friend bool operator==(const ChartBox&, const ChartBox&) = default;
};

struct ChartText {
  int x = 0;
  int y = 0;
  std::string text;  // Windows-1252
  bool bold = false;
  ChartColour colour;
  friend bool operator==(const ChartText&, const ChartText&) = default;
};

// What the drawing panel paints on its background: the boxes first, in
// order, then the texts.
struct PartyChart {
  int scale = 0;  // ChartScale of the buckets; 0: only the notice text
  std::vector<ChartBox> boxes;
  std::vector<ChartText> texts;
};

inline constexpr int kChartWidth = 620;   // the panel shows everything in this
inline constexpr int kChartHeight = 310;
inline constexpr int kChartAxisY = 250;   // top of the horizontal axis, foot of the bars
inline constexpr int kChartTopY = 50;     // top of a bar at the scale's value

// The notice shown in place of the chart when no QSO counts.
inline constexpr std::string_view kNoValidQsoText = "keine g\xFCltigen QSO im Log";

// The x of age (or bucket) i on the horizontal axis.
constexpr int AgeX(int age) { return 42 + 5 * age; }

// The chart of grouped counts (GroupAges with the same step). With a scale
// of 0 it holds only kNoValidQsoText, bold, at (0, 0).
PartyChart DrawPartyChart(const AgeCounts& buckets, AgeStep step);

}  // namespace korv
