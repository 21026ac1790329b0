// The contest list of the main window: the record browser over the contest
// directory KVKK, restricted to the logs of the active contest code, and
// the flows behind its buttons: "Neu", "Starten" (also Enter, F10 and a
// double click), the hidden "Start [F10]" and "Löschen".
//
// The list reads the selected header into the directory's record buffer,
// which is the program's current header; the configuration window and the
// logging window work on that buffer.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "platform/platform.h"
#include "shell/contest_rules.h"
#include "shell/program_session.h"
#include "shell/program_state.h"

namespace korv {

class TContestBrow;
class TkxBrow;

// The windows the list opens; the program entry wires them.
struct ContestListHooks {
  // The configuration window; true only when it was left with
  // "Contest starten".
  std::function<bool(bool logExists, bool evaluationOnly, ContestCode code)> openConfiguration;
  // The logging window of the log `contestNumber`, with its own copy of the
  // presets; returns when the operator closed it.
  std::function<void(std::int32_t contestNumber, const ContestRules& rules)> openLogging;
};

class ContestList : public QObject {
  Q_OBJECT
 public:
  // Connects the window's buttons and binds its list (the list set-up).
  // REQUIRES: the session is started and outlives this object and the window.
  ContestList(Platform& platform, ProgramSession& session, ProgramState& state, TContestBrow& window,
              ContestListHooks hooks);
  ~ContestList() override;

  // The first start: an empty directory (all codes counted) runs "Neu" at
  // once. Call it once the window is visible.
  void NewWhenDirectoryEmpty();

  void Neu();
  void Starten();
  void StartLogging();  // the hidden "Start [F10]"
  void Loeschen();

 private:
  void SetupList();
  // Shows the header in the directory's record buffer as the selected row.
  void LocateCurrent();
  int SortOrder() const;
  // Writes the current header and totals buffers back to their own records.
  void WriteBackBuffers(std::int32_t contestNumber);
  void ReturnFocus();

  Platform& m_platform;
  ProgramSession& m_session;
  ProgramState& m_state;
  TContestBrow& m_window;
  TkxBrow& m_brow;
  ContestListHooks m_hooks;
};

}  // namespace korv
