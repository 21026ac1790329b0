// The record browser panel offscreen over a real keyed file: keys, wheel,
// clicks, header, sort list, quick search, tool bar and scroll bar drive it
// as the user would, and the grid shows what the file holds.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <cmath>
#include <memory>

#include "controls/browse_file.h"
#include "controls/ui/kx_brow.h"
#include "controls/ui/kx_edit.h"
#include "platform/scripted_platform.h"
#include "platform/ui/qt_text.h"

using namespace korv;
using namespace korv::testing;

namespace {

constexpr int kRecords = 120;
const int kOrders[] = {kByCall, kByNumber, kByGroup};

}  // namespace

class KxBrowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<BrowseFile> m_file;
  std::unique_ptr<ScriptedPlatform> m_platform;
  std::unique_ptr<TkxBrow> m_brow;
  std::vector<std::string> m_entered;  // the record in the buffer at each OnBrowEnter
  std::vector<std::string> m_doubleClicked;
  std::vector<std::string> m_events;   // names of the Enter events, in order

  TKBrowser& Browser() { return m_brow->Browser(); }
  QTableWidget* Grid() { return m_brow->Grid(); }
  std::vector<std::string> All(int index = kByCall) const {
    std::vector<std::string> texts;
    for (const BrowseRecord& r : m_file->Sorted(index)) texts.push_back(BrowseFile::RowText(r));
    return texts;
  }
  // A grid row as "cell;cell;cell".
  std::string GridRow(int row) {
    std::string text;
    for (int c = 0; c < Grid()->columnCount(); ++c) {
      const QTableWidgetItem* item = Grid()->item(row, c);
      if (c > 0) text += ";";
      if (item != nullptr) text += FromQString(item->text());
    }
    return text;
  }
  // The row the grid shows as selected; it must be the engine's.
  std::string GridSelected() {
    const QModelIndexList rows = Grid()->selectionModel()->selectedRows();
    if (rows.size() != 1) return "<" + std::to_string(rows.size()) + " rows selected>";
    if (rows.front().row() != Browser().SelectedRow() - 1) return "<grid and engine differ>";
    return GridRow(rows.front().row());
  }
  void Rebrowse(int index = kByCall) {
    const BrowseResult r = m_brow->Browse(m_file->block, index, {}, {});
    QVERIFY2(r.ok, r.message.c_str());
  }
  void Press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(w, static_cast<Qt::Key>(key), mods);
  }
  void Wheel(int delta) {
    QWidget* viewport = Grid()->viewport();
    const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
    QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
  }
  QPoint CellCentre(int row) {
    return Grid()->visualRect(Grid()->model()->index(row, 0)).center();
  }
  QPoint HeaderPoint(int column) {
    QHeaderView* h = Grid()->horizontalHeader();
    return QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
  }

 private slots:
  void init() {
    m_file = std::make_unique<BrowseFile>(QTest::currentTestFunction());
    QVERIFY(m_file->ok);
    QVERIFY(m_file->Fill(kRecords, false));
    m_platform = std::make_unique<ScriptedPlatform>();
    m_brow = std::make_unique<TkxBrow>(*m_platform);
    m_entered.clear();
    m_doubleClicked.clear();
    m_events.clear();
    TKBrowserEvents& e = m_brow->Events();
    e.OnBuildRow = [this](TKBrowser&, std::string& row) {
      row = BrowseFile::RowText(m_file->block->Record());
    };
    e.OnSetHeaderFooter = [](TKBrowser& b) {
      ColumnIndexTable first{};
      first[0] = kByCall;
      first[1] = kByNumber;
      b.SetHeader("Call;Nummer;Gruppe", "Call", first, {});
    };
    e.OnInitSortList = [](TKBrowser& b) {
      b.ClearSortList();
      for (const char* name : {"Call", "Nummer", "Gruppe"}) b.AddSortName(name);
    };
    e.OnSortList2Key = [](TKBrowser&, int position, KeyString& lower, KeyString& upper) {
      lower.clear();
      upper.clear();
      return kOrders[position];
    };
    e.OnBrowColWidths = [](TKBrowser&, int column) { return column == 2 ? 90 : 0; };
    e.OnBrowEnter = [this](TKBrowser&) {
      m_events.push_back("enter");
      m_entered.push_back(BrowseFile::RowText(m_file->block->Record()));
    };
    e.OnBrowDoppelKlick = [this](TKBrowser&) {
      m_doubleClicked.push_back(BrowseFile::RowText(m_file->block->Record()));
    };
    m_brow->resize(420, 300);
    m_brow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_brow.get()));
    Rebrowse();
    Grid()->setFocus();
  }
  void cleanup() {
    m_brow.reset();
    m_platform.reset();
    m_file.reset();
  }

  void gridShowsTheHeaderAndOneScreenOfRows() {
    QCOMPARE(Grid()->columnCount(), 3);
    const QStringList titles{"Call", "Nummer", "Gruppe"};
    for (int c = 0; c < 3; ++c) QCOMPARE(Grid()->horizontalHeaderItem(c)->text(), titles[c]);
    const QFontMetrics fm = Grid()->fontMetrics();
    // A column without a stored width starts at the default and grows to
    // its widest text; a stored width stays as it is.
    const int defaultWidth =
        DefaultColumnWidth(4, fm.horizontalAdvance(QLatin1Char('X')), m_brow->screen()->geometry().width());
    int widest = 0;
    for (int r = 0; r < Grid()->rowCount(); ++r) {
      if (const QTableWidgetItem* item = Grid()->item(r, 0)) {
        widest = std::max(widest, fm.horizontalAdvance(item->text().trimmed()));
      }
    }
    QVERIFY(widest > defaultWidth);  // the fixture's calls are longer than the title
    QVERIFY(Grid()->horizontalHeader()->sectionSize(0) > widest);
    QCOMPARE(Grid()->horizontalHeader()->sectionSize(1), 90);  // OnBrowColWidths
    QVERIFY(Grid()->horizontalHeader()->stretchLastSection());

    const int rowHeight = static_cast<int>(std::lround(1.2 * fm.height()));
    QCOMPARE(m_brow->RowHeight(), rowHeight);
    QCOMPARE(Grid()->rowHeight(0), rowHeight);
    const int rows = Grid()->viewport()->height() / rowHeight;
    QVERIFY(rows > 3);
    QCOMPARE(Grid()->rowCount(), rows);
    QCOMPARE(Browser().VisibleRows(), rows);
    const std::vector<std::string> all = All();
    for (int r = 0; r < rows; ++r) QCOMPARE(GridRow(r), all[static_cast<std::size_t>(r)]);
    QCOMPARE(GridSelected(), all[0]);
    QVERIFY(!Grid()->verticalHeader()->isVisible());
  }

  void stripsCarryTheirNamesAndHints() {
    for (const char* name : {"TopStrip", "BTNCLOSE", "BTNCLOSE2"}) {
      QWidget* w = m_brow->findChild<QWidget*>(name);
      QVERIFY2(w != nullptr, name);
      QVERIFY2(!w->isVisible(), name);
    }
    QCOMPARE(m_brow->findChild<QToolButton*>("BTNCLOSE2")->toolTip(),
             ToQString("Schlie\xDF""en der Liste"));
    const struct {
      BrowTool tool;
      const char* name;
      const char* hint;
    } tools[] = {
        {BrowTool::kFirst, "BTNENDH", "Dateianfang"},
        {BrowTool::kPageBack, "BTNSEITEH", "vorige Seite"},
        {BrowTool::kPrevious, "BTNEINSH", "voriger Datensatz"},
        {BrowTool::kNext, "BTNEINSR", "n\xE4""chster Datensatz"},
        {BrowTool::kPageForward, "BTNSEITER", "n\xE4""chste Seite"},
        {BrowTool::kLast, "BTNENDR", "Dateiende"},
    };
    int lastX = -1;
    for (const auto& t : tools) {
      QToolButton* b = m_brow->ToolButton(t.tool);
      QCOMPARE(b->objectName(), QString::fromLatin1(t.name));
      QCOMPARE(b->toolTip(), ToQString(t.hint));
      QCOMPARE(b->size(), QSize(15, 15));
      QVERIFY(b->isVisible());
      QVERIFY(!b->icon().isNull());
      QVERIFY(b->x() > lastX);  // left to right in the table's order
      lastX = b->x();
    }
    QVERIFY(m_brow->findChild<QLabel*>("SCHNELLSUCHE")->isVisible());
    QCOMPARE(m_brow->QuickSearchField()->width(), 80);
    QCOMPARE(m_brow->SortLabel()->text(), QStringLiteral("Sortierung:"));
    QCOMPARE(m_brow->SortLabel()->pos(), QPoint(2, 5));
    // 80 pixels wide, or as wide as the font needs to show "Sortierung"
    // beside the drop-down arrow.
    QComboBox* sortList = m_brow->SortList();
    QVERIFY(sortList->width() >= 80);
    const int text = sortList->fontMetrics().horizontalAdvance(QStringLiteral("Sortierung"));
    QVERIFY(sortList->width() >= text + 24);
    QVERIFY(sortList->width() <= std::max(80, 2 * text + 60));
    QVERIFY(m_brow->QuickSearchField()->x() > sortList->geometry().right());
    QCOMPARE(m_brow->SortList()->placeholderText(), QStringLiteral("Sortierung"));
    QCOMPARE(m_brow->SortList()->currentIndex(), -1);
    QCOMPARE(m_brow->SortList()->count(), 3);
    QVERIFY(m_brow->SortList()->isEnabled());
    QVERIFY(m_brow->SortList()->isVisible());
  }

  void keysMoveTheSelection_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QList<int>>("ctrl");
    QTest::addColumn<bool>("fromEnd");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("screens");
    QTest::newRow("down") << QList<int>{Qt::Key_Down} << QList<int>{0} << false << 1 << 0;
    QTest::newRow("up at the start") << QList<int>{Qt::Key_Up} << QList<int>{0} << false << 0 << 0;
    QTest::newRow("down down up") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}
                                  << QList<int>{0, 0, 0} << false << 1 << 0;
    QTest::newRow("page down") << QList<int>{Qt::Key_PageDown} << QList<int>{0} << false << 0 << 1;
    QTest::newRow("page down twice, up") << QList<int>{Qt::Key_PageDown, Qt::Key_PageDown,
                                                       Qt::Key_PageUp}
                                         << QList<int>{0, 0, 0} << false << 0 << 1;
    QTest::newRow("ctrl end") << QList<int>{Qt::Key_End} << QList<int>{1} << true << 0 << 0;
    QTest::newRow("ctrl page down") << QList<int>{Qt::Key_PageDown} << QList<int>{1} << true << 0
                                    << 0;
    QTest::newRow("ctrl end, up") << QList<int>{Qt::Key_End, Qt::Key_Up} << QList<int>{1, 0}
                                  << true << 1 << 0;
    QTest::newRow("ctrl end, ctrl home") << QList<int>{Qt::Key_End, Qt::Key_Home}
                                         << QList<int>{1, 1} << false << 0 << 0;
    QTest::newRow("ctrl end, ctrl page up") << QList<int>{Qt::Key_End, Qt::Key_PageUp}
                                            << QList<int>{1, 1} << false << 0 << 0;
  }
  void keysMoveTheSelection() {
    QFETCH(QList<int>, keys);
    QFETCH(QList<int>, ctrl);
    QFETCH(bool, fromEnd);
    QFETCH(int, offset);
    QFETCH(int, screens);
    for (int i = 0; i < keys.size(); ++i) {
      Press(Grid(), keys[i], ctrl[i] ? Qt::ControlModifier : Qt::NoModifier);
    }
    const std::vector<std::string> all = All();
    const int rows = Browser().VisibleRows();
    const auto expected = static_cast<std::size_t>(
        fromEnd ? static_cast<int>(all.size()) - 1 - offset : offset + screens * rows);
    QCOMPARE(GridSelected(), all[expected]);
  }

  void downPastTheScreenScrollsByOneRow() {
    const int rows = Browser().VisibleRows();
    for (int i = 0; i < rows; ++i) Press(Grid(), Qt::Key_Down);
    const std::vector<std::string> all = All();
    QCOMPARE(GridSelected(), all[static_cast<std::size_t>(rows)]);
    QCOMPARE(Grid()->currentRow(), rows - 1);
    QCOMPARE(GridRow(0), all[1]);
  }

  void wheelStepsOneRowPerNotch() {
    const std::vector<std::string> all = All();
    for (int i = 0; i < 3; ++i) Wheel(-120);
    QCOMPARE(GridSelected(), all[3]);
    Wheel(120);
    QCOMPARE(GridSelected(), all[2]);
    Wheel(-60);  // half a notch moves nothing yet
    QCOMPARE(GridSelected(), all[2]);
    Wheel(-60);
    QCOMPARE(GridSelected(), all[3]);
  }

  void arrowsScrollTheColumns() {
    m_brow->Events().OnBrowColWidths = [](TKBrowser&, int) { return 200; };
    Rebrowse();
    QScrollBar* bar = Grid()->horizontalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);  // the view lays its scroll bars out later
    const std::string selected = GridSelected();
    Press(Grid(), Qt::Key_Right);
    QCOMPARE(bar->value(), 1);
    Press(Grid(), Qt::Key_Left);
    QCOMPARE(bar->value(), 0);
    Press(Grid(), Qt::Key_End);
    QCOMPARE(bar->value(), bar->maximum());
    Press(Grid(), Qt::Key_Home);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(GridSelected(), selected);  // the rows did not move
  }

  void quickSearchSelectsAndKeysClearIt() {
    TkxEdit* search = m_brow->QuickSearchField();
    search->setFocus();
    QTest::keyClicks(search, "k05");
    const std::vector<BrowseRecord> byCall = m_file->Sorted(kByCall);
    const auto it = std::find_if(byCall.begin(), byCall.end(),
                                 [](const BrowseRecord& r) { return r.call >= "K05"; });
    QVERIFY(it != byCall.end() && it != byCall.begin());
    // The first call from "K05" on, or the one before when none begins so.
    const BrowseRecord& hit = it->call.rfind("K05", 0) == 0 ? *it : *(it - 1);
    QCOMPARE(GridSelected(), BrowseFile::RowText(hit));
    QCOMPARE(search->text(), QStringLiteral("k05"));

    const std::vector<std::string> all = All();
    const auto at = std::find(all.begin(), all.end(), BrowseFile::RowText(hit)) - all.begin();
    Press(search, Qt::Key_Down);
    QCOMPARE(GridSelected(), all[static_cast<std::size_t>(at + 1)]);
    QVERIFY(search->text().isEmpty());

    QTest::keyClicks(search, "k0");
    Press(search, Qt::Key_Return);
    QCOMPARE(m_entered, std::vector<std::string>{GridSelected()});
    QVERIFY(search->text().isEmpty());
  }

  void enterInTheSearchFieldWithItsOwnEventKeepsTheText() {
    m_brow->Events().OnBrowSuchfeldEnter = [this](TKBrowser&) { m_events.push_back("search"); };
    TkxEdit* search = m_brow->QuickSearchField();
    search->setFocus();
    QTest::keyClicks(search, "k1");
    Press(search, Qt::Key_Enter);
    QCOMPARE(m_events, (std::vector<std::string>{"search", "enter"}));
    QCOMPARE(search->text(), QStringLiteral("k1"));
  }

  void enterAndMouseReadTheSelectedRecord() {
    const std::vector<std::string> all = All();
    Press(Grid(), Qt::Key_Down);
    Press(Grid(), Qt::Key_Down);
    Press(Grid(), Qt::Key_Return);
    QCOMPARE(m_entered, std::vector<std::string>{all[2]});

    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, CellCentre(5));
    QCOMPARE(Browser().SelectedRow(), 6);
    QCOMPARE(GridSelected(), all[5]);

    // A real double click: press and release, then the double-click event.
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, CellCentre(3));
    QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, CellCentre(3));
    QCOMPARE(m_doubleClicked.size(), std::size_t{1});
    QCOMPARE(m_doubleClicked.front(), all[3]);
    QCOMPARE(GridSelected(), all[3]);
  }

  void deleteKeyAsksAndRemoves() {
    const std::vector<std::string> all = All();
    Press(Grid(), Qt::Key_Down);
    m_platform->AnswerNextQuestion(false);
    Press(Grid(), Qt::Key_Delete);
    QCOMPARE(m_file->block->RecordCount(), kRecords);
    QCOMPARE(GridSelected(), all[1]);

    m_platform->AnswerNextQuestion(true);
    Press(Grid(), Qt::Key_Delete);
    QCOMPARE(m_file->block->RecordCount(), kRecords - 1);
    QCOMPARE(GridSelected(), all[2]);
    QCOMPARE(GridRow(1), all[2]);
    const std::vector<std::string> asked =
        m_platform->TextsOf(ScriptedPlatform::Kind::kQuestion);
    QCOMPARE(asked, std::vector<std::string>(2, " L\xF6schen \"Datensatz\""));

    // Delete in the quick-search field edits the text, nothing else.
    m_brow->QuickSearchField()->setFocus();
    Press(m_brow->QuickSearchField(), Qt::Key_Delete);
    QCOMPARE(m_platform->TextsOf(ScriptedPlatform::Kind::kQuestion).size(), std::size_t{2});
    QCOMPARE(m_platform->UnexpectedQuestions(), 0);
  }

  void headerClickChoosesTheOrder() {
    Press(Grid(), Qt::Key_PageDown);
    const std::string selected = GridSelected();
    QHeaderView* header = Grid()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, HeaderPoint(2));
    QCOMPARE(m_brow->CurrentIndexNumber(), kByCall);  // "Gruppe" has no order

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, HeaderPoint(1));
    QCOMPARE(m_brow->CurrentIndexNumber(), kByNumber);
    QCOMPARE(m_brow->SortList()->currentIndex(), 1);
    QCOMPARE(GridSelected(), selected);
    const std::vector<std::string> byNumber = All(kByNumber);
    const auto first = std::find(byNumber.begin(), byNumber.end(), GridRow(0));
    QVERIFY(first != byNumber.end());
    for (int r = 1; r < Grid()->rowCount() && first + r != byNumber.end(); ++r) {
      QCOMPARE(GridRow(r), *(first + r));
    }

    for (const auto& [column, hand] : {std::pair{0, true}, std::pair{2, false}}) {
      QMouseEvent move(QEvent::MouseMove, HeaderPoint(column), header->viewport()->mapToGlobal(HeaderPoint(column)),
                       Qt::NoButton, Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(header->viewport(), &move);
      QCOMPARE(header->viewport()->cursor().shape() == Qt::PointingHandCursor, hand);
    }
  }

  void sortListChoosesTheOrderUpDownDoNotMoveRows() {
    Press(Grid(), Qt::Key_Down);
    Press(Grid(), Qt::Key_Down);
    const std::string selected = GridSelected();
    QComboBox* list = m_brow->SortList();
    list->setFocus();
    Press(list, Qt::Key_Down);  // entry 0, "Call": the order in use
    QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(m_brow->CurrentIndexNumber(), kByCall);
    QCOMPARE(GridSelected(), selected);
    Press(list, Qt::Key_Down);  // entry 1, "Nummer"
    QCOMPARE(m_brow->CurrentIndexNumber(), kByNumber);
    QCOMPARE(GridSelected(), selected);
    QCOMPARE(m_brow->SortlistItemIndex(), 1);

    m_brow->Events().OnInitSortList = [](TKBrowser& b) {
      b.ClearSortList();
      b.AddSortName("Call");
    };
    Rebrowse();
    QVERIFY(!list->isEnabled());
    QVERIFY(!list->isVisible());
    QVERIFY(!m_brow->SortLabel()->isVisible());
    QCOMPARE(list->currentIndex(), 0);
  }

  void scrollBarFollowsAndJumps() {
    QScrollBar* bar = m_brow->VerticalScrollBar();
    QCOMPARE(bar->maximum(), kRecords - 1);
    QCOMPARE(bar->value(), 0);
    const std::vector<std::string> all = All();

    Press(Grid(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(bar->value(), Browser().ScrollPosition());
    QVERIFY(bar->value() > bar->maximum() / 2);

    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(GridSelected(), all[all.size() - 2]);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(GridSelected(), all.front());
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(GridSelected(), all[1]);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(GridSelected(), all.back());
    QCOMPARE(bar->value(), Browser().ScrollPosition());

    bar->setSliderPosition(bar->maximum() / 2);  // dragging the thumb
    const auto at = std::find(all.begin(), all.end(), GridSelected()) - all.begin();
    QVERIFY2(at > kRecords / 4 && at < 3 * kRecords / 4, std::to_string(at).c_str());
    QVERIFY(std::abs(bar->value() - bar->maximum() / 2) <= bar->maximum() / 10);
  }

  void toolButtonsMoveTheSelection() {
    const std::vector<std::string> all = All();
    const int rows = Browser().VisibleRows();
    const struct {
      BrowTool tool;
      std::size_t expected;
    } clicks[] = {
        {BrowTool::kNext, 1},
        {BrowTool::kPageForward, static_cast<std::size_t>(1 + rows)},
        {BrowTool::kPrevious, static_cast<std::size_t>(rows)},
        {BrowTool::kPageBack, 0},
        {BrowTool::kLast, all.size() - 1},
        {BrowTool::kFirst, 0},
    };
    for (const auto& c : clicks) {
      QTest::mouseClick(m_brow->ToolButton(c.tool), Qt::LeftButton);
      QCOMPARE(GridSelected(), all[c.expected]);
    }
  }

  void resizingChangesTheRowsAndKeepsTheSelection() {
    const std::vector<std::string> all = All();
    Press(Grid(), Qt::Key_PageDown);
    Press(Grid(), Qt::Key_Down);
    const std::string selected = GridSelected();
    const int before = Grid()->rowCount();
    m_brow->resize(m_brow->width(), m_brow->height() + 5 * m_brow->RowHeight());
    QTRY_COMPARE(Grid()->rowCount(), before + 5);
    QCOMPARE(Browser().VisibleRows(), before + 5);
    QCOMPARE(GridSelected(), selected);
    const auto first = std::find(all.begin(), all.end(), GridRow(0)) - all.begin();
    for (int r = 0; r < Grid()->rowCount(); ++r) {
      QCOMPARE(GridRow(r), all[static_cast<std::size_t>(first + r)]);
    }
  }
};

QTEST_MAIN(KxBrowTest)
#include "kx_brow_test.moc"
