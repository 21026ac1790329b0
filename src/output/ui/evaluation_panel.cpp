#include "output/ui/evaluation_panel.h"

#include <QGridLayout>
#include <QLabel>

#include "output/evaluation_view.h"
#include "platform/ui/qt_text.h"

namespace korv {

EvaluationPanel::EvaluationPanel(QWidget* parent) : QGroupBox(QStringLiteral("Auswertung"), parent) {
  setObjectName(QStringLiteral("gbAuswertung"));
  auto* grid = new QGridLayout(this);
  m_qso = MakeBlock("QSO", "QSO", 0);
  m_multi = MakeBlock("Multi", "Multi", 2);
  m_points = MakeBlock("Punkte", "Punkte", 4);
  m_lTotal = new QLabel(QStringLiteral("Total"), this);
  auto total = [this](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    return l;
  };
  m_totalQso = total("lTotalQSO");
  m_totalMulti = total("lTotalMulti");
  m_totalPoints = total("lTotalPunkte");
  m_score = total("lErgebnis");
  QFont bold = m_score->font();
  bold.setBold(true);
  m_score->setFont(bold);
  const int totalRow = kRows + 1;
  grid->addWidget(m_lTotal, totalRow, 0);
  auto* line = new QHBoxLayout;
  for (QLabel* l : {m_totalQso, m_totalMulti, m_totalPoints, m_score}) line->addWidget(l);
  line->addStretch(1);
  grid->addLayout(line, totalRow, 1, 1, 5);
  grid->setRowStretch(totalRow + 1, 1);
}

EvaluationPanel::Block EvaluationPanel::MakeBlock(const char* name, const char* title, int column) {
  auto* grid = static_cast<QGridLayout*>(layout());
  Block b;
  b.title = new QLabel(QString::fromLatin1(title), this);
  QFont bold = b.title->font();
  bold.setBold(true);
  b.title->setFont(bold);
  grid->addWidget(b.title, 0, column, 1, 2);
  QFont fixed(QStringLiteral("Courier New"));
  fixed.setStyleHint(QFont::Monospace);
  for (int i = 0; i < kRows; ++i) {
    b.bands[i] = new QLabel(this);
    b.values[i] = new QLabel(this);
    b.values[i]->setObjectName(QStringLiteral("l%1%2").arg(QString::fromLatin1(name)).arg(i + 1));
    b.values[i]->setFont(fixed);
    b.values[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(b.bands[i], i + 1, column);
    grid->addWidget(b.values[i], i + 1, column + 1);
  }
  return b;
}

void EvaluationPanel::Show(const EvaluationView& view) {
  const auto fill = [&view](Block& block, std::string EvaluationRow::*value, bool shown) {
    block.title->setVisible(shown);
    for (std::size_t i = 0; i < block.bands.size(); ++i) {
      const bool used = shown && i < view.rows.size();
      block.bands[i]->setVisible(used);
      block.values[i]->setVisible(used);
      if (!used) continue;
      block.bands[i]->setText(ToQString(view.rows[i].band));
      block.values[i]->setText(ToQString(view.rows[i].*value));
    }
  };
  fill(m_qso, &EvaluationRow::qsos, true);
  fill(m_multi, &EvaluationRow::multipliers, view.multiplierBlockShown);
  fill(m_points, &EvaluationRow::points, true);
  for (QLabel* l : m_multi.values) l->setEnabled(!view.multiplierBlockGreyed);
  for (QLabel* l : m_multi.bands) l->setEnabled(!view.multiplierBlockGreyed);
  m_multi.title->setEnabled(!view.multiplierBlockGreyed);

  m_totalQso->setText(ToQString(view.qsoTotal));
  m_totalMulti->setText(ToQString(view.multiplierTotal));
  m_totalMulti->setVisible(!view.multiplierTotal.empty());
  m_totalPoints->setText(ToQString(view.pointsTotal));
  m_totalPoints->setVisible(view.pointsTotalShown);
  m_score->setText(ToQString(view.score));
}

}  // namespace korv
