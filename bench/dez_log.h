// A DEZ log for the benchmarks, generated through the entry session itself
// (German and foreign calls, DOKs, three bands, two modes), so that every
// index and total is what the program would have written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "files/catalogue.h"
#include "logging/entry_session.h"
#include "platform/scripted_platform.h"
#include "shell/contest_rules.h"
#include "storage/engine.h"

namespace korv::bench {

// Ends the benchmark on a fatal storage error.
class BenchFatal : public FatalHandler {
 public:
  void OnFatal(const ErrorList& errors, const std::string& message) override;
};

// Unique realistic calls: German prefixes with district digit and suffix,
// a few foreign ones.
std::string CallOf(std::uint32_t i);
// DOKs of the usual forms, a few special ones among them.
std::string DokOf(std::mt19937& rng);

struct DezLog {
  std::filesystem::path dir;
  BenchFatal fatal;
  std::unique_ptr<StorageEngine> engine;
  std::unique_ptr<FileCatalogue> catalogue;
  FileBlock* directory = nullptr;
  FileBlock* totals = nullptr;
  ScriptedPlatform platform;
  ContestRules rules;
  std::vector<std::uint8_t> header;
  std::unique_ptr<EntrySession> session;
  int second = 0;
  // The partial list's calls besides the log's; null: no partial list.
  const CallIndex* referenceCalls = nullptr;

  // Opens the files of the data directory `where`; create: a new data
  // directory with the country file and one DEZ log.
  void Start(const std::filesystem::path& where, bool create);
  // The context the entry session and the logging window take.
  LoggingContext Context();
  // Opens the log in an entry session.
  void Open();
  // Moves the scripted clock on by one second.
  void Tick();
  // Types call and DOK with Enter after each; true when the QSO was saved.
  bool Enter(const std::string& call, const std::string& dok);
  // Enters n QSOs (half on 80 m, a third on 40 m, the rest on 10 m) with
  // flush-after-write off, then flushes. Returns the number stored.
  // REQUIRES: Open() was called.
  int Fill(int n, std::mt19937& rng);
};

}  // namespace korv::bench
