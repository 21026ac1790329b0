#include "output/stf_file.h"

#include <algorithm>
#include <array>

#include "common/text.h"
#include "output/qso_list_writer.h"

namespace korv {
namespace {

constexpr std::size_t kStfExchangeWidth = 17;
constexpr std::size_t kStfCall2Width = 9;
constexpr std::size_t kSpecificLength = 19;

std::string StfDate(DayNumber day) {
  return day > 0 ? DateToText(day, "yyyymmdd") : std::string("    -   ");
}

std::string StfReport(const std::string& exchange) {
  const std::string report = exchange.substr(0, std::min<std::size_t>(3, exchange.size()));
  return TrimBlanksTabs(report).empty() ? std::string(" - ") : PadText(report, 3);
}

std::string StfExchange(const std::string& exchange) {
  const std::string rest = exchange.size() > 3 ? exchange.substr(3) : std::string();
  return PadText(TrimBlanksTabs(rest).empty() ? std::string(" -") : rest, kStfExchangeWidth);
}

std::string StfLine(const QsoRecord& qso, std::size_t callWidth, bool listener) {
  const std::string call = TrimBlanksTabs(qso.call());
  const std::string mode = TrimBlanksTabs(qso.mode());
  std::string line = StfDate(qso.qsoDate()) + " " + PadText(TimeToText(qso.qsoTime(), "hhmm"), 4) +
                     " " + StfBandText(qso.band()) + " " +
                     PadText(mode.empty() ? std::string(" - ") : qso.mode(), 6) + " " +
                     PadText(call.empty() ? std::string("-") : call, callWidth) + " ";
  if (listener) {
    line += StfReport(qso.rcvdExch()) + " " + StfExchange(qso.rcvdExch()) + " " +
            PadText(TrimBlanksTabs(qso.call2()), kStfCall2Width) + " " +
            StfReport(qso.sentExch()) + " " + StfExchange(qso.sentExch());
  } else {
    line += StfReport(qso.sentExch()) + " " + StfExchange(qso.sentExch()) + " " +
            StfReport(qso.rcvdExch()) + " " + StfExchange(qso.rcvdExch());
  }
  return line;
}

}  // namespace

std::string StfBandText(BandIndex band) {
  if (band == 'p') return "5   ";  // 6 cm
  return ListBandText(band);
}

Status HighestSerialNo(FileBlock& qsoFile, std::int32_t& serialNo) {
  serialNo = 0;
  if (qsoFile.RecLen() != static_cast<int>(kQsoRecordSize)) {
    return Status::Error(err::kRecLenDiffers);
  }
  std::array<std::uint8_t, kQsoRecordSize> copy{};
  Status st = qsoFile.MoveLast(kQsoIndexSerialNo);
  while (st.ok()) {
    const ConstBytes rec = qsoFile.Record();
    std::copy(rec.begin(), rec.begin() + static_cast<std::ptrdiff_t>(kQsoRecordSize),
              copy.begin());
    const QsoRecord qso(copy);
    if (!qso.IsQsyMarker()) {
      serialNo = qso.serialNo();
      return Status::Ok();
    }
    st = qsoFile.MovePrevious(kQsoIndexSerialNo);
  }
  return st.level() == 1 ? Status::Ok() : st;
}

OutputResult StfFile(const OutputContext& ctx, FileBlock& qsoFile) {
  const ContestRules& rules = ctx.rules;
  const StoredTotals& t = ctx.totals;
  const OwnStation& own = ctx.own;
  const bool listener = rules.listenerLog != 0;

  std::int32_t highest = 0;
  Status st = HighestSerialNo(qsoFile, highest);
  if (!st.ok()) return OutputResult::Failed(st);
  // The call column: the longest call + 2, at least 8.
  std::size_t callWidth = 8;
  st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    callWidth = std::max(callWidth, TrimBlanksTabs(qso.call()).size() + 2);
    return true;
  });
  if (!st.ok()) return OutputResult::Failed(st);

  OutputText out(kListLinePrefix);
  const std::string ownCall = TrimBlanksTabs(ctx.header.ownCall());
  out.RawLine("STF1");
  out.RawLine("#Data written \"" + DateToText(ctx.today) + "  " + TimeToText(ctx.now, "hh:mm") +
              "\"");
  out.RawLine("#STF-Export generated with Belvent " + rules.versionText + " " +
              std::string(kMakerWebAddress));
  out.RawLine("Header");
  out.RawLine("Contest      " + TrimBlanksTabs(ctx.header.name()));
  out.RawLine("MyCall       " + ownCall);
  out.RawLine("Operator     " + ownCall);
  out.RawLine("Category     " + TrimBlanksTabs(ParticipationDescription(ctx)));
  out.RawLine("MailAddress  " + TrimBlanksTabs(own.name));
  out.RawLine("MailAddress  " + TrimBlanksTabs(own.street));
  out.RawLine("MailAddress  " + TrimBlanksTabs(own.town));
  out.RawLine("MailAddress  " + TrimBlanksTabs(own.postcode));
  const std::string country = TrimBlanksTabs(own.country);
  out.RawLine("MailAddress  " + (country.empty() ? std::string("Germany") : country));
  out.RawLine("EMail");
  out.RawLine("ClaimedQSO   " + std::to_string(highest));
  out.RawLine("ClaimedPts   " + std::to_string(t.points));
  if (HasMultiplierKinds(rules)) {
    out.RawLine("ClaimedMult  " + std::to_string(t.columns[0]));
    if (t.columns[1] > 0) out.RawLine("ClaimedMult2 " + std::to_string(t.columns[1]));
    if (t.columns[2] > 0) out.RawLine("ClaimedMult3 " + std::to_string(t.columns[2]));
  }
  // The STF score is the plain product whenever the contest has multiplier
  // kinds (0 without a multiplier; the cover sheet then claims the points).
  const ContestCode code = ctx.header.contestCode();
  if (code != '5' && code != 'P') {
    const std::int64_t score = HasMultiplierKinds(rules) ? t.points * t.multipliers : t.points;
    out.RawLine("ClaimedScore " + std::to_string(score));
  }
  out.RawLine("Club");
  const std::string dok = TrimBlanksTabs(ctx.header.dok());
  out.RawLine("Specific     " + dok.substr(0, std::min(kSpecificLength, dok.size())));
  out.RawLine("Power");
  out.RawLine("Soapbox");
  out.RawLine("Soapbox");
  out.RawLine("QsoOrder     Date Time Band Mode Call SRst Sent RRst Rcvd");
  out.RawLine("EndHeader");
  out.RawLine("");
  out.RawLine("QsoList");
  st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    if (!qso.IsQsyMarker()) out.Line(StfLine(qso, callWidth, listener));
    return true;
  });
  if (!st.ok()) return OutputResult::Failed(st);
  out.RawLine("EndQSOList");
  return {Status::Ok(), out.Take()};
}

}  // namespace korv
