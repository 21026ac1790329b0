#include "rig/ui/rig_settings_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <array>

#include "platform/ui/qt_text.h"
#include "rig/rig_mapping.h"
#include "rig/rig_models.h"

namespace korv {
namespace {

// The speeds the combo offers; a stored other speed of kRigSerialSpeeds is
// added when shown.
constexpr std::array<int, 6> kOfferedSpeeds{4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kProbePollMs = 50;

// Device paths and host names are the system's bytes (UTF-8), not
// Windows-1252 texts.
std::string SystemText(const QString& text) {
  return text.trimmed().toStdString();
}

QString FromSystem(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

RigSettingsDialog::RigSettingsDialog(std::filesystem::path settingsFile, Platform& platform,
                                     QWidget* parent)
    : QDialog(parent), m_file(std::move(settingsFile)), m_platform(platform) {
  setObjectName(QStringLiteral("RigSettingsDialog"));
  setWindowTitle(QStringLiteral("Rig-Steuerung"));
  setModal(true);

  auto named = [](QWidget* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
  };

  // ---- the kind of connection
  m_rbNone = new QRadioButton(QStringLiteral("Keine Rig-Steuerung"), this);
  m_rbModel = new QRadioButton(ToQString("Funkger\xE4t direkt (Hamlib-Modell)"), this);
  m_rbRigctld = new QRadioButton(QStringLiteral("rigctld (Hamlib im Netzwerk)"), this);
  named(m_rbNone, "rbNone");
  named(m_rbModel, "rbModel");
  named(m_rbRigctld, "rbRigctld");
  auto* kinds = new QButtonGroup(this);
  for (QRadioButton* b : {m_rbNone, m_rbModel, m_rbRigctld}) kinds->addButton(b);

  // ---- a radio model
  m_gbModel = new QGroupBox(ToQString("Funkger\xE4t"), this);
  m_gbModel->setObjectName(QStringLiteral("gbModel"));
  m_edFilter = new QLineEdit(m_gbModel);
  named(m_edFilter, "edFilter");
  m_edFilter->setPlaceholderText(QStringLiteral("Hersteller, Modell oder Nummer"));
  m_edFilter->setClearButtonEnabled(true);
  m_tblModels = new QTableWidget(0, 3, m_gbModel);
  named(m_tblModels, "tblModels");
  m_tblModels->setHorizontalHeaderLabels(
      {QStringLiteral("Nr."), QStringLiteral("Hersteller"), QStringLiteral("Modell")});
  m_tblModels->verticalHeader()->hide();
  m_tblModels->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_tblModels->setSelectionMode(QAbstractItemView::SingleSelection);
  m_tblModels->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_tblModels->setTabKeyNavigation(false);
  m_tblModels->horizontalHeader()->setStretchLastSection(true);
  const std::vector<RigModel>& models = RigModelList();
  m_tblModels->setRowCount(static_cast<int>(models.size()));
  for (int r = 0; r < static_cast<int>(models.size()); ++r) {
    const RigModel& m = models[static_cast<std::size_t>(r)];
    auto* number = new QTableWidgetItem(QString::number(m.number));
    number->setData(Qt::UserRole, m.number);
    m_tblModels->setItem(r, 0, number);
    m_tblModels->setItem(r, 1, new QTableWidgetItem(ToQString(m.manufacturer)));
    m_tblModels->setItem(r, 2, new QTableWidgetItem(ToQString(m.name)));
  }
  const int cell = fontMetrics().horizontalAdvance(QLatin1Char('8'));
  m_tblModels->setColumnWidth(0, 7 * cell);
  m_tblModels->setColumnWidth(1, 16 * cell);
  m_lModel = new QLabel(m_gbModel);
  named(m_lModel, "lModel");
  m_cbDevice = new QComboBox(m_gbModel);
  named(m_cbDevice, "cbDevice");
  m_cbDevice->setEditable(true);
  for (const std::string& port : RigSerialPorts()) m_cbDevice->addItem(FromSystem(port));
  m_cbSpeed = new QComboBox(m_gbModel);
  named(m_cbSpeed, "cbSpeed");
  m_cbSpeed->addItem(QStringLiteral("Standard des Modells"), 0);
  for (int speed : kOfferedSpeeds) m_cbSpeed->addItem(QString::number(speed), speed);
  auto* modelForm = new QFormLayout;
  modelForm->addRow(QStringLiteral("Suchen:"), m_edFilter);
  modelForm->addRow(m_tblModels);
  modelForm->addRow(ToQString("Gew\xE4hlt:"), m_lModel);
  modelForm->addRow(QStringLiteral("Schnittstelle:"), m_cbDevice);
  modelForm->addRow(QStringLiteral("Geschwindigkeit:"), m_cbSpeed);
  m_gbModel->setLayout(modelForm);

  // ---- rigctld
  m_gbRigctld = new QGroupBox(QStringLiteral("rigctld"), this);
  m_gbRigctld->setObjectName(QStringLiteral("gbRigctld"));
  m_edHost = new QLineEdit(m_gbRigctld);
  named(m_edHost, "edHost");
  m_edPort = new QLineEdit(m_gbRigctld);
  named(m_edPort, "edPort");
  m_edPort->setValidator(new QIntValidator(1, 65535, m_edPort));
  m_edPort->setMaximumWidth(8 * cell);
  auto* rigctldRow = new QHBoxLayout;
  rigctldRow->addWidget(new QLabel(QStringLiteral("Rechner:"), m_gbRigctld));
  rigctldRow->addWidget(m_edHost, 1);
  rigctldRow->addWidget(new QLabel(QStringLiteral("Port:"), m_gbRigctld));
  rigctldRow->addWidget(m_edPort);
  m_gbRigctld->setLayout(rigctldRow);

  // ---- answer and buttons
  m_lResult = new QLabel(this);
  named(m_lResult, "lResult");
  m_lResult->setWordWrap(true);
  m_lResult->setMinimumHeight(2 * fontMetrics().height());
  m_btnTesten = new QPushButton(QStringLiteral("Testen"), this);
  m_btnOk = new QPushButton(QStringLiteral("OK"), this);
  m_btnAbbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
  named(m_btnTesten, "btnTesten");
  named(m_btnOk, "btnOk");
  named(m_btnAbbrechen, "btnAbbrechen");
  // Enter in the filter line must not close the dialog.
  for (QPushButton* b : {m_btnTesten, m_btnOk, m_btnAbbrechen}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_btnTesten);
  buttons->addStretch();
  buttons->addWidget(m_btnOk);
  buttons->addWidget(m_btnAbbrechen);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_rbNone);
  layout->addWidget(m_rbModel);
  layout->addWidget(m_gbModel, 1);
  layout->addWidget(m_rbRigctld);
  layout->addWidget(m_gbRigctld);
  layout->addWidget(m_lResult);
  layout->addLayout(buttons);
  resize(60 * cell, 36 * fontMetrics().height());

  m_probeTimer = new QTimer(this);
  m_probeTimer->setInterval(kProbePollMs);

  connect(kinds, &QButtonGroup::buttonToggled, this, [this] { EnableForKind(); });
  connect(m_edFilter, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
  connect(m_tblModels, &QTableWidget::currentCellChanged, this, [this](int row) {
    const QTableWidgetItem* item = row >= 0 ? m_tblModels->item(row, 0) : nullptr;
    if (item != nullptr) ChooseModel(item->data(Qt::UserRole).toInt());
  });
  connect(m_btnTesten, &QPushButton::clicked, this, [this] { StartTest(); });
  connect(m_probeTimer, &QTimer::timeout, this, [this] { PollTest(); });
  connect(m_btnOk, &QPushButton::clicked, this, [this] { TakeOk(); });
  connect(m_btnAbbrechen, &QPushButton::clicked, this, &QDialog::reject);

  const RigSettingsRead read = LoadRigSettings(m_file);
  m_saved = read.settings;
  Show(read.settings);
  if (!read.problem.empty()) {
    m_lResult->setText(
        ToQString("Die gespeicherten Einstellungen sind nicht verwendbar: " + read.problem));
  }
}

RigSettingsDialog::~RigSettingsDialog() = default;

void RigSettingsDialog::Show(const RigSettings& s) {
  m_rbNone->setChecked(s.kind == RigKind::kNone);
  m_rbModel->setChecked(s.kind == RigKind::kModel);
  m_rbRigctld->setChecked(s.kind == RigKind::kRigctld);
  ChooseModel(s.model);
  for (int r = 0; r < m_tblModels->rowCount(); ++r) {
    if (m_tblModels->item(r, 0)->data(Qt::UserRole).toInt() == s.model) {
      m_tblModels->setCurrentCell(r, 0);
      m_tblModels->scrollToItem(m_tblModels->item(r, 0));
      break;
    }
  }
  m_cbDevice->setCurrentText(FromSystem(s.device));
  int speedIndex = m_cbSpeed->findData(s.speed);
  if (speedIndex < 0) {
    // A stored rate the combo does not offer: in its place by size.
    int at = 1;
    while (at < m_cbSpeed->count() && m_cbSpeed->itemData(at).toInt() < s.speed) ++at;
    m_cbSpeed->insertItem(at, QString::number(s.speed), s.speed);
    speedIndex = at;
  }
  m_cbSpeed->setCurrentIndex(speedIndex);
  m_edHost->setText(FromSystem(s.host));
  m_edPort->setText(QString::number(s.port));
  EnableForKind();
}

void RigSettingsDialog::ChooseModel(int number) {
  m_model = number;
  m_lModel->setText(number > 0
                        ? ToQString(RigModelTitle(number) + " (" + std::to_string(number) + ")")
                        : ToQString("(kein Modell gew\xE4hlt)"));
}

void RigSettingsDialog::ApplyFilter() {
  const std::string filter = FromQString(m_edFilter->text());
  const std::vector<RigModel>& models = RigModelList();
  for (int r = 0; r < m_tblModels->rowCount(); ++r) {
    m_tblModels->setRowHidden(r, !RigModelMatches(models[static_cast<std::size_t>(r)], filter));
  }
}

void RigSettingsDialog::EnableForKind() {
  m_gbModel->setEnabled(m_rbModel->isChecked());
  m_gbRigctld->setEnabled(m_rbRigctld->isChecked());
}

RigSettings RigSettingsDialog::Shown() const {
  RigSettings s;
  s.kind = m_rbModel->isChecked()     ? RigKind::kModel
           : m_rbRigctld->isChecked() ? RigKind::kRigctld
                                      : RigKind::kNone;
  s.model = m_model;
  s.device = SystemText(m_cbDevice->currentText());
  s.speed = m_cbSpeed->currentData().toInt();
  s.host = SystemText(m_edHost->text());
  bool number = false;
  const int port = m_edPort->text().trimmed().toInt(&number);
  s.port = number ? port : 0;
  return s;
}

bool RigSettingsDialog::Testing() const {
  return m_probeTimer->isActive();
}

void RigSettingsDialog::StartTest() {
  if (Testing()) return;
  const RigSettings s = Shown();
  const std::string problem = s.kind == RigKind::kNone ? kRigNotConfigured : RigSettingsProblem(s);
  if (!problem.empty()) {
    m_lResult->setText(ToQString(problem));
    return;
  }
  m_probe.emplace(s, kRigProbeTimeout);
  m_lResult->setText(QStringLiteral("Das Rig wird gefragt ..."));
  m_btnTesten->setEnabled(false);
  m_probeTimer->start();
}

void RigSettingsDialog::PollTest() {
  if (!m_probe) return;
  const std::optional<RigState> answer = m_probe->Poll();
  if (!answer) return;
  m_probeTimer->stop();
  m_probe.reset();
  m_btnTesten->setEnabled(true);
  if (!answer->connected) {
    m_lResult->setText(ToQString("Keine Verbindung: " + answer->error));
    return;
  }
  std::string text = "Das Rig antwortet: ";
  if (!answer->modelName.empty()) text += answer->modelName + " ";
  text += FormatRigKhz(answer->frequencyHz) + " kHz";
  if (!answer->mode.empty()) text += " " + answer->mode;
  m_lResult->setText(ToQString(text));
}

void RigSettingsDialog::TakeOk() {
  const RigSettings s = Shown();
  const std::string problem = RigSettingsProblem(s);
  if (!problem.empty()) {
    m_platform.Inform(problem);
    return;
  }
  if (!SaveRigSettings(s, m_file)) {
    m_platform.ShowError("Die Einstellungen konnten nicht in " +
                         FromQString(FromSystem(m_file.string())) + " gespeichert werden.");
    return;
  }
  m_saved = s;
  accept();
}

}  // namespace korv
