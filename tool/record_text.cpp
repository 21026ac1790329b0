#include "tool/record_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "common/cp1252.h"
#include "common/dates.h"
#include "common/picture.h"
#include "common/text.h"
#include "files/contest_header.h"
#include "files/setup.h"
#include "refdata/bands.h"
#include "refdata/prefix_record.h"

namespace korv::tool {
namespace {

// The QSO record of KVLKnnnn (216 bytes; the fields shown here).
//   OFFSET SIZE DESCRIPTION
//   4      4    record number, uint32
//   8      13   call, ShortText[12]
//   21     7    received locator, ShortText[6]
//   28     4    date, DayNumber (<= 0: none)
//   32     4    time, seconds since midnight (<= 0: none)
//   36     7    mode, ShortText[6]
//   43     8    sent exchange piece 4, ShortText[7]
//   51     8    received exchange piece 4, ShortText[7]
//   59     7    second multiplier column, ShortText[6]
//   66     4    distance in km, uint32
//   70     7    alternative prefix, ShortText[6]
//   77     7    prefix, ShortText[6]
//   84     31   name and QTH, ShortText[30]
//   115    1    marked, uint8
//   116    3    area code, ShortText[2]
//   122    3    continent, ShortText[2]
//   125    7    DOK piece 1, ShortText[6]
//   132    1    band, BandIndex
//   133    4    running number in the band, int32
//   137    2    points, uint16
//   139    1    QSL received, char
//   140    13   third multiplier column / second call, ShortText[12]
//   153    7    first multiplier column, ShortText[6]
//   160    4    second running number in the band, int32
//   164    1    DXCC fixed, uint8
//   165    1    QSY band (0 or blank: a QSO), BandIndex
//   166    4    serial number, int32
//   173    10   sent exchange piece 1, ShortText[9]
//   183    10   received exchange piece 1, ShortText[9]
//   193    1    QSL send, char
//   194    3    DOK piece 2, ShortText[2]
//   197    3    received exchange piece 2, ShortText[2]
//   200    3    sent exchange piece 2, ShortText[2]
//   203    4    frequency in MHz, float32
//   207    3    received exchange piece 3, ShortText[2]
//   210    3    sent exchange piece 3, ShortText[2]
//   213    2    running number in the mode class, uint16
namespace qso {
constexpr std::size_t kRecordNo = 4;
constexpr std::size_t kCall = 8;
constexpr std::size_t kRxLocator = 21;
constexpr std::size_t kDate = 28;
constexpr std::size_t kTime = 32;
constexpr std::size_t kMode = 36;
constexpr std::size_t kSentPiece4 = 43;
constexpr std::size_t kRcvdPiece4 = 51;
constexpr std::size_t kMulti2 = 59;
constexpr std::size_t kDistance = 66;
constexpr std::size_t kAltPrefix = 70;
constexpr std::size_t kPrefix = 77;
constexpr std::size_t kNameQth = 84;
constexpr std::size_t kMarked = 115;
constexpr std::size_t kAreaCode = 116;
constexpr std::size_t kContinent = 122;
constexpr std::size_t kDokPiece1 = 125;
constexpr std::size_t kBand = 132;
constexpr std::size_t kBandNo = 133;
constexpr std::size_t kPoints = 137;
constexpr std::size_t kQslRcvd = 139;
constexpr std::size_t kMulti3 = 140;
constexpr std::size_t kMulti1 = 153;
constexpr std::size_t kBandNo2 = 160;
constexpr std::size_t kDxccFixed = 164;
constexpr std::size_t kQsyBand = 165;
constexpr std::size_t kSerialNo = 166;
constexpr std::size_t kSentPiece1 = 173;
constexpr std::size_t kRcvdPiece1 = 183;
constexpr std::size_t kQslSend = 193;
constexpr std::size_t kDokPiece2 = 194;
constexpr std::size_t kRcvdPiece2 = 197;
constexpr std::size_t kSentPiece2 = 200;
constexpr std::size_t kFrequency = 203;
constexpr std::size_t kRcvdPiece3 = 207;
constexpr std::size_t kSentPiece3 = 210;
constexpr std::size_t kModeNo = 213;
static_assert(kModeNo + 2 + 1 == static_cast<std::size_t>(kQsoRecLen));
}  // namespace qso

// Collects "name=value" pairs.
class Line {
 public:
  Line& Raw(std::string_view name, std::string_view value) {
    if (!text_.empty()) text_ += ' ';
    text_.append(name).append("=").append(value);
    return *this;
  }
  Line& Text(std::string_view name, std::string_view cp1252) { return Raw(name, Quoted(cp1252)); }
  Line& Number(std::string_view name, long long value) { return Raw(name, std::to_string(value)); }
  Line& Char(std::string_view name, char c) { return Text(name, CharToText(c)); }
  // A date that is not set (0 or below) shows "-".
  Line& Date(std::string_view name, DayNumber day) {
    const std::string text = day <= 0 ? std::string() : DateToText(day);
    return Raw(name, text.empty() ? "-" : text);
  }
  Line& Time(std::string_view name, TimeOfDay time, std::string_view picture) {
    const std::string text = time <= 0 ? std::string() : TimeToText(time, picture);
    return Raw(name, text.empty() ? "-" : text);
  }
  // Option bytes: 255 on, 0 off, anything else as its number.
  Line& OnOff(std::string_view name, std::uint8_t value) {
    if (value == kHeaderByteOn) return Raw(name, "on");
    if (value == 0) return Raw(name, "off");
    return Number(name, value);
  }
  Line& Band(std::string_view name, char band) {
    if (IsBand(band)) return Raw(name, BandName(band, /*compact=*/true));
    return Char(name, band);
  }
  std::string str() const { return text_; }

 private:
  std::string text_;
};

template <typename Get>
std::string JoinSlots(Get get) {
  std::string text;
  for (int slot = 1; slot <= header_layout::kBandSlots; ++slot) {
    if (slot > 1) text += ',';
    text += std::to_string(get(slot));
  }
  return text;
}

std::string StartMode(const ContestHeader& h) {
  if (h.startModeSsb() == kHeaderByteOn) return "SSB";
  if (h.startModeFm() == kHeaderByteOn) return "FM";
  if (h.startModePr() == kHeaderByteOn) return "PR";
  return "CW";
}

std::string Exchange(ConstBytes r, std::size_t p1, std::size_t p2, std::size_t p3, std::size_t p4) {
  std::string text = GetShortText(r, p1, 9);
  text = text.substr(0, 9) + GetShortText(r, p2, 2);
  text = text.substr(0, 11) + GetShortText(r, p3, 2);
  text = text.substr(0, 13) + GetShortText(r, p4, 7);
  return text.substr(0, 20);
}

}  // namespace

std::string Quoted(std::string_view cp1252) {
  std::string text = "\"";
  for (char c : cp1252) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += c;
    } else if (const char32_t cp = Cp1252ToCodePoint(byte);
               cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      text += hex;
    } else {
      text += Cp1252ToUtf8(std::string_view(&c, 1));
    }
  }
  return text + "\"";
}

std::string ContestHeaderText(ConstBytes record) {
  std::array<std::uint8_t, kContestHeaderSize> bytes{};
  std::copy_n(record.begin(), std::min(record.size(), bytes.size()), bytes.begin());
  const ContestHeader h{ContestHeader::Record(bytes)};
  Line line;
  line.Number("number", h.contestNumber())
      .Text("name", h.name())
      .Date("start", h.startDate())
      .Date("end", h.endDate())
      .Time("from", h.startTime(), "hh:mm")
      .Time("to", h.endTime(), "hh:mm")
      .Text("call", h.ownCall())
      .Text("dok", h.dok())
      .Text("ldk", h.ldk())
      .Text("locator", h.locator())
      .Text("postcode", h.postcode())
      .Char("code", h.contestCode())
      .Number("type", h.participationType())
      .Number("category", h.extraCategory())
      .Raw("startMode", StartMode(h))
      .OnOff("dateAuto", h.dateAutomatic())
      .OnOff("timeAuto", h.timeAutomatic())
      .OnOff("bandAuto", h.bandAutomatic())
      .OnOff("rstSentFree", h.rstSentFree())
      .OnOff("rstRcvdFree", h.rstReceivedFree())
      .OnOff("locked", h.settingsLocked())
      .Char("qslSent", h.qslSentDefault())
      .Char("qslRcvd", h.qslReceivedDefault())
      .Raw("qsos", JoinSlots([&h](int s) { return h.qsoCount(s); }))
      .Raw("multipliers", JoinSlots([&h](int s) { return h.multiplierCount(s); }))
      .Raw("multipliers2", JoinSlots([&h](int s) { return h.secondMultiplierCount(s); }))
      .Raw("multipliers3", JoinSlots([&h](int s) { return h.thirdMultiplierCount(s); }))
      .Raw("points", JoinSlots([&h](int s) { return h.points(s); }))
      .OnOff("totalsInTotalsRecord", h.totalsInTotalsRecord())
      .Text("equipment", h.stationEquipment());
  return line.str();
}

std::string SetupText(ConstBytes record) {
  const OwnStation own = ReadOwnStationFields(record);
  Line line;
  line.Number("record", GetI32(record, setup_layout::kRecordNumber))
      .Text("call", own.call)
      .Text("swl", own.swlNumber)
      .Text("locator", own.locator)
      .Text("name", own.name)
      .Text("street", own.street)
      .Text("postcode", own.postcode)
      .Text("town", own.town)
      .Text("country", own.country)
      .Text("dok", own.dok)
      .Text("labelLocator", own.labelLocator)
      .Text("waz", own.waz)
      .Text("itu", own.itu)
      .Text("email", own.email)
      .Text("web", own.web)
      .Text("qslManager", own.qslManager);
  for (std::size_t i = 0; i < own.formerCalls.size(); ++i) {
    line.Text("formerCall" + std::to_string(i + 1), own.formerCalls[i]);
  }
  for (std::size_t i = 0; i < own.memberships.size(); ++i) {
    line.Text("membership" + std::to_string(i + 1), own.memberships[i]);
  }
  for (std::size_t i = 0; i < own.stationLines.size(); ++i) {
    line.Text("station" + std::to_string(i + 1), own.stationLines[i]);
  }
  return line.str();
}

std::string PrefixText(ConstBytes record) {
  const PrefixRecord p = PrefixRecord::From(record);
  Line line;
  line.Text("prefix", p.prefix())
      .Text("dxcc", p.dxccPrefix())
      .Text("qualifier", p.qualifier())
      .Text("cq", p.cqZone())
      .Text("itu", p.ituZone())
      .Text("continent", p.continent())
      .Text("country", p.country())
      .Text("countryCode", p.countryCode())
      .Number("entity", p.entityNumber())
      .Text("alt", p.altDxccPrefix())
      .Date("validFrom", p.validFrom())
      .Date("validUntil", p.validUntil())
      .Char("rangeEnd", p.rangeEnd())
      .Text("reference", p.referencePrefix())
      .Date("period1", p.firstPeriodDate())
      .Text("period1Prefix", p.firstPeriodPrefix())
      .Date("period2", p.secondPeriodDate())
      .Text("period2Prefix", p.secondPeriodPrefix())
      .Char("kind", p.kind())
      .Char("callBeginning", p.callBeginningMark());
  return line.str();
}

std::string QsoText(ConstBytes r) {
  using namespace qso;
  Line line;
  line.Number("serial", GetI32(r, kSerialNo))
      .Number("record", GetU32(r, kRecordNo))
      .Text("call", GetShortText(r, kCall, 12))
      .Date("date", GetI32(r, kDate))
      .Time("time", GetI32(r, kTime), "hh:mm:ss")
      .Band("band", static_cast<char>(GetU8(r, kBand)))
      .Text("mode", GetShortText(r, kMode, 6))
      .Raw("freq",
           TrimBlanksTabs(FormatPicture(static_cast<double>(GetF32(r, kFrequency)), "#####,###")))
      .Text("sent", Exchange(r, kSentPiece1, kSentPiece2, kSentPiece3, kSentPiece4))
      .Text("rcvd", Exchange(r, kRcvdPiece1, kRcvdPiece2, kRcvdPiece3, kRcvdPiece4))
      .Text("dok", (GetShortText(r, kDokPiece1, 6) + GetShortText(r, kDokPiece2, 2)).substr(0, 8))
      .Text("locator", GetShortText(r, kRxLocator, 6))
      .Text("prefix", GetShortText(r, kPrefix, 6))
      .Text("altPrefix", GetShortText(r, kAltPrefix, 6))
      .Text("continent", GetShortText(r, kContinent, 2))
      .Text("area", GetShortText(r, kAreaCode, 2))
      .Number("points", GetU16(r, kPoints))
      .Text("multi1", GetShortText(r, kMulti1, 6))
      .Text("multi2", GetShortText(r, kMulti2, 6))
      .Text("multi3", GetShortText(r, kMulti3, 12))
      .Text("nameQth", GetShortText(r, kNameQth, 30))
      .Number("km", GetU32(r, kDistance))
      .Number("bandNo", GetI32(r, kBandNo))
      .Number("bandNo2", GetI32(r, kBandNo2))
      .Number("modeNo", GetU16(r, kModeNo))
      .Char("qslSend", static_cast<char>(GetU8(r, kQslSend)))
      .Char("qslRcvd", static_cast<char>(GetU8(r, kQslRcvd)))
      .Number("marked", GetU8(r, kMarked))
      .Number("dxccFixed", GetU8(r, kDxccFixed));
  const char qsy = static_cast<char>(GetU8(r, kQsyBand));
  if (qsy != 0 && qsy != ' ') line.Band("qsy", qsy);
  return line.str();
}

std::string HexText(ConstBytes record) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(record.size() * 2);
  for (std::uint8_t b : record) {
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

std::string RecordText(SharedFile file, ConstBytes record) {
  switch (file) {
    case SharedFile::kContestDirectory:
      return ContestHeaderText(record);
    case SharedFile::kSetup:
      return SetupText(record);
    case SharedFile::kPrefixes:
    case SharedFile::kPrefixExceptions:
    case SharedFile::kPrefixSpecials:
      return PrefixText(record);
    case SharedFile::kQsoLog:
    case SharedFile::kQsoTemp:
      return QsoText(record);
    default:
      return "hex=" + HexText(record);
  }
}

}  // namespace korv::tool
