#include "logging/renumber.h"

#include <map>

#include "refdata/modes.h"

namespace korv {
namespace {

constexpr int kIndexByDateTime = 1;
constexpr const char* kBuildFailed = "Fehler beim Aufbau der tempor\xE4ren Datenbank";

QsoRecord RecordOf(FileBlock& file) {
  return QsoRecord(QsoRecord::Record(file.Record().data(), kQsoRecordSize));
}

bool WalkEnded(const Status& st) {
  return st.code == err::kEndOfIndex || st.code == err::kStartOfIndex;
}

}  // namespace

RunningNumbers::Numbers RunningNumbers::Next(const QsoRecord& rec) {
  const char band = rec.band();
  return {++serial_, ++bandNo_[band], ++bandNo2_[band],
          static_cast<std::uint16_t>(++modeNo_[ModeCodeFromText(rec.mode())])};
}

void NumberingCheck::Add(const QsoRecord& rec) {
  if (!consistent_) return;
  if (rec.IsQsyMarker()) {
    consistent_ = false;
    return;
  }
  const RunningNumbers::Numbers n = numbers_.Next(rec);
  consistent_ = rec.serialNo() == n.serial && rec.bandNo() == n.band && rec.bandNo2() == n.band2 &&
                rec.modeNo() == n.mode;
}

bool NumberingConsistent(FileBlock& qsoFile) {
  const std::int32_t count = qsoFile.RecordCount();
  if (count < 0) return true;
  NumberingCheck check;
  std::int32_t walked = 0;
  Status st = qsoFile.MoveFirst(kIndexByDateTime);
  while (st.ok() && check.Consistent()) {
    if (++walked > count) return true;
    check.Add(RecordOf(qsoFile));
    st = qsoFile.MoveNext(kIndexByDateTime);
  }
  return check.Consistent() || !(st.ok() || WalkEnded(st));
}

RenumberResult Renumber(FileCatalogue& catalogue, FileBlock& qsoFile, std::int32_t logNumber,
                        const ScoringContext& ctx, Platform& platform) {
  const ContestRules& rules = *ctx.rules;
  for (int n = 2; n <= 4; ++n) {
    if (rules.sentKind[n] == 7) {
      if (qsoFile.RecordCount() == 0) (void)qsoFile.DeleteFileBlockFiles();
      return RenumberResult::kSkipped;
    }
  }
  const std::int32_t count = qsoFile.RecordCount();
  FileBlock* target = count < 0 ? nullptr : catalogue.OpenRewrite(SharedFile::kQsoLog, logNumber);
  if (target == nullptr) {
    platform.Inform(kBuildFailed);
    return RenumberResult::kTempFailed;
  }
  auto progress = platform.OpenProgress("Neunummerierung");
  if (progress) progress->SetRange(count);

  // One walk in date/time order writes the new file: multipliers evaluated
  // against the QSOs before, numbers counted on, records only appended.
  target->SetFlushAfterWrite(false);
  bool built = target->BeginBulkLoad().ok();
  MultiplierTables tables(ctx);
  MemoryWorkedLookup lookup(ctx);
  RunningNumbers numbering;
  std::int32_t walked = 0;
  std::int32_t copied = 0;
  Status st = built ? qsoFile.MoveFirst(kIndexByDateTime) : Status::Error(err::kBulkLoadNotEmpty);
  while (st.ok() && built) {
    if (++walked > count) {
      built = false;  // more entries than records: the index is damaged
      break;
    }
    if (!RecordOf(qsoFile).IsQsyMarker()) {
      std::copy(qsoFile.Record().begin(), qsoFile.Record().end(), target->Record().begin());
      QsoRecord rec = RecordOf(*target);
      tables.Evaluate(rec, lookup, false);
      lookup.Add(rec);
      const RunningNumbers::Numbers n = numbering.Next(rec);
      rec.SetRecordNo(0);
      rec.SetSerialNo(n.serial);
      rec.SetBandNo2(n.band2);
      rec.SetBandNo(n.band);
      rec.SetModeNo(n.mode);
      if (!target->InsertRecord().ok()) {
        built = false;
        break;
      }
      ++copied;
    }
    if (walked % 10 == 0 && progress) progress->SetPosition(walked);
    st = qsoFile.MoveNext(kIndexByDateTime);
  }
  built = built && WalkEnded(st) && walked == count;
  if (built) built = target->EndBulkLoad().ok() && target->Flush().ok();
  if (built) built = target->RecordCount() == copied;
  if (!built) {
    (void)target->DeleteFileBlockFiles();
    catalogue.ReleaseRewrite(SharedFile::kQsoLog, logNumber);
    platform.Inform(kBuildFailed);
    return RenumberResult::kTempFailed;
  }
  const bool replaced = catalogue.engine().ReplaceFileBlockFiles(qsoFile, *target).ok();
  if (!replaced) (void)target->DeleteFileBlockFiles();
  catalogue.ReleaseRewrite(SharedFile::kQsoLog, logNumber);
  if (!replaced) {
    platform.Inform("Fehler beim Neuaufbau der Datenbank");
    return RenumberResult::kRebuildFailed;
  }
  return RenumberResult::kDone;
}

}  // namespace korv
