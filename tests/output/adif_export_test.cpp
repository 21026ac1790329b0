// The ADIF export.
#include <gtest/gtest.h>

#include "output/adif_export.h"
#include "output_fixture.h"

namespace korv::testing {
namespace {

using AdifExportTest = OutputTest;

TEST_F(AdifExportTest, ExportWithReportsOnlyMatchesGolden) {
  FillSampleLog();
  const OutputResult result = AdifExport(Context(), *qsoFile, true);
  ASSERT_TRUE(result.ok());
  ExpectGolden("sample.ADI", result.bytes);
}

TEST_F(AdifExportTest, WholeExchangeTextsWhenNotReportsOnly) {
  FillSampleLog();
  const OutputResult result = AdifExport(Context(), *qsoFile, false);
  ASSERT_TRUE(result.ok());
  const auto lines = SplitLines(result.bytes);
  ASSERT_EQ(lines.size(), 9u);  // maker, two header lines, <EOH>, five QSOs
  EXPECT_EQ(lines[4],
            "     <QSO_DATE:8>20090615 <TIME_ON:4>1205 <CALL:6>DL2XYZ <RST_SENT:6>59 N05 "
            "<RST_RCVD:6>59 N01 <BAND:3>80m <MODE:3>SSB <PTS:1>1 <DOK:3>N01 <DARC_DOK:3>N01 <GRIDSQUARE:0> "
            "<DXCC:3>230 <DXCC_PFX:2>DL <FREQ:6>3.6500 <NAME:4>Hans <QTH:6>Berlin "
            "<QSL_SENT:1>Y <QSL_RCVD:1>N <EOR>");
}

TEST_F(AdifExportTest, FieldRules) {
  std::array<std::uint8_t, kQsoRecordSize> bytes{};
  QsoRecord qso(bytes);
  qso.SetCall("DL2XYZ");
  qso.SetQsoDate(kNoDate);
  qso.SetQsoTime(kNoTime);
  qso.SetBand('l');
  qso.SetMode("PR");
  qso.SetSentExchange(Ex("59", ""));
  qso.SetReceivedExchange(Ex("599", "N01"));
  qso.SetPoints(10);
  qso.SetQslSend('j');
  EXPECT_EQ(AdifRecordLine(Context(), qso, true),
            "<CALL:6>DL2XYZ <RST_SENT:2>59 <RST_RCVD:3>599 <SRX_STRING:3>N01 <BAND:4>70cm "
            "<MODE:3>PKT <PTS:2>10 <DOK:0> <GRIDSQUARE:0> <QSL_SENT:1>Y <EOR>");
  rules.multiplierKinds.set(8);
  EXPECT_NE(AdifRecordLine(Context(), qso, true).find("<AREA:0>"), std::string::npos);
  rules.multiplierKinds.reset(8);
  rules.multiplierKinds.set(17);
  EXPECT_NE(AdifRecordLine(Context(), qso, true).find("<LDK:0>"), std::string::npos);
}

TEST_F(AdifExportTest, HeaderNamesVersionProgramAndMoment) {
  FillSampleLog();
  const auto lines = SplitLines(AdifExport(Context(), *qsoFile, false).bytes);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0].rfind("ADIF-Export generated with Belvent Korv DEZ Version 2006-1.0 ", 0), 0u);
  EXPECT_EQ(lines[1], "<ADIF_VER:5>3.1.4 <PROGRAMID:7>KorvDEZ <PROGRAMVERSION:8>2006-1.0 ");
  EXPECT_EQ(lines[2], "<CREATED_TIMESTAMP:15>20090620 083015 ");
  EXPECT_EQ(lines[3], "<EOH>");
  OutputContext unknownMoment = Context();
  unknownMoment.createdUtc = {};
  const auto without = SplitLines(AdifExport(unknownMoment, *qsoFile, true).bytes);
  ASSERT_GE(without.size(), 3u);
  EXPECT_EQ(without[2], "<EOH>");
}

// With reports only, the report stands alone and trimmed in RST_*; a number
// after it goes to the integer fields STX/SRX, any other text to the string
// fields, so that no logger reads a DOK as a report or as a serial.
TEST_F(AdifExportTest, ReportsOnlySplitsTheExchange) {
  struct Case {
    const char* sent;
    const char* rcvd;
    const char* fields;
  };
  const Case cases[] = {
      {"599001", "579123", "<RST_SENT:3>599 <RST_RCVD:3>579 <STX:3>001 <SRX:3>123 "},
      {"59 N11", "57 B36", "<RST_SENT:2>59 <RST_RCVD:2>57 <STX_STRING:3>N11 <SRX_STRING:3>B36 "},
      {"599 12", "59 ", "<RST_SENT:3>599 <RST_RCVD:2>59 <STX:2>12 "},
      {"59912A", "599N11 ", "<RST_SENT:3>599 <RST_RCVD:3>599 <STX_STRING:3>12A <SRX_STRING:3>N11 "},
      {"", "", "<RST_SENT:0> <RST_RCVD:0> "},
  };
  std::array<std::uint8_t, kQsoRecordSize> bytes{};
  QsoRecord qso(bytes);
  qso.SetCall("DL2XYZ");
  qso.SetBand('b');
  for (const Case& c : cases) {
    qso.SetSentExch(c.sent);
    qso.SetRcvdExch(c.rcvd);
    const std::string line = AdifRecordLine(Context(), qso, true);
    const std::size_t start = line.find("<RST_SENT");
    const std::size_t end = line.find("<BAND");
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(line.substr(start, end - start), c.fields) << c.sent << " / " << c.rcvd;
    const std::string whole = AdifRecordLine(Context(), qso, false);
    EXPECT_EQ(whole.find("STX"), std::string::npos) << "no serial fields without reports only";
  }
}

TEST_F(AdifExportTest, NameAndQthFromTheNameQthText) {
  struct Case {
    const char* text;
    const char* fields;
  };
  const Case cases[] = {
      {"Hans;Berlin", "<NAME:4>Hans <QTH:6>Berlin "},
      {"Berlin", "<QTH:6>Berlin "},
      {";Berlin", "<QTH:6>Berlin "},
      {"Hans;", "<NAME:4>Hans "},
      {"", ""},
  };
  std::array<std::uint8_t, kQsoRecordSize> bytes{};
  QsoRecord qso(bytes);
  qso.SetBand('b');
  for (const Case& c : cases) {
    qso.SetNameQth(c.text);
    const std::string line = AdifRecordLine(Context(), qso, true);
    const std::size_t gridEnd = line.find("<GRIDSQUARE:0> ") + 15;
    EXPECT_EQ(line.substr(gridEnd), std::string(c.fields) + "<EOR>") << c.text;
  }
}

TEST_F(AdifExportTest, FrequencyText) {
  struct Case {
    float mhz;
    const char* text;
  };
  const Case cases[] = {{3.65f, "3.6500"}, {7.0355f, "7.0355"}, {14.26245f, "14.2625"},
                        {1296.2f, "1296.2000"}, {0.0f, ""}, {-1.0f, ""}};
  for (const Case& c : cases) EXPECT_EQ(AdifFrequencyText(c.mhz), c.text) << c.mhz;
}

TEST_F(AdifExportTest, ListenerLogWritesTheWorkedStation) {
  header.SetParticipationType(2);
  FillRules();
  std::array<std::uint8_t, kQsoRecordSize> bytes{};
  QsoRecord qso(bytes);
  qso.SetCall("DL2XYZ");
  qso.SetCall2("DK3AB");
  qso.SetBand('b');
  qso.SetSentExchange(Ex("57", ""));
  qso.SetReceivedExchange(Ex("59", "N01"));
  const std::string line = AdifRecordLine(Context(), qso, false);
  EXPECT_NE(line.find("<CALL:6>DL2XYZ <RST_SENT:6>59 N01 <CALL_WKD:5>DK3AB <RST_WKD:3>57  <BAND"),
            std::string::npos)
      << line;
}

}  // namespace
}  // namespace korv::testing
