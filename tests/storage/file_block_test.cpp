// Record operations, keyed reads, repair and the fatal path of the engine,
// seen through its public API and the bytes it leaves on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "storage/os_file.h"
#include "storage_fixture.h"

namespace korv::testing {
namespace {

std::int32_t I32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return GetI32(ConstBytes{bytes.data(), bytes.size()}, offset);
}

using FileBlockTest = StorageTest;

TEST_F(FileBlockTest, NewFilesHaveTheSharedLayout) {
  DefineTestFile();
  EXPECT_EQ(block->RecordCount(), 0);
  ASSERT_TRUE(engine->CloseAllFileBlocks().ok());

  const auto dat = ReadAll(File(".DAT"));
  ASSERT_EQ(dat.size(), std::size_t{kTestRecLen});
  EXPECT_EQ(I32At(dat, 0), -1);          // FirstFree
  EXPECT_EQ(I32At(dat, 4), 0);           // NumberFree
  EXPECT_EQ(I32At(dat, 8), 0);           // NumRec
  EXPECT_EQ(I32At(dat, 12), kTestRecLen);
  EXPECT_EQ(I32At(dat, 16), 2);          // NumKeys
  for (std::size_t i = 20; i < dat.size(); ++i) EXPECT_EQ(dat[i], 0) << i;

  // Row 0 of the index file: one header per index at its slot offset.
  const auto ix = ReadAll(File(".IX"));
  const int pageBytes1 = 6 + 62 * (5 + 9);   // 874
  const int pageBytes2 = 6 + 62 * (10 + 9);  // 1184
  ASSERT_EQ(ix.size(), std::size_t(pageBytes1 + pageBytes2));
  struct Header {
    std::size_t at;
    int pageBytes;
    int dups;
  } headers[] = {{0, pageBytes1, 0}, {std::size_t(pageBytes1), pageBytes2, 1}};
  for (const Header& h : headers) {
    EXPECT_EQ(I32At(ix, h.at + 0), -1);  // FirstFree
    EXPECT_EQ(I32At(ix, h.at + 4), 0);   // NumberFree
    EXPECT_EQ(I32At(ix, h.at + 8), 0);   // NumPages
    EXPECT_EQ(I32At(ix, h.at + 12), h.pageBytes);
    EXPECT_EQ(I32At(ix, h.at + 16), 0);  // Root
    EXPECT_EQ(ix[h.at + 20], h.dups);
    EXPECT_EQ(I32At(ix, h.at + 21), 0);  // KeyCount
    EXPECT_EQ(ix[h.at + 25] | (ix[h.at + 26] << 8), 62);
  }
}

TEST_F(FileBlockTest, DeletedSlotsKeepTheirPayloadAndAreReusedLastFreedFirst) {
  DefineTestFile();
  for (const char* name : {"A", "B", "C", "D", "E", "F"}) ASSERT_TRUE(Insert(name).ok());
  ASSERT_TRUE(block->ReadRecordByRef(3).ok());
  ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNone).ok());
  ASSERT_TRUE(block->ReadRecordByRef(5).ok());
  ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNone).ok());
  ASSERT_TRUE(engine->CloseAllFileBlocks().ok());

  const auto dat = ReadAll(File(".DAT"));
  ASSERT_EQ(dat.size(), std::size_t{7 * kTestRecLen});
  EXPECT_EQ(I32At(dat, 0), 5);  // FirstFree
  EXPECT_EQ(I32At(dat, 4), 2);  // NumberFree
  EXPECT_EQ(I32At(dat, 3 * kTestRecLen), -1);  // end of the chain
  EXPECT_EQ(I32At(dat, 5 * kTestRecLen), 3);
  // Only the link changed: number and name are still there.
  EXPECT_EQ(I32At(dat, 3 * kTestRecLen + 4), 3);
  EXPECT_EQ(dat[5 * kTestRecLen + 8], 1);
  EXPECT_EQ(dat[5 * kTestRecLen + 9], 'E');

  ASSERT_TRUE(Insert("G").ok());
  EXPECT_EQ(block->CurrentRef(), 5);
  ASSERT_TRUE(Insert("H").ok());
  EXPECT_EQ(block->CurrentRef(), 3);
  ASSERT_TRUE(Insert("I").ok());
  EXPECT_EQ(block->CurrentRef(), 7);
  EXPECT_EQ(block->RecordCount(), 7);
  ExpectSound();
}

TEST_F(FileBlockTest, AutomaticNumberIsTheHighestPlusOne) {
  DefineTestFile();
  ASSERT_TRUE(Insert("A").ok());
  EXPECT_EQ(Number(), 1);
  for (int i = 2; i <= 7; ++i) ASSERT_TRUE(Insert("X").ok());
  EXPECT_EQ(Number(), 7);
  ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNone).ok());  // number 7
  ASSERT_TRUE(Insert("Y").ok());
  EXPECT_EQ(Number(), 7);
  ASSERT_TRUE(block->FindExact(1, [] { KeyString k; k.AppendLong(3); return k; }()).ok());
  ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNone).ok());
  ASSERT_TRUE(Insert("Z").ok());
  EXPECT_EQ(Number(), 8);
}

TEST_F(FileBlockTest, ReadingADeletedRecordLeavesTheBufferAlone) {
  DefineTestFile();
  ASSERT_TRUE(Insert("A").ok());
  ASSERT_TRUE(Insert("B").ok());
  ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNone).ok());
  ASSERT_TRUE(block->ReadRecordByRef(1).ok());
  const std::vector<std::uint8_t> before(block->Record().begin(), block->Record().end());
  const Status st = block->ReadRecordByRef(2);
  EXPECT_EQ(st.code, err::kRecordDeleted);
  EXPECT_EQ(st.level(), 1);
  EXPECT_EQ(std::vector<std::uint8_t>(block->Record().begin(), block->Record().end()), before);
  EXPECT_EQ(block->CurrentRef(), 1);
  EXPECT_TRUE(fatal.codes.empty());
}

TEST_F(FileBlockTest, UpdateWithoutChangeWritesNothing) {
  DefineTestFile();
  ASSERT_TRUE(Insert("A").ok());
  block->SetFlushAfterWrite(true);
  int writes = 0;
  OsFile::SetWriteFaultHook([&](const std::filesystem::path&, std::uint64_t, std::size_t size) {
    ++writes;
    return size;
  });
  EXPECT_TRUE(block->UpdateRecord().ok());
  EXPECT_EQ(writes, 0);
  PutShortText(block->Record(), 8, 10, "B");
  EXPECT_TRUE(block->UpdateRecord().ok());
  EXPECT_GT(writes, 0);
  OsFile::SetWriteFaultHook(nullptr);
  ASSERT_TRUE(block->FindExact(2, KeyString("B         ")).ok());
  ExpectSound();
}

// What a power failure leaves of a file is its bytes as of its last sync,
// each later write there or not. With flush after write: a record or index
// byte is written only while InUse = 1 is synced and no 0 written since (a
// slot appended beyond the synced length excepted: the next open finds that
// length wrong and repairs); InUse goes back to 0 only once both files are
// synced; no file is synced more than twice per operation; and the synced
// files alone, opened after each operation, hold every acknowledged record.
TEST_F(FileBlockTest, FlushAfterWriteSyncsSoThatAPowerFailureLosesNothingAcknowledged) {
  DefineTestFile();
  block->SetFlushAfterWrite(true);
  ASSERT_EQ(block->RecordCount(), 0);  // creates the files
  const std::filesystem::path datPath = File(".DAT"), ixPath = File(".IX");
  std::map<std::filesystem::path, std::vector<std::uint8_t>> synced = {
      {datPath, ReadAll(datPath)}, {ixPath, ReadAll(ixPath)}};
  auto recordsOf = [](const std::vector<std::uint8_t>& dat) {
    return std::vector<std::uint8_t>(dat.begin() + std::min<std::ptrdiff_t>(kTestRecLen, std::ssize(dat)),
                                     dat.end());
  };
  std::map<std::filesystem::path, int> syncs;
  bool lastWriteClearedACleanHeader = false;
  bool diskInUseMayBeZero = true;  // synced 0, or a 0 written since the sync
  OsFile::SetSyncHook([&](const std::filesystem::path& p) {
    if (synced.count(p) == 0) return;
    synced[p] = ReadAll(p);
    ++syncs[p];
    if (p == datPath) diskInUseMayBeZero = synced[p].at(20) == 0;
  });
  OsFile::SetWriteFaultHook([&](const std::filesystem::path& p, std::uint64_t offset, std::size_t size) {
    if (p != datPath && p != ixPath) return size;
    if (ReadAll(datPath).at(20) == 0) diskInUseMayBeZero = true;  // the last header written
    const std::vector<std::uint8_t>& dat = synced.at(datPath);
    const bool guarded = p == ixPath || (offset >= kTestRecLen && offset < dat.size());
    if (guarded) {
      EXPECT_FALSE(diskInUseMayBeZero) << p.filename() << " written at " << offset
                                       << " while the disk may hold InUse = 0";
    }
    // A header write: InUse may go to 0 only over synced records and pages.
    lastWriteClearedACleanHeader = p == datPath && offset == 0 &&
                                   synced.at(ixPath) == ReadAll(ixPath) &&
                                   recordsOf(dat) == recordsOf(ReadAll(datPath));
    return size;
  });

  std::vector<std::vector<std::uint8_t>> model;  // the acknowledged records
  auto current = [&] { return std::vector<std::uint8_t>(block->Record().begin(), block->Record().end()); };
  auto replace = [&](const std::vector<std::uint8_t>& from, const std::vector<std::uint8_t>& to) {
    auto it = std::find(model.begin(), model.end(), from);
    ASSERT_NE(it, model.end());
    if (to.empty()) {
      model.erase(it);
    } else {
      *it = to;
    }
  };
  struct Step {
    const char* what;
    std::function<void()> run;
  };
  const std::vector<Step> steps = {
      {"insert A", [&] { ASSERT_TRUE(Insert("A").ok()); model.push_back(current()); }},
      {"insert B", [&] { ASSERT_TRUE(Insert("B").ok()); model.push_back(current()); }},
      {"insert C", [&] { ASSERT_TRUE(Insert("C").ok()); model.push_back(current()); }},
      {"update a key", [&] {
         ASSERT_TRUE(block->FindExact(2, KeyString("B         ")).ok());
         const auto before = current();
         PutShortText(block->Record(), 8, 10, "Q");
         ASSERT_TRUE(block->UpdateRecord().ok());
         replace(before, current());
       }},
      {"update no key", [&] {
         ASSERT_TRUE(block->FindExact(2, KeyString("C         ")).ok());
         const auto before = current();
         block->Record()[30] = 0x77;
         ASSERT_TRUE(block->UpdateRecord().ok());
         replace(before, current());
       }},
      {"remove", [&] {
         ASSERT_TRUE(block->FindExact(2, KeyString("A         ")).ok());
         const auto before = current();
         ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNone).ok());
         replace(before, {});
       }},
      {"insert into the freed slot", [&] { ASSERT_TRUE(Insert("D").ok()); model.push_back(current()); }},
      {"insert E", [&] { ASSERT_TRUE(Insert("E").ok()); model.push_back(current()); }},
  };
  int replay = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    syncs.clear();
    lastWriteClearedACleanHeader = false;
    step.run();
    if (::testing::Test::HasFatalFailure()) break;
    EXPECT_TRUE(lastWriteClearedACleanHeader);
    EXPECT_EQ(ReadAll(datPath).at(20), 0);
    for (const auto& [p, n] : syncs) EXPECT_LE(n, 2) << p.filename();

    // The power fails now: a new engine over copies of the synced files.
    const std::filesystem::path lost = dir / ("power" + std::to_string(++replay));
    std::filesystem::create_directory(lost);
    WriteAll(lost / "TEST.DAT", synced.at(datPath));
    WriteAll(lost / "TEST.IX", synced.at(ixPath));
    RecordingFatalHandler lostFatal;
    EngineOptions options;
    options.dataDirectory = lost;
    options.fatalHandler = &lostFatal;
    StorageEngine after(options);
    ASSERT_TRUE(after.InitFileManager(160, 32).ok());
    FileBlock* b = after.DefineFileBlock("TEST", "TEST", kTestRecLen, 2, TestKeys, nullptr, 32, true);
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(b->DefineIndex(1, 5, false).ok());
    ASSERT_TRUE(b->DefineIndex(2, 10, true).ok());
    std::vector<std::vector<std::uint8_t>> found;
    for (Status st = b->MoveFirst(1); st.ok(); st = b->MoveNext(1)) {
      found.emplace_back(b->Record().begin(), b->Record().end());
    }
    std::string problem;
    EXPECT_TRUE(b->CheckStructure(problem)) << problem;
    EXPECT_TRUE(lostFatal.codes.empty());
    std::vector<std::vector<std::uint8_t>> expected = model;
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
  }
  OsFile::SetWriteFaultHook(nullptr);
  OsFile::SetSyncHook(nullptr);
  ExpectSound();
}

TEST_F(FileBlockTest, RemovingAChangedBufferIsRefusedAndDeletesNothing) {
  DefineTestFile();
  ASSERT_TRUE(Insert("A").ok());
  PutShortText(block->Record(), 8, 10, "Q");
  const Status st = block->RemoveRecord(RemoveMode::kNone);
  EXPECT_EQ(st.code, err::kRemoveChanged);
  EXPECT_EQ(fatal.codes, std::vector<int>{err::kRemoveChanged});  // wrong use by the program
  EXPECT_EQ(block->RecordCount(), 1);
}

TEST_F(FileBlockTest, AFailedInsertOrUpdateLeavesFileAndIndexesAsBefore) {
  DefineTestFile("UNIQ", /*uniqueNames=*/true);
  ASSERT_TRUE(Insert("A").ok());
  ASSERT_TRUE(Insert("B").ok());
  Status st = Insert("A");
  EXPECT_EQ(st.code, err::kKeyExists);
  EXPECT_EQ(st.level(), 1);
  EXPECT_EQ(block->CurrentRef(), -1);
  EXPECT_EQ(block->RecordCount(), 2);
  EXPECT_EQ(block->KeyCount(1), 2);

  ASSERT_TRUE(block->ReadRecordByRef(2).ok());
  PutShortText(block->Record(), 8, 10, "A");
  st = block->UpdateRecord();
  EXPECT_EQ(st.code, err::kKeyExists);
  ASSERT_TRUE(block->FindExact(2, KeyString("B         ")).ok());
  EXPECT_EQ(block->CurrentRef(), 2);
  EXPECT_TRUE(fatal.codes.empty());
  std::string problem;
  EXPECT_TRUE(block->CheckStructure(problem)) << problem;
}

TEST_F(FileBlockTest, KeyedReadsWalkDuplicatesInRecordOrder) {
  DefineTestFile();
  for (const char* name : {"M", "K", "M", "A", "M"}) ASSERT_TRUE(Insert(name).ok());
  // FindExact: the lowest RecordRef among equal keys.
  ASSERT_TRUE(block->FindExact(2, KeyString("M         ")).ok());
  EXPECT_EQ(block->CurrentRef(), 1);
  std::vector<RecordRef> order;
  ASSERT_TRUE(block->MoveFirst(2).ok());
  do {
    order.push_back(block->CurrentRef());
  } while (block->MoveNext(2).ok());
  EXPECT_EQ(order, (std::vector<RecordRef>{4, 2, 1, 3, 5}));
  EXPECT_EQ(block->MoveNext(2).code, err::kEndOfIndex);
  order.clear();
  ASSERT_TRUE(block->MoveLast(2).ok());
  do {
    order.push_back(block->CurrentRef());
  } while (block->MovePrevious(2).ok());
  EXPECT_EQ(order, (std::vector<RecordRef>{5, 3, 1, 2, 4}));
  EXPECT_EQ(block->MovePrevious(2).code, err::kStartOfIndex);

  EXPECT_EQ(block->FindExact(2, KeyString("L         ")).code, err::kKeyNotFound);
  ASSERT_TRUE(block->FindAtLeast(2, KeyString("L")).ok());
  EXPECT_EQ(Name(), "M");
  EXPECT_EQ(block->FindAtLeast(2, KeyString("N")).code, err::kNothingAtOrAfter);
  // Switching order steps from the current record's place in the new one.
  ASSERT_TRUE(block->FindExact(2, KeyString("K         ")).ok());
  ASSERT_TRUE(block->MoveNext(1).ok());
  EXPECT_EQ(block->CurrentRef(), 3);
  EXPECT_TRUE(fatal.codes.empty());
}

TEST_F(FileBlockTest, EmptyIndexAndMissingCurrentRecord) {
  DefineTestFile();
  EXPECT_EQ(block->MoveFirst(2).code, err::kStartOfIndex);
  EXPECT_EQ(block->MoveLast(2).code, err::kStartOfIndex);
  EXPECT_TRUE(fatal.codes.empty());
  EXPECT_EQ(block->MoveNext(2).code, err::kNoCurrentForMove);
  EXPECT_EQ(fatal.codes, std::vector<int>{err::kNoCurrentForMove});
}

TEST_F(FileBlockTest, RemoveRepositionsInTheLastUsedOrder) {
  struct Case {
    RemoveMode mode;
    std::string expected;  // name of the new current record, "" = none
  } cases[] = {{RemoveMode::kNone, ""},   {RemoveMode::kLast, "E"}, {RemoveMode::kFirst, "A"},
               {RemoveMode::kNext, "D"}, {RemoveMode::kPrevious, "B"}};
  for (const Case& c : cases) {
    const std::string name = "R" + std::to_string(static_cast<int>(c.mode));
    DefineTestFile(name);
    for (const char* n : {"E", "C", "A", "D", "B"}) ASSERT_TRUE(Insert(n).ok());
    ASSERT_TRUE(block->FindExact(2, KeyString("C         ")).ok());
    ASSERT_TRUE(block->RemoveRecord(c.mode).ok());
    if (c.expected.empty()) {
      EXPECT_EQ(block->CurrentRef(), -1);
    } else {
      EXPECT_EQ(Name(), c.expected) << static_cast<int>(c.mode);
    }
  }
  // Without a keyed read the physical order counts.
  DefineTestFile("PHYS");
  for (const char* n : {"E", "C", "A"}) ASSERT_TRUE(Insert(n).ok());
  ASSERT_TRUE(block->ReadRecordByRef(2).ok());
  ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNext).ok());
  EXPECT_EQ(block->CurrentRef(), 3);
}

TEST_F(FileBlockTest, RestorePositionModes) {
  DefineTestFile();
  for (const char* n : {"A", "C", "E"}) ASSERT_TRUE(Insert(n).ok());
  ASSERT_TRUE(block->FindExact(2, KeyString("C         ")).ok());
  const Bookmark mark = block->SavePosition(2);
  ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNone).ok());
  struct Case {
    int mode;
    int code;
    std::string name;
  } cases[] = {{0, err::kRestoreNotFound, ""}, {1, 0, "E"}, {2, 0, "E"}, {3, 0, "A"}, {4, 0, "A"}};
  for (const Case& c : cases) {
    const Status st = block->RestorePosition(mark, c.mode);
    EXPECT_EQ(st.code, c.code) << c.mode;
    if (c.code == 0) {
      EXPECT_EQ(Name(), c.name) << c.mode;
    }
  }
  // At the end of the order mode 1 falls back to the smaller entry.
  ASSERT_TRUE(block->FindExact(2, KeyString("E         ")).ok());
  const Bookmark last = block->SavePosition(2);
  ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNone).ok());
  ASSERT_TRUE(block->RestorePosition(last, 1).ok());
  EXPECT_EQ(Name(), "A");
  EXPECT_EQ(block->RestorePosition(last, 2).code, err::kRestoreNotFound);
}

TEST_F(FileBlockTest, InUseLeftSetReorganisesAndRebuildsAtTheNextOpen) {
  DefineTestFile();
  for (const char* n : {"A", "B", "C", "D"}) ASSERT_TRUE(Insert(n).ok());
  ASSERT_TRUE(block->ReadRecordByRef(2).ok());
  ASSERT_TRUE(block->RemoveRecord(RemoveMode::kNone).ok());
  Restart();
  auto dat = ReadAll(File(".DAT"));
  dat[20] = 1;  // as a crash leaves it
  WriteAll(File(".DAT"), dat);
  DefineTestFile();
  EXPECT_EQ(block->RecordCount(), 3);
  std::vector<std::string> names;
  ASSERT_TRUE(block->MoveFirst(2).ok());
  do {
    names.push_back(Name());
  } while (block->MoveNext(2).ok());
  EXPECT_EQ(names, (std::vector<std::string>{"A", "C", "D"}));
  ASSERT_TRUE(block->ReadRecordByRef(3).ok());  // RecordRefs are 1..3 now
  EXPECT_EQ(Name(), "D");
  EXPECT_FALSE(FileExists(File(".SAV")));
  EXPECT_TRUE(questions.empty());
  EXPECT_TRUE(fatal.codes.empty());
  ExpectSound();
}

TEST_F(FileBlockTest, MissingIndexFileIsRebuiltSilently) {
  DefineTestFile();
  for (const char* n : {"A", "B"}) ASSERT_TRUE(Insert(n).ok());
  Restart();
  std::filesystem::remove(File(".IX"));
  DefineTestFile();
  ASSERT_TRUE(block->FindExact(2, KeyString("B         ")).ok());
  EXPECT_TRUE(questions.empty());
  EXPECT_TRUE(fatal.codes.empty());
  ExpectSound();
}

TEST_F(FileBlockTest, RebuildDropsRecordsWhoseUniqueKeyIsTakenAndReportsThem) {
  DefineTestFile();  // names may repeat here
  for (const char* n : {"A", "B", "A"}) ASSERT_TRUE(Insert(n).ok());
  Restart();
  // The same file now declared with unique names: the definitions differ.
  DefineTestFile("TEST", /*uniqueNames=*/true);
  EXPECT_EQ(block->RecordCount(), 2);
  EXPECT_EQ(block->ReadRecordByRef(3).code, err::kRecordDeleted);
  const auto msg = ReadAll(File(".MSG"));
  const std::string text(msg.begin(), msg.end());
  const std::string head =
      "Key:<A         > KeyNr: 2 Ref: 3 not added\r\n"
      "Data record deleted - Dump follows\r\n";
  ASSERT_EQ(text.size(), head.size() + kTestRecLen + 4) << text;
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_EQ(text.substr(head.size() + 8, 2), "\x01" "A");  // the dumped record
  EXPECT_EQ(text.substr(head.size() + kTestRecLen), "\r\n\r\n");
  ExpectSound();
}

TEST_F(FileBlockTest, ConversionLeftoverIsPutBackAtDefinition) {
  DefineTestFile();
  ASSERT_TRUE(Insert("A").ok());
  Restart();
  std::filesystem::rename(File(".DAT"), File(".ALT"));
  WriteAll(File(".DAT"), {});
  // Found in the data folder, whatever the working directory is.
  DefineTestFile();
  EXPECT_FALSE(FileExists(File(".ALT")));
  EXPECT_FALSE(FileExists(File(".IX")));
  ASSERT_TRUE(block->FindExact(2, KeyString("A         ")).ok());
  ExpectSound();
}

TEST_F(FileBlockTest, SavBesideDatIsFinishedFromTheSavKeepingThePartialFileAside) {
  DefineTestFile();
  ASSERT_TRUE(Insert("A").ok());
  ASSERT_TRUE(Insert("B").ok());
  Restart();
  // A reorganisation died after writing the first slot of the new file.
  std::filesystem::rename(File(".DAT"), File(".SAV"));
  const auto sav = ReadAll(File(".SAV"));
  WriteAll(File(".DAT"), std::vector<std::uint8_t>(sav.begin(), sav.begin() + 2 * kTestRecLen));
  std::filesystem::remove(File(".IX"));
  DefineTestFile();
  EXPECT_EQ(block->RecordCount(), 2);
  EXPECT_TRUE(fatal.codes.empty());
  EXPECT_FALSE(FileExists(File(".SAV")));
  EXPECT_EQ(ReadAll(File(".REO")).size(), 2u * kTestRecLen);
  ASSERT_TRUE(block->FindExact(2, KeyString("B         ")).ok());
  ExpectSound();
}

TEST_F(FileBlockTest, ZeroLengthDatBesideSavInTheDataFolderIsFinishedFromTheSav) {
  DefineTestFile();
  ASSERT_TRUE(Insert("A").ok());
  Restart();
  std::filesystem::rename(File(".DAT"), File(".SAV"));
  WriteAll(File(".DAT"), {});
  DefineTestFile();  // the data folder is not the working directory here
  EXPECT_EQ(block->RecordCount(), 1);
  EXPECT_TRUE(fatal.codes.empty());
  EXPECT_FALSE(FileExists(File(".SAV")));
  ExpectSound();
}

TEST_F(FileBlockTest, DamagedIndexPageIsFatalLogsAndDropsTheIndexFile) {
  DefineTestFile();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(Insert("N" + std::to_string(i)).ok());
  Restart();
  // An impossible item count on the root page of index 2 (row 1, after index 1's slot).
  auto ix = ReadAll(File(".IX"));
  const std::size_t rowSize = 874 + 1184;
  ix[rowSize + 874] = 0xFF;
  ix[rowSize + 874 + 1] = 0xFF;
  WriteAll(File(".IX"), ix);
  DefineTestFile();
  EXPECT_EQ(block->FindExact(2, KeyString("N3        ")).code, err::kShortRead);
  ASSERT_EQ(fatal.codes, std::vector<int>{err::kShortRead});
  EXPECT_EQ(fatal.messages[0].substr(0, fatal.messages[0].find('\n')), "Fehlercode:    10070");
  EXPECT_NE(fatal.messages[0].find("M\xF6gliche Fehlerursache: Indexdatei defekt."),
            std::string::npos);
  EXPECT_FALSE(FileExists(File(".IX")));
  const auto log = ReadAll(dir / "VAZ.ERR");
  EXPECT_EQ(std::string(log.begin(), log.end()),
            "\r\n*->  15/06/2009  12:05\r\n     Fileblock  " + (dir / "TEST").string() +
                "\r\n     - Err: 10070\r\n");
  // The next start rebuilds the index.
  Restart();
  DefineTestFile();
  ASSERT_TRUE(block->FindExact(2, KeyString("N3        ")).ok());
  ExpectSound();
}

TEST_F(FileBlockTest, DefinitionErrors) {
  const KeyBuilder keys = TestKeys;
  struct Case {
    std::string name;
    std::string path;
    int recLen;
    int indexes;
    bool withKeys;
    int code;
  } cases[] = {
      {"", "P", 40, 1, true, err::kNoName},
      {"P", "", 40, 1, true, err::kNoPath},
      {"P", "P", 20, 1, true, err::kRecLenTooSmall},
      {"P", "P", 40, 111, true, err::kTooManyIndexes},
      {"P", "P", 40, 1, false, err::kNoKeyBuilder},
  };
  for (const Case& c : cases) {
    fatal.codes.clear();
    EXPECT_EQ(engine->DefineFileBlock(c.name, c.path, c.recLen, c.indexes,
                                      c.withKeys ? keys : KeyBuilder{}, nullptr, 32, true),
              nullptr);
    EXPECT_EQ(engine->LastErrors().Code(), c.code) << c.code;
  }
  DefineTestFile();
  EXPECT_EQ(engine->FindFileBlock("test"), block);
  EXPECT_EQ(engine->DefineFileBlock("Test", "X", 40, 0, nullptr, nullptr, 32, true), nullptr);
  EXPECT_EQ(engine->LastErrors().Code(), err::kNameExists);
  struct IndexCase {
    int index, keyLen, code;
  } indexCases[] = {{3, 5, err::kIndexNumberRange},
                    {1, 51, err::kKeyLenAbove50},
                    {1, 0, err::kKeyLenZero}};
  for (const IndexCase& c : indexCases) {
    EXPECT_EQ(block->DefineIndex(c.index, c.keyLen, false).code, c.code);
  }
  EXPECT_EQ(block->SetAutoNumberField(1, 37).code, err::kAutoFieldOutside);
  EXPECT_EQ(block->SetAutoNumberField(2, 4).code, err::kAutoKeyMismatch);
}

TEST_F(FileBlockTest, ManyFilesShareTheHandlePool) {
  std::vector<FileBlock*> blocks;
  for (int f = 0; f < 20; ++f) {
    DefineTestFile("F" + std::to_string(f));
    blocks.push_back(block);
  }
  for (int round = 0; round < 3; ++round) {
    for (FileBlock* b : blocks) {
      block = b;
      ASSERT_TRUE(Insert("R" + std::to_string(round)).ok());
    }
  }
  for (FileBlock* b : blocks) {
    block = b;
    EXPECT_EQ(block->RecordCount(), 3);
    ExpectSound();
  }
  EXPECT_TRUE(fatal.codes.empty());
}

TEST_F(FileBlockTest, BulkLoadBuildsTheIndexesAtTheEnd) {
  DefineTestFile();
  ASSERT_TRUE(block->BeginBulkLoad().ok());
  const char* names[] = {"M", "C", "X", "A", "C"};
  for (const char* n : names) ASSERT_TRUE(Insert(n).ok());
  EXPECT_EQ(Number(), 5);
  ASSERT_TRUE(block->EndBulkLoad().ok());
  ExpectSound();
  std::vector<std::string> order;
  ASSERT_TRUE(block->MoveFirst(2).ok());
  do {
    order.push_back(Name() + std::to_string(Number()));
  } while (block->MoveNext(2).ok());
  EXPECT_EQ(order, (std::vector<std::string>{"A4", "C2", "C5", "M1", "X3"}));
  // Afterwards the file is an ordinary file again.
  ASSERT_TRUE(Insert("B").ok());
  EXPECT_EQ(Number(), 6);
  ExpectSound();
  // Only an empty file can be bulk loaded.
  EXPECT_EQ(block->BeginBulkLoad().code, err::kBulkLoadNotEmpty);
  EXPECT_EQ(fatal.codes, std::vector<int>{err::kBulkLoadNotEmpty});
}

TEST_F(FileBlockTest, BulkLoadCutShortIsCompletedAtTheNextOpen) {
  DefineTestFile();
  ASSERT_TRUE(block->BeginBulkLoad().ok());
  for (const char* n : {"K", "B"}) ASSERT_TRUE(Insert(n).ok());
  Restart();  // the program ends before EndBulkLoad
  DefineTestFile();
  ASSERT_TRUE(block->FindExact(2, KeyString("K         ")).ok());
  EXPECT_EQ(block->RecordCount(), 2);
  EXPECT_TRUE(fatal.codes.empty());
  ExpectSound();
}

TEST_F(FileBlockTest, FilesWrittenInOtherLetterCaseAreFound) {
  DefineTestFile();
  for (const char* n : {"A", "B"}) ASSERT_TRUE(Insert(n).ok());
  Restart();
  std::filesystem::rename(File(".DAT"), dir / "test.dat");
  std::filesystem::rename(File(".IX"), dir / "Test.Ix");
  DefineTestFile();
  EXPECT_EQ(block->RecordCount(), 2);
  ASSERT_TRUE(block->FindExact(2, KeyString("B         ")).ok());
  ExpectSound();
  Restart();
  EXPECT_FALSE(FileExists(File(".DAT")));  // no second, empty file beside it
  EXPECT_TRUE(FileExists(dir / "test.dat"));
}

TEST(LogicalNameTest, CaseAndOemUmlautsFold) {
  EXPECT_TRUE(SameLogicalName("KVLK0001", "kvlk0001"));
  EXPECT_TRUE(SameLogicalName("\x81\x84\x94", "\x9A\x8E\x99"));  // üäö as ÜÄÖ
  EXPECT_FALSE(SameLogicalName("KVLK0001", "KVLK0002"));
  EXPECT_FALSE(SameLogicalName("\xFC", "\xDC"));  // Windows letters do not fold
}

TEST(KeyEncodingTest, LongKeysSortLikeNumbers) {
  struct Case {
    std::int32_t value;
    std::array<std::uint8_t, 5> bytes;
  } cases[] = {{0, {0x81, 0x80, 0x80, 0x80, 0x80}},
               {1, {0x81, 0x80, 0x80, 0x80, 0x81}},
               {-1, {0x71, 0xFF, 0xFF, 0xFF, 0xFF}}};
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeLongKey(c.value), c.bytes);
    EXPECT_EQ(DecodeLongKey(c.bytes.data()), c.value);
  }
  const std::int32_t values[] = {INT32_MIN, -99999999, -65536, -129, -1, 0, 1, 127, 128, 255,
                                 256, 65535, 99999999, INT32_MAX};
  for (std::size_t i = 0; i + 1 < std::size(values); ++i) {
    KeyString a, b;
    a.AppendLong(values[i]);
    b.AppendLong(values[i + 1]);
    EXPECT_LT(a, b) << values[i];
    EXPECT_EQ(DecodeLongKey(a.data()), values[i]);
  }
  EXPECT_EQ(BigEndianKey4(0x01020304), (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
  EXPECT_LT(KeyString("AB"), KeyString("AB "));
}

}  // namespace
}  // namespace korv::testing
