// The configuration window's rules without the window: which start modes a
// contest offers, and how a participation type's period replaces the dates
// the operator did not type.
#include "logging/log_configuration.h"

#include <gtest/gtest.h>

#include <functional>

#include <array>
#include <initializer_list>
#include <string>

#include "files/files_fixture.h"
#include "files/setup.h"
#include "logging/totals_record.h"
#include "platform/scripted_platform.h"

namespace korv {
namespace {

ContestRules WithModes(std::initializer_list<const char*> modes) {
  ContestRules rules;
  int slot = 1;
  for (const char* m : modes) rules.modes[slot++] = m;
  return rules;
}

TEST(StartModesTest, ButtonsFollowTheContestModes) {
  struct Case {
    std::initializer_list<const char*> modes;
    bool cw, ssb, fm, fourth;
    std::string caption;
  } cases[] = {
      {{"SSB", "CW"}, true, true, false, false, "PR"},
      {{"FM"}, false, false, true, false, "PR"},
      {{"CW", "PR"}, true, false, false, true, "PR"},
      {{"DIGITAL"}, false, false, false, true, "DIGI"},
      {{"FSK441", "SSB"}, false, true, false, true, "FSK441"},
      {{"RTTY", "ssb"}, false, false, false, false, "PR"},  // exact names only
      {{}, false, false, false, false, "PR"},
  };
  for (const Case& c : cases) {
    const StartModeChoice choice = StartModesOf(WithModes(c.modes));
    const std::string label = c.modes.size() > 0 ? *c.modes.begin() : "none";
    EXPECT_EQ(choice.cw, c.cw) << label;
    EXPECT_EQ(choice.ssb, c.ssb) << label;
    EXPECT_EQ(choice.fm, c.fm) << label;
    EXPECT_EQ(choice.fourth, c.fourth) << label;
    EXPECT_EQ(choice.fourthCaption, c.caption) << label;
  }
}

TEST(StartModesTest, DisabledModeFallsBackToCw) {
  const StartModeChoice dez = StartModesOf(WithModes({"SSB", "CW"}));
  EXPECT_EQ(AllowedStartMode(StartMode::kSsb, dez), StartMode::kSsb);
  EXPECT_EQ(AllowedStartMode(StartMode::kFm, dez), StartMode::kCw);
  EXPECT_EQ(AllowedStartMode(StartMode::kPr, dez), StartMode::kCw);
  const StartModeChoice fmOnly = StartModesOf(WithModes({"FM"}));
  EXPECT_EQ(AllowedStartMode(StartMode::kSsb, fmOnly), StartMode::kCw);
  EXPECT_EQ(AllowedStartMode(StartMode::kFm, fmOnly), StartMode::kFm);
}

class ParticipationPeriodTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rules.participationTypes[1].description = "Einmann";
    rules.participationTypes[2].description = "Mehrmann";
    rules.participationTypes[2].periodNumber = 3;
    rules.periods[3].startDate = "06.12.2009";
    rules.periods[3].startTime = "08:00:00";
    rules.periods[3].endTime = "10:59:00";
    config.startDate = "01.01.2009";
    config.endDate = "02.01.2009";
    config.startTime = "07:00";
    config.endTime = "09:00";
  }
  ContestRules rules;
  LogConfiguration config;
};

TEST_F(ParticipationPeriodTest, UntypedFieldsTakeThePeriod) {
  config.participationType = 2;
  ApplyParticipationPeriod(config, rules);
  EXPECT_EQ(config.startDate, "06.12.2009");
  EXPECT_EQ(config.endDate, "06.12.2009");  // empty end date: the start date
  EXPECT_EQ(config.startTime, "08:00");
  EXPECT_EQ(config.endTime, "10:59");
}

TEST_F(ParticipationPeriodTest, TypedFieldsSurvive) {
  struct Case {
    std::uint8_t flags;
    const char* start;
    const char* end;
    const char* from;
    const char* to;
  } cases[] = {
      {0x01, "01.01.2009", "06.12.2009", "08:00", "10:59"},
      {0x02, "06.12.2009", "02.01.2009", "08:00", "10:59"},
      {0x04, "06.12.2009", "06.12.2009", "07:00", "10:59"},
      {0x08, "06.12.2009", "06.12.2009", "08:00", "09:00"},
      {0x0F, "01.01.2009", "02.01.2009", "07:00", "09:00"},
  };
  for (const Case& c : cases) {
    LogConfiguration copy = config;
    copy.participationType = 2;
    copy.manualDateFlags = c.flags;
    ApplyParticipationPeriod(copy, rules);
    EXPECT_EQ(copy.startDate, c.start) << int(c.flags);
    EXPECT_EQ(copy.endDate, c.end) << int(c.flags);
    EXPECT_EQ(copy.startTime, c.from) << int(c.flags);
    EXPECT_EQ(copy.endTime, c.to) << int(c.flags);
  }
}

TEST_F(ParticipationPeriodTest, TypeWithoutPeriodOrNoTypeChangesNothing) {
  for (int type : {0, 1, 21, -1}) {
    LogConfiguration copy = config;
    copy.participationType = type;
    ApplyParticipationPeriod(copy, rules);
    EXPECT_EQ(copy.startDate, "01.01.2009") << type;
    EXPECT_EQ(copy.endDate, "02.01.2009") << type;
    EXPECT_EQ(copy.startTime, "07:00") << type;
  }
}

class SaveConfigurationTest : public testing::FilesTest {
 protected:
  LogConfiguration Filled() const {
    LogConfiguration c;
    c.name = "DEZ 2009";
    c.startDate = "06.12.2009";
    c.endDate = "06.12.2009";
    c.call = "dl1abc";
    c.postcode = "12345";
    c.town = "Musterstadt";
    c.clock = ComputerClock::kUtc;
    c.participationType = 1;
    return c;
  }
  ScriptedPlatform platform;
  ProgramSettings settings;
};

// A saved header always carries the save mark, also one that came without.
TEST_F(SaveConfigurationTest, NewAndUpdatedHeadersCarryTheSaveMark) {
  FileBlock* directory = catalogue->OpenContestDirectory();
  FileBlock* totals = catalogue->OpenTotals();
  ASSERT_NE(directory, nullptr);
  ASSERT_NE(totals, nullptr);
  ContestRules rules;
  std::array<std::uint8_t, kContestHeaderSize> bytes{};
  ContestHeader h(bytes);
  const SaveTarget target{catalogue.get(), directory, totals, &settings};
  const DayNumber today = DayNumberFromCivil({2009, 6, 15});
  ASSERT_TRUE(SaveConfiguration(Filled(), rules, '3', false, false, h, target, platform, today));
  EXPECT_GT(h.contestNumber(), 0);

  KeyString key;
  key.AppendLong(h.contestNumber());
  ASSERT_TRUE(directory->FindExact(3, key).ok());
  ContestHeader stored = *ContestHeader::Over(directory->Record());
  EXPECT_EQ(stored.saveMark(), 'D');
  EXPECT_EQ(stored.ownCall(), "DL1ABC");
  EXPECT_EQ(stored.postcode(), "12345");
  ASSERT_TRUE(totals->FindExact(1, key).ok());

  // An existing header whose mark is gone gets it back on the next save.
  std::array<std::uint8_t, kContestHeaderSize> copy{};
  std::copy(directory->Record().begin(), directory->Record().end(), copy.begin());
  ContestHeader again(copy);
  again.bytes()[194] = 0;
  LogConfiguration renamed = Filled();
  renamed.name = "DEZ 2009 b";
  ASSERT_TRUE(SaveConfiguration(renamed, rules, '3', true, false, again, target, platform, today));
  ASSERT_TRUE(directory->FindExact(3, key).ok());
  EXPECT_EQ(stored.name(), "DEZ 2009 b");
  EXPECT_EQ(stored.saveMark(), 'D');
  EXPECT_EQ(directory->RecordCount(), 1);
  EXPECT_EQ(totals->RecordCount(), 1);
  EXPECT_TRUE(platform.ShownTexts().empty());
  catalogue->ReleaseTotals();
  catalogue->ReleaseContestDirectory();
}

// The checks of the window's save, in their order, for what an operator
// types: a town without a postcode, dates and times in every usual form.
TEST_F(SaveConfigurationTest, CheckRefusesWhatIsNoPostcodeDateOrTime) {
  ContestRules rules;
  const DayNumber today = DayNumberFromCivil({2009, 6, 15});
  struct Case {
    std::function<void(LogConfiguration&)> change;
    ConfigurationField field;  // kNone: accepted
    const char* message;
  };
  const Case cases[] = {
      {[](LogConfiguration&) {}, ConfigurationField::kNone, nullptr},
      {[](LogConfiguration& c) { c.postcode = " ", c.town = "Musterstadt"; }, ConfigurationField::kPostcode,
       "Angabe der Postleitzahl und des Ortes notwendig."},
      {[](LogConfiguration& c) { c.startDate = "1.3.2009", c.endDate = "1.3."; }, ConfigurationField::kNone, nullptr},
      {[](LogConfiguration& c) { c.startDate = "12.3.", c.endDate = "1.12."; }, ConfigurationField::kNone, nullptr},
      {[](LogConfiguration& c) { c.startDate = "31.2.2009"; }, ConfigurationField::kStartDate,
       "Eingabe eines Contest-Datums notwendig."},
      {[](LogConfiguration& c) { c.endDate = "1...2"; }, ConfigurationField::kEndDate,
       "Eingabe eines Contest-Datums notwendig."},
      {[](LogConfiguration& c) { c.startTime = "9:3", c.endTime = "1230"; }, ConfigurationField::kNone, nullptr},
      {[](LogConfiguration& c) { c.startTime = "00:00", c.endTime = ""; }, ConfigurationField::kNone, nullptr},
      {[](LogConfiguration& c) { c.startTime = "24:00"; }, ConfigurationField::kStartTime,
       "Eingabe einer g\xFCltigen Uhrzeit (HH:MM) notwendig."},
      {[](LogConfiguration& c) { c.endTime = "ab:cd"; }, ConfigurationField::kEndTime,
       "Eingabe einer g\xFCltigen Uhrzeit (HH:MM) notwendig."},
      {[](LogConfiguration& c) { c.endTime = "12:60"; }, ConfigurationField::kEndTime,
       "Eingabe einer g\xFCltigen Uhrzeit (HH:MM) notwendig."},
      // The period ends after it begins, date and time together.
      {[](LogConfiguration& c) { c.startTime = "08:00", c.endTime = "07:00"; }, ConfigurationField::kEndTime,
       "Das Ende des Contests liegt vor seinem Beginn."},
      {[](LogConfiguration& c) { c.endDate = "5.12.2009"; }, ConfigurationField::kEndDate,
       "Das Ende des Contests liegt vor seinem Beginn."},
      {[](LogConfiguration& c) { c.endDate = "7.12.2009", c.startTime = "23:00", c.endTime = "01:00"; },
       ConfigurationField::kNone, nullptr},
  };
  for (const Case& c : cases) {
    ScriptedPlatform p;
    LogConfiguration config = Filled();
    c.change(config);
    EXPECT_EQ(CheckConfiguration(config, rules, '3', false, p, today), c.field) << (c.message ? c.message : "ok");
    const std::vector<std::string> expected = c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{};
    EXPECT_EQ(p.TextsOf(ScriptedPlatform::Kind::kInform), expected);
  }
}

// What the save stores of typed dates and times, the address and the
// locator (written with the address at once), and the band box the
// contest does not offer.
TEST_F(SaveConfigurationTest, SaveStoresTypedDatesTimesAddressAndLocator) {
  FileBlock* directory = catalogue->OpenContestDirectory();
  FileBlock* totals = catalogue->OpenTotals();
  ASSERT_NE(directory, nullptr);
  ContestRules rules;
  rules.bandAutoAllowed = 0;
  std::array<std::uint8_t, kContestHeaderSize> bytes{};
  ContestHeader h(bytes);
  const SaveTarget target{catalogue.get(), directory, totals, &settings};
  const DayNumber today = DayNumberFromCivil({2009, 6, 15});
  LogConfiguration c = Filled();
  c.startDate = "1.3.2009";
  c.endDate = "2.3.";
  c.startTime = "0:0";
  c.endTime = "12:3";
  c.locator = "jo31mm";
  c.bandAutomatic = true;
  c.manualDateFlags = 0x0F;
  ASSERT_TRUE(SaveConfiguration(c, rules, '3', false, false, h, target, platform, today));
  EXPECT_EQ(h.startDate(), DayNumberFromCivil({2009, 3, 1}));
  EXPECT_EQ(h.endDate(), DayNumberFromCivil({2009, 3, 2}));
  EXPECT_EQ(h.startTime(), 0);
  EXPECT_EQ(h.endTime(), 12 * 3600 + 3 * 60);
  EXPECT_EQ(h.postcode(), "12345");
  EXPECT_EQ(h.bandAutomatic(), 0);
  OwnStation stored;
  ASSERT_TRUE(ReadOwnStation(*catalogue, stored).ok());
  EXPECT_EQ(stored.postcode, "12345");
  EXPECT_EQ(stored.town, "Musterstadt");
  EXPECT_EQ(stored.locator, "JO31MM");

  // Read back, midnight typed is midnight, not "not set"; the band box is
  // off and offered no more.
  const LogConfiguration back = ConfigurationFromHeader(h, settings, rules);
  EXPECT_EQ(back.startTime, "00:00");
  EXPECT_EQ(back.endTime, "12:03");
  EXPECT_FALSE(back.bandAutomatic);
  EXPECT_FALSE(back.bandAutomaticOffered);
  EXPECT_FALSE(back.settingsLocked);
  catalogue->ReleaseTotals();
  catalogue->ReleaseContestDirectory();
}

}  // namespace
}  // namespace korv
