#include "shell/contest_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "common/dates.h"
#include "shell/contest_catalogue.h"

namespace korv {
namespace {

using Buffer = std::array<std::uint8_t, kContestHeaderSize>;

// The current header of a code '3' log, on a buffer whose unnamed bytes carry
// a pattern so that stray writes show.
class PresetsTest : public ::testing::Test {
 protected:
  PresetsTest() {
    for (std::size_t i = 0; i < buf_.size(); ++i) buf_[i] = static_cast<std::uint8_t>(i * 11);
    header_.SetContestCode('3');
    header_.SetDok("N05");
    header_.SetParticipationType(1);
    header_.SetStartDate(DayNumberFromCivil({2009, 4, 18}));
    header_.SetTotalsInTotalsRecord(0);
  }

  ContestRules Fill(ContestCode code) { return FillContestPresets(code, header_, uiGerman_); }

  Buffer buf_{};
  ContestHeader header_{buf_};
  bool uiGerman_ = true;
};

ByteSet Set(std::initializer_list<std::size_t> elements) {
  ByteSet set;
  for (std::size_t e : elements) set.set(e);
  return set;
}

// Checks every field of the record against "zero or empty", except
// outputFlags, and names the first field that is not.
void ExpectEmptyExceptOutputFlags(const ContestRules& r) {
  EXPECT_EQ(r.listenerLog, 0);
  for (const auto& m : r.modes) EXPECT_EQ(m, "");
  for (char b : r.bandSlots) EXPECT_EQ(b, '\0');
  EXPECT_TRUE(r.multiplierKinds.none());
  for (const ContestPeriod& p : r.periods) {
    EXPECT_EQ(p.startDate, "");
    EXPECT_EQ(p.endDate, "");
    EXPECT_EQ(p.startTime, "");
    EXPECT_EQ(p.endTime, "");
    for (char b : p.bands) EXPECT_EQ(b, '\0');
  }
  for (const auto& t : r.multiplierLabel) EXPECT_EQ(t, "");
  for (auto k : r.receivedKind) EXPECT_EQ(k, 0);
  for (auto k : r.sentKind) EXPECT_EQ(k, 0);
  for (const auto& t : r.sentText) EXPECT_EQ(t, "");
  EXPECT_EQ(r.dupeRule, 0);
  for (const auto& t : r.specialCalls) EXPECT_EQ(t, "");
  for (const auto& t : r.dokList) EXPECT_EQ(t, "");
  for (char c : r.districtLetters) EXPECT_EQ(c, '\0');
  for (const auto& t : r.secondDokList) EXPECT_EQ(t, "");
  EXPECT_EQ(r.contestName, "");
  EXPECT_EQ(r.versionText, "");
  for (const ParticipationType& p : r.participationTypes) {
    EXPECT_EQ(p.description, "");
    EXPECT_EQ(p.periodNumber, 0);
    EXPECT_EQ(p.shortName, "");
  }
  EXPECT_EQ(r.defaultStartDate, "");
  EXPECT_EQ(r.defaultEndDate, "");
  EXPECT_EQ(r.defaultStartTime, "");
  EXPECT_EQ(r.defaultEndTime, "");
  EXPECT_EQ(r.localTimeOffset, 0);
  EXPECT_EQ(r.rejectedDok, "");
  EXPECT_EQ(r.partyEvaluation, 0);
  EXPECT_EQ(r.multiplierMode, 0);
  EXPECT_EQ(r.pointsOnlyScore, 0);
  EXPECT_EQ(r.acceptOtherDokForms, 0);
  EXPECT_EQ(r.bandSumScore, 0);
  for (const auto& t : r.exchangeFilter) EXPECT_EQ(t, "");
  EXPECT_EQ(r.bandAutoAllowed, 0);
  for (const auto& t : r.fieldCaption) EXPECT_EQ(t, "");
}

TEST_F(PresetsTest, CodesWithoutEntryGetTheDefaultRecordOnly) {
  for (ContestCode code : {'M', 'W', 'X', '\0', 'q'}) {
    SCOPED_TRACE(static_cast<int>(code));
    const Buffer before = buf_;
    const ContestRules r = Fill(code);
    ExpectEmptyExceptOutputFlags(r);
    EXPECT_EQ(r.outputFlags, Set({1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(buf_, before) << "header buffer written";
    EXPECT_TRUE(uiGerman_);
  }
}

TEST_F(PresetsTest, DezRecordFieldByField) {
  const ContestRules r = Fill('3');

  EXPECT_EQ(r.listenerLog, 0);
  EXPECT_EQ(r.modes[1], "SSB");
  EXPECT_EQ(r.modes[2], "CW");
  for (int i = 3; i <= 100; ++i) EXPECT_EQ(r.modes[i], "") << i;
  EXPECT_EQ(r.bandSlots[1], 'b');
  EXPECT_EQ(r.bandSlots[2], 'c');
  EXPECT_EQ(r.bandSlots[3], 'i');
  for (int i = 4; i <= 100; ++i) EXPECT_EQ(r.bandSlots[i], '\0') << i;
  EXPECT_EQ(r.multiplierKinds, Set({4}));
  EXPECT_EQ(r.multiplierLabel[1], "DOK");
  EXPECT_EQ(r.multiplierLabel[2], "");
  EXPECT_EQ(r.multiplierLabel[3], "");
  EXPECT_EQ(r.receivedKind[2], 4);
  EXPECT_EQ(r.receivedKind[3], 0);
  EXPECT_EQ(r.receivedKind[4], 0);
  EXPECT_EQ(r.sentKind[2], 4);
  EXPECT_EQ(r.sentKind[3], 0);
  EXPECT_EQ(r.sentKind[4], 0);
  EXPECT_EQ(r.sentText[2], "N05");
  EXPECT_EQ(r.sentText[3], "");
  EXPECT_EQ(r.sentText[4], "");
  EXPECT_EQ(r.dupeRule, 2);
  EXPECT_EQ(r.districtLetters[1], 'N');
  for (int i = 2; i <= 26; ++i) EXPECT_EQ(r.districtLetters[i], '\0') << i;
  EXPECT_EQ(r.contestName, "DEZ");
  EXPECT_EQ(r.versionText, "Korv DEZ Version 2006-1.0");
  EXPECT_EQ(r.participationTypes[1].description, "SSB/CW");
  EXPECT_EQ(r.participationTypes[2].description, "SWL");
  for (int i = 1; i <= 20; ++i) {
    EXPECT_EQ(r.participationTypes[i].periodNumber, 0) << i;
    EXPECT_EQ(r.participationTypes[i].shortName, "") << i;
    if (i > 2) {
      EXPECT_EQ(r.participationTypes[i].description, "") << i;
    }
  }
  EXPECT_EQ(r.defaultStartDate, "");
  EXPECT_EQ(r.defaultEndDate, "");
  EXPECT_EQ(r.defaultStartTime, "");
  EXPECT_EQ(r.defaultEndTime, "");
  EXPECT_EQ(r.localTimeOffset, -2);
  EXPECT_EQ(r.multiplierMode, 0);
  EXPECT_EQ(r.outputFlags, Set({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(r.pointsOnlyScore, 0);
  EXPECT_EQ(r.bandSumScore, 0);
  EXPECT_EQ(r.bandAutoAllowed, 0);
  EXPECT_TRUE(uiGerman_);

  // Everything the table does not name stays zero or empty: blank out the
  // named fields and the rest must be the empty record.
  ContestRules rest = r;
  rest.modes = {};
  rest.bandSlots = {};
  rest.multiplierKinds.reset();
  rest.multiplierLabel = {};
  rest.receivedKind = {};
  rest.sentKind = {};
  rest.sentText = {};
  rest.dupeRule = 0;
  rest.dokList = {};
  rest.districtLetters = {};
  rest.contestName.clear();
  rest.versionText.clear();
  rest.participationTypes = {};
  rest.localTimeOffset = 0;
  ExpectEmptyExceptOutputFlags(rest);
}

TEST_F(PresetsTest, DezDokListHoldsExactlyEighteenTexts) {
  const std::vector<std::string> expected = {"1N",  "2N", "3N",  "4N",  "5N",  "6N",
                                             "7N",  "8N", "9N",  "10N", "11N", "12N",
                                             "13N", "WN", "Z14", "Z41", "Z60", "Z80"};
  const ContestRules r = Fill('3');
  for (int i = 1; i <= 100; ++i) {
    const std::string want = i <= 18 ? expected[static_cast<std::size_t>(i - 1)] : "";
    EXPECT_EQ(r.dokList[i], want) << "dokList[" << i << "]";
  }
  for (const auto& t : r.secondDokList) EXPECT_EQ(t, "");
}

TEST_F(PresetsTest, ListenerLogForParticipationTypeTwoOnly) {
  for (std::uint8_t type : std::initializer_list<std::uint8_t>{0, 1, 2, 3, 255}) {
    header_.SetParticipationType(type);
    EXPECT_EQ(Fill('3').listenerLog, type == 2 ? 1 : 0) << "type " << int{type};
  }
}

TEST_F(PresetsTest, SentDokFollowsTheHeader) {
  EXPECT_EQ(Fill('3').sentText[2], "N05");
  header_.SetDok("Z14");
  EXPECT_EQ(Fill('3').sentText[2], "Z14");
  header_.SetDok("");
  EXPECT_EQ(Fill('3').sentText[2], "");
}

TEST_F(PresetsTest, DezSetsTotalsInTotalsRecordAndNothingElseInTheHeader) {
  ASSERT_EQ(header_.totalsInTotalsRecord(), 0);
  const Buffer before = buf_;
  Fill('3');
  for (std::size_t i = 0; i < buf_.size(); ++i) {
    EXPECT_EQ(buf_[i], i == 369 ? 255 : before[i]) << "byte " << i;
  }
}

TEST_F(PresetsTest, FillingTwiceGivesTheSameRecordAndHeader) {
  for (ContestCode code : {'3', 'V', 'H', 'M'}) {
    SCOPED_TRACE(code);
    const ContestRules first = Fill(code);
    const Buffer afterFirst = buf_;
    const ContestRules second = Fill(code);
    EXPECT_TRUE(first == second);
    EXPECT_EQ(buf_, afterFirst);
  }
}

TEST_F(PresetsTest, OtherCodesCarryTheirCatalogueNameAndVersionOnly) {
  for (const ContestCatalogueEntry& entry : ContestCatalogue()) {
    if (entry.code == '3') continue;
    SCOPED_TRACE(entry.code);
    const Buffer before = buf_;
    ContestRules r = Fill(entry.code);
    EXPECT_EQ(r.contestName, ContestNameFor(entry, header_.startDate()));
    EXPECT_EQ(r.versionText, entry.versionText);
    EXPECT_EQ(r.outputFlags, Set({1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(buf_, before);
    r.contestName.clear();
    r.versionText.clear();
    ExpectEmptyExceptOutputFlags(r);
  }
}

TEST_F(PresetsTest, YearInTheContestNameIsTheHeadersStartYear) {
  EXPECT_EQ(Fill('V').contestName, "MVP-Contest 2009");
  header_.SetStartDate(DayNumberFromCivil({2011, 1, 2}));
  EXPECT_EQ(Fill('K').contestName, "Herbst-Contest K\xF6ln-Aachen 2011");
  EXPECT_EQ(Fill('J').contestName, "Hamburg Contest");
  header_.SetStartDate(0);
  EXPECT_EQ(Fill('1').contestName, "DARC 10-m-Contest 1600");
}

TEST_F(PresetsTest, OnlyHolylandSwitchesTheUiToEnglish) {
  Fill('V');
  EXPECT_TRUE(uiGerman_);
  Fill('H');
  EXPECT_FALSE(uiGerman_);
  // The other codes leave the flag as they find it; the main window resets it.
  Fill('3');
  EXPECT_FALSE(uiGerman_);
}

}  // namespace
}  // namespace korv
