#include "logging/ui/qso_edit_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "common/picture.h"
#include "common/text.h"
#include "controls/ui/kx_edit.h"
#include "logging/ui/log_widgets.h"
#include "platform/ui/qt_text.h"
#include "refdata/bands.h"
#include "shell/help.h"

namespace korv {
namespace {

const QColor kDisabledGrey(192, 192, 192);

std::string FrequencyText(double mhz) { return TrimBlanksTabs(FormatPicture(mhz, "#####,###")); }

}  // namespace

Teingabecontstd2::Teingabecontstd2(EntrySession& session, std::uint32_t recordNo, QsoEditForm form, QWidget* parent)
    : QDialog(parent), m_session(session), m_recordNo(recordNo), m_form(std::move(form)) {
  setObjectName(QStringLiteral("Teingabecontstd2"));
  AddHelpKey(this, session, kQsoListHelpContext);
  setWindowTitle(QStringLiteral("QSO \u00E4ndern"));
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(2);
  const QsoEditFields& f = m_form.fields;
  const bool listener = m_form.listener;

  m_call = AddField("eCall", "Call", 14, 0, 0);
  m_call2 = AddField("eCall2", "Call2", 14, 0, 1);
  m_call2->setVisible(listener);
  grid->itemAtPosition(0, 1)->widget()->setVisible(listener);
  auto* modeCaption = new QLabel(QStringLiteral("Mode"), this);
  grid->addWidget(modeCaption, 0, 2);
  m_mode = new QComboBox(this);
  m_mode->setObjectName(QStringLiteral("cbMode"));
  m_modes = session.Modes();
  for (const std::string& m : m_modes) m_mode->addItem(ToQString(m));
  grid->addWidget(m_mode, 1, 2);
  m_freeMode = AddField("emode", "", 6, 0, 3);
  auto* bandCaption = new QLabel(QStringLiteral("Band"), this);
  grid->addWidget(bandCaption, 0, 4);
  m_band = new QComboBox(this);
  m_band->setObjectName(QStringLiteral("cbBand"));
  m_bands = session.Bands();
  for (BandIndex b : m_bands) m_band->addItem(ToQString(BandName(b)));
  grid->addWidget(m_band, 1, 4);

  m_upper[0] = AddField("eRSTs1", listener ? "RST" : "RSTs", 3, 2, 0);
  m_lower[0] = AddField("eRSTr1", listener ? "RST2" : "RSTr", 3, 4, 0);
  for (int n = 1; n < 4; ++n) {
    const std::string digit = std::to_string(n + 1);
    m_upper[static_cast<std::size_t>(n)] =
        AddField(("eRSTs" + digit).c_str(), ("s" + std::to_string(n)).c_str(), 10, 2, n);
    m_lower[static_cast<std::size_t>(n)] =
        AddField(("eRSTr" + digit).c_str(), ("&" + std::to_string(n)).c_str(), 21, 4, n);
  }
  m_date = AddField("eDatum", "Datum", 10, 6, 0);
  m_time = AddField("ezeit", "UTC", 14, 6, 1);
  m_qslSend = AddField("eQSLs", "&QSL s", 1, 6, 2);
  m_qslRcvd = AddField("eQSLr", "QSL r", 1, 6, 3);
  m_prefix = AddField("ePrefix", m_form.prefixCaption.c_str(), 6, 6, 4);
  m_name = AddField("eName", "Name", 25, 8, 0, false);
  m_qth = AddField("eQTH", "QTH", 25, 8, 1, false);
  m_freq = AddField("eFreq", "QRG (MHz)", 10, 8, 2);
  auto* number = new QLabel(ToQString(m_form.numberLabel), this);
  number->setObjectName(QStringLiteral("lNummer"));
  grid->addWidget(number, 9, 3);
  auto* close = new QPushButton(QStringLiteral("Beenden [ESC]"), this);
  close->setObjectName(QStringLiteral("btnBeenden"));
  close->setAutoDefault(false);
  grid->addWidget(close, 9, 4);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  m_call->SetText(f.call);
  m_call2->SetText(f.call2);
  for (std::size_t i = 0; i < 4; ++i) {
    m_upper[i]->SetText(f.upper[i]);
    m_lower[i]->SetText(f.lower[i]);
  }
  // Exchange fields 2-4 follow the entry's fields; disabled ones are grey.
  for (std::size_t i = 1; i < 4; ++i) {
    m_upper[i]->setEnabled(m_form.upperEnabled[i - 1]);
    m_lower[i]->setEnabled(m_form.lowerEnabled[i - 1]);
  }
  for (TkxEdit* e : {m_upper[1], m_upper[2], m_upper[3], m_lower[1], m_lower[2], m_lower[3]}) {
    if (e->isEnabled()) continue;
    QPalette p = e->palette();
    p.setColor(QPalette::Base, kDisabledGrey);
    e->setPalette(p);
  }
  const auto mode = std::find(m_modes.begin(), m_modes.end(), f.mode);
  m_mode->setVisible(!m_form.freeMode);
  m_freeMode->setVisible(m_form.freeMode);
  m_freeMode->SetText(f.mode);
  if (mode != m_modes.end()) m_mode->setCurrentIndex(static_cast<int>(mode - m_modes.begin()));
  const auto band = std::find(m_bands.begin(), m_bands.end(), f.band);
  if (band != m_bands.end()) m_band->setCurrentIndex(static_cast<int>(band - m_bands.begin()));
  m_date->SetText(f.date);
  m_time->SetText(f.time);
  m_qslSend->SetText(f.qslSend);
  m_qslRcvd->SetText(f.qslRcvd);
  m_prefix->SetText(f.prefix);
  m_name->SetText(f.name);
  m_qth->SetText(f.qth);
  m_freq->SetText(f.frequency);

  connect(m_mode, &QComboBox::activated, this, [this] { ModeChosen(); });
  connect(m_band, &QComboBox::activated, this, [this] { BandChosen(); });
  connect(m_freq, &QLineEdit::editingFinished, this, [this] { FrequencyLeft(); });
  m_call->setFocus();
}

TkxEdit* Teingabecontstd2::AddField(const char* name, const char* caption, int maxLength, int row, int column,
                                    bool upper) {
  auto* grid = static_cast<QGridLayout*>(layout());
  auto* label = new QLabel(ToQString(caption), this);
  label->setObjectName(QString::fromLatin1(name) + QStringLiteral("Caption"));
  grid->addWidget(label, row, column);
  auto* edit = new TkxEdit(this);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setMaxLength(maxLength);
  if (upper) edit->SetCharCase(ecUpperCase);
  label->setBuddy(edit);
  edit->installEventFilter(this);
  grid->addWidget(edit, row + 1, column);
  return edit;
}

std::optional<std::uint32_t> Teingabecontstd2::Edit(EntrySession& session, std::uint32_t recordNo, QWidget* parent) {
  auto form = session.EditFormOf(recordNo);
  if (!form) return std::nullopt;
  Teingabecontstd2 dialog(session, recordNo, std::move(*form), parent);
  dialog.exec();
  return dialog.Stored();
}

bool Teingabecontstd2::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      focusNextChild();  // the next enabled field, wrapping
      return true;
    }
  } else if (event->type() == QEvent::MouseButtonRelease && (watched == m_qslSend || watched == m_qslRcvd)) {
    static_cast<TkxEdit*>(watched)->selectAll();
  }
  return QDialog::eventFilter(watched, event);
}

void Teingabecontstd2::ModeChosen() {
  const std::string mode = m_mode->currentIndex() >= 0 ? m_modes[static_cast<std::size_t>(m_mode->currentIndex())] : "";
  for (TkxEdit* report : {m_upper[0], m_lower[0]}) {
    std::string r = report->Text();
    if (mode == "CW" && r.size() == 2) r += "9";
    if ((mode == "SSB" || mode == "FM") && r.size() == 3 && r[2] == '9') r.resize(2);
    report->SetText(r);
  }
}

BandIndex Teingabecontstd2::ChosenBand() const {
  const int i = m_band->currentIndex();
  return i >= 0 && static_cast<std::size_t>(i) < m_bands.size() ? m_bands[static_cast<std::size_t>(i)] : m_form.fields.band;
}

void Teingabecontstd2::BandChosen() {
  const DecimalResult freq = ParseDecimal(m_freq->Text());
  // A QSO logged without a frequency keeps none.
  if (!freq.ok() || freq.value <= 0) return;
  const BandIndex band = ChosenBand();
  if (BandFromFrequency(freq.value) != band) m_freq->SetText(FrequencyText(BandFrequencyFromText(BandName(band))));
}

void Teingabecontstd2::FrequencyLeft() {
  const std::string text = TrimBlanksTabs(m_freq->Text());
  if (text.empty()) return;
  const DecimalResult freq = ParseDecimal(text);
  const BandIndex band = freq.ok() && freq.value > 0 ? BandFromFrequency(freq.value) : kNoBandFrequency;
  const auto it = std::find(m_bands.begin(), m_bands.end(), band);
  if (it != m_bands.end()) {
    m_band->setCurrentIndex(static_cast<int>(it - m_bands.begin()));
    m_freq->SetText(FrequencyText(freq.value));
  } else {
    m_freq->SetText(FrequencyText(BandFrequencyFromText(BandName(ChosenBand()))));
  }
}

QsoEditFields Teingabecontstd2::Collect() const {
  QsoEditFields f = m_form.fields;
  f.call = m_call->Text();
  f.call2 = m_call2->Text();
  for (std::size_t i = 0; i < 4; ++i) {
    f.upper[i] = m_upper[i]->Text();
    f.lower[i] = m_lower[i]->Text();
  }
  f.mode = m_form.freeMode ? m_freeMode->Text()
                           : (m_mode->currentIndex() >= 0 ? m_modes[static_cast<std::size_t>(m_mode->currentIndex())]
                                                          : f.mode);
  f.band = ChosenBand();
  f.date = m_date->Text();
  f.time = m_time->Text();
  f.qslSend = m_qslSend->Text();
  f.qslRcvd = m_qslRcvd->Text();
  f.prefix = m_prefix->Text();
  f.name = m_name->Text();
  f.qth = m_qth->Text();
  f.frequency = m_freq->Text();
  return f;
}

void Teingabecontstd2::done(int result) {
  if (!m_closing) {
    if (m_freq->hasFocus()) FrequencyLeft();
    const QsoEditFields fields = Collect();
    // A change that cannot be stored keeps the dialog open on its field.
    if (const auto refused = m_session.RefuseQsoEdit(m_recordNo, fields)) {
      TkxEdit* field = *refused == EntrySession::EditRefusal::kDate   ? m_date
                       : *refused == EntrySession::EditRefusal::kTime ? m_time
                                                                      : m_call;
      field->setFocus(Qt::OtherFocusReason);
      field->selectAll();
      return;
    }
    m_closing = true;
    m_stored = m_session.ChangeQso(m_recordNo, fields);
  }
  QDialog::done(result);
}

}  // namespace korv
