#include "rig/rig_settings.h"

#include <algorithm>
#include <optional>

#include "common/text.h"

namespace korv {
namespace {

constexpr int kLargestModel = 999999;
constexpr int kLargestPort = 65535;

constexpr const char* kKeyKind = "rig";
constexpr const char* kKeyModel = "rig.model";
constexpr const char* kKeyDevice = "rig.device";
constexpr const char* kKeySpeed = "rig.speed";
constexpr const char* kKeyHost = "rig.host";
constexpr const char* kKeyPort = "rig.port";

bool IsSerialSpeed(int speed) {
  return speed == 0 || std::find(kRigSerialSpeeds.begin(), kRigSerialSpeeds.end(), speed) !=
                           kRigSerialSpeeds.end();
}

bool HasBlank(std::string_view text) {
  return text.find_first_of(" \t") != std::string_view::npos;
}

std::string Quoted(std::string_view key, std::string_view value, std::string_view what) {
  return std::string(key) + ": \"" + std::string(value) + "\" " + std::string(what);
}

constexpr const char* kNotAModel = "ist keine Hamlib-Modellnummer.";
constexpr const char* kNotASpeed = "ist keine g\xFCltige Baudrate.";
constexpr const char* kNotAPort = "ist keine Portnummer (1..65535).";
constexpr const char* kNotAHost = "ist kein Rechnername.";

}  // namespace

std::string_view RigKindKeyword(RigKind kind) {
  switch (kind) {
    case RigKind::kModel:
      return "model";
    case RigKind::kRigctld:
      return "rigctld";
    case RigKind::kNone:
      break;
  }
  return "none";
}

std::string RigSettingsProblem(const RigSettings& s) {
  switch (s.kind) {
    case RigKind::kNone:
      return {};
    case RigKind::kModel:
      if (s.model <= 0 || s.model > kLargestModel) return "Kein Rig-Modell gew\xE4hlt.";
      if (TrimBlanksTabsView(s.device).empty()) return "Keine Schnittstelle angegeben.";
      if (!IsSerialSpeed(s.speed)) {
        return "Die Baudrate " + std::to_string(s.speed) + " ist nicht g\xFCltig.";
      }
      return {};
    case RigKind::kRigctld:
      if (TrimBlanksTabsView(s.host).empty()) return "Kein Rechner f\xFCr rigctld angegeben.";
      if (HasBlank(s.host)) return "\"" + s.host + "\" " + kNotAHost;
      if (s.port < 1 || s.port > kLargestPort) {
        return "Der Port " + std::to_string(s.port) + " ist nicht g\xFCltig (1..65535).";
      }
      return {};
  }
  return {};
}

RigSettingsRead ReadRigSettings(const OwnSettings& file) {
  RigSettingsRead read;
  RigSettings& s = read.settings;
  // Each key's own problem; only those of the chosen kind count.
  std::string modelProblem, deviceProblem, speedProblem, hostProblem, portProblem;

  const std::string model = file.Get(kKeyModel);
  if (!model.empty()) {
    if (const auto n = ParseWholeNumber(model, 1, kLargestModel)) {
      s.model = *n;
    } else {
      modelProblem = Quoted(kKeyModel, model, kNotAModel);
    }
  } else {
    modelProblem = std::string(kKeyModel) + " fehlt.";
  }
  s.device = file.Get(kKeyDevice);
  if (s.device.empty()) deviceProblem = std::string(kKeyDevice) + " fehlt.";
  const std::string speed = file.Get(kKeySpeed);
  if (!speed.empty()) {
    const auto n = ParseWholeNumber(speed, 0, kRigSerialSpeeds.back());
    if (n && IsSerialSpeed(*n)) {
      s.speed = *n;
    } else {
      speedProblem = Quoted(kKeySpeed, speed, kNotASpeed);
    }
  }
  const std::string host = file.Get(kKeyHost);
  if (!host.empty()) {
    if (HasBlank(host)) {
      hostProblem = Quoted(kKeyHost, host, kNotAHost);
    } else {
      s.host = host;
    }
  }
  const std::string port = file.Get(kKeyPort);
  if (!port.empty()) {
    if (const auto n = ParseWholeNumber(port, 1, kLargestPort)) {
      s.port = *n;
    } else {
      portProblem = Quoted(kKeyPort, port, kNotAPort);
    }
  }

  const std::string kind = file.Get(kKeyKind, "none");
  std::string problem;
  if (kind == "none") {
    s.kind = RigKind::kNone;
  } else if (kind == "model") {
    s.kind = RigKind::kModel;
    for (const std::string* p : {&modelProblem, &deviceProblem, &speedProblem}) {
      if (problem.empty()) problem = *p;
    }
  } else if (kind == "rigctld") {
    s.kind = RigKind::kRigctld;
    problem = hostProblem.empty() ? portProblem : hostProblem;
  } else {
    problem = Quoted(kKeyKind, kind, "ist unbekannt (none, model oder rigctld).");
  }
  if (!problem.empty()) {
    s.kind = RigKind::kNone;
    read.problem = problem;
  }
  return read;
}

void WriteRigSettings(const RigSettings& s, OwnSettings& file) {
  file.Set(kKeyKind, RigKindKeyword(s.kind));
  file.Set(kKeyModel, s.model > 0 ? std::to_string(s.model) : std::string());
  file.Set(kKeyDevice, s.device);
  file.Set(kKeySpeed, std::to_string(s.speed));
  file.Set(kKeyHost, s.host);
  file.Set(kKeyPort, std::to_string(s.port));
}

RigSettingsRead LoadRigSettings(const std::filesystem::path& file) {
  return ReadRigSettings(OwnSettings::Load(file));
}

bool SaveRigSettings(const RigSettings& settings, const std::filesystem::path& file) {
  OwnSettings own = OwnSettings::Load(file);
  WriteRigSettings(settings, own);
  return own.Save(file);
}

RigSettingsRead ParseRigctldAddress(std::string_view text) {
  RigSettingsRead read;
  RigSettings& s = read.settings;
  s.kind = RigKind::kRigctld;
  text = TrimBlanksTabsView(text);
  std::string_view host = text;
  std::string_view port;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) {
      read.problem = "\"" + std::string(text) + "\" ist keine Adresse (RECHNER:PORT).";
    } else {
      host = text.substr(1, close - 1);
      const std::string_view rest = text.substr(close + 1);
      if (!rest.empty() && rest.front() != ':') {
        read.problem = "\"" + std::string(text) + "\" ist keine Adresse (RECHNER:PORT).";
      } else if (!rest.empty()) {
        port = rest.substr(1);
        if (port.empty()) read.problem = "\"" + std::string(text) + "\": der Port fehlt.";
      }
    }
  } else {
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
      read.problem =
          "\"" + std::string(text) + "\": IPv6-Adressen in eckigen Klammern angeben ([::1]:4532).";
    } else if (colon != std::string_view::npos) {
      host = text.substr(0, colon);
      port = text.substr(colon + 1);
      if (port.empty()) read.problem = "\"" + std::string(text) + "\": der Port fehlt.";
    }
  }
  if (read.problem.empty()) {
    s.host = std::string(host);
    if (!port.empty()) {
      if (const auto n = ParseWholeNumber(port, 1, kLargestPort)) {
        s.port = *n;
      } else {
        read.problem = "\"" + std::string(port) + "\" " + kNotAPort;
      }
    }
  }
  if (read.problem.empty()) read.problem = RigSettingsProblem(s);
  if (!read.problem.empty()) s.kind = RigKind::kNone;
  return read;
}

std::string RigctldAddress(const RigSettings& s) {
  const bool v6 = s.host.find(':') != std::string::npos;
  return (v6 ? "[" + s.host + "]" : s.host) + ":" + std::to_string(s.port);
}

}  // namespace korv
