// What the text windows need without their widgets: the plain text of an
// RTF rules document, and printing lines of text through the platform.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace korv {

// The readable text of an RTF document (Windows-1252): "\par" and "\line"
// end lines, "\tab" is a tab, "\'hh" is the byte hh, "\\", "\{" and "\}"
// are the characters; other control words, destinations ("{\*...}") and the
// font, colour, style and information tables are dropped. Line ends are
// "\n". Text that is not RTF comes back unchanged.
std::string RtfToText(std::string_view rtf);

// Splits text at "\n" (a "\r" before it is dropped).
std::vector<std::string> TextLines(std::string_view text);

// Prints the lines in "Courier New" 10 points with a left and top margin of
// 1 cm and a line advance of 1.1 times the text height, starting new pages
// as needed. False when the print dialog was cancelled or the device failed.
bool PrintTextLines(Platform& platform, std::string_view documentTitle,
                    const std::vector<std::string>& lines);

}  // namespace korv
