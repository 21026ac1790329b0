// A data directory with a contest log of the DEZ variant (code '3'): the
// storage engine, the catalogue, the prefix tables filled from a few lines
// of a country file, the contest directory with the log's header, the
// totals file, a scripted platform with a fixed clock, and helpers that type
// QSOs into an entry session the way the logging window forwards keys.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/dates.h"
#include "files/catalogue.h"
#include "files/contest_header.h"
#include "logging/entry_session.h"
#include "platform/scripted_platform.h"
#include "refdata/cty_import.h"
#include "shell/contest_rules.h"
#include "storage/engine.h"
#include "support/test_support.h"

namespace korv::testing {

inline constexpr const char* kSmallCountryFile =
    "DL,Fed. Rep. of Germany,230,EU,14,28,51.00,-10.00,-1.0,DA DB DC DD DE DF DG DH DI DJ DK DL DM DN DO DP DQ DR;\n"
    "OE,Austria,206,EU,15,28,47.33,-13.33,-1.0,OE;\n"
    "F,France,227,EU,14,27,46.00,-2.00,-1.0,F;\n"
    "EA,Spain,281,EU,14,37,40.32,3.43,-1.0,EA EB;\n"
    "EA8,Canary Islands,29,AF,33,36,28.32,15.85,0.0,EA8 EB8;\n"
    "K,United States,291,NA,5,8,37.60,91.87,5.0,K N W;\n";

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir("logging");
    ASSERT_FALSE(dir.empty());
    engine = StartTestEngine(TestEngineOptions(dir, fatal));
    ASSERT_NE(engine, nullptr);
    catalogue = std::make_unique<FileCatalogue>(*engine);
    FileBlock* prefix = catalogue->OpenPrefixes();
    FileBlock* specials = catalogue->OpenPrefixSpecials();
    ASSERT_NE(prefix, nullptr);
    ASSERT_NE(specials, nullptr);
    ImportCty(kSmallCountryFile, *prefix, *specials);
    catalogue->ReleasePrefixes();
    catalogue->ReleasePrefixSpecials();
    directory = catalogue->OpenContestDirectory();
    totals = catalogue->OpenTotals();
    ASSERT_NE(directory, nullptr);
    ASSERT_NE(totals, nullptr);
    settings.own.call = "DL9XYZ";
    settings.own.locator = "JO31MM";
    settings.utcOffsetHours = 0;
    SetClock(14, 11, 2026, 8, 0, 0);
  }
  void TearDown() override {
    session.reset();
    catalogue.reset();
    engine.reset();
    EXPECT_TRUE(fatal.codes.empty());
    std::filesystem::remove_all(dir);
  }

  void SetClock(int day, int month, int year, int hour, int minute, int second) {
    platform.SetNow({DayNumberFromCivil({year, month, day}), hour * 3600 + minute * 60 + second});
  }

  // Creates the log's header (automatic date and time unless manualTime)
  // and its presets; returns the log number.
  std::int32_t CreateLog(bool manualTime = false, std::uint8_t participation = 1) {
    directory->ClearRecordBuffer();
    ContestHeader h(ContestHeader::Record(directory->Record().data(), kContestHeaderSize));
    h.MarkCreated();
    h.SetContestCode('3');
    h.SetName("DEZ 2026");
    h.SetDok("N01");
    h.SetOwnCall("DL9XYZ");
    h.SetStartDate(DayNumberFromCivil({2026, 11, 14}));
    h.SetDateAutomatic(manualTime ? 0 : 255);
    h.SetTimeAutomatic(manualTime ? 0 : 255);
    h.SetQslSentDefault('N');
    h.SetParticipationType(participation);
    bool german = true;
    rules = FillContestPresets('3', h, german);
    EXPECT_TRUE(directory->InsertRecord().ok());
    headerBytes.assign(directory->Record().begin(), directory->Record().end());
    return h.contestNumber();
  }

  EntrySession& OpenSession() {
    LoggingContext ctx;
    ctx.platform = &platform;
    ctx.catalogue = catalogue.get();
    ctx.directory = directory;
    ctx.totals = totals;
    ctx.settings = settings;
    ctx.dataDirectory = dir;
    ctx.callHistory = callHistory;
    ctx.partialCalls = partialCalls;
    session = std::make_unique<EntrySession>(ctx, headerBytes, rules);
    EXPECT_TRUE(session->Open());
    return *session;
  }

  // Call, Enter, DOK, Enter - as the operator types it. True when stored.
  bool Log(const std::string& call, const std::string& dok) {
    EntrySession& s = *session;
    s.FieldEntered(EntryField::kCall);
    s.CallTextChanged(call);
    if (s.LeaveField(EntryField::kCall, true)) return true;
    if (s.View().focused != EntryField::kCall || !s.entry().call().empty()) {
      s.FieldEntered(EntryField::kRcvd2);
      s.ExchangeTextChanged(EntryField::kRcvd2, dok);
      return s.LeaveField(EntryField::kRcvd2, true);
    }
    return false;
  }

  // Advances the clock by one minute per QSO so every QSO has its own time.
  bool LogAt(int minute, const std::string& call, const std::string& dok) {
    SetClock(14, 11, 2026, 8, minute, 0);
    session->ClockTick();
    return Log(call, dok);
  }

  // Every QSO of the log in record-number order.
  std::vector<std::vector<std::uint8_t>> Qsos() {
    std::vector<std::vector<std::uint8_t>> out;
    FileBlock* f = session->qsoFile();
    Status st = f->MoveFirst(4);
    while (st.ok()) {
      out.emplace_back(f->Record().begin(), f->Record().end());
      st = f->MoveNext(4);
    }
    return out;
  }

  std::filesystem::path dir;
  RecordingFatalHandler fatal;
  std::unique_ptr<StorageEngine> engine;
  std::unique_ptr<FileCatalogue> catalogue;
  FileBlock* directory = nullptr;
  FileBlock* totals = nullptr;
  ProgramSettings settings;
  const CallHistory* callHistory = nullptr;  // for DOK proposals
  bool partialCalls = false;                 // the log's calls in the partial list
  ScriptedPlatform platform;
  ContestRules rules;
  std::vector<std::uint8_t> headerBytes;
  std::unique_ptr<EntrySession> session;
};

inline QsoRecord View(std::vector<std::uint8_t>& bytes) {
  return QsoRecord(QsoRecord::Record(bytes.data(), kQsoRecordSize));
}

}  // namespace korv::testing
