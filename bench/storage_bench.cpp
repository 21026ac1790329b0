// Storage benchmark: our keyed record files against SQLite on one workload
// shaped like a QSO file (216-byte records, 27 indexes). Prints each figure
// for both sides with the ratio SQLite time / our time (above 1: ours is
// faster), the targets, and the machine.
//
//   korv_bench_storage [--records N] [--dir DIR] [--keep] [--check]
//                      [--only a,b,...] [--durable N] [--lookups N] [--ops N]
//                      [--side ours|sqlite|both] [--memory] [--memory-sizes A,B]
//                      [--seed S]
#include <fcntl.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "storage_bench.h"
#include "storage_bench_workload.h"

// File syncs of both sides are counted by defining the two calls in this
// executable: the engine (linked statically) and the shared SQLite library
// bind to these definitions, which pass the call on to the kernel.
namespace {
std::atomic<std::int64_t> g_syncCalls{0};
}  // namespace

extern "C" int fsync(int fd) {
  g_syncCalls.fetch_add(1, std::memory_order_relaxed);
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

extern "C" int fdatasync(int fd) {
  g_syncCalls.fetch_add(1, std::memory_order_relaxed);
  return static_cast<int>(::syscall(SYS_fdatasync, fd));
}

namespace bench {

namespace fs = std::filesystem;

std::int64_t SyncCalls() { return g_syncCalls.load(std::memory_order_relaxed); }

namespace {
// The value of "name:" (or "name ") in a /proc file of this process; -1 if absent.
long ProcField(const char* file, std::string_view name) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, name.size(), name) == 0) return std::strtol(line.c_str() + name.size(), nullptr, 10);
  }
  return -1;
}
}  // namespace

std::int64_t WriteCalls() { return ProcField("/proc/self/io", "syscw:"); }
long PeakResidentKb() { return ProcField("/proc/self/status", "VmHWM:"); }

Measurement Phase::Stop(std::int64_t ops) const {
  Measurement m;
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  m.ops = ops;
  m.syncs = SyncCalls() - syncs_;
  const std::int64_t writes = WriteCalls();
  m.writes = writes >= 0 && writes_ >= 0 ? writes - writes_ : -1;
  return m;
}

namespace {
const bool g_stderrIsTty = ::isatty(STDERR_FILENO) != 0;
}

Progress::Progress(std::string label, std::int64_t total)
    : label_(std::move(label)), total_(total), nextReport_(0) {
  Report(0);
}

Progress::~Progress() {
  if (g_stderrIsTty) std::fprintf(stderr, "\r%s: done\n", label_.c_str());
  else std::fprintf(stderr, "%s: done\n", label_.c_str());
}

void Progress::Report(std::int64_t done) {
  const std::int64_t total = std::max<std::int64_t>(total_, 1);
  const auto percent = static_cast<int>(done * 100 / total);
  if (g_stderrIsTty) {
    std::fprintf(stderr, "\r%s: %3d%%", label_.c_str(), percent);
    nextReport_ = done + std::max<std::int64_t>(total / 100, 1);
  } else {
    if (done > 0) std::fprintf(stderr, "%s: %d%%\n", label_.c_str(), percent);
    nextReport_ = done + std::max<std::int64_t>(total / 4, 1);
  }
  std::fflush(stderr);
}

void Die(std::string_view message) {
  std::fprintf(stderr, "\nstorage bench: error: %.*s\n", static_cast<int>(message.size()), message.data());
  std::exit(1);
}

std::vector<std::int64_t> Options::CopySizes() const {
  if (records == 10000) return {records};
  return {std::min<std::int64_t>(records, 10000), std::max<std::int64_t>(records, 10000)};
}

Workload MakeWorkload(const Options& options) {
  Workload w;
  const QsoGenerator gen(options.seed, options.records);
  std::array<std::uint8_t, kRecLen> rec{};
  const auto n = static_cast<std::uint64_t>(options.records);
  if (options.Wants('c')) {
    w.lookupKeys.resize(static_cast<std::size_t>(options.lookups));
    for (std::size_t j = 0; j < w.lookupKeys.size(); ++j) {
      const auto i = static_cast<std::int64_t>(Mix(options.seed ^ (0xC0FFEEULL + j)) % n);
      gen.Fill(i, rec);
      BuildQsoKey(rec, kLookupIndex, w.lookupKeys[j]);
    }
  }
  if (options.Wants('f')) {
    // Distinct record numbers: every k-th number from a random start, in a
    // random order; deletes and updates take alternate ones.
    const std::int64_t ops = std::min(options.ops, options.records / 4);
    std::vector<std::int32_t> numbers;
    const std::int64_t stride = options.records / (2 * ops);
    const auto start = static_cast<std::int64_t>(Mix(options.seed + 7) % static_cast<std::uint64_t>(stride));
    for (std::int64_t j = 0; j < 2 * ops; ++j) numbers.push_back(static_cast<std::int32_t>(1 + start + j * stride));
    for (std::size_t j = numbers.size(); j > 1; --j) {
      std::swap(numbers[j - 1], numbers[Mix(options.seed + j) % j]);
    }
    for (std::size_t j = 0; j < numbers.size(); ++j) (j % 2 == 0 ? w.deleteNumbers : w.updateNumbers).push_back(numbers[j]);
  }
  return w;
}

namespace {

// ---- options ----

struct CommandLine {
  Options options;
  bool memory = false;
  std::vector<std::int64_t> memorySizes{10000, 1000000};
  bool memoryChild = false;
  bool tempDir = false;  // DIR was made by us
};

[[noreturn]] void Usage(int code) {
  std::fprintf(code == 0 ? stdout : stderr,
               "usage: korv_bench_storage [options]\n"
               "  --records N        records in the file (default 100000)\n"
               "  --dir DIR          where the stores go (default: a fresh temporary directory)\n"
               "  --keep             leave both sides' stores in DIR; checks ours with CheckStructure\n"
               "  --check            run the structure check of our files without keeping them\n"
               "  --only a,b,...     run only these figures (a bulk insert, b durable insert,\n"
               "                     c lookups, d ordered walk, e renumbering copy, f delete/update)\n"
               "  --durable N        records of the durable insert (default 2000)\n"
               "  --lookups N        point lookups by index 9 (default 100000)\n"
               "  --ops N            deletes and updates in (f), each (default 500)\n"
               "  --side S           ours, sqlite or both (default both)\n"
               "  --memory           also run our side alone at 10000 and 1000000 records in child\n"
               "                     processes and report their peak resident sizes\n"
               "  --memory-sizes A,B record counts of those two runs\n"
               "  --seed S           seed of the generated records (default 20080112)\n");
  std::exit(code);
}

std::int64_t ParseCount(const std::string& text, const char* option, std::int64_t minimum) {
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < minimum || v > 2000000000) {
    std::fprintf(stderr, "storage bench: %s needs a number of at least %lld\n", option,
                 static_cast<long long>(minimum));
    std::exit(2);
  }
  return v;
}

CommandLine Parse(int argc, char** argv) {
  CommandLine cl;
  Options& o = cl.options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "storage bench: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--records") o.records = ParseCount(value(), "--records", 1000);
    else if (arg == "--dir") o.dir = value();
    else if (arg == "--keep") o.keep = true;
    else if (arg == "--check") o.check = true;
    else if (arg == "--durable") o.durable = ParseCount(value(), "--durable", 1);
    else if (arg == "--lookups") o.lookups = ParseCount(value(), "--lookups", 1);
    else if (arg == "--ops") o.ops = ParseCount(value(), "--ops", 1);
    else if (arg == "--seed") o.seed = static_cast<std::uint64_t>(ParseCount(value(), "--seed", 0));
    else if (arg == "--memory") cl.memory = true;
    else if (arg == "--memory-child") cl.memoryChild = true;
    else if (arg == "--only") {
      for (const char c : value()) {
        if (c == ',' || c == ' ') continue;
        if (c < 'a' || c > 'f') {
          std::fprintf(stderr, "storage bench: --only takes letters a to f\n");
          std::exit(2);
        }
        o.only.insert(c);
      }
    } else if (arg == "--side") {
      const std::string side = value();
      if (side == "ours") o.runSqlite = false;
      else if (side == "sqlite") o.runOurs = false;
      else if (side != "both") Usage(2);
    } else if (arg == "--memory-sizes") {
      std::stringstream in(value());
      std::string part;
      cl.memorySizes.clear();
      while (std::getline(in, part, ',')) cl.memorySizes.push_back(ParseCount(part, "--memory-sizes", 1000));
      if (cl.memorySizes.size() != 2) Usage(2);
    } else if (arg == "--help" || arg == "-h") {
      Usage(0);
    } else {
      std::fprintf(stderr, "storage bench: unknown option %s\n", arg.c_str());
      Usage(2);
    }
  }
  return cl;
}

// ---- machine ----

std::string CpuModel() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("model name", 0) == 0) {
      const auto colon = line.find(':');
      if (colon != std::string::npos) return line.substr(line.find_first_not_of(' ', colon + 1));
    }
  }
  return "unknown CPU";
}

std::string FileSystemOf(const fs::path& dir) {
  struct statfs st {};
  if (::statfs(dir.c_str(), &st) != 0) return "unknown";
  struct Known {
    unsigned long magic;
    const char* name;
  };
  static constexpr Known kKnown[] = {
      {0xEF53, "ext2/3/4"},    {0x01021994, "tmpfs"},     {0x58465342, "xfs"},
      {0x9123683E, "btrfs"},   {0x794C7630, "overlayfs"}, {0x2FC12FC1, "zfs"},
      {0x6969, "nfs"},         {0xF2F52010, "f2fs"},      {0x65735546, "fuse"},
      {0x858458F6, "ramfs"},   {0x5346544E, "ntfs"},      {0x4D44, "vfat"},
      {0xCA451A4E, "bcachefs"}, {0x01021997, "9p"},       {0x65735543, "fusectl"}};
  const auto magic = static_cast<unsigned long>(st.f_type) & 0xFFFFFFFFUL;
  for (const Known& k : kKnown) {
    if (k.magic == magic) return k.name;
  }
  char hex[32];
  std::snprintf(hex, sizeof hex, "type 0x%lX", magic);
  return hex;
}

void PrintMachine(const Options& o) {
  utsname un{};
  ::uname(&un);
  std::printf("machine: %ld CPUs online, %s; Linux %s %s\n", ::sysconf(_SC_NPROCESSORS_ONLN),
              CpuModel().c_str(), un.release, un.machine);
  std::printf("DIR: %s on %s\n", o.dir.c_str(), FileSystemOf(o.dir).c_str());
#if defined(__OPTIMIZE__)
  const char* optimized = "optimized";
#else
  const char* optimized = "NOT optimized (numbers are not representative)";
#endif
  std::printf("build: %s, compiler %s; SQLite %s\n", optimized, __VERSION__, SqliteVersion().c_str());
}

// ---- table ----

std::string FormatTime(double seconds) {
  char buf[32];
  if (seconds < 0) return "-";
  if (seconds < 1e-6) std::snprintf(buf, sizeof buf, "%.0f ns", seconds * 1e9);
  else if (seconds < 1e-3) std::snprintf(buf, sizeof buf, "%.2f us", seconds * 1e6);
  else if (seconds < 1.0) std::snprintf(buf, sizeof buf, "%.2f ms", seconds * 1e3);
  else std::snprintf(buf, sizeof buf, "%.2f s", seconds);
  return buf;
}

std::string FormatNumber(double v, int decimals = 2) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string FormatMb(double kb, int decimals = 1) {
  return kb < 0 ? "-" : FormatNumber(kb / 1024.0, decimals) + " MB";
}

struct Row {
  std::string figure, ours, sqlite, ratio, target, met;
};

class Table {
 public:
  void Add(Row row) { rows_.push_back(std::move(row)); }
  // A timed figure: ratio = SQLite / ours; minRatio <= 0: no target.
  void Time(const std::string& label, const Measurement* ours, const Measurement* sqlite, bool perOp,
            double minRatio, const std::string& target) {
    Row r{label, "-", "-", "-", target, ""};
    auto value = [perOp](const Measurement* m) { return m->seconds < 0 ? -1.0 : perOp ? m->PerOp() : m->seconds; };
    if (ours != nullptr && ours->Ran()) r.ours = FormatTime(value(ours));
    if (sqlite != nullptr && sqlite->Ran()) r.sqlite = FormatTime(value(sqlite));
    if (ours != nullptr && ours->Ran() && sqlite != nullptr && sqlite->Ran() && value(ours) > 0) {
      const double ratio = value(sqlite) / value(ours);
      r.ratio = FormatNumber(ratio) + "x";
      if (minRatio > 0) r.met = ratio >= minRatio ? "yes" : "NO";
    }
    rows_.push_back(r);
  }
  void Counts(const std::string& label, const Measurement* ours, const Measurement* sqlite, bool syncs,
              double oursMax, const std::string& target) {
    Row r{label, "-", "-", "", target, ""};
    auto value = [syncs](const Measurement* m) {
      const std::int64_t n = syncs ? m->syncs : m->writes;
      return n < 0 || m->ops == 0 ? -1.0 : static_cast<double>(n) / static_cast<double>(m->ops);
    };
    if (ours != nullptr && ours->Ran() && value(ours) >= 0) {
      r.ours = FormatNumber(value(ours), 3);
      if (oursMax > 0) r.met = value(ours) <= oursMax ? "yes" : "NO";
    }
    if (sqlite != nullptr && sqlite->Ran() && value(sqlite) >= 0) r.sqlite = FormatNumber(value(sqlite), 3);
    rows_.push_back(r);
  }
  void Print() const {
    const std::array<std::size_t, 6> width = {46, 13, 13, 8, 14, 4};
    auto line = [&](const Row& r) {
      std::printf("%-*s %*s %*s %*s  %-*s %s\n", static_cast<int>(width[0]), r.figure.c_str(),
                  static_cast<int>(width[1]), r.ours.c_str(), static_cast<int>(width[2]), r.sqlite.c_str(),
                  static_cast<int>(width[3]), r.ratio.c_str(), static_cast<int>(width[4]), r.target.c_str(),
                  r.met.c_str());
    };
    line({"figure", "ours", "SQLite", "ratio", "target", "met"});
    std::printf("%s\n", std::string(width[0] + width[1] + width[2] + width[3] + width[4] + 10, '-').c_str());
    for (const Row& r : rows_) line(r);
  }

 private:
  std::vector<Row> rows_;
};

const Measurement* Find(const SideResults& side, const std::string& key) {
  const auto it = side.figures.find(key);
  return it == side.figures.end() ? nullptr : &it->second;
}

struct MemoryRun {
  std::int64_t records = 0;
  long peakKb = -1;
};

void PrintResults(const CommandLine& cl, const SideResults& ours, const SideResults& sqlite,
                  const std::vector<MemoryRun>& memory) {
  const Options& o = cl.options;
  const std::string n = std::to_string(o.records);
  std::printf("\n== Storage benchmark: %s, N = %s records of %d bytes, %d indexes ==\n",
              cl.memoryChild ? "memory run, our engine alone" : "our engine vs SQLite", n.c_str(),
              kRecLen, kIndexCount);
  PrintMachine(o);
  std::printf("Times per operation unless stated. ratio = SQLite time / our time: above 1.00x our "
              "engine is faster,\nbelow 1.00x SQLite is faster. Sync counts: fsync + fdatasync calls of "
              "the process per operation.\n\n");
  Table t;
  if (o.Wants('a')) {
    t.Time("(a) bulk insert, no flush, per record", Find(ours, "a"), Find(sqlite, "a"), true, 2.0, ">= 2.00x");
    t.Time("    all N incl. final flush / commit", Find(ours, "a"), Find(sqlite, "a"), false, 0, "");
    t.Counts("    file syncs per record", Find(ours, "a"), Find(sqlite, "a"), true, 0, "");
  }
  if (o.Wants('b')) {
    t.Time(Cat("(b) durable insert (", o.durable, "), per record"), Find(ours, "b"),
           Find(sqlite, "b"), true, 1.5, ">= 1.50x");
    t.Counts("    file syncs per insert", Find(ours, "b"), Find(sqlite, "b"), true, 3.0, "ours <= 3");
    t.Counts("    write calls per insert", Find(ours, "b"), Find(sqlite, "b"), false, 0, "");
  }
  if (o.Wants('c')) {
    t.Time(Cat("(c) lookup by index 9 (", o.lookups, "), per lookup"), Find(ours, "c"),
           Find(sqlite, "c"), true, 1.5, ">= 1.50x");
  }
  if (o.Wants('d')) {
    t.Time("(d) ordered walk of index 1, whole walk", Find(ours, "d"), Find(sqlite, "d"), false, 0.5,
           ">= 0.50x");
    t.Time("    per record", Find(ours, "d"), Find(sqlite, "d"), true, 0, "");
    t.Time("    keys only, no record reads, whole walk", Find(ours, "d-keys"), Find(sqlite, "d-keys"), false,
           0, "");
  }
  if (o.Wants('e')) {
    for (const std::int64_t count : o.CopySizes()) {
      const std::string key = Cat("e", count);
      t.Time(Cat("(e) renumbering copy of ", count, ", whole copy"), Find(ours, key),
             Find(sqlite, key), false, 1.0, "> 1.00x");
      t.Time("    SQLite: indexes before insert", nullptr, Find(sqlite, key + "-before"), false, 0, "");
      t.Time("    SQLite: indexes after insert", nullptr, Find(sqlite, key + "-after"), false, 0, "");
    }
  }
  if (o.Wants('f')) {
    t.Time("(f) delete with flush, per op", Find(ours, "f-delete"), Find(sqlite, "f-delete"), true, 1.0,
           ">= 1.00x");
    t.Counts("    file syncs per delete", Find(ours, "f-delete"), Find(sqlite, "f-delete"), true, 0, "");
    t.Time("(f) update of an indexed field, per op", Find(ours, "f-update"), Find(sqlite, "f-update"),
           true, 1.0, ">= 1.00x");
    t.Counts("    file syncs per update", Find(ours, "f-update"), Find(sqlite, "f-update"), true, 0, "");
  }
  {
    Row r{"store size after (a) (ours: .DAT + .IX)", "-", "-", "", "", ""};
    const auto a = ours.storeBytes.find("main");
    const auto b = sqlite.storeBytes.find("main");
    if (a != ours.storeBytes.end()) r.ours = FormatMb(static_cast<double>(a->second) / 1024.0);
    if (b != sqlite.storeBytes.end()) r.sqlite = FormatMb(static_cast<double>(b->second) / 1024.0);
    if (r.ours != "-" || r.sqlite != "-") t.Add(r);
  }
  if (o.runOurs) {
    t.Add({"peak resident size after our side (process)", FormatMb(static_cast<double>(ours.peakKb), 2), "",
           "", "", ""});
  }
  if (memory.size() == 2) {
    for (const MemoryRun& m : memory) {
      t.Add({Cat("peak resident size, ours alone, N = ", m.records),
             FormatMb(static_cast<double>(m.peakKb), 2), "", "", "", ""});
    }
    const double diffKb = static_cast<double>(memory[1].peakKb - memory[0].peakKb);
    t.Add({"    difference", FormatNumber(diffKb / 1024.0, 2) + " MB", "", "", "<= 16 MB", diffKb <= 16.0 * 1024 ? "yes" : "NO"});
  }
  t.Print();

  const Measurement* plan = Find(sqlite, "d");
  if (plan != nullptr && !plan->note.empty()) std::printf("\nSQLite (d) query %s\n", plan->note.c_str());
  if (o.runOurs) {
    std::printf("Peak resident sizes are VmHWM of the whole process; they include the list of lookup keys "
                "(%zu keys).\n", o.Wants('c') ? static_cast<std::size_t>(o.lookups) : std::size_t{0});
  }
  if (o.Wants('d')) {
    std::printf("(d) keys only: ours MoveFirst + IndexNextRaw; SQLite SELECT k1 ORDER BY k1 (index only).\n");
  }
  std::printf("SQLite settings: (a) one transaction, synchronous=OFF, rollback journal; (b) one transaction "
              "per record,\nWAL, synchronous=FULL; (c) one read transaction; (e) one transaction, "
              "synchronous=FULL, INSERT ... SELECT\nin k1 order with new numbers from row_number() and "
              "two registered functions (k4, record number);\n(f) one transaction per operation, WAL, "
              "synchronous=FULL. Ours: (a) flush-after-write off, one Flush at the end;\n(b) and (f) "
              "flush-after-write on; (e) walk of index 1, flush-after-write off, one Flush at the end.\n");
  if (!ours.checks.empty()) {
    std::printf("\nStructure check of our files (FileBlock::CheckStructure):\n");
    for (const CheckVerdict& c : ours.checks) {
      std::printf("  %-20s %s%s\n", c.store.c_str(), c.ok ? "passed" : "FAILED: ", c.problem.c_str());
    }
  }
  if (o.keep) std::printf("\nStores kept in %s\n", o.dir.c_str());
}

// ---- memory runs in child processes ----

MemoryRun RunMemoryChild(const CommandLine& cl, std::int64_t records) {
  const Options& o = cl.options;
  const fs::path dir = o.dir / Cat("memory-", records);
  fs::create_directories(dir);
  std::vector<std::string> args = {"korv_bench_storage", "--memory-child", "--side", "ours",
                                   "--records", std::to_string(records), "--dir", dir.string(),
                                   "--durable", std::to_string(o.durable), "--lookups", std::to_string(o.lookups),
                                   "--ops", std::to_string(o.ops), "--seed", std::to_string(o.seed)};
  if (!o.only.empty()) {
    std::string only;
    for (const char c : o.only) only += c;
    args.insert(args.end(), {"--only", only});
  }
  if (o.keep) args.push_back("--keep");
  std::fprintf(stderr, "\n== memory run: our side alone, N = %lld, in a child process ==\n",
               static_cast<long long>(records));
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) Die("pipe failed");
  const pid_t pid = ::fork();
  if (pid < 0) Die("fork failed");
  if (pid == 0) {
    ::dup2(pipeFds[1], STDOUT_FILENO);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv("/proc/self/exe", argv.data());
    std::_Exit(127);
  }
  ::close(pipeFds[1]);
  std::string output;
  char buf[4096];
  ssize_t got;
  while ((got = ::read(pipeFds[0], buf, sizeof buf)) > 0) output.append(buf, static_cast<std::size_t>(got));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Die(Cat("the memory run at N = ", records, " failed"));
  MemoryRun run{records, -1};
  const auto at = output.find("peak-kb ");
  if (at != std::string::npos) run.peakKb = std::strtol(output.c_str() + at + 8, nullptr, 10);
  if (run.peakKb < 0) Die("the memory run did not report its peak");
  if (!o.keep) {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  return run;
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  using namespace bench;
  CommandLine cl = Parse(argc, argv);
  Options& o = cl.options;
  if (o.dir.empty()) {
    std::string tmpl = (fs::temp_directory_path() / "korv-bench-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) Die("cannot create a temporary directory");
    o.dir = tmpl;
    cl.tempDir = true;
  } else {
    std::error_code ec;
    fs::create_directories(o.dir, ec);
    if (ec) Die("cannot create " + o.dir.string() + ": " + ec.message());
  }
  o.dir = fs::absolute(o.dir);
  std::fprintf(stderr, "storage bench: N = %lld, stores in %s\n", static_cast<long long>(o.records),
               o.dir.c_str());

  const Workload workload = MakeWorkload(o);
  SideResults ours, sqlite;
  if (o.runOurs) ours = RunOurs(o, workload);
  if (o.runSqlite) sqlite = RunSqlite(o, workload);

  if (cl.memoryChild) {
    // The parent reads the peak from stdout; the figures go to stderr.
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    PrintResults(cl, ours, sqlite, {});
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    std::printf("peak-kb %ld\n", ours.peakKb);
    return 0;
  }

  std::vector<MemoryRun> memory;
  if (cl.memory) {
    for (const std::int64_t records : cl.memorySizes) memory.push_back(RunMemoryChild(cl, records));
  }
  PrintResults(cl, ours, sqlite, memory);

  int exitCode = 0;
  for (const CheckVerdict& c : ours.checks) {
    if (!c.ok) exitCode = 1;
  }
  if (cl.tempDir && !o.keep) {
    std::error_code ec;
    fs::remove_all(o.dir, ec);
  }
  return exitCode;
}
