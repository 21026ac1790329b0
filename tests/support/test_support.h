// What many tests need: a fatal handler that records instead of ending the
// process, a fresh temporary directory, and whole-file reads and writes.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/engine.h"

namespace korv::testing {

class RecordingFatalHandler : public FatalHandler {
 public:
  void OnFatal(const ErrorList& errors, const std::string& message) override {
    codes.push_back(errors.Code());
    messages.push_back(message);
  }
  std::vector<int> codes;
  std::vector<std::string> messages;
};

// Engine options for a test over dir: failures recorded by fatal, retries
// without waiting.
inline EngineOptions TestEngineOptions(const std::filesystem::path& dir, FatalHandler& fatal) {
  EngineOptions options;
  options.dataDirectory = dir;
  options.fatalHandler = &fatal;
  options.sleep = [](int) {};
  return options;
}

// An engine with its file manager started (160 buffers, 32 files); null
// when the start fails.
inline std::unique_ptr<StorageEngine> StartTestEngine(const EngineOptions& options) {
  auto engine = std::make_unique<StorageEngine>(options);
  if (!engine->InitFileManager(160, 32).ok()) return nullptr;
  return engine;
}

// A new empty directory below the system's temporary directory; its name
// begins with "korv-" and name.
inline std::filesystem::path MakeTempDir(std::string_view name) {
  std::string stem(name);
  std::replace(stem.begin(), stem.end(), '/', '_');
  std::string pattern =
      (std::filesystem::temp_directory_path() / ("korv-" + stem + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

inline std::vector<std::uint8_t> ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace korv::testing
