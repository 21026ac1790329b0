// Our side of the storage benchmark: the figures on the engine's FileBlocks.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "storage/engine.h"
#include "storage/file_block.h"
#include "storage_bench.h"
#include "storage_bench_workload.h"

namespace bench {
namespace {

namespace fs = std::filesystem;

void PrintErrors(const korv::ErrorList& errors) {
  for (const korv::ErrorEntry& e : errors.Entries()) {
    std::fprintf(stderr,
                 "  level %d, code %d (shown as %d), index %d, record %d, operation %d, step %d, "
                 "os error %d (%s), file %s\n",
                 e.level, e.code, korv::DisplayedErrorCode(e.code), e.indexNumber, e.recordRef,
                 e.operation, e.step, e.osError, e.osError != 0 ? std::strerror(e.osError) : "-",
                 e.fileBlockPath.empty() ? "-" : e.fileBlockPath.c_str());
  }
}

// A benchmark must never time a failing engine: any fatal error ends it.
class AbortingFatalHandler final : public korv::FatalHandler {
 public:
  void OnFatal(const korv::ErrorList& errors, const std::string& message) override {
    std::fprintf(stderr, "\nstorage bench: fatal error in our engine:\n%s\n", message.c_str());
    PrintErrors(errors);
    std::abort();
  }
};

class OurSide {
 public:
  OurSide(const Options& options, const Workload& workload)
      : options_(options), workload_(workload), engine_(MakeEngineOptions()) {}

  SideResults Run();

 private:
  korv::EngineOptions MakeEngineOptions() {
    korv::EngineOptions o;
    o.dataDirectory = options_.dir;
    o.fatalHandler = &fatal_;
    o.german = false;
    return o;
  }

  void Check(korv::Status status, std::string_view what) {
    if (status.ok()) return;
    std::fprintf(stderr, "\nstorage bench: our engine failed: %.*s: code %d, level %d\n",
                 static_cast<int>(what.size()), what.data(), status.code, status.level());
    PrintErrors(engine_.LastErrors());
    Die("unexpected engine error (see above); no figures are reported for a failing engine");
  }

  // A call that reports its failure through a return value, not a Status.
  [[noreturn]] void Fail(std::string_view what) {
    std::fprintf(stderr, "\nstorage bench: our engine failed: %.*s: error code %d\n",
                 static_cast<int>(what.size()), what.data(), engine_.LastErrors().Code());
    PrintErrors(engine_.LastErrors());
    Die("unexpected engine error (see above); no figures are reported for a failing engine");
  }

  korv::FileBlock* NewStore(const std::string& name, bool flushAfterWrite);
  korv::FileBlock* BuildStore(const std::string& name, std::int64_t count, Measurement* timing);
  void Lookups(korv::FileBlock* fb);
  void Walk(korv::FileBlock* fb);
  void Copy(korv::FileBlock* source, std::int64_t count);
  void DeletesAndUpdates(korv::FileBlock* fb);
  std::uint64_t StoreBytes(korv::FileBlock* fb) const;

  const Options& options_;
  const Workload& workload_;
  AbortingFatalHandler fatal_;
  korv::StorageEngine engine_;
  std::vector<korv::FileBlock*> stores_;
  SideResults results_;
};

korv::FileBlock* OurSide::NewStore(const std::string& name, bool flushAfterWrite) {
  korv::FileBlock* fb =
      engine_.DefineFileBlock(name, name, kRecLen, kIndexCount, BuildQsoKey, nullptr, 1, true);
  if (fb == nullptr) Fail("DefineFileBlock " + name);
  for (int k = 1; k <= kIndexCount; ++k) {
    Check(fb->DefineIndex(k, kKeyLens[static_cast<std::size_t>(k - 1)], AllowDups(k)),
          Cat("DefineIndex ", k));
  }
  Check(fb->SetAutoNumberField(kAutoIndex, kRecordNoOffset), "SetAutoNumberField");
  fb->SetFlushAfterWrite(flushAfterWrite);
  // Start empty even when DIR holds files of an earlier run.
  std::error_code ec;
  if (fs::exists(options_.dir / (name + ".DAT"), ec) || fs::exists(options_.dir / (name + ".IX"), ec)) {
    Check(fb->DeleteFileBlockFiles(), "DeleteFileBlockFiles " + name);
  }
  // Creates the files outside any timing (SQLite's CREATE TABLE is untimed too).
  if (fb->RecordCount() != 0) Fail("RecordCount of the new file " + name);
  stores_.push_back(fb);
  return fb;
}

// Inserts count generated records without flushing, then flushes once.
korv::FileBlock* OurSide::BuildStore(const std::string& name, std::int64_t count,
                                     Measurement* timing) {
  korv::FileBlock* fb = NewStore(name, false);
  QsoGenerator gen(options_.seed, count);
  Progress progress(Cat("ours: insert ", count, " records into ", name), count);
  const Phase phase;
  for (std::int64_t i = 0; i < count; ++i) {
    const korv::Bytes rec = fb->Record();
    gen.Next(rec);
    korv::PutI32(rec, kRecordNoOffset, 0);  // the engine assigns it
    Check(fb->InsertRecord(), "InsertRecord");
    if (korv::GetI32(rec, kRecordNoOffset) != i + 1) {
      Die(Cat("our engine assigned record number ", korv::GetI32(rec, kRecordNoOffset), " to insert ",
              i + 1, " of a fresh file"));
    }
    progress.Step(i + 1);
  }
  Check(fb->Flush(), "Flush");
  if (timing != nullptr) *timing = phase.Stop(count);
  if (fb->RecordCount() != count) Die(name + ": RecordCount differs from the records inserted");
  return fb;
}

void OurSide::Lookups(korv::FileBlock* fb) {
  std::int64_t refSum = 0;
  const Phase phase;
  for (const korv::KeyString& key : workload_.lookupKeys) {
    Check(fb->FindExact(kLookupIndex, key), "FindExact");
    refSum += fb->CurrentRef() + fb->Record()[off::kBand];
  }
  results_.figures["c"] = phase.Stop(static_cast<std::int64_t>(workload_.lookupKeys.size()));
  if (refSum <= 0) Die("lookups found nothing");
}

void OurSide::Walk(korv::FileBlock* fb) {
  std::int64_t count = 0;
  std::uint64_t sum = 0;
  const Phase phase;
  korv::Status st = fb->MoveFirst(kWalkIndex);
  while (st.ok()) {
    ++count;
    sum += fb->Record()[off::kBand];
    st = fb->MoveNext(kWalkIndex);
  }
  if (st.code != korv::err::kEndOfIndex) Check(st, "MoveFirst/MoveNext");
  results_.figures["d"] = phase.Stop(count);
  if (count != options_.records || sum == 0) {
    Die(Cat("the walk of index 1 met ", count, " records, expected ", options_.records));
  }

  // The same walk over the keys alone: what the record reads cost.
  std::int64_t keys = 0;
  const Phase keyPhase;
  Check(fb->MoveFirst(kWalkIndex), "MoveFirst");
  korv::RecordRef ref = fb->CurrentRef();
  korv::KeyString key = fb->BuildKey(kWalkIndex);
  ++keys;
  while ((st = fb->IndexNextRaw(kWalkIndex, ref, key)).ok()) ++keys;
  if (st.code != korv::err::kEndOfIndex) Check(st, "IndexNextRaw");
  results_.figures["d-keys"] = keyPhase.Stop(keys);
  if (keys != options_.records) Die(Cat("the key walk of index 1 met ", keys, " entries"));
}

// Walks index 1 of the source and inserts every record into a fresh file,
// as renumbering does: a bulk load whose indexes are built at the end.
void OurSide::Copy(korv::FileBlock* source, std::int64_t count) {
  korv::FileBlock* dest = NewStore(Cat("korv-copy", count), false);
  Progress progress(Cat("ours: renumbering copy of ", count, " records"), count);
  std::int64_t done = 0;
  const Phase phase;
  Check(dest->BeginBulkLoad(), "BeginBulkLoad (copy)");
  korv::Status st = source->MoveFirst(kWalkIndex);
  while (st.ok()) {
    const korv::Bytes rec = dest->Record();
    std::memcpy(rec.data(), source->Record().data(), kRecLen);
    korv::PutI32(rec, kRecordNoOffset, 0);
    Check(dest->InsertRecord(), "InsertRecord (copy)");
    progress.Step(++done);
    st = source->MoveNext(kWalkIndex);
  }
  if (st.code != korv::err::kEndOfIndex) Check(st, "MoveFirst/MoveNext (copy)");
  Check(dest->EndBulkLoad(), "EndBulkLoad (copy)");
  Check(dest->Flush(), "Flush (copy)");
  results_.figures[Cat("e", count)] = phase.Stop(done);
  if (done != count || dest->RecordCount() != count) Die("the copy holds the wrong number of records");
}

void OurSide::DeletesAndUpdates(korv::FileBlock* fb) {
  fb->SetFlushAfterWrite(true);
  korv::KeyString key;
  {
    const Phase phase;
    for (const std::int32_t number : workload_.deleteNumbers) {
      key.clear();
      key.AppendLong(number);
      Check(fb->FindExact(kAutoIndex, key), "FindExact (delete)");
      Check(fb->RemoveRecord(korv::RemoveMode::kNone), "RemoveRecord");
    }
    results_.figures["f-delete"] = phase.Stop(static_cast<std::int64_t>(workload_.deleteNumbers.size()));
  }
  const QsoGenerator gen(options_.seed, options_.records);
  {
    const Phase phase;
    for (const std::int32_t number : workload_.updateNumbers) {
      key.clear();
      key.AppendLong(number);
      Check(fb->FindExact(kAutoIndex, key), "FindExact (update)");
      gen.CorrectCallAndDok(fb->Record(), static_cast<std::uint64_t>(number));
      Check(fb->UpdateRecord(), "UpdateRecord");
    }
    results_.figures["f-update"] = phase.Stop(static_cast<std::int64_t>(workload_.updateNumbers.size()));
  }
  const auto expected = options_.records - static_cast<std::int64_t>(workload_.deleteNumbers.size());
  if (fb->RecordCount() != expected) Die("RecordCount after the deletes is wrong");
}

std::uint64_t OurSide::StoreBytes(korv::FileBlock* fb) const {
  std::uint64_t total = 0;
  for (const char* ext : {".DAT", ".IX"}) {
    std::error_code ec;
    const auto size = fs::file_size(fs::path(fb->Path().string() + ext), ec);
    if (!ec) total += size;
  }
  return total;
}

SideResults OurSide::Run() {
  Check(engine_.InitFileManager(160, 32), "InitFileManager");

  if (options_.Wants('b')) {
    korv::FileBlock* fb = NewStore("korv-durable", true);
    QsoGenerator gen(options_.seed + 1, options_.durable);
    Progress progress("ours: durable insert", options_.durable);
    const Phase phase;
    for (std::int64_t i = 0; i < options_.durable; ++i) {
      const korv::Bytes rec = fb->Record();
      gen.Next(rec);
      korv::PutI32(rec, kRecordNoOffset, 0);
      Check(fb->InsertRecord(), "InsertRecord (durable)");
      progress.Step(i + 1);
    }
    results_.figures["b"] = phase.Stop(options_.durable);
  }

  const auto sizes = options_.CopySizes();
  const bool needMain = options_.Wants('a') || options_.Wants('c') || options_.Wants('d') ||
                        options_.Wants('e') || options_.Wants('f');
  if (needMain) {
    Measurement bulk;
    korv::FileBlock* main = BuildStore("korv-main", options_.records, &bulk);
    if (options_.Wants('a')) results_.figures["a"] = bulk;
    results_.storeBytes["main"] = StoreBytes(main);
    if (options_.Wants('c')) Lookups(main);
    if (options_.Wants('d')) Walk(main);
    if (options_.Wants('e')) {
      for (const std::int64_t count : sizes) {
        korv::FileBlock* source =
            count == options_.records ? main : BuildStore(Cat("korv-src", count), count, nullptr);
        Copy(source, count);
      }
    }
    if (options_.Wants('f')) DeletesAndUpdates(main);
  }
  results_.peakKb = PeakResidentKb();

  if (options_.check || options_.keep) {
    for (korv::FileBlock* fb : stores_) {
      Check(fb->Flush(), "Flush before the structure check");
      std::fprintf(stderr, "ours: structure check of %s ...\n", fb->LogicalName().c_str());
      CheckVerdict verdict{fb->LogicalName(), false, {}};
      verdict.ok = fb->CheckStructure(verdict.problem);
      results_.checks.push_back(verdict);
    }
  }
  for (korv::FileBlock* fb : stores_) {
    if (!options_.keep) Check(fb->DeleteFileBlockFiles(), "DeleteFileBlockFiles");
    engine_.DestroyFileBlock(fb);
  }
  stores_.clear();
  Check(engine_.CloseAllFileBlocks(), "CloseAllFileBlocks");
  Check(engine_.DoneFileManager(), "DoneFileManager");
  return results_;
}

}  // namespace

SideResults RunOurs(const Options& options, const Workload& workload) {
  OurSide side(options, workload);
  return side.Run();
}

}  // namespace bench
