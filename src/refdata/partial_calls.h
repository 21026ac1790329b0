// Super check partial: the calls that contain a typed fragment, and the
// calls one typing error away from a typed call ("N+1").
//
// Calls are upper-case A-Z, 0-9 and "/" (37 symbols). A CallIndex keeps
// every call once, with a posting list per 2-symbol and per 3-symbol gram:
// the ids of the calls holding that gram, in the calls' alphabetical order.
// A fragment of two symbols is one bigram list; a longer one walks the
// shortest list of its trigrams and confirms each call. Walks run in
// alphabetical order and stop as soon as enough calls were found, so a
// keystroke costs little at any size of MASTER.SCP or of the log.
//
// Reference calls (MASTER.SCP, the call history) are read once at start;
// the log's calls (LogCalls) are added at each save, with the bands they
// were worked on, so a call of the log can be shown as a duplicate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "refdata/bands.h"

namespace korv {

class CallIndex {
 public:
  using Id = std::uint32_t;
  static constexpr Id kNone = 0xFFFFFFFFu;
  // The longest call the index takes; longer texts are no calls.
  static constexpr std::size_t kMaxCallLength = 20;

  // True for a text of 1..kMaxCallLength symbols A-Z, 0-9, "/".
  static bool IsIndexable(std::string_view call);

  // Replaces the contents: `calls` upper case, in any order, repeats
  // allowed; texts that are no calls are left out. The texts are copied.
  // An index built `growable` takes Add cheaply; one that is not keeps its
  // lists in one block (the compact form for MASTER.SCP) and is converted at
  // the first Add.
  void Build(std::vector<std::string_view> calls, bool growable = false);
  // Adds one call (a no-call text or a known call changes nothing); its id.
  Id Add(std::string_view call);
  Id Find(std::string_view call) const;
  std::string_view Call(Id id) const {
    return std::string_view(text_).substr(offsets_[id], offsets_[id + 1] - offsets_[id]);
  }
  std::size_t size() const { return offsets_.size() - 1; }
  // Bytes held, for the memory figure of the benchmark.
  std::size_t MemoryBytes() const;

  // Calls `visit(id)` for every call containing `fragment` (at least two
  // symbols), in alphabetical order, until it returns false.
  template <class Visit>
  void ForEachContaining(std::string_view fragment, Visit visit) const {
    const std::span<const Id> list = ShortestList(fragment);
    const bool confirm = fragment.size() > 2;
    for (Id id : list) {
      if (confirm && Call(id).find(fragment) == std::string_view::npos) continue;
      if (!visit(id)) return;
    }
  }

 private:
  std::span<const Id> List(std::size_t gram) const;
  std::span<const Id> ShortestList(std::string_view fragment) const;
  void InsertInLists(Id id);
  void MakeGrowable();
  void Rehash(std::size_t capacity);
  std::size_t Slot(std::string_view call) const;
  // True when call `a` sorts before call `b`.
  bool Before(Id a, Id b) const { return Call(a) < Call(b); }

  std::string text_;                       // the calls one after another
  std::vector<std::uint32_t> offsets_{0};  // call id -> start in text_; one more at the end
  // gram -> ids, alphabetical: either one block with the start of each
  // gram's list (compact), or a vector per gram (growable).
  bool growable_ = true;
  std::vector<Id> postings_;
  std::vector<std::uint32_t> starts_;
  std::vector<std::vector<Id>> lists_;
  std::vector<Id> slots_;  // open addressing: id + 1, 0 = empty
};

// MASTER.SCP: one call a line, "#" starts a comment, blanks and CR ignored;
// lines that are no calls are skipped and counted.
struct ScpLoadResult {
  bool read = false;  // false: missing or unreadable (no error)
  int calls = 0;
  int skipped = 0;
};
ScpLoadResult ReadScpCalls(std::string_view content, std::vector<std::string>& calls);
ScpLoadResult ReadScpFile(const std::filesystem::path& file, std::vector<std::string>& calls);

class CallHistory;
// The calls the partial list offers besides the log's, as the program reads
// them at start: those of `scpFile` (empty path: none) and of `history`
// (may be null). The memory the reading needed on the way is given back.
ScpLoadResult BuildReferenceCalls(const std::filesystem::path& scpFile, const CallHistory* history,
                                  CallIndex& index);

// The calls of the log with the bands each was worked on.
class LogCalls {
 public:
  // `reference`: the index whose calls the log's calls are also looked up
  // in (for marking them as worked); may be null. Must outlive this.
  explicit LogCalls(const CallIndex* reference = nullptr) : reference_(reference) {}
  void Clear();
  // One stored QSO. A text that is no call is left out.
  void Add(std::string_view call, BandIndex band);
  // The bulk form for opening a log: `calls` with their bands, any order.
  void Build(const std::vector<std::pair<std::string, BandIndex>>& qsos);

  const CallIndex& index() const { return index_; }
  const CallIndex* reference() const { return reference_; }
  bool WorkedOn(CallIndex::Id id, BandIndex band) const;
  bool ReferenceWorked(CallIndex::Id referenceId) const {
    return referenceId < referenceWorked_.size() && referenceWorked_[referenceId];
  }

 private:
  void Mark(CallIndex::Id id, BandIndex band);
  const CallIndex* reference_;
  CallIndex index_;
  std::vector<std::uint32_t> bands_;  // log id -> bit per band 'a'..'s'
  std::vector<bool> referenceWorked_;
};

struct PartialCall {
  std::string call;
  bool inLog = false;  // a call of the log
  bool dupe = false;   // worked on the band asked about
  bool operator==(const PartialCall&) const = default;
};

// The calls containing `typed` (upper case, from two symbols on): the
// log's calls first, then the reference calls; in each group the call equal
// to `typed` first, the others in alphabetical order; at most `limit`.
std::vector<PartialCall> FindPartialCalls(const LogCalls& log, std::string_view typed, BandIndex band,
                                          std::size_t limit);
// The calls one symbol added, removed or changed away from `typed` (from
// three symbols on) that do not contain it (those the partial list shows),
// the log's calls first, alphabetical; at most `limit`.
std::vector<PartialCall> FindOneOffCalls(const LogCalls& log, std::string_view typed, BandIndex band,
                                         std::size_t limit);

}  // namespace korv
