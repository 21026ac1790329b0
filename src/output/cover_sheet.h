// The cover sheet ("Deckblatt"): the page that heads a paper log and the
// E-Log cover file (".SUM"). It carries the entrant's address, call, DOK and
// locator, the participation type, the table of QSOs, points and multipliers
// per band, the line "Endergebnis:" and the signed declaration.
//
// File grammar (.SUM): every line is "     " + text + CR LF, blank lines
// included. Lines for code '3' (German texts):
//   3 blank lines
//   "Name:"/"Anschrift:"/"Ort:" padded to 12 + name / street / postcode town
//   blank, blank, blank
//   contest name centred in 60 (blanks in front only)
//   blank
//   "Call: " + call(13) + "DOK: " + DOK(13) + "Loc: " + locator(9)
//     ("SWL:  " + SWL number(20) when an SWL number is set)
//   blank
//   "Teilnahmeart: " + type description, or empty
//   blank
//   band table: heading, one line per band slot, underline, "Summe" line,
//     underline
//   blank
//   10 blanks + "Endergebnis:  P Punkte x M Multi = S Punkte"
//   underline, blank
//   declaration (3 lines), blank
//   "Ort: <town>     Datum: dd.mm.yyyy   Call: <call>" padded to 43
//   "Dieses ContestLog wurde mit <version> erstellt. (<web address>)"
//   3 blank lines
// Only the German label set is built; the English set (uiGerman false, no
// contest of this build) is not.
#pragma once

#include <string>
#include <vector>

#include "output/output_context.h"
#include "output/output_text.h"

namespace korv {

// One line of the cover sheet; bold lines are printed bold (files carry no
// emphasis).
struct CoverLine {
  std::string text;
  bool bold = false;
  friend bool operator==(const CoverLine&, const CoverLine&) = default;
};

enum class CoverMedium : std::uint8_t {
  kFile,     // the signature line carries no "Unterschrift" field
  kPrinter,  // "Unterschrift _______________" and a blank line after it
};

// The cover sheet's lines in order, without the file prefix.
std::vector<CoverLine> CoverSheetLines(const OutputContext& ctx, CoverMedium medium);

// Appends the cover sheet as file lines (each with the five-blank prefix of
// `out`).
void AppendCoverSheet(const OutputContext& ctx, OutputText& out);

// The E-Log cover file (".SUM").
std::string CoverSheetFile(const OutputContext& ctx);

}  // namespace korv
