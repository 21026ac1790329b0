#include <gtest/gtest.h>

#include "output/cabrillo_file.h"
#include "output/edi_file.h"
#include "output_fixture.h"

namespace korv::testing {
namespace {

class EdiFileTest : public OutputTest {
 protected:
  // A small VHF log: distances in km as points, locators, a QSY marker.
  void FillVhfLog() {
    AddQso({"DL2XYZ", 'k', "SSB", Ex("59", "001"), Ex("59", "012/A"), 120, "", "", 12, 5}, [](QsoRecord& r) {
      r.SetRxLocator("JO62AB");
      r.SetDistanceKm(120);
      r.SetPrefix("DL");
    });
    AddQso({"OK1ABC", 'k', "CW", Ex("599", "002"), Ex("579", "033"), 310, "", "", 12, 10}, [](QsoRecord& r) {
      r.SetRxLocator("JO70XX");
      r.SetDistanceKm(310);
      r.SetPrefix("OK");
    });
    AddQsyMarker('l', 12, 20);
    AddQso({"DL3ZZZ", 'l', "PR", Ex("59", "003"), Ex("55", "007"), 0, "", "", 12, 30}, [](QsoRecord& r) {
      r.SetPrefix("DL");
    });
    AddQso({"SP1AA", 'l', "FM", Ex("59", "004"), Ex("59", "100"), 310, "", "", 12, 40}, [](QsoRecord& r) {
      r.SetRxLocator("JO73AB");
      r.SetDistanceKm(310);
      r.SetPrefix("SP");
    });
    SetSlot(1, 2, 0, 430);
    SetSlot(2, 2, 0, 310);
  }
};

TEST_F(EdiFileTest, SmallLogMatchesGolden) {
  FillVhfLog();
  const OutputContext ctx = Context();
  EdiStationData station = EdiDefaults(ctx);
  EXPECT_EQ(station.pcall, "DL1ABC");
  EXPECT_EQ(station.ploc, "JO62QM");
  EXPECT_EQ(station.psect, "S");  // first character of "SSB/CW"
  EXPECT_EQ(station.pclub1, "DARC");
  EXPECT_EQ(station.pclub2, "N05");
  EXPECT_EQ(station.rcoun, "DL");
  station.pband = "144 MHz";
  station.remarks = "Portabel";
  const OutputResult r = EdiFile(ctx, station, *qsoFile);
  ASSERT_TRUE(r.ok());
  ExpectGolden("sample.EDI", r.bytes);
  const auto lines = SplitLines(r.bytes);
  auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
  EXPECT_TRUE(has("CQSOs=5;1"));          // the QSY marker counts here ...
  EXPECT_TRUE(has("[QSORecords;5]"));
  EXPECT_EQ(lines.size() - static_cast<std::size_t>(std::find(lines.begin(), lines.end(), "[QSORecords;5]") -
                                                    lines.begin()) - 1,
            4u);                           // ... but gets no line
  EXPECT_TRUE(has("CWWLs=4;0;1"));         // JO62, JO70, JO73 and the empty square
  EXPECT_TRUE(has("CDXCs=3;0;1"));
  EXPECT_TRUE(has("CODXC=OK1ABC;JO70XX;310"));  // the first of the two farthest
  EXPECT_TRUE(has("TDate=0;0"));           // the header holds no dates
  EXPECT_TRUE(has("090615;1205;DL2XYZ;1;59 ;001;59 ;012;A;JO62AB;120;;;;"));
  EXPECT_TRUE(has("090615;1230;DL3ZZZ;0;59 ;003;55 ;007;5;      ;0;;;;"));
}

TEST_F(EdiFileTest, DatesAndModeCodes) {
  header.SetStartDate(DayNumberFromCivil({2009, 6, 15}));
  header.SetEndDate(DayNumberFromCivil({2009, 6, 16}));
  const OutputResult r = EdiFile(Context(), EdiDefaults(Context()), *qsoFile);
  ASSERT_TRUE(r.ok());
  EXPECT_NE(r.bytes.find("TDate=20090615;20090616\r\n"), std::string::npos);
  EXPECT_NE(r.bytes.find("CODXC=\r\n"), std::string::npos);  // empty log
  const std::pair<const char*, const char*> modes[] = {{"SSB", "1"}, {"CW", "2"}, {"AM", "5"}, {"FM", "6"},
                                                       {"RTTY", "7"}, {"PR", "0"}, {"ssb", "0"}};
  for (const auto& [mode, code] : modes) EXPECT_EQ(EdiModeCode(mode), code) << mode;
}

class CabrilloFileTest : public OutputTest {};

TEST_F(CabrilloFileTest, SampleLogMatchesGolden) {
  FillSampleLog();
  own.country = "Germany";
  const OutputResult r = CabrilloFile(Context(), *qsoFile);
  ASSERT_TRUE(r.ok());
  ExpectGolden("sample.CAB", r.bytes);
  const auto lines = SplitLines(r.bytes);
  ASSERT_GE(lines.size(), 10u);
  EXPECT_EQ(lines[0], "CATEGORY: \"SSB/CW\"");
  EXPECT_EQ(lines[1], "CLAIMED-SCORE:54");  // 18 points x 3 multipliers
  EXPECT_EQ(lines[6], "ADDRESS: \"Germany\"");
  EXPECT_EQ(lines[8], "START-OF-LOG:");
  EXPECT_EQ(lines.back(), "END-OF-LOG:");
  EXPECT_EQ(lines.size(), 9u + 5u + 1u);  // no line for the QSY marker
  EXPECT_EQ(lines[9].substr(0, 24), "     150609 12:05 DL2XYZ");
}

TEST_F(CabrilloFileTest, NoTypeNoCountryNoMultiplier) {
  header.SetParticipationType(0);
  SetSlot(1, 3, 0, 12);
  const OutputResult r = CabrilloFile(Context(), *qsoFile);
  ASSERT_TRUE(r.ok());
  const auto lines = SplitLines(r.bytes);
  EXPECT_EQ(lines[0], "CATEGORY: \"\"");
  EXPECT_EQ(lines[1], "CLAIMED-SCORE:0");
  EXPECT_EQ(lines[6], "CREATED-BY: Korv DEZ Version 2006-1.0");
}

}  // namespace
}  // namespace korv::testing
