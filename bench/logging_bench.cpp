// Logging benchmark: the entry session on DEZ logs of 1000, 10000 and
// 100000 QSOs generated through the session itself (German and foreign
// calls, DOKs, three bands, two modes). Figures per size:
//   keystroke  the live call check plus the call-exit checks of one typed
//              call (duplicate rule, call book, prefix, multipliers):
//              median and 99th percentile
//   save       one QSO stored with flush-after-write: CPU time, wall time,
//              file syncs per save and per file
//   delete     one QSO deleted: renumbering plus recalculation, wall time
//   open/close the log opened and closed again in an entry session (its
//              numbering sound, so nothing is renumbered), wall time
//   memory     resident size of a fresh process before and after opening
//              the log in an entry session
//   typing     with MASTER.SCP and the call history loaded: one character
//              of a call typed, the live call check and the partial and N+1
//              lists the window draws (View), median and 99th percentile;
//              beside it the same typing with the lists empty
//   rate       the rate's update at a save (one QSO moment added, the two
//              rates read) at the log's size
//
//   korv_bench_logging [--sizes 1000,10000,100000] [--dir DIR] [--keep]
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dez_log.h"
#include "output/adif_export.h"
#include "output/adif_import.h"
#include "output/adif_reader.h"
#include "output/claimed_score.h"
#include "output/csv_file.h"
#include "output/elog_lists.h"
#include "output/stf_file.h"
#include "logging/entry_session.h"
#include "logging/rate.h"
#include "refdata/call_history.h"
#include "refdata/partial_calls.h"
#include "platform/scripted_platform.h"

namespace {
std::atomic<bool> g_countSyncs{false};
std::map<std::string, int>* g_syncsByFile = nullptr;

std::string PathOf(int fd) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[512];
  const ssize_t n = ::readlink(link, target, sizeof target - 1);
  if (n <= 0) return "?";
  target[n] = 0;
  return std::filesystem::path(target).filename().string();
}
void CountSync(int fd) {
  if (g_countSyncs.load() && g_syncsByFile != nullptr) ++(*g_syncsByFile)[PathOf(fd)];
}
}  // namespace

// The engine links statically: its syncs come through these definitions.
extern "C" int fsync(int fd) {
  CountSync(fd);
  return static_cast<int>(::syscall(SYS_fsync, fd));
}
extern "C" int fdatasync(int fd) {
  CountSync(fd);
  return static_cast<int>(::syscall(SYS_fdatasync, fd));
}

namespace korv {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Log = bench::DezLog;
using bench::CallOf;
using bench::DokOf;

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long ResidentKb() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1));
  return v[i];
}

// MASTER.SCP and the call history as the program reads them at start.
struct ReferenceData {
  CallIndex calls;
  CallHistory history;
  std::vector<std::string> scpCalls;  // a sample to type
  double loadMs = 0, loadCpuMs = 0, historyMs = 0;
  long rssKb = 0;
  std::size_t indexBytes = 0;
};

void LoadReference(ReferenceData& ref) {
  const long before = ResidentKb();
  const auto t0 = Clock::now();
  const double c0 = CpuSeconds();
  (void)ref.history.LoadFile("/usr/share/hamradio-files/WAG_call_history.txt", false);
  ref.historyMs = (CpuSeconds() - c0) * 1000;
  // As the program reads them at start.
  (void)BuildReferenceCalls("/usr/share/hamradio-files/MASTER.SCP", &ref.history, ref.calls);
  ref.loadMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  ref.loadCpuMs = (CpuSeconds() - c0) * 1000;
  ref.rssKb = ResidentKb() - before;
  // A sample of MASTER.SCP's calls to type (outside the measurement).
  std::vector<std::string> calls;
  (void)ReadScpFile("/usr/share/hamradio-files/MASTER.SCP", calls);
  for (std::size_t i = 0; i < calls.size(); i += 97) ref.scpCalls.push_back(calls[i]);
  ref.indexBytes = ref.calls.MemoryBytes();
}

struct SizeResult {
  int qsos = 0;
  double typingMedianMs = 0, typingP99Ms = 0, typingBareMedianMs = 0, typingBareP99Ms = 0;
  double rateUpdateMs = 0;
  double generateSeconds = 0;
  double keyMedianMs = 0, keyP99Ms = 0, liveMedianMs = 0;
  double saveCpuMs = 0, saveWallMs = 0;
  std::map<std::string, double> syncsPerSave;
  double deleteSeconds = 0;
  double openSeconds = 0, closeSeconds = 0;
  long rssBeforeKb = 0, rssAfterKb = 0;
  std::map<std::string, double> exportSeconds;
  int importRecords = 0, imported = 0;
  double importSeconds = 0;
};

// One character typed at a time into the call field, as the window passes
// it on, with the view the window draws after each.
void TypeCalls(Log& log, const std::vector<std::string>& calls, std::vector<double>& times) {
  for (const std::string& call : calls) {
    log.session->FieldEntered(EntryField::kCall);
    for (std::size_t k = 1; k <= call.size(); ++k) {
      const auto t0 = Clock::now();
      log.session->CallTextChanged(call.substr(0, k));
      const EntryView v = log.session->View();
      times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
      if (v.texts[0].empty()) std::abort();
    }
    log.session->Escape();
  }
}

SizeResult RunSize(const fs::path& root, int n, const char* self, const ReferenceData& ref) {
  SizeResult r;
  r.qsos = n;
  const fs::path dir = root / ("log-" + std::to_string(n));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::mt19937 rng(12345);
  {
    Log log;
    log.referenceCalls = &ref.calls;
    log.Start(dir, true);
    log.Open();
    const auto t0 = Clock::now();
    r.qsos = log.Fill(n, rng);
    r.generateSeconds = std::chrono::duration<double>(Clock::now() - t0).count();

    // Typing with the partial list: calls of the log, of MASTER.SCP and new
    // ones, and the same typing with the lists cut to nothing.
    std::vector<std::string> typed;
    for (int i = 0; i < 300; ++i) {
      const auto u = static_cast<std::uint32_t>(i);
      typed.push_back(i % 3 == 0   ? CallOf(100000 + (u * 7919) % static_cast<std::uint32_t>(n / 2))
                      : i % 3 == 1 ? ref.scpCalls[(u * 31) % ref.scpCalls.size()]
                                   : CallOf(700000 + u));
    }
    std::vector<double> typing, bare;
    TypeCalls(log, typed, typing);
    log.session->SetPartialListRows(0, 0);
    TypeCalls(log, typed, bare);
    log.session->SetPartialListRows(10, 5);
    r.typingMedianMs = Percentile(typing, 0.5);
    r.typingP99Ms = Percentile(typing, 0.99);
    r.typingBareMedianMs = Percentile(bare, 0.5);
    r.typingBareP99Ms = Percentile(bare, 0.99);

    // The rate's part of a save at the log's size.
    {
      QsoRate rate;
      const DayNumber day = DayNumberFromCivil({2026, 11, 14});
      for (int i = 0; i < r.qsos; ++i) rate.Add(day + i / 86400, i % 86400);
      const int adds = 1000;
      int sink = 0;
      const auto a0 = Clock::now();
      for (int i = 0; i < adds; ++i) {
        rate.Add(day + (r.qsos + i) / 86400, (r.qsos + i) % 86400);
        sink += rate.PerHour(day + (r.qsos + i) / 86400, (r.qsos + i) % 86400, 10);
        sink += rate.PerHour(day + (r.qsos + i) / 86400, (r.qsos + i) % 86400, 60);
      }
      r.rateUpdateMs = std::chrono::duration<double, std::milli>(Clock::now() - a0).count() / adds;
      if (sink < 0) std::abort();
    }

    // Keystroke path: calls not in the log, typed and left without Enter.
    std::vector<double> times, live;
    for (int i = 0; i < 1000; ++i) {
      const std::string call = CallOf(900000 + static_cast<std::uint32_t>(i));
      const auto k0 = Clock::now();
      log.session->FieldEntered(EntryField::kCall);
      log.session->CallTextChanged(call);
      const auto k1 = Clock::now();
      log.session->LeaveField(EntryField::kCall, false);
      times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - k0).count());
      live.push_back(std::chrono::duration<double, std::milli>(k1 - k0).count());
      log.session->Escape();
    }
    r.keyMedianMs = Percentile(times, 0.5);
    r.keyP99Ms = Percentile(times, 0.99);
    r.liveMedianMs = Percentile(live, 0.5);

    // Saving with flush-after-write: CPU time and file syncs of the save.
    std::map<std::string, int> syncs;
    g_syncsByFile = &syncs;
    const int saves = 100;
    double cpu = 0, wall = 0;
    int done = 0;
    for (int i = 0; i < saves; ++i) {
      log.Tick();
      EntrySession& s = *log.session;
      s.FieldEntered(EntryField::kCall);
      s.CallTextChanged(CallOf(800000 + static_cast<std::uint32_t>(i)));
      s.LeaveField(EntryField::kCall, true);
      s.FieldEntered(EntryField::kRcvd2);
      s.ExchangeTextChanged(EntryField::kRcvd2, DokOf(rng));
      const double c0 = CpuSeconds();
      const auto w0 = Clock::now();
      g_countSyncs = true;
      if (s.LeaveField(EntryField::kRcvd2, true)) ++done;
      g_countSyncs = false;
      cpu += CpuSeconds() - c0;
      wall += std::chrono::duration<double, std::milli>(Clock::now() - w0).count();
    }
    g_syncsByFile = nullptr;
    r.saveCpuMs = done ? cpu * 1000 / done : 0;
    r.saveWallMs = done ? wall / done : 0;
    for (const auto& [file, count] : syncs) r.syncsPerSave[file] = done ? static_cast<double>(count) / done : 0;

    // Deleting one QSO in the middle: renumbering plus recalculation.
    log.platform.AnswerNextQuestion(true);
    FileBlock* f = log.session->qsoFile();
    KeyString key;
    key.AppendLong(r.qsos / 2);
    std::uint32_t recordNo = 0;
    if (f->FindExact(13, key).ok()) recordNo = QsoRecord(QsoRecord::Record(f->Record().data(), kQsoRecordSize)).recordNo();
    const auto d0 = Clock::now();
    log.session->DeleteQso(recordNo);
    r.deleteSeconds = std::chrono::duration<double>(Clock::now() - d0).count();
    log.session->Close();

    // Opening and closing the log again: its numbering is sound, so neither
    // renumbers (the check walks the log in time order).
    const auto o0 = Clock::now();
    log.Open();
    r.openSeconds = std::chrono::duration<double>(Clock::now() - o0).count();
    const auto c0 = Clock::now();
    log.session->Close();
    r.closeSeconds = std::chrono::duration<double>(Clock::now() - c0).count();

    // Exports of the whole log, as the menu writes them.
    const ContestHeader h(ContestHeader::Record(log.header.data(), kContestHeaderSize));
    std::optional<TotalsRecord> tr;
    KeyString totalsKey;
    totalsKey.AppendLong(h.contestNumber());
    if (log.totals->FindExact(1, totalsKey).ok()) tr = TotalsRecord::Over(log.totals->Record());
    OwnStation own;
    own.name = "Bench";
    const OutputContext ctx{h, log.rules, ReadStoredTotals(h, tr ? &*tr : nullptr, log.rules), own, 0, 0};
    FileBlock* qsos = log.catalogue->OpenQsoFile(h.contestNumber());
    std::string adif;
    const std::pair<const char*, std::function<OutputResult()>> writers[] = {
        {"STF", [&] { return StfFile(ctx, *qsos); }},
        {"ADIF", [&] { return AdifExport(ctx, *qsos, false); }},
        {"CSV", [&] { return CsvFile(ctx, *qsos); }},
        {"ALL", [&] { return ElogQsoList(ctx, *qsos); }},
    };
    for (const auto& [name, write] : writers) {
      const auto e0 = Clock::now();
      const OutputResult out = write();
      r.exportSeconds[name] = std::chrono::duration<double>(Clock::now() - e0).count();
      if (std::string(name) == "ADIF") adif = out.bytes;
    }
    log.catalogue->ReleaseQsoFile(h.contestNumber());

    // The first 10000 records of the ADIF export imported into a new log.
    std::vector<std::string> records = ReadAdifText(adif).records;
    if (records.size() > 10000) records.resize(10000);
    const fs::path importDir = root / ("import-" + std::to_string(n));
    fs::remove_all(importDir);
    fs::create_directories(importDir);
    Log target;
    target.Start(importDir, true);
    target.Open();
    std::vector<std::string> mapping = AdifSameNameMapping(AdifLogFieldNames(*target.session));
    const auto i0 = Clock::now();
    const AdifImportCounts counts = ImportAdifRecords(*target.session, records, mapping, false);
    r.importSeconds = std::chrono::duration<double>(Clock::now() - i0).count();
    r.importRecords = static_cast<int>(records.size());
    r.imported = counts.imported;
    target.session->Close();
    fs::remove_all(importDir);
  }
  // Memory: a fresh process opens the log.
  const std::string cmd = std::string(self) + " --memory-child " + dir.string();
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    if (std::fscanf(p, "%ld %ld", &r.rssBeforeKb, &r.rssAfterKb) != 2) r.rssBeforeKb = r.rssAfterKb = -1;
    ::pclose(p);
  }
  return r;
}

int MemoryChild(const fs::path& dir) {
  ReferenceData ref;
  LoadReference(ref);
  Log log;
  log.referenceCalls = &ref.calls;
  log.Start(dir, false);
  const long before = ResidentKb();
  log.Open();
  const long after = ResidentKb();
  std::printf("%ld %ld\n", before, after);
  log.session.reset();
  return 0;
}

}  // namespace
}  // namespace korv

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<int> sizes{1000, 10000, 100000};
  fs::path root = fs::temp_directory_path() / ("korv-logging-bench-" + std::to_string(::getpid()));
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--memory-child" && i + 1 < argc) return korv::MemoryChild(argv[i + 1]);
    if (a == "--sizes" && i + 1 < argc) {
      sizes.clear();
      std::string list = argv[++i];
      std::size_t pos = 0;
      while (pos < list.size()) {
        const std::size_t comma = list.find(',', pos);
        sizes.push_back(std::atoi(list.substr(pos, comma - pos).c_str()));
        if (comma == std::string::npos) break;
        pos = comma + 1;
      }
    } else if (a == "--dir" && i + 1 < argc) {
      root = argv[++i];
    } else if (a == "--keep") {
      keep = true;
    } else {
      std::fprintf(stderr, "usage: %s [--sizes 1000,10000,100000] [--dir DIR] [--keep]\n", argv[0]);
      return 2;
    }
  }
  fs::create_directories(root);
  korv::ReferenceData reference;
  korv::LoadReference(reference);
  std::printf("MASTER.SCP and call history: %zu calls (%zu typed as a sample), read and indexed in %.1f ms "
              "(CPU %.1f ms: call history %.1f, MASTER.SCP read and indexed %.1f), resident +%.1f MB, index %.1f MB "
              "(targets < 50 ms, < 8 MB)\n\n",
              reference.calls.size(), reference.scpCalls.size(), reference.loadMs, reference.loadCpuMs,
              reference.historyMs, reference.loadCpuMs - reference.historyMs,
              static_cast<double>(reference.rssKb) / 1024.0,
              static_cast<double>(reference.indexBytes) / (1024.0 * 1024.0));
  std::printf("Entry session on DEZ logs (targets: keystroke median < 0.2 ms, p99 < 1 ms, at most 2x the\n"
              "1000-QSO time; save CPU < 1 ms, <= 2 syncs per file; delete 10000 < 1 s, 100000 < 10 s;\n"
              "memory of the open session < 64 MB)\n\n");
  std::printf("%8s %9s %10s %10s %10s %10s %10s %9s %10s  %s\n", "QSOs", "gen s", "key med ms", "key p99 ms",
              "save cpu ms", "save ms", "delete s", "rss0 MB", "rss+log MB", "syncs per save by file");
  for (int n : sizes) {
    const korv::SizeResult r = korv::RunSize(root, n, argv[0], reference);
    std::string syncs;
    for (const auto& [file, count] : r.syncsPerSave) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "%s %.2f  ", file.c_str(), count);
      syncs += buf;
    }
    std::printf("%8d %9.1f %10.3f %10.3f %10.3f %10.3f %10.3f %9.1f %10.1f  %s\n", r.qsos, r.generateSeconds,
                r.keyMedianMs, r.keyP99Ms, r.saveCpuMs, r.saveWallMs, r.deleteSeconds,
                static_cast<double>(r.rssBeforeKb) / 1024.0,
                static_cast<double>(r.rssAfterKb - r.rssBeforeKb) / 1024.0, syncs.c_str());
    std::printf("%8s of the keystroke median: live call check %.3f ms, call-field exit %.3f ms\n", "",
                r.liveMedianMs, r.keyMedianMs - r.liveMedianMs);
    std::printf("%8s typing a character with the partial and N+1 lists: median %.3f ms, p99 %.3f ms (targets "
                "< 0.3 ms, < 1 ms); lists empty: median %.3f ms, p99 %.3f ms\n",
                "", r.typingMedianMs, r.typingP99Ms, r.typingBareMedianMs, r.typingBareP99Ms);
    std::printf("%8s rate update at a save: %.5f ms (target < 0.1 ms)\n", "", r.rateUpdateMs);
    std::printf("%8s open of the log %.3f s, close %.3f s, no renumbering (target < 0.2 s at 10000, < 1 s "
                "at 100000); delete with renumbering %.3f s (target < 1 s at 100000)\n",
                "", r.openSeconds, r.closeSeconds, r.deleteSeconds);
    std::printf("%8s export of the log:", "");
    for (const auto& [name, seconds] : r.exportSeconds) std::printf(" %s %.3f s", name.c_str(), seconds);
    std::printf(" (target < 2 s at 100000)\n%8s ADIF import of %d records with checks and saves: %.2f s, %d stored "
                "(target < 15 s for 10000)\n",
                "", r.importRecords, r.importSeconds, r.imported);
    std::fflush(stdout);
  }
  if (!keep) fs::remove_all(root);
  return 0;
}
