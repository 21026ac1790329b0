// EntrySession: the logic of the logging window without any widget.
//
// The window owns the widgets and forwards what the operator does: field
// texts as typed (SetFieldText / CallTextChanged), focus changes
// (FieldEntered), leaving a field with or without Enter (LeaveField), the
// keys and buttons (Escape, ChangeBand, ChangeMode, ToggleQslSend, Delete,
// Close) and the one-second clock (ClockTick). After each call it redraws
// from View(). Messages and beeps go through the platform layer.
//
// The entry being typed is a QsoRecord of its own (not the QSO file's
// record buffer); searches in the QSO file never disturb it.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/catalogue.h"
#include "files/contest_header.h"
#include "files/setup.h"
#include "logging/rate.h"
#include "logging/scoring.h"
#include "logging/totals.h"
#include "logging/totals_record.h"
#include "platform/platform.h"
#include "refdata/call_history.h"
#include "refdata/dxcc_resolver.h"
#include "refdata/partial_calls.h"
#include "shell/contest_rules.h"

namespace korv {

// The entry fields in tab order (call, report sent, sent fields 2-4,
// call 2, report received, received fields 2-4, frequency, name, QTH, date,
// time) and the free mode text shown for "DIGITAL".
enum class EntryField : int {
  kCall = 0,
  kRstSent1,
  kSent2,
  kSent3,
  kSent4,
  kCall2,
  kRstRcvd1,
  kRcvd2,
  kRcvd3,
  kRcvd4,
  kFreq,
  kName,
  kQth,
  kDate,
  kTime,
  kFreeMode,
};
inline constexpr int kEntryFieldCount = 16;
inline constexpr std::size_t FieldSlot(EntryField f) { return static_cast<std::size_t>(f); }

// Maximum lengths of the fields as the window limits them.
int EntryFieldMaxLength(EntryField field);

// What the logging window shows.
struct EntryView {
  std::array<std::string, kEntryFieldCount> texts;
  std::array<bool, kEntryFieldCount> visible{};
  // Captions above the received fields 2-4 ("&1 : DOK") and the label
  // above the call ("QSO-Partner" or the name found for the call).
  std::array<std::string, 3> receivedCaptions;
  std::string partnerCaption;
  // The report shown as a label when it is locked; the sent exchange shown
  // as a label when its fields are not editable.
  std::string rstSentLabel;
  std::string rstReceivedLabel;
  std::string sentExchangeLabel;
  bool sentFieldsEditable = false;
  std::string qslLabel;      // "&QSL senden: nein" / "&QSL senden: ja"
  std::string dateLabel;     // automatic date, "dd.mm.yyyy"
  std::string timeLabel;     // automatic time, "hh:mm:ss"
  bool dateAutomatic = false;
  bool timeAutomatic = false;
  std::string mode;
  std::string bandName;
  std::string enterHint;  // "<ET> = speichern"; empty when hidden
  bool listenerLog = false;
  bool compactRow = false;  // no multipliers: grid and totals labels hidden
  TotalsLine totalsLine;
  TotalsPanel totalsPanel;
  std::vector<WorkedValue> grid;  // at most 112 values, the rest shows "."
  std::string qsoNumber;          // the big number: QSOs in the log
  std::string caption;            // window caption
  bool editing = false;
  std::optional<EntryField> focused;
  // A field whose text the call history proposed and the operator has not
  // confirmed yet (by leaving the field) or changed.
  std::optional<EntryField> proposed;
  // A received DOK that is no multiplier of the contest and that neither the
  // call history nor the log knows ("N1", "X99Z"): its field, with the hint
  // "DOK unbekannt?". Never a refusal.
  std::optional<EntryField> doubtfulDok;
  std::string doubtfulDokHint;
  // Super check partial: shown at all, the calls containing the typed call
  // (the log's first) and the calls one typing error away from it.
  bool partialShown = false;
  std::vector<PartialCall> partialCalls;
  std::vector<PartialCall> oneOffCalls;
};

struct LoggingContext {
  Platform* platform = nullptr;
  FileCatalogue* catalogue = nullptr;
  FileBlock* directory = nullptr;  // KVKK; the header record is stored back by number
  FileBlock* totals = nullptr;     // KVKZ
  ProgramSettings settings;
  std::filesystem::path dataDirectory;
  // Where the help page is looked for, in order; empty: the data directory.
  std::vector<std::filesystem::path> helpSearchDirs;
  PrefixChooser* chooser = nullptr;  // nullptr: no choice dialog
  // The country file's exact calls too long for the prefix files; nullptr: none.
  const LongExactCalls* longExactCalls = nullptr;
  // The DOKs of earlier contests, proposed for calls neither the log nor the
  // call book knows; nullptr: none.
  const CallHistory* callHistory = nullptr;
  // Super check partial: shown at all, and the calls of MASTER.SCP and the
  // call history it lists beside the log's own (nullptr: the log's only).
  bool partialCalls = false;
  const CallIndex* referenceCalls = nullptr;
  bool uiGerman = true;
  // The window renumbers at start and at closing; a caller that enters
  // single QSOs (each saved with its final numbers) may leave that out.
  bool renumberOnOpenAndClose = true;
};

enum class SaveSender { kEntry, kAdifImport };

// What the radio reads, as the logging window takes it.
struct RigReading {
  std::optional<BandIndex> band;    // nullopt: a frequency outside the contest's bands
  std::optional<std::string> mode;  // nullopt: the window's mode stays
  double mhz = 0;                   // the radio's frequency
  bool operator==(const RigReading&) const = default;
};

// The fields of the edit dialog "QSO ändern" as texts. The upper row is the
// sent exchange (in a listener log the received one), as in the entry.
struct QsoEditFields {
  std::string call;
  std::string call2;                  // listener logs only
  std::array<std::string, 4> upper;   // report and fields 2-4
  std::array<std::string, 4> lower;
  std::string mode;                   // from the mode list or the free field
  BandIndex band = 0;
  std::string date;                   // "dd.mm.yyyy"
  std::string time;                   // in the configured time picture
  std::string qslSend;
  std::string qslRcvd;
  std::string prefix;                 // Prefix, or AltPrefix with the prefix option
  std::string name;
  std::string qth;
  std::string frequency;
};

// What the edit dialog shows for one stored QSO.
struct QsoEditForm {
  QsoEditFields fields;
  std::array<bool, 3> upperEnabled{};  // fields 2-4: enabled as visible in the entry
  std::array<bool, 3> lowerEnabled{};
  bool listener = false;
  bool freeMode = false;          // the QSO's mode is not in the mode list
  std::string prefixCaption;      // "DXCC", or the prefix caption when bound to AltPrefix
  std::string numberLabel;        // "Nummer:   " + SerialNo
  std::string timePicture;
};

class EntrySession {
 public:
  // header: a copy of the log's ContestHeader record (379 bytes).
  EntrySession(LoggingContext context, std::vector<std::uint8_t> header, ContestRules rules);
  ~EntrySession();
  EntrySession(const EntrySession&) = delete;
  EntrySession& operator=(const EntrySession&) = delete;

  // Window start. False when the QSO file cannot be opened (the storage
  // layer has reported why).
  bool Open();
  // Closing: totals and header stored, recalculated, renumbered, files
  // released. Safe to call twice.
  void Close();
  bool IsOpen() const { return qsoFile_ != nullptr; }

  // --- what the window forwards -------------------------------------------
  void SetFieldText(EntryField field, std::string text);
  // The call field's change handler (live call check).
  void CallTextChanged(std::string text);
  // The change handler of the exchange fields: the entry's multipliers are
  // judged again, so the grid follows the typing.
  void ExchangeTextChanged(EntryField field, std::string text);
  void FieldEntered(EntryField field);
  // Runs the exit handler; true when it stored the QSO.
  bool LeaveField(EntryField field, bool withEnter);
  // The last LeaveField refused the field's value with a message ("Fehler
  // bei DOK-Angabe", "Fehler bei Locator-Angabe"): the focus stays there.
  bool FieldErrorShown() const { return fieldErrorShown_; }
  // The field Enter moves to from `field`.
  EntryField NextFieldOnEnter(EntryField field) const;
  // Fields that take the focus, in tab order.
  std::vector<EntryField> FocusOrder() const;
  // "#" typed in the call field: appends "/p" unless present.
  void HashTypedInCall();
  void Escape() { PrepareNewEntry(); }
  void ToggleQslSend();
  // F9: frequency, name and QTH shown or hidden.
  void ToggleExtraFields() { extraShown_ = !extraShown_; }
  void ClockTick();
  // F2: the first call of the partial list becomes the typed call; false
  // when the list is empty.
  bool TakeFirstPartialCall();
  // The radio's band, mode and frequency: taken at once while no call is
  // typed (the band as the band list would switch it, the frequency into
  // the frequency field), else held until the entry is stored or cleared,
  // so a QSO keeps the band it was made on. A frequency outside the
  // contest's bands changes nothing.
  void TakeRigReading(const RigReading& reading);
  bool RigReadingHeld() const { return pendingRig_.has_value(); }
  // How many calls the partial and the N+1 list show at most.
  void SetPartialListRows(std::size_t partial, std::size_t oneOff);

  void PrepareNewEntry();
  bool Save(SaveSender sender = SaveSender::kEntry);
  void ChangeBand(BandIndex band);
  // The mode list; with exactly two modes F7 takes the other one at once.
  std::vector<std::string> Modes() const;
  std::vector<BandIndex> Bands() const;
  void ChangeMode(const std::string& mode);
  // F7: true when the window must show the list (more than two modes).
  bool ModeKey();

  // Deleting the QSO with this record number: the information, the
  // question, the delete, renumbering and recounting. True when deleted.
  bool DeleteQso(std::uint32_t recordNo);

  // --- state -----------------------------------------------------------------
  EntryView View() const;
  BandIndex band() const { return band_; }
  const std::string& mode() const { return mode_; }
  QsoRecord entry() { return QsoRecord(QsoRecord::Record(entry_.data(), kQsoRecordSize)); }
  const LogTotals& totals() const { return totals_; }
  const MultiplierTables& tables() const { return tables_; }
  ContestHeader header() { return ContestHeader(ContestHeader::Record(header_.data(), kContestHeaderSize)); }
  ContestCode contestCode() const { return code(); }
  const ContestRules& rules() const { return rules_; }
  // The session's copy of the header record, as stored at closing.
  const std::vector<std::uint8_t>& headerBytes() const { return header_; }
  const ProgramSettings& settings() const { return context_.settings; }
  Platform& platform() const { return *context_.platform; }
  bool uiGerman() const { return context_.uiGerman; }
  const std::filesystem::path& dataDirectory() const { return context_.dataDirectory; }
  std::vector<std::filesystem::path> helpSearchDirs() const {
    if (context_.helpSearchDirs.empty()) return {context_.dataDirectory};
    return context_.helpSearchDirs;
  }
  FileBlock* qsoFile() { return qsoFile_; }
  std::int32_t contestNumber() const { return contestNumber_; }
  ScoreParts Score() const { return ComputeScore(totals_, rules_); }
  // The record number of the QSO stored last (0: none).
  std::uint32_t lastSavedRecordNo() const { return lastSavedRecordNo_; }
  // The date and time of the log's last QSO become those of the entry (a
  // caller without a running window has no previous entry).
  void UsePreviousQsoDateTime();
  // Column widths of the QSO lists (1-based columns, at most 20) go into the
  // header at once, so every list reads what another one stored; the header
  // reaches the contest directory at closing.
  void SetListColumnWidths(const std::vector<std::int16_t>& widths);
  std::int16_t ListColumnWidth(int column) { return header().listColumnWidth(column); }
  // Writes the session's header copy into the log's record of the contest
  // directory now (the note window's place, for one).
  void StoreHeader();

  // The edit dialog: the form of a stored QSO (nullopt for a QSY line or a
  // record that is gone) and accepting it. ChangeQso stores the record with
  // the faulty values left out (their messages shown) and, when the change
  // matters for the score, renumbers, recalculates and recounts the log and
  // prepares a new entry. Returns the QSO's record number afterwards
  // (renumbering gives new numbers); nullopt when nothing was stored.
  std::optional<QsoEditForm> EditFormOf(std::uint32_t recordNo);
  std::optional<std::uint32_t> ChangeQso(std::uint32_t recordNo, const QsoEditFields& fields);
  // What the dialog must not accept, with its message shown: a date or time
  // that is none ("Fehler bei Datums-Angabe", "Fehler bei Zeit-Angabe"), or
  // a change of call or band that would make the QSO a duplicate (the
  // entry's duplicate message). The field to type again; nullopt: accept.
  enum class EditRefusal { kCall, kDate, kTime };
  std::optional<EditRefusal> RefuseQsoEdit(std::uint32_t recordNo, const QsoEditFields& fields);

  // Collects the entry from the texts into the entry record. A value the
  // focused field's kind refuses is reported (once per field visit).
  void CollectEntry();
  // The same without any field message: for collections the operator did
  // not ask for by leaving a field (typing, clock, band/mode change, save).
  void CollectEntryQuietly();
  // Shows the entry record in the texts.
  void ShowRecord();
  // True when the entry may be stored (messages of the duplicate rules
  // unless quiet).
  bool EntryIsValid(bool quiet = false);

  // --- ADIF import ----------------------------------------------------------------
  // The entry takes the QSO's own band and mode (the current band and mode
  // of the window stay as they are).
  void SetEntryBandAndMode(BandIndex band, const std::string& mode);
  // Resolves the entry's prefix without messages (the call checks of an
  // imported QSO).
  void ResolveEntryPrefix() { (void)ResolvePrefix(); }
  // An import of many QSOs: while it runs, a save judges only the record's
  // multiplier columns and the worked tables are left alone.
  void BeginImport();
  // After an import: everything recounted, a new entry prepared.
  void FinishImport();
  // The text of an entry field.
  const std::string& FieldText(EntryField field) const { return texts_[FieldSlot(field)]; }

 private:
  ContestCode code() const;
  bool FieldVisible(EntryField field) const;
  // The received DOK field whose text no list, history or QSO knows.
  std::optional<EntryField> DoubtfulDokField();
  bool SentFieldsEditable() const;
  int ReceivedKind(int n) const { return rules_.receivedKind[n]; }
  EntryField ReceivedField(int n) const;
  EntryField SentField(int n) const;
  std::string DefaultReport() const;
  void ApplyReceivedKinds();
  void ApplyReceivedKindsTo(QsoRecord record, bool editDialog);
  // The prefix lookup of a record: true resolved, false not resolved but
  // acceptable (prefix option, a call of at most 2 characters, maritime or
  // aeronautical mobile), nullopt unknown.
  std::optional<bool> ResolvePrefixOf(QsoRecord record);
  void CheckCallOnExit();
  bool ResolvePrefix();
  void EvaluateEntryMultipliers();
  void FetchStoredExchange();
  void ComputeRunningNumbers();
  void ComputeRunningNumbersFor(BandIndex band, const std::string& mode);
  void RecountAll();
  // The rate's QSO moments and the partial list's calls, read from the log.
  void ReadMomentsAndCalls();
  void UpdatePartialLists() const;
  void ApplyHeldRigReading();
  void StoreHeaderAndTotals();
  void RunRecalculate();
  void RunRenumber();
  void ApplyClock(bool allowBandChange);
  DayAndTime ClockNow() const;
  DayNumber Today() const;
  bool InsertEntryWithRetry();
  void UpdateCallBook();
  // What the call book (else the call list) holds for a base call; one
  // lookup per call, forgotten when the call book changes.
  struct StoredStation {
    bool valid = false;
    std::string baseCall10;
    std::string name;
    std::string qth;
    std::string dok;
  };
  const StoredStation& LookUpStation(const std::string& baseCall10);
  void RefreshAfterCountChange();
  ScoringContext Ctx() const { return ScoringContext{&rules_, code(), &context_.settings.suffixes}; }

  LoggingContext context_;
  std::vector<std::uint8_t> header_;
  ContestRules rules_;
  std::int32_t contestNumber_ = 0;

  FileBlock* qsoFile_ = nullptr;
  FileBlock* callBook_ = nullptr;
  FileBlock* callList_ = nullptr;
  PrefixFiles prefixFiles_;
  bool closed_ = false;

  std::array<std::uint8_t, kQsoRecordSize> entry_{};
  std::array<std::string, kEntryFieldCount> texts_;
  std::optional<EntryField> focused_;
  bool enterFlag_ = false;
  bool refreshing_ = false;
  bool fieldErrorShown_ = false;

  BandIndex band_ = 0;
  std::string mode_;
  std::string freeMode_;
  bool freeModeShown_ = false;
  DayNumber lastDate_ = kNoDate;
  TimeOfDay lastTime_ = kNoTime;
  float lastFrequency_ = 0;
  int editing_ = 0;
  std::string lastCheckedCall_;
  bool prefixResolved_ = false;
  std::string lastShownPrefix_;
  std::string foundName_;
  std::string foundQth_;
  char qslSend_ = 'N';
  bool germanExtraShown_ = true;  // the received field of kind 17
  bool sentEditable_ = false;      // "RSTs nicht sperren" of the totals record
  bool extraShown_ = false;        // frequency, name and QTH fields (F9)
  bool duplicateCleared_ = false;  // the call check found a duplicate
  // The worked tables already hold every stored QSO of the current band:
  // a save adds its own values, so the next entry needs no rebuild.
  bool tablesCurrent_ = false;
  bool importing_ = false;
  std::string resolvedCall_;       // the call the prefix was resolved for
  std::string lastFetchedCall_;    // the call the stored exchange was fetched for
  // The DOK field filled from the call history and not yet confirmed.
  std::optional<EntryField> proposedField_;
  QsoRate rate_;  // the moments of the log's QSOs
  std::optional<RigReading> pendingRig_;
  LogCalls logCalls_;  // the log's calls with their bands
  std::uint64_t logCallsGeneration_ = 0;
  std::size_t partialRows_ = 10;
  std::size_t oneOffRows_ = 5;
  // The lists of the last typed call, band and log state.
  struct PartialCache {
    std::string typed;
    BandIndex band = 0;
    std::uint64_t generation = ~std::uint64_t{0};
    std::vector<PartialCall> partial;
    std::vector<PartialCall> oneOff;
  };
  mutable PartialCache partialCache_;

  std::int32_t preparedSerialNo_ = 0;
  std::int32_t preparedBandNo_ = 0;
  std::int32_t preparedBandNo2_ = 0;
  std::uint16_t preparedModeNo_ = 0;
  std::uint32_t lastSavedRecordNo_ = 0;

  StoredStation station_;
  LogTotals totals_;
  MultiplierTables tables_;
};

}  // namespace korv
