#include "common/dates.h"

#include <gtest/gtest.h>

#include <string>

namespace korv {
namespace {

// Day numbers computed independently of the code under test.
constexpr DayNumber kDay1900Mar1 = 109632;
constexpr DayNumber kDay2009Dec24 = 149742;
constexpr DayNumber kDay2009May3 = 149507;

TEST(DayNumberTest, KnownDays) {
  struct Case {
    CivilDate date;
    DayNumber day;
  } cases[] = {
      {{1600, 1, 1}, 0},
      {{1600, 3, 1}, 60},  // 1600 is a leap year (divisible by 400)
      {{1601, 1, 1}, 366},
      {{1700, 3, 1}, 36584},
      {{1900, 2, 28}, 109631},
      {{1900, 3, 1}, kDay1900Mar1},  // 1900 is not
      {{2000, 2, 29}, 146156},       // 2000 is
      {{2000, 3, 1}, 146157},
      {{2009, 12, 24}, kDay2009Dec24},
      {{9999, 12, 31}, kMaxDayNumber},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayNumberFromCivil(c.date), c.day) << c.date.year << "-" << c.date.month;
    EXPECT_EQ(CivilFromDayNumber(c.day), c.date) << c.day;
  }
}

TEST(DayNumberTest, RejectsDatesThatDoNotExistOrAreOutOfRange) {
  const CivilDate invalid[] = {
      {1900, 2, 29}, {2009, 2, 29},  {2009, 4, 31}, {2009, 13, 1}, {2009, 0, 1},
      {2009, 1, 0},  {1599, 12, 31}, {10000, 1, 1}, {0, 0, 0},
  };
  for (const CivilDate& d : invalid) {
    EXPECT_EQ(DayNumberFromCivil(d), kNoDate) << d.year << "-" << d.month << "-" << d.day;
  }
  EXPECT_EQ(DayNumberFromCivil({1600, 2, 29}), 59);
  EXPECT_EQ(CivilFromDayNumber(kNoDate), CivilDate{});
  EXPECT_EQ(CivilFromDayNumber(kMaxDayNumber + 1), CivilDate{});
}

// Walks every representable day: each must be the calendar successor of the
// one before and convert back to its own number.
TEST(DayNumberTest, EveryDayRoundTripsAndFollowsItsPredecessor) {
  CivilDate previous = CivilFromDayNumber(0);
  for (DayNumber day = 1; day <= kMaxDayNumber; ++day) {
    const CivilDate date = CivilFromDayNumber(day);
    const bool nextDay =
        date.year == previous.year && date.month == previous.month && date.day == previous.day + 1;
    const bool nextMonth =
        date.day == 1 &&
        ((date.year == previous.year && date.month == previous.month + 1) ||
         (date.year == previous.year + 1 && date.month == 1 && previous.month == 12));
    ASSERT_TRUE(nextDay || nextMonth) << "day " << day;
    ASSERT_EQ(DayNumberFromCivil(date), day);
    previous = date;
  }
}

TEST(DateTextTest, FormatsWithPicture) {
  struct Case {
    DayNumber day;
    const char* picture;
    const char* expected;
  } cases[] = {
      {0, "dd.mm.yyyy", "01.01.1600"},
      {kDay2009Dec24, "dd.mm.yyyy", "24.12.2009"},
      {kDay2009Dec24, "DD.MM.YYYY", "24.12.2009"},
      {kDay2009Dec24, "dd.mm.yy", "24.12.09"},
      {kDay2009Dec24, "yyyy-mm-dd", "2009-12-24"},
      {kDay2009May3, "d.m.yyyy", "3.5.2009"},
      {kDay2009May3, "dd/mm/yy", "03/05/09"},
      {kDay1900Mar1, "yymmdd", "000301"},
      {kNoDate, "dd.mm.yyyy", ""},
      {kMaxDayNumber + 1, "dd.mm.yyyy", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DateToText(c.day, c.picture), c.expected) << c.day << " " << c.picture;
  }
}

TEST(DateTextTest, ReadsWithPicture) {
  struct Case {
    const char* text;
    const char* picture;
    DayNumber expected;
  } cases[] = {
      {"24.12.2009", "dd.mm.yyyy", kDay2009Dec24},
      {" 24.12.2009\t", "dd.mm.yyyy", kDay2009Dec24},
      {"3.5.2009", "dd.mm.yyyy", kDay2009May3},
      {"24.12.09", "dd.mm.yy", kDay2009Dec24},
      {"24.12.2009", "dd.mm.yy", kDay2009Dec24},
      {"2009-12-24", "YYYY-MM-DD", kDay2009Dec24},
      {"24122009", "ddmmyyyy", kDay2009Dec24},
      {"241209", "ddmmyy", kDay2009Dec24},
      {"01.01.1600", "dd.mm.yyyy", 0},
      {"29.02.2000", "dd.mm.yyyy", 146156},
      // A two-digit year left after completion: 00-39 -> 20xx, 40-99 -> 19xx.
      {"01.03.00", "dd.mm.yyyy", 146157},
      {"01.03.39", "dd.mm.yyyy", DayNumberFromCivil({2039, 3, 1})},
      {"01.03.40", "dd.mm.yyyy", DayNumberFromCivil({1940, 3, 1})},
      {"01.03.99", "dd.mm.yyyy", DayNumberFromCivil({1999, 3, 1})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DateFromText(c.text, c.picture), c.expected) << c.text << " " << c.picture;
  }
}

TEST(DateTextTest, InvalidTextsGiveNoDate) {
  const char* invalid[] = {
      "",           "29.02.1900",  "29.02.2009",  "32.01.2009",
      "00.01.2009", "12.13.2009",  "12.00.2009",  "31.12.1599",
      "12.03.209",  "12.03.2",     "12.03.20091", "12.03.2009x",
      "12.03",      "12-03-2009",  "ab.cd.efgh",  "1.2.",
      "+1.03.2009", "12.03.2009.", "123.03.2009",
  };
  for (const char* text : invalid) {
    EXPECT_EQ(DateFromText(text, "dd.mm.yyyy"), kNoDate) << text;
  }
}

TEST(DateTextTest, TextRoundTripsThroughEachPicture) {
  for (DayNumber day = 0; day <= kMaxDayNumber; day += 997) {
    EXPECT_EQ(DateFromText(DateToText(day, "dd.mm.yyyy"), "dd.mm.yyyy"), day);
    EXPECT_EQ(DateFromText(DateToText(day, "yyyymmdd"), "yyyymmdd"), day);
  }
  const DayNumber from1940 = DayNumberFromCivil({1940, 1, 1});
  const DayNumber to2039 = DayNumberFromCivil({2039, 12, 31});
  for (DayNumber day = from1940; day <= to2039; day += 7) {
    EXPECT_EQ(DateFromText(DateToText(day, "dd.mm.yy"), "dd.mm.yy"), day);
  }
}

TEST(TimeTextTest, FormatsWithPicture) {
  struct Case {
    TimeOfDay time;
    const char* picture;
    const char* expected;
  } cases[] = {
      {0, "hh:mm:ss", "00:00:00"},         {86399, "hh:mm:ss", "23:59:59"},
      {51300 + 7, "hh:mm:ss", "14:15:07"}, {51300 + 7, "hh:mm", "14:15"},
      {51300, "HH:MM:SS", "14:15:00"},     {9 * 3600 + 5 * 60, "h:mm", "9:05"},
      {kNoTime, "hh:mm:ss", ""},           {86400, "hh:mm:ss", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TimeToText(c.time, c.picture), c.expected) << c.time << " " << c.picture;
  }
}

TEST(TimeTextTest, ReadsWithPicture) {
  struct Case {
    const char* text;
    const char* picture;
    TimeOfDay expected;
  } cases[] = {
      {"14:15:07", "hh:mm:ss", 51307},
      {" 14:15:00 ", "hh:mm:ss", 51300},
      {"9:5:7", "hh:mm:ss", 9 * 3600 + 5 * 60 + 7},
      {"00:00:00", "hh:mm:ss", 0},
      {"23:59:59", "hh:mm:ss", 86399},
      {"14:15", "HH:MM", 51300},
      {"235959", "hhmmss", 86399},
      {"24:00:00", "hh:mm:ss", kNoTime},
      {"12:60:00", "hh:mm:ss", kNoTime},
      {"12:00:60", "hh:mm:ss", kNoTime},
      {"14:15", "hh:mm:ss", kNoTime},  // callers append ":00" first
      {"14:15:00:00", "hh:mm:ss", kNoTime},
      {"14.15.00", "hh:mm:ss", kNoTime},
      {"ab:cd:ef", "hh:mm:ss", kNoTime},
      {"-1:00:00", "hh:mm:ss", kNoTime},
      {"", "hh:mm:ss", kNoTime},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TimeFromText(c.text, c.picture), c.expected) << c.text << " " << c.picture;
  }
  for (TimeOfDay t = 0; t < kSecondsPerDay; t += 61) {
    ASSERT_EQ(TimeFromText(TimeToText(t, "hh:mm:ss"), "hh:mm:ss"), t);
  }
}

class CompleteDateTextTest : public testing::Test {
 protected:
  const DayNumber today2009_ = DayNumberFromCivil({2009, 6, 15});
};

TEST_F(CompleteDateTextTest, EveryTypedForm) {
  struct Case {
    const char* typed;
    const char* expected;
  } cases[] = {
      {"35", "03.05.2009"},     // dm
      {"3.5", "03.05.2009"},    // d.m
      {"125", "12.05.2009"},    // ddm
      {"3.12", "03.12.2009"},   // d.mm
      {"12.5", "12.05.2009"},   // dd.m
      {"1203", "12.03.2009"},   // ddmm
      {"12395", "12.03.1995"},  // ddmyy
      {"12304", "12.03.2004"},
      {"12.03", "12.03.2009"},   // dd.mm
      {"24.12.", "24.12.2009"},  // dd.mm.
      {"3.5.95", "03.05.1995"},  // d.m.yy
      {"3.5.04", "03.05.2004"},
      {"120395", "12.03.1995"},  // ddmmyy
      {"120349", "12.03.2049"},  // century switches at 50
      {"120350", "12.03.1950"},
      {"12.3.95", "12.03.1995"},   // dd.m.yy
      {"3.12.95", "03.12.1995"},   // d.mm.yy
      {"12031995", "12.03.1995"},  // ddmmyyyy
      {"12.03.04", "12.03.2004"},  // dd.mm.yy
      {"12.03.95", "12.03.1995"},
      {"24.12.2009", "24.12.2009"},  // complete: unchanged
      {"1.3.2009", "01.03.2009"},    // the usual German forms with single digits
      {"1.3.", "01.03.2009"},
      {"12.3.", "12.03.2009"},
      {"1.12.", "01.12.2009"},
      {"1.3.09", "01.03.2009"},
      {"01.03.2009", "01.03.2009"},
      {"1.3", "01.03.2009"},
      {"  3.5\t", "03.05.2009"},     // trimmed first
      {"1203.95", "1203.95"},        // seven characters without a dot at 2 or 3
      {"123456789", "123456789"},
      {"1", "1"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompleteDateText(c.typed, today2009_), c.expected) << c.typed;
  }
}

TEST_F(CompleteDateTextTest, YearAndCenturyComeFromToday) {
  const DayNumber today1999 = DayNumberFromCivil({1999, 12, 31});
  EXPECT_EQ(CompleteDateText("3.5", today1999), "03.05.1999");
  EXPECT_EQ(CompleteDateText("120304", today1999), "12.03.1904");
  EXPECT_EQ(CompleteDateText("120395", today1999), "12.03.1995");
}

// What is no date is never turned into another text: it stays as typed and
// the conversion refuses it.
TEST_F(CompleteDateTextTest, WhatIsNoDateStaysAsTyped) {
  for (const char* typed : {"3113", "31.13.", "1...2", "ab.cd", "1.3.209", "29.2.2009", "1.2.3.4", "1234567"}) {
    EXPECT_EQ(CompleteDateText(typed, today2009_), typed) << typed;
    EXPECT_EQ(DateFromText(CompleteDateText(typed, today2009_), "dd.mm.yyyy"), kNoDate) << typed;
  }
  EXPECT_EQ(DateFromText(CompleteDateText("2902", today2009_), "dd.mm.yyyy"), kNoDate);
  EXPECT_EQ(DateFromText(CompleteDateText("3.5", today2009_), "dd.mm.yyyy"), kDay2009May3);
}

TEST(CompleteTimeTextTest, EveryTypedForm) {
  struct Case {
    const char* typed;
    const char* expected;
  } cases[] = {
      {"930", "09:30"},   {"1415", "14:15"},  {"9.30", "09:30"}, {"9:30", "09:30"},
      {"14:15", "14:15"}, {" 930 ", "09:30"}, {"93:", "93:"},    {"14:15:00", "14:15:00"},
      {"5", "5"},         {"", ""},           {"12:3", "12:03"}, {"12.3", "12:03"},
      {"0:0", "00:00"},   {"0000", "00:00"},  {"9:5:7", "09:05:07"},
      // no time of day: as typed, for the caller to refuse
      {"24:00", "24:00"}, {"ab:cd", "ab:cd"}, {"12:60", "12:60"}, {"2400", "2400"}, {"1:2:3:4", "1:2:3:4"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompleteTimeText(c.typed), c.expected) << c.typed;
  }
}

}  // namespace
}  // namespace korv
