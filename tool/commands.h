// The commands of korvtool, called by the dispatcher (korvtool.cpp) with the
// arguments after the command name. Each returns the exit code (kExitOk,
// kExitFailure, kExitRefused) and prints every refusal's reason.
#pragma once

#include <filesystem>
#include <ostream>
#include <span>
#include <string>

namespace korv::tool {

struct CommandEnv {
  std::filesystem::path dataDirectory;
  std::ostream& out;
  std::ostream& err;
};

using CommandArgs = std::span<const std::string>;

// check [FILE...]
int RunCheck(const CommandEnv& env, CommandArgs args);
// dump FILE [--limit N]
int RunDump(const CommandEnv& env, CommandArgs args);
// prefix import-cty FILE | prefix resolve CALL [DATE]
int RunPrefix(const CommandEnv& env, CommandArgs args);
// logs
int RunLogs(const CommandEnv& env, CommandArgs args);
// new --name NAME --call CALL [options]
int RunNew(const CommandEnv& env, CommandArgs args);
// add LOG CALL [EXCH...] [options]
int RunAdd(const CommandEnv& env, CommandArgs args);
// delete LOG SERIAL
int RunDelete(const CommandEnv& env, CommandArgs args);
// score LOG
int RunScore(const CommandEnv& env, CommandArgs args);
// export LOG FORMAT OUTFILE [--rst-only] [--force]
int RunExport(const CommandEnv& env, CommandArgs args);
// import-adif LOG FILE [--map LOGFIELD=ADIFFIELD ...] [--no-check]
int RunImportAdif(const CommandEnv& env, CommandArgs args);
// print LOG KIND --pdf OUTFILE [--force]
int RunPrint(const CommandEnv& env, CommandArgs args);
// rate LOG
int RunRate(const CommandEnv& env, CommandArgs args);
// print LOG rate --pdf OUTFILE (from RunPrint)
int PrintRateChart(const CommandEnv& env, const std::string& log, const std::filesystem::path& pdf);
// rig [--rigctld HOST:PORT | --model N --device DEV [--speed BAUD]]
int RunRig(const CommandEnv& env, CommandArgs args);

}  // namespace korv::tool
