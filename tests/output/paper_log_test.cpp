// The printed paper log: page layout, page headers and numbers, page breaks,
// the summary's room, one job for the whole log, a cancelled print dialog.
#include "output/paper_log.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "output/cover_sheet.h"
#include "output/elog_lists.h"
#include "output/output_fixture.h"
#include "platform/scripted_platform.h"

namespace korv::testing {
namespace {

using Printed = ScriptedPlatform::PrintedText;

// 72 dpi with a 9 point font: a text height of 9 pixels, so an advance of 9
// pixels and a top margin of 28; the page holds 20 lines from 28 to 208.
constexpr int kResolution = 72;
constexpr int kAdvance = 9;
constexpr int kTop = 28;
constexpr int kLinesPerPage = 20;
constexpr int kPageHeight = kTop + kLinesPerPage * kAdvance;

class PaperLogTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    platform.ClearRecord();
    platform.SetPrinterGeometry(kResolution, 600, kPageHeight);
  }

  void AddQsos(int count) {
    for (int i = 0; i < count; ++i) {
      const std::string call = "DL" + std::to_string(i + 1) + "AA";
      AddQso({call, 'b', "SSB", Ex("59", "N05"), Ex("59", "N01"), 1, "N01", i == 0 ? "N01" : "", 12, i % 60});
    }
    SetSlot(1, count, 1, count);
  }

  const ScriptedPlatform::PrintJob& Print(OutputKind kind) {
    PaperOutputJob job;
    job.kind = kind;
    job.catalogue = catalogue.get();
    job.platform = &platform;
    EXPECT_TRUE(RunPaperOutput(job, Context()));
    EXPECT_EQ(platform.PrintJobs().size(), 1u);
    const auto& printed = platform.PrintJobs().back();
    EXPECT_TRUE(printed.ended);
    EXPECT_FALSE(printed.texts.empty());
    EXPECT_FALSE(printed.texts.back().font.bold) << "the style is reset before the end";
    return printed;
  }

  // The E-Log file's lines without their five-blank prefix.
  static std::vector<std::string> FileLines(const OutputResult& result) {
    EXPECT_TRUE(result.ok());
    std::vector<std::string> lines;
    for (const std::string& line : SplitLines(result.bytes)) lines.push_back(line.substr(5));
    return lines;
  }

  ScriptedPlatform platform;
};

std::string PageTitle(const std::string& title, int page) {
  const std::string number = std::to_string(page);
  return title + "Page :" + std::string(4 - number.size(), ' ') + number;
}

bool IsPageHeader(const Printed& t) { return t.text.find("Page :") != std::string::npos; }

// The page a printed line is on, or 0.
int PageOf(const ScriptedPlatform::PrintJob& job, std::string_view text) {
  for (const Printed& t : job.texts) {
    if (t.text == text) return t.page;
  }
  return 0;
}

TEST_F(PaperLogTest, QsoListPagesAndTheRoomOfTheSummary) {
  // Page one holds the header (title, blank, heading, blank) and 16 QSO
  // lines; the summary needs four free lines.
  struct Case {
    int qsos;
    int pages;
    int summaryPage;
  } cases[] = {
      {12, 1, 1},  // exactly four lines remain
      {13, 2, 2},  // three lines remain: the summary moves on
      {16, 2, 2},  // the QSOs fill exactly one page
      {17, 2, 2},  // the last QSO heads page two
      {40, 3, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.qsos);
    TearDown();
    SetUp();
    AddQsos(c.qsos);
    const auto& job = Print(OutputKind::kPaperQsoList);
    EXPECT_EQ(job.pages, c.pages);

    const std::vector<std::string> file = FileLines(ElogQsoList(Context(), *qsoFile));
    const std::string title = file[0];
    const std::string& heading = file[2];
    // Without the repeated page headers the lines are the file's lines.
    std::vector<std::string> body;
    int page = 0;
    for (std::size_t i = 0; i < job.texts.size(); ++i) {
      const Printed& t = job.texts[i];
      EXPECT_EQ(t.x, static_cast<int>(kResolution * 1.4 / 2.54));
      EXPECT_EQ(t.font.pointSize, 9);
      EXPECT_EQ(t.font.bold, IsPageHeader(t)) << t.text;
      EXPECT_LE(t.y + kAdvance, kPageHeight);
      if (t.page != page) {
        page = t.page;
        EXPECT_EQ(t.y, kTop);
        EXPECT_EQ(t.text, PageTitle(title, page));
        ASSERT_LT(i + 2, job.texts.size());
        EXPECT_EQ(job.texts[i + 1].text, "");
        EXPECT_EQ(job.texts[i + 2].text, heading);
        if (page > 1) {
          i += 2;
          continue;
        }
        body.push_back(title);
        continue;
      }
      EXPECT_EQ(t.y, job.texts[i - 1].y + kAdvance);
      body.push_back(t.text);
    }
    EXPECT_EQ(page, c.pages);
    // The first page header has a blank line of its own.
    std::vector<std::string> expected = file;
    expected.insert(expected.begin() + 3, std::string());
    EXPECT_EQ(body, expected);
    const std::string score = file.back();
    ASSERT_NE(score.find(" Punkte"), std::string::npos);
    EXPECT_EQ(PageOf(job, score), c.summaryPage);
    EXPECT_EQ(PageOf(job, file[file.size() - 3]), c.summaryPage) << "the summary is not split";
  }
}

TEST_F(PaperLogTest, WholeLogIsOneJobWithContinuedPageNumbers) {
  AddQsos(30);
  AddQso({"DK9XX", 'c', "CW", Ex("599", "N05"), Ex("599", "B36"), 1, "B36", "B36", 13, 0});
  const auto& job = Print(OutputKind::kPaperLog);

  // The cover sheet alone on page one, bold where it is marked bold.
  const std::vector<CoverLine> cover = CoverSheetLines(Context(), CoverMedium::kPrinter);
  ASSERT_GT(job.texts.size(), cover.size());
  for (std::size_t i = 0; i < cover.size(); ++i) {
    EXPECT_EQ(job.texts[i].page, 1);
    EXPECT_EQ(job.texts[i].text, cover[i].text);
    EXPECT_EQ(job.texts[i].font.bold, cover[i].bold) << cover[i].text;
  }
  // Then the multiplier check list from the top of page two.
  const Printed& multi = job.texts[cover.size()];
  EXPECT_EQ(multi.page, 2);
  EXPECT_EQ(multi.y, kTop);
  EXPECT_EQ(multi.text, PageTitle(MultiplierCheckTitle(Context()), 2));

  // Every page header names the page it is printed on, and the QSO list
  // starts on the page where the band list ended.
  int headers = 0;
  int qsoListStart = 0;
  for (const Printed& t : job.texts) {
    if (!IsPageHeader(t)) continue;
    ++headers;
    EXPECT_TRUE(t.font.bold);
    EXPECT_TRUE(t.text.ends_with(RightAligned(t.page, 4))) << t.text;
    if (qsoListStart == 0 && t.text.starts_with(QsoListTitle(Context()))) qsoListStart = t.page;
  }
  EXPECT_GE(headers, 4);
  const int lastBandLine = [&] {
    int page = 0;
    for (const Printed& t : job.texts) {
      if (t.text.starts_with(BandListTitle(Context(), 'c'))) page = t.page;
    }
    return page;
  }();
  EXPECT_GT(lastBandLine, 2);
  EXPECT_GE(qsoListStart, lastBandLine);
}

// Wherever the lists before it end, no list begins below the foot of a page:
// its title, heading and first row stand together on one page.
TEST_F(PaperLogTest, EveryListOfTheWholeLogStartsWithAPageCheck) {
  int added = 0;
  for (int count = 14; count <= 40; ++count) {
    AddQsos(count - added);  // calls continue to differ: DL1AA, DL2AA, ...
    added = count;
    platform.ClearRecord();
    const auto& job = Print(OutputKind::kPaperLog);
    int titlePage = 0;
    for (std::size_t i = 0; i < job.texts.size(); ++i) {
      const Printed& t = job.texts[i];
      // The cover sheet fills its own page (this test's page is short).
      if (t.page > 1) {
        EXPECT_LE(t.y + kAdvance, kPageHeight) << count << " QSOs: " << t.text;
      }
      if (titlePage == 0 && t.text.starts_with(QsoListTitle(Context()))) {
        titlePage = t.page;
        ASSERT_LT(i + 3, job.texts.size());
        EXPECT_EQ(job.texts[i + 2].page, titlePage) << count << " QSOs: the heading with its title";
        EXPECT_EQ(job.texts[i + 3].page, titlePage) << count << " QSOs: a first row with its heading";
      }
    }
    EXPECT_GT(titlePage, 0) << count;
    if (HasFailure()) break;
  }
}

TEST_F(PaperLogTest, BandListRepeatsTheSectionHeadingOnANewPage) {
  AddQsos(25);
  const auto& job = Print(OutputKind::kPaperBandList);
  std::string heading;
  std::vector<BandSection> sections;
  ASSERT_TRUE(BandListBody(Context(), *qsoFile, heading, sections).ok());
  const std::string title = BandListTitle(Context(), 'b');
  int titles = 0;
  for (std::size_t i = 0; i < job.texts.size(); ++i) {
    const Printed& t = job.texts[i];
    if (t.text != title) continue;
    ++titles;
    EXPECT_TRUE(t.font.bold);
    ASSERT_LT(i + 2, job.texts.size());
    EXPECT_EQ(job.texts[i + 2].text, heading);
    if (titles == 2) {
      EXPECT_EQ(t.page, 2);
      EXPECT_EQ(t.y, kTop);
    }
  }
  EXPECT_EQ(titles, 2);
}

TEST_F(PaperLogTest, FontsOfTheLists) {
  AddQsos(3);
  struct Case {
    OutputKind kind;
    int type;
    int points;
  } cases[] = {
      {OutputKind::kPaperCoverSheet, 4, 9},     {OutputKind::kPaperMultiplierList, 1, 10},
      {OutputKind::kPaperMultiplierList, 4, 10}, {OutputKind::kPaperQsoList, 1, 9},
      {OutputKind::kPaperQsoList, 4, 8},        {OutputKind::kPaperBandList, 4, 8},
  };
  for (const Case& c : cases) {
    header.SetParticipationType(static_cast<std::uint8_t>(c.type));
    platform.ClearRecord();
    const auto& job = Print(c.kind);
    for (const Printed& t : job.texts) EXPECT_EQ(t.font.pointSize, c.points) << static_cast<int>(c.kind);
  }
}

TEST_F(PaperLogTest, PrintDialogProposesAPdfNamedAfterCallAndList) {
  AddQsos(2);
  header.SetOwnCall("DL1ABC/P");
  PaperOutputJob job;
  job.kind = OutputKind::kPaperQsoList;
  job.catalogue = catalogue.get();
  job.platform = &platform;
  job.directory = dir;
  ASSERT_TRUE(RunPaperOutput(job, Context()));
  ASSERT_EQ(platform.PrintJobs().size(), 1u);
  EXPECT_EQ(platform.PrintJobs()[0].documentTitle, "Papierlog - QSO-Liste");
  EXPECT_EQ(platform.PrintJobs()[0].pdfProposal, dir / "DL1ABC_P Papierlog - QSO-Liste.pdf");
  EXPECT_TRUE(platform.PrintJobs()[0].pdfFile.empty());  // the dialog is shown
}

TEST_F(PaperLogTest, CancelledPrintDialogPrintsNothing) {
  AddQsos(3);
  platform.CancelNextPrint();
  PaperOutputJob job;
  job.kind = OutputKind::kPaperLog;
  job.catalogue = catalogue.get();
  job.platform = &platform;
  EXPECT_FALSE(RunPaperOutput(job, Context()));
  EXPECT_TRUE(platform.PrintJobs().empty());
  EXPECT_TRUE(platform.ShownTexts().empty());
}

}  // namespace
}  // namespace korv::testing
