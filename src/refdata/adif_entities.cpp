#include "refdata/adif_entities.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/coding.h"
#include "common/text.h"
#include "refdata/prefix_record.h"

namespace korv {
namespace {

enum CodeState : std::uint8_t { kUnassigned, kCurrent, kDeleted };

struct EntityRow {
  CodeState state = kUnassigned;
  std::string_view prefix;
  // The country file's spelling of the prefix where it differs ("FT/Z" for
  // "FT5Z"): prefix tables imported from it, and the QSOs resolved through
  // them, hold that spelling.
  std::string_view countryFile;
};

// Position i holds code i + 1.
constexpr auto kEntities = std::to_array<EntityRow>({
#include "refdata/adif_entities_table.inc"
});
static_assert(kEntities.size() == kAdifEntityCount);

constexpr bool SamePrefix(std::string_view a, std::string_view b) {
  // Length and first character first: cheap enough for the compile-time check.
  return !a.empty() && a.size() == b.size() && a[0] == b[0] && a == b;
}

// A table prefix that a stored DXCC prefix cannot hold would never match, and
// a prefix of two current entities would have no single number.
constexpr bool TableIsConsistent() {
  for (std::size_t i = 0; i < kEntities.size(); ++i) {
    const EntityRow& row = kEntities[i];
    if (row.prefix.size() > prefix_layout::kDxccPrefixCapacity ||
        row.countryFile.size() > prefix_layout::kDxccPrefixCapacity) {
      return false;
    }
    if (row.state != kCurrent) continue;
    for (std::size_t j = i + 1; j < kEntities.size(); ++j) {
      const EntityRow& other = kEntities[j];
      if (other.state == kCurrent &&
          (SamePrefix(row.prefix, other.prefix) || SamePrefix(row.prefix, other.countryFile) ||
           SamePrefix(row.countryFile, other.prefix) ||
           SamePrefix(row.countryFile, other.countryFile))) {
        return false;
      }
    }
  }
  return true;
}
static_assert(TableIsConsistent());

// clang-format off
constexpr std::array<AdifSpecialPrefix, 18> kSpecial{{
    {"3D2C", 489}, {"3D2R", 460}, {"3Y0", 199}, {"3Y5", 24},  {"CE0A", 47}, {"KC6", 22},
    {"PY0P", 253}, {"R1F", 61},   {"R1M", 151}, {"RA1346", 54}, {"RA890", 15}, {"FO0", 36},
    {"XX", 152},   {"VR6", 172},  {"FO", 175},  {"IS", 225},  {"ZB", 233},  {"ZC", 283},
}};
// clang-format on

// The code of the current entity whose prefix, or country-file spelling, is
// `prefix`; 0 when there is none.
int CurrentEntity(std::string_view prefix) {
  if (prefix.empty()) return 0;
  for (std::size_t i = 0; i < kEntities.size(); ++i) {
    const EntityRow& row = kEntities[i];
    if (row.state == kCurrent && (row.prefix == prefix || row.countryFile == prefix)) {
      return static_cast<int>(i) + 1;
    }
  }
  return 0;
}

// The entity number of the first record of `block` whose DXCC prefix is
// `prefix` and whose number is set; 0 when there is none.
int NumberFromFile(FileBlock* block, std::string_view prefix) {
  if (block == nullptr || prefix.size() > prefix_layout::kDxccPrefixCapacity) return 0;
  RecordBufferGuard guard(block);
  KeyString key;
  key.AppendPadded(prefix, prefix_layout::kDxccPrefixCapacity);
  if (!block->FindAtLeast(2, key).ok()) return 0;
  do {
    const PrefixRecord rec = PrefixRecord::From(block->Record());
    if (rec.dxccPrefix() != prefix) return 0;
    if (rec.entityNumber() != 0) return rec.entityNumber();
  } while (block->MoveNext(2).ok());
  return 0;
}

}  // namespace

std::span<const AdifSpecialPrefix> AdifSpecialPrefixes() {
  return kSpecial;
}

std::string AdifDxccPrefix(int number) {
  if (number < 1 || number > kAdifEntityCount) return {};
  return std::string(kEntities[static_cast<std::size_t>(number) - 1].prefix);
}

bool IsAdifEntityPrefix(std::string_view text) {
  return CurrentEntity(text) != 0;
}

std::string AdifDxccNumber(std::string_view rawPrefix, const PrefixFiles* files) {
  const std::string_view prefix = TrimBlanksTabsView(rawPrefix);
  if (prefix.empty()) return {};
  int special = 0;
  for (const AdifSpecialPrefix& s : kSpecial) {
    if (s.prefix == prefix) special = s.number;
  }
  if (special == 0) {
    if (const int code = CurrentEntity(prefix); code != 0) return std::to_string(code);
  }
  if (files != nullptr) {
    for (FileBlock* block : {files->exceptionsEe, files->exceptionsEs, files->prefix}) {
      if (const int number = NumberFromFile(block, prefix); number != 0) {
        return std::to_string(number);
      }
    }
  }
  return special != 0 ? std::to_string(special) : std::string();
}

}  // namespace korv
