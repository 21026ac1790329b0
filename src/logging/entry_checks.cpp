// EntrySession: the checks of the entry - prefix resolution, the station
// lookup, the call check on leaving the field, validity, the live
// multiplier evaluation, the stored exchange - and the change and exit
// handlers of the fields that run them.
#include "logging/entry_session.h"

#include <algorithm>

#include "common/cp1252.h"
#include "common/text.h"
#include "files/call_book.h"
#include "files/file_keys.h"
#include "logging/entry_session_internal.h"
#include "logging/exchange_rules.h"
#include "refdata/bands.h"
#include "refdata/prefix_record.h"

namespace korv {

using namespace entry_internal;

namespace {

constexpr int kCallListIndexByCall = 1;

// KVCALL fields this program reads: the call list of the logbook keeps a
// DOK (ShortText[5] at 15) and a name (ShortText[20] at 38) per call.
constexpr std::size_t kCallListDok = 15;
constexpr std::size_t kCallListDokCapacity = 5;
constexpr std::size_t kCallListName = 38;
constexpr std::size_t kCallListNameCapacity = 20;

}  // namespace

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
  bool noEntity = false;
  PrefixRecord found;
  if (prefixFiles_.prefix != nullptr && !call.empty()) {
    const DxccResult r = ResolveDxcc(call, e.qsoDate(), context_.chooser != nullptr, prefixFiles_, options);
    resolved = r.result == kDxccResolved;
    if (resolved) found = PrefixRecord::From(prefixFiles_.prefix->Record());
    noEntity = r.result == kDxccNoEntity;
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
  // Maritime and aeronautical mobile count for no country: nothing to report.
  if (call.size() <= 2 || noEntity) {
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
  if (e.qsoDate() <= 0 || e.qsoTime() < 0) return false;  // 00:00:00 is a time
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
  // A proposal nobody confirmed belonged to the call before.
  if (proposedField_) {
    texts_[FieldSlot(*proposedField_)].clear();
    proposedField_.reset();
    CollectEntryQuietly();
  }
  bool anyDokField = false;
  for (int n = 2; n <= 4; ++n) anyDokField = anyDokField || rules_.receivedKind[n] == 4;
  if (!anyDokField || call.empty()) return;
  const std::string base10 = Cut(BaseCall(call, CallPart::kBaseCall, context_.settings.suffixes), 10);
  std::string dok = TrimBlanksTabs(LookUpStation(base10).dok);
  const bool listener = rules_.listenerLog != 0;
  const auto dokField = [&](int n) { return listener ? SentField(n) : ReceivedField(n); };
  bool proposal = false;
  if (dok.empty() && context_.callHistory != nullptr && IsGermanCall(call)) {
    // Neither this log nor the call book knows the station: the DOK it gave
    // in earlier contests, as a proposal into an empty field, and only one
    // the DOK checks would take.
    dok = context_.callHistory->DokOf(call);
    proposal = true;
    for (int n = 2; n <= 4; ++n) {
      if (rules_.receivedKind[n] == 4 && !texts_[FieldSlot(dokField(n))].empty()) dok.clear();
    }
    if (!DokIsAcceptable(dok) || IsRefusedJDok(dok)) dok.clear();
  }
  if (dok.empty()) return;
  for (int n = 2; n <= 4; ++n) {
    if (rules_.receivedKind[n] != 4) continue;
    texts_[FieldSlot(dokField(n))] = dok;
    if (proposal) proposedField_ = dokField(n);
  }
  CollectEntryQuietly();
  EvaluateEntryMultipliers();
}

namespace {
constexpr int kWholeLogDokIndex = 18;  // every QSO of the log by DOK
}  // namespace

std::optional<EntryField> EntrySession::DoubtfulDokField() {
  // Only a German call's DOK is stored, so only that one is worth a doubt.
  if (qsoFile_ == nullptr || !IsGermanCall(entry().call())) return std::nullopt;
  const bool listener = rules_.listenerLog != 0;
  for (int n = 2; n <= 4; ++n) {
    if (rules_.receivedKind[n] != 4) continue;
    const EntryField field = listener ? SentField(n) : ReceivedField(n);
    if (!FieldVisible(field)) continue;
    const std::string dok = UpperCaseAsciiUmlauts(TrimBlanksTabsView(texts_[FieldSlot(field)]));
    if (dok.empty() || DokMultiplierTest(dok, rules_)) continue;
    if (context_.callHistory != nullptr && context_.callHistory->KnowsDok(dok)) continue;
    // A QSO of the log with this DOK (whole-log DOK index).
    const std::string key = PadText(Cut(dok, 8), 8);
    const RecordBufferGuard keep(qsoFile_);
    Status st = qsoFile_->FindAtLeast(kWholeLogDokIndex, KeyString(key));
    bool inLog = false;
    while (st.ok() && qsoFile_->BuildKey(kWholeLogDokIndex).view().substr(0, key.size()) == key) {
      if (!QsoRecord(QsoRecord::Record(qsoFile_->Record().data(), kQsoRecordSize)).IsQsyMarker()) {
        inLog = true;
        break;
      }
      st = qsoFile_->MoveNext(kWholeLogDokIndex);
    }
    if (!inLog) return field;
  }
  return std::nullopt;
}

// --- events ----------------------------------------------------------------------------

void EntrySession::CallTextChanged(std::string text) {
  if (refreshing_) return;
  SetFieldText(EntryField::kCall, std::move(text));
  CollectEntryQuietly();
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
  if (proposedField_ == field) proposedField_.reset();  // typed over: the operator's own
  SetFieldText(field, std::move(text));
  CollectEntryQuietly();
  if (!entry().call().empty()) EvaluateEntryMultipliers();
}

bool EntrySession::LeaveField(EntryField field, bool withEnter) {
  if (proposedField_ == field) proposedField_.reset();  // left as it stands: confirmed
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
      const std::vector<BandIndex> bands = Bands();
      const bool contestBand = IsBand(b) && std::find(bands.begin(), bands.end(), b) != bands.end();
      if (contestBand) {
        if (b != band_) ChangeBand(b);
      } else {
        // The band stays; a frequency on a band the contest does not have
        // is refused (the QSO would count where no band column shows it).
        if (IsBand(b)) {
          context_.platform->Beep();
          context_.platform->Inform(PickText(context_.uiGerman,
                                             "Die Frequenz liegt auf keinem Band dieses Contests.",
                                             "The frequency is on no band of this contest."));
          fieldErrorShown_ = true;  // typed again where it was
        }
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

}  // namespace korv
