// The common QSO-list writer: walking a contest log's QSO file, the column
// widths measured over it, and the list line of one QSO. The E-Log lists,
// the CSV file and the printed lists are built from these pieces.
//
// List line (fields joined by one blank, ";" in the CSV file):
//   FIELD       WIDTH  CONTENT
//   number      4      position in entry order, right-aligned (not in CSV
//                      nor in listener logs)
//   date        6      "ddmmyy"; blanks when the QSO has no date
//   time        4      "hhmm" ("hh:mm" in CSV); blanks when it has no time
//   call        W      trimmed call, padded; W = longest call + 2, >= 8
//   band        4      BandName without its last character, a "c" removed
//                      and a blank appended ("80  ", "70  ", "1.2 ")
//   mode        6      mode text, padded
//   sent        Ws     report (3) + blank + rest of the sent exchange text;
//                      Ws = longest sent text + 2, >= 9
//   received    Wr     the same from the received text
//   multipliers W1..3  value of each captioned multiplier column, padded;
//                      Wn = max(caption, longest value) + 2
//   points      Wp     right-aligned; Wp = longest points text, >= 1
// Listener logs: received exchange, the worked call (CALL2) and the sent
// exchange in place of sent and received.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "logging/qso_record.h"
#include "shell/contest_rules.h"
#include "storage/file_block.h"

namespace korv {

// QSO file indexes the writers walk.
inline constexpr int kQsoIndexDateTime = 1;
inline constexpr int kQsoIndexRecordNo = 4;  // order of entry
inline constexpr int kQsoIndexPrefix = 5;
inline constexpr int kQsoIndexBandNumber = 8;  // band + BandNo2
inline constexpr int kQsoIndexSerialNo = 13;
inline constexpr int kQsoIndexDok = 18;

// Called with a copy of each record; returning false ends the walk.
using QsoVisitor = std::function<bool(const QsoRecord& qso)>;

// Visits the records of an open QSO file in the order of `index`, from its
// first key, or from the first key at or after `from` when it is not empty.
// Ends without error at the end of the index (an empty file included);
// returns the status of a storage step that failed otherwise. A file whose
// records are not QSO records gives kRecLenDiffers. The file's record buffer
// and current position change.
Status WalkQsoFile(FileBlock& qsoFile, int index, const QsoVisitor& visit,
                   const KeyString& from = KeyString());

// One multiplier column of the list: caption, the record field it shows
// (1 = Multi1, 2 = Multi2, 3 = Multi3) and its width.
struct ListColumn {
  std::string caption;
  int field = 1;
  std::size_t width = 0;
};

struct ListWidths {
  std::size_t call = 8;
  std::size_t call2 = 9;  // listener logs: the worked call
  std::size_t sent = 9;
  std::size_t received = 9;
  std::size_t points = 1;
  std::vector<ListColumn> columns;  // the captioned columns in order
};

// The widths before measuring: the minimum widths and the captioned columns.
ListWidths MinimumListWidths(const ContestRules& rules);

// Measures the widths over all records of the QSO file (QSY marker lines
// included, as the log holds them).
Status MeasureListWidths(FileBlock& qsoFile, const ContestRules& rules, ListWidths& widths);

// Widens `widths` for one record.
void MeasureRecord(const QsoRecord& qso, bool listenerLog, ListWidths& widths);

enum class ListStyle : std::uint8_t {
  kList,  // E-Log lists and printed lists: blank-separated, padded
  kCsv,   // ";"-separated, no number, "hh:mm", band and mode trimmed
  kCabrillo,  // as kList without the number, time "hh:mm"
};

// "Nr   DATE   UTC  CALL ... P" (see the file comment).
std::string QsoListHeading(const ListWidths& widths, bool listenerLog, ListStyle style);

// The line of one QSO; `position` is its place in entry order (1-based,
// QSY marker lines counted).
std::string QsoListLine(const QsoRecord& qso, int position, const ListWidths& widths,
                        bool listenerLog, ListStyle style);

// The four-character band column of the lists ("80  ", "70  ", "2189").
std::string ListBandText(BandIndex band);

// text followed by blanks up to `width`; a longer text is kept whole.
std::string PadRightKeep(std::string_view text, std::size_t width);

// The value right-aligned in `width` places; a longer value is kept whole
// (a picture of "#" places would print asterisks instead).
std::string RightAligned(std::int64_t value, std::size_t width);

}  // namespace korv
