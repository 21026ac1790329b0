// A storage engine over a fresh temporary data directory, a fatal handler
// that records instead of ending the process, and a file catalogue; plus
// helpers that build key bytes and look into the files on disk.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "files/catalogue.h"
#include "storage/engine.h"
#include "support/test_support.h"

namespace korv::testing {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir("files");
    ASSERT_FALSE(dir.empty());
    StartEngine();
  }
  void TearDown() override {
    catalogue.reset();
    engine.reset();
    std::filesystem::remove_all(dir);
  }
  void StartEngine(bool init = true) {
    catalogue.reset();
    engine.reset();
    EngineOptions options;
    options.dataDirectory = dir;
    options.fatalHandler = &fatal;
    options.sleep = [](int) {};
    options.now = [](int& d, int& m, int& y, int& h, int& mi) {
      d = 15, m = 6, y = 2009, h = 12, mi = 5;
    };
    engine = std::make_unique<StorageEngine>(options);
    if (init) {
      ASSERT_TRUE(engine->InitFileManager(160, 32).ok());
    }
    catalogue = std::make_unique<FileCatalogue>(*engine);
  }

  std::vector<std::uint8_t> ReadFile(const std::string& name) const {
    std::ifstream in(dir / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path dir;
  RecordingFatalHandler fatal;
  std::unique_ptr<StorageEngine> engine;
  std::unique_ptr<FileCatalogue> catalogue;
};

// Key pieces as bytes, for expected keys written out piece by piece.
inline std::string L(std::int32_t v) {
  const auto b = EncodeLongKey(v);
  return std::string(b.begin(), b.end());
}
inline std::string B(std::int32_t v) {
  const auto b = BigEndianKey4(v);
  return std::string(b.begin(), b.end());
}
inline std::string C(std::uint8_t byte) {
  return std::string(1, static_cast<char>(byte));
}

}  // namespace korv::testing
