// The STF file (".STF"), the electronic log recommended for this contest.
//
// Grammar (header lines flush left, QSO lines with five blanks in front,
// CR LF after every line; values trimmed):
//   STF1
//   #Data written "dd.mm.yyyy  hh:mm"
//   #STF-Export generated with Belvent <version> <web address>
//   Header
//   Contest      <contest name of the header>
//   MyCall       <own call>
//   Operator     <own call>
//   Category     <participation type>
//   MailAddress  <name> / <street> / <town> / <postcode> / <country or Germany>
//   EMail
//   ClaimedQSO   <highest running number>
//   ClaimedPts   <points>
//   ClaimedMult  <first multiplier column>     only with multiplier kinds;
//   ClaimedMult2 / ClaimedMult3                 only when above 0
//   ClaimedScore <claimed score>
//   Club
//   Specific     <own DOK>
//   Power
//   Soapbox
//   Soapbox
//   QsoOrder     Date Time Band Mode Call SRst Sent RRst Rcvd
//   EndHeader
//   (empty line)
//   QsoList
//        yyyymmdd hhmm band mode   call     SRst sent(17)         RRst rcvd(17)
//   EndQSOList
// QSO lines in order of entry (index 4), QSY marker lines skipped.
#pragma once

#include "output/output_context.h"
#include "output/output_text.h"

namespace korv {

OutputResult StfFile(const OutputContext& ctx, FileBlock& qsoFile);

// The band column of STF ("80  ", "70  ", "5   " for 6 cm, "1.2 ").
std::string StfBandText(BandIndex band);

// The SerialNo of the last QSO in SerialNo order (QSY marker lines passed
// over); 0 in an empty log.
Status HighestSerialNo(FileBlock& qsoFile, std::int32_t& serialNo);

}  // namespace korv
