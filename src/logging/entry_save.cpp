// EntrySession: the clock, storing the entry (with the retry and the call
// book), deleting a QSO and what callers without a window use (import,
// scripted entry).
#include "logging/entry_session.h"

#include <cstring>

#include "common/dates.h"
#include "common/text.h"
#include "files/call_book.h"
#include "logging/clock.h"
#include "logging/entry_session_internal.h"
#include "logging/exchange_rules.h"

namespace korv {

using namespace entry_internal;

// --- clock -------------------------------------------------------------------------

DayAndTime EntrySession::ClockNow() const {
  return LoggingClock(context_.platform->Now(), context_.settings.utcOffsetHours);
}

DayNumber EntrySession::Today() const { return ClockNow().day; }

void EntrySession::ApplyClock(bool allowBandChange) {
  const DayAndTime now = ClockNow();
  const ContestHeader h = header();
  if (allowBandChange && h.bandAutomatic() != 0) {
    if (auto wanted = PeriodBand(rules_, now, band_); wanted && *wanted != band_) {
      CollectEntryQuietly();
      if (entry().call().empty()) ChangeBand(*wanted);
      ShowRecord();
    }
  }
  QsoRecord e = entry();
  if (h.dateAutomatic() != 0 && now.day != kNoDate) {
    e.SetQsoDate(now.day);
    texts_[FieldSlot(EntryField::kDate)] = DateToText(now.day);
  }
  if (h.timeAutomatic() != 0 && now.time != kNoTime) {
    e.SetQsoTime(now.time);
    texts_[FieldSlot(EntryField::kTime)] = TimeToText(now.time);
  }
}

void EntrySession::ClockTick() {
  if (qsoFile_ == nullptr) return;
  ApplyClock(true);
}

// --- saving --------------------------------------------------------------------------

bool EntrySession::InsertEntryWithRetry() {
  QsoRecord e = entry();
  for (int attempt = 0; attempt < kMaxSaveAttempts; ++attempt) {
    std::memcpy(qsoFile_->Record().data(), entry_.data(), kQsoRecordSize);
    if (qsoFile_->InsertRecord().ok()) {
      std::memcpy(entry_.data(), qsoFile_->Record().data(), kQsoRecordSize);
      return true;
    }
    AdvanceOneSecond(e);
  }
  return false;
}

void EntrySession::UpdateCallBook() {
  if (callBook_ == nullptr) return;
  QsoRecord e = entry();
  const std::string call = e.call();
  if (call.size() <= 2) return;
  const std::string base10 = Cut(BaseCall(call, CallPart::kBaseCall, context_.settings.suffixes), 10);
  if (base10.empty()) return;
  const KeyString key(PadText(base10, 10));
  if (!callBook_->FindExact(kCallBookIndexByCall, key).ok()) {
    callBook_->ClearRecordBuffer();
    SetCallBookCall(callBook_->Record(), base10);
    if (!callBook_->InsertRecord().ok()) return;
  }
  bool changed = false;
  const std::string dok = e.dok();
  if (!dok.empty()) changed = SetCallBookField(callBook_->Record(), kCallBookDok, dok) || changed;
  const std::string nq = e.nameQth();
  const std::size_t semi = nq.find(';');
  const std::string name = semi == std::string::npos ? nq : nq.substr(0, semi);
  const std::string qth = semi == std::string::npos ? std::string() : nq.substr(semi + 1);
  if (!name.empty()) changed = SetCallBookField(callBook_->Record(), kCallBookName, name) || changed;
  if (!qth.empty()) changed = SetCallBookField(callBook_->Record(), kCallBookQth, qth) || changed;
  if (changed) (void)callBook_->UpdateRecord();
  station_.valid = false;
}

bool EntrySession::Save(SaveSender sender) {
  if (qsoFile_ == nullptr) return false;
  CollectEntryQuietly();
  QsoRecord e = entry();
  // Both callers check the entry first; an entry that is not valid (for
  // example a duplicate stored meanwhile) is never stored.
  // Midnight is a time (0); no time is -1.
  if (e.qsoDate() <= 0 || e.qsoTime() < 0 || !CallIsValid(e.call(), context_.settings.suffixes)) return false;
  lastFrequency_ = e.frequency();
  // The multiplier columns and the tables follow the values as stored.
  EvaluateEntryMultipliers();
  if (editing_ == 0) {
    if (e.band() != band_ || e.mode() != (freeModeShown_ ? e.mode() : mode_)) ComputeRunningNumbersFor(e.band(), e.mode());
    e.SetSerialNo(preparedSerialNo_);
    e.SetBandNo(preparedBandNo_);
    e.SetBandNo2(preparedBandNo2_);
    e.SetModeNo(preparedModeNo_);
    e.SetQslSend(qslSend_);
  }
  // Everything the record gets on saving is set before the insert, so that
  // the QSO reaches the disk in one write.
  if (sender != SaveSender::kAdifImport) ApplyClock(false);
  e.SetPoints(PointsOf(e, header(), rules_, code()));
  const bool listener = rules_.listenerLog != 0;
  Exchange sent = e.SentExchange();
  Exchange rcvd = e.ReceivedExchange();
  std::array<std::string*, 3> sentFields{&sent.field2, &sent.field3, &sent.field4};
  std::array<std::string*, 3> rcvdFields{&rcvd.field2, &rcvd.field3, &rcvd.field4};
  for (int n = 2; n <= 4; ++n) {
    const auto i = static_cast<std::size_t>(n - 2);
    if (IsRunningNumberKind(rules_.sentKind[n])) {
      std::string* f = listener ? rcvdFields[i] : sentFields[i];
      *f = PadRunningNumber(*f);
    }
    if (IsRunningNumberKind(rules_.receivedKind[n])) {
      std::string* f = listener ? sentFields[i] : rcvdFields[i];
      *f = PadRunningNumber(*f);
    }
  }
  e.SetSentExchange(sent);
  e.SetReceivedExchange(rcvd);
  lastDate_ = e.qsoDate();
  lastTime_ = e.qsoTime();

  if (editing_ == 0) {
    if (!InsertEntryWithRetry()) return false;
    rate_.Add(e.qsoDate(), e.qsoTime());
    if (context_.partialCalls) {
      logCalls_.Add(e.call(), e.band());
      ++logCallsGeneration_;
    }
  } else {
    bool updated = false;
    for (int attempt = 0; attempt < kMaxSaveAttempts && !updated; ++attempt) {
      std::memcpy(qsoFile_->Record().data(), entry_.data(), kQsoRecordSize);
      updated = qsoFile_->UpdateRecord().ok();
      if (!updated) AdvanceOneSecond(e);
    }
    if (!updated) return false;
  }
  lastSavedRecordNo_ = e.recordNo();
  const bool sameBand = e.band() == band_;
  if (!e.IsQsyMarker() && sameBand) AddSavedQso(totals_, rules_, code(), band_, e.points());
  tables_.Commit();
  tablesCurrent_ = sameBand;
  UpdateCallBook();
  context_.platform->ProcessPendingEvents();
  PrepareNewEntry();
  return true;
}

// --- delete ------------------------------------------------------------------------

bool EntrySession::DeleteQso(std::uint32_t recordNo) {
  if (qsoFile_ == nullptr) return false;
  KeyString key;
  key.AppendLong(static_cast<std::int32_t>(recordNo));
  if (!qsoFile_->FindExact(kIndexByRecordNo, key).ok()) return false;
  const QsoRecord stored = RecordOf(*qsoFile_);
  if (stored.IsQsyMarker()) return false;
  const std::string call = stored.call();
  context_.platform->Inform(
      "Durch das L\xF6schen eines Eintrages werden die Nummern aller nachfolgenden Eintr\xE4ge um 1 verringert.");
  if (!context_.platform->AskBeforeDestroying("Eintrag " + call + " l\xF6schen?")) return false;
  if (!qsoFile_->FindExact(kIndexByRecordNo, key).ok()) return false;
  const std::size_t slot = CountsInSlotOne(rules_, code()) ? 1 : LogTotals::Slot(RecordOf(*qsoFile_).band());
  totals_.pointsPerBand[slot] -= RecordOf(*qsoFile_).points();
  totals_.qsosPerBand[slot] -= 1;
  if (!qsoFile_->RemoveRecord(RemoveMode::kNext).ok()) return false;
  RunRenumber();
  RecountAll();
  RunRecalculate();
  PrepareNewEntry();
  return true;
}

// --- callers without a window: import, scripted entry ------------------------------

void EntrySession::SetEntryBandAndMode(BandIndex band, const std::string& mode) {
  QsoRecord e = entry();
  e.SetBand(band);
  e.SetMode(mode);
}

void EntrySession::BeginImport() { importing_ = true; }

void EntrySession::FinishImport() {
  importing_ = false;
  tablesCurrent_ = false;
  if (qsoFile_ == nullptr) return;
  RecountAll();
  PrepareNewEntry();
}

void EntrySession::UsePreviousQsoDateTime() {
  if (qsoFile_ == nullptr || !qsoFile_->MoveLast(kIndexByRecordNo).ok()) return;
  const QsoRecord last = RecordOf(*qsoFile_);
  lastDate_ = last.qsoDate();
  lastTime_ = last.qsoTime();
  QsoRecord e = entry();
  e.SetQsoDate(lastDate_);
  e.SetQsoTime(lastTime_);
  ShowRecord();
}

}  // namespace korv
