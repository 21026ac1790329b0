#include <chrono>
#include <ctime>

#include "platform/platform.h"

namespace korv {

LocalDateTime SystemNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  const CivilDate date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  // A leap second (tm_sec 60) is folded into the last second of the minute.
  const int sec = local.tm_sec > 59 ? 59 : local.tm_sec;
  return {DayNumberFromCivil(date), local.tm_hour * 3600 + local.tm_min * 60 + sec};
}

}  // namespace korv
