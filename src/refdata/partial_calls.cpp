#include "refdata/partial_calls.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <malloc.h>

#include "common/cp1252.h"
#include "common/text.h"
#include "refdata/call_history.h"

namespace korv {
namespace {

constexpr int kSymbols = 37;
constexpr std::size_t kBigrams = kSymbols * kSymbols;
constexpr std::size_t kGrams = kBigrams + kBigrams * kSymbols;
constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/";
static_assert(kAlphabet.size() == kSymbols);

int Symbol(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= '0' && c <= '9') return 26 + (c - '0');
  if (c == '/') return 36;
  return -1;
}

std::size_t Bigram(std::string_view s, std::size_t i) {
  return static_cast<std::size_t>(Symbol(s[i]) * kSymbols + Symbol(s[i + 1]));
}

std::size_t Trigram(std::string_view s, std::size_t i) {
  return kBigrams + Bigram(s, i) * kSymbols + static_cast<std::size_t>(Symbol(s[i + 2]));
}

std::size_t HashOf(std::string_view call) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (char c : call) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

std::uint32_t BandBit(BandIndex band) { return IsBand(band) ? 1u << (band - 'a') : 0u; }

}  // namespace

// --- CallIndex ---------------------------------------------------------------------

namespace {

// The distinct grams of a call, sorted; their number.
std::size_t GramsOf(std::string_view call, std::array<std::size_t, 2 * CallIndex::kMaxCallLength>& grams) {
  std::size_t n = 0;
  for (std::size_t i = 0; i + 1 < call.size(); ++i) grams[n++] = Bigram(call, i);
  for (std::size_t i = 0; i + 2 < call.size(); ++i) grams[n++] = Trigram(call, i);
  std::sort(grams.begin(), grams.begin() + static_cast<std::ptrdiff_t>(n));
  return static_cast<std::size_t>(std::unique(grams.begin(), grams.begin() + static_cast<std::ptrdiff_t>(n)) -
                                  grams.begin());
}

// Sorts and deduplicates calls. A call's first eight symbols packed into a
// number decide nearly every comparison (a text compare only on a tie).
void SortCalls(std::vector<std::string_view>& calls) {
  struct Keyed {
    std::uint64_t prefix;
    std::string_view call;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(calls.size());
  for (std::string_view c : calls) {
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
      prefix = (prefix << 8) | (i < c.size() ? static_cast<unsigned char>(c[i]) : 0u);
    }
    keyed.push_back({prefix, c});
  }
  auto before = [](const Keyed& a, const Keyed& b) {
    return a.prefix != b.prefix ? a.prefix < b.prefix : a.call < b.call;
  };
  // MASTER.SCP comes sorted but for a few calls at its end, and the call
  // history follows it: sort what follows the sorted run and merge.
  const auto run = std::is_sorted_until(keyed.begin(), keyed.end(), before);
  std::sort(run, keyed.end(), before);
  std::inplace_merge(keyed.begin(), run, keyed.end(), before);
  calls.clear();
  for (const Keyed& k : keyed) {
    if (calls.empty() || calls.back() != k.call) calls.push_back(k.call);
  }
}

std::size_t SlotCapacity(std::size_t calls) {
  std::size_t capacity = 1024;
  while (capacity < calls + calls / 2) capacity *= 2;
  return capacity;
}

}  // namespace

bool CallIndex::IsIndexable(std::string_view call) {
  if (call.empty() || call.size() > kMaxCallLength) return false;
  return std::all_of(call.begin(), call.end(), [](char c) { return Symbol(c) >= 0; });
}

void CallIndex::Build(std::vector<std::string_view> calls, bool growable) {
  std::erase_if(calls, [](std::string_view c) { return !IsIndexable(c); });
  SortCalls(calls);
  std::size_t bytes = 0;
  for (std::string_view c : calls) bytes += c.size();
  text_.clear();
  text_.reserve(bytes);
  offsets_.clear();
  offsets_.reserve(calls.size() + 1);
  offsets_.push_back(0);
  slots_.assign(SlotCapacity(calls.size()), 0);
  const std::size_t mask = slots_.size() - 1;
  for (std::string_view c : calls) {
    const Id id = static_cast<Id>(size());
    text_.append(c);
    offsets_.push_back(static_cast<std::uint32_t>(text_.size()));
    std::size_t slot = HashOf(c) & mask;  // the calls are distinct: the first free slot
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = id + 1;
  }
  // The lists in one block: the grams of every call in id (alphabetical)
  // order, counted, then filled in.
  std::array<std::size_t, 2 * kMaxCallLength> grams{};
  std::vector<std::uint32_t> callGrams;  // per call: its grams
  std::vector<std::uint32_t> callGramEnd(size());
  callGrams.reserve(bytes * 2);
  starts_.assign(kGrams + 1, 0);
  for (Id id = 0; id < size(); ++id) {
    const std::size_t n = GramsOf(Call(id), grams);
    for (std::size_t i = 0; i < n; ++i) {
      ++starts_[grams[i] + 1];
      callGrams.push_back(static_cast<std::uint32_t>(grams[i]));
    }
    callGramEnd[id] = static_cast<std::uint32_t>(callGrams.size());
  }
  for (std::size_t g = 0; g < kGrams; ++g) starts_[g + 1] += starts_[g];
  postings_.resize(starts_[kGrams]);
  std::vector<std::uint32_t> fill(starts_.begin(), starts_.end() - 1);
  std::size_t k = 0;
  for (Id id = 0; id < size(); ++id) {
    for (; k < callGramEnd[id]; ++k) postings_[fill[callGrams[k]]++] = id;
  }
  growable_ = false;
  lists_.clear();
  lists_.shrink_to_fit();
  if (growable) MakeGrowable();
}

void CallIndex::MakeGrowable() {
  if (growable_) return;
  lists_.assign(kGrams, {});
  if (!starts_.empty()) {
    for (std::size_t g = 0; g < kGrams; ++g) {
      lists_[g].assign(postings_.begin() + starts_[g], postings_.begin() + starts_[g + 1]);
    }
  }
  postings_.clear();
  postings_.shrink_to_fit();
  starts_.clear();
  starts_.shrink_to_fit();
  growable_ = true;
}

CallIndex::Id CallIndex::Add(std::string_view call) {
  if (!IsIndexable(call)) return kNone;
  if (const Id known = Find(call); known != kNone) return known;
  MakeGrowable();
  if (lists_.empty()) lists_.resize(kGrams);
  if (SlotCapacity(size() + 1) > slots_.size()) Rehash(SlotCapacity(size() + 1));
  const Id id = static_cast<Id>(size());
  text_.append(call);
  offsets_.push_back(static_cast<std::uint32_t>(text_.size()));
  slots_[Slot(call)] = id + 1;
  InsertInLists(id);
  return id;
}

CallIndex::Id CallIndex::Find(std::string_view call) const {
  if (slots_.empty()) return kNone;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = HashOf(call) & mask;; i = (i + 1) & mask) {
    const Id stored = slots_[i];
    if (stored == 0) return kNone;
    if (Call(stored - 1) == call) return stored - 1;
  }
}

std::size_t CallIndex::Slot(std::string_view call) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = HashOf(call) & mask;
  while (slots_[i] != 0 && Call(slots_[i] - 1) != call) i = (i + 1) & mask;
  return i;
}

void CallIndex::Rehash(std::size_t capacity) {
  slots_.assign(capacity, 0);
  for (Id id = 0; id < size(); ++id) slots_[Slot(Call(id))] = id + 1;
}

void CallIndex::InsertInLists(Id id) {
  std::array<std::size_t, 2 * kMaxCallLength> grams{};
  const std::size_t n = GramsOf(Call(id), grams);
  for (std::size_t i = 0; i < n; ++i) {
    std::vector<Id>& list = lists_[grams[i]];
    list.insert(std::lower_bound(list.begin(), list.end(), id, [this](Id a, Id b) { return Before(a, b); }), id);
  }
}

std::span<const CallIndex::Id> CallIndex::List(std::size_t gram) const {
  if (growable_) return lists_.empty() ? std::span<const Id>() : std::span<const Id>(lists_[gram]);
  return std::span<const Id>(postings_.data() + starts_[gram], starts_[gram + 1] - starts_[gram]);
}

std::span<const CallIndex::Id> CallIndex::ShortestList(std::string_view fragment) const {
  if (fragment.size() < 2 || !IsIndexable(fragment) || (growable_ && lists_.empty())) return {};
  if (fragment.size() == 2) return List(Bigram(fragment, 0));
  std::span<const Id> best;
  for (std::size_t i = 0; i + 2 < fragment.size(); ++i) {
    const std::span<const Id> list = List(Trigram(fragment, i));
    if (i == 0 || list.size() < best.size()) best = list;
  }
  return best;
}

std::size_t CallIndex::MemoryBytes() const {
  std::size_t bytes = text_.capacity() + offsets_.capacity() * sizeof(std::uint32_t) +
                      slots_.capacity() * sizeof(Id) + postings_.capacity() * sizeof(Id) +
                      starts_.capacity() * sizeof(std::uint32_t) + lists_.capacity() * sizeof(std::vector<Id>);
  for (const std::vector<Id>& list : lists_) bytes += list.capacity() * sizeof(Id);
  return bytes;
}

// --- MASTER.SCP --------------------------------------------------------------------

ScpLoadResult ReadScpCalls(std::string_view content, std::vector<std::string>& calls) {
  ScpLoadResult result;
  result.read = true;
  calls.reserve(calls.size() + content.size() / 6);
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t lf = content.find('\n', start);
    const std::string_view line =
        content.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
    start = lf == std::string_view::npos ? content.size() : lf + 1;
    std::string_view call = TrimBlanksTabsView(line);
    while (!call.empty() && (call.back() == '\r' || call.back() == ' ' || call.back() == '\t')) call.remove_suffix(1);
    if (call.empty() || call.front() == '#') continue;
    std::string upper = UpperCaseAsciiUmlauts(call);
    if (!CallIndex::IsIndexable(upper)) {
      ++result.skipped;
      continue;
    }
    calls.push_back(std::move(upper));
    ++result.calls;
  }
  return result;
}

ScpLoadResult ReadScpFile(const std::filesystem::path& file, std::vector<std::string>& calls) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) return {};
  const std::streamoff size = in.tellg();
  // MASTER.SCP holds some 600 kB; anything past 64 MB is no call list.
  if (size < 0 || size > (std::streamoff{64} << 20)) return {};
  std::string content(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(content.data(), size)) return {};
  return ReadScpCalls(content, calls);
}

ScpLoadResult BuildReferenceCalls(const std::filesystem::path& scpFile, const CallHistory* history,
                                  CallIndex& index) {
  ScpLoadResult result;
  {
    std::vector<std::string> calls;
    if (!scpFile.empty()) result = ReadScpFile(scpFile, calls);
    std::vector<std::string_view> all(calls.begin(), calls.end());
    if (history != nullptr) history->ForEachCall([&all](const std::string& call) { all.push_back(call); });
    index.Build(std::move(all));
  }
  // The call texts and the sorting took some megabytes for a moment; the
  // index keeps what it needs.
  (void)malloc_trim(0);
  return result;
}

// --- LogCalls ----------------------------------------------------------------------

void LogCalls::Clear() {
  index_.Build(std::vector<std::string_view>{}, true);
  bands_.clear();
  referenceWorked_.clear();
}

void LogCalls::Mark(CallIndex::Id id, BandIndex band) {
  if (id == CallIndex::kNone) return;
  if (bands_.size() <= id) bands_.resize(index_.size(), 0);
  bands_[id] |= BandBit(band);
  if (reference_ == nullptr) return;
  const CallIndex::Id rid = reference_->Find(index_.Call(id));
  if (rid == CallIndex::kNone) return;
  if (referenceWorked_.size() <= rid) referenceWorked_.resize(reference_->size(), false);
  referenceWorked_[rid] = true;
}

void LogCalls::Add(std::string_view call, BandIndex band) { Mark(index_.Add(call), band); }

void LogCalls::Build(const std::vector<std::pair<std::string, BandIndex>>& qsos) {
  std::vector<std::string_view> calls;
  calls.reserve(qsos.size());
  for (const auto& q : qsos) calls.push_back(q.first);
  index_.Build(std::move(calls), true);
  bands_.assign(index_.size(), 0);
  referenceWorked_.clear();
  for (const auto& [call, band] : qsos) Mark(index_.Find(call), band);
}

bool LogCalls::WorkedOn(CallIndex::Id id, BandIndex band) const {
  return id < bands_.size() && (bands_[id] & BandBit(band)) != 0;
}

// --- the lists ---------------------------------------------------------------------

std::vector<PartialCall> FindPartialCalls(const LogCalls& log, std::string_view typed, BandIndex band,
                                          std::size_t limit) {
  std::vector<PartialCall> found;
  if (limit == 0 || typed.size() < 2 || !CallIndex::IsIndexable(typed)) return found;
  const CallIndex& own = log.index();
  const CallIndex::Id exact = own.Find(typed);
  if (exact != CallIndex::kNone) found.push_back({std::string(typed), true, log.WorkedOn(exact, band)});
  if (found.size() < limit) {
    own.ForEachContaining(typed, [&](CallIndex::Id id) {
      if (id == exact) return true;
      found.push_back({std::string(own.Call(id)), true, log.WorkedOn(id, band)});
      return found.size() < limit;
    });
  }
  const CallIndex* reference = log.reference();
  if (reference == nullptr || found.size() >= limit) return found;
  const CallIndex::Id refExact = reference->Find(typed);
  if (refExact != CallIndex::kNone && !log.ReferenceWorked(refExact)) found.push_back({std::string(typed)});
  if (found.size() >= limit) return found;
  reference->ForEachContaining(typed, [&](CallIndex::Id id) {
    if (id == refExact || log.ReferenceWorked(id)) return true;
    found.push_back({std::string(reference->Call(id))});
    return found.size() < limit;
  });
  return found;
}

std::vector<PartialCall> FindOneOffCalls(const LogCalls& log, std::string_view typed, BandIndex band,
                                         std::size_t limit) {
  std::vector<PartialCall> ownCalls;
  std::vector<PartialCall> others;
  if (limit == 0 || typed.size() < 3 || !CallIndex::IsIndexable(typed)) return ownCalls;
  const CallIndex& own = log.index();
  const CallIndex* reference = log.reference();
  std::array<char, CallIndex::kMaxCallLength + 1> buffer{};
  auto consider = [&](std::size_t length) {
    const std::string_view v(buffer.data(), length);
    if (v.find(typed) != std::string_view::npos) return;  // shown by the partial list
    if (const CallIndex::Id id = own.Find(v); id != CallIndex::kNone) {
      ownCalls.push_back({std::string(v), true, log.WorkedOn(id, band)});
    } else if (reference != nullptr && reference->Find(v) != CallIndex::kNone) {
      others.push_back({std::string(v)});
    }
  };
  const std::size_t n = typed.size();
  // One symbol changed.
  for (std::size_t i = 0; i < n; ++i) {
    std::copy(typed.begin(), typed.end(), buffer.begin());
    for (char s : kAlphabet) {
      if (s == typed[i]) continue;
      buffer[i] = s;
      consider(n);
    }
  }
  // One symbol added (inside: added at either end, the call contains the typed text).
  if (n + 1 <= CallIndex::kMaxCallLength) {
    for (std::size_t i = 1; i < n; ++i) {
      std::copy(typed.begin(), typed.begin() + static_cast<std::ptrdiff_t>(i), buffer.begin());
      std::copy(typed.begin() + static_cast<std::ptrdiff_t>(i), typed.end(), buffer.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      for (char s : kAlphabet) {
        buffer[i] = s;
        consider(n + 1);
      }
    }
  }
  // One symbol removed.
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t k = 0;
    for (std::size_t j = 0; j < n; ++j) {
      if (j != i) buffer[k++] = typed[j];
    }
    consider(n - 1);
  }
  auto tidy = [](std::vector<PartialCall>& calls) {
    std::sort(calls.begin(), calls.end(), [](const PartialCall& a, const PartialCall& b) { return a.call < b.call; });
    calls.erase(std::unique(calls.begin(), calls.end()), calls.end());
  };
  tidy(ownCalls);
  tidy(others);
  ownCalls.insert(ownCalls.end(), others.begin(), others.end());
  if (ownCalls.size() > limit) ownCalls.resize(limit);
  return ownCalls;
}

}  // namespace korv
