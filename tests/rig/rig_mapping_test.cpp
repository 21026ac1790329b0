// What the window takes from the radio: band and mode within the contest's
// lists, the frequency texts and the status line.
#include "rig/rig_mapping.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korv {
namespace {

// The active contest's lists: 80 m, 40 m, 10 m; SSB and CW.
const std::vector<BandIndex> kContestBands{'b', 'c', 'i'};
const std::vector<std::string> kContestModes{"SSB", "CW"};

TEST(RigBandOf, FrequenciesAtAndAcrossTheBandEdges) {
  const std::vector<BandIndex> withTopBand{'a', 'b', 'c', 'i'};
  const struct {
    std::int64_t hz;
    const std::vector<BandIndex>* allowed;
    std::optional<BandIndex> band;
  } cases[] = {
      {3500000, &kContestBands, 'b'},  // lower edge of 80 m
      {3525400, &kContestBands, 'b'},
      {3800000, &kContestBands, 'b'},  // upper edge, inside
      {3499000, &kContestBands, std::nullopt},
      {3800100, &kContestBands, std::nullopt},
      {7000000, &kContestBands, 'c'},
      {7100000, &kContestBands, 'c'},
      {7100100, &kContestBands, std::nullopt},  // above 40 m as the band table has it
      {28000000, &kContestBands, 'i'},
      {29700000, &kContestBands, 'i'},
      {29700100, &kContestBands, std::nullopt},
      {10125000, &kContestBands, std::nullopt},  // 30 m: a band, not the contest's
      {14074000, &kContestBands, std::nullopt},  // 20 m likewise
      {1840000, &kContestBands, std::nullopt},   // 160 m, not in this contest
      {1840000, &withTopBand, 'a'},              // ... but in one that has it
      {145000000, &kContestBands, std::nullopt},
      {0, &kContestBands, std::nullopt},
      {-7030000, &kContestBands, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RigBandOf(c.hz, *c.allowed), c.band) << c.hz;
  }
  EXPECT_EQ(RigBandOf(7030000, {}), std::nullopt);
}

TEST(RigModeOf, EachModeGroupAgainstTheContestsModeLists) {
  const std::vector<std::string> withRtty{"SSB", "CW", "RTTY"};
  const std::vector<std::string> withDigital{"CW", "SSB", "DIGITAL", "RTTY"};
  const std::vector<std::string> ft8AndRtty{"FT8", "RTTY"};
  const std::vector<std::string> digitalOnly{"SSB", "DIGITAL"};
  const std::vector<std::string> phoneSplit{"SSB", "FM", "AM", "CW"};
  const std::vector<std::string> cwOnly{"CW"};
  const std::vector<std::string> oddSpelling{" ssb", "Cw "};
  const std::vector<std::string> none{};
  const struct {
    const char* rig;
    const std::vector<std::string>* allowed;
    std::optional<std::string> mode;
  } cases[] = {
      // CW, either sideband
      {"CW", &kContestModes, "CW"},
      {"CWR", &kContestModes, "CW"},
      {"CWN", &kContestModes, "CW"},
      {"cw", &kContestModes, "CW"},
      // phone
      {"USB", &kContestModes, "SSB"},
      {"LSB", &kContestModes, "SSB"},
      {"AM", &kContestModes, "SSB"},
      {"FM", &kContestModes, "SSB"},
      {"WFM", &kContestModes, "SSB"},
      {"SAM", &kContestModes, "SSB"},
      {"ECSSUSB", &kContestModes, "SSB"},
      {"FM", &phoneSplit, "FM"},
      {"FMN", &phoneSplit, "FM"},
      {"AM", &phoneSplit, "AM"},
      {"SAL", &phoneSplit, "AM"},
      {"USB", &phoneSplit, "SSB"},
      // data modes: a contest without one keeps its mode
      {"RTTY", &kContestModes, std::nullopt},
      {"PKTUSB", &kContestModes, std::nullopt},
      {"PKTLSB", &kContestModes, std::nullopt},
      {"RTTY", &withRtty, "RTTY"},
      {"RTTYR", &withRtty, "RTTY"},
      {"PKTUSB", &withRtty, "RTTY"},
      {"RTTY", &withDigital, "RTTY"},
      {"PKTUSB", &withDigital, "DIGITAL"},
      {"PKTFM", &withDigital, "DIGITAL"},
      {"PSK", &withDigital, "DIGITAL"},
      {"PKTUSB", &ft8AndRtty, "FT8"},
      {"RTTY", &ft8AndRtty, "RTTY"},
      {"RTTY", &digitalOnly, "DIGITAL"},
      // a mode the contest does not allow
      {"USB", &cwOnly, std::nullopt},
      {"CW", &cwOnly, "CW"},
      {"CW", &none, std::nullopt},
      // the allowed list's own spelling is returned
      {"USB", &oddSpelling, " ssb"},
      {"CWR", &oddSpelling, "Cw "},
      // nothing to go by
      {"", &withDigital, std::nullopt},
      {"FAX", &withDigital, std::nullopt},
      {"D-STAR", &withDigital, std::nullopt},
      {"C4FM", &phoneSplit, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RigModeOf(c.rig, *c.allowed), c.mode) << c.rig << " / " << c.allowed->size();
  }
}

TEST(RigModeGroupOf, HamlibNamesFallIntoTheirGroups) {
  const struct {
    const char* rig;
    RigModeGroup group;
  } cases[] = {
      {"CW", RigModeGroup::kCw},        {"CWR", RigModeGroup::kCw},
      {"USB", RigModeGroup::kPhone},    {"LSB", RigModeGroup::kPhone},
      {"AMS", RigModeGroup::kPhone},    {"DSB", RigModeGroup::kPhone},
      {"ISBLSB", RigModeGroup::kPhone}, {"RTTY", RigModeGroup::kFsk},
      {"RTTYR", RigModeGroup::kFsk},    {"PKTUSB", RigModeGroup::kData},
      {"PKTFMN", RigModeGroup::kData},  {"PSKR", RigModeGroup::kData},
      {"IQ", RigModeGroup::kUnknown},   {"FAX", RigModeGroup::kUnknown},
      {"", RigModeGroup::kUnknown},     {"CWX", RigModeGroup::kUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(RigModeGroupOf(c.rig), c.group) << c.rig;
}

TEST(RigFrequencyTexts, KilohertzGermanStyleAndMegahertzForTheCommandLine) {
  const struct {
    std::int64_t hz;
    const char* khz;
    const char* mhz;
  } cases[] = {
      {3525400, "3.525,40", "3.525400"},
      {7030000, "7.030,00", "7.030000"},
      {10125000, "10.125,00", "10.125000"},
      {144300000, "144.300,00", "144.300000"},
      {1296200000, "1.296.200,00", "1296.200000"},
      {3525404, "3.525,40", "3.525404"},  // rounded to 10 Hz
      {3525405, "3.525,41", "3.525405"},
      {999995, "1.000,00", "0.999995"},
      {500, "0,50", "0.000500"},
      {1, "0,00", "0.000001"},
      {0, "0,00", "0.000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatRigKhz(c.hz), c.khz) << c.hz;
    EXPECT_EQ(FormatRigMhz(c.hz), c.mhz) << c.hz;
  }
}

TEST(RigStatusText, ConnectedOutsideTheBandsAndWithoutConnection) {
  RigState icom;
  icom.connected = true;
  icom.frequencyHz = 3525400;
  icom.mode = "CW";
  icom.modelName = "IC-7300";
  RigState bare = icom;
  bare.mode.clear();
  bare.modelName.clear();
  RigState outside = icom;
  outside.frequencyHz = 10125000;
  RigState lost = icom;
  lost.connected = false;
  lost.error = "rigctld localhost:4532: Verbindung verloren (E/A-Fehler).";
  const struct {
    const RigState* state;
    std::string text;
  } cases[] = {
      {&icom, "Rig: IC-7300 3.525,40 kHz CW"},
      {&bare, "Rig: 3.525,40 kHz"},
      {&outside,
       "Rig: au\xDF"
       "erhalb der Contest-B\xE4nder (10.125,00 kHz)"},
      {&lost, "Rig: keine Verbindung"},
  };
  for (const auto& c : cases) EXPECT_EQ(RigStatusText(*c.state, kContestBands), c.text);
}

}  // namespace
}  // namespace korv
