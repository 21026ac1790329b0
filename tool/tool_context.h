// What every korvtool command that reads the data files starts with: a
// storage engine over the data directory, its fatal handler, the file
// catalogue, and how the tool finds and names the files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "files/catalogue.h"
#include "refdata/cty_import.h"
#include "storage/engine.h"

namespace korv::tool {

// A fatal storage error ends the command at once, as it ends the program:
// the handler prints the line the command named for that case (if any) on
// the output stream and the engine's message (converted to UTF-8) on the
// error stream, flushes both and ends the process with exit code 1. The
// engine has already closed the files and written the error log then.
class ToolFatalHandler : public FatalHandler {
 public:
  ToolFatalHandler(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void OnFatal(const ErrorList& errors, const std::string& message) override;
  // What the output says of the work under way when a fatal error ends it
  // (a "BAD NAME ..." line of check); empty: nothing.
  void SetLastLine(std::string line) { lastLine_ = std::move(line); }

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::string lastLine_;
};

// The engine (160 page buffers, 32 handles, German texts, every retry
// question answered No) and the catalogue over one data directory.
// REQUIRES: every file opened through catalogue() is released before the
// context ends (use OpenedFile).
class ToolContext {
 public:
  ToolContext(std::filesystem::path dataDirectory, std::ostream& out, std::ostream& err);
  ~ToolContext();
  ToolContext(const ToolContext&) = delete;
  ToolContext& operator=(const ToolContext&) = delete;

  // Starts the engine and takes the suffix table of the call-sign split from
  // the setup record (KVSETUP, when present); false (with the reason on the
  // error stream) when either fails.
  bool Start();

  StorageEngine& engine() { return *engine_; }
  FileCatalogue& catalogue() { return *catalogue_; }
  const std::filesystem::path& dataDirectory() const { return dataDirectory_; }
  std::ostream& out() { return out_; }
  std::ostream& err() { return err_; }
  ToolFatalHandler& fatalHandler() { return fatal_; }
  // The country file's exact calls too long for the prefix files, read from
  // the country file the program reads at start, when first asked.
  const LongExactCalls& LongExactCallsOfCountryFile();

 private:
  std::optional<LongExactCalls> longExactCalls_;
  std::filesystem::path dataDirectory_;
  std::ostream& out_;
  std::ostream& err_;
  ToolFatalHandler fatal_;
  std::unique_ptr<StorageEngine> engine_;
  std::unique_ptr<FileCatalogue> catalogue_;
};

// A file of the catalogue opened for the lifetime of this object.
class OpenedFile {
 public:
  OpenedFile(FileCatalogue& catalogue, SharedFile file, std::int32_t logNumber = 0)
      : catalogue_(catalogue),
        file_(file),
        logNumber_(logNumber),
        block_(catalogue.Open(file, logNumber)) {}
  ~OpenedFile() {
    if (block_ != nullptr) catalogue_.Release(file_, logNumber_);
  }
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;

  FileBlock* get() const { return block_; }
  FileBlock* operator->() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }

 private:
  FileCatalogue& catalogue_;
  SharedFile file_;
  std::int32_t logNumber_;
  FileBlock* block_;
};

// A file named on the command line ("KVKK", "kvlk0001.dat", ...) as the
// catalogue knows it.
struct NamedFile {
  SharedFile file = SharedFile::kSetup;
  std::int32_t logNumber = 0;  // KVLKnnnn only
  std::string name;            // the catalogue's logical name, e.g. "KVLK0001"
};

// The catalogue entry of a name typed in any letter case, with or without
// ".DAT"; nullopt for a name the catalogue does not know. "KVLK****" stands
// for the logs numbered above 9999.
std::optional<NamedFile> LookUpFileName(std::string_view typed);

// Where the data file of a logical name lies in the data directory.
struct DataFileOnDisk {
  enum class Kind { kPresent, kAbsent } kind = Kind::kAbsent;
  std::string storedName;  // the name as stored ("kvkk.dat")
};
// A file whose name differs only in letter case counts as present: the
// engine opens it under that name.
DataFileOnDisk FindDataFile(const std::filesystem::path& dataDirectory, std::string_view name);

// ASCII a-z upper-cased; every other byte stays.
std::string AsciiUpper(std::string_view text);

// The reason printed for a data file that is not there as the engine needs it.
std::string MissingFileReason(const DataFileOnDisk& found, std::string_view name);

}  // namespace korv::tool
