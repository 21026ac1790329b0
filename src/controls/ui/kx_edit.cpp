#include "controls/ui/kx_edit.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <type_traits>

#include "common/picture.h"
#include "common/text.h"
#include "platform/ui/qt_text.h"

namespace korv {
namespace {

constexpr char kSlashedZero = '\xD8';

bool IsIntegerType(TkxDataType t) {
  return t == dtInteger || t == dtWord || t == dtByte || t == dtLongint;
}
bool IsRealType(TkxDataType t) {
  return t == dtReal || t == dtSingle || t == dtDouble || t == dtExtended;
}

// [+|-]digits with blanks/tabs around; nullopt when anything else.
std::optional<std::int64_t> ParseInteger(std::string_view text) {
  text = TrimBlanksTabsView(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

std::pair<std::int64_t, std::int64_t> Range(TkxDataType t) {
  switch (t) {
    case dtWord: return {0, std::numeric_limits<std::uint16_t>::max()};
    case dtByte: return {0, std::numeric_limits<std::uint8_t>::max()};
    default:
      return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
  }
}

// Any alternative as a wide integer / real / text.
std::int64_t ToInteger(const KxValue& v) {
  return std::visit(
      [](const auto& x) -> std::int64_t {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::string>) return ParseInteger(x).value_or(0);
        else if constexpr (std::is_same_v<T, char>) return static_cast<unsigned char>(x);
        else if constexpr (std::is_floating_point_v<T>) return static_cast<std::int64_t>(x);
        else return static_cast<std::int64_t>(x);
      },
      v);
}

long double ToReal(const KxValue& v) {
  return std::visit(
      [](const auto& x) -> long double {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::string>) {
          const DecimalResult r = ParseDecimal(x);
          return r.ok() ? static_cast<long double>(r.value) : 0.0L;
        } else if constexpr (std::is_same_v<T, char>) {
          return static_cast<unsigned char>(x);
        } else {
          return static_cast<long double>(x);
        }
      },
      v);
}

}  // namespace

TkxEdit::TkxEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textEdited, this, &TkxEdit::ApplyCharCase);
}

void TkxEdit::SetDataType(TkxDataType type) {
  m_dataType = type;
  m_lastReal.reset();
}

void TkxEdit::SetMask(std::string_view mask) {
  m_mask.assign(mask);
  std::replace(m_mask.begin(), m_mask.end(), '9', '#');
}

void TkxEdit::SetCharCase(TkxCharCase charCase) {
  m_charCase = charCase;
  ApplyCharCase(QLineEdit::text());
}

void TkxEdit::ApplyCharCase(const QString& typed) {
  if (m_charCase == ecNormal) return;
  const QString cased = m_charCase == ecUpperCase ? typed.toUpper() : typed.toLower();
  if (cased == typed) return;
  const int pos = cursorPosition();
  QLineEdit::setText(cased);
  setCursorPosition(pos);
}

std::string TkxEdit::Text() const { return FromQString(QLineEdit::text()); }

void TkxEdit::SetText(std::string_view cp1252) { QLineEdit::setText(ToQString(cp1252)); }

std::string TkxEdit::FormatInteger(std::int64_t value) const {
  if (m_mask.empty()) return std::to_string(value);
  return TrimBlanksTabs(FormatPicture(value, m_mask));
}

std::string TkxEdit::FormatReal(long double value) const {
  if (!m_mask.empty()) return FormatPicture(static_cast<double>(value), m_mask);
  char buf[64];
  // Shortest text at the precision of the field's type.
  std::to_chars_result res{};
  if (m_dataType == dtSingle) {
    res = std::to_chars(buf, buf + sizeof buf, static_cast<float>(value));
  } else if (m_dataType == dtExtended) {
    res = std::to_chars(buf, buf + sizeof buf, value);
  } else {
    res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value));
  }
  std::string text(buf, res.ptr);
  std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

void TkxEdit::SetValue(const KxValue& value) {
  if (m_dataType == dtString) {
    std::string text = std::holds_alternative<std::string>(value)
                           ? std::get<std::string>(value)
                           : FormatReal(ToReal(value));
    SetText(m_slashedZero ? SlashZeros(text) : text);
  } else if (IsIntegerType(m_dataType)) {
    SetText(FormatInteger(ToInteger(value)));
  } else if (m_dataType == dtChar) {
    char c = std::holds_alternative<std::string>(value)
                 ? (std::get<std::string>(value).empty() ? '\0' : std::get<std::string>(value)[0])
                 : static_cast<char>(ToInteger(value));
    SetText(CharToText(c));
  } else {
    long double real = ToReal(value);
    if (m_dataType == dtSingle) real = static_cast<float>(real);
    else if (m_dataType != dtExtended) real = static_cast<double>(real);
    const bool keepsText = m_dataType == dtDouble || m_dataType == dtExtended;
    if (keepsText && m_lastReal && *m_lastReal == real) return;
    SetText(FormatReal(real));
    if (keepsText) m_lastReal = real;
  }
}

KxValue TkxEdit::GetValue() const {
  const std::string text = Text();
  switch (m_dataType) {
    case dtString: {
      if (!m_slashedZero) return text;
      std::string plain = text;
      std::replace(plain.begin(), plain.end(), kSlashedZero, '0');
      return plain;
    }
    case dtChar: return text.empty() ? '\0' : text[0];
    case dtInteger:
    case dtLongint:
    case dtWord:
    case dtByte: {
      std::int64_t n = ParseInteger(text).value_or(0);
      const auto [lo, hi] = Range(m_dataType);
      if (n < lo || n > hi) n = 0;
      if (m_dataType == dtWord) return static_cast<std::uint16_t>(n);
      if (m_dataType == dtByte) return static_cast<std::uint8_t>(n);
      return static_cast<std::int32_t>(n);
    }
    case dtReal:
    case dtSingle:
    case dtDouble:
    case dtExtended: break;
  }
  const DecimalResult r = ParseDecimal(text);
  const double real = r.ok() ? r.value : 0.0;
  if (m_dataType == dtSingle) return static_cast<float>(real);
  if (m_dataType == dtExtended) {
    m_lastReal = static_cast<long double>(real);
    return static_cast<long double>(real);
  }
  if (m_dataType == dtDouble) m_lastReal = static_cast<long double>(real);
  return real;
}

std::int64_t TkxEdit::AsInteger() const { return ToInteger(GetValue()); }

long double TkxEdit::AsReal() const { return ToReal(GetValue()); }

std::string TkxEdit::AsString() const {
  const KxValue v = GetValue();
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* c = std::get_if<char>(&v)) return CharToText(*c);
  return IsRealType(m_dataType) ? FormatReal(ToReal(v)) : std::to_string(ToInteger(v));
}

}  // namespace korv
