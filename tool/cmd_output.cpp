// export LOG FORMAT OUTFILE [--rst-only] [--force]: the files of the
// configuration window's output menu.
// import-adif LOG FILE [--map LOGFIELD=ADIFFIELD ...] [--no-check]: the ADIF
// import after its mapping (default: every log field from the file's field
// of the same name).
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

#include "common/cp1252.h"
#include "common/text.h"
#include "files/setup.h"
#include "logging/entry_session.h"
#include "output/adif_export.h"
#include "output/adif_import.h"
#include "output/adif_reader.h"
#include "output/cabrillo3_file.h"
#include "output/cabrillo_file.h"
#include "output/call_history_file.h"
#include "output/edi_file.h"
#include "output/claimed_score.h"
#include "output/csv_file.h"
#include "output/cover_sheet.h"
#include "output/elog_lists.h"
#include "output/output_context.h"
#include "output/output_text.h"
#include "output/stf_file.h"
#include "shell/contest_catalogue.h"
#include "shell/contest_rules.h"
#include "tool/commands.h"
#include "tool/korvtool.h"
#include "tool/log_tool.h"

namespace korv::tool {
namespace {

struct Format {
  const char* name;
  int flag;  // element of outputFlags that enables it; 0 = always
};
constexpr Format kFormats[] = {{"stf", 3},        {"adif", 4},        {"csv", 0},         {"elog-list", 2},
                               {"elog-cover", 1}, {"elog-all", 0},    {"elog-bands", 10}, {"elog-multi", 12},
                               {"edi", 13},       {"cabrillo", 9},    {"cabrillo3", 9},
                               {"callhistory", 0}};

}  // namespace

int RunExport(const CommandEnv& env, CommandArgs args) {
  std::vector<std::string> positional;
  bool rstOnly = false, force = false;
  for (const std::string& a : args) {
    if (a == "--rst-only") {
      rstOnly = true;
    } else if (a == "--force") {
      force = true;
    } else if (a.starts_with("--")) {
      return LogUsage(env, "export", "unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 3) return LogUsage(env, "export", "needs LOG FORMAT OUTFILE");
  const auto number = ParseLogNumber(positional[0]);
  if (!number) return LogUsage(env, "export", "no log number: " + positional[0]);
  const std::string& format = positional[1];
  const auto* fmt = std::find_if(std::begin(kFormats), std::end(kFormats),
                                 [&](const Format& f) { return format == f.name; });
  if (fmt == std::end(kFormats)) {
    return LogUsage(env, "export",
                    "FORMAT is stf, adif, csv, elog-list, elog-cover, elog-all, elog-bands, elog-multi, edi, "
                    "cabrillo, cabrillo3 or callhistory");
  }
  LogTool tool(env, rstOnly);
  if (!tool.Start()) return kExitFailure;
  if (!tool.FindLog(*number)) return LogUsage(env, "export", "no log " + positional[0] + " of the active contest");
  std::vector<std::uint8_t> header = tool.HeaderBytes();
  const ContestRules rules = tool.RulesFor(header);
  if (fmt->flag != 0 && !rules.outputFlags.test(static_cast<std::size_t>(fmt->flag)) && !force) {
    return LogUsage(env, "export", std::string(fmt->name) + " is not an output of this contest (--force writes it)");
  }
  ContestHeader h(ContestHeader::Record(header.data(), kContestHeaderSize));
  // The prefix tables as the program keeps them open.
  FileCatalogue& catalogue = tool.context().catalogue();
  PrefixFiles prefixFiles{catalogue.OpenPrefixes(), catalogue.OpenPrefixExceptions(), catalogue.OpenPrefixSpecials(),
                          &tool.context().LongExactCallsOfCountryFile()};
  const OutputContext ctx = MakeOutputContext(h, rules, tool.StoredTotalsOf(h, rules), tool.settings().own,
                                              SystemNow(), tool.settings().utcOffsetHours, &prefixFiles);
  OutputResult result;
  {
    OpenedFile qsos(tool.context().catalogue(), SharedFile::kQsoLog, *number);
    if (!qsos) return kExitFailure;
    FileBlock& f = *qsos.get();
    if (format == "stf") result = StfFile(ctx, f);
    if (format == "adif") {
      // The question of the window, answered by --rst-only.
      const bool answer = h.contestCode() == 'A' ||
                          tool.platform().AskYesNo("Von der Kontrollnummer nur RS(T) exportieren?");
      result = AdifExport(ctx, f, answer);
    }
    if (format == "csv") result = CsvFile(ctx, f);
    if (format == "elog-list") result = ElogQsoList(ctx, f);
    if (format == "elog-cover") {
      result.bytes = CoverSheetFile(ctx);
    }
    if (format == "elog-all") result = ElogCompleteFile(ctx, f);
    if (format == "elog-bands") result = ElogBandList(ctx, f);
    if (format == "elog-multi") result = ElogMultiplierCheckList(ctx, f);
    // The EDI dialog's values as it opens them.
    if (format == "edi") result = EdiFile(ctx, EdiDefaults(ctx), f);
    if (format == "cabrillo") result = CabrilloFile(ctx, f);
    if (format == "cabrillo3") result = Cabrillo3File(ctx, f);
    if (format == "callhistory") result = CallHistoryFile(ctx, f);
  }
  if (prefixFiles.prefix != nullptr) catalogue.ReleasePrefixes();
  if (prefixFiles.exceptionsEe != nullptr) catalogue.ReleasePrefixExceptions();
  if (prefixFiles.exceptionsEs != nullptr) catalogue.ReleasePrefixSpecials();
  if (!result.ok()) {
    env.err << "korvtool: export: the QSO file could not be read (error " << result.storage.code << ")\n";
    return kExitFailure;
  }
  const std::filesystem::path out = positional[2];
  const FileWriteResult written = WriteOutputFile(out, result.bytes);
  if (!written.ok()) {
    env.err << Cp1252ToUtf8(CannotCreateMessage(out.string())) << "\n";
    return kExitFailure;
  }
  env.out << Cp1252ToUtf8(FileCreatedMessage(out.string())) << "\n";
  return kExitOk;
}

int RunImportAdif(const CommandEnv& env, CommandArgs args) {
  std::vector<std::string> positional;
  std::map<std::string, std::string> maps;
  bool noCheck = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--no-check") {
      noCheck = true;
    } else if (a == "--map") {
      if (i + 1 >= args.size() || args[i + 1].find('=') == std::string::npos) {
        return LogUsage(env, "import-adif", "--map needs LOGFIELD=ADIFFIELD");
      }
      const std::string m = AsciiUpper(args[++i]);
      maps[m.substr(0, m.find('='))] = m.substr(m.find('=') + 1);
    } else if (a.starts_with("--")) {
      return LogUsage(env, "import-adif", "unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) return LogUsage(env, "import-adif", "needs LOG FILE");
  const auto number = ParseLogNumber(positional[0]);
  if (!number) return LogUsage(env, "import-adif", "no log number: " + positional[0]);
  std::ifstream in(positional[1], std::ios::binary);
  if (!in) {
    env.err << "Datei existiert nicht\n";
    return kExitRefused;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LogTool tool(env, false);
  if (!tool.Start()) return kExitFailure;
  if (!tool.FindLog(*number)) return LogUsage(env, "import-adif", "no log " + positional[0] + " of the active contest");
  std::vector<std::uint8_t> header = tool.HeaderBytes();
  const ContestRules rules = tool.RulesFor(header);
  EntrySession s(tool.Logging(), header, rules);
  if (!s.Open()) return kExitFailure;
  const std::vector<std::string> fields = AdifLogFieldNames(s);
  for (const auto& [logField, fileField] : maps) {
    if (std::find(fields.begin(), fields.end(), logField) == fields.end()) {
      s.Close();
      return LogUsage(env, "import-adif", "no log field " + logField);
    }
  }
  std::vector<std::string> rightList;
  for (const std::string& f : fields) {
    auto it = maps.find(f);
    rightList.push_back(f + " (" + (it == maps.end() ? f : it->second) + ")");
  }
  const AdifContents contents = ReadAdifText(bytes);
  const AdifImportCounts c = ImportAdifRecords(s, contents.records, rightList, noCheck);
  s.Close();
  env.out << Cp1252ToUtf8(AdifImportMessage(c.imported, c.duplicates, c.bandErrors, c.modeErrors)) << "\n";
  return kExitOk;
}

}  // namespace korv::tool
