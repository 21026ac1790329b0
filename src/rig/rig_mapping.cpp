#include "rig/rig_mapping.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "common/text.h"

namespace korv {
namespace {

struct ModeGroupRow {
  std::string_view name;
  RigModeGroup group;
};

// Hamlib's mode names (rig_strrmode) and how each is logged.
constexpr std::array kModeGroups{
    ModeGroupRow{"CW", RigModeGroup::kCw},         ModeGroupRow{"CWR", RigModeGroup::kCw},
    ModeGroupRow{"CWN", RigModeGroup::kCw},        ModeGroupRow{"USB", RigModeGroup::kPhone},
    ModeGroupRow{"LSB", RigModeGroup::kPhone},     ModeGroupRow{"AM", RigModeGroup::kPhone},
    ModeGroupRow{"AMN", RigModeGroup::kPhone},     ModeGroupRow{"AM-N", RigModeGroup::kPhone},
    ModeGroupRow{"AMS", RigModeGroup::kPhone},     ModeGroupRow{"SAM", RigModeGroup::kPhone},
    ModeGroupRow{"SAL", RigModeGroup::kPhone},     ModeGroupRow{"SAH", RigModeGroup::kPhone},
    ModeGroupRow{"DSB", RigModeGroup::kPhone},     ModeGroupRow{"FM", RigModeGroup::kPhone},
    ModeGroupRow{"FMN", RigModeGroup::kPhone},     ModeGroupRow{"WFM", RigModeGroup::kPhone},
    ModeGroupRow{"ECSSUSB", RigModeGroup::kPhone}, ModeGroupRow{"ECSSLSB", RigModeGroup::kPhone},
    ModeGroupRow{"ISBUSB", RigModeGroup::kPhone},  ModeGroupRow{"ISBLSB", RigModeGroup::kPhone},
    ModeGroupRow{"RTTY", RigModeGroup::kFsk},      ModeGroupRow{"RTTYR", RigModeGroup::kFsk},
    ModeGroupRow{"PKTUSB", RigModeGroup::kData},   ModeGroupRow{"PKTLSB", RigModeGroup::kData},
    ModeGroupRow{"PKTFM", RigModeGroup::kData},    ModeGroupRow{"PKTFMN", RigModeGroup::kData},
    ModeGroupRow{"PKTAM", RigModeGroup::kData},    ModeGroupRow{"PSK", RigModeGroup::kData},
    ModeGroupRow{"PSKR", RigModeGroup::kData},
};

// Phone modes that a contest may list by themselves.
constexpr std::array<std::string_view, 7> kAmModes{"AM", "AMN", "AM-N", "AMS", "SAM", "SAL", "SAH"};
constexpr std::array<std::string_view, 3> kFmModes{"FM", "FMN", "WFM"};

// The window's data modes in the order they are tried.
constexpr std::array<std::string_view, 5> kFskChoices{"RTTY", "DIGITAL", "FSK", "DATA", "DIGI"};
constexpr std::array<std::string_view, 8> kDataChoices{"DIGITAL", "FT8",  "FT4",  "PSK31",
                                                       "PSK",     "DATA", "DIGI", "RTTY"};

bool SameText(std::string_view a, std::string_view b) {
  a = TrimBlanksTabsView(a);
  b = TrimBlanksTabsView(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

template <typename Names>
bool Among(std::string_view text, const Names& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](std::string_view n) { return SameText(text, n); });
}

// The allowed list's spelling of the first choice it holds.
template <typename Choices>
std::optional<std::string> FirstAllowed(const Choices& choices,
                                        std::span<const std::string> allowed) {
  for (std::string_view choice : choices) {
    for (const std::string& a : allowed) {
      if (SameText(a, choice)) return a;
    }
  }
  return std::nullopt;
}

// "1.296.200" for 1296200.
std::string GroupThousands(std::int64_t value) {
  std::string digits = std::to_string(value);
  for (std::ptrdiff_t at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), 1, '.');
  }
  return digits;
}

}  // namespace

std::optional<BandIndex> RigBandOf(std::int64_t frequencyHz,
                                   std::span<const BandIndex> allowedBands) {
  if (frequencyHz <= 0) return std::nullopt;
  const BandIndex band = BandFromFrequency(static_cast<double>(frequencyHz) / 1e6);
  if (!IsBand(band)) return std::nullopt;
  if (std::find(allowedBands.begin(), allowedBands.end(), band) == allowedBands.end())
    return std::nullopt;
  return band;
}

RigModeGroup RigModeGroupOf(std::string_view rigMode) {
  for (const ModeGroupRow& row : kModeGroups) {
    if (SameText(rigMode, row.name)) return row.group;
  }
  return RigModeGroup::kUnknown;
}

std::optional<std::string> RigModeOf(std::string_view rigMode,
                                     std::span<const std::string> allowedModes) {
  switch (RigModeGroupOf(rigMode)) {
    case RigModeGroup::kCw:
      return FirstAllowed(std::array<std::string_view, 1>{"CW"}, allowedModes);
    case RigModeGroup::kPhone:
      if (Among(rigMode, kAmModes)) {
        if (auto am = FirstAllowed(std::array<std::string_view, 1>{"AM"}, allowedModes)) return am;
      }
      if (Among(rigMode, kFmModes)) {
        if (auto fm = FirstAllowed(std::array<std::string_view, 1>{"FM"}, allowedModes)) return fm;
      }
      return FirstAllowed(std::array<std::string_view, 1>{"SSB"}, allowedModes);
    case RigModeGroup::kFsk:
      return FirstAllowed(kFskChoices, allowedModes);
    case RigModeGroup::kData:
      return FirstAllowed(kDataChoices, allowedModes);
    case RigModeGroup::kUnknown:
      break;
  }
  return std::nullopt;
}

std::string FormatRigKhz(std::int64_t frequencyHz) {
  const bool negative = frequencyHz < 0;
  const std::int64_t magnitude = negative ? -frequencyHz : frequencyHz;
  const std::int64_t tens = (magnitude + 5) / 10;  // 10 Hz steps
  const std::int64_t hundredths = tens % 100;
  std::string text = (negative ? "-" : "") + GroupThousands(tens / 100) + ",";
  if (hundredths < 10) text += '0';
  text += std::to_string(hundredths);
  return text;
}

std::string FormatRigMhz(std::int64_t frequencyHz) {
  const bool negative = frequencyHz < 0;
  const std::int64_t magnitude = negative ? -frequencyHz : frequencyHz;
  std::string fraction = std::to_string(magnitude % 1000000);
  fraction.insert(0, 6 - fraction.size(), '0');
  return (negative ? "-" : "") + std::to_string(magnitude / 1000000) + "." + fraction;
}

std::string RigStatusText(const RigState& state, std::span<const BandIndex> allowedBands) {
  if (!state.connected) return "Rig: keine Verbindung";
  const std::string khz = FormatRigKhz(state.frequencyHz);
  if (!RigBandOf(state.frequencyHz, allowedBands)) {
    return std::string("Rig: ") + kRigOutsideBands + " (" + khz + " kHz)";
  }
  std::string text = "Rig: ";
  if (!state.modelName.empty()) text += state.modelName + " ";
  text += khz + " kHz";
  if (!state.mode.empty()) text += " " + state.mode;
  return text;
}

}  // namespace korv
