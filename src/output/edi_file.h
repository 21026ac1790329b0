// The EDI file of VHF/UHF contests (REG1TEST, version 1): the header values
// the operator completes in the dialog "VHF/UHF-Contest", counts over the
// log (locator squares, DXCC prefixes, ODX), and one line per QSO.
//
// QSO line, 15 fields joined by ";":
//   yymmdd;hhmm;CALL;MODE;SRST;SNR;RRST;RNR;REXCH;RLOC   ;KM;;;;
// MODE: 1 SSB, 2 CW, 5 AM, 6 FM, 7 RTTY, else 0. SRST/SNR: characters 1-3
// and 4-6 of the sent exchange text, RRST/RNR of the received one; REXCH:
// the character after the first "/" of the received text (its first
// character without "/"); RLOC padded to 6; KM the distance.
#pragma once

#include <string>

#include "output/output_context.h"
#include "output/output_text.h"
#include "storage/file_block.h"

namespace korv {

// The dialog's fields.
struct EdiStationData {
  std::string pcall, ploc, padr1, padr2, psect, pband, pclub1, pclub2, remail;
  std::string rname, radr1, radr2, rpoco, rcity, rcoun;
  std::string mope1, mope2;
  std::string rtrx, rant, rpower;
  std::string remarks;
};

// The bands of the dialog's list.
inline constexpr const char* kEdiBands[] = {"50 MHz", "70 MHz", "144 MHz", "432 MHz", "1,3 GHz",
                                            "2,3 GHz", "3,4 GHz", "5,7 GHz", "10 GHz", "24 GHz",
                                            "47 GHz", "76 GHz", "120 GHz", "144 GHz", "248 GHz"};

// The dialog's values before the operator changes them.
EdiStationData EdiDefaults(const OutputContext& ctx);

// The EDI mode code of a mode text.
std::string EdiModeCode(std::string_view mode);

OutputResult EdiFile(const OutputContext& ctx, const EdiStationData& station, FileBlock& qsoFile);

}  // namespace korv
