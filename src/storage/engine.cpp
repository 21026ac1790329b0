#include "storage/engine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "storage/engine_internal.h"

namespace korv {

// ---------------------------------------------------------------------------
// Error list

void ErrorList::Clear() {
  entries_.clear();
  firstOsError_ = 0;
}

void ErrorList::Add(const ErrorEntry& entry) {
  if (entries_.size() < kMaxEntries) {
    entries_.push_back(entry);
  } else {
    entries_.back() = entry;
  }
  if (firstOsError_ == 0) firstOsError_ = entry.osError;
}

int ErrorList::Level() const {
  int level = 0;
  for (const ErrorEntry& e : entries_) level = std::max(level, e.level);
  return level;
}

int ErrorList::Code() const {
  int level = 0;
  int code = 0;
  for (const ErrorEntry& e : entries_) {
    if (e.level > level) {
      level = e.level;
      code = e.code;
    }
  }
  return code;
}

// ---------------------------------------------------------------------------
// Names

namespace {

unsigned char FoldNameByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
  switch (c) {
    case 129: return 154;  // ü
    case 132: return 142;  // ä
    case 148: return 153;  // ö
    default: return c;
  }
}

}  // namespace

bool SameLogicalName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldNameByte(static_cast<unsigned char>(a[i])) !=
        FoldNameByte(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Messages

namespace {

struct Hints {
  int code;
  std::vector<const char*> german;
  std::vector<const char*> english;
};

const std::vector<Hints>& HintTable() {
  static const std::vector<Hints> table = {
      {91,
       {"M\xF6gliche Fehlerursache: zu wenig Filehandle",
        "M\xF6gliche Fehlerbehebung: Erh\xF6hen Sie den Wert", "in der Datei CONFIG.SYS auf 100."},
       {"Possible error cause: not enough filehandle",
        "Possible error correction:Increase FILES in ", "the file CONFIG.SYS to 100."}},
      {10140,
       {"M\xF6gl.Ursachen: Programmpfad zu lang (>50) o.Schreibschutz auf Datei "
        "o.and.Korv-Progr.aktiv.",
        "M\xF6gl.Behebung: Progr.in Ordner \"Programme\" install. o.Schreibschutz auf Dateien "
        "des Programms entfernen o.and.Korv-Progr.beenden!"},
       {"Possible error cause: Tessmap always activ.", "Possible error correction: Cancel Tessmap"}},
      {10075,
       {"M\xF6gliche Fehlerursache: Zu wenig Plattenspeicher.",
        "M\xF6gliche Fehlerbehebung: Erh\xF6hen Sie den freien", "Festplattenspeicher."},
       {"Possible error cause: Not enough disk space.",
        "Possible error correction: Increase free space", "on hard disk."}},
      {10070,
       {"M\xF6gliche Fehlerursache: Indexdatei defekt.",
        "M\xF6gliche Fehlerbehebung: Tritt dieser Fehler nach",
        "Neustart wieder auf: Informieren Sie die Hotline."},
       {"Possible error cause: incorrect index file.",
        "Possible error correction: Restart the program.",
        "If error continues: Inform the hotline."}},
      {10465,
       {"M\xF6gliche Fehlerursache: Reorg. fehlgeschlagen.",
        "M\xF6gliche Fehlerbehebung: Tritt gleicher Fehler",
        "nach Neustart wieder auf: Benennen Sie .SAV-", "Dateien in .DAT-Dateien um."},
       {"Possible error cause: Reorganisation failure.",
        "Possible error correction: Restart the program.",
        "If error continues: Rename .SAV-files", "to .DAT-files."}},
  };
  return table;
}

const ErrorEntry* HighestEntry(const ErrorList& errors) {
  const ErrorEntry* best = nullptr;
  for (const ErrorEntry& e : errors.Entries()) {
    if (best == nullptr || e.level > best->level) best = &e;
  }
  return best;
}

}  // namespace

std::string StorageEngine::FatalMessage(const ErrorList& errors, bool german) {
  const ErrorEntry* entry = HighestEntry(errors);
  const int code = entry != nullptr ? entry->code : 0;
  std::string text;
  if (code == err::kOsError) {
    text = german ? "Datenbankzugriff verweigert!" : "No data access!";
  } else {
    char number[16];
    std::snprintf(number, sizeof number, "%8d", DisplayedErrorCode(code));
    text = std::string(german ? "Fehlercode: " : "errorcode: ") + number;
  }
  text += "\n";
  text += german ? "Das Programm wird abgebrochen. " : "The program will be cancled. ";
  const int hintCode = code == 10141 ? 10140 : code;
  for (const Hints& h : HintTable()) {
    if (h.code != hintCode) continue;
    for (const char* line : german ? h.german : h.english) {
      text += "\n";
      text += line;
    }
  }
  return text;
}

std::string StorageEngine::ErrorLogText(const ErrorList& errors, int day, int month, int year,
                                        int hour, int minute) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "*->  %02d/%02d/%04d  %02d:%02d", day, month, year, hour,
                minute);
  std::string text = "\r\n";
  text += stamp;
  text += "\r\n";
  bool otherBlock = false;
  for (const ErrorEntry& e : errors.Entries()) {
    if (e.fileBlockPath != errors.initialPath) otherBlock = true;
  }
  if (otherBlock && !errors.initialPath.empty()) {
    text += "     InitialFileblock  " + errors.initialPath.string() + "\r\n";
  }
  for (const ErrorEntry& e : errors.Entries()) {
    text += "     Fileblock  " + e.fileBlockPath.string() + "\r\n";
    text += "     - Err: " + std::to_string(DisplayedErrorCode(e.code)) + "\r\n";
  }
  return text;
}

// ---------------------------------------------------------------------------
// Engine

StorageEngine::StorageEngine(EngineOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
  if (!impl_->options.sleep) {
    impl_->options.sleep = [](int ms) {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
  }
  if (!impl_->options.now) {
    impl_->options.now = [](int& day, int& month, int& year, int& hour, int& minute) {
      const std::time_t t = std::time(nullptr);
      std::tm local{};
      localtime_r(&t, &local);
      day = local.tm_mday;
      month = local.tm_mon + 1;
      year = local.tm_year + 1900;
      hour = local.tm_hour;
      minute = local.tm_min;
    };
  }
}

StorageEngine::~StorageEngine() {
  (void)impl_->CloseAll();
  impl_->blocks.clear();
}

Status StorageEngine::InitFileManager(int pageBuffers, int fileHandles) {
  impl_->Begin(nullptr);
  Status st;
  if (impl_->running) {
    st = Status::Error(err::kInitTwice);
  } else if (pageBuffers < 8) {
    st = Status::Error(err::kTooFewPageBuffers);
  } else if (fileHandles <= 6) {
    st = Status::Error(err::kTooFewHandles);
  } else {
    impl_->cache = std::make_unique<PageCache>(pageBuffers);
    impl_->maxHandles = fileHandles;
    impl_->running = true;
    impl_->logName = "VAZ.ERR";
  }
  return impl_->End(impl_->Report(nullptr, st, Op::kInit));
}

Status StorageEngine::DoneFileManager() {
  impl_->Begin(nullptr);
  Status st;
  if (!impl_->running) {
    st = Status::Error(err::kNotRunning);
  } else if (!impl_->blocks.empty()) {
    st = Status::Error(err::kEngineBlocksDefined);
  } else {
    impl_->cache.reset();
    impl_->running = false;
  }
  return impl_->End(impl_->Report(nullptr, st, Op::kDone));
}

Status StorageEngine::CloseAllFileBlocks() {
  impl_->Begin(nullptr);
  return impl_->End(impl_->Report(nullptr, impl_->CloseAll(), Op::kCloseAll));
}

bool StorageEngine::Running() const { return impl_->running; }

const ErrorList& StorageEngine::LastErrors() const { return impl_->errors; }
int StorageEngine::ErrorLevel() const { return impl_->errors.Level(); }
void StorageEngine::SetGerman(bool german) { impl_->options.german = german; }
void StorageEngine::SetRetryDelayBase(int milliseconds) { impl_->retryDelayBase = milliseconds; }
int StorageEngine::RetryDelayBase() const { return impl_->retryDelayBase; }

const std::filesystem::path& StorageEngine::DataDirectory() const {
  return impl_->options.dataDirectory;
}

Status StorageEngine::ReplaceFileBlockFiles(FileBlock& target, FileBlock& source) {
  impl_->Begin(target.impl_.get());
  Status st = impl_->ReplaceFiles(*target.impl_, *source.impl_);
  return impl_->End(impl_->Report(target.impl_.get(), st, Op::kDeleteFiles, 7));
}

FileBlock* StorageEngine::FindFileBlock(std::string_view logicalName) const {
  for (const auto& block : impl_->blocks) {
    if (SameLogicalName(block->impl_->name, logicalName)) return block.get();
  }
  return nullptr;
}

void StorageEngine::DestroyFileBlock(FileBlock* block) {
  if (block == nullptr) return;
  impl_->Begin(block->impl_.get());
  Status st = impl_->ClosePhysically(*block->impl_);
  auto it = std::find_if(impl_->blocks.begin(), impl_->blocks.end(),
                         [block](const auto& b) { return b.get() == block; });
  st = impl_->Report(block->impl_.get(), st, Op::kDefine);
  if (it != impl_->blocks.end()) impl_->blocks.erase(it);
  (void)impl_->End(st);
}

FileBlock* StorageEngine::DefineFileBlock(std::string_view logicalName, std::string_view path,
                                          int recLen, int numIndexes, KeyBuilder keyBuilder,
                                          std::uint8_t* recordBuffer, int retryCount,
                                          bool createIfMissing) {
  impl_->Begin(nullptr);
  int code = 0;
  if (!impl_->running) {
    code = err::kNotRunning;
  } else if (logicalName.empty() || logicalName.size() > kMaxLogicalNameLen) {
    code = err::kNoName;
  } else if (FindFileBlock(logicalName) != nullptr) {
    code = err::kNameExists;
  } else if (path.empty() || path.size() > kMaxPathLen) {
    code = err::kNoPath;
  } else if (recLen <= 20 || recLen > kMaxRecLen) {
    code = err::kRecLenTooSmall;
  } else if (numIndexes < 0 || numIndexes > kMaxIndexes) {
    code = err::kTooManyIndexes;
  } else if (numIndexes > 0 && !keyBuilder) {
    code = err::kNoKeyBuilder;
  }
  if (code != 0) {
    (void)impl_->End(impl_->Report(nullptr, Status::Error(code), Op::kDefine));
    return nullptr;
  }

  const std::filesystem::path fullPath = impl_->options.dataDirectory.empty()
                                             ? std::filesystem::path(std::string(path))
                                             : impl_->options.dataDirectory / std::string(path);
  // An interrupted conversion left a zero-length data file and the old copy
  // in ".ALT": put the copy back; its indexes are rebuilt at the next open.
  // A zero-length data file beside a ".SAV" is the start of an interrupted
  // reorganisation, which the next open finishes from the ".SAV".
  {
    std::filesystem::path dat = fullPath, alt = fullPath, ix = fullPath;
    dat += ".DAT";
    alt += ".ALT";
    ix += ".IX";
    dat = FindIgnoringCase(dat);
    std::error_code ec;
    if (FileExists(dat) && std::filesystem::file_size(dat, ec) == 0 && !ec) {
      (void)RemoveFile(dat);
    }
    alt = FindIgnoringCase(alt);
    if (FileExists(alt)) {
      if (!FileExists(dat) && RenameFile(alt, dat).ok()) (void)RemoveFile(FindIgnoringCase(ix));
    }
  }

  auto impl = std::make_unique<FileBlock::Impl>(*impl_);
  impl->name = std::string(logicalName);
  impl->path = fullPath;
  impl->recLen = recLen;
  impl->numIndexes = numIndexes;
  impl->keyBuilder = std::move(keyBuilder);
  if (recordBuffer != nullptr) {
    impl->record = recordBuffer;
  } else {
    impl->ownedBuffer.assign(static_cast<std::size_t>(recLen), 0);
    impl->record = impl->ownedBuffer.data();
  }
  impl->saved.assign(static_cast<std::size_t>(recLen), 0);
  impl->scratch.assign(static_cast<std::size_t>(recLen), 0);
  impl->defs.assign(static_cast<std::size_t>(numIndexes), IndexDef{});
  impl->autoField.assign(static_cast<std::size_t>(numIndexes), std::nullopt);
  impl->retryCount = retryCount > 0 ? retryCount : 32;
  impl->createIfMissing = createIfMissing;
  FileBlock::Impl* raw = impl.get();
  impl_->blocks.push_back(std::unique_ptr<FileBlock>(new FileBlock(*this, std::move(impl))));
  raw->self = impl_->blocks.back().get();
  (void)impl_->End(Status::Ok());
  return raw->self;
}

// ---------------------------------------------------------------------------
// Operation frame, errors, retries, fatal path

void StorageEngine::Impl::Begin(const FileBlock::Impl* block) {
  if (depth++ == 0) {
    errors.Clear();
    // Most operations run on the file of the one before: keep the path then
    // (a copy would allocate on every lookup).
    if (block == nullptr) {
      errors.initialPath.clear();
    } else if (errors.initialPath.native() != block->path.native()) {
      errors.initialPath = block->path;
    }
  }
}

Status StorageEngine::Impl::End(Status st) {
  if (--depth == 0 && errors.Level() > 2) Fatal();
  return st;
}

Status StorageEngine::Impl::Report(const FileBlock::Impl* block, Status st, Op op, int step,
                                   int index, RecordRef ref) {
  if (st.ok()) return st;
  ErrorEntry e;
  e.level = st.level();
  e.code = st.code;
  e.indexNumber = index;
  e.recordRef = ref;
  e.operation = static_cast<int>(op);
  e.step = step;
  e.osError = st.osError;
  e.osOperation = st.osError != 0 ? static_cast<int>(op) : 0;
  if (block != nullptr) e.fileBlockPath = block->path;
  errors.Add(e);
  return st;
}

bool StorageEngine::Impl::AskRetry(const FileBlock::Impl* block, int code) {
  if (!options.askRetry) return false;
  // Quiet reads answer the questions of locks themselves: No.
  const bool asksAlways = code == err::kDriveNotReady || code == err::kPathNotFound;
  if (block != nullptr && block->quietRetries && !asksAlways) return false;
  const bool german = options.german;
  const char* message;
  switch (code) {
    case 10335:
      message = german ? " LockRec gescheitert. Noch einmal versuchen? " : " LockRec failed. Retry ? ";
      break;
    case 10330:
    case 10332:
      message = german ? " LockFileBlock gescheitert. Noch einmal versuchen? "
                       : " LockFileBlock failed. Retry ? ";
      break;
    case err::kDriveNotReady:
      message = german ? " Laufwerk nicht bereit. Noch einmal versuchen? "
                       : " Drive not ready. Retry ? ";
      break;
    case err::kPathNotFound:
      message = german ? " undefinierter Fehler. Noch einmal versuchen? "
                       : " undefined Error. Retry ? ";
      break;
    default:
      message = german ? " Record oder Datei gelockt. Noch einmal versuchen? "
                       : " Record or file locked. Retry ? ";
      break;
  }
  const std::string name = block != nullptr ? block->name : std::string();
  return options.askRetry(name + ": " + message);
}

std::filesystem::path StorageEngine::Impl::LogDirectory() const {
  return options.logDirectory.empty() ? options.dataDirectory : options.logDirectory;
}

void StorageEngine::Impl::Fatal() {
  const ErrorList list = errors;
  // The log first, so that the record of what happened survives anything.
  int day = 0, month = 0, year = 0, hour = 0, minute = 0;
  options.now(day, month, year, hour, minute);
  const std::string text = StorageEngine::ErrorLogText(list, day, month, year, hour, minute);
  const std::filesystem::path logPath = LogDirectory() / logName;
  if (std::FILE* f = std::fopen(logPath.c_str(), "ab")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  // A short read means a damaged index: drop it so that the next start rebuilds it.
  if (!list.Entries().empty() && list.Entries().front().code == err::kShortRead &&
      !list.Entries().front().fileBlockPath.empty()) {
    bool foreign = false;
    for (const auto& block : blocks) {
      if (block->impl_->path == list.Entries().front().fileBlockPath) {
        foreign = foreign || block->impl_->readOnly;
        (void)ClosePhysically(*block->impl_);
      }
    }
    std::filesystem::path ix = list.Entries().front().fileBlockPath;
    ix += ".IX";
    if (!foreign) (void)RemoveFile(FindIgnoringCase(ix));
  }
  // Close before the message: the files are safe whatever the user does then.
  (void)CloseAll();
  // A damaged free chain or a failed write: the closed files must not pass
  // for clean, so InUse goes back to 1 and the next open repairs them.
  for (const ErrorEntry& e : list.Entries()) {
    if ((e.code != err::kFreeChainDamaged && e.code != err::kShortWrite) ||
        e.fileBlockPath.empty()) {
      continue;
    }
    std::filesystem::path datPath = e.fileBlockPath;
    datPath += ".DAT";
    OsFile dat;
    const std::uint8_t inUse = 1;
    if (dat.Open(FindIgnoringCase(datPath)).ok() && dat.WriteAt(&inUse, 1, 20).ok()) {
      (void)dat.Sync();
    }
  }
  const std::string message = StorageEngine::FatalMessage(list, options.german);
  if (options.fatalHandler != nullptr) options.fatalHandler->OnFatal(list, message);
  errors = list;
}

// ---------------------------------------------------------------------------
// Opening and closing

Status StorageEngine::Impl::MakeRoom(const FileBlock::Impl& block) {
  const int needed = block.HandlesNeeded();
  while (openHandles + needed > maxHandles) {
    FileBlock::Impl* oldest = nullptr;
    for (const auto& b : blocks) {
      FileBlock::Impl& candidate = *b->impl_;
      if (!candidate.open || &candidate == &block) continue;
      if (oldest == nullptr || candidate.lastUse < oldest->lastUse) oldest = &candidate;
    }
    if (oldest == nullptr) return Status::Error(err::kNoHandleFree);
    Status st = ClosePhysically(*oldest);
    if (!st.ok()) return st;
  }
  return Status::Ok();
}

Status StorageEngine::Impl::CreateFiles(FileBlock::Impl& block) {
  for (const char* ext : {".DAT", ".IX", ".DIA"}) {
    Status st = RemoveFile(block.File(ext));
    if (!st.ok()) return st;
  }
  OsFile dat;
  Status st = dat.Create(block.File(".DAT"));
  if (!st.ok()) return st;
  std::vector<std::uint8_t> slot(static_cast<std::size_t>(block.recLen), 0);
  DataHeader header;
  header.recLen = block.recLen;
  header.numKeys = block.numIndexes;
  header.Encode(slot.data());
  st = dat.WriteAt(slot.data(), slot.size(), 0);
  if (st.ok()) st = dat.Sync();
  dat.Close();
  if (!st.ok()) return st;
  if (block.numIndexes > 0) {
    IndexFile ix(*cache);
    st = ix.Create(block.File(".IX"), block.defs);
    if (st.ok()) st = ix.Close();
    if (!st.ok()) return st;
  }
  SyncDirectory(block.path.parent_path());
  return Status::Ok();
}

Status StorageEngine::Impl::EnsureOpen(FileBlock::Impl& block) {
  if (!running) return Status::Error(err::kNotRunning);
  if (block.open) {
    Touch(block);
    return Status::Ok();
  }
  return OpenPhysically(block, true);
}

namespace {

// What the data header says is plausible for the file's length and definition.
bool DataHeaderSound(const DataHeader& h, std::uint64_t length, int recLen) {
  if (h.numRec < 0 || h.numberFree < 0 || h.numberFree > h.numRec) return false;
  if (h.firstFree != -1 && (h.firstFree < 1 || h.firstFree > h.numRec)) return false;
  if (h.firstFree == -1 && h.numberFree != 0) return false;
  return length == (static_cast<std::uint64_t>(h.numRec) + 1) * static_cast<std::uint64_t>(recLen);
}

}  // namespace

Status StorageEngine::Impl::OpenPhysically(FileBlock::Impl& block, bool allowRepair) {
  if (block.recLen < kMinRecLen + 1) return Status::Error(err::kRecLenTooSmall);
  for (const IndexDef& d : block.defs) {
    if (d.keyLen == 0) return Status::Error(err::kIndexNotDefined);
  }
  Status st = MakeRoom(block);
  if (!st.ok()) return st;
  if (block.readOnly) return OpenReadOnly(block);
  RemoveRewriteLeftovers(block);

  // Reorganises the data file, rebuilds the indexes and opens again.
  auto repair = [&]() -> Status {
    if (!allowRepair) return Status::Error(err::kDataFileDamaged);
    Status repaired = CloseAll();
    if (repaired.ok()) repaired = Reorganise(block);
    if (repaired.ok()) repaired = RebuildIndexes(block);
    if (!repaired.ok()) return repaired;
    return OpenPhysically(block, false);
  };

  st = block.dat.Open(block.File(".DAT"));
  // An interrupted reorganisation left the data only in ".SAV": finish it
  // instead of creating an empty file.
  if (st.code == err::kFileNotFound && FileExists(block.File(".SAV"))) return repair();
  if (st.code == err::kFileNotFound) {
    if (!block.createIfMissing) return st;
    st = CreateFiles(block);
    if (!st.ok()) return st;
    st = block.dat.Open(block.File(".DAT"));
  }
  if (!st.ok()) return st;

  bool needsRepair = false;
  std::uint64_t length = 0;
  st = block.dat.Size(length);
  std::uint8_t raw[kDataHeaderBytes] = {};
  if (st.ok() && length >= kDataHeaderBytes) st = block.dat.ReadAt(raw, sizeof raw, 0);
  if (!st.ok()) {
    block.dat.Close();
    return st;
  }
  block.header = DataHeader::Decode(raw);
  if (length >= kDataHeaderBytes && block.header.recLen != block.recLen) {
    block.dat.Close();
    return Status::Error(err::kRecLenDiffers);
  }
  if (length < kDataHeaderBytes || block.header.inUse != 0 ||
      block.header.numKeys != block.numIndexes ||
      !DataHeaderSound(block.header, length, block.recLen)) {
    needsRepair = true;
  } else if (block.header.firstFree != -1) {
    // The head of the free chain must be a deleted slot with a valid link;
    // otherwise the next insert would fail with kFreeChainDamaged at every
    // start. The reorganisation rebuilds the chain.
    std::uint8_t link[4];
    st = block.dat.ReadAt(link, sizeof link, static_cast<std::uint64_t>(block.header.firstFree) *
                                                 static_cast<std::uint64_t>(block.recLen));
    const std::int32_t next = GetI32(ConstBytes{link, 4}, 0);
    if (!st.ok() || next == 0 || next < -1 || next > block.header.numRec) needsRepair = true;
  }
  if (!needsRepair && block.numIndexes > 0) {
    block.ix = std::make_unique<IndexFile>(*cache);
    st = block.ix->Open(block.File(".IX"), block.defs);
    if (!st.ok()) {
      // Missing, unreadable or not matching the definition: rebuild. Other
      // failures (access denied, ...) are reported as they are.
      const bool damaged = st.code == err::kFileNotFound || st.code == err::kShortRead ||
                           st.code == err::kIndexHeaderKeyLen ||
                           st.code == err::kIndexHeaderKeyLenRange ||
                           st.code == err::kIndexHeaderPageSize ||
                           st.code == err::kDefinitionDiffers ||
                           st.code == err::kFreeChainDamaged;
      block.ix.reset();
      if (!damaged) {
        block.dat.Close();
        return st;
      }
      needsRepair = true;
    }
  }
  if (needsRepair) {
    if (block.ix) (void)block.ix->Close();
    block.ix.reset();
    block.dat.Close();
    return repair();
  }
  block.open = true;
  block.inUseOnDisk = false;
  openHandles += block.HandlesNeeded();
  Touch(block);
  return Status::Ok();
}

Status StorageEngine::Impl::OpenReadOnly(FileBlock::Impl& block) {
  auto unusable = [&](Status st) {
    if (block.ix) (void)block.ix->Close();
    block.ix.reset();
    block.dat.Close();
    return st.level() == 2 ? st : Status::Error(err::kFileNotFound);
  };
  Status st = block.dat.Open(block.File(".DAT"));
  if (!st.ok()) return unusable(st);
  std::uint64_t length = 0;
  st = block.dat.Size(length);
  std::uint8_t raw[kDataHeaderBytes] = {};
  if (st.ok()) st = length >= kDataHeaderBytes ? block.dat.ReadAt(raw, sizeof raw, 0)
                                                : Status::Error(err::kShortRead);
  if (!st.ok()) return unusable(st);
  block.header = DataHeader::Decode(raw);
  if (block.header.recLen != block.recLen || block.header.numRec < 0) return unusable(st);
  if (block.numIndexes > 0) {
    block.ix = std::make_unique<IndexFile>(*cache);
    st = block.ix->Open(block.File(".IX"), block.defs);
    if (!st.ok()) return unusable(st);
  }
  block.open = true;
  block.inUseOnDisk = false;
  openHandles += block.HandlesNeeded();
  Touch(block);
  return Status::Ok();
}

void StorageEngine::Impl::RemoveRewriteLeftovers(const FileBlock::Impl& block) {
  std::filesystem::path base = block.path;
  base += kRewriteSuffix;
  for (const auto& b : blocks) {
    if (b->impl_->path == base) return;  // being built right now
  }
  // Written by this program only, so in its own letter case: no directory
  // scan at every open.
  for (const char* ext : {".DAT", ".IX"}) {
    std::filesystem::path p = base;
    p += ext;
    if (FileExists(p)) (void)RemoveFile(p);
  }
}

// The rewritten file replaces the old one by rename. Its data file goes first
// and is marked in use while the old index file is still in place, so that a
// crash between the two renames makes the next open rebuild the indexes from
// the new data; the mark is cleared once the new index file is in place too.
// At every instant the name every open uses holds one complete copy.
Status StorageEngine::Impl::ReplaceFiles(FileBlock::Impl& target, FileBlock::Impl& source) {
  if (target.readOnly || source.recLen != target.recLen ||
      source.numIndexes != target.numIndexes) {
    return Status::Error(err::kDefinitionDiffers);
  }
  Status st = ClosePhysically(source);
  if (st.ok()) st = ClosePhysically(target);
  if (!st.ok()) return st;
  for (FileBlock::Impl* b : {&target, &source}) {
    b->current = -1;
    b->savedRef = -1;
    b->lastIndex = 0;
  }
  const auto dir = target.path.parent_path();
  auto place = [&](const char* ext) {
    std::filesystem::path p = target.File(ext);
    if (!FileExists(p)) {
      p = target.path;
      p += ext;
    }
    return p;
  };
  const auto setInUse = [](const std::filesystem::path& path, std::uint8_t value) {
    OsFile dat;
    Status result = dat.Open(path);
    if (result.ok()) result = dat.WriteAt(&value, 1, 20);
    if (result.ok()) result = dat.Sync();
    return result;
  };
  const std::filesystem::path newDat = source.File(".DAT");
  const std::filesystem::path oldDat = place(".DAT");
  st = source.numIndexes > 0 ? setInUse(newDat, 1) : Status::Ok();
  if (st.ok()) st = RenameFile(newDat, oldDat);
  if (!st.ok()) return st;
  SyncDirectory(dir);
  if (source.numIndexes == 0) return Status::Ok();
  st = RenameFile(source.File(".IX"), place(".IX"));
  if (!st.ok()) return st;
  SyncDirectory(dir);
  return setInUse(oldDat, 0);
}

Status StorageEngine::Impl::ClosePhysically(FileBlock::Impl& block, bool markClean) {
  if (!block.open) return Status::Ok();
  if (block.readOnly) markClean = true;  // nothing of it is ever written
  // A file in the middle of a bulk load has no indexes yet: it stays marked,
  // so that the next open builds them.
  if (block.bulkLoad) markClean = false;
  Status st;
  if (markClean) {
    st = block.FlushFiles(true);
  } else {
    block.header.inUse = 1;
    st = block.WriteHeader(true);
  }
  if (block.ix) {
    Status closed = block.ix->Close();
    if (st.ok()) st = closed;
    block.ix.reset();
  }
  block.dat.Close();
  block.open = false;
  openHandles -= block.HandlesNeeded();
  return st;
}

Status StorageEngine::Impl::CloseAll() {
  Status first;
  for (const auto& b : blocks) {
    Status st = ClosePhysically(*b->impl_);
    if (first.ok() && !st.ok()) first = st;
  }
  return first;
}

}  // namespace korv
