// The text of an output file and what can go wrong while making it.
//
// Every output file is Windows-1252 text with CR LF line ends. Writers build
// the whole file in memory (a contest log is small) and hand the bytes back;
// the output procedure writes them with WriteOutputFile. So a log that
// cannot be read leaves no half-written file behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/errors.h"

namespace korv {

inline constexpr std::string_view kLineEnd = "\r\n";
// Lines of the E-Log lists, the cover sheet file and the QSO lines of STF
// and ADIF begin with these five blanks.
inline constexpr std::string_view kListLinePrefix = "     ";
// The maker's web address printed in the closing lines and file headers.
inline constexpr std::string_view kMakerWebAddress = "https://korv-dez.example.org";

// Collects the lines of one output file.
class OutputText {
 public:
  // Line() puts `linePrefix` in front of every line.
  explicit OutputText(std::string_view linePrefix = {}) : prefix_(linePrefix) {}

  // prefix + text + CR LF.
  void Line(std::string_view text);
  // text + CR LF, without the prefix (flush-left header lines).
  void RawLine(std::string_view text);
  // `count` lines that hold only the prefix.
  void BlankLines(int count);

  const std::string& bytes() const { return bytes_; }
  std::string Take() { return std::move(bytes_); }

 private:
  std::string prefix_;
  std::string bytes_;
};

// What a writer gives back: the file's bytes, or the storage step that
// failed while the QSO file was read (then `bytes` is empty).
struct [[nodiscard]] OutputResult {
  Status storage;
  std::string bytes;

  bool ok() const { return storage.ok(); }
  static OutputResult Failed(Status st) { return {st, {}}; }
};

enum class FileWriteError : std::uint8_t {
  kNone = 0,
  kCannotCreate,  // the file could not be created or overwritten
  kWriteFailed,   // created, but not every byte reached the disk
};

struct [[nodiscard]] FileWriteResult {
  FileWriteError error = FileWriteError::kNone;
  int osError = 0;  // errno of the failing call, when known
  bool ok() const { return error == FileWriteError::kNone; }
};

// Creates (or overwrites) `path` and writes `bytes`. A write that fails after
// the file was created removes the partial file again.
FileWriteResult WriteOutputFile(const std::filesystem::path& path, std::string_view bytes);

// "Die Datei " + name + " konnte nicht erstellt werden."
std::string CannotCreateMessage(std::string_view fileName);
// "Datei " + name + " wurde erstellt."
std::string FileCreatedMessage(std::string_view fileName);

}  // namespace korv
