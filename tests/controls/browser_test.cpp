// The record browser's row engine over a real keyed file: which rows it
// shows for a range and an order, how it moves, searches, refreshes and
// deletes, its scroll-bar estimates, and that it reads only what it shows.
#include "controls/browser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "browse_file.h"
#include "platform/scripted_platform.h"
#include "storage/os_file.h"

namespace korv::testing {
namespace {

std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

// Remembers what the engine told its view.
class RecordingView : public TKBrowserView {
 public:
  void RowsChanged() override { ++rows; }
  void HeaderChanged() override { ++headers; }
  void SortListChanged() override { ++sortLists; }
  void ResetView() override { ++resets; }
  int rows = 0;
  int headers = 0;
  int sortLists = 0;
  int resets = 0;
};

class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(file.ok);
    browser.SetView(&view);
    browser.Events().OnBuildRow = [this](TKBrowser&, std::string& row) {
      ++reads;
      row = BrowseFile::RowText(file.block->Record());
    };
  }

  void Bind(int rows, int index, const KeyString& lower = {}, const KeyString& upper = {}) {
    browser.Resize(rows);
    const BrowseResult r = browser.Browse(file.block, index, lower, upper);
    ASSERT_TRUE(r.ok) << r.message;
  }

  std::vector<std::string> Shown() const {
    std::vector<std::string> texts;
    for (const BrowserRow& row : browser.Rows()) texts.push_back(row.text);
    return texts;
  }
  std::string Selected() const {
    if (browser.SelectedRow() == 0) return {};
    return browser.Rows()[static_cast<std::size_t>(browser.SelectedRow() - 1)].text;
  }
  // The model's rows in the order of `index`, those accepted by `keep`.
  std::vector<std::string> Expected(
      int index, const std::function<bool(const BrowseRecord&)>& keep = nullptr) const {
    std::vector<std::string> texts;
    for (const BrowseRecord& r : file.Sorted(index)) {
      if (!keep || keep(r)) texts.push_back(BrowseFile::RowText(r));
    }
    return texts;
  }
  static int IndexOf(const std::vector<std::string>& all, const std::string& text) {
    const auto it = std::find(all.begin(), all.end(), text);
    return it == all.end() ? -1 : static_cast<int>(it - all.begin());
  }
  // True when the rows on screen are consecutive entries of `all`.
  bool ShowsAWindowOf(const std::vector<std::string>& all) const {
    const std::vector<std::string> shown = Shown();
    if (shown.empty()) return all.empty();
    const int first = IndexOf(all, shown.front());
    if (first < 0 || first + shown.size() > all.size()) return false;
    return std::equal(shown.begin(), shown.end(), all.begin() + first);
  }

  BrowseFile file{TestName()};
  ScriptedPlatform platform;
  RecordingView view;
  TKBrowser browser{platform};
  int reads = 0;
};

TEST(BrowserKeys, RangeComparesTheLeadingBytesOfTheKey) {
  struct Case {
    const char* key;
    const char* lower;
    const char* upper;
    bool in;
  } cases[] = {
      {"3abc", "3", "3", true},  {"3", "3", "3", true},     {"4", "3", "3", false},
      {"2zz", "3", "3", false},  {"", "", "", true},        {"x", "", "", true},
      {"3", "30", "", false},    {"30", "30", "", true},    {"B7", "A", "B", true},
      {"C", "A", "B", false},    {"A", "A", "B", true},     {"\xFF", "", "\xFE", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TKBrowser::KeyInRange(KeyString(c.key), KeyString(c.lower), KeyString(c.upper)),
              c.in)
        << c.key << " in [" << c.lower << ", " << c.upper << "]";
  }
}

TEST(BrowserText, ColumnsAreSplitAtSemicolonsAndShownWithAnsiUmlauts) {
  struct Case {
    std::string text;
    std::vector<std::string> columns;
  } cases[] = {
      {"DL1ABC;12", {"DL1ABC", "12"}},
      {"", {""}},
      {"A;;B;", {"A", "", "B", ""}},
      {"\x84rger;\x94l;\x81", {"\xE4rger", "\xF6l", "\xFC"}},
  };
  for (const Case& c : cases) EXPECT_EQ(TKBrowser::SplitColumns(c.text), c.columns) << c.text;
}

TEST(BrowserText, DefaultColumnWidthCountsOneCharacterMore) {
  EXPECT_EQ(DefaultColumnWidth(5, 8, 1024), 6 * 8);
  EXPECT_EQ(DefaultColumnWidth(0, 8, 1024), 8);
  EXPECT_EQ(DefaultColumnWidth(5, 8, 640), 6 * 7);
}

TEST_F(BrowserTest, ShowsOnlyTheKeysOfTheRange) {
  ASSERT_TRUE(file.Fill(300, false));
  struct Case {
    const char* lower;
    const char* upper;
    std::function<bool(const BrowseRecord&)> keep;
  } cases[] = {
      {"B", "B", [](const BrowseRecord& r) { return r.group == 'B'; }},
      {"A", "B", [](const BrowseRecord& r) { return r.group <= 'B'; }},
      {"C", "", [](const BrowseRecord& r) { return r.group >= 'C'; }},
      {"", "A", [](const BrowseRecord& r) { return r.group == 'A'; }},
      {"", "", [](const BrowseRecord&) { return true; }},
      {"Z", "Z", [](const BrowseRecord&) { return false; }},
  };
  constexpr int kRows = 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("[") + c.lower + ", " + c.upper + "]");
    Bind(kRows, kByGroup, KeyString(c.lower), KeyString(c.upper));
    const std::vector<std::string> all = Expected(kByGroup, c.keep);
    const auto screen = std::min<std::size_t>(all.size(), kRows);
    EXPECT_EQ(Shown(), std::vector<std::string>(all.begin(), all.begin() + screen));
    EXPECT_EQ(browser.SelectedRow(), all.empty() ? 0 : 1);
    EXPECT_TRUE(browser.AtRangeStart());
    EXPECT_EQ(browser.AtRangeEnd(), all.size() <= kRows);

    browser.LastRow();
    EXPECT_EQ(Shown(), std::vector<std::string>(all.end() - screen, all.end()));
    EXPECT_EQ(Selected(), all.empty() ? "" : all.back());
    EXPECT_TRUE(browser.AtRangeEnd());
  }
}

TEST_F(BrowserTest, PagesThroughTheWholeRangeAndBack) {
  ASSERT_TRUE(file.Fill(300, false));
  constexpr int kRows = 12;
  Bind(kRows, kByCall);
  const std::vector<std::string> all = Expected(kByCall);
  browser.SelectRow(5);
  int at = IndexOf(all, Selected());
  ASSERT_EQ(at, 4);

  int pages = 0;
  for (;; ++pages) {
    ASSERT_LT(pages, 100);
    const int before = at;
    browser.NextPage();
    at = IndexOf(all, Selected());
    ASSERT_TRUE(ShowsAWindowOf(all));
    ASSERT_EQ(static_cast<int>(browser.Rows().size()), kRows);
    if (at == before) break;
    EXPECT_EQ(at, std::min(before + kRows, static_cast<int>(all.size()) - 1));
  }
  EXPECT_EQ(Selected(), all.back());
  EXPECT_TRUE(browser.AtRangeEnd());
  EXPECT_FALSE(browser.AtRangeStart());

  for (pages = 0;; ++pages) {
    ASSERT_LT(pages, 100);
    const int before = at;
    browser.PreviousPage();
    at = IndexOf(all, Selected());
    ASSERT_TRUE(ShowsAWindowOf(all));
    if (at == before) break;
    EXPECT_EQ(at, std::max(before - kRows, 0));
  }
  EXPECT_EQ(Selected(), all.front());
  EXPECT_TRUE(browser.AtRangeStart());
}

TEST_F(BrowserTest, SingleStepsScrollByOneRowAtTheEdgesOfTheScreen) {
  ASSERT_TRUE(file.Fill(50, false));
  constexpr int kRows = 10;
  Bind(kRows, kByNumber);
  const std::vector<std::string> all = Expected(kByNumber);

  browser.PreviousRow();  // at the start of the range: nothing moves
  EXPECT_EQ(Selected(), all[0]);

  reads = 0;
  for (int i = 1; i < kRows; ++i) browser.NextRow();
  EXPECT_EQ(Selected(), all[kRows - 1]);
  EXPECT_EQ(reads, 0) << "moving inside the screen reads nothing";

  browser.NextRow();
  EXPECT_EQ(Shown(), std::vector<std::string>(all.begin() + 1, all.begin() + kRows + 1));
  EXPECT_EQ(browser.SelectedRow(), kRows);
  EXPECT_EQ(reads, 1);

  for (int i = 1; i < kRows; ++i) browser.PreviousRow();
  browser.PreviousRow();
  EXPECT_EQ(Shown(), std::vector<std::string>(all.begin(), all.begin() + kRows));
  EXPECT_EQ(browser.SelectedRow(), 1);
  EXPECT_EQ(reads, 2);

  browser.LastRow();
  browser.NextRow();  // at the end of the range: nothing moves
  EXPECT_EQ(Selected(), all.back());
  EXPECT_EQ(browser.SelectedRow(), kRows);
  browser.FirstRow();
  EXPECT_EQ(Selected(), all.front());
}

TEST_F(BrowserTest, LocateKeySelectsTheEntryOrClipsToTheRange) {
  ASSERT_TRUE(file.Fill(90, false));
  Bind(8, kByGroup, KeyString("B"), KeyString("B"));
  const std::vector<std::string> inB =
      Expected(kByGroup, [](const BrowseRecord& r) { return r.group == 'B'; });
  const BrowseRecord middle = file.Sorted(kByGroup)[45];
  ASSERT_EQ(middle.group, 'B');
  KeyString middleKey("B");
  middleKey.AppendLong(middle.number);

  struct Case {
    KeyString key;
    std::string expected;
    int row;
  } cases[] = {
      {middleKey, BrowseFile::RowText(middle), 1},
      {KeyString("A"), inB.front(), 1},
      {KeyString("C"), inB.back(), 8},
      {KeyString("B"), inB.front(), 1},
  };
  for (const Case& c : cases) {
    browser.LocateKey(c.key, 0);
    EXPECT_EQ(Selected(), c.expected);
    EXPECT_EQ(browser.SelectedRow(), c.row);
    EXPECT_TRUE(ShowsAWindowOf(inB));
  }
}

TEST_F(BrowserTest, QuickSearchSelectsTheTextOrTheEntryBeforeIt) {
  ASSERT_TRUE(file.Fill(200, false));
  constexpr int kRows = 10;
  Bind(kRows, kByCall);
  const std::vector<BrowseRecord> byCall = file.Sorted(kByCall);
  const std::vector<std::string> all = Expected(kByCall);
  // The rule: the first call at or after the text; when it does not begin
  // with the text, the call before it (if any).
  auto expected = [&](const std::string& text) {
    auto it = std::lower_bound(byCall.begin(), byCall.end(), text,
                               [](const BrowseRecord& r, const std::string& t) {
                                 return CallKey(r.call).view() < t;
                               });
    if (it == byCall.end()) return BrowseFile::RowText(byCall.back());
    if (it->call.compare(0, text.size(), text) != 0 && it != byCall.begin()) --it;
    return BrowseFile::RowText(*it);
  };
  const std::string some = byCall[120].call;
  const std::string cases[] = {
      some,                                // a whole call
      some.substr(0, 4),                   // its beginning
      some + "Z",                          // between two calls
      "A",                                 // before every call
      "ZZ",                                // after every call
  };
  for (const std::string& text : cases) {
    std::string typed = text;
    std::transform(typed.begin(), typed.end(), typed.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    browser.QuickSearch(typed);
    EXPECT_EQ(Selected(), expected(text)) << typed;
    // On the top row, unless it is one of the last screenful.
    const int after = static_cast<int>(all.size()) - 1 - IndexOf(all, Selected());
    EXPECT_EQ(browser.SelectedRow(), std::max(1, kRows - after)) << typed;
  }

  const std::string before = Selected();
  browser.QuickSearch("");
  EXPECT_EQ(Selected(), before);
}

TEST_F(BrowserTest, QuickSearchTextReachesTheOwnerInCapitals) {
  ASSERT_TRUE(file.Fill(200, false));
  Bind(10, kByCall);
  std::vector<std::string> seen;
  browser.Events().OnSuchFeld2KeyStr = [&](TKBrowser&, std::string& text) {
    seen.push_back(text);
    text = "K00" + text;  // the owner completes the key
  };
  browser.QuickSearch("dl\xE4\xF6\xFC\xDF");
  browser.QuickSearch("1");
  EXPECT_EQ(seen, (std::vector<std::string>{"DL\xC4\xD6\xDC\xDF", "1"}));
  const std::vector<BrowseRecord> byCall = file.Sorted(kByCall);
  const auto it = std::find_if(byCall.begin(), byCall.end(),
                               [](const BrowseRecord& r) { return r.call >= "K001"; });
  ASSERT_NE(it, byCall.end());
  EXPECT_EQ(Selected(), BrowseFile::RowText(*it));
}

TEST_F(BrowserTest, RefreshShowsInsertedAndDeletedRecordsAroundTheSelection) {
  ASSERT_TRUE(file.Fill(60, false));
  Bind(10, kByCall);
  browser.NextPage();
  browser.SelectRow(4);
  const std::string selected = Selected();
  const std::string selectedCall = selected.substr(0, selected.find(';'));

  ASSERT_TRUE(file.Insert(selectedCall + "A", 'A'));
  browser.RefreshRows();
  EXPECT_EQ(Selected(), selected);
  EXPECT_EQ(browser.SelectedRow(), 4);
  EXPECT_TRUE(ShowsAWindowOf(Expected(kByCall)));
  EXPECT_EQ(browser.Rows()[4].text, BrowseFile::RowText(file.model.back()));

  // The selected record deleted elsewhere: the one after it takes its place.
  ASSERT_TRUE(file.Remove(std::stoi(selected.substr(selected.find(';') + 1))));
  browser.RefreshRows();
  EXPECT_EQ(Selected(), BrowseFile::RowText(file.model.back()));
  EXPECT_TRUE(ShowsAWindowOf(Expected(kByCall)));

  // The last record of the range deleted while selected: the new last one.
  browser.LastRow();
  const std::vector<std::string> all = Expected(kByCall);
  const BrowseRecord last = file.Sorted(kByCall).back();
  ASSERT_TRUE(file.Remove(last.number));
  browser.RefreshRows();
  EXPECT_EQ(Selected(), all[all.size() - 2]);
  EXPECT_TRUE(browser.AtRangeEnd());
}

TEST_F(BrowserTest, UnreadableRecordGetsItsOwnRowText) {
  ASSERT_TRUE(file.Fill(20, false));
  Bind(10, kByNumber);
  ASSERT_TRUE(file.Spoil(3));
  browser.RefreshRows();
  const std::vector<std::string> all = Expected(kByNumber);
  for (int i = 0; i < 10; ++i) {
    const BrowserRow& row = browser.Rows()[static_cast<std::size_t>(i)];
    EXPECT_EQ(row.unreadable, i == 2) << i;
    EXPECT_EQ(row.text, i == 2 ? std::string(kUnreadableRow) : all[static_cast<std::size_t>(i)]);
  }

  browser.SelectRow(3);
  EXPECT_FALSE(browser.ReadSelectedRecord());
  EXPECT_EQ(platform.TextsOf(ScriptedPlatform::Kind::kInform),
            std::vector<std::string>{std::string(kRecordNotReadable)});
  EXPECT_FALSE(browser.DeleteSelected());
  EXPECT_TRUE(platform.TextsOf(ScriptedPlatform::Kind::kQuestion).empty());

  browser.SelectRow(4);
  EXPECT_TRUE(browser.ReadSelectedRecord());
  EXPECT_EQ(BrowseFile::RowText(file.block->Record()), all[3]);
}

TEST_F(BrowserTest, ScrollBarEstimatesStayInRangeAndFollowTheOrder) {
  ASSERT_TRUE(file.Fill(300, false));
  Bind(10, kByCall);
  const int max = browser.ScrollMax();
  ASSERT_EQ(max, 299);
  const std::vector<std::string> all = Expected(kByCall);

  int last = -1;
  for (int i = 0; i < 40; ++i) {
    const int position = browser.ScrollPosition();
    EXPECT_GE(position, 0);
    EXPECT_LE(position, max);
    EXPECT_GE(position, last) << "at " << Selected();
    last = position;
    browser.NextPage();
  }

  browser.ScrollTo(0);
  EXPECT_EQ(Selected(), all.front());
  browser.ScrollTo(max);
  EXPECT_EQ(Selected(), all.back());

  int lastIndex = -1;
  for (int target = 15; target < max; target += 30) {
    browser.ScrollTo(target);
    const int at = IndexOf(all, Selected());
    EXPECT_GE(at, lastIndex) << "thumb " << target;
    lastIndex = at;
    EXPECT_NEAR(browser.ScrollPosition(), target, max / 20) << "thumb " << target;
    EXPECT_TRUE(ShowsAWindowOf(all));
  }
}

TEST(BrowserScale, ScrollBarCountsRecordsUpTo3000) {
  struct Case {
    int records;
    int max;
  } cases[] = {{0, 0}, {1, 0}, {300, 299}, {3001, 3000}, {3002, kScrollCoarseMax},
               {5000, kScrollCoarseMax}};
  for (const Case& c : cases) {
    BrowseFile file(TestName() + std::to_string(c.records));
    ASSERT_TRUE(file.ok);
    ASSERT_TRUE(file.Fill(c.records, true));
    ScriptedPlatform platform;
    TKBrowser browser(platform);
    browser.Resize(10);
    ASSERT_TRUE(browser.Browse(file.block, kByNumber, {}, {}).ok);
    EXPECT_EQ(browser.ScrollMax(), c.max) << c.records;
    browser.ScrollTo(c.max);
    EXPECT_LE(browser.ScrollPosition(), c.max);
  }
}

TEST_F(BrowserTest, DeleteAsksAndRemovesOnlyOnYes) {
  struct Case {
    const char* what;
    bool answer;
    bool allowed;
    const char* name;  // nullptr: no OnLoesch_Feld
    bool ownDelete;
    bool deleted;
    const char* question;  // nullptr: none asked
  } cases[] = {
      {"yes", true, true, nullptr, false, true, " L\xF6schen \"Datensatz\""},
      {"no", false, true, nullptr, false, false, " L\xF6schen \"Datensatz\""},
      {"refused", true, false, nullptr, false, false, nullptr},
      {"own name", true, true, "QSO", false, true, " L\xF6schen \"QSO\""},
      {"own delete", true, true, nullptr, true, true, " L\xF6schen \"Datensatz\""},
  };
  ASSERT_TRUE(file.Fill(40, false));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform.ClearRecord();
    int ownDeletes = 0;
    browser.Events().OnBefore_Loesch = [&](TKBrowser&) { return c.allowed; };
    browser.Events().OnLoesch_Feld = nullptr;
    if (c.name != nullptr) {
      browser.Events().OnLoesch_Feld = [&](TKBrowser&, std::string& name) { name = c.name; };
    }
    browser.Events().OnDatensatz_Loeschen = nullptr;
    if (c.ownDelete) {
      browser.Events().OnDatensatz_Loeschen = [&](TKBrowser&) {
        ++ownDeletes;
        return file.block->RemoveRecord(RemoveMode::kNone).ok();
      };
    }
    Bind(10, kByCall);
    browser.SelectRow(5);
    const std::vector<std::string> before = Expected(kByCall);
    const std::string victim = Selected();
    const std::int32_t number = std::stoi(victim.substr(victim.find(';') + 1));
    if (c.question != nullptr) platform.AnswerNextQuestion(c.answer);

    EXPECT_EQ(browser.DeleteSelected(), c.deleted);
    EXPECT_EQ(platform.TextsOf(ScriptedPlatform::Kind::kQuestion),
              c.question ? std::vector<std::string>{c.question} : std::vector<std::string>{});
    EXPECT_EQ(ownDeletes, c.ownDelete ? 1 : 0);
    const bool stillThere = file.block->FindExact(kByNumber, NumberKey(number)).ok();
    EXPECT_EQ(stillThere, !c.deleted);
    if (c.deleted) {
      std::erase_if(file.model, [&](const BrowseRecord& r) { return r.number == number; });
      EXPECT_EQ(Selected(), before[static_cast<std::size_t>(IndexOf(before, victim) + 1)]);
    } else {
      EXPECT_EQ(Selected(), victim);
    }
    EXPECT_TRUE(ShowsAWindowOf(Expected(kByCall)));
  }
}

TEST_F(BrowserTest, DeletingTheLastEntriesOfTheRangeMovesTheSelectionBack) {
  for (const char* call : {"DL1AA", "DL2BB", "DL3CC"}) ASSERT_TRUE(file.Insert(call, 'A'));
  ASSERT_TRUE(file.Insert("OK1XY", 'B'));  // outside the range
  Bind(10, kByGroup, KeyString("A"), KeyString("A"));
  const std::vector<std::string> inA =
      Expected(kByGroup, [](const BrowseRecord& r) { return r.group == 'A'; });

  browser.LastRow();
  platform.AnswerNextQuestion(true);
  ASSERT_TRUE(browser.DeleteSelected());
  EXPECT_EQ(Shown(), std::vector<std::string>(inA.begin(), inA.begin() + 2));
  EXPECT_EQ(Selected(), inA[1]);

  platform.AnswerNextQuestion(true);
  ASSERT_TRUE(browser.DeleteSelected());
  platform.AnswerNextQuestion(true);
  ASSERT_TRUE(browser.DeleteSelected());
  EXPECT_TRUE(browser.Rows().empty());
  EXPECT_EQ(browser.SelectedRow(), 0);
  EXPECT_FALSE(browser.DeleteSelected());
  EXPECT_EQ(file.block->RecordCount(), 1);
}

// Three orders: by number, by call, by group.
class OrderTest : public BrowserTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    ASSERT_TRUE(file.Fill(120, false));
    browser.Events().OnInitSortList = [](TKBrowser& b) {
      b.ClearSortList();
      for (const char* name : {"Nummer", "Call", "Gruppe"}) b.AddSortName(name);
    };
    browser.Events().OnSortList2Key = [this](TKBrowser&, int position, KeyString& lower,
                                             KeyString& upper) {
      ++mappings;
      lower.clear();
      upper.clear();
      return position + 1;
    };
    browser.Events().OnSetHeaderFooter = [this](TKBrowser& b) {
      ++headerCalls;
      ColumnIndexTable first{};
      ColumnIndexTable second{};
      first[0] = kByCall;
      first[1] = kByNumber;
      second[1] = kByGroup;  // a second click on "Nr" groups
      b.SetHeader("Call;Nr;Gr", "Sortierung", first, second);
    };
  }
  int mappings = 0;
  int headerCalls = 0;
};

TEST_F(OrderTest, ChoosingAnOrderKeepsTheSelectedRecordInView) {
  Bind(10, kByNumber);
  EXPECT_TRUE(browser.SortlistVisible());
  EXPECT_TRUE(browser.SortlistEnabled());
  EXPECT_EQ(browser.SortlistItemIndex(), -1);
  EXPECT_EQ(browser.HeaderColumns(), (std::vector<std::string>{"Call", "Nr", "Gr"}));

  browser.NextPage();
  browser.SelectRow(3);
  const std::string selected = Selected();
  const int headersBefore = headerCalls;
  const int resetsBefore = view.resets;

  ASSERT_TRUE(browser.SelectOrder(1));
  EXPECT_EQ(browser.CurrentIndexNumber(), kByCall);
  EXPECT_EQ(browser.SortlistItemIndex(), 1);
  EXPECT_EQ(Selected(), selected);
  EXPECT_EQ(browser.SelectedRow(), std::min(3, IndexOf(Expected(kByCall), selected) + 1));
  EXPECT_TRUE(ShowsAWindowOf(Expected(kByCall)));
  EXPECT_EQ(headerCalls, headersBefore + 1);
  EXPECT_EQ(view.resets, resetsBefore + 1);

  EXPECT_FALSE(browser.SelectOrder(1)) << "the current order again";
  EXPECT_EQ(view.resets, resetsBefore + 1);
  EXPECT_FALSE(browser.SelectOrder(7)) << "no such entry";

  browser.Events().OnSortList2Key = [](TKBrowser&, int, KeyString&, KeyString&) { return 0; };
  EXPECT_FALSE(browser.SelectOrder(2));
  EXPECT_EQ(browser.CurrentIndexNumber(), kByCall);
}

TEST_F(OrderTest, HeaderClickChoosesTheColumnsOrder) {
  Bind(10, kByGroup);
  const std::string selected = Selected();
  EXPECT_EQ(browser.ColumnOrder(2), 0);
  EXPECT_FALSE(browser.HeaderClick(2));

  ASSERT_TRUE(browser.HeaderClick(0));
  EXPECT_EQ(browser.CurrentIndexNumber(), kByCall);
  EXPECT_EQ(browser.SortlistItemIndex(), 1);
  EXPECT_EQ(Selected(), selected);

  ASSERT_TRUE(browser.HeaderClick(1));
  EXPECT_EQ(browser.CurrentIndexNumber(), kByNumber);
  ASSERT_TRUE(browser.HeaderClick(1));  // the same column again: its second order
  EXPECT_EQ(browser.CurrentIndexNumber(), kByGroup);
  EXPECT_EQ(browser.SortlistItemIndex(), 2);
  EXPECT_TRUE(ShowsAWindowOf(Expected(kByGroup)));
}

TEST_F(BrowserTest, SortListWithOneOrderIsDisabledAndSelected) {
  ASSERT_TRUE(file.Fill(5, false));
  struct Case {
    int orders;
    bool enabled;
    int item;
  } cases[] = {{0, false, -1}, {1, false, 0}, {2, true, -1}};
  for (const Case& c : cases) {
    browser.Events().OnInitSortList = [&](TKBrowser& b) {
      b.ClearSortList();
      for (int i = 0; i < c.orders; ++i) b.AddSortName("Order " + std::to_string(i));
    };
    Bind(5, kByNumber);
    EXPECT_EQ(browser.SortlistEnabled(), c.enabled) << c.orders;
    EXPECT_EQ(browser.SortlistVisible(), c.enabled) << c.orders;
    EXPECT_EQ(browser.SortlistItemIndex(), c.item) << c.orders;
  }
}

TEST_F(BrowserTest, BrowseFailuresAreReportedAndLeaveTheBrowserUnbound) {
  ASSERT_TRUE(file.Fill(5, false));
  browser.Resize(5);
  const BrowseResult noFile = browser.Browse(nullptr, 1, {}, {});
  EXPECT_FALSE(noFile.ok);
  EXPECT_EQ(noFile.message, "Fehler beim Erstellen der Liste! (FNr 1)");
  EXPECT_EQ(noFile.cause, "ung\xFCltiger Treiber");

  const BrowseResult badIndex = browser.Browse(file.block, 9, {}, {});
  EXPECT_FALSE(badIndex.ok);
  EXPECT_EQ(badIndex.message, "Fehler beim Erstellen der Liste! (FNr 4)");
  EXPECT_TRUE(file.fatal.codes.empty());

  browser.Events().OnInit_brDats = [](TKBrowser&) { return false; };
  const BrowseResult refused = browser.Browse(file.block, 1, {}, {});
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message, "Fehler beim \xD6""ffnen der Datenbanken!");

  EXPECT_FALSE(browser.Bound());
  EXPECT_EQ(browser.CurrentIndexNumber(), 0);
  browser.NextRow();
  browser.NextPage();
  browser.LastRow();
  browser.ScrollTo(3);
  browser.QuickSearch("K");
  browser.RefreshRows();
  EXPECT_TRUE(browser.Rows().empty());
  EXPECT_FALSE(browser.ReadSelectedRecord());
  EXPECT_FALSE(browser.DeleteSelected());
  EXPECT_TRUE(platform.ShownTexts().empty());
}

TEST_F(BrowserTest, ResizeKeepsTheSelectedRecord) {
  ASSERT_TRUE(file.Fill(80, false));
  int headerCalls = 0;
  browser.Events().OnSetHeaderFooter = [&](TKBrowser&) { ++headerCalls; };
  Bind(10, kByCall);
  browser.NextPage();
  browser.SelectRow(7);
  const std::string selected = Selected();
  const std::vector<std::string> all = Expected(kByCall);
  for (int rows : {4, 25, 25, 1}) {
    const int before = headerCalls;
    browser.Resize(rows);
    EXPECT_EQ(headerCalls, before + 1);
    EXPECT_EQ(Selected(), selected) << rows;
    EXPECT_EQ(static_cast<int>(browser.Rows().size()), rows);
    EXPECT_TRUE(ShowsAWindowOf(all));
  }
}

// While another program holds the data file, a list's rows are read with
// six short retries each and no question; a read outside the list asks.
TEST_F(BrowserTest, RowReadsOfALockedFileRetryBrieflyAndAskNothing) {
  ASSERT_TRUE(file.Fill(10, false));
  Bind(4, kByNumber);
  ASSERT_TRUE(file.retryQuestions.empty());
  bool locked = true;
  OsFile::SetReadFaultHook([&](const std::filesystem::path& path, std::uint64_t offset) {
    // The data file's records, not its header or the index file.
    return locked && path.extension() == ".DAT" && offset >= kBrowseRecLen ? EAGAIN : 0;
  });
  file.waits.clear();
  browser.RefreshRows();
  locked = false;
  EXPECT_TRUE(file.retryQuestions.empty());
  ASSERT_FALSE(browser.Rows().empty());
  for (const BrowserRow& row : browser.Rows()) EXPECT_EQ(row.text, kUnreadableRow);
  ASSERT_FALSE(file.waits.empty());
  EXPECT_EQ(file.waits.size(), browser.Rows().size() * static_cast<std::size_t>(kRowReadRetryCount));
  for (int wait : file.waits) EXPECT_LE(wait, 3 * kQuietRetryDelay);
  EXPECT_EQ(file.block->RetryCount(), 32);

  // The same lock met by an ordinary read: its retries, then the question.
  locked = true;
  file.waits.clear();
  EXPECT_EQ(file.block->ReadRecordByRef(1).level(), 2);
  locked = false;
  OsFile::SetReadFaultHook({});
  EXPECT_EQ(file.retryQuestions,
            std::vector<std::string>{"BROWSE:  Record oder Datei gelockt. Noch einmal versuchen? "});
  EXPECT_EQ(file.waits.size(), 32u);
  EXPECT_GT(*std::max_element(file.waits.begin(), file.waits.end()), 3 * kQuietRetryDelay);
  browser.RefreshRows();
  EXPECT_EQ(browser.Rows().front().text.find(kUnreadableRow), std::string::npos);
}

TEST(BrowserCost, MovesOnALargeFileReadAboutOneScreen) {
  BrowseFile file(TestName());
  ASSERT_TRUE(file.ok);
  constexpr int kRecords = 100000;
  ASSERT_TRUE(file.Fill(kRecords, true));
  ScriptedPlatform platform;
  TKBrowser browser(platform);
  int reads = 0;
  browser.Events().OnBuildRow = [&](TKBrowser&, std::string& row) {
    ++reads;
    row = BrowseFile::RowText(file.block->Record());
  };
  constexpr int kRows = 25;
  browser.Resize(kRows);
  ASSERT_TRUE(browser.Browse(file.block, kByCall, {}, {}).ok);

  const std::vector<std::pair<const char*, std::function<void()>>> moves = {
      {"next page", [&] { browser.NextPage(); }},
      {"next page", [&] { browser.NextPage(); }},
      {"previous page", [&] { browser.PreviousPage(); }},
      {"last", [&] { browser.LastRow(); }},
      {"previous page", [&] { browser.PreviousPage(); }},
      {"thumb", [&] { browser.ScrollTo(browser.ScrollMax() / 2); }},
      {"next row", [&] { browser.NextRow(); }},
      {"locate", [&] { browser.LocateKey(CallKey("K5"), 0); }},
      {"quick search", [&] { browser.QuickSearch("K7"); }},
      {"refresh", [&] { browser.RefreshRows(); }},
      {"first", [&] { browser.FirstRow(); }},
  };
  for (const auto& [what, move] : moves) {
    reads = 0;
    move();
    EXPECT_LE(reads, kRows) << what;
    EXPECT_EQ(static_cast<int>(browser.Rows().size()), kRows) << what;
  }
  EXPECT_EQ(browser.ScrollMax(), kScrollCoarseMax);

  // On the coarse scale the thumb still finds entries in their order, spread
  // over the whole file.
  std::vector<std::string> byCall;
  for (const BrowseRecord& r : file.Sorted(kByCall)) byCall.push_back(r.call);
  auto ordinal = [&] {
    const std::string& row = browser.Rows()[static_cast<std::size_t>(browser.SelectedRow() - 1)].text;
    const std::string call = row.substr(0, row.find(';'));
    return std::lower_bound(byCall.begin(), byCall.end(), call) - byCall.begin();
  };
  long last = -1;
  for (int thumb = 10; thumb < kScrollCoarseMax; thumb += 20) {
    browser.ScrollTo(thumb);
    const long at = ordinal();
    EXPECT_GT(at, last) << "thumb " << thumb;
    EXPECT_NEAR(static_cast<double>(at) / kRecords, static_cast<double>(thumb) / kScrollCoarseMax,
                0.05)
        << "thumb " << thumb;
    last = at;
  }
}

}  // namespace
}  // namespace korv::testing
