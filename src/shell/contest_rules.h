// ContestRules: the presets of one contest variant (bands, modes, exchange,
// multipliers, duplicate rule, score switches, outputs, default dates), and
// FillContestPresets, which builds them for a contest code and the current
// contest header.
//
// The record lives in memory only. Texts are Windows-1252 std::strings (the
// readers treat them as ShortText[255]); sets of 0..255 are std::bitset<256>.
// Arrays keep the numbering their readers use: IndexedArray<T, 1, 100> is
// addressed with 1..100, receivedKind with the exchange field numbers 2..4.
#pragma once

#include <array>
#include <bitset>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>

#include "files/contest_header.h"

namespace korv {

// A fixed array addressed with the indices kFirst..kLast.
template <typename T, int kFirst, int kLast>
class IndexedArray {
  static_assert(kFirst <= kLast);

 public:
  static constexpr int first() { return kFirst; }
  static constexpr int last() { return kLast; }
  static constexpr std::size_t size() { return static_cast<std::size_t>(kLast - kFirst + 1); }
  static constexpr bool contains(int i) { return i >= kFirst && i <= kLast; }

  // REQUIRES: contains(i).
  T& operator[](int i) {
    assert(contains(i));
    return items_[static_cast<std::size_t>(i - kFirst)];
  }
  const T& operator[](int i) const {
    assert(contains(i));
    return items_[static_cast<std::size_t>(i - kFirst)];
  }

  // Iterates in index order, kFirst first.
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  friend bool operator==(const IndexedArray&, const IndexedArray&) = default;

 private:
  std::array<T, size()> items_{};
};

// A set of the elements 0..255 (multiplier kinds, output flags).
using ByteSet = std::bitset<256>;

// One contest period: dates as "dd.mm.yyyy" (empty end date = the start
// date), UTC times as "HH:MM:SS", and the bands (BandIndex characters,
// 0 = none) of the period for contests whose band follows the clock.
struct ContestPeriod {
  std::string startDate;
  std::string endDate;
  std::string startTime;
  std::string endTime;
  IndexedArray<char, 1, 10> bands;
  friend bool operator==(const ContestPeriod&, const ContestPeriod&) = default;
};

// One participation type (category). The configuration window stores the
// 1-based position in the header's participationType.
struct ParticipationType {
  std::string description;        // listed when not empty; printed by outputs
  std::uint8_t periodNumber = 0;  // 1..10 into periods, 0 = none
  std::string shortName;          // extends the proposed output file name
  friend bool operator==(const ParticipationType&, const ParticipationType&) = default;
};

// Every field is zero or empty unless FillContestPresets sets it.
struct ContestRules {
  std::uint8_t listenerLog = 0;             // 1: SWL log
  IndexedArray<std::string, 1, 100> modes;  // "SSB", "CW", ...; empty = skipped
  IndexedArray<char, 1, 100> bandSlots;     // BandIndex per slot; 0 = no band;
                                            // slots 1..7 are counted per band
  ByteSet multiplierKinds;                  // 4 DOK, 8 "Area", 17 LDK; empty = none
  IndexedArray<ContestPeriod, 1, 10> periods;
  IndexedArray<std::string, 1, 3> multiplierLabel;
  IndexedArray<std::int32_t, 2, 4> receivedKind;  // exchange fields 2..4; 0 = unused
  IndexedArray<std::int32_t, 2, 4> sentKind;
  IndexedArray<std::string, 2, 4> sentText;  // fixed sent texts
  std::uint8_t dupeRule = 0;                 // 1..5
  IndexedArray<std::string, 1, 100> specialCalls;
  IndexedArray<std::string, 1, 100> dokList;
  IndexedArray<char, 1, 26> districtLetters;  // 0 = no letter
  IndexedArray<std::string, 1, 100> secondDokList;
  std::string contestName;
  std::string versionText;
  IndexedArray<ParticipationType, 1, 20> participationTypes;
  std::string defaultStartDate;  // "dd.mm.yyyy"; empty = none
  std::string defaultEndDate;
  std::string defaultStartTime;  // "HH:MM:SS"; empty = none
  std::string defaultEndTime;
  std::int32_t localTimeOffset = 0;  // hours, stored as clock offset on local time
  std::string rejectedDok;           // never accepted as received DOK; empty = none
  std::uint8_t partyEvaluation = 0;
  std::uint8_t multiplierMode = 0;  // 0 per band, 1 over all bands, 2 per band and mode
  ByteSet outputFlags;              // outputs offered by the configuration window
  std::uint8_t pointsOnlyScore = 0;
  std::uint8_t acceptOtherDokForms = 0;
  std::uint8_t bandSumScore = 0;
  IndexedArray<std::string, 1, 2> exchangeFilter;  // [1]: required part of the exchange
  std::uint8_t bandAutoAllowed = 0;
  IndexedArray<std::string, 2, 4> fieldCaption;  // empty = the kind's name

  friend bool operator==(const ContestRules&, const ContestRules&) = default;
};

// Builds the presets of code for the log whose header is current.
//
// Reads the header's dok, participationType and startDate. Writes into the
// header buffer: for code '3' totalsInTotalsRecord := 255 (the buffer is not
// stored here). Sets uiGerman to false for code 'H' and leaves it unchanged
// for every other code.
//
// Codes without an entry (M, W, X, zero) and unknown codes get the default
// record: all zero except outputFlags {1..7}. The other catalogue codes get
// the default record with their catalogue contestName and versionText; their
// further rule values are not carried by this build.
//
// The result depends only on the inputs: filling twice gives equal records.
ContestRules FillContestPresets(ContestCode code, ContestHeader& header, bool& uiGerman);

}  // namespace korv
