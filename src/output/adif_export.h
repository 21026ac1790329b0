// The ADIF export (".ADI"): the contest's QSOs for other logbooks.
//
// Grammar:
//   ADIF-Export generated with Belvent <version> <web address>     flush left
//   <ADIF_VER:5>3.1.4 <PROGRAMID:7>KorvDEZ <PROGRAMVERSION:n>...  flush left
//   <CREATED_TIMESTAMP:15>yyyymmdd hhmmss (UTC)     when the moment is known
//   <EOH>                                                          flush left
//   one line per QSO (order of entry, QSY marker lines skipped):
//     "     " + fields, each "<NAME:length>value " + "<EOR>"
//   fields in this order:
//     QSO_DATE:8 yyyymmdd       only when the QSO has a date
//     TIME_ON:4 hhmm            only when it has a time
//     CALL
//     RST_SENT, RST_RCVD        rstOnly: the reports (first three characters
//     STX, SRX                  of the exchange texts, trimmed), then the rest
//     STX_STRING, SRX_STRING    of each text, trimmed, when there is one: in
//                               STX/SRX when it is a number, else in the
//                               _STRING field; not rstOnly: RST_SENT and
//                               RST_RCVD carry the whole exchange texts
//                               (listener logs: RST_SENT, CALL_WKD, RST_WKD)
//     BAND                      compact band name ("80m", "70cm")
//     MODE                      "PKT" for "PR"
//     PTS
//     DOK / AREA / LDK          always, also with length 0
//     GRIDSQUARE                always, also with length 0
//     DXCC, DXCC_PFX            when the prefix has an ADIF entity number
//     FREQ                      MHz "#####.####" trimmed, when above 0
//     NAME, QTH                 from the name/QTH text, when not empty
//     QSL_SENT:1, QSL_RCVD:1    when the mark is set; "J"/"j" become "Y"
// The length is the number of characters of the value.
#pragma once

#include <string>
#include <string_view>

#include "output/output_context.h"
#include "logging/qso_record.h"
#include "output/output_text.h"

namespace korv {

inline constexpr std::string_view kAdifVersion = "3.1.4";
inline constexpr std::string_view kAdifProgramId = "KorvDEZ";

// "<" + name + ":" + length + ">" + value + " ".
std::string AdifField(std::string_view name, std::string_view value);

// The record line of one QSO (without the five-blank prefix).
std::string AdifRecordLine(const OutputContext& ctx, const QsoRecord& qso, bool rstOnly);

// The whole export. rstOnly is the answer to "Von der Kontrollnummer nur
// RS(T) exportieren?".
OutputResult AdifExport(const OutputContext& ctx, FileBlock& qsoFile, bool rstOnly);

// The frequency as the export writes it ("3.5750"); empty when not above 0.
std::string AdifFrequencyText(float mhz);

}  // namespace korv
