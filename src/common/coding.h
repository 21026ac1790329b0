// Byte coding of record fields: little-endian integers and counted strings.
//
// Every field of every record is read and written through these functions,
// never by copying structs. Records are byte buffers whose length is fixed by
// their file; an accessor must stay inside the buffer, so each function takes
// the buffer as a span and bounds-checks the field: a field that would reach
// past the end reads as zero / empty and is not written.
//
// ShortText[n] on disk:
//   OFFSET  SIZE  DESCRIPTION
//   0       1     length L (0..n; a stored L > n is read as n)
//   1       n     L bytes of Windows-1252 text, then undefined bytes
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace korv {

using Bytes = std::span<std::uint8_t>;
using ConstBytes = std::span<const std::uint8_t>;

inline bool FieldFits(ConstBytes rec, std::size_t offset, std::size_t size) {
  return offset <= rec.size() && size <= rec.size() - offset;
}

inline std::uint8_t GetU8(ConstBytes rec, std::size_t offset) {
  return FieldFits(rec, offset, 1) ? rec[offset] : 0;
}
inline void PutU8(Bytes rec, std::size_t offset, std::uint8_t v) {
  if (FieldFits(rec, offset, 1)) rec[offset] = v;
}

inline std::uint16_t GetU16(ConstBytes rec, std::size_t offset) {
  if (!FieldFits(rec, offset, 2)) return 0;
  return static_cast<std::uint16_t>(rec[offset] | (rec[offset + 1] << 8));
}
inline void PutU16(Bytes rec, std::size_t offset, std::uint16_t v) {
  if (!FieldFits(rec, offset, 2)) return;
  rec[offset] = static_cast<std::uint8_t>(v);
  rec[offset + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline std::int16_t GetI16(ConstBytes rec, std::size_t offset) {
  return static_cast<std::int16_t>(GetU16(rec, offset));
}
inline void PutI16(Bytes rec, std::size_t offset, std::int16_t v) {
  PutU16(rec, offset, static_cast<std::uint16_t>(v));
}

inline std::uint32_t GetU32(ConstBytes rec, std::size_t offset) {
  if (!FieldFits(rec, offset, 4)) return 0;
  return static_cast<std::uint32_t>(rec[offset]) |
         (static_cast<std::uint32_t>(rec[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(rec[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(rec[offset + 3]) << 24);
}
inline void PutU32(Bytes rec, std::size_t offset, std::uint32_t v) {
  if (!FieldFits(rec, offset, 4)) return;
  for (int i = 0; i < 4; ++i) rec[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::int32_t GetI32(ConstBytes rec, std::size_t offset) {
  return static_cast<std::int32_t>(GetU32(rec, offset));
}
inline void PutI32(Bytes rec, std::size_t offset, std::int32_t v) {
  PutU32(rec, offset, static_cast<std::uint32_t>(v));
}

inline float GetF32(ConstBytes rec, std::size_t offset) {
  std::uint32_t bits = GetU32(rec, offset);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
inline void PutF32(Bytes rec, std::size_t offset, float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  PutU32(rec, offset, bits);
}

// Reads ShortText[capacity] at offset. A length byte above the capacity is
// hostile or damaged data and is clamped to the capacity.
inline std::string GetShortText(ConstBytes rec, std::size_t offset, std::size_t capacity) {
  if (!FieldFits(rec, offset, 1 + capacity)) return {};
  std::size_t len = rec[offset];
  if (len > capacity) len = capacity;
  return std::string(reinterpret_cast<const char*>(rec.data() + offset + 1), len);
}

// Writes text as ShortText[capacity], cut to the capacity. Bytes after the
// text are left as they were (they are undefined on disk and may belong to
// older contents other programs do not care about).
inline void PutShortText(Bytes rec, std::size_t offset, std::size_t capacity,
                         std::string_view text) {
  if (!FieldFits(rec, offset, 1 + capacity)) return;
  std::size_t len = text.size() < capacity ? text.size() : capacity;
  rec[offset] = static_cast<std::uint8_t>(len);
  if (len != 0) std::memcpy(rec.data() + offset + 1, text.data(), len);
}

}  // namespace korv
