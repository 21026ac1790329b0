// TKBrowser: the row engine of the record browser (the list component
// TkxBrow in controls/ui/kx_brow.h draws it).
//
// It shows the records of one FileBlock in the order of one of its indexes,
// restricted to a key range, one screen at a time. It never knows the record
// layout: the owner formats each row (OnBuildRow), supplies the column titles
// (OnSetHeaderFooter -> SetHeader), the orders (OnInitSortList ->
// ClearSortList/AddSortName) and maps an order to an index and key range
// (OnSortList2Key).
//
// Cost: the engine keeps only the rows of the screen. It moves through the
// index with the raw cursor steps (no record reads) and reads only the
// records of rows it shows, so paging a 100000-record file costs what paging
// a 100-record file costs. The scroll bar is estimated from the B-tree
// (KeyPosition / KeyAtPosition), never by counting.
//
// Key range: a key belongs to the range when its first size(lower) bytes
// are not smaller than `lower` and its first size(upper) bytes are not
// greater than `upper`. Equal bounds ("3", "3") select exactly the keys with
// that prefix; empty bounds leave that side open.
//
// How a window plugs in:
//   TkxBrow* brow = ...;                       // or a TKBrowser for tests
//   brow->Events().OnBuildRow = [&](TKBrowser&, std::string& row) {
//     row = Call(file->Record()) + ";" + ...;   // record is in the buffer
//   };
//   brow->Events().OnSetHeaderFooter = [&](TKBrowser& b) {
//     b.SetHeader("Call;Nr", "nach Call", columns, {});
//   };
//   brow->Events().OnInitSortList = [&](TKBrowser& b) {
//     b.ClearSortList(); b.AddSortName("Call"); b.AddSortName("Nr");
//   };
//   brow->Events().OnSortList2Key = [&](TKBrowser&, int pos, KeyString& lo,
//                                       KeyString& hi) { ...; return index; };
//   BrowseResult r = brow->Browse(file, 2, KeyString("3"), KeyString("3"));
//   if (!r.ok) platform.ShowError(r.message);
// After the window changed the file itself (insert, update), it calls
// RefreshRows() or LocateKey() to show the change.
//
// Single-threaded; every call runs on the user-interface thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/errors.h"
#include "storage/file_block.h"
#include "storage/key.h"

namespace korv {

class Platform;
class StorageEngine;
class TKBrowser;

inline constexpr int kBrowserMaxRows = 100;         // rows of one screen
inline constexpr std::size_t kBrowserMaxRowText = 255;
inline constexpr int kBrowserColumnTableSize = 50;  // grid columns with an order
// The scroll bar counts records up to this many; above it the bar has the
// fixed scale kScrollCoarseMax, estimated from the index.
inline constexpr int kScrollExactLimit = 3000;
inline constexpr int kScrollCoarseMax = 247;
// While a row's record is read, retries are fewer and shorter.
inline constexpr int kRowReadRetryCount = 6;

inline constexpr std::string_view kUnreadableRow = " ***** Datensatz nicht lesbar *****";
inline constexpr std::string_view kRecordNotReadable = "Datensatz konnte nicht gelesen werden";
inline constexpr std::string_view kDefaultDeleteName = "Datensatz";

// Grid column (0-based) -> IndexNumber whose order a click on the column's
// title chooses; 0 = the column is not sortable.
using ColumnIndexTable = std::array<std::uint8_t, kBrowserColumnTableSize>;

// One entry of the index: what a row is positioned on.
struct BrowserEntry {
  KeyString key;
  RecordRef ref = 0;
};

// One row of the screen.
struct BrowserRow {
  BrowserEntry entry;
  bool unreadable = false;  // its record could not be read; text is kUnreadableRow
  std::string text;         // columns separated by ";", at most kBrowserMaxRowText bytes
};

// The owner's events. Every event receives the browser ("Sender"). An
// unassigned event does nothing, or the default named at it.
struct TKBrowserEvents {
  // A row is (re)filled; its record is in the FileBlock's record buffer.
  // Write the row text, columns separated by ";". May look at
  // CurrentIndexNumber() to choose the column order.
  std::function<void(TKBrowser&, std::string& rowText)> OnBuildRow;
  // After Browse, after each resize and after each change of order: call
  // SetHeader.
  std::function<void(TKBrowser&)> OnSetHeaderFooter;
  // Once in Browse: call ClearSortList and AddSortName for each order.
  std::function<void(TKBrowser&)> OnInitSortList;
  // An order was chosen (sort-list position, 0-based): fill the new range
  // and return its IndexNumber (0 = keep the current order).
  std::function<int(TKBrowser&, int position, KeyString& lower, KeyString& upper)>
      OnSortList2Key;
  // Double click on a row; the row's record is in the record buffer.
  std::function<void(TKBrowser&)> OnBrowDoppelKlick;
  // Enter in the grid or the quick-search field; the selected row's record
  // is in the record buffer.
  std::function<void(TKBrowser&)> OnBrowEnter;
  // Deletes the record in the record buffer after the confirmation; returns
  // success. Unassigned: RemoveRecord(RemoveMode::kNext).
  std::function<bool(TKBrowser&)> OnDatensatz_Loeschen;
  // Width in pixels of a grid column (1-based) when the header is laid
  // out; 0 = the default width.
  std::function<int(TKBrowser&, int column)> OnBrowColWidths;
  // Before the delete confirmation: whether deletion is allowed (default yes).
  std::function<bool(TKBrowser&)> OnBefore_Loesch;
  // May replace the object name of the delete confirmation ("Datensatz").
  std::function<void(TKBrowser&, std::string& name)> OnLoesch_Feld;
  // May turn the quick-search text (already in capitals) into the key.
  std::function<void(TKBrowser&, std::string& text)> OnSuchFeld2KeyStr;
  // Not used by this program's windows; without a handler nothing happens.
  std::function<void(TKBrowser&)> OnBrowCloseBtnKlick;  // a close button
  std::function<void(TKBrowser&)> OnBrowScroll;          // the rows moved
  // Enter in the quick-search field, before OnBrowEnter. While assigned, that
  // Enter leaves the quick-search text in place.
  std::function<void(TKBrowser&)> OnBrowSuchfeldEnter;
  // In Browse, before anything is shown: false stops with
  // "Fehler beim Öffnen der Datenbanken!".
  std::function<bool(TKBrowser&)> OnInit_brDats;
};

// What draws the engine (TkxBrow). Each call says what changed; the view
// reads the new state from the engine.
class TKBrowserView {
 public:
  virtual ~TKBrowserView() = default;
  virtual void RowsChanged() = 0;      // rows, selection or scroll position
  virtual void HeaderChanged() = 0;    // SetHeader was called
  virtual void SortListChanged() = 0;  // entries, selection, visibility, enabling
  // Browse or a change of order: the quick-search field is cleared and the
  // view returns to the first column.
  virtual void ResetView() = 0;
};

// Result of Browse. On failure `message` is the text for the user (the
// caller shows it, e.g. with Platform::ShowError) and `cause` the detail of
// the failing step, when it has one.
struct [[nodiscard]] BrowseResult {
  bool ok = true;
  std::string message;
  std::string cause;
};

class TKBrowser {
 public:
  // REQUIRES: platform outlives the browser (delete confirmation, notices).
  explicit TKBrowser(Platform& platform);
  TKBrowser(const TKBrowser&) = delete;
  TKBrowser& operator=(const TKBrowser&) = delete;

  TKBrowserEvents& Events() { return events_; }
  // REQUIRES: view outlives the browser or is reset to nullptr first.
  void SetView(TKBrowserView* view) { view_ = view; }

  // ---- Binding ----

  // Binds the browser to the FileBlock, index and range and shows the first
  // screen of the range: OnInit_brDats, OnSetHeaderFooter, OnInitSortList
  // (fewer than 2 orders: the sort list is disabled; exactly 1: selected;
  // more than 1: shown with no entry selected), then the first rows. A
  // failure leaves the browser unbound.
  // REQUIRES: fileBlock outlives the binding (until the next Browse/Unbind).
  BrowseResult Browse(FileBlock* fileBlock, int indexNumber, const KeyString& lower,
                      const KeyString& upper);
  void Unbind();
  bool Bound() const { return fileBlock_ != nullptr; }
  FileBlock* BoundFileBlock() const { return fileBlock_; }
  // 0 when not bound.
  int CurrentIndexNumber() const { return Bound() ? index_ : 0; }
  const KeyString& LowerKey() const { return lower_; }
  const KeyString& UpperKey() const { return upper_; }

  // ---- The screen ----

  // The rows that fit the grid (clamped to 1..kBrowserMaxRows). When bound:
  // OnSetHeaderFooter runs and, when the number changed, the screen is
  // filled again around the selected row.
  void Resize(int visibleRows);
  int VisibleRows() const { return visibleRows_; }
  // The rows in use: at most VisibleRows(), fewer when the range is short.
  const std::vector<BrowserRow>& Rows() const { return rows_; }
  // 1-based; 0 when there are no rows.
  int SelectedRow() const { return selected_; }
  // Whether the rows reach the first / last entry of the range.
  bool AtRangeStart() const { return atStart_; }
  bool AtRangeEnd() const { return atEnd_; }
  // A click on a row (clamped to the rows in use).
  void SelectRow(int row);

  // ---- Navigation (without a binding each does nothing) ----

  // Next / previous row; at the last / first row of the screen the rows
  // scroll by one (one record read).
  void NextRow();
  void PreviousRow();
  // One screen on / back; the selection keeps its place on the screen and
  // stops at the last / first entry of the range.
  void NextPage();
  void PreviousPage();
  // First / last entry of the range.
  void FirstRow();
  void LastRow();
  // Reads the rows of the screen again from the index, keeping the selected
  // record where it still exists (else the entry after it, else the last).
  void RefreshRows();
  // Fills the screen so that the first entry at or after (key, ref) in the
  // range is selected (the first entry of the range when (key, ref) lies
  // before it; the last when after it). It is shown on the top row unless it
  // is one of the last screenful, which always fills the screen.
  void LocateKey(const KeyString& key, RecordRef ref);

  // Reads the selected row's record into the record buffer. On failure
  // shows "Datensatz konnte nicht gelesen werden" and returns false; false
  // without a notice when there is no row.
  bool ReadSelectedRecord();
  // Enter: ReadSelectedRecord, then OnBrowEnter.
  void ActivateSelected();
  // Double click on a row: selects it, ReadSelectedRecord, OnBrowDoppelKlick.
  void DoubleClickRow(int row);

  // ---- Scroll bar ----

  // RecordCount() - 1 of the FileBlock, kScrollCoarseMax when that exceeds
  // kScrollExactLimit; 0 when not bound or empty.
  int ScrollMax();
  // KeyPosition of the selected entry on the scale ScrollMax().
  int ScrollPosition();
  // The thumb was moved: 0 shows the first entry of the range, ScrollMax()
  // the last; in between the entry whose estimated position is closest to
  // `position` becomes the top row.
  void ScrollTo(int position);

  // ---- Quick search ----

  // The field changed: capitals (a-z, ä ö ü), OnSuchFeld2KeyStr, then the
  // first record at or after the key; when its key does not begin with the
  // search key, the record before it (the record where the text would be).
  // An empty text does nothing.
  void QuickSearch(std::string_view text);

  // ---- Header ----

  // Column titles separated by ";", the caption of the order, and the two
  // column tables: a click on column c chooses order first[c]; when that is
  // already the current order (or 0), second[c] (e.g. descending) if set.
  void SetHeader(std::string_view headerText, std::string_view orderCaption,
                 const ColumnIndexTable& first, const ColumnIndexTable& second);
  const std::string& HeaderText() const { return header_; }
  const std::string& OrderCaption() const { return orderCaption_; }
  // The header split into columns, ready for display.
  std::vector<std::string> HeaderColumns() const { return SplitColumns(header_, oemRows_); }
  // The IndexNumber a click on the 0-based column would choose; 0 = none.
  int ColumnOrder(int column) const;
  // A click on a column title: selects the sort-list entry whose
  // OnSortList2Key result is ColumnOrder(column). True when the order changed.
  bool HeaderClick(int column);

  // ---- Sort list ----

  void ClearSortList();
  void AddSortName(std::string_view name);
  const std::vector<std::string>& SortNames() const { return sortNames_; }
  // Selected entry (0-based), -1 = none. Setting it does not change the order.
  int SortlistItemIndex() const { return sortIndex_; }
  void SetSortlistItemIndex(int index);
  bool SortlistVisible() const { return sortVisible_; }
  void SetSortlistVisible(bool visible);
  bool SortlistEnabled() const { return sortEnabled_; }
  void SetSortlistEnabled(bool enabled);
  // The user chose entry `position`: OnSortList2Key gives the index and
  // range; when that is 0 or the current index nothing else happens.
  // Otherwise the selected record is kept in view in the new order, the
  // header is laid out again and the view reset. True when the order changed.
  bool SelectOrder(int position);

  // ---- Delete ----

  // The selected record: ReadSelectedRecord, OnBefore_Loesch, the question
  // " Löschen "<name>"" (Yes/No), OnDatensatz_Loeschen or RemoveRecord, then
  // the screen is filled from the entry after the deleted one (the one
  // before when it was the last of the range). True when deleted.
  bool DeleteSelected();

  // ---- Helpers ----

  static bool KeyInRange(const KeyString& key, const KeyString& lower, const KeyString& upper);
  // A row or header text split at ";", each part converted from the DOS
  // code page of older records (umlauts) for display unless oem is false
  // (rows built from texts that are Windows-1252 already).
  static std::vector<std::string> SplitColumns(std::string_view text, bool oem = true);
  // Whether the rows come from records in the DOS code page (default yes).
  void SetRowsInOemCodePage(bool oem) { oemRows_ = oem; }
  bool RowsInOemCodePage() const { return oemRows_; }

 private:
  bool InRange(const KeyString& key) const { return KeyInRange(key, lower_, upper_); }
  bool BelowRange(const KeyString& key) const;
  bool StepNext(BrowserEntry& entry);
  bool StepPrev(BrowserEntry& entry);
  bool FirstEntry(BrowserEntry& entry);
  bool LastEntry(BrowserEntry& entry);
  // Fills the screen with `anchor` on row anchorRow where the range allows.
  void FillAround(const BrowserEntry& anchor, int anchorRow);
  // Seeks (entry) or the next greater one and fills around it, clipped to
  // the range.
  void Locate(const BrowserEntry& entry, int anchorRow);
  void ClearRows();
  void LoadRow(BrowserRow& row);
  Status ReadRowRecord(RecordRef ref);
  void RowsMoved();
  void NotifyRows();
  void NotifySortList();

  Platform& platform_;
  TKBrowserEvents events_;
  TKBrowserView* view_ = nullptr;
  bool oemRows_ = true;

  FileBlock* fileBlock_ = nullptr;
  int index_ = 0;
  KeyString lower_;
  KeyString upper_;

  int visibleRows_ = 1;
  std::vector<BrowserRow> rows_;
  int selected_ = 0;
  bool atStart_ = true;
  bool atEnd_ = true;

  std::string header_;
  std::string orderCaption_;
  ColumnIndexTable firstColumns_{};
  ColumnIndexTable secondColumns_{};

  std::vector<std::string> sortNames_;
  int sortIndex_ = -1;
  bool sortVisible_ = false;
  bool sortEnabled_ = false;
};

// Default width of a grid column: (characters + 1) x the width of "X", one
// pixel less per character on a 640-pixel-wide screen.
int DefaultColumnWidth(std::size_t characters, int xWidth, int screenWidth);

}  // namespace korv
