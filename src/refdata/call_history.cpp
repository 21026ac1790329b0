#include "refdata/call_history.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "common/cp1252.h"
#include "common/text.h"
#include "refdata/callsign.h"

namespace korv {
namespace {

constexpr std::size_t kMaxDokLength = 8;

std::string Upper(std::string_view text) { return UpperCaseAsciiUmlauts(TrimBlanksTabsView(text)); }

bool IsCall(std::string_view call) {
  if (call.empty()) return false;
  for (char c : call) {
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/')) return false;
  }
  return true;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

// The columns of the call and the DOK.
struct Columns {
  std::size_t call = 0;
  std::size_t dok = 1;
};

// A header line "!!Order!!,Call,Exch1,...": the columns it names; nullopt
// when it names no call or no DOK column.
std::optional<Columns> HeaderColumns(std::string_view line) {
  const std::vector<std::string_view> names = Fields(line);
  std::optional<std::size_t> call;
  std::optional<std::size_t> dok;
  // "!!Order!!" stands above nothing: the first name is that of the data
  // lines' first column.
  for (std::size_t i = 1; i < names.size(); ++i) {
    const std::string name(TrimBlanksTabsView(names[i]));
    if (name == "Call" || name == "CALL") call = i - 1;
    if (!dok && (name == "Exch1" || name == "EXCH1" || name == "DOK" || name == "Dok")) dok = i - 1;
  }
  if (!call || !dok) return std::nullopt;
  return Columns{*call, *dok};
}

}  // namespace

CallHistory::LoadResult CallHistory::Load(std::string_view raw, bool overrides) {
  LoadResult result;
  result.read = true;
  std::string converted;
  if (IsValidUtf8(raw)) {
    converted = Utf8ToCp1252(raw);
    raw = converted;
  }
  Columns columns;
  bool first = true;
  std::size_t start = 0;
  while (start < raw.size()) {
    const std::size_t lf = raw.find('\n', start);
    std::string_view line = raw.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
    start = lf == std::string_view::npos ? raw.size() : lf + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view trimmed = TrimBlanksTabsView(line);
    if (trimmed.empty() || trimmed.front() == '#') continue;
    if (first && trimmed.starts_with("!!Order!!")) {
      first = false;
      if (const std::optional<Columns> named = HeaderColumns(trimmed)) {
        columns = *named;
      } else {
        ++result.skipped;  // a header without call or DOK: nothing can be read
        columns = Columns{static_cast<std::size_t>(-1), static_cast<std::size_t>(-1)};
      }
      continue;
    }
    first = false;
    const std::vector<std::string_view> fields = Fields(trimmed);
    if (columns.call >= fields.size() || columns.dok >= fields.size()) {
      ++result.skipped;
      continue;
    }
    const std::string call = Upper(fields[columns.call]);
    const std::string dok = Upper(fields[columns.dok]);
    if (!IsCall(call) || dok.empty() || dok.size() > kMaxDokLength) {
      ++result.skipped;
      continue;
    }
    ++result.calls;
    knownDoks_.insert(dok);
    if (overrides) {
      doks_.insert_or_assign(call, dok);
    } else {
      doks_.try_emplace(call, dok);
    }
  }
  return result;
}

CallHistory::LoadResult CallHistory::LoadFile(const std::filesystem::path& file, bool overrides) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return {};
  return Load(content, overrides);
}

std::string CallHistory::DokOf(std::string_view call) const {
  const std::string key = Upper(call);
  if (key.empty()) return {};
  if (const auto it = doks_.find(key); it != doks_.end()) return it->second;
  const std::string base = BaseCall(key, CallPart::kBaseCall);
  if (base != key) {
    if (const auto it = doks_.find(base); it != doks_.end()) return it->second;
  }
  return {};
}

bool CallHistory::KnowsDok(std::string_view dok) const { return knownDoks_.contains(Upper(dok)); }

}  // namespace korv
