#include "logging/exchange_rules.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "common/text.h"
#include "files/file_keys.h"

namespace korv {
namespace {

constexpr std::array<std::string_view, 35> kTwoCharacterDoks{
    "BN", "BS", "BY", "CW", "DC", "DN", "DW", "DX", "FA", "FM", "IM", "IW",
    "JK", "JL", "JR", "KA", "MF", "MH", "ND", "RP", "SD", "SH", "SQ", "WN",
    "XX", "YL", "1N", "2N", "3N", "4N", "5N", "6N", "7N", "8N", "9N"};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

constexpr int kIndexByCallAndTime = 2;
constexpr int kIndexByCall = 6;
constexpr int kIndexByBandCallMode = 9;
constexpr std::size_t kCall14 = 14;

struct StateName {
  std::string_view code;
  std::string_view name;
};
constexpr std::array<StateName, 51> kStates{{
    {"AL", "ALABAMA"},        {"AK", "ALASKA"},         {"AZ", "ARIZONA"},
    {"AR", "ARKANSAS"},       {"CA", "CALIFORNIA"},     {"CO", "COLORADO"},
    {"CT", "CONNECTICUT"},    {"DE", "DELAWARE"},       {"FL", "FLORIDA"},
    {"GA", "GEORGIA"},        {"HI", "HAWAII"},         {"ID", "IDAHO"},
    {"IL", "ILLINOIS"},       {"IN", "INDIANA"},        {"IA", "IOWA"},
    {"KS", "KANSAS"},         {"KY", "KENTUCKY"},       {"LA", "LOUISIANA"},
    {"ME", "MAINE"},          {"MD", "MARYLAND"},       {"MA", "MASSACHUSETTS"},
    {"MI", "MICHIGAN"},       {"MN", "MINNESOTA"},      {"MS", "MISSISSIPPI"},
    {"MO", "MISSOURI"},       {"MT", "MONTANA"},        {"NE", "NEBRASKA"},
    {"NV", "NEVADA"},         {"NH", "NEW HAMPSHIRE"},  {"NJ", "NEW JERSEY"},
    {"NM", "NEW MEXICO"},     {"NY", "NEW YORK"},       {"NC", "NORTH CAROLINA"},
    {"ND", "NORTH DAKOTA"},   {"OH", "OHIO"},           {"OK", "OKLAHOMA"},
    {"OR", "OREGON"},         {"PA", "PENNSYLVANIA"},   {"RI", "RHODE ISLAND"},
    {"SC", "SOUTH CAROLINA"}, {"SD", "SOUTH DAKOTA"},   {"TN", "TENNESSEE"},
    {"TX", "TEXAS"},          {"UT", "UTAH"},           {"VT", "VERMONT"},
    {"VA", "VIRGINIA"},       {"WA", "WASHINGTON"},     {"WV", "WEST VIRGINIA"},
    {"WI", "WISCONSIN"},      {"WY", "WYOMING"},        {"DC", "DISTRICT OF COLUMBIA"},
}};

std::string UpperAscii(std::string_view text) {
  std::string s(text);
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

// The first 15 key bytes of index 9 (band + call) or the first 14 of index
// 2 (call) identify the station; a walk stops when they change.
bool KeyStartsWith(const KeyString& key, std::string_view prefix) {
  return key.view().substr(0, prefix.size()) == prefix;
}

}  // namespace

bool IsGermanCall(std::string_view call) {
  if (call.size() < 2 || call[0] != 'D') return false;
  const char c = call[1];
  return (c >= 'A' && c <= 'H') || (c >= 'J' && c <= 'R');
}

bool DokIsAcceptable(std::string_view dok) {
  if (dok.size() < 2) return false;
  if (dok.size() >= 3) return true;
  return std::find(kTwoCharacterDoks.begin(), kTwoCharacterDoks.end(), dok) !=
         kTwoCharacterDoks.end();
}

bool IsRefusedJDok(std::string_view dok) {
  return dok.size() == 3 && dok[0] == 'J' && IsDigit(dok[1]);
}

bool CallIsValid(std::string_view call, const SuffixTable& suffixes) {
  const std::string base = BaseCall(TrimBlanksTabsView(call), CallPart::kBaseCall, suffixes);
  if (base.empty()) return false;
  if (base[0] == 'D' && base.size() < 4) return false;
  if (base.size() < 3) return false;
  if (IsDigit(base[0]) && IsDigit(base[1])) return false;
  if (IsLetter(base[0]) && IsLetter(base[1]) && IsLetter(base[2])) return false;
  return true;
}

std::string ExchangeKindCaption(int kind, ContestCode code) {
  switch (kind) {
    case 4: return "DOK";
    case 5:
    case 6: return "LOC";
    case 7:
    case 11:
    case 13: return "lfd.Nr.";
    case 8: return "Area";
    case 12: return "US-State";
    case 15: return "PLZ";
    case 17: return "LDK";
    case 16:
      if (code == 'f') return "AGCW";
      if (code == 'k') return "QCWA";
      return "DIG";
    case 19: return code == 'k' ? "QCWA" : "Naval";
    default: return {};
  }
}

std::string PadRunningNumber(std::string_view value) {
  const std::string trimmed = TrimBlanksTabs(value);
  if (trimmed.empty() || trimmed.size() > 2) return std::string(value);
  return std::string(3 - trimmed.size(), '0') + trimmed;
}

std::string UsStateCode(std::string_view text) {
  const std::string upper = UpperAscii(TrimBlanksTabsView(text));
  for (const StateName& s : kStates) {
    if (upper == s.code || upper == s.name) return std::string(s.code);
  }
  return upper.substr(0, std::min<std::size_t>(2, upper.size()));
}

std::string DuplicateMessage(int rule, ContestCode code, bool uiGerman) {
  switch (rule) {
    case 1: return PickText(uiGerman, "bereits auf Band/Mode vorhanden", "Call already exists on band/mode");
    case 2: return PickText(uiGerman, "bereits auf Band vorhanden", "Call already exists on band");
    case 3: return PickText(uiGerman, "bereits in Betriebsart vorhanden", "Call already exists on mode");
    case 4:
      if (code == '6') {
        return PickText(uiGerman, "bereits in Band und Periode vorhanden",
                        "Call already exists on band and period");
      }
      return PickText(uiGerman, "bereits in Band und Tag vorhanden", "Call already exists on band and day");
    case 5: return PickText(uiGerman, "bereits vorhanden", "Call already exists");
    default: return {};
  }
}

bool IsDuplicate(FileBlock& qsoFile, const DuplicateQuery& q, const SuffixTable& suffixes) {
  if (q.rule < 1 || q.rule > 5 || (q.rule == 5 && !q.includeRule5)) return false;
  const std::string call14 = Call14(q.call, suffixes);
  if (TrimBlanksTabsView(call14).empty()) return false;
  QsoRecord stored(QsoRecord::Record(qsoFile.Record().data(), kQsoRecordSize));

  // Every stored QSO under key counts but the excluded one.
  auto anyUnder = [&](int index, const KeyString& key) {
    Status st = qsoFile.FindAtLeast(index, key);
    while (st.ok() && KeyStartsWith(qsoFile.BuildKey(index), key.view())) {
      if (qsoFile.CurrentRef() != q.exclude) return true;
      st = qsoFile.MoveNext(index);
    }
    return false;
  };
  if (q.rule == 1) {
    KeyString key;
    key.AppendByte(static_cast<std::uint8_t>(q.band));
    key.Append(call14);
    key.AppendPadded(q.mode, 6);
    return anyUnder(kIndexByBandCallMode, key);
  }
  if (q.rule == 5) {
    return anyUnder(kIndexByCall, KeyString(call14));
  }
  if (q.rule == 3) {
    const bool entryCw = q.mode == "CW";
    Status st = qsoFile.FindAtLeast(kIndexByCallAndTime, KeyString(call14));
    while (st.ok()) {
      if (!KeyStartsWith(qsoFile.BuildKey(kIndexByCallAndTime), call14)) break;
      if (!stored.IsQsyMarker() && qsoFile.CurrentRef() != q.exclude && (stored.mode() == "CW") == entryCw) {
        return true;
      }
      st = qsoFile.MoveNext(kIndexByCallAndTime);
    }
    return false;
  }
  // Rules 2 and 4 walk the QSOs of the station on the band.
  std::string prefix(1, q.band);
  prefix += call14;
  Status st = qsoFile.FindAtLeast(kIndexByBandCallMode, KeyString(prefix));
  const std::string entryFull = BaseCall(q.call, CallPart::kDesignator, suffixes);
  while (st.ok()) {
    if (!KeyStartsWith(qsoFile.BuildKey(kIndexByBandCallMode), prefix)) break;
    if (!stored.IsQsyMarker() && qsoFile.CurrentRef() != q.exclude) {
      if (q.rule == 2) {
        if (q.code != '9') return true;
        if (BaseCall(stored.call(), CallPart::kDesignator, suffixes) == entryFull) return true;
      } else if (q.code == '6') {
        constexpr TimeOfDay kSplit = 15 * 3600;
        if ((stored.qsoTime() < kSplit) == (q.time < kSplit)) return true;
      } else if (stored.qsoDate() == q.date) {
        return true;
      }
    }
    st = qsoFile.MoveNext(kIndexByBandCallMode);
  }
  return false;
}

std::string CapitaliseWords(std::string_view text) {
  std::string s(text);
  bool wordStart = true;
  for (char& c : s) {
    if (c == ' ' || c == '-' || c == '/' || c == '.') {
      wordStart = true;
      continue;
    }
    if (wordStart) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c == '\xE4') c = '\xC4';
      if (c == '\xF6') c = '\xD6';
      if (c == '\xFC') c = '\xDC';
    }
    wordStart = false;
  }
  return s;
}

}  // namespace korv
