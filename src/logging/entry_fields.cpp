// EntrySession: the entry fields - their lengths, visibility and focus
// order, preparing a new entry, showing the entry record in the texts and
// collecting the texts into it, and what the received kinds set.
#include "logging/entry_session.h"

#include <algorithm>

#include "common/dates.h"
#include "common/picture.h"
#include "common/text.h"
#include "logging/entry_session_internal.h"
#include "logging/exchange_rules.h"
#include "refdata/locator.h"
#include "refdata/modes.h"

namespace korv {

using namespace entry_internal;

namespace {

// Applies the report rules of a row: padded to 3; CW gets a "9" where the
// third character is blank after a second one; SSB, PR and FM blank it.
std::string RowReport(std::string report, const std::string& mode) {
  report = Cut(std::move(report), 3);
  report.resize(3, ' ');
  if (mode == "CW" && report[2] == ' ' && report[1] != ' ') report[2] = '9';
  if (mode == "SSB" || mode == "PR" || mode == "FM") report[2] = ' ';
  return report;
}

}  // namespace

int EntryFieldMaxLength(EntryField field) {
  switch (field) {
    case EntryField::kCall: return 14;
    case EntryField::kRstSent1:
    case EntryField::kRstRcvd1: return 3;
    case EntryField::kSent2:
    case EntryField::kSent3:
    case EntryField::kSent4: return 10;
    case EntryField::kRcvd2:
    case EntryField::kRcvd3:
    case EntryField::kRcvd4: return 21;
    case EntryField::kCall2: return 14;
    case EntryField::kFreq: return 10;
    case EntryField::kName:
    case EntryField::kQth: return 25;
    case EntryField::kDate: return 10;
    case EntryField::kTime: return 14;
    case EntryField::kFreeMode: return 6;
  }
  return 0;
}

// --- layout --------------------------------------------------------------------

bool EntrySession::SentFieldsEditable() const { return rules_.listenerLog != 0 || sentEditable_; }

EntryField EntrySession::SentField(int n) const {
  return static_cast<EntryField>(static_cast<int>(EntryField::kSent2) + n - 2);
}

EntryField EntrySession::ReceivedField(int n) const {
  return static_cast<EntryField>(static_cast<int>(EntryField::kRcvd2) + n - 2);
}

bool EntrySession::FieldVisible(EntryField field) const {
  const ContestHeader h(ContestHeader::Record(const_cast<std::uint8_t*>(header_.data()), kContestHeaderSize));
  switch (field) {
    case EntryField::kCall: return true;
    case EntryField::kRstSent1: return h.rstSentFree() != 0;
    case EntryField::kSent2:
    case EntryField::kSent3:
    case EntryField::kSent4: {
      const int n = static_cast<int>(field) - static_cast<int>(EntryField::kSent2) + 2;
      return rules_.sentKind[n] != 0 && SentFieldsEditable() &&
             (rules_.sentKind[n] != 17 || rules_.listenerLog == 0 || germanExtraShown_);
    }
    case EntryField::kCall2: return rules_.listenerLog != 0;
    case EntryField::kRstRcvd1: return h.rstReceivedFree() != 0;
    case EntryField::kRcvd2:
    case EntryField::kRcvd3:
    case EntryField::kRcvd4: {
      const int n = static_cast<int>(field) - static_cast<int>(EntryField::kRcvd2) + 2;
      return rules_.receivedKind[n] != 0 && (rules_.receivedKind[n] != 17 || germanExtraShown_);
    }
    case EntryField::kFreq:
    case EntryField::kName:
    case EntryField::kQth: return extraShown_;
    case EntryField::kDate: return h.dateAutomatic() == 0;
    case EntryField::kTime: return h.timeAutomatic() == 0;
    case EntryField::kFreeMode: return freeModeShown_;
  }
  return false;
}

std::vector<EntryField> EntrySession::FocusOrder() const {
  std::vector<EntryField> order;
  for (int i = 0; i < static_cast<int>(EntryField::kFreeMode); ++i) {
    const auto f = static_cast<EntryField>(i);
    if (FieldVisible(f)) order.push_back(f);
  }
  return order;
}

EntryField EntrySession::NextFieldOnEnter(EntryField field) const {
  const std::vector<EntryField> order = FocusOrder();
  const bool listener = rules_.listenerLog != 0;
  EntryField lastReceived = EntryField::kCall;
  bool hasReceived = false;
  for (EntryField f : {EntryField::kRcvd2, EntryField::kRcvd3, EntryField::kRcvd4}) {
    if (FieldVisible(f)) {
      lastReceived = f;
      hasReceived = true;
    }
  }
  const bool fromLastReceived =
      (hasReceived && field == lastReceived && !listener) || (listener && field == EntryField::kRstRcvd1);
  if ((fromLastReceived && !FieldVisible(EntryField::kFreq)) || field == EntryField::kQth) {
    if (FieldVisible(EntryField::kTime)) return EntryField::kTime;
  }
  if (field == EntryField::kTime && FieldVisible(EntryField::kDate)) return EntryField::kDate;
  auto it = std::find(order.begin(), order.end(), field);
  if (it == order.end() || order.empty()) return EntryField::kCall;
  ++it;
  return it == order.end() ? order.front() : *it;
}

std::string EntrySession::DefaultReport() const {
  if (code() == 'j') return {};
  return (mode_ == "CW" || freeModeShown_) ? "599" : "59 ";
}

// --- preparing, showing and collecting the entry ---------------------------------------

void EntrySession::ComputeRunningNumbers() {
  ComputeRunningNumbersFor(band_, entry().mode().empty() ? mode_ : entry().mode());
}

void EntrySession::ComputeRunningNumbersFor(BandIndex band, const std::string& mode) {
  FileBlock& f = *qsoFile_;
  preparedSerialNo_ = f.MoveLast(kIndexBySerialNo).ok() ? RecordOf(f).serialNo() + 1 : 1;
  auto highest = [&](int index, bool second) -> std::int32_t {
    if (!f.FindAtLeast(index, KeyString(std::string(1, band))).ok()) return 1;
    const QsoRecord rec = RecordOf(f);
    if (rec.band() != band) return 1;
    return (second ? rec.bandNo2() : rec.bandNo()) + 1;
  };
  preparedBandNo_ = highest(kIndexBandNoDesc, false);
  preparedBandNo2_ = highest(kIndexBandNo2Desc, true);
  const ModeCode mc = ModeCodeFromText(mode);
  preparedModeNo_ = 1;
  if (f.FindAtLeast(kIndexByModeNoDesc, KeyString(std::string(1, mc))).ok()) {
    const QsoRecord rec = RecordOf(f);
    if (ModeCodeFromText(rec.mode()) == mc && rec.mode() == mode) {
      preparedModeNo_ = static_cast<std::uint16_t>(rec.modeNo() + 1);
    }
  }
}

void EntrySession::PrepareNewEntry() {
  editing_ = 0;
  prefixResolved_ = false;
  resolvedCall_.clear();
  lastCheckedCall_.clear();
  lastFetchedCall_.clear();
  proposedField_.reset();
  lastShownPrefix_.clear();
  germanExtraShown_ = true;
  if (importing_) {
    // The tables wait for the end of the import.
  } else if (tablesCurrent_) {
    tables_.Commit();
    tablesCurrent_ = false;
  } else {
    tables_.Rebuild(*qsoFile_, band_);
  }
  RefreshAfterCountChange();

  QsoRecord e = entry();
  e.Clear();
  e.SetQsoDate(lastDate_ == 0 ? kNoDate : lastDate_);
  e.SetQsoTime(lastTime_);
  e.SetMode(freeModeShown_ ? (texts_[FieldSlot(EntryField::kFreeMode)].empty() ? "DIGITAL"
                                                                                 : texts_[FieldSlot(EntryField::kFreeMode)])
                           : mode_);
  e.SetBand(band_);
  ComputeRunningNumbers();
  const ContestHeader h = header();
  qslSend_ = h.qslSentDefault();
  e.SetQslSend(qslSend_);
  e.SetQslRcvd(h.qslReceivedDefault());
  e.SetSerialNo(preparedSerialNo_);
  e.SetBandNo(preparedBandNo_);
  e.SetBandNo2(preparedBandNo2_);
  e.SetModeNo(preparedModeNo_);

  const std::string report = DefaultReport();
  std::array<std::string, 5> sent;  // fields 2..4
  for (int n = 2; n <= 4; ++n) {
    sent[static_cast<std::size_t>(n)] = rules_.sentText[n];
    const int kind = rules_.sentKind[n];
    if (IsRunningNumberKind(kind) && !SentFieldsEditable()) {
      const std::int32_t number = kind == 7 ? preparedSerialNo_ : kind == 13 ? preparedBandNo_ : preparedModeNo_;
      sent[static_cast<std::size_t>(n)] = FormatPicture(number, "@@@");
    }
  }
  std::string text = sent[2];
  if (!sent[3].empty()) text += "/" + sent[3];
  if (!sent[4].empty()) text += "/" + sent[4];
  if (text.empty() && rules_.listenerLog == 0 && code() != '7') text = FormatPicture(preparedSerialNo_, "@@@");
  if (rules_.listenerLog != 0) text.clear();
  std::string reportPadded = Cut(report, 3);
  reportPadded.resize(3, ' ');
  e.SetSentExch(reportPadded + text);
  e.SetRcvdExch(reportPadded + (code() == '9' ? "000" : ""));
  foundName_.clear();
  foundQth_.clear();
  if (lastFrequency_ != 0) e.SetFrequency(lastFrequency_);
  // With automatic date and time the new entry shows the clock at once, not
  // the last QSO's moment (a message may have stood for many seconds).
  if (!importing_) ApplyClock(false);
  for (std::string& t : texts_) t.clear();
  ShowRecord();
  focused_ = EntryField::kCall;
  // A band or mode change of the radio waited for this entry to end.
  if (!importing_) ApplyHeldRigReading();
}

namespace {

// A "/" typed into an exchange field reads back as a field separator: the
// parts belong to the last field the row uses, not to fields that are not
// there (their texts would be joined in again on the next collect).
Exchange FitToFields(Exchange x, bool use3, bool use4) {
  if (!use3 && !use4) {
    if (!x.field3.empty() || !x.field4.empty()) x.field2 += "/" + x.field3;
    if (!x.field4.empty()) x.field2 += "/" + x.field4;
    x.field3.clear();
    x.field4.clear();
  } else if (use3 && !use4) {
    if (!x.field4.empty()) x.field3 += "/" + x.field4;
    x.field4.clear();
  }
  return x;
}

}  // namespace

void EntrySession::ShowRecord() {
  const bool saved = refreshing_;
  refreshing_ = true;
  QsoRecord e = entry();
  auto put = [&](EntryField f, std::string v) { texts_[FieldSlot(f)] = std::move(v); };
  put(EntryField::kCall, e.call());
  const bool listener = rules_.listenerLog != 0;
  const Exchange upper = FitToFields(listener ? e.ReceivedExchange() : e.SentExchange(), rules_.sentKind[3] != 0,
                                     rules_.sentKind[4] != 0);
  const Exchange lower = FitToFields(listener ? e.SentExchange() : e.ReceivedExchange(),
                                     rules_.receivedKind[3] != 0, rules_.receivedKind[4] != 0);
  put(EntryField::kRstSent1, RightTrimmed(upper.report));
  put(EntryField::kSent2, upper.field2);
  put(EntryField::kSent3, upper.field3);
  put(EntryField::kSent4, upper.field4);
  put(EntryField::kRstRcvd1, RightTrimmed(lower.report));
  put(EntryField::kRcvd2, lower.field2);
  put(EntryField::kRcvd3, lower.field3);
  put(EntryField::kRcvd4, lower.field4);
  put(EntryField::kCall2, listener ? e.call2() : std::string());
  put(EntryField::kDate, e.qsoDate() > 0 ? DateToText(e.qsoDate()) : std::string());
  put(EntryField::kTime, e.qsoTime() >= 0 ? TimeToText(e.qsoTime()) : std::string());
  put(EntryField::kFreq, e.frequency() > 0 ? TrimBlanksTabs(FormatPicture(static_cast<double>(e.frequency()), "#####,###"))
                                           : std::string());
  const std::string nq = e.nameQth();
  const std::size_t semi = nq.find(';');
  put(EntryField::kName, semi == std::string::npos ? nq : nq.substr(0, semi));
  put(EntryField::kQth, semi == std::string::npos ? std::string() : nq.substr(semi + 1));
  refreshing_ = saved;
}

void EntrySession::CollectEntry() {
  QsoRecord e = entry();
  // Blanks and tabs around the call are no part of it; only blanks inside
  // separate its parts, like "-".
  std::string call = Upper(TrimBlanksTabs(texts_[FieldSlot(EntryField::kCall)]));
  std::replace(call.begin(), call.end(), '-', '/');
  std::replace(call.begin(), call.end(), ' ', '/');
  if (!call.empty() && call.back() == '#') {
    call.pop_back();
    call += "/P";
  }
  call = Cut(call, 12);
  e.SetCall(call);
  if (rules_.listenerLog != 0) e.SetCall2(Cut(Upper(TrimBlanksTabs(texts_[FieldSlot(EntryField::kCall2)])), 12));

  std::string& dateText = texts_[FieldSlot(EntryField::kDate)];
  if (!dateText.empty()) dateText = CompleteDateText(dateText, Today());
  e.SetQsoDate(dateText.empty() ? kNoDate : DateFromText(dateText));
  std::string& timeText = texts_[FieldSlot(EntryField::kTime)];
  if (!timeText.empty()) {
    timeText = CompleteTimeText(timeText);
    if (timeText.size() == 5) timeText += ":00";
  }
  e.SetQsoTime(timeText.empty() ? kNoTime : TimeFromText(timeText));

  const std::string name = CapitaliseWords(TrimBlanksTabs(texts_[FieldSlot(EntryField::kName)]));
  const std::string qth = CapitaliseWords(TrimBlanksTabs(texts_[FieldSlot(EntryField::kQth)]));
  if (!name.empty()) foundName_ = name;
  e.SetNameQth(name.empty() && qth.empty() ? std::string() : Cut(name + ";" + qth, 30));

  const std::string freqText = TrimBlanksTabs(texts_[FieldSlot(EntryField::kFreq)]);
  const DecimalResult freq = ParseDecimal(freqText);
  e.SetFrequency(freqText.empty() || freq.errorPos != 0 ? 0.0f : static_cast<float>(freq.value));

  const std::string mode = e.mode();
  auto row = [&](EntryField report, EntryField f2, EntryField f3, EntryField f4) {
    Exchange x;
    x.report = RowReport(Upper(texts_[FieldSlot(report)]), mode);
    x.field2 = Upper(texts_[FieldSlot(f2)]);
    x.field3 = Upper(texts_[FieldSlot(f3)]);
    x.field4 = Upper(texts_[FieldSlot(f4)]);
    return x;
  };
  const Exchange upper = row(EntryField::kRstSent1, EntryField::kSent2, EntryField::kSent3, EntryField::kSent4);
  const Exchange lower = row(EntryField::kRstRcvd1, EntryField::kRcvd2, EntryField::kRcvd3, EntryField::kRcvd4);
  const bool listener = rules_.listenerLog != 0;
  e.SetSentExchange(listener ? lower : upper);
  e.SetReceivedExchange(listener ? upper : lower);
  ApplyReceivedKinds();
}

void EntrySession::CollectEntryQuietly() {
  const auto savedFocus = focused_;
  focused_.reset();
  CollectEntry();
  focused_ = savedFocus;
}

void EntrySession::ApplyReceivedKinds() {
  QsoRecord e = entry();
  ApplyReceivedKindsTo(e, false);
}

void EntrySession::ApplyReceivedKindsTo(QsoRecord e, bool editDialog) {
  const bool listener = rules_.listenerLog != 0;
  const Exchange rcvd = e.ReceivedExchange();
  const std::string call = e.call();
  const std::array<std::string, 3> values{TrimBlanksTabs(rcvd.field2), TrimBlanksTabs(rcvd.field3),
                                          TrimBlanksTabs(rcvd.field4)};
  bool dokKind = false, locKind = false, areaKind = false, multi3Kind = false;
  for (int n = 2; n <= 4; ++n) {
    const int k = rules_.receivedKind[n];
    dokKind = dokKind || k == 4 || k == 8 || k == 17;
    locKind = locKind || k == 5 || k == 6;
    areaKind = areaKind || k == 12 || k == 15;
    multi3Kind = multi3Kind || k == 16 || k == 19;
  }
  if (dokKind) e.SetDok("");
  if (locKind) {
    e.SetRxLocator("");
    e.SetDistanceKm(0);
  }
  if (areaKind) e.SetAreaCode("");
  if (multi3Kind && !listener) e.SetMulti3("");
  for (int n = 2; n <= 4; ++n) {
    const int kind = rules_.receivedKind[n];
    const std::string& value = values[static_cast<std::size_t>(n - 2)];
    const EntryField field = listener ? SentField(n) : ReceivedField(n);
    // The entry reports a faulty value only while its field has the focus;
    // the edit dialog reports it whenever it is accepted.
    const bool focused = editDialog || (focused_ && *focused_ == field);
    switch (kind) {
      case 4:
        if (value.empty()) break;
        if (!IsGermanCall(call) && code() != 'B') break;
        if (IsRefusedJDok(value)) {
          if (focused) {
            context_.platform->Inform("Fehler bei DOK-Angabe");
            fieldErrorShown_ = true;
          }
          break;
        }
        if (DokIsAcceptable(value)) e.SetDok(value);
        break;
      case 5:
      case 6:
        if (value.empty()) break;
        if (editDialog && value.size() <= 3) break;  // the dialog looks only at longer texts
        if (value.size() >= 4 && LocatorIsValid(value)) {
          e.SetRxLocator(value.substr(0, std::min<std::size_t>(6, value.size())));
          const std::string own = header().locator().empty() ? context_.settings.own.locator : header().locator();
          const int km = StoredDistanceKm(own, value);
          e.SetDistanceKm(km > 0 ? static_cast<std::uint32_t>(km) : 0U);
        } else if (focused) {
          context_.platform->Inform("Fehler bei Locator-Angabe");
          fieldErrorShown_ = true;
        }
        break;
      case 8:
      case 17:
        if (!value.empty()) e.SetDok(value);
        break;
      case 12:
        if (!value.empty()) e.SetAreaCode(UsStateCode(value));
        break;
      case 15:
        if (!value.empty()) e.SetAreaCode(value.substr(0, 2));
        break;
      case 16:
        if (!value.empty() && !listener) e.SetMulti3(value.substr(0, std::min<std::size_t>(4, value.size())));
        break;
      case 19:
        if (!value.empty() && !listener) e.SetMulti3(value.substr(0, std::min<std::size_t>(6, value.size())));
        break;
      default:
        break;
    }
  }
}

void EntrySession::SetFieldText(EntryField field, std::string text) {
  if (field != EntryField::kName && field != EntryField::kQth) text = Upper(std::move(text));
  const auto max = static_cast<std::size_t>(EntryFieldMaxLength(field));
  if (text.size() > max) text.resize(max);
  if (field == EntryField::kFreeMode) {
    freeMode_ = text;
    if (freeModeShown_) entry().SetMode(text);
  }
  texts_[FieldSlot(field)] = std::move(text);
}

void EntrySession::FieldEntered(EntryField field) { focused_ = field; }

void EntrySession::HashTypedInCall() {
  std::string& call = texts_[FieldSlot(EntryField::kCall)];
  if (!call.empty() && call.back() == '#') call.pop_back();
  if (Upper(call).find("/P") == std::string::npos) call += "/P";
}

void EntrySession::ToggleQslSend() {
  const char c = qslSend_;
  const bool yes = c == 'J' || c == 'j' || c == 'S' || c == 's' || c == 'Y' || c == 'y';
  qslSend_ = yes ? 'N' : 'Y';
  entry().SetQslSend(qslSend_);
}

}  // namespace korv
