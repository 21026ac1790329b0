#include "output/elog_lists.h"

#include <algorithm>
#include <map>

#include "common/text.h"
#include "output/cover_sheet.h"

namespace korv {
namespace {

constexpr std::size_t kQsoListTitleWidth = 77;
constexpr std::size_t kMultiTitleWidth = 65;
constexpr std::size_t kBandListCallLength = 29;
constexpr std::size_t kMultiFirstColumn = 8;
constexpr std::size_t kMultiBandColumn = 13;
constexpr std::size_t kMultiCallLength = 12;

// Multiplier kinds whose values are district codes kept in the DOK field.
constexpr std::array<std::size_t, 3> kDistrictKinds = {4, 8, 17};
constexpr std::size_t kPrefixKind = 2;
constexpr std::size_t kOwnCountryKind = 3;
constexpr std::size_t kEuropeOnlyKind = 9;

std::string BandListOwnId(const OutputContext& ctx) {
  const std::string id = OwnCallOrSwl(ctx);
  return id.substr(0, std::min(kBandListCallLength, id.size()));
}

// Position in entry order (QSY lines counted) of every record number.
Status EntryPositions(FileBlock& qsoFile, std::map<std::uint32_t, int>& positions) {
  int position = 0;
  return WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    positions[qso.recordNo()] = ++position;
    return true;
  });
}

// Rows of the multiplier check list for one kind of value: the QSO file
// walked in `index` order, one row per distinct value with the first call on
// each band slot.
Status AppendCheckRows(const OutputContext& ctx, FileBlock& qsoFile, int index,
                       const std::function<std::string(const QsoRecord&)>& valueOf,
                       OutputText& out) {
  std::vector<BandIndex> bands;
  for (char b : ctx.rules.bandSlots) {
    if (IsBand(b)) bands.push_back(b);
  }
  std::string current;
  std::vector<std::string> calls;
  auto flush = [&]() {
    if (current.empty()) return;
    std::string row = PadText(current, kMultiFirstColumn);
    for (const std::string& call : calls) row += PadText(call, kMultiBandColumn);
    out.Line(row);
  };
  const Status st = WalkQsoFile(qsoFile, index, [&](const QsoRecord& qso) {
    if (qso.IsQsyMarker() || !IsBand(qso.band())) return true;
    const std::string value = valueOf(qso);
    if (value.empty()) return true;
    if (value != current) {
      flush();
      current = value;
      calls.assign(bands.size(), std::string());
    }
    for (std::size_t i = 0; i < bands.size(); ++i) {
      if (bands[i] == qso.band() && calls[i].empty()) {
        const std::string call = TrimBlanksTabs(qso.call());
        calls[i] = call.substr(0, std::min(kMultiCallLength, call.size()));
      }
    }
    return true;
  });
  if (!st.ok()) return st;
  flush();
  return Status::Ok();
}

}  // namespace

std::vector<std::string> QsoListSummary(const OutputContext& ctx, std::size_t width) {
  const ContestRules& rules = ctx.rules;
  const StoredTotals& t = ctx.totals;
  std::vector<std::string> lines;
  lines.emplace_back();
  const std::int64_t score = ClaimedScore(t, rules);
  if (!HasMultiplierKinds(rules) || rules.pointsOnlyScore != 0 || rules.bandSumScore != 0) {
    const std::int64_t shown = rules.bandSumScore != 0 ? score : t.points;
    lines.push_back(PadLeftText(RightAligned(shown, 7) + " Punkte", width));
    return lines;
  }
  std::string counts;
  for (int c = 1; c <= kMultiplierColumns; ++c) {
    const std::int64_t total = t.columns[static_cast<std::size_t>(c - 1)];
    if (rules.multiplierLabel[c].empty() || total <= 0) continue;
    if (!counts.empty()) counts += " + ";
    counts += RightAligned(total, 5);
  }
  std::string product = counts.empty() ? std::string() : "(" + counts + ")";
  product += " x " + RightAligned(t.points, 7);
  lines.push_back(PadLeftText(product, width));
  lines.emplace_back();
  lines.push_back(PadLeftText(RightAligned(score, 7) + " Punkte", width));
  return lines;
}

Status AppendElogQsoList(const OutputContext& ctx, FileBlock& qsoFile, OutputText& out) {
  const bool listener = ctx.rules.listenerLog != 0;
  ListWidths widths;
  Status st = MeasureListWidths(qsoFile, ctx.rules, widths);
  if (!st.ok()) return st;

  const std::string title =
      ctx.rules.contestName +
      (listener ? "  -  QSO-Liste     SWL : " : "  -  QSO-Liste     CALL: ") + OwnCallOrSwl(ctx);
  out.Line(PadRightKeep(title, kQsoListTitleWidth));
  out.Line({});
  out.Line(QsoListHeading(widths, listener, ListStyle::kList));

  std::vector<std::string> lines;
  std::size_t longest = 0;
  int position = 0;
  st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    ++position;
    if (qso.IsQsyMarker()) return true;
    lines.push_back(QsoListLine(qso, position, widths, listener, ListStyle::kList));
    // The right end of the line: trailing blanks do not count.
    const std::size_t end = lines.back().find_last_not_of(' ');
    longest = std::max(longest, end == std::string::npos ? 0 : end + 1);
    return true;
  });
  if (!st.ok()) return st;
  for (const std::string& line : lines) out.Line(line);
  for (const std::string& line : QsoListSummary(ctx, longest)) out.Line(line);
  return Status::Ok();
}

OutputResult ElogQsoList(const OutputContext& ctx, FileBlock& qsoFile) {
  OutputText out(kListLinePrefix);
  const Status st = AppendElogQsoList(ctx, qsoFile, out);
  if (!st.ok()) return OutputResult::Failed(st);
  return {Status::Ok(), out.Take()};
}

OutputResult ElogCompleteFile(const OutputContext& ctx, FileBlock& qsoFile) {
  OutputText out(kListLinePrefix);
  AppendCoverSheet(ctx, out);
  const Status st = AppendElogQsoList(ctx, qsoFile, out);
  if (!st.ok()) return OutputResult::Failed(st);
  return {Status::Ok(), out.Take()};
}

OutputResult ElogBandList(const OutputContext& ctx, FileBlock& qsoFile) {
  const bool listener = ctx.rules.listenerLog != 0;
  ListWidths widths;
  Status st = MeasureListWidths(qsoFile, ctx.rules, widths);
  if (!st.ok()) return OutputResult::Failed(st);
  std::map<std::uint32_t, int> positions;
  st = EntryPositions(qsoFile, positions);
  if (!st.ok()) return OutputResult::Failed(st);

  OutputText out(kListLinePrefix);
  for (char band : ctx.rules.bandSlots) {
    if (!IsBand(band)) continue;
    out.BlankLines(2);
    out.Line("Band List   " + BandListOwnId(ctx) + "   " + std::string(BandName(band)));
    out.Line({});
    out.Line(QsoListHeading(widths, listener, ListStyle::kList));
    st = WalkQsoFile(
        qsoFile, kQsoIndexBandNumber,
        [&](const QsoRecord& qso) {
          if (qso.band() != band) return false;
          if (qso.IsQsyMarker()) return true;
          out.Line(QsoListLine(qso, positions[qso.recordNo()], widths, listener, ListStyle::kList));
          return true;
        },
        KeyString(std::string_view(&band, 1)));
    if (!st.ok()) return OutputResult::Failed(st);
  }
  return {Status::Ok(), out.Take()};
}

OutputResult ElogMultiplierCheckList(const OutputContext& ctx, FileBlock& qsoFile) {
  const ContestRules& rules = ctx.rules;
  OutputText out(kListLinePrefix);
  out.Line(PadRightKeep(rules.contestName + " Multiplier Check List   " + OwnCallOrSwl(ctx),
                        kMultiTitleWidth));
  out.BlankLines(2);
  std::string heading = PadText("Multi", kMultiFirstColumn);
  for (char band : rules.bandSlots) {
    if (IsBand(band)) heading += PadText(BandName(band), kMultiBandColumn);
  }
  out.Line(heading);
  out.Line({});

  const bool districts = std::any_of(kDistrictKinds.begin(), kDistrictKinds.end(),
                                     [&](std::size_t k) { return rules.multiplierKinds.test(k); });
  if (districts) {
    const Status st = AppendCheckRows(
        ctx, qsoFile, kQsoIndexDok,
        [](const QsoRecord& qso) { return TrimBlanksTabs(qso.dok()); }, out);
    if (!st.ok()) return OutputResult::Failed(st);
  }
  if (rules.multiplierKinds.test(kPrefixKind)) {
    const bool ownCountry = rules.multiplierKinds.test(kOwnCountryKind);
    const bool europeOnly = rules.multiplierKinds.test(kEuropeOnlyKind);
    const Status st = AppendCheckRows(
        ctx, qsoFile, kQsoIndexPrefix,
        [&](const QsoRecord& qso) {
          const std::string prefix = TrimBlanksTabs(qso.prefix());
          if (prefix == "DL" && !ownCountry) return std::string();
          if (europeOnly && TrimBlanksTabs(qso.continent()) != "EU") return std::string();
          return prefix;
        },
        out);
    if (!st.ok()) return OutputResult::Failed(st);
  }
  return {Status::Ok(), out.Take()};
}

}  // namespace korv
