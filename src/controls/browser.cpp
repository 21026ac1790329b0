#include "controls/browser.h"

#include <algorithm>
#include <limits>
#include <new>

#include "common/cp1252.h"
#include "common/text.h"
#include "platform/platform.h"
#include "storage/engine.h"

namespace korv {
namespace {

constexpr std::string_view kListFailed = "Fehler beim Erstellen der Liste! (";
constexpr std::string_view kBadDriver = "ung\xFCltiger Treiber";
constexpr std::string_view kNoMemory = "Speicherallocierung fehlgeschlagen!";
constexpr std::string_view kCannotOpen = "Datenbank kann nicht ge\xF6""ffnet werden!";
constexpr std::string_view kInitFailed = "Fehler beim \xD6""ffnen der Datenbanken!";
constexpr std::string_view kDeleteQuestion = " L\xF6schen ";

// The steps of Browse as the failure text counts them ("FNr n").
enum BrowseStep { kStepFileBlock = 1, kStepRowBuffer = 2, kStepTouch = 3, kStepIndex = 4 };

BrowseResult BrowseFailed(int step, std::string_view cause) {
  BrowseResult r;
  r.ok = false;
  r.message = std::string(kListFailed) + "FNr " + std::to_string(step) + ")";
  r.cause = std::string(cause);
  return r;
}

// The first n bytes of a key (all of it when shorter).
std::string_view Head(const KeyString& key, std::size_t n) {
  return key.view().substr(0, std::min(n, key.size()));
}

bool BeginsWith(const KeyString& key, const KeyString& prefix) {
  return key.view().substr(0, prefix.size()) == prefix.view();
}

}  // namespace

TKBrowser::TKBrowser(Platform& platform) : platform_(platform) {}

bool TKBrowser::KeyInRange(const KeyString& key, const KeyString& lower, const KeyString& upper) {
  return KeyString::CompareKeys(Head(key, lower.size()), lower.view()) >= 0 &&
         KeyString::CompareKeys(Head(key, upper.size()), upper.view()) <= 0;
}

bool TKBrowser::BelowRange(const KeyString& key) const {
  return KeyString::CompareKeys(Head(key, lower_.size()), lower_.view()) < 0;
}

std::vector<std::string> TKBrowser::SplitColumns(std::string_view text, bool oem) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(';', start);
    const std::string_view part = text.substr(start, end == std::string_view::npos ? end : end - start);
    parts.push_back(oem ? DosToAnsi(part) : std::string(part));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

int DefaultColumnWidth(std::size_t characters, int xWidth, int screenWidth) {
  const int perChar = screenWidth == 640 ? xWidth - 1 : xWidth;
  return static_cast<int>(characters + 1) * perChar;
}

// ---------------------------------------------------------------------------
// Binding

BrowseResult TKBrowser::Browse(FileBlock* fileBlock, int indexNumber, const KeyString& lower,
                               const KeyString& upper) {
  Unbind();
  if (fileBlock == nullptr) return BrowseFailed(kStepFileBlock, kBadDriver);
  try {
    rows_.reserve(kBrowserMaxRows);
  } catch (const std::bad_alloc&) {
    return BrowseFailed(kStepRowBuffer, kNoMemory);
  }
  if (fileBlock->RecordCount() < 0) return BrowseFailed(kStepTouch, kCannotOpen);
  // An index the file does not have would be a programming error (fatal)
  // in every later step; refuse it here.
  if (indexNumber < 1 || indexNumber > fileBlock->IndexCount()) {
    return BrowseFailed(kStepIndex, {});
  }

  fileBlock_ = fileBlock;
  index_ = indexNumber;
  lower_ = lower;
  upper_ = upper;
  if (events_.OnInit_brDats && !events_.OnInit_brDats(*this)) {
    Unbind();
    BrowseResult r;
    r.ok = false;
    r.message = std::string(kInitFailed);
    return r;
  }

  if (events_.OnSetHeaderFooter) events_.OnSetHeaderFooter(*this);
  sortNames_.clear();
  if (events_.OnInitSortList) events_.OnInitSortList(*this);
  const int orders = static_cast<int>(sortNames_.size());
  sortEnabled_ = orders >= 2;
  sortVisible_ = orders >= 2;
  sortIndex_ = orders == 1 ? 0 : -1;
  NotifySortList();
  if (view_ != nullptr) view_->ResetView();

  FirstRow();
  return {};
}

void TKBrowser::Unbind() {
  fileBlock_ = nullptr;
  index_ = 0;
  lower_.clear();
  upper_.clear();
  rows_.clear();
  selected_ = 0;
  atStart_ = atEnd_ = true;
  NotifyRows();
}

// ---------------------------------------------------------------------------
// Raw steps through the index; false at the end of the index or the range.

bool TKBrowser::StepNext(BrowserEntry& entry) {
  RecordRef ref = entry.ref;
  KeyString key = entry.key;
  if (!fileBlock_->IndexNextRaw(index_, ref, key).ok() || !InRange(key)) return false;
  entry = {key, ref};
  return true;
}

bool TKBrowser::StepPrev(BrowserEntry& entry) {
  RecordRef ref = entry.ref;
  KeyString key = entry.key;
  if (!fileBlock_->IndexPrevRaw(index_, ref, key).ok() || !InRange(key)) return false;
  entry = {key, ref};
  return true;
}

bool TKBrowser::FirstEntry(BrowserEntry& entry) {
  RecordRef ref = 0;
  KeyString key = lower_;
  if (!fileBlock_->IndexSeekRaw(index_, ref, 1, key).ok() || !InRange(key)) return false;
  entry = {key, ref};
  return true;
}

bool TKBrowser::LastEntry(BrowserEntry& entry) {
  // Every key of the range sorts at or below upper followed by 0xFF bytes
  // (with the highest RecordRef among duplicates).
  KeyString key = upper_;
  while (key.size() < static_cast<std::size_t>(kMaxKeyLen)) key.AppendByte(0xFF);
  RecordRef ref = std::numeric_limits<RecordRef>::max();
  if (!fileBlock_->IndexSeekRaw(index_, ref, -1, key).ok() || !InRange(key)) return false;
  entry = {key, ref};
  return true;
}

// ---------------------------------------------------------------------------
// Filling the screen

// A row's record is read with few, short retries and without the questions
// of locks: a list must not ask once per visible row while another program
// holds a file.
Status TKBrowser::ReadRowRecord(RecordRef ref) {
  const int retries = fileBlock_->RetryCount();
  fileBlock_->SetRetryCount(kRowReadRetryCount);
  fileBlock_->SetQuietRetries(true);
  const Status st = fileBlock_->ReadRecordByRef(ref);
  fileBlock_->SetQuietRetries(false);
  // The fatal path of a failed read may have closed the file; the retry
  // count is a definition and survives that.
  fileBlock_->SetRetryCount(retries);
  return st;
}

void TKBrowser::LoadRow(BrowserRow& row) {
  row.text.clear();
  row.unreadable = !ReadRowRecord(row.entry.ref).ok();
  if (row.unreadable) {
    row.text = kUnreadableRow;
    return;
  }
  if (events_.OnBuildRow) events_.OnBuildRow(*this, row.text);
  if (row.text.size() > kBrowserMaxRowText) row.text.resize(kBrowserMaxRowText);
}

void TKBrowser::ClearRows() {
  rows_.clear();
  selected_ = 0;
  atStart_ = atEnd_ = true;
}

void TKBrowser::FillAround(const BrowserEntry& anchor, int anchorRow) {
  const auto wanted = static_cast<std::size_t>(visibleRows_);
  anchorRow = std::clamp(anchorRow, 1, visibleRows_);
  std::vector<BrowserEntry> before;  // nearest first
  std::vector<BrowserEntry> after{anchor};
  bool start = false;
  bool end = false;
  BrowserEntry e = anchor;
  while (before.size() + 1 < static_cast<std::size_t>(anchorRow)) {
    if (!StepPrev(e)) {
      start = true;
      break;
    }
    before.push_back(e);
  }
  e = anchor;
  while (before.size() + after.size() < wanted) {
    if (!StepNext(e)) {
      end = true;
      break;
    }
    after.push_back(e);
  }
  // Short of the end of the range: show more of what lies before.
  e = before.empty() ? anchor : before.back();
  while (!start && before.size() + after.size() < wanted) {
    if (!StepPrev(e)) {
      start = true;
      break;
    }
    before.push_back(e);
  }
  // One more raw step each way tells whether the rows reach the range ends.
  if (!end) {
    BrowserEntry peek = after.back();
    end = !StepNext(peek);
  }
  if (!start) {
    BrowserEntry peek = before.empty() ? anchor : before.back();
    start = !StepPrev(peek);
  }

  rows_.clear();
  for (auto it = before.rbegin(); it != before.rend(); ++it) rows_.push_back({*it, false, {}});
  for (const BrowserEntry& a : after) rows_.push_back({a, false, {}});
  for (BrowserRow& row : rows_) LoadRow(row);
  selected_ = static_cast<int>(before.size()) + 1;
  atStart_ = start;
  atEnd_ = end;
}

void TKBrowser::Locate(const BrowserEntry& entry, int anchorRow) {
  if (BelowRange(entry.key)) {
    FirstRow();
    return;
  }
  RecordRef ref = entry.ref;
  KeyString key = entry.key;
  if (!fileBlock_->IndexSeekRaw(index_, ref, 1, key).ok() || !InRange(key)) {
    LastRow();
    return;
  }
  FillAround({key, ref}, anchorRow);
  RowsMoved();
}

void TKBrowser::RowsMoved() {
  NotifyRows();
  if (events_.OnBrowScroll) events_.OnBrowScroll(*this);
}

void TKBrowser::NotifyRows() {
  if (view_ != nullptr) view_->RowsChanged();
}

void TKBrowser::NotifySortList() {
  if (view_ != nullptr) view_->SortListChanged();
}

void TKBrowser::Resize(int visibleRows) {
  visibleRows = std::clamp(visibleRows, 1, kBrowserMaxRows);
  const bool changed = visibleRows != visibleRows_;
  visibleRows_ = visibleRows;
  if (!Bound()) return;
  if (events_.OnSetHeaderFooter) events_.OnSetHeaderFooter(*this);
  if (!changed) return;
  if (rows_.empty()) {
    FirstRow();
  } else {
    Locate(rows_[static_cast<std::size_t>(selected_ - 1)].entry, selected_);
  }
}

void TKBrowser::SelectRow(int row) {
  if (rows_.empty()) return;
  selected_ = std::clamp(row, 1, static_cast<int>(rows_.size()));
  NotifyRows();
}

// ---------------------------------------------------------------------------
// Navigation

void TKBrowser::NextRow() {
  if (!Bound() || rows_.empty()) return;
  if (selected_ < static_cast<int>(rows_.size())) {
    ++selected_;
    NotifyRows();
    return;
  }
  BrowserEntry e = rows_.back().entry;
  if (!StepNext(e)) {
    atEnd_ = true;
    return;
  }
  if (static_cast<int>(rows_.size()) >= visibleRows_) {
    rows_.erase(rows_.begin());
    atStart_ = false;
  }
  rows_.push_back({e, false, {}});
  LoadRow(rows_.back());
  selected_ = static_cast<int>(rows_.size());
  BrowserEntry peek = e;
  atEnd_ = !StepNext(peek);
  RowsMoved();
}

void TKBrowser::PreviousRow() {
  if (!Bound() || rows_.empty()) return;
  if (selected_ > 1) {
    --selected_;
    NotifyRows();
    return;
  }
  BrowserEntry e = rows_.front().entry;
  if (!StepPrev(e)) {
    atStart_ = true;
    return;
  }
  if (static_cast<int>(rows_.size()) >= visibleRows_) {
    rows_.pop_back();
    atEnd_ = false;
  }
  rows_.insert(rows_.begin(), {e, false, {}});
  LoadRow(rows_.front());
  selected_ = 1;
  BrowserEntry peek = e;
  atStart_ = !StepPrev(peek);
  RowsMoved();
}

void TKBrowser::NextPage() {
  if (!Bound() || rows_.empty()) return;
  // The entry one screen below the selected one: `selected_` steps past the
  // last row, or the last entry of the range.
  BrowserEntry e = rows_.back().entry;
  BrowserEntry target = e;
  int steps = 0;
  while (steps < selected_ && StepNext(e)) {
    target = e;
    ++steps;
  }
  if (steps == 0) {
    atEnd_ = true;
    SelectRow(static_cast<int>(rows_.size()));
    return;
  }
  FillAround(target, selected_);
  RowsMoved();
}

void TKBrowser::PreviousPage() {
  if (!Bound() || rows_.empty()) return;
  BrowserEntry e = rows_.front().entry;
  BrowserEntry target = e;
  const int wanted = static_cast<int>(rows_.size()) - selected_ + 1;
  int steps = 0;
  while (steps < wanted && StepPrev(e)) {
    target = e;
    ++steps;
  }
  if (steps == 0) {
    atStart_ = true;
    SelectRow(1);
    return;
  }
  FillAround(target, selected_);
  RowsMoved();
}

void TKBrowser::FirstRow() {
  if (!Bound()) return;
  BrowserEntry e;
  if (FirstEntry(e)) {
    FillAround(e, 1);
  } else {
    ClearRows();
  }
  RowsMoved();
}

void TKBrowser::LastRow() {
  if (!Bound()) return;
  BrowserEntry e;
  if (LastEntry(e)) {
    FillAround(e, visibleRows_);
  } else {
    ClearRows();
  }
  RowsMoved();
}

void TKBrowser::RefreshRows() {
  if (!Bound()) return;
  if (rows_.empty()) {
    FirstRow();
    return;
  }
  Locate(rows_[static_cast<std::size_t>(selected_ - 1)].entry, selected_);
}

void TKBrowser::LocateKey(const KeyString& key, RecordRef ref) {
  if (!Bound()) return;
  Locate({key, ref}, 1);
}

bool TKBrowser::ReadSelectedRecord() {
  if (!Bound() || rows_.empty()) return false;
  if (!fileBlock_->ReadRecordByRef(rows_[static_cast<std::size_t>(selected_ - 1)].entry.ref).ok()) {
    platform_.Inform(kRecordNotReadable);
    return false;
  }
  return true;
}

void TKBrowser::ActivateSelected() {
  if (!ReadSelectedRecord()) return;
  if (events_.OnBrowEnter) events_.OnBrowEnter(*this);
}

void TKBrowser::DoubleClickRow(int row) {
  if (rows_.empty() || row < 1 || row > static_cast<int>(rows_.size())) return;
  SelectRow(row);
  if (!ReadSelectedRecord()) return;
  if (events_.OnBrowDoppelKlick) events_.OnBrowDoppelKlick(*this);
}

// ---------------------------------------------------------------------------
// Scroll bar

int TKBrowser::ScrollMax() {
  if (!Bound()) return 0;
  const std::int32_t count = fileBlock_->RecordCount();
  if (count <= 1) return 0;
  return count - 1 > kScrollExactLimit ? kScrollCoarseMax : count - 1;
}

int TKBrowser::ScrollPosition() {
  if (!Bound() || rows_.empty()) return 0;
  const int max = ScrollMax();
  if (max < 1) return 0;
  const BrowserEntry& e = rows_[static_cast<std::size_t>(selected_ - 1)].entry;
  int position = 0;
  if (!fileBlock_->KeyPosition(index_, e.ref, e.key, max, position).ok()) return 0;
  return position;
}

void TKBrowser::ScrollTo(int position) {
  if (!Bound()) return;
  const int max = ScrollMax();
  if (position <= 0 || max < 1) {
    FirstRow();
    return;
  }
  if (position >= max) {
    LastRow();
    return;
  }
  // KeyAtPosition is an estimate; halve the requested position towards the
  // thumb until the candidate's own estimate is as close as the entries
  // allow.
  int lo = 1;
  int hi = max - 1;
  int asked = position;
  BrowserEntry best;
  int bestDistance = -1;
  while (lo <= hi) {
    BrowserEntry candidate;
    if (!fileBlock_->KeyAtPosition(index_, asked, max, candidate.ref, candidate.key).ok()) break;
    int at = 0;
    if (candidate.ref != 0 &&
        !fileBlock_->KeyPosition(index_, candidate.ref, candidate.key, max, at).ok()) {
      break;
    }
    const int distance = at > position ? at - position : position - at;
    if (bestDistance < 0 || distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
    if (at == position) break;
    if (at < position) {
      lo = asked + 1;
    } else {
      hi = asked - 1;
    }
    asked = lo + (hi - lo) / 2;
  }
  if (bestDistance < 0 || best.ref == 0) {
    FirstRow();
    return;
  }
  Locate(best, 1);
}

// ---------------------------------------------------------------------------
// Quick search

void TKBrowser::QuickSearch(std::string_view text) {
  if (!Bound() || text.empty()) return;
  std::string search = UpperCaseAsciiUmlauts(text);
  if (events_.OnSuchFeld2KeyStr) events_.OnSuchFeld2KeyStr(*this, search);
  if (search.empty()) return;
  const KeyString key(search);
  Status st = fileBlock_->FindAtLeast(index_, key);
  if (st.ok()) {
    if (!BeginsWith(fileBlock_->BuildKey(index_), key) && !fileBlock_->MovePrevious(index_).ok()) {
      st = fileBlock_->FindAtLeast(index_, key);
    }
  } else if (st.code == err::kNothingAtOrAfter) {
    // Past every key: the entry just before where the text would be.
    st = fileBlock_->MoveLast(index_);
  }
  if (!st.ok() || fileBlock_->CurrentRef() < 1) return;
  Locate({fileBlock_->BuildKey(index_), fileBlock_->CurrentRef()}, 1);
}

// ---------------------------------------------------------------------------
// Header and sort list

void TKBrowser::SetHeader(std::string_view headerText, std::string_view orderCaption,
                          const ColumnIndexTable& first, const ColumnIndexTable& second) {
  header_ = std::string(headerText);
  orderCaption_ = std::string(orderCaption);
  firstColumns_ = first;
  secondColumns_ = second;
  if (view_ != nullptr) view_->HeaderChanged();
}

int TKBrowser::ColumnOrder(int column) const {
  if (column < 0 || column >= kBrowserColumnTableSize) return 0;
  const auto c = static_cast<std::size_t>(column);
  const int first = firstColumns_[c];
  const int second = secondColumns_[c];
  if (second != 0 && (first == 0 || (Bound() && first == index_))) return second;
  return first;
}

bool TKBrowser::HeaderClick(int column) {
  const int wanted = ColumnOrder(column);
  if (!Bound() || wanted == 0 || !events_.OnSortList2Key) return false;
  for (int position = 0; position < static_cast<int>(sortNames_.size()); ++position) {
    KeyString lower;
    KeyString upper;
    if (events_.OnSortList2Key(*this, position, lower, upper) == wanted) {
      return SelectOrder(position);
    }
  }
  return false;
}

void TKBrowser::ClearSortList() {
  sortNames_.clear();
  sortIndex_ = -1;
  NotifySortList();
}

void TKBrowser::AddSortName(std::string_view name) {
  sortNames_.emplace_back(name);
  NotifySortList();
}

void TKBrowser::SetSortlistItemIndex(int index) {
  sortIndex_ = index >= 0 && index < static_cast<int>(sortNames_.size()) ? index : -1;
  NotifySortList();
}

void TKBrowser::SetSortlistVisible(bool visible) {
  sortVisible_ = visible;
  NotifySortList();
}

void TKBrowser::SetSortlistEnabled(bool enabled) {
  sortEnabled_ = enabled;
  NotifySortList();
}

bool TKBrowser::SelectOrder(int position) {
  if (!Bound() || position < 0 || position >= static_cast<int>(sortNames_.size()) ||
      !events_.OnSortList2Key) {
    return false;
  }
  KeyString lower;
  KeyString upper;
  const int index = events_.OnSortList2Key(*this, position, lower, upper);
  sortIndex_ = position;
  NotifySortList();
  if (index == 0 || index == index_ || index > fileBlock_->IndexCount()) return false;

  // Keep the selected record in view: its key in the new order.
  BrowserEntry keep;
  if (!rows_.empty()) {
    const BrowserRow& row = rows_[static_cast<std::size_t>(selected_ - 1)];
    if (!row.unreadable && fileBlock_->ReadRecordByRef(row.entry.ref).ok()) {
      keep = {fileBlock_->BuildKey(index), row.entry.ref};
    }
  }
  index_ = index;
  lower_ = lower;
  upper_ = upper;
  if (keep.ref != 0) {
    Locate(keep, selected_);
  } else {
    FirstRow();
  }
  if (events_.OnSetHeaderFooter) events_.OnSetHeaderFooter(*this);
  if (view_ != nullptr) view_->ResetView();
  return true;
}

// ---------------------------------------------------------------------------
// Delete

bool TKBrowser::DeleteSelected() {
  if (!Bound() || rows_.empty()) return false;
  if (!ReadSelectedRecord()) return false;
  if (events_.OnBefore_Loesch && !events_.OnBefore_Loesch(*this)) return false;
  std::string name(kDefaultDeleteName);
  if (events_.OnLoesch_Feld) events_.OnLoesch_Feld(*this, name);
  if (!platform_.AskBeforeDestroying(std::string(kDeleteQuestion) + "\"" + name + "\"")) return false;

  const BrowserEntry gone = rows_[static_cast<std::size_t>(selected_ - 1)].entry;
  const int row = selected_;
  const bool deleted = events_.OnDatensatz_Loeschen
                           ? events_.OnDatensatz_Loeschen(*this)
                           : fileBlock_->RemoveRecord(RemoveMode::kNext).ok();
  // Refill from the deleted entry's place in this order and range, not from
  // whatever record the removal made current: that one follows the last
  // index the file was searched by and may lie outside the range, or there
  // may be none after the last record.
  Locate(gone, row);
  return deleted;
}

}  // namespace korv
