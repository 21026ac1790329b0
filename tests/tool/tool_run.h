// Runs korvtool's entry in a child process, as the command line does: a
// fatal storage error ends that process with exit code 1, which the test
// sees together with what the command printed until then.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tool/korvtool.h"

namespace korv::tool {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

inline std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline Outcome RunInChild(const std::vector<std::string>& args) {
  char pattern[] = "/tmp/korvtool-run-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (made == nullptr) return {-1, {}, "mkdtemp failed"};
  const std::filesystem::path dir = made;
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::ofstream out(dir / "out", std::ios::binary), err(dir / "err", std::ios::binary);
    const int code = Run(args, out, err);
    out.flush();
    err.flush();
    ::_exit(code);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) status = -1;
  Outcome o{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWhole(dir / "out"),
            ReadWhole(dir / "err")};
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return o;
}

}  // namespace korv::tool
