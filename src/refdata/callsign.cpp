#include "refdata/callsign.h"

#include <vector>

#include "refdata/adif_entities.h"

namespace korv {
namespace {

bool IsCallChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
bool IsLetter(char c) {
  return c >= 'A' && c <= 'Z';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The maximal runs of A-Z/0-9 of the upper-cased call.
std::vector<std::string> SplitParts(std::string_view call) {
  std::vector<std::string> parts;
  std::string current;
  for (char ch : call) {
    const char c = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    if (IsCallChar(c)) {
      current.push_back(c);
    } else if (!current.empty()) {
      parts.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) parts.push_back(std::move(current));
  return parts;
}

bool IsSuffix(std::string_view part, const SuffixTable& suffixes) {
  for (const CallSuffix& s : suffixes) {
    if (!s.text.empty() && s.text == part) return true;
  }
  return false;
}

bool EndsInThreeLetters(std::string_view part) {
  if (part.size() < 3) return false;
  for (std::size_t i = part.size() - 3; i < part.size(); ++i) {
    if (!IsLetter(part[i])) return false;
  }
  return true;
}

struct Split {
  std::string base;
  std::string designator;
};

// The comparison of two parts (neither a special pair nor a suffix).
Split ChooseOfTwo(std::string a, std::string b) {
  if (a.size() != b.size()) {
    const bool aShorter = a.size() < b.size();
    if (EndsInThreeLetters(aShorter ? a : b)) return {aShorter ? b : a, {}};
  }
  // A district digit takes the other part's prefix: its first character
  // (a digit too in "9M2ABC") and the letters up to its next digit.
  const auto expandDigit = [](std::string& digit, const std::string& other) {
    if (digit.size() != 1 || !IsDigit(digit[0]) || other.empty()) return;
    std::size_t nextDigit = 1;
    while (nextDigit < other.size() && !IsDigit(other[nextDigit])) ++nextDigit;
    digit = other.substr(0, nextDigit) + digit;
  };
  expandDigit(a, b);
  expandDigit(b, a);
  Split s = a.size() > b.size() ? Split{a, b} : Split{b, a};
  if (IsAdifEntityPrefix(s.base)) std::swap(s.base, s.designator);
  return s;
}

Split SplitCall(std::string_view call, const SuffixTable& suffixes) {
  std::vector<std::string> parts = SplitParts(call);
  if (parts.empty()) return {};
  if (parts.size() == 1) return {parts[0], {}};
  const bool special = !SpecialDesignatorCall(parts[0], parts[1]).empty();
  if (parts.size() == 2) {
    if (special) return {parts[0] + "/" + parts[1], {}};
    if (IsSuffix(parts[1], suffixes)) return {parts[0], {}};
    return ChooseOfTwo(parts[0], parts[1]);
  }
  if (special) {
    parts[0] += "/" + parts[1];
    parts.erase(parts.begin() + 1);
  }
  // Suffixes stand anywhere after the call ("DL1ABC/M/P", "DL1ABC/MM/1").
  for (std::size_t i = parts.size() - 1; i > 0; --i) {
    if (IsSuffix(parts[i], suffixes)) parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(i));
  }
  if (parts.size() == 1) return {parts[0], {}};
  return ChooseOfTwo(parts[0], parts[1]);
}

}  // namespace

const SuffixTable& DefaultSuffixTable() {
  static const SuffixTable table{
      {{"A", 0}, {"AM", 0}, {"M", 0}, {"MM", 0}, {"P", 0}, {"LH", 0}, {"LGT", 0}}};
  return table;
}

std::string BaseCall(std::string_view call, CallPart part, const SuffixTable& suffixes) {
  Split s = SplitCall(call, suffixes);
  return part == CallPart::kDesignator ? std::move(s.designator) : std::move(s.base);
}

std::string SpecialDesignatorCall(std::string_view call, std::string_view designator) {
  struct Pair {
    std::string_view start;
    std::string_view designators;  // one character each
  };
  static constexpr Pair kOneLetter[] = {
      {"SV", "A"},    {"JW", "BS"},  {"3Y", "BP"},   {"FR", "BEGJT"},
      {"FO", "ACFM"}, {"3D2", "CR"}, {"VQ9", "ADF"}, {"ZK1", "NS"},
  };
  if (designator.size() == 1) {
    for (const Pair& p : kOneLetter) {
      if (call.substr(0, p.start.size()) == p.start &&
          p.designators.find(designator[0]) != std::string_view::npos) {
        return std::string(p.start) + "/" + std::string(designator);
      }
    }
  } else if (designator == "SH" || designator == "SC") {
    if (call.substr(0, 2) == "GM") return "GM/" + std::string(designator);
  }
  return {};
}

}  // namespace korv
