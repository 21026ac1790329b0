// The FileBlock that fuzz_storage opens its inputs as, shared with the seed
// generator. Record (24 bytes): 4 int32 automatic number (index 1, unique,
// KeyLen 5), 8 ShortText[3] (index 2, duplicates, KeyLen 3), 12 and 13 two
// bytes (index 3, duplicates, KeyLen 2).
//
// Input layout: bytes 0-3 little-endian length L of the data file part (cut
// to what follows), then L bytes of "<name>.DAT", then the rest as
// "<name>.IX" (no index file when the rest is empty).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/engine.h"

namespace korv::fuzz {

inline constexpr int kFuzzRecLen = 24;
inline constexpr const char* kFuzzName = "FUZZ";

inline void FuzzKeys(ConstBytes rec, int index, KeyString& key) {
  if (index == 1) key.AppendLong(GetI32(rec, 4));
  if (index == 2) key.Append(GetShortText(rec, 8, 3));
  if (index == 3) {
    key.AppendByte(GetU8(rec, 12));
    key.AppendByte(GetU8(rec, 13));
  }
}

// name: the file's name and path (the rewrite target: kFuzzName + ".NEU").
inline FileBlock* DefineFuzzFile(StorageEngine& engine, const std::string& name = kFuzzName) {
  FileBlock* b = engine.DefineFileBlock(name, name, kFuzzRecLen, 3, FuzzKeys, nullptr, 32, true);
  if (b == nullptr) return nullptr;
  if (!b->DefineIndex(1, 5, false).ok() || !b->DefineIndex(2, 3, true).ok() ||
      !b->DefineIndex(3, 2, true).ok() || !b->SetAutoNumberField(1, 4).ok()) {
    return nullptr;
  }
  return b;
}

inline std::vector<std::uint8_t> PackInput(const std::vector<std::uint8_t>& dat,
                                           const std::vector<std::uint8_t>& ix) {
  std::vector<std::uint8_t> out(4);
  PutU32(Bytes{out}, 0, static_cast<std::uint32_t>(dat.size()));
  out.insert(out.end(), dat.begin(), dat.end());
  out.insert(out.end(), ix.begin(), ix.end());
  return out;
}

}  // namespace korv::fuzz
