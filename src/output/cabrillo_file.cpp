#include "output/cabrillo_file.h"

#include "common/text.h"
#include "output/qso_list_writer.h"

namespace korv {

OutputResult CabrilloFile(const OutputContext& ctx, FileBlock& qsoFile) {
  const ContestRules& rules = ctx.rules;
  ListWidths widths = MinimumListWidths(rules);
  Status st = MeasureListWidths(qsoFile, rules, widths);
  if (!st.ok()) return OutputResult::Failed(st);
  std::string out;
  auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
  const OwnStation& own = ctx.own;
  line("CATEGORY: " + quoted(ParticipationDescription(ctx)));
  line("CLAIMED-SCORE:" + std::to_string(ctx.totals.points * ctx.totals.multipliers));
  line("OPERATORS: " + quoted(TrimBlanksTabs(ctx.header.ownCall())));
  line("NAME: " + quoted(own.name));
  line("ADDRESS: " + quoted(own.street));
  line("ADDRESS: " + quoted(own.town.empty() ? own.postcode : own.postcode + " " + own.town));
  if (!TrimBlanksTabs(own.country).empty()) line("ADDRESS: " + quoted(own.country));
  line("CREATED-BY: " + rules.versionText);
  line("START-OF-LOG:");
  const bool listener = rules.listenerLog != 0;
  st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    if (!qso.IsQsyMarker()) line("     " + QsoListLine(qso, 0, widths, listener, ListStyle::kCabrillo));
    return true;
  });
  if (!st.ok()) return OutputResult::Failed(st);
  line("END-OF-LOG:");
  return {Status::Ok(), std::move(out)};
}

}  // namespace korv
