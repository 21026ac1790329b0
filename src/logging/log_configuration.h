// What the contest configuration window does without its widgets: the
// presets of a new log, the checks before saving (with their messages and
// questions, in their order), and the save itself (header, totals record
// options, own-station address, program-wide clock offset).
#pragma once

#include <cstdint>
#include <string>

#include "files/catalogue.h"
#include "files/contest_header.h"
#include "files/setup.h"
#include "platform/platform.h"
#include "shell/contest_rules.h"

namespace korv {

enum class ComputerClock { kUnset, kUtc, kLocal };
enum class StartMode { kCw, kSsb, kFm, kPr };

// The controls of the window as texts and switches.
struct LogConfiguration {
  std::string name;
  std::string startDate;  // "dd.mm.yyyy" as typed (completed on save)
  std::string endDate;
  std::string startTime;  // "HH:MM"
  std::string endTime;
  std::string locator;
  std::string dok;  // the LDK for contests with an LDK exchange
  std::string call;
  std::string swlNumber;
  std::string operatorName;
  std::string street;
  std::string postcode;
  std::string town;
  std::string country;
  int participationType = 0;  // 1-based; 0 none chosen
  bool participationEnabled = true;
  StartMode startMode = StartMode::kCw;
  ComputerClock clock = ComputerClock::kUnset;
  bool dateAutomatic = true;
  bool timeAutomatic = true;
  bool rstSentFixed = true;
  bool rstReceivedFixed = true;
  bool bandAutomatic = false;
  // What the three "automatisch" boxes may be: the band box only where the
  // contest offers it; all three locked (and both RST boxes free) by a
  // header whose settings another program locked.
  bool bandAutomaticOffered = true;
  bool settingsLocked = false;
  char qslSentDefault = 0;
  char qslReceivedDefault = 0;
  bool sentExchangeEditable = false;  // "RSTs nicht sperren"
  bool logUnscoredDupes = false;
  std::uint8_t manualDateFlags = 0;
};

// The control a failed check points at.
enum class ConfigurationField {
  kNone,
  kName,
  kPostcode,
  kLocator,
  kDok,
  kCall,
  kStartDate,
  kEndDate,
  kStartTime,
  kEndTime,
  kClock,
  kParticipation,
};

// A contest using an LDK instead of a DOK (code 'A' or multiplier kind 17).
bool UsesLdk(const ContestRules& rules, ContestCode code);

// The controls of a new log: own call and locator, automatic date and
// time, fixed reports, the default dates and times of the presets, the
// address of the own station.
LogConfiguration NewLogConfiguration(const ProgramSettings& settings, const ContestRules& rules);
// The "Start mit:" buttons a contest's modes allow: "CW", "SSB", "FM" and
// "PR" enable their buttons; "DIGITAL" and "FSK441" enable the fourth
// button (StartMode::kPr) and caption it "DIGI" / "FSK441".
struct StartModeChoice {
  bool cw = false;
  bool ssb = false;
  bool fm = false;
  bool fourth = false;
  std::string fourthCaption = "PR";
};
StartModeChoice StartModesOf(const ContestRules& rules);
// The start mode kept when the buttons change: a mode whose button is
// disabled falls back to CW (all start-mode bytes 0).
StartMode AllowedStartMode(StartMode mode, const StartModeChoice& choice);

// After a change of the participation type: when the chosen type has a
// period number n, the dates and times of rules.periods[n] replace the four
// date/time texts (an empty end date takes the start date; times as
// "HH:MM"), except those the operator typed (manualDateFlags bits 0..3).
void ApplyParticipationPeriod(LogConfiguration& config, const ContestRules& rules);

// The controls of an existing log's header.
LogConfiguration ConfigurationFromHeader(const ContestHeader& header, const ProgramSettings& settings,
                                         const ContestRules& rules);

// Runs the checks in order (today completes short dates); shows the failing check's message (or asks its
// question) and returns the field it concerns, kNone when the save may go on.
ConfigurationField CheckConfiguration(const LogConfiguration& config, const ContestRules& rules,
                                      ContestCode code, bool evaluationOnly, Platform& platform,
                                      DayNumber today);

struct SaveTarget {
  FileCatalogue* catalogue = nullptr;
  FileBlock* directory = nullptr;  // KVKK
  FileBlock* totals = nullptr;     // KVKZ
  ProgramSettings* settings = nullptr;
};

// Writes the configuration into the header buffer, the settings and the
// own-station record, and adds (new log) or updates the header and the
// totals record. header: the log's header bytes (a new log gets its number
// here). False after "Fehler bei Dateneingabe. Datensatz evtl. schon
// vorhanden." was shown.
bool SaveConfiguration(const LogConfiguration& config, const ContestRules& rules, ContestCode code,
                       bool logExists, bool forOutput, ContestHeader& header, const SaveTarget& target,
                       Platform& platform, DayNumber today);

}  // namespace korv
