#include "refdata/adif_entities.h"

#include <array>
#include <cstdint>

#include "common/coding.h"
#include "common/text.h"
#include "refdata/prefix_record.h"

namespace korv {
namespace {

constexpr std::array<std::string_view, kAdifEntityCount> kEntityPrefixes{{
#include "refdata/adif_entities_table.inc"
}};

// clang-format off
constexpr std::array<AdifSpecialPrefix, 18> kSpecial{{
    {"3D2C", 489}, {"3D2R", 460}, {"3Y0", 199}, {"3Y5", 24},  {"CE0A", 47}, {"KC6", 22},
    {"PY0P", 253}, {"R1F", 61},   {"R1M", 151}, {"RA1346", 54}, {"RA890", 15}, {"FO0", 36},
    {"XX", 152},   {"VR6", 172},  {"FO", 175},  {"IS", 225},  {"ZB", 233},  {"ZC", 283},
}};
// clang-format on

int TablePosition(std::string_view prefix) {
  for (int i = 0; i < kAdifEntityCount; ++i) {
    if (!kEntityPrefixes[i].empty() && kEntityPrefixes[i] == prefix) return i + 1;
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
  return std::string(kEntityPrefixes[number - 1]);
}

bool IsAdifEntityPrefix(std::string_view text) {
  return !text.empty() && TablePosition(text) != 0;
}

std::string AdifDxccNumber(std::string_view rawPrefix, const PrefixFiles* files) {
  const std::string_view prefix = TrimBlanksTabsView(rawPrefix);
  if (prefix.empty()) return {};
  int special = 0;
  for (const AdifSpecialPrefix& s : kSpecial) {
    if (s.prefix == prefix) special = s.number;
  }
  if (special == 0) {
    if (const int position = TablePosition(prefix); position != 0) return std::to_string(position);
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
