#include "output/csv_file.h"

#include "output/qso_list_writer.h"

namespace korv {

OutputResult CsvFile(const OutputContext& ctx, FileBlock& qsoFile) {
  const bool listener = ctx.rules.listenerLog != 0;
  ListWidths widths;
  Status st = MeasureListWidths(qsoFile, ctx.rules, widths);
  if (!st.ok()) return OutputResult::Failed(st);
  OutputText out;
  out.Line(QsoListHeading(widths, listener, ListStyle::kCsv));
  int position = 0;
  st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    ++position;
    if (!qso.IsQsyMarker()) {
      out.Line(QsoListLine(qso, position, widths, listener, ListStyle::kCsv));
    }
    return true;
  });
  if (!st.ok()) return OutputResult::Failed(st);
  return {Status::Ok(), out.Take()};
}

}  // namespace korv
