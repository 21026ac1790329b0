#include "output/csv_file.h"

#include <string>
#include <string_view>

#include "common/text.h"
#include "output/qso_list_writer.h"

namespace korv {
namespace {

// A list line's fields, trimmed, joined by ";": a spreadsheet gets one value
// per cell, and the heading names exactly the columns the rows carry (the
// list heading's "Nr" heads a number column the CSV rows do not have).
std::string CsvRow(std::string_view line, bool heading) {
  std::string row;
  std::size_t start = 0;
  for (bool first = true;; first = false) {
    const std::size_t end = line.find(';', start);
    std::string field = TrimBlanksTabs(line.substr(start, end == std::string_view::npos ? end : end - start));
    if (first && heading && field.starts_with("Nr")) field = TrimBlanksTabs(field.substr(2));
    if (!first) row += ';';
    row += field;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return row;
}

}  // namespace

OutputResult CsvFile(const OutputContext& ctx, FileBlock& qsoFile) {
  const bool listener = ctx.rules.listenerLog != 0;
  ListWidths widths;
  Status st = MeasureListWidths(qsoFile, ctx.rules, widths);
  if (!st.ok()) return OutputResult::Failed(st);
  OutputText out;
  out.Line(CsvRow(QsoListHeading(widths, listener, ListStyle::kCsv), true));
  int position = 0;
  st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    ++position;
    if (!qso.IsQsyMarker()) {
      out.Line(CsvRow(QsoListLine(qso, position, widths, listener, ListStyle::kCsv), false));
    }
    return true;
  });
  if (!st.ok()) return OutputResult::Failed(st);
  return {Status::Ok(), out.Take()};
}

}  // namespace korv
