// EntrySession: the bands and modes of the log and changing them.
#include "logging/entry_session.h"

#include "common/picture.h"
#include "common/text.h"

namespace korv {

std::vector<std::string> EntrySession::Modes() const {
  std::vector<std::string> modes;
  for (const std::string& m : rules_.modes) {
    if (!m.empty()) modes.push_back(m);
  }
  return modes;
}

std::vector<BandIndex> EntrySession::Bands() const {
  std::vector<BandIndex> bands;
  for (char b : rules_.bandSlots) {
    if (b != 0) bands.push_back(b);
  }
  return bands;
}

// --- band and mode changes ----------------------------------------------------------

void EntrySession::ChangeBand(BandIndex band) {
  if (qsoFile_ == nullptr || band == 0) return;
  CollectEntryQuietly();
  // The entry counted on the band it leaves: that band's count goes back to
  // the stored QSOs' before the new band's tables count the entry.
  tables_.Withdraw();
  RefreshAfterCountChange();
  band_ = band;
  QsoRecord e = entry();
  e.SetBand(band);
  ComputeRunningNumbers();
  if (editing_ == 0) {
    e.SetBandNo(preparedBandNo_);
    e.SetBandNo2(preparedBandNo2_);
  }
  tables_.Rebuild(*qsoFile_, band_);
  RefreshAfterCountChange();
  if (!e.call().empty()) EvaluateEntryMultipliers();
  lastFrequency_ = 0;
  TakeCurrentBand(totals_, rules_, code(), band_);
}

void EntrySession::ChangeMode(const std::string& mode) {
  if (qsoFile_ == nullptr) return;
  CollectEntryQuietly();
  QsoRecord e = entry();
  if (mode == "DIGITAL") {
    freeModeShown_ = true;
    const std::string text = freeMode_.empty() ? std::string("DIGITAL") : freeMode_;
    texts_[FieldSlot(EntryField::kFreeMode)] = text;
    e.SetMode(text);
    mode_ = mode;
  } else {
    freeModeShown_ = false;
    mode_ = mode;
    e.SetMode(mode);
    if (code() != 'j') {
      const std::string report = DefaultReport();
      const ContestHeader h = header();
      const bool listener = rules_.listenerLog != 0;
      const bool sentLocked = h.rstSentFree() == 0;
      const bool rcvdLocked = h.rstReceivedFree() == 0;
      Exchange s = e.SentExchange();
      Exchange r = e.ReceivedExchange();
      // The upper row's report is the sent one in a normal log.
      if (listener ? rcvdLocked : sentLocked) s.report = report;
      if (listener ? sentLocked : rcvdLocked) r.report = report;
      e.SetSentExchange(s);
      e.SetReceivedExchange(r);
    }
  }
  ComputeRunningNumbers();
  if (editing_ == 0) e.SetModeNo(preparedModeNo_);
  ShowRecord();
}

bool EntrySession::ModeKey() {
  const std::vector<std::string> modes = Modes();
  if (modes.size() == 2) {
    ChangeMode(modes[0] == mode_ ? modes[1] : modes[0]);
    return false;
  }
  return true;
}

// --- the radio -------------------------------------------------------------------------

void EntrySession::TakeRigReading(const RigReading& reading) {
  if (qsoFile_ == nullptr || !reading.band) return;  // outside the contest's bands: nothing changes
  pendingRig_ = reading;
  if (editing_ == 0 && TrimBlanksTabs(texts_[FieldSlot(EntryField::kCall)]).empty()) ApplyHeldRigReading();
}

void EntrySession::ApplyHeldRigReading() {
  if (!pendingRig_) return;
  const RigReading r = *pendingRig_;
  pendingRig_.reset();
  if (*r.band != band_) ChangeBand(*r.band);
  if (r.mode && *r.mode != mode_ && !(freeModeShown_ && *r.mode == "DIGITAL")) ChangeMode(*r.mode);
  if (r.mhz > 0) {
    lastFrequency_ = static_cast<float>(r.mhz);
    QsoRecord e = entry();
    e.SetFrequency(lastFrequency_);
    texts_[FieldSlot(EntryField::kFreq)] = TrimBlanksTabs(FormatPicture(r.mhz, "#####,###"));
  }
}

}  // namespace korv
