// The settings file of our own features: reading what a user may have
// typed, the defaults, and a save that reads back.
#include "files/own_settings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/test_support.h"

namespace korv {
namespace {

TEST(OwnSettings, ReadsKeyValueLinesAndKeepsTheFirstOfAKey) {
  const OwnSettings s = OwnSettings::Parse(
      "# comment\r\n"
      "callhistory = off\r\n"
      "  callhistory.file=  /home/dl1abc/calls.txt  \n"
      "no equals sign here\n"
      "= no key\n"
      "scp = ja\n"
      "callhistory = on\n"
      "rig.host = localhost:4532\n");
  EXPECT_FALSE(s.GetBool("callhistory", true));
  EXPECT_EQ(s.Get("callhistory.file"), "/home/dl1abc/calls.txt");
  EXPECT_TRUE(s.GetBool("scp", false));
  EXPECT_EQ(s.Get("rig.host"), "localhost:4532");
  EXPECT_EQ(s.Get("missing", "fallback"), "fallback");
  EXPECT_TRUE(s.GetBool("missing", true));
}

TEST(OwnSettings, BooleanSpellings) {
  const struct {
    const char* value;
    bool expected;
  } cases[] = {{"on", true},    {"ON", true}, {"1", true},      {"yes", true}, {"Ja", true},   {"true", true},
               {"off", false},  {"0", false}, {"nein", false}, {"no", false}, {"FALSE", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(OwnSettings::Parse(std::string("k = ") + c.value).GetBool("k", !c.expected), c.expected) << c.value;
  }
  EXPECT_TRUE(OwnSettings::Parse("k = vielleicht").GetBool("k", true));
  EXPECT_FALSE(OwnSettings::Parse("k = vielleicht").GetBool("k", false));
}

TEST(OwnSettings, SaveReadsBackAndAMissingFileIsEmpty) {
  const std::filesystem::path dir = testing::MakeTempDir("own-settings");
  const std::filesystem::path file = dir / kOwnSettingsFileName;
  EXPECT_EQ(OwnSettings::Load(file).Get("scp", "none"), "none");
  OwnSettings s;
  s.SetBool("scp", false);
  s.Set("callhistory.file", "calls.txt");
  ASSERT_TRUE(s.Save(file));
  EXPECT_FALSE(std::filesystem::exists(dir / "korv-dez.conf.tmp"));
  const OwnSettings back = OwnSettings::Load(file);
  EXPECT_FALSE(back.GetBool("scp", true));
  EXPECT_EQ(back.Get("callhistory.file"), "calls.txt");
  EXPECT_EQ(back.Text(), s.Text());
  EXPECT_FALSE(s.Save(dir / "no-such-dir" / "x.conf"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korv
