// The paper log: cover sheet, multiplier check list, band list and QSO list
// printed through the platform's print job, alone (kinds 1, 3, 4, 5) or all
// in one job (kind 6). The lines are those of the E-Log files; this adds the
// page layout.
//
// Layout, taken once per job from the printer (R = pixels per inch):
//   left margin   trunc(R * 1.4 / 2.54)
//   top margin    trunc(R / 2.54)
//   line advance  trunc(1.1 * height of "XygW")
//   font          "Courier New" 9 pt; 10 pt for the multiplier check list;
//                 8 pt for band and QSO list when the participation type is
//                 the fourth entry
// A line is drawn at the left margin; when the page height is below the
// current height plus one advance, a new page (with the list's page header)
// comes first. Page headers:
//   QSO list    bold: title (77) + "Page :" + page number (4); blank; heading
//               (the first page adds a blank line)
//   multi list  bold: title (65) + "Page :" + page number (4); 2 blanks;
//               heading
//   band list   per band: 2 blanks, bold title, blank, heading; a new page
//               inside a band repeats title, blank and heading
// The QSO list's summary starts a new page when fewer than four advances
// remain. Page numbers count the pages of the whole job.
#pragma once

#include <filesystem>

#include "files/catalogue.h"
#include "output/output_context.h"
#include "output/output_procedure.h"
#include "platform/platform.h"

namespace korv {

// Kinds 1, 3, 4, 5 and 6.
bool IsPaperOutput(OutputKind kind);

// The job's font.
PrintFont PaperLogFont(OutputKind kind, const OutputContext& ctx);

// Prints `kind` into the open document and resets the font style to normal;
// the caller ends the document. Returns the storage step that failed while
// the QSO file was read (the pages up to there are printed).
Status PrintPaperLog(PrintDocument& doc, OutputKind kind, const OutputContext& ctx, FileBlock& qsoFile);

struct PaperOutputJob {
  OutputKind kind = OutputKind::kPaperLog;
  // Opens and releases the log's QSO file (by the header's contest number).
  FileCatalogue* catalogue = nullptr;
  Platform* platform = nullptr;
  // Set: printed into this PDF file without the print dialog.
  std::filesystem::path pdfFile;
  // Where the print dialog proposes a PDF file (call and document title).
  std::filesystem::path directory;
};

// Runs one printer output for the log of ctx: the print dialog (cancel ends
// the output with nothing printed), the pages, the end of the document. A QSO
// file that cannot be opened ends the document without pages and without a
// message of its own. True when a document was printed and ended without a
// device or storage failure.
bool RunPaperOutput(const PaperOutputJob& job, const OutputContext& ctx);

}  // namespace korv
