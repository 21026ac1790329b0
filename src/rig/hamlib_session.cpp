#include "rig/hamlib_session.h"

#include <hamlib/rig.h>
#include <signal.h>

#include <array>
#include <clocale>
#include <cmath>
#include <cstring>
#include <utility>

namespace korv {
namespace {

struct ModeName {
  rmode_t mode;
  const char* name;
};

// Our names of Hamlib's modes (those of rig_strrmode), so that the texts the
// mapping works on do not change with the library's version.
constexpr std::array kModeNames{
    ModeName{RIG_MODE_AM, "AM"},           ModeName{RIG_MODE_CW, "CW"},
    ModeName{RIG_MODE_USB, "USB"},         ModeName{RIG_MODE_LSB, "LSB"},
    ModeName{RIG_MODE_RTTY, "RTTY"},       ModeName{RIG_MODE_FM, "FM"},
    ModeName{RIG_MODE_WFM, "WFM"},         ModeName{RIG_MODE_CWR, "CWR"},
    ModeName{RIG_MODE_RTTYR, "RTTYR"},     ModeName{RIG_MODE_AMS, "AMS"},
    ModeName{RIG_MODE_PKTLSB, "PKTLSB"},   ModeName{RIG_MODE_PKTUSB, "PKTUSB"},
    ModeName{RIG_MODE_PKTFM, "PKTFM"},     ModeName{RIG_MODE_ECSSUSB, "ECSSUSB"},
    ModeName{RIG_MODE_ECSSLSB, "ECSSLSB"}, ModeName{RIG_MODE_FAX, "FAX"},
    ModeName{RIG_MODE_SAM, "SAM"},         ModeName{RIG_MODE_SAL, "SAL"},
    ModeName{RIG_MODE_SAH, "SAH"},         ModeName{RIG_MODE_DSB, "DSB"},
    ModeName{RIG_MODE_FMN, "FMN"},         ModeName{RIG_MODE_PKTAM, "PKTAM"},
    ModeName{RIG_MODE_AMN, "AMN"},         ModeName{RIG_MODE_PSK, "PSK"},
    ModeName{RIG_MODE_PSKR, "PSKR"},       ModeName{RIG_MODE_PKTFMN, "PKTFMN"},
    ModeName{RIG_MODE_CWN, "CWN"},         ModeName{RIG_MODE_ISBUSB, "ISBUSB"},
    ModeName{RIG_MODE_ISBLSB, "ISBLSB"},
};

std::string ModeText(rmode_t mode) {
  for (const ModeName& m : kModeNames) {
    if (m.mode == mode) return m.name;
  }
  if (mode == RIG_MODE_NONE) return {};
  const char* name = rig_strrmode(mode);
  return name != nullptr ? name : "";
}

// Hamlib's error codes in our words.
std::string Reason(int code) {
  switch (code < 0 ? -code : code) {
    case RIG_EINVAL:
      return "ung\xFCltiger Parameter";
    case RIG_ECONF:
      return "ung\xFCltige Einstellung";
    case RIG_ENOMEM:
      return "kein Speicher";
    case RIG_ENIMPL:
    case RIG_ENAVAIL:
      return "vom Modell nicht unterst\xFCtzt";
    case RIG_ETIMEOUT:
      return "Zeit\xFC"
             "berschreitung";
    case RIG_EIO:
      return "E/A-Fehler";
    case RIG_EPROTO:
      return "Protokollfehler";
    case RIG_ERJCTED:
      return "vom Rig abgelehnt";
    case RIG_ESECURITY:
      return "Zugriff verweigert";
    case RIG_EPOWER:
      return "Rig ausgeschaltet";
    default:
      return "Hamlib-Fehler " + std::to_string(code < 0 ? -code : code);
  }
}

// Sets a configuration value by name; unknown names are left alone.
void SetConf(RIG* rig, const char* name, const std::string& value) {
  const auto token = rig_token_lookup(rig, name);
  if (token != RIG_CONF_END) (void)rig_set_conf(rig, token, value.c_str());
}

}  // namespace

std::mutex& HamlibGlobalMutex() {
  static std::mutex mutex;
  return mutex;
}

void PrepareHamlib() {
  static std::once_flag once;
  std::call_once(once, [] { rig_set_debug(RIG_DEBUG_NONE); });
  const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
  if (numeric == nullptr || std::strcmp(numeric, "C") != 0) std::setlocale(LC_NUMERIC, "C");
}

void BlockSigpipeInThisThread() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGPIPE);
  (void)pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

std::unique_ptr<HamlibSession> HamlibSession::Open(const RigSettings& settings,
                                                   std::string& error) {
  const bool network = settings.kind == RigKind::kRigctld;
  const rig_model_t model =
      network ? RIG_MODEL_NETRIGCTL : static_cast<rig_model_t>(settings.model);
  RIG* rig = nullptr;
  {
    std::lock_guard lock(HamlibGlobalMutex());
    rig = rig_init(model);
  }
  if (rig == nullptr) {
    error = "Hamlib kennt das Rig-Modell " + std::to_string(settings.model) + " nicht.";
    return nullptr;
  }
  std::string where;
  std::string modelName;
  if (network) {
    const std::string address = RigctldAddress(settings);
    SetConf(rig, "rig_pathname", address);
    SetConf(rig, "timeout", std::to_string(kRigctldTimeoutMs));
    SetConf(rig, "retry", "0");
    where = "rigctld " + address;
    modelName = "rigctld";
  } else {
    SetConf(rig, "rig_pathname", settings.device);
    if (settings.speed > 0) SetConf(rig, "serial_speed", std::to_string(settings.speed));
    modelName = rig->caps->model_name != nullptr ? rig->caps->model_name : "";
    where = modelName + " an " + settings.device;
  }
  // Every poll asks the radio; Hamlib's cache would hide a change for its
  // lifetime.
  (void)rig_set_cache_timeout_ms(rig, HAMLIB_CACHE_ALL, 0);
  const int opened = rig_open(rig);
  if (opened != RIG_OK) {
    error = where + ": keine Verbindung m\xF6glich (" + Reason(opened) + ").";
    std::lock_guard lock(HamlibGlobalMutex());
    rig_cleanup(rig);
    return nullptr;
  }
  return std::unique_ptr<HamlibSession>(
      new HamlibSession(rig, std::move(where), std::move(modelName)));
}

HamlibSession::~HamlibSession() {
  (void)rig_close(rig_);
  std::lock_guard lock(HamlibGlobalMutex());
  rig_cleanup(rig_);
}

bool HamlibSession::Read(RigState& state, std::string& error) {
  freq_t frequency = 0;
  const int f = rig_get_freq(rig_, RIG_VFO_CURR, &frequency);
  if (f != RIG_OK) {
    error = where_ + ": Verbindung verloren (" + Reason(f) + ").";
    return false;
  }
  rmode_t mode = RIG_MODE_NONE;
  pbwidth_t width = 0;
  const int m = rig_get_mode(rig_, RIG_VFO_CURR, &mode, &width);
  if (m != RIG_OK && m != -RIG_ENIMPL && m != -RIG_ENAVAIL) {
    error = where_ + ": Verbindung verloren (" + Reason(m) + ").";
    return false;
  }
  state.connected = true;
  state.error.clear();
  state.frequencyHz = std::llround(frequency);
  state.mode = m == RIG_OK ? ModeText(mode) : std::string();
  state.modelName = modelName_;
  return true;
}

}  // namespace korv
