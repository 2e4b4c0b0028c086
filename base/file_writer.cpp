#include "base/file_writer.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// What the kernel allows before it reports a loop of links.
constexpr int kMostLinksFollowed = 40;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The path the chain of symbolic links at path ends in (path itself when it is no link, or does not
// exist yet); 0, or an errno value.
int FollowLinks(const std::string& path, std::string* resolved) {
  std::string current = path;
  for (int hops = 0; hops < kMostLinksFollowed; ++hops) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *resolved = current;
      return 0;
    }
    char target[PATH_MAX];
    const ssize_t length = readlink(current.c_str(), target, sizeof target);
    if (length < 0) return errno;
    if (length == static_cast<ssize_t>(sizeof target)) return ENAMETOOLONG;
    const std::string next(target, static_cast<size_t>(length));
    current = next.starts_with('/') ? next : FolderOf(current) + "/" + next;
  }
  return ELOOP;
}

// Root may write any file, so for root the permission bits decide: a file nobody may write is kept.
bool MayReplace(const std::string& path, const struct stat& info) {
  if (geteuid() == 0) return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Short, so that a target name of the longest length allowed still has a temporary beside it.
std::string TemporaryName() {
  static std::atomic<unsigned> counter{0};
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const unsigned mixed = (static_cast<unsigned>(now.tv_nsec) ^ static_cast<unsigned>(getpid()) * 2654435761u) +
                         counter.fetch_add(1) * 40503u;
  char name[16];
  std::snprintf(name, sizeof name, ".~%08x", mixed);
  return name;
}

void SyncFolder(const std::string& folder) {
  const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  fsync(descriptor);  // the rename lasts through a crash; a folder that cannot be synced changes nothing
  close(descriptor);
}

}  // namespace

BRM_FileWriter::~BRM_FileWriter() { Discard(); }

bool BRM_FileWriter::Open(const std::string& path, std::string* error) {
  Discard();
  const auto fail = [&](int code) {
    *error = std::strerror(code);
    Discard();
    return false;
  };
  if (path.empty()) return fail(ENOENT);
  const auto openInPlace = [&](const std::string& existingPath) {
    mDescriptor = open(existingPath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (mDescriptor < 0) return fail(errno);
    mInPlace = true;
    return true;
  };
  struct stat existing;
  // Anything but a regular file is opened through the path itself: the kernel follows links whose text
  // names nothing (/dev/stdout on a pipe reads as "pipe:[N]").
  if (stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) return openInPlace(path);
  std::string target;
  if (const int code = FollowLinks(path, &target)) return fail(code);
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) return fail(errno);
  mTarget = target;

  if (exists && !S_ISREG(existing.st_mode)) return openInPlace(target);
  if (exists && !MayReplace(target, existing)) {
    *error = "it is read-only";
    Discard();
    return false;
  }
  const std::string folder = FolderOf(target);
  for (int attempt = 0; attempt < 100 && mDescriptor < 0; ++attempt) {
    mTemporary = folder + "/" + TemporaryName();
    // Created with the usual permissions: the kernel applies the umask.
    mDescriptor = open(mTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (mDescriptor < 0) {
      const int code = errno;
      mTemporary.clear();
      if (code != EEXIST) return fail(code);
    }
  }
  if (mDescriptor < 0) return fail(EEXIST);
  if (exists) {
    // Only root can give a file to its old owner; anyone else's copy becomes theirs, as with any editor.
    if (existing.st_uid != geteuid() || existing.st_gid != getegid()) {
      [[maybe_unused]] const int ownerKept = fchown(mDescriptor, existing.st_uid, existing.st_gid);
    }
    // The permission bits only: new contents do not inherit set-user-ID and similar privileges.
    if (fchmod(mDescriptor, existing.st_mode & 0777) != 0) return fail(errno);
  }
  return true;
}

bool BRM_FileWriter::OpenStandardOutput(std::string* error) {
  Discard();
  mDescriptor = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
  if (mDescriptor < 0) {
    *error = std::strerror(errno);
    return false;
  }
  mInPlace = true;
  return true;
}

bool BRM_FileWriter::Write(const void* bytes, size_t length) {
  if (mDescriptor < 0) {
    errno = EBADF;
    return false;
  }
  const auto* next = static_cast<const unsigned char*>(bytes);
  while (length > 0) {
    const ssize_t written = write(mDescriptor, next, length);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    if (written == 0) {
      errno = ENOSPC;
      return false;
    }
    next += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

bool BRM_FileWriter::Commit(std::string* error) {
  const auto fail = [&](int code) {
    *error = std::strerror(code);
    Discard();
    return false;
  };
  if (mDescriptor < 0) return fail(EBADF);
  // Devices and FIFOs have nothing to sync (and some refuse to).
  if (!mInPlace && fsync(mDescriptor) != 0) return fail(errno);
  const int closed = close(mDescriptor);
  mDescriptor = -1;
  if (closed != 0) return fail(errno);
  if (!mInPlace) {
    if (std::rename(mTemporary.c_str(), mTarget.c_str()) != 0) return fail(errno);
    mTemporary.clear();
    SyncFolder(FolderOf(mTarget));
  }
  mInPlace = false;
  return true;
}

void BRM_FileWriter::Discard() {
  if (mDescriptor >= 0) close(mDescriptor);
  mDescriptor = -1;
  if (!mTemporary.empty()) unlink(mTemporary.c_str());
  mTemporary.clear();
  mInPlace = false;
}

bool BRM_WriteWholeFile(const std::string& path, const void* bytes, size_t length, std::string* error) {
  BRM_FileWriter writer;
  if (!writer.Open(path, error)) return false;
  if (!writer.Write(bytes, length)) {
    *error = std::strerror(errno);
    return false;
  }
  return writer.Commit(error);
}
