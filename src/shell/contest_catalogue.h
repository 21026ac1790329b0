// The catalogue of contest variants: for every ContestCode the title and logo
// of the main window, the short contest name and version text written by the
// outputs, and where the rules window finds the contest's rules.
//
// All texts are Windows-1252 bytes. The entries are static data: the views
// returned here stay valid for the whole run.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/dates.h"
#include "files/contest_header.h"

namespace korv {

// The contest this build is made for.
inline constexpr ContestCode kActiveContestCode = '3';

inline constexpr std::size_t kCatalogueEntryCount = 44;

struct ContestCatalogueEntry {
  ContestCode code = 0;
  std::string_view title;        // main window title (shown in double quotes)
  std::string_view logoFile;     // bitmap beside the program; empty = no logo
  std::string_view contestName;  // the name, or its prefix when nameWithYear
  bool nameWithYear = false;     // name = contestName + four-digit start year
  std::string_view versionText;  // program and version written by the outputs
};

// The 44 entries, the active code first, the others in the order in which the
// program tests them.
std::span<const ContestCatalogueEntry> ContestCatalogue();

// The entry of code. A code without an entry yields an entry that carries the
// code and nothing else: empty title, no logo, empty texts.
ContestCatalogueEntry LookupContest(ContestCode code);

bool HasCatalogueEntry(ContestCode code);

// Text of the main window's title label: the title enclosed in double-quote
// characters; empty for an empty title (the label stays hidden then).
std::string TitleLabelText(const ContestCatalogueEntry& entry);

// M, W, X and the zero character: codes a stored log may carry that have no
// entry and no presets. No configuration or logging window opens for them.
bool IsCodeWithoutEntry(ContestCode code);

// The 44 codes with an entry plus the codes without one.
bool IsRecognisedContestCode(ContestCode code);

// contestName of the presets: the fixed name, or the prefix followed by the
// four-digit year of startDate. A log without start date (0, negative, or a
// value outside the calendar's range) uses day 0, i.e. the year 1600.
std::string ContestNameFor(const ContestCatalogueEntry& entry, DayNumber startDate);

// Where the rules window gets the rules of a contest.
enum class RulesSourceKind {
  kRtfFile,           // rtfFile, read from the current directory
  kWebPage,           // webPage, opened through the shell
  kWebPageByLanguage  // ask kRulesLanguageQuestion: Yes -> englishWebPage, No -> germanWebPage
};

// Marks an organiser page whose address is not configured in this build.
inline constexpr std::string_view kNoWebAddress{};

inline constexpr std::string_view kDefaultRulesFile = "MVPR.RTF";
inline constexpr std::string_view kRulesLanguageQuestion = "English?";

struct RulesSource {
  RulesSourceKind kind = RulesSourceKind::kRtfFile;
  std::string_view rtfFile;
  std::string_view webPage = kNoWebAddress;
  std::string_view englishWebPage = kNoWebAddress;
  std::string_view germanWebPage = kNoWebAddress;
};

// The rules source of code; every code without an entry of its own
// (including 'g') reads kDefaultRulesFile.
RulesSource RulesSourceFor(ContestCode code);

}  // namespace korv
