// The rig keys of korv-dez.conf: round trips, defaults, the file's other keys,
// and every kind of bad value a user may type.
#include "rig/rig_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace korv {
namespace {

RigSettings Model(int model, std::string device, int speed) {
  RigSettings s;
  s.kind = RigKind::kModel;
  s.model = model;
  s.device = std::move(device);
  s.speed = speed;
  return s;
}

RigSettings Rigctld(std::string host, int port) {
  RigSettings s;
  s.kind = RigKind::kRigctld;
  s.host = std::move(host);
  s.port = port;
  return s;
}

class RigSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::MakeTempDir("rig-settings");
    ASSERT_FALSE(dir_.empty());
    file_ = dir_ / kOwnSettingsFileName;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void Write(const std::string& text) {
    testing::WriteAll(file_, std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  std::filesystem::path dir_;
  std::filesystem::path file_;
};

TEST_F(RigSettingsFile, EachKindReadsBackAndTheOtherKeysStay) {
  Write("callhistory = on\ncallhistory.file = /home/dl1abc/calls.txt\nscp = off\n");
  RigSettings none;
  none.model = 3073;  // kept for a later switch back to the model
  none.device = "/dev/ttyUSB0";
  const RigSettings cases[] = {
      Model(3073, "/dev/ttyUSB0", 19200),
      Model(1, "/dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART-if00-port0", 0),
      Rigctld("shack-pi", 4533),
      Rigctld("::1", 4532),
      none,
  };
  for (const RigSettings& s : cases) {
    ASSERT_TRUE(SaveRigSettings(s, file_));
    const RigSettingsRead back = LoadRigSettings(file_);
    EXPECT_EQ(back.problem, "");
    EXPECT_EQ(back.settings, s) << RigKindKeyword(s.kind);
    const OwnSettings own = OwnSettings::Load(file_);
    EXPECT_TRUE(own.GetBool("callhistory", false));
    EXPECT_EQ(own.Get("callhistory.file"), "/home/dl1abc/calls.txt");
    EXPECT_FALSE(own.GetBool("scp", true));
    EXPECT_EQ(own.Get("rig"), RigKindKeyword(s.kind));
  }
  EXPECT_FALSE(SaveRigSettings(cases[0], dir_ / "missing" / kOwnSettingsFileName));
}

TEST_F(RigSettingsFile, MissingFileAndMissingKeysGiveTheDefaults) {
  const RigSettingsRead missing = LoadRigSettings(file_);
  EXPECT_EQ(missing.problem, "");
  EXPECT_EQ(missing.settings, RigSettings{});

  Write("rig = rigctld\n");
  const RigSettingsRead bare = LoadRigSettings(file_);
  EXPECT_EQ(bare.problem, "");
  EXPECT_EQ(bare.settings, Rigctld("localhost", 4532));

  Write("rig = model\nrig.model = 3073\nrig.device = /dev/ttyACM0\n");
  const RigSettingsRead model = LoadRigSettings(file_);
  EXPECT_EQ(model.problem, "");
  EXPECT_EQ(model.settings, Model(3073, "/dev/ttyACM0", 0));
}

TEST(RigSettingsRead, BadValuesGiveNoneAndTheReason) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"rig = maybe", "rig: \"maybe\" ist unbekannt (none, model oder rigctld)."},
      {"rig = Model\nrig.model = 1\nrig.device = /dev/null", "rig: \"Model\" ist unbekannt"},
      {"rig = model\nrig.device = /dev/ttyUSB0", "rig.model fehlt."},
      {"rig = model\nrig.model = ic7300\nrig.device = /dev/ttyUSB0",
       "rig.model: \"ic7300\" ist keine Hamlib-Modellnummer."},
      {"rig = model\nrig.model = 0\nrig.device = /dev/ttyUSB0", "rig.model: \"0\""},
      {"rig = model\nrig.model = 99999999999\nrig.device = /dev/ttyUSB0",
       "rig.model: \"99999999999\""},
      {"rig = model\nrig.model = 3073", "rig.device fehlt."},
      {"rig = model\nrig.model = 3073\nrig.device = /dev/ttyUSB0\nrig.speed = 12345",
       "rig.speed: \"12345\" ist keine g\xFCltige Baudrate."},
      {"rig = model\nrig.model = 3073\nrig.device = /dev/ttyUSB0\nrig.speed = fast",
       "rig.speed: \"fast\""},
      {"rig = rigctld\nrig.port = 45x", "rig.port: \"45x\" ist keine Portnummer (1..65535)."},
      {"rig = rigctld\nrig.port = 70000", "rig.port: \"70000\""},
      {"rig = rigctld\nrig.port = -1", "rig.port: \"-1\""},
      {"rig = rigctld\nrig.port = 0", "rig.port: \"0\""},
      {"rig = rigctld\nrig.host = shack pi", "rig.host: \"shack pi\" ist kein Rechnername."},
  };
  for (const auto& c : cases) {
    const RigSettingsRead read = ReadRigSettings(OwnSettings::Parse(c.text));
    EXPECT_EQ(read.settings.kind, RigKind::kNone) << c.text;
    EXPECT_EQ(read.problem.rfind(c.reason, 0), 0u) << c.text << "\n -> " << read.problem;
  }
}

TEST(RigSettingsRead, GoodValuesSurviveABadOneAndUnusedKeysDoNotMatter) {
  const RigSettingsRead badPort =
      ReadRigSettings(OwnSettings::Parse("rig = rigctld\nrig.host = shack-pi\nrig.port = x\n"
                                         "rig.model = 3073\nrig.device = /dev/ttyUSB1\n"));
  EXPECT_EQ(badPort.settings.kind, RigKind::kNone);
  EXPECT_EQ(badPort.settings.host, "shack-pi");
  EXPECT_EQ(badPort.settings.port, kRigDefaultPort);
  EXPECT_EQ(badPort.settings.model, 3073);
  EXPECT_EQ(badPort.settings.device, "/dev/ttyUSB1");

  // Model keys are not looked at for rigctld, nor rigctld keys for a model.
  const RigSettingsRead rigctld = ReadRigSettings(
      OwnSettings::Parse("rig = rigctld\nrig.port = 4600\nrig.model = abc\nrig.speed = x\n"));
  EXPECT_EQ(rigctld.problem, "");
  EXPECT_EQ(rigctld.settings.kind, RigKind::kRigctld);
  EXPECT_EQ(rigctld.settings.port, 4600);
  EXPECT_EQ(rigctld.settings.model, 0);
  const RigSettingsRead model = ReadRigSettings(OwnSettings::Parse(
      "rig = model\nrig.model = 1\nrig.device = /dev/null\nrig.port = none\nrig.host = a b\n"));
  EXPECT_EQ(model.problem, "");
  EXPECT_EQ(model.settings, Model(1, "/dev/null", 0));
  // And "none" looks at nothing.
  const RigSettingsRead none = ReadRigSettings(OwnSettings::Parse("rig = none\nrig.port = x\n"));
  EXPECT_EQ(none.problem, "");
}

TEST(RigSettingsProblem, ChecksWhatTheKindNeeds) {
  RigSettings blankHost = Rigctld("  ", 4532);
  const struct {
    RigSettings settings;
    const char* problem;
  } cases[] = {
      {RigSettings{}, ""},
      {Model(3073, "/dev/ttyUSB0", 9600), ""},
      {Model(0, "/dev/ttyUSB0", 9600), "Kein Rig-Modell gew\xE4hlt."},
      {Model(3073, " ", 9600), "Keine Schnittstelle angegeben."},
      {Model(3073, "/dev/ttyUSB0", 9601), "Die Baudrate 9601 ist nicht g\xFCltig."},
      {Rigctld("localhost", 4532), ""},
      {blankHost, "Kein Rechner f\xFCr rigctld angegeben."},
      {Rigctld("shack pi", 4532), "\"shack pi\" ist kein Rechnername."},
      {Rigctld("localhost", 0), "Der Port 0 ist nicht g\xFCltig (1..65535)."},
      {Rigctld("localhost", 65536), "Der Port 65536 ist nicht g\xFCltig (1..65535)."},
  };
  for (const auto& c : cases) EXPECT_EQ(RigSettingsProblem(c.settings), c.problem);
}

TEST(RigctldAddress, ParsedAndWrittenBack) {
  const struct {
    const char* text;
    const char* host;
    int port;
    const char* written;
  } good[] = {
      {"localhost:4532", "localhost", 4532, "localhost:4532"},
      {"127.0.0.1:45000", "127.0.0.1", 45000, "127.0.0.1:45000"},
      {" shack-pi ", "shack-pi", 4532, "shack-pi:4532"},
      {"[::1]:4533", "::1", 4533, "[::1]:4533"},
      {"[fe80::1]", "fe80::1", 4532, "[fe80::1]:4532"},
  };
  for (const auto& c : good) {
    const RigSettingsRead read = ParseRigctldAddress(c.text);
    EXPECT_EQ(read.problem, "") << c.text;
    EXPECT_EQ(read.settings, Rigctld(c.host, c.port)) << c.text;
    EXPECT_EQ(RigctldAddress(read.settings), c.written);
  }
  for (const char* bad : {"", ":4532", "host:", "host:abc", "host:0", "host:70000", "::1", "[::1",
                          "[::1]x", "[::1]:", "a b:4532"}) {
    const RigSettingsRead read = ParseRigctldAddress(bad);
    EXPECT_NE(read.problem, "") << bad;
    EXPECT_EQ(read.settings.kind, RigKind::kNone) << bad;
  }
}

}  // namespace
}  // namespace korv
