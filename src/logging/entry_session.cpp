#include "logging/entry_session.h"

#include <algorithm>
#include <cstring>

#include "common/cp1252.h"
#include "common/dates.h"
#include "common/picture.h"
#include "common/text.h"
#include "files/call_book.h"
#include "files/file_keys.h"
#include "logging/clock.h"
#include "logging/exchange_rules.h"
#include "logging/qso_list.h"
#include "logging/renumber.h"
#include "refdata/bands.h"
#include "refdata/locator.h"
#include "refdata/modes.h"
#include "refdata/prefix_record.h"
#include "shell/contest_directory.h"

namespace korv {
namespace {

constexpr int kIndexByDateTime = 1;
constexpr int kIndexByRecordNo = 4;
constexpr int kIndexByCall = 6;
constexpr int kIndexBandNoDesc = 11;
constexpr int kIndexBandNo2Desc = 12;
constexpr int kIndexBySerialNo = 13;
constexpr int kIndexByMulti1 = 19;
constexpr int kIndexByModeNoDesc = 24;
constexpr int kDirectoryIndexByNumber = 3;
constexpr int kCallBookIndexByCall = 1;
constexpr int kCallListIndexByCall = 1;
constexpr int kMaxSaveAttempts = 10;

// KVCALL fields this program reads: the call list of the logbook keeps a
// DOK (ShortText[5] at 15) and a name (ShortText[20] at 38) per call.
constexpr std::size_t kCallListDok = 15;
constexpr std::size_t kCallListDokCapacity = 5;
constexpr std::size_t kCallListName = 38;
constexpr std::size_t kCallListNameCapacity = 20;

std::string Upper(std::string text) {
  for (char& c : text) c = UpperCaseAsciiUmlautChar(c);
  return text;
}

std::string RightTrimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string Cut(std::string text, std::size_t n) {
  if (text.size() > n) text.resize(n);
  return text;
}

QsoRecord RecordOf(FileBlock& file) {
  return QsoRecord(QsoRecord::Record(file.Record().data(), kQsoRecordSize));
}

bool IsNoFlag(char c) { return c == 0 || c == ' ' || c == 'N' || c == 'n'; }

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

EntrySession::EntrySession(LoggingContext context, std::vector<std::uint8_t> header, ContestRules rules)
    : context_(std::move(context)),
      header_(std::move(header)),
      rules_(std::move(rules)),
      tables_(ScoringContext{}) {
  header_.resize(kContestHeaderSize, 0);
  contestNumber_ = this->header().contestNumber();
  tables_ = MultiplierTables(Ctx());
}

EntrySession::~EntrySession() { Close(); }

ContestCode EntrySession::code() const {
  return const_cast<EntrySession*>(this)->header().contestCode();
}

DayAndTime EntrySession::ClockNow() const {
  return LoggingClock(context_.platform->Now(), context_.settings.utcOffsetHours);
}

DayNumber EntrySession::Today() const { return ClockNow().day; }

// --- window start ------------------------------------------------------------

bool EntrySession::Open() {
  if (qsoFile_ != nullptr) return true;
  FileCatalogue& cat = *context_.catalogue;
  totals_ = LogTotals{};
  lastDate_ = kNoDate;
  lastTime_ = kNoTime;
  qsoFile_ = cat.OpenQsoFile(contestNumber_);
  if (qsoFile_ == nullptr) return false;
  closed_ = false;
  RecoverRenumbering(cat, *qsoFile_, contestNumber_, Ctx(), *context_.platform, context_.dataDirectory);

  // QSY marker lines carry no multiplier fields.
  Status st = qsoFile_->MoveFirst(kIndexByDateTime);
  while (st.ok()) {
    QsoRecord rec = RecordOf(*qsoFile_);
    if (rec.IsQsyMarker()) {
      rec.ClearQsyMarkerFields();
      (void)qsoFile_->UpdateRecord();
    }
    st = qsoFile_->MoveNext(kIndexByDateTime);
  }
  bool needsRenumber = true;
  if (qsoFile_->MoveLast(kIndexByMulti1).ok()) {
    const QsoRecord last = RecordOf(*qsoFile_);
    needsRenumber = last.multi1().empty() || last.multi2().empty();
  }
  prefixFiles_.prefix = cat.OpenPrefixes();
  prefixFiles_.exceptionsEe = cat.OpenPrefixExceptions();
  prefixFiles_.exceptionsEs = cat.OpenPrefixSpecials();
  callList_ = cat.OpenCallList();
  callBook_ = cat.OpenCallBook();

  // Whether the sent exchange is editable lives in the log's totals record.
  sentEditable_ = false;
  if (context_.totals != nullptr && EnsureTotalsRecord(*context_.totals, contestNumber_).ok()) {
    if (auto tr = TotalsRecord::Over(context_.totals->Record())) sentEditable_ = tr->sentExchangeEditableOn();
  }

  band_ = rules_.bandSlots[1];
  if (needsRenumber && context_.renumberOnOpenAndClose) RunRenumber();
  const ContestHeader h = header();
  if (h.bandAutomatic() != 0) {
    if (auto wanted = PeriodBand(rules_, ClockNow(), band_)) band_ = *wanted;
  }
  const std::vector<std::string> modes = Modes();
  mode_ = modes.empty() ? std::string() : modes.front();
  auto listed = [&](std::string_view m) { return std::find(modes.begin(), modes.end(), m) != modes.end(); };
  if (h.startModeSsb() != 0 && listed("SSB")) mode_ = "SSB";
  if (h.startModeFm() != 0 && listed("FM")) mode_ = "FM";
  if (h.startModePr() != 0) {
    for (const char* m : {"PR", "FSK441", "DIGI"}) {
      if (listed(m)) mode_ = m;
    }
  }
  if (h.startModeSsb() == 0 && h.startModeFm() == 0 && h.startModePr() == 0 && listed("CW")) mode_ = "CW";
  extraShown_ = code() == 'a';

  const BandIndex lastBand = FullRecount(*qsoFile_, Ctx(), header(), band_, tables_, totals_);
  if (lastBand != 0 && lastBand != band_) {
    band_ = lastBand;
    tables_.Rebuild(*qsoFile_, band_);
    totals_.currentMultipliers = tables_.count();
    TakeCurrentBand(totals_, rules_, code(), band_);
  }
  PrepareNewEntry();
  ClockTick();
  return true;
}

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
  for (std::string& t : texts_) t.clear();
  ShowRecord();
  focused_ = EntryField::kCall;
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
  put(EntryField::kTime, e.qsoTime() > 0 ? TimeToText(e.qsoTime()) : std::string());
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
  std::string call = Upper(texts_[FieldSlot(EntryField::kCall)]);
  std::replace(call.begin(), call.end(), '-', '/');
  std::replace(call.begin(), call.end(), ' ', '/');
  if (!call.empty() && call.back() == '#') {
    call.pop_back();
    call += "/P";
  }
  call = Cut(TrimBlanksTabs(call), 12);
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

// --- checks ------------------------------------------------------------------------

bool EntrySession::ResolvePrefix() {
  QsoRecord e = entry();
  if (e.dxccFixed() != 0) return true;
  const std::string call = e.call();
  if (prefixResolved_ && resolvedCall_ == call) {
    e.SetPoints(PointsOf(e, header(), rules_, code()));
    return true;
  }
  prefixResolved_ = false;
  const std::optional<bool> resolved = ResolvePrefixOf(e);
  if (!resolved) return false;
  prefixResolved_ = *resolved;
  if (*resolved || rules_.multiplierKinds.test(1)) resolvedCall_ = call;
  return true;
}

std::optional<bool> EntrySession::ResolvePrefixOf(QsoRecord e) {
  const std::string call = e.call();
  DxccOptions options;
  options.today = Today();
  options.chooser = context_.chooser;
  bool resolved = false;
  PrefixRecord found;
  if (prefixFiles_.prefix != nullptr && !call.empty()) {
    const DxccResult r = ResolveDxcc(call, e.qsoDate(), context_.chooser != nullptr, prefixFiles_, options);
    resolved = r.result == kDxccResolved;
    if (resolved) found = PrefixRecord::From(prefixFiles_.prefix->Record());
  }
  const bool prefixOption = rules_.multiplierKinds.test(1);
  if (resolved || prefixOption) {
    if (e.prefix().empty() || prefixOption) {
      if (prefixOption) {
        std::string p;
        if (!call.empty()) p += call[0];
        std::size_t i = 1;
        while (i < call.size() && !(call[i] >= '0' && call[i] <= '9')) p += call[i++];
        while (i < call.size() && call[i] >= '0' && call[i] <= '9') p += call[i++];
        e.SetPrefix(Cut(p, 6));
      } else if (rules_.multiplierKinds.test(14) && !found.altDxccPrefix().empty()) {
        e.SetPrefix(found.altDxccPrefix());
      } else {
        e.SetPrefix(found.dxccPrefix());
      }
    }
    e.SetContinent(found.continent());
    e.SetPrefixFlag(0);
    e.SetPoints(PointsOf(e, header(), rules_, code()));
    return resolved;
  }
  e.SetPrefix("");
  e.SetContinent("");
  e.SetPrefixFlag(0);
  if (call.size() <= 2) {
    e.SetPoints(PointsOf(e, header(), rules_, code()));
    return false;
  }
  return std::nullopt;
}

const EntrySession::StoredStation& EntrySession::LookUpStation(const std::string& baseCall10) {
  if (station_.valid && station_.baseCall10 == baseCall10) return station_;
  station_ = StoredStation{};
  station_.valid = true;
  station_.baseCall10 = baseCall10;
  const KeyString key(PadText(baseCall10, 10));
  if (callBook_ != nullptr && callBook_->FindExact(kCallBookIndexByCall, key).ok()) {
    station_.name = Cut(DosToAnsi(CallBookField(callBook_->Record(), kCallBookName)), 20);
    station_.qth = Cut(CallBookField(callBook_->Record(), kCallBookQth), 20);
    station_.dok = Cut(CallBookField(callBook_->Record(), kCallBookDok), 8);
  } else if (callList_ != nullptr && callList_->FindExact(kCallListIndexByCall, key).ok()) {
    station_.name = Cut(DosToAnsi(GetShortText(callList_->Record(), kCallListName, kCallListNameCapacity)), 20);
    station_.dok = GetShortText(callList_->Record(), kCallListDok, kCallListDokCapacity);
  }
  return station_;
}

void EntrySession::CheckCallOnExit() {
  QsoRecord e = entry();
  const std::string call = e.call();
  const SuffixTable& suffixes = context_.settings.suffixes;
  if (call != lastCheckedCall_) {
    lastCheckedCall_ = call;
    if (e.dxccFixed() == 0) {
      e.SetPrefix("");
      e.SetAltPrefix("");
      prefixResolved_ = false;  // resolved again below for the new call
    }
    if (!call.empty()) {
      const std::string call14 = Call14(call, suffixes);
      if (e.nameQth().empty() && qsoFile_->FindExact(kIndexByCall, KeyString(call14)).ok()) {
        e.SetNameQth(RecordOf(*qsoFile_).nameQth());
        ShowRecord();
      }
      DuplicateQuery q;
      q.call = call;
      q.band = e.band();
      const std::string mode = e.mode();
      q.mode = mode;
      q.time = e.qsoTime();
      q.date = e.qsoDate();
      q.code = code();
      q.rule = rules_.dupeRule;
      q.includeRule5 = true;
      if (IsDuplicate(*qsoFile_, q, suffixes)) {
        context_.platform->Beep();
        const std::string base = BaseCall(call, CallPart::kBaseCall, suffixes);
        const std::string message = DuplicateMessage(rules_.dupeRule, code(), context_.uiGerman);
        context_.platform->Inform(context_.uiGerman ? "Call " + base + " " + message : message);
        prefixResolved_ = false;
        foundName_.clear();
        foundQth_.clear();
        Exchange r = e.ReceivedExchange();
        e.SetReceivedExchange(Exchange{r.report, "", "", ""});
        EvaluateEntryMultipliers();
        PrepareNewEntry();
        duplicateCleared_ = true;
        return;
      }
      const std::string base10 = Cut(BaseCall(call, CallPart::kBaseCall, suffixes), 10);
      const StoredStation& station = LookUpStation(base10);
      if (!station.name.empty()) {
        foundName_ = station.name;
        foundQth_ = station.qth;
      }
    }
  }
  if (e.dxccFixed() == 0 && !ResolvePrefix()) {
    context_.platform->Beep();
    context_.platform->Inform(PickText(context_.uiGerman, "Pr\xE4" "fix unbekannt", "prefix not found"));
  }
}

bool EntrySession::EntryIsValid(bool quiet) {
  QsoRecord e = entry();
  if (e.qsoDate() <= 0 || e.qsoTime() <= 0) return false;
  if (!CallIsValid(e.call(), context_.settings.suffixes)) return false;
  if (rules_.listenerLog != 0 && e.call2().empty()) return false;
  DuplicateQuery q;
  const std::string call = e.call();
  const std::string mode = e.mode();
  q.call = call;
  q.band = e.band();
  q.mode = mode;
  q.time = e.qsoTime();
  q.date = e.qsoDate();
  q.code = code();
  q.rule = rules_.dupeRule;
  q.includeRule5 = false;
  if (IsDuplicate(*qsoFile_, q, context_.settings.suffixes)) {
    if (quiet) return false;
    context_.platform->Beep();
    const std::string message = DuplicateMessage(rules_.dupeRule, code(), context_.uiGerman);
    context_.platform->Inform(context_.uiGerman ? "Call " + message : message);
    return false;
  }
  return true;
}

void EntrySession::EvaluateEntryMultipliers() {
  QsoRecord e = entry();
  QsoFileWorkedLookup lookup(*qsoFile_, Ctx());
  if (importing_) {
    // Only the record's multiplier columns; the tables are rebuilt once
    // the import ends.
    MultiplierTables columnsOnly(Ctx());
    columnsOnly.Evaluate(e, lookup, false);
    return;
  }
  tables_.Withdraw();
  tables_.Evaluate(e, lookup, true);
  RefreshAfterCountChange();
}

void EntrySession::RefreshAfterCountChange() {
  totals_.currentMultipliers = tables_.count();
  const char slotBand = WholeLogScope(rules_) ? rules_.bandSlots[1] : band_;
  totals_.multipliersPerBand[LogTotals::Slot(slotBand)] = tables_.count();
}

void EntrySession::FetchStoredExchange() {
  QsoRecord e = entry();
  const std::string call = e.call();
  if (call == lastFetchedCall_) return;
  lastFetchedCall_ = call;
  bool anyDokField = false;
  for (int n = 2; n <= 4; ++n) anyDokField = anyDokField || rules_.receivedKind[n] == 4;
  if (!anyDokField || call.empty()) return;
  const std::string base10 = Cut(BaseCall(call, CallPart::kBaseCall, context_.settings.suffixes), 10);
  std::string dok = LookUpStation(base10).dok;
  dok = TrimBlanksTabs(dok);
  if (dok.empty()) return;
  const bool listener = rules_.listenerLog != 0;
  for (int n = 2; n <= 4; ++n) {
    if (rules_.receivedKind[n] == 4) texts_[FieldSlot(listener ? SentField(n) : ReceivedField(n))] = dok;
  }
  const auto savedFocus = focused_;
  focused_.reset();
  CollectEntry();
  focused_ = savedFocus;
  EvaluateEntryMultipliers();
}

// --- events ----------------------------------------------------------------------------

void EntrySession::CallTextChanged(std::string text) {
  if (refreshing_) return;
  SetFieldText(EntryField::kCall, std::move(text));
  const auto savedFocus = focused_;
  focused_.reset();  // no field messages from the live check
  CollectEntry();
  focused_ = savedFocus;
  QsoRecord e = entry();
  const std::string call = e.call();
  if (call.size() > 1) {
    if (ResolvePrefix() && e.prefix() != lastShownPrefix_) {
      lastShownPrefix_ = e.prefix();
      EvaluateEntryMultipliers();
    }
    germanExtraShown_ = IsGermanCall(call);
  } else {
    tables_.Withdraw();
    RefreshAfterCountChange();
    lastShownPrefix_.clear();
    germanExtraShown_ = true;
  }
}

void EntrySession::ExchangeTextChanged(EntryField field, std::string text) {
  if (refreshing_) return;
  SetFieldText(field, std::move(text));
  const auto savedFocus = focused_;
  focused_.reset();
  CollectEntry();
  focused_ = savedFocus;
  if (!entry().call().empty()) EvaluateEntryMultipliers();
}

bool EntrySession::LeaveField(EntryField field, bool withEnter) {
  enterFlag_ = withEnter;
  fieldErrorShown_ = false;
  duplicateCleared_ = false;
  focused_ = field;
  CollectEntry();
  bool saved = false;
  auto hidden = [&](EntryField f) { return !FieldVisible(f); };
  const bool entryShown = !fieldErrorShown_;
  if (field == EntryField::kCall) {
    CheckCallOnExit();
    if (duplicateCleared_) {
      enterFlag_ = false;
      return false;
    }
    EvaluateEntryMultipliers();
    const std::string call = entry().call();
    if ((call.size() >= 2 && IsGermanCall(call)) || rules_.multiplierKinds.test(16) ||
        rules_.multiplierKinds.test(19)) {
      FetchStoredExchange();
    }
    if (withEnter && hidden(EntryField::kQth) && hidden(EntryField::kRstRcvd1) && hidden(EntryField::kRcvd2) &&
        hidden(EntryField::kRcvd3) && hidden(EntryField::kRcvd4) && hidden(EntryField::kTime) &&
        rules_.listenerLog == 0 && EntryIsValid()) {
      saved = Save();
    }
  } else if (field == EntryField::kRcvd2 || field == EntryField::kRcvd3 || field == EntryField::kRcvd4 ||
             field == EntryField::kSent2 || field == EntryField::kSent3 || field == EntryField::kSent4) {
    EvaluateEntryMultipliers();
    bool laterHidden = hidden(EntryField::kQth) && hidden(EntryField::kTime);
    if (field == EntryField::kRcvd2) laterHidden = laterHidden && hidden(EntryField::kRcvd3) && hidden(EntryField::kRcvd4);
    if (field == EntryField::kRcvd3) laterHidden = laterHidden && hidden(EntryField::kRcvd4);
    const bool receivedRow = field == EntryField::kRcvd2 || field == EntryField::kRcvd3 || field == EntryField::kRcvd4;
    if (receivedRow && withEnter && entryShown && laterHidden && EntryIsValid()) saved = Save();
  } else if ((field == EntryField::kTime || field == EntryField::kQth) && withEnter) {
    if (entryShown && EntryIsValid()) saved = Save();
  } else if (field == EntryField::kFreq) {
    QsoRecord e = entry();
    const double mhz = static_cast<double>(e.frequency());
    if (mhz > 0) {
      const BandIndex b = BandFromFrequency(mhz);
      if (IsBand(b)) {
        if (b != band_) ChangeBand(b);
      } else {
        entry().SetFrequency(static_cast<float>(BandFrequencyFromText(BandName(band_))));
      }
    }
  } else if (field == EntryField::kRstRcvd1 && rules_.listenerLog != 0 && withEnter && hidden(EntryField::kQth) &&
             hidden(EntryField::kTime) && hidden(EntryField::kRcvd2) && EntryIsValid()) {
    saved = Save();
  }
  if (!saved) ShowRecord();
  enterFlag_ = false;
  return saved;
}

void EntrySession::ToggleQslSend() {
  const char c = qslSend_;
  const bool yes = c == 'J' || c == 'j' || c == 'S' || c == 's' || c == 'Y' || c == 'y';
  qslSend_ = yes ? 'N' : 'Y';
  entry().SetQslSend(qslSend_);
}

void EntrySession::ApplyClock(bool allowBandChange) {
  const DayAndTime now = ClockNow();
  const ContestHeader h = header();
  if (allowBandChange && h.bandAutomatic() != 0) {
    if (auto wanted = PeriodBand(rules_, now, band_); wanted && *wanted != band_) {
      CollectEntry();
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
    if (e.qsoTime() >= 0) e.SetQsoTime(e.qsoTime() + 1);
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
  const auto savedFocus = focused_;
  focused_.reset();
  CollectEntry();
  focused_ = savedFocus;
  QsoRecord e = entry();
  // Both callers check the entry first; an entry that is not valid (for
  // example a duplicate stored meanwhile) is never stored.
  if (e.qsoDate() <= 0 || e.qsoTime() <= 0 || !CallIsValid(e.call(), context_.settings.suffixes)) return false;
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
  } else {
    std::memcpy(qsoFile_->Record().data(), entry_.data(), kQsoRecordSize);
    for (int attempt = 0; attempt < kMaxSaveAttempts && !qsoFile_->UpdateRecord().ok(); ++attempt) {
      e.SetQsoTime(e.qsoTime() + 1);
      std::memcpy(qsoFile_->Record().data(), entry_.data(), kQsoRecordSize);
    }
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

// --- band, mode, delete -----------------------------------------------------------------

void EntrySession::ChangeBand(BandIndex band) {
  if (qsoFile_ == nullptr || band == 0) return;
  const auto savedFocus = focused_;
  focused_.reset();
  CollectEntry();
  focused_ = savedFocus;
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
  const auto savedFocus = focused_;
  focused_.reset();
  CollectEntry();
  focused_ = savedFocus;
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
  if (!context_.platform->AskYesNo("Eintrag " + call + " l\xF6schen?")) return false;
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

void EntrySession::SetListColumnWidths(const std::vector<std::int16_t>& widths) {
  ContestHeader h = header();
  for (std::size_t i = 0; i < widths.size() && i < static_cast<std::size_t>(header_layout::kListColumns); ++i) {
    (void)h.SetListColumnWidth(static_cast<int>(i) + 1, widths[i]);
  }
}

// --- the edit dialog -------------------------------------------------------------------

namespace {

// Variants whose received field 2 (or, in 'f', field 3) shows Multi3.
int Multi3EditField(ContestCode code) {
  if (code == '7' || code == 'i' || code == 'k') return 2;
  if (code == 'f') return 3;
  return 0;
}

std::array<std::string, 4> RowTexts(const Exchange& x) {
  return {RightTrimmed(x.report), x.field2, x.field3, x.field4};
}

Exchange RowExchange(const std::array<std::string, 4>& row) {
  Exchange x;
  x.report = Upper(TrimBlanksTabs(row[0]));
  x.field2 = Upper(TrimBlanksTabs(row[1]));
  x.field3 = Upper(TrimBlanksTabs(row[2]));
  x.field4 = Upper(TrimBlanksTabs(row[3]));
  return x;
}

}  // namespace

std::optional<QsoEditForm> EntrySession::EditFormOf(std::uint32_t recordNo) {
  if (qsoFile_ == nullptr || !FindQsoByRecordNo(*qsoFile_, recordNo)) return std::nullopt;
  const QsoRecord r = RecordOf(*qsoFile_);
  if (r.IsQsyMarker()) return std::nullopt;
  QsoEditForm form;
  const bool listener = rules_.listenerLog != 0;
  form.listener = listener;
  form.timePicture = context_.settings.timePicture;
  QsoEditFields& f = form.fields;
  f.call = r.call();
  if (listener) f.call2 = r.call2();
  f.upper = RowTexts(listener ? r.ReceivedExchange() : r.SentExchange());
  f.lower = RowTexts(listener ? r.SentExchange() : r.ReceivedExchange());
  if (const int n = Multi3EditField(code()); n != 0) f.lower[static_cast<std::size_t>(n - 1)] = r.multi3();
  for (int n = 2; n <= 4; ++n) {
    form.upperEnabled[static_cast<std::size_t>(n - 2)] = FieldVisible(SentField(n));
    form.lowerEnabled[static_cast<std::size_t>(n - 2)] = FieldVisible(ReceivedField(n));
  }
  f.mode = r.mode();
  const std::vector<std::string> modes = Modes();
  form.freeMode = std::find(modes.begin(), modes.end(), f.mode) == modes.end();
  f.band = r.band();
  f.date = r.qsoDate() > 0 ? DateToText(r.qsoDate()) : std::string();
  f.time = r.qsoTime() > 0 ? TimeToText(r.qsoTime(), form.timePicture) : std::string();
  f.qslSend = r.qslSend() == 0 ? std::string() : std::string(1, r.qslSend());
  f.qslRcvd = r.qslRcvd() == 0 ? std::string() : std::string(1, r.qslRcvd());
  const bool prefixOption = rules_.multiplierKinds.test(1);
  form.prefixCaption = prefixOption ? "Pr\xE4" "fix" : "DXCC";
  f.prefix = prefixOption ? r.altPrefix() : r.prefix();
  const std::string nq = r.nameQth();
  const std::size_t semi = nq.find(';');
  f.name = semi == std::string::npos ? nq : nq.substr(0, semi);
  f.qth = semi == std::string::npos ? std::string() : nq.substr(semi + 1);
  f.frequency = r.frequency() > 0
                    ? TrimBlanksTabs(FormatPicture(static_cast<double>(r.frequency()), "#####,###"))
                    : std::string();
  form.numberLabel = "Nummer:   " + std::to_string(r.serialNo());
  return form;
}

std::optional<std::uint32_t> EntrySession::ChangeQso(std::uint32_t recordNo, const QsoEditFields& f) {
  if (qsoFile_ == nullptr || !FindQsoByRecordNo(*qsoFile_, recordNo)) return std::nullopt;
  std::array<std::uint8_t, kQsoRecordSize> before{};
  std::memcpy(before.data(), qsoFile_->Record().data(), kQsoRecordSize);
  std::array<std::uint8_t, kQsoRecordSize> after = before;
  const QsoRecord old(QsoRecord::Record(before.data(), kQsoRecordSize));
  QsoRecord r(QsoRecord::Record(after.data(), kQsoRecordSize));
  if (old.IsQsyMarker()) return std::nullopt;
  const bool listener = rules_.listenerLog != 0;

  std::string call = Upper(TrimBlanksTabs(f.call));
  std::replace(call.begin(), call.end(), ' ', '/');
  r.SetCall(Cut(call, 12));
  if (listener) r.SetCall2(Cut(Upper(TrimBlanksTabs(f.call2)), 12));
  Exchange upper = RowExchange(f.upper);
  Exchange lower = RowExchange(f.lower);
  const int multi3Field = Multi3EditField(code());
  if (multi3Field != 0) {
    std::string& value = multi3Field == 2 ? lower.field2 : lower.field3;
    r.SetMulti3(value);
  }
  r.SetSentExchange(listener ? lower : upper);
  r.SetReceivedExchange(listener ? upper : lower);
  r.SetMode(Cut(Upper(TrimBlanksTabs(f.mode)), 6));
  if (IsBand(f.band)) r.SetBand(f.band);

  // The prefix field wins; an emptied field is filled by the lookup again.
  const bool prefixOption = rules_.multiplierKinds.test(1);
  const std::string typedPrefix = Cut(Upper(TrimBlanksTabs(f.prefix)), 6);
  if (r.dxccFixed() == 0) {
    if (!prefixOption) r.SetPrefix(typedPrefix);
    (void)ResolvePrefixOf(r);
  }
  if (prefixOption) {
    r.SetAltPrefix(typedPrefix);
  } else if (!typedPrefix.empty()) {
    r.SetPrefix(typedPrefix);
  }
  ApplyReceivedKindsTo(r, true);

  std::string date = TrimBlanksTabs(f.date);
  if (!date.empty()) date = CompleteDateText(date, Today());
  const DayNumber day = date.empty() ? kNoDate : DateFromText(date);
  if (day != kNoDate) r.SetQsoDate(day);
  std::string time = TrimBlanksTabs(f.time);
  if (!time.empty()) {
    time = CompleteTimeText(time);
    const std::string& picture = context_.settings.timePicture;
    if (time.size() == 5 && picture.find_first_of("sS") != std::string::npos) time += ":00";
    const TimeOfDay t = TimeFromText(time, picture);
    if (t != kNoTime) r.SetQsoTime(t);
  }
  r.SetQslSend(f.qslSend.empty() ? '\0' : f.qslSend[0]);
  r.SetQslRcvd(f.qslRcvd.empty() ? '\0' : f.qslRcvd[0]);
  const std::string name = CapitaliseWords(TrimBlanksTabs(f.name));
  const std::string qth = CapitaliseWords(TrimBlanksTabs(f.qth));
  r.SetNameQth(name.empty() && qth.empty() ? std::string() : Cut(name + ";" + qth, 30));
  const std::string freqText = TrimBlanksTabs(f.frequency);
  const DecimalResult freq = ParseDecimal(freqText);
  r.SetFrequency(freqText.empty() || !freq.ok() ? 0.0f : static_cast<float>(freq.value));
  r.SetPoints(PointsOf(r, header(), rules_, code()));

  // The lookups above used the file's record buffer: find the QSO again.
  if (!FindQsoByRecordNo(*qsoFile_, recordNo)) return std::nullopt;
  bool stored = false;
  for (int attempt = 0; attempt < kMaxSaveAttempts && !stored; ++attempt) {
    std::memcpy(qsoFile_->Record().data(), after.data(), kQsoRecordSize);
    stored = qsoFile_->UpdateRecord().ok();
    if (!stored && r.qsoTime() >= 0) r.SetQsoTime(r.qsoTime() + 1);
  }
  if (!stored) return std::nullopt;

  const char c = code();
  const bool matters = c == '7' || c == 'f' || c == 'k' || old.call() != r.call() ||
                       old.prefix() != r.prefix() || old.areaCode() != r.areaCode() ||
                       old.multi3() != r.multi3() || old.rxLocator() != r.rxLocator() ||
                       old.dok() != r.dok() || old.altPrefix() != r.altPrefix() ||
                       old.rcvdExch() != r.rcvdExch() || old.band() != r.band() ||
                       old.mode() != r.mode();
  if (!matters) return recordNo;
  // Renumbering copies every QSO anew: find this one again by its time and
  // call (after the update, in the file's own record buffer).
  std::memcpy(qsoFile_->Record().data(), after.data(), kQsoRecordSize);
  const KeyString timeKey = qsoFile_->BuildKey(kIndexByDateTime);
  RunRenumber();
  std::optional<std::uint32_t> renumbered;
  for (Status st = qsoFile_->FindAtLeast(kIndexByDateTime, timeKey); st.ok() && !renumbered;
       st = qsoFile_->MoveNext(kIndexByDateTime)) {
    const QsoRecord q = RecordOf(*qsoFile_);
    if (q.qsoDate() != r.qsoDate() || q.qsoTime() != r.qsoTime()) break;
    if (q.call() == r.call()) renumbered = q.recordNo();
  }
  RecountAll();
  RunRecalculate();
  tablesCurrent_ = false;
  PrepareNewEntry();
  return renumbered ? renumbered : std::optional<std::uint32_t>(recordNo);
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

void EntrySession::RecountAll() {
  FullRecount(*qsoFile_, Ctx(), header(), band_, tables_, totals_);
}

void EntrySession::RunRenumber() {
  Renumber(*context_.catalogue, *qsoFile_, contestNumber_, Ctx(), *context_.platform, context_.dataDirectory);
}

void EntrySession::StoreHeader() {
  if (context_.directory == nullptr) return;
  KeyString key;
  key.AppendLong(contestNumber_);
  if (context_.directory->FindExact(kDirectoryIndexByNumber, key).ok()) {
    std::memcpy(context_.directory->Record().data(), header_.data(), kContestHeaderSize);
    (void)context_.directory->UpdateRecord();
  }
}

void EntrySession::StoreHeaderAndTotals() {
  StoreHeader();
  if (context_.totals != nullptr) (void)context_.totals->UpdateRecord();
}

void EntrySession::RunRecalculate() {
  if (context_.totals == nullptr || !EnsureTotalsRecord(*context_.totals, contestNumber_).ok()) return;
  auto tr = TotalsRecord::Over(context_.totals->Record());
  if (!tr) return;
  ContestHeader h = header();
  Recalculate(*qsoFile_, Ctx(), h, *tr, totals_, *context_.platform);
  StoreHeaderAndTotals();
}

void EntrySession::Close() {
  if (qsoFile_ == nullptr || closed_) return;
  closed_ = true;
  if (context_.totals != nullptr) (void)EnsureTotalsRecord(*context_.totals, contestNumber_);
  StoreHeaderAndTotals();
  RunRecalculate();
  FileCatalogue& cat = *context_.catalogue;
  if (callBook_ != nullptr) cat.ReleaseCallBook();
  if (callList_ != nullptr) cat.ReleaseCallList();
  if (prefixFiles_.prefix != nullptr) cat.ReleasePrefixes();
  if (prefixFiles_.exceptionsEe != nullptr) cat.ReleasePrefixExceptions();
  if (prefixFiles_.exceptionsEs != nullptr) cat.ReleasePrefixSpecials();
  callBook_ = callList_ = nullptr;
  prefixFiles_ = {};
  if (context_.renumberOnOpenAndClose) RunRenumber();
  cat.ReleaseQsoFile(contestNumber_);
  qsoFile_ = nullptr;
}

// --- view ------------------------------------------------------------------------------

EntryView EntrySession::View() const {
  EntryView v;
  auto* self = const_cast<EntrySession*>(this);
  const ContestHeader h = self->header();
  const bool german = context_.uiGerman;
  v.texts = texts_;
  for (int i = 0; i < kEntryFieldCount; ++i) v.visible[static_cast<std::size_t>(i)] = FieldVisible(static_cast<EntryField>(i));
  for (int n = 2; n <= 4; ++n) {
    const int kind = rules_.receivedKind[n];
    std::string caption = rules_.fieldCaption[n];
    if (caption.empty()) caption = "&" + std::to_string(n - 1) + " : " + ExchangeKindCaption(kind, code());
    v.receivedCaptions[static_cast<std::size_t>(n - 2)] = caption;
  }
  v.partnerCaption = foundName_.empty() ? std::string("QSO-Partner") : foundName_;
  QsoRecord e = self->entry();
  v.rstSentLabel = RightTrimmed(e.SentExchange().report);
  v.rstReceivedLabel = RightTrimmed(e.ReceivedExchange().report);
  const std::string sent = e.sentExch();
  v.sentExchangeLabel = sent.size() > 3 ? sent.substr(3) : std::string();
  v.sentFieldsEditable = SentFieldsEditable();
  const bool no = IsNoFlag(qslSend_);
  v.qslLabel = german ? (no ? "&QSL senden: nein" : "&QSL senden: ja") : (no ? "QSL send: no" : "QSL send: yes");
  v.dateAutomatic = h.dateAutomatic() != 0;
  v.timeAutomatic = h.timeAutomatic() != 0;
  v.dateLabel = texts_[FieldSlot(EntryField::kDate)];
  v.timeLabel = texts_[FieldSlot(EntryField::kTime)];
  v.mode = freeModeShown_ ? e.mode() : mode_;
  v.bandName = std::string(BandName(band_));
  v.listenerLog = rules_.listenerLog != 0;
  const bool hideHint = FieldVisible(EntryField::kRcvd4) && rules_.listenerLog == 0;
  v.enterHint = hideHint ? std::string() : PickText(german, "<ET> = speichern", "<CR> = save");
  v.compactRow = rules_.multiplierKinds.none();
  v.totalsLine = BuildTotalsLine(totals_, rules_, code(), band_, german);
  v.totalsPanel = BuildTotalsPanel(totals_, rules_, code());
  v.grid = tables_.GridValues();
  v.qsoNumber = std::to_string(totals_.logCounter - 1);
  const std::string own = Cut(context_.settings.own.call + "  ", 19);
  v.caption = own + PickText(german, "Logbuch", "Logbook") + " (Contest : " + h.name() + " )";
  v.editing = editing_ != 0;
  v.focused = focused_;
  return v;
}

}  // namespace korv
