// rate LOG                     QSOs per clock hour with points, new
//                              multipliers and the score so far; the best
//                              10 and 60 minutes
// print LOG rate --pdf FILE    the same as a chart on one landscape page:
//                              bars of QSOs per hour, the score as a line
#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "common/dates.h"
#include "output/output_text.h"
#include "output/rate_report.h"
#include "tool/commands.h"
#include "tool/korvtool.h"
#include "tool/log_tool.h"
#include "tool/pdf_document.h"

namespace korv::tool {
namespace {

std::string Out(std::string_view cp1252) {
  return Cp1252ToUtf8(cp1252);
}

struct LogRate {
  std::int32_t number = 0;
  std::string name;  // Windows-1252
  std::string call;
  RateReport report;
};

// Opens the log as score does and builds its rate; an exit code on failure.
std::optional<int> LoadRate(const CommandEnv& env, std::string_view command,
                            const std::string& logText, LogRate& rate) {
  const auto number = ParseLogNumber(logText);
  if (!number) return LogUsage(env, command, "no log number: " + logText);
  LogTool tool(env, false);
  if (!tool.Start()) return kExitFailure;
  if (!tool.FindLog(*number)) {
    return LogUsage(env, command, "no log " + logText + " of the active contest");
  }
  std::vector<std::uint8_t> header = tool.HeaderBytes();
  const ContestRules rules = tool.RulesFor(header);
  const ContestHeader h(ContestHeader::Record(header.data(), kContestHeaderSize));
  OpenedFile qsos(tool.context().catalogue(), SharedFile::kQsoLog, *number);
  if (!qsos) return kExitFailure;
  const ScoringContext ctx{&rules, h.contestCode(), &tool.settings().suffixes};
  rate.number = *number;
  rate.name = h.name();
  rate.call = h.ownCall();
  rate.report = BuildRateReport(*qsos.get(), ctx, h);
  return std::nullopt;
}

std::string HourText(const RateHour& h) {
  char clock[8];
  std::snprintf(clock, sizeof clock, "%02d:00", h.hour);
  return DateToText(h.date) + " " + clock;
}

std::string WindowLine(const RateWindow& w) {
  std::ostringstream s;
  s << "best " << w.minutes << " minutes: " << w.qsos << " QSOs from " << DateToText(w.date) << " "
    << TimeToText(w.time) << " (" << w.perHour << " QSOs/h)";
  return s.str();
}

}  // namespace

int RunRate(const CommandEnv& env, CommandArgs args) {
  if (args.size() != 1) return LogUsage(env, "rate", "needs LOG");
  LogRate rate;
  if (auto code = LoadRate(env, "rate", args[0], rate)) return *code;
  const RateReport& r = rate.report;
  env.out << "log " << rate.number << "  " << Out(rate.name) << "  " << Out(rate.call) << "\n";
  if (r.hours.empty()) {
    env.out << "no QSOs with date and time in log " << rate.number << "\n";
    if (r.undated > 0) env.out << r.undated << " QSOs without date or time\n";
    return kExitOk;
  }
  auto row = [&](const std::string& label, std::int64_t qsos, std::int64_t points,
                 std::int64_t multis, std::int64_t score) {
    env.out << std::left << std::setw(16) << label << std::right << std::setw(7) << qsos
            << std::setw(8) << points << std::setw(11) << multis << std::setw(12) << score << "\n";
  };
  env.out << "hour (UTC)         QSOs  points  new multi       score\n";
  for (const RateHour& h : r.hours) {
    if (h.afterPause) env.out << "...\n";
    row(HourText(h), h.qsos, h.points, h.newMultipliers, h.score);
  }
  row("total", r.qsos, r.points, r.multipliers, r.score);
  if (r.undated > 0) env.out << r.undated << " QSOs without date or time are left out\n";
  env.out << WindowLine(r.best10) << "\n" << WindowLine(r.best60) << "\n";
  return kExitOk;
}

namespace {

using Color = PdfDocument::Color;
constexpr Color kBlack{0, 0, 0};
constexpr Color kGrid{0.82, 0.82, 0.82};
constexpr Color kBarFill{0.62, 0.73, 0.87};
constexpr Color kBarEdge{0.22, 0.34, 0.56};
constexpr Color kScoreLine{0.78, 0.12, 0.10};

PrintFont Font(int points, bool bold = false) {
  return PrintFont{"Courier New", points, bold};
}

std::string Clock(DayNumber date, int hour, int minute) {
  char clock[8];
  std::snprintf(clock, sizeof clock, "%02d:%02d", hour, minute);
  return DateToText(date) + " " + clock;
}

// The chart on one page. Pixels of the 600 dpi page; the plot's vertical
// scales share their intervals, so the grid lines meet both axes' ticks.
void DrawRateChart(PdfDocument& doc, const LogRate& rate) {
  const RateReport& r = rate.report;
  const int mm = doc.Resolution() * 10 / 254;
  const int width = doc.PageWidth();
  const int height = doc.PageHeight();
  const int margin = 15 * mm;

  int y = margin;
  doc.SetFont(Font(16, true));
  const std::string title = "QSO-Rate: " + rate.name + " \x96 " + rate.call;
  doc.TextOut(margin, y, title);
  y += doc.TextHeight(title) + 2 * mm;
  doc.SetFont(Font(9));
  const int line9 = doc.TextHeight("X");
  if (r.hours.empty()) {
    doc.TextOut(margin, y, "Das Log enth\xE4lt keine QSOs mit Datum und Zeit.");
    return;
  }
  const RateHour& first = r.hours.front();
  const RateHour& last = r.hours.back();
  std::string summary =
      Clock(first.date, first.hour, 0) + " bis " + Clock(last.date, last.hour, 59) +
      " UTC:  " + std::to_string(r.qsos) + " QSOs,  " + std::to_string(r.points) + " Punkte,  " +
      std::to_string(r.multipliers) + " Multi,  " + std::to_string(r.score) + " Pkt.";
  if (r.undated > 0)
    summary += "  (" + std::to_string(r.undated) + " QSOs ohne Datum/Zeit nicht gez\xE4hlt)";
  doc.TextOut(margin, y, summary);
  y += line9;
  auto window = [](const RateWindow& w) {
    return "beste " + std::to_string(w.minutes) + " Minuten: " + std::to_string(w.qsos) +
           " QSOs ab " + DateToText(w.date) + " " + TimeToText(w.time, "hh:mm") + " (" +
           std::to_string(w.perHour) + " QSOs/h)";
  };
  doc.TextOut(margin, y, window(r.best10) + "    " + window(r.best60));
  y += line9 + 5 * mm;

  // The scales: QSOs on the left, the score on the right, with the same
  // number of intervals.
  std::int32_t mostQsos = 1;
  for (const RateHour& h : r.hours) mostQsos = std::max(mostQsos, h.qsos);
  const AxisScale qsoScale = ChooseAxisScale(mostQsos, 8);
  const std::int64_t intervals = qsoScale.top / qsoScale.step;
  const std::int64_t scoreStep =
      ChooseAxisScale((std::max<std::int64_t>(r.score, 1) + intervals - 1) / intervals, 1).step;
  const std::int64_t scoreTop = scoreStep * intervals;

  doc.SetFont(Font(8));
  const int line8 = doc.TextHeight("X");
  const int leftLabels = doc.TextWidth(std::to_string(qsoScale.top));
  const int rightLabels = doc.TextWidth(std::to_string(scoreTop));
  const int tick = 2 * mm;
  const int plotLeft = margin + leftLabels + tick + mm;
  const int plotRight = width - margin - rightLabels - tick - mm;
  const int plotWidth = plotRight - plotLeft;

  // The axis titles and the legend above the plot.
  doc.TextOut(margin, y, "QSOs");
  doc.TextOut(width - margin - doc.TextWidth("Pkt."), y, "Pkt.");
  doc.SetFont(Font(9));
  const std::string barLegend = "QSOs je Stunde";
  const std::string lineLegend = "Punkte gesamt";
  const int sample = 8 * mm;
  const int legendGap = 2 * mm;
  const int legendWidth =
      2 * (sample + legendGap) + doc.TextWidth(barLegend) + 10 * mm + doc.TextWidth(lineLegend);
  int x = plotLeft + (plotWidth - legendWidth) / 2;
  doc.FillRect(x, y + line9 / 6, sample, line9 * 2 / 3, kBarFill);
  doc.FrameRect(x, y + line9 / 6, sample, line9 * 2 / 3, 3, kBarEdge);
  x += sample + legendGap;
  doc.TextOut(x, y, barLegend);
  x += doc.TextWidth(barLegend) + 10 * mm;
  doc.Line({x, y + line9 / 2}, {x + sample, y + line9 / 2}, 14, kScoreLine);
  doc.FillRect(x + sample / 2 - 20, y + line9 / 2 - 20, 40, 40, kScoreLine);
  x += sample + legendGap;
  doc.TextOut(x, y, lineLegend);
  y += line9 + 3 * mm;

  const int plotTop = y;
  const int plotBottom = height - margin - 3 * line8 - 4 * mm;
  const int plotHeight = plotBottom - plotTop;
  auto qsoY = [&](std::int64_t v) {
    return plotBottom - static_cast<int>(v * plotHeight / qsoScale.top);
  };
  auto scoreY = [&](std::int64_t v) {
    return plotBottom - static_cast<int>(v * plotHeight / scoreTop);
  };

  // Grid and vertical axes with their ticks.
  doc.SetFont(Font(8));
  for (std::int64_t i = 0; i <= intervals; ++i) {
    const int gy = qsoY(i * qsoScale.step);
    if (i > 0) doc.Line({plotLeft, gy}, {plotRight, gy}, 3, kGrid);
    doc.Line({plotLeft - tick, gy}, {plotLeft, gy}, 4, kBlack);
    doc.Line({plotRight, gy}, {plotRight + tick, gy}, 4, kBlack);
    const std::string left = std::to_string(i * qsoScale.step);
    doc.TextOut(plotLeft - tick - mm - doc.TextWidth(left), gy - line8 / 2, left);
    doc.TextOut(plotRight + tick + mm, gy - line8 / 2, std::to_string(i * scoreStep));
  }

  // The bars, one slot an hour; a long pause left out is marked on the axis.
  const double slot = static_cast<double>(plotWidth) / static_cast<double>(r.hours.size());
  const int barWidth = std::clamp(static_cast<int>(slot * 0.7), 1, 12 * mm);
  auto slotLeft = [&](std::size_t i) {
    return plotLeft + static_cast<int>(slot * static_cast<double>(i));
  };
  for (std::size_t i = 0; i < r.hours.size(); ++i) {
    const RateHour& h = r.hours[i];
    const int bx = slotLeft(i) + (static_cast<int>(slot) - barWidth) / 2;
    if (h.qsos > 0) {
      doc.FillRect(bx, qsoY(h.qsos), barWidth, plotBottom - qsoY(h.qsos), kBarFill);
      if (barWidth >= 2 * mm)
        doc.FrameRect(bx, qsoY(h.qsos), barWidth, plotBottom - qsoY(h.qsos), 3, kBarEdge);
    }
    if (h.afterPause) {
      const int px = slotLeft(i);
      doc.Line({px - 30, plotBottom + 40}, {px - 10, plotBottom - 40}, 4, kBlack);
      doc.Line({px + 10, plotBottom + 40}, {px + 30, plotBottom - 40}, 4, kBlack);
    }
  }
  doc.Line({plotLeft, plotTop}, {plotLeft, plotBottom}, 5, kBlack);
  doc.Line({plotRight, plotTop}, {plotRight, plotBottom}, 5, kBlack);
  doc.Line({plotLeft, plotBottom}, {plotRight, plotBottom}, 5, kBlack);

  // The score at the end of each hour, from 0 at the start of the first.
  std::vector<PdfDocument::Point> points{{plotLeft, scoreY(0)}};
  for (std::size_t i = 0; i < r.hours.size(); ++i)
    points.push_back({slotLeft(i + 1), scoreY(r.hours[i].score)});
  doc.Polyline(points, 14, kScoreLine);
  if (slot >= 4 * mm) {
    for (std::size_t i = 1; i < points.size(); ++i) {
      doc.FillRect(points[i].first - 20, points[i].second - 20, 40, 40, kScoreLine);
    }
  }

  // Hour labels under the bars, every step-th clock hour, never overlapping;
  // the date under the first label of each day.
  const int labelWidth = doc.TextWidth("00:00.");
  const int gap = 3 * mm;
  const auto most = static_cast<std::size_t>(std::max(1, plotWidth / (labelWidth + gap)));
  const int step = ChooseHourLabelStep(r.hours.size(), most);
  const int hourRow = plotBottom + tick + mm;
  const int dateRow = hourRow + line8;
  int hourEnd = 0;
  int dateEnd = 0;
  DayNumber lastDate = kNoDate;
  for (std::size_t i = 0; i < r.hours.size(); ++i) {
    const RateHour& h = r.hours[i];
    if (!IsLabelledHour(h, step)) continue;
    const int center = slotLeft(i) + static_cast<int>(slot / 2);
    char clock[8];
    std::snprintf(clock, sizeof clock, "%02d:00", h.hour);
    const std::string label = step >= 24 ? DateToText(h.date, "dd.mm.") : std::string(clock);
    const int lx = std::clamp(center - doc.TextWidth(label) / 2, margin,
                              width - margin - doc.TextWidth(label));
    if (i > 0 && lx < hourEnd + gap) continue;
    doc.Line({center, plotBottom}, {center, plotBottom + tick}, 4, kBlack);
    doc.TextOut(lx, hourRow, label);
    hourEnd = lx + doc.TextWidth(label);
    if (step < 24 && h.date != lastDate) {
      const std::string date = DateToText(h.date);
      const int dx = std::clamp(center - doc.TextWidth(date) / 2, margin,
                                width - margin - doc.TextWidth(date));
      if (lastDate == kNoDate || dx >= dateEnd + gap) {
        doc.TextOut(dx, dateRow, date);
        dateEnd = dx + doc.TextWidth(date);
        lastDate = h.date;
      }
    }
  }
  const std::string caption = "Stunde (UTC)";
  doc.TextOut(plotLeft + (plotWidth - doc.TextWidth(caption)) / 2, dateRow + line8 + mm, caption);
}

}  // namespace

int PrintRateChart(const CommandEnv& env, const std::string& log,
                   const std::filesystem::path& pdf) {
  LogRate rate;
  if (auto code = LoadRate(env, "print", log, rate)) return *code;
  std::unique_ptr<PdfDocument> doc = PdfDocument::Create(pdf, PdfDocument::Orientation::kLandscape);
  if (doc == nullptr) {
    env.err << Out(CannotCreateMessage(pdf.string())) << "\n";
    return kExitFailure;
  }
  DrawRateChart(*doc, rate);
  if (!doc->End()) {
    env.err << Out(CannotCreateMessage(pdf.string())) << "\n";
    return kExitFailure;
  }
  env.out << Out(FileCreatedMessage(pdf.string())) << "\n";
  return kExitOk;
}

}  // namespace korv::tool
