// The program-wide state that the main window owns for the whole run and
// hands down to the windows it opens. Nothing here is a global: whoever
// needs a value gets the object.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "shell/contest_catalogue.h"

namespace korv {

// Colours are 24-bit RGB values 0xRRGGBB.
struct ColourScheme {
  std::uint32_t window = 0x1F3F6F;       // window background
  std::uint32_t panel = 0xD8DCE4;        // panels and button bars
  std::uint32_t header = 0x1C2E5A;       // list headers and title bars
  std::uint32_t headerFont = 0xFFFFFF;
  std::uint32_t strip = 0x3C6496;        // band of the left strip
  std::uint32_t labelFont = 0xFFFFFF;    // plain labels
  std::uint32_t secondLabelFont = 0xFFFF00;
};

struct ProgramState {
  // The contest this build logs; fixed when the main window is created.
  ContestCode activeContestCode = kActiveContestCode;
  // Language of the bilingual texts; false only while a contest that wants
  // English texts has filled the presets.
  bool uiGerman = true;
  std::int32_t activeProfileNumber = 1;
  // The working directory at start, with a trailing separator; the data
  // files and the files beside the program are found relative to it.
  std::string startDirectory;
  // Own station (Windows-1252).
  std::string ownCall;
  std::string swlNumber;
  ColourScheme colours;
};

}  // namespace korv
