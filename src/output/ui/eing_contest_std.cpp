#include "output/ui/eing_contest_std.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "controls/ui/kx_edit.h"
#include "output/evaluation_view.h"
#include "output/output_procedure.h"
#include "output/paper_log.h"
#include "output/ui/config_form.h"
#include "output/ui/evaluation_panel.h"
#include "output/ui/uhf_teilnehmer.h"
#include "files/own_settings.h"
#include "platform/ui/qt_text.h"
#include "rig/ui/rig_settings_dialog.h"
#include "shell/contest_catalogue.h"
#include "shell/contest_directory.h"
#include "shell/help.h"

namespace korv {
TEingContestStd::TEingContestStd(Platform& platform, ProgramSession& session, ProgramState& state,
                                 ConfigurationSetup setup, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_session(session), m_state(state), m_setup(std::move(setup)) {
  setObjectName(QStringLiteral("TEingContestStd"));
  BuildWidgets();
}

TEingContestStd::~TEingContestStd() = default;

void TEingContestStd::BuildWidgets() {
  m_form = new ConfigurationForm(this);
  m_evaluation = new EvaluationPanel(this);
  auto button = [this](const char* name, const char* caption) {
    auto* b = new QPushButton(ToQString(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  m_btnStart = button("btnStart", "Contest starten");
  m_btnBeenden = button("btnBeenden", "Beenden");
  m_btnAbbrechen = button("btnAbbrechen", "Abbrechen");
  m_btnHilfe = button("btnHilfe", "Hilfe");
  m_btnRegeln = button("btnRegeln", "Regeln");
  m_btnDrucken = button("btnDrucken", "Drucken / E-Log");
  m_btnRig = button("btnRig", "Rig-Steuerung ...");
  connect(m_btnStart, &QPushButton::clicked, this, [this] { btnStartClick(); });
  connect(m_btnBeenden, &QPushButton::clicked, this, [this] { btnBeendenClick(); });
  connect(m_btnAbbrechen, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
  connect(m_btnHilfe, &QPushButton::clicked, this, [this] {
    // After the contest the window is the evaluation with its outputs.
    const int context = m_evaluationOnly ? kOutputsHelpContext : kConfigurationHelpContext;
    HandleHelpRequest(m_platform, kHelpCommandContext, context, m_setup.helpSearchDirs);
  });
  connect(m_btnRegeln, &QPushButton::clicked, this, [this] {
    if (m_setup.showRules) m_setup.showRules(Header().contestCode());
  });
  connect(m_btnDrucken, &QPushButton::clicked, this, [this] { btnDruckenClick(); });
  connect(m_btnRig, &QPushButton::clicked, this, [this] {
    // The logging window connects to the radio with what is saved here.
    RigSettingsDialog dialog(m_session.dataDirectory() / kOwnSettingsFileName, m_platform, this);
    (void)dialog.exec();
  });
  connect(m_form, &ConfigurationForm::participationClicked, this,
          [this](int type) { ParticipationChanged(type); });
  for (TkxEdit* field : m_form->DateTimeFields()) field->installEventFilter(this);

  m_outputMenu = new QMenu(this);
  m_outputMenu->setObjectName(QStringLiteral("pmDrucken"));

  // The buttons stand under the evaluation, all as wide as the widest, so
  // that the window fits a 1024-pixel screen.
  auto* buttons = new QVBoxLayout;
  int buttonWidth = 0;
  for (QPushButton* b : {m_btnStart, m_btnBeenden, m_btnAbbrechen, m_btnDrucken, m_btnRegeln, m_btnRig, m_btnHilfe}) {
    buttonWidth = std::max(buttonWidth, b->sizeHint().width());
  }
  for (QPushButton* b : {m_btnStart, m_btnBeenden, m_btnAbbrechen, m_btnDrucken, m_btnRegeln, m_btnRig, m_btnHilfe}) {
    b->setFixedWidth(buttonWidth);
    buttons->addWidget(b, 0, Qt::AlignLeft);
  }
  auto* right = new QVBoxLayout;
  right->addWidget(m_evaluation);
  right->addLayout(buttons);
  right->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(m_form, 3);
  top->addLayout(right, 2);
  setLayout(top);

  QPalette p = palette();
  p.setColor(QPalette::Window, QColor::fromRgb(m_state.colours.panel));
  setPalette(p);
  setAutoFillBackground(true);
}

DayNumber TEingContestStd::Today() { return m_platform.Now().date; }

void TEingContestStd::ReloadPresets() {
  ContestHeader header = Header();
  m_rules = FillContestPresets(m_code, header, m_state.uiGerman);
  m_session.rules() = m_rules;
}

bool TEingContestStd::Open(bool logExists, bool evaluationOnly, ContestCode code) {
  Prepare(logExists, evaluationOnly, code);
  exec();
  return m_startRequested;
}

void TEingContestStd::Prepare(bool logExists, bool evaluationOnly, ContestCode code) {
  m_code = code;
  m_logExists = logExists;
  m_evaluationOnly = evaluationOnly;
  m_startRequested = false;
  const ConstBytes current = m_session.contestDirectory().Record();
  std::memcpy(m_header.data(), current.data(), kContestHeaderSize);
  // The presets of the current header (for a new log its start date is
  // today, which names contests that carry their year).
  ReloadPresets();

  const ProgramSettings& settings = m_session.settings();
  if (!logExists) {
    const DayNumber presetDay = Header().startDate();
    Header().Clear();
    Header().MarkCreated();
    Header().SetContestCode(code);
    Header().SetStartDate(presetDay);
    ReloadPresets();
    m_config = NewLogConfiguration(settings, m_rules);
  } else {
    m_config = ConfigurationFromHeader(Header(), settings, m_rules);
    FileBlock& totals = m_session.totals();
    KeyString key;
    key.AppendLong(Header().contestNumber());
    if (totals.FindExact(1, key).ok()) {
      if (auto tr = TotalsRecord::Over(totals.Record())) {
        m_config.sentExchangeEditable = tr->sentExchangeEditableOn();
        m_config.logUnscoredDupes = tr->logUnscoredDupesOn();
      }
    }
  }
  m_form->SetParticipationTypes(m_rules);
  ShowPresets();
  m_form->Load(m_config);

  const std::string title = TitleLabelText(LookupContest(code));
  setWindowTitle(ToQString(evaluationOnly ? title : title + "  Contest-Konfiguration"));
  m_btnStart->setVisible(!evaluationOnly);
  m_btnAbbrechen->setVisible(!evaluationOnly);
  (evaluationOnly ? m_btnBeenden : m_btnStart)->setDefault(true);
  (evaluationOnly ? m_btnStart : m_btnBeenden)->setDefault(false);
}

void TEingContestStd::ShowPresets() {
  m_form->SetStartModes(StartModesOf(m_rules));
  const ByteSet& kinds = m_rules.multiplierKinds;
  m_form->SetDokCaption(kinds.test(8) ? QStringLiteral("Area")
                        : (kinds.test(17) || m_code == 'A') ? QStringLiteral("LDK")
                                                            : QStringLiteral("DOK"));
  ShowEvaluation();
  BuildOutputMenu();
}

void TEingContestStd::ShowEvaluation() {
  std::optional<TotalsRecord> tr;
  if (m_logExists) {
    FileBlock& totals = m_session.totals();
    KeyString key;
    key.AppendLong(Header().contestNumber());
    if (totals.FindExact(1, key).ok()) tr = TotalsRecord::Over(totals.Record());
  }
  const StoredTotals stored = ReadStoredTotals(Header(), tr ? &*tr : nullptr, m_rules);
  m_evaluation->Show(BuildEvaluationView(stored, m_rules, m_code));
}

bool TEingContestStd::Save(bool withChecks, bool forOutput) {
  LogConfiguration c = m_form->Read(m_config);
  if (withChecks) {
    const ConfigurationField failed =
        CheckConfiguration(c, m_rules, m_code, m_evaluationOnly, m_platform, Today());
    if (failed != ConfigurationField::kNone) {
      m_form->MarkInvalid(m_form->FieldWidget(failed));
      return false;
    }
  }
  ProgramSettings& settings = m_session.settings();
  const SaveTarget target{&m_session.catalogue(), &m_session.contestDirectory(), &m_session.totals(),
                          &settings};
  ContestHeader header = Header();
  if (!SaveConfiguration(c, m_rules, m_code, m_logExists, forOutput, header, target, m_platform, Today())) {
    return false;
  }
  m_logExists = true;
  m_config = c;
  m_state.ownCall = settings.own.call;
  m_state.swlNumber = settings.own.swlNumber;
  ReloadPresets();
  ShowPresets();
  return true;
}

void TEingContestStd::btnStartClick() {
  if (!Save(true, false)) return;
  m_startRequested = true;
  done(QDialog::Accepted);
}

void TEingContestStd::btnBeendenClick() {
  if (!Save(true, false)) return;
  done(QDialog::Accepted);
}

void TEingContestStd::btnDruckenClick() {
  if (!Save(true, true)) return;
  m_outputMenu->popup(m_btnDrucken->mapToGlobal(QPoint(0, m_btnDrucken->height())));
}

void TEingContestStd::ParticipationChanged(int type) {
  // Presets depend on the type: the header is stored first, without checks.
  LogConfiguration c = m_form->Read(m_config);
  c.participationType = type;
  m_config = c;
  if (m_logExists) {
    Save(false, false);
  } else {
    // A new log reaches the files only with its first checked save: the
    // type's presets come from the header in memory.
    Header().SetParticipationType(static_cast<std::uint8_t>(type));
    ReloadPresets();
    ShowPresets();
  }
  ApplyParticipationPeriod(m_config, m_rules);
  m_form->LoadDates(m_config);
}

void TEingContestStd::DateFieldExit(TkxEdit* field) {
  const std::vector<TkxEdit*> fields = m_form->DateTimeFields();
  const bool isDate = field == fields[0] || field == fields[1];
  const std::string typed = field->Text();
  const std::string completed = isDate ? CompleteDateText(typed, Today()) : CompleteTimeText(typed);
  field->SetText(completed);
  if (ToQString(completed) == m_enteredText) return;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i] == field) m_config.manualDateFlags = static_cast<std::uint8_t>(m_config.manualDateFlags | (1u << i));
  }
}

bool TEingContestStd::eventFilter(QObject* watched, QEvent* event) {
  auto* field = qobject_cast<TkxEdit*>(watched);
  if (field != nullptr) {
    if (event->type() == QEvent::FocusIn) m_enteredText = field->text();
    if (event->type() == QEvent::FocusOut) DateFieldExit(field);
  }
  return QDialog::eventFilter(watched, event);
}

void TEingContestStd::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    event->accept();
    m_btnHilfe->click();
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    if (m_platform.AskYesNo("\xC4nderungen \xFC" "bernehmen?")) {
      btnBeendenClick();
    } else {
      done(QDialog::Rejected);
    }
    return;
  }
  QDialog::keyPressEvent(event);
}

void TEingContestStd::BuildOutputMenu() {
  m_outputMenu->clear();
  for (const OutputMenuEntry& entry : OutputMenuEntries(m_rules)) {
    QAction* action = m_outputMenu->addAction(ToQString(entry.caption));
    action->setEnabled(entry.enabled());
    const int kind = static_cast<int>(entry.kind);
    connect(action, &QAction::triggered, this, [this, kind] { RunOutput(kind); });
  }
}

void TEingContestStd::RunOutput(int kind) {
  const OutputKind outputKind = static_cast<OutputKind>(kind);
  if (!IsFileOutput(outputKind) && !IsPaperOutput(outputKind)) return;
  FileBlock& totals = m_session.totals();
  std::optional<TotalsRecord> tr;
  if (EnsureTotalsRecord(totals, Header().contestNumber()).ok()) tr = TotalsRecord::Over(totals.Record());
  const ProgramSettings& settings = m_session.settings();
  const PrefixFiles prefixFiles = m_session.prefixFiles();
  OutputContext ctx = MakeOutputContext(Header(), m_rules, ReadStoredTotals(Header(), tr ? &*tr : nullptr, m_rules),
                                        settings.own, m_platform.Now(), settings.utcOffsetHours, &prefixFiles);
  ctx.uiGerman = m_state.uiGerman;
  if (IsPaperOutput(outputKind)) {
    PaperOutputJob paper;
    paper.kind = outputKind;
    paper.catalogue = &m_session.catalogue();
    paper.platform = &m_platform;
    paper.directory = m_setup.outputDirectory;
    (void)RunPaperOutput(paper, ctx);
    return;
  }
  FileOutputJob job;
  job.kind = outputKind;
  job.code = Header().contestCode();
  job.catalogue = &m_session.catalogue();
  job.platform = &m_platform;
  job.directory = m_setup.outputDirectory;
  job.showTextFile = m_setup.showTextFile;
  job.completeEdiStation = [this](EdiStationData& values) { return Tuhfteilnehmer::Complete(values, this); };
  (void)RunFileOutput(job, ctx);
}

}  // namespace korv
