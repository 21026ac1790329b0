#include "storage/key.h"

namespace korv {

std::array<std::uint8_t, 5> EncodeLongKey(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  const auto b3 = static_cast<std::uint8_t>(v >> 24);
  const auto b2 = static_cast<std::uint8_t>(v >> 16);
  const auto b1 = static_cast<std::uint8_t>(v >> 8);
  const auto b0 = static_cast<std::uint8_t>(v);
  // Shifts stay within 8 bits.
  return {static_cast<std::uint8_t>(((b3 & 0xF0) ^ 0x80) | 0x01),
          static_cast<std::uint8_t>(((b3 << 3) | (b2 >> 5)) | 0x80),
          static_cast<std::uint8_t>(((b2 << 2) | (b1 >> 6)) | 0x80),
          static_cast<std::uint8_t>(((b1 << 1) | (b0 >> 7)) | 0x80),
          static_cast<std::uint8_t>(b0 | 0x80)};
}

std::int32_t DecodeLongKey(const std::uint8_t* s) {
  const auto b0 = static_cast<std::uint8_t>((s[3] << 7) | (s[4] & 0x7F));
  const auto b1 = static_cast<std::uint8_t>((s[2] << 6) | ((s[3] >> 1) & 0x3F));
  const auto b2 = static_cast<std::uint8_t>((s[1] << 5) | ((s[2] >> 2) & 0x1F));
  const auto b3 = static_cast<std::uint8_t>(((s[0] & 0xF0) | ((s[1] >> 3) & 0x0F)) ^ 0x80);
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(b3) << 24) |
                                   (static_cast<std::uint32_t>(b2) << 16) |
                                   (static_cast<std::uint32_t>(b1) << 8) | b0);
}

std::array<std::uint8_t, 4> BigEndianKey4(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

}  // namespace korv
