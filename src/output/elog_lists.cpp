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
                       std::vector<std::string>& out) {
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
    out.push_back(std::move(row));
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

Status QsoListBody(const OutputContext& ctx, FileBlock& qsoFile, ListBody& body) {
  const bool listener = ctx.rules.listenerLog != 0;
  ListWidths widths;
  Status st = MeasureListWidths(qsoFile, ctx.rules, widths);
  if (!st.ok()) return st;
  body.heading = QsoListHeading(widths, listener, ListStyle::kList);
  body.lines.clear();
  std::size_t longest = 0;
  int position = 0;
  st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    ++position;
    if (qso.IsQsyMarker()) return true;
    body.lines.push_back(QsoListLine(qso, position, widths, listener, ListStyle::kList));
    // The right end of the line: trailing blanks do not count.
    const std::size_t end = body.lines.back().find_last_not_of(' ');
    longest = std::max(longest, end == std::string::npos ? 0 : end + 1);
    return true;
  });
  if (!st.ok()) return st;
  body.summary = QsoListSummary(ctx, longest);
  return Status::Ok();
}

Status AppendElogQsoList(const OutputContext& ctx, FileBlock& qsoFile, OutputText& out) {
  ListBody body;
  const Status st = QsoListBody(ctx, qsoFile, body);
  if (!st.ok()) return st;
  out.Line(QsoListTitle(ctx));
  out.Line({});
  out.Line(body.heading);
  for (const std::string& line : body.lines) out.Line(line);
  for (const std::string& line : body.summary) out.Line(line);
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

Status BandListBody(const OutputContext& ctx, FileBlock& qsoFile, std::string& heading,
                    std::vector<BandSection>& sections) {
  const bool listener = ctx.rules.listenerLog != 0;
  ListWidths widths;
  Status st = MeasureListWidths(qsoFile, ctx.rules, widths);
  if (!st.ok()) return st;
  std::map<std::uint32_t, int> positions;
  st = EntryPositions(qsoFile, positions);
  if (!st.ok()) return st;
  heading = QsoListHeading(widths, listener, ListStyle::kList);
  sections.clear();
  for (char band : ctx.rules.bandSlots) {
    if (!IsBand(band)) continue;
    BandSection& section = sections.emplace_back();
    section.band = band;
    st = WalkQsoFile(
        qsoFile, kQsoIndexBandNumber,
        [&](const QsoRecord& qso) {
          if (qso.band() != band) return false;
          if (qso.IsQsyMarker()) return true;
          section.lines.push_back(QsoListLine(qso, positions[qso.recordNo()], widths, listener, ListStyle::kList));
          return true;
        },
        KeyString(std::string_view(&band, 1)));
    if (!st.ok()) return st;
  }
  return Status::Ok();
}

OutputResult ElogBandList(const OutputContext& ctx, FileBlock& qsoFile) {
  std::string heading;
  std::vector<BandSection> sections;
  const Status st = BandListBody(ctx, qsoFile, heading, sections);
  if (!st.ok()) return OutputResult::Failed(st);
  OutputText out(kListLinePrefix);
  for (const BandSection& section : sections) {
    out.BlankLines(2);
    out.Line(BandListTitle(ctx, section.band));
    out.Line({});
    out.Line(heading);
    for (const std::string& line : section.lines) out.Line(line);
  }
  return {Status::Ok(), out.Take()};
}

std::string QsoListTitle(const OutputContext& ctx) {
  const bool listener = ctx.rules.listenerLog != 0;
  const std::string title =
      ctx.rules.contestName +
      (listener ? "  -  QSO-Liste     SWL : " : "  -  QSO-Liste     CALL: ") + OwnCallOrSwl(ctx);
  return PadRightKeep(title, kQsoListTitleWidth);
}

std::string BandListTitle(const OutputContext& ctx, BandIndex band) {
  return "Band List   " + BandListOwnId(ctx) + "   " + std::string(BandName(band));
}

std::string MultiplierCheckTitle(const OutputContext& ctx) {
  return PadRightKeep(ctx.rules.contestName + " Multiplier Check List   " + OwnCallOrSwl(ctx), kMultiTitleWidth);
}

std::string MultiplierCheckHeading(const ContestRules& rules) {
  std::string heading = PadText("Multi", kMultiFirstColumn);
  for (char band : rules.bandSlots) {
    if (IsBand(band)) heading += PadText(BandName(band), kMultiBandColumn);
  }
  return heading;
}

Status MultiplierCheckRows(const OutputContext& ctx, FileBlock& qsoFile, std::vector<std::string>& rows) {
  const ContestRules& rules = ctx.rules;
  const bool districts = std::any_of(kDistrictKinds.begin(), kDistrictKinds.end(),
                                     [&](std::size_t k) { return rules.multiplierKinds.test(k); });
  if (districts) {
    const Status st = AppendCheckRows(
        ctx, qsoFile, kQsoIndexDok,
        [](const QsoRecord& qso) { return TrimBlanksTabs(qso.dok()); }, rows);
    if (!st.ok()) return st;
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
        rows);
    if (!st.ok()) return st;
  }
  return Status::Ok();
}

OutputResult ElogMultiplierCheckList(const OutputContext& ctx, FileBlock& qsoFile) {
  OutputText out(kListLinePrefix);
  out.Line(MultiplierCheckTitle(ctx));
  out.BlankLines(2);
  out.Line(MultiplierCheckHeading(ctx.rules));
  out.Line({});
  std::vector<std::string> rows;
  const Status st = MultiplierCheckRows(ctx, qsoFile, rows);
  if (!st.ok()) return OutputResult::Failed(st);
  for (const std::string& row : rows) out.Line(row);
  return {Status::Ok(), out.Take()};
}

}  // namespace korv
