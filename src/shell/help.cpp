#include "shell/help.h"

#include <string>
#include <system_error>

namespace korv {

std::filesystem::path FindHelpFile(const std::vector<std::filesystem::path>& searchDirs) {
  for (const auto& dir : searchDirs) {
    std::error_code ec;
    const auto candidate = dir / kHelpFileName;
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return {};
}

bool HandleHelpRequest(Platform& platform, int command, int contextNumber,
                       const std::vector<std::filesystem::path>& searchDirs) {
  if (command != kHelpCommandContext) return false;
  const auto file = FindHelpFile(searchDirs);
  if (file.empty()) return true;
  if (!platform.ShowHelp(file, contextNumber)) {
    const std::string parameters =
        "-mapid " + std::to_string(contextNumber) + " " + file.filename().string();
    platform.Warn("Function ShellExecute(Korv DEZ Hilfe, " + parameters +
                  ")\rReturned: Die Hilfedatei kann nicht angezeigt werden.");
  }
  return true;
}

}  // namespace korv
