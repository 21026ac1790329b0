// TEingContestStd: the contest configuration window. The operator describes
// a contest log before the contest (name, dates, station, address,
// participation type, start mode, options, the computer's clock) and sees
// its evaluation after it; the output menu "Drucken / E-Log" starts every
// output.
//
// The window edits the current header (the record buffer of the contest
// directory), the log's totals record and the own-station address through
// the core (logging/log_configuration.h); it keeps a working copy of the
// header so that a save never reads over its own source. It refills the
// program's presets whenever the participation type changes and after each
// save.
#pragma once

#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>
#include <vector>

#include "logging/log_configuration.h"
#include "platform/platform.h"
#include "shell/program_session.h"
#include "shell/program_state.h"

class QMenu;
class QPushButton;

namespace korv {

class ConfigurationForm;
class EvaluationPanel;
class TkxEdit;

struct ConfigurationSetup {
  // Where the help file is looked for, in order.
  std::vector<std::filesystem::path> helpSearchDirs;
  // "Regeln": the rules window of a contest code.
  std::function<void(ContestCode)> showRules;
  // Shows a file an output has just written (text display window).
  std::function<void(const std::filesystem::path&)> showTextFile;
  // Directory the save dialogs of the outputs start in; empty: the current one.
  std::filesystem::path outputDirectory;
};

class TEingContestStd : public QDialog {
  Q_OBJECT
 public:
  TEingContestStd(Platform& platform, ProgramSession& session, ProgramState& state,
                  ConfigurationSetup setup, QWidget* parent = nullptr);
  ~TEingContestStd() override;

  // The entry of the contest list: Prepare, then modal. True only when the
  // operator left the window with "Contest starten".
  bool Open(bool logExists, bool evaluationOnly, ContestCode code);
  // Loads the window for a log without showing it (Open's first half).
  // REQUIRES: for an existing log the directory's record buffer holds its header.
  void Prepare(bool logExists, bool evaluationOnly, ContestCode code);
  // After the window closed: whether "Contest starten" closed it.
  bool StartRequested() const { return m_startRequested; }
  bool LogExists() const { return m_logExists; }

  ConfigurationForm* Form() const { return m_form; }
  QMenu* OutputMenu() const { return m_outputMenu; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();
  ContestHeader Header() { return ContestHeader(m_header); }
  void ReloadPresets();
  void ShowPresets();
  void ShowEvaluation();
  DayNumber Today();
  // Checks (unless silent) and saves. True when the header was written.
  bool Save(bool withChecks, bool forOutput);
  void btnStartClick();
  void btnBeendenClick();
  void btnDruckenClick();
  void ParticipationChanged(int type);
  void DateFieldExit(TkxEdit* field);
  void BuildOutputMenu();
  void RunOutput(int kind);

  Platform& m_platform;
  ProgramSession& m_session;
  ProgramState& m_state;
  ConfigurationSetup m_setup;

  std::array<std::uint8_t, kContestHeaderSize> m_header{};
  ContestRules m_rules;
  LogConfiguration m_config;
  ContestCode m_code = kActiveContestCode;
  bool m_logExists = false;
  bool m_evaluationOnly = false;
  bool m_startRequested = false;
  // The text of the date or time field being edited, as it was on entry.
  QString m_enteredText;

  ConfigurationForm* m_form = nullptr;
  EvaluationPanel* m_evaluation = nullptr;
  QPushButton* m_btnStart = nullptr;
  QPushButton* m_btnBeenden = nullptr;
  QPushButton* m_btnAbbrechen = nullptr;
  QPushButton* m_btnHilfe = nullptr;
  QPushButton* m_btnRegeln = nullptr;
  QPushButton* m_btnDrucken = nullptr;
  QPushButton* m_btnRig = nullptr;
  QMenu* m_outputMenu = nullptr;
};

}  // namespace korv
