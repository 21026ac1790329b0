// The storage benchmark's workload: records shaped like the QSO file's
// (216 bytes, 27 indexes), filled with realistic contest contacts, and the
// key builder both stores use.
//
// Record layout (integers little-endian, texts are ShortText[n]):
//   OFFSET SIZE DESCRIPTION
//   0      4    delete mark (engine)
//   4      4    record number, automatic number of index 4
//   8      13   call, ShortText[12]
//   21     7    received locator, ShortText[6]
//   28     4    date, DayNumber
//   32     4    time, seconds since midnight
//   36     7    mode text, ShortText[6]
//   43/51  8    sent / received exchange, characters 14-20
//   59     7    second multiplier (prefix), ShortText[6]
//   70     7    prefix edited by hand, ShortText[6]
//   77     7    country prefix, ShortText[6]
//   84     31   name;QTH, ShortText[30]
//   115    1    marked (1 = marked)
//   116    3    area code, ShortText[2]
//   122    3    continent, ShortText[2]
//   125    7    DOK characters 1-6, ShortText[6]
//   132    1    band character ('b' 80 m, 'c' 40 m, 'i' 10 m)
//   133    4    running number within the band
//   137    2    points
//   139    1    QSL received flag
//   140    13   third multiplier, ShortText[12]
//   153    7    first multiplier (DOK), ShortText[6]
//   160    4    second running number within the band
//   166    4    serial number in the whole log
//   170/171     reserved bytes (indexed)
//   173/183 10  sent / received exchange, characters 1-9
//   193    1    QSL send flag
//   194    3    DOK characters 7-8, ShortText[2]
//   203    4    frequency in MHz, float32
//   213    2    running number within the mode class
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "common/coding.h"
#include "storage/key.h"

namespace bench {

inline constexpr int kRecLen = 216;
inline constexpr int kIndexCount = 27;
inline constexpr std::array<int, kIndexCount> kKeyLens = {
    8, 22, 14, 5, 6, 14, 1, 6, 21, 7, 6, 6, 5, 2, 2, 2, 2, 8, 6, 6, 9, 7, 7, 6, 3, 2, 7};
inline constexpr int kAutoIndex = 4;         // unique; all others allow duplicates
inline constexpr int kRecordNoOffset = 4;
inline constexpr int kLookupIndex = 9;       // band + base call + mode
inline constexpr int kWalkIndex = 1;         // date + time

constexpr bool AllowDups(int index) { return index != kAutoIndex; }

namespace off {
inline constexpr std::size_t kRecordNo = 4, kCall = 8, kLocator = 21, kDate = 28, kTime = 32,
                             kMode = 36, kSentExch4 = 43, kRcvdExch4 = 51, kMulti2 = 59,
                             kAltPrefix = 70, kPrefix = 77, kNameQth = 84, kMarked = 115,
                             kAreaCode = 116, kContinent = 122, kDok1 = 125, kBand = 132,
                             kBandNo = 133, kPoints = 137, kQslRcvd = 139, kMulti3 = 140,
                             kMulti1 = 153, kBandNo2 = 160, kSerialNo = 166, kRes170 = 170,
                             kRes171 = 171, kSentExch1 = 173, kRcvdExch1 = 183, kQslSend = 193,
                             kDok2 = 194, kRcvdExch2 = 197, kSentExch2 = 200, kFrequency = 203,
                             kRcvdExch3 = 207, kSentExch3 = 210, kModeNo = 213;
}  // namespace off

// The key of `index` (1..27) of a record; the empty key for other numbers.
// Every key fills its index's length exactly.
void BuildQsoKey(korv::ConstBytes record, int index, korv::KeyString& key);

// Deterministic record source. Record i (0-based) is a pure function of the
// seed and i except for its running numbers, which Next assigns in order.
class QsoGenerator {
 public:
  QsoGenerator(std::uint64_t seed, std::int64_t plannedRecords);

  // Writes every field of record i (serial number i + 1) except the running
  // numbers within band and mode and the record number, which are left 0.
  void Fill(std::int64_t i, korv::Bytes record) const;
  // The next record in order, with running numbers and record number i + 1.
  void Next(korv::Bytes record);
  std::int64_t Produced() const { return next_; }

  // Replaces call and DOK (and what follows from them) by those of another
  // station, as a typed correction would: changes the keys of indexes
  // 2, 6, 9, 18, 19 and 21.
  void CorrectCallAndDok(korv::Bytes record, std::uint64_t salt) const;

 private:
  struct Station {
    std::string call, prefix, dok, locator, nameQth;
    bool german = false;
  };
  Station MakeStation(std::uint64_t number) const;
  // Call, DOK and what follows from them (first multiplier, received exchange).
  static void PutCallAndDok(korv::Bytes record, const Station& station, int rcvdSerial);

  std::uint64_t seed_;
  std::uint64_t stations_;
  std::int64_t next_ = 0;
  std::array<std::int32_t, 3> bandCount_{};
  std::array<std::int32_t, 2> modeCount_{};
};

// Joins texts and integers into one string (by appending: GCC 12 warns
// falsely on "text" + std::to_string(n) at -O3).
template <typename... Parts>
std::string Cat(const Parts&... parts) {
  std::string s;
  auto add = [&s](const auto& part) {
    if constexpr (std::is_integral_v<std::decay_t<decltype(part)>>) {
      s += std::to_string(part);
    } else {
      s += std::string_view(part);
    }
  };
  (add(parts), ...);
  return s;
}

// splitmix64: the benchmark's one source of pseudo-random numbers.
std::uint64_t Mix(std::uint64_t x);

}  // namespace bench
