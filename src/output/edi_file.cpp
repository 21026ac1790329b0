#include "output/edi_file.h"

#include <set>
#include <vector>

#include "common/dates.h"
#include "common/text.h"
#include "output/qso_list_writer.h"

namespace korv {
namespace {

std::string Cut(std::string text, std::size_t n) {
  if (text.size() > n) text.resize(n);
  return text;
}

std::string Chars(const std::string& text, std::size_t from, std::size_t count) {
  return from < text.size() ? text.substr(from, count) : std::string();
}

// One element per line of a memo text whose lines end with CR LF, LF or CR;
// an empty memo is one empty line.
std::vector<std::string> RemarkLines(const std::string& memo) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < memo.size(); ++i) {
    const char c = memo[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < memo.size() && memo[i + 1] == '\n') ++i;
      if (i + 1 < memo.size()) lines.emplace_back();
      continue;
    }
    lines.back() += c;
  }
  return lines;
}

std::string EdiDate(DayNumber day) { return day > 0 ? DateToText(day, "yyyymmdd") : std::string(); }

}  // namespace

EdiStationData EdiDefaults(const OutputContext& ctx) {
  EdiStationData d;
  const OwnStation& own = ctx.own;
  d.pcall = TrimBlanksTabs(ctx.header.ownCall());
  d.ploc = TrimBlanksTabs(ctx.header.locator().empty() ? own.locator : ctx.header.locator());
  d.padr1 = own.street;
  d.padr2 = own.town.empty() ? own.postcode : own.postcode + " " + own.town;
  const std::string type = ParticipationDescription(ctx);
  d.psect = type.empty() ? std::string("1") : type.substr(0, 1);
  if (type.find("2m") != std::string::npos) {
    d.pband = "144 MHz";
  } else if (type.find("70cm") != std::string::npos) {
    d.pband = "432 MHz";
  }
  d.pclub1 = "DARC";
  d.pclub2 = TrimBlanksTabs(ctx.header.dok());
  d.rname = own.name;
  d.radr1 = own.street;
  d.radr2 = own.street;
  d.rpoco = own.postcode;
  d.rcity = own.town;
  d.rcoun = own.country.empty() ? std::string("DL") : own.country;
  return d;
}

std::string EdiModeCode(std::string_view mode) {
  if (mode == "SSB") return "1";
  if (mode == "CW") return "2";
  if (mode == "AM") return "5";
  if (mode == "FM") return "6";
  if (mode == "RTTY") return "7";
  return "0";
}

OutputResult EdiFile(const OutputContext& ctx, const EdiStationData& s, FileBlock& qsoFile) {
  // Counts over the log in date/time order.
  std::set<std::string> squares;
  std::set<std::string> prefixes;
  std::string odx;
  std::int64_t best = -1;
  Status st = WalkQsoFile(qsoFile, kQsoIndexDateTime, [&](const QsoRecord& qso) {
    if (qso.IsQsyMarker()) return true;
    squares.insert(Chars(qso.rxLocator(), 0, 4));
    prefixes.insert(qso.prefix());
    if (static_cast<std::int64_t>(qso.points()) > best) {
      best = qso.points();
      odx = TrimBlanksTabs(qso.call()) + ";" + TrimBlanksTabs(qso.rxLocator()) + ";" + std::to_string(qso.points());
    }
    return true;
  });
  if (!st.ok()) return OutputResult::Failed(st);
  const std::int32_t records = qsoFile.RecordCount();
  if (records < 0) return OutputResult::Failed(Status::Error(qsoFile.RecordCount()));

  const std::string version = ctx.rules.versionText;
  const std::string ownCall = TrimBlanksTabs(ctx.header.ownCall());
  std::string out;
  auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  line("[" + version + "]");
  line("This data was exported using BELVENT " + version);
  line(Cut("Call:" + ownCall, 5 + 17));
  line("Logs generated on " + DateToText(ctx.today) + " " + TimeToText(ctx.now));
  line("Korv DEZ " + DateToText(ctx.today, "yyyy"));
  line("Support: see the help page of the program");
  line(std::string(kMakerWebAddress));
  line("[REG1TEST;1]");
  line("TName=" + ctx.rules.contestName);
  const std::string start = EdiDate(ctx.header.startDate());
  const std::string end = EdiDate(ctx.header.endDate());
  line("TDate=" + (start.empty() || end.empty() ? std::string("0;0") : start + ";" + end));
  line("PCall=" + s.pcall);
  line("PWWLo=" + s.ploc);
  line("PExch=");
  line("PAdr1=" + s.padr1);
  line("PAdr2=" + s.padr2);
  line("PSect=" + s.psect);
  line("PBand=" + s.pband);
  line("PClub=" + s.pclub1 + ";" + s.pclub2);
  line("RName=" + s.rname);
  line("RCall=" + Cut(ownCall, 18));
  line("RAdr1=" + s.radr1);
  line("RAdr2=" + s.radr2);
  line("RPoCo=" + s.rpoco);
  line("RCity=" + s.rcity);
  line("RCoun=" + s.rcoun);
  line("RPhon=");
  line("RHBBS=" + s.remail);
  line("MOpe1=" + s.mope1);
  line("MOpe2=" + s.mope2);
  line(Cut("STXEq=" + ctx.header.stationEquipment(), 36));
  line("SPowe=" + s.rpower);
  line("SRXEq=" + s.rtrx);
  line("SAnte=" + s.rant);
  line("SAntH=0;0");
  line("CQSOs=" + std::to_string(records) + ";1");
  line("CQSOP=" + std::to_string(ctx.totals.points));
  line("CWWLs=" + std::to_string(squares.size()) + ";0;1");
  line("CWWLB=0");
  line("CExcs=0;0;1");
  line("CExcB=");
  line("CDXCs=" + std::to_string(prefixes.size()) + ";0;1");
  line("CDXCB=0");
  line("CToSc=" + std::to_string(ctx.totals.points));
  line("CODXC=" + odx);
  line("[Remarks]");
  // The memo may hold several lines, typed with any line end.
  for (const std::string& remark : RemarkLines(s.remarks)) line(remark);
  line("[QSORecords;" + std::to_string(records) + "]");
  st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    if (qso.IsQsyMarker()) return true;
    const std::string sent = qso.sentExch();
    const std::string rcvd = qso.rcvdExch();
    const std::size_t slash = rcvd.find('/');
    const std::string exch = slash == std::string::npos ? Chars(rcvd, 0, 1) : Chars(rcvd, slash + 1, 1);
    std::string l = qso.qsoDate() > 0 ? DateToText(qso.qsoDate(), "yymmdd") : std::string();
    l += ";" + (qso.qsoTime() >= 0 ? TimeToText(qso.qsoTime(), "hhmm") : std::string());
    l += ";" + TrimBlanksTabs(qso.call());
    l += ";" + EdiModeCode(qso.mode());
    l += ";" + Chars(sent, 0, 3) + ";" + Chars(sent, 3, 3);
    l += ";" + Chars(rcvd, 0, 3) + ";" + Chars(rcvd, 3, 3);
    l += ";" + exch;
    l += ";" + PadText(qso.rxLocator(), 6);
    l += ";" + std::to_string(qso.distanceKm());
    l += ";;;;";
    line(l);
    return true;
  });
  if (!st.ok()) return OutputResult::Failed(st);
  return {Status::Ok(), std::move(out)};
}

}  // namespace korv
