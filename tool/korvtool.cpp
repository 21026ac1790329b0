#include "tool/korvtool.h"

#include <filesystem>
#include <span>
#include <system_error>

#include "tool/commands.h"

namespace korv::tool {
namespace {

constexpr const char* kVersion = "korvtool (Korv DEZ Version 2006-1.0)";

constexpr const char* kUsage =
    "usage: korvtool [--data DIR] COMMAND [ARGS]\n"
    "       korvtool --help | --version\n"
    "\n"
    "  --data DIR   data directory holding the KV* files (default: current directory)\n"
    "\n"
    "Commands:\n"
    "  check [FILE...]             open each file (default: every KV*.DAT) through the\n"
    "                              file catalogue, let the engine repair it, verify data\n"
    "                              file and indexes: 'ok  NAME  n records' / 'BAD NAME  reason'\n"
    "  dump FILE [--limit N]       the live records of one file in RecordRef order\n"
    "  prefix import-cty FILE      replace KVPREFIX and KVPREFES by a country file\n"
    "                              (cty.csv format, e.g. /usr/share/hamradio-files/cty.csv)\n"
    "  prefix resolve CALL [DATE]  'CALL  PREFIX  CONTINENT  CQ  ITU  ENTITYNUMBER  COUNTRY'\n"
    "                              or 'CALL  unresolved' (exit 2); DATE dd.mm.yyyy, default today\n"
    "  logs                        the logs of the active contest: number, name, dates,\n"
    "                              QSOs, claimed score\n"
    "  new --name NAME --call CALL [--swl NR] [--dok DOK] [--locator LOC]\n"
    "      [--start DD.MM.YYYY] [--end DD.MM.YYYY] [--from HH:MM] [--to HH:MM] [--type N]\n"
    "      [--clock utc|local] [--address \"NAME;STREET;POSTCODE TOWN;COUNTRY\"]\n"
    "      [--rst-free] [--manual-time] [--yes]\n"
    "                              a new log, checked as the configuration window checks\n"
    "  add LOG CALL [EXCH...] [--band B] [--mode M] [--date D] [--time T] [--rst-sent R]\n"
    "      [--rst-rcvd R] [--sent EXCH] [--call2 CALL] [--freq MHZ] [--name N] [--qth Q]\n"
    "                              one QSO through the logging window's entry checks\n"
    "  delete LOG SERIAL           delete one QSO; the log is renumbered and recounted\n"
    "  score LOG                   QSOs, multipliers and points per band, the totals and\n"
    "                              the claimed score\n"
    "  export LOG FORMAT OUTFILE [--rst-only] [--force]\n"
    "                              FORMAT: stf, adif, csv, elog-list (.ALL), elog-cover (.SUM),\n"
    "                              elog-all (.TXT), elog-bands (.BND), elog-multi (-multi.txt),\n"
    "                              edi, cabrillo, cabrillo3 (Cabrillo 3.0),\n"
    "                              callhistory (CALL,DOK lines for callhistory.txt)\n"
    "  import-adif LOG FILE [--map LOGFIELD=ADIFFIELD ...] [--no-check]\n"
    "                              QSOs of another logger through the entry checks\n"
    "  print LOG KIND --pdf OUTFILE [--force]\n"
    "                              the paper log into a PDF file; KIND: cover, qso-list,\n"
    "                              band-list, multi-list, all\n"
    "  print LOG rate --pdf OUTFILE\n"
    "                              one page: QSOs per hour as bars, the score as a line\n"
    "  rate LOG                    QSOs per clock hour (UTC): QSOs, points, new multipliers,\n"
    "                              the score at the end of the hour; the best 10 and 60 minutes\n"
    "  rig [--rigctld HOST:PORT | --model N --device DEV [--speed BAUD]]\n"
    "                              ask the radio once (default: the rig keys of korv-dez.conf\n"
    "                              in the data directory): 'FREQUENCY_MHZ  BAND  MODE' as the\n"
    "                              logging window takes them, e.g. '7.030000  40 m  CW'; BAND\n"
    "                              'au\xc3\x9f" "erhalb der Contest-B\xc3\xa4nder' outside the contest's\n"
    "                              bands, MODE 'unver\xc3\xa4ndert (PKTUSB)' for a mode it keeps;\n"
    "                              exit 1 when the radio does not answer within 10 s\n"
    "\n"
    "FILE: a name of the file catalogue (KVKK, KVSETUP, KVPREFIX, KVLK0001, ...), in any\n"
    "letter case, with or without .DAT. Further commands arrive with the program's\n"
    "capabilities.\n"
    "\n"
    "Exit codes: 0 success, 1 failure, 2 input refused.\n";

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::filesystem::path dataDir = ".";
  std::size_t i = 0;
  while (i < args.size()) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return kExitOk;
    }
    if (arg == "--version") {
      out << kVersion << "\n";
      return kExitOk;
    }
    if (arg == "--data") {
      if (i + 1 >= args.size()) {
        err << "korvtool: --data needs a directory\n" << kUsage;
        return kExitRefused;
      }
      dataDir = args[i + 1];
      i += 2;
      continue;
    }
    if (arg.rfind("--data=", 0) == 0) {
      dataDir = arg.substr(7);
      ++i;
      continue;
    }
    break;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(dataDir, ec)) {
    err << "korvtool: data directory not found: " << dataDir.string() << "\n";
    return kExitRefused;
  }
  if (i >= args.size()) {
    err << "korvtool: no command given\n" << kUsage;
    return kExitRefused;
  }
  const std::string& command = args[i];
  const CommandEnv env{dataDir, out, err};
  const std::span<const std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                          args.end());
  if (command == "check") return RunCheck(env, rest);
  if (command == "dump") return RunDump(env, rest);
  if (command == "prefix") return RunPrefix(env, rest);
  if (command == "logs") return RunLogs(env, rest);
  if (command == "new") return RunNew(env, rest);
  if (command == "add") return RunAdd(env, rest);
  if (command == "delete") return RunDelete(env, rest);
  if (command == "score") return RunScore(env, rest);
  if (command == "export") return RunExport(env, rest);
  if (command == "import-adif") return RunImportAdif(env, rest);
  if (command == "print") return RunPrint(env, rest);
  if (command == "rate") return RunRate(env, rest);
  if (command == "rig") return RunRig(env, rest);
  err << "korvtool: unknown command: " << command << "\n" << kUsage;
  return kExitRefused;
}

}  // namespace korv::tool
