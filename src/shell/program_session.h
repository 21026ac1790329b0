// The program's run: the storage engine and the shared files the main window
// opens at start and keeps open, the program-wide settings, the contest
// presets and the current contest header; and the orderly stop.
//
// Start order: engine (160 page buffers, 32 handles), setup record, station
// profile, settings, second setup record, prefix files (imported from the
// country file when empty), contest directory and totals, presets.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "files/catalogue.h"
#include "files/contest_header.h"
#include "files/setup.h"
#include "platform/platform.h"
#include "refdata/call_history.h"
#include "refdata/cty_import.h"
#include "refdata/partial_calls.h"
#include "refdata/prefix_files.h"
#include "shell/contest_rules.h"
#include "shell/program_state.h"
#include "storage/engine.h"

namespace korv {

// The program's fatal storage path: the message box, then the end of the
// process (exit code 1). Tests pass their own terminate.
class PlatformFatalHandler : public FatalHandler {
 public:
  explicit PlatformFatalHandler(Platform& platform, std::function<void(int)> terminate = {});
  void OnFatal(const ErrorList& errors, const std::string& message) override;

 private:
  Platform& platform_;
  std::function<void(int)> terminate_;
};

inline constexpr const char* kDebianCountryFile = "/usr/share/hamradio-files/cty.csv";
inline constexpr const char* kDebianCallHistory = "/usr/share/hamradio-files/WAG_call_history.txt";
inline constexpr const char* kDebianMasterScp = "/usr/share/hamradio-files/MASTER.SCP";
// The user's own call history in the data folder (korv-dez.conf may name
// another file as "callhistory.file"); it wins over Debian's.
inline constexpr const char* kUserCallHistory = "callhistory.txt";

struct SessionOptions {
  std::filesystem::path dataDirectory;  // the working directory
  // Country file imported into an empty prefix table; empty path: none.
  std::filesystem::path countryFile = kDebianCountryFile;
  // Debian's call history; empty path: none.
  std::filesystem::path callHistoryFile = kDebianCallHistory;
  // The calls of active contest stations for the partial list (korv-dez.conf
  // may name another file as "scp.file"); empty path: none.
  std::filesystem::path scpFile = kDebianMasterScp;
  FatalHandler* fatalHandler = nullptr;  // required
};

class ProgramSession {
 public:
  enum class StartResult {
    kOk,
    kEngineFailed,    // the message was shown; the process ends with exit code 1
    kProfilesFailed,  // the profile file could not be opened; the program ends
  };

  ProgramSession(Platform& platform, ProgramState& state, SessionOptions options);
  ~ProgramSession();
  ProgramSession(const ProgramSession&) = delete;
  ProgramSession& operator=(const ProgramSession&) = delete;

  StartResult Start();
  // Releases the files, writes the settings back and stops the engine.
  void Stop();
  bool Started() const { return started_; }
  const std::filesystem::path& dataDirectory() const { return options_.dataDirectory; }

  StorageEngine& engine() { return *engine_; }
  FileCatalogue& catalogue() { return *catalogue_; }
  ProgramSettings& settings() { return settings_; }
  ContestRules& rules() { return rules_; }
  // The current contest header: the record buffer of the contest directory.
  ContestHeader header();
  FileBlock& contestDirectory() { return *contestDirectory_; }
  FileBlock& totals() { return *totals_; }
  // Refills the presets from the active code and the current header.
  void FillPresets();
  // The prefix tables the session keeps open (null members: not open), for
  // the outputs that name a QSO's country.
  PrefixFiles prefixFiles() const { return {prefixes_, prefixExceptions_, prefixSpecials_, &longExactCalls_}; }
  // The country file's exact calls too long for the prefix files, read at
  // start.
  const LongExactCalls& longExactCalls() const { return longExactCalls_; }
  // The call history read at start; nullptr when korv-dez.conf switches the
  // DOK proposals off ("callhistory = off").
  const CallHistory* callHistory() const { return callHistoryOn_ ? &callHistory_ : nullptr; }
  // Super check partial: shown unless korv-dez.conf says "scp = off"; its
  // calls from MASTER.SCP and the call history, read at start.
  bool partialCalls() const { return partialCallsOn_; }
  const CallIndex* referenceCalls() const { return partialCallsOn_ ? &referenceCalls_ : nullptr; }

 private:
  DayNumber Today();
  void OpenPrefixFiles();
  void LoadOperatorAids();
  void ApplySettingsToState();

  Platform& platform_;
  ProgramState& state_;
  SessionOptions options_;
  std::unique_ptr<StorageEngine> engine_;
  std::unique_ptr<FileCatalogue> catalogue_;
  ProgramSettings settings_;
  ContestRules rules_;
  FileBlock* profiles_ = nullptr;
  FileBlock* setup2_ = nullptr;
  FileBlock* prefixes_ = nullptr;
  FileBlock* prefixExceptions_ = nullptr;
  FileBlock* prefixSpecials_ = nullptr;
  FileBlock* contestDirectory_ = nullptr;
  FileBlock* totals_ = nullptr;
  LongExactCalls longExactCalls_;
  CallHistory callHistory_;
  bool callHistoryOn_ = false;
  CallIndex referenceCalls_;
  bool partialCallsOn_ = false;
  bool started_ = false;
};

}  // namespace korv
