// Shared parts of the storage benchmark: options, the workload derived from
// them, measurements, and the two sides (our engine, SQLite).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "storage/key.h"

namespace bench {

struct Options {
  std::int64_t records = 100000;
  std::filesystem::path dir;
  bool keep = false;
  bool check = false;           // structure check of our files (also with keep)
  std::set<char> only;          // figures 'a'..'f'; empty = all
  std::int64_t durable = 2000;
  std::int64_t lookups = 100000;
  std::int64_t ops = 500;       // per kind in (f)
  std::uint64_t seed = 20080112;
  bool runOurs = true;
  bool runSqlite = true;

  bool Wants(char figure) const { return only.empty() || only.count(figure) != 0; }
  // Record counts of the renumbering copy: 10000 and N.
  std::vector<std::int64_t> CopySizes() const;
};

// Inputs both sides use, prepared once outside any timing.
struct Workload {
  std::vector<korv::KeyString> lookupKeys;  // keys of index 9 that exist
  std::vector<std::int32_t> deleteNumbers;  // record numbers to delete in (f)
  std::vector<std::int32_t> updateNumbers;  // record numbers to change in (f)
};
Workload MakeWorkload(const Options& options);

struct Measurement {
  double seconds = -1;   // < 0: not run
  std::int64_t ops = 0;  // operations the time covers
  std::int64_t syncs = -1;   // fsync + fdatasync calls during the phase
  std::int64_t writes = -1;  // write system calls during the phase
  std::string note;

  bool Ran() const { return seconds >= 0; }
  double PerOp() const { return ops > 0 ? seconds / static_cast<double>(ops) : 0; }
};

struct CheckVerdict {
  std::string store;
  bool ok = false;
  std::string problem;
};

struct SideResults {
  // Keys: "a", "b", "c", "d", "e<count>", "f-delete", "f-update", and for
  // SQLite's copy variants "e<count>-before" / "e<count>-after".
  std::map<std::string, Measurement> figures;
  std::map<std::string, std::uint64_t> storeBytes;  // size of the main store after (a)
  long peakKb = -1;                                 // VmHWM after the side ran
  std::vector<CheckVerdict> checks;
};

SideResults RunOurs(const Options& options, const Workload& workload);
SideResults RunSqlite(const Options& options, const Workload& workload);
std::string SqliteVersion();

// Process counters.
std::int64_t SyncCalls();    // fsync/fdatasync calls made by this process so far
std::int64_t WriteCalls();   // syscw of /proc/self/io
long PeakResidentKb();       // VmHWM of /proc/self/status

// Times one phase and records its counters.
class Phase {
 public:
  Phase() : syncs_(SyncCalls()), writes_(WriteCalls()), start_(std::chrono::steady_clock::now()) {}
  Measurement Stop(std::int64_t ops) const;

 private:
  std::int64_t syncs_;
  std::int64_t writes_;
  std::chrono::steady_clock::time_point start_;
};

// Progress on stderr for long phases: "label 30%".
class Progress {
 public:
  Progress(std::string label, std::int64_t total);
  ~Progress();
  void Step(std::int64_t done) {
    if (done >= nextReport_) Report(done);
  }

 private:
  void Report(std::int64_t done);
  std::string label_;
  std::int64_t total_;
  std::int64_t nextReport_;
};

[[noreturn]] void Die(std::string_view message);

}  // namespace bench
