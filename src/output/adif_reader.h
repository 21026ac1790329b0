// Reading an ADIF file for the import: the file's records, the field names
// it uses, and a field's value in one record. Pure functions over the bytes
// of the file (Windows-1252); the import window maps the names and enters
// the values through the logging window.
//
// Reading rules:
//   - the file is split into lines (CR LF, LF or CR); every line is
//     upper-cased, values included;
//   - lines beginning with "#" and blank lines are skipped;
//   - "<EOH>" ends the header: everything collected before it is dropped,
//     the rest of its line is kept;
//   - the other lines are joined as they are (untrimmed, no separator);
//     every "<EOR>" closes a record, so a record may span several lines and
//     one line may hold several records. Text after the last "<EOR>" is no
//     record.
//   - a field's value is the text after its tag up to the next "<",
//     trimmed; the length in the tag is not used.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "refdata/bands.h"
#include "shell/contest_rules.h"

namespace korv {

struct AdifContents {
  // Upper-cased record texts, each ending with "<EOR>".
  std::vector<std::string> records;
  // Tag names in order of first appearance, "EOR" left out.
  std::vector<std::string> fieldNames;
};

AdifContents ReadAdifText(std::string_view fileBytes);

// The names of the tags of the records ("<NAME:length>" or "<NAME>"); a tag
// with a "<" before its ">" is skipped.
std::vector<std::string> AdifFieldNames(const std::vector<std::string>& records);

// The value of field `name` in `record`: after the first tag of exactly that
// name ("<NAME:" or "<NAME>") up to the next "<", trimmed. Empty for an
// empty name or a field the record lacks.
std::string AdifFieldValue(std::string_view record, std::string_view name);

// The file's field mapped to a log field in the import window's right list,
// whose entries read "LOGFIELD" or "LOGFIELD (FILEFIELD)". The last entry of
// that log field decides: the name in parentheses, or empty when it has
// none. A log field without an entry is read under its own name.
std::string AdifMappedName(const std::vector<std::string>& rightList, std::string_view logField);

// The value as the entry field takes it: QSO_DATE "yyyymmdd" becomes
// "dd.mm.yyyy" and "yymmdd" "dd.mm.yy"; TIME_ON "hhmmss" or "hhmm" becomes
// "hh:mm". Everything else is returned unchanged.
std::string AdifEntryText(std::string_view adifName, std::string_view value);

// The import's mode check: accepted without the check, when the value is one
// of the contest's modes, or when the modes hold "DIGITAL" and the value is
// none of "CW", "SSB", "FM".
bool AdifModeAccepted(const ContestRules& rules, std::string_view mode, bool noCheck);

// The import's band of a record: the contest band the frequency (MHz text,
// "." or ",") lies in; else the contest band BandFromText of the band value
// gives or whose printed name (with or without blanks) it is; else, without
// the check, the band of the frequency or of the band value, or `current`
// when neither names a band; else kNoBandText (a band error).
BandIndex AdifQsoBand(const ContestRules& rules, std::string_view frequency, std::string_view band,
                      bool noCheck, BandIndex current);

// The import's band check: AdifQsoBand finds a band.
bool AdifBandAccepted(const ContestRules& rules, std::string_view frequency, std::string_view band,
                      bool noCheck);

// The closing message: "<n> Datensätze importiert", then on new lines (CR LF)
// the duplicates, band errors and mode errors that are above 0.
std::string AdifImportMessage(int imported, int duplicates, int bandErrors, int modeErrors);

}  // namespace korv
