#include "logging/ui/entry_panel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/ui/kx_edit.h"
#include "platform/ui/qt_text.h"

namespace korv {
namespace {

constexpr int kNumberPointSize = 22;
const QColor kProposalBlue(0, 0, 200);
const QColor kDoubtOrange(200, 100, 0);
const QColor kDoubtBackground(255, 230, 190);
const QColor kCaptionHover(128, 0, 0);

// A caption's "&" marks the key of an Alt shortcut; shown without it.
std::string WithoutMnemonic(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

QFont Bold(QFont f, int pointSize = 0) {
  f.setBold(true);
  if (pointSize > 0) f.setPointSize(pointSize);
  return f;
}

}  // namespace

EntryPanel::EntryPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("EntryPanel"));
  setFrameShape(QFrame::StyledPanel);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 4, 4, 4);
  outer->setSpacing(4);

  m_fieldRow = new QWidget(this);
  auto* row = new QHBoxLayout(m_fieldRow);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(4);
  outer->addWidget(m_fieldRow);
  // Tab order is creation order: call, report sent, sent fields, call 2,
  // report received, received fields, frequency, name, QTH, date, time.
  AddColumn(EntryField::kCall, "eCall", "QSO-Partner", nullptr);
  AddColumn(EntryField::kRstSent1, "eRSTs1", "RSTs", "lRSTs1");
  AddColumn(EntryField::kSent2, "eRSTs2", "gesendet", "lRSTs2");
  AddColumn(EntryField::kSent3, "eRSTs3", "", nullptr);
  AddColumn(EntryField::kSent4, "eRSTs4", "", nullptr);
  AddColumn(EntryField::kCall2, "eCall2", "Call 2", nullptr);
  AddColumn(EntryField::kRstRcvd1, "eRSTr1", "RSTr", "lRSTr1");
  AddColumn(EntryField::kRcvd2, "eRSTr2", "", nullptr);
  AddColumn(EntryField::kRcvd3, "eRSTr3", "", nullptr);
  AddColumn(EntryField::kRcvd4, "eRSTr4", "", nullptr);
  AddColumn(EntryField::kFreq, "eFreq", "QRG (MHz)", nullptr);
  AddColumn(EntryField::kName, "eName", "Name", nullptr);
  AddColumn(EntryField::kQth, "eQTH", "QTH", nullptr);
  AddColumn(EntryField::kDate, "eDatum", "Datum", "lDatum");
  AddColumn(EntryField::kTime, "ezeit", "UTC", "lZeit");
  row->addStretch(1);

  auto* second = new QHBoxLayout;
  second->setSpacing(12);
  outer->addLayout(second);
  m_lmode = new QLabel(this);
  m_lmode->setObjectName(QStringLiteral("lmode"));
  m_lmode->setFont(Bold(font()));
  second->addWidget(m_lmode);
  auto* freeMode = new TkxEdit(this);
  freeMode->setObjectName(QStringLiteral("emode"));
  freeMode->SetCharCase(ecUpperCase);
  freeMode->setMaxLength(EntryFieldMaxLength(EntryField::kFreeMode));
  freeMode->setFixedWidth(70);
  freeMode->hide();
  m_fields[FieldSlot(EntryField::kFreeMode)] = freeMode;
  second->addWidget(freeMode);
  m_lband = new QLabel(this);
  m_lband->setObjectName(QStringLiteral("lband"));
  m_lband->setFont(Bold(font()));
  second->addWidget(m_lband);
  m_lQSLs = new LogClickLabel(this);
  m_lQSLs->setObjectName(QStringLiteral("lQSLs"));
  m_lQSLs->setCursor(Qt::PointingHandCursor);
  connect(m_lQSLs, &LogClickLabel::clicked, this, &EntryPanel::qslClicked);
  second->addWidget(m_lQSLs);
  m_lenter = new QLabel(this);
  m_lenter->setObjectName(QStringLiteral("lenter"));
  second->addWidget(m_lenter);
  m_lDokHint = new QLabel(this);
  m_lDokHint->setObjectName(QStringLiteral("lDokHint"));
  m_lDokHint->setFont(Bold(font()));
  SetTextColour(m_lDokHint, kDoubtOrange);
  m_lDokHint->hide();
  second->addWidget(m_lDokHint);
  second->addStretch(1);

  auto* totals = new QHBoxLayout;
  totals->setSpacing(6);
  outer->addLayout(totals);
  auto label = [this, totals](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    totals->addWidget(l);
    return l;
  };
  m_lPunkteCaption = label("lPunkteCaption");
  m_lPunkte = label("lPunkte");
  m_lMultiCaption = label("lMultiCaption");
  m_lMulti = label("lMulti");
  m_lQsoCaption = label("lQSOCaption");
  m_lQso = label("lQSO");
  totals->addStretch(1);
  QLabel* qso = label("lQSOBig");
  qso->setText(QStringLiteral("QSO"));
  qso->setFont(Bold(font(), 12));
  m_lNummer = label("lNummer");
  m_lNummer->setFont(Bold(font(), kNumberPointSize));
  SetTextColour(m_lNummer, Qt::red);
  for (QLabel* l : {m_lPunkte, m_lMulti, m_lQso}) l->setFont(Bold(font()));
}

void EntryPanel::AddColumn(EntryField field, const char* name, const char* caption,
                           const char* standIn) {
  Column& c = m_columns[FieldSlot(field)];
  c.box = new QWidget(m_fieldRow);
  c.box->setObjectName(QString::fromLatin1(name) + QStringLiteral("Box"));
  auto* v = new QVBoxLayout(c.box);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(1);
  c.caption = new QLabel(ToQString(caption), c.box);
  c.caption->setObjectName(QString::fromLatin1(name) + QStringLiteral("Caption"));
  SetTextColour(c.caption, kCaptionTeal);
  v->addWidget(c.caption);
  auto* edit = new TkxEdit(c.box);
  edit->setObjectName(QString::fromLatin1(name));
  const bool free = field == EntryField::kName || field == EntryField::kQth;
  if (!free) edit->SetCharCase(ecUpperCase);
  const int max = EntryFieldMaxLength(field);
  edit->setMaxLength(max);
  const int chars = std::min(max, field == EntryField::kCall ? 12 : 10);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('W')) * (chars + 1));
  if (field == EntryField::kCall) edit->setFont(Bold(edit->font(), 12));
  c.caption->setBuddy(edit);
  c.caption->installEventFilter(this);
  edit->installEventFilter(this);
  v->addWidget(edit);
  m_fields[FieldSlot(field)] = edit;
  if (standIn != nullptr) {
    c.standIn = new QLabel(c.box);
    c.standIn->setObjectName(QString::fromLatin1(standIn));
    c.standIn->setFont(Bold(font()));
    c.standIn->hide();
    v->addWidget(c.standIn);
  }
  v->addStretch(1);
  m_fieldRow->layout()->addWidget(c.box);
}

std::optional<EntryField> EntryPanel::FieldOf(const QObject* widget) const {
  for (int i = 0; i < kEntryFieldCount; ++i) {
    if (m_fields[static_cast<std::size_t>(i)] == widget) return static_cast<EntryField>(i);
  }
  return std::nullopt;
}

QLabel* EntryPanel::QslLabel() const { return m_lQSLs; }

void EntryPanel::Draw(const EntryView& v) {
  for (int i = 0; i < kEntryFieldCount; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    SetEditText(m_fields[slot], v.texts[slot]);
    // A DOK proposed from the call history stands in blue until the
    // operator confirms it by leaving the field or types over it.
    const QColor colour = v.proposed == static_cast<EntryField>(i) ? kProposalBlue : palette().color(QPalette::Text);
    QPalette p = m_fields[slot]->palette();
    if (p.color(QPalette::Text) != colour) {
      p.setColor(QPalette::Text, colour);
      m_fields[slot]->setPalette(p);
    }
  }
  auto show = [&](EntryField f, bool fieldShown, bool standInShown, std::string_view standInText) {
    Column& c = m_columns[FieldSlot(f)];
    SetVisibleIfChanged(m_fields[FieldSlot(f)], fieldShown);
    if (c.standIn != nullptr) {
      SetLabelText(c.standIn, standInText);
      SetVisibleIfChanged(c.standIn, standInShown);
    }
    SetVisibleIfChanged(c.box, fieldShown || standInShown);
  };
  auto visible = [&](EntryField f) { return v.visible[FieldSlot(f)]; };
  show(EntryField::kCall, true, false, {});
  show(EntryField::kRstSent1, visible(EntryField::kRstSent1), !visible(EntryField::kRstSent1), v.rstSentLabel);
  show(EntryField::kSent2, visible(EntryField::kSent2),
       !v.sentFieldsEditable && !v.sentExchangeLabel.empty(), v.sentExchangeLabel);
  show(EntryField::kSent3, visible(EntryField::kSent3), false, {});
  show(EntryField::kSent4, visible(EntryField::kSent4), false, {});
  show(EntryField::kCall2, visible(EntryField::kCall2), false, {});
  show(EntryField::kRstRcvd1, visible(EntryField::kRstRcvd1), !visible(EntryField::kRstRcvd1),
       v.rstReceivedLabel);
  for (EntryField f : {EntryField::kRcvd2, EntryField::kRcvd3, EntryField::kRcvd4, EntryField::kFreq,
                       EntryField::kName, EntryField::kQth}) {
    show(f, visible(f), false, {});
  }
  show(EntryField::kDate, visible(EntryField::kDate), v.dateAutomatic, v.dateLabel);
  show(EntryField::kTime, visible(EntryField::kTime), v.timeAutomatic, v.timeLabel);
  SetVisibleIfChanged(m_fields[FieldSlot(EntryField::kFreeMode)], visible(EntryField::kFreeMode));

  SetLabelText(m_columns[FieldSlot(EntryField::kCall)].caption, v.partnerCaption);
  for (int n = 0; n < 3; ++n) {
    const auto f = static_cast<EntryField>(static_cast<int>(EntryField::kRcvd2) + n);
    SetLabelText(m_columns[FieldSlot(f)].caption, v.receivedCaptions[static_cast<std::size_t>(n)]);
  }
  SetLabelText(m_columns[FieldSlot(EntryField::kRstRcvd1)].caption, v.listenerLog ? "RSTs2" : "RSTr");
  SetLabelText(m_lmode, v.mode);
  SetLabelText(m_lband, v.bandName);
  SetLabelText(m_lQSLs, WithoutMnemonic(v.qslLabel));
  SetLabelText(m_lenter, v.enterHint);
  SetVisibleIfChanged(m_lenter, !v.enterHint.empty());
  // A DOK nobody knows is only pointed at: orange behind the field, the hint
  // beside the mode line; it is stored as typed.
  SetLabelText(m_lDokHint, v.doubtfulDokHint);
  SetVisibleIfChanged(m_lDokHint, v.doubtfulDok.has_value());
  for (EntryField f : {EntryField::kRcvd2, EntryField::kRcvd3, EntryField::kRcvd4, EntryField::kSent2,
                       EntryField::kSent3, EntryField::kSent4}) {
    TkxEdit* edit = m_fields[FieldSlot(f)];
    const QColor base = v.doubtfulDok == f ? kDoubtBackground : palette().color(QPalette::Base);
    QPalette p = edit->palette();
    if (p.color(QPalette::Base) != base) {
      p.setColor(QPalette::Base, base);
      edit->setPalette(p);
    }
  }

  const TotalsLine& t = v.totalsLine;
  const bool line = !t.empty && !v.compactRow;
  SetLabelText(m_lPunkteCaption, t.pointsCaption);
  SetLabelText(m_lPunkte, t.pointsValue);
  SetLabelText(m_lMultiCaption, t.multiCaption);
  SetLabelText(m_lMulti, t.multiValue);
  SetLabelText(m_lQsoCaption, t.qsoCaption);
  SetLabelText(m_lQso, t.qsoValue);
  for (QLabel* l : {m_lPunkteCaption, m_lPunkte, m_lMultiCaption, m_lMulti, m_lQsoCaption, m_lQso}) {
    SetVisibleIfChanged(l, line);
  }
  SetLabelText(m_lNummer, v.qsoNumber);
}

bool EntryPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
    for (int i = 0; i < kEntryFieldCount; ++i) {
      const Column& c = m_columns[static_cast<std::size_t>(i)];
      if (c.caption == nullptr || (watched != c.caption && watched != m_fields[static_cast<std::size_t>(i)])) continue;
      if (m_marked == static_cast<EntryField>(i)) break;  // the focused caption stays red
      SetTextColour(c.caption, event->type() == QEvent::Enter ? kCaptionHover : kCaptionTeal);
      break;
    }
  }
  return QFrame::eventFilter(watched, event);
}

void EntryPanel::MarkFocused(std::optional<EntryField> field) {
  if (field == m_marked) return;
  auto colour = [this](std::optional<EntryField> f, const QColor& c) {
    if (f && m_columns[FieldSlot(*f)].caption != nullptr) SetTextColour(m_columns[FieldSlot(*f)].caption, c);
  };
  colour(m_marked, kCaptionTeal);
  m_marked = field;
  colour(m_marked, kCaptionRed);
}

}  // namespace korv
