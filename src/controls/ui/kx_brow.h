// TkxBrow: the record browser panel. A grid over one FileBlock in the order
// of one index, restricted to a key range, with its own vertical scroll bar,
// a sort list, a quick-search field and a tool bar. The rows come from the
// row engine TKBrowser (controls/browser.h), which this panel draws; the
// owner's events (OnBuildRow, OnSetHeaderFooter, OnSortList2Key, ...) are
// assigned on Events() and are described there.
//
// Layout, top to bottom:
//   top strip (15 px) with a close button "BTNCLOSE"       hidden
//   grid (one header row, no fixed column, row selection) | vertical scroll bar
//   bottom strip: "Sortierung:" + sort list, quick-search picture and field,
//                 tool bar of six buttons, second close button (hidden)
// Children carry the names of their glyph resources as object names
// ("BTNENDH", "SCHNELLSUCHE", ...) and their hints as tool tips.
//
// Keys (grid, quick-search field, sort list):
//   Down / Up, wheel        next / previous row (not while the sort list has focus)
//   Page Down / Page Up     next / previous screen
//   Ctrl+Home, Ctrl+PgUp    first entry;  Ctrl+End, Ctrl+PgDn  last entry
//   Left / Right, Home / End (grid)   one column / first or last column
//   Enter                   OnBrowEnter (in the quick-search field first
//                           OnBrowSuchfeldEnter)
//   Delete (grid)           the delete flow (TKBrowser::DeleteSelected)
// After a handled key the quick-search field is cleared, except after Enter
// in it while OnBrowSuchfeldEnter is assigned.
//
// A window uses it like this:
//   auto* brow = new TkxBrow(platform, this);
//   brow->Events().OnBuildRow = ...;  (see controls/browser.h)
//   BrowseResult r = brow->Browse(file, index, lower, upper);
// and calls RefreshRows() / LocateKey() after it changed the file.
#pragma once

#include <QFrame>
#include <string_view>

#include "controls/browser.h"

class QComboBox;
class QLabel;
class QScrollBar;
class QTableWidget;
class QToolButton;
class QWheelEvent;
class QKeyEvent;

namespace korv {

class Platform;
class TkxEdit;

// The tool bar's buttons, left to right.
enum class BrowTool { kFirst, kPageBack, kPrevious, kNext, kPageForward, kLast };

class TkxBrow : public QFrame, private TKBrowserView {
  Q_OBJECT
  Q_PROPERTY(int SortlistItemIndex READ SortlistItemIndex WRITE SetSortlistItemIndex)
  Q_PROPERTY(bool SortlistVisible READ SortlistVisible WRITE SetSortlistVisible)
  Q_PROPERTY(bool SortlistEnabled READ SortlistEnabled WRITE SetSortlistEnabled)

 public:
  // REQUIRES: platform outlives the panel (delete question, notices).
  explicit TkxBrow(Platform& platform, QWidget* parent = nullptr);
  ~TkxBrow() override;

  TKBrowser& Browser() { return m_browser; }
  TKBrowserEvents& Events() { return m_browser.Events(); }

  // The operations the windows call (see TKBrowser).
  BrowseResult Browse(FileBlock* fileBlock, int indexNumber, const KeyString& lower,
                      const KeyString& upper);
  // Before the bound FileBlock is released (it must outlive the binding).
  void Unbind() { m_browser.Unbind(); }
  int CurrentIndexNumber() const { return m_browser.CurrentIndexNumber(); }
  void RefreshRows() { m_browser.RefreshRows(); }
  void LocateKey(const KeyString& key, RecordRef ref) { m_browser.LocateKey(key, ref); }
  bool ReadSelectedRecord() { return m_browser.ReadSelectedRecord(); }
  void SetHeader(std::string_view headerText, std::string_view orderCaption,
                 const ColumnIndexTable& first, const ColumnIndexTable& second) {
    m_browser.SetHeader(headerText, orderCaption, first, second);
  }
  void ClearSortList() { m_browser.ClearSortList(); }
  void AddSortName(std::string_view name) { m_browser.AddSortName(name); }

  int SortlistItemIndex() const { return m_browser.SortlistItemIndex(); }
  void SetSortlistItemIndex(int index) { m_browser.SetSortlistItemIndex(index); }
  bool SortlistVisible() const { return m_browser.SortlistVisible(); }
  void SetSortlistVisible(bool visible) { m_browser.SetSortlistVisible(visible); }
  bool SortlistEnabled() const { return m_browser.SortlistEnabled(); }
  void SetSortlistEnabled(bool enabled) { m_browser.SetSortlistEnabled(enabled); }

  // Row height: 1.2 x the height of "X", rounded.
  int RowHeight() const;

  // Children, for the owner's layout and for tests.
  QTableWidget* Grid() const { return m_grid; }
  QScrollBar* VerticalScrollBar() const { return m_vScroll; }
  QComboBox* SortList() const { return m_sortList; }
  QLabel* SortLabel() const { return m_sortLabel; }
  TkxEdit* QuickSearchField() const { return m_search; }
  QToolButton* ToolButton(BrowTool tool) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // TKBrowserView
  void RowsChanged() override;
  void HeaderChanged() override;
  // The width a cell needs to show `cellText` whole.
  int TextWidthInCell(const QString& cellText) const;
  void SortListChanged() override;
  void ResetView() override;

  void BuildWidgets();
  QToolButton* AddTool(QWidget* bar, BrowTool tool, const char* name, std::string_view hint);
  int SortListWidth() const;
  void LayoutBottom();
  void GridResized();
  bool HandleKey(QKeyEvent* event, QObject* source);
  void Wheel(QWheelEvent* event);
  void ScrollAction(int action);
  void RunTool(BrowTool tool);
  void ScrollColumns(int to);  // first visible column; clamped
  void ClearQuickSearch();
  void HeaderMouseMove(int x);

  TKBrowser m_browser;
  bool m_syncing = false;  // while the panel writes the engine's state into its widgets
  // Columns without a stored width: they grow to fit the texts they show.
  std::vector<bool> m_fitToContent;
  int m_wheelRest = 0;

  QWidget* m_topStrip = nullptr;
  QToolButton* m_closeTop = nullptr;
  QTableWidget* m_grid = nullptr;
  QScrollBar* m_vScroll = nullptr;
  QWidget* m_bottom = nullptr;
  QLabel* m_sortLabel = nullptr;
  QComboBox* m_sortList = nullptr;
  QLabel* m_searchPicture = nullptr;
  TkxEdit* m_search = nullptr;
  QWidget* m_toolBar = nullptr;
  QToolButton* m_tools[6] = {};
  QToolButton* m_closeBottom = nullptr;
};

}  // namespace korv
