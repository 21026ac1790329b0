// Opens arbitrary bytes as the data file and index file of a FileBlock (see
// fuzz_storage.h for the layout): the open repairs what it must, every index
// is walked both ways by record and by raw cursor and stepped back and forth,
// the scroll-bar estimates and a seek run, the file is copied in the order of
// an index into a new file that replaces it (as a renumbering does), a few
// records are inserted, updated and removed, and the structure check runs. Fatal errors go to a handler that records them (the
// engine closes its files and the next call reopens them).
//
// Invariants that must hold for every input (violations abort, so libFuzzer
// keeps the input): no walk takes more steps than the files hold entries
// (run with -timeout as well, so that a loop inside one step is caught); a
// copy whose walk reached the end with every record replaces the file with a
// sound one of as many records; once the index file is deleted, the next
// open rebuilds it from the data file, and then the structure check passes,
// unless that open ends in a fatal error.
//
//   CXX=clang++ cmake -G Ninja -S . -B build-fuzz -DKORV_BUILD_FUZZ=ON -DKORV_BUILD_TESTS=OFF
//   cmake --build build-fuzz --target fuzz_storage fuzz_storage_seeds
//   build-fuzz/fuzz/fuzz_storage_seeds /tmp/storage-corpus   # optional: more seeds
//   build-fuzz/fuzz/fuzz_storage -max_len=32768 -timeout=10 -max_total_time=600 \
//       /tmp/storage-corpus fuzz/corpus/storage
// (the first corpus directory receives new inputs; fuzz/corpus/storage holds
// small seeds made by fuzz_storage_seeds).
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_storage.h"

namespace {

using namespace korv;
using fuzz::kFuzzName;
using fuzz::kFuzzRecLen;

class QuietFatalHandler : public FatalHandler {
 public:
  void OnFatal(const ErrorList& errors, const std::string&) override { codes.push_back(errors.Code()); }
  std::vector<int> codes;
};

const std::filesystem::path& WorkDir() {
  static const std::filesystem::path dir = [] {
    std::filesystem::path base = std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                      : std::filesystem::temp_directory_path();
    base /= "korv-fuzz-storage-" + std::to_string(::getpid());
    std::filesystem::create_directories(base);
    return base;
  }();
  return dir;
}

void WriteFile(const std::filesystem::path& p, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void ClearDir() {
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(WorkDir(), ec)) {
    std::filesystem::remove(e.path(), ec);
  }
}

// A walk steps through entries in strict order, each of them a live record
// (or, raw, an entry of the index file): more steps than that is a loop.
long g_maxSteps = 0;

void Overrun(const char* what) {
  std::fprintf(stderr, "%s took more steps than the files hold\n", what);
  std::abort();
}

void Walks(FileBlock& b, int index) {
  long n = 0;
  for (Status st = b.MoveFirst(index); st.ok(); st = b.MoveNext(index)) {
    if (++n > g_maxSteps) Overrun("MoveNext");
  }
  n = 0;
  for (Status st = b.MoveLast(index); st.ok(); st = b.MovePrevious(index)) {
    if (++n > g_maxSteps) Overrun("MovePrevious");
  }
  RecordRef ref = 0;
  KeyString key;
  n = 0;
  for (Status st = b.IndexNextRaw(index, ref, key); st.ok(); st = b.IndexNextRaw(index, ref, key)) {
    if (++n > g_maxSteps) Overrun("IndexNextRaw");
  }
  n = 0;
  for (Status st = b.IndexPrevRaw(index, ref, key); st.ok(); st = b.IndexPrevRaw(index, ref, key)) {
    if (++n > g_maxSteps) Overrun("IndexPrevRaw");
  }
  // Back and forth from the first record: two forward, one back.
  n = 0;
  Status st = b.MoveFirst(index);
  while (st.ok() && ++n <= g_maxSteps) {
    st = b.MoveNext(index);
    if (st.ok()) st = b.MoveNext(index);
    if (st.ok()) st = b.MovePrevious(index);
  }
  if (n > g_maxSteps) Overrun("back and forth");
}

// The renumbering's copy: the records in index-2 order into a new file,
// which replaces the old one only when the walk ended with every record.
void CopyAndReplace(StorageEngine& engine, FileBlock& b, QuietFatalHandler& fatal) {
  const std::int32_t count = b.RecordCount();
  if (count < 0) return;
  FileBlock* target = fuzz::DefineFuzzFile(engine, std::string(kFuzzName) + kRewriteSuffix);
  if (target == nullptr) std::abort();
  (void)target->DeleteFileBlockFiles();
  const std::size_t fatalBefore = fatal.codes.size();
  bool complete = target->BeginBulkLoad().ok();
  long walked = 0;
  Status st = b.MoveFirst(2);
  while (complete && st.ok()) {
    if (++walked > g_maxSteps) Overrun("copy");
    std::copy(b.Record().begin(), b.Record().end(), target->Record().begin());
    PutI32(target->Record(), 4, 0);
    complete = target->InsertRecord().ok();
    st = b.MoveNext(2);
  }
  complete = complete && (st.code == err::kEndOfIndex || st.code == err::kStartOfIndex) &&
             walked == count && target->EndBulkLoad().ok() && target->Flush().ok() &&
             target->RecordCount() == count && fatal.codes.size() == fatalBefore;
  if (complete && engine.ReplaceFileBlockFiles(b, *target).ok()) {
    std::string problem;
    if (b.RecordCount() != count || !b.CheckStructure(problem)) {
      std::fprintf(stderr, "replaced file not sound (%d records): %s\n", count, problem.c_str());
      std::abort();
    }
  } else {
    (void)target->DeleteFileBlockFiles();
  }
  engine.DestroyFileBlock(target);
}

void Estimates(FileBlock& b, int index, const std::uint8_t* data, std::size_t size) {
  for (int n : {1, 7, 100}) {
    for (int a = 0; a <= n; a += n > 7 ? 33 : 1) {
      RecordRef ref = 0;
      KeyString key;
      if (b.KeyAtPosition(index, a, n, ref, key).ok()) {
        int position = 0;
        (void)b.KeyPosition(index, ref, key, n, position);
      }
    }
  }
  KeyString probe(std::string_view(reinterpret_cast<const char*>(data), size < 6 ? size : 6));
  for (int direction : {-1, 0, 1}) {
    RecordRef ref = 1;
    KeyString key = probe;
    (void)b.IndexSeekRaw(index, ref, direction, key);
  }
  (void)b.FindAtLeast(index, probe);
  (void)b.FindExact(index, probe);
}

void Changes(FileBlock& b, const std::uint8_t* data, std::size_t size) {
  for (int k = 0; k < 3; ++k) {
    b.ClearRecordBuffer();
    for (std::size_t i = 4; i < kFuzzRecLen; ++i) {
      b.Record()[i] = size == 0 ? std::uint8_t(i) : data[(i + 7 * k) % size];
    }
    PutU8(b.Record(), 8, static_cast<std::uint8_t>(b.Record()[8] % 4));
    (void)b.InsertRecord();
  }
  if (b.MoveLast(2).ok()) {
    PutShortText(b.Record(), 8, 3, "UPD");
    (void)b.UpdateRecord();
  }
  for (int k = 0; k < 2; ++k) {
    if (b.MoveFirst(3).ok()) (void)b.RemoveRecord(k == 0 ? RemoveMode::kNext : RemoveMode::kPrevious);
  }
  if (b.ReadRecordByRef(1).ok()) (void)b.RemoveRecord(RemoveMode::kNone);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::size_t datSize = std::min<std::size_t>(GetU32(ConstBytes{data, 4}, 0), size - 4);
  const std::uint8_t* dat = data + 4;
  const std::uint8_t* ix = dat + datSize;
  const std::size_t ixSize = size - 4 - datSize;

  ClearDir();
  const std::filesystem::path base = WorkDir() / kFuzzName;
  WriteFile(base.string() + ".DAT", dat, datSize);
  if (ixSize > 0) WriteFile(base.string() + ".IX", ix, ixSize);

  QuietFatalHandler fatal;
  EngineOptions options;
  options.dataDirectory = WorkDir();
  options.fatalHandler = &fatal;
  options.sleep = [](int) {};
  options.now = [](int& d, int& m, int& y, int& h, int& mi) { d = 1, m = 1, y = 2000, h = 0, mi = 0; };
  {
    StorageEngine engine(options);
    if (!engine.InitFileManager(8, 32).ok()) std::abort();
    FileBlock* b = fuzz::DefineFuzzFile(engine);
    if (b == nullptr) std::abort();
    (void)b->RecordCount();
    // Entries of the index file (at least 10 bytes each) and records.
    g_maxSteps = static_cast<long>(size / 10 + datSize / kFuzzRecLen + 16);
    for (int i = 1; i <= 3; ++i) Walks(*b, i);
    for (int i = 1; i <= 3; ++i) Estimates(*b, i, data, size);
    CopyAndReplace(engine, *b, fatal);
    Changes(*b, dat, datSize);
    std::string problem;
    (void)b->CheckStructure(problem);
    for (int i = 1; i <= 3; ++i) Walks(*b, i);

    // Rebuilt from the data file alone, the files must be sound.
    (void)engine.CloseAllFileBlocks();
    std::filesystem::remove(base.string() + ".IX");
    fatal.codes.clear();
    (void)b->RecordCount();
    if (fatal.codes.empty() && !b->CheckStructure(problem) && fatal.codes.empty()) {
      std::fprintf(stderr, "rebuilt files not sound: %s\n", problem.c_str());
      std::abort();
    }
  }
  ClearDir();
  return 0;
}
