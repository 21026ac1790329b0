// dump FILE [--limit N]: the live records of one file in RecordRef order,
// one line each: "ref=N " and the record's fields (record_text.h).
#include <charconv>
#include <limits>
#include <optional>
#include <system_error>

#include "storage/errors.h"
#include "tool/commands.h"
#include "tool/korvtool.h"
#include "tool/record_text.h"
#include "tool/tool_context.h"

namespace korv::tool {
namespace {

// A positive decimal number that fits int32; nullopt for anything else.
std::optional<std::int32_t> PositiveNumber(std::string_view text) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || text[0] == '+' || ec != std::errc() || ptr != end || value < 1) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

int RunDump(const CommandEnv& env, CommandArgs args) {
  std::optional<std::string> typed;
  std::int32_t limit = std::numeric_limits<std::int32_t>::max();
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::optional<std::string_view> limitText;
    if (arg == "--limit") {
      if (i + 1 >= args.size()) {
        env.err << "korvtool: dump: --limit needs a number\n";
        return kExitRefused;
      }
      limitText = args[++i];
    } else if (arg.starts_with("--limit=")) {
      limitText = std::string_view(arg).substr(8);
    } else if (arg.starts_with("-")) {
      env.err << "korvtool: dump: unknown option: " << arg << "\n";
      return kExitRefused;
    } else if (typed) {
      env.err << "korvtool: dump: one file only: " << arg << "\n";
      return kExitRefused;
    } else {
      typed = arg;
    }
    if (limitText) {
      const std::optional<std::int32_t> n = PositiveNumber(*limitText);
      if (!n) {
        env.err << "korvtool: dump: --limit needs a positive number: " << *limitText << "\n";
        return kExitRefused;
      }
      limit = *n;
    }
  }
  if (!typed) {
    env.err << "korvtool: dump: no file given\n";
    return kExitRefused;
  }
  const std::optional<NamedFile> named = LookUpFileName(*typed);
  if (!named) {
    env.err << "korvtool: dump: " << *typed << ": not a file of this program\n";
    return kExitRefused;
  }
  const DataFileOnDisk onDisk = FindDataFile(env.dataDirectory, named->name);
  if (onDisk.kind != DataFileOnDisk::Kind::kPresent) {
    env.err << "korvtool: dump: " << named->name << ": " << MissingFileReason(onDisk, named->name)
            << "\n";
    return kExitRefused;
  }

  ToolContext context(env.dataDirectory, env.out, env.err);
  if (!context.Start()) return kExitFailure;
  OpenedFile file(context.catalogue(), named->file, named->logNumber);
  if (!file) {
    env.err << "korvtool: dump: " << named->name << ": cannot open: error "
            << context.catalogue().LastOpenStatus().code << "\n";
    return kExitFailure;
  }
  // Opening (and repairing) happens here; afterwards the data file holds
  // exactly NumRec + 1 slots.
  const std::int32_t live = file->RecordCount();
  if (live < 0) return kExitFailure;
  std::error_code ec;
  const auto bytes = std::filesystem::file_size(env.dataDirectory / (named->name + ".DAT"), ec);
  const auto slots = ec ? 0 : bytes / static_cast<std::uintmax_t>(file->RecLen());
  const std::int32_t numRec = slots == 0 ? 0 : static_cast<std::int32_t>(slots - 1);

  std::int32_t seen = 0;
  for (RecordRef ref = 1; ref <= numRec && seen < live && seen < limit; ++ref) {
    const Status st = file->ReadRecordByRef(ref);
    if (st.code == err::kRecordDeleted) continue;
    if (!st.ok()) {
      env.err << "korvtool: dump: " << named->name << ": record " << ref
              << " cannot be read: error " << st.code << "\n";
      return kExitFailure;
    }
    ++seen;
    env.out << "ref=" << ref << " " << RecordText(named->file, file->Record()) << "\n";
  }
  return kExitOk;
}

}  // namespace korv::tool
