#include "controls/ui/kx_brow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "controls/ui/kx_edit.h"
#include "platform/ui/qt_text.h"

namespace korv {
namespace {

// Cells are drawn without their trailing blanks: the row texts are padded
// for a fixed-width font, and in the grid's proportional font the padding
// would only push a short text ("SSB") into an ellipsis.
class CellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    qsizetype end = option->text.size();
    while (end > 0 && option->text.at(end - 1) == QLatin1Char(' ')) --end;
    option->text.truncate(end);
  }
};

constexpr int kInitialColumns = 10;
constexpr int kTopStripHeight = 15;
constexpr int kBottomStripHeight = 25;
constexpr int kToolSize = 15;
constexpr int kGlyphSize = 10;
constexpr int kSortListWidth = 80;
constexpr int kSearchWidth = 80;
constexpr int kWheelNotch = 120;

constexpr std::string_view kCloseHint = "Schlie\xDF""en der Liste";
constexpr std::string_view kSortCaption = "Sortierung:";
constexpr std::string_view kSortPlaceholder = "Sortierung";

struct ToolDef {
  BrowTool tool;
  const char* glyph;
  std::string_view hint;
  bool up;      // arrow direction
  int arrows;   // 1 or 2 triangles
  bool bar;     // a bar in front of the arrow (first / last entry)
};

constexpr ToolDef kToolDefs[] = {
    {BrowTool::kFirst, "BTNENDH", "Dateianfang", true, 1, true},
    {BrowTool::kPageBack, "BTNSEITEH", "vorige Seite", true, 2, false},
    {BrowTool::kPrevious, "BTNEINSH", "voriger Datensatz", true, 1, false},
    {BrowTool::kNext, "BTNEINSR", "n\xE4""chster Datensatz", false, 1, false},
    {BrowTool::kPageForward, "BTNSEITER", "n\xE4""chste Seite", false, 2, false},
    {BrowTool::kLast, "BTNENDR", "Dateiende", false, 1, true},
};

// The 10 x 10 arrow glyphs of the tool bar, painted (no bitmap resources).
QIcon ArrowGlyph(const ToolDef& def, const QColor& colour) {
  QPixmap pixmap(kGlyphSize, kGlyphSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  const int height = def.arrows == 2 ? 4 : 5;
  int y = def.bar ? 3 : (def.arrows == 2 ? 1 : 2);
  if (def.bar && !def.up) y = 1;
  for (int i = 0; i < def.arrows; ++i, y += height) {
    const int tip = def.up ? y : y + height - 1;
    const int base = def.up ? y + height - 1 : y;
    p.drawPolygon(QPolygon({QPoint(5, tip), QPoint(9, base), QPoint(1, base)}));
  }
  if (def.bar) p.drawRect(def.up ? QRect(1, 0, 8, 1) : QRect(1, 8, 8, 1));
  return QIcon(pixmap);
}

// The quick-search picture: a magnifying glass.
QPixmap SearchGlyph(const QColor& colour) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour, 2));
  p.drawEllipse(QRectF(2, 2, 8, 8));
  p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
  return pixmap;
}

int ScreenWidthOf(const QWidget* w) {
  const QScreen* screen = w->screen();
  return screen != nullptr ? screen->geometry().width() : 0;
}

}  // namespace

TkxBrow::TkxBrow(Platform& platform, QWidget* parent) : QFrame(parent), m_browser(platform) {
  setObjectName(QStringLiteral("TkxBrow"));
  BuildWidgets();
  m_browser.SetView(this);
  SortListChanged();
}

TkxBrow::~TkxBrow() { m_browser.SetView(nullptr); }

void TkxBrow::BuildWidgets() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);

  m_topStrip = new QWidget(this);
  m_topStrip->setObjectName(QStringLiteral("TopStrip"));
  m_topStrip->setFixedHeight(kTopStripHeight);
  m_closeTop = new QToolButton(m_topStrip);
  m_closeTop->setObjectName(QStringLiteral("BTNCLOSE"));
  m_closeTop->setToolTip(ToQString(kCloseHint));
  m_closeTop->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  m_closeTop->setGeometry(0, 0, 14, 14);
  m_closeTop->hide();
  m_topStrip->hide();  // its only child, the close button, is hidden
  outer->addWidget(m_topStrip);

  auto* middle = new QHBoxLayout;
  middle->setContentsMargins(0, 0, 0, 0);
  middle->setSpacing(0);
  m_grid = new QTableWidget(0, kInitialColumns, this);
  m_grid->setObjectName(QStringLiteral("Grid"));
  m_grid->setItemDelegate(new CellDelegate(m_grid));
  m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
  m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  m_grid->setAutoScroll(false);
  m_grid->setTabKeyNavigation(false);
  m_grid->setWordWrap(false);
  m_grid->setShowGrid(true);
  m_grid->setFocusPolicy(Qt::StrongFocus);
  QPalette palette = m_grid->palette();
  palette.setColor(QPalette::Base, Qt::white);
  m_grid->setPalette(palette);
  m_grid->verticalHeader()->hide();
  m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  m_grid->verticalHeader()->setMinimumSectionSize(1);
  m_grid->verticalHeader()->setDefaultSectionSize(RowHeight());
  QHeaderView* header = m_grid->horizontalHeader();
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setStretchLastSection(true);
  // Titles start where their column's texts start.
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->viewport()->setMouseTracking(true);
  header->viewport()->installEventFilter(this);
  m_grid->installEventFilter(this);
  m_grid->viewport()->installEventFilter(this);
  middle->addWidget(m_grid, 1);
  m_vScroll = new QScrollBar(Qt::Vertical, this);
  m_vScroll->setObjectName(QStringLiteral("VerticalScrollBar"));
  m_vScroll->setRange(0, 0);
  middle->addWidget(m_vScroll);
  outer->addLayout(middle, 1);

  m_bottom = new QWidget(this);
  m_bottom->setObjectName(QStringLiteral("BottomStrip"));
  m_bottom->setFixedHeight(kBottomStripHeight);
  m_bottom->installEventFilter(this);
  m_sortLabel = new QLabel(ToQString(kSortCaption), m_bottom);
  m_sortLabel->setObjectName(QStringLiteral("SortLabel"));
  m_sortList = new QComboBox(m_bottom);
  m_sortList->setObjectName(QStringLiteral("SortList"));
  m_sortList->setPlaceholderText(ToQString(kSortPlaceholder));
  m_sortList->installEventFilter(this);
  m_searchPicture = new QLabel(m_bottom);
  m_searchPicture->setObjectName(QStringLiteral("SCHNELLSUCHE"));
  m_searchPicture->setPixmap(SearchGlyph(palette.color(QPalette::Text)));
  m_search = new TkxEdit(m_bottom);
  m_search->setObjectName(QStringLiteral("QuickSearch"));
  m_search->installEventFilter(this);
  m_toolBar = new QWidget(m_bottom);
  m_toolBar->setObjectName(QStringLiteral("ToolBar"));
  auto* tools = new QHBoxLayout(m_toolBar);
  tools->setContentsMargins(0, 0, 0, 0);
  tools->setSpacing(0);
  for (const ToolDef& def : kToolDefs) {
    QToolButton* b = AddTool(m_toolBar, def.tool, def.glyph, def.hint);
    b->setIcon(ArrowGlyph(def, palette.color(QPalette::ButtonText)));
    tools->addWidget(b);
  }
  m_closeBottom = new QToolButton(m_bottom);
  m_closeBottom->setObjectName(QStringLiteral("BTNCLOSE2"));
  m_closeBottom->setToolTip(ToQString(kCloseHint));
  m_closeBottom->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  m_closeBottom->setFixedSize(60, kToolSize);
  m_closeBottom->hide();
  outer->addWidget(m_bottom);

  for (QToolButton* close : {m_closeTop, m_closeBottom}) {
    connect(close, &QToolButton::clicked, this, [this] {
      if (Events().OnBrowCloseBtnKlick) Events().OnBrowCloseBtnKlick(m_browser);
    });
  }
  connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (m_syncing) return;
    if (row >= 0 && row < static_cast<int>(m_browser.Rows().size())) {
      m_browser.SelectRow(row + 1);
    } else {
      RowsChanged();  // an empty row: the selection stays where it was
    }
  });
  connect(m_grid, &QTableWidget::cellDoubleClicked, this,
          [this](int row) { m_browser.DoubleClickRow(row + 1); });
  connect(header, &QHeaderView::sectionClicked, this,
          [this](int column) { m_browser.HeaderClick(column); });
  connect(m_vScroll, &QAbstractSlider::actionTriggered, this,
          [this](int action) { ScrollAction(action); });
  connect(m_sortList, &QComboBox::activated, this, [this](int position) {
    if (!m_syncing) m_browser.SelectOrder(position);
  });
  connect(m_search, &QLineEdit::textEdited, this,
          [this] { m_browser.QuickSearch(m_search->Text()); });
}

QToolButton* TkxBrow::AddTool(QWidget* bar, BrowTool tool, const char* name,
                              std::string_view hint) {
  auto* b = new QToolButton(bar);
  b->setObjectName(QString::fromLatin1(name));
  b->setToolTip(ToQString(hint));
  b->setFixedSize(kToolSize, kToolSize);
  b->setIconSize(QSize(kGlyphSize, kGlyphSize));
  b->setFocusPolicy(Qt::NoFocus);
  m_tools[static_cast<int>(tool)] = b;
  connect(b, &QToolButton::clicked, this, [this, tool] { RunTool(tool); });
  return b;
}

QToolButton* TkxBrow::ToolButton(BrowTool tool) const { return m_tools[static_cast<int>(tool)]; }

int TkxBrow::RowHeight() const {
  return static_cast<int>(std::lround(1.2 * m_grid->fontMetrics().height()));
}

BrowseResult TkxBrow::Browse(FileBlock* fileBlock, int indexNumber, const KeyString& lower,
                             const KeyString& upper) {
  // Drop the old binding first: its file may be gone already.
  m_browser.Unbind();
  GridResized();  // the engine learns the rows that fit before it fills them
  return m_browser.Browse(fileBlock, indexNumber, lower, upper);
}

// ---------------------------------------------------------------------------
// Drawing the engine's state

void TkxBrow::RowsChanged() {
  QScopedValueRollback<bool> syncing(m_syncing, true);
  const std::vector<BrowserRow>& rows = m_browser.Rows();
  const int visible = m_browser.VisibleRows();
  if (m_grid->rowCount() != visible) m_grid->setRowCount(visible);
  const int columns = m_grid->columnCount();
  for (int r = 0; r < visible; ++r) {
    const std::vector<std::string> cells =
        r < static_cast<int>(rows.size())
            ? TKBrowser::SplitColumns(rows[static_cast<std::size_t>(r)].text, m_browser.RowsInOemCodePage())
            : std::vector<std::string>{};
    for (int c = 0; c < columns; ++c) {
      const QString text =
          c < static_cast<int>(cells.size()) ? ToQString(cells[static_cast<std::size_t>(c)]) : QString();
      QTableWidgetItem* item = m_grid->item(r, c);
      if (item == nullptr) {
        if (text.isEmpty()) continue;
        item = new QTableWidgetItem;
        m_grid->setItem(r, c, item);
      }
      if (item->text() == text) continue;  // only changed cells are rewritten
      item->setText(text);
      if (c < static_cast<int>(m_fitToContent.size()) && m_fitToContent[static_cast<std::size_t>(c)]) {
        const int needed = TextWidthInCell(text);
        if (needed > m_grid->horizontalHeader()->sectionSize(c)) m_grid->horizontalHeader()->resizeSection(c, needed);
      }
    }
  }
  const int selected = m_browser.SelectedRow();
  if (selected > 0) {
    const int column = std::max(0, m_grid->horizontalScrollBar()->value());
    m_grid->setCurrentCell(selected - 1, std::min(column, columns - 1),
                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  } else {
    m_grid->clearSelection();
    m_grid->setCurrentCell(-1, -1);
  }
  const QSignalBlocker blocker(m_vScroll);
  m_vScroll->setRange(0, m_browser.ScrollMax());
  m_vScroll->setValue(m_browser.ScrollPosition());
}

int TkxBrow::TextWidthInCell(const QString& cellText) const {
  // As the cell draws it: without its trailing blanks.
  qsizetype end = cellText.size();
  while (end > 0 && cellText.at(end - 1) == QLatin1Char(' ')) --end;
  const QString text = cellText.left(end);
  if (text.isEmpty()) return 0;
  // The cell's text margins on both sides and the grid line.
  const int margin = 2 * (m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_grid) + 1) + 1;
  return m_grid->fontMetrics().horizontalAdvance(text) + margin;
}

void TkxBrow::HeaderChanged() {
  QScopedValueRollback<bool> syncing(m_syncing, true);
  const std::vector<std::string> titles = m_browser.HeaderColumns();
  const int columns = static_cast<int>(titles.size());
  m_grid->setColumnCount(columns);
  QStringList labels;
  for (const std::string& t : titles) labels << ToQString(t);
  m_grid->setHorizontalHeaderLabels(labels);
  const int xWidth = m_grid->fontMetrics().horizontalAdvance(QLatin1Char('X'));
  const int screenWidth = ScreenWidthOf(this);
  m_fitToContent.assign(static_cast<std::size_t>(columns), false);
  for (int c = 0; c < columns; ++c) {
    int width = Events().OnBrowColWidths ? Events().OnBrowColWidths(m_browser, c + 1) : 0;
    const int defaultWidth = DefaultColumnWidth(titles[static_cast<std::size_t>(c)].size(), xWidth, screenWidth);
    // A stored width equal to the default was never set by the user: it
    // fits its texts as a column without a stored width does.
    if (width <= 0 || width == defaultWidth) {
      width = defaultWidth;
      m_fitToContent[static_cast<std::size_t>(c)] = true;
    }
    m_grid->horizontalHeader()->resizeSection(c, width);
  }
  // Texts already shown are measured again for the new columns.
  for (int r = 0; r < m_grid->rowCount(); ++r) {
    for (int c = 0; c < columns; ++c) {
      const QTableWidgetItem* item = m_grid->item(r, c);
      if (item == nullptr || !m_fitToContent[static_cast<std::size_t>(c)]) continue;
      const int needed = TextWidthInCell(item->text());
      if (needed > m_grid->horizontalHeader()->sectionSize(c)) m_grid->horizontalHeader()->resizeSection(c, needed);
    }
  }
  RowsChanged();
}

void TkxBrow::SortListChanged() {
  QScopedValueRollback<bool> syncing(m_syncing, true);
  const QSignalBlocker blocker(m_sortList);
  const std::vector<std::string>& names = m_browser.SortNames();
  bool same = m_sortList->count() == static_cast<int>(names.size());
  for (int i = 0; same && i < m_sortList->count(); ++i) {
    same = m_sortList->itemText(i) == ToQString(names[static_cast<std::size_t>(i)]);
  }
  if (!same) {
    m_sortList->clear();
    for (const std::string& name : names) m_sortList->addItem(ToQString(name));
    LayoutBottom();  // a longer order may widen the list
  }
  m_sortList->setCurrentIndex(m_browser.SortlistItemIndex());
  m_sortList->setEnabled(m_browser.SortlistEnabled());
  const bool visible = m_browser.SortlistVisible();
  if (m_sortList->isVisibleTo(this) != visible || m_sortLabel->isVisibleTo(this) != visible) {
    m_sortList->setVisible(visible);
    m_sortLabel->setVisible(visible);
    LayoutBottom();
  }
}

void TkxBrow::ResetView() {
  ClearQuickSearch();
  ScrollColumns(0);
}

// ---------------------------------------------------------------------------
// Geometry

// At least the list's own width; wider when the font would cut its text
// ("Sortierung" or the longest order) under the drop-down arrow.
int TkxBrow::SortListWidth() const {
  const QFontMetrics metrics = m_sortList->fontMetrics();
  int text = metrics.horizontalAdvance(m_sortList->placeholderText());
  for (int i = 0; i < m_sortList->count(); ++i) {
    text = std::max(text, metrics.horizontalAdvance(m_sortList->itemText(i)));
  }
  QStyleOptionComboBox option;
  option.initFrom(m_sortList);
  const QSize needed = m_sortList->style()->sizeFromContents(QStyle::CT_ComboBox, &option,
                                                              QSize(text, metrics.height()), m_sortList);
  return std::max(kSortListWidth, needed.width());
}

void TkxBrow::LayoutBottom() {
  const int editHeight = kBottomStripHeight - 4;
  int x = 2;
  if (m_sortLabel->isVisibleTo(this)) {
    m_sortLabel->adjustSize();
    m_sortLabel->move(2, 5);
    x = m_sortLabel->geometry().right() + 4;
    const int sortWidth = SortListWidth();
    m_sortList->setGeometry(x, 2, sortWidth, editHeight);
    x += sortWidth + 6;
  }
  m_searchPicture->setGeometry(x, (kBottomStripHeight - 16) / 2, 16, 16);
  x += 20;
  m_search->setGeometry(x, 2, kSearchWidth, editHeight);
  const int toolsWidth = 6 * kToolSize;
  m_toolBar->setGeometry(m_bottom->width() - toolsWidth - 2, (kBottomStripHeight - kToolSize) / 2,
                         toolsWidth, kToolSize);
  m_closeBottom->move(m_toolBar->x() - m_closeBottom->width() - 4, m_toolBar->y());
}

void TkxBrow::GridResized() {
  const int height = m_grid->viewport()->height();
  const int rows = std::max(1, height / std::max(1, RowHeight()));
  m_browser.Resize(rows);
  if (m_grid->rowCount() != m_browser.VisibleRows()) RowsChanged();
}

// ---------------------------------------------------------------------------
// Input

bool TkxBrow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      if (watched == m_grid || watched == m_search || watched == m_sortList) {
        if (HandleKey(static_cast<QKeyEvent*>(event), watched)) return true;
      }
      break;
    case QEvent::Wheel:
      if (watched == m_grid->viewport()) {
        Wheel(static_cast<QWheelEvent*>(event));
        return true;
      }
      break;
    case QEvent::Resize:
      if (watched == m_grid->viewport()) GridResized();
      if (watched == m_bottom) LayoutBottom();
      break;
    case QEvent::MouseMove:
      if (watched == m_grid->horizontalHeader()->viewport()) {
        HeaderMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint().x());
      }
      break;
    default:
      break;
  }
  return QFrame::eventFilter(watched, event);
}

bool TkxBrow::HandleKey(QKeyEvent* event, QObject* source) {
  const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
  const bool inGrid = source == m_grid;
  const bool inSearch = source == m_search;
  const bool inSortList = source == m_sortList;
  bool keepSearch = false;
  switch (event->key()) {
    case Qt::Key_Down:
      if (inSortList) return false;
      m_browser.NextRow();
      break;
    case Qt::Key_Up:
      if (inSortList) return false;
      m_browser.PreviousRow();
      break;
    case Qt::Key_PageDown:
      ctrl ? m_browser.LastRow() : m_browser.NextPage();
      break;
    case Qt::Key_PageUp:
      ctrl ? m_browser.FirstRow() : m_browser.PreviousPage();
      break;
    case Qt::Key_Home:
      if (ctrl) {
        m_browser.FirstRow();
      } else if (inGrid) {
        ScrollColumns(0);
      } else {
        return false;
      }
      break;
    case Qt::Key_End:
      if (ctrl) {
        m_browser.LastRow();
      } else if (inGrid) {
        ScrollColumns(m_grid->columnCount());
      } else {
        return false;
      }
      break;
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (!inGrid) return false;
      ScrollColumns(m_grid->horizontalScrollBar()->value() + (event->key() == Qt::Key_Left ? -1 : 1));
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (inSortList) return false;
      if (inSearch && Events().OnBrowSuchfeldEnter) {
        Events().OnBrowSuchfeldEnter(m_browser);
        keepSearch = true;
      }
      m_browser.ActivateSelected();
      break;
    case Qt::Key_Delete:
      if (!inGrid) return false;
      m_browser.DeleteSelected();
      break;
    default:
      return false;
  }
  if (!keepSearch) ClearQuickSearch();
  return true;
}

void TkxBrow::Wheel(QWheelEvent* event) {
  m_wheelRest += event->angleDelta().y();
  while (m_wheelRest <= -kWheelNotch) {
    m_wheelRest += kWheelNotch;
    m_browser.NextRow();
  }
  while (m_wheelRest >= kWheelNotch) {
    m_wheelRest -= kWheelNotch;
    m_browser.PreviousRow();
  }
}

void TkxBrow::ScrollAction(int action) {
  if (m_syncing) return;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: m_browser.NextRow(); break;
    case QAbstractSlider::SliderSingleStepSub: m_browser.PreviousRow(); break;
    case QAbstractSlider::SliderPageStepAdd: m_browser.NextPage(); break;
    case QAbstractSlider::SliderPageStepSub: m_browser.PreviousPage(); break;
    case QAbstractSlider::SliderToMinimum: m_browser.FirstRow(); break;
    case QAbstractSlider::SliderToMaximum: m_browser.LastRow(); break;
    case QAbstractSlider::SliderMove: m_browser.ScrollTo(m_vScroll->sliderPosition()); break;
    default: return;
  }
  // The slider takes its position from here once this returns: the estimate
  // of where the selection now is.
  QScopedValueRollback<bool> syncing(m_syncing, true);
  m_vScroll->setSliderPosition(m_browser.ScrollPosition());
}

void TkxBrow::RunTool(BrowTool tool) {
  switch (tool) {
    case BrowTool::kFirst: m_browser.FirstRow(); break;
    case BrowTool::kPageBack: m_browser.PreviousPage(); break;
    case BrowTool::kPrevious: m_browser.PreviousRow(); break;
    case BrowTool::kNext: m_browser.NextRow(); break;
    case BrowTool::kPageForward: m_browser.NextPage(); break;
    case BrowTool::kLast: m_browser.LastRow(); break;
  }
}

void TkxBrow::ScrollColumns(int to) {
  QScrollBar* bar = m_grid->horizontalScrollBar();
  bar->setValue(std::clamp(to, bar->minimum(), bar->maximum()));
}

void TkxBrow::ClearQuickSearch() {
  if (!m_search->text().isEmpty()) m_search->clear();
}

void TkxBrow::HeaderMouseMove(int x) {
  const int column = m_grid->horizontalHeader()->logicalIndexAt(x);
  QWidget* viewport = m_grid->horizontalHeader()->viewport();
  if (column >= 0 && m_browser.ColumnOrder(column) != 0) {
    viewport->setCursor(Qt::PointingHandCursor);
  } else {
    viewport->unsetCursor();
  }
}

}  // namespace korv
