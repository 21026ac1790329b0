#include "files/call_book.h"

namespace korv {

std::optional<CallBookFieldPlace> CallBookFieldOf(int typeCode) {
  switch (typeCode) {
    case 1:
      return CallBookFieldPlace{29, 6};
    case 2:
      return CallBookFieldPlace{22, 6};
    case 3:
      return CallBookFieldPlace{96, 10};
    case 4:
      return CallBookFieldPlace{43, 20};
    case 5:
      return CallBookFieldPlace{107, 4};
    case 6:
      return CallBookFieldPlace{299, 8};
    case 7:
      return CallBookFieldPlace{15, 6};
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
      return CallBookFieldPlace{233 + 11 * static_cast<std::size_t>(typeCode - 8), 10};
    case 15:
      return CallBookFieldPlace{64, 20};
    case 16:
      return CallBookFieldPlace{85, 10};
    case 17:
      return CallBookFieldPlace{112, 120};
    default:
      return std::nullopt;
  }
}

std::string CallBookField(ConstBytes record, int typeCode) {
  const auto place = CallBookFieldOf(typeCode);
  return place ? GetShortText(record, place->offset, place->capacity) : std::string();
}

bool SetCallBookField(Bytes record, int typeCode, std::string_view value) {
  const auto place = CallBookFieldOf(typeCode);
  if (!place) return false;
  PutShortText(record, place->offset, place->capacity, value);
  return true;
}

std::string CallBookCall(ConstBytes record) {
  return GetShortText(record, kCallBookCall, kCallBookCallCapacity);
}

void SetCallBookCall(Bytes record, std::string_view call) {
  PutShortText(record, kCallBookCall, kCallBookCallCapacity, call);
}

}  // namespace korv
