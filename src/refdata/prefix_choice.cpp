#include "refdata/prefix_choice.h"

namespace korv {

PrefixChoiceTexts PrefixChoiceHeader(const PrefixChoiceRequest& request) {
  PrefixChoiceTexts t;
  if (request.forQso) {
    t.qsoLine = "QSO:  " + request.call + "  " + DateToText(request.qsoDate);
    t.line1 =
        "F\xFCr das aktuelle Rufzeichen stehen mehrere DXCC zur Auswahl. Durch Doppelklick auf";
    t.line2 = "einen der unteren Eintr\xE4ge wird dem QSO ein DXCC zugeordnet.";
  } else {
    t.line1 =
        "F\xFCr den Pr\xE4"
        "fix stehen mehrere DXCC zur Auswahl. Durch Doppelklick auf";
    t.line2 =
        "einen der unteren Eintr\xE4ge wird dem Pr\xE4"
        "fix ein DXCC zugeordnet.";
  }
  t.hint = "Sie k\xF6nnen auch die Pfeiltasten <hoch> und <runter> nutzen.";
  return t;
}

std::vector<PrefixChoiceRow> PrefixChoiceRows(const PrefixChoiceRequest& request) {
  std::vector<PrefixChoiceRow> rows;
  int nr = 0;
  for (const PrefixRecord& rec : request.candidates) {
    PrefixChoiceRow row;
    row.nr = std::to_string(++nr);
    row.dxcc = rec.dxccPrefix();
    row.cq = rec.cqZone();
    row.itu = rec.ituZone();
    row.country = rec.country();
    row.remark = rec.referencePrefix();
    row.valid = request.qsoDate <= 0 || PrefixValidAt(rec, request.qsoDate);
    if (!row.valid) {
      if (!row.remark.empty()) row.remark += ' ';
      row.remark += "(am " + DateToText(request.qsoDate) + " nicht g\xFCltig)";
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace korv
