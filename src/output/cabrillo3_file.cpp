#include "output/cabrillo3_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "common/text.h"
#include "output/qso_list_writer.h"
#include "refdata/bands.h"
#include "refdata/modes.h"

namespace korv {
namespace {

constexpr std::size_t kFrequencyWidth = 5;
constexpr std::size_t kCallWidth = 13;
constexpr std::size_t kReportWidth = 3;
constexpr std::size_t kExchangeWidth = 6;
constexpr std::size_t kContestNameLength = 32;

// ASCII spellings of the Windows-1252 bytes 0x80 to 0xFF.
constexpr std::array<std::string_view, 128> kHighBytes{
    // 0x80: euro sign, undefined, low quote, f hook, low double quote, ellipsis,
    // daggers, circumflex, per mille, S caron, angle quote, OE, undefined,
    // Z caron, undefined
    "?", "?", ",", "f", "\"", "...", "+", "+", "^", "?", "S", "<", "OE", "?", "Z", "?",
    // 0x90: undefined, quotes, bullet, dashes, tilde, trade mark, s caron,
    // angle quote, oe, undefined, z caron, Y diaeresis
    "?", "'", "'", "\"", "\"", "*", "-", "-", "~", "?", "s", ">", "oe", "?", "z", "Y",
    // 0xA0: no-break space, inverted !, cent, pound, currency, yen, broken bar,
    // section, diaeresis, copyright, ordinal a, guillemet, not, soft hyphen,
    // registered, macron
    " ", "!", "c", "?", "?", "?", "|", "?", "\"", "?", "a", "<", "?", "-", "?", "-",
    // 0xB0: degree, plus-minus, superscripts, acute, micro, pilcrow, middle dot,
    // cedilla, superscript 1, ordinal o, guillemet, fractions, inverted ?
    "?", "?", "2", "3", "'", "u", "?", ".", ",", "1", "o", ">", "?", "?", "?", "?",
    "A", "A", "A", "A", "Ae", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    "D", "N", "O", "O", "O", "O", "Oe", "x", "O", "U", "U", "U", "Ue", "Y", "Th", "ss",
    "a", "a", "a", "a", "ae", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "oe", "?", "o", "u", "u", "u", "ue", "y", "th", "y",
};

// CATEGORY-BAND of a one-band log, by band code - 'a'; empty: the band has
// no category of its own.
constexpr std::array<std::string_view, 19> kCategoryBands{
    "160M", "80M", "40M", "",     "20M",  "",     "15M",  "",  "10M", "6M",
    "2M",   "432", "1.2G", "2.3G", "3.4G", "5.7G", "10G", "",  "24G",
};

// CATEGORY-MODE of a log whose QSO lines all have one mode column.
struct ModeCategory {
  std::string_view qsoMode;
  std::string_view category;
};
constexpr std::array<ModeCategory, 5> kModeCategories{{
    {"CW", "CW"}, {"PH", "SSB"}, {"FM", "FM"}, {"RY", "RTTY"}, {"DG", "DIGI"},
}};

std::string AsciiTrimmed(std::string_view text) { return TrimBlanksTabs(Cabrillo3Ascii(text)); }

// The report is the first three characters of an exchange text ("59 " for
// phone), the rest is the serial number or the district.
std::string Report(const std::string& text) {
  return AsciiTrimmed(text.substr(0, std::min(kExchangeReportLength, text.size())));
}
std::string AfterReport(const std::string& text) {
  return text.size() > kExchangeReportLength ? AsciiTrimmed(text.substr(kExchangeReportLength))
                                             : std::string();
}

// A column of the QSO line: "-" for an empty value, padded to `width`.
std::string Column(const std::string& value, std::size_t width) {
  return PadRightKeep(value.empty() ? std::string("-") : value, width);
}

std::string ContestTagValue(std::string_view name) {
  std::string out;
  for (char c : Cabrillo3Ascii(name)) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      out += c;
    } else if (!out.empty() && out.back() != '-') {
      out += '-';
    }
  }
  if (out.size() > kContestNameLength) out.resize(kContestNameLength);
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

// Whole kHz of the stored frequency, rounded half up; the shortest text of
// the single-precision value is read back first, so that 3.5255 counts as
// 3525.5 kHz and not as the 3525.49998 the float holds. Without a stored
// frequency: the lowest kHz of the QSO's band (0 when it has none).
long FrequencyKhz(const QsoRecord& qso) {
  const float mhz = qso.frequency();
  if (!(mhz > 0.0f)) return BandLowestKhz(qso.band());
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, mhz);
  const double exact = std::strtod(std::string(buf, res.ptr).c_str(), nullptr);
  const long long hz = std::llround(exact * 1e6);
  return static_cast<long>((hz + 500) / 1000);
}

std::string QsoLine(const QsoRecord& qso, std::string_view mode, const std::string& ownCall,
                    bool listener) {
  const long khz = FrequencyKhz(qso);
  const std::string freq = khz > 0 ? std::to_string(khz) : std::string("-");
  const std::string date = qso.qsoDate() > 0 ? DateToText(qso.qsoDate(), "yyyy-mm-dd") : std::string();
  std::string line = "QSO: " + PadLeftText(freq, kFrequencyWidth) + " " + std::string(mode) + " " +
                     Column(date, 10) + " " + Column(TimeToText(qso.qsoTime(), "hhmm"), 4) + " ";
  const std::string sentCall = listener ? AsciiTrimmed(qso.call()) : ownCall;
  const std::string rcvdCall = AsciiTrimmed(listener ? qso.call2() : qso.call());
  const std::string& sentExch = listener ? qso.rcvdExch() : qso.sentExch();
  const std::string& rcvdExch = listener ? qso.sentExch() : qso.rcvdExch();
  line += Column(sentCall, kCallWidth) + " " + Column(Report(sentExch), kReportWidth) + " " +
          Column(AfterReport(sentExch), kExchangeWidth) + " " + Column(rcvdCall, kCallWidth) + " " +
          Column(Report(rcvdExch), kReportWidth) + " " + Column(AfterReport(rcvdExch), 0);
  return TrimBlanksTabs(line);
}

}  // namespace

std::string Cabrillo3Ascii(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (const char ch : cp1252) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80) {
      out += kHighBytes[c - 0x80u];
    } else if (c < 0x20 || c == 0x7F) {
      out += ' ';
    } else {
      out += ch;
    }
  }
  return out;
}

std::string_view Cabrillo3QsoMode(std::string_view mode, std::string_view report) {
  switch (ModeCodeFromText(mode)) {
    case 'a':
      return "CW";
    case 'b':
    case 'c':
      return "PH";
    case 'd':
      return "FM";
    case 'e':
      return "RY";
    case 'f':
    case 'g':
    case 'h':
    case 'j':
    case 'l':
    case 'm':
      return "DG";
    default:
      return TrimBlanksTabsView(report).size() == kExchangeReportLength ? "CW" : "PH";
  }
}

OutputResult Cabrillo3File(const OutputContext& ctx, FileBlock& qsoFile) {
  const bool listener = ctx.rules.listenerLog != 0;
  const std::string ownCall = AsciiTrimmed(ctx.header.ownCall());

  // The QSO lines first: the categories follow from them.
  std::vector<std::string> qsoLines;
  BandIndex firstBand = 0;
  bool oneBand = true;
  std::string_view firstMode;
  bool oneMode = true;
  const Status st = WalkQsoFile(qsoFile, kQsoIndexRecordNo, [&](const QsoRecord& qso) {
    if (qso.IsQsyMarker()) return true;
    const std::string_view mode =
        Cabrillo3QsoMode(qso.mode(), Report(listener ? qso.rcvdExch() : qso.sentExch()));
    if (qsoLines.empty()) {
      firstBand = qso.band();
      firstMode = mode;
    }
    oneBand = oneBand && qso.band() == firstBand;
    oneMode = oneMode && mode == firstMode;
    qsoLines.push_back(QsoLine(qso, mode, ownCall, listener));
    return true;
  });
  if (!st.ok()) return OutputResult::Failed(st);

  std::string_view band = "ALL";
  if (!qsoLines.empty() && oneBand && IsBand(firstBand)) {
    const std::string_view single = kCategoryBands[static_cast<std::size_t>(firstBand - 'a')];
    if (!single.empty()) band = single;
  }
  std::string_view mode = "MIXED";
  if (!qsoLines.empty() && oneMode) {
    for (const ModeCategory& m : kModeCategories) {
      if (m.qsoMode == firstMode) mode = m.category;
    }
  }

  OutputText out;
  auto tag = [&out](std::string_view name, std::string_view value) {
    out.RawLine(value.empty() ? std::string(name) + ":" : std::string(name) + ": " + std::string(value));
  };
  auto optionalTag = [&tag](std::string_view name, std::string_view value) {
    const std::string text = AsciiTrimmed(value);
    if (!text.empty()) tag(name, text);
  };
  const std::string callsign = AsciiTrimmed(OwnCallOrSwl(ctx));
  const OwnStation& own = ctx.own;
  tag("START-OF-LOG", "3.0");
  tag("CALLSIGN", callsign);
  tag("CONTEST", ContestTagValue(ctx.header.name()));
  tag("CATEGORY-OPERATOR", "SINGLE-OP");
  tag("CATEGORY-BAND", band);
  tag("CATEGORY-MODE", mode);
  tag("CATEGORY-TRANSMITTER", listener ? "SWL" : "ONE");
  tag("CLAIMED-SCORE", std::to_string(ClaimedScore(ctx.totals, ctx.rules)));
  tag("OPERATORS", callsign);
  optionalTag("NAME", own.name);
  optionalTag("ADDRESS", own.street);
  optionalTag("ADDRESS-CITY", own.town);
  optionalTag("ADDRESS-POSTALCODE", own.postcode);
  optionalTag("ADDRESS-COUNTRY", own.country);
  optionalTag("EMAIL", own.email);
  optionalTag("GRID-LOCATOR", ctx.header.locator());
  optionalTag("LOCATION", ctx.header.dok());
  tag("CREATED-BY", AsciiTrimmed(ctx.rules.versionText));
  for (const std::string& line : qsoLines) out.RawLine(line);
  tag("END-OF-LOG", "");
  return {Status::Ok(), out.Take()};
}

}  // namespace korv
