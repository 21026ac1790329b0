#include "logging/renumber.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <string>
#include <system_error>

#include "refdata/modes.h"

namespace korv {
namespace {

constexpr int kIndexByDateTime = 1;
constexpr int kTempIndex = 1;  // KVLKTEMP: record number = position in time order

QsoRecord RecordOf(FileBlock& file) {
  return QsoRecord(QsoRecord::Record(file.Record().data(), kQsoRecordSize));
}

std::filesystem::path MarkerPath(const std::filesystem::path& dataDirectory) {
  return dataDirectory.empty() ? std::filesystem::path(kRenumberMarkerName)
                               : dataDirectory / kRenumberMarkerName;
}

// Writes the marker durably: the log number, then fsync of the file.
bool WriteMarker(const std::filesystem::path& path, std::int32_t logNumber) {
  const std::string text = std::to_string(logNumber);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ok = ::fsync(fd) == 0 && ok;
  ::close(fd);
  return ok;
}

bool MarkerNames(const std::filesystem::path& path, std::int32_t logNumber) {
  std::ifstream in(path);
  std::string text;
  if (!in || !std::getline(in, text)) return false;
  return text == std::to_string(logNumber);
}

void RemoveMarker(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

// Steps 4 to 6: the QSO file emptied and filled again from KVLKTEMP.
bool RebuildFromTemp(FileBlock& qsoFile, FileBlock& temp, const ScoringContext& ctx,
                     Platform& platform, ProgressWindow* progress) {
  (void)qsoFile.DeleteFileBlockFiles();
  qsoFile.SetFlushAfterWrite(false);
  const bool bulk = qsoFile.BeginBulkLoad().ok();
  std::map<char, std::int32_t> bandNo;
  std::map<char, std::int32_t> bandNo2;
  std::map<char, std::int32_t> modeNo;
  MultiplierTables tables(ctx);
  MemoryWorkedLookup lookup(ctx);
  bool ok = true;
  std::int32_t done = 0;
  Status st = temp.MoveFirst(kTempIndex);
  while (st.ok()) {
    const QsoRecord source = RecordOf(temp);
    const std::uint32_t position = source.recordNo();
    std::copy(temp.Record().begin(), temp.Record().end(), qsoFile.Record().begin());
    QsoRecord rec = RecordOf(qsoFile);
    tables.Evaluate(rec, lookup, false);
    lookup.Add(rec);
    rec.SetRecordNo(0);
    rec.SetSerialNo(static_cast<std::int32_t>(position));
    const char band = rec.band();
    rec.SetBandNo2(++bandNo2[band]);
    rec.SetBandNo(++bandNo[band]);
    rec.SetModeNo(static_cast<std::uint16_t>(++modeNo[ModeCodeFromText(rec.mode())]));
    if (!qsoFile.InsertRecord().ok()) {
      platform.Inform("Fehler beim Neuaufbau der Datenbank");
      ok = false;
      break;
    }
    if (++done % 10 == 0 && progress != nullptr) progress->SetPosition(done);
    st = temp.MoveNext(kTempIndex);
  }
  if (bulk && !qsoFile.EndBulkLoad().ok()) ok = false;
  qsoFile.SetFlushAfterWrite(true);
  if (!qsoFile.Flush().ok()) ok = false;
  return ok;
}

}  // namespace

RenumberResult Renumber(FileCatalogue& catalogue, FileBlock& qsoFile, std::int32_t logNumber,
                        const ScoringContext& ctx, Platform& platform,
                        const std::filesystem::path& dataDirectory) {
  const ContestRules& rules = *ctx.rules;
  for (int n = 2; n <= 4; ++n) {
    if (rules.sentKind[n] == 7) {
      if (qsoFile.RecordCount() == 0) (void)qsoFile.DeleteFileBlockFiles();
      return RenumberResult::kSkipped;
    }
  }
  FileBlock* temp = catalogue.OpenQsoTemp();
  if (temp == nullptr) {
    platform.Inform("Fehler beim Aufbau der tempor\xE4ren Datenbank");
    return RenumberResult::kTempFailed;
  }
  (void)temp->DeleteFileBlockFiles();
  auto progress = platform.OpenProgress("Neunummerierung");
  if (progress) progress->SetRange(qsoFile.RecordCount());

  const bool bulk = temp->BeginBulkLoad().ok();
  bool copied = true;
  std::int32_t done = 0;
  Status st = qsoFile.MoveFirst(kIndexByDateTime);
  while (st.ok()) {
    const QsoRecord rec = RecordOf(qsoFile);
    if (!rec.IsQsyMarker()) {
      std::copy(qsoFile.Record().begin(), qsoFile.Record().end(), temp->Record().begin());
      RecordOf(*temp).SetRecordNo(0);
      if (!temp->InsertRecord().ok()) {
        copied = false;
        break;
      }
    }
    if (++done % 10 == 0 && progress) progress->SetPosition(done);
    st = qsoFile.MoveNext(kIndexByDateTime);
  }
  if (bulk && !temp->EndBulkLoad().ok()) copied = false;
  if (copied && !temp->Flush().ok()) copied = false;
  const std::filesystem::path marker = MarkerPath(dataDirectory);
  if (copied && !WriteMarker(marker, logNumber)) copied = false;
  if (!copied) {
    platform.Inform("Fehler beim Aufbau der tempor\xE4ren Datenbank");
    catalogue.ReleaseQsoTemp();
    return RenumberResult::kTempFailed;
  }
  if (progress) progress->SetPosition(0);
  const bool rebuilt = RebuildFromTemp(qsoFile, *temp, ctx, platform, progress.get());
  // After a failed rebuild KVLKTEMP stays the complete copy: the marker
  // stays too, so the next opening finishes the work.
  if (rebuilt) RemoveMarker(marker);
  catalogue.ReleaseQsoTemp();
  return rebuilt ? RenumberResult::kDone : RenumberResult::kRebuildFailed;
}

bool RecoverRenumbering(FileCatalogue& catalogue, FileBlock& qsoFile, std::int32_t logNumber,
                        const ScoringContext& ctx, Platform& platform,
                        const std::filesystem::path& dataDirectory) {
  const std::filesystem::path marker = MarkerPath(dataDirectory);
  if (!MarkerNames(marker, logNumber)) return false;
  FileBlock* temp = catalogue.OpenQsoTemp();
  if (temp == nullptr) return false;
  auto progress = platform.OpenProgress("Neunummerierung");
  if (progress) progress->SetRange(temp->RecordCount());
  const bool rebuilt = RebuildFromTemp(qsoFile, *temp, ctx, platform, progress.get());
  if (rebuilt) RemoveMarker(marker);
  catalogue.ReleaseQsoTemp();
  return rebuilt;
}

}  // namespace korv
