#include "storage/file_block.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "storage/engine_internal.h"

namespace korv {

// ---------------------------------------------------------------------------
// Data header

void DataHeader::Encode(std::uint8_t* out) const {
  Bytes b{out, kDataHeaderBytes};
  PutI32(b, 0, firstFree);
  PutI32(b, 4, numberFree);
  PutI32(b, 8, numRec);
  PutI32(b, 12, recLen);
  PutI32(b, 16, numKeys);
  PutU8(b, 20, inUse);
}

DataHeader DataHeader::Decode(const std::uint8_t* in) {
  ConstBytes b{in, kDataHeaderBytes};
  DataHeader h;
  h.firstFree = GetI32(b, 0);
  h.numberFree = GetI32(b, 4);
  h.numRec = GetI32(b, 8);
  h.recLen = GetI32(b, 12);
  h.numKeys = GetI32(b, 16);
  h.inUse = GetU8(b, 20);
  return h;
}

// ---------------------------------------------------------------------------
// Low-level steps

KeyString FileBlock::Impl::KeyOf(ConstBytes rec, int index) const {
  KeyString key;
  if (keyBuilder) keyBuilder(rec, index, key);
  return key;
}

Status FileBlock::Impl::MarkInUse() {
  // InUse must be on disk before any page it guards.
  if (readOnly) return Status::Error(err::kReadOnlyWrite);
  if (inUseOnDisk) return Status::Ok();
  header.inUse = 1;
  Status st = WriteHeader(true);
  if (st.ok()) inUseOnDisk = true;
  return st;
}

Status FileBlock::Impl::WriteHeader(bool sync) {
  std::uint8_t raw[kDataHeaderBytes];
  header.Encode(raw);
  Status st = dat.WriteAt(raw, sizeof raw, 0);
  if (st.ok() && sync) st = dat.Sync();
  return st;
}

Status FileBlock::Impl::FlushFiles(bool syncHeader) {
  if (!open || !inUseOnDisk) return Status::Ok();
  // Pages and records reach the disk before the header says the files are
  // clean. A file that had no write since its last sync is not synced again
  // (an insert put its record on disk together with InUse). The two syncs
  // run one after the other: on a shared device two concurrent flushes cost
  // more than two in a row, and a thread per flush costs more still.
  Status st = ix ? ix->Flush(true) : Status::Ok();
  if (st.ok() && dat.WrittenSinceSync()) st = dat.Sync();
  if (!st.ok()) return st;
  // Without syncHeader the cleared InUse stays in the system's cache: lost
  // in a power failure, it only makes the next open repair files that are
  // complete; and no later change reaches the disk before MarkInUse has put
  // InUse = 1 there again.
  header.inUse = 0;
  st = WriteHeader(syncHeader);
  if (st.ok()) inUseOnDisk = false;
  return st;
}

Status FileBlock::Impl::ReadSlot(RecordRef ref, std::uint8_t* out) const {
  if (ref < 1) return Status::Error(err::kRecordRefRange);
  // Beyond the end of the data file: a short read.
  if (ref > header.numRec) return Status::Error(err::kShortRead);
  return dat.ReadAt(out, static_cast<std::size_t>(recLen), SlotOffset(ref));
}

Status FileBlock::Impl::WriteSlot(RecordRef ref, const std::uint8_t* in) {
  if (ref == 0) return Status::Error(err::kHeaderSlotWrite);
  if (ref < 0 || ref > header.numRec) return Status::Error(err::kRecordRefRange);
  return dat.WriteAt(in, static_cast<std::size_t>(recLen), SlotOffset(ref));
}

Status FileBlock::Impl::AllocateSlot(RecordRef& ref) {
  const DataHeader before = header;
  if (header.firstFree == -1) {
    if (header.numRec == INT32_MAX) return Status::Error(err::kRecordRefRange);
    ref = ++header.numRec;
  } else {
    ref = header.firstFree;
    if (ref < 1 || ref > header.numRec) return Status::Error(err::kFreeChainDamaged);
    std::uint8_t link[4];
    Status st = dat.ReadAt(link, 4, SlotOffset(ref));
    if (!st.ok()) return st;
    const std::int32_t next = GetI32(ConstBytes{link, 4}, 0);
    if (next == 0 || next > header.numRec || next < -1) return Status::Error(err::kFreeChainDamaged);
    header.firstFree = next;
    --header.numberFree;
  }
  PutI32(Bytes{record, static_cast<std::size_t>(recLen)}, 0, 0);
  Status st = WriteSlot(ref, record);
  if (!st.ok()) {
    header = before;
    // A partly appended slot must not stay behind the recorded end.
    (void)dat.Truncate(SlotOffset(header.numRec + 1));
  }
  return st;
}

Status FileBlock::Impl::FreeSlot(RecordRef ref) {
  if (ref < 1 || ref > header.numRec) return Status::Error(err::kRecordRefRange);
  std::uint8_t link[4];
  PutI32(Bytes{link, 4}, 0, header.firstFree);
  Status st = dat.WriteAt(link, 4, SlotOffset(ref));
  if (!st.ok()) return st;
  header.firstFree = ref;
  ++header.numberFree;
  return Status::Ok();
}

Status FileBlock::Impl::ReadIntoBuffer(RecordRef ref) {
  Status st = ReadSlot(ref, scratch.data());
  if (!st.ok()) return st;
  if (GetI32(ConstBytes{scratch.data(), scratch.size()}, 0) != 0) {
    return Status::Error(err::kRecordDeleted);
  }
  std::memcpy(record, scratch.data(), scratch.size());
  std::memcpy(saved.data(), scratch.data(), scratch.size());
  current = ref;
  savedRef = ref;
  return Status::Ok();
}

Status FileBlock::Impl::AssignAutoNumbers() {
  for (int i = 1; i <= numIndexes; ++i) {
    const auto& field = autoField[static_cast<std::size_t>(i - 1)];
    if (!field) continue;
    KeyString prefix = KeyOf(RecordView(), i);
    prefix.Truncate(prefix.size() >= 5 ? prefix.size() - 5 : 0);
    IndexEntry last;
    Status st = ix->LastWithPrefix(i, prefix, last);
    std::int32_t number = 1;
    if (st.ok()) {
      if (last.key.size() < prefix.size() + 5) return Status::Error(err::kAutoKeyMismatch);
      const std::int32_t highest = DecodeLongKey(last.key.data() + prefix.size());
      if (highest == INT32_MAX) return Status::Error(err::kAutoNumberOverflow);
      number = highest + 1;
    } else if (st.code != err::kKeyNotFound) {
      return st;
    }
    PutI32(Bytes{record, static_cast<std::size_t>(recLen)}, *field, number);
  }
  return Status::Ok();
}

// The entry after (forward) or before (key, ref), whether or not that entry
// itself is still in the index.
Status FileBlock::Impl::StepFrom(int index, const KeyString& key, RecordRef ref, bool forward,
                                 IndexEntry& out) {
  IndexEntry at;
  const bool onIt = ix->Current(index, at).ok() && at.ref == ref && at.key == key;
  if (!onIt) {
    bool found = false;
    Status st = ix->Seek(index, key, ref, found);
    if (!st.ok()) return st;
  }
  const IndexEntry last{key, ref};
  Status st = forward ? ix->Next(index, last, out) : ix->Prev(index, last, out);
  if (!st.ok()) return st;
  // Each step must move on in the index's order: a damaged page that leads
  // back or stays put would make a walk run for ever.
  const auto order = KeyString::CompareKeys(out.key.view(), key.view());
  const bool after = order > 0 || (order == 0 && out.ref > ref);
  const bool before = order < 0 || (order == 0 && out.ref < ref);
  if (forward ? !after : !before) return Status::Error(err::kShortRead);
  return Status::Ok();
}

Status FileBlock::Impl::Reposition(RemoveMode mode, const std::vector<KeyString>& oldKeys,
                                   RecordRef oldRef) {
  current = -1;
  if (mode == RemoveMode::kNone) return Status::Ok();
  RecordRef target = 0;
  if (lastIndex > 0 && lastIndex <= numIndexes) {
    IndexEntry e;
    Status st;
    switch (mode) {
      case RemoveMode::kFirst:
        ix->ClearCursor(lastIndex);
        st = ix->Next(lastIndex, IndexEntry{}, e);
        break;
      case RemoveMode::kLast:
        ix->ClearCursor(lastIndex);
        st = ix->Prev(lastIndex, IndexEntry{}, e);
        break;
      case RemoveMode::kNext:
        st = StepFrom(lastIndex, oldKeys[static_cast<std::size_t>(lastIndex - 1)], oldRef, true, e);
        break;
      default:
        st = StepFrom(lastIndex, oldKeys[static_cast<std::size_t>(lastIndex - 1)], oldRef, false, e);
        break;
    }
    if (!st.ok()) return st;
    if (e.ref < 1) return Status::Error(err::kShortRead);  // damaged index
    target = e.ref;
  } else {
    // Physical order, skipping deleted slots.
    std::uint8_t mark[4];
    auto live = [&](RecordRef r) {
      return dat.ReadAt(mark, 4, SlotOffset(r)).ok() && GetI32(ConstBytes{mark, 4}, 0) == 0;
    };
    const bool up = mode == RemoveMode::kFirst || mode == RemoveMode::kNext;
    RecordRef r = mode == RemoveMode::kFirst   ? 1
                  : mode == RemoveMode::kLast  ? header.numRec
                  : mode == RemoveMode::kNext  ? oldRef + 1
                                               : oldRef - 1;
    for (; r >= 1 && r <= header.numRec; r += up ? 1 : -1) {
      if (live(r)) {
        target = r;
        break;
      }
    }
    if (target == 0) return Status::Error(up ? err::kEndOfIndex : err::kStartOfIndex);
  }
  return ReadIntoBuffer(target);
}

// ---------------------------------------------------------------------------
// FileBlock

FileBlock::FileBlock(StorageEngine&, std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FileBlock::~FileBlock() = default;

const std::string& FileBlock::LogicalName() const { return impl_->name; }
const std::filesystem::path& FileBlock::Path() const { return impl_->path; }
int FileBlock::RecLen() const { return impl_->recLen; }
int FileBlock::IndexCount() const { return impl_->numIndexes; }
void FileBlock::SetRebuildProgress(RebuildProgress progress) {
  impl_->progress = std::move(progress);
}
void FileBlock::SetFlushAfterWrite(bool flush) { impl_->flushAfterWrite = flush; }
void FileBlock::SetReadOnly(bool readOnly) { impl_->readOnly = readOnly; }
void FileBlock::SetQuietRetries(bool quiet) { impl_->quietRetries = quiet; }
bool FileBlock::ReadOnly() const { return impl_->readOnly; }
bool FileBlock::FlushAfterWrite() const { return impl_->flushAfterWrite; }
void FileBlock::SetRetryCount(int count) { impl_->retryCount = count; }
int FileBlock::RetryCount() const { return impl_->retryCount; }
Bytes FileBlock::Record() { return {impl_->record, static_cast<std::size_t>(impl_->recLen)}; }
ConstBytes FileBlock::Record() const { return impl_->RecordView(); }
void FileBlock::ClearRecordBuffer() {
  std::memset(impl_->record, 0, static_cast<std::size_t>(impl_->recLen));
}
RecordRef FileBlock::CurrentRef() const { return impl_->current; }
KeyString FileBlock::BuildKey(int indexNumber) const {
  return impl_->KeyOf(impl_->RecordView(), indexNumber);
}

namespace {

// One public operation: opens its frame, runs the body with the retry logic
// and closes the frame (which runs the fatal path when needed).
template <typename Body>
Status RunOp(FileBlock::Impl& fb, Op op, bool needsOpen, Body&& body) {
  auto& engine = fb.engine;
  engine.Begin(&fb);
  Status st = engine.WithRetry(&fb, [&]() -> Status {
    if (needsOpen) {
      Status opened = engine.EnsureOpen(fb);
      if (!opened.ok()) return engine.Report(&fb, opened, op, 1);
    }
    return body();
  });
  return engine.End(st);
}

bool ValidIndex(const FileBlock::Impl& fb, int index) {
  return index >= 1 && index <= fb.numIndexes;
}

}  // namespace

Status FileBlock::DefineIndex(int indexNumber, int keyLen, bool allowDups) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kDefineIndex, false, [&]() -> Status {
    int code = 0;
    if (!ValidIndex(fb, indexNumber)) {
      code = err::kIndexNumberRange;
    } else if (keyLen > kMaxKeyLen) {
      code = err::kKeyLenAbove50;
    } else if (keyLen <= 0) {
      code = err::kKeyLenZero;
    }
    if (code != 0) return fb.engine.Report(&fb, Status::Error(code), Op::kDefineIndex, 0, indexNumber);
    fb.defs[static_cast<std::size_t>(indexNumber - 1)] = IndexDef{keyLen, allowDups};
    return Status::Ok();
  });
}

Status FileBlock::SetAutoNumberField(int indexNumber, std::size_t offsetInRecord) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kAutoField, false, [&]() -> Status {
    auto fail = [&](int code) {
      return fb.engine.Report(&fb, Status::Error(code), Op::kAutoField, 0, indexNumber);
    };
    if (offsetInRecord + 4 > static_cast<std::size_t>(fb.recLen)) return fail(err::kAutoFieldOutside);
    if (!ValidIndex(fb, indexNumber) || fb.defs[static_cast<std::size_t>(indexNumber - 1)].keyLen == 0) {
      return fail(err::kAutoIndexUndefined);
    }
    // The key must end with the encoded field: try it on a test record.
    std::vector<std::uint8_t> test(static_cast<std::size_t>(fb.recLen), 0);
    constexpr std::int32_t kProbe = 0x01234567;
    PutI32(Bytes{test.data(), test.size()}, offsetInRecord, kProbe);
    const KeyString key = fb.KeyOf(ConstBytes{test.data(), test.size()}, indexNumber);
    const auto encoded = EncodeLongKey(kProbe);
    if (key.size() < 5 || std::memcmp(key.data() + key.size() - 5, encoded.data(), 5) != 0) {
      return fail(err::kAutoKeyMismatch);
    }
    fb.autoField[static_cast<std::size_t>(indexNumber - 1)] = offsetInRecord;
    return Status::Ok();
  });
}

Status FileBlock::InsertRecord() {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kInsert, true, [&]() -> Status {
    auto& engine = fb.engine;
    auto fail = [&](Status st, int step, int index = 0, RecordRef ref = 0) {
      return engine.Report(&fb, st, Op::kInsert, step, index, ref);
    };
    if (fb.readOnly) return fail(Status::Error(err::kReadOnlyWrite), 1);
    if (GetI32(fb.RecordView(), 0) != 0) return fail(Status::Error(err::kBufferMarkedDeleted), 2);
    Status st;
    if (fb.bulkLoad) {
      // Keys are built when the load ends; numbers count on from the highest.
      const std::int32_t number = ++fb.bulkLastNumber;
      for (int i = 1; i <= fb.numIndexes; ++i) {
        const auto& field = fb.autoField[static_cast<std::size_t>(i - 1)];
        if (field) PutI32(fb.RecordBytes(), *field, number);
      }
    } else if (fb.ix) {
      st = fb.AssignAutoNumbers();
      if (!st.ok()) return fail(st, 4);
    }
    // A slot appended at the end lies beyond the length that the header on
    // disk accounts for: if it reaches the disk before InUse does, the next
    // open finds the length wrong and repairs. So an append goes first and
    // is put on disk by the same sync as InUse, and the flush at the end
    // has only the index file left to sync. A reused slot (a live record
    // where the header still has a free one) must wait for InUse.
    const bool appendWithInUse = !fb.inUseOnDisk && fb.header.firstFree == -1;
    if (!appendWithInUse) {
      st = fb.MarkInUse();
      if (!st.ok()) return fail(st, 3);
    }
    RecordRef ref = 0;
    const DataHeader before = fb.header;
    st = fb.AllocateSlot(ref);
    if (!st.ok()) return fail(st, 5, 0, ref);
    if (appendWithInUse) {
      st = fb.MarkInUse();
      if (!st.ok()) {
        fb.header = before;
        (void)fb.dat.Truncate(fb.SlotOffset(fb.header.numRec + 1));
        return fail(st, 3);
      }
    }
    fb.current = ref;
    for (int i = 1; i <= fb.numIndexes && !fb.bulkLoad; ++i) {
      st = fb.ix->AddKey(i, ref, fb.KeyOf(fb.RecordView(), i));
      if (st.ok()) continue;
      // Take the record out of the indexes it already reached, then free it.
      for (int j = i - 1; j >= 1; --j) {
        Status undo = fb.ix->DeleteKey(j, ref, fb.KeyOf(fb.RecordView(), j));
        if (!undo.ok()) (void)fail(undo, 7, j, ref);
      }
      Status undo = fb.FreeSlot(ref);
      if (!undo.ok()) (void)fail(undo, 8, 0, ref);
      fb.current = -1;
      return fail(st, 6, i, ref);
    }
    std::memcpy(fb.saved.data(), fb.record, fb.saved.size());
    fb.savedRef = ref;
    if (fb.flushAfterWrite) {
      st = fb.FlushFiles(false);
      if (!st.ok()) return fail(st, 9, 0, ref);
    }
    return Status::Ok();
  });
}

Status FileBlock::ReadRecordByRef(RecordRef ref) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kRead, true, [&]() -> Status {
    return fb.engine.Report(&fb, fb.ReadIntoBuffer(ref), Op::kRead, 2, 0, ref);
  });
}

Status FileBlock::UpdateRecord() {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kUpdate, true, [&]() -> Status {
    auto fail = [&](Status st, int step, int index = 0) {
      return fb.engine.Report(&fb, st, Op::kUpdate, step, index, fb.current);
    };
    if (fb.current < 1) return fail(Status::Error(err::kNoCurrentRecord), 1);
    if (GetI32(fb.RecordView(), 0) != 0) return fail(Status::Error(err::kUpdateMarkedDeleted), 1);
    if (std::memcmp(fb.record, fb.saved.data(), fb.saved.size()) == 0) return Status::Ok();
    Status st = fb.MarkInUse();
    if (!st.ok()) return fail(st, 2);
    const ConstBytes before{fb.saved.data(), fb.saved.size()};
    const RecordRef ref = fb.current;
    // Indexes changed so far, to undo on failure.
    std::vector<int> changed;
    auto undo = [&]() {
      for (auto it = changed.rbegin(); it != changed.rend(); ++it) {
        const int i = *it;
        Status a = fb.ix->DeleteKey(i, ref, fb.KeyOf(fb.RecordView(), i));
        Status b = fb.ix->AddKey(i, ref, fb.KeyOf(before, i));
        if (!a.ok()) (void)fail(a, 5, i);
        if (!b.ok()) (void)fail(b, 5, i);
      }
    };
    for (int i = 1; i <= fb.numIndexes; ++i) {
      const KeyString oldKey = fb.KeyOf(before, i);
      const KeyString newKey = fb.KeyOf(fb.RecordView(), i);
      if (oldKey == newKey) continue;
      st = fb.ix->DeleteKey(i, ref, oldKey);
      if (!st.ok()) {
        undo();
        return fail(st, 3, i);
      }
      st = fb.ix->AddKey(i, ref, newKey);
      if (!st.ok()) {
        Status back = fb.ix->AddKey(i, ref, oldKey);
        if (!back.ok()) (void)fail(back, 5, i);
        undo();
        return fail(st, 3, i);
      }
      changed.push_back(i);
    }
    st = fb.WriteSlot(ref, fb.record);
    if (!st.ok()) {
      undo();
      return fail(st, 4);
    }
    std::memcpy(fb.saved.data(), fb.record, fb.saved.size());
    fb.savedRef = ref;
    if (fb.flushAfterWrite) {
      st = fb.FlushFiles(false);
      if (!st.ok()) return fail(st, 6);
    }
    return Status::Ok();
  });
}

Status FileBlock::RemoveRecord(RemoveMode mode) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kRemove, true, [&]() -> Status {
    auto fail = [&](Status st, int step, int index = 0) {
      return fb.engine.Report(&fb, st, Op::kRemove, step, index, fb.current);
    };
    if (fb.current != fb.savedRef ||
        std::memcmp(fb.record, fb.saved.data(), fb.saved.size()) != 0) {
      return fail(Status::Error(err::kRemoveChanged), 1);
    }
    if (fb.current < 1) return fail(Status::Error(err::kRefBelowOne), 1);
    Status st = fb.MarkInUse();
    if (!st.ok()) return fail(st, 2);
    const RecordRef ref = fb.current;
    std::vector<KeyString> keys;
    keys.reserve(static_cast<std::size_t>(fb.numIndexes));
    for (int i = 1; i <= fb.numIndexes; ++i) keys.push_back(fb.KeyOf(fb.RecordView(), i));
    for (int i = 1; i <= fb.numIndexes; ++i) {
      st = fb.ix->DeleteKey(i, ref, keys[static_cast<std::size_t>(i - 1)]);
      if (st.ok() || st.code == err::kDeleteKeyAbsent) continue;
      // Put back what was taken out, so the record stays whole.
      for (int j = i - 1; j >= 1; --j) {
        Status back = fb.ix->AddKey(j, ref, keys[static_cast<std::size_t>(j - 1)]);
        if (!back.ok() && back.code != err::kKeyExists) (void)fail(back, 4, j);
      }
      return fail(st, 3, i);
    }
    st = fb.FreeSlot(ref);
    if (!st.ok()) return fail(st, 5);
    fb.savedRef = -1;
    Status moved = fb.Reposition(mode, keys, ref);
    if (!moved.ok()) {
      fb.current = -1;
      if (moved.level() > 1) (void)fail(moved, 6);
    }
    if (fb.flushAfterWrite) {
      st = fb.FlushFiles(false);
      if (!st.ok()) return fail(st, 7);
    }
    return moved.level() > 1 ? moved : Status::Ok();
  });
}

std::int32_t FileBlock::RecordCount() {
  Impl& fb = *impl_;
  Status st = RunOp(fb, Op::kCount, true, [] { return Status::Ok(); });
  return st.ok() ? fb.header.numRec - fb.header.numberFree : -1;
}

Status FileBlock::DeleteFileBlockFiles() {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kDeleteFiles, false, [&]() -> Status {
    if (fb.readOnly) return fb.engine.Report(&fb, Status::Error(err::kReadOnlyWrite), Op::kDeleteFiles);
    Status st = fb.engine.ClosePhysically(fb);
    fb.current = -1;
    fb.savedRef = -1;
    for (const char* ext : {".DAT", ".IX", ".DIA"}) {
      Status removed = RemoveFile(fb.File(ext));
      if (st.ok()) st = removed;
    }
    return fb.engine.Report(&fb, st, Op::kDeleteFiles);
  });
}

Status FileBlock::Flush() {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kFlush, false, [&]() -> Status {
    return fb.engine.Report(&fb, fb.FlushFiles(true), Op::kFlush);
  });
}

Status FileBlock::BeginBulkLoad() {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kBulkLoad, true, [&]() -> Status {
    if (fb.bulkLoad || fb.header.numRec != 0) {
      return fb.engine.Report(&fb, Status::Error(err::kBulkLoadNotEmpty), Op::kBulkLoad, 1);
    }
    Status st = fb.MarkInUse();
    if (!st.ok()) return fb.engine.Report(&fb, st, Op::kBulkLoad, 2);
    fb.bulkLoad = true;
    fb.bulkLastNumber = 0;
    return Status::Ok();
  });
}

Status FileBlock::EndBulkLoad() {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kBulkLoad, false, [&]() -> Status {
    if (!fb.bulkLoad) return Status::Ok();
    fb.bulkLoad = false;
    fb.current = -1;
    fb.savedRef = -1;
    // The indexes are built bottom-up from the data file, as a repair does;
    // InUse stays set on disk until they are complete.
    Status st = fb.engine.ClosePhysically(fb, /*markClean=*/false);
    if (st.ok()) st = fb.engine.RebuildIndexes(fb);
    return fb.engine.Report(&fb, st, Op::kBulkLoad, 3);
  });
}

std::int32_t FileBlock::KeyCount(int indexNumber) {
  Impl& fb = *impl_;
  Status st = RunOp(fb, Op::kKeyCount, true, [&]() -> Status {
    if (!ValidIndex(fb, indexNumber)) {
      return fb.engine.Report(&fb, Status::Error(err::kIndexNumberRange), Op::kKeyCount, 0,
                              indexNumber);
    }
    return Status::Ok();
  });
  return st.ok() ? fb.ix->KeyCount(indexNumber) : -1;
}

// ---------------------------------------------------------------------------
// Keyed reads

namespace {

// Reads the record of a found entry and makes index the last used one. An
// entry that points at no record slot means a damaged index (kShortRead, so
// the fatal path drops the index file and the next start rebuilds it).
// Loads the record an index entry points at. The entry must be the key of a
// live record: one that points at a deleted slot or at a record whose key
// is another is a damaged index (kShortRead, so that the fatal path drops
// the index file and the next start rebuilds it), never a record to go on
// from. A file this program only reads is taken as it is.
Status ReadFound(FileBlock::Impl& fb, Op op, int index, const IndexEntry& e) {
  Status st = e.ref < 1 ? Status::Error(err::kShortRead) : fb.ReadSlot(e.ref, fb.scratch.data());
  const ConstBytes slot{fb.scratch.data(), fb.scratch.size()};
  if (st.ok() && GetI32(slot, 0) != 0) st = Status::Error(fb.readOnly ? err::kRecordDeleted : err::kShortRead);
  if (st.ok() && !fb.readOnly && !(fb.KeyOf(slot, index) == e.key)) st = Status::Error(err::kShortRead);
  if (!st.ok()) return fb.engine.Report(&fb, st, op, 5, index, e.ref);
  std::memcpy(fb.record, fb.scratch.data(), fb.scratch.size());
  std::memcpy(fb.saved.data(), fb.scratch.data(), fb.scratch.size());
  fb.current = e.ref;
  fb.savedRef = e.ref;
  fb.lastIndex = index;
  return Status::Ok();
}

Status IndexArgument(FileBlock::Impl& fb, Op op, int index) {
  if (ValidIndex(fb, index)) return Status::Ok();
  return fb.engine.Report(&fb, Status::Error(err::kIndexNumberRange), op, 0, index);
}

// The first entry at or after key: the entry itself when the index holds
// the key without duplicates, else the next one.
Status SeekAtLeast(FileBlock::Impl& fb, int index, const KeyString& key, IndexEntry& out) {
  bool found = false;
  Status st = fb.ix->Seek(index, key, 0, found);
  if (!st.ok()) return st;
  if (found) return fb.ix->Current(index, out);
  return fb.ix->Next(index, IndexEntry{key, 0}, out);
}

}  // namespace

Status FileBlock::FindExact(int indexNumber, const KeyString& key) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kFindExact, true, [&]() -> Status {
    Status st = IndexArgument(fb, Op::kFindExact, indexNumber);
    if (!st.ok()) return st;
    IndexEntry e;
    st = SeekAtLeast(fb, indexNumber, key, e);
    if (st.code == err::kEndOfIndex || (st.ok() && !(e.key == key))) {
      st = Status::Error(err::kKeyNotFound);
    }
    if (!st.ok()) return fb.engine.Report(&fb, st, Op::kFindExact, 2, indexNumber);
    return ReadFound(fb, Op::kFindExact, indexNumber, e);
  });
}

Status FileBlock::FindAtLeast(int indexNumber, const KeyString& key) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kFindAtLeast, true, [&]() -> Status {
    Status st = IndexArgument(fb, Op::kFindAtLeast, indexNumber);
    if (!st.ok()) return st;
    IndexEntry e;
    st = SeekAtLeast(fb, indexNumber, key, e);
    if (st.code == err::kEndOfIndex) st = Status::Error(err::kNothingAtOrAfter);
    if (!st.ok()) return fb.engine.Report(&fb, st, Op::kFindAtLeast, 2, indexNumber);
    return ReadFound(fb, Op::kFindAtLeast, indexNumber, e);
  });
}

Status FileBlock::MoveFirst(int indexNumber) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kMoveFirst, true, [&]() -> Status {
    Status st = IndexArgument(fb, Op::kMoveFirst, indexNumber);
    if (!st.ok()) return st;
    IndexEntry e;
    fb.ix->ClearCursor(indexNumber);
    st = fb.ix->Next(indexNumber, IndexEntry{}, e);
    if (st.code == err::kEndOfIndex) st = Status::Error(err::kStartOfIndex);
    if (!st.ok()) return fb.engine.Report(&fb, st, Op::kMoveFirst, 2, indexNumber);
    return ReadFound(fb, Op::kMoveFirst, indexNumber, e);
  });
}

Status FileBlock::MoveLast(int indexNumber) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kMoveLast, true, [&]() -> Status {
    Status st = IndexArgument(fb, Op::kMoveLast, indexNumber);
    if (!st.ok()) return st;
    IndexEntry e;
    fb.ix->ClearCursor(indexNumber);
    st = fb.ix->Prev(indexNumber, IndexEntry{}, e);
    if (!st.ok()) return fb.engine.Report(&fb, st, Op::kMoveLast, 2, indexNumber);
    return ReadFound(fb, Op::kMoveLast, indexNumber, e);
  });
}

namespace {

Status MoveStep(FileBlock::Impl& fb, Op op, int index, bool forward) {
  Status st = IndexArgument(fb, op, index);
  if (!st.ok()) return st;
  if (fb.current < 1 || fb.savedRef != fb.current) {
    return fb.engine.Report(&fb, Status::Error(err::kNoCurrentForMove), op, 1, index);
  }
  const KeyString key = fb.KeyOf(ConstBytes{fb.saved.data(), fb.saved.size()}, index);
  if (index != fb.lastIndex) {
    // Coming from another order: the current record must be in this one.
    bool found = false;
    st = fb.ix->Seek(index, key, fb.current, found);
    if (st.ok() && !found) st = Status::Error(err::kSeekAbsent);
    if (!st.ok()) return fb.engine.Report(&fb, st, op, 2, index, fb.current);
  }
  IndexEntry e;
  st = fb.StepFrom(index, key, fb.current, forward, e);
  if (!st.ok()) return fb.engine.Report(&fb, st, op, 3, index, fb.current);
  return ReadFound(fb, op, index, e);
}

}  // namespace

Status FileBlock::MoveNext(int indexNumber) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kMoveNext, true,
               [&]() { return MoveStep(fb, Op::kMoveNext, indexNumber, true); });
}

Status FileBlock::MovePrevious(int indexNumber) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kMovePrevious, true,
               [&]() { return MoveStep(fb, Op::kMovePrevious, indexNumber, false); });
}

Bookmark FileBlock::SavePosition(int indexNumber) {
  Impl& fb = *impl_;
  Bookmark bookmark;
  (void)RunOp(fb, Op::kSavePosition, false, [&]() -> Status {
    if (indexNumber < 0 || indexNumber > fb.numIndexes) {
      return fb.engine.Report(&fb, Status::Error(err::kIndexNumberRange), Op::kSavePosition, 0,
                              indexNumber);
    }
    bookmark.indexNumber = indexNumber;
    bookmark.fileBlock = this;
    if (fb.current >= 1) {
      bookmark.ref = fb.current;
      if (indexNumber > 0) {
        bookmark.key = fb.KeyOf(ConstBytes{fb.saved.data(), fb.saved.size()}, indexNumber);
      }
    }
    return Status::Ok();
  });
  return bookmark;
}

Status FileBlock::RestorePosition(const Bookmark& bookmark, int mode) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kRestorePosition, true, [&]() -> Status {
    auto fail = [&](Status st, int step) {
      return fb.engine.Report(&fb, st, Op::kRestorePosition, step, bookmark.indexNumber,
                              bookmark.ref);
    };
    if (bookmark.fileBlock != this) return fail(Status::Error(err::kBookmarkForeign), 1);
    if (bookmark.ref == 0) {
      fb.current = -1;
      return Status::Ok();
    }
    const bool wantGreater = mode == 1 || mode == 2;
    const bool wantSmaller = mode == 3 || mode == 4;
    const bool fallBack = mode == 1 || mode == 3;
    if (bookmark.indexNumber == 0) {
      // RecordRef order over live records.
      std::uint8_t mark[4];
      auto live = [&](RecordRef r) {
        return r >= 1 && r <= fb.header.numRec &&
               fb.dat.ReadAt(mark, 4, fb.SlotOffset(r)).ok() &&
               GetI32(ConstBytes{mark, 4}, 0) == 0;
      };
      auto scan = [&](RecordRef from, int step) -> RecordRef {
        for (RecordRef r = from; r >= 1 && r <= fb.header.numRec; r += step) {
          if (live(r)) return r;
        }
        return 0;
      };
      RecordRef target = live(bookmark.ref) ? bookmark.ref : 0;
      if (target == 0 && wantGreater) target = scan(bookmark.ref + 1, 1);
      if (target == 0 && wantSmaller) target = scan(bookmark.ref - 1, -1);
      if (target == 0 && fallBack) {
        target = wantGreater ? scan(bookmark.ref - 1, -1) : scan(bookmark.ref + 1, 1);
      }
      if (target == 0) return fail(Status::Error(err::kRestoreNotFound), 2);
      Status st = fb.ReadIntoBuffer(target);
      return st.ok() ? st : fail(st, 3);
    }
    const int index = bookmark.indexNumber;
    if (!ValidIndex(fb, index)) return fail(Status::Error(err::kIndexNumberRange), 1);
    bool found = false;
    Status st = fb.ix->Seek(index, bookmark.key, bookmark.ref, found);
    if (!st.ok()) return fail(st, 2);
    IndexEntry e;
    if (found) {
      st = fb.ix->Current(index, e);
    } else {
      const IndexEntry last{bookmark.key, bookmark.ref};
      st = Status::Error(err::kRestoreNotFound);
      if (wantGreater) st = fb.ix->Next(index, last, e);
      if (!st.ok() && wantSmaller) st = fb.ix->Prev(index, last, e);
      if (!st.ok() && fallBack) {
        (void)fb.ix->Seek(index, bookmark.key, bookmark.ref, found);
        st = wantGreater ? fb.ix->Prev(index, last, e) : fb.ix->Next(index, last, e);
      }
      if (!st.ok()) st = Status::Error(err::kRestoreNotFound);
    }
    if (!st.ok()) return fail(st, 3);
    return ReadFound(fb, Op::kRestorePosition, index, e);
  });
}

// ---------------------------------------------------------------------------
// Raw cursor operations

Status FileBlock::IndexNextRaw(int indexNumber, RecordRef& ref, KeyString& key) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kNextRaw, true, [&]() -> Status {
    Status st = IndexArgument(fb, Op::kNextRaw, indexNumber);
    if (!st.ok()) return st;
    IndexEntry e;
    st = fb.StepFrom(indexNumber, key, ref, true, e);
    if (!st.ok()) return fb.engine.Report(&fb, st, Op::kNextRaw, 2, indexNumber, ref);
    ref = e.ref;
    key = e.key;
    return Status::Ok();
  });
}

Status FileBlock::IndexPrevRaw(int indexNumber, RecordRef& ref, KeyString& key) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kPrevRaw, true, [&]() -> Status {
    Status st = IndexArgument(fb, Op::kPrevRaw, indexNumber);
    if (!st.ok()) return st;
    IndexEntry e;
    st = fb.StepFrom(indexNumber, key, ref, false, e);
    if (!st.ok()) return fb.engine.Report(&fb, st, Op::kPrevRaw, 2, indexNumber, ref);
    ref = e.ref;
    key = e.key;
    return Status::Ok();
  });
}

Status FileBlock::IndexSeekRaw(int indexNumber, RecordRef& ref, int direction, KeyString& key) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kSeekRaw, true, [&]() -> Status {
    Status st = IndexArgument(fb, Op::kSeekRaw, indexNumber);
    if (!st.ok()) return st;
    bool found = false;
    st = fb.ix->Seek(indexNumber, key, ref, found);
    IndexEntry e;
    if (st.ok() && found) {
      st = fb.ix->Current(indexNumber, e);
    } else if (st.ok()) {
      const IndexEntry last{key, ref};
      if (direction == 0) {
        st = Status::Error(err::kSeekAbsent);
      } else if (direction > 0) {
        st = fb.ix->Next(indexNumber, last, e);
      } else {
        st = fb.ix->Prev(indexNumber, last, e);
      }
    }
    if (!st.ok()) return fb.engine.Report(&fb, st, Op::kSeekRaw, 2, indexNumber, ref);
    ref = e.ref;
    key = e.key;
    return Status::Ok();
  });
}

Status FileBlock::KeyPosition(int indexNumber, RecordRef ref, const KeyString& key, int n,
                              int& position) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kKeyPosition, true, [&]() -> Status {
    Status st = IndexArgument(fb, Op::kKeyPosition, indexNumber);
    if (!st.ok()) return st;
    st = fb.ix->KeyPosition(indexNumber, ref, key, n, position);
    return fb.engine.Report(&fb, st, Op::kKeyPosition, 2, indexNumber, ref);
  });
}

Status FileBlock::KeyAtPosition(int indexNumber, int a, int n, RecordRef& ref, KeyString& key) {
  Impl& fb = *impl_;
  return RunOp(fb, Op::kKeyAtPosition, true, [&]() -> Status {
    Status st = IndexArgument(fb, Op::kKeyAtPosition, indexNumber);
    if (!st.ok()) return st;
    IndexEntry e;
    st = fb.ix->KeyAtPosition(indexNumber, a, n, e);
    if (!st.ok()) return fb.engine.Report(&fb, st, Op::kKeyAtPosition, 2, indexNumber);
    ref = e.ref;
    key = e.key;
    return Status::Ok();
  });
}

Status FileBlock::LockRec(RecordRef) { return Status::Ok(); }
Status FileBlock::UnlockRec(RecordRef) { return Status::Ok(); }
Status FileBlock::LockFileBlock() { return Status::Ok(); }
Status FileBlock::UnlockFileBlock() { return Status::Ok(); }

// ---------------------------------------------------------------------------
// Structure check

bool FileBlock::CheckStructure(std::string& problem) {
  Impl& fb = *impl_;
  Status st = RunOp(fb, Op::kCheck, true, [] { return Status::Ok(); });
  if (!st.ok()) {
    problem = "cannot open: error " + std::to_string(st.code);
    return false;
  }
  const DataHeader& h = fb.header;
  std::uint64_t length = 0;
  if (!fb.dat.Size(length).ok() ||
      length != (static_cast<std::uint64_t>(h.numRec) + 1) * static_cast<std::uint64_t>(fb.recLen)) {
    problem = "data file length does not match NumRec";
    return false;
  }
  // Walk the free chain; mark deleted slots.
  std::vector<char> state(static_cast<std::size_t>(h.numRec) + 1, 0);  // 1 live, 2 free
  std::vector<std::uint8_t> slot(static_cast<std::size_t>(fb.recLen));
  std::int32_t freeCount = 0;
  for (RecordRef r = h.firstFree; r != -1;) {
    if (r < 1 || r > h.numRec || state[static_cast<std::size_t>(r)] != 0 || freeCount > h.numRec) {
      problem = "free chain damaged at " + std::to_string(r);
      return false;
    }
    state[static_cast<std::size_t>(r)] = 2;
    ++freeCount;
    if (!fb.ReadSlot(r, slot.data()).ok()) {
      problem = "unreadable slot " + std::to_string(r);
      return false;
    }
    r = GetI32(ConstBytes{slot.data(), slot.size()}, 0);
  }
  if (freeCount != h.numberFree) {
    problem = "NumberFree " + std::to_string(h.numberFree) + " but chain holds " +
              std::to_string(freeCount);
    return false;
  }
  std::int32_t live = 0;
  for (RecordRef r = 1; r <= h.numRec; ++r) {
    if (!fb.ReadSlot(r, slot.data()).ok()) {
      problem = "unreadable slot " + std::to_string(r);
      return false;
    }
    const bool deleted = GetI32(ConstBytes{slot.data(), slot.size()}, 0) != 0;
    if (deleted != (state[static_cast<std::size_t>(r)] == 2)) {
      problem = "slot " + std::to_string(r) + (deleted ? " deleted but not in the free chain"
                                                       : " in the free chain but live");
      return false;
    }
    if (!deleted) {
      state[static_cast<std::size_t>(r)] = 1;
      ++live;
    }
  }
  auto isLive = [&](RecordRef r) {
    return r >= 1 && r <= h.numRec && state[static_cast<std::size_t>(r)] == 1;
  };
  for (int i = 1; i <= fb.numIndexes; ++i) {
    std::string indexProblem;
    if (!fb.ix->CheckIndex(i, isLive, indexProblem)) {
      problem = "index " + std::to_string(i) + ": " + indexProblem;
      return false;
    }
    if (fb.ix->KeyCount(i) != live) {
      problem = "index " + std::to_string(i) + " holds " + std::to_string(fb.ix->KeyCount(i)) +
                " entries for " + std::to_string(live) + " records";
      return false;
    }
    std::vector<char> seen(static_cast<std::size_t>(h.numRec) + 1, 0);
    fb.ix->ClearCursor(i);
    IndexEntry last, e;
    for (;;) {
      Status step = fb.ix->Next(i, last, e);
      if (step.code == err::kEndOfIndex) break;
      if (!step.ok()) {
        problem = "index " + std::to_string(i) + ": walk failed with " + std::to_string(step.code);
        return false;
      }
      if (!isLive(e.ref) || seen[static_cast<std::size_t>(e.ref)] != 0) {
        problem = "index " + std::to_string(i) + " entry points at record " +
                  std::to_string(e.ref) + " twice or at a dead slot";
        return false;
      }
      seen[static_cast<std::size_t>(e.ref)] = 1;
      if (!fb.ReadSlot(e.ref, slot.data()).ok() ||
          !(fb.KeyOf(ConstBytes{slot.data(), slot.size()}, i) == e.key)) {
        problem = "index " + std::to_string(i) + " key of record " + std::to_string(e.ref) +
                  " differs from the key built from the record";
        return false;
      }
      last = e;
    }
    fb.ix->ClearCursor(i);
  }
  return true;
}

}  // namespace korv
