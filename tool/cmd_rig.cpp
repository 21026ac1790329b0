// korvtool rig [--rigctld HOST:PORT | --model N --device DEV [--speed BAUD]]
//
// Asks the radio once and prints what the logging window would take from it
// for the active contest:
//   FREQUENCY_MHZ  BAND  MODE        "7.030000  40 m  CW"
// BAND is "außerhalb der Contest-Bänder" for a frequency outside the
// contest's bands, MODE "unverändert (PKTUSB)" for a radio mode the window
// would not take. Without options the rig keys of korv-dez.conf in the data
// directory say which radio.
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "files/contest_header.h"
#include "files/own_settings.h"
#include "rig/rig_connection.h"
#include "rig/rig_mapping.h"
#include "rig/rig_settings.h"
#include "shell/contest_catalogue.h"
#include "shell/contest_rules.h"
#include "tool/commands.h"
#include "tool/korvtool.h"

namespace korv::tool {
namespace {

int RigRefused(const CommandEnv& env, std::string_view reason) {
  env.err << "korvtool: rig: " << Cp1252ToUtf8(reason) << "\n";
  return kExitRefused;
}

// The bands and modes of the active contest, as the logging window lists
// them (the presets of a new log: no header values bear on them).
void ActiveContestLists(std::vector<BandIndex>& bands, std::vector<std::string>& modes) {
  std::vector<std::uint8_t> header(kContestHeaderSize, 0);
  ContestHeader h(ContestHeader::Record(header.data(), kContestHeaderSize));
  bool german = true;
  const ContestRules rules = FillContestPresets(kActiveContestCode, h, german);
  for (char b : rules.bandSlots) {
    if (b != 0) bands.push_back(b);
  }
  for (const std::string& m : rules.modes) {
    if (!m.empty()) modes.push_back(m);
  }
}

std::optional<int> WholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  return std::stoi(text);
}

}  // namespace

int RunRig(const CommandEnv& env, CommandArgs args) {
  std::optional<std::string> rigctld, model, device, speed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::optional<std::string>* target = arg == "--rigctld"  ? &rigctld
                                         : arg == "--model"  ? &model
                                         : arg == "--device" ? &device
                                         : arg == "--speed"  ? &speed
                                                             : nullptr;
    if (target == nullptr) return RigRefused(env, "unbekanntes Argument: " + Utf8ToCp1252(arg));
    if (i + 1 >= args.size()) return RigRefused(env, arg + " braucht einen Wert");
    if (*target) return RigRefused(env, arg + " ist doppelt angegeben");
    *target = args[++i];
  }

  RigSettings settings;
  if (rigctld) {
    if (model || device || speed) {
      return RigRefused(env, "--rigctld schlie\xDFt --model, --device und --speed aus");
    }
    const RigSettingsRead read = ParseRigctldAddress(*rigctld);
    if (!read.problem.empty()) return RigRefused(env, read.problem);
    settings = read.settings;
  } else if (model || device || speed) {
    if (!model || !device) return RigRefused(env, "--model und --device geh\xF6ren zusammen");
    const std::optional<int> number = WholeNumber(*model);
    if (!number || *number <= 0) {
      return RigRefused(env, "\"" + Utf8ToCp1252(*model) + "\" ist keine Hamlib-Modellnummer");
    }
    settings.kind = RigKind::kModel;
    settings.model = *number;
    settings.device = *device;
    if (speed) {
      const std::optional<int> baud = WholeNumber(*speed);
      if (!baud) return RigRefused(env, "\"" + Utf8ToCp1252(*speed) + "\" ist keine Baudrate");
      settings.speed = *baud;
    }
    const std::string problem = RigSettingsProblem(settings);
    if (!problem.empty()) return RigRefused(env, problem);
  } else {
    const std::filesystem::path file = env.dataDirectory / kOwnSettingsFileName;
    const RigSettingsRead read = LoadRigSettings(file);
    if (!read.problem.empty())
      return RigRefused(env, std::string(kOwnSettingsFileName) + ": " + read.problem);
    if (read.settings.kind == RigKind::kNone) {
      return RigRefused(env, std::string(kRigNotConfigured) + " (" + kOwnSettingsFileName +
                                 "; --rigctld HOST:PORT oder --model N --device DEV)");
    }
    settings = read.settings;
  }

  const RigState state = RigProbe(settings, kRigProbeTimeout);
  if (!state.connected) {
    env.err << "korvtool: rig: " << Cp1252ToUtf8(state.error) << "\n";
    return kExitFailure;
  }
  std::vector<BandIndex> bands;
  std::vector<std::string> modes;
  ActiveContestLists(bands, modes);
  const std::optional<BandIndex> band = RigBandOf(state.frequencyHz, bands);
  const std::optional<std::string> mode = RigModeOf(state.mode, modes);
  const std::string bandText = band ? std::string(BandName(*band)) : std::string(kRigOutsideBands);
  const std::string modeText = mode ? *mode : "unver\xE4ndert (" + state.mode + ")";
  env.out << FormatRigMhz(state.frequencyHz) << "  " << Cp1252ToUtf8(bandText) << "  "
          << Cp1252ToUtf8(modeText) << "\n";
  return kExitOk;
}

}  // namespace korv::tool
