// The Qt-free core of the contest list of the main window: the texts of the
// list's rows and header line, its sort orders and key bounds, the totals
// record every started log needs, and the removal of a whole contest log.
//
// A contest log consists of three parts that share its contest number: its
// header in the contest directory KVKK (files/contest_header.h), its totals
// record in KVKZ, and its QSO file KVLKnnnn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/catalogue.h"
#include "files/contest_header.h"
#include "shell/contest_catalogue.h"
#include "storage/file_block.h"

namespace korv {

// Sort orders of the list, 0-based as the list counts them.
inline constexpr int kContestSortByName = 0;
inline constexpr int kContestSortByDate = 1;
inline constexpr int kContestSortOrderCount = 2;

// Offset of the number field (int32) in the totals record of KVKZ; its only
// index is EncodeLongKey of this field. The full record accessor lives in the
// logging library, which this library may not use.
inline constexpr std::size_t kTotalsNumberOffset = 4;

// Columns are separated by ";" in rows and in the header line.
//
// Name column of a row: the header's name followed by one blank (at most 26
// characters). Date column: the date in `datePicture` followed by three
// blanks, or blanks of the picture's length plus three for a date of 0 or
// less; cut to 20 characters.
//   by name: " " + name column + ";" + start date + ";" + end date
//   by date: " " + start date + ";" + name column + ";" + end date
// Any other sort order is treated as by name.
std::string ContestListRow(const ContestHeader& header, int sortOrder,
                           std::string_view datePicture);

// The header line: the same column order built from the column titles
// (" Name" padded to 26; "Datum (von)" / "Date (from)" and "Datum (bis)" /
// " Date (to) " padded with blanks to the picture's length plus three, never
// cut), preceded by one blank and followed by 200 blanks, cut at 255.
std::string ContestListHeaderLine(int sortOrder, std::string_view datePicture, bool uiGerman);

// The caption of a sort order: "Name", or "Datum" / "Date".
std::string SortCaption(int sortOrder, bool uiGerman);

// The KVKK index of a sort order: n + 1 (by name: index 1, by date: index 2).
int SortOrderIndex(int sortOrder);

// Lower and upper key of the list: both the one-character text of the
// active contest code (the code byte itself, also for the zero character),
// so that only logs of that code are listed.
struct ContestListKeyBounds {
  std::string lower;
  std::string upper;
};
ContestListKeyBounds ContestListBounds(ContestCode activeCode);

// Codes for which no configuration and no logging window is opened
// (M, W, X and the zero character).
inline bool IsCodeWithoutWindows(ContestCode code) { return IsCodeWithoutEntry(code); }

// Makes sure the totals file holds a record for `contestNumber`: looks it up
// (FindExact on index 1 with EncodeLongKey of the number); when there is
// none, clears the record buffer, sets the number field and inserts it. Never
// inserts a second record for a number. Afterwards the record buffer holds
// the log's totals record. Returns the failing status of a lookup that went
// wrong for another reason than a missing key (nothing is inserted then), or
// of the insert.
Status EnsureTotalsRecord(FileBlock& totals, std::int32_t contestNumber);

// Deletes the contest log whose header is current in `directory` (its record
// buffer and current record): opens its QSO file through the catalogue,
// deletes that file's data and index files and releases it; removes its
// totals record when there is one; removes the header, leaving the record
// after it current. When the QSO file cannot be opened nothing is deleted.
// Returns true when the header was removed.
bool DeleteContestLog(FileCatalogue& catalogue, FileBlock& directory, FileBlock& totals);

}  // namespace korv
