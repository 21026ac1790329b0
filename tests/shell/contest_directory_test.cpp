// The contest list's texts, sort orders and key bounds; the totals record of
// a started log; the removal of a whole contest log.
#include "shell/contest_directory.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "common/coding.h"
#include "common/dates.h"
#include "files/files_fixture.h"
#include "storage/errors.h"
#include "storage/key.h"

namespace korv {
namespace {

DayNumber Day(const char* text) {
  const DayNumber day = DateFromText(text);
  EXPECT_NE(day, kNoDate) << text;
  return day;
}

struct RowCase {
  const char* name;
  const char* start;  // nullptr: the day number in startDay
  DayNumber startDay;
  const char* end;
  DayNumber endDay;
  int sortOrder;
  const char* picture;
  std::string expected;
};

TEST(ContestListRowTest, ColumnsFollowTheSortOrder) {
  const std::string noDate(13, ' ');
  const std::string name25 = "Abcdefghijklmnopqrstuvwxy";
  const RowCase cases[] = {
      {"DEZ 2009", "06.12.2009", 0, "06.12.2009", 0, kContestSortByName, "dd.mm.yyyy",
       " DEZ 2009 ;06.12.2009   ;06.12.2009   "},
      {"DEZ 2009", "06.12.2009", 0, "07.12.2009", 0, kContestSortByDate, "dd.mm.yyyy",
       " 06.12.2009   ;DEZ 2009 ;07.12.2009   "},
      // A start date of 0 and an end date below 0 are blanks of the picture's
      // length plus three.
      {"Ohne", nullptr, 0, nullptr, -5, kContestSortByName, "dd.mm.yyyy",
       " Ohne ;" + noDate + ";" + noDate},
      {"Ohne", nullptr, 0, "01.01.2010", 0, kContestSortByDate, "dd.mm.yyyy",
       " " + noDate + ";Ohne ;01.01.2010   "},
      // The full name of 25 characters and its blank make 26.
      {name25.c_str(), "01.02.2003", 0, nullptr, 0, kContestSortByName, "dd.mm.yy",
       " " + name25 + " ;01.02.03   ;" + std::string(11, ' ')},
      {"K\xF6ln", "01.02.2003", 0, "02.02.2003", 0, kContestSortByName, "yyyy-mm-dd",
       " K\xF6ln ;2003-02-01   ;2003-02-02   "},
      // A ";" in the name would start the next column.
      {"Sommer;Winter", "01.02.2003", 0, "02.02.2003", 0, kContestSortByName, "dd.mm.yyyy",
       " Sommer,Winter ;01.02.2003   ;02.02.2003   "},
      // A date column is cut to 20 characters, blanks too.
      {"Lang", "01.02.2003", 0, nullptr, 0, kContestSortByDate, "dd.mm.yyyy / dd.mm.yy",
       " 01.02.2003 / 01.02.0;Lang ;" + std::string(20, ' ')},
  };
  for (const RowCase& c : cases) {
    std::array<std::uint8_t, kContestHeaderSize> buffer{};
    ContestHeader header(buffer);
    header.SetName(c.name);
    header.SetStartDate(c.start != nullptr ? Day(c.start) : c.startDay);
    header.SetEndDate(c.end != nullptr ? Day(c.end) : c.endDay);
    EXPECT_EQ(ContestListRow(header, c.sortOrder, c.picture), c.expected)
        << c.name << " order " << c.sortOrder << " picture " << c.picture;
  }
}

struct HeaderCase {
  int sortOrder;
  const char* picture;
  bool german;
  std::string columns;  // the line before the trailing blanks
};

TEST(ContestListHeaderLineTest, TitlesInTheSortOrderThenBlanksUpTo255) {
  const std::string name = " Name" + std::string(21, ' ');
  const HeaderCase cases[] = {
      {kContestSortByName, "dd.mm.yyyy", true,
       " " + name + ";Datum (von)  ;Datum (bis)  "},
      {kContestSortByName, "dd.mm.yyyy", false,
       " " + name + ";Date (from)  ; Date (to)   "},
      {kContestSortByDate, "dd.mm.yyyy", true,
       " Datum (von)  ;" + name + ";Datum (bis)  "},
      {kContestSortByDate, "dd.mm.yyyy", false,
       " Date (from)  ;" + name + "; Date (to)   "},
      // A title longer than the picture's length plus three is kept whole.
      {kContestSortByName, "d.m.yy", true, " " + name + ";Datum (von);Datum (bis)"},
      {kContestSortByDate, "dd.mm.yyyy hh:mm", false,
       " Date (from)        ;" + name + "; Date (to)         "},
  };
  for (const HeaderCase& c : cases) {
    const std::string line = ContestListHeaderLine(c.sortOrder, c.picture, c.german);
    const std::size_t expectedSize = std::min<std::size_t>(c.columns.size() + 200, 255);
    SCOPED_TRACE(std::string(c.picture) + " order " + std::to_string(c.sortOrder));
    ASSERT_EQ(line.size(), expectedSize);
    EXPECT_EQ(line.substr(0, c.columns.size()), c.columns);
    EXPECT_EQ(line.find_first_not_of(' ', c.columns.size()), std::string::npos);
  }
}

TEST(ContestListSortTest, CaptionsIndexesAndBounds) {
  struct Case {
    int sortOrder;
    bool german;
    const char* caption;
    int index;
  };
  const Case cases[] = {
      {kContestSortByName, true, "Name", 1},
      {kContestSortByName, false, "Name", 1},
      {kContestSortByDate, true, "Datum", 2},
      {kContestSortByDate, false, "Date", 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SortCaption(c.sortOrder, c.german), c.caption) << c.sortOrder << c.german;
    EXPECT_EQ(SortOrderIndex(c.sortOrder), c.index) << c.sortOrder;
  }
  for (const ContestCode code : {'3', 'Q', '\0'}) {
    const ContestListKeyBounds bounds = ContestListBounds(code);
    EXPECT_EQ(bounds.lower, std::string(1, code));
    EXPECT_EQ(bounds.upper, std::string(1, code));
  }
  EXPECT_TRUE(IsCodeWithoutWindows('M'));
  EXPECT_TRUE(IsCodeWithoutWindows('\0'));
  EXPECT_FALSE(IsCodeWithoutWindows('3'));
}

class ContestDirectoryTest : public testing::FilesTest {
 protected:
  void SetUp() override {
    testing::FilesTest::SetUp();
    directory = catalogue->OpenContestDirectory();
    totals = catalogue->OpenTotals();
    ASSERT_NE(directory, nullptr);
    ASSERT_NE(totals, nullptr);
  }
  void TearDown() override {
    EXPECT_TRUE(fatal.codes.empty());
    catalogue->ReleaseTotals();
    catalogue->ReleaseContestDirectory();
    testing::FilesTest::TearDown();
  }

  ContestHeader Header() { return *ContestHeader::Over(directory->Record()); }

  // Inserts a new header; returns the number it received.
  std::int32_t NewLog(ContestCode code, const char* name) {
    directory->ClearRecordBuffer();
    ContestHeader header = Header();
    header.MarkCreated();
    header.SetContestCode(code);
    header.SetName(name);
    EXPECT_TRUE(directory->InsertRecord().ok()) << name;
    return header.contestNumber();
  }
  // Makes the header with `number` current; false when there is none.
  bool SelectLog(std::int32_t number) {
    KeyString key;
    key.AppendLong(number);
    return directory->FindExact(3, key).ok();
  }
  bool HasTotals(std::int32_t number) {
    KeyString key;
    key.AppendLong(number);
    return totals->FindExact(1, key).ok();
  }
  // Writes one QSO record into the log's QSO file.
  void AddQso(std::int32_t number) {
    FileBlock* qso = catalogue->OpenQsoFile(number);
    ASSERT_NE(qso, nullptr);
    qso->ClearRecordBuffer();
    EXPECT_TRUE(qso->InsertRecord().ok());
    EXPECT_EQ(qso->RecordCount(), 1);
    catalogue->ReleaseQsoFile(number);
  }
  bool QsoFilesExist(std::int32_t number) const {
    const std::string stem = QsoFileName(number);
    const bool dat = std::filesystem::exists(dir / (stem + ".DAT"));
    const bool ix = std::filesystem::exists(dir / (stem + ".IX"));
    EXPECT_EQ(dat, ix) << stem;
    return dat || ix;
  }

  FileBlock* directory = nullptr;
  FileBlock* totals = nullptr;
};

TEST_F(ContestDirectoryTest, EnsureTotalsRecordInsertsOnceAndKeepsAnExistingRecord) {
  ASSERT_TRUE(EnsureTotalsRecord(*totals, 7).ok());
  EXPECT_EQ(totals->RecordCount(), 1);
  EXPECT_EQ(GetI32(totals->Record(), kTotalsNumberOffset), 7);
  // Give the record some contents; a second call must find, not replace it.
  PutI32(totals->Record(), 100, 4711);
  ASSERT_TRUE(totals->UpdateRecord().ok());
  totals->ClearRecordBuffer();
  ASSERT_TRUE(EnsureTotalsRecord(*totals, 7).ok());
  EXPECT_EQ(totals->RecordCount(), 1);
  EXPECT_EQ(GetI32(totals->Record(), kTotalsNumberOffset), 7);
  EXPECT_EQ(GetI32(totals->Record(), 100), 4711);
  // Another number gets its own, cleared record.
  ASSERT_TRUE(EnsureTotalsRecord(*totals, 8).ok());
  EXPECT_EQ(totals->RecordCount(), 2);
  EXPECT_EQ(GetI32(totals->Record(), kTotalsNumberOffset), 8);
  EXPECT_EQ(GetI32(totals->Record(), 100), 0);
  EXPECT_TRUE(HasTotals(7));
  EXPECT_TRUE(HasTotals(8));
}

TEST_F(ContestDirectoryTest, DeleteRemovesHeaderTotalsAndQsoFilesOnly) {
  const std::int32_t first = NewLog('3', "DEZ 2008");
  const std::int32_t other = NewLog('Q', "Anderer");
  const std::int32_t last = NewLog('3', "DEZ 2009");
  ASSERT_EQ(first, 1);
  ASSERT_EQ(other, 2);
  ASSERT_EQ(last, 3);
  for (const std::int32_t n : {first, other, last}) {
    ASSERT_TRUE(EnsureTotalsRecord(*totals, n).ok());
    AddQso(n);
  }
  ASSERT_TRUE(QsoFilesExist(last));

  ASSERT_TRUE(SelectLog(last));
  EXPECT_TRUE(DeleteContestLog(*catalogue, *directory, *totals));

  EXPECT_EQ(directory->RecordCount(), 2);
  EXPECT_FALSE(SelectLog(last));
  EXPECT_EQ(totals->RecordCount(), 2);
  EXPECT_FALSE(HasTotals(last));
  EXPECT_FALSE(QsoFilesExist(last));
  // The other logs, of this code and of another, keep everything.
  for (const std::int32_t n : {first, other}) {
    ASSERT_TRUE(SelectLog(n));
    EXPECT_EQ(Header().contestNumber(), n);
    EXPECT_TRUE(HasTotals(n));
    EXPECT_TRUE(QsoFilesExist(n));
  }
  ASSERT_TRUE(SelectLog(other));
  EXPECT_EQ(Header().contestCode(), 'Q');
  EXPECT_EQ(Header().name(), "Anderer");

  // The highest number is free again; the new log starts with an empty,
  // newly created QSO file.
  EXPECT_EQ(NewLog('3', "DEZ 2010"), last);
  FileBlock* qso = catalogue->OpenQsoFile(last);
  ASSERT_NE(qso, nullptr);
  EXPECT_EQ(qso->RecordCount(), 0);
  catalogue->ReleaseQsoFile(last);
}

TEST_F(ContestDirectoryTest, DeleteWithoutTotalsRecordStillRemovesTheHeader) {
  const std::int32_t first = NewLog('3', "Eins");
  const std::int32_t second = NewLog('3', "Zwei");
  ASSERT_TRUE(EnsureTotalsRecord(*totals, second).ok());
  ASSERT_TRUE(SelectLog(first));
  EXPECT_TRUE(DeleteContestLog(*catalogue, *directory, *totals));
  EXPECT_FALSE(SelectLog(first));
  EXPECT_TRUE(SelectLog(second));
  EXPECT_EQ(totals->RecordCount(), 1);
  EXPECT_TRUE(HasTotals(second));
}

}  // namespace
}  // namespace korv
