#include "output/adif_import.h"

#include <algorithm>

#include "common/picture.h"
#include "common/text.h"
#include "logging/exchange_rules.h"
#include "output/adif_reader.h"
#include "refdata/bands.h"

namespace korv {
namespace {

constexpr const char* kStandardNames[] = {"CALL", "QSO_DATE", "TIME_ON", "RST_SENT",
                                          "RST_RCVD", "BAND", "FREQ", "MODE"};

// The extra received fields in the order of the right list.
std::vector<std::pair<std::string, EntryField>> ExtraFields(const EntrySession& session) {
  std::vector<std::pair<std::string, EntryField>> fields;
  const EntryView view = session.View();
  const EntryField rcvd[] = {EntryField::kRcvd2, EntryField::kRcvd3, EntryField::kRcvd4};
  for (int n = 2; n <= 4; ++n) {
    const EntryField f = rcvd[n - 2];
    if (!view.visible[FieldSlot(f)]) continue;
    std::string name = session.rules().fieldCaption[n];
    if (name.empty()) name = ExchangeKindCaption(session.rules().receivedKind[n], session.contestCode());
    if (name.empty()) name = "FELD" + std::to_string(n - 1);
    fields.emplace_back(name, f);
  }
  return fields;
}

}  // namespace

std::vector<std::string> AdifLogFieldNames(const EntrySession& session) {
  std::vector<std::string> names(std::begin(kStandardNames), std::end(kStandardNames));
  for (const auto& [name, field] : ExtraFields(session)) names.push_back(name);
  return names;
}

std::string AdifAutomaticFileField(std::string_view logField, const std::vector<std::string>& fileFields) {
  struct Alias {
    std::string_view logField;
    std::string_view fileField;
  };
  static constexpr Alias kAliases[] = {
      {"DOK", "DARC_DOK"}, {"DOK", "SRX_STRING"}, {"LDK", "SRX_STRING"}, {"Area", "SRX_STRING"},
      {"LOC", "GRIDSQUARE"}, {"lfd.Nr.", "SRX"},
  };
  const auto has = [&fileFields](std::string_view name) {
    return std::find(fileFields.begin(), fileFields.end(), name) != fileFields.end();
  };
  if (has(logField)) return std::string(logField);
  for (const Alias& a : kAliases) {
    if (a.logField == logField && has(a.fileField)) return std::string(a.fileField);
  }
  return {};
}

std::vector<std::string> AdifSameNameMapping(const std::vector<std::string>& logFields) {
  std::vector<std::string> mapped;
  for (const std::string& f : logFields) mapped.push_back(f + " (" + f + ")");
  return mapped;
}

AdifImportCounts ImportAdifRecords(EntrySession& session, const std::vector<std::string>& records,
                                   const std::vector<std::string>& rightList, bool noCheck) {
  AdifImportCounts counts;
  const ContestRules& rules = session.rules();
  const auto extra = ExtraFields(session);
  // One flush for the whole import instead of two syncs per QSO: a crash in
  // between leaves InUse set, and the next opening repairs the file with
  // every QSO that reached it (the ADIF file stays the source).
  FileBlock* qsoFile = session.qsoFile();
  const bool flushEach = qsoFile != nullptr && qsoFile->FlushAfterWrite();
  if (flushEach) qsoFile->SetFlushAfterWrite(false);
  session.BeginImport();
  for (const std::string& record : records) {
    session.PrepareNewEntry();
    // A mapped field's value, or the entry field's current text.
    auto value = [&](std::string_view logField, EntryField field) {
      const std::string name = AdifMappedName(rightList, logField);
      const std::string v = AdifEntryText(name == "QSO_DATE" || name == "TIME_ON" ? name : std::string(logField),
                                          AdifFieldValue(record, name));
      return v.empty() ? session.FieldText(field) : v;
    };
    auto raw = [&](std::string_view logField) { return AdifFieldValue(record, AdifMappedName(rightList, logField)); };

    session.SetFieldText(EntryField::kCall, value("CALL", EntryField::kCall));
    session.SetFieldText(EntryField::kDate, value("QSO_DATE", EntryField::kDate));
    session.SetFieldText(EntryField::kTime, value("TIME_ON", EntryField::kTime));
    const std::string name = AdifFieldValue(record, "NAME");
    const std::string qth = AdifFieldValue(record, "QTH");
    if (!name.empty()) session.SetFieldText(EntryField::kName, name);
    if (!qth.empty()) session.SetFieldText(EntryField::kQth, qth);
    const bool listener = rules.listenerLog != 0;
    session.SetFieldText(listener ? EntryField::kRstRcvd1 : EntryField::kRstSent1,
                         value("RST_SENT", listener ? EntryField::kRstRcvd1 : EntryField::kRstSent1));
    session.SetFieldText(listener ? EntryField::kRstSent1 : EntryField::kRstRcvd1,
                         value("RST_RCVD", listener ? EntryField::kRstSent1 : EntryField::kRstRcvd1));
    for (const auto& [fieldName, field] : extra) session.SetFieldText(field, value(fieldName, field));

    const std::string mode = raw("MODE");
    if (!AdifModeAccepted(rules, mode, noCheck)) {
      ++counts.modeErrors;
      continue;
    }
    const std::string band = raw("BAND");
    std::string freq = raw("FREQ");
    const BandIndex qsoBand = AdifQsoBand(rules, freq, band, noCheck, session.band());
    if (!IsBand(qsoBand)) {
      ++counts.bandErrors;
      continue;
    }
    std::replace(freq.begin(), freq.end(), '.', ',');
    if (const DecimalResult mhz = ParseDecimal(freq); freq.empty() || !mhz.ok() || BandFromFrequency(mhz.value) != qsoBand) {
      // A frequency that is not on the QSO's band stands for nothing: the
      // band's nominal frequency, as when the file gives the band alone.
      const double nominal = BandFrequencyFromText(BandName(qsoBand));
      freq = nominal > 0 ? TrimBlanksTabs(FormatPicture(nominal, "#####,###")) : std::string();
    }
    session.SetFieldText(EntryField::kFreq, freq);
    session.SetEntryBandAndMode(qsoBand, mode.empty() ? session.mode() : mode.substr(0, 6));
    session.CollectEntry();
    session.ResolveEntryPrefix();
    if (session.EntryIsValid(/*quiet=*/true) && session.Save(SaveSender::kAdifImport)) {
      ++counts.imported;
    } else {
      ++counts.duplicates;
    }
  }
  if (flushEach) {
    qsoFile->SetFlushAfterWrite(true);
    (void)qsoFile->Flush();
  }
  session.FinishImport();
  return counts;
}

}  // namespace korv
