// Reading ADIF files for the import.
#include <gtest/gtest.h>

#include "files/contest_header.h"
#include "output/adif_reader.h"

namespace korv {
namespace {

TEST(AdifReaderTest, HeaderCommentsAndRecordsOverSeveralLines) {
  const std::string file =
      "Exported by some logbook\r\n"
      "<ADIF_VER:5>3.1.0 <PROGRAMID:4>Test\r\n"
      "<EOH>\r\n"
      "# a comment line\r\n"
      "<CALL:6>dl2xyz <QSO_DATE:8>20090615\r\n"
      "\r\n"
      "   <TIME_ON:4>1205 <NAME:4>Hans <EOR>\r\n"
      "<CALL:5>K1ABC <BAND:3>40m <EOR>\r\n";
  const AdifContents c = ReadAdifText(file);
  ASSERT_EQ(c.records.size(), 2u);
  EXPECT_EQ(c.records[0], "<CALL:6>DL2XYZ <QSO_DATE:8>20090615   <TIME_ON:4>1205 <NAME:4>HANS <EOR>");
  EXPECT_EQ(c.records[1], "<CALL:5>K1ABC <BAND:3>40M <EOR>");
  EXPECT_EQ(c.fieldNames, (std::vector<std::string>{"CALL", "QSO_DATE", "TIME_ON", "NAME", "BAND"}));
}

TEST(AdifReaderTest, OneRecordPerLineReadsTheSameAsSpreadRecords) {
  const AdifContents spread = ReadAdifText("<CALL:4>K1AB\n<BAND:3>80M\n<EOR>\n");
  const AdifContents flat = ReadAdifText("<CALL:4>K1AB<BAND:3>80M<EOR>\n");
  ASSERT_EQ(spread.records.size(), 1u);
  ASSERT_EQ(flat.records.size(), 1u);
  EXPECT_EQ(AdifFieldValue(spread.records[0], "BAND"), AdifFieldValue(flat.records[0], "BAND"));
  EXPECT_EQ(spread.fieldNames, flat.fieldNames);
}

TEST(AdifReaderTest, NothingIsLostOnLinesShared) {
  // Header end, records and line ends of all kinds on few lines.
  const AdifContents c =
      ReadAdifText("header <EOH><CALL:4>K1AB<EOR><CALL:4>K2CD<EOR>\r<CALL:4>K3EF<EOR><CALL:2>K4");
  ASSERT_EQ(c.records.size(), 3u);
  EXPECT_EQ(AdifFieldValue(c.records[0], "CALL"), "K1AB");
  EXPECT_EQ(AdifFieldValue(c.records[1], "CALL"), "K2CD");
  EXPECT_EQ(AdifFieldValue(c.records[2], "CALL"), "K3EF");  // the unclosed rest is no record
}

TEST(AdifReaderTest, EndOfHeaderDropsWhatCameBefore) {
  const AdifContents c = ReadAdifText("<CALL:4>K1AB <EOR>\n<EOH>\n<CALL:4>K2CD <EOR>\n");
  ASSERT_EQ(c.records.size(), 1u);
  EXPECT_EQ(AdifFieldValue(c.records[0], "CALL"), "K2CD");
}

TEST(AdifReaderTest, EmptyFileAndHeaderOnly) {
  EXPECT_TRUE(ReadAdifText("").records.empty());
  const AdifContents c = ReadAdifText("just a header\n<EOH>\n");
  EXPECT_TRUE(c.records.empty());
  EXPECT_TRUE(c.fieldNames.empty());
}

TEST(AdifReaderTest, FieldValues) {
  const std::string record =
      "<CALL_WKD:5>DK3AB <CALL:6> DL2XYZ <RST_SENT:3>59 <FREQ:5>7.035<EOR>";
  struct Case {
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"CALL", "DL2XYZ"},   // not the value of CALL_WKD
      {"CALL_WKD", "DK3AB"},
      {"RST_SENT", "59"},   // the length in the tag is not used
      {"FREQ", "7.035"},    // up to the "<" of the next tag
      {"BAND", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(AdifFieldValue(record, c.name), c.value) << c.name;
  EXPECT_EQ(AdifFieldValue("<NAME:4>HANS", "NAME"), "HANS");  // to the end
  EXPECT_EQ(AdifFieldValue("<CALL:4", "CALL"), "");           // tag never closed
}

TEST(AdifReaderTest, TagWithAnOpeningBracketInsideIsSkipped) {
  EXPECT_EQ(AdifFieldNames({"<A<CALL:4>K1AB <TIME_ON>1205 <EOR>"}),
            (std::vector<std::string>{"CALL", "TIME_ON"}));
}

TEST(AdifReaderTest, MappedNames) {
  const std::vector<std::string> list = {"CALL (CALL)", "QSO_DATE", "TIME_ON (T_ON)", "DOK",
                                         "DOK2 (STATE)", "TIME_ON (TIME_OFF)"};
  struct Case {
    const char* logField;
    const char* fileField;
  };
  const Case cases[] = {
      {"CALL", "CALL"},
      {"QSO_DATE", ""},       // not mapped: not read
      {"TIME_ON", "TIME_OFF"},  // the last entry decides
      {"DOK", ""},            // "DOK2 (STATE)" belongs to DOK2
      {"DOK2", "STATE"},
      {"NAME", "NAME"},       // not in the list: its own name
  };
  for (const Case& c : cases) EXPECT_EQ(AdifMappedName(list, c.logField), c.fileField) << c.logField;
}

TEST(AdifReaderTest, EntryTexts) {
  struct Case {
    const char* name;
    const char* value;
    const char* text;
  };
  const Case cases[] = {
      {"QSO_DATE", "20090615", "15.06.2009"}, {"QSO_DATE", "090615", "15.06.09"},
      {"QSO_DATE", "2009061", "2009061"},     {"TIME_ON", "120530", "12:05"},
      {"TIME_ON", "1205", "12:05"},           {"TIME_ON", "120", "120"},
      {"CALL", "20090615", "20090615"},
  };
  for (const Case& c : cases) EXPECT_EQ(AdifEntryText(c.name, c.value), c.text) << c.value;
}

class AdifChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bool uiGerman = true;
    rules = FillContestPresets('3', header, uiGerman);
  }
  std::array<std::uint8_t, kContestHeaderSize> headerBytes{};
  ContestHeader header{headerBytes};
  ContestRules rules;
};

TEST_F(AdifChecksTest, ModeCheck) {
  EXPECT_TRUE(AdifModeAccepted(rules, "SSB", false));
  EXPECT_TRUE(AdifModeAccepted(rules, "CW", false));
  EXPECT_FALSE(AdifModeAccepted(rules, "PSK31", false));
  EXPECT_FALSE(AdifModeAccepted(rules, "", false));
  EXPECT_TRUE(AdifModeAccepted(rules, "PSK31", true));
  rules.modes[3] = "DIGITAL";
  EXPECT_TRUE(AdifModeAccepted(rules, "PSK31", false));
  EXPECT_FALSE(AdifModeAccepted(rules, "FM", false));
  rules.modes[4] = "FM";
  EXPECT_TRUE(AdifModeAccepted(rules, "FM", false));
}

TEST_F(AdifChecksTest, BandCheck) {
  struct Case {
    const char* freq;
    const char* band;
    bool accepted;
  };
  const Case cases[] = {
      {"", "40M", true},       {"", "80 m", true},     {"3.650", "", true},
      {"3,650", "20M", true},  {"14.2", "", false},    {"", "20M", false},
      {"", "", false},         {"28.5", "", true},     {"X", "10m", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AdifBandAccepted(rules, c.freq, c.band, false), c.accepted) << c.freq << "/" << c.band;
    EXPECT_TRUE(AdifBandAccepted(rules, c.freq, c.band, true));
  }
}

TEST(AdifImportMessageTest, CountsAboveZeroOnly) {
  EXPECT_EQ(AdifImportMessage(12, 0, 0, 0), "12 Datens\xE4tze importiert");
  EXPECT_EQ(AdifImportMessage(0, 2, 3, 4),
            "0 Datens\xE4tze importiert\r\n2 Calls doppelt\r\n3 fehlende oder falsche "
            "Bandangaben\r\n4 fehlende oder falsche Modeangaben");
}

}  // namespace
}  // namespace korv
