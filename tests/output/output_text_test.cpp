// Writing an output file, and the procedure's messages.
#include <gtest/gtest.h>

#include <filesystem>

#include "output/output_text.h"
#include "support/test_support.h"

namespace korv {
namespace {

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing::MakeTempDir("output-file");
    ASSERT_FALSE(dir.empty());
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
};

TEST_F(OutputFileTest, WritesAndOverwrites) {
  const auto path = dir / "DL1ABC.STF";
  ASSERT_TRUE(WriteOutputFile(path, "a long first version\r\n").ok());
  ASSERT_TRUE(WriteOutputFile(path, "STF1\r\n").ok());
  const auto bytes = testing::ReadAll(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "STF1\r\n");
}

TEST_F(OutputFileTest, FileThatCannotBeCreated) {
  const FileWriteResult r = WriteOutputFile(dir / "missing" / "DL1ABC.STF", "STF1\r\n");
  EXPECT_EQ(r.error, FileWriteError::kCannotCreate);
  EXPECT_NE(r.osError, 0);
}

TEST_F(OutputFileTest, FullDiskIsAFailure) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const FileWriteResult r = WriteOutputFile("/dev/full", std::string(100000, 'x'));
  EXPECT_EQ(r.error, FileWriteError::kWriteFailed);
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));  // a device is never removed
}

TEST(OutputTextTest, PrefixAndLineEnds) {
  OutputText out("     ");
  out.RawLine("STF1");
  out.Line("x");
  out.BlankLines(2);
  EXPECT_EQ(out.bytes(), "STF1\r\n     x\r\n     \r\n     \r\n");
}

TEST(OutputMessagesTest, Texts) {
  EXPECT_EQ(CannotCreateMessage("C:\\LOG\\DL1ABC.STF"),
            "Die Datei C:\\LOG\\DL1ABC.STF konnte nicht erstellt werden.");
  EXPECT_EQ(FileCreatedMessage("DL1ABC.STF"), "Datei DL1ABC.STF wurde erstellt.");
}

}  // namespace
}  // namespace korv
