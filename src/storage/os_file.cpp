#include "storage/os_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace korv {
namespace {

OsFile::WriteFaultHook& FaultHook() {
  static OsFile::WriteFaultHook hook;
  return hook;
}

OsFile::ReadFaultHook& ReadFault() {
  static OsFile::ReadFaultHook hook;
  return hook;
}

OsFile::SyncHook& SyncObserver() {
  static OsFile::SyncHook hook;
  return hook;
}

FileChangeHook& ChangeHook() {
  static FileChangeHook hook;
  return hook;
}

void BeforeChange(FileChange kind, const std::filesystem::path& path) {
  if (ChangeHook()) ChangeHook()(kind, path);
}

}  // namespace

void SetFileChangeHook(FileChangeHook hook) { ChangeHook() = std::move(hook); }

int ErrorCodeFromErrno(int error, bool opening) {
  switch (error) {
    case ENOENT:
      return opening ? err::kFileNotFound : err::kPathNotFound;
    case ENOTDIR:
      return err::kPathNotFound;
    case EMFILE:
    case ENFILE:
      return err::kTooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return err::kShortWrite;
    case EAGAIN:
    case EBUSY:
      return err::kLocked;  // another program holds a lock: retried
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
      return err::kDriveNotReady;
    default:
      return err::kOsError;
  }
}

OsFile::OsFile(OsFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      writtenSinceSync_(std::exchange(other.writtenSinceSync_, false)) {}

OsFile& OsFile::operator=(OsFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    writtenSinceSync_ = std::exchange(other.writtenSinceSync_, false);
  }
  return *this;
}

Status OsFile::Open(const std::filesystem::path& path) {
  Close();
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return Status::Error(ErrorCodeFromErrno(errno, true), errno);
  fd_ = fd;
  path_ = path;
  writtenSinceSync_ = false;
  return Status::Ok();
}

Status OsFile::Create(const std::filesystem::path& path) {
  Close();
  BeforeChange(FileChange::kCreate, path);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    const int e = errno;
    return Status::Error(e == ENOENT ? err::kPathNotFound : ErrorCodeFromErrno(e, false), e);
  }
  fd_ = fd;
  path_ = path;
  writtenSinceSync_ = true;  // emptied
  return Status::Ok();
}

void OsFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Status OsFile::ReadSomeAt(void* buffer, std::size_t size, std::uint64_t offset,
                          std::size_t& bytesRead) const {
  bytesRead = 0;
  if (ReadFault()) {
    if (const int error = ReadFault()(path_, offset)) return Status::Error(ErrorCodeFromErrno(error, false), error);
  }
  auto* out = static_cast<std::uint8_t*>(buffer);
  while (bytesRead < size) {
    const ssize_t n = ::pread(fd_, out + bytesRead, size - bytesRead,
                              static_cast<off_t>(offset + bytesRead));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Status::Error(ErrorCodeFromErrno(errno, false), errno);
    }
    if (n == 0) break;
    bytesRead += static_cast<std::size_t>(n);
  }
  return Status::Ok();
}

Status OsFile::ReadAt(void* buffer, std::size_t size, std::uint64_t offset) const {
  std::size_t got = 0;
  Status st = ReadSomeAt(buffer, size, offset, got);
  if (!st.ok()) return st;
  return got == size ? Status::Ok() : Status::Error(err::kShortRead);
}

Status OsFile::WriteAt(const void* buffer, std::size_t size, std::uint64_t offset) {
  BeforeChange(FileChange::kWrite, path_);
  std::size_t allowed = size;
  if (FaultHook()) allowed = std::min(size, FaultHook()(path_, offset, size));
  writtenSinceSync_ = true;
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  std::size_t written = 0;
  while (written < allowed) {
    const ssize_t n = ::pwrite(fd_, in + written, allowed - written,
                               static_cast<off_t>(offset + written));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Status::Error(ErrorCodeFromErrno(errno, false), errno);
    }
    if (n == 0) break;
    written += static_cast<std::size_t>(n);
  }
  return written == size ? Status::Ok() : Status::Error(err::kShortWrite, ENOSPC);
}

Status OsFile::Sync() {
  BeforeChange(FileChange::kSync, path_);
  if (::fdatasync(fd_) != 0) return Status::Error(ErrorCodeFromErrno(errno, false), errno);
  writtenSinceSync_ = false;
  if (SyncObserver()) SyncObserver()(path_);
  return Status::Ok();
}

Status OsFile::Size(std::uint64_t& size) const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return Status::Error(ErrorCodeFromErrno(errno, false), errno);
  size = static_cast<std::uint64_t>(st.st_size);
  return Status::Ok();
}

Status OsFile::Truncate(std::uint64_t size) {
  BeforeChange(FileChange::kTruncate, path_);
  writtenSinceSync_ = true;
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    return Status::Error(ErrorCodeFromErrno(errno, false), errno);
  }
  return Status::Ok();
}

void OsFile::SetWriteFaultHook(WriteFaultHook hook) { FaultHook() = std::move(hook); }
void OsFile::SetSyncHook(SyncHook hook) { SyncObserver() = std::move(hook); }
void OsFile::SetReadFaultHook(ReadFaultHook hook) { ReadFault() = std::move(hook); }

bool FileExists(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Status RemoveFile(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) return Status::Ok();
  BeforeChange(FileChange::kRemove, path);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    return Status::Error(ErrorCodeFromErrno(errno, false), errno);
  }
  return Status::Ok();
}

Status RenameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  BeforeChange(FileChange::kRename, from);
  if (::rename(from.c_str(), to.c_str()) != 0) return Status::Error(err::kRenameFailed, errno);
  return Status::Ok();
}

std::filesystem::path FindIgnoringCase(const std::filesystem::path& path) {
  if (FileExists(path)) return path;
  const std::string wanted = path.filename().string();
  auto fold = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; };
  std::error_code ec;
  const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : ".";
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != wanted.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i) {
      same = fold(static_cast<unsigned char>(name[i])) == fold(static_cast<unsigned char>(wanted[i]));
    }
    if (same && entry.is_regular_file(ec)) {
      return path.has_parent_path() ? dir / name : std::filesystem::path(name);
    }
  }
  return path;
}

void SyncDirectory(const std::filesystem::path& dir) {
  BeforeChange(FileChange::kSyncDirectory, dir);
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace korv
