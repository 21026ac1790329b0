#include "output/output_context.h"

#include "common/text.h"

namespace korv {

OutputContext MakeOutputContext(ContestHeader header, const ContestRules& rules, StoredTotals totals,
                                const OwnStation& own, const LocalDateTime& computerClock,
                                std::int32_t utcOffsetHours, const PrefixFiles* prefixFiles) {
  OutputContext ctx{header, rules, totals, own, computerClock.date, computerClock.time, prefixFiles};
  const DayAndTime utc = ApplyUtcOffset(computerClock.date, computerClock.time, utcOffsetHours);
  ctx.createdUtc = {utc.day, utc.time};
  return ctx;
}

std::string ParticipationDescription(const OutputContext& ctx) {
  const int type = ctx.header.participationType();
  if (!ctx.rules.participationTypes.contains(type)) return {};
  return ctx.rules.participationTypes[type].description;
}

std::string OwnCallOrSwl(const OutputContext& ctx) {
  if (ctx.rules.listenerLog != 0) return TrimBlanksTabs(ctx.own.swlNumber);
  return TrimBlanksTabs(ctx.header.ownCall());
}

}  // namespace korv
