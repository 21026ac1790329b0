// Reading call-history files: the plain and the header-driven format, lines
// that cannot be read, the user's file over Debian's, and Debian's own file.
#include "refdata/call_history.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace korv {
namespace {

TEST(CallHistory, PlainFormatWithCommentsAndBadLines) {
  CallHistory h;
  const CallHistory::LoadResult r = h.Load(
      "# DOK database\r\n"
      "#\n"
      "DA0A,N11\r\n"
      "dl1abc , n05 \n"
      "\n"
      "DA0DOM,\n"        // no DOK
      ",N01\n"           // no call
      "DL2ABC\n"         // one column
      "DL3 ABC,N02\n"    // not a call
      "DL4ABC,TOOLONGDOK\n"
      "DA0APOLLO,APOLLO\n",
      false);
  EXPECT_TRUE(r.read);
  EXPECT_EQ(r.calls, 3);
  EXPECT_EQ(r.skipped, 5);
  EXPECT_EQ(h.size(), 3u);
  EXPECT_EQ(h.DokOf("DA0A"), "N11");
  EXPECT_EQ(h.DokOf(" dl1abc "), "N05");
  EXPECT_EQ(h.DokOf("DL1ABC/P"), "N05");  // by the base call
  EXPECT_EQ(h.DokOf("DL1ABD"), "");
  EXPECT_EQ(h.DokOf(""), "");
  EXPECT_TRUE(h.KnowsDok("apollo"));
  EXPECT_FALSE(h.KnowsDok("N01"));
}

TEST(CallHistory, HeaderDrivenFormatNamesItsColumns) {
  const struct {
    const char* file;
    const char* call;
    const char* dok;
    int skipped;
  } cases[] = {
      {"!!Order!!,Call,Name,Exch1,UserText\nDL1ABC,Hans,N05,x\nDL2XYZ,Eva\n", "DL1ABC", "N05", 1},
      {"!!Order!!,Name,DOK,Call\nHans,B36,DL1ABC\n", "DL1ABC", "B36", 0},
      {"!!Order!!,Call,Dok\ndk0vz,Z60\n", "DK0VZ", "Z60", 0},
      // A header without a DOK column reads nothing.
      {"!!Order!!,Call,Name\nDL1ABC,Hans\n", "DL1ABC", "", 2},
  };
  for (const auto& c : cases) {
    CallHistory h;
    const CallHistory::LoadResult r = h.Load(c.file, false);
    EXPECT_EQ(h.DokOf(c.call), c.dok) << c.file;
    EXPECT_EQ(r.skipped, c.skipped) << c.file;
  }
}

TEST(CallHistory, TheUsersFileWinsOverDebians) {
  CallHistory h;
  (void)h.Load("DL1ABC,N05\nDL2XYZ,B36\n", false);  // Debian's
  (void)h.Load("DL1ABC,N23\n", true);               // the user's
  (void)h.Load("DL2XYZ,P01\n", false);              // a later file that does not override
  EXPECT_EQ(h.DokOf("DL1ABC"), "N23");
  EXPECT_EQ(h.DokOf("DL2XYZ"), "B36");
}

TEST(CallHistory, MissingFileIsNoErrorAndDebiansFileReads) {
  CallHistory h;
  EXPECT_FALSE(h.LoadFile("/nonexistent/callhistory.txt", true).read);
  EXPECT_EQ(h.size(), 0u);
  const std::filesystem::path debian = "/usr/share/hamradio-files/WAG_call_history.txt";
  if (!std::filesystem::exists(debian)) GTEST_SKIP() << debian << " not installed";
  const CallHistory::LoadResult r = h.LoadFile(debian, false);
  EXPECT_TRUE(r.read);
  EXPECT_GT(r.calls, 3000);
  EXPECT_EQ(h.DokOf("DA0A"), "N11");
}

}  // namespace
}  // namespace korv
