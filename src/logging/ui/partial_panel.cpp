#include "logging/ui/partial_panel.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace korv {
namespace {

const QColor kLogCall(0, 0, 128);
const QColor kDupe(192, 0, 0);

QListWidget* NewList(QWidget* parent, const QString& name, int rows) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setFocusPolicy(Qt::NoFocus);
  list->setSelectionMode(QAbstractItemView::NoSelection);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setUniformItemSizes(true);
  QFont f(QStringLiteral("Courier New"), 10);
  f.setStyleHint(QFont::Monospace);
  list->setFont(f);
  const int rowHeight = QFontMetrics(f).height() + 2;
  list->setFixedHeight(rows * rowHeight + 2 * list->frameWidth() + 2);
  return list;
}

QLabel* NewHeading(QWidget* parent, const QString& name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
  return l;
}

}  // namespace

PartialCallsPanel::PartialCallsPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("PartialPanel"));
  setFrameShape(QFrame::StyledPanel);
  setFocusPolicy(Qt::NoFocus);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(6, 4, 6, 4);
  outer->setSpacing(2);
  outer->addWidget(NewHeading(this, QStringLiteral("lPartial"), QStringLiteral("Partial [F2]")));
  m_partial = NewList(this, QStringLiteral("listPartial"), kPartialRows);
  outer->addWidget(m_partial);
  outer->addWidget(NewHeading(this, QStringLiteral("lOneOff"), QStringLiteral("N+1")));
  m_oneOff = NewList(this, QStringLiteral("listOneOff"), kOneOffRows);
  outer->addWidget(m_oneOff);
  outer->addStretch(1);
  // Wide enough for a long portable call with its mark.
  const int width = QFontMetrics(m_partial->font()).horizontalAdvance(QStringLiteral("DL1ABC/P doppelt")) + 24;
  m_partial->setFixedWidth(width);
  m_oneOff->setFixedWidth(width);
  for (QListWidget* list : {m_partial, m_oneOff}) {
    connect(list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
      emit callChosen(item->data(Qt::UserRole).toString());
    });
  }
}

void PartialCallsPanel::Fill(QListWidget* list, const std::vector<PartialCall>& calls,
                             std::vector<PartialCall>& shown) {
  if (calls == shown) return;  // a keystroke that changes nothing repaints nothing
  shown = calls;
  list->clear();
  for (const PartialCall& c : calls) {
    const QString call = QString::fromLatin1(c.call.data(), static_cast<qsizetype>(c.call.size()));
    auto* item = new QListWidgetItem(c.dupe ? call + QStringLiteral(" doppelt") : call, list);
    item->setData(Qt::UserRole, call);
    if (c.dupe) {
      item->setForeground(kDupe);
    } else if (c.inLog) {
      item->setForeground(kLogCall);
    }
    if (c.inLog) {
      QFont f = list->font();
      f.setBold(true);
      item->setFont(f);
    }
  }
}

void PartialCallsPanel::Draw(const EntryView& view) {
  Fill(m_partial, view.partialCalls, m_shownPartial);
  Fill(m_oneOff, view.oneOffCalls, m_shownOneOff);
}

}  // namespace korv
