#include "output/qso_list_writer.h"

#include <algorithm>
#include <array>

#include "common/text.h"
#include "refdata/bands.h"

namespace korv {
namespace {

constexpr std::size_t kCallMinimum = 8;
constexpr std::size_t kExchangeMinimum = 9;
constexpr std::size_t kCall2Minimum = 9;
constexpr std::size_t kMarginAfterLongest = 2;
// Points heading: "P" for narrow columns, else "Pkt".
constexpr std::size_t kPktHeadingWidth = 3;

std::string DateColumn(DayNumber day) {
  return day > 0 ? PadText(DateToText(day, "ddmmyy"), 6) : std::string(6, ' ');
}

std::string TimeColumn(TimeOfDay time, std::string_view picture) {
  return PadText(TimeToText(time, picture), picture.size());
}

// Report (3) + blank + the rest of an exchange text, Ws wide in all.
std::string ExchangeColumn(const std::string& text, std::size_t width) {
  const std::string report = text.substr(0, std::min<std::size_t>(3, text.size()));
  const std::string rest = text.size() > 3 ? text.substr(3) : std::string();
  return PadText(report, 3) + " " + PadText(rest, width > 4 ? width - 4 : 0);
}

std::string MultiValue(const QsoRecord& qso, int field) {
  switch (field) {
    case 1: return qso.multi1();
    case 2: return qso.multi2();
    default: return qso.multi3();
  }
}

std::string Join(const std::vector<std::string>& fields, char separator) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i != 0) line += separator;
    line += fields[i];
  }
  return line;
}

}  // namespace

Status WalkQsoFile(FileBlock& qsoFile, int index, const QsoVisitor& visit, const KeyString& from) {
  if (qsoFile.RecLen() != static_cast<int>(kQsoRecordSize)) {
    return Status::Error(err::kRecLenDiffers);
  }
  std::array<std::uint8_t, kQsoRecordSize> copy{};
  Status st = from.empty() ? qsoFile.MoveFirst(index) : qsoFile.FindAtLeast(index, from);
  while (st.ok()) {
    const ConstBytes rec = qsoFile.Record();
    std::copy(rec.begin(), rec.begin() + static_cast<std::ptrdiff_t>(kQsoRecordSize),
              copy.begin());
    if (!visit(QsoRecord(copy))) return Status::Ok();
    st = qsoFile.MoveNext(index);
  }
  // Not found, end of index: the walk is complete.
  return st.level() == 1 ? Status::Ok() : st;
}

ListWidths MinimumListWidths(const ContestRules& rules) {
  ListWidths w;
  w.call = kCallMinimum;
  w.call2 = kCall2Minimum;
  w.sent = kExchangeMinimum;
  w.received = kExchangeMinimum;
  w.points = 1;
  for (int c = 1; c <= 3; ++c) {
    const std::string& caption = rules.multiplierLabel[c];
    if (caption.empty()) continue;
    w.columns.push_back({caption, c, caption.size() + kMarginAfterLongest});
  }
  return w;
}

void MeasureRecord(const QsoRecord& qso, bool listenerLog, ListWidths& w) {
  auto widen = [](std::size_t& width, const std::string& text, std::size_t margin) {
    width = std::max(width, TrimBlanksTabs(text).size() + margin);
  };
  widen(w.call, qso.call(), kMarginAfterLongest);
  if (listenerLog) widen(w.call2, qso.call2(), kMarginAfterLongest);
  widen(w.sent, qso.sentExch(), kMarginAfterLongest);
  widen(w.received, qso.rcvdExch(), kMarginAfterLongest);
  widen(w.points, std::to_string(qso.points()), 0);
  for (ListColumn& col : w.columns) {
    widen(col.width, MultiValue(qso, col.field), kMarginAfterLongest);
  }
}

Status MeasureListWidths(FileBlock& qsoFile, const ContestRules& rules, ListWidths& widths) {
  widths = MinimumListWidths(rules);
  const bool listener = rules.listenerLog != 0;
  return WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    MeasureRecord(qso, listener, widths);
    return true;
  });
}

std::string ListBandText(BandIndex band) {
  std::string text(BandName(band));
  if (!text.empty()) text.pop_back();
  const std::size_t c = text.find('c');
  if (c != std::string::npos) {
    text.erase(c, 1);
    text += ' ';
  }
  return PadText(text, 4);
}

std::string PadRightKeep(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

std::string RightAligned(std::int64_t value, std::size_t width) {
  return PadLeftText(std::to_string(value), width);
}

std::string QsoListHeading(const ListWidths& w, bool listenerLog, ListStyle style) {
  const bool csv = style == ListStyle::kCsv;
  std::vector<std::string> f;
  // "Nr   " and "DATE  " form one field: the CSV lines carry the date alone
  // under it.
  f.push_back(listenerLog ? "DATE  " : "Nr   DATE  ");
  f.push_back("UTC ");
  f.push_back(PadText("CALL ", w.call));
  f.push_back("BAND");
  f.push_back("MODE  ");
  if (listenerLog) {
    f.push_back(PadText("SENT  ", w.received));
    f.push_back(PadText("CALL2    ", w.call2));
    f.push_back(PadText("SENT2 ", w.sent));
  } else {
    f.push_back(PadText("SENT  ", w.sent));
    f.push_back(PadText("RCVD  ", w.received));
  }
  for (const ListColumn& col : w.columns) f.push_back(PadText(col.caption, col.width));
  f.push_back(PadLeftText(w.points < kPktHeadingWidth ? "P" : "Pkt", w.points));
  return Join(f, csv ? ';' : ' ');
}

std::string QsoListLine(const QsoRecord& qso, int position, const ListWidths& w, bool listenerLog,
                        ListStyle style) {
  const bool csv = style == ListStyle::kCsv;
  const bool cabrillo = style == ListStyle::kCabrillo;
  std::vector<std::string> f;
  if (!csv && !cabrillo && !listenerLog) f.push_back(RightAligned(position, 4));
  f.push_back(DateColumn(qso.qsoDate()));
  f.push_back(TimeColumn(qso.qsoTime(), csv || cabrillo ? "hh:mm" : "hhmm"));
  f.push_back(PadText(TrimBlanksTabs(qso.call()), w.call));
  if (csv) {
    // Trimmed, but the "c" rule of the band column still applies.
    std::string band(BandName(qso.band()));
    if (!band.empty()) band.pop_back();
    band = TrimBlanksTabs(band);
    const std::size_t c = band.find('c');
    if (c != std::string::npos) {
      band.erase(c, 1);
      band += ' ';
    }
    f.push_back(band);
    f.push_back(TrimBlanksTabs(qso.mode()));
  } else {
    f.push_back(ListBandText(qso.band()));
    f.push_back(PadText(qso.mode(), 6));
  }
  if (listenerLog) {
    f.push_back(ExchangeColumn(qso.rcvdExch(), w.received));
    f.push_back(PadText(TrimBlanksTabs(qso.call2()), w.call2));
    f.push_back(ExchangeColumn(qso.sentExch(), w.sent));
  } else {
    f.push_back(ExchangeColumn(qso.sentExch(), w.sent));
    f.push_back(ExchangeColumn(qso.rcvdExch(), w.received));
  }
  for (const ListColumn& col : w.columns) {
    f.push_back(PadText(TrimBlanksTabs(MultiValue(qso, col.field)), col.width));
  }
  f.push_back(RightAligned(qso.points(), w.points));
  return Join(f, csv ? ';' : ' ');
}

}  // namespace korv
