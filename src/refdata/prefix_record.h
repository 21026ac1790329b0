// The prefix record: 181 bytes, the same layout in the prefix table KVPREFIX
// and the exception tables KVPREFEE and KVPREFES, and the keys of their
// indexes.
//
//   OFFSET SIZE DESCRIPTION
//   0      4    storage header (delete mark)
//   4      7    prefix, ShortText[6] (exception files: the call or call beginning)
//   11     7    DXCC prefix of the country, ShortText[6]
//   18     4    suffix qualifier, ShortText[3]
//   22     3    CQ zone, ShortText[2]
//   25     3    ITU zone, ShortText[2]
//   28     3    continent, ShortText[2]
//   31     31   country name, ShortText[30]
//   62     9    country code text, ShortText[8]
//   71     9    (not used here)
//   80     4    valid from, DayNumber, 0 = always
//   84     4    valid until, DayNumber, 0 = open
//   88     4    first period date
//   92     4    (not used here)
//   96     11   first period prefix, ShortText[10]
//   107    1    upper end of a range ('0'-'9' or 'A'-'Z'; else no range)
//   108    2    ADIF DXCC entity number, uint16
//   110    51   reference prefix, ShortText[50]
//   161    4    second period date
//   165    7    second period prefix, ShortText[6]
//   172    7    alternative DXCC prefix, ShortText[6]
//   179    1    kind: '*' special entry; a letter after 'I' an entry of the second kind
//   180    1    'J': the entry matches every call beginning with its prefix
//
// Index keys (pad(o, n): the ShortText at o cut or padded with blanks to n):
//   1  pad(4,6)                       8  pad(62,8) + pad(4,6)
//   2  pad(11,6) + pad(4,6)           9  pad(172,6)
//   3  pad(4,6) + pad(18,3)           10 '2' for kind '*', '1' for a kind 'J'..'Z',
//   4  pad(22,2) + pad(4,6)              else '0'; then pad(4,6)
//   5  pad(25,2) + pad(4,6)           11 pad(110,6)
//   6  pad(28,2) + pad(4,6)           12 pad(96,6)
//   7  upper-cased text at 31 padded  13 EncodeLongKey(uint16 at 108)   KVPREFIX only
//      to 30 + pad(4,6)               14 byte 179 + pad(4,6)             KVPREFIX only
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/coding.h"
#include "common/dates.h"
#include "storage/index_file.h"
#include "storage/key.h"

namespace korv {

inline constexpr int kPrefixRecLen = 181;
inline constexpr int kPrefixFileIndexCount = 14;     // KVPREFIX
inline constexpr int kExceptionFileIndexCount = 12;  // KVPREFEE, KVPREFES

// Index definitions (key length, duplicates) in IndexNumber order.
std::span<const IndexDef> PrefixFileIndexes();
std::span<const IndexDef> ExceptionFileIndexes();

// The key builder of the three files (indexes 13 and 14 exist in KVPREFIX only).
void BuildPrefixKey(ConstBytes record, int indexNumber, KeyString& key);

namespace prefix_layout {

inline constexpr std::size_t kPrefix = 4;
inline constexpr std::size_t kPrefixCapacity = 6;
inline constexpr std::size_t kDxccPrefix = 11;
inline constexpr std::size_t kDxccPrefixCapacity = 6;
inline constexpr std::size_t kQualifier = 18;
inline constexpr std::size_t kQualifierCapacity = 3;
inline constexpr std::size_t kCqZone = 22;
inline constexpr std::size_t kCqZoneCapacity = 2;
inline constexpr std::size_t kItuZone = 25;
inline constexpr std::size_t kItuZoneCapacity = 2;
inline constexpr std::size_t kContinent = 28;
inline constexpr std::size_t kContinentCapacity = 2;
inline constexpr std::size_t kCountry = 31;
inline constexpr std::size_t kCountryCapacity = 30;
inline constexpr std::size_t kCountryCode = 62;
inline constexpr std::size_t kCountryCodeCapacity = 8;
inline constexpr std::size_t kValidFrom = 80;
inline constexpr std::size_t kValidUntil = 84;
inline constexpr std::size_t kFirstPeriodDate = 88;
inline constexpr std::size_t kFirstPeriodPrefix = 96;
inline constexpr std::size_t kFirstPeriodPrefixCapacity = 10;
inline constexpr std::size_t kRangeEnd = 107;
inline constexpr std::size_t kEntityNumber = 108;
inline constexpr std::size_t kReferencePrefix = 110;
inline constexpr std::size_t kReferencePrefixCapacity = 50;
inline constexpr std::size_t kSecondPeriodDate = 161;
inline constexpr std::size_t kSecondPeriodPrefix = 165;
inline constexpr std::size_t kSecondPeriodPrefixCapacity = 6;
inline constexpr std::size_t kAltDxccPrefix = 172;
inline constexpr std::size_t kAltDxccPrefixCapacity = 6;
inline constexpr std::size_t kKind = 179;
inline constexpr std::size_t kCallBeginning = 180;

static_assert(kPrefix + 1 + kPrefixCapacity == kDxccPrefix);
static_assert(kDxccPrefix + 1 + kDxccPrefixCapacity == kQualifier);
static_assert(kQualifier + 1 + kQualifierCapacity == kCqZone);
static_assert(kCqZone + 1 + kCqZoneCapacity == kItuZone);
static_assert(kItuZone + 1 + kItuZoneCapacity == kContinent);
static_assert(kContinent + 1 + kContinentCapacity == kCountry);
static_assert(kCountry + 1 + kCountryCapacity == kCountryCode);
static_assert(kFirstPeriodPrefix + 1 + kFirstPeriodPrefixCapacity == kRangeEnd);
static_assert(kReferencePrefix + 1 + kReferencePrefixCapacity == kSecondPeriodDate);
static_assert(kSecondPeriodPrefix + 1 + kSecondPeriodPrefixCapacity == kAltDxccPrefix);
static_assert(kAltDxccPrefix + 1 + kAltDxccPrefixCapacity == kKind);
static_assert(kCallBeginning + 1 == static_cast<std::size_t>(kPrefixRecLen));

}  // namespace prefix_layout

// Marks of the byte fields.
inline constexpr char kSpecialEntryKind = '*';
inline constexpr char kCallBeginningMark = 'J';

// One prefix record held by value (181 bytes). Getters read, setters write
// the documented field; texts are cut to their capacity on write and the
// bytes after a text keep their old contents. The 9 + 4 unused bytes are
// kept as they came.
class PrefixRecord {
 public:
  using Buffer = std::array<std::uint8_t, kPrefixRecLen>;

  PrefixRecord() { bytes_.fill(0); }
  // A copy of the first 181 bytes of record; a shorter span leaves the rest 0.
  static PrefixRecord From(ConstBytes record);
  // Writes the 181 bytes into record (as far as it reaches).
  void CopyTo(Bytes record) const;

  Buffer& bytes() { return bytes_; }
  const Buffer& bytes() const { return bytes_; }
  ConstBytes span() const { return {bytes_.data(), bytes_.size()}; }

  std::string prefix() const;
  void SetPrefix(std::string_view v);
  std::string dxccPrefix() const;
  void SetDxccPrefix(std::string_view v);
  std::string qualifier() const;
  void SetQualifier(std::string_view v);
  std::string cqZone() const;
  void SetCqZone(std::string_view v);
  std::string ituZone() const;
  void SetItuZone(std::string_view v);
  std::string continent() const;
  void SetContinent(std::string_view v);
  std::string country() const;
  void SetCountry(std::string_view v);
  std::string countryCode() const;
  void SetCountryCode(std::string_view v);
  DayNumber validFrom() const;
  void SetValidFrom(DayNumber v);
  DayNumber validUntil() const;
  void SetValidUntil(DayNumber v);
  DayNumber firstPeriodDate() const;
  void SetFirstPeriodDate(DayNumber v);
  std::string firstPeriodPrefix() const;
  void SetFirstPeriodPrefix(std::string_view v);
  char rangeEnd() const;
  void SetRangeEnd(char v);
  std::uint16_t entityNumber() const;
  void SetEntityNumber(std::uint16_t v);
  std::string referencePrefix() const;
  void SetReferencePrefix(std::string_view v);
  DayNumber secondPeriodDate() const;
  void SetSecondPeriodDate(DayNumber v);
  std::string secondPeriodPrefix() const;
  void SetSecondPeriodPrefix(std::string_view v);
  std::string altDxccPrefix() const;
  void SetAltDxccPrefix(std::string_view v);
  char kind() const;
  void SetKind(char v);
  // The byte at 180; 'J' marks a call beginning (exception files).
  char callBeginningMark() const;
  void SetCallBeginningMark(char v);
  bool IsCallBeginning() const { return callBeginningMark() == kCallBeginningMark; }

 private:
  Bytes mut() { return {bytes_.data(), bytes_.size()}; }
  Buffer bytes_;
};

}  // namespace korv
