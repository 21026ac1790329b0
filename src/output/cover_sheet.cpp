#include "output/cover_sheet.h"

#include <string_view>

#include "common/text.h"

namespace korv {
namespace {

constexpr std::string_view kTenBlanks = "          ";
constexpr std::size_t kUnderlineLength = 47;
constexpr std::size_t kBandSumUnderlineExtra = 8;
constexpr std::size_t kCentreWidth = 60;
// The place/date line moves the date to a line of its own from this length.
constexpr std::size_t kPlaceLineLimit = 62;
// The closing call is appended while line + value stays below these lengths.
constexpr std::size_t kSwlAppendLimit = 74;
constexpr std::size_t kCallAppendLimit = 71;
constexpr std::size_t kSignatureColumn = 43;
// Position of the listener type whose SWL number the closing line prints.
constexpr int kSwlClosingType = 4;
constexpr std::string_view kSignatureField = "Unterschrift _______________";
constexpr std::size_t kEnglishSignatureColumn = 50;
constexpr std::string_view kEnglishSignatureField = "Sign _______________";

// Seven places, right-aligned; a longer number is printed whole.
std::string N7(std::int64_t v) { return PadLeftText(std::to_string(v), 7); }

std::string Underline(const ContestRules& rules) {
  std::size_t n = kUnderlineLength;
  if (rules.bandSumScore != 0) n += kBandSumUnderlineExtra;
  return std::string(kTenBlanks) + std::string(n, '_');
}

// Multiplier columns that have a caption, as 0-based column numbers.
std::vector<std::size_t> LabelledColumns(const ContestRules& rules) {
  std::vector<std::size_t> cols;
  for (int c = 1; c <= kMultiplierColumns; ++c) {
    if (!rules.multiplierLabel[c].empty()) cols.push_back(static_cast<std::size_t>(c - 1));
  }
  return cols;
}

std::string ScoreLine(const OutputContext& ctx) {
  const ContestRules& rules = ctx.rules;
  const StoredTotals& t = ctx.totals;
  const std::string p = std::to_string(t.points);
  const std::string m = std::to_string(t.multipliers);
  const bool de = ctx.uiGerman;
  const std::string points = de ? " Punkte" : "  Points";
  std::string line = std::string(kTenBlanks) + (de ? "Endergebnis:" : "Final Score:");
  if (!HasMultiplierKinds(rules)) {
    line += "  " + p + points;
  } else if (rules.bandSumScore != 0) {
    line += "  " + PadLeftText(std::to_string(ClaimedScore(t, rules)), 6);
  } else if (rules.pointsOnlyScore != 0) {
    line += "  " + p + (de ? " Punkte (" : " Points (") + m + " Multi) = " + p + points;
  } else {
    line += "  " + p + (de ? " Punkte x " : " Points x ") + m + " Multi = " +
            std::to_string(ClaimedScore(t, rules)) + points;
  }
  return line;
}

}  // namespace

std::vector<CoverLine> CoverSheetLines(const OutputContext& ctx, CoverMedium medium) {
  const ContestRules& rules = ctx.rules;
  const OwnStation& own = ctx.own;
  const StoredTotals& t = ctx.totals;
  const bool printer = medium == CoverMedium::kPrinter;
  const std::vector<std::size_t> columns = LabelledColumns(rules);
  std::vector<CoverLine> lines;
  auto plain = [&](std::string text) { lines.push_back({std::move(text), false}); };
  auto bold = [&](std::string text) { lines.push_back({std::move(text), true}); };
  auto blank = [&](int n) {
    for (int i = 0; i < n; ++i) plain({});
  };

  const bool de = ctx.uiGerman;
  const std::string town = JoinPostcodeTown(own.postcode, own.town);
  blank(3);
  bold(PadText("Name:", 12) + own.name);
  bold(PadText(de ? "Anschrift:" : "Address:", 12) + own.street);
  bold(de ? PadText("Ort:", 12) + town : std::string(12, ' ') + town);
  blank(1);
  bold(de ? std::string() : PadText("Country:", 12) + own.country);
  blank(1);
  const std::size_t nameLength = rules.contestName.size();
  const std::size_t indent = nameLength < kCentreWidth ? (kCentreWidth - nameLength) / 2 : 0;
  bold(std::string(indent, ' ') + rules.contestName);
  blank(1);

  std::string station;
  const std::string swl = TrimBlanksTabs(own.swlNumber);
  if (!de) {
    station = !swl.empty() ? PadText("SWL:", 10) + PadText(swl, 20)
                           : PadText("Callsign:", 10) + PadText(ctx.header.ownCall(), 20);
  } else if (!swl.empty()) {
    station = PadText("SWL:", 6) + PadText(swl, 20);
  } else {
    station = PadText("Call:", 6) + PadText(ctx.header.ownCall(), 13);
  }
  if (de) station += PadText("DOK:", 5) + PadText(ctx.header.dok(), 13);
  station += PadText("Loc:", 5) + PadText(ctx.header.locator(), 9);
  bold(station);
  blank(1);
  if (ctx.header.participationType() != 0) {
    bold(de ? PadText("Teilnahmeart:", 14) + ParticipationDescription(ctx)
            : PadText("Category:", 10) + ParticipationDescription(ctx));
  } else {
    bold({});
  }
  blank(1);

  // Band table.
  std::string heading = std::string(kTenBlanks) + PadLeftText("Band", 8) + "    " + "QSO  " +
                        (de ? " Punkte  " : " Points  ");
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::string& label = rules.multiplierLabel[static_cast<int>(columns[i]) + 1];
    heading += PadLeftText(label, columns[i] == 0 ? 8 : 10);
  }
  if (rules.bandSumScore != 0) heading += "    Gesamt";
  plain(heading);
  for (const SlotTotals& slot : t.slotTotals) {
    if (!IsBand(slot.band)) continue;
    std::string row = std::string(kTenBlanks) + PadLeftText(BandName(slot.band), 8) +
                      N7(slot.qsos) + "  " + N7(slot.points) + "  ";
    for (std::size_t c : columns) row += N7(slot.columns[c]) + "   ";
    if (rules.bandSumScore != 0) row += "  " + PadLeftText(std::to_string(SlotScore(slot)), 6);
    plain(row);
  }
  plain(Underline(rules));
  if (rules.bandSumScore == 0) {
    // Under the band rows: its numbers stand in their columns.
    std::string sum = std::string(kTenBlanks) + PadLeftText("Summe", 8) + N7(t.qsos) + "  " + N7(t.points) + "  ";
    for (std::size_t c : columns) sum += N7(t.columns[c]) + "   ";
    plain(sum);
    plain(Underline(rules));
  }
  blank(1);
  plain(ScoreLine(ctx));
  plain(Underline(rules));
  blank(1);

  if (de) {
    plain("Ich erkl\xE4re, dass ich die Regeln f\xFCr \"" + rules.contestName + "\"");
    plain("beachtet und die Lizenzbestimmungen meines Landes eingehalten habe.");
    plain("Die Angaben des Logs entsprechen der Wahrheit.");
  } else {
    plain("I affirm that I have observed all rules of ");
    plain(rules.contestName + ".");
  }
  blank(1);

  // Place, date, call and signature share lines while they fit.
  const std::string date = DateToText(ctx.today);
  std::string current = de ? "Ort: " + TrimBlanksTabs(town) : " City:" + TrimBlanksTabs(own.town);
  if (current.size() >= kPlaceLineLimit) {
    plain(current);
    blank(1);
    current = (de ? "Datum: " : "Date ") + date;
  } else {
    current += (de ? "     Datum: " : " Date ") + date;
  }
  const bool swlClosing = ctx.header.participationType() == kSwlClosingType;
  const std::string value = swlClosing ? own.swlNumber : ctx.header.ownCall();
  const std::size_t limit = swlClosing ? kSwlAppendLimit : kCallAppendLimit;
  const char* appended = de ? (swlClosing ? "     SWL :" : "   Call: ") : (swlClosing ? " SWL  " : " Call ");
  const char* ownLine = de ? (swlClosing ? "SWL :" : " Call: ") : (swlClosing ? " SWL  " : " Call ");
  if (current.size() + value.size() < limit) {
    current += appended + value;
  } else {
    plain(current);
    blank(1);
    current = ownLine + value;
  }
  const std::size_t signatureColumn = de ? kSignatureColumn : kEnglishSignatureColumn;
  const std::string_view signature = de ? kSignatureField : kEnglishSignatureField;
  if (current.size() >= signatureColumn) {
    plain(current);
    blank(1);
    current = printer ? std::string(signature) : std::string();
  } else {
    current = PadText(current, signatureColumn);
    if (printer) current += signature;
  }
  plain(current);
  if (printer) blank(1);

  if (de) {
    plain("Dieses ContestLog wurde mit " + rules.versionText + " erstellt. (" +
          std::string(kMakerWebAddress) + ")");
  } else {
    plain("This contest log was made with " + rules.versionText + " (" + std::string(kMakerWebAddress) + ")");
  }
  blank(3);
  return lines;
}

void AppendCoverSheet(const OutputContext& ctx, OutputText& out) {
  for (const CoverLine& line : CoverSheetLines(ctx, CoverMedium::kFile)) out.Line(line.text);
}

std::string CoverSheetFile(const OutputContext& ctx) {
  OutputText out(kListLinePrefix);
  AppendCoverSheet(ctx, out);
  return out.Take();
}

}  // namespace korv
