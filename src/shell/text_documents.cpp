#include "shell/text_documents.h"

#include <cmath>
#include <memory>

namespace korv {
namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Groups whose text is never shown.
bool IsHiddenDestination(std::string_view word) {
  return word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" ||
         word == "pict" || word == "header" || word == "footer" || word == "listtable" ||
         word == "listoverridetable" || word == "generator";
}

}  // namespace

std::string RtfToText(std::string_view rtf) {
  if (rtf.substr(0, 5) != "{\\rtf") return std::string(rtf);
  std::string out;
  int depth = 0;
  int hiddenDepth = 0;  // depth at which a hidden group began; 0 = none
  bool groupStart = false;
  std::size_t i = 0;
  const auto emit = [&](char c) {
    if (hiddenDepth == 0) out += c;
  };
  while (i < rtf.size()) {
    const char c = rtf[i];
    if (c == '{') {
      ++depth;
      groupStart = true;
      ++i;
      continue;
    }
    if (c == '}') {
      if (hiddenDepth == depth) hiddenDepth = 0;
      --depth;
      groupStart = false;
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      emit(c);
      groupStart = false;
      ++i;
      continue;
    }
    // A control symbol or word.
    if (i + 1 >= rtf.size()) break;
    const char next = rtf[i + 1];
    if (next == '\\' || next == '{' || next == '}') {
      emit(next);
      i += 2;
    } else if (next == '\'') {
      const int hi = i + 2 < rtf.size() ? HexValue(rtf[i + 2]) : -1;
      const int lo = i + 3 < rtf.size() ? HexValue(rtf[i + 3]) : -1;
      if (hi >= 0 && lo >= 0) emit(static_cast<char>(hi * 16 + lo));
      i += 4;
    } else if (next == '*') {
      if (groupStart && hiddenDepth == 0) hiddenDepth = depth;
      i += 2;
    } else if (next == '~') {
      emit(' ');
      i += 2;
    } else if (IsLetter(next)) {
      std::size_t j = i + 1;
      while (j < rtf.size() && IsLetter(rtf[j])) ++j;
      const std::string_view word = rtf.substr(i + 1, j - i - 1);
      if (j < rtf.size() && (rtf[j] == '-' || IsDigit(rtf[j]))) {
        ++j;
        while (j < rtf.size() && IsDigit(rtf[j])) ++j;
      }
      if (j < rtf.size() && rtf[j] == ' ') ++j;  // the delimiter belongs to the word
      if (groupStart && hiddenDepth == 0 && IsHiddenDestination(word)) hiddenDepth = depth;
      if (word == "par" || word == "line") emit('\n');
      if (word == "tab") emit('\t');
      i = j;
    } else {
      i += 2;
    }
    groupStart = false;
  }
  return out;
}

std::vector<std::string> TextLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find('\n', start);
    std::string line(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (end == std::string_view::npos) {
      if (!line.empty()) lines.push_back(std::move(line));
      break;
    }
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

bool PrintTextLines(Platform& platform, std::string_view documentTitle, const std::vector<std::string>& lines) {
  PrintRequest request;
  request.documentTitle = std::string(documentTitle);
  std::unique_ptr<PrintDocument> doc = platform.BeginPrint(request);
  if (!doc) return false;
  doc->SetFont(PrintFont{"Courier New", 10, false});
  const int margin = static_cast<int>(std::lround(doc->Resolution() / 2.54));
  const int advance = static_cast<int>(std::lround(1.1 * doc->TextHeight("XygW")));
  int y = margin;
  for (const std::string& line : lines) {
    if (y + advance > doc->PageHeight() - margin && y > margin) {
      doc->NewPage();
      y = margin;
    }
    doc->TextOut(margin, y, line);
    y += advance;
  }
  return doc->End();
}

}  // namespace korv
