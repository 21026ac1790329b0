#include "refdata/locator.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <string_view>

namespace korv {
namespace {

// ---- Independent reference: the subsquare centre from the usual Maidenhead
// grid arithmetic, and distance / bearing by haversine and atan2 on a sphere
// of 111.12 km per degree.
struct Reference {
  double latitude;
  double longitude;  // 0..360
};

Reference ReferencePosition(std::string_view six) {
  const double lon =
      (six[0] - 'A') * 20.0 - 180.0 + (six[2] - '0') * 2.0 + ((six[4] - 'A') + 0.5) * 5.0 / 60.0;
  const double lat =
      (six[1] - 'A') * 10.0 - 90.0 + (six[3] - '0') + ((six[5] - 'A') + 0.5) * 2.5 / 60.0;
  return {lat, lon < 0.0 ? lon + 360.0 : lon};
}

constexpr double kEarthRadiusKm = 111.12 * 180.0 / std::numbers::pi;

double HaversineKm(Reference a, Reference b) {
  const double rad = std::numbers::pi / 180.0;
  const double dLat = (b.latitude - a.latitude) * rad;
  const double dLon = (b.longitude - a.longitude) * rad;
  const double s = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(a.latitude * rad) * std::cos(b.latitude * rad) * std::sin(dLon / 2) *
                       std::sin(dLon / 2);
  return 2.0 * kEarthRadiusKm * std::asin(std::sqrt(s));
}

double BearingDegrees(Reference a, Reference b) {
  const double rad = std::numbers::pi / 180.0;
  const double dLon = (b.longitude - a.longitude) * rad;
  const double y = std::sin(dLon) * std::cos(b.latitude * rad);
  const double x = std::cos(a.latitude * rad) * std::sin(b.latitude * rad) -
                   std::sin(a.latitude * rad) * std::cos(b.latitude * rad) * std::cos(dLon);
  const double bearing = std::atan2(y, x) / rad;
  return bearing < 0.0 ? bearing + 360.0 : bearing;
}

TEST(LocatorIsValid, ChecksOnlyTheCharactersPresent) {
  const struct {
    std::string_view text;
    bool valid;
  } cases[] = {
      {"", true},        {"J", true},        {"JO", true},      {"JO3", true},
      {"JO31", true},    {"JO31M", true},    {"JO31MM", true},  {"AA00AA", true},
      {"RR99XX", true},  {"JO31MM12", true},  // past six nothing is checked
      {"SA", false},     {"AS", false},      {"jo31mm", false}, {"JOA1", false},
      {"JO3A", false},   {"JO31YA", false},  {"JO31MY", false}, {"JO31M1", false},
      {"J031MM", false}, {"JO31mm", false},  {"@O31MM", false}, {"JO/1MM", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(LocatorIsValid(c.text), c.valid);
  }
}

TEST(LocatorToPosition, SubsquareCentresMatchTheGridArithmetic) {
  for (std::string_view loc :
       {"JO31MM", "AA00AA", "RR99XX", "IO91WM", "FN42LI", "PM95VQ", "QF56OD", "JJ00AA", "II99XX",
        "IJ00AA", "JI99XX", "KP20LE", "AD38ML", "GG66RQ", "RA09XA"}) {
    SCOPED_TRACE(std::string(loc));
    const LocatorPosition pos = LocatorToPosition(loc);
    const Reference ref = ReferencePosition(loc);
    ASSERT_TRUE(pos.ok);
    EXPECT_NEAR(pos.latitude, ref.latitude, 1e-9);
    EXPECT_NEAR(pos.longitude, ref.longitude, 1e-9);
    EXPECT_GE(pos.longitude, 0.0);
    EXPECT_LT(pos.longitude, 360.0);
  }
}

TEST(LocatorToPosition, FieldsIAndJLieEitherSideOfGreenwich) {
  // Field I spans 340..360 (20° W to 0°), field J 0..20.
  EXPECT_NEAR(LocatorToPosition("IJ00AA").longitude, 340.0 + 2.5 / 60.0, 1e-9);
  EXPECT_NEAR(LocatorToPosition("IJ99XX").longitude, 360.0 - 2.5 / 60.0, 1e-9);
  EXPECT_NEAR(LocatorToPosition("JJ00AA").longitude, 2.5 / 60.0, 1e-9);
  EXPECT_NEAR(LocatorToPosition("JJ99XX").longitude, 20.0 - 2.5 / 60.0, 1e-9);
  EXPECT_NEAR(LocatorToPosition("AJ00AA").longitude, 180.0 + 2.5 / 60.0, 1e-9);
  EXPECT_NEAR(LocatorToPosition("RJ99XX").longitude, 180.0 - 2.5 / 60.0, 1e-9);
}

// A short locator stands for the centre of what it names.
TEST(LocatorToPosition, ShortLocatorsAreCompleted) {
  const struct {
    std::string_view text;
    std::string_view completed;
  } cases[] = {
      {"JO31", "JO31MM"}, {"JO", "JO44XX"},     {"JO3", "JO34MX"}, {"JO31M", "JO31MM"},
      {"jo31", "JO31MM"}, {"jo31mm", "JO31MM"}, {"Jo3", "JO34MX"}, {"AA", "AA44XX"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    const LocatorPosition pos = LocatorToPosition(c.text);
    const LocatorPosition full = LocatorToPosition(c.completed);
    ASSERT_TRUE(pos.ok);
    EXPECT_EQ(pos.latitude, full.latitude);
    EXPECT_EQ(pos.longitude, full.longitude);
  }
}

TEST(LocatorToPosition, FailsForBadLengthOrCharacters) {
  for (std::string_view text : {"", "J", "JO31MMA", "JO31MM12", "SA00AA", "JS", "JOX1", "J031",
                                "JO31M1", "JO31MY", "JO 31", "JO31\xE4"}) {
    SCOPED_TRACE(std::string(text));
    const LocatorPosition pos = LocatorToPosition(text);
    EXPECT_FALSE(pos.ok);
    EXPECT_EQ(pos.latitude, 0.0);
    EXPECT_EQ(pos.longitude, 0.0);
  }
}

TEST(LocatorToPosition, DisplayPartsAndHemispheres) {
  const struct {
    std::string_view loc;
    int latD, latM, latS;
    char ns;
    int lonD, lonM, lonS;
    char ew;
  } cases[] = {
      {"JO31MM", 51, 31, 15, 'N', 7, 2, 30, 'E'},    {"FF00AA", 39, 58, 45, 'S', 79, 57, 30, 'W'},
      {"JI99XX", 0, 1, 15, 'S', 19, 57, 30, 'E'},  // just south of the equator
      {"IJ00AA", 0, 1, 15, 'N', 19, 57, 30, 'W'},    {"AA00AA", 89, 58, 45, 'S', 179, 57, 30, 'W'},
      {"RR99XX", 89, 58, 45, 'N', 179, 57, 30, 'E'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.loc));
    const LocatorPosition p = LocatorToPosition(c.loc);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.latitudeDegrees, c.latD);
    EXPECT_EQ(p.latitudeMinutes, c.latM);
    EXPECT_EQ(p.latitudeSeconds, c.latS);
    EXPECT_EQ(p.latitudeHemisphere, c.ns);
    EXPECT_EQ(p.longitudeDegrees, c.lonD);
    EXPECT_EQ(p.longitudeMinutes, c.lonM);
    EXPECT_EQ(p.longitudeSeconds, c.lonS);
    EXPECT_EQ(p.longitudeHemisphere, c.ew);
  }
}

TEST(LocatorDistance, AgreesWithHaversineAndAtan2Bearing) {
  const struct {
    std::string_view from;
    std::string_view to;
  } pairs[] = {
      {"JO31MM", "JN58TD"}, {"JO31MM", "FN42LI"}, {"JO31MM", "PM95VQ"}, {"JO31MM", "QF56OD"},
      {"JO31MM", "KP20LE"}, {"IO91WM", "JO31MM"}, {"JO31MM", "IO91WM"}, {"JJ00AA", "II99XX"},
      {"II99XX", "JJ00AA"}, {"FN42LI", "PM95VQ"}, {"QF56OD", "FF00AA"}, {"AA00AA", "JJ00AA"},
      {"JO31MM", "JO41MM"}, {"JO41MM", "JO31MM"}, {"GG66RQ", "KP20LE"},
  };
  for (const auto& p : pairs) {
    SCOPED_TRACE(std::string(p.from) + " -> " + std::string(p.to));
    const LocatorDistanceResult d = LocatorDistance(p.from, p.to);
    const Reference a = ReferencePosition(p.from);
    const Reference b = ReferencePosition(p.to);
    ASSERT_TRUE(d.ok);
    EXPECT_NEAR(d.km, HaversineKm(a, b), 1e-6);
    ASSERT_LT(d.km, 20000.0);
    EXPECT_NEAR(d.heading, BearingDegrees(a, b), 1e-4);
  }
}

// Along a meridian one degree of latitude is exactly 111.12 km, due north or
// due south.
TEST(LocatorDistance, AlongAMeridian) {
  const LocatorDistanceResult north = LocatorDistance("JO31MM", "JO32MM");
  ASSERT_TRUE(north.ok);
  EXPECT_NEAR(north.km, 111.12, 1e-6);
  EXPECT_NEAR(north.heading, 0.0, 1e-4);

  const LocatorDistanceResult south = LocatorDistance("JO36MM", "JO31MM");
  ASSERT_TRUE(south.ok);
  EXPECT_NEAR(south.km, 5 * 111.12, 1e-6);
  EXPECT_NEAR(south.heading, 180.0, 1e-4);
}

TEST(LocatorDistance, SamePositionIsZeroDistanceAndHeading) {
  for (std::string_view loc : {"JO31MM", "AA00AA", "RR99XX", "IJ00AA", "FN42LI"}) {
    SCOPED_TRACE(std::string(loc));
    const LocatorDistanceResult d = LocatorDistance(loc, loc);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.km, 0.0);
    EXPECT_EQ(d.heading, 0.0);
  }
  // Spelled differently, the same centre.
  const LocatorDistanceResult d = LocatorDistance("jo31", "JO31MM");
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(d.km, 0.0);
  EXPECT_EQ(d.heading, 0.0);
}

// AD38ML is the antipode of JO31MM's centre: half the circumference
// (180 × 111.12 km), beyond 20000 km, so the heading is 0.
TEST(LocatorDistance, AntipodesHaveNoHeading) {
  for (const auto& [from, to] :
       {std::pair<std::string_view, std::string_view>{"JO31MM", "AD38ML"}, {"AD38ML", "JO31MM"}}) {
    SCOPED_TRACE(std::string(from));
    const LocatorDistanceResult d = LocatorDistance(from, to);
    ASSERT_TRUE(d.ok);
    EXPECT_NEAR(d.km, 180.0 * 111.12, 0.01);
    EXPECT_EQ(d.heading, 0.0);
  }
}

TEST(LocatorDistance, InvalidLocatorGivesFailureAndZeros) {
  const struct {
    std::string_view from;
    std::string_view to;
  } pairs[] = {
      {"JO31MM", "SA00AA"}, {"SA00AA", "JO31MM"},  {"", "JO31MM"},
      {"JO31MM", "J"},      {"JO31MMA", "JO31MM"},
  };
  for (const auto& p : pairs) {
    SCOPED_TRACE(std::string(p.from) + " -> " + std::string(p.to));
    const LocatorDistanceResult d = LocatorDistance(p.from, p.to);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.km, 0.0);
    EXPECT_EQ(d.heading, 0.0);
    EXPECT_EQ(StoredDistanceKm(p.from, p.to), 0);
  }
}

TEST(RoundDistanceKm, NearestWithHalvesToEven) {
  const struct {
    double km;
    int rounded;
  } cases[] = {
      {0.0, 0},         {0.4999, 0},     {0.5, 0},
      {0.5001, 1},      {1.5, 2},        {2.5, 2},
      {3.5, 4},         {111.12, 111},   {555.6, 556},
      {20001.6, 20002}, {-0.5, 0},       {-1.5, -2},
      {-2.5, -2},       {1e12, INT_MAX}, {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.km);
    EXPECT_EQ(RoundDistanceKm(c.km), c.rounded);
  }
}

TEST(StoredDistanceKm, RoundsTheDistanceOfValidLocators) {
  EXPECT_EQ(StoredDistanceKm("JO31MM", "JO32MM"), 111);  // 111.12
  EXPECT_EQ(StoredDistanceKm("JO31", "JO36"), 556);      // 555.6
  EXPECT_EQ(StoredDistanceKm("JO31MM", "JO31MM"), 0);
  EXPECT_EQ(StoredDistanceKm("JO31MM", "AD38ML"), 20002);  // 20001.6
}

}  // namespace
}  // namespace korv
