// Radios for tests: a rigctld serving Hamlib's dummy radio (model 1) on a
// free loopback port, set through rigctl as an operator's other program
// would; and a silent listener that accepts connections and never answers.
//
// Every wait is bounded; ports are found by binding port 0. A test that
// needs rigctld skips when RigctldProcess::Installed() is false.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace korv::testing {

// A loopback port nobody listens on right now (bound once to port 0).
inline int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

// True when something accepts TCP connections on 127.0.0.1:port.
inline bool AcceptsConnections(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

// The program's path on PATH; empty when not found.
inline std::string FindOnPath(std::string_view program) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::filesystem::path candidate =
        std::filesystem::path(std::string(rest.substr(0, colon))) / std::string(program);
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  return {};
}

// Starts a program with its output thrown away; 0 when it could not start.
// The child is killed when the thread that started it ends, so that a test
// that crashes or is killed leaves no rigctld behind.
inline pid_t SpawnQuiet(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (devNull < 0) return 0;
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {  // only async-signal-safe calls from here on
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);  // the parent is already gone
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(devNull, STDOUT_FILENO);
    ::dup2(devNull, STDERR_FILENO);
    ::execve(argv[0], argv.data(), environ);
    ::_exit(127);
  }
  ::close(devNull);
  return pid > 0 ? pid : 0;
}

// Waits for the child to end, at most `wait`; its exit code, -1 when it did
// not end (it is killed then) or ended by a signal.
inline int WaitForExit(pid_t pid, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  int status = 0;
  while (true) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return -1;
}

class RigctldProcess {
 public:
  RigctldProcess() = default;
  ~RigctldProcess() { Kill(); }
  RigctldProcess(const RigctldProcess&) = delete;
  RigctldProcess& operator=(const RigctldProcess&) = delete;

  // rigctld and rigctl are on PATH.
  static bool Installed() {
    return !FindOnPath("rigctld").empty() && !FindOnPath("rigctl").empty();
  }

  // Starts "rigctld -m 1" on 127.0.0.1 and `port` (0: a free one, tried
  // anew when another process took it first) and waits until it accepts
  // connections, at most `wait`. False with Problem() set.
  bool Start(int port = 0, std::chrono::milliseconds wait = std::chrono::seconds(5)) {
    Kill();
    const std::string program = FindOnPath("rigctld");
    if (program.empty()) return Fail("rigctld not found on PATH");
    for (int attempt = 0; attempt < 5; ++attempt) {
      const int chosen = port != 0 ? port : FreeLoopbackPort();
      if (chosen == 0) return Fail("no free loopback port");
      pid_ = SpawnQuiet(program, {"-m", "1", "-T", "127.0.0.1", "-t", std::to_string(chosen)});
      if (pid_ == 0) return Fail("rigctld could not be started");
      port_ = chosen;
      const auto deadline = std::chrono::steady_clock::now() + wait;
      while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {  // ended: port taken?
          pid_ = 0;
          break;
        }
        if (AcceptsConnections(port_)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      if (pid_ != 0) {
        Kill();
        return Fail("rigctld did not accept connections in time");
      }
      if (port != 0)
        return Fail("rigctld ended at once (port " + std::to_string(port) + " taken?)");
    }
    return Fail("rigctld ended at once on every port tried");
  }

  // Ends rigctld at once (SIGKILL), as a crash would, and reaps it.
  void Kill() {
    if (pid_ == 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
  }

  bool Running() const { return pid_ != 0; }
  int Port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  const std::string& Problem() const { return problem_; }

  // "rigctl -m 2 -r ADDRESS WORDS...", e.g. {"F", "7030000", "M", "CW", "500"};
  // true when it exits with 0 within `wait`.
  bool Rigctl(const std::vector<std::string>& words,
              std::chrono::milliseconds wait = std::chrono::seconds(5)) const {
    const std::string program = FindOnPath("rigctl");
    if (program.empty()) return false;
    std::vector<std::string> args{"-m", "2", "-r", Address()};
    args.insert(args.end(), words.begin(), words.end());
    const pid_t pid = SpawnQuiet(program, args);
    return pid != 0 && WaitForExit(pid, wait) == 0;
  }

  // Tunes the dummy radio: frequency in Hz, Hamlib mode name and passband
  // (0: the mode's normal one).
  bool Tune(long frequencyHz, const std::string& mode, int passband = 0) const {
    return Rigctl({"F", std::to_string(frequencyHz), "M", mode, std::to_string(passband)});
  }

 private:
  bool Fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
  }

  pid_t pid_ = 0;
  int port_ = 0;
  std::string problem_;
};

// A TCP listener on 127.0.0.1 and a free port that never accepts or answers:
// the kernel completes the connections, so a client connects and then waits
// for an answer that never comes, as with a radio that hangs.
class SilentListener {
 public:
  SilentListener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd_, 8) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ::close(fd_);
      fd_ = -1;
      return;
    }
    port_ = ntohs(address.sin_port);
  }
  ~SilentListener() {
    if (fd_ >= 0) ::close(fd_);
  }
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;

  bool Ok() const { return fd_ >= 0; }
  int Port() const { return port_; }

  // True once a client has connected (its connection waits in the backlog),
  // false when none came within `wait`.
  bool WaitForClient(std::chrono::milliseconds wait) {
    pollfd listening{fd_, POLLIN, 0};
    return ::poll(&listening, 1, static_cast<int>(wait.count())) == 1;
  }

  // Takes the first waiting connection and reads what the client sends
  // until it closes its end; false when no connection came or it stayed
  // open for `wait`.
  bool AcceptAndWaitForClose(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto left = [&] {
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      return static_cast<int>(std::max<long long>(0, ms.count()));
    };
    pollfd listening{fd_, POLLIN, 0};
    if (::poll(&listening, 1, left()) != 1) return false;
    const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return false;
    bool closed = false;
    char buffer[256];
    while (!closed) {
      pollfd reading{client, POLLIN, 0};
      if (::poll(&reading, 1, left()) != 1) break;
      const ssize_t n = ::read(client, buffer, sizeof buffer);
      closed = n <= 0;
    }
    ::close(client);
    return closed;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace korv::testing
