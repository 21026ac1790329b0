// TkxEdit: a one-line edit field that converts between its text and a typed
// program variable. Texts cross as Windows-1252 bytes.
#pragma once

#include <QLineEdit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace korv {

// The program variable types a field converts to (Integer and Longint are
// 32 bits, Word 16, Byte 8, Real and Double double, Extended long double).
enum TkxDataType {
  dtString, dtInteger, dtWord, dtByte, dtChar, dtLongint,
  dtReal, dtSingle, dtDouble, dtExtended
};

enum TkxCharCase { ecNormal, ecUpperCase, ecLowerCase };

// A typed variable. SetValue converts whatever it holds to the field's type;
// GetValue returns the alternative of the field's type:
//   dtString std::string, dtInteger/dtLongint int32_t, dtWord uint16_t,
//   dtByte uint8_t, dtChar char, dtReal/dtDouble double, dtSingle float,
//   dtExtended long double.
using KxValue = std::variant<std::string, std::int32_t, std::uint16_t, std::uint8_t, char, double,
                             float, long double>;

class TkxEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TkxEdit(QWidget* parent = nullptr);

  TkxDataType DataType() const { return m_dataType; }
  void SetDataType(TkxDataType type);

  // Number picture (see common/picture.h); every "9" is stored as "#".
  // Empty: integers show their plain digits, reals their shortest text
  // with "," as decimal separator.
  const std::string& Mask() const { return m_mask; }
  void SetMask(std::string_view mask);

  // When on, a shown string displays each "0" as byte 216 and reading turns
  // each byte 216 back into "0". Off by default.
  bool SlashedZero() const { return m_slashedZero; }
  void SetSlashedZero(bool on) { m_slashedZero = on; }

  // Typed text is turned to upper or lower case as it is entered.
  TkxCharCase CharCase() const { return m_charCase; }
  void SetCharCase(TkxCharCase charCase);

  // The field's text as Windows-1252 bytes.
  std::string Text() const;
  void SetText(std::string_view cp1252);

  // dtString: the text (slashed zeros shown when on); integer types: the
  // value through the mask, outer blanks removed; dtChar: the character
  // (nothing for 0); real types: the value through the mask. For dtDouble and
  // dtExtended the text stays when the value equals the one last set or read.
  void SetValue(const KxValue& value);
  // dtString: the text; integer types: the number, 0 when the text is not a
  // number of the type's range (blanks around it are allowed); dtChar: the
  // first byte, 0 when empty; real types: "," (or ".") as decimal
  // separator, 0 when not a number.
  KxValue GetValue() const;

  // Shorthands for GetValue converted to a wide type.
  std::int64_t AsInteger() const;
  long double AsReal() const;
  std::string AsString() const;

 private:
  void ApplyCharCase(const QString& typed);
  std::string FormatInteger(std::int64_t value) const;
  std::string FormatReal(long double value) const;

  TkxDataType m_dataType = dtString;
  TkxCharCase m_charCase = ecNormal;
  std::string m_mask;
  bool m_slashedZero = false;
  // The real value last set or read (dtDouble / dtExtended only).
  mutable std::optional<long double> m_lastReal;
};

}  // namespace korv
