// The Cabrillo file (".CAB"): a tagged header with quoted values,
// "START-OF-LOG:" last, the QSO lines of the common list and "END-OF-LOG:".
//
//   CATEGORY: "<participation type>"
//   CLAIMED-SCORE:<points x multipliers>
//   OPERATORS: "<own call>"
//   NAME: "<own name>"
//   ADDRESS: "<street>"
//   ADDRESS: "<postcode town>"
//   ADDRESS: "<country>"            only when a country is set
//   CREATED-BY: <version text>
//   START-OF-LOG:
//        <list line: ddmmyy hh:mm call band mode sent rcvd multis points>
//   END-OF-LOG:
// Lines end with CR LF; QSO lines carry five leading blanks; QSY marker
// lines are skipped; entry order.
#pragma once

#include "output/output_context.h"
#include "output/output_text.h"
#include "storage/file_block.h"

namespace korv {

OutputResult CabrilloFile(const OutputContext& ctx, FileBlock& qsoFile);

}  // namespace korv
