#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace veskaro {
namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

std::string ToPosixPath(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path) {
  Fd fd(::open(ToPosixPath(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

void PosixFileSystem::ReplaceFileSafely(const std::string& windowsPath, std::string_view bytes) {
  std::string path = ToPosixPath(windowsPath);
  // Replace what a symbolic link points to, not the link.
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) != nullptr) path = resolved;

  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) throw FileSystemError("is a directory: " + path);

  static std::atomic<unsigned> counter{0};
  const std::string directory = DirectoryOf(path);
  std::string temp;
  int raw = -1;
  for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
    temp = directory + "/.veskaro-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + ".tmp";
    raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (raw < 0 && errno != EEXIST) break;
  }
  if (raw < 0) throw FileSystemError("cannot create a file beside " + path);
  Fd fd(raw);

  bool ok = WriteAll(fd.get(), bytes);
  if (ok && exists) ok = ::fchmod(fd.get(), existing.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd.get()) == 0;
  if (ok) ok = fd.Close();
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    throw FileSystemError("cannot replace " + path);
  }
  // The rename itself reaches the disk with the directory.
  Fd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

bool PosixFileSystem::IsExistingFile(const std::string& path) {
  struct stat st {};
  return ::stat(ToPosixPath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool PosixFileSystem::IsExistingAbsoluteDirectory(const std::string& path) {
  const std::string posixPath = ToPosixPath(path);
  struct stat st {};
  return !posixPath.empty() && posixPath[0] == '/' && ::stat(posixPath.c_str(), &st) == 0 &&
         S_ISDIR(st.st_mode);
}

DeleteResult PosixFileSystem::DeleteFile(const std::string& path) {
  if (::unlink(ToPosixPath(path).c_str()) == 0) return DeleteResult::Deleted;
  return errno == ENOENT ? DeleteResult::NotFound : DeleteResult::Failed;
}

std::optional<std::uint32_t> PosixFileSystem::GetAttributes(const std::string& path) {
  struct stat st {};
  if (::stat(ToPosixPath(path).c_str(), &st) != 0) return std::nullopt;
  return S_ISDIR(st.st_mode) ? file_attribute::Directory : 0u;
}

bool PosixFileSystem::SetAttributes(const std::string&, std::uint32_t) { return false; }

}  // namespace veskaro
