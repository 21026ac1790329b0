// What the window "weitere AFU-Programme" shows: two pages, the logbook
// suite and the contest modules, each with its texts and the addresses its
// buttons open; and the rule by which an address goes to the shell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace korv {

struct ProgramsLink {
  std::string caption;  // button text
  std::string address;  // web page or e-mail address as written
};

struct ProgramsPage {
  std::string caption;  // window title
  std::string heading;
  std::vector<std::string> lines;
  std::vector<ProgramsLink> links;
};

// The first page (the suite) and the second one, which the first opens by
// itself when it is first activated (the contest modules, from the catalogue).
ProgramsPage SuiteProgramsPage();
ProgramsPage ContestModulesPage();

// The address as the shell receives it: every "\xD8" (the slashed zero of
// printed calls) becomes the digit "0", and an address with "@" that does
// not already hold "MAILTO" (in any case) gets "mailto:" in front.
std::string ShellAddress(std::string_view address);

// Opens the address through the shell; a failure is not reported.
void OpenWebAddress(Platform& platform, std::string_view address);

}  // namespace korv
