#include <gtest/gtest.h>

#include "logging/log_fixture.h"
#include "output/adif_import.h"
#include "output/adif_reader.h"

namespace korv::testing {
namespace {

class AdifImportTest : public LogTest {};

constexpr const char* kFile =
    "Exported by another logger\n"
    "<ADIF_VER:5>3.1.4 <EOH>\n"
    "<CALL:6>DL1ABC <QSO_DATE:8>20261114 <TIME_ON:6>080100 <BAND:3>80m <MODE:2>CW\n"
    "  <RST_SENT:3>599 <RST_RCVD:3>579 <DOK:3>N01 <NAME:4>hans <EOR>\n"
    "# a comment line\n"
    "<CALL:6>DL2XYZ <QSO_DATE:8>20261114 <TIME_ON:4>0802 <BAND:3>40M <MODE:3>SSB <DOK:3>N02 <EOR>\n"
    "<CALL:6>DL1ABC <QSO_DATE:8>20261114 <TIME_ON:4>0803 <BAND:3>80M <MODE:2>CW <DOK:3>N01 <EOR>\n"
    "<CALL:6>OE1XYZ <QSO_DATE:8>20261114 <TIME_ON:4>0804 <BAND:3>20M <MODE:2>CW <EOR>\n"
    "<CALL:6>F5ABC <QSO_DATE:8>20261114 <TIME_ON:4>0805 <FREQ:5>3.550 <MODE:4>RTTY <EOR>\n"
    "<CALL:6>DL3CCC <QSO_DATE:8>20261114 <TIME_ON:4>0806 <FREQ:5>7.020 <MODE:2>CW <DOK:3>N03 <EOR>\n";

TEST_F(AdifImportTest, RecordsGoThroughTheEntryChecks) {
  CreateLog();
  EntrySession& s = OpenSession();
  const std::vector<std::string> rightList = AdifLogFieldNames(s);
  EXPECT_EQ(rightList, (std::vector<std::string>{"CALL", "QSO_DATE", "TIME_ON", "RST_SENT", "RST_RCVD", "BAND",
                                                 "FREQ", "MODE", "DOK"}));
  const AdifContents contents = ReadAdifText(kFile);
  ASSERT_EQ(contents.records.size(), 6u);
  const AdifImportCounts counts = ImportAdifRecords(s, contents.records, AdifSameNameMapping(rightList), false);
  EXPECT_EQ(counts.imported, 3);
  EXPECT_EQ(counts.duplicates, 1);  // DL1ABC again on 80 m
  EXPECT_EQ(counts.bandErrors, 1);  // 20 m is no band of the contest
  EXPECT_EQ(counts.modeErrors, 1);  // RTTY
  EXPECT_TRUE(platform.TextsOf(ScriptedPlatform::Kind::kInform).empty());  // no box per record

  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 3u);
  QsoRecord first = View(qsos[0]);
  EXPECT_EQ(first.call(), "DL1ABC");
  EXPECT_EQ(first.band(), 'b');
  EXPECT_EQ(first.qsoDate(), DayNumberFromCivil({2026, 11, 14}));
  EXPECT_EQ(first.qsoTime(), 8 * 3600 + 60);  // seconds dropped
  EXPECT_EQ(first.rcvdExch(), "579N01");
  EXPECT_EQ(first.dok(), "N01");
  EXPECT_EQ(first.nameQth(), "HANS;");  // values arrive upper-cased
  EXPECT_EQ(first.prefix(), "DL");
  EXPECT_EQ(first.multi1(), "N01");
  QsoRecord second = View(qsos[1]);
  EXPECT_EQ(second.band(), 'c');
  EXPECT_EQ(second.mode(), "SSB");
  EXPECT_FLOAT_EQ(second.frequency(), 7.0f);  // from the band
  EXPECT_EQ(second.multi1(), "N02");
  QsoRecord third = View(qsos[2]);
  EXPECT_EQ(third.band(), 'c');  // from the frequency
  EXPECT_FLOAT_EQ(third.frequency(), 7.02f);
  EXPECT_EQ(AdifImportMessage(counts.imported, counts.duplicates, counts.bandErrors, counts.modeErrors),
            "3 Datens\xE4tze importiert\r\n1 Calls doppelt\r\n1 fehlende oder falsche Bandangaben\r\n"
            "1 fehlende oder falsche Modeangaben");
  // The totals follow the imported QSOs; the window's band is unchanged.
  EXPECT_EQ(s.band(), 'b');
  EXPECT_EQ(s.Score().qsos, 3);
  EXPECT_EQ(s.Score().multipliers, 3);
  EXPECT_EQ(s.Score().score, 9);
}

TEST_F(AdifImportTest, NoCheckTakesEveryModeAndAnUnmappedFieldKeepsTheEntryText) {
  CreateLog();
  EntrySession& s = OpenSession();
  std::vector<std::string> rightList = AdifSameNameMapping(AdifLogFieldNames(s));
  rightList[4] = "RST_RCVD";     // not mapped: the entry's report stays
  rightList.back() = "DOK (XDOK)";  // mapped to a field the record lacks
  const AdifContents contents = ReadAdifText(
      "<CALL:6>DL4DDD <QSO_DATE:8>20261114 <TIME_ON:4>0810 <BAND:3>80M <MODE:4>RTTY <RST_RCVD:3>339 <DOK:3>N04 "
      "<EOR>\n");
  const AdifImportCounts counts = ImportAdifRecords(s, contents.records, rightList, true);
  EXPECT_EQ(counts.imported, 1);
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 1u);
  EXPECT_EQ(View(qsos[0]).mode(), "RTTY");
  EXPECT_EQ(View(qsos[0]).dok(), "");  // XDOK is not in the record
  EXPECT_EQ(View(qsos[0]).rcvdExch(), "599");
}

}  // namespace
}  // namespace korv::testing

namespace korv::testing {
namespace {

// Files shaped as other loggers write them: a header text, lower-case tags
// and "<eoh>", several records on one line, one record over several lines,
// frequencies with a decimal point.
TEST_F(AdifImportTest, FilesOfOtherLoggers) {
  CreateLog();
  EntrySession& s = OpenSession();
  const std::vector<std::string> mapping = AdifSameNameMapping(AdifLogFieldNames(s));
  const struct {
    const char* file;
    AdifImportCounts expected;
  } cases[] = {
      {// one record per line, lower-case tags, the DOK in its standard field
       "WSJT-X ADIF Export<eoh>\n"
       "<call:6>DL1AAA <gridsquare:4>JO31 <mode:2>CW <rst_sent:3>599 <rst_rcvd:3>599 <qso_date:8>20261114 "
       "<time_on:6>080000 <band:3>80m <freq:8>3.550000 <dok:3>N01 <eor>\n"
       "<call:6>DL1AAA <mode:2>CW <qso_date:8>20261114 <time_on:6>080100 <band:3>80m <freq:5>3.551 <eor>\n"
       "<call:5>K1ABC <mode:3>FT8 <qso_date:8>20261114 <time_on:6>080200 <band:3>80m <eor>\n",
       {1, 1, 0, 1}},
      {// several records on one line, one over several lines
       "Log exported <ADIF_VER:5>3.1.0 <PROGRAMID:6>fldigi <EOH>\n"
       "<CALL:6>DL2BBB <QSO_DATE:8>20261114 <TIME_ON:4>0805 <BAND:3>40M <MODE:3>SSB <DOK:3>N02 <EOR>"
       "<CALL:6>DL3CCC <QSO_DATE:8>20261114 <TIME_ON:4>0806 <BAND:3>40M <MODE:3>SSB <DOK:3>N03 <EOR>\n"
       "<CALL:6>DL4DDD\n<QSO_DATE:8>20261114\n<TIME_ON:4>0807\n<FREQ:5>7.055\n<MODE:3>SSB\n<EOR>\n"
       "<CALL:6>DL5EEE <QSO_DATE:8>20261114 <TIME_ON:4>0808 <FREQ:6>14.200 <MODE:3>SSB <EOR>\n",
       {3, 0, 1, 0}},
  };
  int total = 0;
  for (const auto& c : cases) {
    const AdifImportCounts got = ImportAdifRecords(s, ReadAdifText(c.file).records, mapping, false);
    EXPECT_EQ(got.imported, c.expected.imported) << c.file;
    EXPECT_EQ(got.duplicates, c.expected.duplicates) << c.file;
    EXPECT_EQ(got.bandErrors, c.expected.bandErrors) << c.file;
    EXPECT_EQ(got.modeErrors, c.expected.modeErrors) << c.file;
    total += got.imported;
  }
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), static_cast<std::size_t>(total));
  EXPECT_FLOAT_EQ(View(qsos[0]).frequency(), 3.55f);
  EXPECT_EQ(View(qsos[0]).dok(), "N01");
  EXPECT_EQ(View(qsos[3]).call(), "DL4DDD");
  EXPECT_EQ(View(qsos[3]).band(), 'c');  // from "7.055"
  // The import flushed the file and left flush-after-write on.
  EXPECT_TRUE(s.qsoFile()->FlushAfterWrite());
  std::string problem;
  EXPECT_TRUE(s.qsoFile()->CheckStructure(problem)) << problem;
}

// The band of an imported QSO: a frequency on a contest band decides; one
// on no contest band gives way to BAND; neither on a contest band is a band
// error. The session's own band never stands in for the file's.
TEST_F(AdifImportTest, TheRecordsBandNotTheWindowsDecides) {
  CreateLog();
  EntrySession& s = OpenSession();
  ASSERT_EQ(s.band(), 'b');
  const std::vector<std::string> mapping = AdifSameNameMapping(AdifLogFieldNames(s));
  const AdifImportCounts counts = ImportAdifRecords(
      s,
      ReadAdifText("<CALL:6>DL1AAA <QSO_DATE:8>20261114 <TIME_ON:4>0800 <FREQ:5>7.150 <BAND:3>40M <MODE:2>CW <EOR>\n"
                   "<CALL:6>DL2BBB <QSO_DATE:8>20261114 <TIME_ON:4>0801 <FREQ:5>7.030 <BAND:3>80M <MODE:2>CW <EOR>\n"
                   "<CALL:6>DL3CCC <QSO_DATE:8>20261114 <TIME_ON:4>0802 <FREQ:6>14.200 <BAND:3>20M <MODE:2>CW <EOR>\n"
                   "<CALL:6>DL4DDD <QSO_DATE:8>20261114 <TIME_ON:4>0803 <FREQ:6>14.200 <MODE:2>CW <EOR>\n"
                   "<CALL:6>DL5EEE <QSO_DATE:8>20261114 <TIME_ON:4>0804 <BAND:1>6 <MODE:2>CW <EOR>\n")
          .records,
      mapping, false);
  EXPECT_EQ(counts.imported, 2);
  EXPECT_EQ(counts.bandErrors, 3);  // 20 m twice, and "6" is 6 m
  auto qsos = Qsos();
  ASSERT_EQ(qsos.size(), 2u);
  EXPECT_EQ(View(qsos[0]).call(), "DL1AAA");
  EXPECT_EQ(View(qsos[0]).band(), 'c');               // from BAND: 7.150 lies in no band here
  EXPECT_FLOAT_EQ(View(qsos[0]).frequency(), 7.0f);  // the band's frequency stands for it
  EXPECT_EQ(View(qsos[1]).band(), 'c');               // the frequency wins over BAND
  EXPECT_FLOAT_EQ(View(qsos[1]).frequency(), 7.03f);
  // Without the check, a band outside the contest is taken from the record.
  const AdifImportCounts unchecked = ImportAdifRecords(
      s, ReadAdifText("<CALL:6>DL6FFF <QSO_DATE:8>20261114 <TIME_ON:4>0805 <BAND:1>6 <MODE:2>CW <EOR>\n").records,
      mapping, true);
  EXPECT_EQ(unchecked.imported, 1);
  qsos = Qsos();
  ASSERT_EQ(qsos.size(), 3u);
  EXPECT_EQ(View(qsos[2]).band(), 'j');
}

// The field the import window maps by itself: the same name first, else
// where other loggers write the value; never a field that is not there.
TEST(AdifAutomaticMapping, SameNameFirstThenTheUsualPlaces) {
  struct Case {
    const char* logField;
    std::vector<std::string> fileFields;
    const char* mapped;
  };
  const Case cases[] = {
      {"CALL", {"QSO_DATE", "CALL"}, "CALL"},
      {"DOK", {"DOK", "DARC_DOK", "SRX_STRING"}, "DOK"},
      {"DOK", {"SRX_STRING", "DARC_DOK"}, "DARC_DOK"},
      {"DOK", {"SRX_STRING"}, "SRX_STRING"},
      {"LOC", {"GRIDSQUARE"}, "GRIDSQUARE"},
      {"lfd.Nr.", {"SRX", "SRX_STRING"}, "SRX"},
      {"FREQ", {"FREQ_RX"}, ""},
      {"RST_RCVD", {"SRX"}, ""},
      {"DOK", {}, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AdifAutomaticFileField(c.logField, c.fileFields), c.mapped) << c.logField;
  }
}

}  // namespace
}  // namespace korv::testing
