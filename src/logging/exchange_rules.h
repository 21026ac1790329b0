// What the received exchange fields mean, which values are acceptable, and
// whether a call is a duplicate under the contest's rule.
//
// Exchange field kinds (receivedKind / sentKind of the contest rules):
//   4 DOK          -> Dok, German calls only, DOK test
//   5, 6 locator   -> RxLocator and DistanceKm
//   7, 11, 13      running numbers (only in the exchange string)
//   8 area         -> Dok without test
//   12 US state    -> AreaCode (2-letter code)
//   15 postcode    -> AreaCode (first 2 characters)
//   16 member no.  -> Multi3 (first 4 characters)
//   17 district    -> Dok without test; shown for German calls only
//   19 Naval/QCWA  -> Multi3 (first 6 characters)
#pragma once

#include <string>
#include <string_view>

#include "files/contest_header.h"
#include "logging/qso_record.h"
#include "refdata/callsign.h"
#include "shell/contest_rules.h"
#include "storage/file_block.h"

namespace korv {

// A call of at least 2 characters: "D" then A-H or J-R.
bool IsGermanCall(std::string_view call);

// Shorter than 2 characters: no; 3 or more: yes; exactly 2: one of the
// special two-character DOKs.
bool DokIsAcceptable(std::string_view dok);

// "J" + digit + any character: refused while its field has the focus.
bool IsRefusedJDok(std::string_view dok);

// The base call of the trimmed call is not empty, has at least 3
// characters (4 when it begins with "D"), does not begin with two digits
// and does not begin with three letters.
bool CallIsValid(std::string_view call, const SuffixTable& suffixes);

// Caption of a received field of a kind ("DOK", "LOC", "lfd.Nr." ...);
// empty for a kind without caption.
std::string ExchangeKindCaption(int kind, ContestCode code);

// A running number field (kinds 7, 11, 13).
inline bool IsRunningNumberKind(int kind) { return kind == 7 || kind == 11 || kind == 13; }

// "7" -> "007": a trimmed value of 1 or 2 characters padded with "0" on the
// left to 3; any other value unchanged.
std::string PadRunningNumber(std::string_view value);

// The 2-letter code of a US state given by code or name; the first two
// letters upper-cased when the text is neither.
std::string UsStateCode(std::string_view text);

// The message of a duplicate rule after "Call " + base call (German) or the
// English message alone.
std::string DuplicateMessage(int rule, ContestCode code, bool uiGerman);

struct DuplicateQuery {
  std::string_view call;  // the entry's call
  BandIndex band = 0;     // current band
  std::string_view mode;  // current mode text
  TimeOfDay time = kNoTime;
  DayNumber date = kNoDate;
  ContestCode code = 0;
  int rule = 0;           // the contest's duplicate rule 0..5
  bool includeRule5 = false;  // rule 5 is tested only when the call field is left
  RecordRef exclude = 0;      // a stored QSO that does not count (the one being edited)
};

// Searches the stored QSOs (the file's record buffer is overwritten). True
// when the entry is a duplicate under the rule.
bool IsDuplicate(FileBlock& qsoFile, const DuplicateQuery& query, const SuffixTable& suffixes);

// "Name" rule of the suite: the first letter of every word upper case.
std::string CapitaliseWords(std::string_view text);

}  // namespace korv
