#include "refdata/prefix_record.h"

#include <algorithm>
#include <cstring>

#include "common/cp1252.h"

namespace korv {
namespace pl = prefix_layout;

namespace {

// Lengths and duplicate flags as the suite defines them; index 9 is declared
// 13 bytes long although its key has 6.
constexpr std::array<IndexDef, kPrefixFileIndexCount> kPrefixFileDefs{{
    {6, true},
    {12, true},
    {9, true},
    {8, true},
    {8, true},
    {8, true},
    {36, true},
    {14, true},
    {13, true},
    {7, true},
    {6, true},
    {6, true},
    {5, true},
    {7, true},
}};
constexpr std::array<IndexDef, kExceptionFileIndexCount> kExceptionFileDefs{{
    {6, false},
    {12, true},
    {9, true},
    {8, true},
    {8, true},
    {8, true},
    {36, true},
    {14, true},
    {13, true},
    {7, true},
    {6, true},
    {6, true},
}};

void AppendField(ConstBytes rec, std::size_t offset, std::size_t capacity, std::size_t width,
                 KeyString& key) {
  key.AppendPadded(GetShortText(rec, offset, capacity), width);
}

char KindClass(std::uint8_t kind) {
  if (kind == static_cast<std::uint8_t>(kSpecialEntryKind)) return '2';
  if (kind > 'I' && kind <= 'Z') return '1';
  return '0';
}

}  // namespace

std::span<const IndexDef> PrefixFileIndexes() {
  return kPrefixFileDefs;
}
std::span<const IndexDef> ExceptionFileIndexes() {
  return kExceptionFileDefs;
}

void BuildPrefixKey(ConstBytes rec, int indexNumber, KeyString& key) {
  key.clear();
  const auto prefix6 = [&] { AppendField(rec, pl::kPrefix, pl::kPrefixCapacity, 6, key); };
  switch (indexNumber) {
    case 1:
      prefix6();
      break;
    case 2:
      AppendField(rec, pl::kDxccPrefix, pl::kDxccPrefixCapacity, 6, key);
      prefix6();
      break;
    case 3:
      prefix6();
      AppendField(rec, pl::kQualifier, pl::kQualifierCapacity, 3, key);
      break;
    case 4:
      AppendField(rec, pl::kCqZone, pl::kCqZoneCapacity, 2, key);
      prefix6();
      break;
    case 5:
      AppendField(rec, pl::kItuZone, pl::kItuZoneCapacity, 2, key);
      prefix6();
      break;
    case 6:
      AppendField(rec, pl::kContinent, pl::kContinentCapacity, 2, key);
      prefix6();
      break;
    case 7:
      key.AppendPadded(UpperCaseCp1252(GetShortText(rec, pl::kCountry, pl::kCountryCapacity)), 30);
      prefix6();
      break;
    case 8:
      AppendField(rec, pl::kCountryCode, pl::kCountryCodeCapacity, 8, key);
      prefix6();
      break;
    case 9:
      AppendField(rec, pl::kAltDxccPrefix, pl::kAltDxccPrefixCapacity, 6, key);
      break;
    case 10:
      key.AppendByte(static_cast<std::uint8_t>(KindClass(GetU8(rec, pl::kKind))));
      prefix6();
      break;
    case 11:
      AppendField(rec, pl::kReferencePrefix, pl::kReferencePrefixCapacity, 6, key);
      break;
    case 12:
      AppendField(rec, pl::kFirstPeriodPrefix, pl::kFirstPeriodPrefixCapacity, 6, key);
      break;
    case 13:
      key.AppendLong(GetU16(rec, pl::kEntityNumber));
      break;
    case 14:
      key.AppendByte(GetU8(rec, pl::kKind));
      prefix6();
      break;
    default:
      break;
  }
}

PrefixRecord PrefixRecord::From(ConstBytes record) {
  PrefixRecord r;
  const std::size_t n = std::min<std::size_t>(record.size(), kPrefixRecLen);
  if (n != 0) std::memcpy(r.bytes_.data(), record.data(), n);
  return r;
}

void PrefixRecord::CopyTo(Bytes record) const {
  const std::size_t n = std::min<std::size_t>(record.size(), kPrefixRecLen);
  if (n != 0) std::memcpy(record.data(), bytes_.data(), n);
}

std::string PrefixRecord::prefix() const {
  return GetShortText(span(), pl::kPrefix, pl::kPrefixCapacity);
}
void PrefixRecord::SetPrefix(std::string_view v) {
  PutShortText(mut(), pl::kPrefix, pl::kPrefixCapacity, v);
}

std::string PrefixRecord::dxccPrefix() const {
  return GetShortText(span(), pl::kDxccPrefix, pl::kDxccPrefixCapacity);
}
void PrefixRecord::SetDxccPrefix(std::string_view v) {
  PutShortText(mut(), pl::kDxccPrefix, pl::kDxccPrefixCapacity, v);
}

std::string PrefixRecord::qualifier() const {
  return GetShortText(span(), pl::kQualifier, pl::kQualifierCapacity);
}
void PrefixRecord::SetQualifier(std::string_view v) {
  PutShortText(mut(), pl::kQualifier, pl::kQualifierCapacity, v);
}

std::string PrefixRecord::cqZone() const {
  return GetShortText(span(), pl::kCqZone, pl::kCqZoneCapacity);
}
void PrefixRecord::SetCqZone(std::string_view v) {
  PutShortText(mut(), pl::kCqZone, pl::kCqZoneCapacity, v);
}

std::string PrefixRecord::ituZone() const {
  return GetShortText(span(), pl::kItuZone, pl::kItuZoneCapacity);
}
void PrefixRecord::SetItuZone(std::string_view v) {
  PutShortText(mut(), pl::kItuZone, pl::kItuZoneCapacity, v);
}

std::string PrefixRecord::continent() const {
  return GetShortText(span(), pl::kContinent, pl::kContinentCapacity);
}
void PrefixRecord::SetContinent(std::string_view v) {
  PutShortText(mut(), pl::kContinent, pl::kContinentCapacity, v);
}

std::string PrefixRecord::country() const {
  return GetShortText(span(), pl::kCountry, pl::kCountryCapacity);
}
void PrefixRecord::SetCountry(std::string_view v) {
  PutShortText(mut(), pl::kCountry, pl::kCountryCapacity, v);
}

std::string PrefixRecord::countryCode() const {
  return GetShortText(span(), pl::kCountryCode, pl::kCountryCodeCapacity);
}
void PrefixRecord::SetCountryCode(std::string_view v) {
  PutShortText(mut(), pl::kCountryCode, pl::kCountryCodeCapacity, v);
}

std::string PrefixRecord::firstPeriodPrefix() const {
  return GetShortText(span(), pl::kFirstPeriodPrefix, pl::kFirstPeriodPrefixCapacity);
}
void PrefixRecord::SetFirstPeriodPrefix(std::string_view v) {
  PutShortText(mut(), pl::kFirstPeriodPrefix, pl::kFirstPeriodPrefixCapacity, v);
}

std::string PrefixRecord::referencePrefix() const {
  return GetShortText(span(), pl::kReferencePrefix, pl::kReferencePrefixCapacity);
}
void PrefixRecord::SetReferencePrefix(std::string_view v) {
  PutShortText(mut(), pl::kReferencePrefix, pl::kReferencePrefixCapacity, v);
}

std::string PrefixRecord::secondPeriodPrefix() const {
  return GetShortText(span(), pl::kSecondPeriodPrefix, pl::kSecondPeriodPrefixCapacity);
}
void PrefixRecord::SetSecondPeriodPrefix(std::string_view v) {
  PutShortText(mut(), pl::kSecondPeriodPrefix, pl::kSecondPeriodPrefixCapacity, v);
}

std::string PrefixRecord::altDxccPrefix() const {
  return GetShortText(span(), pl::kAltDxccPrefix, pl::kAltDxccPrefixCapacity);
}
void PrefixRecord::SetAltDxccPrefix(std::string_view v) {
  PutShortText(mut(), pl::kAltDxccPrefix, pl::kAltDxccPrefixCapacity, v);
}

DayNumber PrefixRecord::validFrom() const {
  return GetI32(span(), pl::kValidFrom);
}
void PrefixRecord::SetValidFrom(DayNumber v) {
  PutI32(mut(), pl::kValidFrom, v);
}

DayNumber PrefixRecord::validUntil() const {
  return GetI32(span(), pl::kValidUntil);
}
void PrefixRecord::SetValidUntil(DayNumber v) {
  PutI32(mut(), pl::kValidUntil, v);
}

DayNumber PrefixRecord::firstPeriodDate() const {
  return GetI32(span(), pl::kFirstPeriodDate);
}
void PrefixRecord::SetFirstPeriodDate(DayNumber v) {
  PutI32(mut(), pl::kFirstPeriodDate, v);
}

DayNumber PrefixRecord::secondPeriodDate() const {
  return GetI32(span(), pl::kSecondPeriodDate);
}
void PrefixRecord::SetSecondPeriodDate(DayNumber v) {
  PutI32(mut(), pl::kSecondPeriodDate, v);
}

char PrefixRecord::rangeEnd() const {
  return static_cast<char>(GetU8(span(), pl::kRangeEnd));
}
void PrefixRecord::SetRangeEnd(char v) {
  PutU8(mut(), pl::kRangeEnd, static_cast<std::uint8_t>(v));
}

char PrefixRecord::kind() const {
  return static_cast<char>(GetU8(span(), pl::kKind));
}
void PrefixRecord::SetKind(char v) {
  PutU8(mut(), pl::kKind, static_cast<std::uint8_t>(v));
}

char PrefixRecord::callBeginningMark() const {
  return static_cast<char>(GetU8(span(), pl::kCallBeginning));
}
void PrefixRecord::SetCallBeginningMark(char v) {
  PutU8(mut(), pl::kCallBeginning, static_cast<std::uint8_t>(v));
}

std::uint16_t PrefixRecord::entityNumber() const {
  return GetU16(span(), pl::kEntityNumber);
}
void PrefixRecord::SetEntityNumber(std::uint16_t v) {
  PutU16(mut(), pl::kEntityNumber, v);
}

}  // namespace korv
