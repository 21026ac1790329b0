#include "refdata/dxcc_resolver.h"

#include <algorithm>
#include <vector>

#include "common/text.h"
#include "refdata/callsign.h"
#include "refdata/cty_import.h"

namespace korv {
namespace {

namespace pl = prefix_layout;

constexpr std::string_view kCallChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kWildcards = "#?~";

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
  return c >= 'A' && c <= 'Z';
}
bool IsCallChar(char c) {
  return IsDigit(c) || IsLetter(c);
}
bool IsWildcard(char c) {
  return kWildcards.find(c) != std::string_view::npos;
}

bool WildcardAccepts(char wildcard, char c) {
  switch (wildcard) {
    case '#':
      return IsDigit(c);
    case '~':
      return IsLetter(c);
    case '?':
      return IsCallChar(c);
    default:
      return false;
  }
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

KeyString PrefixKey(std::string_view text) {
  KeyString key;
  key.AppendPadded(text, pl::kPrefixCapacity);
  return key;
}

// A text with "/" directly followed by a digit goes to index 3.
bool HasSlashDigit(std::string_view text) {
  const std::size_t slash = text.find('/');
  return slash != std::string_view::npos && slash + 1 < text.size() && IsDigit(text[slash + 1]);
}

KeyString QualifierKey(std::string_view text) {
  const std::size_t slash = text.find('/');
  KeyString key;
  key.AppendPadded(text.substr(0, slash), pl::kPrefixCapacity);
  key.AppendPadded(text.substr(slash + 1, pl::kQualifierCapacity), pl::kQualifierCapacity);
  return key;
}

// Whether the last part of the call marks maritime or aeronautical mobile.
// "/MM" or "/AM" after the call, also before another part ("DL1ABC/MM/1").
bool IsMaritimeOrAir(std::string_view call) {
  std::size_t i = 0;
  bool first = true;
  while (i < call.size()) {
    while (i < call.size() && !IsCallChar(call[i])) ++i;
    const std::size_t start = i;
    while (i < call.size() && IsCallChar(call[i])) ++i;
    if (start == i) break;
    const std::string_view part = call.substr(start, i - start);
    if (!first && (part == "MM" || part == "AM")) return true;
    first = false;
  }
  return false;
}

class Resolver {
 public:
  Resolver(const PrefixFiles& files, const DxccOptions& options, bool interactive, std::string call,
           DayNumber date)
      : files_(files),
        options_(options),
        interactive_(interactive),
        call_(std::move(call)),
        date_(date) {}

  DxccResult Run();

 private:
  enum class MatchKind { kNone, kEntry, kWildcard };
  struct Match {
    MatchKind kind = MatchKind::kNone;
    PrefixRecord record;
    std::string continuation;  // kWildcard: the text with the wildcard put in
  };

  bool DateKnown() const { return date_ > 0; }
  std::optional<PrefixRecord> LookupException(FileBlock* block) const;
  int Search(const std::string& text, const std::string& subject, int depth);
  Match MatchAt(const std::string& t, const std::string& subject) const;
  int Follow(const PrefixRecord& entry, const std::string& matched, const std::string& subject,
             int depth, bool plain);
  std::vector<PrefixRecord> SharedEntries(const std::string& prefix) const;
  static bool Ambiguous(const std::vector<PrefixRecord>& entries);
  int Choose(const std::vector<PrefixRecord>& candidates, const std::string& matched,
             const std::string& subject, int depth);
  void Remember();
  void Complete();

  const PrefixFiles& files_;
  const DxccOptions& options_;
  bool interactive_;
  std::string call_;        // normalised call as given
  std::string searchCall_;  // what the prefix search started with
  DayNumber date_;
  bool forQso_ = true;
  PrefixRecord result_;
  bool choiceOffered_ = false;
  bool cancelled_ = false;  // a cancelled choice ends the whole resolution
};

std::optional<PrefixRecord> Resolver::LookupException(FileBlock* block) const {
  if (block == nullptr) return std::nullopt;
  const std::size_t longest = std::min(call_.size(), pl::kPrefixCapacity);
  for (std::size_t len = longest; len >= 1; --len) {
    const std::string t = call_.substr(0, len);
    if (!block->FindExact(1, PrefixKey(t)).ok()) continue;
    const PrefixRecord rec = PrefixRecord::From(block->Record());
    if (rec.prefix() != t) continue;
    const bool whole = len == call_.size();
    if (!rec.IsCallBeginning() && !whole) continue;
    if (DateKnown() && !PrefixValidAt(rec, date_)) continue;
    return rec;
  }
  return std::nullopt;
}

Resolver::Match Resolver::MatchAt(const std::string& t, const std::string& subject) const {
  FileBlock* block = files_.prefix;
  Match m;
  const std::size_t n = t.size();
  if (n == 0 || n > pl::kPrefixCapacity) return m;
  if (block->FindExact(1, PrefixKey(t)).ok()) {
    m.record = PrefixRecord::From(block->Record());
    if (m.record.prefix() == t) {
      m.kind = MatchKind::kEntry;
      return m;
    }
  }
  const std::string stem = t.substr(0, n - 1);
  const char last = t[n - 1];
  // Ranges: an entry stem + c, c at or below the text's last character.
  if (IsCallChar(last)) {
    for (char c : kCallChars) {
      if (c >= last) break;
      if (!block->FindExact(1, PrefixKey(stem + c)).ok()) continue;
      const PrefixRecord rec = PrefixRecord::From(block->Record());
      const char end = rec.rangeEnd();
      if (rec.prefix() == stem + c && IsCallChar(end) && last <= end) {
        m.kind = MatchKind::kEntry;
        m.record = rec;
        return m;
      }
    }
  }
  // Wildcards at the text's last position, then just after the text.
  const auto tryWildcard = [&](const std::string& base, std::size_t pos) {
    if (pos >= subject.size()) return false;
    for (char w : kWildcards) {
      if (!WildcardAccepts(w, subject[pos])) continue;
      const std::string candidate = base + w;
      if (!block->FindAtLeast(1, KeyString(candidate)).ok()) continue;
      if (!StartsWith(PrefixRecord::From(block->Record()).prefix(), candidate)) continue;
      m.kind = MatchKind::kWildcard;
      m.continuation = candidate;
      return true;
    }
    return false;
  };
  if (!IsWildcard(last) && tryWildcard(stem, n - 1)) return m;
  if (n < pl::kPrefixCapacity && tryWildcard(t, n)) return m;
  m.kind = MatchKind::kNone;
  return m;
}

int Resolver::Search(const std::string& text, const std::string& subject, int depth) {
  if (depth > kMaxNestedSearches || text.empty()) return kDxccUnresolved;
  std::string t = text;
  while (!t.empty()) {
    if (HasSlashDigit(t)) {
      if (files_.prefix->FindExact(3, QualifierKey(t)).ok()) {
        const PrefixRecord rec = PrefixRecord::From(files_.prefix->Record());
        return Follow(rec, rec.prefix(), subject, depth, /*plain=*/false);
      }
    } else {
      const Match m = MatchAt(t, subject);
      if (m.kind == MatchKind::kEntry) return Follow(m.record, t, subject, depth, /*plain=*/true);
      if (m.kind == MatchKind::kWildcard) {
        const int r = Search(m.continuation, subject, depth + 1);
        if (r != kDxccUnresolved || cancelled_) return r;
      }
    }
    t.pop_back();
  }
  return kDxccUnresolved;
}

int Resolver::Follow(const PrefixRecord& entry, const std::string& matched,
                     const std::string& subject, int depth, bool plain) {
  if (plain) {
    const std::vector<PrefixRecord> shared = SharedEntries(entry.prefix());
    if (Ambiguous(shared)) return Choose(shared, matched, subject, depth);
  }
  const std::string second = entry.secondPeriodPrefix();
  if (!second.empty() && DateKnown() && entry.secondPeriodDate() >= date_) {
    return Search(second, second, depth + 1);
  }
  const std::string first = entry.firstPeriodPrefix();
  if (first.empty() || !DateKnown() || entry.firstPeriodDate() < date_) {
    result_ = entry;
    if (DateKnown() && !PrefixValidAt(entry, date_)) return kDxccNotValid;
    const std::string reference = entry.referencePrefix();
    if (reference.empty()) {
      result_.SetPrefix(matched);  // a range match stands for the matched text
      return kDxccResolved;
    }
    const std::string via = reference + subject.substr(std::min(matched.size(), subject.size()));
    const int r = Search(via, via, depth + 1);
    if (r == kDxccResolved) result_.SetPrefix(matched);
    return r;
  }
  std::string period = first;
  if (period == "RA" && searchCall_.size() > 2 && IsDigit(searchCall_[2])) {
    period += searchCall_[2];
  }
  return Search(period, period, depth + 1);
}

std::vector<PrefixRecord> Resolver::SharedEntries(const std::string& prefix) const {
  std::vector<PrefixRecord> entries;
  FileBlock* block = files_.prefix;
  if (block->FindAtLeast(3, PrefixKey(prefix)).ok()) {
    do {
      const PrefixRecord rec = PrefixRecord::From(block->Record());
      if (rec.prefix() != prefix) break;
      entries.push_back(rec);
    } while (entries.size() < kMaxPrefixChoices && block->MoveNext(3).ok());
  }
  return entries;
}

bool Resolver::Ambiguous(const std::vector<PrefixRecord>& entries) {
  for (const PrefixRecord& rec : entries) {
    if (!rec.qualifier().empty() || rec.dxccPrefix() != entries.front().dxccPrefix()) return true;
  }
  return false;
}

int Resolver::Choose(const std::vector<PrefixRecord>& candidates, const std::string& matched,
                     const std::string& subject, int depth) {
  if (interactive_ && options_.chooser != nullptr) {
    choiceOffered_ = true;
    PrefixChoiceRequest request;
    request.candidates = candidates;
    request.call = call_;
    request.qsoDate = date_;
    request.forQso = forQso_;
    const std::optional<std::size_t> chosen = options_.chooser->ChoosePrefix(request);
    if (!chosen || *chosen >= candidates.size()) {
      cancelled_ = true;
      return kDxccUnresolved;
    }
    const int r = Follow(candidates[*chosen], matched, subject, depth, /*plain=*/false);
    if (r == kDxccResolved) Remember();
    return r;
  }
  // No dialog: the entry without qualifier stands for the prefix. (A text
  // after "/" in the call has already been resolved as a designator.)
  const PrefixRecord* pick = nullptr;
  for (const PrefixRecord& rec : candidates) {
    if (rec.qualifier().empty()) {
      pick = &rec;
      break;
    }
  }
  if (pick == nullptr) return kDxccUnresolved;
  return Follow(*pick, matched, subject, depth, /*plain=*/false);
}

void Resolver::Remember() {
  FileBlock* ee = files_.exceptionsEe;
  if (ee == nullptr || call_.size() <= 3 || call_.size() > pl::kPrefixCapacity) return;
  if (ee->FindExact(1, PrefixKey(call_)).ok()) return;
  ee->ClearRecordBuffer();
  PrefixRecord rec = result_;
  rec.SetPrefix(call_);
  rec.SetCallBeginningMark(' ');
  const Bytes buffer = ee->Record();
  std::copy(rec.bytes().begin() + 4, rec.bytes().end(), buffer.begin() + 4);
  if (ee->InsertRecord().ok()) (void)ee->Flush();
}

void Resolver::Complete() {
  std::string p = result_.prefix();
  if (!p.empty() && p.back() == '-') p.pop_back();
  for (char w : std::string_view("?#~")) {
    const std::size_t pos = p.find(w);
    if (pos == std::string::npos) continue;
    if (pos < searchCall_.size()) {
      p[pos] = searchCall_[pos];
    } else {
      p.erase(pos, 1);
    }
    break;
  }
  if ((p.size() == 1 || p.size() == 2) && !IsDigit(p.back()) && StartsWith(searchCall_, p) &&
      searchCall_.size() > p.size() && IsDigit(searchCall_[p.size()])) {
    p += searchCall_[p.size()];
  }
  result_.SetPrefix(p);
}

DxccResult Resolver::Run() {
  DxccResult out;
  FileBlock* prefix = files_.prefix;
  forQso_ = date_ > 0;
  if (!DateKnown()) date_ = options_.today;
  if (call_.empty()) {
    prefix->ClearRecordBuffer();
    return out;
  }
  for (FileBlock* block : {files_.exceptionsEe, files_.exceptionsEs}) {
    if (const std::optional<PrefixRecord> rec = LookupException(block)) {
      rec->CopyTo(prefix->Record());
      out.result = kDxccResolved;
      return out;
    }
  }
  if (files_.longCalls != nullptr) {
    if (const PrefixRecord* rec = files_.longCalls->Find(call_)) {
      rec->CopyTo(prefix->Record());
      out.result = kDxccResolved;
      return out;
    }
  }
  if (IsMaritimeOrAir(call_)) {
    prefix->ClearRecordBuffer();
    out.result = kDxccNoEntity;
    return out;
  }
  int r = kDxccUnresolved;
  bool searched = false;
  {
    const bool plainCall =
        std::all_of(call_.begin(), call_.end(), [](char c) { return IsCallChar(c); });
    const std::size_t slash = call_.find('/');
    std::string special;
    if (slash != std::string::npos) {
      const std::size_t next = call_.find('/', slash + 1);
      special = SpecialDesignatorCall(
          call_.substr(0, slash),
          call_.substr(slash + 1,
                       next == std::string::npos ? std::string::npos : next - slash - 1));
    }
    if (plainCall) {
      searchCall_ = call_;
    } else if (!special.empty()) {
      searchCall_ = special;
    } else {
      if (HasSlashDigit(call_) && prefix->FindExact(3, QualifierKey(call_)).ok()) {
        searchCall_ = call_;
        const PrefixRecord rec = PrefixRecord::From(prefix->Record());
        r = Follow(rec, rec.prefix(), call_, 1, /*plain=*/false);
      }
      if (r == kDxccUnresolved) {
        const std::string designator = BaseCall(call_, CallPart::kDesignator);
        const std::string base = BaseCall(call_, CallPart::kBaseCall);
        searchCall_ = designator.empty() ? base : designator;
        r = Search(searchCall_, searchCall_, 1);
        // A designator that names no country leaves the call's own.
        if (r == kDxccUnresolved && !designator.empty() && !base.empty()) {
          searchCall_ = base;
          r = Search(searchCall_, searchCall_, 1);
        }
        searched = true;
      }
    }
    if (r == kDxccUnresolved && !searched) r = Search(searchCall_, searchCall_, 1);
  }
  out.result = r;
  out.choiceOffered = choiceOffered_;
  if (r == kDxccResolved) Complete();
  if (r == kDxccUnresolved) {
    prefix->ClearRecordBuffer();
  } else {
    result_.CopyTo(prefix->Record());
  }
  return out;
}

}  // namespace

bool PrefixValidAt(const PrefixRecord& record, DayNumber date) {
  if (record.validFrom() != 0 && date < record.validFrom()) return false;
  if (record.validUntil() != 0 && date > record.validUntil()) return false;
  return true;
}

DxccResult ResolveDxcc(std::string_view call, DayNumber qsoDate, bool interactive,
                       const PrefixFiles& files, const DxccOptions& options) {
  if (files.prefix == nullptr) return {};
  std::string normalised;
  for (char ch : TrimBlanksTabsView(call)) {
    normalised.push_back((ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch);
  }
  Resolver resolver(files, options, interactive, std::move(normalised), qsoDate);
  return resolver.Run();
}

DxccLine ResolveDxccLine(std::string_view call, DayNumber date, const PrefixFiles& files,
                         DayNumber today) {
  DxccOptions options;
  options.today = today;
  std::string shown;
  for (char ch : TrimBlanksTabsView(call)) {
    shown.push_back((ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch);
  }
  DxccLine line;
  line.result = ResolveDxcc(call, date, /*interactive=*/false, files, options).result;
  if (line.result == kDxccNoEntity) {
    line.text = shown + "  none  maritime or aeronautical mobile: no DXCC entity";
    return line;
  }
  if (line.result != kDxccResolved) {
    line.text = shown + "  unresolved";
    return line;
  }
  const PrefixRecord rec = PrefixRecord::From(files.prefix->Record());
  line.text = shown + "  " + rec.dxccPrefix() + "  " + rec.continent() + "  " + rec.cqZone() +
              "  " + rec.ituZone() + "  " + std::to_string(rec.entityNumber()) + "  " +
              rec.country();
  return line;
}

}  // namespace korv
