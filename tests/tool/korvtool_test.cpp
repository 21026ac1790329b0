#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tool/korvtool.h"

namespace korv::tool {
namespace {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

Outcome RunWith(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = Run(args, out, err);
  return {code, out.str(), err.str()};
}

TEST(KorvtoolTest, HelpAndVersionSucceedOnStdout) {
  const Outcome help = RunWith({"--help"});
  EXPECT_EQ(help.code, kExitOk);
  EXPECT_NE(help.out.find("usage: korvtool [--data DIR] COMMAND"), std::string::npos);
  EXPECT_TRUE(help.err.empty());

  const Outcome version = RunWith({"--data", ".", "--version"});
  EXPECT_EQ(version.code, kExitOk);
  EXPECT_NE(version.out.find("Korv DEZ Version 2006-1.0"), std::string::npos);
}

TEST(KorvtoolTest, BadArgumentsAreRefusedWithAReason) {
  const std::string missingDir =
      (std::filesystem::temp_directory_path() / "korvtool-no-such-dir-4711").string();
  struct Case {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{}, "no command given"},
      {{"--data"}, "--data needs a directory"},
      {{"--data", missingDir, "logs"}, "data directory not found"},
      {{"frobnicate"}, "unknown command: frobnicate"},
  };
  for (const Case& c : cases) {
    const Outcome o = RunWith(c.args);
    EXPECT_EQ(o.code, kExitRefused) << c.reason;
    EXPECT_NE(o.err.find(c.reason), std::string::npos) << o.err;
    EXPECT_TRUE(o.out.empty());
  }
}

}  // namespace
}  // namespace korv::tool
