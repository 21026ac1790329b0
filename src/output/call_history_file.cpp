#include "output/call_history_file.h"

#include <map>
#include <string>

#include "common/text.h"
#include "output/qso_list_writer.h"

namespace korv {

OutputResult CallHistoryFile(const OutputContext& ctx, FileBlock& qsoFile) {
  std::map<std::string, std::string> doks;
  const Status st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    if (qso.IsQsyMarker()) return true;
    const std::string call = TrimBlanksTabs(qso.call());
    const std::string dok = TrimBlanksTabs(qso.dok());
    if (!call.empty() && !dok.empty()) doks.insert_or_assign(call, dok);  // entry order: the latest wins
    return true;
  });
  if (!st.ok()) return OutputResult::Failed(st);
  OutputText out;
  out.RawLine("# Call history of " + TrimBlanksTabs(ctx.header.name()) + ", " + OwnCallOrSwl(ctx) +
              ", written by Korv DEZ");
  for (const auto& [call, dok] : doks) out.RawLine(call + "," + dok);
  return {Status::Ok(), out.Take()};
}

}  // namespace korv
