#include "output/output_context.h"

#include "common/text.h"

namespace korv {

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
