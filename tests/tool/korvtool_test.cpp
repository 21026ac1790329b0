#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "common/coding.h"
#include "common/dates.h"
#include "files/catalogue.h"
#include "files/contest_header.h"
#include "files/setup.h"
#include "files/setup_record.h"
#include "platform/platform.h"
#include "refdata/prefix_record.h"
#include "storage/engine.h"
#include "support/test_support.h"
#include "tool/korvtool.h"
#include "tool/tool_run.h"
#include "tool/record_text.h"

namespace korv::tool {
namespace {


Outcome RunWith(const std::vector<std::string>& args) { return RunInChild(args); }

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

TEST(KorvtoolTest, HelpAndVersionSucceedOnStdout) {
  const Outcome help = RunWith({"--help"});
  EXPECT_EQ(help.code, kExitOk);
  EXPECT_NE(help.out.find("usage: korvtool [--data DIR] COMMAND"), std::string::npos);
  EXPECT_TRUE(help.err.empty());

  const Outcome version = RunWith({"--data", ".", "--version"});
  EXPECT_EQ(version.code, kExitOk);
  EXPECT_NE(version.out.find("Korv DEZ Version 2006-1.0"), std::string::npos);
}

TEST(KorvtoolTest, HelpListsTheCommandsOfThisVersion) {
  const Outcome help = RunWith({"--help"});
  for (const char* command : {"check [FILE...]", "dump FILE [--limit N]", "prefix import-cty FILE",
                              "prefix resolve CALL [DATE]"}) {
    EXPECT_TRUE(Contains(help.out, command)) << command;
  }
}

TEST(KorvtoolTest, BadArgumentsAreRefusedWithAReason) {
  const std::string missingDir =
      (std::filesystem::temp_directory_path() / "korvtool-no-such-dir-4711").string();
  struct Case {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{}, "no command given"},
      {{"--data"}, "--data needs a directory"},
      {{"--data", missingDir, "logs"}, "data directory not found"},
      {{"frobnicate"}, "unknown command: frobnicate"},
  };
  for (const Case& c : cases) {
    const Outcome o = RunWith(c.args);
    EXPECT_EQ(o.code, kExitRefused) << c.reason;
    EXPECT_NE(o.err.find(c.reason), std::string::npos) << o.err;
    EXPECT_TRUE(o.out.empty());
  }
}

TEST(KorvtoolTest, RecordTextsAreQuotedUtf8WithEscapes) {
  struct Case {
    std::string cp1252, shown;
  } cases[] = {
      {"DL1ABC", "\"DL1ABC\""},
      {"", "\"\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"a\\b", "\"a\\\\b\""},
      {"M\xFCller \x80", "\"M\xC3\xBCller \xE2\x82\xAC\""},
      {std::string("\x00\x01\t\x7F", 4), "\"\\x00\\x01\\x09\\x7F\""},
      {"\x81\x9D", "\"\\x81\\x9D\""},  // undefined in Windows-1252
  };
  for (const Case& c : cases) EXPECT_EQ(Quoted(c.cp1252), c.shown) << c.shown;
}

// ---------------------------------------------------------------------------
// Commands over a data directory of their own.

using Record = std::vector<std::uint8_t>;

DayNumber D(int y, int m, int d) {
  return DayNumberFromCivil({y, m, d});
}

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = korv::testing::MakeTempDir("korvtool");
    ASSERT_FALSE(dir.empty());
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

 public:  // the damage cases of a table reach these through a ToolTest&
  Outcome Tool(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data", dir.string()});
    return RunWith(args);
  }

  // Opens a file through a catalogue of its own engine, runs fill on it and
  // stops the engine again (files flushed and closed), as the program does.
  void WithFile(SharedFile file, std::int32_t logNumber,
                const std::function<void(FileBlock&)>& fill = {},
                const SuffixTable& suffixes = DefaultSuffixTable()) {
    korv::testing::RecordingFatalHandler fatal;
    EngineOptions options;
    options.dataDirectory = dir;
    options.fatalHandler = &fatal;
    options.sleep = [](int) {};
    StorageEngine engine(options);
    ASSERT_TRUE(engine.InitFileManager(160, 32).ok());
    {
      FileCatalogue catalogue(engine, suffixes);
      FileBlock* block = catalogue.Open(file, logNumber);
      ASSERT_NE(block, nullptr);
      ASSERT_GE(block->RecordCount(), 0);  // creates the files
      if (fill) fill(*block);
      catalogue.Release(file, logNumber);
    }
    EXPECT_TRUE(engine.DoneFileManager().ok());
    EXPECT_TRUE(fatal.codes.empty());
  }

  static void Insert(FileBlock& block, const std::function<void(Bytes)>& set) {
    block.ClearRecordBuffer();
    set(block.Record());
    ASSERT_TRUE(block.InsertRecord().ok());
  }

  // The prefix "Y2" of the former GDR, valid until 02.10.1990; rangeEnd '9'
  // makes it cover Y2 to Y9, 0 leaves it without range.
  void AddGdrPrefix(char rangeEnd) {
    WithFile(SharedFile::kPrefixes, 0, [rangeEnd](FileBlock& p) {
      Insert(p, [rangeEnd](Bytes r) {
        PrefixRecord rec;
        rec.SetPrefix("Y2");
        rec.SetDxccPrefix("DM");
        rec.SetCqZone("14");
        rec.SetItuZone("28");
        rec.SetContinent("EU");
        rec.SetCountry("German Dem. Rep.");
        rec.SetEntityNumber(229);
        rec.SetValidUntil(D(1990, 10, 2));
        if (rangeEnd != 0) rec.SetRangeEnd(rangeEnd);
        rec.CopyTo(r);
      });
    });
  }

  static void AddHeader(FileBlock& kk, std::string_view name) {
    Insert(kk, [name](Bytes r) {
      ContestHeader h = *ContestHeader::Over(r);
      h.MarkCreated();
      h.SetName(name);
      h.SetStartDate(D(2024, 6, 1));
      h.SetEndDate(D(2024, 6, 2));
      h.SetStartTime(12 * 3600);
      h.SetEndTime(13 * 3600 + 30 * 60);
      h.SetOwnCall("DL1ABC");
      h.SetDok("N01");
      h.SetLocator("JO31MM");
      h.SetContestCode('3');
      h.SetParticipationType(2);
      h.SetDateAutomatic(kHeaderByteOn);
      h.SetTimeAutomatic(kHeaderByteOn);
      h.SetStartModeSsb(kHeaderByteOn);
      (void)h.SetQsoCount(1, 12);
      (void)h.SetPoints(1, 36);
    });
  }

  // The contest directory with three headers.
  void MakeContestDirectory() {
    WithFile(SharedFile::kContestDirectory, 0, [](FileBlock& kk) {
      AddHeader(kk, "Alpha");
      AddHeader(kk, "Bravo");
      AddHeader(kk, "Charlie");
    });
  }

  Record ReadBytes(const std::string& name) const {
    std::ifstream in(dir / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void WriteBytes(const std::string& name, const Record& bytes) const {
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(dir / name); }

  void WriteText(const std::string& name, const std::string& text) const {
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out << text;
  }

  std::filesystem::path dir;
};

// --- check -------------------------------------------------------------------

TEST_F(ToolTest, CheckReportsEveryFileOfAFreshDataDirectorySound) {
  for (int i = 0; i < kSharedFileCount; ++i) {
    // KVPRO belongs to the logbook: this program never creates it.
    if (static_cast<SharedFile>(i) != SharedFile::kProfiles) WithFile(static_cast<SharedFile>(i), 1);
  }
  WithFile(SharedFile::kContestDirectory, 0, [](FileBlock& kk) { AddHeader(kk, "Alpha"); });

  const Outcome all = Tool({"check"});
  EXPECT_EQ(all.code, kExitOk) << all.out << all.err;
  EXPECT_EQ(all.out,
            "ok  KVCALL  0 records\n"
            "ok  KVCBUCH  0 records\n"
            "ok  KVCNOTE  0 records\n"
            "ok  KVKK  1 records\n"
            "ok  KVKZ  0 records\n"
            "ok  KVLK0001  0 records\n"
            "ok  KVLKTEMP  0 records\n"
            "ok  KVLNOTE  0 records\n"
            "ok  KVPREFEE  0 records\n"
            "ok  KVPREFES  0 records\n"
            "ok  KVPREFIX  0 records\n"
            "ok  KVQSLVIA  0 records\n"
            "ok  KVSETUP  0 records\n"
            "ok  KVSETUP2  0 records\n");
  EXPECT_TRUE(all.err.empty()) << all.err;

  // Named files in the order given, in any letter case, with or without .DAT.
  const Outcome named = Tool({"check", "kvlk0001.dat", "KvKk", "KVPREFIX.DAT"});
  EXPECT_EQ(named.code, kExitOk);
  EXPECT_EQ(named.out, "ok  KVLK0001  0 records\nok  KVKK  1 records\nok  KVPREFIX  0 records\n");
}

TEST_F(ToolTest, CheckOfAnEmptyDirectoryFindsNothingToReport) {
  const Outcome o = Tool({"check"});
  EXPECT_EQ(o.code, kExitOk);
  EXPECT_TRUE(o.out.empty()) << o.out;
  EXPECT_TRUE(Contains(o.err, "no KV*.DAT file")) << o.err;
}

// What a damaged file gives: the engine repairs what it repairs at every open
// (then the file is sound), the rest is reported. KVKK's index file: index 1
// (key length 26) is first in every row; a row holds one page per index.
constexpr std::size_t kKkPageBytes[] = {6 + 62 * (26 + 9), 6 + 62 * (5 + 9), 6 + 62 * (5 + 9),
                                        6 + 62 * (1 + 9), 6 + 62 * (25 + 9)};
constexpr std::size_t kKkRowSize =
    kKkPageBytes[0] + kKkPageBytes[1] + kKkPageBytes[2] + kKkPageBytes[3] + kKkPageBytes[4];

std::size_t RootOfIndex1(const Record& ix) {
  return static_cast<std::size_t>(GetI32(ConstBytes{ix}, 16)) * kKkRowSize;
}

TEST_F(ToolTest, CheckLetsTheEngineRepairAndReportsWhatItCannot) {
  struct Case {
    std::string what;
    std::function<void(ToolTest&)> damage;
    int code;
    std::string line;
  } cases[] = {
      {"InUse left set",
       [](ToolTest& t) {
         Record dat = t.ReadBytes("KVKK.DAT");
         dat[20] = 1;
         t.WriteBytes("KVKK.DAT", dat);
       },
       kExitOk, "ok  KVKK  3 records\n"},
      {"index file missing", [](ToolTest& t) { std::filesystem::remove(t.dir / "KVKK.IX"); },
       kExitOk, "ok  KVKK  3 records\n"},
      {"index file cut short",
       [](ToolTest& t) {
         Record ix = t.ReadBytes("KVKK.IX");
         ix.resize(100);
         t.WriteBytes("KVKK.IX", ix);
       },
       kExitOk, "ok  KVKK  3 records\n"},
      {"a key of index 1 that no longer matches its record",
       [](ToolTest& t) {
         Record ix = t.ReadBytes("KVKK.IX");
         // Entry 1 of the root: ref, right child, length, then code + name
         // (the name from 6 + 9 + 1): "Alpha" becomes "Almha", still in order.
         ix[RootOfIndex1(ix) + 6 + 9 + 1 + 2] = 'm';
         t.WriteBytes("KVKK.IX", ix);
       },
       kExitFailure,
       "BAD KVKK  index 1 key of record 1 differs from the key built from the record\n"},
      {"a key of index 1 out of order",
       [](ToolTest& t) {
         Record ix = t.ReadBytes("KVKK.IX");
         ix[RootOfIndex1(ix) + 6 + 9 + 1] = 'Z';  // "Alpha" becomes "Zlpha"
         t.WriteBytes("KVKK.IX", ix);
       },
       kExitFailure, "BAD KVKK  index 1: page 1 entry 2 out of order\n"},
      {"item count of index 1's root damaged",
       [](ToolTest& t) {
         Record ix = t.ReadBytes("KVKK.IX");
         PutU16(Bytes{ix}, RootOfIndex1(ix), 0x7FFF);
         t.WriteBytes("KVKK.IX", ix);
       },
       kExitFailure, "BAD KVKK  index 1: page 1: item count out of range\n"},
      {"data file cut inside the last record",
       [](ToolTest& t) {
         Record dat = t.ReadBytes("KVKK.DAT");
         dat.resize(dat.size() - 100);
         t.WriteBytes("KVKK.DAT", dat);
       },
       kExitOk, "ok  KVKK  2 records\n"},  // the reorganisation drops the cut record
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directory(dir);
    MakeContestDirectory();
    c.damage(*this);
    const Outcome o = Tool({"check", "KVKK"});
    EXPECT_EQ(o.code, c.code) << o.out << o.err;
    EXPECT_EQ(o.out, c.line) << o.err;
    // A second check sees what the first one left.
    const Outcome again = Tool({"check", "KVKK"});
    EXPECT_EQ(again.out, o.out);
  }
}

TEST_F(ToolTest, CheckBuildsQsoKeysWithTheSuffixTableOfTheSetupRecord) {
  // "QRP" as a suffix: the base call of K1A/QRP is K1A, not QRP (of two parts
  // of one length the second is the base call).
  Record setupRecord(kSetupRecLen, 0);
  PutShortText(Bytes{setupRecord}, setup_layout::kSuffixTable, setup_layout::kSuffixCapacity,
               "QRP");
  PutU8(Bytes{setupRecord}, setup_layout::kSuffixTable + setup_layout::kSuffixCode, 1);
  ProgramSettings settings;
  ReadSetupRecord(ConstBytes{setupRecord}, D(2024, 6, 1), settings);
  ASSERT_NE(settings.suffixes, DefaultSuffixTable());

  WithFile(SharedFile::kSetup, 0, [&setupRecord](FileBlock& setup) {
    Insert(setup, [&setupRecord](Bytes r) {
      std::copy(setupRecord.begin() + 8, setupRecord.end(), r.begin() + 8);
    });
  });
  WithFile(
      SharedFile::kQsoLog, 1,
      [](FileBlock& lk) { Insert(lk, [](Bytes r) { PutShortText(r, 8, 12, "K1A/QRP"); }); },
      settings.suffixes);
  const Outcome o = Tool({"check", "KVLK0001", "KVSETUP"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(o.out, "ok  KVLK0001  1 records\nok  KVSETUP  1 records\n");
}

TEST_F(ToolTest, CheckClearsTheInUseMarkItRepaired) {
  MakeContestDirectory();
  Record dat = ReadBytes("KVKK.DAT");
  dat[20] = 1;
  WriteBytes("KVKK.DAT", dat);
  ASSERT_EQ(Tool({"check", "KVKK"}).code, kExitOk);
  EXPECT_EQ(ReadBytes("KVKK.DAT")[20], 0);
}

TEST_F(ToolTest, CheckReportsNamesItCannotCheckAndCreatesNothing) {
  MakeContestDirectory();
  WriteText("KVFOO.DAT", "not ours");
  struct Case {
    std::string name;
    std::string line;
  } cases[] = {
      {"KVFOO", "BAD KVFOO  not a file of this program\n"},
      {"KVLK7", "BAD KVLK7  not a file of this program\n"},
      {"KVLK00012", "BAD KVLK00012  not a file of this program\n"},
      {"KVKK.IX", "BAD KVKK.IX  not a file of this program\n"},
      {"../KVKK", "BAD ../KVKK  not a file of this program\n"},
      {"KVCALL", "BAD KVCALL  no such file\n"},
      {"kvlk0003.dat", "BAD KVLK0003  no such file\n"},
  };
  for (const Case& c : cases) {
    const Outcome o = Tool({"check", c.name});
    EXPECT_EQ(o.code, kExitFailure) << c.name;
    EXPECT_EQ(o.out, c.line);
  }
  EXPECT_FALSE(Exists("KVCALL.DAT"));
  EXPECT_FALSE(Exists("KVLK0003.DAT"));

  // One bad name spoils the result, the others are still checked.
  const Outcome mixed = Tool({"check", "KVFOO", "KVKK"});
  EXPECT_EQ(mixed.code, kExitFailure);
  EXPECT_EQ(mixed.out, "BAD KVFOO  not a file of this program\nok  KVKK  3 records\n");

  // The default run lists every KV*.DAT, ours or not.
  const Outcome all = Tool({"check"});
  EXPECT_EQ(all.code, kExitFailure);
  EXPECT_EQ(all.out, "BAD KVFOO  not a file of this program\nok  KVKK  3 records\n");
}

TEST_F(ToolTest, CheckOpensAFileStoredInOtherLetterCase) {
  MakeContestDirectory();
  std::filesystem::rename(dir / "KVKK.DAT", dir / "kvkk.dat");
  std::filesystem::rename(dir / "KVKK.IX", dir / "kvkk.ix");
  const std::string line = "ok  KVKK  3 records\n";
  const Outcome named = Tool({"check", "KVKK"});
  EXPECT_EQ(named.code, kExitOk) << named.err;
  EXPECT_EQ(named.out, line);
  const Outcome all = Tool({"check"});
  EXPECT_EQ(all.code, kExitOk) << all.err;
  EXPECT_EQ(all.out, line);
  EXPECT_FALSE(Exists("KVKK.DAT"));  // no second, empty file beside it
}

TEST_F(ToolTest, CheckPrintsTheFatalMessageOfTheEngine) {
  // A KVKK whose header declares another record length: the engine gives up.
  MakeContestDirectory();
  Record dat = ReadBytes("KVKK.DAT");
  PutI32(Bytes{dat}, 12, 100);
  WriteBytes("KVKK.DAT", dat);
  WithFile(SharedFile::kPrefixes, 0);
  const Outcome o = Tool({"check", "KVKK", "KVPREFIX"});
  EXPECT_EQ(o.code, kExitFailure);
  // The fatal error ends the command, as it ends the program.
  EXPECT_EQ(o.out, "BAD KVKK  fatal storage error (its message is on stderr)\n");
  EXPECT_TRUE(Contains(o.err, "Fehlercode:")) << o.err;
  EXPECT_TRUE(Contains(o.err, "Das Programm wird abgebrochen.")) << o.err;

  const Outcome dump = Tool({"dump", "KVKK"});
  EXPECT_EQ(dump.code, kExitFailure);
  EXPECT_TRUE(dump.out.empty()) << dump.out;
  EXPECT_TRUE(Contains(dump.err, "Fehlercode:")) << dump.err;
}

// --- dump --------------------------------------------------------------------

TEST_F(ToolTest, DumpPrintsAContestHeaderByFieldName) {
  WithFile(SharedFile::kContestDirectory, 0, [](FileBlock& kk) { AddHeader(kk, "Fr\xFChling"); });
  const Outcome o = Tool({"dump", "KVKK"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(o.out,
            "ref=1 number=1 name=\"Fr\xC3\xBChling\" start=01.06.2024 end=02.06.2024 from=12:00 "
            "to=13:30 call=\"DL1ABC\" dok=\"N01\" ldk=\"\" locator=\"JO31MM\" postcode=\"\" "
            "code=\"3\" type=2 category=0 startMode=SSB dateAuto=on timeAuto=on bandAuto=off "
            "rstSentFree=off rstRcvdFree=off locked=off qslSent=\"\" qslRcvd=\"\" "
            "qsos=12,0,0,0,0,0,0 multipliers=0,0,0,0,0,0,0 multipliers2=0,0,0,0,0,0,0 "
            "multipliers3=0,0,0,0,0,0,0 points=36,0,0,0,0,0,0 totalsInTotalsRecord=off "
            "equipment=\"\"\n");
}

TEST_F(ToolTest, DumpListsLiveRecordsInRecordRefOrderUpToTheLimit) {
  MakeContestDirectory();
  WithFile(SharedFile::kContestDirectory, 0, [](FileBlock& kk) {
    KeyString key;
    key.AppendLong(2);
    ASSERT_TRUE(kk.FindExact(3, key).ok());
    ASSERT_TRUE(kk.RemoveRecord(RemoveMode::kNone).ok());
    AddHeader(kk, "Delta");  // takes the free slot 2
    AddHeader(kk, "Echo");
  });
  auto refsAndNames = [](const std::string& out) {
    std::string summary;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
      const std::size_t name = line.find("name=\"");
      summary += line.substr(0, line.find(' ')) + " " +
                 line.substr(name + 6, line.find('"', name + 6) - name - 6) + ";";
    }
    return summary;
  };
  const Outcome all = Tool({"dump", "kvkk.dat"});
  EXPECT_EQ(all.code, kExitOk);
  EXPECT_EQ(refsAndNames(all.out), "ref=1 Alpha;ref=2 Delta;ref=3 Charlie;ref=4 Echo;");
  const Outcome two = Tool({"dump", "KVKK", "--limit", "2"});
  EXPECT_EQ(refsAndNames(two.out), "ref=1 Alpha;ref=2 Delta;");
  const Outcome one = Tool({"dump", "--limit=1", "KVKK"});
  EXPECT_EQ(refsAndNames(one.out), "ref=1 Alpha;");

  // A deleted slot in the middle is passed over.
  WithFile(SharedFile::kContestDirectory, 0, [](FileBlock& kk) {
    KeyString key;
    key.AppendLong(3);
    ASSERT_TRUE(kk.FindExact(3, key).ok());
    ASSERT_TRUE(kk.RemoveRecord(RemoveMode::kNone).ok());
  });
  EXPECT_EQ(refsAndNames(Tool({"dump", "KVKK"}).out), "ref=1 Alpha;ref=2 Delta;ref=4 Echo;");
}

TEST_F(ToolTest, DumpPrintsTheQsoFields) {
  WithFile(SharedFile::kQsoLog, 7, [](FileBlock& lk) {
    Insert(lk, [](Bytes r) {
      PutShortText(r, 8, 12, "DL1ABC/P");
      PutShortText(r, 21, 6, "JO31MM");
      PutI32(r, 28, D(2024, 6, 1));
      PutI32(r, 32, 8 * 3600 + 5 * 60 + 9);
      PutShortText(r, 36, 6, "CW");
      PutShortText(r, 173, 9, "599001");
      PutShortText(r, 183, 9, "599 N01/1");
      PutShortText(r, 197, 2, "23");
      PutShortText(r, 207, 2, "45");
      PutShortText(r, 51, 7, "6789");
      PutShortText(r, 125, 6, "N01");
      PutShortText(r, 194, 2, "XY");
      PutShortText(r, 77, 6, "DL");
      PutShortText(r, 122, 2, "EU");
      PutU8(r, 132, 'b');
      PutI32(r, 133, 4);
      PutU16(r, 137, 3);
      PutShortText(r, 153, 6, "N01");
      PutI32(r, 166, 17);
      PutF32(r, 203, 3.525f);
      PutU8(r, 193, 'N');
      PutU16(r, 213, 9);
    });
  });
  const Outcome o = Tool({"dump", "KVLK0007"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(o.out,
            "ref=1 serial=17 record=1 call=\"DL1ABC/P\" date=01.06.2024 time=08:05:09 band=80m "
            "mode=\"CW\" freq=3,525 sent=\"599001\" rcvd=\"599 N01/123456789\" dok=\"N01XY\" "
            "locator=\"JO31MM\" prefix=\"DL\" altPrefix=\"\" continent=\"EU\" area=\"\" points=3 "
            "multi1=\"N01\" multi2=\"\" multi3=\"\" nameQth=\"\" km=0 bandNo=4 bandNo2=0 modeNo=9 "
            "qslSend=\"N\" qslRcvd=\"\" marked=0 dxccFixed=0\n");
}

TEST_F(ToolTest, DumpPrintsSetupAndPrefixFieldsAndOtherRecordsAsHex) {
  WithFile(SharedFile::kSetup, 0, [](FileBlock& setup) {
    Insert(setup, [](Bytes r) {
      PutShortText(r, setup_layout::kOwnCall, 14, "DL1ABC");
      PutShortText(r, setup_layout::kName, 50, "Hans \"Hansi\" M\xFCller");
      PutShortText(r, setup_layout::kPostcodeTown, 50, "12345 Musterstadt");
      PutShortText(r, setup_layout::kDok, 10, "N01");
    });
  });
  const Outcome setup = Tool({"dump", "KVSETUP"});
  EXPECT_EQ(setup.code, kExitOk);
  EXPECT_TRUE(Contains(setup.out,
                       "ref=1 record=1 call=\"DL1ABC\" swl=\"\" locator=\"\" "
                       "name=\"Hans \\\"Hansi\\\" M\xC3\xBCller\" street=\"\" "
                       "postcode=\"12345\" town=\"Musterstadt\" country=\"\" "
                       "dok=\"N01\""))
      << setup.out;

  AddGdrPrefix('9');
  const Outcome prefix = Tool({"dump", "KVPREFIX"});
  EXPECT_EQ(prefix.code, kExitOk);
  EXPECT_EQ(prefix.out,
            "ref=1 prefix=\"Y2\" dxcc=\"DM\" qualifier=\"\" cq=\"14\" itu=\"28\" continent=\"EU\" "
            "country=\"German Dem. Rep.\" countryCode=\"\" entity=229 alt=\"\" validFrom=- "
            "validUntil=02.10.1990 rangeEnd=\"9\" reference=\"\" period1=- period1Prefix=\"\" "
            "period2=- period2Prefix=\"\" kind=\"\" callBeginning=\"\"\n");

  WithFile(SharedFile::kTotals, 0,
           [](FileBlock& kz) { Insert(kz, [](Bytes r) { PutU8(r, 8, 0xAB); }); });
  const Outcome totals = Tool({"dump", "KVKZ"});
  EXPECT_EQ(totals.code, kExitOk);
  const std::string hex = "ref=1 hex=0000000000000000AB00";
  EXPECT_EQ(totals.out.substr(0, hex.size()), hex);
  EXPECT_EQ(totals.out.size(), std::string("ref=1 hex=\n").size() + 2 * kTotalsRecLen);
}

TEST_F(ToolTest, DumpRefusesBadArguments) {
  MakeContestDirectory();
  struct Case {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{"dump"}, "no file given"},
      {{"dump", "KVFOO"}, "KVFOO: not a file of this program"},
      {{"dump", "KVCALL"}, "KVCALL: no such file"},
      {{"dump", "KVKK", "KVSETUP"}, "one file only"},
      {{"dump", "KVKK", "--limit"}, "--limit needs a number"},
      {{"dump", "KVKK", "--limit", "0"}, "--limit needs a positive number: 0"},
      {{"dump", "KVKK", "--limit", "-3"}, "--limit needs a positive number: -3"},
      {{"dump", "KVKK", "--limit", "2x"}, "--limit needs a positive number: 2x"},
      {{"dump", "KVKK", "--limit", "99999999999"}, "--limit needs a positive number"},
      {{"dump", "KVKK", "--limit="}, "--limit needs a positive number"},
      {{"dump", "KVKK", "--verbose"}, "unknown option: --verbose"},
  };
  for (const Case& c : cases) {
    const Outcome o = Tool(c.args);
    EXPECT_EQ(o.code, kExitRefused) << c.reason;
    EXPECT_TRUE(Contains(o.err, c.reason)) << c.reason << ": " << o.err;
    EXPECT_TRUE(o.out.empty()) << o.out;
  }
  EXPECT_FALSE(Exists("KVCALL.DAT"));
}

// --- prefix ------------------------------------------------------------------

// Two entities, an exact call, an island designator and a broken line.
const std::string kCountryFile =
    "DL,Fed. Rep. of Germany,230,EU,14,28,51.00,-10.00,-1.0,DA DL DR =DL0XYZ(40);\n"
    "OE,Austria,206,EU,15,28,47.33,-13.33,-1.0,OE;\r\n"
    "this line is broken\n"
    "SV/a,Mount Athos,180,EU,20,28,40.00,-24.00,-2.0,=SY2A;\n"
    "SV,Greece,236,EU,20,28,39.78,-21.78,-2.0,J4 SV SX SY SZ;\n";

TEST_F(ToolTest, PrefixImportFillsTheTablesAndResolveAnswers) {
  WriteText("cty.csv", kCountryFile);
  const Outcome imported = Tool({"prefix", "import-cty", (dir / "cty.csv").string()});
  EXPECT_EQ(imported.code, kExitOk) << imported.err;
  EXPECT_EQ(imported.out,
            "taken 12, skipped 0, broken 1\n"
            "taken: 10 prefixes (KVPREFIX), 2 exact calls (KVPREFES); skipped: 0 too long (of them 0 exact calls, "
            "kept in memory from the country file at start), "
            "0 duplicates, 0 malformed\n");

  struct Case {
    std::string call;
    int code;
    std::string line;
  } cases[] = {
      {"DL1ABC", kExitOk, "DL1ABC  DL  EU  14  28  230  Fed. Rep. of Germany\n"},
      {"dl1abc", kExitOk, "DL1ABC  DL  EU  14  28  230  Fed. Rep. of Germany\n"},
      {"DR5X", kExitOk, "DR5X  DL  EU  14  28  230  Fed. Rep. of Germany\n"},
      {"DL0XYZ", kExitOk, "DL0XYZ  DL  EU  40  28  230  Fed. Rep. of Germany\n"},
      {"OE3ABC", kExitOk, "OE3ABC  OE  EU  15  28  206  Austria\n"},
      {"SY2A", kExitOk, "SY2A  SV/A  EU  20  28  180  Mount Athos\n"},
      {"SV1ABC/A", kExitOk, "SV1ABC/A  SV/A  EU  20  28  180  Mount Athos\n"},
      {"SV1ABC", kExitOk, "SV1ABC  SV  EU  20  28  236  Greece\n"},
      {"XX1ABC", kExitRefused, "XX1ABC  unresolved\n"},
      // Maritime mobile: deliberately no country, not a failure.
      {"DL1ABC/MM", kExitOk, "DL1ABC/MM  none  maritime or aeronautical mobile: no DXCC entity\n"},
      {"", kExitRefused, "  unresolved\n"},
  };
  for (const Case& c : cases) {
    const Outcome o = Tool({"prefix", "resolve", c.call, "01.06.2024"});
    EXPECT_EQ(o.code, c.code) << c.call << o.err;
    EXPECT_EQ(o.out, c.line);
    if (c.code == kExitRefused) {
      EXPECT_TRUE(Contains(o.err, "no entry of the prefix tables matches")) << o.err;
    }
  }
  // Checked sound after the import.
  const Outcome check = Tool({"check", "KVPREFIX", "KVPREFES"});
  EXPECT_EQ(check.out, "ok  KVPREFIX  10 records\nok  KVPREFES  2 records\n");
}

TEST_F(ToolTest, PrefixImportReplacesTheTables) {
  WriteText("cty.csv", kCountryFile);
  const std::string path = (dir / "cty.csv").string();
  ASSERT_EQ(Tool({"prefix", "import-cty", path}).code, kExitOk);
  const Outcome again = Tool({"prefix", "import-cty", path});
  EXPECT_EQ(again.code, kExitOk);
  EXPECT_EQ(again.out.substr(0, again.out.find('\n')), "taken 12, skipped 0, broken 1");

  WriteText("small.csv", "OE,Austria,206,EU,15,28,47.33,-13.33,-1.0,OE;\n");
  const Outcome small = Tool({"prefix", "import-cty", (dir / "small.csv").string()});
  EXPECT_EQ(small.code, kExitOk);
  EXPECT_EQ(Tool({"check", "KVPREFIX", "KVPREFES"}).out,
            "ok  KVPREFIX  1 records\nok  KVPREFES  0 records\n");
  EXPECT_EQ(Tool({"prefix", "resolve", "DL1ABC", "01.06.2024"}).code, kExitRefused);
}

TEST_F(ToolTest, PrefixImportOfAnUnreadableFileFailsAndKeepsTheTables) {
  WriteText("cty.csv", kCountryFile);
  ASSERT_EQ(Tool({"prefix", "import-cty", (dir / "cty.csv").string()}).code, kExitOk);
  for (const std::string& path : {(dir / "missing.csv").string(), dir.string()}) {
    const Outcome o = Tool({"prefix", "import-cty", path});
    EXPECT_EQ(o.code, kExitFailure) << path;
    EXPECT_TRUE(Contains(o.err, "cannot read " + path)) << o.err;
    EXPECT_TRUE(o.out.empty());
  }
  EXPECT_EQ(Tool({"prefix", "resolve", "DL1ABC", "01.06.2024"}).code, kExitOk);

  // A readable file without a country line replaces the tables by nothing.
  WriteText("notes.txt", "this is no country file\n");
  const Outcome none = Tool({"prefix", "import-cty", (dir / "notes.txt").string()});
  EXPECT_EQ(none.code, kExitFailure);
  EXPECT_EQ(none.out.substr(0, none.out.find('\n')), "taken 0, skipped 0, broken 1");
  EXPECT_TRUE(Contains(none.err, "KVPREFIX and KVPREFES are empty now")) << none.err;
  EXPECT_EQ(Tool({"check", "KVPREFIX", "KVPREFES"}).out,
            "ok  KVPREFIX  0 records\nok  KVPREFES  0 records\n");
}

TEST_F(ToolTest, PrefixRefusesBadArguments) {
  struct Case {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{"prefix"}, "prefix needs a subcommand"},
      {{"prefix", "lookup"}, "unknown subcommand: lookup"},
      {{"prefix", "import-cty"}, "needs exactly one country file"},
      {{"prefix", "import-cty", "a.csv", "b.csv"}, "needs exactly one country file"},
      {{"prefix", "resolve"}, "needs CALL [DATE]"},
      {{"prefix", "resolve", "DL1ABC", "01.06.2024", "x"}, "needs CALL [DATE]"},
      {{"prefix", "resolve", "DL1ABC", "32.01.2024"}, "invalid date: 32.01.2024"},
      {{"prefix", "resolve", "DL1ABC", "29.02.2023"}, "invalid date: 29.02.2023"},
      {{"prefix", "resolve", "DL1ABC", "2024-06-01"}, "invalid date: 2024-06-01"},
      {{"prefix", "resolve", "DL1ABC", "yesterday"}, "invalid date: yesterday"},
  };
  for (const Case& c : cases) {
    const Outcome o = Tool(c.args);
    EXPECT_EQ(o.code, kExitRefused) << c.reason;
    EXPECT_TRUE(Contains(o.err, c.reason)) << c.reason << ": " << o.err;
    EXPECT_TRUE(o.out.empty()) << o.out;
  }
}

TEST_F(ToolTest, PrefixResolveWithoutTablesCreatesNothing) {
  const Outcome o = Tool({"prefix", "resolve", "DL1ABC"});
  EXPECT_EQ(o.code, kExitRefused);
  EXPECT_EQ(o.out, "DL1ABC  unresolved\n");
  EXPECT_TRUE(Contains(o.err, "KVPREFIX: no such file")) << o.err;
  EXPECT_TRUE(Contains(o.err, "prefix import-cty")) << o.err;
  EXPECT_FALSE(Exists("KVPREFIX.DAT"));
  EXPECT_FALSE(Exists("KVPREFEE.DAT"));
  EXPECT_FALSE(Exists("KVPREFES.DAT"));

  WithFile(SharedFile::kPrefixes, 0);
  const Outcome empty = Tool({"prefix", "resolve", "DL1ABC"});
  EXPECT_EQ(empty.code, kExitRefused);
  EXPECT_TRUE(Contains(empty.err, "KVPREFIX is empty")) << empty.err;
}

TEST_F(ToolTest, PrefixResolveJudgesValidityAtTheDateDefaultToday) {
  AddGdrPrefix(0);
  const Outcome before = Tool({"prefix", "resolve", "Y21ABC", "1.10.1990"});
  EXPECT_EQ(before.code, kExitOk) << before.err;
  EXPECT_EQ(before.out, "Y21ABC  DM  EU  14  28  229  German Dem. Rep.\n");

  const Outcome after = Tool({"prefix", "resolve", "Y21ABC", "03.10.1990"});
  EXPECT_EQ(after.code, kExitRefused);
  EXPECT_EQ(after.out, "Y21ABC  unresolved\n");
  EXPECT_TRUE(Contains(after.err, "not valid on 03.10.1990")) << after.err;

  const std::string todayBefore = DateToText(SystemNow().date);
  const Outcome today = Tool({"prefix", "resolve", "Y21ABC"});
  const std::string todayAfter = DateToText(SystemNow().date);
  EXPECT_EQ(today.code, kExitRefused);
  EXPECT_TRUE(Contains(today.err, "not valid on " + todayBefore) ||
              Contains(today.err, "not valid on " + todayAfter))
      << today.err;
}

TEST_F(ToolTest, PrefixResolveOfRealCallsAgainstTheDebianCountryFile) {
  const std::filesystem::path cty = "/usr/share/hamradio-files/cty.csv";
  if (!std::filesystem::exists(cty)) GTEST_SKIP() << cty << " not installed";
  const Outcome imported = Tool({"prefix", "import-cty", cty.string()});
  ASSERT_EQ(imported.code, kExitOk) << imported.err;
  EXPECT_TRUE(Contains(imported.out, "broken 0\n")) << imported.out;

  // Fields: CALL PREFIX CONTINENT CQ ITU ENTITYNUMBER COUNTRY.
  struct Case {
    std::string call, prefix, continent, entity;
  } cases[] = {
      {"DL1ABC", "DL", "EU", "230"},     {"DO7XX", "DL", "EU", "230"},
      {"DL1ABC/P", "DL", "EU", "230"},   {"OE3ABC", "OE", "EU", "206"},
      {"F5ABC", "F", "EU", "227"},       {"K1ABC", "K", "NA", "291"},
      {"VE3ABC", "VE", "NA", "1"},       {"JA1ABC", "JA", "AS", "339"},
      {"EA8/DL1ABC", "EA8", "AF", "29"}, {"DL1ABC/EA8", "EA8", "AF", "29"},
      {"SV1ABC/A", "SV/A", "EU", "180"}, {"9A1A", "9A", "EU", "497"},
      {"4U1UN", "4U1U", "NA", "289"},    {"UA9AA", "UA9", "AS", "15"},
      {"KH6ABC", "KH6", "OC", "110"},    {"VK9XX", "VK9X", "OC", "35"},
  };
  for (const Case& c : cases) {
    const Outcome o = Tool({"prefix", "resolve", c.call, "01.06.2024"});
    EXPECT_EQ(o.code, kExitOk) << c.call << ": " << o.out << o.err;
    std::vector<std::string> fields;
    std::string line = o.out.substr(0, o.out.find('\n'));
    for (std::size_t at = 0;;) {
      const std::size_t next = line.find("  ", at);
      fields.push_back(line.substr(at, next - at));
      if (next == std::string::npos || fields.size() == 6) {
        if (next != std::string::npos) fields.push_back(line.substr(next + 2));
        break;
      }
      at = next + 2;
    }
    ASSERT_EQ(fields.size(), 7u) << o.out;
    EXPECT_EQ(fields[0], c.call);
    EXPECT_EQ(fields[1], c.prefix) << c.call;
    EXPECT_EQ(fields[2], c.continent) << c.call;
    EXPECT_EQ(fields[5], c.entity) << c.call;
    EXPECT_FALSE(fields[6].empty()) << c.call;
  }
  for (const char* maritime : {"DL1ABC/MM", "PA3ABC/MM", "DL1ABC/AM", "DL1ABC/MM/1"}) {
    const Outcome mm = Tool({"prefix", "resolve", maritime, "01.06.2024"});
    EXPECT_EQ(mm.code, kExitOk) << maritime;
    EXPECT_EQ(mm.out, std::string(maritime) + "  none  maritime or aeronautical mobile: no DXCC entity\n");
  }
}

}  // namespace
}  // namespace korv::tool
