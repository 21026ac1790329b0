// What the source files of EntrySession share: the index numbers of the
// files it searches and the small text and record helpers. Only those
// files include this header.
#pragma once

#include <cstddef>
#include <string>

#include "common/cp1252.h"
#include "logging/qso_record.h"
#include "storage/file_block.h"

namespace korv::entry_internal {

// Indexes of the QSO file.
inline constexpr int kIndexByDateTime = 1;
inline constexpr int kIndexByRecordNo = 4;
inline constexpr int kIndexByCall = 6;
inline constexpr int kIndexBandNoDesc = 11;
inline constexpr int kIndexBandNo2Desc = 12;
inline constexpr int kIndexBySerialNo = 13;
inline constexpr int kIndexByMulti1 = 19;
inline constexpr int kIndexByModeNoDesc = 24;

// The call book's index by call.
inline constexpr int kCallBookIndexByCall = 1;

// How often a store is tried, the QSO time one second later each time.
inline constexpr int kMaxSaveAttempts = 10;

inline std::string Upper(std::string text) {
  for (char& c : text) c = UpperCaseAsciiUmlautChar(c);
  return text;
}

inline std::string RightTrimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

inline std::string Cut(std::string text, std::size_t n) {
  if (text.size() > n) text.resize(n);
  return text;
}

// The retry of a store whose date and time are taken: one second later,
// into the next day after 23:59:59.
inline void AdvanceOneSecond(QsoRecord e) {
  if (e.qsoTime() < 0) return;
  if (e.qsoTime() + 1 < 24 * 3600) {
    e.SetQsoTime(e.qsoTime() + 1);
    return;
  }
  e.SetQsoTime(0);
  if (e.qsoDate() > 0) e.SetQsoDate(e.qsoDate() + 1);
}

inline QsoRecord RecordOf(FileBlock& file) {
  return QsoRecord(QsoRecord::Record(file.Record().data(), kQsoRecordSize));
}

}  // namespace korv::entry_internal
