#include "common/text.h"

#include <charconv>

namespace korv {
namespace {

bool IsBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string PadText(std::string_view text, std::size_t width) {
  std::string result(text.substr(0, width));
  result.resize(width, ' ');
  return result;
}

std::string PadLeftText(std::string_view text, std::size_t width) {
  if (text.size() >= width) return std::string(text);
  std::string result(width - text.size(), ' ');
  result.append(text);
  return result;
}

std::string PickText(bool uiGerman, std::string_view german, std::string_view english) {
  return std::string(uiGerman ? german : english);
}

std::string_view TrimBlanksTabsView(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlankOrTab(text[begin])) ++begin;
  while (end > begin && IsBlankOrTab(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string TrimBlanksTabs(std::string_view text) {
  return std::string(TrimBlanksTabsView(text));
}

std::string FixedText(std::string_view chars) {
  std::string result(chars);
  for (char& c : result) {
    if (c == '\0') c = ' ';
  }
  return std::string(TrimBlanksTabsView(result));
}

std::string FixedText(ConstBytes chars) {
  return FixedText(std::string_view(reinterpret_cast<const char*>(chars.data()), chars.size()));
}

std::string CharToText(char c) {
  return c == '\0' ? std::string() : std::string(1, c);
}

std::string NextKeyText(std::string_view text, std::size_t width) {
  std::string result = PadText(text, width);
  for (std::size_t i = result.size(); i > 0; --i) {
    auto& c = reinterpret_cast<unsigned char&>(result[i - 1]);
    if (c < 'z') {
      ++c;
      return result;
    }
  }
  return {};
}

std::string DosToAnsi(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    switch (static_cast<unsigned char>(c)) {
      case 129:
        c = '\xFC';
        break;  // ü
      case 132:
        c = '\xE4';
        break;  // ä
      case 142:
        c = '\xC4';
        break;  // Ä
      case 148:
        c = '\xF6';
        break;  // ö
      case 153:
        c = '\xD6';
        break;  // Ö
      case 154:
        c = '\xDC';
        break;  // Ü
      case 225:
        c = '\xDF';
        break;  // ß
      case 251:
        c = 'Y';
        break;
      default:
        break;
    }
  }
  return result;
}

std::string SlashZeros(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c == '0') c = '\xD8';
  }
  return result;
}

DecimalResult ParseDecimal(std::string_view text) {
  // Positions are reported in the caller's text, so remember what trimming cut.
  const std::string_view body = TrimBlanksTabsView(text);
  const int offset = static_cast<int>(body.data() - text.data());
  auto fail = [offset](std::size_t index) {
    return DecimalResult{0.0, offset + static_cast<int>(index) + 1};
  };

  std::size_t sep = body.find(',');
  if (sep == std::string_view::npos) sep = body.find('.');

  // Build "[-]int.frac" for from_chars, which rounds correctly; digit checks
  // are ours so that a bad byte is reported where the user typed it.
  std::string normal;
  normal.reserve(body.size() + 2);
  std::size_t i = 0;
  bool negative = false;
  if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
    negative = body[i] == '-';
    ++i;
  }
  bool anyDigit = false;
  for (; i < body.size(); ++i) {
    if (i == sep) {
      normal.push_back('.');
    } else if (IsDigit(body[i])) {
      normal.push_back(body[i]);
      anyDigit = true;
    } else {
      return fail(i);
    }
  }
  if (!anyDigit) return fail(body.size());
  if (normal.front() == '.') normal.insert(normal.begin(), '0');

  double value = 0.0;
  const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value,
                                         std::chars_format::fixed);
  // Only a number beyond the double range can fail here (text of ~310 digits).
  if (ec != std::errc() || end != normal.data() + normal.size()) return fail(0);
  return DecimalResult{negative ? -value : value, 0};
}

std::optional<int> ParseWholeNumber(std::string_view text, int low, int high) {
  text = TrimBlanksTabsView(text);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

}  // namespace korv
