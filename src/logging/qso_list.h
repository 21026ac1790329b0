// What the QSO lists show: the row and header texts of a QSO, the orders of
// the logging window's list, the ranges of the list window's three modes and
// the search for the last QSO of a band. The windows hand these to the
// record browser (controls/browser.h), which splits rows at ";".
#pragma once

#include <optional>
#include <string>

#include "logging/qso_record.h"
#include "refdata/callsign.h"
#include "shell/contest_rules.h"
#include "storage/file_block.h"
#include "storage/key.h"

namespace korv {

struct QsoListFormat {
  std::string datePicture = "dd.mm.yy";
  std::string timePicture = "hh:mm";
  bool uiGerman = true;
};

// Character 0x01 in front of a row: the list draws it highlighted.
inline constexpr char kMarkedRowPrefix = '\x01';

// The row of one QSO (or QSY marker line), cells separated by "; "; the
// multiplier cells of the set headings are each closed by ";" alone.
std::string QsoRowText(const QsoRecord& record, const ContestRules& rules,
                       const QsoListFormat& format);
// The column titles in the same order, separated by ";".
std::string QsoHeaderText(const ContestRules& rules, const QsoListFormat& format);

// An order of a list: the QSO file's index and the key range.
struct QsoListOrder {
  int index = 0;
  KeyString lower;
  KeyString upper;
};

inline constexpr int kLogListOrders = 7;
// The logging window's orders (0-6): the current band's QSOs by second band
// number, base call and prefix; all QSOs by record number, base call, prefix
// and DOK. nullopt for any other position.
std::optional<QsoListOrder> LogListOrder(int position, BandIndex band);
// The order the list opens in: all QSOs by record number.
inline constexpr int kLogListDefaultOrder = 3;

// The list window's modes.
enum class KorrekturKind { kCorrections = 0, kCallSearch = 1, kBandLog = 2 };
QsoListOrder KorrekturOrder(KorrekturKind kind, BandIndex band);
// The call search: every QSO whose base call begins with the base call of
// `typed` (in capitals). nullopt when nothing is left to search for.
std::optional<QsoListOrder> CallSearchOrder(std::string_view typed, const SuffixTable& suffixes);

// Positions the file on the QSO of `band` with the highest second band
// number. False when the band has none (the record buffer is then undefined).
bool FindLastQsoOfBand(FileBlock& qsoFile, BandIndex band);
// Positions the file on the QSO with this record number.
bool FindQsoByRecordNo(FileBlock& qsoFile, std::uint32_t recordNo);

}  // namespace korv
