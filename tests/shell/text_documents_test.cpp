// The rules documents' text and the printing of text lines.
#include "shell/text_documents.h"

#include <gtest/gtest.h>

#include "platform/scripted_platform.h"

namespace korv {
namespace {

TEST(RtfToTextTest, KeepsTheTextDropsTheMarkup) {
  struct Case {
    const char* what;
    std::string rtf;
    std::string text;
  } cases[] = {
      {"paragraphs and formatting",
       "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
       "\\pard\\b Regeln\\b0\\par\nTeilnehmer: alle\\par}",
       "Regeln\nTeilnehmer: alle\n"},
      {"hex bytes and escapes", "{\\rtf1 Stra\\'dfe \\{a\\} \\\\ K\\'f6ln\\tab x\\line y}",
       "Stra\xDF" "e {a} \\ K\xF6ln\tx\ny"},
      {"ignorable destinations", "{\\rtf1{\\*\\generator Writer;}{\\info{\\title T}}Text\\~da}", "Text da"},
      {"numeric parameters and delimiter", "{\\rtf1\\fs24 A\\li-120 B}", "AB"},
      {"not RTF at all", "Nur Text\n", "Nur Text\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(RtfToText(c.rtf), c.text) << c.what;
}

TEST(TextLinesTest, SplitsAtLineEnds) {
  EXPECT_EQ(TextLines("a\r\nb\n\nc"), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(TextLines("a\n"), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(TextLines("").empty());
}

TEST(PrintTextLinesTest, LinesGoDownThePagesAtTheMargin) {
  ScriptedPlatform platform;
  std::vector<std::string> lines;
  for (int i = 0; i < 200; ++i) lines.push_back("Zeile " + std::to_string(i));
  ASSERT_TRUE(PrintTextLines(platform, "Contest-Regeln", lines));
  ASSERT_EQ(platform.PrintJobs().size(), 1u);
  const auto& job = platform.PrintJobs()[0];
  EXPECT_EQ(job.documentTitle, "Contest-Regeln");
  EXPECT_TRUE(job.ended);
  ASSERT_EQ(job.texts.size(), lines.size());
  EXPECT_GT(job.pages, 1);
  const int margin = 236;  // 600 dpi / 2.54
  int previousY = 0;
  int previousPage = 1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto& t = job.texts[i];
    EXPECT_EQ(t.text, lines[i]);
    EXPECT_EQ(t.x, margin);
    EXPECT_EQ(t.font.family, "Courier New");
    if (t.page != previousPage) {
      EXPECT_EQ(t.y, margin) << i;  // a new page starts at the top margin
    } else if (i > 0) {
      EXPECT_GT(t.y, previousY) << i;
    }
    EXPECT_LE(t.y, 6814 - margin);
    previousY = t.y;
    previousPage = t.page;
  }

  platform.CancelNextPrint();
  EXPECT_FALSE(PrintTextLines(platform, "x", lines));
  EXPECT_EQ(platform.PrintJobs().size(), 1u);
}

}  // namespace
}  // namespace korv
