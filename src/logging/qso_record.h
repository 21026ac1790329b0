// QsoRecord: the 216-byte record of a contest log's QSO file, one per logged
// contact (or per QSY marker line of an older log). Integers are
// little-endian, texts are ShortText[n] (see common/coding.h).
//
//   OFFSET  SIZE  DESCRIPTION
//   0       4     delete mark of the storage engine
//   4       4     recordNo, uint32 (automatic number of index 4; 0 before insert)
//   8       13    call, ShortText[12]
//   21      7     rxLocator, ShortText[6]
//   28      4     qsoDate, DayNumber; <= 0 is shown blank
//   32      4     qsoTime, seconds since midnight; <= 0 is shown blank
//   36      7     mode, ShortText[6]
//   43      8     sent exchange piece 4 (characters 14-20), ShortText[7]
//   51      8     received exchange piece 4 (characters 14-20), ShortText[7]
//   59      7     multi2, ShortText[6]
//   66      4     distanceKm, uint32
//   70      7     altPrefix, ShortText[6]
//   77      7     prefix, ShortText[6]
//   84      31    nameQth, ShortText[30]
//   115     1     marked, uint8 (1 = highlighted)
//   116     3     areaCode, ShortText[2]
//   119     3     (reserved ShortText[2], preserved)
//   122     3     continent, ShortText[2]
//   125     7     DOK piece 1 (characters 1-6), ShortText[6]
//   132     1     band, BandIndex
//   133     4     bandNo, int32
//   137     2     points, uint16
//   139     1     qslRcvd, flag character
//   140     13    multi3 (second call in listener logs), ShortText[12]
//   153     7     multi1, ShortText[6]
//   160     4     bandNo2, int32
//   164     1     dxccFixed, uint8
//   165     1     qsyBand, BandIndex; 0 or blank = an ordinary QSO
//   166     4     serialNo, int32
//   170     1     (reserved, preserved; indexed by keys 14, 16, 17)
//   171     1     (reserved, preserved; indexed by keys 15, 16, 17)
//   172     1     prefixFlag, uint8
//   173     10    sent exchange piece 1 (characters 1-9), ShortText[9]
//   183     10    received exchange piece 1 (characters 1-9), ShortText[9]
//   193     1     qslSend, flag character
//   194     3     DOK piece 2 (characters 7-8), ShortText[2]
//   197     3     received exchange piece 2 (characters 10-11), ShortText[2]
//   200     3     sent exchange piece 2 (characters 10-11), ShortText[2]
//   203     4     frequency, float32 MHz
//   207     3     received exchange piece 3 (characters 12-13), ShortText[2]
//   210     3     sent exchange piece 3 (characters 12-13), ShortText[2]
//   213     2     modeNo, uint16
//   215     1     (reserved, preserved)
//
// The DOK (8 characters) and the two exchange strings (20 characters each)
// are split over several pieces because the record grew inside a fixed
// length. Reserved bytes are never written by the accessors.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/coding.h"
#include "common/dates.h"
#include "refdata/bands.h"

namespace korv {

inline constexpr std::size_t kQsoRecordSize = 216;
inline constexpr std::size_t kDokLength = 8;
inline constexpr std::size_t kExchangeStringLength = 20;
inline constexpr std::size_t kExchangeReportLength = 3;

namespace qso_layout {

inline constexpr std::size_t kDeleteMark = 0;
inline constexpr std::size_t kRecordNo = 4;
inline constexpr std::size_t kCall = 8;
inline constexpr std::size_t kCallCapacity = 12;
inline constexpr std::size_t kRxLocator = 21;
inline constexpr std::size_t kRxLocatorCapacity = 6;
inline constexpr std::size_t kQsoDate = 28;
inline constexpr std::size_t kQsoTime = 32;
inline constexpr std::size_t kMode = 36;
inline constexpr std::size_t kModeCapacity = 6;
inline constexpr std::size_t kSentExchPiece4 = 43;
inline constexpr std::size_t kRcvdExchPiece4 = 51;
inline constexpr std::size_t kExchPiece4Capacity = 7;
inline constexpr std::size_t kMulti2 = 59;
inline constexpr std::size_t kMulti2Capacity = 6;
inline constexpr std::size_t kDistanceKm = 66;
inline constexpr std::size_t kAltPrefix = 70;
inline constexpr std::size_t kAltPrefixCapacity = 6;
inline constexpr std::size_t kPrefix = 77;
inline constexpr std::size_t kPrefixCapacity = 6;
inline constexpr std::size_t kNameQth = 84;
inline constexpr std::size_t kNameQthCapacity = 30;
inline constexpr std::size_t kMarked = 115;
inline constexpr std::size_t kAreaCode = 116;
inline constexpr std::size_t kAreaCodeCapacity = 2;
inline constexpr std::size_t kReserved119 = 119;
inline constexpr std::size_t kContinent = 122;
inline constexpr std::size_t kContinentCapacity = 2;
inline constexpr std::size_t kDokPiece1 = 125;
inline constexpr std::size_t kDokPiece1Capacity = 6;
inline constexpr std::size_t kBand = 132;
inline constexpr std::size_t kBandNo = 133;
inline constexpr std::size_t kPoints = 137;
inline constexpr std::size_t kQslRcvd = 139;
inline constexpr std::size_t kMulti3 = 140;
inline constexpr std::size_t kMulti3Capacity = 12;
inline constexpr std::size_t kMulti1 = 153;
inline constexpr std::size_t kMulti1Capacity = 6;
inline constexpr std::size_t kBandNo2 = 160;
inline constexpr std::size_t kDxccFixed = 164;
inline constexpr std::size_t kQsyBand = 165;
inline constexpr std::size_t kSerialNo = 166;
inline constexpr std::size_t kReserved170 = 170;
inline constexpr std::size_t kReserved171 = 171;
inline constexpr std::size_t kPrefixFlag = 172;
inline constexpr std::size_t kSentExchPiece1 = 173;
inline constexpr std::size_t kRcvdExchPiece1 = 183;
inline constexpr std::size_t kExchPiece1Capacity = 9;
inline constexpr std::size_t kQslSend = 193;
inline constexpr std::size_t kDokPiece2 = 194;
inline constexpr std::size_t kDokPiece2Capacity = 2;
inline constexpr std::size_t kRcvdExchPiece2 = 197;
inline constexpr std::size_t kSentExchPiece2 = 200;
inline constexpr std::size_t kExchPiece2Capacity = 2;
inline constexpr std::size_t kFrequency = 203;
inline constexpr std::size_t kRcvdExchPiece3 = 207;
inline constexpr std::size_t kSentExchPiece3 = 210;
inline constexpr std::size_t kExchPiece3Capacity = 2;
inline constexpr std::size_t kModeNo = 213;
inline constexpr std::size_t kReserved215 = 215;

// Every byte range of the record in order: {offset, size}. The static_assert
// below proves the ranges meet without gap or overlap and end at 216, so a
// typo in one offset breaks the build.
struct Span {
  std::size_t offset;
  std::size_t size;
};
inline constexpr std::array<Span, 43> kRanges = {{
    {kDeleteMark, 4},       {kRecordNo, 4},
    {kCall, 1 + kCallCapacity},
    {kRxLocator, 1 + kRxLocatorCapacity},
    {kQsoDate, 4},          {kQsoTime, 4},
    {kMode, 1 + kModeCapacity},
    {kSentExchPiece4, 1 + kExchPiece4Capacity},
    {kRcvdExchPiece4, 1 + kExchPiece4Capacity},
    {kMulti2, 1 + kMulti2Capacity},
    {kDistanceKm, 4},
    {kAltPrefix, 1 + kAltPrefixCapacity},
    {kPrefix, 1 + kPrefixCapacity},
    {kNameQth, 1 + kNameQthCapacity},
    {kMarked, 1},
    {kAreaCode, 1 + kAreaCodeCapacity},
    {kReserved119, 3},
    {kContinent, 1 + kContinentCapacity},
    {kDokPiece1, 1 + kDokPiece1Capacity},
    {kBand, 1},             {kBandNo, 4},
    {kPoints, 2},           {kQslRcvd, 1},
    {kMulti3, 1 + kMulti3Capacity},
    {kMulti1, 1 + kMulti1Capacity},
    {kBandNo2, 4},          {kDxccFixed, 1},
    {kQsyBand, 1},          {kSerialNo, 4},
    {kReserved170, 1},      {kReserved171, 1},
    {kPrefixFlag, 1},
    {kSentExchPiece1, 1 + kExchPiece1Capacity},
    {kRcvdExchPiece1, 1 + kExchPiece1Capacity},
    {kQslSend, 1},
    {kDokPiece2, 1 + kDokPiece2Capacity},
    {kRcvdExchPiece2, 1 + kExchPiece2Capacity},
    {kSentExchPiece2, 1 + kExchPiece2Capacity},
    {kFrequency, 4},
    {kRcvdExchPiece3, 1 + kExchPiece3Capacity},
    {kSentExchPiece3, 1 + kExchPiece3Capacity},
    {kModeNo, 2},           {kReserved215, 1},
}};

constexpr bool RangesTile() {
  std::size_t next = 0;
  for (const Span& s : kRanges) {
    if (s.offset != next) return false;
    next += s.size;
  }
  return next == kQsoRecordSize;
}
static_assert(RangesTile());

// The pieces add up to the joined lengths.
static_assert(kDokPiece1Capacity + kDokPiece2Capacity == kDokLength);
static_assert(kExchPiece1Capacity + kExchPiece2Capacity + kExchPiece3Capacity +
                  kExchPiece4Capacity ==
              kExchangeStringLength);

}  // namespace qso_layout

// The report and up to three further exchange fields of one direction.
struct Exchange {
  std::string report;
  std::string field2;
  std::string field3;
  std::string field4;

  bool operator==(const Exchange&) const = default;
};

// Joins an exchange into its ExchangeString: the report padded with blanks
// (or cut) to 3 characters, then field 2; "/" + field 3 when field 3 or
// field 4 is non-empty; "/" + field 4 when field 4 is non-empty. The result
// is cut to 20 characters.
std::string BuildExchangeString(const Exchange& exchange);

// Splits an ExchangeString: characters 1-3 are the report (kept as stored,
// blanks included); the rest is field 2 up to the first "/", field 3 up to
// the next "/", and field 4 is everything after that.
Exchange SplitExchangeString(std::string_view text);

// A typed view over one QSO record buffer. The view does not own the bytes;
// copies address the same bytes. Getters read the buffer at every call.
// Texts are written cut to their capacity; bytes after a text keep their old
// contents. Reserved bytes are never written, except by Clear().
class QsoRecord {
 public:
  using Record = std::span<std::uint8_t, kQsoRecordSize>;

  explicit QsoRecord(Record record) : rec_(record) {}

  // nullopt unless the buffer holds exactly kQsoRecordSize bytes.
  static std::optional<QsoRecord> Over(Bytes record);

  Record bytes() const { return rec_; }

  // Sets all 216 bytes to zero (the state of a record being prepared).
  void Clear();

  std::int32_t deleteMark() const;
  void SetDeleteMark(std::int32_t v);
  std::uint32_t recordNo() const;
  void SetRecordNo(std::uint32_t v);
  std::string call() const;
  void SetCall(std::string_view v);
  std::string rxLocator() const;
  void SetRxLocator(std::string_view v);
  DayNumber qsoDate() const;
  void SetQsoDate(DayNumber v);
  TimeOfDay qsoTime() const;
  void SetQsoTime(TimeOfDay v);
  std::string mode() const;
  void SetMode(std::string_view v);
  std::string multi2() const;
  void SetMulti2(std::string_view v);
  std::uint32_t distanceKm() const;
  void SetDistanceKm(std::uint32_t v);
  std::string altPrefix() const;
  void SetAltPrefix(std::string_view v);
  std::string prefix() const;
  void SetPrefix(std::string_view v);
  std::string nameQth() const;
  void SetNameQth(std::string_view v);
  std::uint8_t marked() const;
  void SetMarked(std::uint8_t v);
  std::string areaCode() const;
  void SetAreaCode(std::string_view v);
  std::string continent() const;
  void SetContinent(std::string_view v);
  BandIndex band() const;
  void SetBand(BandIndex v);
  std::int32_t bandNo() const;
  void SetBandNo(std::int32_t v);
  std::uint16_t points() const;
  void SetPoints(std::uint16_t v);
  char qslRcvd() const;
  void SetQslRcvd(char v);
  // In listener logs the same field holds the second call sign.
  std::string multi3() const;
  void SetMulti3(std::string_view v);
  std::string call2() const { return multi3(); }
  void SetCall2(std::string_view v) { SetMulti3(v); }
  std::string multi1() const;
  void SetMulti1(std::string_view v);
  std::int32_t bandNo2() const;
  void SetBandNo2(std::int32_t v);
  std::uint8_t dxccFixed() const;
  void SetDxccFixed(std::uint8_t v);
  BandIndex qsyBand() const;
  void SetQsyBand(BandIndex v);
  std::int32_t serialNo() const;
  void SetSerialNo(std::int32_t v);
  std::uint8_t prefixFlag() const;
  void SetPrefixFlag(std::uint8_t v);
  char qslSend() const;
  void SetQslSend(char v);
  float frequency() const;
  void SetFrequency(float v);
  std::uint16_t modeNo() const;
  void SetModeNo(std::uint16_t v);

  // The DOK joined from its two pieces, at most 8 characters; the setter
  // stores characters 1-6 and 7-8 (a longer text is cut to 8).
  std::string dok() const;
  void SetDok(std::string_view v);

  // The ExchangeString of each direction joined from its four pieces, at
  // most 20 characters; the setters store characters 1-9, 10-11, 12-13 and
  // 14-20 (a longer text is cut to 20).
  std::string sentExch() const;
  void SetSentExch(std::string_view v);
  std::string rcvdExch() const;
  void SetRcvdExch(std::string_view v);

  // The same texts built from and split into report and fields 2-4.
  Exchange SentExchange() const;
  void SetSentExchange(const Exchange& v);
  Exchange ReceivedExchange() const;
  void SetReceivedExchange(const Exchange& v);

  // A QSY marker line: qsyBand is neither 0 nor blank.
  bool IsQsyMarker() const;
  // Empties the fields a QSY marker line must not carry when the log is
  // opened: prefix, continent, altPrefix, both DOK pieces, rxLocator,
  // multi3 and areaCode.
  void ClearQsyMarkerFields();

 private:
  struct ExchPieces {
    std::size_t piece1, piece2, piece3, piece4;
  };
  static constexpr ExchPieces kSentPieces{qso_layout::kSentExchPiece1,
                                          qso_layout::kSentExchPiece2,
                                          qso_layout::kSentExchPiece3,
                                          qso_layout::kSentExchPiece4};
  static constexpr ExchPieces kRcvdPieces{qso_layout::kRcvdExchPiece1,
                                          qso_layout::kRcvdExchPiece2,
                                          qso_layout::kRcvdExchPiece3,
                                          qso_layout::kRcvdExchPiece4};

  std::string JoinedExch(const ExchPieces& p) const;
  void PutExch(const ExchPieces& p, std::string_view v);

  Record rec_;
};

}  // namespace korv
