// How the program's windows meet: the configuration window and the logging
// window the contest list opens, the note and further-programs windows the
// logging window asks for, and the main window's further-programs button.
// The program entry and the whole-program tests wire the same way.
#pragma once

#include <filesystem>
#include <vector>

#include "platform/platform.h"
#include "shell/program_session.h"
#include "shell/program_state.h"
#include "shell/ui/contest_list.h"

namespace korv {

class TContestBrow;

struct ProgramWindowsSetup {
  // The data directory: rules files, note files, output files.
  std::filesystem::path dataDirectory;
  // Where the help file is looked for, in order.
  std::vector<std::filesystem::path> helpSearchDirs;
};

// Connects the main window's requests and returns the hooks of its contest
// list. REQUIRES: platform, session, state and mainWindow outlive the hooks.
ContestListHooks WireProgramWindows(Platform& platform, ProgramSession& session, ProgramState& state,
                                    TContestBrow& mainWindow, const ProgramWindowsSetup& setup);

}  // namespace korv
