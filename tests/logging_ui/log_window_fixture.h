// The logging window's tests share this: a data directory with one DEZ log
// (automatic date and time), the files the window opens, a scripted
// platform whose clock stands at 14.11.2026, and the window opened offscreen.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/dates.h"
#include "files/catalogue.h"
#include "logging/qso_record.h"
#include "logging/ui/contest_log_std.h"
#include "logging/ui/entry_panel.h"
#include "platform/scripted_platform.h"
#include "refdata/cty_import.h"
#include "shell/contest_rules.h"
#include "storage/engine.h"
#include "support/test_support.h"

namespace korv::testing {

inline constexpr const char* kCountryFile =
    "DL,Fed. Rep. of Germany,230,EU,14,28,51.00,-10.00,-1.0,DA DB DC DD DE DF DG DH DI DJ DK DL DM "
    "DN DO DP DQ DR;\n"
    "OE,Austria,206,EU,15,28,47.33,-13.33,-1.0,OE;\n";

// A data directory with one DEZ log (automatic date and time), the files the
// window opens and a scripted platform whose clock stands at 14.11.2026.
struct LogWindowFixture {
  std::filesystem::path dir = MakeTempDir("logwin");
  RecordingFatalHandler fatal;
  std::unique_ptr<StorageEngine> engine;
  std::unique_ptr<FileCatalogue> catalogue;
  FileBlock* directory = nullptr;
  FileBlock* totals = nullptr;
  ScriptedPlatform platform;
  ContestRules rules;
  std::vector<std::uint8_t> header;
  std::int32_t logNumber = 0;
  std::unique_ptr<TContestLogStd> window;
  const CallHistory* callHistory = nullptr;  // DOK proposals
  bool partialCalls = false;                 // super check partial
  const CallIndex* referenceCalls = nullptr;

  LogWindowFixture() {
    engine = StartTestEngine(TestEngineOptions(dir, fatal));
    if (engine == nullptr) qFatal("engine");
    catalogue = std::make_unique<FileCatalogue>(*engine);
    ImportCty(kCountryFile, *catalogue->OpenPrefixes(), *catalogue->OpenPrefixSpecials());
    catalogue->ReleasePrefixes();
    catalogue->ReleasePrefixSpecials();
    directory = catalogue->OpenContestDirectory();
    totals = catalogue->OpenTotals();
    SetMinute(0);
    directory->ClearRecordBuffer();
    ContestHeader h(ContestHeader::Record(directory->Record().data(), kContestHeaderSize));
    h.MarkCreated();
    h.SetContestCode('3');
    h.SetName("DEZ 2026");
    h.SetDok("N01");
    h.SetOwnCall("DL0XYZ");
    h.SetStartDate(DayNumberFromCivil({2026, 11, 14}));
    h.SetDateAutomatic(255);
    h.SetTimeAutomatic(255);
    h.SetQslSentDefault('N');
    h.SetParticipationType(1);
    bool german = true;
    rules = FillContestPresets('3', h, german);
    if (!directory->InsertRecord().ok()) qFatal("header");
    header.assign(directory->Record().begin(), directory->Record().end());
    logNumber = h.contestNumber();
  }
  ~LogWindowFixture() {
    window.reset();
    catalogue.reset();
    engine.reset();
    std::filesystem::remove_all(dir);
  }

  void SetMinute(int minute) {
    platform.SetNow({DayNumberFromCivil({2026, 11, 14}), 8 * 3600 + minute * 60});
  }

  LoggingContext Context() {
    LoggingContext ctx;
    ctx.platform = &platform;
    ctx.catalogue = catalogue.get();
    ctx.directory = directory;
    ctx.totals = totals;
    ctx.settings.own.call = "DL0XYZ";
    ctx.settings.own.locator = "JO31MM";
    ctx.dataDirectory = dir;
    ctx.helpSearchDirs = {dir, qgetenv("KORV_SHARE_DIR").toStdString()};
    ctx.callHistory = callHistory;
    ctx.partialCalls = partialCalls;
    ctx.referenceCalls = referenceCalls;
    return ctx;
  }

  TContestLogStd& Open() {
    window = std::make_unique<TContestLogStd>(Context(), header, rules);
    if (!window->FormCreate()) qFatal("open");
    window->resize(1200, 800);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) qFatal("not active");
    window->Entry()->Field(EntryField::kCall)->setFocus();
    return *window;
  }

  // Every QSO of the log in record-number order.
  std::vector<std::vector<std::uint8_t>> Qsos() {
    std::vector<std::vector<std::uint8_t>> out;
    FileBlock* f = window->Session().qsoFile();
    Status st = f->MoveFirst(4);
    while (st.ok()) {
      out.emplace_back(f->Record().begin(), f->Record().end());
      st = f->MoveNext(4);
    }
    return out;
  }
  std::vector<std::string> Calls() {
    std::vector<std::string> calls;
    for (auto& q : Qsos()) calls.push_back(Qso(q).call());
    return calls;
  }
  static QsoRecord Qso(std::vector<std::uint8_t>& bytes) {
    return QsoRecord(QsoRecord::Record(bytes.data(), kQsoRecordSize));
  }
};

// Runs `action` once a modal window of type T is up (message boxes are
// scripted; these are the list window and the dialogs).
template <typename T>
void WhenModal(std::function<void(T*)> action) {
  QTimer::singleShot(0, [action] {
    T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
    if (modal == nullptr) {
      WhenModal<T>(action);
      return;
    }
    QApplication::setActiveWindow(modal);
    (void)QTest::qWaitForWindowActive(modal);
    action(modal);
    // A failed check inside must not leave the test waiting on the window.
    if (QApplication::activeModalWidget() == modal && modal->isVisible()) modal->close();
  });
}

}  // namespace korv::testing
