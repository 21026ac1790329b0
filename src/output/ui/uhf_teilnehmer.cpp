#include "output/ui/uhf_teilnehmer.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/qt_text.h"

namespace korv {
namespace {

QGroupBox* Group(const char* caption, QWidget* parent) { return new QGroupBox(ToQString(caption), parent); }

}  // namespace

Tuhfteilnehmer::Tuhfteilnehmer(const EdiStationData& v, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Tuhfteilnehmer"));
  setWindowTitle(QStringLiteral("VHF/UHF-Contest"));
  setModal(true);

  auto* teilnehmer = Group("Teilnehmer", this);
  auto* tForm = new QFormLayout(teilnehmer);
  tForm->addRow(QStringLiteral("Call"), AddField("pcall", v.pcall));
  tForm->addRow(QStringLiteral("Locator"), AddField("ploc", v.ploc));
  tForm->addRow(QStringLiteral("Adresszeile 1"), AddField("padr1", v.padr1));
  tForm->addRow(QStringLiteral("Adresszeile 2"), AddField("padr2", v.padr2));
  tForm->addRow(QStringLiteral("Teilnahmeklasse:"), AddField("psect", v.psect));
  m_pband = new QComboBox(this);
  m_pband->setObjectName(QStringLiteral("pband"));
  m_pband->setEditable(true);
  for (const char* band : kEdiBands) m_pband->addItem(ToQString(band));
  m_pband->setCurrentIndex(m_pband->findText(ToQString(v.pband)));
  if (m_pband->currentIndex() < 0) m_pband->setEditText(ToQString(v.pband));
  tForm->addRow(QStringLiteral("Band"), m_pband);
  tForm->addRow(QStringLiteral("Club"), AddField("pclub1", v.pclub1));
  tForm->addRow(QStringLiteral("DOK"), AddField("pclub2", v.pclub2));
  tForm->addRow(QStringLiteral("EMail"), AddField("remail", v.remail));

  auto* verantwortlich = Group("zuständiger Funkamateur", this);
  auto* rForm = new QFormLayout(verantwortlich);
  rForm->addRow(QStringLiteral("Name"), AddField("rname", v.rname));
  rForm->addRow(QStringLiteral("Adresszeile 1"), AddField("radr1", v.radr1));
  rForm->addRow(QStringLiteral("Adresszeile 2"), AddField("radr2", v.radr2));
  rForm->addRow(QStringLiteral("PLZ"), AddField("rpoco", v.rpoco));
  rForm->addRow(QStringLiteral("Stadt"), AddField("rcity", v.rcity));
  rForm->addRow(QStringLiteral("Land"), AddField("rcoun", v.rcoun));

  auto* mehrmann = Group("Mehrmann", this);
  auto* mLayout = new QVBoxLayout(mehrmann);
  mLayout->addWidget(new QLabel(QStringLiteral("Teilnehmer (Rufzeichen mit ; trennen)"), mehrmann));
  mLayout->addWidget(AddField("mope1", v.mope1));
  mLayout->addWidget(AddField("mope2", v.mope2));

  auto* station = Group("Station", this);
  auto* sForm = new QFormLayout(station);
  sForm->addRow(QStringLiteral("TRX"), AddField("rtrx", v.rtrx));
  sForm->addRow(QStringLiteral("Ant."), AddField("rant", v.rant));
  sForm->addRow(QStringLiteral("Power"), AddField("rpower", v.rpower));

  auto* bemerkungen = Group("Bemerkungen, Ausrüstung", this);
  auto* bLayout = new QVBoxLayout(bemerkungen);
  m_rremarks = new QPlainTextEdit(bemerkungen);
  m_rremarks->setObjectName(QStringLiteral("rremarks"));
  m_rremarks->setTabChangesFocus(true);
  m_rremarks->setPlainText(ToQString(v.remarks));
  bLayout->addWidget(m_rremarks);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("btnOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->addWidget(teilnehmer, 0, 0, 2, 1);
  grid->addWidget(verantwortlich, 0, 1);
  grid->addWidget(mehrmann, 1, 1);
  grid->addWidget(station, 2, 0);
  grid->addWidget(bemerkungen, 2, 1);
  grid->addWidget(ok, 3, 1, Qt::AlignRight);
  m_fields.at("pcall")->setFocus();
}

QLineEdit* Tuhfteilnehmer::AddField(const char* name, const std::string& text) {
  auto* field = new QLineEdit(ToQString(text), this);
  field->setObjectName(QString::fromLatin1(name));
  field->setMinimumWidth(200);
  m_fields[name] = field;
  return field;
}

QLineEdit* Tuhfteilnehmer::Field(const char* name) const {
  const auto it = m_fields.find(name);
  return it == m_fields.end() ? nullptr : it->second;
}

EdiStationData Tuhfteilnehmer::Values() const {
  const auto text = [this](const char* name) { return FromQString(m_fields.at(name)->text()); };
  EdiStationData v;
  v.pcall = text("pcall");
  v.ploc = text("ploc");
  v.padr1 = text("padr1");
  v.padr2 = text("padr2");
  v.psect = text("psect");
  v.pband = FromQString(m_pband->currentText());
  v.pclub1 = text("pclub1");
  v.pclub2 = text("pclub2");
  v.remail = text("remail");
  v.rname = text("rname");
  v.radr1 = text("radr1");
  v.radr2 = text("radr2");
  v.rpoco = text("rpoco");
  v.rcity = text("rcity");
  v.rcoun = text("rcoun");
  v.mope1 = text("mope1");
  v.mope2 = text("mope2");
  v.rtrx = text("rtrx");
  v.rant = text("rant");
  v.rpower = text("rpower");
  v.remarks = FromQString(m_rremarks->toPlainText());
  return v;
}

bool Tuhfteilnehmer::Complete(EdiStationData& values, QWidget* parent) {
  Tuhfteilnehmer dialog(values, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  values = dialog.Values();
  return true;
}

}  // namespace korv
