// The setup records: the first record of KVSETUP (3530 bytes) and of
// KVSETUP2 (50408 bytes). Most of both belongs to the other programs of the
// suite; this module reads and writes only the fields below and every other
// byte keeps its value. Integers are little-endian; texts are ShortText[n]
// (common/coding.h); boolean bytes are 0 / 255.
//
// KVSETUP record:
//   OFFSET SIZE DESCRIPTION
//   0      4    delete mark of the storage engine
//   4      4    automatic record number (index 1)
//   703    20   colours 1-5, int32 each (platform colour values)
//   723    63   suffix table: 9 entries of 7 bytes at 723 + 7 * (i - 1):
//                 ShortText[3] suffix, uint8 code, 2 reserved bytes
//   786    4    number of the selected station profile in KVPRO, int32
//   790    1    option of the QSL printing
//   791    320  suite table 1: 4 x 20 int32 (kept)
//   1111   320  suite table 2: 4 x 20 int32 (kept)
//   1431   12   suite values: 3 int32 (kept)
//   1443   320  suite table 3: 4 x 20 int32 (kept)
//   1775   1    suite flag (kept)
//   1776   7    own Maidenhead locator, ShortText[6]
//   1783   1    suite flag (kept)
//   1784   5    guarded group 1, part 1: flags (kept)
//   1791   3    guarded group 1, part 2: flags (kept)
//   1794   1    guard of group 1
//   1795   4    hours to add to the computer clock for UTC, int32
//   1799   1    option written when 3168 is set
//   1800   256  suite text, ShortText[255] (kept)
//   2103   51   operator name, ShortText[50]
//   2154   51   street, ShortText[50]
//   2205   51   postcode and town separated by the first blank, ShortText[50]
//   2256   51   country, ShortText[50]
//   2307   11   DOK, ShortText[10]
//   2318   7    locator for labels, ShortText[6]
//   2325   3    WAZ zone, ShortText[2]
//   2328   3    ITU zone, ShortText[2]
//   2331   51   e-mail address, ShortText[50]
//   2382   101  web address, ShortText[100]
//   2483   15   QSL manager, ShortText[14]
//   2498   60   former calls 1-4, ShortText[14] each
//   2558   105  memberships 1-5, ShortText[20] each
//   2663   78   station description lines 1-3, ShortText[25] each
//   2741   8    colours 6-7, int32 each; 47029895 is read as 47161215
//   2749   2    two bytes read, never written
//   2751   1    suite flag (kept)
//   2752   1    field width of the QSL printing; 0 means 4
//   2753   201  suite text, ShortText[200] (kept)
//   2954   201  suite text, ShortText[200] (kept)
//   3155   16   suite flags 3155-3170 (kept); inside: 3157-3162 guarded
//               group 2 part 1, 3163 its guard, 3164, 3165 and 3167 guarded
//               group 3, 3166 its guard, 3168 enables the guarded groups
//   3171   21   listener (SWL) identifier, ShortText[20]
//   3192   4    suite value, int32 (kept)
//   3196   2    suite flags (kept)
//   3198   201  suite text, ShortText[200] (kept)
//   3399   1    suite flag (kept)
//   3400   15   own call sign, ShortText[14]
//   3415   1    day byte: kept on the day of its stamp, else 255
//   3416   4    day stamp, DayNumber; always today when written
//   3468   8    suite values: 2 int32 (kept)
//   3476   3    guarded group 2, part 2: flags (kept)
//   3479   4    suite value, int32 (kept)
//   3483   3    suite flags (kept)
//
// KVSETUP2 record: six ShortText[10] at 1668 + 11 * i, i = 0..5.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace korv {

namespace setup_layout {

inline constexpr std::size_t kRecordNumber = 4;
inline constexpr std::size_t kColours1 = 703;  // five int32
inline constexpr std::size_t kSuffixTable = 723;
inline constexpr std::size_t kSuffixEntryBytes = 7;
inline constexpr int kSuffixEntries = 9;
inline constexpr std::size_t kSuffixCapacity = 3;
inline constexpr std::size_t kSuffixCode = 4;  // inside an entry
inline constexpr std::size_t kProfileNumber = 786;
inline constexpr std::size_t kQslOption = 790;
inline constexpr std::size_t kUtcOffset = 1795;
inline constexpr std::size_t kOption1799 = 1799;
inline constexpr std::size_t kColours2 = 2741;  // two int32
inline constexpr std::size_t kReadOnly2749 = 2749;
inline constexpr std::size_t kReadOnly2750 = 2750;
inline constexpr std::size_t kQslFieldWidth = 2752;
inline constexpr std::size_t kDayByte = 3415;
inline constexpr std::size_t kDayStamp = 3416;

// The own-station texts.
inline constexpr std::size_t kOwnLocator = 1776;
inline constexpr std::size_t kName = 2103;
inline constexpr std::size_t kStreet = 2154;
inline constexpr std::size_t kPostcodeTown = 2205;
inline constexpr std::size_t kCountry = 2256;
inline constexpr std::size_t kDok = 2307;
inline constexpr std::size_t kLabelLocator = 2318;
inline constexpr std::size_t kWaz = 2325;
inline constexpr std::size_t kItu = 2328;
inline constexpr std::size_t kEmail = 2331;
inline constexpr std::size_t kWeb = 2382;
inline constexpr std::size_t kQslManager = 2483;
inline constexpr std::size_t kFormerCalls = 2498;   // 4 x ShortText[14]
inline constexpr std::size_t kMemberships = 2558;   // 5 x ShortText[20]
inline constexpr std::size_t kStationLines = 2663;  // 3 x ShortText[25]
inline constexpr std::size_t kSwlNumber = 3171;
inline constexpr std::size_t kOwnCall = 3400;

// Kept fields of the other programs.
inline constexpr std::array<std::size_t, 37> kSuiteFlags = {
    1775, 1783, 1784, 1785, 1786, 1787, 1788, 1791, 1792, 1793, 1794, 2751, 3155,
    3156, 3157, 3158, 3159, 3160, 3161, 3162, 3163, 3164, 3165, 3166, 3167, 3168,
    3169, 3170, 3196, 3197, 3399, 3476, 3477, 3478, 3483, 3484, 3485};
inline constexpr std::array<std::size_t, 7> kSuiteValues = {1431, 1435, 1439, 3192,
                                                            3468, 3472, 3479};
inline constexpr std::array<std::size_t, 3> kSuiteTables = {791, 1111, 1443};
inline constexpr int kSuiteTableValues = 4 * 20;
struct TextPlace {
  std::size_t offset;
  std::size_t capacity;
};
inline constexpr std::array<TextPlace, 4> kSuiteTexts = {
    {{1800, 255}, {2753, 200}, {2954, 200}, {3198, 200}}};

// The guarded groups: read only when kGroupsEnabled is not 0 and the
// group's guard is not 0; written (with the guard as 255) only when
// kGroupsEnabled is set.
inline constexpr std::size_t kGroupsEnabled = 3168;
struct GuardedGroup {
  std::size_t guard;
  std::array<std::size_t, 9> members;  // 0 ends the list
};
inline constexpr std::array<GuardedGroup, 3> kGuardedGroups = {{
    {1794, {1784, 1785, 1786, 1787, 1788, 1791, 1792, 1793, 0}},
    {3163, {3157, 3158, 3159, 3160, 3161, 3162, 3476, 3477, 3478}},
    {3166, {3164, 3165, 3167, 0, 0, 0, 0, 0, 0}},
}};

inline constexpr std::size_t kSetup2Texts = 1668;
inline constexpr int kSetup2TextCount = 6;
inline constexpr std::size_t kSetup2TextCapacity = 10;

// Fields that meet must meet exactly; a typo in an offset breaks the build.
static_assert(kColours1 + 5 * 4 == kSuffixTable);
static_assert(kSuffixTable + kSuffixEntries * kSuffixEntryBytes == kProfileNumber);
static_assert(kSuiteTables[0] + 4 * kSuiteTableValues == kSuiteTables[1]);
static_assert(kSuiteTables[1] + 4 * kSuiteTableValues == kSuiteValues[0]);
static_assert(kSuiteValues[2] + 4 == kSuiteTables[2]);
static_assert(kOwnLocator + 1 + 6 == 1783);
static_assert(kUtcOffset + 4 == kOption1799);
static_assert(kName + 4 * 51 == kDok);
static_assert(kDok + 11 == kLabelLocator);
static_assert(kLabelLocator + 7 == kWaz);
static_assert(kItu + 3 == kEmail);
static_assert(kEmail + 51 == kWeb);
static_assert(kWeb + 101 == kQslManager);
static_assert(kQslManager + 15 == kFormerCalls);
static_assert(kFormerCalls + 4 * 15 == kMemberships);
static_assert(kMemberships + 5 * 21 == kStationLines);
static_assert(kStationLines + 3 * 26 == kColours2);
static_assert(kColours2 + 8 == kReadOnly2749);
static_assert(2753 + 201 == 2954 && 2954 + 201 == 3155);
static_assert(kSwlNumber + 21 == 3192);
static_assert(3198 + 201 == 3399);
static_assert(kOwnCall + 15 == kDayByte);
static_assert(kDayStamp + 4 <= 3468);
static_assert(3485 < 3530);

}  // namespace setup_layout

}  // namespace korv
