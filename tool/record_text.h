// One line of text per record for `korvtool dump`: the fields of the record
// layouts the program knows, by name, as `name=value` pairs separated by one
// blank. Texts are quoted (see Quoted), dates dd.mm.yyyy, "-" for a date or
// time that is not set. Output is UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "common/coding.h"
#include "files/catalogue.h"

namespace korv::tool {

// Text of a record (Windows-1252) for the terminal: UTF-8, in double quotes,
// with '"' and '\' escaped by '\' and control characters (C0 and C1) as \xNN.
std::string Quoted(std::string_view cp1252);

// The contest directory KVKK (ContestHeader).
std::string ContestHeaderText(ConstBytes record);
// KVSETUP: the record number and the own-station fields.
std::string SetupText(ConstBytes record);
// KVPREFIX, KVPREFEE, KVPREFES (PrefixRecord).
std::string PrefixText(ConstBytes record);
// A QSO file KVLKnnnn: the main fields of the QSO record.
std::string QsoText(ConstBytes record);
// Every byte as two hex digits.
std::string HexText(ConstBytes record);

// The text of a record of `file` by the rules above (hex for the files
// whose layout is not known here).
std::string RecordText(SharedFile file, ConstBytes record);

}  // namespace korv::tool
