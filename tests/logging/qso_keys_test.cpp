// The QSO file's key builder and the QSO record accessor describe the same
// bytes: keys built from a record filled through the accessor.
#include <gtest/gtest.h>

#include <array>

#include "files/file_keys.h"
#include "logging/qso_record.h"
#include "refdata/modes.h"

namespace korv {
namespace {

KeyString Key(const std::array<std::uint8_t, kQsoRecordSize>& bytes, int index) {
  KeyString key;
  QsoFileKey(ConstBytes{bytes.data(), bytes.size()}, index, DefaultSuffixTable(), key);
  return key;
}

TEST(QsoKeysTest, KeysReadTheFieldsTheAccessorWrites) {
  std::array<std::uint8_t, kQsoRecordSize> bytes{};
  QsoRecord qso(bytes);
  const DayNumber day = DayNumberFromCivil({2009, 6, 15});
  qso.SetRecordNo(42);
  qso.SetCall("DL1ABC/P");
  qso.SetQsoDate(day);
  qso.SetQsoTime(12 * 3600 + 5 * 60);
  qso.SetMode("SSB");
  qso.SetBand('b');
  qso.SetBandNo(5);
  qso.SetBandNo2(6);
  qso.SetSerialNo(7);
  qso.SetModeNo(3);
  qso.SetPrefix("DL");
  qso.SetRxLocator("JO31MM");
  qso.SetDok("N01");
  qso.SetMulti1("N01");

  KeyString dateTime;
  dateTime.AppendBigEndian4(day);
  dateTime.AppendBigEndian4(12 * 3600 + 5 * 60);
  KeyString expected;

  EXPECT_EQ(Key(bytes, 1), dateTime);
  expected.AppendPadded("DL1ABC", 14);
  expected.Append(dateTime.view());
  EXPECT_EQ(Key(bytes, 2), expected);
  expected = KeyString("JO31MM");
  expected.Append(dateTime.view());
  EXPECT_EQ(Key(bytes, 3), expected);
  expected.clear();
  expected.AppendLong(42);
  EXPECT_EQ(Key(bytes, 4), expected);
  EXPECT_EQ(Key(bytes, 5), KeyString("DL    "));
  expected = KeyString("b");
  expected.AppendLong(6);
  EXPECT_EQ(Key(bytes, 8), expected);
  expected = KeyString("b");
  expected.AppendPadded("DL1ABC", 14);
  expected.AppendPadded("SSB", 6);
  EXPECT_EQ(Key(bytes, 9), expected);
  expected = KeyString("b");
  expected.AppendLong(99999999 - 5);
  EXPECT_EQ(Key(bytes, 11), expected);
  expected.clear();
  expected.AppendLong(7);
  EXPECT_EQ(Key(bytes, 13), expected);
  EXPECT_EQ(Key(bytes, 18), KeyString("N01     "));
  EXPECT_EQ(Key(bytes, 19), KeyString("N01   "));
  EXPECT_EQ(Key(bytes, 21), KeyString("bN01     "));
  expected.clear();
  expected.AppendByte(static_cast<std::uint8_t>(ModeCodeFromText("SSB")));
  expected.AppendLong(99999999 - 3);
  EXPECT_EQ(Key(bytes, 24), expected);
}

}  // namespace
}  // namespace korv
