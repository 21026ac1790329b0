#include "rig/rig_connection.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <utility>

#include "rig/hamlib_session.h"

namespace korv {
namespace {

constexpr const char* kStopped = "Rig-Steuerung beendet.";
constexpr const char* kNoThread = "Die Rig-Steuerung konnte nicht starten (kein Thread).";

RigState NotConnected(std::string error) {
  RigState state;
  state.error = std::move(error);
  return state;
}

// What a probe says when it came too late: "Keine Antwort innerhalb von
// 10 s (rigctld localhost:4532)."
std::string NoAnswer(const RigSettings& settings, std::chrono::milliseconds timeout) {
  const auto ms = timeout.count();
  const std::string span =
      ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
  const std::string where =
      settings.kind == RigKind::kRigctld
          ? "rigctld " + RigctldAddress(settings)
          : "Modell " + std::to_string(settings.model) + " an " + settings.device;
  return "Keine Antwort innerhalb von " + span + " (" + where + ").";
}

// The reason settings cannot be used at all; empty when they can.
std::string Unusable(const RigSettings& settings) {
  if (settings.kind == RigKind::kNone) return kRigNotConfigured;
  return RigSettingsProblem(settings);
}

}  // namespace

// ---- RigConnection -------------------------------------------------------------------

struct RigConnection::Shared {
  Shared(const RigSettings& s, const RigConnectionOptions& o) : settings(s), options(o) {}

  const RigSettings settings;
  const RigConnectionOptions options;
  mutable std::mutex mutex;
  mutable std::condition_variable changed;  // readers and Stop wait here
  std::condition_variable wake;             // the worker waits here
  RigState state;
  bool stop = false;
  bool finished = false;

  // Publishes a reading unless stopped; the sequence grows only on change.
  void Publish(RigState next) {
    std::lock_guard lock(mutex);
    if (stop || next.SameReading(state)) return;
    next.sequence = state.sequence + 1;
    state = std::move(next);
    changed.notify_all();
  }
  // True when stopped (now or while waiting).
  bool WaitOrStop(std::chrono::milliseconds span) {
    std::unique_lock lock(mutex);
    return wake.wait_for(lock, span, [this] { return stop; });
  }
  bool Stopped() const {
    std::lock_guard lock(mutex);
    return stop;
  }
};

namespace {

void RunConnection(std::shared_ptr<RigConnection::Shared> shared) {
  BlockSigpipeInThisThread();
  std::unique_ptr<HamlibSession> session;
  while (!shared->Stopped()) {
    std::string error;
    if (session == nullptr) {
      session = HamlibSession::Open(shared->settings, error);
      if (session == nullptr) {
        shared->Publish(NotConnected(error));
        if (shared->WaitOrStop(shared->options.retryInterval)) break;
        continue;
      }
    }
    RigState reading;
    if (!session->Read(reading, error)) {
      session.reset();
      shared->Publish(NotConnected(error));
      if (shared->WaitOrStop(shared->options.retryInterval)) break;
      continue;
    }
    shared->Publish(std::move(reading));
    if (shared->WaitOrStop(shared->options.pollInterval)) break;
  }
  session.reset();  // closes the radio before Stop is told we are done
  std::lock_guard lock(shared->mutex);
  shared->finished = true;
  shared->changed.notify_all();
}

}  // namespace

RigConnection::RigConnection(const RigSettings& settings, RigConnectionOptions options)
    : settings_(settings), options_(options), shared_(std::make_shared<Shared>(settings, options)) {
  const std::string unusable = Unusable(settings);
  if (!unusable.empty()) {
    shared_->Publish(NotConnected(unusable));
    return;
  }
  PrepareHamlib();
  try {
    worker_ = std::thread(RunConnection, shared_);
  } catch (const std::system_error&) {
    shared_->Publish(NotConnected(kNoThread));
  }
}

RigConnection::~RigConnection() {
  Stop();
}

RigState RigConnection::Latest() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->state;
}

RigState RigConnection::WaitForChange(std::uint64_t afterSequence,
                                      std::chrono::milliseconds timeout) const {
  std::unique_lock lock(shared_->mutex);
  shared_->changed.wait_for(
      lock, timeout, [&] { return shared_->state.sequence != afterSequence || shared_->stop; });
  return shared_->state;
}

void RigConnection::Stop() {
  {
    std::lock_guard lock(shared_->mutex);
    if (!shared_->stop) {
      shared_->stop = true;
      RigState stopped = NotConnected(kStopped);
      stopped.sequence = shared_->state.sequence + 1;
      shared_->state = std::move(stopped);
      shared_->wake.notify_all();
      shared_->changed.notify_all();
    }
  }
  if (!worker_.joinable()) return;
  bool finished = false;
  {
    std::unique_lock lock(shared_->mutex);
    finished =
        shared_->changed.wait_for(lock, options_.stopWait, [this] { return shared_->finished; });
  }
  if (finished) {
    worker_.join();
  } else {
    worker_.detach();
  }
}

// ---- RigProbeJob ---------------------------------------------------------------------

struct RigProbeJob::Shared {
  std::mutex mutex;
  std::condition_variable done;
  std::optional<RigState> answer;
  std::chrono::steady_clock::time_point deadline;
  std::string tooLate;  // the answer after the deadline
};

RigProbeJob::RigProbeJob(const RigSettings& settings, std::chrono::milliseconds timeout)
    : shared_(std::make_shared<Shared>()) {
  shared_->deadline = std::chrono::steady_clock::now() + timeout;
  shared_->tooLate = NoAnswer(settings, timeout);
  const std::string unusable = Unusable(settings);
  if (!unusable.empty()) {
    shared_->answer = NotConnected(unusable);
    return;
  }
  PrepareHamlib();
  try {
    std::thread([shared = shared_, settings] {
      BlockSigpipeInThisThread();
      RigState state;
      std::string error;
      if (auto session = HamlibSession::Open(settings, error)) {
        if (!session->Read(state, error)) state = NotConnected(error);
      } else {
        state = NotConnected(error);
      }
      std::lock_guard lock(shared->mutex);
      if (!shared->answer) shared->answer = std::move(state);  // not after a "too late"
      shared->done.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    shared_->answer = NotConnected(kNoThread);
  }
}

// Once the deadline has passed without an answer, "too late" is the answer
// for good, so that Poll never changes its mind.
std::optional<RigState> RigProbeJob::Poll() const {
  std::lock_guard lock(shared_->mutex);
  if (!shared_->answer && std::chrono::steady_clock::now() >= shared_->deadline) {
    shared_->answer = NotConnected(shared_->tooLate);
  }
  return shared_->answer;
}

RigState RigProbeJob::Wait() const {
  std::unique_lock lock(shared_->mutex);
  if (!shared_->done.wait_until(lock, shared_->deadline,
                                [this] { return shared_->answer.has_value(); })) {
    shared_->answer = NotConnected(shared_->tooLate);
  }
  return *shared_->answer;
}

RigState RigProbe(const RigSettings& settings, std::chrono::milliseconds timeout) {
  return RigProbeJob(settings, timeout).Wait();
}

}  // namespace korv
