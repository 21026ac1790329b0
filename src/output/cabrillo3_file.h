// The Cabrillo 3.0 file (".LOG", the name the contest robots ask for:
// "<call>.log"), beside the older tag set of cabrillo_file.h. Plain ASCII
// (Cabrillo3Ascii), CR LF after every line, header lines flush left:
//
//   START-OF-LOG: 3.0
//   CALLSIGN: <own call; the SWL number in a listener log>
//   CONTEST: <header's contest name: upper case, every run of characters
//             other than A-Z and 0-9 one "-", at most 32 characters>
//   CATEGORY-OPERATOR: SINGLE-OP      the header knows no other operation
//   CATEGORY-BAND: <band>             the one band of all QSOs (160M 80M 40M
//                                     20M 15M 10M 6M 2M 432 1.2G 2.3G 3.4G
//                                     5.7G 10G 24G), else ALL; also ALL for
//                                     a band without a category (30, 17 and
//                                     12 m, 136 kHz) and for an empty log
//   CATEGORY-MODE: <mode>             CW, SSB, FM, RTTY or DIGI when every
//                                     QSO line has the matching mode column
//                                     (CW, PH, FM, RY, DG), else MIXED
//   CATEGORY-TRANSMITTER: ONE         SWL in a listener log
//   CLAIMED-SCORE: <ClaimedScore>
//   OPERATORS: <as CALLSIGN>
//   NAME: / ADDRESS: / ADDRESS-CITY: / ADDRESS-POSTALCODE: /
//   ADDRESS-COUNTRY: / EMAIL:         name, street, town, postcode, country
//                                     and e-mail of the own station; each
//                                     only when set
//   GRID-LOCATOR: <header's locator>  only when set
//   LOCATION: <header's DOK>          only when set
//   CREATED-BY: <version text>
//   QSO: <one line per QSO>
//   END-OF-LOG:
// The header holds no power class, so CATEGORY-POWER is not written.
//
// QSO lines in entry order (index 4), QSY marker lines skipped; the columns
// of the QSO template, separated by one blank, a longer value kept whole:
//   QSO: freq  mo date       time call          rst exch   call          rst exch
//   QSO:  3650 PH 2009-06-15 1205 DL1ABC        59  N05    DL2XYZ        59  N01
//   freq  5, right-aligned: whole kHz, rounded from the stored MHz; without a
//         stored frequency the lowest kHz of the QSO's band (BandLowestKhz)
//   mo    Cabrillo3QsoMode
//   date  yyyy-mm-dd, time hhmm, as stored (UTC)
//   call  13; rst 3 (the first three characters of the exchange text);
//         exch 6 (the rest of it), sent then received
// Sent: own call and sent exchange; received: worked call and received
// exchange. A listener log has the heard station with the received exchange
// in the sent columns and the station it worked (CALL2) with the sent
// exchange in the received ones. An empty column is written as "-" so that
// every line has the same number of fields; trailing blanks are dropped.
#pragma once

#include <string>
#include <string_view>

#include "output/output_context.h"
#include "output/output_text.h"
#include "storage/file_block.h"

namespace korv {

OutputResult Cabrillo3File(const OutputContext& ctx, FileBlock& qsoFile);

// Windows-1252 text in printable ASCII: ä ö ü Ä Ö Ü ß as ae oe ue Ae Oe Ue
// ss, the other letters above 0x7F as their base letter (é -> e, Æ -> AE),
// typographic marks as their plain form, everything else as '?'; control
// characters become blanks.
std::string Cabrillo3Ascii(std::string_view cp1252);

// The mode column of a QSO line: CW, PH (SSB and AM), FM, RY (RTTY and the
// other keyboard modes) or DG (AMTOR, PACTOR, PSK, packet, FAX, SSTV); for a
// mode text of no such class (ModeCodeFromText) the report decides: three
// characters are CW, anything else PH.
std::string_view Cabrillo3QsoMode(std::string_view mode, std::string_view report);

}  // namespace korv
