// The contest note: a plain text file per contest name in which the operator
// keeps free notes. Each opening puts a new first line with the date, the
// time and the call being logged; the note window (shell/ui/note_window.h)
// shows the file with the cursor after that line's "> ".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/dates.h"

namespace korv {

// The note file's name for a contest name: the letters A-Z and a-z, the
// digits, the blank, "+", "-" and "_" stay in order, every other character
// is dropped, and ".TXT" follows. No path separator can survive.
std::string ContestNoteFileName(std::string_view contestName);

// The new first line: date, blank, time, blank, the call padded or cut to 10
// characters, " > ".
std::string ContestNoteHeaderLine(DayNumber date, TimeOfDay time, std::string_view datePicture,
                                  std::string_view timePicture, std::string_view call);

// Where the cursor stands after the header line's "> ".
int ContestNoteCursorPosition(std::string_view datePicture, std::string_view timePicture);

// The file's lines (Windows-1252, CR LF or LF); an absent file has none.
// False only when the file exists but cannot be read.
bool ReadNoteLines(const std::filesystem::path& file, std::vector<std::string>& lines);
// Writes the lines, each ended by CR LF. False when the file cannot be written.
bool WriteNoteLines(const std::filesystem::path& file, const std::vector<std::string>& lines);

// Puts `line` before the file's lines and writes the file (creating it).
// False when the file could not be read or written; it is then unchanged.
bool PrependNoteLine(const std::filesystem::path& file, const std::string& line);

}  // namespace korv
