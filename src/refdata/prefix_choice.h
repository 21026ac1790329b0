// What the choice dialog "Auswahl DXCC" shows: its header texts and one row
// per candidate entry. Texts are Windows-1252.
#pragma once

#include <string>
#include <vector>

#include "refdata/dxcc_resolver.h"

namespace korv {

struct PrefixChoiceTexts {
  std::string qsoLine;  // "QSO:  CALL  dd.mm.yyyy"; empty for a bare prefix
  std::string line1;
  std::string line2;
  std::string hint;  // the arrow keys
};

struct PrefixChoiceRow {
  std::string nr;    // 1-based
  std::string dxcc;  // DXCC prefix (offset 11)
  std::string cq;
  std::string itu;
  std::string country;
  std::string remark;  // reference prefix, with a note when not valid at the date
  bool valid = true;
};

// Column headers and their widths in character cells (of the digit "8").
inline constexpr const char* kPrefixChoiceColumns[] = {"Nr",  "DXCC", "CQ",
                                                       "ITU", "Land", "Bemerkung"};
inline constexpr int kPrefixChoiceColumnCells[] = {4, 7, 4, 4, 31, 30};
inline constexpr int kPrefixChoiceFormCells = 30;  // the form's width beyond the columns

PrefixChoiceTexts PrefixChoiceHeader(const PrefixChoiceRequest& request);
std::vector<PrefixChoiceRow> PrefixChoiceRows(const PrefixChoiceRequest& request);

}  // namespace korv
