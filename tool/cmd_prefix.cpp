// prefix import-cty FILE: replaces the contents of KVPREFIX and KVPREFES by
// the country file's entries (a fresh import, as at the program's first
// start; KVPREFEE, the remembered choices, stays as it is). A readable file
// without a single usable entry leaves both tables empty and fails.
// prefix resolve CALL [DATE]: the country of a call without asking.
#include <system_error>

#include "common/cp1252.h"
#include "common/dates.h"
#include "platform/platform.h"
#include "refdata/cty_import.h"
#include "refdata/dxcc_resolver.h"
#include "tool/commands.h"
#include "tool/korvtool.h"
#include "tool/tool_context.h"

namespace korv::tool {
namespace {

int ImportCountryFile(const CommandEnv& env, CommandArgs args) {
  if (args.size() != 1 || args[0].starts_with("-")) {
    env.err << "korvtool: prefix import-cty needs exactly one country file\n";
    return kExitRefused;
  }
  const std::filesystem::path country = args[0];
  std::error_code ec;
  if (!std::filesystem::is_regular_file(country, ec)) {
    env.err << "korvtool: prefix import-cty: cannot read " << args[0] << "\n";
    return kExitFailure;
  }
  ToolContext context(env.dataDirectory, env.out, env.err);
  if (!context.Start()) return kExitFailure;
  OpenedFile prefixes(context.catalogue(), SharedFile::kPrefixes);
  OpenedFile specials(context.catalogue(), SharedFile::kPrefixSpecials);
  if (!prefixes || !specials) {
    env.err << "korvtool: prefix import-cty: cannot open the prefix files: error "
            << context.catalogue().LastOpenStatus().code << "\n";
    return kExitFailure;
  }
  CtyImportOptions options;
  options.replace = true;
  const CtyImportResult r = ImportCtyFile(country, *prefixes.get(), *specials.get(), options);
  if (!r.ok) {
    if (!r.error.empty()) env.err << "korvtool: prefix import-cty: " << r.error << "\n";
    return kExitFailure;
  }
  env.out << "taken " << r.taken << ", skipped " << r.skipped << ", broken " << r.broken << "\n"
          << "taken: " << r.prefixesTaken << " prefixes (KVPREFIX), " << r.exactCallsTaken
          << " exact calls (KVPREFES); skipped: " << r.tooLong << " too long (of them "
          << r.longExactCalls << " exact calls, kept in memory from the country file at start), " << r.duplicates
          << " duplicates, " << r.malformed << " malformed\n";
  if (r.taken == 0) {
    env.err << "korvtool: prefix import-cty: no entry taken from " << args[0]
            << "; KVPREFIX and KVPREFES are empty now\n";
    return kExitFailure;
  }
  return kExitOk;
}

int Resolve(const CommandEnv& env, CommandArgs args) {
  if (args.empty() || args.size() > 2) {
    env.err << "korvtool: prefix resolve needs CALL [DATE]\n";
    return kExitRefused;
  }
  const DayNumber today = SystemNow().date;
  DayNumber date = today;
  if (args.size() == 2) {
    date = DateFromText(args[1], "dd.mm.yyyy");
    if (date == kNoDate) {
      env.err << "korvtool: prefix resolve: invalid date: " << args[1] << " (dd.mm.yyyy)\n";
      return kExitRefused;
    }
  }
  const std::string call = Utf8ToCp1252(args[0]);

  ToolContext context(env.dataDirectory, env.out, env.err);
  if (!context.Start()) return kExitFailure;
  const DataFileOnDisk table =
      FindDataFile(env.dataDirectory, SharedFileName(SharedFile::kPrefixes));
  const bool haveTable = table.kind == DataFileOnDisk::Kind::kPresent;
  // Files that are not there are not created: a missing exception table
  // simply holds no exceptions.
  auto openIfPresent = [&](SharedFile f) {
    return FindDataFile(env.dataDirectory, SharedFileName(f)).kind ==
           DataFileOnDisk::Kind::kPresent;
  };
  std::optional<OpenedFile> prefixes, exceptionsEe, exceptionsEs;
  if (haveTable) prefixes.emplace(context.catalogue(), SharedFile::kPrefixes);
  if (openIfPresent(SharedFile::kPrefixExceptions)) {
    exceptionsEe.emplace(context.catalogue(), SharedFile::kPrefixExceptions);
  }
  if (openIfPresent(SharedFile::kPrefixSpecials)) {
    exceptionsEs.emplace(context.catalogue(), SharedFile::kPrefixSpecials);
  }
  PrefixFiles files;
  files.prefix = prefixes ? prefixes->get() : nullptr;
  files.exceptionsEe = exceptionsEe ? exceptionsEe->get() : nullptr;
  files.exceptionsEs = exceptionsEs ? exceptionsEs->get() : nullptr;
  files.longCalls = &context.LongExactCallsOfCountryFile();

  const DxccLine line = ResolveDxccLine(call, date, files, today);
  env.out << Cp1252ToUtf8(line.text) << "\n";
  if (line.result == kDxccResolved || line.result == kDxccNoEntity) return kExitOk;
  if (files.prefix == nullptr || files.prefix->RecordCount() <= 0) {
    env.err << "korvtool: prefix resolve: "
            << (haveTable ? "KVPREFIX is empty"
                          : "KVPREFIX: " + MissingFileReason(table, "KVPREFIX"))
            << "; fill it with: korvtool prefix import-cty /usr/share/hamradio-files/cty.csv\n";
  } else if (line.result == kDxccNotValid) {
    env.err << "korvtool: prefix resolve: the matching prefix entry is not valid on "
            << DateToText(date) << "\n";
  } else {
    env.err << "korvtool: prefix resolve: no entry of the prefix tables matches\n";
  }
  return kExitRefused;
}

}  // namespace

int RunPrefix(const CommandEnv& env, CommandArgs args) {
  if (args.empty()) {
    env.err << "korvtool: prefix needs a subcommand: import-cty FILE | resolve CALL [DATE]\n";
    return kExitRefused;
  }
  const std::string& sub = args[0];
  if (sub == "import-cty") return ImportCountryFile(env, args.subspan(1));
  if (sub == "resolve") return Resolve(env, args.subspan(1));
  env.err << "korvtool: prefix: unknown subcommand: " << sub << "\n";
  return kExitRefused;
}

}  // namespace korv::tool
