// The file catalogue: every keyed record file the program shares with the
// other programs of the suite, its definition, and the open and release
// routines through which the whole program reaches it.
//
// The sibling programs open the same files with the same definitions, so
// record lengths, index order, key lengths, duplicate flags and keys are
// fixed:
//
//   FILE      RECLEN INDEXES AUTO     FLUSH  KEYS
//   KVSETUP    3530    1     index 1  yes    file_keys.h RecordNumberKey
//   KVSETUP2  50408    1     index 1  yes    RecordNumberKey
//   KVKK        379    5     index 3  yes    ContestDirectoryKey
//   KVKZ      11608    1     none     yes    RecordNumberKey
//   KVLKnnnn    216   27     index 4  yes    QsoFileKey
//   KVLKTEMP    216    1     index 1  no     RecordNumberKey
//   KVPREFIX    181   14     none     no     refdata/prefix_record.h
//   KVPREFEE    181   12     none     no     refdata/prefix_record.h
//   KVPREFES    181   12     none     no     refdata/prefix_record.h
//   KVCBUCH     333   13     none     no     CallBookKey
//   KVCALL       71    7     none     no     CallListKey
//   KVPRO     14699    2     index 1  yes    ProfileKey
//   KVQSLVIA     63    1     none     no     QslViaKey
//   KVCNOTE     298    1     none     no     CallNoteKey
//   KVLNOTE     314    2     none     no     LogNoteKey
//
// The automatic number is always the int32 at offset 4. Every file: retry
// count 32, created when missing, fixed-length records, a rebuild progress
// callback that shows nothing. The logical name is also the path (the engine
// puts the data directory in front and appends ".DAT" / ".IX").
//
// KVPRO is a variable-length file of the logbook with a declared length of
// 14699; this program only reads it by key. It is opened read-only: never
// created, repaired, rebuilt or written; one that cannot be read is as if
// it were not there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "refdata/callsign.h"
#include "storage/engine.h"

namespace korv {

enum class SharedFile : int {
  kSetup,             // KVSETUP
  kSetup2,            // KVSETUP2
  kContestDirectory,  // KVKK
  kTotals,            // KVKZ
  kQsoLog,            // KVLKnnnn, one per contest log
  kQsoTemp,           // KVLKTEMP
  kPrefixes,          // KVPREFIX
  kPrefixExceptions,  // KVPREFEE
  kPrefixSpecials,    // KVPREFES
  kCallBook,          // KVCBUCH
  kCallList,          // KVCALL
  kProfiles,          // KVPRO
  kQslVia,            // KVQSLVIA
  kCallNotes,         // KVCNOTE
  kLogNotes,          // KVLNOTE
};
inline constexpr int kSharedFileCount = 15;

inline constexpr int kSetupRecLen = 3530;
inline constexpr int kSetup2RecLen = 50408;
inline constexpr int kTotalsRecLen = 11608;
inline constexpr int kQsoRecLen = 216;
inline constexpr int kCallListRecLen = 71;
inline constexpr int kProfileRecLen = 14699;
inline constexpr int kQslViaRecLen = 63;
inline constexpr int kCallNoteRecLen = 298;
inline constexpr int kLogNoteRecLen = 314;
inline constexpr int kCatalogueRetryCount = 32;
inline constexpr std::size_t kAutoNumberOffset = 4;
inline constexpr const char* kLegacyRenumberMarker = "KVLKTEMP.RUN";

struct IndexSpec {
  int keyLen = 0;
  bool allowDups = false;
};

struct FileDefinition {
  std::string_view name;  // KVLK: the stem; the log number is appended
  int recLen = 0;
  std::vector<IndexSpec> indexes;  // in IndexNumber order
  int autoNumberIndex = 0;         // 0: none
  bool flushAfterWrite = false;
};

const FileDefinition& DefinitionOf(SharedFile file);

// "KVLK" + the log number in the picture "@@@@": KVLK0007; a number that
// does not fit four digits gives KVLK****.
std::string QsoFileName(std::int32_t logNumber);
// The logical name of a file; logNumber is used by kQsoLog only.
std::string SharedFileName(SharedFile file, std::int32_t logNumber = 0);

// Owns nothing but the open counts: the engine owns the FileBlocks. A file
// opened twice (by any FileCatalogue over the same engine, or by name in any
// letter case) is the same FileBlock with its usage count raised; only the
// last release destroys it (closing its files).
//
// REQUIRES: the engine outlives the catalogue and every FileBlock it handed
// out is used only between its open and its release.
class FileCatalogue {
 public:
  explicit FileCatalogue(StorageEngine& engine, const SuffixTable& suffixes = DefaultSuffixTable());
  FileCatalogue(const FileCatalogue&) = delete;
  FileCatalogue& operator=(const FileCatalogue&) = delete;

  StorageEngine& engine() { return engine_; }

  // The suffix table of the call-sign split behind Call14 of the QSO file
  // keys. A QSO file keeps the table it was opened with until its last
  // release, so its keys never change while it is open.
  void SetSuffixTable(const SuffixTable& suffixes);
  const SuffixTable& suffixTable() const { return *suffixes_; }

  // Opens (defines on first use) and returns the FileBlock, or nullptr when
  // the engine refused the definition; the engine's error list and
  // LastOpenStatus() tell why. The record buffer is FileBlock::Record().
  FileBlock* Open(SharedFile file, std::int32_t logNumber = 0);
  // Lowers the usage count; at zero destroys the FileBlock. False when the
  // file is not open.
  bool Release(SharedFile file, std::int32_t logNumber = 0);
  Status LastOpenStatus() const { return lastOpen_; }

  // A FileBlock of the file's definition under the rewrite name (the file's
  // name + kRewriteSuffix), for building a new copy of a whole file that
  // StorageEngine::ReplaceFileBlockFiles then puts in place. Not counted:
  // one open, one release, which destroys it.
  FileBlock* OpenRewrite(SharedFile file, std::int32_t logNumber = 0);
  void ReleaseRewrite(SharedFile file, std::int32_t logNumber = 0);

  FileBlock* OpenSetup() { return Open(SharedFile::kSetup); }
  bool ReleaseSetup() { return Release(SharedFile::kSetup); }
  FileBlock* OpenSetup2() { return Open(SharedFile::kSetup2); }
  bool ReleaseSetup2() { return Release(SharedFile::kSetup2); }
  FileBlock* OpenContestDirectory() { return Open(SharedFile::kContestDirectory); }
  bool ReleaseContestDirectory() { return Release(SharedFile::kContestDirectory); }
  FileBlock* OpenTotals() { return Open(SharedFile::kTotals); }
  bool ReleaseTotals() { return Release(SharedFile::kTotals); }
  FileBlock* OpenQsoFile(std::int32_t logNumber) { return Open(SharedFile::kQsoLog, logNumber); }
  bool ReleaseQsoFile(std::int32_t logNumber) { return Release(SharedFile::kQsoLog, logNumber); }
  FileBlock* OpenQsoTemp() { return Open(SharedFile::kQsoTemp); }
  bool ReleaseQsoTemp() { return Release(SharedFile::kQsoTemp); }
  FileBlock* OpenPrefixes() { return Open(SharedFile::kPrefixes); }
  bool ReleasePrefixes() { return Release(SharedFile::kPrefixes); }
  FileBlock* OpenPrefixExceptions() { return Open(SharedFile::kPrefixExceptions); }
  bool ReleasePrefixExceptions() { return Release(SharedFile::kPrefixExceptions); }
  FileBlock* OpenPrefixSpecials() { return Open(SharedFile::kPrefixSpecials); }
  bool ReleasePrefixSpecials() { return Release(SharedFile::kPrefixSpecials); }
  FileBlock* OpenCallBook() { return Open(SharedFile::kCallBook); }
  bool ReleaseCallBook() { return Release(SharedFile::kCallBook); }
  FileBlock* OpenCallList() { return Open(SharedFile::kCallList); }
  bool ReleaseCallList() { return Release(SharedFile::kCallList); }
  FileBlock* OpenProfiles() { return Open(SharedFile::kProfiles); }
  bool ReleaseProfiles() { return Release(SharedFile::kProfiles); }
  FileBlock* OpenQslVia() { return Open(SharedFile::kQslVia); }
  bool ReleaseQslVia() { return Release(SharedFile::kQslVia); }
  FileBlock* OpenCallNotes() { return Open(SharedFile::kCallNotes); }
  bool ReleaseCallNotes() { return Release(SharedFile::kCallNotes); }
  FileBlock* OpenLogNotes() { return Open(SharedFile::kLogNotes); }
  bool ReleaseLogNotes() { return Release(SharedFile::kLogNotes); }

 private:
  FileBlock* Define(SharedFile file, const std::string& name);
  // An earlier version renumbered through KVLKTEMP, emptying the QSO file
  // while the marker "KVLKTEMP.RUN" (the log number) named KVLKTEMP as the
  // only complete copy. Opening that log puts the copy back, numbered in
  // time order, by the rewrite of a whole file.
  void FinishLegacyRenumbering(FileBlock& qsoFile, std::int32_t logNumber);

  StorageEngine& engine_;
  std::shared_ptr<const SuffixTable> suffixes_;
  Status lastOpen_;
};

}  // namespace korv
