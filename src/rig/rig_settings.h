// Which radio the logger reads and how it is reached, kept in our own
// settings file (korv-dez.conf, see files/own_settings.h) under these keys:
//
//   KEY          VALUE                                            DEFAULT
//   rig          none | model | rigctld                           none
//   rig.model    Hamlib model number (1 dummy, 3073 IC-7300 ...)  -
//   rig.device   serial device, "/dev/ttyUSB0", "/dev/serial/by-id/..."  -
//   rig.speed    baud rate, one of kRigSerialSpeeds; 0: the model's own  0
//   rig.host     host name or address of rigctld                  localhost
//   rig.port     TCP port of rigctld, 1..65535                    4532
//
// "model" talks to the radio directly through a Hamlib backend; "rigctld"
// talks to a running rigctld (Hamlib's network model 2), which may serve
// another program at the same time.
//
// Values are ASCII in practice; device and host are kept as the system spells
// them and handed to Hamlib unchanged. Reasons are German, Windows-1252.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "files/own_settings.h"

namespace korv {

enum class RigKind { kNone, kModel, kRigctld };

inline constexpr const char* kRigDefaultHost = "localhost";
inline constexpr int kRigDefaultPort = 4532;

// The baud rates a stored rig.speed may hold (besides 0). The settings dialog
// offers 4800..115200 and keeps any other of these it finds in the file.
inline constexpr std::array<int, 11> kRigSerialSpeeds{300,   1200,  2400,   4800,   9600,  19200,
                                                      38400, 57600, 115200, 230400, 460800};

struct RigSettings {
  RigKind kind = RigKind::kNone;
  int model = 0;       // kModel: Hamlib model number
  std::string device;  // kModel: serial device (or what the backend takes as its path)
  int speed = 0;       // kModel: baud rate; 0 = the model's default
  std::string host = kRigDefaultHost;  // kRigctld
  int port = kRigDefaultPort;          // kRigctld

  friend bool operator==(const RigSettings&, const RigSettings&) = default;
};

// What reading gave. When `problem` is set, settings.kind is kNone (the
// logger then reads no radio) and `problem` says why, e.g.
// "rig.port: \"45x\" ist keine Portnummer (1..65535)."; the other fields keep
// every value that was good, so that a dialog can show them.
struct RigSettingsRead {
  RigSettings settings;
  std::string problem;
};

// Empty when the settings can be used for their kind; else the German reason.
// kNone is always usable. Checks ranges and presence only: whether Hamlib
// knows the model is found out when connecting.
std::string RigSettingsProblem(const RigSettings& settings);

// Reads the rig keys. A missing "rig" key is kNone without a problem; an
// unknown kind, a non-number or a value out of range in a key the chosen kind
// uses gives kNone and the reason. Bad values in keys the kind does not use
// fall back to their defaults without a problem.
RigSettingsRead ReadRigSettings(const OwnSettings& file);

// Writes every rig key (also those the kind does not use, so that switching
// kinds keeps the other kind's values); the file's other keys stay.
void WriteRigSettings(const RigSettings& settings, OwnSettings& file);

// ReadRigSettings over the settings file; a missing file is kNone.
RigSettingsRead LoadRigSettings(const std::filesystem::path& file);

// Loads the file (keeping its other keys), writes the rig keys and saves it
// (through a temporary file and a rename). False when it cannot be written.
bool SaveRigSettings(const RigSettings& settings, const std::filesystem::path& file);

// Parses "HOST:PORT", "[IPV6]:PORT" or a bare "HOST" (port 4532) into rigctld
// settings; a problem for an empty host, a bad port or a bare IPv6 address
// without brackets.
RigSettingsRead ParseRigctldAddress(std::string_view text);

// The address as Hamlib's network model takes it: "host:port", IPv6
// addresses in brackets ("[::1]:4532").
std::string RigctldAddress(const RigSettings& settings);

// The keyword of the kind as stored: "none", "model", "rigctld".
std::string_view RigKindKeyword(RigKind kind);

}  // namespace korv
