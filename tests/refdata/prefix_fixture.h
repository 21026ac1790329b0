// A storage engine in a temporary directory with the three prefix files
// defined as the file catalogue defines them (record length 181, the index
// lists of prefix_record.h, no flush after write), and helpers that build
// prefix records.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "refdata/prefix_files.h"
#include "refdata/prefix_record.h"
#include "storage/engine.h"
#include "support/test_support.h"

namespace korv::testing {

class PrefixFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::temp_directory_path() /
          ("korv-prefix-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
           std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    engine = StartTestEngine(TestEngineOptions(dir, fatal));
    ASSERT_NE(engine, nullptr);
    files.prefix = Define("KVPREFIX", PrefixFileIndexes());
    files.exceptionsEe = Define("KVPREFEE", ExceptionFileIndexes());
    files.exceptionsEs = Define("KVPREFES", ExceptionFileIndexes());
  }
  void TearDown() override {
    EXPECT_TRUE(fatal.codes.empty()) << (fatal.messages.empty() ? "" : fatal.messages[0]);
    engine.reset();
    std::filesystem::remove_all(dir);
  }

  FileBlock* Define(const std::string& name, std::span<const IndexDef> defs) {
    FileBlock* block =
        engine->DefineFileBlock(name, name, kPrefixRecLen, static_cast<int>(defs.size()),
                                BuildPrefixKey, nullptr, 32, true);
    EXPECT_NE(block, nullptr);
    if (block == nullptr) return nullptr;
    for (std::size_t i = 0; i < defs.size(); ++i) {
      EXPECT_TRUE(
          block->DefineIndex(static_cast<int>(i + 1), defs[i].keyLen, defs[i].allowDups).ok());
    }
    block->SetFlushAfterWrite(false);
    return block;
  }

  // Inserts rec into block; the test fails when the engine refuses it.
  void Insert(FileBlock* block, const PrefixRecord& rec) {
    block->ClearRecordBuffer();
    rec.CopyTo(block->Record());
    const Status st = block->InsertRecord();
    ASSERT_TRUE(st.ok()) << "insert " << rec.prefix() << ": " << st.code;
  }

  PrefixRecord Buffer() const { return PrefixRecord::From(files.prefix->Record()); }

  std::filesystem::path dir;
  RecordingFatalHandler fatal;
  std::unique_ptr<StorageEngine> engine;
  PrefixFiles files;
};

// A country entry: prefix, DXCC prefix, entity number, continent and name.
inline PrefixRecord Country(std::string_view prefix, std::string_view dxcc, std::uint16_t number,
                            std::string_view continent = "EU", std::string_view name = "") {
  PrefixRecord r;
  r.SetPrefix(prefix);
  r.SetDxccPrefix(dxcc);
  r.SetEntityNumber(number);
  r.SetContinent(continent);
  r.SetCountry(name.empty() ? dxcc : name);
  r.SetCqZone("14");
  r.SetItuZone("28");
  return r;
}

}  // namespace korv::testing
