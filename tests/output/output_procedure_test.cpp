// The output menu's entries and the common procedure of the file outputs:
// notice, save dialog, writer, file, result message and text display.
#include "output/output_procedure.h"

#include <gtest/gtest.h>

#include "output/adif_export.h"
#include "output/cabrillo3_file.h"
#include "output/cover_sheet.h"
#include "output/csv_file.h"
#include "output/elog_lists.h"
#include "output/output_fixture.h"
#include "output/stf_file.h"
#include "platform/scripted_platform.h"

namespace korv::testing {
namespace {

TEST(OutputMenuTest, DezOffersItsOutputsWithWriters) {
  std::array<std::uint8_t, kContestHeaderSize> bytes{};
  ContestHeader header(bytes);
  bool german = true;
  const ContestRules rules = FillContestPresets('3', header, german);
  struct Expected {
    const char* caption;
    OutputKind kind;
    bool allowed, available;
  } expected[] = {
      {"STF-Datei (empfohlen)", OutputKind::kStf, true, true},
      {"EDI-Datei", OutputKind::kEdi, false, true},
      {"E-Log Gesamtdatei", OutputKind::kElogComplete, true, true},
      {"E-Log Deckblatt", OutputKind::kElogCoverSheet, true, true},
      {"E-Log QSO-Liste", OutputKind::kElogQsoList, true, true},
      {"E-Log Band-Liste", OutputKind::kElogBandList, false, true},
      {"E-Log Multi-Checkliste", OutputKind::kElogMultiplierList, false, true},
      {"Cabrillo-Datei", OutputKind::kCabrillo, false, true},
      {"Cabrillo 3.0", OutputKind::kCabrillo3, false, true},
      {"ADIF- Exportdatei der QSO-Liste", OutputKind::kAdif, true, true},
      {"CSV- Exportdatei der QSO-Liste", OutputKind::kCsv, true, true},
      {"Papierlog - Deckblatt", OutputKind::kPaperCoverSheet, true, true},
      {"Papierlog - QSO-Liste", OutputKind::kPaperQsoList, true, true},
      {"Papierlog - Band-Liste", OutputKind::kPaperBandList, false, true},
      {"Papierlog - Multi-Checkliste", OutputKind::kPaperMultiplierList, false, true},
  };
  const auto entries = OutputMenuEntries(rules);
  ASSERT_EQ(entries.size(), std::size(expected));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].caption, expected[i].caption) << i;
    EXPECT_EQ(entries[i].kind, expected[i].kind) << i;
    EXPECT_EQ(entries[i].allowed, expected[i].allowed) << expected[i].caption;
    EXPECT_EQ(entries[i].available, expected[i].available) << expected[i].caption;
  }

  ContestRules edi = rules;
  edi.outputFlags.reset(3);
  edi.outputFlags.set(13);
  const auto changed = OutputMenuEntries(edi);
  EXPECT_EQ(changed[0].caption, "STF-Datei");
  EXPECT_FALSE(changed[0].enabled());
  EXPECT_EQ(changed[1].caption, "EDI-Datei (empfohlen)");
  EXPECT_TRUE(changed[1].enabled());
}

class OutputProcedureTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    FillSampleLog();
    out = dir / "out";
    std::filesystem::create_directory(out);
  }
  FileOutputJob Job(OutputKind kind, ContestCode code = '3') {
    FileOutputJob job;
    job.kind = kind;
    job.code = code;
    job.catalogue = catalogue.get();
    job.platform = &platform;
    job.directory = out;
    job.showTextFile = [this](const std::filesystem::path& p) { shown.push_back(p); };
    return job;
  }
  std::string Read(const std::filesystem::path& p) const {
    const auto bytes = ReadAll(p);
    return {bytes.begin(), bytes.end()};
  }
  ScriptedPlatform platform;
  std::filesystem::path out;
  std::vector<std::filesystem::path> shown;
};

TEST_F(OutputProcedureTest, EachFileOutputWritesWhatItsWriterMakes) {
  struct Case {
    OutputKind kind;
    const char* name;     // in the notice
    const char* filter;
    const char* fileName;  // proposed
    bool announced, shownInWindow;
    std::function<std::string(const OutputContext&, FileBlock&)> expected;
  } cases[] = {
      {OutputKind::kElogCoverSheet, "E-Log - Deckblattdatei", "E-Log Deckblatt", "DL1ABC.SUM", false, true,
       [](const OutputContext& ctx, FileBlock&) { return CoverSheetFile(ctx); }},
      {OutputKind::kElogQsoList, "E-Log - Listendatei", "E-Log Liste", "DL1ABC.ALL", true, true,
       [](const OutputContext& ctx, FileBlock& f) { return ElogQsoList(ctx, f).bytes; }},
      {OutputKind::kStf, "STF - Listendatei", "STF-Liste", "DL1ABC.STF", true, true,
       [](const OutputContext& ctx, FileBlock& f) { return StfFile(ctx, f).bytes; }},
      {OutputKind::kElogBandList, "E-Log - Bandlistendatei", "E-Log Bandliste", "DL1ABC.BND", true, true,
       [](const OutputContext& ctx, FileBlock& f) { return ElogBandList(ctx, f).bytes; }},
      {OutputKind::kElogComplete, "E-Log - Gesamtdatei", "E-Log Gesamtdatei", "DL1ABC.TXT", true, false,
       [](const OutputContext& ctx, FileBlock& f) { return ElogCompleteFile(ctx, f).bytes; }},
      {OutputKind::kCsv, "CSV - Listendatei", "CSV-Liste", "DL1ABC.CSV", true, false,
       [](const OutputContext& ctx, FileBlock& f) { return CsvFile(ctx, f).bytes; }},
      {OutputKind::kElogMultiplierList, "E-Log - Multi-Checkliste", "E-Log Multicheckliste",
       "DL1ABC-multi.txt", true, false,
       [](const OutputContext& ctx, FileBlock& f) { return ElogMultiplierCheckList(ctx, f).bytes; }},
      {OutputKind::kCabrillo3, "Cabrillo 3.0 - Datei", "Cabrillo 3.0", "DL1ABC.LOG", true, false,
       [](const OutputContext& ctx, FileBlock& f) { return Cabrillo3File(ctx, f).bytes; }},
  };
  for (const Case& c : cases) {
    platform.ClearRecord();
    shown.clear();
    const std::filesystem::path target = out / c.fileName;
    platform.AnswerNextFileDialog(target);
    const auto written = RunFileOutput(Job(c.kind), Context());
    ASSERT_TRUE(written.has_value()) << c.fileName;
    EXPECT_EQ(*written, target);
    const std::string expected = c.expected(Context(), *qsoFile);
    EXPECT_FALSE(expected.empty()) << c.fileName;
    EXPECT_EQ(Read(target), expected) << c.fileName;

    std::vector<std::string> informs{std::string("Geben Sie im folgenden Dialog an, wohin die ") + c.name +
                                     " " + c.fileName + " gespeichert werden soll."};
    if (c.announced) informs.push_back("Datei " + target.string() + " wurde erstellt.");
    EXPECT_EQ(platform.TextsOf(ScriptedPlatform::Kind::kInform), informs) << c.fileName;
    ASSERT_EQ(platform.FileDialogs().size(), 1u);
    EXPECT_EQ(platform.FileDialogs()[0].filterCaption, c.filter);
    EXPECT_EQ(platform.FileDialogs()[0].proposedName, c.fileName);
    EXPECT_EQ(platform.FileDialogs()[0].directory, out);
    EXPECT_EQ(shown, c.shownInWindow ? std::vector<std::filesystem::path>{target}
                                     : std::vector<std::filesystem::path>{})
        << c.fileName;
  }
  // The log's QSO file is still open exactly once (the fixture's own use).
  EXPECT_EQ(qsoFile->usageCount, 1);
}

TEST_F(OutputProcedureTest, AdifAsksWhetherToExportTheReportsOnly) {
  for (bool rstOnly : {true, false}) {
    platform.ClearRecord();
    const std::filesystem::path target = out / "log.ADI";
    platform.AnswerNextFileDialog(target);
    platform.AnswerNextQuestion(rstOnly);
    ASSERT_TRUE(RunFileOutput(Job(OutputKind::kAdif), Context()).has_value());
    EXPECT_EQ(platform.TextsOf(ScriptedPlatform::Kind::kQuestion),
              std::vector<std::string>{"Von der Kontrollnummer nur RS(T) exportieren?"});
    EXPECT_EQ(Read(target), AdifExport(Context(), *qsoFile, rstOnly).bytes);
  }
}

TEST_F(OutputProcedureTest, EdiLetsTheOperatorCompleteTheHeaderAfterNamingTheFile) {
  const std::filesystem::path target = out / "DL1ABC.EDI";
  // Completed: the file holds the values as the operator left them.
  platform.AnswerNextFileDialog(target);
  FileOutputJob job = Job(OutputKind::kEdi);
  EdiStationData seen;
  std::size_t dialogsBefore = 0;
  job.completeEdiStation = [&](EdiStationData& values) {
    dialogsBefore = platform.FileDialogs().size();
    seen = values;
    values.rname = "Erika Muster";
    values.pband = "432 MHz";
    values.remarks = "IC-9700\n10 W";
    return true;
  };
  ASSERT_TRUE(RunFileOutput(job, Context()).has_value());
  EXPECT_EQ(dialogsBefore, 1u);  // the station dialog follows the save dialog
  EXPECT_EQ(seen.pcall, EdiDefaults(Context()).pcall);
  EXPECT_EQ(seen.pclub1, "DARC");
  EXPECT_EQ(platform.FileDialogs()[0].filterCaption, "EDI-Datei");
  EXPECT_EQ(platform.FileDialogs()[0].proposedName, "DL1ABC.EDI");
  const std::string file = Read(target);
  EXPECT_NE(file.find("\r\nRName=Erika Muster\r\n"), std::string::npos);
  EXPECT_NE(file.find("\r\nPBand=432 MHz\r\n"), std::string::npos);
  EXPECT_NE(file.find("\r\n[Remarks]\r\nIC-9700\r\n10 W\r\n[QSORecords;"), std::string::npos);
  EXPECT_EQ(platform.TextsOf(ScriptedPlatform::Kind::kInform),
            (std::vector<std::string>{
                "Geben Sie im folgenden Dialog an, wohin die EDI - Datei DL1ABC.EDI gespeichert werden soll.",
                "Datei " + target.string() + " wurde erstellt."}));

  // Left without "OK": no file and no message of a written one.
  std::filesystem::remove(target);
  platform.ClearRecord();
  platform.AnswerNextFileDialog(target);
  job.completeEdiStation = [](EdiStationData&) { return false; };
  EXPECT_FALSE(RunFileOutput(job, Context()).has_value());
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_EQ(platform.TextsOf(ScriptedPlatform::Kind::kInform).size(), 1u);
  EXPECT_EQ(qsoFile->usageCount, 1);
}

TEST_F(OutputProcedureTest, CancelWritesNothingAndFailuresAreReported) {
  // Cancelled dialog: only the notice.
  EXPECT_FALSE(RunFileOutput(Job(OutputKind::kStf), Context()).has_value());
  EXPECT_EQ(platform.TextsOf(ScriptedPlatform::Kind::kInform).size(), 1u);
  EXPECT_TRUE(std::filesystem::is_empty(out));

  // A file in a directory that does not exist cannot be created.
  platform.ClearRecord();
  const std::filesystem::path bad = out / "missing" / "DL1ABC.STF";
  platform.AnswerNextFileDialog(bad);
  EXPECT_FALSE(RunFileOutput(Job(OutputKind::kStf), Context()).has_value());
  const auto informs = platform.TextsOf(ScriptedPlatform::Kind::kInform);
  ASSERT_EQ(informs.size(), 2u);
  EXPECT_EQ(informs[1], "Die Datei " + bad.string() + " konnte nicht erstellt werden.");
  EXPECT_TRUE(shown.empty());

  // A name typed without extension gets the output's.
  platform.ClearRecord();
  platform.AnswerNextFileDialog(out / "dez");
  const auto written = RunFileOutput(Job(OutputKind::kCsv), Context());
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(*written, out / "dez.CSV");
  EXPECT_TRUE(std::filesystem::exists(out / "dez.CSV"));
}

TEST_F(OutputProcedureTest, ProposedNamesCarryCallAndShortName) {
  header.SetOwnCall("DL1ABC/P");
  EXPECT_EQ(ProposedOutputFileName(OutputKind::kStf, Context()), "DL1ABC_P.STF");
  rules.participationTypes[1].shortName = "A: 1.5/x,y\\z";
  EXPECT_EQ(ProposedOutputFileName(OutputKind::kElogQsoList, Context()), "DL1ABC_P-A 1-5_x_y_z.ALL");
  EXPECT_EQ(ProposedOutputFileName(OutputKind::kCabrillo, Context()), "DL1ABC_P.CAB");
  EXPECT_EQ(ProposedOutputFileName(OutputKind::kCabrillo3, Context()), "DL1ABC_P.LOG");
  header.SetParticipationType(0);
  EXPECT_EQ(ProposedOutputFileName(OutputKind::kCsv, Context()), "DL1ABC_P.CSV");
}

TEST_F(OutputProcedureTest, PartyContestsWriteTheirStfAsCompleteFile) {
  EXPECT_EQ(EffectiveOutputKind(OutputKind::kElogComplete, '5'), OutputKind::kStf);
  EXPECT_EQ(EffectiveOutputKind(OutputKind::kElogComplete, 'P'), OutputKind::kStf);
  EXPECT_EQ(EffectiveOutputKind(OutputKind::kElogComplete, '3'), OutputKind::kElogComplete);
  platform.AnswerNextFileDialog(out / "p.STF");
  ASSERT_TRUE(RunFileOutput(Job(OutputKind::kElogComplete, 'P'), Context()).has_value());
  EXPECT_EQ(platform.FileDialogs()[0].filterCaption, "STF-Liste");
  EXPECT_EQ(Read(out / "p.STF"), StfFile(Context(), *qsoFile).bytes);
}

}  // namespace
}  // namespace korv::testing
