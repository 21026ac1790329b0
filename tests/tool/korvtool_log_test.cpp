// The log commands of korvtool end to end in a fresh data directory:
// a log created, QSOs entered, refused, deleted, and the score.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_support.h"
#include "tool/korvtool.h"

namespace korv::tool {
namespace {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

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
    std::ostringstream out, err;
    const int code = korv::tool::Run(args, out, err);
    return {code, out.str(), err.str()};
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
  EXPECT_EQ(Tool({"export", "1", "edi", (dir / "x.edi").string()}).code, kExitRefused);
  const Outcome edi = Tool({"export", "1", "edi", (dir / "x.edi").string(), "--force"});
  EXPECT_EQ(edi.code, kExitOk) << edi.err;
  EXPECT_TRUE(std::filesystem::exists(dir / "x.edi"));
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

}  // namespace
}  // namespace korv::tool
