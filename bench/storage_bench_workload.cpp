#include "storage_bench_workload.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace bench {
namespace {

using korv::Bytes;
using korv::ConstBytes;
using korv::KeyString;

constexpr std::int32_t kFirstDay = 149000;  // a DayNumber in December 2007
constexpr std::int32_t kStartSecond = 8 * 3600;
constexpr std::array<char, 3> kBands = {'b', 'c', 'i'};  // 80 m, 40 m, 10 m
constexpr std::string_view kOwnDok = "P23";

constexpr std::array<std::string_view, 16> kNames = {
    "Hans", "Peter", "Klaus", "Uwe", "Juergen", "Michael", "Thomas", "Andreas",
    "Sabine", "Frank", "Wolfgang", "Bernd", "Stefan", "Dieter", "Petra", "Rainer"};
constexpr std::array<std::string_view, 16> kQths = {
    "Muenchen", "Hamburg", "Koeln", "Dresden", "Kassel", "Bremen", "Leipzig", "Ulm",
    "Bonn", "Rostock", "Erfurt", "Trier", "Passau", "Kiel", "Goettingen", "Baunatal"};
constexpr std::array<std::string_view, 10> kForeign = {"OE", "PA", "F",  "G",  "SP",
                                                       "OK", "ON", "OZ", "HB9", "S5"};
constexpr std::array<std::string_view, 5> kSpecialDoks = {"DARC", "HAM08", "WRTC", "75DARC",
                                                          "SAW2008"};
constexpr std::string_view kDistricts = "ABCDEFGHIKLMNOPQRSTUVWXYZ";

std::string_view Text(ConstBytes rec, std::size_t offset, std::size_t capacity,
                      std::string& storage) {
  storage = korv::GetShortText(rec, offset, capacity);
  return storage;
}

// The station's own call: the longest part between slashes ("DL1ABC/P").
std::string_view BaseCall(std::string_view call) {
  std::string_view best;
  while (true) {
    const std::size_t slash = call.find('/');
    const std::string_view part = call.substr(0, slash);
    if (part.size() > best.size()) best = part;
    if (slash == std::string_view::npos) break;
    call.remove_prefix(slash + 1);
  }
  return best;
}

char ModeCodeOf(std::string_view mode) {
  if (mode == "CW") return 'a';
  if (mode == "SSB") return 'b';
  return ' ';
}

std::string Dok8(ConstBytes rec) {
  std::string dok = korv::GetShortText(rec, off::kDok1, 6) + korv::GetShortText(rec, off::kDok2, 2);
  if (dok.size() > 8) dok.resize(8);
  return dok;
}

// An exchange text of up to 20 characters, stored in its four pieces.
void PutExchange(Bytes rec, std::size_t p1, std::size_t p2, std::size_t p3, std::size_t p4,
                 std::string_view text) {
  auto piece = [&](std::size_t from, std::size_t n) {
    return from < text.size() ? text.substr(from, n) : std::string_view();
  };
  korv::PutShortText(rec, p1, 9, piece(0, 9));
  korv::PutShortText(rec, p2, 2, piece(9, 2));
  korv::PutShortText(rec, p3, 2, piece(11, 2));
  korv::PutShortText(rec, p4, 7, piece(13, 7));
}

std::string Exchange(std::string_view report, int serial, std::string_view dok) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d", serial);
  std::string text(report);
  text.resize(3, ' ');
  text += number;
  if (!dok.empty()) {
    text += '/';
    text += dok;
  }
  return text;
}

double Unit(std::uint64_t h) { return static_cast<double>(h >> 11) * 0x1.0p-53; }

}  // namespace

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

void BuildQsoKey(ConstBytes rec, int index, KeyString& key) {
  key.clear();
  std::string s1, s2;
  const char band = static_cast<char>(korv::GetU8(rec, off::kBand));
  const auto day = korv::GetI32(rec, off::kDate);
  const auto time = korv::GetI32(rec, off::kTime);
  auto baseCall14 = [&] { key.AppendPadded(BaseCall(Text(rec, off::kCall, 12, s1)), 14); };
  auto dateTime = [&] {
    key.AppendBigEndian4(day);
    key.AppendBigEndian4(time);
  };
  auto b = [&] { key.AppendByte(static_cast<std::uint8_t>(band)); };
  switch (index) {
    case 1: dateTime(); break;
    case 2: baseCall14(); dateTime(); break;
    case 3: key.AppendPadded(Text(rec, off::kLocator, 6, s1), 6); dateTime(); break;
    case 4: key.AppendLong(korv::GetI32(rec, off::kRecordNo)); break;
    case 5: key.AppendPadded(Text(rec, off::kPrefix, 6, s1), 6); break;
    case 6: baseCall14(); break;
    case 7: key.Append(korv::GetU8(rec, off::kMarked) == 1 ? "1" : " "); break;
    case 8: b(); key.AppendLong(korv::GetI32(rec, off::kBandNo2)); break;
    case 9: b(); baseCall14(); key.AppendPadded(Text(rec, off::kMode, 6, s2), 6); break;
    case 10: b(); key.AppendPadded(Text(rec, off::kPrefix, 6, s1), 6); break;
    case 11: b(); key.AppendLong(99999999 - korv::GetI32(rec, off::kBandNo)); break;
    case 12: b(); key.AppendLong(99999999 - korv::GetI32(rec, off::kBandNo2)); break;
    case 13: key.AppendLong(korv::GetI32(rec, off::kSerialNo)); break;
    case 14: b(); key.AppendByte(korv::GetU8(rec, off::kRes170)); break;
    case 15: b(); key.AppendByte(korv::GetU8(rec, off::kRes171)); break;
    case 16:
      key.AppendByte(korv::GetU8(rec, off::kRes170));
      key.AppendByte(korv::GetU8(rec, off::kRes171));
      break;
    case 17: {
      const std::uint8_t r170 = korv::GetU8(rec, off::kRes170);
      const std::uint8_t r171 = korv::GetU8(rec, off::kRes171);
      b();
      key.AppendByte(r170 == 0 && r171 != 0 && r171 != ' ' ? r171 : r170);
      break;
    }
    case 18: key.AppendPadded(Dok8(rec), 8); break;
    case 19: key.AppendPadded(Text(rec, off::kMulti1, 6, s1), 6); break;
    case 20: key.AppendPadded(Text(rec, off::kMulti3, 12, s1), 6); break;
    case 21: b(); key.AppendPadded(Dok8(rec), 8); break;
    case 22: b(); key.AppendPadded(Text(rec, off::kAltPrefix, 6, s1), 6); break;
    case 23: b(); key.AppendPadded(Text(rec, off::kLocator, 6, s1), 6); break;
    case 24:
      key.AppendByte(static_cast<std::uint8_t>(ModeCodeOf(Text(rec, off::kMode, 6, s1))));
      key.AppendLong(99999999 - korv::GetU16(rec, off::kModeNo));
      break;
    case 25: b(); key.AppendPadded(Text(rec, off::kAreaCode, 2, s1), 2); break;
    case 26: key.AppendPadded(Text(rec, off::kAreaCode, 2, s1), 2); break;
    case 27: b(); key.AppendPadded(Text(rec, off::kMulti3, 12, s1), 6); break;
    default: break;
  }
}

QsoGenerator::QsoGenerator(std::uint64_t seed, std::int64_t plannedRecords)
    : seed_(seed),
      stations_(static_cast<std::uint64_t>(std::clamp<std::int64_t>(plannedRecords / 5, 300, 60000))) {}

QsoGenerator::Station QsoGenerator::MakeStation(std::uint64_t number) const {
  std::uint64_t h = Mix(seed_ ^ Mix(number + 0x5157A7104EULL));
  auto next = [&h](std::uint64_t n) {
    h = Mix(h);
    return h % n;
  };
  auto letters = [&](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('A' + next(26));
    return s;
  };
  Station st;
  st.german = next(100) < 88;
  if (st.german) {
    const auto r = next(100);
    const std::string_view prefix = r < 35 ? "DL" : r < 50 ? "DK" : r < 60 ? "DJ" : r < 70 ? "DF"
                                    : r < 78 ? "DB" : "DO";
    st.call = std::string(prefix) + static_cast<char>('0' + next(10));
    st.call += letters(prefix == "DO" || next(100) < 75 ? 3 : 2);
    if (next(100) < 7) st.call += "/P";
    st.prefix = "DL";
    const auto d = next(100);
    if (d < 5) {
      st.dok = "NM";  // not a member: no DOK
    } else if (d < 9) {
      st.dok = Cat("Z", 10 + next(90));
    } else if (d < 11) {
      st.dok = std::string(kSpecialDoks[next(kSpecialDoks.size())]);
    } else {
      char dok[8];
      std::snprintf(dok, sizeof dok, "%c%02d", kDistricts[next(kDistricts.size())],
                    static_cast<int>(1 + next(55)));
      st.dok = dok;
    }
  } else {
    const std::string_view prefix = kForeign[next(kForeign.size())];
    st.call = std::string(prefix);
    if (prefix.back() < '0' || prefix.back() > '9') st.call += static_cast<char>('0' + next(10));
    st.call += letters(next(100) < 60 ? 3 : 2);
    st.prefix = std::string(prefix);
  }
  if (next(100) < 30) {
    st.locator = std::string("J") + (next(2) ? 'O' : 'N') + static_cast<char>('0' + next(10)) +
                 static_cast<char>('0' + next(10)) + static_cast<char>('A' + next(24)) +
                 static_cast<char>('A' + next(24));
  }
  st.nameQth = std::string(kNames[next(kNames.size())]) + ";" + std::string(kQths[next(kQths.size())]);
  return st;
}

void QsoGenerator::PutCallAndDok(Bytes rec, const Station& st, int rcvdSerial) {
  korv::PutShortText(rec, off::kCall, 12, st.call);
  const std::string_view dok = st.dok;
  korv::PutShortText(rec, off::kDok1, 6, dok.substr(0, 6));
  korv::PutShortText(rec, off::kDok2, 2, dok.size() > 6 ? dok.substr(6, 2) : std::string_view());
  const bool validDok = st.german && dok != "NM";
  korv::PutShortText(rec, off::kMulti1, 6, validDok ? dok.substr(0, 6) : std::string_view());
  const bool cw = korv::GetShortText(rec, off::kMode, 6) == "CW";
  PutExchange(rec, off::kRcvdExch1, off::kRcvdExch2, off::kRcvdExch3, off::kRcvdExch4,
              Exchange(cw ? "599" : "59", rcvdSerial, dok));
}

void QsoGenerator::Fill(std::int64_t i, Bytes rec) const {
  std::fill(rec.begin(), rec.end(), std::uint8_t{0});
  const std::uint64_t h0 = Mix(seed_ * 0x2545F4914F6CDD1DULL + static_cast<std::uint64_t>(i));
  const std::uint64_t h1 = Mix(h0);
  const std::uint64_t h2 = Mix(h1);
  // Busy stations are worked often: a skewed pick from the pool.
  const double u = Unit(h0);
  const auto stationNo = std::min(stations_ - 1, static_cast<std::uint64_t>(u * u * static_cast<double>(stations_)));
  const Station st = MakeStation(stationNo);

  const auto bandPick = h1 % 100;
  const int band = bandPick < 45 ? 0 : bandPick < 85 ? 1 : 2;
  const bool cw = (h1 >> 8) % 100 >= 55;
  const std::int64_t second = kStartSecond + i * 7 + static_cast<std::int64_t>((h1 >> 16) % 7);
  const auto serial = static_cast<std::int32_t>(i + 1);

  korv::PutI32(rec, off::kDate, static_cast<std::int32_t>(kFirstDay + second / 86400));
  korv::PutI32(rec, off::kTime, static_cast<std::int32_t>(second % 86400));
  korv::PutShortText(rec, off::kMode, 6, cw ? "CW" : "SSB");
  korv::PutU8(rec, off::kBand, static_cast<std::uint8_t>(kBands[static_cast<std::size_t>(band)]));
  korv::PutShortText(rec, off::kLocator, 6, st.locator);
  korv::PutShortText(rec, off::kPrefix, 6, st.prefix);
  korv::PutShortText(rec, off::kMulti2, 6, st.prefix);
  korv::PutShortText(rec, off::kNameQth, 30, st.nameQth);
  korv::PutShortText(rec, off::kContinent, 2, "EU");
  korv::PutU8(rec, off::kMarked, (h1 >> 24) % 100 == 0 ? 1 : 0);
  korv::PutU16(rec, off::kPoints, st.german ? 1 : 3);
  korv::PutU8(rec, off::kQslRcvd, 'N');
  korv::PutU8(rec, off::kQslSend, 'Y');
  korv::PutI32(rec, off::kSerialNo, serial);
  PutCallAndDok(rec, st, static_cast<int>(1 + (h2 % 999)));
  PutExchange(rec, off::kSentExch1, off::kSentExch2, off::kSentExch3, off::kSentExch4,
              Exchange(cw ? "599" : "59", serial, kOwnDok));
  constexpr std::array<float, 3> kBase = {3.5f, 7.0f, 28.0f};
  constexpr std::array<float, 3> kWidth = {300.0f, 200.0f, 1000.0f};  // kHz
  korv::PutF32(rec, off::kFrequency,
               kBase[static_cast<std::size_t>(band)] +
                   static_cast<float>((h2 >> 20) % static_cast<std::uint64_t>(kWidth[static_cast<std::size_t>(band)])) / 1000.0f);
}

void QsoGenerator::Next(Bytes rec) {
  const std::int64_t i = next_++;
  Fill(i, rec);
  const char band = static_cast<char>(korv::GetU8(rec, off::kBand));
  const auto b = static_cast<std::size_t>(std::find(kBands.begin(), kBands.end(), band) - kBands.begin());
  const std::int32_t bandNo = ++bandCount_[b];
  korv::PutI32(rec, off::kBandNo, bandNo);
  korv::PutI32(rec, off::kBandNo2, bandNo);
  const std::size_t m = korv::GetShortText(rec, off::kMode, 6) == "CW" ? 0 : 1;
  korv::PutU16(rec, off::kModeNo, static_cast<std::uint16_t>(++modeCount_[m]));
  korv::PutI32(rec, off::kRecordNo, static_cast<std::int32_t>(i + 1));
}

void QsoGenerator::CorrectCallAndDok(Bytes rec, std::uint64_t salt) const {
  // A station outside the pool: a call not logged so far.
  const Station st = MakeStation(stations_ + Mix(salt ^ seed_) % stations_);
  PutCallAndDok(rec, st, static_cast<int>(1 + Mix(salt) % 999));
}

}  // namespace bench
