#include "shell/contest_catalogue.h"

#include <array>
#include <cstdio>

namespace korv {
namespace {

using E = ContestCatalogueEntry;
constexpr bool kYear = true;
constexpr bool kFixed = false;

// Non-ASCII letters are Windows-1252: \xE4 = a umlaut, \xF6 = o umlaut,
// \xFC = u umlaut.
constexpr std::array<ContestCatalogueEntry, kCatalogueEntryCount> kCatalogue{{
    {'3', "Vuduzazav Izaz Eriredu", "westfalen-nord.bmp", "DEZ", kFixed,
     "Korv DEZ Version 2006-1.0"},
    {'V', "Mecklenburg-Vorpommern - Contest", "mvp.bmp", "MVP-Contest ", kYear,
     "Korv MVP Version 2009-1.0"},
    {'B', "Baden - W\xFCrttemberg Aktivit\xE4t", "bwa.bmp", "BWA-Contest ", kYear,
     "Korv BWA Version 2009-1.0"},
    {'H', "Holyland - Contest", "holyland.bmp", "Holyland-Contest ", kYear,
     "Korv Holyland Version 2009-1.0"},
    {'D', "Deutschland Contest des DTC e.V.", "dtc.bmp", "DTC-Contest ", kYear,
     "Korv DTC Version 2009-1.0"},
    {'5', "Funkertag-QSO-Party 2009", "party062005.bmp", "Funkertag-QSO-Party 2009", kFixed,
     "Korv Funkertag QSO-Party 2009 Version 1.2"},
    {'P', "Februar-QSO-Party 2009", "party022005.bmp",
     "Korv Party Februar-QSO-Party 2009 Version 1", kFixed,
     "Korv Party Februar-QSO-Party 2009 2.0"},
    {'E', "Europatag der Schulstationen", "eutag.bmp", "Europatag der Schulstationen", kFixed,
     "Korv EU-Tag Version 2006-2.0"},
    {'F', "Aktivit\xE4tswettbewerb Franken", "franken.bmp", "Aktivit\xE4tswettbewerb Franken",
     kFixed, "Korv Franken Version 2009-1.0"},
    {'J', "Hamburg Contest", "hamburg.bmp", "Hamburg Contest", kFixed,
     "Korv Hamburg Version 2009-1.0"},
    {'G', "Hessencontest", "hessen.bmp", "Hessencontest 2009", kFixed,
     "Korv Hessen Version 2009-1.2"},
    {'R', "Rheinland-Pfalz - Aktivit\xE4tsabende", "rheinlandpfalz.bmp",
     "Rheinland-Pfalz - Aktivit\xE4tsabende", kFixed, "Korv Rheinland-Pfalz Version 2009-1.0"},
    {'h', "Rheinland-Pfalz - Aktivit\xE4tswoche", "rheinlandpfalz.bmp",
     "Rheinland-Pfalz - Aktivit\xE4tswoche", kFixed, "Korv RLP-Woche Version 2009-1.0"},
    {'N', "Nordic Activity Contest", "nac.bmp", "Nordic Activity Contest", kFixed,
     "Korv NAC Version 2009-1.0"},
    {'S', "Aktivit\xE4tswettbewerbe H, S, W", "hsw.bmp", "Aktivit\xE4tswettbewerbe H, S, W", kFixed,
     "Korv HSW Version 2009-1.0"},
    {'T', "Th\xFCringen-Contest", "thueringen.bmp", "Th\xFCringen-Contest", kFixed,
     "Korv Th\xFCringen Version 2009-1.2"},
    {'L', "Kurzcontest Ruhrgebiet", "ruhrgebiet.bmp", "Kurzcontest Ruhrgebiet", kFixed,
     "Korv Ruhrgebiet Version 2009-1.0"},
    {'U', "Bayern-Ost-Contest", "boc.bmp", "Bayern-Ost-Contest", kFixed,
     "Korv BOC Version 2009-1.0"},
    {'I', "Kurzwellenaktivit\xE4tstag Nordsee", "nordsee.bmp",
     "Kurzwellenaktivit\xE4tstag des Distriktes Nordsee", kFixed,
     "Korv KW Nordsee Version 2008-1.0"},
    {'l', "Aktivit\xE4tstag Nordsee", "nordsee.bmp", "Aktivit\xE4tstag des Distriktes Nordsee",
     kFixed, "Korv Nordsee Version 2009-1.0"},
    {'g', "Nordsee-Contest UKW", "nordsee.bmp", "UKW Nordsee-Contest ", kYear,
     "Korv UKW Nordsee Version 2008-2.0"},
    {'Z', "IPARC-Contest", "iparc.bmp", "IPARC-Contest", kFixed, "Korv IPARC Version 2008-1.5"},
    {'C', "Brandenburg-Berlin-Contest", "bb.bmp", "Brandenburg-Berlin-Contest ", kYear,
     "Korv BB Version 2008-1.0"},
    {'O', "Aktivit\xE4tswochenende Schleswig-Holstein", "sh.bmp", "Aktivit\xE4tswochenende SH",
     kFixed, "Korv SH Version 2008-1.5"},
    {'Q', "Schwabenkontest", "schwaben.bmp", "Schwaben-Contest ", kYear,
     "Korv Schwaben Version 2009-1.0"},
    {'1', "DARC 10 m-Contest", "darclogo.bmp", "DARC 10-m-Contest ", kYear,
     "Korv DARC10 Version 2009-1.0"},
    {'K', "Herbstcontest K\xF6ln-Aachen", "koelnaachen.bmp", "Herbst-Contest K\xF6ln-Aachen ",
     kYear, "Korv K\xF6ln-Aachen Version 2008-1.0"},
    {'A', "Deutscher Telegraphie-Contest", "agcw.bmp", "Deutscher Telegraphie-Contest ", kYear,
     "Korv CW Version 2009-1.0"},
    {'f', "Happy New Year-Contest", "agcw.bmp", "Happy New Year-Contest ", kYear,
     "Korv HappyNewYear Version 2008-1.2"},
    {'i', "Naval-Contest", "", "Naval-Contest", kFixed, "Korv NAVAL Version 2008-1.3"},
    {'j', "MMMonVHF MS SPRINT CONTEST", "korvmssprint.bmp", "MSSprint-Contest", kFixed,
     "Korv MSSprint Version 2009-1.3"},
    {'Y', "VFDB-Contest", "vfdb.bmp", "VFDB-Contest", kFixed, "Korv VFDB Version 2009-3.5"},
    {'2', "Westfalen Nord QRP Aktivit\xE4ts Contest", "westfalen-nord.bmp", "WNQAC", kFixed,
     "Korv WNQAC Version 2006-1.0"},
    {'c', "Westfalen Nord Aktivit\xE4tstag", "westfalen-nord.bmp",
     "Westfalen Nord Aktivit\xE4tstag", kFixed, "Korv WNA Version 2008-1.0"},
    {'4', "Party des Radio Telegraphy Club e.V.", "rtc.bmp", "RTC-Party ", kYear,
     "Korv RTC-Party Version 2008-1.0"},
    {'6', "HSC-CW-Contest", "hsc.bmp", "HSC-CW-Contest", kFixed, "Korv HSC Version 2009-1.0"},
    {'7', "DIG-QSO-Party", "digparty.bmp", "DIG-QSO-Party", kFixed, "Korv DIG Version 2009-1.0"},
    {'8', "AGCW - VHF/UHF-Contest", "agcw.bmp", "AGCW - VHF/UHF-Contest ", kYear,
     "Korv AGCW Version 2009-1.0"},
    {'9', "IARU-Region-1-Fieldday", "fieldday.bmp", "IARU-Region-1-Fieldday ", kYear,
     "Korv Fieldday Version 2009-1.0"},
    {'a', "Nordrhein-Aktivit\xE4t", "nordrhein.bmp", "Nordrhein-Aktivit\xE4t ", kYear,
     "Korv Nordrhein Version 2009-1.0"},
    {'b', "Original-QRP-Contest", "qrpcc.bmp", "Original-QRP-Contest ", kYear,
     "Korv O-QRP Version 2009-1.0"},
    {'d', "SAAR-Contest", "saar.bmp", "SAAR-Contest ", kYear, "Korv SAAR Version 2009-1.1"},
    {'e', "Nord-Contest", "nord.bmp", "Nord-Contest ", kYear, "Korv Nord Version 2009-1.0"},
    {'k', "QCWA-Party", "qcwa.bmp", "QCWA-Party", kFixed, "Korv QCWA Version 2009-1.3"},
}};

static_assert(kCatalogue[0].code == kActiveContestCode);

constexpr std::array<ContestCode, 4> kCodesWithoutEntry{'M', 'W', 'X', '\0'};

struct RulesRow {
  ContestCode code;
  RulesSourceKind kind;
  std::string_view rtfFile;
};

using K = RulesSourceKind;

// Organiser pages are opened through the shell; their addresses are not part
// of this build, so those rows carry kNoWebAddress.
constexpr std::array<RulesRow, 46> kRules{{
    {'3', K::kRtfFile, "WNCr.RTF"},
    {'1', K::kRtfFile, "darc10r.RTF"},
    {'2', K::kRtfFile, "WNQACr.RTF"},
    {'4', K::kRtfFile, "RTCR.RTF"},
    {'5', K::kRtfFile, "PARTYR.RTF"},
    {'8', K::kRtfFile, "agcwr.RTF"},
    {'9', K::kRtfFile, "KORVFIELDDAYR.RTF"},
    {'A', K::kRtfFile, "CWR.RTF"},
    {'C', K::kRtfFile, "bbR.RTF"},
    {'E', K::kRtfFile, "EUTAGR.RTF"},
    {'G', K::kRtfFile, "HessenR.RTF"},
    {'I', K::kRtfFile, "kwnordseeR.RTF"},
    {'K', K::kRtfFile, "koelnaachenR.RTF"},
    {'L', K::kRtfFile, "ruhrgebietR.RTF"},
    {'M', K::kRtfFile, "DMPARTYR.RTF"},
    {'N', K::kRtfFile, "nacr.RTF"},
    {'O', K::kRtfFile, "shR.RTF"},
    {'P', K::kRtfFile, "PARTYFR.RTF"},
    {'Q', K::kRtfFile, "schwabenr.RTF"},
    {'R', K::kRtfFile, "RheinlandpfalzR.RTF"},
    {'S', K::kRtfFile, "HSWR.RTF"},
    {'T', K::kRtfFile, "thueringenR.RTF"},
    {'U', K::kRtfFile, "bocR.RTF"},
    {'W', K::kRtfFile, "WAGR.RTF"},
    {'X', K::kRtfFile, "XMASR.RTF"},
    {'Y', K::kRtfFile, "VFDBR.RTF"},
    {'Z', K::kRtfFile, "iparcR.RTF"},
    {'a', K::kRtfFile, "KORVNORDRHEINR.RTF"},
    {'b', K::kRtfFile, "OQRPR.RTF"},
    {'c', K::kRtfFile, "WNAr.RTF"},
    {'f', K::kRtfFile, "HappynewyearR.RTF"},
    {'h', K::kRtfFile, "rlpwocheR.RTF"},
    {'i', K::kRtfFile, "navalR.RTF"},
    {'k', K::kRtfFile, "qcwar.RTF"},
    {'l', K::kRtfFile, "nordseeR.RTF"},
    {'6', K::kWebPage, {}},
    {'7', K::kWebPage, {}},
    {'B', K::kWebPage, {}},
    {'D', K::kWebPage, {}},
    {'F', K::kWebPage, {}},
    {'H', K::kWebPage, {}},
    {'J', K::kWebPage, {}},
    {'V', K::kWebPage, {}},
    {'d', K::kWebPage, {}},
    {'e', K::kWebPage, {}},
    {'j', K::kWebPageByLanguage, {}},
}};  // 'g' and every other code: kDefaultRulesFile.

}  // namespace

std::span<const ContestCatalogueEntry> ContestCatalogue() {
  return kCatalogue;
}

ContestCatalogueEntry LookupContest(ContestCode code) {
  for (const auto& entry : kCatalogue) {
    if (entry.code == code) return entry;
  }
  ContestCatalogueEntry none;
  none.code = code;
  return none;
}

bool HasCatalogueEntry(ContestCode code) {
  for (const auto& entry : kCatalogue) {
    if (entry.code == code) return true;
  }
  return false;
}

std::string TitleLabelText(const ContestCatalogueEntry& entry) {
  if (entry.title.empty()) return {};
  std::string text = "\"";
  text += entry.title;
  text += '"';
  return text;
}

bool IsCodeWithoutEntry(ContestCode code) {
  for (ContestCode c : kCodesWithoutEntry) {
    if (c == code) return true;
  }
  return false;
}

bool IsRecognisedContestCode(ContestCode code) {
  return HasCatalogueEntry(code) || IsCodeWithoutEntry(code);
}

std::string ContestNameFor(const ContestCatalogueEntry& entry, DayNumber startDate) {
  std::string name(entry.contestName);
  if (!entry.nameWithYear) return name;
  static const DayNumber kLastDay = DayNumberFromCivil({9999, 12, 31});
  if (startDate < 0 || startDate > kLastDay) startDate = 0;
  const CivilDate date = CivilFromDayNumber(startDate);
  char year[8];
  std::snprintf(year, sizeof year, "%04d", date.year);
  name += year;
  return name;
}

RulesSource RulesSourceFor(ContestCode code) {
  RulesSource source;
  source.rtfFile = kDefaultRulesFile;
  for (const auto& row : kRules) {
    if (row.code != code) continue;
    source.kind = row.kind;
    source.rtfFile = row.kind == RulesSourceKind::kRtfFile ? row.rtfFile : std::string_view{};
    return source;
  }
  return source;
}

}  // namespace korv
