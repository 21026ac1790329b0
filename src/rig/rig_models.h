// What the settings dialog offers: Hamlib's radio models and the serial
// ports of this computer.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korv {

struct RigModel {
  int number = 0;            // Hamlib model number, the value of rig.model
  std::string manufacturer;  // "Icom"
  std::string name;          // "IC-7300"
  friend bool operator==(const RigModel&, const RigModel&) = default;
};

// Every model of every Hamlib backend, sorted by manufacturer, then name
// (both without regard to ASCII letter case), then number. Built once on the
// first call (loading all backends) and shared afterwards; safe to call from
// any thread. The first call sets LC_NUMERIC to "C" for the process (see
// rig_connection.h).
const std::vector<RigModel>& RigModelList();

// The model's manufacturer and name as the settings show them
// ("Icom IC-7300"); "Modell N" for a number not in the list.
std::string RigModelTitle(int number);

// True when every blank-separated word of `filter` occurs, without regard to
// ASCII letter case, in the model's number, manufacturer or name; an empty
// filter matches everything ("icom 7300" finds "Icom IC-7300", "3073" too).
bool RigModelMatches(const RigModel& model, std::string_view filter);

// The serial ports below `devRoot` (normally "/dev"): the links of
// serial/by-id (stable names, first, sorted), then ttyUSB* and ttyACM*
// (sorted by name, then number: ttyUSB2 before ttyUSB10). Paths are given
// as devRoot / name; a missing directory gives no entries.
std::vector<std::string> RigSerialPorts(const std::filesystem::path& devRoot = "/dev");

}  // namespace korv
