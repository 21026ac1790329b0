#include "output/party_chart.h"

#include <algorithm>

#include "common/text.h"
#include "output/qso_list_writer.h"

namespace korv {
namespace {

constexpr std::size_t kAgeOffset = 3;  // characters 4-5, 0-based
constexpr std::size_t kAgeLength = 2;
constexpr int kLowestValueY = 245;     // value label of n = 0 would stand here
constexpr int kValueStep = 20;         // pixels between two value ticks
constexpr int kBarRange = 200;         // pixels from the axis to the top of the scale
constexpr int kAxisLeft = 40;
constexpr int kAxisRight = 600;
constexpr int kAxisBottomY = 260;      // foot of the vertical axis
constexpr int kAgeTickTop = kChartAxisY + 2;
constexpr int kLabelY = 265;

int Width(AgeStep step) { return static_cast<int>(step); }

int BarWidth(AgeStep step) {
  switch (step) {
    case AgeStep::kOne: return 3;
    case AgeStep::kFive: return 15;
    case AgeStep::kTen: return 30;
  }
  return 3;
}

std::string Title(AgeStep step) {
  switch (step) {
    case AgeStep::kOne: return "Anzahl QSO pro Lebensalter";
    case AgeStep::kFive: return "Anzahl QSO pro Lebensalter (5-Jahres-Schritte)";
    case AgeStep::kTen: return "Anzahl QSO pro Lebensalter (10-Jahresschritte)";
  }
  return {};
}

// The bottom of the tick under age i; 0 when that age has no tick.
int AgeTickBottom(int age, AgeStep step) {
  if (age % 10 == 0) return 263;
  if (age % 5 == 0 && step != AgeStep::kTen) return 260;
  if (step == AgeStep::kOne) return 257;
  return 0;
}

// The label under age i; empty when that age has none.
std::string AgeLabel(int age, AgeStep step) {
  const int labelled = step == AgeStep::kTen ? 10 : 5;
  if (age % labelled != 0) return {};
  if (age == kOldestAge) return "90 und mehr";
  const std::string from = std::to_string(age);
  switch (step) {
    case AgeStep::kOne: return from;
    case AgeStep::kFive: return from + "-" + std::to_string(age + 4);
    case AgeStep::kTen: return from + "-" + std::to_string(age + 9);
  }
  return {};
}

}  // namespace

int AgeOfExchange(std::string_view receivedExchange) {
  if (receivedExchange.size() <= kAgeOffset) return 0;
  const std::string_view chars = receivedExchange.substr(kAgeOffset, kAgeLength);
  if (chars == "XX") return 1;
  const std::string_view digits = TrimBlanksTabsView(chars);
  if (digits.empty()) return 0;
  int age = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return 0;
    age = age * 10 + (c - '0');
  }
  return std::min(age, kOldestAge);
}

int AgeBucket(int age, AgeStep step) {
  const int w = Width(step);
  const int a = std::clamp(age, 0, kOldestAge);
  const int bucket = a % w == 0 ? a : (a / w + 1) * w;
  return std::min(bucket, kOldestAge);
}

AgeTally TallyAges(FileBlock& qsoFile) {
  AgeTally tally;
  tally.storage = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&tally](const QsoRecord& qso) {
    if (qso.IsQsyMarker() || qso.points() == 0) return true;
    ++tally.ages[static_cast<std::size_t>(AgeOfExchange(qso.rcvdExch()))];
    return true;
  });
  return tally;
}

AgeCounts GroupAges(const AgeCounts& ages, AgeStep step) {
  AgeCounts buckets{};
  for (int age = 0; age < kAgeBuckets; ++age) {
    buckets[static_cast<std::size_t>(AgeBucket(age, step))] += ages[static_cast<std::size_t>(age)];
  }
  return buckets;
}

int ChartScale(const AgeCounts& buckets) {
  const int m = *std::max_element(buckets.begin(), buckets.end());
  if (m <= 0) return 0;
  const int atLeastTen = std::max(m, 10);
  return (atLeastTen + 9) / 10 * 10;
}

PartyChart DrawPartyChart(const AgeCounts& buckets, AgeStep step) {
  PartyChart chart;
  chart.scale = ChartScale(buckets);
  if (chart.scale == 0) {
    chart.texts.push_back({0, 0, std::string(kNoValidQsoText), true, kChartInk});
    return chart;
  }
  const int m = chart.scale;
  chart.texts.push_back({0, 0, Title(step), true, kChartBlue});
  chart.texts.push_back({300, 290, "Lebensalter", true, kChartInk});

  chart.boxes.push_back({kAxisLeft, kChartTopY, kAxisLeft + 2, kAxisBottomY, kChartInk});
  for (int n = 1; n <= 10; ++n) {
    const int y = kChartAxisY - kValueStep * n;
    chart.boxes.push_back({30, y, kAxisLeft, y + 1, kChartInk});
  }
  chart.boxes.push_back({kAxisLeft, kChartAxisY, kAxisRight, kChartAxisY + 2, kChartInk});
  for (int i = 0; i < kAgeBuckets; ++i) {
    if (const int bottom = AgeTickBottom(i, step); bottom != 0) {
      chart.boxes.push_back({AgeX(i), kAgeTickTop, AgeX(i) + 1, bottom, kChartInk});
    }
    std::string label = AgeLabel(i, step);
    if (!label.empty()) {
      chart.texts.push_back({5 * i + 35, i % 10 == 0 ? kLabelY + 10 : kLabelY, std::move(label), false, kChartInk});
    }
  }

  for (int i = 0; i < kAgeBuckets; ++i) {
    const int count = buckets[static_cast<std::size_t>(i)];
    if (count <= 0) continue;
    // Integer division truncates: count <= m keeps the operands non-negative.
    const int top = kChartTopY + (m - count) * kBarRange / m;
    chart.boxes.push_back({AgeX(i), top, AgeX(i) + BarWidth(step), kChartAxisY, kChartBlue});
  }

  // A label not below the one above it is left out; with a scale that is a
  // multiple of 10 every tenth is a whole, different number and all ten show.
  int previous = -1;
  for (int n = 10; n >= 1; --n) {
    const int value = (n * m * 2 + 10) / 20;  // n * m / 10, rounded half up
    if (previous >= 0 && value >= previous) continue;
    chart.texts.push_back({0, kLowestValueY - kValueStep * n, std::to_string(value), false, kChartInk});
    previous = value;
  }
  return chart;
}

}  // namespace korv
