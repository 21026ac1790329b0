// The configuration window's rules without the window: which start modes a
// contest offers, and how a participation type's period replaces the dates
// the operator did not type.
#include "logging/log_configuration.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>

#include "files/files_fixture.h"
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
    c.postcodeTown = "12345 Musterstadt";
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

}  // namespace
}  // namespace korv
