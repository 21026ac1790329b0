// Writes seed inputs for fuzz_storage into a directory: sound files of a few
// sizes made by the engine itself (empty, one record, a split root, deleted
// records in the free chain, a file left with InUse set), each packed as the
// fuzz target reads them.
//   fuzz_storage_seeds DIR
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_storage.h"

namespace {

using namespace korv;

class AbortingFatalHandler : public FatalHandler {
 public:
  void OnFatal(const ErrorList& errors, const std::string& message) override {
    std::fprintf(stderr, "fatal %d: %s\n", errors.Code(), message.c_str());
    std::exit(1);
  }
};

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Makes a file of `records` inserts with every `removeEvery`-th one removed
// (0: none) and returns it packed.
std::vector<std::uint8_t> MakeSeed(const std::filesystem::path& dir, int records, int removeEvery,
                                   bool leaveInUse) {
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  AbortingFatalHandler fatal;
  EngineOptions options;
  options.dataDirectory = dir;
  options.fatalHandler = &fatal;
  {
    StorageEngine engine(options);
    if (!engine.InitFileManager(160, 32).ok()) std::exit(1);
    FileBlock* b = fuzz::DefineFuzzFile(engine);
    if (b == nullptr) std::exit(1);
    (void)b->RecordCount();
    const char* names[] = {"A", "BB", "CCC", "AB", "", "ZZ"};
    for (int k = 0; k < records; ++k) {
      b->ClearRecordBuffer();
      PutShortText(b->Record(), 8, 3, names[k % 6]);
      PutU8(b->Record(), 12, static_cast<std::uint8_t>(k % 5));
      PutU8(b->Record(), 13, static_cast<std::uint8_t>(k * 37));
      if (!b->InsertRecord().ok()) std::exit(1);
    }
    for (RecordRef r = 2; removeEvery > 0 && r <= records; r += removeEvery) {
      if (!b->ReadRecordByRef(r).ok() || !b->RemoveRecord(RemoveMode::kNone).ok()) std::exit(1);
    }
    if (!engine.CloseAllFileBlocks().ok()) std::exit(1);
  }
  auto dat = ReadFile(dir / (std::string(fuzz::kFuzzName) + ".DAT"));
  const auto ix = ReadFile(dir / (std::string(fuzz::kFuzzName) + ".IX"));
  if (leaveInUse && dat.size() > 20) dat[20] = 1;
  std::filesystem::remove_all(dir);
  return fuzz::PackInput(dat, ix);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("korv-seeds-" + std::to_string(::getpid()));
  struct Seed {
    const char* name;
    int records, removeEvery;
    bool inUse;
  } seeds[] = {{"empty", 0, 0, false},       {"one", 1, 0, false},
               {"twelve-deleted", 12, 3, false}, {"split-root", 70, 0, false},
               {"deep-free", 200, 4, false}, {"in-use", 40, 5, true}};
  for (const Seed& s : seeds) {
    const auto bytes = MakeSeed(scratch, s.records, s.removeEvery, s.inUse);
    std::ofstream(out / s.name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::printf("%s: %zu bytes\n", s.name, bytes.size());
  }
  return 0;
}
