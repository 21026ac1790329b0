#include "refdata/locator.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "common/cp1252.h"
#include "common/text.h"

namespace korv {
namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295769;
constexpr double kKmPerDegree = 111.12;
constexpr double kHeadingLimitKm = 20000.0;

// Completion of short locators to six characters, indexed by length 0..6.
constexpr std::array<std::string_view, 7> kCompletion{"", "", "44XX", "4MX", "MM", "M", ""};

// arccos as π/2 − arctan(c / √(1 − c²)), with the ends of the domain set
// explicitly. REQUIRES: -1 <= c <= 1.
double ArcCos(double c) {
  const double root = std::sqrt(1.0 - c * c);
  if (root == 0.0) return c > 0.0 ? 0.0 : std::numbers::pi;
  return std::numbers::pi / 2.0 - std::atan(c / root);
}

// Degrees, minutes and seconds of a non-negative angle that is a whole number
// of seconds (every locator centre is).
void SplitDegrees(double degrees, int& wholeDegrees, int& minutes, int& seconds) {
  const auto total = static_cast<long>(std::lround(degrees * 3600.0));
  wholeDegrees = static_cast<int>(total / 3600);
  minutes = static_cast<int>(total / 60 % 60);
  seconds = static_cast<int>(total % 60);
}

}  // namespace

bool LocatorIsValid(std::string_view text) {
  const std::size_t checked = std::min<std::size_t>(text.size(), 6);
  for (std::size_t i = 0; i < checked; ++i) {
    const char c = text[i];
    const bool ok = i < 2   ? (c >= 'A' && c <= 'R')
                    : i < 4 ? (c >= '0' && c <= '9')
                            : (c >= 'A' && c <= 'X');
    if (!ok) return false;
  }
  return true;
}

LocatorPosition LocatorToPosition(std::string_view text) {
  LocatorPosition result;
  if (text.size() < 2 || text.size() > 6) return result;

  std::array<char, 6> loc{};
  for (std::size_t i = 0; i < text.size(); ++i) {
    loc[i] = UpperCaseAsciiUmlautChar(text[i]);
  }
  const std::string_view completion = kCompletion[text.size()];
  std::copy(completion.begin(), completion.end(), loc.begin() + text.size());
  if (!LocatorIsValid({loc.data(), loc.size()})) return result;

  // Longitude: field of 20°, square of 2°, subsquare of 5'; centre at +2'30".
  int lonDegrees = (loc[0] - 'A') * 20 + 180;
  if (loc[0] > 'I') lonDegrees -= 360;
  lonDegrees += (loc[2] - '0') * 2;
  int lonMinutes = (loc[4] - 'A') * 5 + 2;
  if (lonMinutes > 60) {
    lonMinutes -= 60;
    lonDegrees += 1;
  }
  // Latitude: field of 10°, square of 1°, subsquare of 2'30"; centre at +1'15".
  const int latDegrees = (loc[1] - 'A') * 10 - 90 + (loc[3] - '0');
  const double latMinutesReal = (loc[5] - 'A') * 2.5 + 1.25;
  const double latMinutes = std::trunc(latMinutesReal);
  const double latSeconds = std::trunc((latMinutesReal - latMinutes) * 60.0);

  result.ok = true;
  result.longitude = lonDegrees + lonMinutes / 60.0 + 30.0 / 3600.0;
  result.latitude = latDegrees + latMinutes / 60.0 + latSeconds / 3600.0;

  result.latitudeHemisphere = latDegrees >= 0 ? 'N' : 'S';
  SplitDegrees(std::fabs(result.latitude), result.latitudeDegrees, result.latitudeMinutes,
               result.latitudeSeconds);
  const bool west = result.longitude > 180.0;
  result.longitudeHemisphere = west ? 'W' : 'E';
  SplitDegrees(west ? 360.0 - result.longitude : result.longitude, result.longitudeDegrees,
               result.longitudeMinutes, result.longitudeSeconds);
  return result;
}

LocatorDistanceResult LocatorDistance(std::string_view first, std::string_view second) {
  LocatorDistanceResult result;
  const LocatorPosition from = LocatorToPosition(first);
  const LocatorPosition to = LocatorToPosition(second);
  if (!from.ok || !to.ok) return result;
  result.ok = true;
  // The formula below leaves a residue of about 1e-4 km for one point, which
  // would also give a meaningless heading: the same position is 0 and 0.
  if (from.latitude == to.latitude && from.longitude == to.longitude) return result;

  const double phi1 = from.latitude * kRadiansPerDegree;
  const double phi2 = to.latitude * kRadiansPerDegree;
  const double deltaLambda = (to.longitude - from.longitude) * kRadiansPerDegree;

  const double c = std::clamp(
      std::cos(deltaLambda) * std::cos(phi1) * std::cos(phi2) + std::sin(phi1) * std::sin(phi2),
      -1.0, 1.0);
  const double arc = ArcCos(c);
  result.km = arc * 180.0 / std::numbers::pi * kKmPerDegree;
  if (result.km <= 0.0 || result.km >= kHeadingLimitKm) return result;

  // 0 < arc < π here and |φ1| < 90°, so the divisor is not zero.
  const double h = std::clamp(
      (std::sin(phi2) - std::cos(arc) * std::sin(phi1)) / (std::sin(arc) * std::cos(phi1)), -1.0,
      1.0);
  result.heading = ArcCos(h) * 180.0 / std::numbers::pi;
  if (std::sin(deltaLambda) < 0.0) result.heading = 360.0 - result.heading;
  return result;
}

int RoundDistanceKm(double km) {
  if (std::isnan(km)) return 0;
  if (km >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (km <= static_cast<double>(INT_MIN)) return INT_MIN;
  const double lower = std::floor(km);
  const double fraction = km - lower;
  double rounded = lower;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0)) rounded += 1.0;
  return static_cast<int>(rounded);
}

int StoredDistanceKm(std::string_view own, std::string_view other) {
  const LocatorDistanceResult distance = LocatorDistance(own, other);
  return distance.ok ? RoundDistanceKm(distance.km) : 0;
}

}  // namespace korv
