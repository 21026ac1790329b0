#include "shell/contest_note.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "common/text.h"
#include "shell/text_documents.h"

namespace korv {
namespace {

bool KeptInNoteName(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '+' ||
         c == '-' || c == '_';
}

}  // namespace

std::string ContestNoteFileName(std::string_view contestName) {
  std::string name;
  for (char c : contestName) {
    if (KeptInNoteName(c)) name += c;
  }
  return name + ".TXT";
}

std::string ContestNoteHeaderLine(DayNumber date, TimeOfDay time, std::string_view datePicture,
                                  std::string_view timePicture, std::string_view call) {
  return DateToText(date, datePicture) + " " + TimeToText(time, timePicture) + " " + PadText(call, 10) + " > ";
}

int ContestNoteCursorPosition(std::string_view datePicture, std::string_view timePicture) {
  return static_cast<int>(datePicture.size() + timePicture.size()) + 15;
}

bool ReadNoteLines(const std::filesystem::path& file, std::vector<std::string>& lines) {
  lines.clear();
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return !ec;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return false;
  lines = TextLines(bytes);
  return true;
}

bool WriteNoteLines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  // Written beside the note and moved over it, so a failing write never
  // leaves half a note behind.
  std::filesystem::path temporary = file;
  temporary += ".NEU";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, file, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}

bool PrependNoteLine(const std::filesystem::path& file, const std::string& line) {
  std::vector<std::string> lines;
  if (!ReadNoteLines(file, lines)) return false;
  lines.insert(lines.begin(), line);
  return WriteNoteLines(file, lines);
}

}  // namespace korv
