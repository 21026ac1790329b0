// Renumbering: rewrites a log's QSO file in date/time order with gap-free
// running numbers, multipliers evaluated again in that order, QSY marker
// lines dropped.
//
// The copy goes through KVLKTEMP. While the QSO file is being rebuilt the
// file "KVLKTEMP.RUN" (the log number as text) marks KVLKTEMP as the only
// complete copy: a crash in between is finished by RecoverRenumbering at the
// next opening instead of losing the QSOs.
#pragma once

#include <cstdint>
#include <filesystem>

#include "files/catalogue.h"
#include "files/contest_header.h"
#include "logging/scoring.h"
#include "platform/platform.h"

namespace korv {

inline constexpr const char* kRenumberMarkerName = "KVLKTEMP.RUN";

enum class RenumberResult { kDone, kSkipped, kTempFailed, kRebuildFailed };

// REQUIRES: qsoFile is the open QSO file of logNumber in the catalogue.
// dataDirectory: where the marker file lives (the engine's data directory).
RenumberResult Renumber(FileCatalogue& catalogue, FileBlock& qsoFile, std::int32_t logNumber,
                        const ScoringContext& ctx, Platform& platform,
                        const std::filesystem::path& dataDirectory);

// When an interrupted renumbering of logNumber left its marker, rebuilds the
// QSO file from KVLKTEMP. True when it did.
bool RecoverRenumbering(FileCatalogue& catalogue, FileBlock& qsoFile, std::int32_t logNumber,
                        const ScoringContext& ctx, Platform& platform,
                        const std::filesystem::path& dataDirectory);

}  // namespace korv
