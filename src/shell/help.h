// Help requests: the help button, F1, and the context numbers of the windows.
#pragma once

#include <filesystem>
#include <vector>

#include "platform/platform.h"

namespace korv {

inline constexpr int kHelpCommandContext = 1;
inline constexpr int kHelpButtonContext = 1;
inline constexpr int kMainWindowHelpContext = 310110018;
// The sections of the help page of the other windows.
inline constexpr int kConfigurationHelpContext = 310110020;
inline constexpr int kLoggingHelpContext = 310110030;
inline constexpr int kOutputsHelpContext = 310110040;
inline constexpr int kQsoListHelpContext = 310110050;
inline constexpr int kAdifImportHelpContext = 310110060;
inline constexpr const char* kHelpFileName = "korvcont.html";

// The first directory of the list that holds the help file; empty when none
// does. The data directory comes first so that a user's own help page wins.
std::filesystem::path FindHelpFile(const std::vector<std::filesystem::path>& searchDirs);

// The program's help hook. Returns false for anything but a context-help
// request (the caller then does its default); true otherwise, also when no
// help file exists (then nothing is shown). When the viewer cannot show the
// file the user is warned with the viewer and its parameters.
bool HandleHelpRequest(Platform& platform, int command, int contextNumber,
                       const std::vector<std::filesystem::path>& searchDirs);

}  // namespace korv
