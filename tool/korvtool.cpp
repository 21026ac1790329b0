#include "tool/korvtool.h"

#include <filesystem>
#include <system_error>

namespace korv::tool {
namespace {

constexpr const char* kVersion = "korvtool (Korv DEZ Version 2006-1.0)";

constexpr const char* kUsage =
    "usage: korvtool [--data DIR] COMMAND [ARGS]\n"
    "       korvtool --help | --version\n"
    "\n"
    "  --data DIR   data directory holding the KV* files (default: current directory)\n"
    "\n"
    "Commands arrive with the program's capabilities; this version has none yet.\n"
    "\n"
    "Exit codes: 0 success, 1 failure, 2 input refused.\n";

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::filesystem::path dataDir = ".";
  std::size_t i = 0;
  while (i < args.size()) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return kExitOk;
    }
    if (arg == "--version") {
      out << kVersion << "\n";
      return kExitOk;
    }
    if (arg == "--data") {
      if (i + 1 >= args.size()) {
        err << "korvtool: --data needs a directory\n" << kUsage;
        return kExitRefused;
      }
      dataDir = args[i + 1];
      i += 2;
      continue;
    }
    if (arg.rfind("--data=", 0) == 0) {
      dataDir = arg.substr(7);
      ++i;
      continue;
    }
    break;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(dataDir, ec)) {
    err << "korvtool: data directory not found: " << dataDir.string() << "\n";
    return kExitRefused;
  }
  if (i >= args.size()) {
    err << "korvtool: no command given\n" << kUsage;
    return kExitRefused;
  }
  err << "korvtool: unknown command: " << args[i] << "\n" << kUsage;
  return kExitRefused;
}

}  // namespace korv::tool
