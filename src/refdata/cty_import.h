// Import of a country file in the cty.csv format into the prefix table
// KVPREFIX and the exception table KVPREFES.
//
// One line per DXCC entity (Windows-1252 or UTF-8; CR LF or LF):
//   primary,country,adif,continent,cq,itu,lat,lon,utcoffset,entries;
// primary: the entity's prefix; a leading "*" marks an entity that counts
//   only for WAE (Sicily, Shetland, ...) and carries the number of its DXCC
//   entity. A primary with "/" ("SV/a", "3Y/b") is the island's designator.
// entries: blank-separated; "=" + call is one exact call, anything else a
//   prefix; each may be followed by overrides: (cq) CQ zone, [itu] ITU zone,
//   {cont} continent, <lat/lon> and ~utcoffset~ (no field: checked, ignored).
//
// Records written (other fields zero, marks blank):
//   prefix          the entry ("=" dropped), upper case, at most 6 characters
//   DXCC prefix     the primary of the DXCC entity (for a "*" line: that of
//                   the first line without "*" with the same number)
//   country         the line's country name, cut to 30 characters
//   CQ, ITU, cont.  the line's values or the entry's overrides
//   entity number   the line's ADIF number
//   alt. DXCC pref. the line's own primary without "*" (the WAE country)
// A prefix goes to KVPREFIX; the designator primary of an island ("SV/A")
// too, so that special designators find their entity, and where the file's
// designator differs from the one calls carry, that one as well ("FT/T" also
// as "FR/T", "FT/J" as "FR/J", "FR/E", "FR/B", "FT/G" as "FR/G", "E5/N" and
// "E5/S" as "ZK1/N" and "ZK1/S", "GM/S" as "GM/SH"); an exact call to
// KVPREFES. Entries too long for the six-character field, entries that do not
// parse, exact calls KVPREFES already holds (index 1 is unique), and prefixes
// KVPREFIX already holds for the same DXCC prefix (a repeated import) are
// skipped and counted. Lines that are not a country line (field count,
// number, continent or zones wrong, no primary) are counted as broken.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "refdata/prefix_files.h"
#include "refdata/prefix_record.h"
#include "storage/file_block.h"

namespace korv {

// The country file's exact calls too long for the six-character prefix field
// of KVPREFES ("TO1PF/P", "KC4/W3ASA"; thousands in cty.csv). The shared
// record layout has no room for them, so the program keeps them in memory,
// read from the country file when it starts, and the resolver asks them
// after the exception files.
class LongExactCalls {
 public:
  // The record of `call` (upper case, trimmed), or nullptr.
  const PrefixRecord* Find(std::string_view call) const;
  // The first record of a call stays, as in the file's unique index.
  void Add(std::string call, const PrefixRecord& record) { calls_.try_emplace(std::move(call), record); }
  std::size_t size() const { return calls_.size(); }

 private:
  std::unordered_map<std::string, PrefixRecord> calls_;
};

struct CtyImportResult {
  bool ok = true;  // false: file unreadable or a storage error (error says which)
  std::string error;
  int taken = 0;    // records written
  int skipped = 0;  // entries not written (sum of the three below)
  int broken = 0;   // lines skipped as broken
  int tooLong = 0;
  int duplicates = 0;
  int malformed = 0;
  int prefixesTaken = 0;    // of taken: KVPREFIX records
  int exactCallsTaken = 0;  // of taken: KVPREFES records
  int longExactCalls = 0;   // of tooLong: exact calls (LongExactCalls keeps them)
};

// Called while importing: lines done, lines in all (the progress window).
using CtyImportProgress = std::function<void(int done, int total)>;

struct CtyImportOptions {
  CtyImportProgress progress;
  // Remove every record of both files first (a fresh import).
  bool replace = false;
};

// REQUIRES: prefix is KVPREFIX and exceptionsEs is KVPREFES, both opened with
// the definitions of prefix_record.h. Flush-after-write is switched off for
// the import and restored afterwards; both files are flushed at the end.
CtyImportResult ImportCty(std::string_view content, FileBlock& prefix, FileBlock& exceptionsEs,
                          const CtyImportOptions& options = {});
CtyImportResult ImportCtyFile(const std::filesystem::path& file, FileBlock& prefix,
                              FileBlock& exceptionsEs, const CtyImportOptions& options = {});

// The exact calls of a country file that the prefix files cannot hold, with
// the records an import would write for them; an unreadable file gives none.
LongExactCalls ReadLongExactCalls(std::string_view content);
LongExactCalls ReadLongExactCallsFile(const std::filesystem::path& file);

}  // namespace korv
