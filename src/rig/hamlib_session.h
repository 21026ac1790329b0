// Internal to korv_rig: one opened Hamlib handle and the few Hamlib calls the
// connection and the probe make. Every HamlibSession is used by one thread
// only; Hamlib's global tables (backends, model list) are guarded by
// HamlibGlobalMutex.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "rig/rig_settings.h"
#include "rig/rig_state.h"

struct s_rig;  // Hamlib's RIG

namespace korv {

// Serialises rig_init, rig_cleanup and the walks over the backends, which
// touch Hamlib's global tables.
std::mutex& HamlibGlobalMutex();

// Before Hamlib is used from a new thread: turns Hamlib's own debug output
// off (once) and sets LC_NUMERIC to "C" for the process when it is not.
// Hamlib switches LC_NUMERIC to "C" around its number parsing and then
// restores the name it read before the switch, a pointer the switch itself
// has freed unless that name was "C" already (a Qt program starts with the
// user's locale). With "C" in place the switch frees nothing and changes
// nothing another thread reads. Call on the thread that starts the Hamlib
// threads, never on those threads.
void PrepareHamlib();

// Blocks SIGPIPE in the calling thread, so that a write to a socket rigctld
// has closed fails with EPIPE instead of ending the process.
void BlockSigpipeInThisThread();

class HamlibSession {
 public:
  // Initialises and opens the radio of `settings` (REQUIRES: kind is not
  // kNone, RigSettingsProblem is empty, PrepareHamlib ran before this thread
  // started). nullptr with the reason in
  // `error` when Hamlib does not know the model or the radio cannot be
  // opened. May block as long as Hamlib waits for the radio: for rigctld a
  // timeout of kRigctldTimeoutMs without retries, for a serial model the
  // backend's own timeouts.
  static std::unique_ptr<HamlibSession> Open(const RigSettings& settings, std::string& error);
  ~HamlibSession();
  HamlibSession(const HamlibSession&) = delete;
  HamlibSession& operator=(const HamlibSession&) = delete;

  // Reads frequency and mode into `state` (connected, frequencyHz, mode,
  // modelName; error cleared). False with the reason in `error` when the
  // radio did not answer: the session is lost then and should be closed.
  bool Read(RigState& state, std::string& error);

  static constexpr int kRigctldTimeoutMs = 1000;

 private:
  HamlibSession(s_rig* rig, std::string where, std::string modelName)
      : rig_(rig), where_(std::move(where)), modelName_(std::move(modelName)) {}

  s_rig* rig_;
  std::string where_;      // "rigctld localhost:4532", "IC-7300 an /dev/ttyUSB0"
  std::string modelName_;  // RigState::modelName
};

}  // namespace korv
