#include "logging/qso_list.h"

#include "common/dates.h"
#include "common/picture.h"
#include "common/text.h"
#include "refdata/bands.h"

namespace korv {
namespace {

constexpr int kIndexByCall = 2;
constexpr int kIndexByRecordNo = 4;
constexpr int kIndexByPrefix = 5;
constexpr int kIndexBandNo2 = 8;
constexpr int kIndexBandCall = 9;
constexpr int kIndexBandPrefix = 10;
constexpr int kIndexBandNo2Desc = 12;
constexpr int kIndexBySerialNo = 13;
constexpr int kIndexByDok = 18;
constexpr std::int32_t kHighestNumber = 999999999;
constexpr std::string_view kLowestValue = "0";
constexpr std::string_view kHighestValue = "ZZZZZZ";

std::string Blanks(std::size_t n) { return std::string(n, ' '); }

// Report, a blank, then the fields of the ExchangeString.
std::string ExchangeCell(const std::string& exchange) {
  if (exchange.size() <= kExchangeReportLength) return exchange;
  return exchange.substr(0, kExchangeReportLength) + " " + exchange.substr(kExchangeReportLength);
}

std::string QslCell(const QsoRecord& r) {
  std::string cell = r.qslSend() == 0 ? std::string(" ") : std::string(1, r.qslSend());
  cell += r.qslRcvd() == 0 ? std::string("  ") : std::string(" ") + r.qslRcvd();
  return cell;
}

KeyString NumberKey(std::int32_t n) {
  KeyString key;
  key.AppendLong(n);
  return key;
}

QsoListOrder BandOrder(int index, BandIndex band) {
  return {index, KeyString(std::string(1, band)), KeyString(std::string(1, band))};
}

QsoListOrder ValueOrder(int index) {
  return {index, KeyString(kLowestValue), KeyString(kHighestValue)};
}

}  // namespace

std::string QsoRowText(const QsoRecord& r, const ContestRules& rules, const QsoListFormat& format) {
  const bool qsy = r.IsQsyMarker();
  const bool listener = rules.listenerLog != 0;
  std::string row;
  if (r.marked() == 1) row += kMarkedRowPrefix;
  row += qsy ? std::string() : FormatPicture(r.serialNo(), "######");
  row += "; ";
  row += r.qsoDate() > 0 ? DateToText(r.qsoDate(), format.datePicture) : Blanks(format.datePicture.size());
  row += "; ";
  row += r.qsoTime() >= 0 ? TimeToText(r.qsoTime(), format.timePicture) : Blanks(format.timePicture.size());
  row += "; ";
  if (qsy) {
    row += "*** QSY " + std::string(BandName(r.qsyBand())) + " ***; ; ; ; ";
    return row;
  }
  row += r.call() + "; ";
  row += std::string(BandName(r.band())) + "; ";
  row += r.mode() + "; ";
  if (listener) {
    row += r.rcvdExch() + "; ";
    row += r.call2() + "; ";
    row += r.sentExch() + "; ";
  } else {
    row += ExchangeCell(r.sentExch()) + "; ";
    row += ExchangeCell(r.rcvdExch()) + "; ";
  }
  const std::string multi[3] = {r.multi1(), r.multi2(), r.multi3()};
  for (int c = 1; c <= 3; ++c) {
    if (rules.multiplierLabel[c].empty()) continue;
    std::string value = multi[c - 1];
    if (value.size() > 6) value.resize(6);
    row += value + ";";
  }
  row += TrimBlanksTabs(FormatPicture(r.points(), "######")) + "; ";
  row += QslCell(r);
  if (!listener) {
    const std::string nq = r.nameQth();
    const std::size_t semi = nq.find(';');
    row += "; " + (semi == std::string::npos ? nq : nq.substr(0, semi));
    row += "; " + (semi == std::string::npos ? std::string() : nq.substr(semi + 1));
    row += "; " + FormatPicture(static_cast<double>(r.frequency()), "#####,###");
  }
  return row;
}

std::string QsoHeaderText(const ContestRules& rules, const QsoListFormat& format) {
  const bool german = format.uiGerman;
  std::string h;
  h += PickText(german, "Nr ", "No ") + ";";
  h += PadText(PickText(german, " Datum", "  Date"), format.datePicture.size()) + ";";
  h += PadText(" UTC", format.timePicture.size()) + ";";
  h += " Call    ;Band ;Mod;";
  // The columns in the order of the rows: in a listener log the first
  // station's report, the second call and the second station's report.
  if (rules.listenerLog != 0) {
    h += " RSTsent      ;Call2  ;RSTsent2 ;";
  } else {
    h += " RSTsent      ; RSTrcvd      ;";
  }
  for (int c = 1; c <= 3; ++c) {
    if (!rules.multiplierLabel[c].empty()) h += PadText(rules.multiplierLabel[c], 6) + ";";
  }
  h += "Pkt;sQr";
  if (rules.listenerLog == 0) h += ";" + PadText("Name", 10) + ";" + PadText("QTH", 10) + ";Freq.";
  h += "          ";
  return h;
}

std::optional<QsoListOrder> LogListOrder(int position, BandIndex band) {
  switch (position) {
    case 0: return BandOrder(kIndexBandNo2, band);
    case 1: return BandOrder(kIndexBandCall, band);
    case 2: return BandOrder(kIndexBandPrefix, band);
    case 3: return QsoListOrder{kIndexByRecordNo, NumberKey(1), NumberKey(kHighestNumber)};
    case 4: return ValueOrder(kIndexByCall);
    case 5: return ValueOrder(kIndexByPrefix);
    case 6: return ValueOrder(kIndexByDok);
    default: return std::nullopt;
  }
}

QsoListOrder KorrekturOrder(KorrekturKind kind, BandIndex band) {
  switch (kind) {
    case KorrekturKind::kCallSearch: return {kIndexByCall, KeyString("A"), KeyString()};
    case KorrekturKind::kBandLog: return BandOrder(kIndexBandNo2, band);
    case KorrekturKind::kCorrections: break;
  }
  return {kIndexBySerialNo, NumberKey(1), NumberKey(kHighestNumber)};
}

std::optional<QsoListOrder> CallSearchOrder(std::string_view typed, const SuffixTable& suffixes) {
  const std::string text = TrimBlanksTabs(typed);
  if (text.empty()) return std::nullopt;
  std::string base = BaseCall(text, CallPart::kBaseCall, suffixes);
  base = TrimBlanksTabs(base);
  if (base.empty()) return std::nullopt;
  return QsoListOrder{kIndexByCall, KeyString(base), KeyString(base)};
}

bool FindLastQsoOfBand(FileBlock& qsoFile, BandIndex band) {
  // Index 12 holds the second band numbers descending: the first key of the
  // band is its last QSO.
  if (!qsoFile.FindAtLeast(kIndexBandNo2Desc, KeyString(std::string(1, band))).ok()) return false;
  const QsoRecord r(QsoRecord::Record(qsoFile.Record().data(), kQsoRecordSize));
  return r.band() == band;
}

bool FindQsoByRecordNo(FileBlock& qsoFile, std::uint32_t recordNo) {
  return qsoFile.FindExact(kIndexByRecordNo, NumberKey(static_cast<std::int32_t>(recordNo))).ok();
}

}  // namespace korv
