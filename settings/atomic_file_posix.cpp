#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "settings/atomic_file.h"

namespace zorveth {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A name no other writer in this or another process picks at the same time;
// O_EXCL below refuses to reuse a file that is there anyway.
std::filesystem::path TemporaryPath(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  std::string name = "." + path.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++);
  return path.parent_path() / name;
}

// Makes the rename itself durable; a directory that cannot be synced (some
// file systems refuse) does not make the save a failure, the data is safe.
void SyncDirectory(const std::filesystem::path& directory) {
  int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool OverwriteInPlace(const std::filesystem::path& path, std::string_view contents) {
  int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, contents) && ::fsync(fd) == 0;
  return (::close(fd) == 0) && ok;
}

}  // namespace

bool ReplaceFileAtomically(const std::filesystem::path& requested, std::string_view contents) {
  if (requested.empty() || !requested.has_filename()) {
    errno = EINVAL;
    return false;
  }
  // Replace what a symbolic link points to, not the link: a settings file
  // kept elsewhere and linked into place stays linked.
  std::error_code ec;
  std::filesystem::path path = requested;
  if (std::filesystem::is_symlink(requested, ec)) {
    std::filesystem::path target = std::filesystem::canonical(requested, ec);
    if (!ec) path = target;
  }
  struct stat old;
  bool exists = ::stat(path.c_str(), &old) == 0;
  // A file its owner made read-only stays as it is: a rename would replace
  // it regardless of its own permissions.
  if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    return false;  // errno says why

  std::filesystem::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryPath(path);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    // A folder the user may not write to, holding a file the user may: the
    // file can still be written in place, as any editor would.
    if (exists && S_ISREG(old.st_mode) && (errno == EACCES || errno == EPERM))
      return OverwriteInPlace(path, contents);
    return false;
  }

  // Keep the permissions (and, where allowed, the owner) of the file being
  // replaced; a new file gets the usual 0666 less the umask from open().
  if (exists && S_ISREG(old.st_mode)) {
    ::fchmod(fd, old.st_mode & 07777);
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Only root may give a file away; anyone else saves as themselves.
    }
  }

  bool ok = WriteAll(fd, contents) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    // errno tells the caller why; the clean-up must not change it.
    const int reason = errno;
    ::unlink(temporary.c_str());
    errno = reason;
    return false;
  }
  SyncDirectory(path.parent_path());
  return true;
}

}  // namespace zorveth
