#include "logging/qso_record.h"

#include <algorithm>
#include <utility>

namespace korv {
namespace {

namespace L = qso_layout;

// Characters [from, from + count) of text, empty where text is shorter.
std::string_view Piece(std::string_view text, std::size_t from, std::size_t count) {
  if (from >= text.size()) return {};
  return text.substr(from, count);
}

std::string CutTo(std::string s, std::size_t length) {
  if (s.size() > length) s.resize(length);
  return s;
}

}  // namespace

std::string BuildExchangeString(const Exchange& exchange) {
  std::string text = exchange.report.substr(0, kExchangeReportLength);
  text.resize(kExchangeReportLength, ' ');
  text += exchange.field2;
  if (!exchange.field3.empty() || !exchange.field4.empty()) {
    text += '/';
    text += exchange.field3;
  }
  if (!exchange.field4.empty()) {
    text += '/';
    text += exchange.field4;
  }
  return CutTo(std::move(text), kExchangeStringLength);
}

Exchange SplitExchangeString(std::string_view text) {
  Exchange e;
  e.report = std::string(text.substr(0, std::min(text.size(), kExchangeReportLength)));
  const std::string_view rest = Piece(text, kExchangeReportLength, std::string_view::npos);
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) {
    e.field2 = std::string(rest);
    return e;
  }
  e.field2 = std::string(rest.substr(0, slash));
  const std::string_view tail = rest.substr(slash + 1);
  const std::size_t slash2 = tail.find('/');
  if (slash2 == std::string_view::npos) {
    e.field3 = std::string(tail);
  } else {
    e.field3 = std::string(tail.substr(0, slash2));
    e.field4 = std::string(tail.substr(slash2 + 1));
  }
  return e;
}

std::optional<QsoRecord> QsoRecord::Over(Bytes record) {
  if (record.size() != kQsoRecordSize) return std::nullopt;
  return QsoRecord(Record(record.data(), kQsoRecordSize));
}

void QsoRecord::Clear() {
  std::fill(rec_.begin(), rec_.end(), std::uint8_t{0});
}

std::int32_t QsoRecord::deleteMark() const { return GetI32(rec_, L::kDeleteMark); }
void QsoRecord::SetDeleteMark(std::int32_t v) { PutI32(rec_, L::kDeleteMark, v); }
std::uint32_t QsoRecord::recordNo() const { return GetU32(rec_, L::kRecordNo); }
void QsoRecord::SetRecordNo(std::uint32_t v) { PutU32(rec_, L::kRecordNo, v); }
std::string QsoRecord::call() const { return GetShortText(rec_, L::kCall, L::kCallCapacity); }
void QsoRecord::SetCall(std::string_view v) { PutShortText(rec_, L::kCall, L::kCallCapacity, v); }
std::string QsoRecord::rxLocator() const {
  return GetShortText(rec_, L::kRxLocator, L::kRxLocatorCapacity);
}
void QsoRecord::SetRxLocator(std::string_view v) {
  PutShortText(rec_, L::kRxLocator, L::kRxLocatorCapacity, v);
}
DayNumber QsoRecord::qsoDate() const { return GetI32(rec_, L::kQsoDate); }
void QsoRecord::SetQsoDate(DayNumber v) { PutI32(rec_, L::kQsoDate, v); }
TimeOfDay QsoRecord::qsoTime() const { return GetI32(rec_, L::kQsoTime); }
void QsoRecord::SetQsoTime(TimeOfDay v) { PutI32(rec_, L::kQsoTime, v); }
std::string QsoRecord::mode() const { return GetShortText(rec_, L::kMode, L::kModeCapacity); }
void QsoRecord::SetMode(std::string_view v) { PutShortText(rec_, L::kMode, L::kModeCapacity, v); }
std::string QsoRecord::multi2() const {
  return GetShortText(rec_, L::kMulti2, L::kMulti2Capacity);
}
void QsoRecord::SetMulti2(std::string_view v) {
  PutShortText(rec_, L::kMulti2, L::kMulti2Capacity, v);
}
std::uint32_t QsoRecord::distanceKm() const { return GetU32(rec_, L::kDistanceKm); }
void QsoRecord::SetDistanceKm(std::uint32_t v) { PutU32(rec_, L::kDistanceKm, v); }
std::string QsoRecord::altPrefix() const {
  return GetShortText(rec_, L::kAltPrefix, L::kAltPrefixCapacity);
}
void QsoRecord::SetAltPrefix(std::string_view v) {
  PutShortText(rec_, L::kAltPrefix, L::kAltPrefixCapacity, v);
}
std::string QsoRecord::prefix() const {
  return GetShortText(rec_, L::kPrefix, L::kPrefixCapacity);
}
void QsoRecord::SetPrefix(std::string_view v) {
  PutShortText(rec_, L::kPrefix, L::kPrefixCapacity, v);
}
std::string QsoRecord::nameQth() const {
  return GetShortText(rec_, L::kNameQth, L::kNameQthCapacity);
}
void QsoRecord::SetNameQth(std::string_view v) {
  PutShortText(rec_, L::kNameQth, L::kNameQthCapacity, v);
}
std::uint8_t QsoRecord::marked() const { return GetU8(rec_, L::kMarked); }
void QsoRecord::SetMarked(std::uint8_t v) { PutU8(rec_, L::kMarked, v); }
std::string QsoRecord::areaCode() const {
  return GetShortText(rec_, L::kAreaCode, L::kAreaCodeCapacity);
}
void QsoRecord::SetAreaCode(std::string_view v) {
  PutShortText(rec_, L::kAreaCode, L::kAreaCodeCapacity, v);
}
std::string QsoRecord::continent() const {
  return GetShortText(rec_, L::kContinent, L::kContinentCapacity);
}
void QsoRecord::SetContinent(std::string_view v) {
  PutShortText(rec_, L::kContinent, L::kContinentCapacity, v);
}
BandIndex QsoRecord::band() const { return static_cast<BandIndex>(GetU8(rec_, L::kBand)); }
void QsoRecord::SetBand(BandIndex v) { PutU8(rec_, L::kBand, static_cast<std::uint8_t>(v)); }
std::int32_t QsoRecord::bandNo() const { return GetI32(rec_, L::kBandNo); }
void QsoRecord::SetBandNo(std::int32_t v) { PutI32(rec_, L::kBandNo, v); }
std::uint16_t QsoRecord::points() const { return GetU16(rec_, L::kPoints); }
void QsoRecord::SetPoints(std::uint16_t v) { PutU16(rec_, L::kPoints, v); }
char QsoRecord::qslRcvd() const { return static_cast<char>(GetU8(rec_, L::kQslRcvd)); }
void QsoRecord::SetQslRcvd(char v) { PutU8(rec_, L::kQslRcvd, static_cast<std::uint8_t>(v)); }
std::string QsoRecord::multi3() const {
  return GetShortText(rec_, L::kMulti3, L::kMulti3Capacity);
}
void QsoRecord::SetMulti3(std::string_view v) {
  PutShortText(rec_, L::kMulti3, L::kMulti3Capacity, v);
}
std::string QsoRecord::multi1() const {
  return GetShortText(rec_, L::kMulti1, L::kMulti1Capacity);
}
void QsoRecord::SetMulti1(std::string_view v) {
  PutShortText(rec_, L::kMulti1, L::kMulti1Capacity, v);
}
std::int32_t QsoRecord::bandNo2() const { return GetI32(rec_, L::kBandNo2); }
void QsoRecord::SetBandNo2(std::int32_t v) { PutI32(rec_, L::kBandNo2, v); }
std::uint8_t QsoRecord::dxccFixed() const { return GetU8(rec_, L::kDxccFixed); }
void QsoRecord::SetDxccFixed(std::uint8_t v) { PutU8(rec_, L::kDxccFixed, v); }
BandIndex QsoRecord::qsyBand() const { return static_cast<BandIndex>(GetU8(rec_, L::kQsyBand)); }
void QsoRecord::SetQsyBand(BandIndex v) {
  PutU8(rec_, L::kQsyBand, static_cast<std::uint8_t>(v));
}
std::int32_t QsoRecord::serialNo() const { return GetI32(rec_, L::kSerialNo); }
void QsoRecord::SetSerialNo(std::int32_t v) { PutI32(rec_, L::kSerialNo, v); }
std::uint8_t QsoRecord::prefixFlag() const { return GetU8(rec_, L::kPrefixFlag); }
void QsoRecord::SetPrefixFlag(std::uint8_t v) { PutU8(rec_, L::kPrefixFlag, v); }
char QsoRecord::qslSend() const { return static_cast<char>(GetU8(rec_, L::kQslSend)); }
void QsoRecord::SetQslSend(char v) { PutU8(rec_, L::kQslSend, static_cast<std::uint8_t>(v)); }
float QsoRecord::frequency() const { return GetF32(rec_, L::kFrequency); }
void QsoRecord::SetFrequency(float v) { PutF32(rec_, L::kFrequency, v); }
std::uint16_t QsoRecord::modeNo() const { return GetU16(rec_, L::kModeNo); }
void QsoRecord::SetModeNo(std::uint16_t v) { PutU16(rec_, L::kModeNo, v); }

std::string QsoRecord::dok() const {
  return CutTo(GetShortText(rec_, L::kDokPiece1, L::kDokPiece1Capacity) +
                   GetShortText(rec_, L::kDokPiece2, L::kDokPiece2Capacity),
               kDokLength);
}
void QsoRecord::SetDok(std::string_view v) {
  PutShortText(rec_, L::kDokPiece1, L::kDokPiece1Capacity, Piece(v, 0, L::kDokPiece1Capacity));
  PutShortText(rec_, L::kDokPiece2, L::kDokPiece2Capacity,
               Piece(v, L::kDokPiece1Capacity, L::kDokPiece2Capacity));
}

// Joined with the cut-offs 11, 13 and 20 after pieces 2, 3 and 4, so a
// damaged short piece never shifts later characters past their place.
std::string QsoRecord::JoinedExch(const ExchPieces& p) const {
  constexpr std::size_t kEnd2 = L::kExchPiece1Capacity + L::kExchPiece2Capacity;
  constexpr std::size_t kEnd3 = kEnd2 + L::kExchPiece3Capacity;
  std::string s = GetShortText(rec_, p.piece1, L::kExchPiece1Capacity);
  s = CutTo(s + GetShortText(rec_, p.piece2, L::kExchPiece2Capacity), kEnd2);
  s = CutTo(s + GetShortText(rec_, p.piece3, L::kExchPiece3Capacity), kEnd3);
  return CutTo(s + GetShortText(rec_, p.piece4, L::kExchPiece4Capacity), kExchangeStringLength);
}

void QsoRecord::PutExch(const ExchPieces& p, std::string_view v) {
  constexpr std::size_t kStart2 = L::kExchPiece1Capacity;
  constexpr std::size_t kStart3 = kStart2 + L::kExchPiece2Capacity;
  constexpr std::size_t kStart4 = kStart3 + L::kExchPiece3Capacity;
  PutShortText(rec_, p.piece1, L::kExchPiece1Capacity, Piece(v, 0, L::kExchPiece1Capacity));
  PutShortText(rec_, p.piece2, L::kExchPiece2Capacity, Piece(v, kStart2, L::kExchPiece2Capacity));
  PutShortText(rec_, p.piece3, L::kExchPiece3Capacity, Piece(v, kStart3, L::kExchPiece3Capacity));
  PutShortText(rec_, p.piece4, L::kExchPiece4Capacity, Piece(v, kStart4, L::kExchPiece4Capacity));
}

std::string QsoRecord::sentExch() const { return JoinedExch(kSentPieces); }
void QsoRecord::SetSentExch(std::string_view v) { PutExch(kSentPieces, v); }
std::string QsoRecord::rcvdExch() const { return JoinedExch(kRcvdPieces); }
void QsoRecord::SetRcvdExch(std::string_view v) { PutExch(kRcvdPieces, v); }

Exchange QsoRecord::SentExchange() const { return SplitExchangeString(sentExch()); }
void QsoRecord::SetSentExchange(const Exchange& v) { SetSentExch(BuildExchangeString(v)); }
Exchange QsoRecord::ReceivedExchange() const { return SplitExchangeString(rcvdExch()); }
void QsoRecord::SetReceivedExchange(const Exchange& v) { SetRcvdExch(BuildExchangeString(v)); }

bool QsoRecord::IsQsyMarker() const {
  const BandIndex b = qsyBand();
  return b != '\0' && b != ' ';
}

void QsoRecord::ClearQsyMarkerFields() {
  SetPrefix({});
  SetContinent({});
  SetAltPrefix({});
  SetDok({});
  SetRxLocator({});
  SetMulti3({});
  SetAreaCode({});
}

}  // namespace korv
