// Maidenhead locators: validation, position, great-circle distance and beam
// heading.
//
// A locator has 2 to 6 characters: field letters A-R (longitude, latitude),
// square digits 0-9, subsquare letters A-X. Positions are in degrees:
// latitude north positive, longitude east positive in 0..360 (fields A to I
// lie at 180..360, i.e. west of Greenwich). Distances are km, headings degrees
// clockwise from north in 0..360. All functions are pure; failures are
// reported in the results.
#pragma once

#include <string_view>

namespace korv {

// Checks the first six characters that are present (positions 7 and later are
// not looked at): 1-2 "A".."R", 3-4 "0".."9", 5-6 "A".."X", upper case only.
// An empty text is valid; callers check the length they need.
bool LocatorIsValid(std::string_view text);

struct LocatorPosition {
  bool ok = false;
  double latitude = 0.0;   // degrees, north positive
  double longitude = 0.0;  // degrees east, 0 <= longitude < 360
  // For display: the absolute position in degrees, minutes and seconds with
  // 'N'/'S' and 'E'/'W'. A longitude above 180 is shown as 360 - longitude W.
  int latitudeDegrees = 0;
  int latitudeMinutes = 0;
  int latitudeSeconds = 0;
  char latitudeHemisphere = ' ';
  int longitudeDegrees = 0;
  int longitudeMinutes = 0;
  int longitudeSeconds = 0;
  char longitudeHemisphere = ' ';
};

// The centre of the locator's subsquare. The text (2 to 6 characters) is
// upper-cased and a short one completed to six characters with the centre of
// what it names: "JO" -> "JO44XX", "JO3" -> "JO34MX", "JO31" -> "JO31MM",
// "JO31M" -> "JO31MM". Fails (ok false, all else zero) for another length or
// when the completed text is not a valid locator.
LocatorPosition LocatorToPosition(std::string_view text);

struct LocatorDistanceResult {
  bool ok = false;
  double km = 0.0;       // 111.12 km per degree of great-circle arc
  double heading = 0.0;  // beam heading from the first to the second locator
};

// Distance and heading from `first` to `second`. Fails with 0/0 when either
// locator fails LocatorToPosition. The heading is 0 when the distance is 0
// (the same position) or 20000 km or more (antipodes, where every heading
// leads there).
LocatorDistanceResult LocatorDistance(std::string_view first, std::string_view second);

// Nearest whole kilometre, halves to even (2.5 -> 2, 3.5 -> 4). NaN gives 0;
// values beyond the int range are clamped.
int RoundDistanceKm(double km);

// The distance a QSO stores: RoundDistanceKm of LocatorDistance(own, other),
// 0 when either locator is invalid.
int StoredDistanceKm(std::string_view own, std::string_view other);

}  // namespace korv
