// The log's calls with their received DOKs as a call-history file, to be
// read again as callhistory.txt next year:
//   # Call history of <contest name>, <call>, written by Korv DEZ
//   CALL,DOK                 one line a call, sorted by call; the DOK of the
//                            call's latest QSO that carries one
// QSY marker lines and QSOs without a DOK are left out; calls are written as
// logged (trimmed). Windows-1252, CR LF.
#pragma once

#include "output/output_context.h"
#include "output/output_text.h"
#include "storage/file_block.h"

namespace korv {

OutputResult CallHistoryFile(const OutputContext& ctx, FileBlock& qsoFile);

}  // namespace korv
