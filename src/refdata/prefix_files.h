// The three prefix files as the file catalogue hands them out.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "storage/file_block.h"

namespace korv {

class LongExactCalls;

// Opened FileBlocks of KVPREFIX, KVPREFEE and KVPREFES; nullptr stands for a
// file that cannot be opened. The caller keeps them open while a lookup runs.
struct PrefixFiles {
  FileBlock* prefix = nullptr;        // KVPREFIX, 14 indexes
  FileBlock* exceptionsEe = nullptr;  // KVPREFEE, 12 indexes (remembered choices)
  FileBlock* exceptionsEs = nullptr;  // KVPREFES, 12 indexes
  // The country file's exact calls too long for KVPREFES; nullptr: none.
  const LongExactCalls* longCalls = nullptr;
};

// Keeps the contents of a FileBlock's record buffer across lookups that read
// other records into it: the buffer is put back when the guard ends.
class RecordBufferGuard {
 public:
  explicit RecordBufferGuard(FileBlock* block) : block_(block) {
    if (block_ != nullptr) saved_.assign(block_->Record().begin(), block_->Record().end());
  }
  ~RecordBufferGuard() {
    if (block_ != nullptr && saved_.size() == block_->Record().size() && !saved_.empty()) {
      std::memcpy(block_->Record().data(), saved_.data(), saved_.size());
    }
  }
  RecordBufferGuard(const RecordBufferGuard&) = delete;
  RecordBufferGuard& operator=(const RecordBufferGuard&) = delete;

 private:
  FileBlock* block_;
  std::vector<std::uint8_t> saved_;
};

}  // namespace korv
