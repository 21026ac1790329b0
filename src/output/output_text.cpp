#include "output/output_text.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace korv {

void OutputText::Line(std::string_view text) {
  bytes_ += prefix_;
  bytes_ += text;
  bytes_ += kLineEnd;
}

void OutputText::RawLine(std::string_view text) {
  bytes_ += text;
  bytes_ += kLineEnd;
}

void OutputText::BlankLines(int count) {
  for (int i = 0; i < count; ++i) Line({});
}

FileWriteResult WriteOutputFile(const std::filesystem::path& path, std::string_view bytes) {
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return {FileWriteError::kCannotCreate, errno};
  const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
  const int writeErrno = errno;
  const bool flushed = std::fflush(f) == 0;
  const bool closed = std::fclose(f) == 0;
  if (written != bytes.size() || !flushed || !closed) {
    const int os = writeErrno != 0 ? writeErrno : errno;
    // Only a partial regular file is removed, never a device or pipe.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
    return {FileWriteError::kWriteFailed, os};
  }
  return {};
}

std::string CannotCreateMessage(std::string_view fileName) {
  return "Die Datei " + std::string(fileName) + " konnte nicht erstellt werden.";
}

std::string FileCreatedMessage(std::string_view fileName) {
  return "Datei " + std::string(fileName) + " wurde erstellt.";
}

}  // namespace korv
