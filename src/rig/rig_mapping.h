// What the logging window takes from the radio: the band of its frequency and
// the window's mode text for its mode, both only among what the contest has,
// and the status line that shows the radio. Pure functions.
//
// The allowed lists are the window's own: EntrySession::Bands() (BandIndex
// per band slot) and EntrySession::Modes() (texts such as "SSB", "CW"), that
// is ContestRules::bandSlots and ContestRules::modes without the empty
// entries.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "refdata/bands.h"
#include "rig/rig_state.h"

namespace korv {

// The band holding the frequency (BandFromFrequency) when the contest has
// it; nullopt when the frequency lies in no band or in a band the contest
// does not have (the window keeps its band then).
std::optional<BandIndex> RigBandOf(std::int64_t frequencyHz,
                                   std::span<const BandIndex> allowedBands);

// How a Hamlib mode is logged.
enum class RigModeGroup {
  kUnknown,  // FAX, the spectrum and IQ modes, digital voice (D-STAR, C4FM, DD, P25, ...), anything new
  kCw,       // CW CWR CWN
  kPhone,    // USB LSB AM FM and their variants: WFM FMN AMN AMS SAM SAL SAH DSB
             // ECSSUSB ECSSLSB ISBUSB ISBLSB
  kFsk,      // RTTY RTTYR
  kData,     // PKTUSB PKTLSB PKTFM PKTFMN PKTAM PSK PSKR
};
RigModeGroup RigModeGroupOf(std::string_view rigMode);

// The window's mode text for the radio's mode, or nullopt for "leave the
// window's mode as it is". An allowed text is matched without regard to ASCII
// letter case and surrounding blanks; the result is the allowed list's own
// spelling.
//
//   kCw     "CW"
//   kPhone  "AM" for AM, AMN, AMS, SAM, SAL, SAH and "FM" for FM, FMN, WFM
//           when the contest lists that mode by itself, else "SSB"
//   kFsk    the first allowed of: RTTY, DIGITAL, FSK, DATA, DIGI
//   kData   the first allowed of: DIGITAL, FT8, FT4, PSK31, PSK, DATA, DIGI, RTTY
//   kUnknown  nullopt
//
// nullopt too when the contest does not allow the text found (a contest
// without a data mode keeps its mode when the radio is on PKTUSB).
std::optional<std::string> RigModeOf(std::string_view rigMode,
                                     std::span<const std::string> allowedModes);

// A frequency in kHz, German style: thousands point, decimal comma, two
// decimals, rounded to 10 Hz: 3525400 -> "3.525,40", 144300000 ->
// "144.300,00", 1296200000 -> "1.296.200,00", 500 -> "0,50".
std::string FormatRigKhz(std::int64_t frequencyHz);

// A frequency in MHz for the command line: a decimal point and six decimals
// (Hz resolution): 7030000 -> "7.030000".
std::string FormatRigMhz(std::int64_t frequencyHz);

// The status line of the logging window (Windows-1252):
//   connected, band allowed   "Rig: IC-7300 3.525,40 kHz CW"   (mode as the radio names it;
//                             without the mode when it gave none)
//   connected, other band     "Rig: außerhalb der Contest-Bänder (10.125,00 kHz)"
//   not connected             "Rig: keine Verbindung"
std::string RigStatusText(const RigState& state, std::span<const BandIndex> allowedBands);

// The words of the status line and of korvtool for a frequency outside the
// contest's bands (Windows-1252).
inline constexpr const char* kRigOutsideBands =
    "au\xDF"
    "erhalb der Contest-B\xE4nder";

}  // namespace korv
