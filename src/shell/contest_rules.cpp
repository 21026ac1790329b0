#include "shell/contest_rules.h"

#include <array>
#include <string_view>

#include "shell/contest_catalogue.h"

namespace korv {
namespace {

// Participation type of a listener (SWL) log in the code '3' presets.
constexpr std::uint8_t kSwlParticipation = 2;

constexpr std::array<std::string_view, 18> kDezDokList{"1N",  "2N", "3N",  "4N",  "5N",  "6N",
                                                       "7N",  "8N", "9N",  "10N", "11N", "12N",
                                                       "13N", "WN", "Z14", "Z41", "Z60", "Z80"};

void FillDez(ContestRules& r, ContestHeader& header) {
  r.dupeRule = 2;
  r.versionText = "Korv DEZ Version 2006-1.0";
  r.defaultStartDate.clear();
  r.defaultEndDate.clear();
  r.defaultStartTime.clear();
  r.defaultEndTime.clear();
  r.contestName = "DEZ";
  r.participationTypes = {};
  r.participationTypes[1].description = "SSB/CW";
  r.participationTypes[2].description = "SWL";
  r.bandAutoAllowed = 0;
  r.localTimeOffset = -2;
  r.multiplierLabel[1] = "DOK";
  r.receivedKind[2] = 4;
  r.sentKind[2] = 4;
  r.sentText[2] = header.dok();
  r.multiplierKinds.reset();
  r.multiplierKinds.set(4);
  for (std::size_t i = 0; i < kDezDokList.size(); ++i) {
    r.dokList[static_cast<int>(i) + 1] = kDezDokList[i];
  }
  r.districtLetters[1] = 'N';
  r.multiplierMode = 0;
  r.outputFlags.reset();
  for (std::size_t flag = 1; flag <= 6; ++flag) r.outputFlags.set(flag);
  header.SetTotalsInTotalsRecord(kHeaderByteOn);
  r.modes[1] = "SSB";
  r.modes[2] = "CW";
  r.bandSlots[1] = 'b';  // 80 m
  r.bandSlots[2] = 'c';  // 40 m
  r.bandSlots[3] = 'i';  // 10 m
  if (header.participationType() == kSwlParticipation) r.listenerLog = 1;
}

}  // namespace

ContestRules FillContestPresets(ContestCode code, ContestHeader& header, bool& uiGerman) {
  // Steps 1 and 2: everything zero or empty, rejectedDok included.
  ContestRules rules;
  // Step 3: the default output flags that most branches replace.
  for (std::size_t flag = 1; flag <= 7; ++flag) rules.outputFlags.set(flag);

  if (code == '3') {
    FillDez(rules, header);
    return rules;
  }
  if (!HasCatalogueEntry(code)) return rules;  // M, W, X, zero, unknown

  // The other variants: what the catalogue carries; their rule values
  // (bands, modes, lists, switches) are not part of this build.
  const ContestCatalogueEntry entry = LookupContest(code);
  rules.contestName = ContestNameFor(entry, header.startDate());
  rules.versionText = std::string(entry.versionText);
  if (code == 'H') uiGerman = false;
  return rules;
}

}  // namespace korv
