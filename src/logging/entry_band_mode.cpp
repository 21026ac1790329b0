// EntrySession: the bands and modes of the log and changing them.
#include "logging/entry_session.h"

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

}  // namespace korv
