// The Cabrillo 3.0 file: the sample log against its golden file and the QSO
// template's columns, the categories taken from the log, ASCII texts,
// frequencies and listener logs.
#include "output/cabrillo3_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <optional>
#include <sstream>

#include "output/claimed_score.h"
#include "output_fixture.h"
#include "refdata/bands.h"

namespace korv::testing {
namespace {

// The QSO template of Cabrillo 3.0 (without the transmitter column): each
// run of placeholders is one column.
constexpr std::string_view kQsoTemplate =
    "QSO: ***** ** yyyy-mm-dd nnnn ************* nnn ****** ************* nnn ******";

// Start and end of each placeholder run of the template.
std::vector<std::pair<std::size_t, std::size_t>> TemplateColumns() {
  std::vector<std::pair<std::size_t, std::size_t>> columns;
  for (std::size_t i = 5; i < kQsoTemplate.size();) {
    const std::size_t end = std::min(kQsoTemplate.find(' ', i), kQsoTemplate.size());
    columns.emplace_back(i, end);
    i = end + 1;
  }
  return columns;
}

// The blank-separated fields of a line, as the robots read them.
std::vector<std::string> Fields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> fields;
  for (std::string f; in >> f;) fields.push_back(f);
  return fields;
}

// The value of the first "TAG: value" line; nullopt when there is none.
std::optional<std::string> TagValue(const std::vector<std::string>& lines, const std::string& tag) {
  for (const std::string& l : lines) {
    if (l == tag + ":") return std::string();
    if (l.starts_with(tag + ": ")) return l.substr(tag.size() + 2);
  }
  return std::nullopt;
}

std::vector<std::string> QsoLines(const std::vector<std::string>& lines) {
  std::vector<std::string> qsos;
  for (const std::string& l : lines) {
    if (l.starts_with("QSO:")) qsos.push_back(l);
  }
  return qsos;
}

class Cabrillo3Test : public OutputTest {
 protected:
  std::vector<std::string> Lines(FileBlock& file) {
    const OutputResult r = Cabrillo3File(Context(), file);
    EXPECT_TRUE(r.ok());
    return SplitLines(r.bytes);
  }
  std::vector<std::string> Lines() { return Lines(*qsoFile); }

  // Runs `body` with a fresh QSO file as the fixture's file.
  void WithFreshLog(std::int32_t number, const std::function<void()>& body) {
    FileBlock* saved = qsoFile;
    qsoFile = catalogue->OpenQsoFile(number);
    ASSERT_NE(qsoFile, nullptr);
    body();
    catalogue->ReleaseQsoFile(number);
    qsoFile = saved;
  }
};

TEST_F(Cabrillo3Test, SampleLogMatchesGoldenAndTheTemplate) {
  FillSampleLog();
  own.country = "Germany";
  own.email = "max@example.org";
  const OutputResult r = Cabrillo3File(Context(), *qsoFile);
  ASSERT_TRUE(r.ok());
  ExpectGolden("sample.LOG", r.bytes);
  for (const char c : r.bytes) {
    const auto b = static_cast<unsigned char>(c);
    EXPECT_TRUE((b >= 0x20 && b <= 0x7E) || b == '\r' || b == '\n') << static_cast<int>(b);
  }
  const auto lines = SplitLines(r.bytes);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "START-OF-LOG: 3.0");
  EXPECT_EQ(lines.back(), "END-OF-LOG:");
  EXPECT_EQ(TagValue(lines, "CLAIMED-SCORE"), std::to_string(ClaimedScore(Context().totals, rules)));
  EXPECT_EQ(TagValue(lines, "CREATED-BY"), rules.versionText);
  EXPECT_EQ(TagValue(lines, "CONTEST"), "DEZ-2009");
  EXPECT_EQ(TagValue(lines, "LOCATION"), "N05");
  EXPECT_EQ(TagValue(lines, "CATEGORY-POWER"), std::nullopt);

  // Five QSOs, the QSY marker line left out; entry order; the header before
  // them, nothing between them and END-OF-LOG.
  const auto qsos = QsoLines(lines);
  ASSERT_EQ(qsos.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 6, lines.end() - 1), qsos);
  const char* const workedInOrder[] = {"DL2XYZ", "DK3AB/P", "ON4XYZ", "DL/PA3ABC/P", "DF9ZZZ"};
  const auto columns = TemplateColumns();
  ASSERT_EQ(columns.size(), 10u);
  for (std::size_t i = 0; i < qsos.size(); ++i) {
    const std::string& q = qsos[i];
    const auto f = Fields(q);
    ASSERT_EQ(f.size(), 11u) << q;  // an empty exchange keeps its place
    EXPECT_EQ(f[5], "DL1ABC") << q;
    EXPECT_EQ(f[8], workedInOrder[i]) << q;
    // Each value stands in its template column: the frequency right-aligned,
    // the others from the column's first character.
    const auto [freqStart, freqEnd] = columns[0];
    EXPECT_EQ(q.substr(freqStart, freqEnd - freqStart), std::string(freqEnd - freqStart - f[1].size(), ' ') + f[1])
        << q;
    for (std::size_t c = 1; c < columns.size(); ++c) {
      EXPECT_EQ(q.compare(columns[c].first, f[c + 1].size(), f[c + 1]), 0) << q << " column " << c;
      EXPECT_EQ(q[columns[c].first - 1], ' ') << q << " column " << c;
    }
  }
  EXPECT_EQ(Fields(qsos[0])[3], "2009-06-15");
  EXPECT_EQ(Fields(qsos[0])[4], "1205");
}

TEST_F(Cabrillo3Test, CategoriesFollowTheLogsBandsAndModes) {
  struct Qso {
    BandIndex band;
    const char* mode;
  };
  const struct Case {
    const char* what;
    std::vector<Qso> qsos;
    BandIndex qsyTo;  // a QSY marker line after the first QSO; 0 = none
    const char* band;
    const char* mode;
  } cases[] = {
      {"one band, CW", {{'b', "CW"}, {'b', "CW"}}, 0, "80M", "CW"},
      {"one band, SSB", {{'c', "SSB"}}, 0, "40M", "SSB"},
      {"phone in several spellings", {{'i', "USB"}, {'i', "LSB"}, {'i', "AM"}}, 0, "10M", "SSB"},
      {"two bands, two modes", {{'b', "SSB"}, {'i', "CW"}}, 0, "ALL", "MIXED"},
      {"two bands, one mode", {{'b', "CW"}, {'c', "CW"}}, 0, "ALL", "CW"},
      {"one band, two modes", {{'b', "CW"}, {'b', "SSB"}}, 0, "80M", "MIXED"},
      {"a QSY marker is no QSO", {{'b', "CW"}, {'b', "CW"}}, 'i', "80M", "CW"},
      {"band without a category", {{'d', "CW"}}, 0, "ALL", "CW"},
      {"70 cm FM", {{'l', "FM"}}, 0, "432", "FM"},
      {"RTTY", {{'g', "RTTY"}}, 0, "15M", "RTTY"},
      {"PSK and packet", {{'s', "PSK31"}, {'s', "PR"}}, 0, "24G", "DIGI"},
      {"empty log", {}, 0, "ALL", "MIXED"},
  };
  std::int32_t number = 100;
  for (const Case& c : cases) {
    WithFreshLog(++number, [&] {
      for (std::size_t i = 0; i < c.qsos.size(); ++i) {
        const bool cw = std::string_view(c.qsos[i].mode) == "CW";
        AddQso({"DL" + std::to_string(i) + "AA", c.qsos[i].band, c.qsos[i].mode, Ex(cw ? "599" : "59", "N05"),
                Ex(cw ? "599" : "59", "N01"), 1, "N01", "N01"});
        if (i == 0 && c.qsyTo != 0) AddQsyMarker(c.qsyTo, 13, 0);
      }
      const auto lines = Lines();
      EXPECT_EQ(TagValue(lines, "CATEGORY-BAND"), c.band) << c.what;
      EXPECT_EQ(TagValue(lines, "CATEGORY-MODE"), c.mode) << c.what;
      EXPECT_EQ(TagValue(lines, "CATEGORY-OPERATOR"), "SINGLE-OP") << c.what;
      EXPECT_EQ(QsoLines(lines).size(), c.qsos.size()) << c.what;
    });
  }
}

TEST_F(Cabrillo3Test, QsoModeColumn) {
  const struct {
    const char* mode;
    const char* report;
    const char* column;
  } cases[] = {
      {"CW", "599", "CW"},  {"SSB", "59", "PH"},   {"USB", "59", "PH"},  {"AM", "59", "PH"},
      {"FM", "59", "FM"},   {"RTTY", "599", "RY"}, {"PSK31", "599", "DG"}, {"PR", "59", "DG"},
      {"SSTV", "59", "DG"}, {"2xCW", "599", "CW"},
      // No mode class: three characters of report are CW, anything else phone.
      {"", "599", "CW"},    {"", "59", "PH"},      {"ssb", "59", "PH"},  {"SAT", "599", "CW"},
      {"", "", "PH"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cabrillo3QsoMode(c.mode, c.report), c.column) << c.mode << " / " << c.report;
  }
}

TEST_F(Cabrillo3Test, TextsAreWrittenInAscii) {
  const struct {
    std::string OwnStation::*field;  // null: the header's contest name
    const char* value;
    const char* tag;
    std::optional<std::string> expected;  // nullopt: no such line
  } cases[] = {
      {&OwnStation::name, "Max M\xFCller", "NAME", "Max Mueller"},
      {&OwnStation::name, "J\xF6rg \xC4" "bel", "NAME", "Joerg Aebel"},
      {&OwnStation::name, "Ren\xE9 Fran\xE7ois", "NAME", "Rene Francois"},
      {&OwnStation::street, "Hauptstra\xDF" "e 1", "ADDRESS", "Hauptstrasse 1"},
      {&OwnStation::town, "\xD6hringen", "ADDRESS-CITY", "Oehringen"},
      {&OwnStation::town, "\xDC" "berlingen\tam See", "ADDRESS-CITY", "Ueberlingen am See"},
      {&OwnStation::country, "\xC6r\xF8", "ADDRESS-COUNTRY", "AEro"},
      {&OwnStation::country, "", "ADDRESS-COUNTRY", std::nullopt},
      {&OwnStation::email, "  ", "EMAIL", std::nullopt},
      {&OwnStation::postcode, "12345", "ADDRESS-POSTALCODE", "12345"},
      {nullptr, "Dez \xE4 / 2009 ", "CONTEST", "DEZ-AE-2009"},
      {nullptr, "--DEZ--", "CONTEST", "DEZ"},
  };
  for (const auto& c : cases) {
    const OwnStation saved = own;
    if (c.field != nullptr) {
      own.*c.field = c.value;
    } else {
      header.SetName(c.value);
    }
    EXPECT_EQ(TagValue(Lines(), c.tag), c.expected) << c.value;
    own = saved;
  }

  // Every byte comes out as printable ASCII, and the letters outside ASCII
  // become letters.
  for (int b = 0; b < 256; ++b) {
    const std::string text = Cabrillo3Ascii(std::string(1, static_cast<char>(b)));
    ASSERT_FALSE(text.empty()) << b;
    for (const char c : text) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << b;
    if (b >= 0xC0 && b != 0xD7 && b != 0xF7) {
      EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(text[0]))) << b;
    }
  }
}

TEST_F(Cabrillo3Test, FrequencyInKhzOrTheBandsLowestKhz) {
  const struct {
    BandIndex band;
    float mhz;
    const char* column;  // the first 11 characters of the line
  } stored[] = {
      {'b', 3.65f, "QSO:  3650 "},     {'b', 3.5255f, "QSO:  3526 "},   {'c', 7.0354f, "QSO:  7035 "},
      {'i', 28.0355f, "QSO: 28036 "},  {'k', 144.3f, "QSO: 144300 "}, {'r', 0.1375f, "QSO:   138 "},
      {'m', 1296.2f, "QSO: 1296200 "},
  };
  for (const auto& c : stored) {
    AddQso({"DL1XX", c.band, "CW", Ex("599", "N05"), Ex("599", "N01"), 1, "N01", "N01"},
           [&](QsoRecord& r) { r.SetFrequency(c.mhz); });
  }
  const auto withFrequency = QsoLines(Lines());
  ASSERT_EQ(withFrequency.size(), std::size(stored));
  for (std::size_t i = 0; i < std::size(stored); ++i) {
    const std::string prefix = stored[i].column;
    EXPECT_EQ(withFrequency[i].substr(0, prefix.size()), prefix) << stored[i].mhz;
  }

  // Without a stored frequency: the lowest whole kHz the band table counts
  // to the QSO's band, for every band.
  WithFreshLog(200, [&] {
    for (BandIndex band = 'a'; band <= 's'; ++band) {
      AddQso({"DL1XX", band, "CW", Ex("599", "N05"), Ex("599", "N01"), 1, "N01", "N01"});
    }
    const auto lines = QsoLines(Lines());
    ASSERT_EQ(lines.size(), 19u);
    for (BandIndex band = 'a'; band <= 's'; ++band) {
      const std::string& line = lines[static_cast<std::size_t>(band - 'a')];
      const long khz = std::stol(Fields(line)[1]);
      EXPECT_EQ(khz, BandLowestKhz(band)) << line;
      EXPECT_EQ(BandFromFrequency(static_cast<double>(khz) / 1000.0), band) << line;
      EXPECT_NE(BandFromFrequency(static_cast<double>(khz - 1) / 1000.0), band) << line;
    }
    EXPECT_EQ(Fields(lines[1])[1], "3500");  // 80 m
  });
}

TEST_F(Cabrillo3Test, ListenerLogNamesTheHeardAndTheWorkedStation) {
  own.swlNumber = "DE-1234";
  const struct {
    std::uint8_t participation;
    const char* callsign;
    const char* transmitter;
    std::vector<std::string> fields;  // from the own (sent) call on
  } cases[] = {
      {1, "DL1ABC", "ONE", {"DL1ABC", "57", "N05", "DL2XYZ", "59", "N01"}},
      {2, "DE-1234", "SWL", {"DL2XYZ", "59", "N01", "DK3AB", "57", "N05"}},
  };
  std::int32_t number = 300;
  for (const auto& c : cases) {
    header.SetParticipationType(c.participation);
    FillRules();
    WithFreshLog(++number, [&] {
      AddQso({"DL2XYZ", 'b', "SSB", Ex("57", "N05"), Ex("59", "N01"), 1, "N01", ""},
             [](QsoRecord& r) { r.SetCall2("DK3AB"); });
      const auto lines = Lines();
      EXPECT_EQ(TagValue(lines, "CALLSIGN"), c.callsign);
      EXPECT_EQ(TagValue(lines, "OPERATORS"), c.callsign);
      EXPECT_EQ(TagValue(lines, "CATEGORY-TRANSMITTER"), c.transmitter);
      const auto qsos = QsoLines(lines);
      ASSERT_EQ(qsos.size(), 1u);
      const auto f = Fields(qsos[0]);
      EXPECT_EQ(std::vector<std::string>(f.begin() + 5, f.end()), c.fields) << qsos[0];
    });
  }
}

}  // namespace
}  // namespace korv::testing
