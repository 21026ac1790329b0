// The program-wide settings: what the program takes from the setup records
// of KVSETUP and KVSETUP2 at start (record layout in files/setup_record.h),
// and how it writes them back at the end. Also the station profile choice
// in KVPRO and the address the configuration window writes.
//
// Loading copies every listed field into ProgramSettings, replacing some by
// defaults (colours, QSL width, day byte). Saving reads the record again and
// overwrites only the listed fields, so every byte the program does not know
// keeps its value; a value replaced by a default at start is written as that
// default. Texts are Windows-1252; a stored text longer than its field is
// read cut to the field.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/coding.h"
#include "common/dates.h"
#include "files/catalogue.h"
#include "files/setup_record.h"
#include "refdata/callsign.h"
#include "storage/errors.h"

namespace korv {

// The own station as the suite's label and QSL printing knows it.
struct OwnStation {
  std::string call;                         // 3400
  std::string swlNumber;                    // 3171, shown instead of the call when that is empty
  std::string locator;                      // 1776, distances and contest headers
  std::string name;                         // 2103
  std::string street;                       // 2154
  std::string postcode;                     // 2205, up to the first blank
  std::string town;                         // 2205, after the first blank
  std::string country;                      // 2256
  std::string dok;                          // 2307
  std::string labelLocator;                 // 2318
  std::string waz;                          // 2325
  std::string itu;                          // 2328
  std::string email;                        // 2331
  std::string web;                          // 2382
  std::string qslManager;                   // 2483
  std::array<std::string, 4> formerCalls;   // 2498 + 15 * i
  std::array<std::string, 5> memberships;   // 2558 + 21 * i
  std::array<std::string, 3> stationLines;  // 2663 + 26 * i
  friend bool operator==(const OwnStation&, const OwnStation&) = default;
};

// "12345 Musterstadt" from postcode and town; the postcode alone when the
// town is empty.
std::string JoinPostcodeTown(std::string_view postcode, std::string_view town);
// Splits at the first blank: the part before is the postcode, the rest the
// town. A text without a blank is all postcode.
void SplitPostcodeTown(std::string_view text, std::string& postcode, std::string& town);

// Colours as the platform stores them (0x00BBGGRR, the high byte kept as
// stored). Slots 0-4 are the int32 at 703..719, slots 5 and 6 those at 2741
// and 2745. The roles are this program's assignment.
enum ColourSlot : int {
  kWindowColour = 0,
  kPanelColour = 1,
  kHeaderColour = 2,
  kHeaderFontColour = 3,
  kStripColour = 4,
  kLabelColour = 5,
  kSecondLabelColour = 6,
};
using SetupColours = std::array<std::uint32_t, 7>;
// The built-in colours, used while the record's five first colours are all 0.
const SetupColours& BuiltInColours();
// 0xRRGGBB of a stored colour value.
std::uint32_t RgbFromStoredColour(std::uint32_t stored);

// A value of slots 5 and 6 that the suite replaced; it is read as the new one.
inline constexpr std::uint32_t kReplacedColour = 47029895;     // 0x02CD9E87
inline constexpr std::uint32_t kReplacementColour = 47161215;  // 0x02CF9F7F

// Fields of the other programs, read at start and written back unchanged
// (in the order of the offset lists of setup_layout).
struct SuiteFields {
  std::array<std::uint8_t, setup_layout::kSuiteFlags.size()> flags{};
  std::array<std::int32_t, setup_layout::kSuiteValues.size()> values{};
  std::array<std::array<std::int32_t, setup_layout::kSuiteTableValues>, 3> tables{};
  std::array<std::string, setup_layout::kSuiteTexts.size()> texts;

  // The flag byte at a record offset; 0 for an offset that is no flag.
  std::uint8_t Flag(std::size_t offset) const;
  // False (nothing changed) for an offset that is no flag.
  bool SetFlag(std::size_t offset, std::uint8_t value);
  friend bool operator==(const SuiteFields&, const SuiteFields&) = default;
};

struct ProgramSettings {
  OwnStation own;
  SetupColours colours = BuiltInColours();
  // The call-sign split's suffixes; the record's nine entries replace the
  // first nine when its first entry is not empty.
  SuffixTable suffixes = DefaultSuffixTable();
  std::int32_t profileNumber = 0;   // 786 as stored; read, not written
  std::uint8_t qslOption = 0;       // 790
  std::int32_t utcOffsetHours = 0;  // 1795
  std::uint8_t qslFieldWidth = 4;   // 2752
  std::uint8_t byte2749 = 0;        // read, never written
  std::uint8_t byte2750 = 0;        // read, never written
  std::uint8_t dayByte = 255;       // 3415
  std::uint8_t option1799 = 0;      // written only when flag 3168 is set
  SuiteFields suite;
  // KVSETUP2's six texts; a non-empty stored text replaces the default.
  std::array<std::string, setup_layout::kSetup2TextCount> setup2Texts;
  // Pictures of dates and times (common/dates.h): the program's own values;
  // no setup field is known to hold them, so they are neither read nor written.
  std::string datePicture = "dd.mm.yyyy";
  std::string timePicture = "hh:mm:ss";
};

// The own station of a KVSETUP record.
OwnStation ReadOwnStationFields(ConstBytes record);
// Copies the fields of a KVSETUP record into settings, applying the rules
// of reading (defaults, the colour replacement, guarded groups, the day
// byte against today). Fields the record does not hold keep their values.
void ReadSetupRecord(ConstBytes record, DayNumber today, ProgramSettings& settings);
// Overwrites the listed fields of a KVSETUP record and nothing else; the day
// stamp becomes today.
void WriteSetupRecord(const ProgramSettings& settings, DayNumber today, Bytes record);
void ReadSetup2Record(ConstBytes record, ProgramSettings& settings);
void WriteSetup2Record(const ProgramSettings& settings, Bytes record);

// Opens KVSETUP, reads its first record by index 1 (inserting an empty one
// when the file has none), copies the fields and releases it; the same for
// KVSETUP2. Hands the suffix table to the catalogue. A failing storage step
// ends the load with its status; the settings keep what was read so far.
Status LoadSettings(FileCatalogue& catalogue, ProgramSettings& settings, DayNumber today);
// Reads (or creates) the first record of KVSETUP, overwrites the listed
// fields, updates it, releases it; then KVSETUP2 with its six texts.
Status SaveSettings(FileCatalogue& catalogue, const ProgramSettings& settings, DayNumber today);

// The own station as the record holds it now (KVSETUP opened and released
// around the read). A file without a record gives level-1 status.
Status ReadOwnStation(FileCatalogue& catalogue, OwnStation& station);
// The configuration window's address: name, street, postcode and town,
// country, DOK, the own locator (and the label locator as read), written
// into the record at once.
Status WriteAddress(FileCatalogue& catalogue, const OwnStation& station);

// Makes the profile `wanted` the current record of KVPRO (index 1, key
// EncodeLongKey(wanted), when wanted > 0); else its first profile; else
// clears the record buffer. Returns the chosen profile's number, 0 for an
// empty file.
std::int32_t SelectProfile(FileBlock& profiles, std::int32_t wanted);

// The computer's local date and time moved by the UTC offset in hours,
// wrapping at midnight into the previous or next day. kNoDate / kNoTime
// pass through unchanged.
struct DayAndTime {
  DayNumber day = kNoDate;
  TimeOfDay time = kNoTime;
  friend bool operator==(const DayAndTime&, const DayAndTime&) = default;
};
DayAndTime ApplyUtcOffset(DayNumber day, TimeOfDay time, std::int32_t offsetHours);

}  // namespace korv
