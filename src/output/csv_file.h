// The CSV file (".CSV"): the QSO list with ";" between the fields, for
// spreadsheets. No title, no summary, no line prefix.
//
//   heading   "Nr   DATE  ;UTC ;CALL    ;BAND;MODE  ;SENT     ;RCVD     ;DOK  ;P"
//             (widths as measured, see qso_list_writer.h)
//   lines     "ddmmyy;hh:mm;<call W>;<band>;<mode>;<sent Ws>;<rcvd Wr>;<multi>;<points>"
//             in order of entry, QSY marker lines skipped; band and mode
//             trimmed, every other field keeps its padding
#pragma once

#include "output/output_context.h"
#include "output/output_text.h"

namespace korv {

OutputResult CsvFile(const OutputContext& ctx, FileBlock& qsoFile);

}  // namespace korv
