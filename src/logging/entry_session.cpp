// EntrySession: construction, the window start and closing, the stored
// header and totals (recount, renumber, recalculate) and the view.
#include "logging/entry_session.h"

#include <algorithm>
#include <cstring>

#include "common/cp1252.h"
#include "common/text.h"
#include "logging/clock.h"
#include "logging/entry_session_internal.h"
#include "logging/exchange_rules.h"
#include "logging/renumber.h"
#include "refdata/bands.h"
#include "shell/contest_directory.h"

namespace korv {

using namespace entry_internal;

namespace {

constexpr int kDirectoryIndexByNumber = 3;

bool IsNoFlag(char c) { return c == 0 || c == ' ' || c == 'N' || c == 'n'; }

}  // namespace

EntrySession::EntrySession(LoggingContext context, std::vector<std::uint8_t> header, ContestRules rules)
    : context_(std::move(context)),
      header_(std::move(header)),
      rules_(std::move(rules)),
      logCalls_(context_.referenceCalls),
      tables_(ScoringContext{}) {
  header_.resize(kContestHeaderSize, 0);
  contestNumber_ = this->header().contestNumber();
  tables_ = MultiplierTables(Ctx());
}

EntrySession::~EntrySession() { Close(); }

ContestCode EntrySession::code() const {
  return const_cast<EntrySession*>(this)->header().contestCode();
}

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

  // QSY marker lines carry no multiplier fields. The same walk tells
  // whether the log needs renumbering: only when the stored numbering is
  // not what a renumbering would write (a rewrite of the whole file at
  // every start costs time and risk for nothing).
  NumberingCheck numbering;
  rate_.Clear();
  std::vector<std::pair<std::string, BandIndex>> calls;
  Status st = qsoFile_->MoveFirst(kIndexByDateTime);
  while (st.ok()) {
    QsoRecord rec = RecordOf(*qsoFile_);
    if (rec.IsQsyMarker()) {
      rec.ClearQsyMarkerFields();
      (void)qsoFile_->UpdateRecord();
    } else {
      rate_.Add(rec.qsoDate(), rec.qsoTime());
      if (context_.partialCalls) calls.emplace_back(rec.call(), rec.band());
    }
    numbering.Add(rec);
    st = qsoFile_->MoveNext(kIndexByDateTime);
  }
  logCalls_.Build(calls);
  ++logCallsGeneration_;
  const bool walkEnded = st.code == err::kEndOfIndex || st.code == err::kStartOfIndex;
  const bool needsRenumber = context_.renumberOnOpenAndClose && walkEnded && !numbering.Consistent();
  prefixFiles_.prefix = cat.OpenPrefixes();
  prefixFiles_.exceptionsEe = cat.OpenPrefixExceptions();
  prefixFiles_.exceptionsEs = cat.OpenPrefixSpecials();
  prefixFiles_.longCalls = context_.longExactCalls;
  callList_ = cat.OpenCallList();
  callBook_ = cat.OpenCallBook();

  // Whether the sent exchange is editable lives in the log's totals record.
  sentEditable_ = false;
  if (context_.totals != nullptr && EnsureTotalsRecord(*context_.totals, contestNumber_).ok()) {
    if (auto tr = TotalsRecord::Over(context_.totals->Record())) sentEditable_ = tr->sentExchangeEditableOn();
  }

  band_ = rules_.bandSlots[1];
  if (needsRenumber) RunRenumber();
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

// --- recounting, renumbering, header and totals, closing -----------------------

void EntrySession::RecountAll() {
  FullRecount(*qsoFile_, Ctx(), header(), band_, tables_, totals_);
  ReadMomentsAndCalls();
}

void EntrySession::ReadMomentsAndCalls() {
  // After a delete or an edit the moments and calls are read again.
  rate_.Clear();
  std::vector<std::pair<std::string, BandIndex>> calls;
  for (Status st = qsoFile_->MoveFirst(kIndexByDateTime); st.ok(); st = qsoFile_->MoveNext(kIndexByDateTime)) {
    const QsoRecord rec = RecordOf(*qsoFile_);
    if (rec.IsQsyMarker()) continue;
    rate_.Add(rec.qsoDate(), rec.qsoTime());
    if (context_.partialCalls) calls.emplace_back(rec.call(), rec.band());
  }
  logCalls_.Build(calls);
  ++logCallsGeneration_;
}

// --- super check partial -------------------------------------------------------------

void EntrySession::SetPartialListRows(std::size_t partial, std::size_t oneOff) {
  partialRows_ = partial;
  oneOffRows_ = oneOff;
  partialCache_.generation = ~std::uint64_t{0};
}

void EntrySession::UpdatePartialLists() const {
  const std::string typed = UpperCaseAsciiUmlauts(TrimBlanksTabsView(texts_[FieldSlot(EntryField::kCall)]));
  PartialCache& c = partialCache_;
  if (c.generation == logCallsGeneration_ && c.band == band_ && c.typed == typed) return;
  c.typed = typed;
  c.band = band_;
  c.generation = logCallsGeneration_;
  c.partial = FindPartialCalls(logCalls_, typed, band_, partialRows_);
  c.oneOff = FindOneOffCalls(logCalls_, typed, band_, oneOffRows_);
}

bool EntrySession::TakeFirstPartialCall() {
  if (!context_.partialCalls) return false;
  UpdatePartialLists();
  if (partialCache_.partial.empty()) return false;
  const std::string call = partialCache_.partial.front().call;
  if (call == texts_[FieldSlot(EntryField::kCall)]) return false;
  CallTextChanged(call);
  return true;
}

void EntrySession::RunRenumber() {
  Renumber(*context_.catalogue, *qsoFile_, contestNumber_, Ctx(), *context_.platform);
}

void EntrySession::SetListColumnWidths(const std::vector<std::int16_t>& widths) {
  ContestHeader h = header();
  for (std::size_t i = 0; i < widths.size() && i < static_cast<std::size_t>(header_layout::kListColumns); ++i) {
    (void)h.SetListColumnWidth(static_cast<int>(i) + 1, widths[i]);
  }
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
  if (context_.renumberOnOpenAndClose && !NumberingConsistent(*qsoFile_)) RunRenumber();
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
  v.proposed = proposedField_;
  v.doubtfulDok = self->DoubtfulDokField();
  if (v.doubtfulDok) v.doubtfulDokHint = "DOK unbekannt?";
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
  const DayAndTime now = ClockNow();
  v.totalsPanel.rate10 = "Rate 10 min: " + std::to_string(rate_.PerHour(now.day, now.time, 10)) + "/h";
  v.totalsPanel.rate60 = "Rate 60 min: " + std::to_string(rate_.PerHour(now.day, now.time, 60)) + "/h";
  v.grid = tables_.GridValues();
  v.qsoNumber = std::to_string(totals_.logCounter - 1);
  const std::string own = Cut(context_.settings.own.call + "  ", 19);
  v.caption = own + PickText(german, "Logbuch", "Logbook") + " (Contest : " + h.name() + " )";
  v.editing = editing_ != 0;
  v.focused = focused_;
  v.partialShown = context_.partialCalls;
  if (v.partialShown) {
    UpdatePartialLists();
    v.partialCalls = partialCache_.partial;
    v.oneOffCalls = partialCache_.oneOff;
  }
  return v;
}

}  // namespace korv
