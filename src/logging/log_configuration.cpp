#include "logging/log_configuration.h"

#include <cstring>

#include "common/dates.h"
#include "common/text.h"
#include "logging/totals_record.h"
#include "shell/contest_directory.h"

namespace korv {
namespace {

constexpr int kDirectoryIndexByNumber = 3;
constexpr const char* kNoValidTime = "Eingabe einer g\xFCltigen Uhrzeit (HH:MM) notwendig.";
constexpr const char* kEndBeforeStart = "Das Ende des Contests liegt vor seinem Beginn.";

std::string UpperAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

DayNumber DateOf(const std::string& text, DayNumber today) {
  const std::string trimmed = TrimBlanksTabs(text);
  if (trimmed.empty()) return kNoDate;
  return DateFromText(CompleteDateText(trimmed, today));
}

// A typed time; kNoTime for a text that is no time of day, 0 for none (the
// header keeps 0 for "not set"; midnight is 0 as well, told apart by the
// flag that the time was typed).
TimeOfDay TimeOf(const std::string& text) {
  std::string t = CompleteTimeText(TrimBlanksTabs(text));
  if (t.empty()) return 0;
  if (t.size() == 5) t += ":00";
  return TimeFromText(t);
}

bool TimeTyped(const std::string& text) { return !TrimBlanksTabs(text).empty(); }

std::string TimeText(TimeOfDay t) { return t < 0 ? std::string() : TimeToText(t, "hh:mm"); }
std::string DateText(DayNumber d) { return d <= 0 ? std::string() : DateToText(d); }

}  // namespace

bool UsesLdk(const ContestRules& rules, ContestCode code) {
  return code == 'A' || rules.multiplierKinds.test(17);
}

StartModeChoice StartModesOf(const ContestRules& rules) {
  StartModeChoice choice;
  for (const std::string& mode : rules.modes) {
    if (mode == "CW") {
      choice.cw = true;
    } else if (mode == "SSB") {
      choice.ssb = true;
    } else if (mode == "FM") {
      choice.fm = true;
    } else if (mode == "PR") {
      choice.fourth = true;
    } else if (mode == "DIGITAL") {
      choice.fourth = true;
      choice.fourthCaption = "DIGI";
    } else if (mode == "FSK441") {
      choice.fourth = true;
      choice.fourthCaption = "FSK441";
    }
  }
  return choice;
}

StartMode AllowedStartMode(StartMode mode, const StartModeChoice& choice) {
  switch (mode) {
    case StartMode::kSsb:
      return choice.ssb ? mode : StartMode::kCw;
    case StartMode::kFm:
      return choice.fm ? mode : StartMode::kCw;
    case StartMode::kPr:
      return choice.fourth ? mode : StartMode::kCw;
    case StartMode::kCw:
      break;
  }
  return StartMode::kCw;
}

void ApplyParticipationPeriod(LogConfiguration& c, const ContestRules& rules) {
  if (c.participationType < 1 || c.participationType > 20) return;
  const int n = rules.participationTypes[c.participationType].periodNumber;
  if (!rules.periods.contains(n)) return;
  const ContestPeriod& period = rules.periods[n];
  const auto typed = [&c](ManualDateField field) {
    return (c.manualDateFlags & (1u << static_cast<unsigned>(field))) != 0;
  };
  if (!typed(ManualDateField::kStartDate)) c.startDate = period.startDate;
  if (!typed(ManualDateField::kEndDate)) {
    c.endDate = period.endDate.empty() ? period.startDate : period.endDate;
  }
  if (!typed(ManualDateField::kStartTime)) c.startTime = period.startTime.substr(0, 5);
  if (!typed(ManualDateField::kEndTime)) c.endTime = period.endTime.substr(0, 5);
}

LogConfiguration NewLogConfiguration(const ProgramSettings& settings, const ContestRules& rules) {
  LogConfiguration c;
  c.call = settings.own.call;
  c.locator = settings.own.locator;
  c.swlNumber = settings.own.swlNumber;
  c.operatorName = settings.own.name;
  c.street = settings.own.street;
  c.postcode = settings.own.postcode;
  c.town = settings.own.town;
  c.country = settings.own.country;
  c.startDate = rules.defaultStartDate;
  c.endDate = rules.defaultEndDate;
  c.startTime = rules.defaultStartTime.substr(0, 5);
  c.endTime = rules.defaultEndTime.substr(0, 5);
  c.bandAutomaticOffered = rules.bandAutoAllowed != 0;
  return c;
}

LogConfiguration ConfigurationFromHeader(const ContestHeader& h, const ProgramSettings& settings,
                                         const ContestRules& rules) {
  LogConfiguration c = NewLogConfiguration(settings, rules);
  c.name = h.name();
  if (h.startDate() > 0) c.startDate = DateText(h.startDate());
  if (h.endDate() > 0) c.endDate = DateText(h.endDate());
  const auto typed = [&h](ManualDateField field) {
    return (h.manualDateFlags() & (1u << static_cast<unsigned>(field))) != 0;
  };
  if (h.startTime() > 0 || (h.startTime() == 0 && typed(ManualDateField::kStartTime))) {
    c.startTime = TimeText(h.startTime());
  }
  if (h.endTime() > 0 || (h.endTime() == 0 && typed(ManualDateField::kEndTime))) {
    c.endTime = TimeText(h.endTime());
  }
  c.locator = h.locator();
  c.dok = UsesLdk(rules, h.contestCode()) ? h.ldk() : h.dok();
  c.call = h.ownCall();
  c.participationType = h.participationType();
  c.participationEnabled = h.participationType() == 0;
  c.startMode = h.startModeSsb() != 0 ? StartMode::kSsb
                : h.startModeFm() != 0 ? StartMode::kFm
                : h.startModePr() != 0 ? StartMode::kPr
                                       : StartMode::kCw;
  c.clock = settings.utcOffsetHours != 0 ? ComputerClock::kLocal : ComputerClock::kUtc;
  c.dateAutomatic = h.dateAutomatic() != 0;
  c.timeAutomatic = h.timeAutomatic() != 0;
  c.rstSentFixed = h.rstSentFree() == 0;
  c.rstReceivedFixed = h.rstReceivedFree() == 0;
  c.bandAutomatic = h.bandAutomatic() != 0 && c.bandAutomaticOffered;
  c.settingsLocked = h.settingsLocked() != 0;
  c.qslSentDefault = h.qslSentDefault();
  c.qslReceivedDefault = h.qslReceivedDefault();
  c.manualDateFlags = h.manualDateFlags();
  return c;
}

ConfigurationField CheckConfiguration(const LogConfiguration& c, const ContestRules& rules, ContestCode code,
                                      bool evaluationOnly, Platform& platform, DayNumber today) {
  if (TrimBlanksTabs(c.name).empty()) {
    platform.Inform("Eingabe eines Contest-Namens notwendig.");
    return ConfigurationField::kName;
  }
  // The postcode field itself: a town typed without one is not a postcode.
  if (TrimBlanksTabs(c.postcode).empty()) {
    platform.Inform("Angabe der Postleitzahl und des Ortes notwendig.");
    return ConfigurationField::kPostcode;
  }
  const auto isLocatorKind = [](int k) { return k == 5 || k == 6; };
  if (TrimBlanksTabs(c.locator).empty() && (isLocatorKind(rules.sentKind[2]) || isLocatorKind(rules.receivedKind[2]))) {
    platform.Inform("Angabe des Standortlocators notwendig.");
    return ConfigurationField::kLocator;
  }
  const bool dokEmpty = TrimBlanksTabs(c.dok).empty();
  const ByteSet& kinds = rules.multiplierKinds;
  if (dokEmpty && kinds.test(4) && !kinds.test(8) && !kinds.test(17) && !evaluationOnly) {
    if (!platform.AskYesNo("Kein DOK angegeben. Trotzdem weiter?")) return ConfigurationField::kDok;
  }
  if (dokEmpty && UsesLdk(rules, code)) {
    if (!platform.AskYesNo("Kein LDK angegeben. Trotzdem weiter?")) return ConfigurationField::kDok;
  }
  if (TrimBlanksTabs(c.call).empty() && TrimBlanksTabs(c.swlNumber).empty()) {
    platform.Inform("Eingabe des Rufzeichens notwendig.");
    return ConfigurationField::kCall;
  }
  if (DateOf(c.startDate, today) == kNoDate) {
    platform.Inform("Eingabe eines Contest-Datums notwendig.");
    return ConfigurationField::kStartDate;
  }
  if (DateOf(c.endDate, today) == kNoDate) {
    platform.Inform("Eingabe eines Contest-Datums notwendig.");
    return ConfigurationField::kEndDate;
  }
  // A time that is no time of day is refused, never stored as "not set".
  if (TimeTyped(c.startTime) && TimeOf(c.startTime) == kNoTime) {
    platform.Inform(kNoValidTime);
    return ConfigurationField::kStartTime;
  }
  if (TimeTyped(c.endTime) && TimeOf(c.endTime) == kNoTime) {
    platform.Inform(kNoValidTime);
    return ConfigurationField::kEndTime;
  }
  // The period ends after it begins (date and time together).
  const DayNumber firstDay = DateOf(c.startDate, today);
  const DayNumber lastDay = DateOf(c.endDate, today);
  if (lastDay < firstDay) {
    platform.Inform(kEndBeforeStart);
    return ConfigurationField::kEndDate;
  }
  if (lastDay == firstDay && TimeTyped(c.startTime) && TimeTyped(c.endTime) &&
      TimeOf(c.endTime) < TimeOf(c.startTime)) {
    platform.Inform(kEndBeforeStart);
    return ConfigurationField::kEndTime;
  }
  if (c.clock == ComputerClock::kUnset) {
    platform.Inform("Es wurde nicht bestimmt, ob der Computer mit Ortszeit l\xE4uft.");
    return ConfigurationField::kClock;
  }
  if (c.participationEnabled && c.participationType == 0) {
    platform.Inform("Sie haben keine Teilnahmeart angegeben.");
    return ConfigurationField::kParticipation;
  }
  return ConfigurationField::kNone;
}

bool SaveConfiguration(const LogConfiguration& c, const ContestRules& rules, ContestCode code, bool logExists,
                       bool forOutput, ContestHeader& h, const SaveTarget& target, Platform& platform,
                       DayNumber today) {
  const DayNumber start = DateOf(c.startDate, today);
  const DayNumber end = DateOf(c.endDate, today);
  h.SetStartDate(start == kNoDate ? 0 : start);
  h.SetEndDate(end == kNoDate ? 0 : end);
  const TimeOfDay from = TimeOf(c.startTime);
  const TimeOfDay to = TimeOf(c.endTime);
  h.SetStartTime(from == kNoTime ? 0 : from);
  h.SetEndTime(to == kNoTime ? 0 : to);
  h.SetName(TrimBlanksTabs(c.name));
  h.SetLocator(UpperAscii(TrimBlanksTabs(c.locator)));
  if (UsesLdk(rules, code)) {
    h.SetLdk(UpperAscii(TrimBlanksTabs(c.dok)));
  } else {
    h.SetDok(UpperAscii(TrimBlanksTabs(c.dok)));
  }
  h.SetOwnCall(UpperAscii(TrimBlanksTabs(c.call)));
  h.SetContestCode(code);
  h.SetDateAutomatic(c.dateAutomatic ? kHeaderByteOn : 0);
  h.SetTimeAutomatic(c.timeAutomatic ? kHeaderByteOn : 0);
  h.SetRstSentFree(c.rstSentFixed ? 0 : kHeaderByteOn);
  h.SetRstReceivedFree(c.rstReceivedFixed ? 0 : kHeaderByteOn);
  auto upperChar = [](char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; };
  h.SetQslSentDefault(upperChar(c.qslSentDefault));
  h.SetQslReceivedDefault(upperChar(c.qslReceivedDefault));
  h.SetParticipationType(static_cast<std::uint8_t>(c.participationType));
  h.SetStartModeSsb(c.startMode == StartMode::kSsb ? kHeaderByteOn : 0);
  h.SetStartModeFm(c.startMode == StartMode::kFm ? kHeaderByteOn : 0);
  h.SetStartModePr(c.startMode == StartMode::kPr ? kHeaderByteOn : 0);
  h.SetBandAutomatic(c.bandAutomatic && rules.bandAutoAllowed != 0 ? kHeaderByteOn : 0);
  h.SetManualDateFlags(c.manualDateFlags);
  h.MarkSaved();

  ProgramSettings& settings = *target.settings;
  if (c.clock != ComputerClock::kUnset) {
    settings.utcOffsetHours = c.clock == ComputerClock::kUtc ? 0 : rules.localTimeOffset;
  }
  settings.own.call = UpperAscii(TrimBlanksTabs(c.call));
  settings.own.locator = UpperAscii(TrimBlanksTabs(c.locator));
  settings.own.swlNumber = TrimBlanksTabs(c.swlNumber).substr(0, 14);
  settings.own.name = TrimBlanksTabs(c.operatorName);
  settings.own.street = TrimBlanksTabs(c.street);
  settings.own.postcode = TrimBlanksTabs(c.postcode);
  settings.own.town = TrimBlanksTabs(c.town);
  settings.own.country = TrimBlanksTabs(c.country);
  settings.own.dok = UpperAscii(TrimBlanksTabs(c.dok));
  (void)WriteAddress(*target.catalogue, settings.own);
  h.SetPostcode(settings.own.postcode);
  if (forOutput && (settings.own.name.empty() || settings.own.street.empty() || settings.own.town.empty())) {
    platform.Inform("Die Adress-Angaben sind nicht vollst\xE4ndig.");
  }

  FileBlock& dir = *target.directory;
  bool ok = true;
  if (logExists) {
    KeyString key;
    key.AppendLong(h.contestNumber());
    ok = dir.FindExact(kDirectoryIndexByNumber, key).ok();
    if (ok) {
      std::memcpy(dir.Record().data(), h.bytes().data(), kContestHeaderSize);
      ok = dir.UpdateRecord().ok();
    }
  } else {
    std::memcpy(dir.Record().data(), h.bytes().data(), kContestHeaderSize);
    if (auto view = ContestHeader::Over(dir.Record())) view->SetContestNumber(0);
    ok = dir.InsertRecord().ok();
    if (ok) std::memcpy(h.bytes().data(), dir.Record().data(), kContestHeaderSize);
  }
  if (ok && target.totals != nullptr) {
    ok = EnsureTotalsRecord(*target.totals, h.contestNumber()).ok();
    if (ok) {
      auto tr = TotalsRecord::Over(target.totals->Record());
      if (tr) {
        tr->SetSentExchangeEditable(c.sentExchangeEditable ? kTotalsByteOn : 0);
        tr->SetLogUnscoredDupes(c.logUnscoredDupes ? kTotalsByteOn : 0);
      }
      ok = target.totals->UpdateRecord().ok();
    }
  }
  if (!ok) {
    platform.Inform("Fehler bei Dateneingabe. Datensatz evtl. schon vorhanden.");
    return false;
  }
  return true;
}

}  // namespace korv
