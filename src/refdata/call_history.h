// Call history: the DOK a station gave in earlier contests, for proposing
// the exchange of a call the log has not worked yet.
//
// Two file formats (Windows-1252 or UTF-8, CR LF or LF, "#" starts a
// comment line, blank lines are ignored):
//   plain          one "CALL,DOK" a line (Debian's WAG_call_history.txt,
//                  `korvtool export LOG callhistory`)
//   header-driven  a first line "!!Order!!,Call,Exch1,..." names the
//                  columns of the lines below (the first name is their first
//                  column); the DOK stands in the column named Exch1, DOK or
//                  Dok, the call in the column named Call
// A line without a call or without a DOK, a call with characters other than
// A-Z, 0-9 and "/", and a DOK longer than 8 characters are skipped and
// counted. Calls and DOKs are upper-cased and trimmed.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace korv {

class CallHistory {
 public:
  struct LoadResult {
    bool read = false;  // false: the file is missing or unreadable (no error)
    int calls = 0;      // lines taken
    int skipped = 0;    // lines that could not be read
  };

  // Adds the calls of one file. A call the history knows already keeps its
  // DOK unless `overrides` (the user's own file wins over Debian's).
  LoadResult Load(std::string_view content, bool overrides);
  LoadResult LoadFile(const std::filesystem::path& file, bool overrides);

  // The DOK of `call` (any case, blanks around it ignored), else that of its
  // base call ("DL1ABC/P" -> "DL1ABC"); empty when the history has none.
  std::string DokOf(std::string_view call) const;
  // True when some call of the history gave `dok` (upper case).
  bool KnowsDok(std::string_view dok) const;
  std::size_t size() const { return doks_.size(); }
  // Calls `visit(call)` for every call of the history, in no order.
  template <class Visit>
  void ForEachCall(Visit visit) const {
    for (const auto& entry : doks_) visit(entry.first);
  }

 private:
  std::unordered_map<std::string, std::string> doks_;
  std::unordered_set<std::string> knownDoks_;
};

}  // namespace korv
