#include "output/ui/config_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/text.h"
#include "controls/ui/kx_edit.h"
#include "platform/ui/qt_text.h"

namespace korv {
namespace {

constexpr int kTypesPerColumn = 7;
const QColor kInvalidColour(255, 128, 128);

// The button groups: start mode ids and clock ids.
constexpr int kClockLocal = 1;
constexpr int kClockUtc = 2;

int StartModeId(StartMode mode) { return static_cast<int>(mode); }

void CheckNone(QButtonGroup* group) {
  group->setExclusive(false);
  for (QAbstractButton* b : group->buttons()) b->setChecked(false);
  group->setExclusive(true);
}

void CheckId(QButtonGroup* group, int id) {
  if (QAbstractButton* b = group->button(id)) {
    b->setChecked(true);
  } else {
    CheckNone(group);
  }
}

std::string CharText(char c) { return c == 0 ? std::string() : std::string(1, c); }

char FirstChar(const std::string& text) {
  const std::string t = TrimBlanksTabs(text);
  return t.empty() ? '\0' : t[0];
}

}  // namespace

ConfigurationForm::ConfigurationForm(QWidget* parent) : QWidget(parent) { Build(); }

void ConfigurationForm::Build() {
  auto edit = [this](const char* name, int maxLength, bool upper) {
    auto* e = new TkxEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(maxLength);
    if (upper) e->SetCharCase(ecUpperCase);
    // Room for what the field holds (at most 14 characters; longer fields
    // stretch with the window), so that the layout never squeezes a date
    // or a call out of sight.
    const int chars = std::min(maxLength, 14);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QString(chars, QLatin1Char('0'))) + 14);
    connect(e, &QLineEdit::textEdited, this, [this, e] { RestoreColour(e); });
    return e;
  };
  auto label = [this](const char* text) { return new QLabel(ToQString(text), this); };
  auto check = [this](const char* name, const char* text) {
    auto* c = new QCheckBox(ToQString(text), this);
    c->setObjectName(QString::fromLatin1(name));
    return c;
  };

  m_eName = edit("eName", 25, false);
  m_eDatumvon = edit("eDatumvon", 10, false);
  m_eDatumbis = edit("eDatumbis", 10, false);
  m_eZeitvon = edit("eZeitvon", 5, false);
  m_eZeitbis = edit("eZeitbis", 5, false);
  m_eCall = edit("eCall", 12, true);
  m_eSwl = edit("eSWL", 14, true);
  m_eDok = edit("eDOK", 8, true);
  m_eLoc = edit("eLoc", 6, true);
  m_ecname = edit("ecname", 50, false);
  m_eStrasse = edit("eStrasse", 50, false);
  m_ePlz = edit("ePLZ", 5, false);
  m_eOrt = edit("eOrt", 44, false);
  m_eLand = edit("eLand", 50, false);
  m_eQslS = edit("eQSLs", 1, true);
  m_eQslR = edit("eQSLr", 1, true);
  m_lDok = label("DOK");
  m_lDok->setObjectName(QStringLiteral("lDOK"));
  for (TkxEdit* e : {m_eDatumvon, m_eDatumbis}) e->setPlaceholderText(QStringLiteral("DD.MM.YYYY"));
  for (TkxEdit* e : {m_eZeitvon, m_eZeitbis}) e->setPlaceholderText(QStringLiteral("HH:MM"));

  auto* contest = new QGroupBox(QStringLiteral("Contest"), this);
  auto* cg = new QGridLayout(contest);
  cg->addWidget(label("Contestname:"), 0, 0);
  cg->addWidget(m_eName, 0, 1, 1, 3);
  cg->addWidget(label("Datum, von"), 1, 0);
  cg->addWidget(m_eDatumvon, 1, 1);
  cg->addWidget(label("bis"), 1, 2);
  cg->addWidget(m_eDatumbis, 1, 3);
  cg->addWidget(label("UTC, von"), 2, 0);
  cg->addWidget(m_eZeitvon, 2, 1);
  cg->addWidget(label("bis"), 2, 2);
  cg->addWidget(m_eZeitbis, 2, 3);

  auto* station = new QGroupBox(QStringLiteral("Station"), this);
  auto* sg = new QGridLayout(station);
  sg->addWidget(label("Call:"), 0, 0);
  sg->addWidget(m_eCall, 0, 1);
  sg->addWidget(label("SWL-Nr."), 0, 2);
  sg->addWidget(m_eSwl, 0, 3);
  sg->addWidget(m_lDok, 1, 0);
  sg->addWidget(m_eDok, 1, 1);
  sg->addWidget(label("LOC"), 1, 2);
  sg->addWidget(m_eLoc, 1, 3);
  sg->addWidget(label("Name"), 2, 0);
  sg->addWidget(m_ecname, 2, 1, 1, 3);
  sg->addWidget(label("Stra\xDF" "e"), 3, 0);
  sg->addWidget(m_eStrasse, 3, 1, 1, 3);
  sg->addWidget(label("PLZ+Ort"), 4, 0);
  auto* plzOrt = new QHBoxLayout;
  plzOrt->addWidget(m_ePlz, 1);
  plzOrt->addWidget(m_eOrt, 4);
  sg->addLayout(plzOrt, 4, 1, 1, 3);
  sg->addWidget(label("Land"), 5, 0);
  sg->addWidget(m_eLand, 5, 1, 1, 3);

  m_gbTeilnahme = new QGroupBox(QStringLiteral("Teilnahmeart"), this);
  m_gbTeilnahme->setObjectName(QStringLiteral("gbTeilnahmeart"));
  m_teilnahmeLayout = new QGridLayout(m_gbTeilnahme);
  m_teilnahme = new QButtonGroup(this);
  connect(m_teilnahme, &QButtonGroup::idClicked, this, [this](int id) {
    RestoreColour(m_gbTeilnahme);
    Q_EMIT participationClicked(id);
  });

  m_gbStart = new QGroupBox(QStringLiteral("Start mit:"), this);
  m_gbStart->setObjectName(QStringLiteral("gbStartMit"));
  auto* startLayout = new QHBoxLayout(m_gbStart);
  m_startMode = new QButtonGroup(this);
  auto radio = [this](QWidget* box, const char* name, const char* text) {
    auto* r = new QRadioButton(ToQString(text), box);
    r->setObjectName(QString::fromLatin1(name));
    return r;
  };
  m_rCw = radio(m_gbStart, "rCW", "CW");
  m_rSsb = radio(m_gbStart, "rSSB", "SSB");
  m_rFm = radio(m_gbStart, "rFM", "FM");
  m_rPr = radio(m_gbStart, "rPR", "PR");
  m_startMode->addButton(m_rCw, StartModeId(StartMode::kCw));
  m_startMode->addButton(m_rSsb, StartModeId(StartMode::kSsb));
  m_startMode->addButton(m_rFm, StartModeId(StartMode::kFm));
  m_startMode->addButton(m_rPr, StartModeId(StartMode::kPr));
  for (QRadioButton* r : {m_rCw, m_rSsb, m_rFm, m_rPr}) startLayout->addWidget(r);

  m_gbUhr = new QGroupBox(QStringLiteral("Uhr"), this);
  m_gbUhr->setObjectName(QStringLiteral("gbUhr"));
  auto* clockLayout = new QVBoxLayout(m_gbUhr);
  m_clock = new QButtonGroup(this);
  m_rOrtszeit = radio(m_gbUhr, "rOrtszeit", "Computer l\xE4uft mit Ortszeit");
  m_rUtc = radio(m_gbUhr, "rUTC", "Computer l\xE4uft mit UTC-Zeit");
  m_clock->addButton(m_rOrtszeit, kClockLocal);
  m_clock->addButton(m_rUtc, kClockUtc);
  clockLayout->addWidget(m_rOrtszeit);
  clockLayout->addWidget(m_rUtc);
  connect(m_clock, &QButtonGroup::idClicked, this, [this] { RestoreColour(m_gbUhr); });

  auto* options = new QGroupBox(QStringLiteral("Optionen"), this);
  auto* og = new QVBoxLayout(options);
  m_eDatumAuto = check("eDatumAuto", "Datum automatisch setzen");
  m_eZeitAuto = check("eZeitAuto", "Zeit automatisch setzen");
  m_eRstSent = check("eRSTsent", "RST sent mit 59(9) fest vorgeben");
  m_eRstRcvd = check("eRSTrcvd", "RST rcvd mit 59(9) fest vorgeben");
  m_eRstFrei = check("eRSTfrei", "RSTs nicht sperren");
  m_eBandAuto = check("eBandAuto", "Band automatisch entsprechend der Zeit setzen");
  m_eDoppel = check("eDoppelQSO", "nicht gewertete Doppel-QSO in Log eintragen");
  m_eDoppel->hide();  // kept in the totals record, not offered
  for (QCheckBox* c : {m_eDatumAuto, m_eZeitAuto, m_eRstSent, m_eRstRcvd, m_eRstFrei, m_eBandAuto}) {
    og->addWidget(c);
  }
  auto* qsl = new QHBoxLayout;
  qsl->addWidget(label("Vorgaben f\xFCr QSL-Druck:"));
  qsl->addWidget(label("QSL s"));
  qsl->addWidget(m_eQslS);
  qsl->addWidget(label("QSL r"));
  qsl->addWidget(m_eQslR);
  qsl->addStretch(1);
  og->addLayout(qsl);
  for (TkxEdit* e : {m_eQslS, m_eQslR}) e->setMaximumWidth(30);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(contest, 0, 0);
  grid->addWidget(station, 1, 0, 2, 1);
  grid->addWidget(m_gbTeilnahme, 0, 1);
  grid->addWidget(m_gbStart, 1, 1);
  grid->addWidget(m_gbUhr, 2, 1);
  grid->addWidget(options, 3, 0, 1, 2);
}

void ConfigurationForm::SetParticipationTypes(const ContestRules& rules) {
  for (QAbstractButton* b : m_teilnahme->buttons()) {
    m_teilnahme->removeButton(b);
    delete b;
  }
  int shown = 0;
  for (int i = 1; i <= 20; ++i) {
    if (!rules.participationTypes[i].description.empty()) ++shown;
  }
  const int columns = shown > kTypesPerColumn ? 2 : 1;
  const int rows = (shown + columns - 1) / columns;
  int n = 0;
  for (int i = 1; i <= 20; ++i) {
    const std::string& text = rules.participationTypes[i].description;
    if (text.empty()) continue;
    auto* r = new QRadioButton(ToQString(text), m_gbTeilnahme);
    r->setObjectName(QStringLiteral("rTeilnahme%1").arg(i));
    m_teilnahme->addButton(r, i);
    m_teilnahmeLayout->addWidget(r, n % rows, n / rows);
    ++n;
  }
}

void ConfigurationForm::SetStartModes(const StartModeChoice& choice) {
  const int current = m_startMode->checkedId();
  m_rCw->setEnabled(choice.cw);
  m_rSsb->setEnabled(choice.ssb);
  m_rFm->setEnabled(choice.fm);
  m_rPr->setEnabled(choice.fourth);
  m_rPr->setText(ToQString(choice.fourthCaption));
  if (current >= 0) {
    const StartMode kept = AllowedStartMode(static_cast<StartMode>(current), choice);
    if (m_startMode->button(StartModeId(kept))->isEnabled()) {
      CheckId(m_startMode, StartModeId(kept));
    } else {
      CheckNone(m_startMode);  // no button checked: CW
    }
  }
}

void ConfigurationForm::SetDokCaption(const QString& caption) { m_lDok->setText(caption); }

void ConfigurationForm::LoadDates(const LogConfiguration& c) {
  m_eDatumvon->SetText(c.startDate);
  m_eDatumbis->SetText(c.endDate);
  m_eZeitvon->SetText(c.startTime);
  m_eZeitbis->SetText(c.endTime);
}

void ConfigurationForm::Load(const LogConfiguration& c) {
  m_eName->SetText(c.name);
  LoadDates(c);
  m_eCall->SetText(c.call);
  m_eSwl->SetText(c.swlNumber);
  m_eDok->SetText(c.dok);
  m_eLoc->SetText(c.locator);
  m_ecname->SetText(c.operatorName);
  m_eStrasse->SetText(c.street);
  m_ePlz->SetText(c.postcode);
  m_eOrt->SetText(c.town);
  m_eLand->SetText(c.country);
  m_eQslS->SetText(CharText(c.qslSentDefault));
  m_eQslR->SetText(CharText(c.qslReceivedDefault));
  m_eDatumAuto->setChecked(c.dateAutomatic);
  m_eZeitAuto->setChecked(c.timeAutomatic);
  m_eRstSent->setChecked(c.rstSentFixed);
  m_eRstRcvd->setChecked(c.rstReceivedFixed);
  m_eBandAuto->setChecked(c.bandAutomatic && c.bandAutomaticOffered);
  m_eBandAuto->setEnabled(c.bandAutomaticOffered && !c.settingsLocked);
  m_eDatumAuto->setEnabled(!c.settingsLocked);
  m_eZeitAuto->setEnabled(!c.settingsLocked);
  if (c.settingsLocked) {
    m_eRstSent->setEnabled(true);
    m_eRstRcvd->setEnabled(true);
  }
  m_eRstFrei->setChecked(c.sentExchangeEditable);
  m_eDoppel->setChecked(c.logUnscoredDupes);
  CheckId(m_teilnahme, c.participationType);
  m_gbTeilnahme->setEnabled(c.participationEnabled);
  if (m_startMode->button(StartModeId(c.startMode))->isEnabled()) {
    CheckId(m_startMode, StartModeId(c.startMode));
  } else {
    CheckNone(m_startMode);
  }
  CheckId(m_clock, c.clock == ComputerClock::kLocal ? kClockLocal
                   : c.clock == ComputerClock::kUtc ? kClockUtc
                                                    : 0);
}

LogConfiguration ConfigurationForm::Read(const LogConfiguration& base) const {
  LogConfiguration c = base;
  c.name = m_eName->Text();
  c.startDate = m_eDatumvon->Text();
  c.endDate = m_eDatumbis->Text();
  c.startTime = m_eZeitvon->Text();
  c.endTime = m_eZeitbis->Text();
  c.call = m_eCall->Text();
  c.swlNumber = m_eSwl->Text();
  c.dok = m_eDok->Text();
  c.locator = m_eLoc->Text();
  c.operatorName = m_ecname->Text();
  c.street = m_eStrasse->Text();
  c.postcode = m_ePlz->Text();
  c.town = m_eOrt->Text();
  c.country = m_eLand->Text();
  c.qslSentDefault = FirstChar(m_eQslS->Text());
  c.qslReceivedDefault = FirstChar(m_eQslR->Text());
  c.dateAutomatic = m_eDatumAuto->isChecked();
  c.timeAutomatic = m_eZeitAuto->isChecked();
  c.rstSentFixed = m_eRstSent->isChecked();
  c.rstReceivedFixed = m_eRstRcvd->isChecked();
  c.bandAutomatic = m_eBandAuto->isChecked();
  c.sentExchangeEditable = m_eRstFrei->isChecked();
  c.logUnscoredDupes = m_eDoppel->isChecked();
  c.participationType = std::max(0, m_teilnahme->checkedId());
  const int mode = m_startMode->checkedId();
  c.startMode = mode < 0 ? StartMode::kCw : static_cast<StartMode>(mode);
  const int clock = m_clock->checkedId();
  c.clock = clock == kClockLocal ? ComputerClock::kLocal
            : clock == kClockUtc ? ComputerClock::kUtc
                                 : ComputerClock::kUnset;
  return c;
}

QWidget* ConfigurationForm::FieldWidget(ConfigurationField field) const {
  switch (field) {
    case ConfigurationField::kName:
      return m_eName;
    case ConfigurationField::kPostcode:
      return m_ePlz;
    case ConfigurationField::kLocator:
      return m_eLoc;
    case ConfigurationField::kDok:
      return m_eDok;
    case ConfigurationField::kCall:
      return m_eCall;
    case ConfigurationField::kStartDate:
      return m_eDatumvon;
    case ConfigurationField::kEndDate:
      return m_eDatumbis;
    case ConfigurationField::kStartTime:
      return m_eZeitvon;
    case ConfigurationField::kEndTime:
      return m_eZeitbis;
    case ConfigurationField::kClock:
      return m_gbUhr;
    case ConfigurationField::kParticipation:
      return m_gbTeilnahme;
    case ConfigurationField::kNone:
      break;
  }
  return nullptr;
}

void ConfigurationForm::MarkInvalid(QWidget* control) {
  if (control == nullptr) return;
  QPalette p = control->palette();
  p.setColor(QPalette::Base, kInvalidColour);
  p.setColor(QPalette::Window, kInvalidColour);
  control->setPalette(p);
  control->setAutoFillBackground(true);
  control->setProperty("invalid", true);
  if (auto* box = qobject_cast<QGroupBox*>(control)) {
    // The first button of a group takes the keyboard.
    const auto buttons = box->findChildren<QAbstractButton*>();
    for (QAbstractButton* b : buttons) {
      if (b->isEnabled()) {
        b->setFocus();
        return;
      }
    }
  }
  control->setFocus();
}

void ConfigurationForm::RestoreColour(QWidget* control) {
  if (!control->property("invalid").toBool()) return;
  control->setProperty("invalid", false);
  control->setPalette(QPalette());
  control->setAutoFillBackground(false);
}

std::vector<TkxEdit*> ConfigurationForm::DateTimeFields() const {
  return {m_eDatumvon, m_eDatumbis, m_eZeitvon, m_eZeitbis};
}

}  // namespace korv
