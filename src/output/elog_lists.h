// The E-Log text lists: QSO list (".ALL"), complete file (".TXT": cover
// sheet, then the QSO list), band list (".BND") and multiplier check list
// ("-multi.txt"). Every line begins with five blanks and ends with CR LF.
//
// QSO list grammar:
//   title      contest name + "  -  QSO-Liste     CALL: " + own call
//              (listener logs "...     SWL : " + SWL number), padded to 77
//   blank
//   heading    QsoListHeading
//   QSO lines  in order of entry (index 4), QSY marker lines skipped but
//              counted in the position numbers
//   summary    right-aligned to the end of the longest QSO line:
//                blank
//                "(" M1 + M2 ... ")" + " x " + P(7)     columns above 0, 5 places
//                blank
//                S(7) + " Punkte"
//              or, without multipliers or with a score switch, one line
//                P(7) + " Punkte"  (bandSumScore: the score)
//
// Band list: per band slot holding a band: two blank lines, "Band List   " +
// own call (29) + "   " + band name, blank, heading, the band's QSOs in
// band-number order (index 8).
//
// Multiplier check list: title (contest name + " Multiplier Check List   " +
// own call, padded to 65), two blank lines, "Multi" (8) + band names (13
// each), blank, then one row per distinct DOK (DOK order, index 18) and per
// distinct DXCC prefix (prefix order, index 5) with the first call worked on
// each band (12, padded to 13).
#pragma once

#include <string>
#include <vector>

#include "output/output_context.h"
#include "output/output_text.h"
#include "output/qso_list_writer.h"

namespace korv {

// The QSO list (".ALL") of the open QSO file of the log.
OutputResult ElogQsoList(const OutputContext& ctx, FileBlock& qsoFile);

// The complete file (".TXT"): cover sheet lines followed by the QSO list.
OutputResult ElogCompleteFile(const OutputContext& ctx, FileBlock& qsoFile);

// The band list (".BND").
OutputResult ElogBandList(const OutputContext& ctx, FileBlock& qsoFile);

// The multiplier check list ("-multi.txt").
OutputResult ElogMultiplierCheckList(const OutputContext& ctx, FileBlock& qsoFile);

// The summary lines under the QSO list (blank line first), right-aligned in
// `width` (the length of the longest QSO line).
std::vector<std::string> QsoListSummary(const OutputContext& ctx, std::size_t width);

// The title lines of the lists (without the printed page number).
std::string QsoListTitle(const OutputContext& ctx);
std::string BandListTitle(const OutputContext& ctx, BandIndex band);
std::string MultiplierCheckTitle(const OutputContext& ctx);
// "Multi" (8) + the band names (13 each).
std::string MultiplierCheckHeading(const ContestRules& rules);
// The rows of the multiplier check list: DOK rows, then DXCC prefix rows.
Status MultiplierCheckRows(const OutputContext& ctx, FileBlock& qsoFile, std::vector<std::string>& rows);

// Heading, QSO lines and summary of the QSO list.
struct ListBody {
  std::string heading;
  std::vector<std::string> lines;
  std::vector<std::string> summary;
};
Status QsoListBody(const OutputContext& ctx, FileBlock& qsoFile, ListBody& body);

// The QSO lines of one band slot of the band list.
struct BandSection {
  BandIndex band = ' ';
  std::vector<std::string> lines;
};
// The common heading and one section per band slot holding a band.
Status BandListBody(const OutputContext& ctx, FileBlock& qsoFile, std::string& heading,
                    std::vector<BandSection>& sections);

// Appends title, heading, QSO lines and summary of the QSO list to `out`.
Status AppendElogQsoList(const OutputContext& ctx, FileBlock& qsoFile, OutputText& out);

}  // namespace korv
