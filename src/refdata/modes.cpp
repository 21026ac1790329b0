#include "refdata/modes.h"

#include <array>

#include "common/cp1252.h"
#include "common/text.h"

namespace korv {
namespace {

struct ModeSpelling {
  std::string_view text;
  ModeCode code;
};

// In the order the texts are tried; every text occurs once, so the order
// does not change a result.
constexpr std::array kModeSpellings{
    ModeSpelling{"CW", 'a'},     ModeSpelling{"A1A", 'a'},    ModeSpelling{"A1", 'a'},
    ModeSpelling{"SSB", 'b'},    ModeSpelling{"USB", 'b'},    ModeSpelling{"J3E", 'b'},
    ModeSpelling{"LSB", 'b'},    ModeSpelling{"AM", 'c'},     ModeSpelling{"A3E", 'c'},
    ModeSpelling{"A3", 'c'},     ModeSpelling{"FM", 'd'},     ModeSpelling{"F3E", 'd'},
    ModeSpelling{"F3", 'd'},     ModeSpelling{"RTTY", 'e'},   ModeSpelling{"HELL", 'e'},
    ModeSpelling{"MFSK", 'e'},   ModeSpelling{"FSK", 'e'},    ModeSpelling{"WSJT", 'e'},
    ModeSpelling{"FSK441", 'e'}, ModeSpelling{"MT63", 'e'},   ModeSpelling{"RY", 'e'},
    ModeSpelling{"AMTOR", 'f'},  ModeSpelling{"PACTOR", 'g'}, ModeSpelling{"TOR", 'g'},
    ModeSpelling{"FAX", 'h'},    ModeSpelling{"ATV", 'i'},    ModeSpelling{"SSTV", 'j'},
    ModeSpelling{"SAT", 'k'},    ModeSpelling{"PSK", 'l'},    ModeSpelling{"PSK31", 'l'},
    ModeSpelling{"PSK-31", 'l'}, ModeSpelling{"PACKET", 'm'}, ModeSpelling{"PKT", 'm'},
    ModeSpelling{"PR", 'm'},
};

}  // namespace

ModeCode ModeCodeFromText(std::string_view text) {
  if (text.size() >= 2 && text[0] == '2' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
  }
  text = TrimBlanksTabsView(text);
  for (const ModeSpelling& spelling : kModeSpellings) {
    if (spelling.text == text) return spelling.code;
  }
  return kUnknownMode;
}

}  // namespace korv
