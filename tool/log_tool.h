// What the log commands of korvtool share: the engine, the settings, the
// contest directory and the totals file opened as the program opens them,
// the prefix tables filled from the country file when they are empty, and
// the log of a number.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "common/cp1252.h"
#include "files/contest_header.h"
#include "files/setup.h"
#include "logging/entry_session.h"
#include "logging/totals_record.h"
#include "output/claimed_score.h"
#include "refdata/cty_import.h"
#include "shell/contest_catalogue.h"
#include "shell/contest_rules.h"
#include "shell/program_session.h"
#include "tool/commands.h"
#include "tool/korvtool.h"
#include "tool/tool_context.h"
#include "tool/tool_platform.h"

namespace korv::tool {

inline DayNumber ToolToday() { return SystemNow().date; }
inline constexpr int kLogDirectoryIndexByNumber = 3;

inline std::optional<std::int32_t> ParseLogNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), ::isdigit)) return std::nullopt;
  return static_cast<std::int32_t>(std::stol(text));
}

// The engine, the settings, the contest directory and the totals file, with
// the prefix tables filled from the country file when they are empty (as
// the program does at its first start).
class LogTool {
 public:
  LogTool(const CommandEnv& env, bool answerYes)
      : env_(env), context_(env.dataDirectory, env.out, env.err), platform_(env.err, answerYes) {}
  ~LogTool() {
    if (totals_ != nullptr) context_.catalogue().ReleaseTotals();
    if (directory_ != nullptr) context_.catalogue().ReleaseContestDirectory();
  }

  bool Start() {
    if (!context_.Start()) return false;
    (void)LoadSettings(context_.catalogue(), settings_, ToolToday());
    context_.catalogue().SetSuffixTable(settings_.suffixes);
    directory_ = context_.catalogue().OpenContestDirectory();
    totals_ = context_.catalogue().OpenTotals();
    if (directory_ == nullptr || totals_ == nullptr) {
      env_.err << "korvtool: cannot open the contest directory or the totals file\n";
      return false;
    }
    FileBlock* prefixes = context_.catalogue().OpenPrefixes();
    FileBlock* specials = context_.catalogue().OpenPrefixSpecials();
    std::error_code ec;
    if (prefixes != nullptr && specials != nullptr && prefixes->RecordCount() == 0 &&
        std::filesystem::is_regular_file(kDebianCountryFile, ec)) {
      (void)ImportCtyFile(kDebianCountryFile, *prefixes, *specials);
    }
    if (prefixes != nullptr) context_.catalogue().ReleasePrefixes();
    if (specials != nullptr) context_.catalogue().ReleasePrefixSpecials();
    return true;
  }

  // Makes the header of the log the directory's current record.
  bool FindLog(std::int32_t number) {
    KeyString key;
    key.AppendLong(number);
    if (!directory_->FindExact(kLogDirectoryIndexByNumber, key).ok()) return false;
    const auto h = ContestHeader::Over(directory_->Record());
    return h && h->contestCode() == kActiveContestCode;
  }
  std::vector<std::uint8_t> HeaderBytes() const {
    return {directory_->Record().begin(), directory_->Record().end()};
  }
  ContestRules RulesFor(std::vector<std::uint8_t>& header) {
    ContestHeader h(ContestHeader::Record(header.data(), kContestHeaderSize));
    bool german = true;
    return FillContestPresets(kActiveContestCode, h, german);
  }
  // The log's stored per-band results as the outputs read them.
  StoredTotals StoredTotalsOf(const ContestHeader& header, const ContestRules& rules) {
    std::optional<TotalsRecord> tr;
    KeyString key;
    key.AppendLong(header.contestNumber());
    if (totals_->FindExact(1, key).ok()) tr = TotalsRecord::Over(totals_->Record());
    return ReadStoredTotals(header, tr ? &*tr : nullptr, rules);
  }
  LoggingContext Logging() {
    LoggingContext c;
    c.platform = &platform_;
    c.catalogue = &context_.catalogue();
    c.directory = directory_;
    c.totals = totals_;
    c.settings = settings_;
    c.dataDirectory = context_.dataDirectory();
    c.longExactCalls = &context_.LongExactCallsOfCountryFile();
    return c;
  }
  // Prints the messages the platform showed since `from` as the reason.
  int Refused(std::size_t from, std::string_view fallback) {
    if (platform_.Messages().size() <= from) env_.err << Cp1252ToUtf8(fallback) << "\n";
    return kExitRefused;
  }

  ToolContext& context() { return context_; }
  ToolPlatform& platform() { return platform_; }
  ProgramSettings& settings() { return settings_; }
  FileBlock* directory() { return directory_; }
  FileBlock* totals() { return totals_; }

 private:
  const CommandEnv& env_;
  ToolContext context_;
  ToolPlatform platform_;
  ProgramSettings settings_;
  FileBlock* directory_ = nullptr;
  FileBlock* totals_ = nullptr;
};

inline int LogUsage(const CommandEnv& env, std::string_view command, std::string_view message) {
  env.err << "korvtool: " << command << ": " << message << "\n";
  return kExitRefused;
}


}  // namespace korv::tool
