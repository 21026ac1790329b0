// RigState: what the radio said last, as a plain value that is copied out of
// the connection (rig_connection.h) and read without locks.
#pragma once

#include <cstdint>
#include <string>

namespace korv {

struct RigState {
  // True while the radio answers. The fields below the error are only
  // meaningful when connected.
  bool connected = false;
  // Why there is no connection (German, Windows-1252), e.g. "rigctld
  // localhost:4532: keine Verbindung möglich (E/A-Fehler)."; empty when
  // connected and before the first attempt has finished.
  std::string error;
  // The receive frequency of the current VFO in Hz.
  std::int64_t frequencyHz = 0;
  // The radio's mode by Hamlib's name: "CW", "CWR", "USB", "LSB", "AM",
  // "FM", "RTTY", "RTTYR", "PKTUSB", "PKTLSB", "PKTFM", ... (see
  // RigModeGroupOf in rig_mapping.h); empty when the radio gave none.
  std::string mode;
  // The radio's model as Hamlib names it ("IC-7300", "Dummy"); "rigctld"
  // when reached through rigctld, which does not tell its model.
  std::string modelName;
  // RigConnection: 0 before anything was published, then one more each time
  // any field above changes, so that a reader sees a change by comparing
  // numbers. RigProbe leaves it 0.
  std::uint64_t sequence = 0;

  // The same reading: every field but the sequence.
  bool SameReading(const RigState& other) const {
    return connected == other.connected && error == other.error &&
           frequencyHz == other.frequencyHz && mode == other.mode && modelName == other.modelName;
  }
};

}  // namespace korv
