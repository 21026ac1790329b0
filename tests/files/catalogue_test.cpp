// The catalogue's definitions as the sibling programs see them on disk, the
// file names, and the usage counts of open and release.
#include "files/catalogue.h"

#include <gtest/gtest.h>

#include <fstream>
#include <utility>
#include <vector>

#include "files/file_keys.h"
#include "files_fixture.h"

namespace korv::testing {
namespace {

std::int32_t I32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return GetI32(ConstBytes{bytes.data(), bytes.size()}, offset);
}

struct Definition {
  SharedFile file;
  std::int32_t logNumber;
  const char* name;
  int recLen;
  std::vector<std::pair<int, bool>> indexes;  // key length, duplicates
  bool autoNumbered;                          // the int32 at 4
  bool flushAfterWrite;
};

// The suite's definitions, written out from the shared catalogue.
const std::vector<Definition>& Definitions() {
  const std::pair<int, bool> number{5, false};
  // clang-format off
  static const std::vector<Definition> table = {
      {SharedFile::kSetup, 0, "KVSETUP", 3530, {number}, true, true},
      {SharedFile::kSetup2, 0, "KVSETUP2", 50408, {number}, true, true},
      {SharedFile::kContestDirectory, 0, "KVKK", 379,
       {{26, true}, {5, true}, {5, false}, {1, true}, {25, true}}, true, true},
      {SharedFile::kTotals, 0, "KVKZ", 11608, {number}, false, true},
      {SharedFile::kQsoLog, 7, "KVLK0007", 216,
       {{8, true}, {22, true}, {14, true}, {5, false}, {6, true}, {14, true}, {1, true},
        {6, true}, {21, true}, {7, true}, {6, true}, {6, true}, {5, true}, {2, true},
        {2, true}, {2, true}, {2, true}, {8, true}, {6, true}, {6, true}, {9, true},
        {7, true}, {7, true}, {6, true}, {3, true}, {2, true}, {7, true}},
       true, true},
      {SharedFile::kQsoTemp, 0, "KVLKTEMP", 216, {number}, true, false},
      {SharedFile::kPrefixes, 0, "KVPREFIX", 181,
       {{6, true}, {12, true}, {9, true}, {8, true}, {8, true}, {8, true}, {36, true},
        {14, true}, {13, true}, {7, true}, {6, true}, {6, true}, {5, true}, {7, true}},
       false, false},
      {SharedFile::kPrefixExceptions, 0, "KVPREFEE", 181,
       {{6, false}, {12, true}, {9, true}, {8, true}, {8, true}, {8, true}, {36, true},
        {14, true}, {13, true}, {7, true}, {6, true}, {6, true}},
       false, false},
      {SharedFile::kPrefixSpecials, 0, "KVPREFES", 181,
       {{6, false}, {12, true}, {9, true}, {8, true}, {8, true}, {8, true}, {36, true},
        {14, true}, {13, true}, {7, true}, {6, true}, {6, true}},
       false, false},
      {SharedFile::kCallBook, 0, "KVCBUCH", 333,
       {{10, false}, {6, true}, {6, true}, {10, true}, {20, true}, {4, true}, {18, true},
        {6, true}, {6, true}, {6, true}, {6, true}, {6, true}, {6, true}},
       false, false},
      {SharedFile::kCallList, 0, "KVCALL", 71,
       {{10, false}, {5, true}, {5, true}, {10, true}, {1, true}, {5, true}, {3, true}},
       false, false},
      {SharedFile::kProfiles, 0, "KVPRO", 14699, {{5, false}, {20, true}}, true, true},
      {SharedFile::kQslVia, 0, "KVQSLVIA", 63, {{22, false}}, false, false},
      {SharedFile::kCallNotes, 0, "KVCNOTE", 298, {{10, false}}, false, false},
      {SharedFile::kLogNotes, 0, "KVLNOTE", 314, {{27, false}, {22, false}}, false, false},
  };
  // clang-format on
  return table;
}

using CatalogueTest = FilesTest;

// Opens each file, inserts one empty record and reads the headers the
// engine wrote: the .DAT header slot and one header per index in row 0 of
// the .IX.
TEST_F(CatalogueTest, EveryFileIsCreatedWithTheSharedDefinition) {
  for (const Definition& def : Definitions()) {
    SCOPED_TRACE(def.name);
    EXPECT_EQ(SharedFileName(def.file, def.logNumber), def.name);
    if (def.file == SharedFile::kProfiles) continue;  // only ever read: below
    FileBlock* block = catalogue->Open(def.file, def.logNumber);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->LogicalName(), def.name);
    EXPECT_EQ(block->RetryCount(), 32);
    EXPECT_EQ(block->Record().size(), static_cast<std::size_t>(def.recLen));
    block->ClearRecordBuffer();
    ASSERT_TRUE(block->InsertRecord().ok());

    // InUse is on disk before the record; a flushed write clears it again.
    const auto datOpen = ReadFile(std::string(def.name) + ".DAT");
    ASSERT_GE(datOpen.size(), std::size_t{21});
    EXPECT_EQ(datOpen[20], def.flushAfterWrite ? 0 : 1);

    EXPECT_TRUE(catalogue->Release(def.file, def.logNumber));
    EXPECT_EQ(engine->FindFileBlock(def.name), nullptr);

    const auto dat = ReadFile(std::string(def.name) + ".DAT");
    ASSERT_EQ(dat.size(), 2 * static_cast<std::size_t>(def.recLen));
    EXPECT_EQ(I32At(dat, 8), 1);  // NumRec
    EXPECT_EQ(I32At(dat, 12), def.recLen);
    EXPECT_EQ(I32At(dat, 16), static_cast<std::int32_t>(def.indexes.size()));
    EXPECT_EQ(dat[20], 0);
    EXPECT_EQ(I32At(dat, static_cast<std::size_t>(def.recLen) + 4), def.autoNumbered ? 1 : 0);

    const auto ix = ReadFile(std::string(def.name) + ".IX");
    std::size_t slot = 0;
    for (std::size_t i = 0; i < def.indexes.size(); ++i) {
      SCOPED_TRACE("index " + std::to_string(i + 1));
      ASSERT_LE(slot + 28, ix.size());
      const int pageBytes = I32At(ix, slot + 12);
      EXPECT_EQ((pageBytes - 6) / 62 - 9, def.indexes[i].first);
      EXPECT_EQ(ix[slot + 20], def.indexes[i].second ? 1 : 0);
      EXPECT_EQ(I32At(ix, slot + 21), 1);  // the record's key went in
      slot += static_cast<std::size_t>(pageBytes);
    }
    // Row 0 holds exactly these headers: the row size is their page sizes.
    EXPECT_EQ(ix.size() % slot, 0u);
  }
  EXPECT_TRUE(fatal.codes.empty());
}

// KVPRO belongs to the logbook (a variable-length file): it is read by key
// as it is found, never created, repaired or rewritten, even when another
// program left it in use or its length is no multiple of the record length.
TEST_F(CatalogueTest, ProfilesAreOnlyEverRead) {
  FileBlock* missing = catalogue->OpenProfiles();
  ASSERT_NE(missing, nullptr);
  EXPECT_FALSE(missing->MoveFirst(1).ok());
  catalogue->ReleaseProfiles();
  EXPECT_FALSE(std::filesystem::exists(dir / "KVPRO.DAT"));

  FileBlock* writer = engine->DefineFileBlock("PROFILE WRITER", "KVPRO", kProfileRecLen, 2, ProfileKey,
                                              nullptr, 32, true);
  ASSERT_NE(writer, nullptr);
  ASSERT_TRUE(writer->DefineIndex(1, 5, false).ok());
  ASSERT_TRUE(writer->DefineIndex(2, 20, true).ok());
  writer->ClearRecordBuffer();
  PutI32(writer->Record(), 4, 3);
  ASSERT_TRUE(writer->InsertRecord().ok());
  engine->DestroyFileBlock(writer);
  auto dat = ReadFile("KVPRO.DAT");
  dat[20] = 1;                         // left in use by the logbook
  dat.insert(dat.end(), 100, '\x55');  // a variable-length tail
  std::ofstream(dir / "KVPRO.DAT", std::ios::binary)
      .write(reinterpret_cast<const char*>(dat.data()), static_cast<std::streamsize>(dat.size()));
  const auto ix = ReadFile("KVPRO.IX");

  FileBlock* profiles = catalogue->OpenProfiles();
  ASSERT_NE(profiles, nullptr);
  KeyString key;
  key.AppendLong(3);
  ASSERT_TRUE(profiles->FindExact(1, key).ok());
  EXPECT_EQ(GetI32(profiles->Record(), 4), 3);
  EXPECT_FALSE(profiles->InsertRecord().ok());  // refused, nothing written
  catalogue->ReleaseProfiles();
  EXPECT_EQ(ReadFile("KVPRO.DAT"), dat);
  EXPECT_EQ(ReadFile("KVPRO.IX"), ix);
  for (const char* left : {"KVPRO.SAV", "KVPRO.TMP", "KVPRO.REO"}) {
    EXPECT_FALSE(std::filesystem::exists(dir / left)) << left;
  }
  fatal.codes.clear();  // the refused insert is the program's wrong use
}

TEST_F(CatalogueTest, QsoFileNamesUseFourDigitsAndStarsAboveThem) {
  const std::pair<std::int32_t, const char*> cases[] = {{7, "KVLK0007"},
                                                        {12, "KVLK0012"},
                                                        {9999, "KVLK9999"},
                                                        {10000, "KVLK****"},
                                                        {123456, "KVLK****"}};
  for (const auto& [number, name] : cases) EXPECT_EQ(QsoFileName(number), name) << number;

  FileBlock* block = catalogue->OpenQsoFile(10000);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->RecordCount(), 0);
  EXPECT_TRUE(catalogue->ReleaseQsoFile(10000));
  EXPECT_TRUE(std::filesystem::exists(dir / "KVLK****.DAT"));
  EXPECT_TRUE(std::filesystem::exists(dir / "KVLK****.IX"));
}

TEST_F(CatalogueTest, OpeningTwiceSharesTheFileUntilTheLastRelease) {
  FileBlock* first = catalogue->OpenQsoFile(12);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->usageCount, 1);
  first->ClearRecordBuffer();
  ASSERT_TRUE(first->InsertRecord().ok());

  // A second catalogue over the same engine (another window) gets it too.
  FileCatalogue other(*engine);
  FileBlock* second = other.OpenQsoFile(12);
  EXPECT_EQ(second, first);
  EXPECT_EQ(first->usageCount, 2);

  EXPECT_TRUE(catalogue->ReleaseQsoFile(12));
  ASSERT_EQ(engine->FindFileBlock("kvlk0012"), first);  // still open
  EXPECT_EQ(first->usageCount, 1);
  EXPECT_EQ(first->RecordCount(), 1);

  EXPECT_TRUE(other.ReleaseQsoFile(12));
  EXPECT_EQ(engine->FindFileBlock("KVLK0012"), nullptr);
  EXPECT_FALSE(catalogue->ReleaseQsoFile(12));

  // Opened again: a new FileBlock over the same files.
  FileBlock* again = catalogue->OpenQsoFile(12);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->usageCount, 1);
  EXPECT_EQ(again->RecordCount(), 1);
  EXPECT_TRUE(catalogue->ReleaseQsoFile(12));
}

TEST_F(CatalogueTest, DifferentFilesAndLogNumbersAreCountedApart) {
  FileBlock* log1 = catalogue->OpenQsoFile(1);
  FileBlock* log2 = catalogue->OpenQsoFile(2);
  FileBlock* setup = catalogue->OpenSetup();
  ASSERT_NE(log1, nullptr);
  ASSERT_NE(log2, nullptr);
  ASSERT_NE(setup, nullptr);
  EXPECT_NE(log1, log2);
  EXPECT_TRUE(catalogue->ReleaseQsoFile(1));
  EXPECT_EQ(engine->FindFileBlock("KVLK0001"), nullptr);
  EXPECT_EQ(engine->FindFileBlock("KVLK0002"), log2);
  EXPECT_EQ(engine->FindFileBlock("KVSETUP"), setup);
  EXPECT_TRUE(catalogue->ReleaseQsoFile(2));
  EXPECT_TRUE(catalogue->ReleaseSetup());
}

TEST_F(CatalogueTest, AnEngineThatDoesNotRunOpensNothing) {
  StartEngine(/*init=*/false);
  EXPECT_EQ(catalogue->OpenContestDirectory(), nullptr);
  EXPECT_EQ(catalogue->LastOpenStatus().code, err::kNotRunning);
  EXPECT_EQ(fatal.codes, std::vector<int>{err::kNotRunning});
  EXPECT_FALSE(catalogue->ReleaseContestDirectory());
}

}  // namespace
}  // namespace korv::testing
