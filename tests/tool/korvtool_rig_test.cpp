// korvtool rig: arguments, the settings file, and the answers of Hamlib's
// dummy radio, in process and through rigctld.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/rigctld_process.h"
#include "support/test_support.h"
#include "tool/korvtool.h"
#include "tool/tool_run.h"

namespace korv::tool {
namespace {

// "außerhalb der Contest-Bänder" and "unverändert" as the terminal shows them.
constexpr const char* kOutside =
    "au\xC3\x9F"
    "erhalb der Contest-B\xC3\xA4nder";
constexpr const char* kKept = "unver\xC3\xA4ndert";

class KorvtoolRig : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = korv::testing::MakeTempDir("korvtool-rig");
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  Outcome Rig(std::vector<std::string> options) {
    std::vector<std::string> args{"--data", dir_.string(), "rig"};
    args.insert(args.end(), options.begin(), options.end());
    return RunInChild(args);
  }
  void WriteSettings(const std::string& text) {
    korv::testing::WriteAll(dir_ / "korv-dez.conf",
                            std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  std::filesystem::path dir_;
};

TEST_F(KorvtoolRig, BadArgumentsAndSettingsAreRefusedWithTheReason) {
  const struct {
    std::vector<std::string> options;
    std::string settings;  // korv-dez.conf; empty: none written
    std::string reason;
  } cases[] = {
      {{"--rigctld"}, "", "--rigctld braucht einen Wert"},
      {{"--frequency", "7"}, "", "unbekanntes Argument: --frequency"},
      {{"--rigctld", "localhost:4532", "--model", "1"}, "", "--rigctld schlie\xC3\x9Ft --model"},
      {{"--rigctld", "a:1", "--rigctld", "b:2"}, "", "--rigctld ist doppelt angegeben"},
      {{"--rigctld", "localhost:abc"}, "", "\"abc\" ist keine Portnummer"},
      {{"--model", "1"}, "", "--model und --device geh\xC3\xB6ren zusammen"},
      {{"--device", "/dev/null", "--speed", "9600"},
       "",
       "--model und --device geh\xC3\xB6ren zusammen"},
      {{"--model", "ic7300", "--device", "/dev/null"},
       "",
       "\"ic7300\" ist keine Hamlib-Modellnummer"},
      {{"--model", "1", "--device", "/dev/null", "--speed", "fast"},
       "",
       "\"fast\" ist keine Baudrate"},
      {{"--model", "1", "--device", "/dev/null", "--speed", "12345"},
       "",
       "Die Baudrate 12345 ist nicht"},
      {{}, "", "Keine Rig-Steuerung eingestellt."},
      {{}, "rig = none\n", "Keine Rig-Steuerung eingestellt."},
      {{},
       "rig = rigctld\nrig.port = 45x\n",
       "korv-dez.conf: rig.port: \"45x\" ist keine Portnummer"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(dir_ / "korv-dez.conf");
    if (!c.settings.empty()) WriteSettings(c.settings);
    const Outcome o = Rig(c.options);
    EXPECT_EQ(o.code, kExitRefused) << c.reason;
    EXPECT_NE(o.err.find("korvtool: rig: " + c.reason), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
}

TEST_F(KorvtoolRig, TheDummyRadioInProcessLiesOutsideTheContestsBands) {
  // Hamlib's dummy radio starts on 145 MHz FM: no band of the contest, and FM
  // is logged as SSB.
  const Outcome o = Rig({"--model", "1", "--device", "/dev/null"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(o.out, std::string("145.000000  ") + kOutside + "  SSB\n");
}

TEST_F(KorvtoolRig, ARadioThatCannotBeReachedFailsWithTheReason) {
  const int closedPort = korv::testing::FreeLoopbackPort();
  const Outcome o = Rig({"--rigctld", "127.0.0.1:" + std::to_string(closedPort)});
  EXPECT_EQ(o.code, kExitFailure);
  EXPECT_EQ(o.out, "");
  EXPECT_NE(o.err.find("korvtool: rig: rigctld 127.0.0.1:" + std::to_string(closedPort) +
                       ": keine Verbindung m\xC3\xB6glich"),
            std::string::npos)
      << o.err;
}

TEST_F(KorvtoolRig, ReadsRigctldAsTheLoggingWindowTakesIt) {
  if (!korv::testing::RigctldProcess::Installed()) {
    GTEST_SKIP() << "rigctld/rigctl not installed (Debian package libhamlib-utils)";
  }
  korv::testing::RigctldProcess rigctld;
  ASSERT_TRUE(rigctld.Start()) << rigctld.Problem();
  ASSERT_TRUE(rigctld.Tune(7030000, "CW", 500));
  const Outcome direct = Rig({"--rigctld", rigctld.Address()});
  EXPECT_EQ(direct.code, kExitOk) << direct.err;
  EXPECT_EQ(direct.out, "7.030000  40 m  CW\n");

  // Without options: the rig keys of korv-dez.conf.
  WriteSettings("callhistory = on\nrig = rigctld\nrig.host = 127.0.0.1\nrig.port = " +
                std::to_string(rigctld.Port()) + "\n");
  const Outcome configured = Rig({});
  EXPECT_EQ(configured.code, kExitOk) << configured.err;
  EXPECT_EQ(configured.out, "7.030000  40 m  CW\n");

  const struct {
    long hz;
    const char* mode;
    std::string line;
  } cases[] = {
      {3525400, "LSB", "3.525400  80 m  SSB\n"},
      {28500000, "USB", "28.500000  10 m  SSB\n"},
      {7010000, "CWR", "7.010000  40 m  CW\n"},
      {10125000, "CW", "10.125000  " + std::string(kOutside) + "  CW\n"},
      {14074000, "PKTUSB", "14.074000  " + std::string(kOutside) + "  " + kKept + " (PKTUSB)\n"},
      {3580000, "RTTY", "3.580000  80 m  " + std::string(kKept) + " (RTTY)\n"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(rigctld.Tune(c.hz, c.mode));
    const Outcome o = Rig({"--rigctld", rigctld.Address()});
    EXPECT_EQ(o.code, kExitOk) << o.err;
    EXPECT_EQ(o.out, c.line);
  }
}

}  // namespace
}  // namespace korv::tool
