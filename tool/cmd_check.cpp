// check [FILE...]: opens each file through the catalogue (the engine repairs
// what it repairs at every open: InUse left set, a missing or unreadable
// index file, a damaged data header), then verifies data file, free chain
// and every index. A named file that does not exist is reported, not created.
#include <algorithm>
#include <system_error>
#include <vector>

#include "tool/commands.h"
#include "tool/korvtool.h"
#include "tool/tool_context.h"

namespace korv::tool {
namespace {

struct Candidate {
  std::string typed;       // as named or as stored, without ".DAT" when listed
  std::string storedName;  // listed: the file name in the directory; else empty
};

// Every KV*.DAT of the directory, without regard to case, sorted by name.
std::vector<Candidate> ListDataFiles(const std::filesystem::path& dir) {
  std::vector<Candidate> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    const std::string name = entry.path().filename().string();
    const std::string upper = AsciiUpper(name);
    if (upper.size() > 6 && upper.starts_with("KV") && upper.ends_with(".DAT")) {
      found.push_back({name.substr(0, name.size() - 4), name});
    }
  }
  std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
    const std::string ua = AsciiUpper(a.storedName), ub = AsciiUpper(b.storedName);
    return ua != ub ? ua < ub : a.storedName < b.storedName;
  });
  return found;
}

}  // namespace

int RunCheck(const CommandEnv& env, CommandArgs args) {
  std::vector<Candidate> candidates;
  for (const std::string& arg : args) {
    if (arg.starts_with("-")) {
      env.err << "korvtool: check: unknown option: " << arg << "\n";
      return kExitRefused;
    }
    candidates.push_back({arg, {}});
  }
  if (args.empty()) {
    candidates = ListDataFiles(env.dataDirectory);
    if (candidates.empty()) {
      env.err << "korvtool: check: no KV*.DAT file in " << env.dataDirectory.string() << "\n";
      return kExitOk;
    }
  }

  ToolContext context(env.dataDirectory, env.out, env.err);
  if (!context.Start()) return kExitFailure;

  bool allSound = true;
  auto bad = [&](std::string_view name, std::string_view reason) {
    env.out << "BAD " << name << "  " << reason << "\n";
    allSound = false;
  };
  for (const Candidate& c : candidates) {
    const std::optional<NamedFile> named = LookUpFileName(c.typed);
    if (!named) {
      bad(c.typed, "not a file of this program");
      continue;
    }
    // Found in the directory listing, in whatever letter case: present.
    DataFileOnDisk onDisk;
    if (c.storedName.empty()) {
      onDisk = FindDataFile(env.dataDirectory, named->name);
    } else {
      onDisk.kind = DataFileOnDisk::Kind::kPresent;
    }
    if (onDisk.kind != DataFileOnDisk::Kind::kPresent) {
      bad(named->name, MissingFileReason(onDisk, named->name));
      continue;
    }

    const int fatalBefore = context.FatalCount();
    OpenedFile file(context.catalogue(), named->file, named->logNumber);
    if (!file) {
      bad(named->name,
          "cannot open: error " + std::to_string(context.catalogue().LastOpenStatus().code));
      continue;
    }
    std::string problem;
    const bool sound = file->CheckStructure(problem);
    const std::int32_t records = sound ? file->RecordCount() : -1;
    if (context.FatalCount() != fatalBefore) {
      bad(named->name, "fatal storage error (its message is on stderr)");
    } else if (!sound) {
      bad(named->name, problem);
    } else if (records < 0) {
      bad(named->name, "cannot count the records");
    } else {
      env.out << "ok  " << named->name << "  " << records << " records\n";
    }
  }
  return allSound ? kExitOk : kExitFailure;
}

}  // namespace korv::tool
