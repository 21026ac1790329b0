#include "shell/ui/contest_list.h"

#include <QPushButton>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/coding.h"
#include "common/text.h"
#include "controls/ui/kx_brow.h"
#include "controls/ui/kx_edit.h"
#include "storage/os_file.h"
#include "shell/contest_directory.h"
#include "shell/ui/contest_brow.h"

namespace korv {
namespace {

constexpr int kDirectoryIndexByDate = 2;
constexpr int kDirectoryIndexByNumber = 3;

const char* const kVersionHint =
    "Bitte pr\xFC" "fen Sie vor dem Contest, ob eine neuere Version von Korv DEZ vorliegt "
    "(Hinweise in der Hilfe, F1).";

KeyString NumberKey(std::int32_t number) {
  KeyString key;
  key.AppendLong(number);
  return key;
}

}  // namespace

ContestList::ContestList(Platform& platform, ProgramSession& session, ProgramState& state,
                         TContestBrow& window, ContestListHooks hooks)
    : m_platform(platform),
      m_session(session),
      m_state(state),
      m_window(window),
      m_brow(*window.Brow()),
      m_hooks(std::move(hooks)) {
  connect(&m_window, &TContestBrow::newRequested, this, [this] { Neu(); });
  connect(&m_window, &TContestBrow::startRequested, this, [this] { Starten(); });
  connect(&m_window, &TContestBrow::deleteRequested, this, [this] { Loeschen(); });
  connect(&m_window, &TContestBrow::startLoggingRequested, this, [this] { StartLogging(); });
  SetupList();
}

ContestList::~ContestList() { m_brow.Unbind(); }

int ContestList::SortOrder() const {
  return m_brow.CurrentIndexNumber() == SortOrderIndex(kContestSortByDate) ? kContestSortByDate
                                                                          : kContestSortByName;
}

void ContestList::SetupList() {
  FileBlock& dir = m_session.contestDirectory();
  TKBrowserEvents& e = m_brow.Events();
  e.OnBuildRow = [this, &dir](TKBrowser&, std::string& row) {
    row = ContestListRow(*ContestHeader::Over(dir.Record()), SortOrder(), m_session.settings().datePicture);
  };
  e.OnSetHeaderFooter = [this](TKBrowser& b) {
    const int order = SortOrder();
    // A click on a column title sorts by that column.
    ColumnIndexTable columns{};
    const int name = SortOrderIndex(kContestSortByName);
    const int date = SortOrderIndex(kContestSortByDate);
    columns[0] = static_cast<std::uint8_t>(order == kContestSortByDate ? date : name);
    columns[1] = static_cast<std::uint8_t>(order == kContestSortByDate ? name : date);
    b.SetHeader(ContestListHeaderLine(order, m_session.settings().datePicture, m_state.uiGerman),
                SortCaption(order, m_state.uiGerman), columns, {});
  };
  e.OnInitSortList = [](TKBrowser& b) {
    b.ClearSortList();
    b.AddSortName("Name");
    b.AddSortName("Datum");
  };
  // The names are Windows-1252 as typed, not in the DOS code page.
  m_brow.Browser().SetRowsInOemCodePage(false);
  // The keys of both orders begin with the contest code.
  e.OnSuchFeld2KeyStr = [this](TKBrowser&, std::string& text) {
    text.insert(text.begin(), static_cast<char>(m_state.activeContestCode));
  };
  e.OnSortList2Key = [this](TKBrowser&, int position, KeyString& lower, KeyString& upper) {
    const ContestListKeyBounds bounds = ContestListBounds(m_state.activeContestCode);
    lower = KeyString(bounds.lower);
    upper = KeyString(bounds.upper);
    return SortOrderIndex(position);
  };
  e.OnBrowDoppelKlick = [this, &dir](TKBrowser&) {
    (void)EnsureTotalsRecord(m_session.totals(), ContestHeader::Over(dir.Record())->contestNumber());
    Starten();
  };
  // The Delete key removes a whole log (QSO file and totals too), never the
  // header alone: it runs "Löschen" with its own question.
  e.OnBefore_Loesch = [this](TKBrowser&) {
    Loeschen();
    return false;
  };

  const ContestListKeyBounds bounds = ContestListBounds(m_state.activeContestCode);
  const BrowseResult r = m_brow.Browse(&dir, SortOrderIndex(kContestSortByName), KeyString(bounds.lower),
                                       KeyString(bounds.upper));
  if (!r.ok) {
    m_platform.ShowError(r.message);
    return;
  }
  // The log of the active code that starts last is selected. Logs of codes
  // sorting after it must not decide: their keys lie outside the list.
  const KeyString afterCode(bounds.upper + std::string(4, '\xFF'));
  const bool positioned = dir.FindAtLeast(kDirectoryIndexByDate, afterCode).ok()
                              ? dir.MovePrevious(kDirectoryIndexByDate).ok()
                              : dir.MoveLast(kDirectoryIndexByDate).ok();
  if (positioned && ContestHeader::Over(dir.Record())->contestCode() == m_state.activeContestCode) {
    m_brow.LocateKey(dir.BuildKey(m_brow.CurrentIndexNumber()), dir.CurrentRef());
  }
}

void ContestList::LocateCurrent() {
  FileBlock& dir = m_session.contestDirectory();
  if (dir.CurrentRef() > 0) {
    m_brow.LocateKey(dir.BuildKey(m_brow.CurrentIndexNumber()), dir.CurrentRef());
  } else {
    m_brow.RefreshRows();
  }
}

void ContestList::NewWhenDirectoryEmpty() {
  if (m_session.contestDirectory().RecordCount() != 0) return;
  m_platform.ProcessPendingEvents();
  Neu();
}

void ContestList::Neu() {
  // Presets that carry the year in the contest name take it from today.
  ContestHeader::Over(m_session.contestDirectory().Record())->SetStartDate(m_platform.Now().date);
  m_platform.Inform(kVersionHint);
  bool start = false;
  const ContestCode code = m_state.activeContestCode;
  if (!IsCodeWithoutWindows(code) && m_hooks.openConfiguration) {
    start = m_hooks.openConfiguration(false, false, code);
  }
  LocateCurrent();
  if (start) m_window.btnStartF10()->click();
  m_window.RefreshOwnCall();
  ReturnFocus();
}

void ContestList::Starten() {
  if (m_brow.Browser().Rows().empty()) {
    m_platform.Inform(kRecordNotReadable);
    return;
  }
  if (!m_brow.ReadSelectedRecord()) return;
  const ContestHeader header = *ContestHeader::Over(m_session.contestDirectory().Record());
  (void)EnsureTotalsRecord(m_session.totals(), header.contestNumber());
  m_session.FillPresets();
  const ContestCode logCode = header.contestCode();
  const ContestCode code = m_state.activeContestCode;
  bool start = false;
  if (!IsCodeWithoutWindows(logCode) && m_hooks.openConfiguration) {
    start = m_hooks.openConfiguration(true, false, code);
  }
  LocateCurrent();
  m_window.RefreshOwnCall();
  if (start) m_window.btnStartF10()->click();
  ReturnFocus();
}

void ContestList::StartLogging() {
  if (!m_brow.ReadSelectedRecord()) return;
  const ContestHeader header = *ContestHeader::Over(m_session.contestDirectory().Record());
  const std::int32_t number = header.contestNumber();
  (void)EnsureTotalsRecord(m_session.totals(), number);
  if (IsCodeWithoutWindows(header.contestCode())) return;
  if (m_hooks.openLogging) {
    const ContestRules rules = m_session.rules();  // the logging window's own copy
    m_hooks.openLogging(number, rules);
  }
  WriteBackBuffers(number);
  // After the contest, however the log was started: the evaluation and the
  // outputs.
  if (m_hooks.openConfiguration) {
    (void)m_hooks.openConfiguration(true, true, m_state.activeContestCode);
    LocateCurrent();
  }
}

void ContestList::ReturnFocus() {
  // The windows above are gone: the list has the keyboard again, whichever
  // way they were closed.
  m_window.raise();
  m_window.activateWindow();
  m_brow.QuickSearchField()->setFocus();
}

void ContestList::WriteBackBuffers(std::int32_t number) {
  // The buffers are written to their own records only: whatever the logging
  // window looked up last, another log's record is never overwritten.
  FileBlock& dir = m_session.contestDirectory();
  if (ContestHeader::Over(dir.Record())->contestNumber() == number) {
    const std::vector<std::uint8_t> bytes(dir.Record().begin(), dir.Record().end());
    if (dir.FindExact(kDirectoryIndexByNumber, NumberKey(number)).ok()) {
      std::memcpy(dir.Record().data(), bytes.data(), bytes.size());
      (void)dir.UpdateRecord();
    }
  }
  FileBlock& totals = m_session.totals();
  if (GetI32(totals.Record(), kTotalsNumberOffset) == number) {
    const std::vector<std::uint8_t> bytes(totals.Record().begin(), totals.Record().end());
    if (totals.FindExact(1, NumberKey(number)).ok()) {
      std::memcpy(totals.Record().data(), bytes.data(), bytes.size());
      (void)totals.UpdateRecord();
    }
  }
}

void ContestList::Loeschen() {
  if (m_brow.Browser().Rows().empty()) {
    m_platform.Inform(kRecordNotReadable);
    return;
  }
  if (!m_brow.ReadSelectedRecord()) return;
  FileBlock& dir = m_session.contestDirectory();
  const ContestHeader header = *ContestHeader::Over(dir.Record());
  (void)EnsureTotalsRecord(m_session.totals(), header.contestNumber());
  // A log with QSOs says how many go with it (a log never opened for
  // logging has no QSO file, and none is made for counting).
  std::int32_t qsos = 0;
  FileCatalogue& catalogue = m_session.catalogue();
  std::filesystem::path dat = catalogue.engine().DataDirectory() / (QsoFileName(header.contestNumber()) + ".DAT");
  if (FileExists(FindIgnoringCase(dat))) {
    if (FileBlock* qsoFile = catalogue.OpenQsoFile(header.contestNumber())) {
      qsos = std::max<std::int32_t>(0, qsoFile->RecordCount());
      catalogue.ReleaseQsoFile(header.contestNumber());
    }
  }
  const std::string question = qsos > 0 ? "Contest " + header.name() + " mit " + std::to_string(qsos) +
                                              (qsos == 1 ? " QSO l\xF6schen?" : " QSOs l\xF6schen?")
                                        : "Eintrag " + header.name() + " l\xF6schen?";
  if (!m_platform.AskBeforeDestroying(question)) return;
  (void)DeleteContestLog(m_session.catalogue(), dir, m_session.totals());
  LocateCurrent();
}

}  // namespace korv
