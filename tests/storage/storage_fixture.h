// A small engine in a temporary directory, with a fatal handler that records
// instead of ending the process, and a two-index test file:
//   offset 4: int32 automatic number (index 1, unique, key L(number))
//   offset 8: ShortText[10] name     (index 2, duplicates, key pad(name, 10))
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "storage/engine.h"
#include "support/test_support.h"

namespace korv::testing {

inline constexpr int kTestRecLen = 40;

inline void TestKeys(ConstBytes rec, int index, KeyString& key) {
  if (index == 1) key.AppendLong(GetI32(rec, 4));
  if (index == 2) key.AppendPadded(GetShortText(rec, 8, 10), 10);
}

class StorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    StartEngine();
  }
  void TearDown() override {
    engine.reset();
    std::filesystem::remove_all(dir);
  }
  void StartEngine() {
    EngineOptions options;
    options.dataDirectory = dir;
    options.fatalHandler = &fatal;
    options.askRetry = [this](std::string_view text) {
      questions.emplace_back(text);
      return false;
    };
    options.sleep = [](int) {};
    options.now = [](int& d, int& m, int& y, int& h, int& mi) {
      d = 15, m = 6, y = 2009, h = 12, mi = 5;
    };
    engine = std::make_unique<StorageEngine>(options);
    ASSERT_TRUE(engine->InitFileManager(160, 32).ok());
  }
  // Closes everything and starts a new engine over the same directory.
  void Restart() {
    engine.reset();
    block = nullptr;
    StartEngine();
  }
  FileBlock* DefineTestFile(const std::string& name = "TEST", bool uniqueNames = false) {
    block = engine->DefineFileBlock(name, name, kTestRecLen, 2, TestKeys, nullptr, 32, true);
    EXPECT_NE(block, nullptr);
    EXPECT_TRUE(block->DefineIndex(1, 5, false).ok());
    EXPECT_TRUE(block->DefineIndex(2, 10, !uniqueNames).ok());
    EXPECT_TRUE(block->SetAutoNumberField(1, 4).ok());
    return block;
  }
  Status Insert(const std::string& name) {
    block->ClearRecordBuffer();
    PutShortText(block->Record(), 8, 10, name);
    return block->InsertRecord();
  }
  std::int32_t Number() const { return GetI32(block->Record(), 4); }
  std::string Name() const { return GetShortText(block->Record(), 8, 10); }
  std::filesystem::path File(const std::string& ext, const std::string& name = "TEST") const {
    return dir / (name + ext);
  }
  void ExpectSound() {
    std::string problem;
    EXPECT_TRUE(block->CheckStructure(problem)) << problem;
  }

  std::filesystem::path dir;
  RecordingFatalHandler fatal;
  std::vector<std::string> questions;
  std::unique_ptr<StorageEngine> engine;
  FileBlock* block = nullptr;
};

}  // namespace korv::testing
