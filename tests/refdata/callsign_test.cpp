// Base call and designator of composite calls, and the special designators.
#include "refdata/callsign.h"

#include <gtest/gtest.h>

#include <string>

namespace korv {
namespace {

struct SplitCase {
  std::string call;
  std::string base;
  std::string designator;
};

TEST(BaseCallTest, SplitsCompositeCalls) {
  const SplitCase cases[] = {
      {"DL1ABC", "DL1ABC", ""},
      {"dl1abc/p", "DL1ABC", ""},  // upper-cased
      {"DL1ABC/P", "DL1ABC", ""},  // suffixes are no designator
      {"DL1ABC/MM", "DL1ABC", ""},
      {"DL1ABC/LGT", "DL1ABC", ""},
      {"EA8/DL1ABC", "DL1ABC", "EA8"},  // prefix in front
      {"DL1ABC/EA8", "DL1ABC", "EA8"},  // prefix behind
      {"K1ABC/6", "K1ABC", "K6"},       // a lone digit takes the letters of the call
      {"UA9ABC/1", "UA9ABC", "UA1"},
      {"SV1ABC/A", "SV1ABC/A", ""},  // special designator: kept whole
      {"GM4ABC/SH", "GM4ABC/SH", ""},
      {"3D2AB/R", "3D2AB/R", ""},
      {"SV1ABC/A/P", "SV1ABC/A", ""},  // special + suffix
      {"SV1ABC/B", "SV1ABC", "B"},     // not in the list
      {"DL1ABC/G3XYZ", "DL1ABC", ""},  // two calls: the shorter one goes
      {"G3XYZ/DL1ABC", "DL1ABC", ""},
      {"DL1ABC/QRP", "DL1ABC", ""},
      {"EA8/DL1ABC/P", "DL1ABC", "EA8"},  // three parts, suffix dropped
      {"W1AW/KH6/M", "W1AW", "KH6"},
      {"KH6/W1", "W1", "KH6"},        // the longer part is an entity prefix: swapped
      {"VK9X/DL1A", "DL1A", "VK9X"},  // equal length: prefix/call form
      {"DL1A/VK9X", "DL1A", "VK9X"},  // ... unless that is an entity prefix
      {"DL1ABC//P", "DL1ABC", ""},    // a run of separators is one
      {"DL1ABC-P", "DL1ABC", ""},     // any non-call character separates
      {"/DL1ABC/", "DL1ABC", ""},     // separators at the ends vanish
      {" DL1ABC\t", "DL1ABC", ""},
      {"DL1ABC\xE4", "DL1ABC", ""},  // a Windows-1252 letter is no call character
      {"", "", ""},
      {"///", "", ""},
      {"12345678901234567890/ABCDEFGHIJ", "12345678901234567890", ""},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(BaseCall(c.call, CallPart::kBaseCall), c.base) << c.call;
    EXPECT_EQ(BaseCall(c.call, CallPart::kDesignator), c.designator) << c.call;
  }
}

TEST(BaseCallTest, SuffixTableCanBeReplaced) {
  EXPECT_EQ(BaseCall("DL1ABC/X", CallPart::kDesignator), "X");
  SuffixTable own = DefaultSuffixTable();
  own[7] = CallSuffix{"X", 1};
  EXPECT_EQ(BaseCall("DL1ABC/X", CallPart::kBaseCall, own), "DL1ABC");
  EXPECT_EQ(BaseCall("DL1ABC/X", CallPart::kDesignator, own), "");
  // An emptied entry is no suffix any more.
  own[4] = CallSuffix{};
  EXPECT_EQ(BaseCall("DL1ABC/P", CallPart::kDesignator, own), "P");
}

TEST(BaseCallTest, DefaultSuffixes) {
  const SuffixTable& t = DefaultSuffixTable();
  const char* expected[] = {"A", "AM", "M", "MM", "P", "LH", "LGT"};
  for (int i = 0; i < kSuffixTableSize; ++i) {
    EXPECT_EQ(t[i].text, i < 7 ? expected[i] : "") << i;
  }
}

TEST(SpecialDesignatorTest, OnlyTheListedPairs) {
  const struct {
    const char* call;
    const char* designator;
    const char* result;
  } cases[] = {
      {"SV1ABC", "A", "SV/A"},
      {"SV1ABC", "B", ""},
      {"SX1ABC", "A", ""},
      {"JW5AB", "B", "JW/B"},
      {"JW5AB", "S", "JW/S"},
      {"3Y0X", "P", "3Y/P"},
      {"FR5AB", "T", "FR/T"},
      {"FR5AB", "A", ""},
      {"FO5AB", "M", "FO/M"},
      {"3D2AB", "C", "3D2/C"},
      {"3D2AB", "R", "3D2/R"},
      {"VQ9X", "D", "VQ9/D"},
      {"ZK1AB", "N", "ZK1/N"},
      {"ZK1AB", "S", "ZK1/S"},
      {"ZK2AB", "N", ""},
      {"GM4ABC", "SH", "GM/SH"},
      {"GM4ABC", "SC", "GM/SC"},
      {"GM4ABC", "S", ""},
      {"MM0ABC", "SH", ""},
      {"S", "A", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SpecialDesignatorCall(c.call, c.designator), c.result)
        << c.call << "/" << c.designator;
  }
}

}  // namespace
}  // namespace korv
