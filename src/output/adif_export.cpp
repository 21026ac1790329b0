#include "output/adif_export.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "common/picture.h"
#include "common/text.h"
#include "output/qso_list_writer.h"
#include "refdata/adif_entities.h"

namespace korv {
namespace {

constexpr std::size_t kAreaKind = 8;
constexpr std::size_t kLdkKind = 17;

std::string_view DistrictFieldName(const ContestRules& rules) {
  if (rules.multiplierKinds.test(kAreaKind)) return "AREA";
  if (rules.multiplierKinds.test(kLdkKind)) return "LDK";
  return "DOK";
}

// An exchange text begins with the three characters of the report ("59 "
// for phone); what follows is the serial number or the district.
std::string Report(const std::string& text) {
  return TrimBlanksTabs(text.substr(0, std::min<std::size_t>(3, text.size())));
}
std::string AfterReport(const std::string& text) {
  return text.size() > 3 ? TrimBlanksTabs(text.substr(3)) : std::string();
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// STX and SRX are integers; any other exchange text goes to the string field.
void AddExchangeRest(std::string& line, std::string_view numberField, std::string_view textField,
                     const std::string& rest) {
  if (rest.empty()) return;
  line += AdifField(AllDigits(rest) ? numberField : textField, rest);
}

// "Korv DEZ Version 2006-1.0" -> "2006-1.0".
std::string ProgramVersion(const std::string& versionText) {
  const std::size_t blank = versionText.find_last_of(' ');
  return blank == std::string::npos ? versionText : versionText.substr(blank + 1);
}

std::string QslValue(char mark) {
  if (mark == 'J' || mark == 'j') return "Y";
  return std::string(1, mark);
}

}  // namespace

std::string AdifField(std::string_view name, std::string_view value) {
  std::string out = "<";
  out += name;
  out += ':';
  out += std::to_string(value.size());
  out += '>';
  out += value;
  out += ' ';
  return out;
}

std::string AdifFrequencyText(float mhz) {
  if (!(mhz > 0.0f)) return {};
  // The shortest text of the stored single-precision value, so that 7.0355
  // stays 7.0355 and does not round from 7.03549981.
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, mhz);
  const double value = std::strtod(std::string(buf, res.ptr).c_str(), nullptr);
  return TrimBlanksTabs(FormatPicture(value, "#####.####"));
}

std::string AdifRecordLine(const OutputContext& ctx, const QsoRecord& qso, bool rstOnly) {
  const ContestRules& rules = ctx.rules;
  std::string line;
  if (qso.qsoDate() > 0) line += AdifField("QSO_DATE", DateToText(qso.qsoDate(), "yyyymmdd"));
  const std::string time = TimeToText(qso.qsoTime(), "hhmm");
  if (!time.empty()) line += AdifField("TIME_ON", time);
  line += AdifField("CALL", TrimBlanksTabs(qso.call()));
  const std::string sent = qso.sentExch();
  const std::string rcvd = qso.rcvdExch();
  if (rules.listenerLog != 0) {
    // The heard station's exchange is stored as received, the report of the
    // station it worked as sent.
    line += AdifField("RST_SENT", rstOnly ? Report(rcvd) : rcvd);
    line += AdifField("CALL_WKD", TrimBlanksTabs(qso.call2()));
    line += AdifField("RST_WKD", rstOnly ? Report(sent) : sent);
  } else if (rstOnly) {
    line += AdifField("RST_SENT", Report(sent));
    line += AdifField("RST_RCVD", Report(rcvd));
    AddExchangeRest(line, "STX", "STX_STRING", AfterReport(sent));
    AddExchangeRest(line, "SRX", "SRX_STRING", AfterReport(rcvd));
  } else {
    line += AdifField("RST_SENT", sent);
    line += AdifField("RST_RCVD", rcvd);
  }
  line += AdifField("BAND", BandName(qso.band(), true));
  const std::string mode = qso.mode();
  line += AdifField("MODE", mode == "PR" ? std::string("PKT") : mode);
  line += AdifField("PTS", std::to_string(qso.points()));
  const std::string_view district = DistrictFieldName(rules);
  const std::string dok = TrimBlanksTabs(qso.dok());
  line += AdifField(district, dok);
  // Other loggers read the DOK from the standard field name.
  if (district == "DOK" && !dok.empty()) line += AdifField("DARC_DOK", dok);
  line += AdifField("GRIDSQUARE", TrimBlanksTabs(qso.rxLocator()));
  const std::string prefix = TrimBlanksTabs(qso.prefix());
  if (!prefix.empty()) {
    const std::string number = AdifDxccNumber(prefix, ctx.prefixFiles);
    if (!number.empty()) {
      line += AdifField("DXCC", number);
      line += AdifField("DXCC_PFX", prefix);
    }
  }
  const std::string freq = AdifFrequencyText(qso.frequency());
  if (!freq.empty()) line += AdifField("FREQ", freq);
  const std::string nameQth = qso.nameQth();
  const std::size_t semicolon = nameQth.find(';');
  const std::string name =
      semicolon == std::string::npos ? std::string() : TrimBlanksTabs(nameQth.substr(0, semicolon));
  const std::string qth = TrimBlanksTabs(
      semicolon == std::string::npos ? nameQth : nameQth.substr(semicolon + 1));
  if (!name.empty()) line += AdifField("NAME", name);
  if (!qth.empty()) line += AdifField("QTH", qth);
  const char qslSent = qso.qslSend();
  if (qslSent != ' ' && qslSent != '\0') line += AdifField("QSL_SENT", QslValue(qslSent));
  const char qslRcvd = qso.qslRcvd();
  if (qslRcvd != ' ' && qslRcvd != '\0') line += AdifField("QSL_RCVD", QslValue(qslRcvd));
  line += "<EOR>";
  return line;
}

OutputResult AdifExport(const OutputContext& ctx, FileBlock& qsoFile, bool rstOnly) {
  OutputText out(kListLinePrefix);
  out.RawLine("ADIF-Export generated with Belvent " + ctx.rules.versionText + " " +
              std::string(kMakerWebAddress));
  // The standard header fields, so that other programs know the file's
  // version and maker; the line above is free text before them.
  out.RawLine(AdifField("ADIF_VER", kAdifVersion) + AdifField("PROGRAMID", kAdifProgramId) +
              AdifField("PROGRAMVERSION", ProgramVersion(ctx.rules.versionText)));
  if (ctx.createdUtc.date != kNoDate && ctx.createdUtc.time != kNoTime) {
    out.RawLine(AdifField("CREATED_TIMESTAMP", DateToText(ctx.createdUtc.date, "yyyymmdd") + " " +
                                                   TimeToText(ctx.createdUtc.time, "hhmmss")));
  }
  out.RawLine("<EOH>");
  const Status st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    if (!qso.IsQsyMarker()) out.Line(AdifRecordLine(ctx, qso, rstOnly));
    return true;
  });
  if (!st.ok()) return OutputResult::Failed(st);
  return {Status::Ok(), out.Take()};
}

}  // namespace korv
