#include "refdata/cty_import.h"

#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "common/cp1252.h"
#include "common/text.h"
#include "refdata/prefix_record.h"

namespace korv {
namespace {

namespace pl = prefix_layout;

constexpr int kProgressStep = 32;

struct Line {
  std::string primary;  // without "*", upper case
  bool waeOnly = false;
  std::string country;
  int number = 0;
  std::string continent;
  std::string cq;
  std::string itu;
  std::string entries;
};

std::vector<std::string_view> SplitOn(std::string_view text, char sep) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t pos = text.find(sep, start);
    parts.push_back(text.substr(start, pos == std::string_view::npos ? pos : pos - start));
    if (pos == std::string_view::npos) return parts;
    start = pos + 1;
  }
}

bool IsContinent(std::string_view text) {
  for (std::string_view c : {"AF", "AN", "AS", "EU", "NA", "OC", "SA"}) {
    if (text == c) return true;
  }
  return false;
}

// Upper-cased; empty when a character other than A-Z, 0-9 or "/" occurs.
std::string CallText(std::string_view text) {
  std::string out;
  for (char ch : text) {
    const char c = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/')) return {};
    out.push_back(c);
  }
  return out;
}

std::optional<Line> ParseLine(std::string_view text) {
  const std::vector<std::string_view> f = SplitOn(text, ',');
  if (f.size() != 10) return std::nullopt;
  Line line;
  std::string_view primary = TrimBlanksTabsView(f[0]);
  if (!primary.empty() && primary.front() == '*') {
    line.waeOnly = true;
    primary.remove_prefix(1);
  }
  line.primary = CallText(primary);
  line.country = TrimBlanksTabs(f[1]);
  const std::optional<int> number = ParseWholeNumber(f[2], 1, 65535);
  line.continent = TrimBlanksTabs(f[3]);
  const std::optional<int> cq = ParseWholeNumber(f[4], 1, 40);
  const std::optional<int> itu = ParseWholeNumber(f[5], 1, 90);
  if (line.primary.empty() || line.country.empty() || !number || !IsContinent(line.continent) ||
      !cq || !itu) {
    return std::nullopt;
  }
  line.number = *number;
  line.cq = std::to_string(*cq);
  line.itu = std::to_string(*itu);
  std::string_view entries = TrimBlanksTabsView(f[9]);
  if (!entries.empty() && entries.back() == ';') entries.remove_suffix(1);
  line.entries = std::string(entries);
  return line;
}

// One entry of a line with its overrides applied.
struct Entry {
  bool exactCall = false;
  std::string text;
  std::string cq;
  std::string itu;
  std::string continent;
};

// nullopt when the entry does not parse.
std::optional<Entry> ParseEntry(std::string_view item, const Line& line) {
  Entry e{false, {}, line.cq, line.itu, line.continent};
  if (!item.empty() && item.front() == '=') {
    e.exactCall = true;
    item.remove_prefix(1);
  }
  const std::size_t overrides = item.find_first_of("([<{~");
  e.text = CallText(item.substr(0, overrides));
  if (e.text.empty()) return std::nullopt;
  std::string_view rest =
      overrides == std::string_view::npos ? std::string_view() : item.substr(overrides);
  while (!rest.empty()) {
    const char open = rest.front();
    const char close = open == '('   ? ')'
                       : open == '[' ? ']'
                       : open == '<' ? '>'
                       : open == '{' ? '}'
                       : open == '~' ? '~'
                                     : '\0';
    const std::size_t end = close == '\0' ? std::string_view::npos : rest.find(close, 1);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view value = rest.substr(1, end - 1);
    switch (open) {
      case '(': {
        const std::optional<int> cq = ParseWholeNumber(value, 1, 40);
        if (!cq) return std::nullopt;
        e.cq = std::to_string(*cq);
        break;
      }
      case '[': {
        const std::optional<int> itu = ParseWholeNumber(value, 1, 90);
        if (!itu) return std::nullopt;
        e.itu = std::to_string(*itu);
        break;
      }
      case '{':
        if (!IsContinent(value)) return std::nullopt;
        e.continent = std::string(value);
        break;
      default:  // <lat/lon>, ~offset~: no field to hold them
        break;
    }
    rest.remove_prefix(end + 1);
  }
  return e;
}

class Importer {
 public:
  Importer(FileBlock& prefix, FileBlock& es, const CtyImportOptions& options)
      : prefix_(&prefix), es_(&es), options_(options) {}
  // Reads only: the exact calls too long for the files go to `longCalls`.
  Importer(LongExactCalls& longCalls, const CtyImportOptions& options) : options_(options), longCalls_(&longCalls) {}

  CtyImportResult Run(std::string_view content);

 private:
  bool Clear(FileBlock& block);
  bool Write(const Entry& e, const Line& line, const Line& entity);
  void Fail(std::string_view what, const Status& st) {
    result_.ok = false;
    result_.error = std::string(what) + " (storage error " + std::to_string(st.code) + ")";
  }

  FileBlock* prefix_ = nullptr;
  FileBlock* es_ = nullptr;
  const CtyImportOptions& options_;
  LongExactCalls* longCalls_ = nullptr;
  CtyImportResult result_;
};

PrefixRecord EntryRecord(const std::string& text, const Entry& e, const Line& line, const Line& entity) {
  PrefixRecord rec;
  rec.SetPrefix(text);
  rec.SetDxccPrefix(entity.primary);
  rec.SetCqZone(e.cq);
  rec.SetItuZone(e.itu);
  rec.SetContinent(e.continent);
  rec.SetCountry(line.country);
  rec.SetEntityNumber(static_cast<std::uint16_t>(line.number));
  rec.SetAltDxccPrefix(line.primary);
  rec.SetRangeEnd(' ');
  rec.SetKind(' ');
  rec.SetCallBeginningMark(' ');
  return rec;
}

bool Importer::Clear(FileBlock& block) {
  while (block.MoveFirst(1).ok()) {
    const Status st = block.RemoveRecord(RemoveMode::kNone);
    if (!st.ok()) {
      Fail("cannot empty " + block.LogicalName(), st);
      return false;
    }
  }
  return true;
}

bool Importer::Write(const Entry& e, const Line& line, const Line& entity) {
  if (e.text.size() > pl::kPrefixCapacity) {
    ++result_.tooLong;
    if (e.exactCall) {
      ++result_.longExactCalls;
      if (longCalls_ != nullptr) longCalls_->Add(e.text, EntryRecord(e.text.substr(0, pl::kPrefixCapacity), e, line, entity));
    }
    return true;
  }
  if (prefix_ == nullptr) return true;  // reading only
  FileBlock& block = e.exactCall ? *es_ : *prefix_;
  block.ClearRecordBuffer();
  const PrefixRecord rec = EntryRecord(e.text, e, line, entity);
  if (!e.exactCall && !options_.replace) {
    // A repeated import: the same prefix for the same country is there.
    KeyString key;
    BuildPrefixKey(rec.span(), 2, key);
    if (prefix_->FindExact(2, key).ok()) {
      ++result_.duplicates;
      return true;
    }
    block.ClearRecordBuffer();
  }
  rec.CopyTo(block.Record());
  const Status st = block.InsertRecord();
  if (st.code == err::kKeyExists) {
    ++result_.duplicates;
    return true;
  }
  if (!st.ok()) {
    Fail("cannot write " + e.text, st);
    return false;
  }
  ++result_.taken;
  ++(e.exactCall ? result_.exactCallsTaken : result_.prefixesTaken);
  return true;
}

struct DesignatorAlias {
  std::string_view file;  // the country file's primary
  std::string_view call;  // the designator as SpecialDesignatorCall forms it
};
constexpr DesignatorAlias kDesignatorAliases[] = {
    {"FT/G", "FR/G"},  {"FT/J", "FR/J"},  {"FT/J", "FR/E"}, {"FT/J", "FR/B"}, {"FT/T", "FR/T"},
    {"E5/N", "ZK1/N"}, {"E5/S", "ZK1/S"}, {"GM/S", "GM/SH"},
};

CtyImportResult Importer::Run(std::string_view raw) {
  std::string converted;
  if (IsValidUtf8(raw)) {
    converted = Utf8ToCp1252(raw);
    raw = converted;
  }
  std::vector<std::string_view> lines = SplitOn(raw, '\n');
  std::vector<std::optional<Line>> parsed;
  parsed.reserve(lines.size());
  std::map<int, const Line*> entities;  // number -> line of the DXCC entity
  for (std::string_view text : lines) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (TrimBlanksTabsView(text).empty()) {
      parsed.emplace_back();
      continue;
    }
    parsed.push_back(ParseLine(text));
    if (!parsed.back()) ++result_.broken;
  }
  for (const std::optional<Line>& line : parsed) {
    if (line && !line->waeOnly) entities.emplace(line->number, &*line);
  }
  for (const std::optional<Line>& line : parsed) {
    if (line) entities.emplace(line->number, &*line);  // only "*" lines: the first
  }

  const bool files = prefix_ != nullptr;
  const bool flushPrefix = files && prefix_->FlushAfterWrite();
  const bool flushEs = files && es_->FlushAfterWrite();
  if (files) {
    prefix_->SetFlushAfterWrite(false);
    es_->SetFlushAfterWrite(false);
  }
  if (!files || !options_.replace || (Clear(*prefix_) && Clear(*es_))) {
    const int total = static_cast<int>(parsed.size());
    for (int i = 0; i < total && result_.ok; ++i) {
      if (options_.progress && i % kProgressStep == 0) options_.progress(i, total);
      if (!parsed[i]) continue;
      const Line& line = *parsed[i];
      const Line& entity = *entities.at(line.number);
      std::set<std::string> ownPrefixes;
      for (std::string_view item : SplitOn(line.entries, ' ')) {
        item = TrimBlanksTabsView(item);
        if (item.empty()) continue;
        const std::optional<Entry> e = ParseEntry(item, line);
        if (!e) {
          ++result_.malformed;
          continue;
        }
        if (!e->exactCall) ownPrefixes.insert(e->text);
        if (!Write(*e, line, entity)) break;
      }
      if (result_.ok && line.primary.find('/') != std::string::npos &&
          !ownPrefixes.contains(line.primary)) {
        (void)Write(Entry{false, line.primary, line.cq, line.itu, line.continent}, line, entity);
      }
      // The file names some islands by a designator of its own ("FT/T");
      // calls give them as home prefix + designator ("FR5ZU/T" -> "FR/T").
      for (const DesignatorAlias& alias : kDesignatorAliases) {
        if (result_.ok && line.primary == alias.file && !ownPrefixes.contains(std::string(alias.call))) {
          (void)Write(Entry{false, std::string(alias.call), line.cq, line.itu, line.continent}, line, entity);
        }
      }
    }
    if (options_.progress) options_.progress(total, total);
  }
  if (files) {
    for (FileBlock* block : {prefix_, es_}) {
      const Status st = block->Flush();
      if (!st.ok() && result_.ok) Fail("cannot flush " + block->LogicalName(), st);
    }
    prefix_->SetFlushAfterWrite(flushPrefix);
    es_->SetFlushAfterWrite(flushEs);
  }
  result_.skipped = result_.tooLong + result_.duplicates + result_.malformed;
  return result_;
}

}  // namespace

const PrefixRecord* LongExactCalls::Find(std::string_view call) const {
  const auto it = calls_.find(std::string(call));
  return it == calls_.end() ? nullptr : &it->second;
}

LongExactCalls ReadLongExactCalls(std::string_view content) {
  LongExactCalls calls;
  const CtyImportOptions options;
  Importer reader(calls, options);
  (void)reader.Run(content);
  return calls;
}

LongExactCalls ReadLongExactCallsFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return {};
  return ReadLongExactCalls(content);
}

CtyImportResult ImportCty(std::string_view content, FileBlock& prefix, FileBlock& exceptionsEs,
                          const CtyImportOptions& options) {
  Importer importer(prefix, exceptionsEs, options);
  return importer.Run(content);
}

CtyImportResult ImportCtyFile(const std::filesystem::path& file, FileBlock& prefix,
                              FileBlock& exceptionsEs, const CtyImportOptions& options) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    CtyImportResult r;
    r.ok = false;
    r.error = "cannot read " + file.string();
    return r;
  }
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    CtyImportResult r;
    r.ok = false;
    r.error = "cannot read " + file.string();
    return r;
  }
  return ImportCty(content, prefix, exceptionsEs, options);
}

}  // namespace korv
