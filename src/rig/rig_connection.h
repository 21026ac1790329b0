// Reading the radio without ever making the caller wait for it.
//
// RigConnection owns one worker thread, and the worker alone owns the Hamlib
// handle: it opens the radio, polls frequency and mode, and publishes each
// new reading as a RigState under a mutex. Readers copy the latest state;
// Hamlib calls, which can block for seconds on a dead serial line, happen on
// the worker only. A failed open or a lost radio is published as "not
// connected" with the reason, and the worker tries again after the retry
// interval, quietly and for as long as the connection lives.
//
// RigProbe asks the radio once (the "Testen" button, korvtool rig).
//
// Typical use in a window: create a RigConnection from LoadRigSettings(...)
// when the window opens, read Latest() from a timer (e.g. every 250 ms), and
// act when its sequence differs from the one seen last:
//   RigBandOf(state.frequencyHz, session.Bands()) and
//   RigModeOf(state.mode, session.Modes()) (rig_mapping.h) give what to
//   take, RigStatusText(state, session.Bands()) the status line.
// After the settings dialog saved new settings, replace the connection by a
// new one.
//
// Creating a RigConnection or RigProbeJob (and the first RigModelList) sets
// LC_NUMERIC to "C" for the whole process: Hamlib's own locale switching on
// its threads is only safe then. Create them on the thread that owns the
// program's other work (the UI thread).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

#include "rig/rig_settings.h"
#include "rig/rig_state.h"

namespace korv {

struct RigConnectionOptions {
  // Time between two readings while the radio answers.
  std::chrono::milliseconds pollInterval{500};
  // Time between a failed open (or a lost connection) and the next attempt.
  std::chrono::milliseconds retryInterval{2000};
  // How long Stop waits for the worker to close the radio. A worker still
  // inside a Hamlib call then is left to finish on its own: it owns
  // everything it touches and closes the radio when the call returns.
  std::chrono::milliseconds stopWait{2000};
};

// The reason published for RigKind::kNone (Windows-1252).
inline constexpr const char* kRigNotConfigured = "Keine Rig-Steuerung eingestellt.";

class RigConnection {
 public:
  // Starts the worker at once; returns without waiting for the radio. For
  // kNone, or settings with a RigSettingsProblem, no worker starts and the
  // state is "not connected" with kRigNotConfigured or that problem.
  explicit RigConnection(const RigSettings& settings, RigConnectionOptions options = {});
  // Stop().
  ~RigConnection();
  RigConnection(const RigConnection&) = delete;
  RigConnection& operator=(const RigConnection&) = delete;

  // The latest published state. Never blocks on the radio (only on the
  // mutex, which the worker holds to copy a state).
  RigState Latest() const;

  // Waits until the published sequence differs from `afterSequence`, the
  // connection stops, or the timeout passes; then Latest().
  RigState WaitForChange(std::uint64_t afterSequence, std::chrono::milliseconds timeout) const;

  // Ends the worker: no state is published afterwards, Latest() is "not
  // connected" (error "Rig-Steuerung beendet."). Returns when the worker has
  // closed the radio, or after options.stopWait. Idempotent. Call from the
  // thread that owns the connection.
  void Stop();

  const RigSettings& settings() const { return settings_; }

  struct Shared;  // the state shared with the worker

 private:
  RigSettings settings_;
  RigConnectionOptions options_;
  std::shared_ptr<Shared> shared_;
  std::thread worker_;
};

// Korvtool and the settings dialog give the radio this long.
inline constexpr std::chrono::milliseconds kRigProbeTimeout{10000};

// One question to the radio, asked on a thread of its own: open, read
// frequency and mode, close. Poll never blocks; a radio that is still silent
// when the timeout has passed gives the answer "not connected" with
// "Keine Antwort innerhalb von 10 s (...)." and the thread is left to end on
// its own (it touches only what it owns). Copies share the same question.
class RigProbeJob {
 public:
  RigProbeJob(const RigSettings& settings, std::chrono::milliseconds timeout);

  // The answer once the radio answered, failed, or the timeout passed;
  // nullopt while waiting.
  std::optional<RigState> Poll() const;
  // Blocks until Poll has an answer (at most the timeout) and returns it.
  RigState Wait() const;

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};

// RigProbeJob(settings, timeout).Wait(): the radio's state (connected, with
// frequency, mode and model name) or the reason it gave none (kNone gives
// kRigNotConfigured), within the timeout.
RigState RigProbe(const RigSettings& settings,
                  std::chrono::milliseconds timeout = kRigProbeTimeout);

}  // namespace korv
