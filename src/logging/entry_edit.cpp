// EntrySession: the edit dialog "QSO ändern" - the form of a stored QSO
// and storing the changed one.
#include "logging/entry_session.h"

#include <algorithm>
#include <cstring>

#include "common/dates.h"
#include "common/picture.h"
#include "common/text.h"
#include "logging/entry_session_internal.h"
#include "logging/exchange_rules.h"
#include "logging/qso_list.h"
#include "refdata/bands.h"

namespace korv {

using namespace entry_internal;

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
  f.time = r.qsoTime() >= 0 ? TimeToText(r.qsoTime(), form.timePicture) : std::string();
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

std::optional<EntrySession::EditRefusal> EntrySession::RefuseQsoEdit(std::uint32_t recordNo,
                                                                      const QsoEditFields& f) {
  if (qsoFile_ == nullptr || !FindQsoByRecordNo(*qsoFile_, recordNo)) return std::nullopt;
  const QsoRecord old = RecordOf(*qsoFile_);
  if (old.IsQsyMarker()) return std::nullopt;
  const RecordRef ref = qsoFile_->CurrentRef();
  Platform& platform = *context_.platform;
  const std::string date = TrimBlanksTabs(f.date);
  if (!date.empty() && DateFromText(CompleteDateText(date, Today())) == kNoDate) {
    platform.Beep();
    platform.Inform(PickText(context_.uiGerman, "Fehler bei Datums-Angabe", "invalid date"));
    return EditRefusal::kDate;
  }
  std::string time = TrimBlanksTabs(f.time);
  if (!time.empty()) {
    time = CompleteTimeText(time);
    const std::string& picture = context_.settings.timePicture;
    if (time.size() == 5 && picture.find_first_of("sS") != std::string::npos) time += ":00";
    if (TimeFromText(time, picture) == kNoTime) {
      platform.Beep();
      platform.Inform(PickText(context_.uiGerman, "Fehler bei Zeit-Angabe", "invalid time"));
      return EditRefusal::kTime;
    }
  }
  // A new call or band must not make the QSO a duplicate of another one.
  std::string call = Upper(TrimBlanksTabs(f.call));
  std::replace(call.begin(), call.end(), ' ', '/');
  call = Cut(call, 12);
  const BandIndex band = IsBand(f.band) ? f.band : old.band();
  const std::string mode = Cut(Upper(TrimBlanksTabs(f.mode)), 6);
  if (call == old.call() && band == old.band() && mode == old.mode()) return std::nullopt;
  DuplicateQuery q;
  q.call = call;
  q.band = band;
  q.mode = mode;
  q.time = old.qsoTime();
  q.date = old.qsoDate();
  q.code = code();
  q.rule = rules_.dupeRule;
  q.includeRule5 = true;
  q.exclude = ref;
  const SuffixTable& suffixes = context_.settings.suffixes;
  if (!IsDuplicate(*qsoFile_, q, suffixes)) return std::nullopt;
  platform.Beep();
  const std::string message = DuplicateMessage(rules_.dupeRule, code(), context_.uiGerman);
  platform.Inform(context_.uiGerman ? "Call " + BaseCall(call, CallPart::kBaseCall, suffixes) + " " + message : message);
  return EditRefusal::kCall;
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
    if (!stored) AdvanceOneSecond(r);
  }
  if (!stored) return std::nullopt;

  const char c = code();
  const bool matters = c == '7' || c == 'f' || c == 'k' || old.call() != r.call() ||
                       old.prefix() != r.prefix() || old.areaCode() != r.areaCode() ||
                       old.multi3() != r.multi3() || old.rxLocator() != r.rxLocator() ||
                       old.dok() != r.dok() || old.altPrefix() != r.altPrefix() ||
                       old.rcvdExch() != r.rcvdExch() || old.band() != r.band() ||
                       old.mode() != r.mode();
  if (!matters) {
    // A changed time moves the QSO in the rate.
    if (old.qsoDate() != r.qsoDate() || old.qsoTime() != r.qsoTime()) ReadMomentsAndCalls();
    return recordNo;
  }
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

}  // namespace korv
