// TContestLogStd: the logging window. The entry panel with the totals and
// the multiplier grid above, the QSO list below. Every keystroke and button
// goes to the entry session (logging/entry_session.h), which holds all the
// logic; the window draws its View() and moves the focus.
//
// The main window opens it with Run(): it hides itself while the window is
// shown and receives the header record back as the window stored it.
#pragma once

#include <QDialog>
#include <QRect>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "logging/entry_session.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace korv {

class EntryPanel;
class LogClickLabel;
class LogTotalsPanel;
class MultiplierGrid;
class PartialCallsPanel;
class RigConnection;
class QsoListBinding;
class TkxBrow;

class TContestLogStd : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kClockInterval = 1000;  // ms
  static constexpr int kRigInterval = 500;     // ms: the radio's state is read this often

  // What EntrySession's constructor takes: the platform, files and settings,
  // a copy of the log's header record and the window's own copy of the rules.
  TContestLogStd(LoggingContext context, std::vector<std::uint8_t> header, ContestRules rules,
                 QWidget* parent = nullptr);
  ~TContestLogStd() override;

  // Window start (opens the log). False when the QSO file cannot be opened;
  // the storage layer has said why.
  bool FormCreate();

  // Opens the window modally, maximised at the top left, with mainWindow
  // hidden meanwhile. header: the log's header record in, the record as the
  // window stored it (column widths, totals) out. False when the log could
  // not be opened. connectRequests, when given, is called with the window
  // before it is shown, to connect the requests of other parts' windows.
  static bool Run(LoggingContext context, std::vector<std::uint8_t>& header, ContestRules rules,
                  QWidget* mainWindow = nullptr,
                  const std::function<void(TContestLogStd&)>& connectRequests = {});

  EntrySession& Session() { return *m_session; }
  EntryPanel* Entry() const { return m_entry; }
  TkxBrow* List() const { return m_brow; }
  QsoListBinding& ListBinding() { return *m_list; }
  MultiplierGrid* Grid() const { return m_grid; }
  LogTotalsPanel* Totals() const { return m_totals; }
  PartialCallsPanel* Partial() const { return m_partialPanel; }
  QListWidget* BandList() const { return m_listband; }
  QListWidget* ModeList() const { return m_listmode; }
  QTimer& Clock() { return m_clock; }
  QTimer& RigTimer() { return m_rigTimer; }
  QLabel* RigStatus() const { return m_rigStatus; }
  bool ListMode() const { return m_listMode; }

 signals:
  // Windows of other parts this window only opens.
  void noteRequested();
  // The window answers it itself with the ADIF import window.
  void adifImportRequested();
  void furtherProgramsRequested();
  // The window answers it itself with the party evaluation window.
  void partyEvaluationRequested();

 public slots:
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();
  QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, const char* hint);
  void Draw();
  bool FormKeyDown(QKeyEvent* event, QWidget* receiver);
  void FieldEnter(EntryField field);
  // Runs the exit handler of the entry field that has the focus (every way
  // of leaving a field runs it: Enter, Tab, a click, Alt+Numpad, F5).
  void LeaveFocusedField();
  void FieldTextEdited(EntryField field);
  void FocusField(EntryField field);
  void EnterEntryMode();
  void EnterListMode();
  void Escape();
  void ToggleListFocus();
  void ModeKey();
  // F2 or a click in the partial panel: `call` (empty: the first listed)
  // becomes the typed call.
  void TakePartialCall(const QString& call);
  // The radio: connected from the settings file (none configured: no
  // connection, no status), read by the rig timer, set up in its dialog.
  void ConnectRig();
  void PollRig();
  void OpenRigSettings();
  void ShowPopup(QListWidget* list, int currentRow);
  void ClosePopup(QListWidget* list);
  void ChoosePopup(QListWidget* list);
  void ClockTick();
  void DeleteSelected();
  void EditSelected();
  void EditQso(std::uint32_t recordNo);
  void OpenKorrektur(int kind);
  void AfterLogChanged();
  void AdifImport();
  void PartyEvaluation();
  void Finish();

  std::unique_ptr<EntrySession> m_session;
  std::unique_ptr<QsoListBinding> m_list;
  QTimer m_clock;
  QTimer m_rigTimer;
  std::unique_ptr<RigConnection> m_rig;
  std::uint64_t m_rigSeen = 0;  // the sequence of the radio's state taken last
  bool m_started = false;
  bool m_finished = false;
  bool m_listMode = false;
  bool m_leaving = false;  // the window moves the focus itself
  BandIndex m_listBand = 0;  // the band the list was last positioned for
  QWidget* m_popupReturn = nullptr;
  std::optional<QRect> m_korrekturGeometry;

  EntryPanel* m_entry = nullptr;
  LogTotalsPanel* m_totals = nullptr;
  MultiplierGrid* m_grid = nullptr;
  PartialCallsPanel* m_partialPanel = nullptr;
  QLabel* m_contestCaption = nullptr;
  std::array<QLabel*, 3> m_globCalls{};
  TkxBrow* m_brow = nullptr;
  QListWidget* m_listband = nullptr;
  QListWidget* m_listmode = nullptr;
  QPushButton* m_btnClear = nullptr;
  QPushButton* m_btnListe = nullptr;
  QPushButton* m_btnMode = nullptr;
  QPushButton* m_btnBand = nullptr;
  QPushButton* m_btnKorrektur = nullptr;
  QPushButton* m_btnCallsuche = nullptr;
  QPushButton* m_btnNotiz = nullptr;
  QPushButton* m_btnNameqth = nullptr;
  QPushButton* m_btnHilfe = nullptr;
  QPushButton* m_btnauswertung = nullptr;
  QPushButton* m_btnBandliste = nullptr;
  QPushButton* m_btnAendern = nullptr;
  QPushButton* m_btnLoeschen = nullptr;
  QPushButton* m_btnBeenden = nullptr;
  QPushButton* m_btnadifimport = nullptr;
  QPushButton* m_btnweitere = nullptr;
  QPushButton* m_btnPartial = nullptr;
  QPushButton* m_btnRig = nullptr;
  QLabel* m_rigStatus = nullptr;
  LogClickLabel* m_menueBeenden = nullptr;
  LogClickLabel* m_maker = nullptr;
};

}  // namespace korv
