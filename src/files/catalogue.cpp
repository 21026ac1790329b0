#include "files/catalogue.h"

#include <array>
#include <fstream>
#include <system_error>
#include <span>

#include "common/picture.h"
#include "files/call_book.h"
#include "files/contest_header.h"
#include "files/file_keys.h"
#include "refdata/prefix_record.h"

namespace korv {
namespace {

std::vector<IndexSpec> FromPrefixDefs(std::span<const IndexDef> defs) {
  std::vector<IndexSpec> specs;
  for (const IndexDef& d : defs) specs.push_back({d.keyLen, d.allowDups});
  return specs;
}

std::array<FileDefinition, kSharedFileCount> MakeDefinitions() {
  const IndexSpec number{5, false};
  std::array<FileDefinition, kSharedFileCount> d;
  auto at = [&d](SharedFile f) -> FileDefinition& { return d[static_cast<std::size_t>(f)]; };
  // clang-format off
  at(SharedFile::kSetup) = {"KVSETUP", kSetupRecLen, {number}, 1, true};
  at(SharedFile::kSetup2) = {"KVSETUP2", kSetup2RecLen, {number}, 1, true};
  at(SharedFile::kContestDirectory) = {"KVKK", static_cast<int>(kContestHeaderSize),
      {{26, true}, {5, true}, {5, false}, {1, true}, {25, true}}, 3, true};
  at(SharedFile::kTotals) = {"KVKZ", kTotalsRecLen, {number}, 0, true};
  at(SharedFile::kQsoLog) = {"KVLK", kQsoRecLen,
      {{8, true}, {22, true}, {14, true}, {5, false}, {6, true}, {14, true}, {1, true},
       {6, true}, {21, true}, {7, true},  {6, true},  {6, true}, {5, true},  {2, true},
       {2, true}, {2, true},  {2, true},  {8, true},  {6, true}, {6, true},  {9, true},
       {7, true}, {7, true},  {6, true},  {3, true},  {2, true}, {7, true}}, 4, true};
  at(SharedFile::kQsoTemp) = {"KVLKTEMP", kQsoRecLen, {number}, 1, false};
  at(SharedFile::kPrefixes) = {"KVPREFIX", kPrefixRecLen,
      FromPrefixDefs(PrefixFileIndexes()), 0, false};
  at(SharedFile::kPrefixExceptions) = {"KVPREFEE", kPrefixRecLen,
      FromPrefixDefs(ExceptionFileIndexes()), 0, false};
  at(SharedFile::kPrefixSpecials) = {"KVPREFES", kPrefixRecLen,
      FromPrefixDefs(ExceptionFileIndexes()), 0, false};
  at(SharedFile::kCallBook) = {"KVCBUCH", kCallBookRecLen,
      {{10, false}, {6, true}, {6, true}, {10, true}, {20, true}, {4, true}, {18, true},
       {6, true}, {6, true}, {6, true}, {6, true}, {6, true}, {6, true}}, 0, false};
  at(SharedFile::kCallList) = {"KVCALL", kCallListRecLen,
      {{10, false}, {5, true}, {5, true}, {10, true}, {1, true}, {5, true}, {3, true}}, 0, false};
  at(SharedFile::kProfiles) = {"KVPRO", kProfileRecLen, {{5, false}, {20, true}}, 1, true};
  at(SharedFile::kQslVia) = {"KVQSLVIA", kQslViaRecLen, {{22, false}}, 0, false};
  at(SharedFile::kCallNotes) = {"KVCNOTE", kCallNoteRecLen, {{10, false}}, 0, false};
  at(SharedFile::kLogNotes) = {"KVLNOTE", kLogNoteRecLen, {{27, false}, {22, false}}, 0, false};
  // clang-format on
  return d;
}

}  // namespace

const FileDefinition& DefinitionOf(SharedFile file) {
  static const std::array<FileDefinition, kSharedFileCount> definitions = MakeDefinitions();
  return definitions[static_cast<std::size_t>(file)];
}

std::string QsoFileName(std::int32_t logNumber) {
  return "KVLK" + FormatPicture(logNumber, "@@@@");
}

std::string SharedFileName(SharedFile file, std::int32_t logNumber) {
  if (file == SharedFile::kQsoLog) return QsoFileName(logNumber);
  return std::string(DefinitionOf(file).name);
}

FileCatalogue::FileCatalogue(StorageEngine& engine, const SuffixTable& suffixes)
    : engine_(engine), suffixes_(std::make_shared<const SuffixTable>(suffixes)) {}

void FileCatalogue::SetSuffixTable(const SuffixTable& suffixes) {
  suffixes_ = std::make_shared<const SuffixTable>(suffixes);
}

FileBlock* FileCatalogue::Open(SharedFile file, std::int32_t logNumber) {
  const std::string name = SharedFileName(file, logNumber);
  if (FileBlock* open = engine_.FindFileBlock(name)) {
    ++open->usageCount;
    lastOpen_ = Status::Ok();
    return open;
  }
  FileBlock* block = Define(file, name);
  if (block != nullptr) block->usageCount = 1;
  if (block != nullptr && file == SharedFile::kQsoLog) FinishLegacyRenumbering(*block, logNumber);
  return block;
}

void FileCatalogue::FinishLegacyRenumbering(FileBlock& qsoFile, std::int32_t logNumber) {
  constexpr std::size_t kSerialNoOffset = 166;  // QSO record: SerialNo, int32
  const std::filesystem::path dir = engine_.DataDirectory();
  const std::filesystem::path marker = dir.empty() ? std::filesystem::path(kLegacyRenumberMarker)
                                                   : dir / kLegacyRenumberMarker;
  std::string named;
  {
    std::ifstream in(marker);
    if (!in || !std::getline(in, named) || named != std::to_string(logNumber)) return;
  }
  FileBlock* temp = Open(SharedFile::kQsoTemp);
  FileBlock* target = temp != nullptr ? OpenRewrite(SharedFile::kQsoLog, logNumber) : nullptr;
  bool done = target != nullptr && target->BeginBulkLoad().ok();
  const std::int32_t count = done ? temp->RecordCount() : -1;
  std::int32_t copied = 0;
  Status st = done ? temp->MoveFirst(1) : Status::Error(err::kKeyNotFound);
  while (done && st.ok() && copied < count) {
    std::copy(temp->Record().begin(), temp->Record().end(), target->Record().begin());
    const std::int32_t position = GetI32(target->Record(), kAutoNumberOffset);
    PutI32(target->Record(), kSerialNoOffset, position);
    PutI32(target->Record(), kAutoNumberOffset, 0);
    done = target->InsertRecord().ok();
    ++copied;
    st = temp->MoveNext(1);
  }
  done = done && st.code == err::kEndOfIndex && copied == count && target->EndBulkLoad().ok() &&
         target->Flush().ok() && engine_.ReplaceFileBlockFiles(qsoFile, *target).ok();
  if (target != nullptr) {
    if (!done) (void)target->DeleteFileBlockFiles();
    ReleaseRewrite(SharedFile::kQsoLog, logNumber);
  }
  if (temp != nullptr) Release(SharedFile::kQsoTemp);
  if (done) {
    std::error_code ec;
    std::filesystem::remove(marker, ec);
  }
}

bool FileCatalogue::Release(SharedFile file, std::int32_t logNumber) {
  FileBlock* block = engine_.FindFileBlock(SharedFileName(file, logNumber));
  if (block == nullptr) return false;
  if (--block->usageCount <= 0) engine_.DestroyFileBlock(block);
  return true;
}

FileBlock* FileCatalogue::OpenRewrite(SharedFile file, std::int32_t logNumber) {
  const std::string name = SharedFileName(file, logNumber) + kRewriteSuffix;
  if (FileBlock* left = engine_.FindFileBlock(name)) engine_.DestroyFileBlock(left);
  FileBlock* block = Define(file, name);
  if (block == nullptr) return nullptr;
  block->usageCount = 1;
  (void)block->DeleteFileBlockFiles();  // what an earlier attempt left
  return block;
}

void FileCatalogue::ReleaseRewrite(SharedFile file, std::int32_t logNumber) {
  if (FileBlock* block = engine_.FindFileBlock(SharedFileName(file, logNumber) + kRewriteSuffix)) {
    engine_.DestroyFileBlock(block);
  }
}

FileBlock* FileCatalogue::Define(SharedFile file, const std::string& name) {
  const FileDefinition& def = DefinitionOf(file);
  KeyBuilder keys;
  switch (file) {
    case SharedFile::kSetup:
    case SharedFile::kSetup2:
    case SharedFile::kTotals:
    case SharedFile::kQsoTemp:
      keys = RecordNumberKey;
      break;
    case SharedFile::kContestDirectory:
      keys = ContestDirectoryKey;
      break;
    case SharedFile::kQsoLog:
      keys = [suffixes = suffixes_](ConstBytes record, int index, KeyString& key) {
        QsoFileKey(record, index, *suffixes, key);
      };
      break;
    case SharedFile::kPrefixes:
    case SharedFile::kPrefixExceptions:
    case SharedFile::kPrefixSpecials:
      keys = BuildPrefixKey;
      break;
    case SharedFile::kCallBook:
      keys = CallBookKey;
      break;
    case SharedFile::kCallList:
      keys = CallListKey;
      break;
    case SharedFile::kProfiles:
      keys = ProfileKey;
      break;
    case SharedFile::kQslVia:
      keys = QslViaKey;
      break;
    case SharedFile::kCallNotes:
      keys = CallNoteKey;
      break;
    case SharedFile::kLogNotes:
      keys = LogNoteKey;
      break;
  }

  const bool foreign = file == SharedFile::kProfiles;
  FileBlock* block =
      engine_.DefineFileBlock(name, name, def.recLen, static_cast<int>(def.indexes.size()),
                              std::move(keys), nullptr, kCatalogueRetryCount, !foreign);
  if (block == nullptr) {
    lastOpen_ = Status::Error(engine_.LastErrors().Code());
    return nullptr;
  }
  Status st = Status::Ok();
  for (std::size_t i = 0; i < def.indexes.size() && st.ok(); ++i) {
    st = block->DefineIndex(static_cast<int>(i + 1), def.indexes[i].keyLen,
                            def.indexes[i].allowDups);
  }
  if (st.ok() && def.autoNumberIndex != 0) {
    st = block->SetAutoNumberField(def.autoNumberIndex, kAutoNumberOffset);
  }
  // An open half defined would serve wrong keys to every later user: a
  // failed step undoes the definition.
  if (!st.ok()) {
    engine_.DestroyFileBlock(block);
    lastOpen_ = st;
    return nullptr;
  }
  block->SetReadOnly(foreign);
  block->SetRebuildProgress([](std::string_view, int, std::int32_t, std::int32_t) {});
  block->SetFlushAfterWrite(def.flushAfterWrite);
  lastOpen_ = Status::Ok();
  return block;
}

}  // namespace korv
