#include "dez_log.h"

#include <cstdio>
#include <cstdlib>

#include "common/dates.h"
#include "files/contest_header.h"
#include "refdata/cty_import.h"

namespace korv::bench {

namespace fs = std::filesystem;

void BenchFatal::OnFatal(const ErrorList&, const std::string& message) {
  std::fprintf(stderr, "fatal storage error: %s\n", message.c_str());
  std::exit(1);
}

std::string CallOf(std::uint32_t i) {
  static const char* kGerman[] = {"DL", "DK", "DJ", "DO", "DF", "DG", "DH", "DM", "DB", "DC"};
  static const char* kForeign[] = {"OE", "F", "G", "PA", "ON", "OK", "SP", "HB9", "I", "EA"};
  std::string suffix;
  std::uint32_t n = i / 10;
  for (int k = 0; k < 3; ++k) {
    suffix += static_cast<char>('A' + n % 26);
    n /= 26;
  }
  const std::uint32_t digit = (i / 7) % 10;
  if (i % 9 == 0) return std::string(kForeign[(i / 9) % 10]) + std::to_string(digit) + suffix;
  return std::string(kGerman[i % 10]) + std::to_string(digit) + suffix + (n % 2 ? "" : "X");
}

std::string DokOf(std::mt19937& rng) {
  const auto r = rng() % 100;
  if (r < 30) return "N" + std::to_string(10 + rng() % 90);
  if (r < 35) {
    static const char* kSpecial[] = {"WN", "Z60", "1N", "13N", "Z14"};
    return kSpecial[rng() % 5];
  }
  return std::string(1, static_cast<char>('A' + rng() % 26)) + std::to_string(10 + rng() % 90);
}

void DezLog::Start(const fs::path& where, bool create) {
  dir = where;
  EngineOptions options;
  options.dataDirectory = dir;
  options.fatalHandler = &fatal;
  engine = std::make_unique<StorageEngine>(options);
  (void)engine->InitFileManager(160, 32);
  catalogue = std::make_unique<FileCatalogue>(*engine);
  if (create) {
    FileBlock* prefix = catalogue->OpenPrefixes();
    FileBlock* specials = catalogue->OpenPrefixSpecials();
    if (fs::exists("/usr/share/hamradio-files/cty.csv")) {
      ImportCtyFile("/usr/share/hamradio-files/cty.csv", *prefix, *specials);
    } else {
      ImportCty(
          "DL,Germany,230,EU,14,28,51,-10,-1,DA DB DC DD DE DF DG DH DI DJ DK DL DM DN DO DP DQ "
          "DR;\n"
          "OE,Austria,206,EU,15,28,47,-13,-1,OE;\nF,France,227,EU,14,27,46,-2,-1,F;\n",
          *prefix, *specials);
    }
    catalogue->ReleasePrefixes();
    catalogue->ReleasePrefixSpecials();
  }
  directory = catalogue->OpenContestDirectory();
  totals = catalogue->OpenTotals();
  if (create) {
    directory->ClearRecordBuffer();
    ContestHeader h(ContestHeader::Record(directory->Record().data(), kContestHeaderSize));
    h.MarkCreated();
    h.SetContestCode('3');
    h.SetName("DEZ Bench");
    h.SetDok("N01");
    h.SetDateAutomatic(255);
    h.SetTimeAutomatic(255);
    h.SetParticipationType(1);
    (void)directory->InsertRecord();
  } else {
    (void)directory->MoveFirst(3);
  }
  header.assign(directory->Record().begin(), directory->Record().end());
  ContestHeader h(ContestHeader::Record(header.data(), kContestHeaderSize));
  bool german = true;
  rules = FillContestPresets('3', h, german);
  platform.SetNow({DayNumberFromCivil({2026, 11, 14}), 7 * 3600});
}

LoggingContext DezLog::Context() {
  LoggingContext ctx;
  ctx.platform = &platform;
  ctx.catalogue = catalogue.get();
  ctx.directory = directory;
  ctx.totals = totals;
  ctx.settings.own.call = "DL9XYZ";
  ctx.dataDirectory = dir;
  ctx.partialCalls = referenceCalls != nullptr;
  ctx.referenceCalls = referenceCalls;
  return ctx;
}

void DezLog::Open() {
  session = std::make_unique<EntrySession>(Context(), header, rules);
  session->Open();
}

void DezLog::Tick() {
  ++second;
  platform.SetNow(
      {DayNumberFromCivil({2026, 11, 14}) + second / 86400, (7 * 3600 + second) % 86400});
  session->ClockTick();
}

bool DezLog::Enter(const std::string& call, const std::string& dok) {
  EntrySession& s = *session;
  s.FieldEntered(EntryField::kCall);
  s.CallTextChanged(call);
  if (s.LeaveField(EntryField::kCall, true)) return true;
  if (s.entry().call().empty()) return false;
  s.FieldEntered(EntryField::kRcvd2);
  s.ExchangeTextChanged(EntryField::kRcvd2, dok);
  return s.LeaveField(EntryField::kRcvd2, true);
}

int DezLog::Fill(int n, std::mt19937& rng) {
  session->qsoFile()->SetFlushAfterWrite(false);
  const BandIndex bands[] = {'b', 'c', 'i'};
  std::uint32_t next = 0;
  int stored = 0;
  for (int band = 0; band < 3; ++band) {
    session->ChangeBand(bands[band]);
    const int share = band == 0 ? n / 2 : band == 1 ? n / 3 : n - n / 2 - n / 3;
    for (int i = 0; i < share; ++i) {
      if (i % 50 == 0) session->ModeKey();
      Tick();
      // Every QSO band repeats the calls of the first band in part.
      const std::uint32_t id =
          band > 0 && i % 3 == 0 ? static_cast<std::uint32_t>(i) : 100000 + next++;
      if (Enter(CallOf(id), DokOf(rng))) ++stored;
    }
  }
  session->qsoFile()->SetFlushAfterWrite(true);
  (void)session->qsoFile()->Flush();
  return stored;
}

}  // namespace korv::bench
