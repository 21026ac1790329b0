// The log commands of korvtool end to end in a fresh data directory:
// a log created, QSOs entered, refused, deleted, and the score.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "logging/totals_record.h"
#include "output/output_context.h"
#include "output/output_procedure.h"
#include "platform/scripted_platform.h"
#include "refdata/call_history.h"
#include "shell/contest_directory.h"
#include "shell/program_session.h"
#include "support/test_support.h"
#include "tool/korvtool.h"
#include "tool/tool_run.h"

namespace korv::tool {
namespace {


class KorvtoolLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = korv::testing::MakeTempDir("korvtool-log");
    ASSERT_FALSE(dir.empty());
    std::ofstream(dir / "cty.csv")
        << "DL,Fed. Rep. of Germany,230,EU,14,28,51.00,-10.00,-1.0,DA DB DC DD DE DF DG DH DI DJ DK DL DM DN DO DP DQ DR;\n"
        << "OE,Austria,206,EU,15,28,47.33,-13.33,-1.0,OE;\n"
        << "F,France,227,EU,14,27,46.00,-2.00,-1.0,F;\n";
    ASSERT_EQ(Tool({"prefix", "import-cty", (dir / "cty.csv").string()}).code, kExitOk);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  Outcome Tool(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data", dir.string()});
    return RunInChild(args);
  }
  static bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
  }

  std::filesystem::path dir;
};

TEST_F(KorvtoolLogTest, NewRefusesWhatTheConfigurationWindowRefuses) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"new", "--call", "DL9XYZ", "--clock", "utc", "--type", "1", "--dok", "N01"},
       "Eingabe eines Contest-Namens notwendig."},
      {{"new", "--name", "DEZ", "--call", "DL9XYZ", "--clock", "utc", "--type", "1", "--dok", "N01"},
       "Angabe der Postleitzahl und des Ortes notwendig."},
      {{"new", "--name", "DEZ", "--call", "DL9XYZ", "--type", "1", "--address", "A;B;12345 Town;DL", "--start",
        "14.11.2026", "--end", "14.11.2026"},
       "Kein DOK angegeben. Trotzdem weiter?"},
      {{"new", "--name", "DEZ", "--call", "DL9XYZ", "--dok", "N01", "--type", "1", "--address",
        "A;B;12345 Town;DL", "--start", "14.11.2026", "--end", "14.11.2026"},
       "Es wurde nicht bestimmt, ob der Computer mit Ortszeit l\xC3\xA4uft."},
      {{"new", "--name", "DEZ", "--call", "DL9XYZ", "--dok", "N01", "--clock", "utc", "--address",
        "A;B;12345 Town;DL", "--start", "14.11.2026", "--end", "14.11.2026"},
       "Sie haben keine Teilnahmeart angegeben."},
  };
  for (const auto& c : cases) {
    const Outcome o = Tool(c.args);
    EXPECT_EQ(o.code, kExitRefused) << c.message;
    EXPECT_TRUE(Contains(o.err, c.message)) << o.err;
  }
  EXPECT_TRUE(Contains(Tool({"logs"}).out, "no contest logs"));
}

TEST_F(KorvtoolLogTest, ScoreExampleFromTheShell) {
  const Outcome created = Tool({"new", "--name", "DEZ 2026", "--call", "DL9XYZ", "--dok", "N01", "--start",
                                "14.11.2026", "--end", "14.11.2026", "--clock", "utc", "--type", "1", "--address",
                                "Hans Muster;Hauptstr. 1;12345 Berlin;Germany"});
  ASSERT_EQ(created.code, kExitOk) << created.err;
  EXPECT_EQ(created.out, "1\n");
  const std::vector<std::vector<std::string>> eighty = {
      {"DL1AAA", "N01"}, {"DL2BBB", "N02"}, {"DK0AB", "P01"}, {"DK0VZ", "N03"}, {"DL3CCC", "N04"},
      {"DL4DDD", "N01"}, {"OE1ABC"},        {"F5ABC"},        {"DL5EEE", "P02"}, {"DL6FFF", "ZZ9"}};
  for (const auto& q : eighty) {
    std::vector<std::string> args{"add", "1"};
    args.insert(args.end(), q.begin(), q.end());
    args.insert(args.end(), {"--band", "80"});
    const Outcome o = Tool(args);
    ASSERT_EQ(o.code, kExitOk) << q[0] << ": " << o.err;
  }
  const Outcome dupe = Tool({"add", "1", "DL1AAA/P", "N01", "--band", "80 m"});
  EXPECT_EQ(dupe.code, kExitRefused);
  EXPECT_TRUE(Contains(dupe.err, "Call DL1AAA bereits auf Band vorhanden")) << dupe.err;
  const Outcome forty = Tool({"add", "1", "DL1AAA", "N01", "--band", "40m"});
  ASSERT_EQ(forty.code, kExitOk) << forty.err;
  EXPECT_TRUE(Contains(forty.out, "QSO 11  DL1AAA  40 m")) << forty.out;
  EXPECT_TRUE(Contains(forty.out, "multi N01")) << forty.out;
  ASSERT_EQ(Tool({"add", "1", "DL7GGG", "N07", "--band", "40"}).code, kExitOk);
  EXPECT_EQ(Tool({"add", "1", "DL8HHH", "--band", "20"}).code, kExitRefused);
  // A frequency on a band the contest does not have: refused, band kept.
  const Outcome offBand = Tool({"add", "1", "DL8HHH", "N08", "--freq", "14,2"});
  EXPECT_EQ(offBand.code, kExitRefused);
  EXPECT_TRUE(Contains(offBand.err, "Die Frequenz liegt auf keinem Band dieses Contests.")) << offBand.err;
  EXPECT_EQ(Tool({"add", "1", "DL8HHH", "N08", "N09"}).code, kExitRefused);

  const Outcome score = Tool({"score", "1"});
  ASSERT_EQ(score.code, kExitOk);
  EXPECT_EQ(score.out,
            "80 m  QSO 10  Multi 4  Punkte 23\n"
            "40 m  QSO 2  Multi 2  Punkte 2\n"
            "10 m  QSO 0  Multi 0  Punkte 0\n"
            "12 QSO\n6 Multi x\n25 Punkte =\n150 Pkt.\n");
  const Outcome logs = Tool({"logs"});
  EXPECT_TRUE(Contains(logs.out, "1  DEZ 2026  14.11.2026  14.11.2026  12 QSO  150 Pkt.")) << logs.out;

  const Outcome del = Tool({"delete", "1", "4"});  // the organiser's station, 10 points
  ASSERT_EQ(del.code, kExitOk) << del.err;
  EXPECT_TRUE(Contains(del.out, "DK0VZ"));
  EXPECT_TRUE(Contains(Tool({"score", "1"}).out, "15 Punkte =\n75 Pkt.\n"));
  EXPECT_EQ(Tool({"delete", "1", "99"}).code, kExitRefused);
  EXPECT_TRUE(Contains(Tool({"check"}).out, "ok  KVLK0001  11 records"));
}

TEST_F(KorvtoolLogTest, ExportAndImportAdifRoundTrip) {
  ASSERT_EQ(Tool({"new", "--name", "DEZ 2026", "--call", "DL9XYZ", "--dok", "N01", "--start", "14.11.2026", "--end",
                  "14.11.2026", "--clock", "utc", "--type", "1", "--address", "A B;Weg 1;12345 Ort;DL"})
                .code,
            kExitOk);
  ASSERT_EQ(Tool({"add", "1", "DL1AAA", "N01", "--band", "80"}).code, kExitOk);
  ASSERT_EQ(Tool({"add", "1", "DL2BBB", "N02", "--band", "40"}).code, kExitOk);
  const std::filesystem::path adif = dir / "log.adi";
  const Outcome exported = Tool({"export", "1", "adif", adif.string()});
  ASSERT_EQ(exported.code, kExitOk) << exported.err;
  EXPECT_TRUE(Contains(exported.err, "Von der Kontrollnummer nur RS(T) exportieren?")) << exported.err;
  EXPECT_TRUE(Contains(exported.out, "wurde erstellt."));
  EXPECT_EQ(Tool({"export", "1", "elog-bands", (dir / "x.bnd").string()}).code, kExitRefused);
  // Formats the contest does not offer: refused, written with --force.
  const struct {
    const char* format;
    const char* file;
    const char* start;  // the file's first bytes
  } forced[] = {
      {"edi", "x.edi", "[Korv DEZ"},
      {"cabrillo3", "x.log", "START-OF-LOG: 3.0\r\nCALLSIGN: DL9XYZ\r\n"},
  };
  for (const auto& c : forced) {
    const std::filesystem::path file = dir / c.file;
    EXPECT_EQ(Tool({"export", "1", c.format, file.string()}).code, kExitRefused) << c.format;
    EXPECT_FALSE(std::filesystem::exists(file)) << c.format;
    const Outcome written = Tool({"export", "1", c.format, file.string(), "--force"});
    EXPECT_EQ(written.code, kExitOk) << c.format << ": " << written.err;
    EXPECT_TRUE(ReadWhole(file).starts_with(c.start)) << c.format;
  }
  const std::string cabrillo = ReadWhole(dir / "x.log");
  EXPECT_TRUE(Contains(cabrillo, " DL9XYZ        599 N01    DL1AAA ")) << cabrillo;
  EXPECT_TRUE(Contains(cabrillo, "\r\nEND-OF-LOG:\r\n")) << cabrillo;
  EXPECT_EQ(Tool({"export", "1", "nonsense", (dir / "x").string()}).code, kExitRefused);

  // A second log takes the exported QSOs; the exchange is mapped to the DOK.
  ASSERT_EQ(Tool({"new", "--name", "DEZ copy", "--call", "DL9XYZ", "--dok", "N01", "--start", "14.11.2026", "--end",
                  "14.11.2026", "--clock", "utc", "--type", "1"})
                .code,
            kExitOk);
  const Outcome imported = Tool({"import-adif", "2", adif.string(), "--map", "DOK=DOK"});
  ASSERT_EQ(imported.code, kExitOk) << imported.err;
  EXPECT_EQ(imported.out, "2 Datens\xC3\xA4tze importiert\n");
  EXPECT_TRUE(Contains(Tool({"score", "2"}).out, "2 Punkte =\n4 Pkt.\n"));
  const Outcome again = Tool({"import-adif", "2", adif.string()});
  EXPECT_TRUE(Contains(again.out, "0 Datens\xC3\xA4tze importiert\r\n2 Calls doppelt")) << again.out;
  EXPECT_EQ(Tool({"import-adif", "2", (dir / "missing.adi").string()}).code, kExitRefused);
}

// Runs of blanks as one blank: pdftotext keeps the words of a line but not
// the exact spacing.
std::string Squeezed(const std::string& text) {
  std::string s;
  for (const char c : text) {
    if (c == ' ' && !s.empty() && s.back() == ' ') continue;
    s += c;
  }
  return s;
}

// The pages of a PDF as pdftotext lays them out, blanks squeezed; empty when
// pdftotext is missing or fails.
std::vector<std::string> PdfPages(const std::filesystem::path& pdf) {
  const std::filesystem::path text = pdf.string() + ".txt";
  const std::string command = "pdftotext -layout '" + pdf.string() + "' '" + text.string() + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream in(text, std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> pages;
  std::size_t start = 0;
  for (std::size_t ff = all.find('\f'); ff != std::string::npos; ff = all.find('\f', start)) {
    pages.push_back(Squeezed(all.substr(start, ff - start)));
    start = ff + 1;
  }
  return pages;
}

bool HavePdfToText() { return std::system("pdftotext -v >/dev/null 2>&1") == 0; }

TEST_F(KorvtoolLogTest, PrintsThePaperLogIntoAPdf) {
  if (!HavePdfToText()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  ASSERT_EQ(Tool({"new", "--name", "DEZ 2026", "--call", "DL9XYZ", "--dok", "N01", "--start", "14.11.2026", "--end",
                  "14.11.2026", "--clock", "utc", "--type", "1", "--address", "Hans Muster;Weg 1;12345 Ort;DL"})
                .code,
            kExitOk);
  // 500 QSOs on 80 m from another logger.
  constexpr int kQsos = 500;
  const std::filesystem::path adif = dir / "500.adi";
  {
    std::ofstream out(adif, std::ios::binary);
    out << "generated\n<EOH>\n";
    for (int i = 0; i < kQsos; ++i) {
      const std::string call = "DL" + std::to_string(i % 10) + static_cast<char>('A' + i / 676) +
                               static_cast<char>('A' + i / 26 % 26) + static_cast<char>('A' + i % 26);
      char time[5];
      std::snprintf(time, sizeof time, "%02d%02d", 8 + i / 60 % 12, i % 60);
      const std::string dok = "N" + std::string(1, static_cast<char>('0' + i % 4)) + "1";
      out << "<QSO_DATE:8>20261114 <TIME_ON:4>" << time << " <CALL:" << call.size() << ">" << call
          << " <RST_SENT:2>59 <RST_RCVD:2>59 <BAND:3>80m <MODE:3>SSB <DOK:3>" << dok << " <EOR>\n";
    }
  }
  const Outcome imported = Tool({"import-adif", "1", adif.string(), "--map", "DOK=DOK"});
  ASSERT_EQ(imported.code, kExitOk) << imported.err;
  ASSERT_TRUE(Contains(imported.out, "500 Datens")) << imported.out;

  // The QSO list: every page headed by its number, every QSO once and in
  // order, the summary at the end.
  const std::filesystem::path list = dir / "list.pdf";
  const Outcome printed = Tool({"print", "1", "qso-list", "--pdf", list.string()});
  ASSERT_EQ(printed.code, kExitOk) << printed.err;
  EXPECT_TRUE(Contains(printed.out, "wurde erstellt.")) << printed.out;
  const std::vector<std::string> pages = PdfPages(list);
  ASSERT_GT(pages.size(), 2u);
  int expected = 1;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    std::istringstream lines(pages[p]);
    std::string first;
    std::getline(lines, first);
    const std::string number = std::to_string(p + 1);
    EXPECT_TRUE(first.starts_with("DEZ - QSO-Liste CALL: DL9XYZ ")) << first;
    EXPECT_TRUE(first.ends_with(" Page : " + number)) << first;
    for (std::string line; std::getline(lines, line);) {
      std::istringstream fields(line);
      std::string nr, date, time, call;
      if (!(fields >> nr >> date >> time >> call) || date != "141126") continue;
      EXPECT_EQ(nr, std::to_string(expected)) << "page " << p + 1;
      expected = std::stoi(nr) + 1;
    }
    EXPECT_TRUE(Contains(pages[p], "\nNr DATE UTC CALL BAND MODE SENT RCVD DOK P\n")) << "page " << p + 1;
  }
  EXPECT_EQ(expected, kQsos + 1);
  // The summary shows the totals that score reports ("... M Multi x\nP Punkte =\nS Pkt.").
  std::istringstream score(Tool({"score", "1"}).out);
  std::vector<std::string> words{std::istream_iterator<std::string>(score), std::istream_iterator<std::string>()};
  ASSERT_GE(words.size(), 8u);
  const std::string& multis = words[words.size() - 8];
  const std::string& points = words[words.size() - 5];
  const std::string& total = words[words.size() - 2];
  EXPECT_TRUE(Contains(pages.back(), "( " + multis + ") x " + points + "\n\n " + total + " Punkte")) << pages.back();

  // The whole log: the cover sheet alone on page one, the lists numbered on.
  const std::filesystem::path whole = dir / "all.pdf";
  ASSERT_EQ(Tool({"print", "1", "all", "--pdf", whole.string()}).code, kExitOk);
  const std::vector<std::string> all = PdfPages(whole);
  ASSERT_GT(all.size(), pages.size());
  EXPECT_TRUE(Contains(all[0], "Endergebnis:")) << all[0];
  EXPECT_TRUE(Contains(all[0], "Unterschrift _______________")) << all[0];
  EXPECT_FALSE(Contains(all[0], "Page :"));
  EXPECT_TRUE(Contains(all[1], "DEZ Multiplier Check List DL9XYZ")) << all[1];
  EXPECT_TRUE(Contains(all[1], "Page : 2")) << all[1];
  EXPECT_TRUE(Contains(all[1], "N01 DL0AAA")) << all[1];
  EXPECT_TRUE(Contains(all.back(), "Page : " + std::to_string(all.size()))) << all.back();

  // The lists that the contest does not offer need --force; there is no
  // printer without --pdf.
  EXPECT_EQ(Tool({"print", "1", "band-list", "--pdf", (dir / "b.pdf").string()}).code, kExitRefused);
  EXPECT_EQ(Tool({"print", "1", "band-list", "--pdf", (dir / "b.pdf").string(), "--force"}).code, kExitOk);
  EXPECT_EQ(Tool({"print", "1", "cover"}).code, kExitRefused);
  EXPECT_EQ(Tool({"print", "1", "poster", "--pdf", (dir / "p.pdf").string()}).code, kExitRefused);
}

// The ADIF export of the configuration window and of korvtool agree byte for
// byte (but for the moment of creation): the window's path is run here as
// the window runs it, over the session the program keeps open.
TEST_F(KorvtoolLogTest, WindowAndToolWriteTheSameAdifFile) {
  ASSERT_EQ(Tool({"new", "--name", "DEZ 2026", "--call", "DL9XYZ", "--dok", "N01", "--start", "14.11.2026", "--end",
                  "14.11.2026", "--clock", "utc", "--type", "1", "--address", "Hans Muster;Hauptstr. 1;12345 Berlin;Germany"})
                .code,
            kExitOk);
  for (const std::vector<std::string>& q : std::vector<std::vector<std::string>>{
           {"DL1AAA", "N01"}, {"OE1ABC"}, {"F5ABC/P"}, {"DL2BBB/MM"}, {"DL3CCC", "N02", "--band", "40"}}) {
    std::vector<std::string> args{"add", "1"};
    args.insert(args.end(), q.begin(), q.end());
    ASSERT_EQ(Tool(args).code, kExitOk) << q[0];
  }
  const std::filesystem::path fromTool = dir / "tool.ADI";
  ASSERT_EQ(Tool({"export", "1", "adif", fromTool.string(), "--rst-only"}).code, kExitOk);

  ScriptedPlatform platform;
  ProgramState state;
  korv::testing::RecordingFatalHandler fatal;
  SessionOptions options;
  options.dataDirectory = dir;
  options.countryFile = dir / "cty.csv";
  options.fatalHandler = &fatal;
  const std::filesystem::path fromWindow = dir / "window.ADI";
  {
    ProgramSession session(platform, state, options);
    ASSERT_EQ(session.Start(), ProgramSession::StartResult::kOk);
    KeyString key;
    key.AppendLong(1);
    ASSERT_TRUE(session.contestDirectory().FindExact(3, key).ok());
    session.FillPresets();
    FileBlock& totals = session.totals();
    ASSERT_TRUE(EnsureTotalsRecord(totals, 1).ok());
    const std::optional<TotalsRecord> tr = TotalsRecord::Over(totals.Record());
    const PrefixFiles prefixFiles = session.prefixFiles();
    const OutputContext ctx =
        MakeOutputContext(session.header(), session.rules(), ReadStoredTotals(session.header(), &*tr, session.rules()),
                          session.settings().own, platform.Now(), session.settings().utcOffsetHours, &prefixFiles);
    FileOutputJob job;
    job.kind = OutputKind::kAdif;
    job.code = session.header().contestCode();
    job.catalogue = &session.catalogue();
    job.platform = &platform;
    job.directory = dir;
    platform.AnswerNextFileDialog(fromWindow);
    platform.AnswerNextQuestion(true);
    ASSERT_TRUE(RunFileOutput(job, ctx).has_value());
    session.Stop();
  }
  const auto lines = [](const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
      if (line.find("CREATED_TIMESTAMP") == std::string::npos) out.push_back(line);
    }
    return out;
  };
  const std::vector<std::string> tool = lines(fromTool);
  ASSERT_EQ(tool.size(), 2u + 1u + 5u);  // maker, version line, <EOH>, five QSOs
  EXPECT_EQ(lines(fromWindow), tool);
  EXPECT_TRUE(Contains(tool[3], "<DXCC:3>230"));
  EXPECT_TRUE(Contains(tool[4], "<DXCC:3>206"));
  EXPECT_FALSE(Contains(tool[6], "<DXCC"));  // maritime mobile: no entity
}

// The log's calls and their latest DOKs as a call history that reads back.
TEST_F(KorvtoolLogTest, ExportCallHistoryReadsBackAsCallHistory) {
  ASSERT_EQ(Tool({"new", "--name", "DEZ 2026", "--call", "DL9XYZ", "--dok", "N01", "--start", "14.11.2026", "--end",
                  "14.11.2026", "--clock", "utc", "--type", "1", "--address", "Hans Muster;Hauptstr. 1;12345 Berlin;Germany"})
                .code,
            kExitOk);
  for (const std::vector<std::string>& q : std::vector<std::vector<std::string>>{
           {"DL2BBB", "N02"}, {"DL1AAA", "N01"}, {"DL1AAA", "N05", "--band", "40"}, {"DL3CCC"}, {"OE1ABC"}}) {
    std::vector<std::string> args{"add", "1"};
    args.insert(args.end(), q.begin(), q.end());
    ASSERT_EQ(Tool(args).code, kExitOk) << q[0];
  }
  const std::filesystem::path file = dir / "calls.txt";
  const Outcome exported = Tool({"export", "1", "callhistory", file.string()});
  ASSERT_EQ(exported.code, kExitOk) << exported.err;
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text,
            "# Call history of DEZ 2026, DL9XYZ, written by Korv DEZ\r\n"
            "DL1AAA,N05\r\n"
            "DL2BBB,N02\r\n");
  CallHistory history;
  const CallHistory::LoadResult r = history.LoadFile(file, true);
  EXPECT_EQ(r.calls, 2);
  EXPECT_EQ(r.skipped, 0);
  EXPECT_EQ(history.DokOf("DL1AAA"), "N05");
  EXPECT_EQ(history.DokOf("DL3CCC"), "");
}

}  // namespace
}  // namespace korv::tool
