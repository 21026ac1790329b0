// Repair of a FileBlock: reorganisation of the data file through "<name>.SAV"
// and the rebuild of all indexes from the data file, with duplicate keys of
// unique indexes reported in "<name>.MSG".
#include <algorithm>
#include <cstdio>
#include <vector>

#include "storage/engine_internal.h"

namespace korv {
namespace {

constexpr std::size_t kChunkSlots = 512;

void Progress(const FileBlock::Impl& block, int step, std::int32_t done, std::int32_t total) {
  if (block.progress) block.progress(block.name, step, done, total);
}

// Reads the slots of a data file chunk by chunk: fn(ref, bytes) for every
// whole slot from 1 on; stops at the first short read.
template <typename Fn>
Status ForEachSlot(const OsFile& file, int recLen, std::int32_t maxRef, Fn&& fn) {
  std::vector<std::uint8_t> chunk(kChunkSlots * static_cast<std::size_t>(recLen));
  RecordRef ref = 1;
  for (;;) {
    if (maxRef >= 0 && ref > maxRef) return Status::Ok();
    std::size_t got = 0;
    Status st = file.ReadSomeAt(chunk.data(), chunk.size(),
                                static_cast<std::uint64_t>(ref) * static_cast<std::uint64_t>(recLen), got);
    if (!st.ok()) return st;
    const std::size_t slots = got / static_cast<std::size_t>(recLen);
    for (std::size_t i = 0; i < slots; ++i, ++ref) {
      if (maxRef >= 0 && ref > maxRef) return Status::Ok();
      fn(ref, chunk.data() + i * static_cast<std::size_t>(recLen));
    }
    if (slots < kChunkSlots) return Status::Ok();
  }
}

}  // namespace

// The live records are copied in their order into "<name>.TMP" (marked in
// use, no indexes), which is synced and renamed over "<name>.DAT": until that
// rename the data file stays as it was, so a crash or a full disk at any
// step leaves one complete copy under the name every open uses.
// A "<name>.SAV" is what an interrupted reorganisation of the suite's kind
// left: the whole old data file. It is the source then; a ".DAT" beside it is
// that run's partial result and is kept aside as "<name>.REO", not destroyed.
// The ".SAV" is deleted only once the new data file is in place.
Status StorageEngine::Impl::Reorganise(FileBlock::Impl& block) {
  const auto dir = block.path.parent_path();
  const auto sav = block.File(".SAV");
  auto dat = block.File(".DAT");
  std::filesystem::path tmp = block.path, aside = block.path;
  tmp += ".TMP";
  aside += ".REO";
  const bool fromSav = FileExists(sav);
  if (fromSav && FileExists(dat)) {
    Status st = RenameFile(dat, aside);
    if (!st.ok()) return st;
    SyncDirectory(dir);
  }
  if (!FileExists(dat)) {
    dat = block.path;
    dat += ".DAT";
  }
  OsFile source;
  Status st = source.Open(fromSav ? sav : dat);
  if (!st.ok()) return st;

  const std::size_t recLen = static_cast<std::size_t>(block.recLen);
  std::vector<std::uint8_t> slot0(recLen, 0);
  DataHeader header;
  header.recLen = block.recLen;
  header.numKeys = 0;
  header.inUse = 1;  // the indexes are built next
  OsFile target;
  auto fail = [&](Status failed) {
    target.Close();
    (void)RemoveFile(tmp);
    return failed;
  };
  st = target.Create(tmp);
  if (!st.ok()) return fail(st);
  header.Encode(slot0.data());
  st = target.WriteAt(slot0.data(), recLen, 0);
  if (!st.ok()) return fail(st);

  std::uint64_t length = 0;
  st = source.Size(length);
  if (!st.ok()) return fail(st);
  const auto total = static_cast<std::int32_t>(
      std::min<std::uint64_t>(length / recLen, INT32_MAX) - (length >= recLen ? 1 : 0));
  std::vector<std::uint8_t> out;
  out.reserve(kChunkSlots * recLen);
  Status writeError;
  auto flushOut = [&]() {
    if (out.empty() || !writeError.ok()) return;
    const std::uint64_t offset =
        (static_cast<std::uint64_t>(header.numRec) + 1 - out.size() / recLen) * recLen;
    writeError = target.WriteAt(out.data(), out.size(), offset);
    out.clear();
  };
  st = ForEachSlot(source, block.recLen, -1, [&](RecordRef ref, const std::uint8_t* bytes) {
    Progress(block, 0, ref, total);
    if (GetI32(ConstBytes{bytes, 4}, 0) != 0) return;
    out.insert(out.end(), bytes, bytes + recLen);
    ++header.numRec;
    if (out.size() >= kChunkSlots * recLen) flushOut();
  });
  flushOut();
  source.Close();
  if (st.ok()) st = writeError;
  if (!st.ok()) return fail(st);
  header.Encode(slot0.data());
  st = target.WriteAt(slot0.data(), kDataHeaderBytes, 0);
  if (st.ok()) st = target.Sync();
  if (!st.ok()) return fail(st);
  target.Close();
  st = RenameFile(tmp, dat);
  if (!st.ok()) return fail(st);
  SyncDirectory(dir);
  if (fromSav) {
    st = RemoveFile(sav);
    SyncDirectory(dir);
  }
  return st;
}

Status StorageEngine::Impl::RebuildIndexes(FileBlock::Impl& block) {
  const auto msgPath = block.File(".MSG");
  (void)RemoveFile(msgPath);
  OsFile dat;
  Status st = dat.Open(block.File(".DAT"));
  if (!st.ok()) return st;
  std::uint64_t length = 0;
  st = dat.Size(length);
  if (!st.ok()) return st;
  const std::size_t recLen = static_cast<std::size_t>(block.recLen);
  std::uint8_t raw[kDataHeaderBytes] = {};
  if (length < kDataHeaderBytes || !dat.ReadAt(raw, sizeof raw, 0).ok()) {
    return Status::Error(err::kDataFileDamaged);
  }
  DataHeader header = DataHeader::Decode(raw);
  bool sound = header.recLen != 0 && length % recLen == 0 && header.numRec >= 0 &&
               length == (static_cast<std::uint64_t>(header.numRec) + 1) * recLen;
  if (sound && header.firstFree != -1) {
    std::uint8_t link[4];
    sound = header.firstFree >= 1 && header.firstFree <= header.numRec &&
            dat.ReadAt(link, 4, static_cast<std::uint64_t>(header.firstFree) * recLen).ok() &&
            GetI32(ConstBytes{link, 4}, 0) != 0;
  }
  if (!sound) return Status::Error(err::kDataFileDamaged);

  header.numKeys = block.numIndexes;
  header.inUse = 0;
  if (block.numIndexes == 0) {
    header.Encode(raw);
    st = dat.WriteAt(raw, sizeof raw, 0);
    if (st.ok()) st = dat.Sync();
    return st;
  }

  IndexFile ix(*cache);
  st = ix.Create(block.File(".IX"), block.defs);
  if (!st.ok()) return st;

  // Records taken out because a unique index already held their key.
  std::vector<char> dropped(static_cast<std::size_t>(header.numRec) + 1, 0);
  std::FILE* msg = nullptr;
  std::vector<IndexEntry> entries;
  for (int i = 1; i <= block.numIndexes; ++i) {
    entries.clear();
    st = ForEachSlot(dat, block.recLen, header.numRec, [&](RecordRef ref, const std::uint8_t* bytes) {
      Progress(block, i, ref, header.numRec);
      if (GetI32(ConstBytes{bytes, 4}, 0) != 0 || dropped[static_cast<std::size_t>(ref)]) return;
      entries.push_back({block.KeyOf(ConstBytes{bytes, recLen}, i), ref});
    });
    if (!st.ok()) return st;
    // Records arrive in RecordRef order; a stable sort by key keeps equal
    // keys in that order, which is the order of a duplicates index.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const IndexEntry& a, const IndexEntry& b) { return a.key < b.key; });
    const IndexDef& def = block.defs[static_cast<std::size_t>(i - 1)];
    std::vector<RecordRef> rejected;
    std::vector<KeyString> rejectedKeys;
    if (!def.allowDups) {
      std::size_t kept = 0;
      for (std::size_t k = 0; k < entries.size(); ++k) {
        if (kept > 0 && entries[kept - 1].key == entries[k].key) {
          rejected.push_back(entries[k].ref);
          rejectedKeys.push_back(entries[k].key);
          continue;
        }
        entries[kept++] = entries[k];
      }
      entries.resize(kept);
    }
    for (const IndexEntry& e : entries) {
      if (static_cast<int>(e.key.size()) > def.keyLen) return Status::Error(err::kKeyTooLong);
    }
    st = ix.BulkLoad(i, entries);
    if (!st.ok()) return st;
    // Report and remove the rejected records in RecordRef order.
    std::vector<std::size_t> order(rejected.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return rejected[a] < rejected[b]; });
    std::vector<std::uint8_t> bytes(recLen);
    for (std::size_t k : order) {
      const RecordRef ref = rejected[k];
      st = dat.ReadAt(bytes.data(), recLen, static_cast<std::uint64_t>(ref) * recLen);
      if (!st.ok()) return st;
      if (msg == nullptr) msg = std::fopen(msgPath.c_str(), "ab");
      if (msg != nullptr) {
        std::fprintf(msg, "Key:<");
        std::fwrite(rejectedKeys[k].data(), 1, rejectedKeys[k].size(), msg);
        std::fprintf(msg, "> KeyNr: %d Ref: %d not added\r\n", i, ref);
      }
      for (int j = 1; j < i; ++j) {
        Status undo = ix.DeleteKey(j, ref, block.KeyOf(ConstBytes{bytes.data(), recLen}, j));
        if (!undo.ok()) return undo;
      }
      std::uint8_t link[4];
      PutI32(Bytes{link, 4}, 0, header.firstFree);
      st = dat.WriteAt(link, 4, static_cast<std::uint64_t>(ref) * recLen);
      if (!st.ok()) return st;
      header.firstFree = ref;
      ++header.numberFree;
      dropped[static_cast<std::size_t>(ref)] = 1;
      if (msg != nullptr) {
        std::fprintf(msg, "Data record deleted - Dump follows\r\n");
        std::fwrite(bytes.data(), 1, recLen, msg);
        std::fprintf(msg, "\r\n\r\n");
      }
    }
  }
  if (msg != nullptr) std::fclose(msg);
  st = ix.Close();
  if (!st.ok()) return st;
  header.Encode(raw);
  st = dat.WriteAt(raw, sizeof raw, 0);
  if (st.ok()) st = dat.Sync();
  return st;
}

}  // namespace korv
