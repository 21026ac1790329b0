#include <gtest/gtest.h>

#include <vector>

#include "files/contest_header.h"
#include "logging/exchange_rules.h"
#include "logging/scoring.h"
#include "shell/contest_rules.h"

namespace korv {
namespace {

ContestRules DezRules() {
  std::vector<std::uint8_t> bytes(kContestHeaderSize, 0);
  ContestHeader h(ContestHeader::Record(bytes.data(), kContestHeaderSize));
  bool german = true;
  return FillContestPresets('3', h, german);
}

TEST(PointRule, DezPointsByCall) {
  std::vector<std::uint8_t> header(kContestHeaderSize, 0);
  const ContestHeader h(ContestHeader::Record(header.data(), kContestHeaderSize));
  const ContestRules rules = DezRules();
  struct Case {
    const char* call;
    int points;
  };
  const Case cases[] = {
      {"DL", 1},          // shorter than 3
      {"DL1ABC", 1},      // ordinary German call
      {"OE1ABC", 1},      // foreign
      {"DK0AB", 5},       // D + K + "0": club station
      {"DA0XYZ", 5},      // D + A + "0"
      {"DL0ABC", 5},      // D + L + "0"
      {"DB0ABC", 1},      // B is not among the club letters
      {"DQ1ABC", 5},      // D + Q
      {"DR5A", 5},        // D + R
      {"DL1A", 5},        // exactly 4 characters, D + A-R
      {"DS1A", 1},        // S is beyond R
      {"DR2DEZ", 5},      // the special-event call
      {"DK0VZ", 10},      // the organiser's club station wins over the 5
      {"DK0VZ/P", 5},     // not the organiser's call as such
  };
  std::vector<std::uint8_t> rec(kQsoRecordSize, 0);
  QsoRecord r(QsoRecord::Record(rec.data(), kQsoRecordSize));
  for (const Case& c : cases) {
    r.SetCall(c.call);
    EXPECT_EQ(PointsOf(r, h, rules, '3'), c.points) << c.call;
  }
  r.SetCall("DK0VZ");
  EXPECT_EQ(PointsOf(r, h, rules, '1'), 1);
  EXPECT_EQ(PointsOf(r, h, rules, 'D'), 2);
}

TEST(ExchangeRules, DokTestAndMultiplierTest) {
  const ContestRules rules = DezRules();
  struct Case {
    const char* dok;
    bool acceptable;  // stored as DOK
    bool multiplier;  // counts in DEZ
  };
  const Case cases[] = {
      {"N", false, false},   {"WN", true, true},    {"AB", false, false}, {"1N", true, true},
      {"N01", true, true},   {"N99", true, true},   {"P01", true, false}, {"Z60", true, true},
      {"Z61", true, false},  {"13N", true, true},   {"N1A", true, false}, {"DARC", true, false},
      {"YL", true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DokIsAcceptable(c.dok), c.acceptable) << c.dok;
    EXPECT_EQ(DokMultiplierTest(c.dok, rules), c.multiplier) << c.dok;
  }
  EXPECT_TRUE(IsRefusedJDok("J12"));
  EXPECT_TRUE(IsRefusedJDok("J1X"));
  EXPECT_FALSE(IsRefusedJDok("JK"));
  EXPECT_FALSE(IsRefusedJDok("J123"));

  ContestRules other = rules;
  other.rejectedDok = "N05";
  EXPECT_FALSE(DokMultiplierTest("N05", other));
  other.districtLetters = {};
  other.dokList = {};
  EXPECT_TRUE(DokMultiplierTest("P01", other));  // no list, no letters: every value
  other.multiplierKinds.set(8);
  EXPECT_TRUE(DokMultiplierTest("N05", other));  // area kind: every value, even the rejected one
  other = rules;
  other.acceptOtherDokForms = 1;
  EXPECT_TRUE(DokMultiplierTest("DARC", other));
  EXPECT_FALSE(DokMultiplierTest("P01", other));  // letter + digit: a district DOK of another district
}

TEST(ExchangeRules, CallValidityAndGermanCalls) {
  struct Case {
    const char* call;
    bool valid;
  };
  const Case cases[] = {
      {"", false},          {"DL1", false},     {"DL1A", true},      {"F5A", true},
      {"K1A", true},        {"12ABC", false},   {"ABC1", false},     {"DL1ABC/P", true},
      {" OE1ABC ", true},   {"4U1UN", true},    {"2E0ABC", true},    {"D", false},
  };
  for (const Case& c : cases) EXPECT_EQ(CallIsValid(c.call, DefaultSuffixTable()), c.valid) << c.call;
  EXPECT_TRUE(IsGermanCall("DL1ABC"));
  EXPECT_TRUE(IsGermanCall("DR2DEZ"));
  EXPECT_FALSE(IsGermanCall("DI1ABC"));
  EXPECT_FALSE(IsGermanCall("DS1ABC"));
  EXPECT_FALSE(IsGermanCall("OE1ABC"));
  EXPECT_FALSE(IsGermanCall("D"));
}

TEST(ExchangeRules, RunningNumbersAndStatesAndCaptions) {
  EXPECT_EQ(PadRunningNumber("7"), "007");
  EXPECT_EQ(PadRunningNumber("12"), "012");
  EXPECT_EQ(PadRunningNumber("123"), "123");
  EXPECT_EQ(PadRunningNumber(""), "");
  EXPECT_EQ(UsStateCode("texas"), "TX");
  EXPECT_EQ(UsStateCode("ny"), "NY");
  EXPECT_EQ(ExchangeKindCaption(4, '3'), "DOK");
  EXPECT_EQ(ExchangeKindCaption(16, 'f'), "AGCW");
  EXPECT_EQ(ExchangeKindCaption(19, 'k'), "QCWA");
  EXPECT_EQ(DuplicateMessage(2, '3', true), "bereits auf Band vorhanden");
  EXPECT_EQ(DuplicateMessage(4, '6', false), "Call already exists on band and period");
}

}  // namespace
}  // namespace korv
