#include "refdata/modes.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace korv {
namespace {

TEST(ModeCodeFromText, EveryAcceptedTextGivesItsClass) {
  const struct {
    std::string_view text;
    ModeCode code;
  } cases[] = {
      {"CW", 'a'},     {"A1A", 'a'},    {"A1", 'a'},     {"SSB", 'b'},    {"USB", 'b'},
      {"J3E", 'b'},    {"LSB", 'b'},    {"AM", 'c'},     {"A3E", 'c'},    {"A3", 'c'},
      {"FM", 'd'},     {"F3E", 'd'},    {"F3", 'd'},     {"RTTY", 'e'},   {"HELL", 'e'},
      {"MFSK", 'e'},   {"FSK", 'e'},    {"WSJT", 'e'},   {"FSK441", 'e'}, {"MT63", 'e'},
      {"RY", 'e'},     {"AMTOR", 'f'},  {"PACTOR", 'g'}, {"TOR", 'g'},    {"FAX", 'h'},
      {"ATV", 'i'},    {"SSTV", 'j'},   {"SAT", 'k'},    {"PSK", 'l'},    {"PSK31", 'l'},
      {"PSK-31", 'l'}, {"PACKET", 'm'}, {"PKT", 'm'},    {"PR", 'm'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(ModeCodeFromText(c.text), c.code);
  }
}

TEST(ModeCodeFromText, CleanUpOfPrefixAndBlanks) {
  const struct {
    std::string_view text;
    ModeCode code;
  } cases[] = {
      {"2xSSB", 'b'},   {"2XSSB", 'b'}, {" USB ", 'b'},   {"\tCW\t", 'a'},
      {"2x  FM ", 'd'}, {"2xPR", 'm'},  {"2x2xSSB", ' '}, {" 2xSSB", ' '},
      {"2SSB", ' '},    {"2x", ' '},    {"", ' '},        {"   ", ' '},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(ModeCodeFromText(c.text), c.code);
  }
}

TEST(ModeCodeFromText, UnknownTextsAreBlank) {
  for (std::string_view text :
       {"usb", "Cw", "DIGITAL", "FT8", "SSB/CW", "PSK 31", "CW\n", "S SB", "A1AA"}) {
    SCOPED_TRACE(std::string(text));
    EXPECT_EQ(ModeCodeFromText(text), kUnknownMode);
  }
}

}  // namespace
}  // namespace korv
