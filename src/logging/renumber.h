// Renumbering: rewrites a log's QSO file in date/time order with gap-free
// running numbers, multipliers evaluated again in that order, QSY marker
// lines dropped.
//
// The renumbered file is built beside the QSO file ("KVLKnnnn.NEU.DAT" and
// ".IX", bulk loaded and synced) and put in its place by rename: at every
// instant one complete copy of the log is found under the QSO file's name,
// by whatever window or command opens it, and what a crash leaves of the new
// file is deleted by the next open. Nothing is replaced unless the walk over
// the old file reached the end of its index with exactly RecordCount records.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>

#include "files/catalogue.h"
#include "files/contest_header.h"
#include "logging/scoring.h"
#include "platform/platform.h"

namespace korv {

enum class RenumberResult { kDone, kSkipped, kTempFailed, kRebuildFailed };

// REQUIRES: qsoFile is the open QSO file of logNumber in the catalogue.
// Messages: "Fehler beim Aufbau der temporären Datenbank" when the new file
// could not be built (the log stays as it was), "Fehler beim Neuaufbau der
// Datenbank" when it could not be put in place.
RenumberResult Renumber(FileCatalogue& catalogue, FileBlock& qsoFile, std::int32_t logNumber,
                        const ScoringContext& ctx, Platform& platform);

// The running numbers a renumbering gives to QSOs fed in date/time order.
class RunningNumbers {
 public:
  struct Numbers {
    std::int32_t serial, band, band2;
    std::uint16_t mode;
  };
  Numbers Next(const QsoRecord& rec);

 private:
  std::int32_t serial_ = 0;
  std::map<char, std::int32_t> bandNo_, bandNo2_, modeNo_;
};

// Whether the stored numbering is what a renumbering would write: in
// date/time order the QSOs carry SerialNo 1, 2, 3 ..., BandNo and BandNo2
// 1, 2, 3 ... per band and ModeNo 1, 2, 3 ... per class of mode, and there
// is no QSY marker line. Fed with the records in date/time order.
class NumberingCheck {
 public:
  void Add(const QsoRecord& rec);
  bool Consistent() const { return consistent_; }

 private:
  RunningNumbers numbers_;
  bool consistent_ = true;
};

// NumberingCheck over the whole file. A log whose walk fails counts as
// consistent (a renumbering could not walk it either).
bool NumberingConsistent(FileBlock& qsoFile);

}  // namespace korv
