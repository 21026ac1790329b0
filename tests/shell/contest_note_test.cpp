// The contest note file: its name, its header line and where the cursor
// goes, the lines added at the top; and the shell addresses of the
// further-programs window.
#include "shell/contest_note.h"

#include <gtest/gtest.h>

#include "shell/further_programs.h"
#include "support/test_support.h"

namespace korv {
namespace {

TEST(ContestNoteTest, FileNameKeepsLettersDigitsAndAFewMarks) {
  struct Case {
    const char* name;
    const char* file;
  } cases[] = {
      {"DEZ 2009", "DEZ 2009.TXT"},
      {"DEZ: 2009!", "DEZ 2009.TXT"},
      {"a+b-c_d", "a+b-c_d.TXT"},
      {"../../etc/passwd", "etcpasswd.TXT"},
      {"K\xF6ln/Aachen", "KlnAachen.TXT"},
      {"", ".TXT"},
  };
  for (const Case& c : cases) EXPECT_EQ(ContestNoteFileName(c.name), c.file) << c.name;
}

TEST(ContestNoteTest, CursorStandsRightAfterTheHeaderLine) {
  struct Case {
    const char* datePicture;
    const char* timePicture;
    const char* call;
  } cases[] = {
      {"dd.mm.yyyy", "hh:mm", "DL1ABC"},
      {"dd.mm.yyyy", "hh:mm:ss", ""},
      {"dd.mm.yy", "hh:mm", "DL1ABC/P/MM"},  // cut to 10
  };
  const DayNumber day = DayNumberFromCivil({2009, 12, 6});
  for (const Case& c : cases) {
    const std::string line = ContestNoteHeaderLine(day, 9 * 3600 + 5 * 60, c.datePicture, c.timePicture, c.call);
    EXPECT_EQ(static_cast<int>(line.size()), ContestNoteCursorPosition(c.datePicture, c.timePicture)) << line;
    EXPECT_EQ(line.substr(line.size() - 3), " > ");
    EXPECT_EQ(line.rfind(DateToText(day, c.datePicture) + " " + TimeToText(9 * 3600 + 5 * 60, c.timePicture) + " ", 0),
              0u)
        << line;
  }
  EXPECT_EQ(ContestNoteCursorPosition("dd.mm.yyyy", "hh:mm"), 30);
}

TEST(ContestNoteTest, NewLinesGoOnTopOfTheFile) {
  const std::filesystem::path dir = testing::MakeTempDir("note");
  const std::filesystem::path file = dir / "DEZ.TXT";
  ASSERT_TRUE(PrependNoteLine(file, "erste"));
  testing::WriteAll(file, {'e', 'r', 's', 't', 'e', '\r', '\n', 'T', 'e', 'x', 't', '\n'});
  ASSERT_TRUE(PrependNoteLine(file, "zweite"));
  const std::vector<std::uint8_t> bytes = testing::ReadAll(file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "zweite\r\nerste\r\nText\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "DEZ.TXT.NEU"));
  std::filesystem::remove_all(dir);
}

TEST(ContestNoteTest, AFailingWriteLeavesTheNoteAsItWas) {
  const std::filesystem::path dir = testing::MakeTempDir("note-fail");
  const std::filesystem::path file = dir / "DEZ.TXT";
  ASSERT_TRUE(WriteNoteLines(file, {"alt"}));
  // The new text cannot be written beside the note.
  std::filesystem::create_directory(dir / "DEZ.TXT.NEU");
  EXPECT_FALSE(PrependNoteLine(file, "neu"));
  const std::vector<std::uint8_t> bytes = testing::ReadAll(file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "alt\r\n");
  std::filesystem::remove_all(dir);
}

TEST(FurtherProgramsTest, ShellAddresses) {
  struct Case {
    const char* address;
    const char* shell;
  } cases[] = {
      {"https://example.org/a", "https://example.org/a"},
      {"info@example.org", "mailto:info@example.org"},
      {"MailTo:info@example.org", "MailTo:info@example.org"},
      {"https://example.org/DL\xD8" "ABC", "https://example.org/DL0ABC"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShellAddress(c.address), c.shell) << c.address;
}

}  // namespace
}  // namespace korv
