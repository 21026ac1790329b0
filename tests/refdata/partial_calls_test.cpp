#include "refdata/partial_calls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace korv {
namespace {

std::vector<std::string> CallsOf(const std::vector<PartialCall>& found) {
  std::vector<std::string> calls;
  for (const PartialCall& p : found) calls.push_back(p.call);
  return calls;
}

TEST(ScpReading, TakesCallsSkipsCommentsAndCountsBadLines) {
  std::vector<std::string> calls;
  const ScpLoadResult r = ReadScpCalls("# Release 2023\r\n#\r\ndl1abc\r\n  OE3XYZ \n\nDL1-ABC\nK1ABC/P\nTHISCALLISFARTOOLONG123\n", calls);
  EXPECT_TRUE(r.read);
  EXPECT_EQ(r.calls, 3);
  EXPECT_EQ(r.skipped, 2);
  EXPECT_EQ(calls, (std::vector<std::string>{"DL1ABC", "OE3XYZ", "K1ABC/P"}));
  EXPECT_FALSE(ReadScpFile("/nonexistent/MASTER.SCP", calls).read);
}

// The index against a plain scan: random calls, random fragments, the index
// built at once and grown call by call, every answer in alphabetical order.
TEST(CallIndex, AnswersAsAPlainScanWhetherBuiltOrGrown) {
  std::mt19937 rng(7);
  const std::string symbols = "ADKL0129/";
  auto randomText = [&](std::size_t minLen, std::size_t maxLen) {
    std::uniform_int_distribution<std::size_t> len(minLen, maxLen);
    std::uniform_int_distribution<std::size_t> sym(0, symbols.size() - 1);
    std::string s(len(rng), ' ');
    for (char& c : s) c = symbols[sym(rng)];
    return s;
  };
  std::vector<std::string> calls;
  for (int i = 0; i < 600; ++i) calls.push_back(randomText(3, 8));
  calls.push_back(calls[5]);  // a repeat
  const std::set<std::string> model(calls.begin(), calls.end());

  CallIndex built;
  built.Build(std::vector<std::string_view>(calls.begin(), calls.end()));
  // Sorted but for a tail (MASTER.SCP followed by the call history).
  std::vector<std::string_view> mostlySorted(model.begin(), model.end());
  std::reverse(mostlySorted.end() - 40, mostlySorted.end());
  mostlySorted.push_back(mostlySorted.front());
  CallIndex fromSorted;
  fromSorted.Build(mostlySorted);
  CallIndex grown;
  for (const std::string& c : calls) grown.Add(c);
  ASSERT_EQ(built.size(), model.size());
  ASSERT_EQ(grown.size(), model.size());
  ASSERT_EQ(fromSorted.size(), model.size());

  for (int q = 0; q < 300; ++q) {
    const std::string fragment = randomText(2, 4);
    std::vector<std::string> expected;
    for (const std::string& c : model) {
      if (c.find(fragment) != std::string::npos) expected.push_back(c);
    }
    for (const CallIndex* index : {&built, &grown, &fromSorted}) {
      std::vector<std::string> got;
      index->ForEachContaining(fragment, [&](CallIndex::Id id) {
        got.emplace_back(index->Call(id));
        return true;
      });
      ASSERT_EQ(got, expected) << fragment;
    }
    // A visit that stops takes the first calls only.
    std::vector<std::string> firstTwo;
    built.ForEachContaining(fragment, [&](CallIndex::Id id) {
      firstTwo.emplace_back(built.Call(id));
      return firstTwo.size() < 2;
    });
    expected.resize(std::min<std::size_t>(expected.size(), 2));
    ASSERT_EQ(firstTwo, expected) << fragment;
  }
  for (const std::string& c : model) {
    ASSERT_NE(built.Find(c), CallIndex::kNone);
    ASSERT_EQ(grown.Call(grown.Find(c)), c);
  }
  EXPECT_EQ(built.Find("DL9ZZZZ"), CallIndex::kNone);
  EXPECT_EQ(built.Add("dl1abc"), CallIndex::kNone);  // lower case: no call of the index
}

struct ListFixture : ::testing::Test {
  ListFixture() {
    reference.Build({"DL1ABC", "DL1ABD", "DL1AB", "DL2ABC", "DK1ABC", "OE1ABC", "DL1ABC/P", "K1ABC", "DL1ZZZ"});
  }
  CallIndex reference;
};

TEST_F(ListFixture, PartialListsTheLogFirstTheExactCallFirstAndMarksDupes) {
  LogCalls log(&reference);
  log.Build({{"DL1ABC", 'b'}, {"DF1ABC", 'c'}, {"DL1ABCX", 'b'}});
  // 80 m: DL1ABC and DL1ABCX are duplicates there, DF1ABC is not.
  const std::vector<PartialCall> onBand = FindPartialCalls(log, "1ABC", 'b', 20);
  EXPECT_EQ(onBand, (std::vector<PartialCall>{{"DF1ABC", true, false},
                                              {"DL1ABC", true, true},
                                              {"DL1ABCX", true, true},
                                              {"DK1ABC", false, false},
                                              {"DL1ABC/P", false, false},
                                              {"K1ABC", false, false},
                                              {"OE1ABC", false, false}}));
  // The typed call itself leads its group; a reference call worked is shown once, as the log's.
  EXPECT_EQ(CallsOf(FindPartialCalls(log, "DL1AB", 'c', 20)),
            (std::vector<std::string>{"DL1ABC", "DL1ABCX", "DL1AB", "DL1ABC/P", "DL1ABD"}));
  EXPECT_EQ(FindPartialCalls(log, "DL1ABC", 'c', 20).front(), (PartialCall{"DL1ABC", true, false}));
  // The limit cuts, log calls first.
  EXPECT_EQ(CallsOf(FindPartialCalls(log, "ABC", 'b', 2)), (std::vector<std::string>{"DF1ABC", "DL1ABC"}));
  // One symbol, or a text that is no call, lists nothing.
  EXPECT_TRUE(FindPartialCalls(log, "D", 'b', 20).empty());
  EXPECT_TRUE(FindPartialCalls(log, "DL-1", 'b', 20).empty());
  EXPECT_TRUE(FindPartialCalls(log, "DL1", 'b', 0).empty());
}

TEST_F(ListFixture, SavedCallsJoinTheLogAndTheirBands) {
  LogCalls log(&reference);
  log.Add("DL1ZZZ", 'c');
  log.Add("DA0XYZ", 'c');
  EXPECT_EQ(FindPartialCalls(log, "ZZZ", 'c', 5), (std::vector<PartialCall>{{"DL1ZZZ", true, true}}));
  log.Add("DL1ZZZ", 'e');
  EXPECT_TRUE(FindPartialCalls(log, "ZZZ", 'e', 5).front().dupe);
  EXPECT_FALSE(FindPartialCalls(log, "ZZZ", 'b', 5).front().dupe);
  EXPECT_EQ(FindPartialCalls(log, "XYZ", 'c', 5), (std::vector<PartialCall>{{"DA0XYZ", true, true}}));
  log.Clear();
  EXPECT_EQ(FindPartialCalls(log, "ZZZ", 'c', 5), (std::vector<PartialCall>{{"DL1ZZZ", false, false}}));
}

TEST_F(ListFixture, OneOffListsCallsOneTypingErrorAway) {
  LogCalls log(&reference);
  log.Build({{"DL1ABE", 'b'}});
  struct Case {
    const char* typed;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      // Changed: the log's DL1ABE first, then DL1ABC, DL1ABD; removed: DL1AB.
      {"DL1ABF", {"DL1ABE", "DL1AB", "DL1ABC", "DL1ABD"}},
      // Changed: DL1AB; added inside: DL1ABC.
      {"DL1AC", {"DL1AB", "DL1ABC"}},
      // Calls containing the typed text are left to the partial list.
      {"DL1ABC", {"DL1ABE", "DK1ABC", "DL1AB", "DL1ABD", "DL2ABC"}},
      // Removed: "DL11ABC" -> DL1ABC.
      {"DL11ABC", {"DL1ABC"}},
      // Changed in the first symbol: OL1ABC -> DL1ABC, OE1ABC.
      {"OL1ABC", {"DL1ABC", "OE1ABC"}},
      {"QQ9QQ", {}},
      {"DL", {}},  // too short
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CallsOf(FindOneOffCalls(log, c.typed, 'b', 10)), c.expected) << c.typed;
  }
  EXPECT_TRUE(FindOneOffCalls(log, "DL1ABF", 'b', 10).front().dupe);
  EXPECT_EQ(FindOneOffCalls(log, "DL1ABF", 'b', 2).size(), 2u);
}

}  // namespace
}  // namespace korv
