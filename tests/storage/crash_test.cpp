// A writer killed at random moments. A child process inserts, updates and
// removes records in a FileBlock with flush after write and reports every
// acknowledged operation through a pipe; the parent kills it with SIGKILL
// a random 0-30 ms after the writer reported its file open and a random
// number of operations (every tenth trial: after the fork), reopens the files in a fresh engine (the repair
// runs) and checks: every acknowledged operation is in the files with the
// record's exact bytes, the one operation that was running may or may not
// be, nothing else appears, and the structure is sound. The files carry over
// from trial to trial, so later trials kill a writer of a larger file.
//
// 50 trials by default; a long run sets the count:
//   KORV_CRASH_TRIALS=2000 build/tests/storage/korv_storage_heavy_tests
//       --gtest_filter='CrashTest.*'
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <thread>

#include "storage_fixture.h"

namespace korv::testing {
namespace {

// Record (120 bytes): 4 id (index 1, unique), 8 version, 12 ShortText[10]
// name (index 2, duplicates), 23.. bytes derived from id and version; index
// 3 (unique, KeyLen 20) is name + id.
constexpr int kRecLen = 120;

void CrashKeys(ConstBytes rec, int index, KeyString& key) {
  if (index == 1) key.AppendLong(GetI32(rec, 4));
  if (index == 2) key.AppendPadded(GetShortText(rec, 12, 10), 10);
  if (index == 3) {
    key.AppendPadded(GetShortText(rec, 12, 10), 10);
    key.AppendLong(GetI32(rec, 4));
  }
}

using Rec = std::vector<std::uint8_t>;

Rec MakeRecord(std::int32_t id, std::int32_t version) {
  Rec r(kRecLen, 0);
  PutI32(Bytes{r}, 4, id);
  PutI32(Bytes{r}, 8, version);
  const std::string name = "C" + std::to_string((id * 7 + version) % 23);
  PutShortText(Bytes{r}, 12, 10, name);
  std::uint32_t x = static_cast<std::uint32_t>(id) * 2654435761u + static_cast<std::uint32_t>(version);
  for (std::size_t i = 23; i < r.size(); ++i) {
    x = x * 1103515245u + 12345u;
    r[i] = static_cast<std::uint8_t>(x >> 16);
  }
  return r;
}

// The live records by id with their version; the next new id.
struct State {
  std::map<std::int32_t, std::int32_t> live;
  std::int32_t nextId = 1;
};

enum class OpKind { kInsert, kUpdate, kRemove };
struct Op {
  OpKind kind;
  std::int32_t id;
  std::int32_t version;  // after the operation
};

// The operation the writer does next: the same in child and parent.
Op NextOp(const State& s, std::mt19937& rng) {
  const int pick = static_cast<int>(rng() % 100);
  if (s.live.size() < 5 || pick < 70) return {OpKind::kInsert, s.nextId, 0};
  auto it = s.live.begin();
  std::advance(it, static_cast<long>(rng() % s.live.size()));
  if (pick < 85) return {OpKind::kUpdate, it->first, it->second + 1};
  return {OpKind::kRemove, it->first, it->second};
}

void Apply(State& s, const Op& op) {
  if (op.kind == OpKind::kInsert) {
    s.live[op.id] = 0;
    s.nextId = op.id + 1;
  } else if (op.kind == OpKind::kUpdate) {
    s.live[op.id] = op.version;
  } else {
    s.live.erase(op.id);
  }
}

int TrialsFromEnvironment() {
  if (const char* v = std::getenv("KORV_CRASH_TRIALS")) {
    const int n = std::atoi(v);
    if (n > 0) return n;
  }
  return 50;
}

class ExitingFatalHandler : public FatalHandler {
 public:
  void OnFatal(const ErrorList& errors, const std::string&) override { _exit(10 + errors.Level()); }
};

FileBlock* DefineCrashFile(StorageEngine& engine) {
  FileBlock* b = engine.DefineFileBlock("CRASH", "CRASH", kRecLen, 3, CrashKeys, nullptr, 32, true);
  if (b == nullptr) return nullptr;
  if (!b->DefineIndex(1, 5, false).ok() || !b->DefineIndex(2, 10, true).ok() ||
      !b->DefineIndex(3, 20, false).ok()) {
    return nullptr;
  }
  b->SetFlushAfterWrite(true);
  return b;
}

// The child: its own engine; reports each acknowledged operation (its
// sequence number and id) on fd. Never returns.
[[noreturn]] void Writer(const std::filesystem::path& dir, State s, std::uint32_t seed, int fd) {
  ExitingFatalHandler handler;
  EngineOptions options;
  options.dataDirectory = dir;
  options.fatalHandler = &handler;
  StorageEngine engine(options);
  if (!engine.InitFileManager(160, 32).ok()) _exit(2);
  FileBlock* b = DefineCrashFile(engine);
  if (b == nullptr) _exit(3);
  if (b->RecordCount() < 0) _exit(6);
  const std::int32_t ready[2] = {-1, 0};  // open: the parent's clock starts
  if (write(fd, ready, sizeof ready) != static_cast<ssize_t>(sizeof ready)) _exit(5);
  std::mt19937 rng(seed);
  for (std::int32_t n = 0;; ++n) {
    const Op op = NextOp(s, rng);
    Status st;
    KeyString key;
    key.AppendLong(op.id);
    if (op.kind == OpKind::kInsert) {
      const Rec r = MakeRecord(op.id, 0);
      std::copy(r.begin(), r.end(), b->Record().begin());
      st = b->InsertRecord();
    } else {
      st = b->FindExact(1, key);
      if (st.ok() && op.kind == OpKind::kUpdate) {
        const Rec r = MakeRecord(op.id, op.version);
        std::copy(r.begin(), r.end(), b->Record().begin());
        st = b->UpdateRecord();
      } else if (st.ok()) {
        st = b->RemoveRecord(RemoveMode::kNext);
      }
    }
    if (!st.ok()) _exit(4);
    const std::int32_t report[2] = {n, op.id};
    if (write(fd, report, sizeof report) != static_cast<ssize_t>(sizeof report)) _exit(5);
    Apply(s, op);
  }
}

class CrashTest : public StorageTest {
 protected:
  // The records the files hold, by id, read through index 1.
  std::map<std::int32_t, Rec> ReadBack(FileBlock* b) {
    std::map<std::int32_t, Rec> out;
    for (Status st = b->MoveFirst(1); st.ok(); st = b->MoveNext(1)) {
      const Rec r(b->Record().begin(), b->Record().end());
      out[GetI32(ConstBytes{r}, 4)] = r;
    }
    return out;
  }
};

TEST_F(CrashTest, AcknowledgedOperationsSurviveAKill) {
  const int trials = TrialsFromEnvironment();
  engine.reset();  // the child must not inherit an engine with open files
  State state;
  std::mt19937 timing(4242);
  int killedBusy = 0;
  std::size_t acknowledgedTotal = 0;
  for (int trial = 0; trial < trials; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    const std::uint32_t seed = 1000u + static_cast<std::uint32_t>(trial);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(fds[0]);
      Writer(dir, state, seed, fds[1]);
    }
    close(fds[1]);
    // Mostly the delay runs after the writer opened its file and reported
    // a random number (0-12) of operations, so that whatever the speed of
    // the machine the kill lands among the operations; every tenth trial
    // counts from the fork (kill during start-up).
    std::vector<std::int32_t> acks;
    if (trial % 10 != 9) {
      const std::size_t wanted = timing() % 13;
      for (;;) {
        std::int32_t report[2];
        ASSERT_EQ(read(fds[0], report, sizeof report), static_cast<ssize_t>(sizeof report));
        if (report[0] >= 0) {
          ASSERT_EQ(report[0], static_cast<std::int32_t>(acks.size()));
          acks.push_back(report[1]);
        }
        if (report[0] >= 0 ? acks.size() >= wanted : wanted == 0) break;
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(timing() % 30001));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the writer ended by itself, status " << status;
    // The rest of the acknowledged operations, in order.
    for (;;) {
      std::int32_t report[2];
      const ssize_t got = read(fds[0], report, sizeof report);
      if (got <= 0) break;
      ASSERT_EQ(got, static_cast<ssize_t>(sizeof report));
      if (report[0] == -1) continue;  // the ready mark, when not read above
      ASSERT_EQ(report[0], static_cast<std::int32_t>(acks.size()));
      acks.push_back(report[1]);
    }
    close(fds[0]);

    // Replay: the state after the acknowledged operations, and the one that ran.
    std::mt19937 rng(seed);
    State before = state;
    for (std::int32_t id : acks) {
      const Op op = NextOp(before, rng);
      ASSERT_EQ(op.id, id);
      Apply(before, op);
    }
    const Op running = NextOp(before, rng);
    State after = before;
    Apply(after, running);
    acknowledgedTotal += acks.size();

    StartEngine();
    FileBlock* b = DefineCrashFile(*engine);
    ASSERT_NE(b, nullptr);
    block = b;
    const std::map<std::int32_t, Rec> found = ReadBack(b);
    ASSERT_TRUE(fatal.codes.empty()) << "fatal " << fatal.codes.front();
    ExpectSound();
    auto matches = [&](const State& s) {
      if (found.size() != s.live.size()) return false;
      for (const auto& [id, version] : s.live) {
        auto it = found.find(id);
        if (it == found.end() || it->second != MakeRecord(id, version)) return false;
      }
      return true;
    };
    const bool asBefore = matches(before);
    const bool asAfter = matches(after);
    if (!asBefore && !asAfter) {
      std::string diff;
      int shown = 0;
      for (const auto& [id, version] : before.live) {
        if (++shown > 20) break;
        auto it = found.find(id);
        if (it == found.end()) {
          diff += " missing " + std::to_string(id);
        } else if (it->second != MakeRecord(id, version)) {
          diff += " changed " + std::to_string(id);
        }
      }
      for (const auto& [id, rec] : found) {
        if (before.live.count(id) == 0) diff += " unexpected " + std::to_string(id);
      }
      FAIL() << acks.size() << " acknowledged; running op on id " << running.id << ":" << diff;
    }
    if (asAfter && !asBefore) ++killedBusy;
    state = asAfter && !asBefore ? after : before;
    engine.reset();
    block = nullptr;
  }
  RecordProperty("acknowledged", static_cast<int>(acknowledgedTotal));
  RecordProperty("records", static_cast<int>(state.live.size()));
  std::printf("%d trials, %zu acknowledged operations, %zu records at the end, %d kills after "
              "an unacknowledged operation had reached the files\n",
              trials, acknowledgedTotal, state.live.size(), killedBusy);
  // Without acknowledged work the test would prove nothing.
  EXPECT_GT(acknowledgedTotal, 0u);
}

}  // namespace
}  // namespace korv::testing
