// Program start and stop over a fresh data directory: the files the main
// window opens, the setup records, the prefix import or warning, the presets.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/scripted_platform.h"
#include "shell/program_session.h"
#include "support/test_support.h"

namespace korv {
namespace {

class ProgramSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing::MakeTempDir("session");
    ASSERT_FALSE(dir.empty());
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::unique_ptr<ProgramSession> Session(std::filesystem::path countryFile = {},
                                          std::filesystem::path callHistoryFile = {},
                                          std::filesystem::path scpFile = {}) {
    SessionOptions options;
    options.dataDirectory = dir;
    options.countryFile = std::move(countryFile);
    options.callHistoryFile = std::move(callHistoryFile);
    options.scpFile = std::move(scpFile);
    options.fatalHandler = &fatal;
    return std::make_unique<ProgramSession>(platform, state, options);
  }
  std::uintmax_t Size(const char* name) const { return std::filesystem::file_size(dir / name); }

  std::filesystem::path dir;
  ScriptedPlatform platform;
  ProgramState state;
  testing::RecordingFatalHandler fatal;
};

TEST_F(ProgramSessionTest, FirstStartCreatesTheSettingsAndWarnsWithoutCountryFile) {
  auto session = Session();
  ASSERT_EQ(session->Start(), ProgramSession::StartResult::kOk);
  // One empty setup record (number 1) and one empty second setup record.
  FileBlock* setup = session->catalogue().OpenSetup();
  ASSERT_NE(setup, nullptr);
  EXPECT_EQ(setup->RecordCount(), 1);
  ASSERT_TRUE(setup->MoveFirst(1).ok());
  EXPECT_EQ(GetI32(setup->Record(), 4), 1);
  session->catalogue().ReleaseSetup();
  EXPECT_EQ(session->engine().FindFileBlock("KVSETUP2")->RecordCount(), 1);
  EXPECT_EQ(state.activeProfileNumber, 0);  // no profile exists
  EXPECT_EQ(session->rules().contestName, "DEZ");
  EXPECT_EQ(session->header().totalsInTotalsRecord(), 255);
  const auto warnings = platform.TextsOf(ScriptedPlatform::Kind::kWarn);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].rfind("Achtung: Die Pr\xE4" "fixdatei konnte nicht gefunden werden bzw. ist "
                              "leer. Ohne diese Datei kann das Programm nicht korrekt arbeiten!",
                              0),
            0u);
  EXPECT_NE(warnings[0].find("hamradio-files"), std::string::npos);
  session->Stop();
  EXPECT_FALSE(session->Started());
  EXPECT_TRUE(fatal.codes.empty());
  // Closed cleanly: InUse is 0 in every data file written.
  for (const char* name : {"KVSETUP.DAT", "KVSETUP2.DAT", "KVPREFIX.DAT"}) {
    std::ifstream in(dir / name, std::ios::binary);
    char header[21];
    ASSERT_TRUE(in.read(header, sizeof header)) << name;
    EXPECT_EQ(header[20], 0) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "KVPRO.DAT"));  // the logbook's: only ever read
}

TEST_F(ProgramSessionTest, EmptyPrefixTableIsFilledFromTheCountryFile) {
  const auto country = dir / "cty.csv";
  {
    std::ofstream out(country);
    out << "DL,Fed. Rep. of Germany,230,EU,14,28,51.00,-10.00,-1.0,DA DB DC DD DE DF DG DH DI DJ "
           "DK DL DM DN DO DP DQ DR Y2 Y3 Y4 Y5 Y6 Y7 Y8 Y9;\n"
           "OE,Austria,206,EU,15,28,47.33,-13.33,-1.0,OE;\n";
  }
  auto session = Session(country);
  ASSERT_EQ(session->Start(), ProgramSession::StartResult::kOk);
  EXPECT_TRUE(platform.TextsOf(ScriptedPlatform::Kind::kWarn).empty());
  EXPECT_GE(session->engine().FindFileBlock("KVPREFIX")->RecordCount(), 27);
  EXPECT_FALSE(platform.ProgressEvents().empty());
  session->Stop();

  // The next start finds the table filled and neither imports nor warns.
  platform.ClearRecord();
  auto again = Session(country);
  ASSERT_EQ(again->Start(), ProgramSession::StartResult::kOk);
  EXPECT_TRUE(platform.ProgressEvents().empty());
  EXPECT_TRUE(platform.ShownTexts().empty());
}

TEST_F(ProgramSessionTest, OwnCallAndStationComeFromTheSetupRecord) {
  {
    auto session = Session();
    ASSERT_EQ(session->Start(), ProgramSession::StartResult::kOk);
    session->settings().own.call = "DL1ABC";
    session->settings().own.swlNumber = "DE-1234";
    session->Stop();
  }
  state.ownCall.clear();
  auto session = Session();
  ASSERT_EQ(session->Start(), ProgramSession::StartResult::kOk);
  EXPECT_EQ(state.ownCall, "DL1ABC");
  EXPECT_EQ(state.swlNumber, "DE-1234");
}

// The operator aids read at start: Debian's call history and MASTER.SCP, the
// user's own history winning for the same call, and korv-dez.conf naming
// other files or switching an aid off.
TEST_F(ProgramSessionTest, OperatorAidsComeFromTheirFilesAndTheSettings) {
  auto write = [](const std::filesystem::path& file, const char* text) { std::ofstream(file, std::ios::binary) << text; };
  const std::filesystem::path debian = dir / "debian-history.txt";
  const std::filesystem::path scp = dir / "debian.scp";
  write(debian, "DL1ABC,N01\nDL2ABC,N02\n");
  write(scp, "# comment\nOE1XYZ\nDL9SCP\n");
  write(dir / "callhistory.txt", "DL1ABC,P01\n");
  {
    auto session = Session({}, debian, scp);
    ASSERT_EQ(session->Start(), ProgramSession::StartResult::kOk);
    ASSERT_NE(session->callHistory(), nullptr);
    EXPECT_EQ(session->callHistory()->DokOf("DL1ABC"), "P01");
    EXPECT_EQ(session->callHistory()->DokOf("DL2ABC"), "N02");
    ASSERT_TRUE(session->partialCalls());
    const CallIndex* calls = session->referenceCalls();
    ASSERT_NE(calls, nullptr);
    for (const char* c : {"OE1XYZ", "DL9SCP", "DL1ABC", "DL2ABC"}) EXPECT_NE(calls->Find(c), CallIndex::kNone) << c;
    session->Stop();
  }
  write(dir / "own.scp", "DL7OWN\n");
  write(dir / "korv-dez.conf", "callhistory = off\nscp.file = own.scp\n");
  {
    auto session = Session({}, debian, scp);
    ASSERT_EQ(session->Start(), ProgramSession::StartResult::kOk);
    EXPECT_EQ(session->callHistory(), nullptr);
    ASSERT_NE(session->referenceCalls(), nullptr);
    EXPECT_EQ(session->referenceCalls()->size(), 1u);
    EXPECT_NE(session->referenceCalls()->Find("DL7OWN"), CallIndex::kNone);
    session->Stop();
  }
  write(dir / "korv-dez.conf", "scp = off\n");
  {
    auto session = Session({}, debian, scp);
    ASSERT_EQ(session->Start(), ProgramSession::StartResult::kOk);
    EXPECT_FALSE(session->partialCalls());
    EXPECT_EQ(session->referenceCalls(), nullptr);
    session->Stop();
  }
}

TEST(PlatformFatalHandlerTest, ShowsTheMessageThenEndsWithExitCodeOne) {
  ScriptedPlatform platform;
  std::vector<int> exits;
  PlatformFatalHandler handler(platform, [&](int code) { exits.push_back(code); });
  handler.OnFatal(ErrorList{}, "Fehlercode:    10070\nDas Programm wird abgebrochen. ");
  EXPECT_EQ(platform.TextsOf(ScriptedPlatform::Kind::kInform),
            std::vector<std::string>{"Fehlercode:    10070\nDas Programm wird abgebrochen. "});
  EXPECT_EQ(exits, std::vector<int>{1});
}

}  // namespace
}  // namespace korv
