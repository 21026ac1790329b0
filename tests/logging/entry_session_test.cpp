#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>

#include "logging/entry_session_internal.h"
#include "logging/renumber.h"
#include "logging/totals_record.h"
#include "refdata/bands.h"
#include "log_fixture.h"

namespace korv::testing {
namespace {

using Kind = ScriptedPlatform::Kind;

class EntrySessionTest : public LogTest {};

// The scoring example: 80 m with 10 QSOs worth 23 points and 4 valid DOKs,
// 40 m with 2 QSOs worth 2 points and 2 DOKs (one also worked on 80 m).
TEST_F(EntrySessionTest, ScoreExampleAndStoredTotals) {
  const std::int32_t log = CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_EQ(s.band(), 'b');
  EXPECT_EQ(s.View().totalsLine.logCounter, "1");
  const struct {
    const char* call;
    const char* dok;
  } eighty[] = {{"DL1AAA", "N01"}, {"DL2BBB", "N02"}, {"DK0AB", "P01"},  {"DK0VZ", "N03"},
                {"DL3CCC", "N04"}, {"DL4DDD", "N01"}, {"OE1ABC", ""},    {"F5ABC", ""},
                {"DL5EEE", "P02"}, {"DL6FFF", "ZZ9"}};
  int minute = 1;
  for (const auto& q : eighty) ASSERT_TRUE(LogAt(minute++, q.call, q.dok)) << q.call;
  EXPECT_EQ(s.totals().currentPoints, 23);
  EXPECT_EQ(s.totals().currentMultipliers, 4);
  EXPECT_EQ(s.View().totalsLine.pointsCaption, "Punkte 80 m");
  EXPECT_EQ(s.View().totalsLine.multiCaption, "Multi 80 m");
  EXPECT_EQ(s.View().totalsLine.logCounter, "11");

  s.ChangeBand('c');
  EXPECT_EQ(s.totals().currentQsos, 0);
  ASSERT_TRUE(LogAt(minute++, "DL1AAA", "N01"));  // a new band: no duplicate, a new multiplier
  ASSERT_TRUE(LogAt(minute++, "DL7GGG", "N07"));
  const ScoreParts score = s.Score();
  EXPECT_EQ(score.points, 25);
  EXPECT_EQ(score.multipliers, 6);
  EXPECT_EQ(score.qsos, 12);
  EXPECT_EQ(score.score, 150);
  const EntryView v = s.View();
  EXPECT_EQ(v.totalsPanel.lines[0], "12 QSO");
  EXPECT_EQ(v.totalsPanel.lines[1], "  6 Multi x");
  EXPECT_EQ(v.totalsPanel.lines[2], "25 Punkte =");
  EXPECT_EQ(v.totalsPanel.lines[3], "      150 Pkt.");
  EXPECT_EQ(v.totalsPanel.columns[0].label, "80 m");
  EXPECT_EQ(v.totalsPanel.columns[0].points, "23");
  EXPECT_EQ(v.totalsPanel.columns[1].multipliers, "2");
  EXPECT_EQ(v.qsoNumber, "12");

  // The multiplier column of each QSO: the first QSO of a DOK on its band.
  std::vector<std::string> multi1;
  for (auto& q : Qsos()) multi1.push_back(View(q).multi1());
  EXPECT_EQ(multi1, (std::vector<std::string>{"N01", "N02", "", "N03", "N04", "", "", "", "", "", "N01", "N07"}));

  s.Close();
  KeyString key;
  key.AppendLong(log);
  ASSERT_TRUE(totals->FindExact(1, key).ok());
  const auto tr = TotalsRecord::Over(totals->Record());
  ASSERT_TRUE(tr.has_value());
  EXPECT_EQ(tr->qsoCount(1), 10);
  EXPECT_EQ(tr->points(1), 23);
  EXPECT_EQ(tr->multiplierCount(1), 4);
  EXPECT_EQ(tr->column1Count(1), 4);
  EXPECT_EQ(tr->qsoCount(2), 2);
  EXPECT_EQ(tr->points(2), 2);
  EXPECT_EQ(tr->multiplierCount(2), 2);
  EXPECT_EQ(tr->column1Count(2), 2);
  EXPECT_EQ(tr->qsoCount(3), 0);
  EXPECT_TRUE(platform.TextsOf(Kind::kInform).empty());
}

TEST_F(EntrySessionTest, DuplicatesByBaseCallOnTheBand) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL1ABC", "N01"));
  EXPECT_FALSE(LogAt(2, "DL1ABC", "N01"));
  EXPECT_FALSE(LogAt(3, "DL1ABC/P", "N01"));
  EXPECT_EQ(platform.TextsOf(Kind::kInform),
            (std::vector<std::string>{"Call DL1ABC bereits auf Band vorhanden",
                                      "Call DL1ABC bereits auf Band vorhanden"}));
  EXPECT_EQ(platform.Beeps(), 2);
  EXPECT_EQ(s.entry().call(), "");  // the entry was cleared
  EXPECT_EQ(Qsos().size(), 1u);
  s.ChangeBand('c');
  EXPECT_TRUE(LogAt(4, "DL1ABC", "N01"));
  EXPECT_EQ(Qsos().size(), 2u);
}

TEST_F(EntrySessionTest, DokStoredOnlyWhenAcceptableAndGerman) {
  CreateLog();
  OpenSession();
  const struct {
    const char* call;
    const char* dok;
    const char* stored;
  } cases[] = {{"DL1AAA", "n05", "N05"}, {"OE1ABC", "N05", ""}, {"DL2BBB", "WN", "WN"},
               {"DL3CCC", "AB", ""},     {"DL4DDD", "Z60", "Z60"}, {"DO5EEE", "DARC", "DARC"}};
  int minute = 1;
  for (const auto& c : cases) ASSERT_TRUE(LogAt(minute++, c.call, c.dok)) << c.call;
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), std::size(cases));
  for (std::size_t i = 0; i < qsos.size(); ++i) {
    EXPECT_EQ(View(qsos[i]).dok(), cases[i].stored) << cases[i].call;
    EXPECT_EQ(View(qsos[i]).rcvdExch().substr(0, 3), "599");  // CW
  }
}

TEST_F(EntrySessionTest, JDokRefusedWhileFocusedAndNotStored) {
  CreateLog();
  EntrySession& s = OpenSession();
  EXPECT_FALSE(LogAt(1, "DL1ABC", "J12"));
  EXPECT_EQ(platform.TextsOf(Kind::kInform), std::vector<std::string>{"Fehler bei DOK-Angabe"});
  EXPECT_TRUE(Qsos().empty());
  EXPECT_EQ(s.entry().dok(), "");
  // Corrected, the same entry is stored.
  s.ExchangeTextChanged(EntryField::kRcvd2, "N12");
  EXPECT_TRUE(s.LeaveField(EntryField::kRcvd2, true));
  ASSERT_EQ(Qsos().size(), 1u);
  EXPECT_EQ(View(Qsos()[0]).dok(), "N12");
}

TEST_F(EntrySessionTest, GridFollowsTheTypedDok) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL1AAA", "N01"));
  SetClock(14, 11, 2026, 8, 2, 0);
  s.ClockTick();
  s.CallTextChanged("DL2BBB");
  s.LeaveField(EntryField::kCall, true);
  s.ExchangeTextChanged(EntryField::kRcvd2, "N02");
  auto grid = s.View().grid;
  ASSERT_EQ(grid.size(), 2u);
  EXPECT_EQ(grid[0].value, "N01");
  EXPECT_EQ(grid[0].status, WorkedStatus::kWorked);
  EXPECT_EQ(grid[1].value, "N02");
  EXPECT_EQ(grid[1].status, WorkedStatus::kNewByEntry);
  EXPECT_EQ(s.totals().currentMultipliers, 2);
  s.ExchangeTextChanged(EntryField::kRcvd2, "N01");
  grid = s.View().grid;
  ASSERT_EQ(grid.size(), 1u);
  EXPECT_EQ(grid[0].status, WorkedStatus::kHitByEntry);
  EXPECT_EQ(s.totals().currentMultipliers, 1);
  s.Escape();
  grid = s.View().grid;
  ASSERT_EQ(grid.size(), 1u);
  EXPECT_EQ(grid[0].status, WorkedStatus::kWorked);
}

TEST_F(EntrySessionTest, DeleteAsksTwiceRenumbersAndDropsTheMultiplier) {
  CreateLog();
  EntrySession& s = OpenSession();
  const char* calls[] = {"DL1AAA", "DL2BBB", "DL3CCC", "DL4DDD", "DL5EEE"};
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(LogAt(i + 1, calls[i], "N0" + std::to_string(i + 1)));
  std::uint32_t third = View(Qsos()[2]).recordNo();

  platform.AnswerNextQuestion(false);
  EXPECT_FALSE(s.DeleteQso(third));
  EXPECT_EQ(Qsos().size(), 5u);

  platform.AnswerNextQuestion(true);
  ASSERT_TRUE(s.DeleteQso(View(Qsos()[2]).recordNo()));
  const auto shown = platform.ShownTexts();
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown[shown.size() - 2].text,
            "Durch das L\xF6schen eines Eintrages werden die Nummern aller nachfolgenden Eintr\xE4ge um 1 verringert.");
  EXPECT_EQ(shown.back().text, "Eintrag DL3CCC l\xF6schen?");
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 4u);
  std::vector<std::string> callsLeft;
  for (std::size_t i = 0; i < qsos.size(); ++i) {
    EXPECT_EQ(View(qsos[i]).serialNo(), static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(View(qsos[i]).bandNo(), static_cast<std::int32_t>(i + 1));
    callsLeft.push_back(View(qsos[i]).call());
  }
  EXPECT_EQ(callsLeft, (std::vector<std::string>{"DL1AAA", "DL2BBB", "DL4DDD", "DL5EEE"}));
  EXPECT_EQ(s.totals().currentMultipliers, 4);
  for (const WorkedValue& w : s.View().grid) EXPECT_NE(w.value, "N03");
  EXPECT_EQ(s.View().totalsLine.logCounter, "5");
  EXPECT_EQ(s.entry().serialNo(), 5);
}

TEST_F(EntrySessionTest, RunningNumbersPerBandAndModeClass) {
  CreateLog();
  rules.modes[3] = "FM";  // the same mode class as SSB
  EntrySession& s = OpenSession();
  EXPECT_EQ(s.mode(), "CW");  // a new log starts in CW
  EXPECT_EQ(s.entry().serialNo(), 1);
  EXPECT_EQ(s.entry().bandNo(), 1);
  EXPECT_EQ(s.entry().bandNo2(), 1);
  EXPECT_EQ(s.entry().modeNo(), 1);
  ASSERT_TRUE(LogAt(1, "DL1AAA", "N01"));
  ASSERT_TRUE(LogAt(2, "DL2BBB", "N02"));
  EXPECT_EQ(s.entry().modeNo(), 3);
  s.ChangeBand('c');
  EXPECT_EQ(s.entry().serialNo(), 3);
  EXPECT_EQ(s.entry().bandNo(), 1);
  ASSERT_TRUE(LogAt(3, "DL3CCC", "N03"));
  s.ChangeMode("SSB");
  EXPECT_EQ(s.entry().modeNo(), 1);
  EXPECT_EQ(s.entry().sentExch().substr(0, 3), "59 ");
  ASSERT_TRUE(LogAt(4, "DL4DDD", "N04"));
  EXPECT_EQ(s.entry().modeNo(), 2);
  s.ChangeMode("FM");  // another text of the same class starts again at 1
  EXPECT_EQ(s.entry().modeNo(), 1);
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 4u);
  EXPECT_EQ(View(qsos[0]).sentExch(), "599N01");
  EXPECT_EQ(View(qsos[3]).sentExch(), "59 N01");
  EXPECT_EQ(View(qsos[3]).mode(), "SSB");
}

TEST_F(EntrySessionTest, TwoModesSwitchAtOnce) {
  CreateLog();
  EntrySession& s = OpenSession();
  EXPECT_FALSE(s.ModeKey());
  EXPECT_EQ(s.mode(), "SSB");
  EXPECT_FALSE(s.ModeKey());
  EXPECT_EQ(s.mode(), "CW");
}

TEST_F(EntrySessionTest, CallAndReportNormalisedWhenCollected) {
  CreateLog(/*manualTime=*/true);
  rules.receivedKind[2] = 4;
  EntrySession& s = OpenSession();
  s.SetFieldText(EntryField::kCall, "dl1abc#");
  s.HashTypedInCall();
  s.CollectEntry();
  EXPECT_EQ(s.entry().call(), "DL1ABC/P");
  s.SetFieldText(EntryField::kCall, "DL1-ABC X");
  s.CollectEntry();
  EXPECT_EQ(s.entry().call(), "DL1/ABC/X");
  s.SetFieldText(EntryField::kCall, "DL1ABCDEFGHIJK");
  s.CollectEntry();
  EXPECT_EQ(s.entry().call(), "DL1ABCDEFGHI");
  // Blanks around the call are no part of it; inside they separate.
  for (const auto& [typed, call] : std::vector<std::pair<const char*, const char*>>{
           {" DL0ABF", "DL0ABF"}, {"DL2ABD ", "DL2ABD"}, {" \tEA8/DL1ABC  ", "EA8/DL1ABC"}, {" dl1 abc ", "DL1/ABC"}}) {
    s.SetFieldText(EntryField::kCall, typed);
    s.CollectEntry();
    EXPECT_EQ(s.entry().call(), call) << typed;
  }

  s.SetFieldText(EntryField::kRstRcvd1, "57");
  s.CollectEntry();
  EXPECT_EQ(s.entry().rcvdExch().substr(0, 3), "579");  // CW
  s.ChangeMode("SSB");
  s.SetFieldText(EntryField::kRstRcvd1, "579");
  s.CollectEntry();
  EXPECT_EQ(s.entry().rcvdExch().substr(0, 3), "57 ");

  s.SetFieldText(EntryField::kTime, "1230");
  s.SetFieldText(EntryField::kDate, "14.11.2026");
  s.CollectEntry();
  EXPECT_EQ(s.entry().qsoTime(), 12 * 3600 + 30 * 60);
  EXPECT_EQ(s.View().texts[FieldSlot(EntryField::kTime)], "12:30:00");
}

TEST_F(EntrySessionTest, SlashInTheOnlyExchangeFieldStaysInIt) {
  CreateLog();
  EntrySession& s = OpenSession();
  s.CallTextChanged("DL1ABC");
  s.LeaveField(EntryField::kCall, true);
  s.ExchangeTextChanged(EntryField::kRcvd2, "N01/X/Y");
  s.CollectEntry();
  s.ShowRecord();
  s.CollectEntry();  // collected again as the window does on every exit
  EXPECT_EQ(s.entry().rcvdExch(), "599N01/X/Y");
  EXPECT_EQ(s.View().texts[FieldSlot(EntryField::kRcvd2)], "N01/X/Y");
  EXPECT_EQ(s.View().texts[FieldSlot(EntryField::kRcvd3)], "");
  s.ExchangeTextChanged(EntryField::kRcvd2, "N01/X/Y");  // typed again: nothing doubled
  s.CollectEntry();
  EXPECT_EQ(s.entry().rcvdExch(), "599N01/X/Y");
}

TEST_F(EntrySessionTest, ManualTimeOfMidnightIsStored) {
  CreateLog(/*manualTime=*/true);
  EntrySession& s = OpenSession();
  s.SetFieldText(EntryField::kDate, "14.11.2026");
  s.SetFieldText(EntryField::kTime, "00:00");
  s.CallTextChanged("DL1ABC");
  s.LeaveField(EntryField::kCall, true);
  s.SetFieldText(EntryField::kRcvd2, "N01");
  EXPECT_FALSE(s.LeaveField(EntryField::kRcvd2, true));
  // With the time visible, the DOK field's Enter does not save anyway; the
  // time field's Enter checks the entry, and midnight is a time.
  s.SetFieldText(EntryField::kTime, "00:00");
  EXPECT_TRUE(s.LeaveField(EntryField::kTime, true));
  ASSERT_EQ(Qsos().size(), 1u);
  EXPECT_EQ(View(Qsos()[0]).qsoTime(), 0);
  // Without automatic time the next entry keeps the previous QSO's time.
  EXPECT_EQ(s.View().texts[FieldSlot(EntryField::kTime)], "00:00:00");
  EXPECT_EQ(s.NextFieldOnEnter(EntryField::kRcvd2), EntryField::kTime);
  EXPECT_EQ(s.NextFieldOnEnter(EntryField::kTime), EntryField::kDate);
}

TEST_F(EntrySessionTest, ClockAcrossMidnightWithOffset) {
  settings.utcOffsetHours = -2;
  CreateLog();
  EntrySession& s = OpenSession();
  SetClock(15, 11, 2026, 1, 30, 0);  // 01:30 local
  s.ClockTick();
  ASSERT_TRUE(Log("DL1ABC", "N01"));
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 1u);
  EXPECT_EQ(View(qsos[0]).qsoTime(), 23 * 3600 + 30 * 60);
  EXPECT_EQ(View(qsos[0]).qsoDate(), DayNumberFromCivil({2026, 11, 14}));
}

TEST_F(EntrySessionTest, ClockWaitsWithTheBandChangeAndNeverReportsTheFieldBeingTyped) {
  CreateLog();
  // The band follows the clock: from 09:00 the period wants 40 m.
  ContestHeader h(ContestHeader::Record(headerBytes.data(), kContestHeaderSize));
  h.SetBandAutomatic(255);
  rules.periods[1].startDate = "14.11.2026";
  rules.periods[1].startTime = "09:00:00";
  rules.periods[1].endTime = "11:00:00";
  rules.periods[1].bands[1] = 'c';
  EntrySession& s = OpenSession();
  SetClock(14, 11, 2026, 8, 59, 0);
  s.ClockTick();
  const BandIndex before = s.band();
  ASSERT_NE(before, 'c');
  // A call typed, the DOK field half typed with a DOK that is no DOK.
  s.CallTextChanged("DL1ABC");
  s.LeaveField(EntryField::kCall, true);
  s.FieldEntered(EntryField::kRcvd2);
  s.ExchangeTextChanged(EntryField::kRcvd2, "J12");  // refused when the field is left
  platform.ClearRecord();
  for (int second = 0; second < 3; ++second) {
    SetClock(14, 11, 2026, 9, 0, second);
    s.ClockTick();
  }
  EXPECT_TRUE(platform.ShownTexts().empty());  // no message ...
  EXPECT_EQ(platform.Beeps(), 0);              // ... and no beep
  EXPECT_EQ(s.band(), before);             // the typed call keeps its band
  EXPECT_EQ(s.View().texts[FieldSlot(EntryField::kRcvd2)], "J12");
  // With the entry cleared the band follows the period.
  s.Escape();
  s.ClockTick();
  EXPECT_EQ(s.band(), 'c');
}

TEST(EntryRetryTest, ATakenSecondMovesOnIntoTheNextDay) {
  struct Case {
    DayNumber day;
    TimeOfDay time;
    DayNumber nextDay;
    TimeOfDay nextTime;
  } cases[] = {
      {155911, 100, 155911, 101},
      {155911, 86398, 155911, 86399},
      {155911, 86399, 155912, 0},  // 23:59:59 -> 00:00:00 of the next day
      {0, 86399, 0, 0},            // no date: only the time wraps
      {155911, kNoTime, 155911, kNoTime},
  };
  for (const Case& c : cases) {
    std::array<std::uint8_t, kQsoRecordSize> bytes{};
    QsoRecord r(QsoRecord::Record(bytes.data(), kQsoRecordSize));
    r.SetQsoDate(c.day);
    r.SetQsoTime(c.time);
    entry_internal::AdvanceOneSecond(r);
    EXPECT_EQ(r.qsoDate(), c.nextDay) << c.time;
    EXPECT_EQ(r.qsoTime(), c.nextTime) << c.time;
  }
}

TEST_F(EntrySessionTest, SavedQsoTakesTheClockOfTheSave) {
  CreateLog();
  EntrySession& s = OpenSession();
  SetClock(14, 11, 2026, 9, 0, 0);
  s.ClockTick();
  s.CallTextChanged("DL1ABC");
  s.LeaveField(EntryField::kCall, true);
  SetClock(14, 11, 2026, 9, 0, 42);  // the operator took 42 s for the DOK
  s.ExchangeTextChanged(EntryField::kRcvd2, "N01");
  ASSERT_TRUE(s.LeaveField(EntryField::kRcvd2, true));
  EXPECT_EQ(View(Qsos()[0]).qsoTime(), 9 * 3600 + 42);
  EXPECT_EQ(View(Qsos()[0]).points(), 1);
}

TEST_F(EntrySessionTest, CallBookRemembersDokAndFillsItNextTime) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL1ABC", "N09"));
  s.ChangeBand('c');
  SetClock(14, 11, 2026, 8, 5, 0);
  s.ClockTick();
  s.CallTextChanged("DL1ABC/P");
  s.LeaveField(EntryField::kCall, true);
  EXPECT_EQ(s.View().texts[FieldSlot(EntryField::kRcvd2)], "N09");
  EXPECT_EQ(s.entry().dok(), "N09");
  EXPECT_TRUE(s.LeaveField(EntryField::kRcvd2, true));
}

// A call neither the log nor the call book knows gets the DOK of the call
// history as a proposal: shown as such, stored when the field is left,
// replaced when typed over; the log's own DOK keeps precedence, and a DOK
// the checks would refuse is never proposed.
TEST_F(EntrySessionTest, CallHistoryProposesTheDok) {
  CallHistory history;
  (void)history.Load("DL7XYZ,B36\nDL1ABC,P01\nDL6AB,XX\nDL5AB,AB\nDL4AB,J12\nOE1XYZ,N11\nDL3AB,Z60\nDL8XYZ,B37\n", false);
  callHistory = &history;
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL1ABC", "N01"));  // the log's DOK for DL1ABC
  s.ChangeBand('c');                        // so that DL1ABC is no dupe

  const auto enterCall = [&](const char* call) {
    s.FieldEntered(EntryField::kCall);
    s.CallTextChanged(call);
    (void)s.LeaveField(EntryField::kCall, true);
  };
  const struct {
    const char* call;
    const char* shown;
    bool proposed;
  } cases[] = {
      {"DL7XYZ", "B36", true},
      {"dl7xyz/p", "B36", true},  // by the base call
      {"DL1ABC", "N01", false},   // the log wins
      {"DL6AB", "XX", true},      // a special two-character DOK
      {"DL5AB", "", false},       // "AB" fails the DOK test
      {"DL4AB", "", false},       // a "J" DOK is refused
      {"OE1XYZ", "", false},      // no DOK for foreign calls
  };
  for (const auto& c : cases) {
    s.Escape();
    enterCall(c.call);
    EXPECT_EQ(s.View().texts[FieldSlot(EntryField::kRcvd2)], c.shown) << c.call;
    EXPECT_EQ(s.View().proposed == EntryField::kRcvd2, c.proposed) << c.call;
  }

  // Enter on the proposal stores it; typing over it stores what was typed.
  s.Escape();
  SetClock(14, 11, 2026, 8, 2, 0);
  s.ClockTick();
  enterCall("DL7XYZ");
  s.FieldEntered(EntryField::kRcvd2);
  EXPECT_TRUE(s.LeaveField(EntryField::kRcvd2, true));
  SetClock(14, 11, 2026, 8, 3, 0);
  s.ClockTick();
  enterCall("DL3AB");
  ASSERT_EQ(s.View().proposed, EntryField::kRcvd2);
  s.FieldEntered(EntryField::kRcvd2);
  s.ExchangeTextChanged(EntryField::kRcvd2, "N05");
  EXPECT_FALSE(s.View().proposed.has_value());
  EXPECT_TRUE(s.LeaveField(EntryField::kRcvd2, true));
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 3u);
  EXPECT_EQ(View(qsos[1]).dok(), "B36");
  EXPECT_EQ(View(qsos[2]).dok(), "N05");

  // A proposal for one call does not stay when the call is changed.
  enterCall("DL8XYZ");
  ASSERT_EQ(s.View().texts[FieldSlot(EntryField::kRcvd2)], "B37");
  s.FieldEntered(EntryField::kCall);
  s.CallTextChanged("DL5AB");
  (void)s.LeaveField(EntryField::kCall, true);
  EXPECT_EQ(s.View().texts[FieldSlot(EntryField::kRcvd2)], "");
  EXPECT_FALSE(s.View().proposed.has_value());
}

// The partial list knows the log's calls from the opening walk, each save,
// a delete and an edit, with the band each was worked on.
TEST_F(EntrySessionTest, PartialListFollowsTheLog) {
  partialCalls = true;
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL1ABC", "N01"));
  ASSERT_TRUE(LogAt(2, "DL2ABC", "N02"));
  // The session of the moment: the log is opened again below.
  const auto listed = [&](const char* typed) {
    EntrySession& current = *session;
    current.FieldEntered(EntryField::kCall);
    current.CallTextChanged(typed);
    std::vector<std::string> calls;
    for (const PartialCall& p : current.View().partialCalls) calls.push_back(p.call + (p.dupe ? "*" : ""));
    current.Escape();
    return calls;
  };
  EXPECT_EQ(listed("ABC"), (std::vector<std::string>{"DL1ABC*", "DL2ABC*"}));
  s.ChangeBand('c');
  EXPECT_EQ(listed("ABC"), (std::vector<std::string>{"DL1ABC", "DL2ABC"}));
  s.ChangeBand('b');

  // Opened again: read from the log.
  session.reset();
  EntrySession& again = OpenSession();
  EXPECT_EQ(listed("ABC"), (std::vector<std::string>{"DL1ABC*", "DL2ABC*"}));

  // Deleted: gone from the list.
  auto qsos = Qsos();
  platform.AnswerNextQuestion(true);
  ASSERT_TRUE(again.DeleteQso(View(qsos[0]).recordNo()));
  EXPECT_EQ(listed("ABC"), std::vector<std::string>{"DL2ABC*"});

  // Edited to another call: the list follows.
  qsos = Qsos();
  const std::uint32_t recordNo = View(qsos[0]).recordNo();
  auto form = again.EditFormOf(recordNo);
  ASSERT_TRUE(form.has_value());
  QsoEditFields fields = form->fields;
  fields.call = "DL3ABC";
  ASSERT_TRUE(again.ChangeQso(recordNo, fields).has_value());
  EXPECT_EQ(listed("ABC"), std::vector<std::string>{"DL3ABC*"});

  // F2 takes the first listed call.
  again.FieldEntered(EntryField::kCall);
  again.CallTextChanged("3AB");
  EXPECT_TRUE(again.TakeFirstPartialCall());
  EXPECT_EQ(again.FieldText(EntryField::kCall), "DL3ABC");
  EXPECT_FALSE(again.TakeFirstPartialCall());  // already taken
}

// The radio's band, mode and frequency are taken while no call is typed and
// held while one is, so a QSO keeps the band it was made on.
TEST_F(EntrySessionTest, RigReadingIsTakenBetweenEntriesOnly) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_EQ(s.band(), 'b');
  s.TakeRigReading({'c', std::string("CW"), 7.030});
  EXPECT_EQ(s.band(), 'c');
  EXPECT_EQ(s.mode(), "CW");
  EXPECT_EQ(s.FieldText(EntryField::kFreq), "7,030");
  EXPECT_FALSE(s.RigReadingHeld());

  // Outside the contest's bands: nothing changes.
  s.TakeRigReading({std::nullopt, std::string("SSB"), 10.125});
  EXPECT_EQ(s.band(), 'c');
  EXPECT_EQ(s.mode(), "CW");

  // A call typed: held until the save; the QSO is stored on 40 m.
  SetClock(14, 11, 2026, 8, 1, 0);
  s.ClockTick();
  s.FieldEntered(EntryField::kCall);
  s.CallTextChanged("DL1ABC");
  s.TakeRigReading({'b', std::string("SSB"), 3.650});
  EXPECT_TRUE(s.RigReadingHeld());
  EXPECT_EQ(s.band(), 'c');
  ASSERT_FALSE(s.LeaveField(EntryField::kCall, true));
  s.FieldEntered(EntryField::kRcvd2);
  s.ExchangeTextChanged(EntryField::kRcvd2, "N01");
  ASSERT_TRUE(s.LeaveField(EntryField::kRcvd2, true));
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 1u);
  EXPECT_EQ(View(qsos[0]).band(), 'c');
  EXPECT_FLOAT_EQ(View(qsos[0]).frequency(), 7.030f);
  EXPECT_EQ(View(qsos[0]).mode(), "CW");
  EXPECT_EQ(s.band(), 'b');
  EXPECT_EQ(s.mode(), "SSB");
  EXPECT_EQ(s.FieldText(EntryField::kFreq), "3,650");

  // Held while typed, taken when the entry is cleared.
  s.FieldEntered(EntryField::kCall);
  s.CallTextChanged("DL2");
  s.TakeRigReading({'c', std::nullopt, 7.010});
  EXPECT_EQ(s.band(), 'b');
  s.Escape();
  EXPECT_EQ(s.band(), 'c');
  EXPECT_EQ(s.mode(), "SSB");
  EXPECT_EQ(s.FieldText(EntryField::kFreq), "7,010");
}

// A received DOK that no list, history or QSO knows is pointed at while it is
// typed, and stored as today.
TEST_F(EntrySessionTest, UnknownDokIsPointedAtNotRefused) {
  CallHistory history;
  (void)history.Load("DL7XYZ,B36\n", false);
  callHistory = &history;
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL1ABC", "R07"));  // R07 is known from the log now
  const struct {
    const char* dok;
    bool doubtful;
  } cases[] = {
      {"N1", true},   {"x99z", true}, {"N05", false}, {"WN", false}, {"Z60", false},
      {"b36", false},  // the call history knows it
      {"R07", false},  // a QSO of the log has it
      {"", false},
  };
  for (const auto& c : cases) {
    s.Escape();
    s.FieldEntered(EntryField::kCall);
    s.CallTextChanged("DL2XYZ");
    (void)s.LeaveField(EntryField::kCall, true);
    s.FieldEntered(EntryField::kRcvd2);
    s.ExchangeTextChanged(EntryField::kRcvd2, c.dok);
    const EntryView v = s.View();
    EXPECT_EQ(v.doubtfulDok == EntryField::kRcvd2, c.doubtful) << c.dok;
    EXPECT_EQ(v.doubtfulDokHint, c.doubtful ? "DOK unbekannt?" : "") << c.dok;
  }
  // A foreign call's DOK is not stored, so nothing to point at.
  s.Escape();
  s.CallTextChanged("OE1XYZ");
  s.ExchangeTextChanged(EntryField::kRcvd2, "N1");
  EXPECT_FALSE(s.View().doubtfulDok.has_value());
  // Stored as today: the entry goes on.
  s.Escape();
  SetClock(14, 11, 2026, 8, 2, 0);
  s.ClockTick();
  EXPECT_TRUE(Log("DL3XYZ", "X99Z"));
  EXPECT_EQ(Qsos().size(), 2u);
}

// The totals panel's rate follows each save, delete and clock tick.
TEST_F(EntrySessionTest, RateOfTheLastMinutes) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL1ABC", "N01"));
  ASSERT_TRUE(LogAt(2, "DL2ABC", "N02"));
  ASSERT_TRUE(LogAt(3, "DL3ABC", "N03"));
  EXPECT_EQ(s.View().totalsPanel.rate10, "Rate 10 min: 18/h");
  EXPECT_EQ(s.View().totalsPanel.rate60, "Rate 60 min: 3/h");
  SetClock(14, 11, 2026, 8, 11, 0);  // 08:01 is ten minutes back now
  s.ClockTick();
  EXPECT_EQ(s.View().totalsPanel.rate10, "Rate 10 min: 12/h");
  platform.AnswerNextQuestion(true);
  ASSERT_TRUE(s.DeleteQso(View(Qsos()[2]).recordNo()));
  EXPECT_EQ(s.View().totalsPanel.rate10, "Rate 10 min: 6/h");
  EXPECT_EQ(s.View().totalsPanel.rate60, "Rate 60 min: 2/h");
}

TEST_F(EntrySessionTest, UnknownPrefixIsReportedButStored) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "ZL1ABC", ""));
  EXPECT_EQ(platform.TextsOf(Kind::kInform), std::vector<std::string>{"Pr\xE4" "fix unbekannt"});
  ASSERT_TRUE(LogAt(2, "EA8ABC", ""));
  // Maritime and aeronautical mobile have no country, and that is no fault.
  platform.ClearRecord();
  ASSERT_TRUE(LogAt(3, "DL2ABC/MM", ""));
  ASSERT_TRUE(LogAt(4, "DL3ABC/AM/2", ""));
  EXPECT_TRUE(platform.TextsOf(Kind::kInform).empty());
  EXPECT_EQ(platform.Beeps(), 0);
  auto qsos = Qsos();
  EXPECT_EQ(View(qsos[0]).prefix(), "");
  EXPECT_EQ(View(qsos[0]).points(), 1);
  EXPECT_EQ(View(qsos[1]).prefix(), "EA8");
  EXPECT_EQ(View(qsos[1]).continent(), "AF");
  EXPECT_EQ(View(qsos[2]).prefix(), "");
  EXPECT_EQ(View(qsos[3]).prefix(), "");
  EXPECT_EQ(s.View().caption, "DL9XYZ  Logbuch (Contest : DEZ 2026 )");
}

TEST_F(EntrySessionTest, QsyMarkerLinesAreClearedNotCountedAndDropped) {
  const std::int32_t log = CreateLog();
  {
    FileBlock* f = catalogue->OpenQsoFile(log);
    ASSERT_NE(f, nullptr);
    f->ClearRecordBuffer();
    QsoRecord r(QsoRecord::Record(f->Record().data(), kQsoRecordSize));
    r.SetCall("DL1ABC");
    r.SetBand('b');
    r.SetQsoDate(DayNumberFromCivil({2026, 11, 14}));
    r.SetQsoTime(7 * 3600);
    r.SetMode("CW");
    r.SetDok("N01");
    r.SetPrefix("DL");
    r.SetMulti1("N01");
    r.SetSerialNo(1);
    ASSERT_TRUE(f->InsertRecord().ok());
    f->ClearRecordBuffer();
    r.SetQsyBand('c');
    r.SetQsoDate(DayNumberFromCivil({2026, 11, 14}));
    r.SetQsoTime(7 * 3600 + 60);
    r.SetDok("N02");
    r.SetPrefix("DL");
    r.SetSerialNo(2);
    ASSERT_TRUE(f->InsertRecord().ok());
    catalogue->ReleaseQsoFile(log);
  }
  EntrySession& s = OpenSession();
  // The log was renumbered at start (the last record of the multiplier
  // index has no second column): the marker line is gone.
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 1u);
  EXPECT_EQ(View(qsos[0]).call(), "DL1ABC");
  EXPECT_EQ(s.totals().logCounter, 2);
  EXPECT_EQ(View(qsos[0]).multi1(), "N01");
}

TEST_F(EntrySessionTest, SentRunningNumberKeepsGapsAfterDelete) {
  CreateLog();
  rules.sentKind[2] = 7;
  rules.receivedKind[2] = 7;
  rules.multiplierKinds.reset();
  EntrySession& s = OpenSession();
  EXPECT_EQ(s.entry().sentExch(), "599001");
  for (int i = 1; i <= 3; ++i) {
    SetClock(14, 11, 2026, 8, i, 0);
    s.ClockTick();
    s.CallTextChanged("DL" + std::to_string(i) + "ABC");
    s.LeaveField(EntryField::kCall, true);
    s.SetFieldText(EntryField::kRcvd2, "7");
    ASSERT_TRUE(s.LeaveField(EntryField::kRcvd2, true));
  }
  EXPECT_EQ(View(Qsos()[0]).rcvdExch(), "599007");  // padded when saved
  EXPECT_EQ(View(Qsos()[2]).sentExch(), "599003");
  platform.AnswerNextQuestion(true);
  ASSERT_TRUE(s.DeleteQso(View(Qsos()[1]).recordNo()));
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 2u);
  EXPECT_EQ(View(qsos[0]).serialNo(), 1);
  EXPECT_EQ(View(qsos[1]).serialNo(), 3);
  EXPECT_TRUE(s.View().totalsPanel.multiplierColumnHidden);
  EXPECT_EQ(s.View().totalsPanel.lines[3], "        2 Pkt.");
}

// The QSO file is rewritten (a new inode) only when its numbering is not
// what a renumbering would write; a QSO logged before the others is.
// While a call is typed its new multiplier counts exactly once, on the band
// it is typed on: a band change moves it, Esc takes it out.
TEST_F(EntrySessionTest, TheOpenEntryCountsOnceOnTheBandItIsOn) {
  CreateLog();
  EntrySession& s = OpenSession();
  SetClock(14, 11, 2026, 8, 1, 0);
  s.ClockTick();
  ASSERT_TRUE(LogAt(1, "DL1ABC", "N01"));
  const BandIndex eighty = s.band();
  const BandIndex forty = s.Bands().at(1);
  auto multi = [&](BandIndex b) { return s.totals().multipliersPerBand[LogTotals::Slot(b)]; };
  s.FieldEntered(EntryField::kCall);
  s.CallTextChanged("DL2ABC");
  s.FieldEntered(EntryField::kRcvd2);
  s.ExchangeTextChanged(EntryField::kRcvd2, "N02");
  EXPECT_EQ(multi(eighty), 2);
  EXPECT_EQ(s.Score().multipliers, 2);
  s.ChangeBand(forty);
  EXPECT_EQ(multi(eighty), 1);
  EXPECT_EQ(multi(forty), 1);
  EXPECT_EQ(s.Score().multipliers, 2);
  s.ChangeBand(eighty);
  EXPECT_EQ(multi(eighty), 2);
  EXPECT_EQ(multi(forty), 0);
  s.ChangeBand(forty);
  s.Escape();
  EXPECT_EQ(multi(eighty), 1);
  EXPECT_EQ(multi(forty), 0);
  EXPECT_EQ(s.Score().multipliers, 1);
}

// A frequency on a band the contest does not have leaves the band and the
// entry as they are and says so; one on a band of the contest moves there.
TEST_F(EntrySessionTest, AFrequencyOutsideTheContestsBandsKeepsTheBand) {
  CreateLog();
  EntrySession& s = OpenSession();
  const BandIndex eighty = s.band();
  s.FieldEntered(EntryField::kCall);
  s.CallTextChanged("DL2ABC");
  s.FieldEntered(EntryField::kFreq);
  s.SetFieldText(EntryField::kFreq, "14,2");
  (void)s.LeaveField(EntryField::kFreq, false);
  EXPECT_EQ(s.band(), eighty);
  EXPECT_EQ(s.entry().call(), "DL2ABC");
  EXPECT_NEAR(s.entry().frequency(), BandFrequencyFromText(BandName(eighty)), 0.001);
  EXPECT_EQ(platform.TextsOf(Kind::kInform),
            std::vector<std::string>{"Die Frequenz liegt auf keinem Band dieses Contests."});
  EXPECT_TRUE(s.FieldErrorShown());
  s.SetFieldText(EntryField::kFreq, "7,05");
  (void)s.LeaveField(EntryField::kFreq, false);
  EXPECT_EQ(s.band(), s.Bands().at(1));
}

// The edit dialog applies the entry's rules: no duplicate by a new call or
// band, no date or time that is none; the QSO being edited is no dupe of
// itself.
TEST_F(EntrySessionTest, AnEditThatWouldMakeADupeOrNoDateIsRefused) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_TRUE(LogAt(1, "DL1ABC", "N01"));
  ASSERT_TRUE(LogAt(2, "DL2ABC", "N02"));
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 2u);
  const std::uint32_t second = View(qsos[1]).recordNo();
  const auto form = s.EditFormOf(second);
  ASSERT_TRUE(form);
  using Refusal = EntrySession::EditRefusal;
  EXPECT_EQ(s.RefuseQsoEdit(second, form->fields), std::nullopt);
  struct Case {
    std::function<void(QsoEditFields&)> change;
    std::optional<Refusal> refused;
    const char* message;
  };
  const Case cases[] = {
      {[](QsoEditFields& f) { f.call = "dl1abc"; }, Refusal::kCall, "Call DL1ABC bereits auf Band vorhanden"},
      {[](QsoEditFields& f) { f.call = "DL1ABC/P"; }, Refusal::kCall, "Call DL1ABC bereits auf Band vorhanden"},
      {[](QsoEditFields& f) { f.date = "32.13.2026"; }, Refusal::kDate, "Fehler bei Datums-Angabe"},
      {[](QsoEditFields& f) { f.time = "25:99"; }, Refusal::kTime, "Fehler bei Zeit-Angabe"},
      {[](QsoEditFields& f) { f.call = "DL3ABC"; }, std::nullopt, nullptr},
  };
  for (const Case& c : cases) {
    platform.ClearRecord();
    QsoEditFields fields = form->fields;
    c.change(fields);
    EXPECT_EQ(s.RefuseQsoEdit(second, fields), c.refused) << (c.message ? c.message : "accepted");
    EXPECT_EQ(platform.TextsOf(Kind::kInform),
              c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
  }
  // On the other band DL1ABC is no dupe.
  QsoEditFields moved = form->fields;
  moved.call = "DL1ABC";
  moved.band = s.Bands().at(1);
  EXPECT_EQ(s.RefuseQsoEdit(second, moved), std::nullopt);
}

TEST_F(EntrySessionTest, AQsoAtMidnightIsStored) {
  CreateLog();
  EntrySession& s = OpenSession();
  SetClock(15, 11, 2026, 0, 0, 0);
  s.ClockTick();
  ASSERT_TRUE(Log("DL1ABC", "N01"));
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 1u);
  EXPECT_EQ(View(qsos[0]).qsoTime(), 0);
  EXPECT_EQ(View(qsos[0]).qsoDate(), DayNumberFromCivil({2026, 11, 15}));
}

TEST_F(EntrySessionTest, OpenAndCloseRenumberOnlyAnInconsistentNumbering) {
  const std::int32_t log = CreateLog();
  const std::filesystem::path dat = dir / (QsoFileName(log) + ".DAT");
  auto inode = [&]() {
    struct stat st {};
    return ::stat(dat.c_str(), &st) == 0 ? st.st_ino : 0;
  };
  {
    OpenSession();
    ASSERT_TRUE(LogAt(10, "DL1ABC", "N01"));
    ASSERT_TRUE(LogAt(20, "DL2ABC", "N02"));
    ASSERT_TRUE(LogAt(5, "DL3ABC", "N03"));  // earlier than both: numbered 3
    EXPECT_FALSE(NumberingConsistent(*session->qsoFile()));
    const auto before = inode();
    session->Close();
    EXPECT_NE(inode(), before);  // renumbered at close
    session.reset();
  }
  const auto renumbered = inode();
  EntrySession& s = OpenSession();
  EXPECT_TRUE(NumberingConsistent(*s.qsoFile()));
  EXPECT_EQ(inode(), renumbered);  // not at open
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 3u);
  std::map<std::string, std::int32_t> serial;
  for (auto& q : qsos) serial[View(q).call()] = View(q).serialNo();
  EXPECT_EQ(serial["DL3ABC"], 1);
  EXPECT_EQ(serial["DL1ABC"], 2);
  EXPECT_EQ(serial["DL2ABC"], 3);
  s.Close();
  EXPECT_EQ(inode(), renumbered);  // nor at close
}

TEST_F(EntrySessionTest, InterruptedRenumberingIsFinishedFromTheCopy) {
  const std::int32_t log = CreateLog();
  {
    EntrySession& s = OpenSession();
    for (int i = 1; i <= 4; ++i) ASSERT_TRUE(LogAt(i, "DL" + std::to_string(i) + "ABC", "N0" + std::to_string(i)));
    s.Close();
    session.reset();
  }
  // A renumbering that died after emptying the QSO file: KVLKTEMP holds
  // the copy and the marker names the log.
  {
    FileBlock* f = catalogue->OpenQsoFile(log);
    FileBlock* temp = catalogue->OpenQsoTemp();
    ASSERT_TRUE(temp->DeleteFileBlockFiles().ok());
    Status st = f->MoveFirst(1);
    while (st.ok()) {
      std::copy(f->Record().begin(), f->Record().end(), temp->Record().begin());
      QsoRecord(QsoRecord::Record(temp->Record().data(), kQsoRecordSize)).SetRecordNo(0);
      ASSERT_TRUE(temp->InsertRecord().ok());
      st = f->MoveNext(1);
    }
    ASSERT_TRUE(f->DeleteFileBlockFiles().ok());
    catalogue->ReleaseQsoTemp();
    catalogue->ReleaseQsoFile(log);
    std::ofstream(dir / kLegacyRenumberMarker) << log;
  }
  EntrySession& s = OpenSession();
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 4u);
  EXPECT_EQ(View(qsos[3]).call(), "DL4ABC");
  EXPECT_EQ(View(qsos[3]).serialNo(), 4);
  EXPECT_FALSE(std::filesystem::exists(dir / kLegacyRenumberMarker));
  EXPECT_EQ(s.totals().logCounter, 5);
}

TEST_F(EntrySessionTest, ListenerLogNeedsTheSecondCall) {
  CreateLog(false, /*participation=*/2);
  ASSERT_EQ(rules.listenerLog, 1);
  EntrySession& s = OpenSession();
  EXPECT_TRUE(s.View().visible[FieldSlot(EntryField::kCall2)]);
  EXPECT_TRUE(s.View().visible[FieldSlot(EntryField::kSent2)]);
  s.CallTextChanged("DL1ABC");
  s.LeaveField(EntryField::kCall, true);
  s.SetFieldText(EntryField::kSent2, "N01");  // the first station's DOK
  s.LeaveField(EntryField::kSent2, true);
  s.SetFieldText(EntryField::kRcvd2, "N02");
  EXPECT_FALSE(s.LeaveField(EntryField::kRcvd2, true));  // no second call yet
  s.SetFieldText(EntryField::kCall2, "dl2xyz");
  EXPECT_TRUE(s.LeaveField(EntryField::kRcvd2, true));
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 1u);
  EXPECT_EQ(View(qsos[0]).call2(), "DL2XYZ");
  EXPECT_EQ(View(qsos[0]).dok(), "N01");
  EXPECT_EQ(View(qsos[0]).rcvdExch(), "599N01");
  EXPECT_EQ(View(qsos[0]).sentExch(), "599N02");
}

}  // namespace
}  // namespace korv::testing
