#include "shell/contest_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace korv {
namespace {

struct Expected {
  ContestCode code;
  std::string title;
  std::string logo;
  std::string name;  // the contest name of a log that starts in 2009
  std::string version;
};

// The catalogue as the organisers' data gives it, in the program's order.
// Texts are Windows-1252.
const std::vector<Expected>& AllEntries() {
  static const std::vector<Expected> kAll = {
      {'3', "Vuduzazav Izaz Eriredu", "westfalen-nord.bmp", "DEZ", "Korv DEZ Version 2006-1.0"},
      {'V', "Mecklenburg-Vorpommern - Contest", "mvp.bmp", "MVP-Contest 2009",
       "Korv MVP Version 2009-1.0"},
      {'B', "Baden - W\xFCrttemberg Aktivit\xE4t", "bwa.bmp", "BWA-Contest 2009",
       "Korv BWA Version 2009-1.0"},
      {'H', "Holyland - Contest", "holyland.bmp", "Holyland-Contest 2009",
       "Korv Holyland Version 2009-1.0"},
      {'D', "Deutschland Contest des DTC e.V.", "dtc.bmp", "DTC-Contest 2009",
       "Korv DTC Version 2009-1.0"},
      {'5', "Funkertag-QSO-Party 2009", "party062005.bmp", "Funkertag-QSO-Party 2009",
       "Korv Funkertag QSO-Party 2009 Version 1.2"},
      {'P', "Februar-QSO-Party 2009", "party022005.bmp",
       "Korv Party Februar-QSO-Party 2009 Version 1", "Korv Party Februar-QSO-Party 2009 2.0"},
      {'E', "Europatag der Schulstationen", "eutag.bmp", "Europatag der Schulstationen",
       "Korv EU-Tag Version 2006-2.0"},
      {'F', "Aktivit\xE4tswettbewerb Franken", "franken.bmp", "Aktivit\xE4tswettbewerb Franken",
       "Korv Franken Version 2009-1.0"},
      {'J', "Hamburg Contest", "hamburg.bmp", "Hamburg Contest", "Korv Hamburg Version 2009-1.0"},
      {'G', "Hessencontest", "hessen.bmp", "Hessencontest 2009", "Korv Hessen Version 2009-1.2"},
      {'R', "Rheinland-Pfalz - Aktivit\xE4tsabende", "rheinlandpfalz.bmp",
       "Rheinland-Pfalz - Aktivit\xE4tsabende", "Korv Rheinland-Pfalz Version 2009-1.0"},
      {'h', "Rheinland-Pfalz - Aktivit\xE4tswoche", "rheinlandpfalz.bmp",
       "Rheinland-Pfalz - Aktivit\xE4tswoche", "Korv RLP-Woche Version 2009-1.0"},
      {'N', "Nordic Activity Contest", "nac.bmp", "Nordic Activity Contest",
       "Korv NAC Version 2009-1.0"},
      {'S', "Aktivit\xE4tswettbewerbe H, S, W", "hsw.bmp", "Aktivit\xE4tswettbewerbe H, S, W",
       "Korv HSW Version 2009-1.0"},
      {'T', "Th\xFCringen-Contest", "thueringen.bmp", "Th\xFCringen-Contest",
       "Korv Th\xFCringen Version 2009-1.2"},
      {'L', "Kurzcontest Ruhrgebiet", "ruhrgebiet.bmp", "Kurzcontest Ruhrgebiet",
       "Korv Ruhrgebiet Version 2009-1.0"},
      {'U', "Bayern-Ost-Contest", "boc.bmp", "Bayern-Ost-Contest", "Korv BOC Version 2009-1.0"},
      {'I', "Kurzwellenaktivit\xE4tstag Nordsee", "nordsee.bmp",
       "Kurzwellenaktivit\xE4tstag des Distriktes Nordsee", "Korv KW Nordsee Version 2008-1.0"},
      {'l', "Aktivit\xE4tstag Nordsee", "nordsee.bmp", "Aktivit\xE4tstag des Distriktes Nordsee",
       "Korv Nordsee Version 2009-1.0"},
      {'g', "Nordsee-Contest UKW", "nordsee.bmp", "UKW Nordsee-Contest 2009",
       "Korv UKW Nordsee Version 2008-2.0"},
      {'Z', "IPARC-Contest", "iparc.bmp", "IPARC-Contest", "Korv IPARC Version 2008-1.5"},
      {'C', "Brandenburg-Berlin-Contest", "bb.bmp", "Brandenburg-Berlin-Contest 2009",
       "Korv BB Version 2008-1.0"},
      {'O', "Aktivit\xE4tswochenende Schleswig-Holstein", "sh.bmp", "Aktivit\xE4tswochenende SH",
       "Korv SH Version 2008-1.5"},
      {'Q', "Schwabenkontest", "schwaben.bmp", "Schwaben-Contest 2009",
       "Korv Schwaben Version 2009-1.0"},
      {'1', "DARC 10 m-Contest", "darclogo.bmp", "DARC 10-m-Contest 2009",
       "Korv DARC10 Version 2009-1.0"},
      {'K', "Herbstcontest K\xF6ln-Aachen", "koelnaachen.bmp", "Herbst-Contest K\xF6ln-Aachen 2009",
       "Korv K\xF6ln-Aachen Version 2008-1.0"},
      {'A', "Deutscher Telegraphie-Contest", "agcw.bmp", "Deutscher Telegraphie-Contest 2009",
       "Korv CW Version 2009-1.0"},
      {'f', "Happy New Year-Contest", "agcw.bmp", "Happy New Year-Contest 2009",
       "Korv HappyNewYear Version 2008-1.2"},
      {'i', "Naval-Contest", "", "Naval-Contest", "Korv NAVAL Version 2008-1.3"},
      {'j', "MMMonVHF MS SPRINT CONTEST", "korvmssprint.bmp", "MSSprint-Contest",
       "Korv MSSprint Version 2009-1.3"},
      {'Y', "VFDB-Contest", "vfdb.bmp", "VFDB-Contest", "Korv VFDB Version 2009-3.5"},
      {'2', "Westfalen Nord QRP Aktivit\xE4ts Contest", "westfalen-nord.bmp", "WNQAC",
       "Korv WNQAC Version 2006-1.0"},
      {'c', "Westfalen Nord Aktivit\xE4tstag", "westfalen-nord.bmp",
       "Westfalen Nord Aktivit\xE4tstag", "Korv WNA Version 2008-1.0"},
      {'4', "Party des Radio Telegraphy Club e.V.", "rtc.bmp", "RTC-Party 2009",
       "Korv RTC-Party Version 2008-1.0"},
      {'6', "HSC-CW-Contest", "hsc.bmp", "HSC-CW-Contest", "Korv HSC Version 2009-1.0"},
      {'7', "DIG-QSO-Party", "digparty.bmp", "DIG-QSO-Party", "Korv DIG Version 2009-1.0"},
      {'8', "AGCW - VHF/UHF-Contest", "agcw.bmp", "AGCW - VHF/UHF-Contest 2009",
       "Korv AGCW Version 2009-1.0"},
      {'9', "IARU-Region-1-Fieldday", "fieldday.bmp", "IARU-Region-1-Fieldday 2009",
       "Korv Fieldday Version 2009-1.0"},
      {'a', "Nordrhein-Aktivit\xE4t", "nordrhein.bmp", "Nordrhein-Aktivit\xE4t 2009",
       "Korv Nordrhein Version 2009-1.0"},
      {'b', "Original-QRP-Contest", "qrpcc.bmp", "Original-QRP-Contest 2009",
       "Korv O-QRP Version 2009-1.0"},
      {'d', "SAAR-Contest", "saar.bmp", "SAAR-Contest 2009", "Korv SAAR Version 2009-1.1"},
      {'e', "Nord-Contest", "nord.bmp", "Nord-Contest 2009", "Korv Nord Version 2009-1.0"},
      {'k', "QCWA-Party", "qcwa.bmp", "QCWA-Party", "Korv QCWA Version 2009-1.3"},
  };
  return kAll;
}

DayNumber Day(int y, int m, int d) {
  return DayNumberFromCivil({y, m, d});
}

TEST(ContestCatalogueTest, EveryEntryInProgramOrder) {
  const auto& all = AllEntries();
  ASSERT_EQ(all.size(), 44u);
  const auto catalogue = ContestCatalogue();
  ASSERT_EQ(catalogue.size(), all.size());
  const DayNumber start2009 = Day(2009, 6, 13);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Expected& e = all[i];
    SCOPED_TRACE(std::string("code ") + e.code);
    EXPECT_EQ(catalogue[i].code, e.code) << "position " << i;
    const ContestCatalogueEntry entry = LookupContest(e.code);
    EXPECT_EQ(entry.code, e.code);
    EXPECT_EQ(entry.title, e.title);
    EXPECT_EQ(entry.logoFile, e.logo);
    EXPECT_EQ(ContestNameFor(entry, start2009), e.name);
    EXPECT_EQ(entry.versionText, e.version);
    EXPECT_TRUE(HasCatalogueEntry(e.code));
    EXPECT_TRUE(IsRecognisedContestCode(e.code));
    EXPECT_FALSE(IsCodeWithoutEntry(e.code));
  }
}

TEST(ContestCatalogueTest, NonAsciiLettersAreSingleWindows1252Bytes) {
  const std::string title(LookupContest('B').title);
  ASSERT_EQ(title.size(), 29u);
  EXPECT_EQ(static_cast<unsigned char>(title[9]), 0xFC);   // W-u-rttemberg
  EXPECT_EQ(static_cast<unsigned char>(title[27]), 0xE4);  // Aktivit-a-t
  const std::string version(LookupContest('K').versionText);
  EXPECT_EQ(static_cast<unsigned char>(version[6]), 0xF6);  // K-o-ln
}

TEST(ContestCatalogueTest, ActiveCodeIsFirstAndShowsItsTitleInQuotes) {
  EXPECT_EQ(kActiveContestCode, '3');
  const ContestCatalogueEntry entry = LookupContest(kActiveContestCode);
  EXPECT_EQ(TitleLabelText(entry), "\"Vuduzazav Izaz Eriredu\"");
  EXPECT_EQ(RulesSourceFor(kActiveContestCode).rtfFile, "WNCr.RTF");
  EXPECT_EQ(TitleLabelText(LookupContest('M')), "");
}

TEST(ContestCatalogueTest, SharedLogosAndTheEntryWithoutLogo) {
  for (ContestCode code : {'2', '3', 'c'}) {
    EXPECT_EQ(LookupContest(code).logoFile, "westfalen-nord.bmp") << code;
  }
  for (ContestCode code : {'I', 'l', 'g'}) {
    EXPECT_EQ(LookupContest(code).logoFile, "nordsee.bmp") << code;
  }
  for (ContestCode code : {'A', 'f', '8'})
    EXPECT_EQ(LookupContest(code).logoFile, "agcw.bmp") << code;
  const ContestCatalogueEntry naval = LookupContest('i');
  EXPECT_FALSE(naval.title.empty());
  EXPECT_TRUE(naval.logoFile.empty());
}

TEST(ContestCatalogueTest, CodesWithoutEntryAndUnknownCodesYieldEmptyEntries) {
  for (ContestCode code : {'M', 'W', 'X', '\0'}) {
    SCOPED_TRACE(static_cast<int>(code));
    EXPECT_TRUE(IsCodeWithoutEntry(code));
    EXPECT_TRUE(IsRecognisedContestCode(code));
    EXPECT_FALSE(HasCatalogueEntry(code));
  }
  for (ContestCode code : {'M', 'W', 'X', '\0', 'q', 'z', '0', '\xFC'}) {
    SCOPED_TRACE(static_cast<int>(code));
    const ContestCatalogueEntry entry = LookupContest(code);
    EXPECT_EQ(entry.code, code);
    EXPECT_TRUE(entry.title.empty());
    EXPECT_TRUE(entry.logoFile.empty());
    EXPECT_TRUE(entry.contestName.empty());
    EXPECT_TRUE(entry.versionText.empty());
    EXPECT_EQ(ContestNameFor(entry, Day(2009, 1, 1)), "");
  }
  for (ContestCode code : {'q', 'z', '0'}) {
    EXPECT_FALSE(IsRecognisedContestCode(code)) << code;
    EXPECT_FALSE(IsCodeWithoutEntry(code)) << code;
  }
}

TEST(ContestCatalogueTest, YearOfTheNameComesFromTheStartDate) {
  const ContestCatalogueEntry mvp = LookupContest('V');
  EXPECT_EQ(ContestNameFor(mvp, Day(2010, 1, 1)), "MVP-Contest 2010");
  EXPECT_EQ(ContestNameFor(mvp, Day(2009, 12, 31)), "MVP-Contest 2009");
  // No start date: the year of day 0.
  EXPECT_EQ(ContestNameFor(mvp, 0), "MVP-Contest 1600");
  EXPECT_EQ(ContestNameFor(mvp, kNoDate), "MVP-Contest 1600");
  EXPECT_EQ(ContestNameFor(mvp, 0x7FFFFFFF), "MVP-Contest 1600");
  // A fixed name ignores the date.
  EXPECT_EQ(ContestNameFor(LookupContest('G'), Day(2011, 5, 1)), "Hessencontest 2009");
}

TEST(ContestCatalogueTest, RulesSources) {
  struct Row {
    ContestCode code;
    const char* file;
  };
  const std::vector<Row> files = {
      {'3', "WNCr.RTF"},
      {'1', "darc10r.RTF"},
      {'2', "WNQACr.RTF"},
      {'4', "RTCR.RTF"},
      {'5', "PARTYR.RTF"},
      {'8', "agcwr.RTF"},
      {'9', "KORVFIELDDAYR.RTF"},
      {'A', "CWR.RTF"},
      {'C', "bbR.RTF"},
      {'E', "EUTAGR.RTF"},
      {'G', "HessenR.RTF"},
      {'I', "kwnordseeR.RTF"},
      {'K', "koelnaachenR.RTF"},
      {'L', "ruhrgebietR.RTF"},
      {'M', "DMPARTYR.RTF"},
      {'N', "nacr.RTF"},
      {'O', "shR.RTF"},
      {'P', "PARTYFR.RTF"},
      {'Q', "schwabenr.RTF"},
      {'R', "RheinlandpfalzR.RTF"},
      {'S', "HSWR.RTF"},
      {'T', "thueringenR.RTF"},
      {'U', "bocR.RTF"},
      {'W', "WAGR.RTF"},
      {'X', "XMASR.RTF"},
      {'Y', "VFDBR.RTF"},
      {'Z', "iparcR.RTF"},
      {'a', "KORVNORDRHEINR.RTF"},
      {'b', "OQRPR.RTF"},
      {'c', "WNAr.RTF"},
      {'f', "HappynewyearR.RTF"},
      {'h', "rlpwocheR.RTF"},
      {'i', "navalR.RTF"},
      {'k', "qcwar.RTF"},
      {'l', "nordseeR.RTF"},
      // No rules entry of their own.
      {'g', "MVPR.RTF"},
      {'\0', "MVPR.RTF"},
      {'q', "MVPR.RTF"},
      {'0', "MVPR.RTF"},
  };
  for (const Row& row : files) {
    const RulesSource source = RulesSourceFor(row.code);
    EXPECT_EQ(source.kind, RulesSourceKind::kRtfFile) << row.code;
    EXPECT_EQ(source.rtfFile, row.file) << row.code;
  }
  for (ContestCode code : {'6', '7', 'B', 'D', 'F', 'H', 'J', 'V', 'd', 'e'}) {
    const RulesSource source = RulesSourceFor(code);
    EXPECT_EQ(source.kind, RulesSourceKind::kWebPage) << code;
    EXPECT_TRUE(source.rtfFile.empty()) << code;
    EXPECT_EQ(source.webPage, kNoWebAddress) << code;
  }
  const RulesSource sprint = RulesSourceFor('j');
  EXPECT_EQ(sprint.kind, RulesSourceKind::kWebPageByLanguage);
  EXPECT_EQ(kRulesLanguageQuestion, "English?");

  // Among the catalogue codes only 'g' falls back to the default file.
  std::set<ContestCode> fallback;
  for (const ContestCatalogueEntry& entry : ContestCatalogue()) {
    const RulesSource source = RulesSourceFor(entry.code);
    if (source.kind == RulesSourceKind::kRtfFile && source.rtfFile == kDefaultRulesFile) {
      fallback.insert(entry.code);
    }
  }
  EXPECT_EQ(fallback, std::set<ContestCode>{'g'});
}

}  // namespace
}  // namespace korv
