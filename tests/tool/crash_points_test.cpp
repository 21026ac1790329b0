// Crash points: every command that writes is run in a child process that
// ends itself (_exit) at the N-th file-changing call of the engine's file
// layer; then the data folder is opened again through the same catalogue
// the program uses and must hold every QSO it held before (the one being
// deleted may be gone, the ones being added may be there), none twice, with
// every file passing the structure check and the log taking the next QSO.
//
// CI tries an even sample of 30 crash points per operation; with
// KORV_CRASH_ALL=1 every crash point is tried.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/coding.h"
#include "common/dates.h"
#include "files/catalogue.h"
#include "logging/qso_record.h"
#include "storage/engine.h"
#include "storage/os_file.h"
#include "support/test_support.h"
#include "tool/korvtool.h"
#include "tool/log_tool.h"
#include "tool/tool_run.h"

namespace korv::tool {
namespace {

namespace fs = std::filesystem;
using Calls = std::multiset<std::string>;
using Args = std::vector<std::string>;

constexpr int kCrashExit = 77;
constexpr int kSample = 30;

Args WithData(const fs::path& dir, Args args) {
  args.insert(args.begin(), {"--data", dir.string()});
  return args;
}

// What a child runs on the data folder.
using Body = std::function<void(const fs::path&)>;

Body Command(const Args& args) {
  return [args](const fs::path& dir) {
    std::ofstream out("/dev/null"), err("/dev/null");
    (void)korv::tool::Run(WithData(dir, args), out, err);
  };
}

// Runs body in a child that ends at the crashAt-th file-changing call
// (0: never). Returns the number of calls the child made when it ran to its
// end, or -1 when it was ended at crashAt.
int RunCounting(const fs::path& dir, const Body& body, int crashAt) {
  const fs::path countFile = dir.parent_path() / (dir.filename().string() + ".count");
  std::error_code ec;
  fs::remove(countFile, ec);
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    static int calls = 0;
    static int limit = 0;
    limit = crashAt;
    SetFileChangeHook([](FileChange, const fs::path&) {
      if (++calls == limit) ::_exit(kCrashExit);
    });
    body(dir);
    SetFileChangeHook({});
    std::ofstream(countFile) << calls;
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCrashExit) return -1;
  int calls = -2;
  std::ifstream(countFile) >> calls;
  return calls;
}

int RunCounting(const fs::path& dir, const Args& args, int crashAt) {
  return RunCounting(dir, Command(args), crashAt);
}

std::vector<int> CrashPoints(int total) {
  std::vector<int> points;
  const char* all = std::getenv("KORV_CRASH_ALL");
  if (total <= kSample || (all != nullptr && std::string(all) == "1")) {
    for (int n = 1; n <= total; ++n) points.push_back(n);
    return points;
  }
  for (int i = 0; i < kSample; ++i) points.push_back(1 + i * (total - 1) / (kSample - 1));
  points.erase(std::unique(points.begin(), points.end()), points.end());
  return points;
}

// The calls of a log, read through the catalogue (which finishes what a
// crash left), and whether the QSO file passes the structure check.
struct LogState {
  bool sound = false;
  std::string problem;
  Calls calls;
  std::map<int, std::string> bySerial;
  std::map<std::string, char> bandOf;
};

LogState ReadLog(const fs::path& dir, std::int32_t log) {
  LogState state;
  korv::testing::RecordingFatalHandler fatal;
  StorageEngine engine(korv::testing::TestEngineOptions(dir, fatal));
  if (!engine.InitFileManager(160, 32).ok()) return state;
  {
    FileCatalogue catalogue(engine);
    FileBlock* qso = catalogue.OpenQsoFile(log);
    if (qso != nullptr) {
      state.sound = qso->CheckStructure(state.problem);
      Status st = qso->MoveFirst(4);
      while (st.ok()) {
        const QsoRecord rec(QsoRecord::Record(qso->Record().data(), kQsoRecordSize));
        state.calls.insert(rec.call());
        state.bySerial[rec.serialNo()] = rec.call();
        state.bandOf[rec.call()] = rec.band();
        st = qso->MoveNext(4);
      }
      if (st.code != err::kEndOfIndex && st.code != err::kStartOfIndex) state.sound = false;
      catalogue.ReleaseQsoFile(log);
    }
  }
  (void)engine.DoneFileManager();
  if (!fatal.codes.empty()) {
    state.sound = false;
    state.problem = "fatal " + std::to_string(fatal.codes.front());
  }
  return state;
}

bool Subset(const Calls& small, const Calls& big) {
  return std::includes(big.begin(), big.end(), small.begin(), small.end());
}

class CrashPointsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    base_ = new fs::path(korv::testing::MakeTempDir("crash-base"));
    auto run = [](Args args) {
      const Outcome o = RunInChild(WithData(*base_, std::move(args)));
      ASSERT_EQ(o.code, kExitOk) << o.err;
    };
    for (const char* name : {"DEZ 2026", "DEZ 2025"}) {
      run({"new", "--name", name, "--call", "DL9XYZ", "--dok", "N01", "--start", "14.11.2026", "--end",
           "14.11.2026", "--clock", "utc", "--type", "1", "--manual-time", "--address",
           "Hans Muster;Hauptstr. 1;12345 Berlin;Germany"});
    }
    for (int i = 0; i < 30; ++i) {
      char call[16], time[8], dok[8];
      std::snprintf(call, sizeof call, "DL%dA%c%c", i % 10, 'A' + i / 10, 'A' + i % 7);
      std::snprintf(time, sizeof time, "12:%02d", i);
      std::snprintf(dok, sizeof dok, "N%02d", 1 + i % 20);
      run({"add", "1", call, dok, "--band", i % 3 == 0 ? "40" : "80", "--date", "14.11.2026", "--time", time});
      if (i < 5) run({"add", "2", call, dok, "--date", "14.11.2026", "--time", time});
    }
    std::ofstream(*base_ / "import.adi")
        << "ADIF export\n<EOH>\n"
        << "<CALL:6>DL1IMP<QSO_DATE:8>20261114<TIME_ON:4>1300<BAND:3>80M<MODE:3>SSB<DOK:3>P01<EOR>\n"
        << "<CALL:6>DL2IMP<QSO_DATE:8>20261114<TIME_ON:4>1100<BAND:3>40M<MODE:3>SSB<DOK:3>P02<EOR>\n"
        << "<CALL:6>DL3IMP<QSO_DATE:8>20261114<TIME_ON:4>1301<BAND:3>80M<MODE:3>SSB<DOK:3>P03<EOR>\n";
  }
  static void TearDownTestSuite() {
    fs::remove_all(*base_);
    delete base_;
  }
  void SetUp() override {
    work = korv::testing::MakeTempDir("crash-work");
    ASSERT_FALSE(work.empty());
    before = ReadLog(*base_, 1);
    ASSERT_TRUE(before.sound) << before.problem;
    ASSERT_EQ(before.calls.size(), 30u);
  }
  void TearDown() override { fs::remove_all(work); }

  void Fresh(const std::function<void(const fs::path&)>& prepare) {
    fs::remove_all(work);
    fs::copy(*base_, work, fs::copy_options::recursive);
    if (prepare) prepare(work);
  }

  // The checks after a crash at n.
  void ExpectWhole(const std::string& what, int n, const Calls& atLeast, const Calls& atMost) {
    SCOPED_TRACE(what + " crashed at call " + std::to_string(n));
    const LogState after = ReadLog(work, 1);
    ASSERT_TRUE(after.sound) << after.problem;
    EXPECT_TRUE(Subset(atLeast, after.calls)) << "a QSO was lost";
    EXPECT_TRUE(Subset(after.calls, atMost)) << "a QSO appeared twice or from nowhere";
    const Outcome check = RunInChild(WithData(work, {"check"}));
    EXPECT_EQ(check.code, kExitOk) << check.out << check.err;
    const Outcome next = RunInChild(
        WithData(work, {"add", "1", "DL9NXT", "N09", "--date", "14.11.2026", "--time", "14:00"}));
    EXPECT_EQ(next.code, kExitOk) << next.err;
    EXPECT_EQ(ReadLog(work, 1).calls.count("DL9NXT"), 1u);
  }

  // Runs the operation once to count its calls, then crashes it at each
  // chosen point. afterCrash runs after the crash (work on another log).
  void TryEveryPoint(const std::string& what, const std::function<void(const fs::path&)>& prepare,
                     const Body& body, const Calls& atLeast, const Calls& atMost,
                     const std::function<void(const fs::path&)>& afterCrash = {}) {
    Fresh(prepare);
    const int total = RunCounting(work, body, 0);
    ASSERT_GE(total, 0) << what;
    ExpectWhole(what + " (not crashed)", 0, atLeast, atMost);
    const std::vector<int> points = CrashPoints(total);
    std::printf("%s: %d file-changing calls, %zu crash points tried\n", what.c_str(), total, points.size());
    for (int n : points) {
      Fresh(prepare);
      ASSERT_EQ(RunCounting(work, body, n), -1) << what << " did not reach call " << n;
      if (afterCrash) afterCrash(work);
      ExpectWhole(what, n, atLeast, atMost);
      if (HasFatalFailure()) return;
    }
  }

  static fs::path* base_;
  fs::path work;
  LogState before;
};

fs::path* CrashPointsTest::base_ = nullptr;

Calls Plus(Calls calls, std::initializer_list<const char*> more) {
  for (const char* c : more) calls.insert(c);
  return calls;
}

Calls Minus(Calls calls, const std::string& call) {
  calls.erase(calls.find(call));
  return calls;
}

void SetInUse(const fs::path& dat) {
  std::fstream f(dat, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(20);
  f.put('\x01');
}

TEST_F(CrashPointsTest, InsertInTimeOrder) {
  TryEveryPoint("add", {}, Command({"add", "1", "DL7NEW", "N05", "--date", "14.11.2026", "--time", "12:45"}),
                before.calls, Plus(before.calls, {"DL7NEW"}));
}

TEST_F(CrashPointsTest, InsertBeforeTheOthersRenumbersAtClose) {
  TryEveryPoint("add early", {}, Command({"add", "1", "DL7NEW", "N05", "--date", "14.11.2026", "--time", "11:00"}),
                before.calls, Plus(before.calls, {"DL7NEW"}));
}

TEST_F(CrashPointsTest, DeleteWithRenumbering) {
  const std::string deleted = before.bySerial.at(5);
  TryEveryPoint("delete", {}, Command({"delete", "1", "5"}), Minus(before.calls, deleted), before.calls);
}

TEST_F(CrashPointsTest, DeleteCrashedThenAnotherLogIsWorkedOn) {
  const std::string deleted = before.bySerial.at(5);
  TryEveryPoint("delete, then log 2", {}, Command({"delete", "1", "5"}), Minus(before.calls, deleted), before.calls,
                [](const fs::path& dir) {
                  const Outcome o = RunInChild(WithData(dir, {"delete", "2", "1"}));
                  EXPECT_EQ(o.code, kExitOk) << o.err;
                  EXPECT_EQ(ReadLog(dir, 2).calls.size(), 4u);
                });
}

// The edit dialog moves a QSO to another band: stored, renumbered,
// recalculated, in the logging window's own session.
TEST_F(CrashPointsTest, EditWithRenumbering) {
  const Body edit = [](const fs::path& dir) {
    std::ofstream out("/dev/null"), err("/dev/null");
    const CommandEnv env{dir, out, err};
    LogTool tool(env, false);
    if (!tool.Start() || !tool.FindLog(1)) return;
    std::vector<std::uint8_t> header = tool.HeaderBytes();
    EntrySession s(tool.Logging(), header, tool.RulesFor(header));
    if (!s.Open()) return;
    FileBlock* f = s.qsoFile();
    KeyString key;
    key.AppendLong(11);
    if (f->FindExact(13, key).ok()) {
      const std::uint32_t recordNo = QsoRecord(QsoRecord::Record(f->Record().data(), kQsoRecordSize)).recordNo();
      if (auto form = s.EditFormOf(recordNo)) {
        QsoEditFields fields = form->fields;
        fields.band = 'c';  // 80 m to 40 m
        (void)s.ChangeQso(recordNo, fields);
      }
    }
    s.Close();
  };
  // The edit itself must have happened when nothing crashed.
  Fresh({});
  ASSERT_GT(RunCounting(work, edit, 0), 0);
  const LogState edited = ReadLog(work, 1);
  EXPECT_EQ(edited.calls, before.calls);
  EXPECT_EQ(before.bandOf.at(before.bySerial.at(11)), 'b');
  EXPECT_EQ(edited.bandOf.at(before.bySerial.at(11)), 'c');
  TryEveryPoint("edit", {}, edit, before.calls, before.calls);
}

TEST_F(CrashPointsTest, AdifImport) {
  const fs::path adif = *base_ / "import.adi";
  TryEveryPoint("import-adif", {}, Command({"import-adif", "1", adif.string()}), before.calls,
                Plus(before.calls, {"DL1IMP", "DL2IMP", "DL3IMP"}));
}

TEST_F(CrashPointsTest, RepairOfAFileLeftInUse) {
  TryEveryPoint("repair", [](const fs::path& dir) { SetInUse(dir / "KVLK0001.DAT"); },
                Command({"check", "KVLK0001"}), before.calls, before.calls);
}

TEST_F(CrashPointsTest, FinishingAnInterruptedReorganisation) {
  // What a reorganisation of the suite's kind leaves when it dies: the old
  // data file as ".SAV", the new one only begun.
  auto prepare = [](const fs::path& dir) {
    fs::rename(dir / "KVLK0001.DAT", dir / "KVLK0001.SAV");
    std::ifstream in(dir / "KVLK0001.SAV", std::ios::binary);
    std::vector<char> head(216 * 3);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    std::ofstream(dir / "KVLK0001.DAT", std::ios::binary).write(head.data(), in.gcount());
  };
  TryEveryPoint("finish .SAV", prepare, Command({"check", "KVLK0001"}), before.calls, before.calls);
  // Nothing of the partial file is destroyed: it is kept aside.
  Fresh(prepare);
  const Outcome o = RunInChild(WithData(work, {"check", "KVLK0001"}));
  EXPECT_EQ(o.out, "ok  KVLK0001  30 records  (finished an interrupted reorganisation)\n") << o.err;
  EXPECT_EQ(fs::file_size(work / "KVLK0001.REO"), 216u * 3);
  EXPECT_FALSE(fs::exists(work / "KVLK0001.SAV"));
}

TEST_F(CrashPointsTest, CrashDuringTheRecoveryOfACrash) {
  // A delete killed in the middle of putting the renumbered file in place,
  // then the repair that follows killed at each of its calls.
  const std::string deleted = before.bySerial.at(5);
  Fresh({});
  const int total = RunCounting(work, {"delete", "1", "5"}, 0);
  ASSERT_GT(total, 4);
  for (int first : {total / 2, total - 3, total - 1}) {
    auto prepare = [first](const fs::path& dir) {
      ASSERT_EQ(RunCounting(dir, {"delete", "1", "5"}, first), -1);
    };
    TryEveryPoint("recovery after delete crash " + std::to_string(first), prepare, Command({"check"}),
                  Minus(before.calls, deleted), before.calls);
  }
}

// --- damaged bytes and a full disk -------------------------------------------

TEST_F(CrashPointsTest, OneBadDataByteNeverTruncatesTheLogAtTheNextRenumbering) {
  const std::string deleted = before.bySerial.at(5);
  Fresh([](const fs::path& dir) {
    std::fstream f(dir / "KVLK0001.DAT", std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(2 * 216 + 31);  // the high byte of record 2's date
    f.put('\x7f');
  });
  // The walk meets a record that no longer builds its index entry: an index
  // fault, which ends the command and has the index rebuilt.
  const Outcome del = RunInChild(WithData(work, {"delete", "1", "5"}));
  EXPECT_EQ(del.code, kExitFailure) << del.out;
  EXPECT_NE(del.err.find("10070"), std::string::npos) << del.err;
  const LogState after = ReadLog(work, 1);
  ASSERT_TRUE(after.sound) << after.problem;
  EXPECT_TRUE(Subset(Minus(before.calls, deleted), after.calls));
  // Rebuilt, the index serves the next delete.
  EXPECT_EQ(RunInChild(WithData(work, {"delete", "1", "5"})).code, kExitOk);
  EXPECT_EQ(ReadLog(work, 1).calls.size(), after.calls.size() - 1);
}

TEST_F(CrashPointsTest, AnIndexEntryPointingBackEndsTheWalk) {
  Fresh({});
  // The entry of the QSO at 12:15 in the date/time index is made to point at
  // record 1: a walk following it would start again from the beginning.
  KeyString key;
  key.AppendBigEndian4(DayNumberFromCivil({2026, 11, 14}));
  key.AppendBigEndian4(12 * 3600 + 15 * 60);
  std::string ix = ReadWhole(work / "KVLK0001.IX");
  const std::string needle = std::string(1, '\x08') + std::string(key.view());
  const std::size_t at = ix.find(needle);
  ASSERT_NE(at, std::string::npos);
  ASSERT_GE(at, 8u);
  PutI32(Bytes{reinterpret_cast<std::uint8_t*>(ix.data()), ix.size()}, at - 8, 1);
  std::ofstream(work / "KVLK0001.IX", std::ios::binary) << ix;

  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(60);  // a walk that never ends fails the test instead of hanging it
    std::ofstream out("/dev/null"), err("/dev/null");
    ::_exit(korv::tool::Run(WithData(work, {"add", "1", "DL7NEW", "N05", "--date", "14.11.2026", "--time", "12:45"}),
                out, err));
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "the command did not end by itself";
  EXPECT_EQ(WEXITSTATUS(status), kExitFailure);
  ExpectWhole("after the damaged entry", 0, before.calls, Plus(before.calls, {"DL7NEW"}));
}

TEST_F(CrashPointsTest, FullDiskDuringASaveAndTheRepairAfterIt) {
  const Args add{"add", "1", "DL7NEW", "N05", "--date", "14.11.2026", "--time", "11:00"};
  // Counts the writes of the save, then fills the disk at each of them.
  auto runFull = [](const fs::path& dir, const Args& args, int fullFrom) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      static int writes = 0;
      static int from = 0;
      from = fullFrom;
      OsFile::SetWriteFaultHook([](const fs::path&, std::uint64_t, std::size_t size) -> std::size_t {
        return from > 0 && ++writes >= from ? 0 : size;
      });
      std::ofstream out(dir.parent_path() / "full.out"), err(dir.parent_path() / "full.err");
      const int code = korv::tool::Run(WithData(dir, args), out, err);
      out.flush();
      err.flush();
      ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  for (int from : {1, 2, 3, 5, 8, 13, 21, 34, 55}) {
    SCOPED_TRACE("disk full from write " + std::to_string(from));
    Fresh({});
    const int saved = runFull(work, add, from);
    const std::string err = ReadWhole(work.parent_path() / "full.err");
    if (saved != kExitOk) {
      EXPECT_EQ(saved, kExitFailure);
      // The fatal error ends the command with its message only.
      EXPECT_EQ(err.find("Fehlercode:"), err.rfind("Fehlercode:")) << err;
      EXPECT_EQ(err.find("QSO nicht gespeichert"), std::string::npos) << err;
    }
    // The repair at the next open on the still-full disk fails too ...
    EXPECT_NE(runFull(work, {"check", "KVLK0001"}, 1), -1);
    // ... and once space is back every acknowledged QSO is there.
    const Calls withNew = Plus(before.calls, {"DL7NEW"});
    ExpectWhole("full disk", from, saved == kExitOk ? withNew : before.calls, withNew);
    fs::remove(work.parent_path() / "full.out");
    fs::remove(work.parent_path() / "full.err");
  }
}

}  // namespace
}  // namespace korv::tool
