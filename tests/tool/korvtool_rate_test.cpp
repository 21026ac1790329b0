// korvtool rate and print LOG rate end to end: a log with typed times built
// through new and add, its hours across midnight, the score against score,
// and the chart's PDF.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/test_support.h"
#include "tool/korvtool.h"
#include "tool/tool_run.h"

namespace korv::tool {
namespace {

class KorvtoolRateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = korv::testing::MakeTempDir("korvtool-rate");
    ASSERT_FALSE(dir.empty());
    std::ofstream(dir / "cty.csv") << "DL,Fed. Rep. of Germany,230,EU,14,28,51.00,-10.00,-1.0,DA "
                                      "DB DC DD DE DF DG DH DI DJ DK DL DM DN DO DP DQ DR;\n";
    ASSERT_EQ(Tool({"prefix", "import-cty", (dir / "cty.csv").string()}).code, kExitOk);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  Outcome Tool(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data", dir.string()});
    return RunInChild(args);
  }
  // A log whose QSOs take the typed date and time.
  void NewLog(const std::string& name) {
    const Outcome o = Tool({"new", "--name", name, "--call", "DL9XYZ", "--dok", "N01", "--start",
                            "14.11.2026", "--end", "15.11.2026", "--clock", "utc", "--type", "1",
                            "--manual-time", "--address", "Hans Muster;Weg 1;12345 Ort;DL"});
    ASSERT_EQ(o.code, kExitOk) << o.err;
  }
  static bool Contains(const std::string& text, std::string_view piece) {
    return text.find(piece) != std::string::npos;
  }
  // The text of a PDF as pdftotext reads it; empty when it fails.
  static std::string PdfText(const std::filesystem::path& pdf) {
    const std::filesystem::path text = pdf.string() + ".txt";
    const std::string command =
        "pdftotext -layout '" + pdf.string() + "' '" + text.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return {};
    std::ifstream in(text, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path dir;
};

TEST_F(KorvtoolRateTest, HoursAcrossMidnightWithTheScoreOfEachHour) {
  NewLog("DEZ 2026");
  // Entered out of time order: the hours follow the QSO times. P01 is no
  // DEZ multiplier, DK0VZ brings 10 points, N01 on 80 m again at 02:30 is
  // no new multiplier; 01:00 to 01:59 is a pause.
  const std::vector<std::vector<std::string>> qsos = {
      {"DL1AAA", "N01", "--band", "80", "--date", "14.11.2026", "--time", "22:10"},
      {"DL5EEE", "N01", "--band", "80", "--date", "15.11.2026", "--time", "02:30"},
      {"DK0VZ", "N02", "--band", "80", "--date", "14.11.2026", "--time", "23:55"},
      {"DL2BBB", "P01", "--band", "80", "--date", "14.11.2026", "--time", "23:59:59"},
      {"DL3CCC", "N02", "--band", "40", "--date", "15.11.2026", "--time", "00:00:00"},
      {"DL1AAA", "N01", "--band", "40", "--date", "15.11.2026", "--time", "00:03"},
  };
  for (const auto& q : qsos) {
    std::vector<std::string> args{"add", "1"};
    args.insert(args.end(), q.begin(), q.end());
    const Outcome o = Tool(args);
    ASSERT_EQ(o.code, kExitOk) << q[0] << ": " << o.err;
  }
  // Points 1, 10+1, 1+1, 0, 1; DOKs per band: N01/80, N02/80, N02/40 and
  // N01/40; score = all points x all multipliers at the end of the hour.
  // The best 10 minutes run from 23:55 over midnight to 00:03.
  const Outcome rate = Tool({"rate", "1"});
  ASSERT_EQ(rate.code, kExitOk) << rate.err;
  EXPECT_EQ(rate.out,
            "log 1  DEZ 2026  DL9XYZ\n"
            "hour (UTC)         QSOs  points  new multi       score\n"
            "14.11.2026 22:00      1       1          1           1\n"
            "14.11.2026 23:00      2      11          1          24\n"
            "15.11.2026 00:00      2       2          2          56\n"
            "15.11.2026 01:00      0       0          0          56\n"
            "15.11.2026 02:00      1       1          0          60\n"
            "total                 6      15          4          60\n"
            "best 10 minutes: 4 QSOs from 14.11.2026 23:55:00 (24 QSOs/h)\n"
            "best 60 minutes: 4 QSOs from 14.11.2026 23:55:00 (4 QSOs/h)\n");

  // The last hour's score is the claimed score of score.
  const auto lastWord = [](const std::string& text, std::size_t fromEnd) {
    std::istringstream in(text);
    const std::vector<std::string> words{std::istream_iterator<std::string>(in),
                                         std::istream_iterator<std::string>()};
    return words.size() > fromEnd ? words[words.size() - 1 - fromEnd] : std::string();
  };
  const Outcome score = Tool({"score", "1"});
  ASSERT_EQ(score.code, kExitOk);
  ASSERT_TRUE(Contains(score.out, " Pkt.\n")) << score.out;
  std::istringstream rows(rate.out);
  std::string total;
  for (std::string line; std::getline(rows, line);) {
    if (line.starts_with("total")) total = line;
  }
  EXPECT_EQ(lastWord(total, 0), lastWord(score.out, 1)) << score.out;

  // A later QSO changes the last hour and the score alike.
  ASSERT_EQ(Tool({"add", "1", "DL4DDD", "N04", "--band", "10", "--date", "15.11.2026", "--time",
                  "02:59:59"})
                .code,
            kExitOk);
  const Outcome again = Tool({"rate", "1"});
  EXPECT_TRUE(Contains(again.out, "15.11.2026 02:00      2       2          1          80\n"))
      << again.out;
  EXPECT_TRUE(Contains(Tool({"score", "1"}).out, "\n80 Pkt.\n"));
}

TEST_F(KorvtoolRateTest, RefusalsAndALogWithoutQsos) {
  NewLog("Leer");
  const Outcome empty = Tool({"rate", "1"});
  EXPECT_EQ(empty.code, kExitOk) << empty.err;
  EXPECT_EQ(empty.out, "log 1  Leer  DL9XYZ\nno QSOs with date and time in log 1\n");

  const struct {
    std::vector<std::string> args;
    const char* message;
  } refused[] = {
      {{"rate"}, "rate: needs LOG"},
      {{"rate", "1", "2"}, "rate: needs LOG"},
      {{"rate", "x1"}, "rate: no log number: x1"},
      {{"rate", "7"}, "rate: no log 7 of the active contest"},
      {{"print", "7", "rate", "--pdf", (dir / "x.pdf").string()},
       "print: no log 7 of the active contest"},
      {{"print", "1", "rate"}, "print: there is no printer here"},
  };
  for (const auto& c : refused) {
    const Outcome o = Tool(c.args);
    EXPECT_EQ(o.code, kExitRefused) << c.message;
    EXPECT_TRUE(Contains(o.err, c.message)) << o.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "x.pdf"));

  const Outcome help = Tool({"--help"});
  EXPECT_TRUE(Contains(help.out, "\n  rate LOG ")) << help.out;
  EXPECT_TRUE(Contains(help.out, "\n  print LOG rate --pdf OUTFILE\n")) << help.out;
}

TEST_F(KorvtoolRateTest, PrintsTheRateChartIntoAPdf) {
  if (std::system("pdftotext -v >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  NewLog("DEZ 2026");
  const std::filesystem::path emptyPdf = dir / "empty.pdf";
  const Outcome empty = Tool({"print", "1", "rate", "--pdf", emptyPdf.string()});
  ASSERT_EQ(empty.code, kExitOk) << empty.err;
  EXPECT_TRUE(Contains(PdfText(emptyPdf), "Das Log enth\xC3\xA4lt keine QSOs mit Datum und Zeit."))
      << PdfText(emptyPdf);

  const struct {
    const char *call, *date, *time;
  } qsos[] = {{"DL1AAA", "14.11.2026", "22:10"},
              {"DL2BBB", "14.11.2026", "23:59:59"},
              {"DL3CCC", "15.11.2026", "00:00:00"},
              {"DL4DDD", "15.11.2026", "02:30"}};
  for (const auto& q : qsos) {
    const Outcome o =
        Tool({"add", "1", q.call, "N01", "--band", "80", "--date", q.date, "--time", q.time});
    ASSERT_EQ(o.code, kExitOk) << q.call << ": " << o.err;
  }
  const std::filesystem::path pdf = dir / "rate.pdf";
  const Outcome printed = Tool({"print", "1", "rate", "--pdf", pdf.string()});
  ASSERT_EQ(printed.code, kExitOk) << printed.err;
  EXPECT_TRUE(Contains(printed.out, "wurde erstellt.")) << printed.out;
  const std::string text = PdfText(pdf);
  EXPECT_TRUE(Contains(text, "QSO-Rate: DEZ 2026 \xE2\x80\x93 DL9XYZ")) << text;
  EXPECT_TRUE(Contains(text, "QSOs je Stunde")) << text;
  EXPECT_TRUE(Contains(text, "Punkte gesamt")) << text;
  EXPECT_TRUE(Contains(text, "4 QSOs,")) << text;
  // One label an hour from 22:00 to 02:00, the dates under the first of each day.
  std::size_t at = 0;
  for (const char* label : {"22:00", "23:00", "00:00", "01:00", "02:00"}) {
    at = text.find(label, at);
    EXPECT_NE(at, std::string::npos) << label << "\n" << text;
  }
  EXPECT_TRUE(Contains(text, "14.11.2026") && Contains(text, "15.11.2026")) << text;
  EXPECT_TRUE(Contains(text, "Stunde (UTC)")) << text;
}

}  // namespace
}  // namespace korv::tool
