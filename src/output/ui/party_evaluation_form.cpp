#include "output/ui/party_evaluation_form.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

#include "files/contest_header.h"
#include "platform/platform.h"
#include "platform/ui/qt_text.h"

namespace korv {
namespace {

QColor ToQColor(ChartColour c) { return QColor(c.red, c.green, c.blue); }

constexpr std::string_view kNoStartDate = "Der Beginn des Contestes wurde nicht angegeben.";

}  // namespace

// --- the drawing panel ----------------------------------------------------------

PartyChartPanel::PartyChartPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pDiagramm"));
  setMinimumSize(kChartWidth, kChartHeight);
}

void PartyChartPanel::SetChart(PartyChart chart) {
  m_chart = std::move(chart);
  update();
}

void PartyChartPanel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(kChartBackground));
  for (const ChartBox& b : m_chart.boxes) {
    painter.fillRect(QRect(b.left, b.top, b.right - b.left, b.bottom - b.top), ToQColor(b.colour));
  }
  const QFont normal = font();
  QFont bold = normal;
  bold.setBold(true);
  for (const ChartText& t : m_chart.texts) {
    painter.setFont(t.bold ? bold : normal);
    painter.setPen(ToQColor(t.colour));
    // The chart places a text by the top of its cell; Qt by its baseline.
    painter.drawText(QPoint(t.x, t.y + painter.fontMetrics().ascent()), ToQString(t.text));
  }
}

// --- the window -----------------------------------------------------------------

Tpartyauswertungform::Tpartyauswertungform(const AgeCounts& ages, QWidget* parent)
    : QDialog(parent), m_ages(ages) {
  setObjectName(QStringLiteral("Tpartyauswertungform"));
  setWindowTitle(ToQString("\xDC" "bersicht"));
  auto* outer = new QHBoxLayout(this);
  m_panel = new PartyChartPanel(this);
  outer->addWidget(m_panel, 1);

  auto* side = new QVBoxLayout;
  outer->addLayout(side);
  auto radio = [this, side](const char* name, const char* caption) {
    auto* r = new QRadioButton(ToQString(caption), this);
    r->setObjectName(QString::fromLatin1(name));
    side->addWidget(r);
    return r;
  };
  m_rEinJahr = radio("rEinJahr", "Ein-Jahres-Schritte");
  m_rFuenfJahre = radio("rFuenfJahre", "5-Jahres-Schritte");
  m_rZehnJahre = radio("rZehnJahre", "10-Jahres-Schritte");
  auto* steps = new QButtonGroup(this);
  for (QRadioButton* r : {m_rEinJahr, m_rFuenfJahre, m_rZehnJahre}) steps->addButton(r);
  m_rEinJahr->setChecked(true);
  side->addStretch(1);
  m_btnOK = new QPushButton(QStringLiteral("OK"), this);
  m_btnOK->setObjectName(QStringLiteral("btnOK"));
  m_btnOK->setDefault(true);
  side->addWidget(m_btnOK);

  connect(m_btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(steps, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool checked) {
    if (checked) Redraw();
  });
  Redraw();
}

AgeStep Tpartyauswertungform::Step() const {
  if (m_rFuenfJahre->isChecked()) return AgeStep::kFive;
  if (m_rZehnJahre->isChecked()) return AgeStep::kTen;
  return AgeStep::kOne;
}

void Tpartyauswertungform::Redraw() {
  const AgeStep step = Step();
  m_panel->SetChart(DrawPartyChart(GroupAges(m_ages, step), step));
}

bool Tpartyauswertungform::Run(Platform& platform, const ContestHeader& header, FileBlock& qsoFile,
                               std::optional<QRect>& place, QWidget* parent) {
  if (header.startDate() <= 0) {
    platform.Inform(kNoStartDate);
    return false;
  }
  const AgeTally tally = TallyAges(qsoFile);
  if (!tally.ok()) return false;
  Tpartyauswertungform window(tally.ages, parent);
  if (place) window.setGeometry(*place);
  window.exec();
  place = window.geometry();
  return true;
}

}  // namespace korv
