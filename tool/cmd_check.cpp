// check [FILE...]: opens each file through the catalogue (the engine repairs
// what it repairs at every open: InUse left set, a missing or unreadable
// index file, a damaged data header), then verifies data file, free chain
// and every index. A named file that does not exist is reported, not created.
#include <algorithm>
#include <system_error>
#include <vector>

#include "storage/os_file.h"
#include "tool/commands.h"
#include "tool/korvtool.h"
#include "tool/tool_context.h"

namespace korv::tool {
namespace {

struct Candidate {
  std::string typed;       // as named or as stored, without ".DAT" when listed
  std::string storedName;  // listed: the file name in the directory; else empty
};

// Every KV*.DAT of the directory, without regard to case, sorted by name;
// also the files whose work was interrupted: a lone "<name>.SAV" of a
// reorganisation and the "<name>.NEU.DAT" of a renumbering stand for
// "<name>", whose open finishes or removes them.
std::vector<Candidate> ListDataFiles(const std::filesystem::path& dir) {
  std::vector<Candidate> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    const std::string name = entry.path().filename().string();
    const std::string upper = AsciiUpper(name);
    if (upper.size() <= 6 || !upper.starts_with("KV")) continue;
    if (!upper.ends_with(".DAT") && !upper.ends_with(".SAV")) continue;
    std::string stem = name.substr(0, name.size() - 4);
    const std::string rewrite = kRewriteSuffix;
    if (AsciiUpper(stem).ends_with(rewrite)) stem.resize(stem.size() - rewrite.size());
    const bool listed = std::any_of(found.begin(), found.end(), [&](const Candidate& c) {
      return AsciiUpper(c.typed) == AsciiUpper(stem);
    });
    if (!listed) found.push_back({stem, stem + ".DAT"});
  }
  std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
    const std::string ua = AsciiUpper(a.storedName), ub = AsciiUpper(b.storedName);
    return ua != ub ? ua < ub : a.storedName < b.storedName;
  });
  return found;
}

bool OnDisk(const std::filesystem::path& dir, const std::string& fileName) {
  return FileExists(FindIgnoringCase(dir / fileName));
}

// What the open of the file will finish, as said on its line.
std::string PendingWork(const std::filesystem::path& dir, const std::string& name) {
  if (OnDisk(dir, name + ".SAV")) return "  (finished an interrupted reorganisation)";
  if (OnDisk(dir, name + kRewriteSuffix + ".DAT") || OnDisk(dir, name + kRewriteSuffix + ".IX")) {
    return "  (removed the unfinished copy of an interrupted renumbering)";
  }
  return {};
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
      if (OnDisk(env.dataDirectory, named->name + ".SAV")) onDisk.kind = DataFileOnDisk::Kind::kPresent;
    } else {
      onDisk.kind = DataFileOnDisk::Kind::kPresent;
    }
    if (onDisk.kind != DataFileOnDisk::Kind::kPresent) {
      bad(named->name, MissingFileReason(onDisk, named->name));
      continue;
    }

    const std::string pending = PendingWork(env.dataDirectory, named->name);
    context.fatalHandler().SetLastLine("BAD " + named->name +
                                       "  fatal storage error (its message is on stderr)");
    OpenedFile file(context.catalogue(), named->file, named->logNumber);
    if (!file) {
      bad(named->name,
          "cannot open: error " + std::to_string(context.catalogue().LastOpenStatus().code));
      continue;
    }
    std::string problem;
    const bool sound = file->CheckStructure(problem);
    const std::int32_t records = sound ? file->RecordCount() : -1;
    context.fatalHandler().SetLastLine({});
    if (!sound) {
      bad(named->name, problem);
    } else if (records < 0) {
      bad(named->name, "cannot count the records");
    } else {
      env.out << "ok  " << named->name << "  " << records << " records" << pending << "\n";
    }
  }
  return allSound ? kExitOk : kExitFailure;
}

}  // namespace korv::tool
