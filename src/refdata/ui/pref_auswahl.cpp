#include "refdata/ui/pref_auswahl.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/ui/qt_text.h"
#include "refdata/prefix_choice.h"

namespace korv {

TPrefAuswahl::TPrefAuswahl(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PrefAuswahl"));
  setWindowTitle(QStringLiteral("Auswahl DXCC"));
  setModal(true);

  m_lQso = new QLabel(this);
  m_lQso->setObjectName(QStringLiteral("lQso"));
  m_lText1 = new QLabel(this);
  m_lText1->setObjectName(QStringLiteral("lText1"));
  m_lText2 = new QLabel(this);
  m_lText2->setObjectName(QStringLiteral("lText2"));
  m_lHint = new QLabel(this);
  m_lHint->setObjectName(QStringLiteral("lHint"));

  const int columns = static_cast<int>(std::size(kPrefixChoiceColumns));
  m_grid = new QTableWidget(0, columns, this);
  m_grid->setObjectName(QStringLiteral("grid"));
  QStringList headers;
  for (const char* h : kPrefixChoiceColumns) headers << QString::fromLatin1(h);
  m_grid->setHorizontalHeaderLabels(headers);
  m_grid->verticalHeader()->hide();
  m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
  m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_grid->setTabKeyNavigation(false);
  QPalette palette = m_grid->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, QColor(0, 0, 128));  // navy
    palette.setColor(group, QPalette::HighlightedText, Qt::white);
  }
  m_grid->setPalette(palette);

  // Widths in character cells of the digit "8".
  const int cell = fontMetrics().horizontalAdvance(QLatin1Char('8'));
  int gridCells = 0;
  for (int c = 0; c < columns; ++c) {
    m_grid->setColumnWidth(c, kPrefixChoiceColumnCells[c] * cell);
    gridCells += kPrefixChoiceColumnCells[c];
  }
  resize((gridCells + kPrefixChoiceFormCells) * cell, 20 * fontMetrics().height());

  m_btnUebernehmen = new QPushButton(ToQString("\xDC"
                                               "bernehmen"),
                                     this);
  m_btnUebernehmen->setObjectName(QStringLiteral("btnUebernehmen"));
  m_btnAbbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
  m_btnAbbrechen->setObjectName(QStringLiteral("btnAbbrechen"));
  // Enter in the list takes the row through `activated`; the buttons must not
  // take it a second time as the dialog's default.
  for (QPushButton* b : {m_btnUebernehmen, m_btnAbbrechen}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_btnUebernehmen);
  buttons->addWidget(m_btnAbbrechen);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_lQso);
  layout->addWidget(m_lText1);
  layout->addWidget(m_lText2);
  layout->addWidget(m_grid, 1);
  layout->addWidget(m_lHint);
  layout->addLayout(buttons);

  // `activated` comes with Enter (and, by style, with a double click).
  connect(m_grid, &QTableWidget::activated, this,
          [this](const QModelIndex& index) { TakeRow(index.row()); });
  connect(m_grid, &QTableWidget::doubleClicked, this,
          [this](const QModelIndex& index) { TakeRow(index.row()); });
  connect(m_btnUebernehmen, &QPushButton::clicked, this, [this] { TakeRow(m_grid->currentRow()); });
  connect(m_btnAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
}

void TPrefAuswahl::Load(const PrefixChoiceRequest& request) {
  m_taken.reset();
  const PrefixChoiceTexts texts = PrefixChoiceHeader(request);
  m_lQso->setText(ToQString(texts.qsoLine));
  m_lQso->setVisible(!texts.qsoLine.empty());
  m_lText1->setText(ToQString(texts.line1));
  m_lText2->setText(ToQString(texts.line2));
  m_lHint->setText(ToQString(texts.hint));

  const std::vector<PrefixChoiceRow> rows = PrefixChoiceRows(request);
  m_grid->clearContents();
  m_grid->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const PrefixChoiceRow& row = rows[static_cast<std::size_t>(r)];
    const std::string* cells[] = {&row.nr, &row.dxcc, &row.cq, &row.itu, &row.country, &row.remark};
    for (int c = 0; c < static_cast<int>(std::size(cells)); ++c) {
      m_grid->setItem(r, c, new QTableWidgetItem(ToQString(*cells[c])));
    }
  }
  if (!rows.empty()) m_grid->setCurrentCell(0, 0);
  m_grid->setFocus();
}

void TPrefAuswahl::TakeRow(int row) {
  if (row < 0 || row >= m_grid->rowCount() || m_taken) return;
  m_taken = static_cast<std::size_t>(row);
  accept();
}

std::optional<std::size_t> TPrefAuswahl::ChoosePrefix(const PrefixChoiceRequest& request) {
  Load(request);
  if (exec() != QDialog::Accepted) return std::nullopt;
  return m_taken;
}

}  // namespace korv
