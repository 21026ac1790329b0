#include "logging/ui/contest_log_std.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/text.h"
#include "controls/ui/kx_brow.h"
#include "controls/ui/kx_edit.h"
#include "logging/ui/adif_import_form.h"
#include "logging/ui/entry_panel.h"
#include "logging/ui/korrektur.h"
#include "logging/ui/log_widgets.h"
#include "logging/ui/partial_panel.h"
#include "logging/ui/qso_edit_dialog.h"
#include "logging/ui/qso_list_panel.h"
#include "logging/ui/totals_panel.h"
#include "output/adif_import.h"
#include "output/adif_reader.h"
#include "output/ui/party_evaluation_form.h"
#include "rig/rig_connection.h"
#include "platform/ui/qt_text.h"
#include "refdata/bands.h"
#include "shell/help.h"

namespace korv {
namespace {

constexpr int kKeyButtonMinWidth = 44;

const QColor kEntryBar(0, 0, 128);
const QColor kListBar(192, 0, 0);

}  // namespace

TContestLogStd::TContestLogStd(LoggingContext context, std::vector<std::uint8_t> header,
                               ContestRules rules, QWidget* parent)
    : QDialog(parent),
      m_session(std::make_unique<EntrySession>(std::move(context), std::move(header), std::move(rules))) {
  setObjectName(QStringLiteral("TContestLogStd"));
  BuildWidgets();
  m_clock.setInterval(kClockInterval);
  connect(&m_clock, &QTimer::timeout, this, [this] { ClockTick(); });
  m_rigTimer.setInterval(kRigInterval);
  connect(&m_rigTimer, &QTimer::timeout, this, [this] { PollRig(); });
  // The form sees the keys before its controls.
  qApp->installEventFilter(this);
}

TContestLogStd::~TContestLogStd() {
  qApp->removeEventFilter(this);
  Finish();
}

QPushButton* TContestLogStd::AddButton(QWidget* parent, const char* name, const char* caption,
                                       const char* hint) {
  auto* b = new QPushButton(ToQString(caption), parent);
  b->setObjectName(QString::fromLatin1(name));
  if (hint != nullptr) b->setToolTip(ToQString(hint));
  b->setAutoDefault(false);
  b->setFocusPolicy(Qt::NoFocus);  // the entry keeps the keyboard
  if (hint != nullptr) {
    // The key buttons are as wide as their key, not the style's minimum
    // push button: the row then fits a 1024-pixel screen.
    b->setFixedWidth(std::max(kKeyButtonMinWidth, b->fontMetrics().horizontalAdvance(b->text()) + 24));
  }
  parent->layout()->addWidget(b);
  return b;
}

void TContestLogStd::BuildWidgets() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 4, 4, 4);
  outer->setSpacing(4);

  auto* calls = new QHBoxLayout;
  outer->addLayout(calls);
  for (std::size_t i = 0; i < m_globCalls.size(); ++i) {
    m_globCalls[i] = new QLabel(this);
    m_globCalls[i]->setObjectName(QStringLiteral("lglobcall") + QString::number(i + 1));
    QFont f = m_globCalls[i]->font();
    f.setBold(true);
    f.setPointSize(12);
    m_globCalls[i]->setFont(f);
    calls->addWidget(m_globCalls[i]);
    calls->addStretch(1);
  }

  auto* top = new QHBoxLayout;
  outer->addLayout(top);
  auto* left = new QVBoxLayout;
  top->addLayout(left, 1);
  m_entry = new EntryPanel(this);
  left->addWidget(m_entry);
  m_grid = new MultiplierGrid(this);
  left->addWidget(m_grid);
  m_partialPanel = new PartialCallsPanel(this);
  top->addWidget(m_partialPanel, 0, Qt::AlignTop);
  m_session->SetPartialListRows(PartialCallsPanel::kPartialRows, PartialCallsPanel::kOneOffRows);
  m_totals = new LogTotalsPanel(this);
  top->addWidget(m_totals);

  auto* tools = new QWidget(this);
  tools->setObjectName(QStringLiteral("ToolRow"));
  tools->setLayout(new QHBoxLayout);
  tools->layout()->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(tools);
  m_btnClear = AddButton(tools, "btnClear", "Esc", "Eingabe l\xF6schen");
  m_btnListe = AddButton(tools, "btnListe", "F5", "Liste");
  m_btnMode = AddButton(tools, "btnMode", "F7", "Mode");
  m_btnBand = AddButton(tools, "btnBand", "F8", "Band");
  m_btnKorrektur = AddButton(tools, "btnKorrektur", "F12", "Korrektur");
  m_btnCallsuche = AddButton(tools, "btnCallsuche", "F4", "Callsuche");
  m_btnNotiz = AddButton(tools, "btnNotiz", "F6", "Notiz");
  m_btnNameqth = AddButton(tools, "btnNameqth", "F9", "Name / QTH");
  m_btnHilfe = AddButton(tools, "btnHilfe", "?", "Hilfe");
  m_btnauswertung = AddButton(tools, "btnauswertung", "F11", "Auswertung");
  m_btnPartial = AddButton(tools, "btnPartial", "F2", "Partial-Call \xFC" "bernehmen");
  static_cast<QHBoxLayout*>(tools->layout())->addStretch(1);
  m_btnRig = AddButton(tools, "btnRig", "Rig ...", nullptr);
  m_btnRig->setToolTip(QStringLiteral("Rig-Steuerung: Transceiver \u00FCber Hamlib"));
  m_btnadifimport = AddButton(tools, "btnadifimport", "Import von ADIF-Dateien", nullptr);
  m_btnweitere = AddButton(tools, "btnweitere", "weitere AFU-Programme", nullptr);

  m_contestCaption = new QLabel(this);
  m_contestCaption->setObjectName(QStringLiteral("lContestCaption"));
  m_contestCaption->setAlignment(Qt::AlignCenter);
  m_contestCaption->setMinimumHeight(20);
  SetTextColour(m_contestCaption, Qt::white);
  outer->addWidget(m_contestCaption);
  m_brow = new TkxBrow(m_session->platform(), this);
  QFont listFont(QStringLiteral("Arial"), 10);
  m_brow->Grid()->setFont(listFont);
  outer->addWidget(m_brow, 1);

  auto* bottom = new QWidget(this);
  bottom->setLayout(new QHBoxLayout);
  bottom->layout()->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(bottom);
  m_btnBandliste = AddButton(bottom, "btnBandliste", "Bandlog [F3]", nullptr);
  m_btnAendern = AddButton(bottom, "btnAendern", "\xC4ndern [ET]", nullptr);
  m_btnLoeschen = AddButton(bottom, "btnLoeschen", "L\xF6schen [Entf]", nullptr);
  m_rigStatus = new QLabel(bottom);
  m_rigStatus->setObjectName(QStringLiteral("lRigStatus"));
  m_rigStatus->hide();
  bottom->layout()->addWidget(m_rigStatus);
  static_cast<QHBoxLayout*>(bottom->layout())->addStretch(1);
  m_maker = new LogClickLabel(bottom);
  m_maker->setObjectName(QStringLiteral("lMaker"));
  m_maker->setText(QStringLiteral("Korv DEZ f\u00FCr Linux"));
  m_maker->setCursor(Qt::PointingHandCursor);
  m_maker->setMouseTracking(true);
  m_maker->installEventFilter(this);
  bottom->layout()->addWidget(m_maker);
  m_menueBeenden = new LogClickLabel(bottom);
  m_menueBeenden->setObjectName(QStringLiteral("MenueBeenden"));
  m_menueBeenden->setText(QStringLiteral("    Contest beenden"));
  m_menueBeenden->setCursor(Qt::PointingHandCursor);
  bottom->layout()->addWidget(m_menueBeenden);
  m_btnBeenden = AddButton(bottom, "btnContestBeenden", "Contest beenden", nullptr);

  m_listband = new QListWidget(this);
  m_listband->setObjectName(QStringLiteral("listband"));
  m_listmode = new QListWidget(this);
  m_listmode->setObjectName(QStringLiteral("listmode"));
  for (QListWidget* l : {m_listband, m_listmode}) {
    l->hide();
    l->setFixedSize(110, 140);
    connect(l, &QListWidget::itemActivated, this, [this, l] { ChoosePopup(l); });
  }

  // Every entry field shares the exit handler and the change handlers.
  for (int i = 0; i < kEntryFieldCount; ++i) {
    const auto f = static_cast<EntryField>(i);
    TkxEdit* edit = m_entry->Field(f);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this, f] { FieldTextEdited(f); });
  }
  m_entry->installEventFilter(this);
  m_brow->Grid()->installEventFilter(this);
  connect(m_entry, &EntryPanel::qslClicked, this, [this] {
    m_session->ToggleQslSend();
    Draw();
  });

  connect(m_btnClear, &QPushButton::clicked, this, [this] { Escape(); });
  connect(m_btnListe, &QPushButton::clicked, this, [this] { ToggleListFocus(); });
  connect(m_btnPartial, &QPushButton::clicked, this, [this] { TakePartialCall(QString()); });
  connect(m_partialPanel, &PartialCallsPanel::callChosen, this, [this](const QString& call) { TakePartialCall(call); });
  connect(m_btnMode, &QPushButton::clicked, this, [this] { ModeKey(); });
  connect(m_btnBand, &QPushButton::clicked, this, [this] {
    const std::vector<BandIndex> bands = m_session->Bands();
    const auto it = std::find(bands.begin(), bands.end(), m_session->band());
    ShowPopup(m_listband, it == bands.end() ? 0 : static_cast<int>(it - bands.begin()));
  });
  connect(m_btnKorrektur, &QPushButton::clicked, this, [this] { OpenKorrektur(0); });
  connect(m_btnCallsuche, &QPushButton::clicked, this, [this] { OpenKorrektur(1); });
  connect(m_btnBandliste, &QPushButton::clicked, this, [this] { OpenKorrektur(2); });
  connect(m_btnNotiz, &QPushButton::clicked, this, [this] {
    emit noteRequested();
    if (m_session->View().texts[FieldSlot(EntryField::kCall)].empty()) Escape();
  });
  connect(m_btnNameqth, &QPushButton::clicked, this, [this] {
    m_session->ToggleExtraFields();
    Draw();
  });
  connect(m_btnHilfe, &QPushButton::clicked, this, [this] {
    (void)HandleHelpRequest(m_session->platform(), kHelpCommandContext, kLoggingHelpContext,
                            m_session->helpSearchDirs());
  });
  connect(m_btnauswertung, &QPushButton::clicked, this, &TContestLogStd::partyEvaluationRequested);
  connect(this, &TContestLogStd::partyEvaluationRequested, this, [this] { PartyEvaluation(); });
  connect(m_btnadifimport, &QPushButton::clicked, this, &TContestLogStd::adifImportRequested);
  connect(this, &TContestLogStd::adifImportRequested, this, [this] { AdifImport(); });
  connect(m_btnweitere, &QPushButton::clicked, this, &TContestLogStd::furtherProgramsRequested);
  connect(m_btnRig, &QPushButton::clicked, this, [this] { OpenRigSettings(); });
  connect(m_btnAendern, &QPushButton::clicked, this, [this] { EditSelected(); });
  connect(m_btnLoeschen, &QPushButton::clicked, this, [this] { DeleteSelected(); });
  connect(m_btnBeenden, &QPushButton::clicked, this, [this] { close(); });
  connect(m_menueBeenden, &LogClickLabel::clicked, this, [this] { close(); });
  // No web site of ours exists: the maker line leads to the help, as in the
  // main window.
  connect(m_maker, &LogClickLabel::clicked, this, [this] { m_btnHilfe->click(); });
}

bool TContestLogStd::FormCreate() {
  if (m_started) return true;
  if (!m_session->Open()) return false;
  m_started = true;
  m_list = std::make_unique<QsoListBinding>(*m_brow, *m_session, QsoListFormat{"dd.mm.yy", "hh:mm", m_session->uiGerman()},
                                            true);
  m_list->onEdit = [this](std::uint32_t recordNo) { EditQso(recordNo); };
  m_list->onDeleted = [this] { Draw(); };
  const BrowseResult r = m_list->Browse(*LogListOrder(kLogListDefaultOrder, m_session->band()));
  if (!r.ok) m_session->platform().ShowError(r.message);
  m_list->ShowCurrentBand();
  m_listBand = m_session->band();

  const std::string own = SlashZeros(m_session->settings().own.call);
  for (QLabel* l : m_globCalls) SetLabelText(l, own);
  for (BandIndex b : m_session->Bands()) m_listband->addItem(ToQString(BandName(b)));
  for (const std::string& m : m_session->Modes()) m_listmode->addItem(ToQString(m));
  m_btnBand->setVisible(m_session->Bands().size() > 1);
  m_btnMode->setVisible(m_session->Modes().size() > 1);
  m_btnauswertung->setVisible(m_session->rules().partyEvaluation != 0);
  m_btnNameqth->setVisible(m_session->rules().listenerLog == 0);
  m_btnListe->setEnabled(true);
  m_listMode = true;  // so that the switch below sets every control
  EnterEntryMode();
  Draw();
  FocusField(EntryField::kCall);
  m_clock.start();
  ConnectRig();
  return true;
}

bool TContestLogStd::Run(LoggingContext context, std::vector<std::uint8_t>& header, ContestRules rules,
                         QWidget* mainWindow, const std::function<void(TContestLogStd&)>& connectRequests) {
  TContestLogStd window(std::move(context), header, std::move(rules));
  if (!window.FormCreate()) return false;
  if (connectRequests) connectRequests(window);
  if (mainWindow != nullptr) mainWindow->hide();
  window.move(0, 0);
  // Filled also without a window manager that maximises.
  if (const QScreen* screen = window.screen()) window.setGeometry(screen->availableGeometry());
  window.setWindowState(Qt::WindowMaximized);
  window.exec();
  header = window.Session().headerBytes();
  if (mainWindow != nullptr) mainWindow->show();
  return true;
}

// --- drawing ---------------------------------------------------------------------

void TContestLogStd::Draw() {
  // Whatever changed the band (band list, frequency field, contest period),
  // the list follows it.
  if (m_list && m_session->band() != m_listBand) {
    m_listBand = m_session->band();
    m_list->ShowCurrentBand();
  }
  const EntryView v = m_session->View();
  m_entry->Draw(v);
  m_totals->Draw(v);
  m_partialPanel->Draw(v);
  SetVisibleIfChanged(m_partialPanel, v.partialShown);
  SetVisibleIfChanged(m_btnPartial, v.partialShown);
  m_grid->Draw(v.grid);
  SetVisibleIfChanged(m_grid, !v.compactRow);
  SetVisibleIfChanged(m_totals, !v.compactRow);
  const QString caption = ToQString(v.caption);
  if (windowTitle() != caption) setWindowTitle(caption);
}

void TContestLogStd::EnterEntryMode() {
  if (!m_listMode) return;
  m_listMode = false;
  for (QPushButton* b : {m_btnClear, m_btnNameqth}) b->setEnabled(true);
  for (QPushButton* b : {m_btnBandliste, m_btnAendern, m_btnLoeschen}) b->setEnabled(false);
  SetLabelText(m_contestCaption, "Contest-Logbuch");
  SetBackground(m_contestCaption, kEntryBar);
}

void TContestLogStd::EnterListMode() {
  if (m_listMode) return;
  m_listMode = true;
  for (QPushButton* b : {m_btnClear, m_btnNameqth}) b->setEnabled(false);
  for (QPushButton* b : {m_btnBandliste, m_btnAendern, m_btnLoeschen}) b->setEnabled(true);
  SetLabelText(m_contestCaption, PickText(m_session->uiGerman(), "Contest-Logbuch (ESC: zur\xFC" "ck zur Eingabe)",
                                          "Contest-logbook (ESC: return to entry)"));
  SetBackground(m_contestCaption, kListBar);
  m_entry->MarkFocused(std::nullopt);
}

// --- clock, list commands, closing -------------------------------------------------------

void TContestLogStd::ClockTick() {
  m_session->ClockTick();
  Draw();
}

void TContestLogStd::DeleteSelected() {
  const auto recordNo = m_list->SelectedQso();
  if (!recordNo || !m_session->DeleteQso(*recordNo)) return;
  AfterLogChanged();
}

void TContestLogStd::EditSelected() {
  if (const auto recordNo = m_list->SelectedQso()) EditQso(*recordNo);
}

void TContestLogStd::EditQso(std::uint32_t recordNo) {
  const auto changed = Teingabecontstd2::Edit(*m_session, recordNo, this);
  if (!changed) return;
  m_list->LocateRecord(*changed);
  Draw();
}

void TContestLogStd::OpenKorrektur(int kind) {
  const auto k = static_cast<KorrekturKind>(kind);
  {
    TKorrekturstd window(*m_session, k, m_session->band(), this);
    window.Run(m_korrekturGeometry);
  }
  m_list->RefreshRows();
  if (k != KorrekturKind::kCallSearch) {
    Escape();
  } else {
    Draw();
  }
}

void TContestLogStd::AfterLogChanged() {
  m_list->ShowCurrentBand();
  m_listBand = m_session->band();
  Draw();
}

void TContestLogStd::AdifImport() {
  if (!m_started || m_finished) return;
  // The clock stands still while the import window is open and the records
  // are entered, then runs again as it did before.
  const bool clockWasRunning = m_clock.isActive();
  m_clock.stop();
  std::optional<AdifImportCounts> counts;
  {
    TFormadifimport window(m_session->platform(), AdifLogFieldNames(*m_session), this);
    AddHelpKey(&window, *m_session, kAdifImportHelpContext);
    if (window.exec() == QDialog::Accepted) {
      counts = ImportAdifRecords(*m_session, window.Records(), window.RightList(), window.NoCheck());
    }
  }
  if (counts) {
    m_session->platform().Inform(
        AdifImportMessage(counts->imported, counts->duplicates, counts->bandErrors, counts->modeErrors));
    AfterLogChanged();
    Escape();
  }
  if (clockWasRunning) m_clock.start();
}

void TContestLogStd::PartyEvaluation() {
  if (!m_started || m_finished || m_session->qsoFile() == nullptr) return;
  // The window is made anew for every log; where the evaluation window
  // stood is kept for as long as the program runs.
  static std::optional<QRect> place;
  (void)Tpartyauswertungform::Run(m_session->platform(), m_session->header(), *m_session->qsoFile(), place,
                                  this);
}

void TContestLogStd::done(int result) {
  Finish();
  QDialog::done(result);
}

void TContestLogStd::Finish() {
  if (m_finished) return;
  m_finished = true;
  m_clock.stop();
  m_rigTimer.stop();
  m_rig.reset();
  if (m_list) m_list->Release();
  m_session->Close();
}

}  // namespace korv
