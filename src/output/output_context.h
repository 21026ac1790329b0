// What every writer reads besides the QSO file: the log's header, the
// contest's presets, the log's totals, the own station, and the moment the
// output is made (printed by the cover sheet and the STF header).
#pragma once

#include <string>

#include "common/dates.h"
#include "files/contest_header.h"
#include "files/setup.h"
#include "platform/platform.h"
#include "output/claimed_score.h"
#include "refdata/prefix_files.h"
#include "shell/contest_rules.h"

namespace korv {

struct OutputContext {
  // The current header (a view: its buffer must remain live while a writer
  // runs). Own call, DOK, locator, contest name and participation type of
  // the log are taken from here.
  ContestHeader header;
  // The presets of the log's contest (FillContestPresets for its header).
  const ContestRules& rules;
  // ReadStoredTotals(header, totals record, rules).
  StoredTotals totals;
  // Name, address, country and SWL number of the entrant.
  const OwnStation& own;
  // Today's date and the time of day of the output: the computer's clock.
  DayNumber today = kNoDate;
  TimeOfDay now = kNoTime;
  // Open prefix files for the DXCC numbers of the ADIF export; null: the
  // built-in table alone.
  const PrefixFiles* prefixFiles = nullptr;
  // Labels of the cover sheet: German, or the English set of the contests
  // that want English texts.
  bool uiGerman = true;
  // The moment in UTC, for formats that want it so (ADIF's creation time).
  LocalDateTime createdUtc{};
};

// The context of an output made now, the same for the window and korvtool:
// `computerClock` gives today and now, shifted by the program's UTC offset
// the creation moment in UTC.
OutputContext MakeOutputContext(ContestHeader header, const ContestRules& rules, StoredTotals totals,
                                const OwnStation& own, const LocalDateTime& computerClock,
                                std::int32_t utcOffsetHours, const PrefixFiles* prefixFiles);

// The description of the header's participation type; empty when none is
// stored or the stored position holds no type.
std::string ParticipationDescription(const OutputContext& ctx);

// The own call (trimmed) or, in a listener log, the SWL number.
std::string OwnCallOrSwl(const OutputContext& ctx);

}  // namespace korv
