// KeyString: the key of one index entry, a counted string of at most 50
// bytes, and the encodings the key builders use.
//
// Comparison: the bytes of the common length as unsigned values; at the
// first difference the smaller byte decides; an equal common part makes the
// shorter key smaller.
#pragma once

#include <algorithm>
#include <array>
#include <compare>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace korv {

inline constexpr int kMaxKeyLen = 50;

class KeyString {
 public:
  KeyString() = default;
  // Cut to kMaxKeyLen.
  explicit KeyString(std::string_view text) { Append(text); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const std::uint8_t* data() const { return bytes_.data(); }
  std::string_view view() const {
    return {reinterpret_cast<const char*>(bytes_.data()), size_};
  }
  std::string str() const { return std::string(view()); }

  void clear() { size_ = 0; }
  void Append(std::string_view text) {
    const std::size_t n = std::min<std::size_t>(text.size(), kMaxKeyLen - size_);
    if (n != 0) std::memcpy(bytes_.data() + size_, text.data(), n);
    size_ = static_cast<std::uint8_t>(size_ + n);
  }
  void AppendByte(std::uint8_t b) {
    if (size_ < kMaxKeyLen) bytes_[size_++] = b;
  }
  // text padded with blanks or cut to exactly width bytes.
  void AppendPadded(std::string_view text, std::size_t width) {
    const std::size_t n = std::min(text.size(), width);
    Append(text.substr(0, n));
    for (std::size_t i = n; i < width; ++i) AppendByte(' ');
  }
  // text padded with blanks on the left to width; a longer text is not cut.
  void AppendPaddedLeft(std::string_view text, std::size_t width) {
    for (std::size_t i = text.size(); i < width; ++i) AppendByte(' ');
    Append(text);
  }
  void AppendLong(std::int32_t value);        // EncodeLongKey, 5 bytes
  void AppendBigEndian4(std::int32_t value);  // BigEndianKey4, 4 bytes
  // Drops the last n bytes (fewer when shorter).
  void Truncate(std::size_t n) { size_ = static_cast<std::uint8_t>(n < size_ ? n : size_); }

  friend bool operator==(const KeyString& a, const KeyString& b) {
    return a.view() == b.view();
  }
  friend std::strong_ordering operator<=>(const KeyString& a, const KeyString& b) {
    return CompareKeys(a.view(), b.view());
  }
  static std::strong_ordering CompareKeys(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);  // memcmp is unsigned
    if (c != 0) return c < 0 ? std::strong_ordering::less : std::strong_ordering::greater;
    return a.size() <=> b.size();
  }

 private:
  std::uint8_t size_ = 0;
  std::array<std::uint8_t, kMaxKeyLen> bytes_{};
};

// 5 bytes that sort like the signed numbers; no byte is 0.
std::array<std::uint8_t, 5> EncodeLongKey(std::int32_t value);
// Inverse of EncodeLongKey. REQUIRES: at least 5 bytes.
std::int32_t DecodeLongKey(const std::uint8_t* bytes);
// The value with its most significant byte first (sorts for values >= 0).
std::array<std::uint8_t, 4> BigEndianKey4(std::int32_t value);

inline void KeyString::AppendLong(std::int32_t value) {
  for (std::uint8_t b : EncodeLongKey(value)) AppendByte(b);
}
inline void KeyString::AppendBigEndian4(std::int32_t value) {
  for (std::uint8_t b : BigEndianKey4(value)) AppendByte(b);
}

}  // namespace korv
