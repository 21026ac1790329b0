#include "files/setup.h"

#include <algorithm>

namespace korv {
namespace L = setup_layout;
namespace {

// The own-station texts that map one to one onto a member.
struct StationText {
  std::size_t offset;
  std::size_t capacity;
  std::string OwnStation::*member;
};
constexpr StationText kStationTexts[] = {
    {L::kOwnCall, 14, &OwnStation::call},
    {L::kSwlNumber, 20, &OwnStation::swlNumber},
    {L::kOwnLocator, 6, &OwnStation::locator},
    {L::kName, 50, &OwnStation::name},
    {L::kStreet, 50, &OwnStation::street},
    {L::kCountry, 50, &OwnStation::country},
    {L::kDok, 10, &OwnStation::dok},
    {L::kLabelLocator, 6, &OwnStation::labelLocator},
    {L::kWaz, 2, &OwnStation::waz},
    {L::kItu, 2, &OwnStation::itu},
    {L::kEmail, 50, &OwnStation::email},
    {L::kWeb, 100, &OwnStation::web},
    {L::kQslManager, 14, &OwnStation::qslManager},
};
constexpr std::size_t kPostcodeTownCapacity = 50;
constexpr std::size_t kFormerCallCapacity = 14;
constexpr std::size_t kMembershipCapacity = 20;
constexpr std::size_t kStationLineCapacity = 25;

constexpr std::uint8_t kOn = 255;

bool IsGuard(std::size_t offset) {
  return std::any_of(L::kGuardedGroups.begin(), L::kGuardedGroups.end(),
                     [offset](const L::GuardedGroup& g) { return g.guard == offset; });
}
const L::GuardedGroup* GroupOf(std::size_t offset) {
  for (const L::GuardedGroup& g : L::kGuardedGroups) {
    if (std::find(g.members.begin(), g.members.end(), offset) != g.members.end()) return &g;
  }
  return nullptr;
}

std::uint32_t ReplaceOldColour(std::uint32_t stored) {
  return stored == kReplacedColour ? kReplacementColour : stored;
}

// The first record by index 1; a file without records gets an empty one
// (number 1 from the automatic numbering).
Status FirstOrNewRecord(FileBlock& block) {
  Status st = block.MoveFirst(1);
  if (st.ok() || st.level() != 1 || block.RecordCount() != 0) return st;
  block.ClearRecordBuffer();
  return block.InsertRecord();
}

Status OpenFailure(FileCatalogue& catalogue) {
  const Status st = catalogue.LastOpenStatus();
  return st.ok() ? Status::Error(err::kNotRunning) : st;
}

}  // namespace

std::string JoinPostcodeTown(std::string_view postcode, std::string_view town) {
  std::string text(postcode);
  if (!town.empty()) {
    text += ' ';
    text += town;
  }
  return text;
}

void SplitPostcodeTown(std::string_view text, std::string& postcode, std::string& town) {
  const std::size_t blank = text.find(' ');
  postcode = std::string(text.substr(0, blank));
  town = blank == std::string_view::npos ? std::string() : std::string(text.substr(blank + 1));
}

const SetupColours& BuiltInColours() {
  static const SetupColours colours = {0x006F3F1F, 0x00E4DCD8, 0x005A2E1C, 0x00FFFFFF,
                                       0x0096643C, 0x00FFFFFF, 0x0000FFFF};
  return colours;
}

std::uint32_t RgbFromStoredColour(std::uint32_t stored) {
  return ((stored & 0xFF) << 16) | (stored & 0xFF00) | ((stored >> 16) & 0xFF);
}

std::uint8_t SuiteFields::Flag(std::size_t offset) const {
  const auto it = std::find(L::kSuiteFlags.begin(), L::kSuiteFlags.end(), offset);
  return it == L::kSuiteFlags.end() ? 0
                                    : flags[static_cast<std::size_t>(it - L::kSuiteFlags.begin())];
}

bool SuiteFields::SetFlag(std::size_t offset, std::uint8_t value) {
  const auto it = std::find(L::kSuiteFlags.begin(), L::kSuiteFlags.end(), offset);
  if (it == L::kSuiteFlags.end()) return false;
  flags[static_cast<std::size_t>(it - L::kSuiteFlags.begin())] = value;
  return true;
}

OwnStation ReadOwnStationFields(ConstBytes record) {
  OwnStation s;
  for (const StationText& t : kStationTexts)
    s.*t.member = GetShortText(record, t.offset, t.capacity);
  SplitPostcodeTown(GetShortText(record, L::kPostcodeTown, kPostcodeTownCapacity), s.postcode,
                    s.town);
  for (std::size_t i = 0; i < s.formerCalls.size(); ++i) {
    s.formerCalls[i] = GetShortText(record, L::kFormerCalls + 15 * i, kFormerCallCapacity);
  }
  for (std::size_t i = 0; i < s.memberships.size(); ++i) {
    s.memberships[i] = GetShortText(record, L::kMemberships + 21 * i, kMembershipCapacity);
  }
  for (std::size_t i = 0; i < s.stationLines.size(); ++i) {
    s.stationLines[i] = GetShortText(record, L::kStationLines + 26 * i, kStationLineCapacity);
  }
  return s;
}

void ReadSetupRecord(ConstBytes rec, DayNumber today, ProgramSettings& settings) {
  settings.own = ReadOwnStationFields(rec);

  SetupColours stored{};
  for (std::size_t i = 0; i < 5; ++i) stored[i] = GetU32(rec, L::kColours1 + 4 * i);
  if (std::any_of(stored.begin(), stored.begin() + 5, [](std::uint32_t c) { return c != 0; })) {
    stored[5] = ReplaceOldColour(GetU32(rec, L::kColours2));
    stored[6] = ReplaceOldColour(GetU32(rec, L::kColours2 + 4));
    settings.colours = stored;
  } else {
    settings.colours = BuiltInColours();
  }

  if (!GetShortText(rec, L::kSuffixTable, L::kSuffixCapacity).empty()) {
    for (std::size_t i = 0; i < L::kSuffixEntries; ++i) {
      const std::size_t at = L::kSuffixTable + L::kSuffixEntryBytes * i;
      settings.suffixes[i] = {GetShortText(rec, at, L::kSuffixCapacity),
                              GetU8(rec, at + L::kSuffixCode)};
    }
  }

  settings.profileNumber = GetI32(rec, L::kProfileNumber);
  settings.qslOption = GetU8(rec, L::kQslOption);
  settings.utcOffsetHours = GetI32(rec, L::kUtcOffset);
  settings.option1799 = GetU8(rec, L::kOption1799);
  settings.byte2749 = GetU8(rec, L::kReadOnly2749);
  settings.byte2750 = GetU8(rec, L::kReadOnly2750);
  const std::uint8_t width = GetU8(rec, L::kQslFieldWidth);
  settings.qslFieldWidth = width == 0 ? 4 : width;
  settings.dayByte = GetI32(rec, L::kDayStamp) == today ? GetU8(rec, L::kDayByte) : kOn;

  SuiteFields& suite = settings.suite;
  const bool groupsEnabled = GetU8(rec, L::kGroupsEnabled) != 0;
  for (std::size_t i = 0; i < L::kSuiteFlags.size(); ++i) {
    const std::size_t offset = L::kSuiteFlags[i];
    const L::GuardedGroup* group = GroupOf(offset);
    if (group == nullptr || (groupsEnabled && GetU8(rec, group->guard) != 0)) {
      suite.flags[i] = GetU8(rec, offset);
    }
  }
  for (std::size_t i = 0; i < L::kSuiteValues.size(); ++i) {
    suite.values[i] = GetI32(rec, L::kSuiteValues[i]);
  }
  for (std::size_t t = 0; t < L::kSuiteTables.size(); ++t) {
    for (std::size_t i = 0; i < L::kSuiteTableValues; ++i) {
      suite.tables[t][i] = GetI32(rec, L::kSuiteTables[t] + 4 * i);
    }
  }
  for (std::size_t i = 0; i < L::kSuiteTexts.size(); ++i) {
    suite.texts[i] = GetShortText(rec, L::kSuiteTexts[i].offset, L::kSuiteTexts[i].capacity);
  }
}

void WriteSetupRecord(const ProgramSettings& settings, DayNumber today, Bytes rec) {
  const OwnStation& s = settings.own;
  for (const StationText& t : kStationTexts) PutShortText(rec, t.offset, t.capacity, s.*t.member);
  PutShortText(rec, L::kPostcodeTown, kPostcodeTownCapacity, JoinPostcodeTown(s.postcode, s.town));
  for (std::size_t i = 0; i < s.formerCalls.size(); ++i) {
    PutShortText(rec, L::kFormerCalls + 15 * i, kFormerCallCapacity, s.formerCalls[i]);
  }
  for (std::size_t i = 0; i < s.memberships.size(); ++i) {
    PutShortText(rec, L::kMemberships + 21 * i, kMembershipCapacity, s.memberships[i]);
  }
  for (std::size_t i = 0; i < s.stationLines.size(); ++i) {
    PutShortText(rec, L::kStationLines + 26 * i, kStationLineCapacity, s.stationLines[i]);
  }

  for (std::size_t i = 0; i < 5; ++i) PutU32(rec, L::kColours1 + 4 * i, settings.colours[i]);
  PutU32(rec, L::kColours2, settings.colours[5]);
  PutU32(rec, L::kColours2 + 4, settings.colours[6]);

  PutU8(rec, L::kQslOption, settings.qslOption);
  PutI32(rec, L::kUtcOffset, settings.utcOffsetHours);
  PutU8(rec, L::kQslFieldWidth, settings.qslFieldWidth);
  PutU8(rec, L::kDayByte, settings.dayByte);
  PutI32(rec, L::kDayStamp, today);

  const SuiteFields& suite = settings.suite;
  const bool groupsEnabled = suite.Flag(L::kGroupsEnabled) != 0;
  for (std::size_t i = 0; i < L::kSuiteFlags.size(); ++i) {
    const std::size_t offset = L::kSuiteFlags[i];
    if (GroupOf(offset) != nullptr) {
      if (groupsEnabled) PutU8(rec, offset, suite.flags[i]);
    } else if (IsGuard(offset) && groupsEnabled) {
      PutU8(rec, offset, kOn);
    } else {
      PutU8(rec, offset, suite.flags[i]);
    }
  }
  if (groupsEnabled) PutU8(rec, L::kOption1799, settings.option1799);
  for (std::size_t i = 0; i < L::kSuiteValues.size(); ++i) {
    PutI32(rec, L::kSuiteValues[i], suite.values[i]);
  }
  for (std::size_t t = 0; t < L::kSuiteTables.size(); ++t) {
    for (std::size_t i = 0; i < L::kSuiteTableValues; ++i) {
      PutI32(rec, L::kSuiteTables[t] + 4 * i, suite.tables[t][i]);
    }
  }
  for (std::size_t i = 0; i < L::kSuiteTexts.size(); ++i) {
    PutShortText(rec, L::kSuiteTexts[i].offset, L::kSuiteTexts[i].capacity, suite.texts[i]);
  }
}

void ReadSetup2Record(ConstBytes rec, ProgramSettings& settings) {
  for (std::size_t i = 0; i < L::kSetup2TextCount; ++i) {
    std::string text = GetShortText(rec, L::kSetup2Texts + 11 * i, L::kSetup2TextCapacity);
    if (!text.empty()) settings.setup2Texts[i] = std::move(text);
  }
}

void WriteSetup2Record(const ProgramSettings& settings, Bytes rec) {
  for (std::size_t i = 0; i < L::kSetup2TextCount; ++i) {
    PutShortText(rec, L::kSetup2Texts + 11 * i, L::kSetup2TextCapacity, settings.setup2Texts[i]);
  }
}

Status LoadSettings(FileCatalogue& catalogue, ProgramSettings& settings, DayNumber today) {
  FileBlock* setup = catalogue.OpenSetup();
  if (setup == nullptr) return OpenFailure(catalogue);
  Status st = FirstOrNewRecord(*setup);
  if (st.ok()) ReadSetupRecord(setup->Record(), today, settings);
  catalogue.ReleaseSetup();
  if (!st.ok()) return st;
  catalogue.SetSuffixTable(settings.suffixes);

  FileBlock* setup2 = catalogue.OpenSetup2();
  if (setup2 == nullptr) return OpenFailure(catalogue);
  st = FirstOrNewRecord(*setup2);
  if (st.ok()) ReadSetup2Record(setup2->Record(), settings);
  catalogue.ReleaseSetup2();
  return st;
}

Status SaveSettings(FileCatalogue& catalogue, const ProgramSettings& settings, DayNumber today) {
  FileBlock* setup = catalogue.OpenSetup();
  if (setup == nullptr) return OpenFailure(catalogue);
  Status st = FirstOrNewRecord(*setup);
  if (st.ok()) {
    WriteSetupRecord(settings, today, setup->Record());
    st = setup->UpdateRecord();
  }
  catalogue.ReleaseSetup();
  if (!st.ok()) return st;

  FileBlock* setup2 = catalogue.OpenSetup2();
  if (setup2 == nullptr) return OpenFailure(catalogue);
  st = FirstOrNewRecord(*setup2);
  if (st.ok()) {
    WriteSetup2Record(settings, setup2->Record());
    st = setup2->UpdateRecord();
  }
  catalogue.ReleaseSetup2();
  return st;
}

Status ReadOwnStation(FileCatalogue& catalogue, OwnStation& station) {
  FileBlock* setup = catalogue.OpenSetup();
  if (setup == nullptr) return OpenFailure(catalogue);
  const Status st = setup->MoveFirst(1);
  if (st.ok()) station = ReadOwnStationFields(setup->Record());
  catalogue.ReleaseSetup();
  return st;
}

Status WriteAddress(FileCatalogue& catalogue, const OwnStation& station) {
  FileBlock* setup = catalogue.OpenSetup();
  if (setup == nullptr) return OpenFailure(catalogue);
  Status st = FirstOrNewRecord(*setup);
  if (st.ok()) {
    const Bytes rec = setup->Record();
    PutShortText(rec, L::kName, 50, station.name);
    PutShortText(rec, L::kStreet, 50, station.street);
    PutShortText(rec, L::kPostcodeTown, kPostcodeTownCapacity,
                 JoinPostcodeTown(station.postcode, station.town));
    PutShortText(rec, L::kCountry, 50, station.country);
    PutShortText(rec, L::kDok, 10, station.dok);
    PutShortText(rec, L::kLabelLocator, 6, station.labelLocator);
    // The locator typed with the address goes in with it, not only at the
    // program's end (a fatal error would lose it).
    PutShortText(rec, L::kOwnLocator, 6, station.locator);
    st = setup->UpdateRecord();
  }
  catalogue.ReleaseSetup();
  return st;
}

std::int32_t SelectProfile(FileBlock& profiles, std::int32_t wanted) {
  if (wanted > 0) {
    KeyString key;
    key.AppendLong(wanted);
    if (profiles.FindExact(1, key).ok()) return GetI32(profiles.Record(), 4);
  }
  if (!profiles.MoveFirst(1).ok()) profiles.ClearRecordBuffer();
  return GetI32(profiles.Record(), 4);
}

DayAndTime ApplyUtcOffset(DayNumber day, TimeOfDay time, std::int32_t offsetHours) {
  if (time == kNoTime) return {day, time};
  const std::int64_t seconds = std::int64_t{time} + std::int64_t{offsetHours} * 3600;
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  const DayNumber shifted = day == kNoDate ? kNoDate : static_cast<DayNumber>(day + days);
  return {shifted, static_cast<TimeOfDay>(rest)};
}

}  // namespace korv
