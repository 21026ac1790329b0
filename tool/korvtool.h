// korvtool: the command-line companion of the desktop program. It runs the
// same core code without a window; no command asks questions.
//
// Exit codes: 0 success; 1 failure (damaged files, I/O error, fatal storage
// error); 2 the input was refused (bad arguments, an invalid QSO).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korv::tool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitRefused = 2;

// args excludes the program name.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace korv::tool
