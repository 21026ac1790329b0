#include "logging/ui/totals_panel.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "logging/ui/log_widgets.h"

namespace korv {
namespace {

const QColor kSilver(192, 192, 192);
const QColor kGrey(128, 128, 128);
const QColor kGreen(0, 128, 0);

QLabel* NewLabel(QWidget* parent, const QString& name, Qt::Alignment align = Qt::AlignRight) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setAlignment(align | Qt::AlignVCenter);
  return l;
}

}  // namespace

LogTotalsPanel::LogTotalsPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("TotalsPanel"));
  setFrameShape(QFrame::StyledPanel);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(6, 4, 6, 4);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(1);
  outer->addLayout(grid);
  auto heading = [this, grid](const char* text, int column) {
    QLabel* l = NewLabel(this, QString::fromLatin1("lHeading") + QString::number(column));
    l->setText(QString::fromLatin1(text));
    grid->addWidget(l, 0, column);
    return l;
  };
  heading("QSO", 1);
  m_multiHeading = heading("Multi", 2);
  heading("Punkte", 3);
  for (int i = 0; i < 7; ++i) {
    Column& c = m_columns[static_cast<std::size_t>(i)];
    const QString n = QString::number(i + 1);
    c.band = NewLabel(this, QStringLiteral("lBand") + n, Qt::AlignLeft);
    SetBackground(c.band, kSilver);
    c.qsos = NewLabel(this, QStringLiteral("lBandQso") + n);
    c.multipliers = NewLabel(this, QStringLiteral("lBandMulti") + n);
    c.points = NewLabel(this, QStringLiteral("lBandPunkte") + n);
    grid->addWidget(c.band, i + 1, 0);
    grid->addWidget(c.qsos, i + 1, 1);
    grid->addWidget(c.multipliers, i + 1, 2);
    grid->addWidget(c.points, i + 1, 3);
  }
  for (int i = 0; i < 4; ++i) {
    QLabel* l = NewLabel(this, QStringLiteral("lSumme") + QString::number(i + 1));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    m_lines[static_cast<std::size_t>(i)] = l;
    outer->addWidget(l);
  }
  m_rate10 = NewLabel(this, QStringLiteral("lRate10"));
  m_rate60 = NewLabel(this, QStringLiteral("lRate60"));
  outer->addWidget(m_rate10);
  outer->addWidget(m_rate60);
  outer->addStretch(1);
}

void LogTotalsPanel::Draw(const EntryView& view) {
  const auto& panel = view.totalsPanel;
  for (std::size_t i = 0; i < m_columns.size(); ++i) {
    const auto& src = panel.columns[i];
    Column& c = m_columns[i];
    SetLabelText(c.band, src.label);
    SetLabelText(c.qsos, src.qsos);
    SetLabelText(c.multipliers, src.multipliers);
    SetLabelText(c.points, src.points);
    SetVisibleIfChanged(c.band, !src.label.empty());
    SetVisibleIfChanged(c.qsos, src.qsoAndPointsVisible);
    SetVisibleIfChanged(c.points, src.qsoAndPointsVisible);
    SetVisibleIfChanged(c.multipliers, src.multipliersVisible && !panel.multiplierColumnHidden);
  }
  SetVisibleIfChanged(m_multiHeading, !panel.multiplierColumnHidden);
  const Qt::Alignment align = panel.multiplierColumnHidden ? Qt::AlignHCenter : Qt::AlignRight;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    SetLabelText(m_lines[i], panel.lines[i]);
    if (m_lines[i]->alignment() != (align | Qt::AlignVCenter)) m_lines[i]->setAlignment(align | Qt::AlignVCenter);
  }
  SetVisibleIfChanged(m_lines[2], !panel.pointsLineHidden);
  SetVisibleIfChanged(m_lines[3], !panel.scoreLineHidden);
  SetLabelText(m_rate10, panel.rate10);
  SetLabelText(m_rate60, panel.rate60);
}

MultiplierGrid::MultiplierGrid(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("MultiplierGrid"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(2, 2, 2, 2);
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(0);
  QFont small = font();
  small.setPointSize(7);
  small.setBold(true);
  for (int i = 0; i < kRows * kColumns; ++i) {
    auto* l = new QLabel(QStringLiteral("."), this);
    l->setObjectName(QStringLiteral("lMulti") + QString::number(i + 1));
    l->setFont(small);
    l->setMinimumWidth(32);
    SetTextColour(l, kGrey);
    grid->addWidget(l, i / kColumns, i % kColumns);
    m_cells[static_cast<std::size_t>(i)] = l;
  }
  m_state.fill(-1);
}

void MultiplierGrid::Draw(const std::vector<WorkedValue>& values) {
  for (std::size_t i = 0; i < m_cells.size(); ++i) {
    QLabel* l = m_cells[i];
    const bool used = i < values.size();
    const int state = used ? static_cast<int>(values[i].status) : -1;
    SetLabelText(l, used ? std::string_view(values[i].value) : std::string_view("."));
    if (state == m_state[i]) continue;
    m_state[i] = state;
    QFont f = l->font();
    f.setUnderline(state == static_cast<int>(WorkedStatus::kHitByEntry));
    l->setFont(f);
    switch (state) {
      case static_cast<int>(WorkedStatus::kNewByEntry): SetTextColour(l, Qt::red); break;
      case static_cast<int>(WorkedStatus::kHitByEntry): SetTextColour(l, kGreen); break;
      default: SetTextColour(l, kGrey); break;
    }
  }
}

}  // namespace korv
