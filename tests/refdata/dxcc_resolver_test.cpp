// Resolution over a small prefix table built here: one fixture, one table of
// entries that exercises every branch (exceptions, ranges, wildcards,
// validity, periods, references, nesting, designators, the choice).
#include "refdata/dxcc_resolver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "prefix_fixture.h"

namespace korv::testing {
namespace {

DayNumber D(int y, int m, int d) {
  return DayNumberFromCivil({y, m, d});
}

const DayNumber kToday = D(2024, 6, 1);

class ScriptedChooser : public PrefixChooser {
 public:
  std::optional<std::size_t> ChoosePrefix(const PrefixChoiceRequest& r) override {
    ++calls;
    dxcc.clear();
    for (const PrefixRecord& c : r.candidates) dxcc.push_back(c.dxccPrefix());
    call = r.call;
    date = r.qsoDate;
    forQso = r.forQso;
    return answer;
  }
  std::optional<std::size_t> answer;
  int calls = 0;
  std::vector<std::string> dxcc;
  std::string call;
  DayNumber date = kNoDate;
  bool forQso = false;
};

struct Outcome {
  int result = -1;
  std::string dxcc;    // DXCC prefix of the record left in the buffer
  std::string prefix;  // the (completed) prefix text of that record
  bool choiceOffered = false;
};

class ResolverTest : public PrefixFilesTest {
 protected:
  void SetUp() override {
    PrefixFilesTest::SetUp();
    FileBlock* p = files.prefix;
    Add(p, Country("DA", "DL", 230), [](PrefixRecord& r) { r.SetRangeEnd('R'); });
    Add(p, Country("SV", "SV", 236));
    Add(p, Country("SV/A", "SV/A", 180));
    Add(p, Country("EA", "EA", 281));
    Add(p, Country("EA8", "EA8", 29, "AF"));
    Add(p, Country("9M2", "9M2", 299, "AS"));
    Add(p, Country("9M6", "9M6", 46, "OC"));
    Add(p, Country("K#", "K", 291, "NA"));
    Add(p, Country("KH6", "KH6", 110, "OC"));
    Add(p, Country("VP2?", "VP2", 12, "NA"));
    Add(p, Country("OH", "OH", 224));
    Add(p, Country("OH0~", "OH0", 5));
    Add(p, Country("UA1", "UA", 54), [](PrefixRecord& r) { r.SetRangeEnd('7'); });
    Add(p, Country("UA9", "UA9", 15, "AS"));
    Add(p, Country("RA1", "UA", 54), [](PrefixRecord& r) { r.SetRangeEnd('7'); });
    Add(p, Country("RA9", "UA9", 15, "AS"));
    Add(p, Country("RK", "RK", 0), [](PrefixRecord& r) {
      r.SetFirstPeriodDate(D(2100, 1, 1));
      r.SetFirstPeriodPrefix("RA");
    });
    Add(p, Country("Y2", "DM", 229), [](PrefixRecord& r) { r.SetValidUntil(D(1990, 10, 2)); });
    Add(p, Country("Z6", "Z6", 522), [](PrefixRecord& r) { r.SetValidFrom(D(2018, 1, 21)); });
    Add(p, Country("E7", "E7", 501), [](PrefixRecord& r) {
      r.SetFirstPeriodDate(D(1995, 12, 31));
      r.SetFirstPeriodPrefix("YU");
    });
    Add(p, Country("YU", "YU", 296));
    Add(p, Country("4W", "4W", 511, "OC"), [](PrefixRecord& r) {
      r.SetSecondPeriodDate(D(2002, 5, 19));
      r.SetSecondPeriodPrefix("YB");
    });
    Add(p, Country("YB", "YB", 327, "OC"));
    Add(p, Country("AX", "AX", 0, "OC"), [](PrefixRecord& r) { r.SetReferencePrefix("VK"); });
    Add(p, Country("VK", "VK", 150, "OC"));
    // A chain of references: QA -> QB -> QC -> QD -> QE; QZ one step more.
    for (const char* link : {"QA:QB", "QB:QC", "QC:QD", "QD:QE", "QZ:QA", "LP:LP"}) {
      const std::string s = link;
      Add(p, Country(s.substr(0, 2), "??", 0),
          [&](PrefixRecord& r) { r.SetReferencePrefix(s.substr(3)); });
    }
    Add(p, Country("QE", "QE", 1));
    Add(p, Country("4U", "4U1I", 117));
    Add(p, Country("W1AW", "XX4", 4), [](PrefixRecord& r) { r.SetQualifier("4"); });
    // Three countries behind one prefix.
    Add(p, Country("VP8", "VP8", 141, "SA"), [](PrefixRecord& r) { r.SetQualifier("F"); });
    Add(p, Country("VP8", "VP8/G", 235, "SA"), [](PrefixRecord& r) { r.SetQualifier("G"); });
    Add(p, Country("VP8", "VP8/O", 238, "SA"), [](PrefixRecord& r) { r.SetQualifier("O"); });

    FileBlock* es = files.exceptionsEs;
    Add(es, Country("4U1UN", "4U1U", 289, "NA"));
    Add(es, Country("DA0XY", "ES", 0));
    Add(es, Country("DA1AB", "OLD", 0), [](PrefixRecord& r) { r.SetValidUntil(D(2000, 1, 1)); });
    FileBlock* ee = files.exceptionsEe;
    Add(ee, Country("KG4", "KG4", 105, "NA"), [](PrefixRecord& r) { r.SetCallBeginningMark('J'); });
    Add(ee, Country("DA0XY", "EE", 0));
  }

  template <typename F = void (*)(PrefixRecord&)>
  void Add(
      FileBlock* block, PrefixRecord rec, F&& edit = [](PrefixRecord&) {}) {
    edit(rec);
    Insert(block, rec);
  }

  Outcome Resolve(std::string_view call, DayNumber date = 0, PrefixChooser* chooser = nullptr,
                  bool interactive = true) {
    const DxccResult r = ResolveDxcc(call, date, interactive, files, DxccOptions{kToday, chooser});
    const PrefixRecord rec = Buffer();
    return {r.result, rec.dxccPrefix(), rec.prefix(), r.choiceOffered};
  }

  struct Case {
    std::string call;
    DayNumber date;
    int result;
    std::string dxcc;
    std::string prefix;  // "" = not checked
  };
  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      const Outcome o = Resolve(c.call, c.date);
      EXPECT_EQ(o.result, c.result) << c.call;
      EXPECT_EQ(o.dxcc, c.dxcc) << c.call;
      if (!c.prefix.empty()) {
        EXPECT_EQ(o.prefix, c.prefix) << c.call;
      }
    }
  }
};

TEST_F(ResolverTest, ExceptionsComeFirst) {
  Check({
      {"4U1UN", 0, 0, "4U1U", "4U1UN"},  // whole call
      {"4U1UNX", 0, 0, "4U1I", ""},      // a longer call is no exception
      {"KG4AB", 0, 0, "KG4", "KG4"},     // 'J': every call beginning with it
      {"KG4", 0, 0, "KG4", ""},
      {"DA0XY", 0, 0, "EE", ""},  // KVPREFEE before KVPREFES
      {"DA1AB", D(1999, 1, 1), 0, "OLD", ""},
      {"DA1AB", D(2001, 1, 1), 0, "DL", "DA1"},  // expired exception passed over
  });
  PrefixFiles noExceptions{files.prefix, nullptr, nullptr};
  ResolveDxcc("DA0XY", 0, false, noExceptions, DxccOptions{kToday, nullptr});
  EXPECT_EQ(Buffer().dxccPrefix(), "DL");
}

TEST_F(ResolverTest, RangesAndCompletion) {
  Check({
      {"DL1ABC", 0, 0, "DL", "DL1"},  // DA..DR, prefix text is the matched one
      {"DA1ABC", 0, 0, "DL", "DA1"},
      {"DR2X", 0, 0, "DL", "DR2"},
      {"DS1ABC", 0, 1, "", ""},
      {"UA3ABC", 0, 0, "UA", "UA3"},  // UA1..UA7
      {"UA9ABC", 0, 0, "UA9", "UA9"},
      {"UA8ABC", 0, 1, "", ""},
      {"EA8BK", 0, 0, "EA8", "EA8"},  // the longest prefix wins
      {"EA1AB", 0, 0, "EA", "EA1"},
  });
}

TEST_F(ResolverTest, Wildcards) {
  Check({
      {"K1ABC", 0, 0, "K", "K1"},       // '#' a digit, completed from the call
      {"KA1ABC", 0, 1, "", ""},         // '#' does not take a letter
      {"KH6XY", 0, 0, "KH6", "KH6"},    // exact entries win
      {"VP2EAB", 0, 0, "VP2", "VP2E"},  // '?' any character
      {"VP29AB", 0, 0, "VP2", "VP29"},
      {"OH0ABC", 0, 0, "OH0", "OH0A"},  // '~' a letter
      {"OH01BC", 0, 0, "OH", "OH0"},    // ... not a digit: falls back to OH
  });
}

TEST_F(ResolverTest, ValidityDatesGiveTwo) {
  Check({
      {"Y21ABC", D(1989, 5, 1), 0, "DM", "Y2"},  // ends in a digit: no completion
      {"Y21ABC", D(1990, 10, 2), 0, "DM", ""},   // the last valid day
      {"Y21ABC", D(1990, 10, 3), 2, "DM", ""},   // the buffer shows the entry
      {"Z60A", D(2010, 1, 1), 2, "Z6", ""},
      {"Z60A", D(2018, 1, 21), 0, "Z6", ""},
      {"Z60A", 0, 0, "Z6", ""},  // no date: today
      {"Y21ABC", -5, 2, "DM", ""},
  });
}

TEST_F(ResolverTest, PeriodPrefixes) {
  Check({
      {"E73A", D(1990, 1, 1), 0, "YU", ""},  // up to the first period date
      {"E73A", D(1995, 12, 31), 0, "YU", ""},
      {"E73A", D(1996, 1, 1), 0, "E7", "E7"},
      {"RK3ABC", 0, 0, "UA", ""},  // "RA" + the call's district digit
      {"RK9ABC", 0, 0, "UA9", ""},
      {"4W6AB", D(2000, 1, 1), 0, "YB", ""},  // second period
      {"4W6AB", D(2002, 5, 19), 0, "YB", ""},
      {"4W6AB", D(2002, 5, 20), 0, "4W", "4W6"},
  });
}

TEST_F(ResolverTest, ReferencePrefixAndNestingLimit) {
  Check({
      {"AX2ABC", 0, 0, "VK", "AX2"},  // through VK2ABC; the matched prefix is kept
      {"QA1", 0, 0, "QE", ""},        // five searches
      {"QZ1", 0, 1, "", ""},          // six: refused
      {"LP1", 0, 1, "", ""},          // a loop in the data ends the same way
  });
}

TEST_F(ResolverTest, DesignatorsAndSuffixes) {
  Check({
      {"SV1ABC/A", 0, 0, "SV/A", ""},  // special designator
      {"sv1abc/a", 0, 0, "SV/A", ""},
      {"SV1ABC", 0, 0, "SV", ""},
      {"SV1ABC/A/P", 0, 0, "SV/A", ""},
      {"EA8/DL1ABC", 0, 0, "EA8", ""},
      {"DL1ABC/EA8", 0, 0, "EA8", ""},
      {"DL1ABC/P", 0, 0, "DL", "DL1"},
      {"K1ABC/6", 0, 0, "K", "K6"},
      {"UA9ABC/1", 0, 0, "UA", "UA1"},
      {"W1AW/4", 0, 0, "XX4", ""},  // "/" + digit by index 3
      // Maritime and aeronautical mobile: deliberately no country, however
      // the call goes on.
      {"DL1ABC/MM", 0, 3, "", ""},
      {"DL1ABC/AM", 0, 3, "", ""},
      {"DL1ABC/MM/1", 0, 3, "", ""},
      {"DL1ABC/AM/2", 0, 3, "", ""},
      // Suffixes anywhere after the call are no designators.
      {"DL1ABC/M/P", 0, 0, "DL", "DL1"},
      {"DL1ABC/P/QRP", 0, 0, "DL", "DL1"},
      {"SV1ABC/A/P", 0, 0, "SV/A", ""},
      // A district digit after a call that begins with a digit.
      {"9M2ABC/6", 0, 0, "9M6", ""},
      {"9M6ABC", 0, 0, "9M6", ""},
      // A designator that names no country leaves the call's own.
      {"DL1ABC/X5", 0, 0, "DL", "DL1"},
  });
}

TEST_F(ResolverTest, AnyTextResolvesOrFailsWithoutHarm) {
  Check({
      {"", 0, 1, "", ""},
      {"   ", 0, 1, "", ""},
      {"////", 0, 1, "", ""},
      {"-", 0, 1, "", ""},
      {"123456", 0, 1, "", ""},
      {"\xFF\x01\x80", 0, 1, "", ""},
      {" dl1abc ", 0, 0, "DL", "DL1"},
      {"DL1ABC-P", 0, 0, "DL", ""},
      {std::string(300, 'X'), 0, 1, "", ""},
      {std::string(300, 'D'), 0, 0, "DL", "DD"},
      {"DL1ABCDEFGHIJKLMNOPQRSTUVWXYZ", 0, 0, "DL", ""},
  });
}

TEST_F(ResolverTest, UnresolvedClearsTheBuffer) {
  ASSERT_EQ(Resolve("DL1ABC").result, 0);
  ASSERT_EQ(Resolve("DS1ABC").result, 1);
  EXPECT_EQ(Buffer().bytes(), PrefixRecord().bytes());
}

TEST_F(ResolverTest, WithoutPrefixTableEverythingFails) {
  PrefixFiles none{nullptr, files.exceptionsEe, files.exceptionsEs};
  EXPECT_EQ(ResolveDxcc("4U1UN", 0, false, none, DxccOptions{kToday, nullptr}).result, 1);
  EXPECT_EQ(ResolveDxcc("DL1ABC", 0, false, none, DxccOptions{kToday, nullptr}).result, 1);
}

TEST_F(ResolverTest, ChoiceIsAskedAndRemembered) {
  ScriptedChooser chooser;
  chooser.answer = 1;
  const std::int32_t before = files.exceptionsEe->RecordCount();
  Outcome o = Resolve("VP8ABC", D(2020, 3, 1), &chooser);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.dxcc, "VP8/G");
  EXPECT_TRUE(o.choiceOffered);
  EXPECT_EQ(chooser.calls, 1);
  EXPECT_EQ(chooser.dxcc, (std::vector<std::string>{"VP8", "VP8/G", "VP8/O"}));  // index 3 order
  EXPECT_EQ(chooser.call, "VP8ABC");
  EXPECT_EQ(chooser.date, D(2020, 3, 1));
  EXPECT_TRUE(chooser.forQso);

  // Remembered in KVPREFEE under the call, as a whole-call entry.
  EXPECT_EQ(files.exceptionsEe->RecordCount(), before + 1);
  ASSERT_TRUE(files.exceptionsEe->FindExact(1, KeyString("VP8ABC")).ok());
  const PrefixRecord kept = PrefixRecord::From(files.exceptionsEe->Record());
  EXPECT_EQ(kept.dxccPrefix(), "VP8/G");
  EXPECT_FALSE(kept.IsCallBeginning());

  // The next time the exception answers without asking.
  o = Resolve("VP8ABC", D(2020, 3, 1), &chooser);
  EXPECT_EQ(o.dxcc, "VP8/G");
  EXPECT_FALSE(o.choiceOffered);
  EXPECT_EQ(chooser.calls, 1);
  // Another call with the prefix is asked again.
  chooser.answer = 2;
  EXPECT_EQ(Resolve("VP8XYZ", 0, &chooser).dxcc, "VP8/O");
  EXPECT_FALSE(chooser.forQso);  // no QSO date given
  EXPECT_EQ(chooser.calls, 2);
}

TEST_F(ResolverTest, ChoiceCancelledShortOrLongCalls) {
  ScriptedChooser chooser;
  const std::int32_t before = files.exceptionsEe->RecordCount();
  Outcome o = Resolve("VP8ABC", 0, &chooser);  // cancelled
  EXPECT_EQ(o.result, 1);
  EXPECT_TRUE(o.choiceOffered);
  EXPECT_EQ(Buffer().bytes(), PrefixRecord().bytes());
  chooser.answer = 0;
  EXPECT_EQ(Resolve("VP8", 0, &chooser).dxcc, "VP8");      // three characters: not kept
  EXPECT_EQ(Resolve("VP8ABCD", 0, &chooser).dxcc, "VP8");  // does not fit the field
  chooser.answer = 7;                                      // out of range = cancel
  EXPECT_EQ(Resolve("VP8QQ", 0, &chooser).result, 1);
  EXPECT_EQ(files.exceptionsEe->RecordCount(), before);
}

TEST_F(ResolverTest, WithoutDialogTheQualifierDecides) {
  ScriptedChooser chooser;
  // Not interactive, or no chooser: nothing is asked. No entry without
  // qualifier and none named by the call: not resolved.
  EXPECT_EQ(Resolve("VP8ABC", 0, &chooser, /*interactive=*/false).result, 1);
  EXPECT_EQ(Resolve("VP8ABC", 0, nullptr).result, 1);
  EXPECT_EQ(chooser.calls, 0);
  Insert(files.prefix, Country("VP8", "VP8-D", 141, "SA"));
  EXPECT_EQ(Resolve("VP8ABC", 0, nullptr).dxcc, "VP8-D");
}

}  // namespace
}  // namespace korv::testing
