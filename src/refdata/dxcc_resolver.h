// Resolution of a call sign to its DXCC country at the date of a QSO, over
// the prefix table KVPREFIX and the exception tables KVPREFEE and KVPREFES.
//
// Order of work:
//  1. Exceptions: KVPREFEE, then KVPREFES, by index 1 with the whole call and
//     then ever shorter beginnings of it (at most 6 characters). An entry
//     counts when it is the whole call and not marked 'J', or when it is
//     marked 'J' (call beginning); an entry whose validity dates exclude the
//     QSO date is passed over. A hit is the result as it stands. Then the
//     country file's exact calls too long for KVPREFES (files.longCalls),
//     by the whole call.
//  2. A QSO date of 0 or less means options.today.
//  3. Calls with a part "MM" or "AM" after the call (maritime and aeronautical
//     mobile: "DL1ABC/MM", "DL1ABC/AM/2") belong to no country: result 3.
//  4. Designators: a special designator ("SV1ABC/A" -> "SV/A", see
//     SpecialDesignatorCall) is searched as it is. Any other call with
//     characters beside A-Z and 0-9 is first tried with "/" + digit by
//     index 3 (the part before "/" and up to three characters after it),
//     then searched by its designator when it has one (BaseCall:
//     "DL1ABC/EA8" and "EA8/DL1ABC" by "EA8", "K1ABC/6" by "K6", "9M2ABC/6"
//     by "9M6"), and by its base call when the designator finds nothing; else
//     by its base call ("DL1ABC/P" by "DL1ABC").
//  5. Search: the text loses its last character after each miss. A text
//     holding "/" + digit is looked up by index 3; otherwise by index 1, where
//     an entry matches when its prefix equals the text; or has the text's
//     length, the same characters before the last, and a range (offset 107)
//     from its last character up to the range end that holds the text's last
//     character; or carries a wildcard at the text's last position or just
//     after the text that accepts the call's character there ('#' a digit,
//     '~' a letter, '?' any character) - then the search continues with the
//     wildcard put into the text. Exact matches win over ranges, ranges over
//     wildcards.
//  6. The matched entry is followed: when it was matched by index 1 and the
//     entries of its prefix (index 3) carry a suffix qualifier (offset 18) or
//     differ in their DXCC prefix, several countries share the prefix (the
//     choice below); a second period prefix whose date is not before the QSO
//     date is resolved instead; otherwise, when there is no first period
//     prefix or its date lies before the QSO date, the validity dates are
//     checked (result 2 outside them), an entry without reference prefix is
//     the result, and one with a reference is resolved through reference +
//     the rest of the text after the matched prefix (the matched prefix is
//     written into the result); otherwise the first period prefix is resolved
//     ("RA" gets the call's third character appended when that is a digit).
//     Every search after the first counts as nested: a sixth search gives 1,
//     which also ends any loop in the data.
//  7. The resulting prefix text (offset 4) is completed: a trailing "-" goes,
//     the first "?" (else "#", else "~") becomes the call's character at that
//     place, and a one- or two-character prefix not ending in a digit gets
//     the call's district digit that follows it (only when the call starts
//     with that prefix): "DL" + "DL1ABC" -> "DL1".
//  8. Choice: with `interactive` and a chooser, up to 30 entries sharing the
//     prefix (index 3) are offered; a cancel gives 1. The taken entry is
//     followed as in 6; when that resolves, the call is longer than three
//     characters and fits the six-character prefix field, and KVPREFEE has
//     no entry for it, the resolved record is added to KVPREFEE with the call
//     as prefix, so the next resolution takes it from there without asking.
//     Without the dialog the first entry without qualifier is taken, else the
//     result is 1 (a text after "/" has been resolved as designator in 4, so
//     it cannot name a qualifier here).
//
// Results: 0 resolved (the record is in files.prefix->Record()), 1 not
// resolved (the buffer is cleared), 2 not valid at the QSO date (the buffer
// holds the entry that is not valid), 3 maritime or aeronautical mobile (the
// buffer is cleared). A missing KVPREFIX gives 1 for every
// call. Any text is accepted: lower case is upper-cased, blanks and tabs at
// both ends are dropped.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/dates.h"
#include "refdata/prefix_files.h"
#include "refdata/prefix_record.h"

namespace korv {

inline constexpr int kDxccResolved = 0;
inline constexpr int kDxccUnresolved = 1;
inline constexpr int kDxccNotValid = 2;
// Maritime and aeronautical mobile ("/MM", "/AM"): deliberately no country.
inline constexpr int kDxccNoEntity = 3;

inline constexpr int kMaxNestedSearches = 5;
inline constexpr std::size_t kMaxPrefixChoices = 30;

struct PrefixChoiceRequest {
  std::span<const PrefixRecord> candidates;  // index 3 order, at most 30
  std::string call;                          // upper case
  DayNumber qsoDate = kNoDate;               // the date validity is judged at
  bool forQso = true;                        // false: a bare prefix/lookup without QSO date
};

// The choice step: the dialog TPrefAuswahl in the program, a script in tests.
class PrefixChooser {
 public:
  virtual ~PrefixChooser() = default;
  // The index of the chosen candidate, or nullopt when the user cancelled.
  virtual std::optional<std::size_t> ChoosePrefix(const PrefixChoiceRequest& request) = 0;
};

struct DxccOptions {
  // The date used for a QSO date of 0 or less (the caller's clock). When this
  // is not a date either, validity dates and periods are not looked at.
  DayNumber today = kNoDate;
  // The choice dialog when the program setting enables it; nullptr: off.
  PrefixChooser* chooser = nullptr;
};

struct DxccResult {
  int result = kDxccUnresolved;  // kDxccResolved, kDxccUnresolved, kDxccNotValid, kDxccNoEntity
  bool choiceOffered = false;    // the chooser was asked (the choice marker)
};

DxccResult ResolveDxcc(std::string_view call, DayNumber qsoDate, bool interactive,
                       const PrefixFiles& files, const DxccOptions& options);

// True when `date` lies within the entry's validity dates (0 = unbounded).
bool PrefixValidAt(const PrefixRecord& record, DayNumber date);

// One line for the command-line tool: "CALL  PREFIX  CONTINENT  CQ  ITU
// ENTITYNUMBER  COUNTRY" (PREFIX is the country's DXCC prefix, fields joined
// by two blanks, Windows-1252), "CALL  none  maritime or aeronautical mobile:
// no DXCC entity" for result 3, or "CALL  unresolved" for results 1 and 2.
struct DxccLine {
  int result = kDxccUnresolved;
  std::string text;
};
DxccLine ResolveDxccLine(std::string_view call, DayNumber date, const PrefixFiles& files,
                         DayNumber today);

}  // namespace korv
