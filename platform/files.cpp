#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "platform/platform.h"

// A byte stream on a file. Write failures are remembered so Close can say
// whether everything reached the file.
class FileStream {
 public:
  explicit FileStream(std::FILE* file) : file_(file) {}
  ~FileStream() {
    if (file_) std::fclose(file_);
  }
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  int Get() { return file_ ? std::fgetc(file_) : EOF; }
  void Put(int value) {
    if (!file_ || std::fputc(value & 0xFF, file_) == EOF) failed_ = true;
  }
  bool AtEnd() {
    if (!file_) return true;
    int c = std::fgetc(file_);
    if (c == EOF) return true;
    std::ungetc(c, file_);
    return false;
  }
  bool Close() {
    if (!file_) return !failed_;
    bool ok = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_);
    if (std::fclose(file_) != 0) ok = false;
    file_ = nullptr;
    return ok;
  }

 private:
  std::FILE* file_;
  bool failed_ = false;
};

namespace {

// Opens without waiting for a FIFO's other end or a device, and keeps the
// descriptor only when it names a regular file: a FIFO would hang the game
// and /dev/zero would never end. -1 otherwise.
int OpenRegular(const std::string& path, int flags) {
  if (path.empty()) return -1;
  int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

StreamRef StreamOn(int fd, const char* mode) {
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, mode);
  if (!file) {
    ::close(fd);
    return nullptr;
  }
  return std::make_shared<FileStream>(file);
}

}  // namespace

StreamRef OpenForReading(const std::string& path) {
  return StreamOn(OpenRegular(path, O_RDONLY), "rb");
}

// Truncated only once it is known to be a regular file.
StreamRef OpenForWriting(const std::string& path) {
  int fd = OpenRegular(path, O_WRONLY | O_CREAT);
  if (fd >= 0 && ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return nullptr;
  }
  return StreamOn(fd, "wb");
}

bool ReadRegularFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes) {
  bytes.clear();
  int fd = OpenRegular(path, O_RDONLY);
  if (fd < 0) return false;
  bool ok = true;
  uint8_t buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    if (bytes.size() + size_t(got) > maxBytes) {
      ok = false;
      break;
    }
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  ::close(fd);
  if (!ok) bytes.clear();
  return ok;
}

int ReadByte(const StreamRef& stream) {
  int c = stream ? stream->Get() : EOF;
  if (c == EOF) throw StreamError("Error reading from stream");
  return c;
}

void WriteByte(const StreamRef& stream, int value) {
  if (stream) stream->Put(value);
}

std::string ReadLine(const StreamRef& stream) {
  std::string line;
  if (!stream) return line;
  for (;;) {
    int c = stream->Get();
    if (c == EOF || c == '\n' || c == 0) break;
    if (c != '\r') line.push_back(char(c));
  }
  return line;
}

void WriteLine(const StreamRef& stream, const std::string& text) {
  if (!stream) return;
  for (unsigned char c : text) stream->Put(c);
  stream->Put(13);
  stream->Put(10);
}

bool Eof(const StreamRef& stream) { return !stream || stream->AtEnd(); }

bool Close(const StreamRef& stream) { return stream ? stream->Close() : false; }

bool RenamePath(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemovePath(const std::string& path) { return !path.empty() && ::unlink(path.c_str()) == 0; }

int PathType(const std::string& path) {
  struct stat info;
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return 0;
  if (S_ISDIR(info.st_mode)) return 2;
  return 1;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  std::string text = absolute.lexically_normal().string();
  if (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

std::string DirectoryPart(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return path.substr(0, slash);
}

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "";
}

// ---------------------------------------------------------------- writing

namespace {

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += size_t(wrote);
  }
  return true;
}

// Said once per file and run: the settings are written after every move.
void ReportOnce(const std::string& path, const char* why) {
  static auto* guard = new std::mutex;
  static auto* reported = new std::set<std::string>;
  std::lock_guard<std::mutex> lock(*guard);
  if (reported->insert(path).second)
    std::fprintf(stderr, "kavro: %s %s; not replaced\n", path.c_str(), why);
}

// The file a write really replaces: links followed to their end (as editors
// do, so a settings file kept in a dotfiles folder stays linked), relative
// targets taken against the link's folder. "" for a loop or an unreadable link.
std::string FinalTarget(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char buffer[PATH_MAX + 1];
    ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (length <= 0 || size_t(length) >= sizeof buffer) return "";
    std::string target(buffer, size_t(length));
    if (target[0] != '/' && path.find('/') != std::string::npos)
      target = DirectoryPart(path) + "/" + target;
    path = target;
  }
  return "";
}

std::string FolderOf(const std::string& path) {
  if (path.find('/') == std::string::npos) return ".";
  std::string folder = DirectoryPart(path);
  return folder.empty() ? "/" : folder;
}

constexpr char kTemporaryPrefix[] = ".kavro-";
constexpr char kTemporarySuffix[] = ".tmp";
constexpr time_t kStaleSeconds = 3600;

// prefix + "PID-N" + suffix exactly; the process id it names.
bool IsTemporaryName(const std::string& name, const std::string& prefix, const std::string& suffix,
                     long& pid) {
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  const std::string middle =
      name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  const size_t dash = middle.find('-');
  const auto digits = [](const std::string& s) {
    return !s.empty() && s.size() <= 18 && s.find_first_not_of("0123456789") == std::string::npos;
  };
  if (dash == std::string::npos || !digits(middle.substr(0, dash)) ||
      !digits(middle.substr(dash + 1)))
    return false;
  pid = std::stol(middle.substr(0, dash));
  return true;
}

// Temporaries a killed game left behind: their process is gone, or they
// are far older than any write takes. Another running game's are kept.
// Earlier versions named them after the file written ("NAME.tmpPID-N"):
// those of the file being written now go too.
void RemoveStaleTemporaries(const std::string& folder, const std::string& fileName) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    long pid = 0;
    if (!IsTemporaryName(entry->d_name, kTemporaryPrefix, kTemporarySuffix, pid) &&
        !IsTemporaryName(entry->d_name, fileName + ".tmp", "", pid))
      continue;
    struct stat info;
    if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode))
      continue;
    const bool gone = pid != long(getpid()) &&
                      (pid <= 0 || pid > INT_MAX || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH));
    if (gone || now - info.st_mtime > kStaleSeconds) ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

void SyncFolder(const std::string& folder) {
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

// For a folder the player may not write in: the file itself is rewritten,
// longer part first, so a crash never leaves it shorter than both versions.
bool WriteInPlace(const std::string& path, const std::vector<uint8_t>& bytes) {
  int fd = OpenRegular(path, O_WRONLY);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  return ok;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  static std::atomic<unsigned> serial{0};
  if (path.empty()) return false;
  const std::string target = FinalTarget(path);
  if (target.empty()) return false;
  struct stat old;
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists) {
    if (S_ISDIR(old.st_mode)) return false;
    if (!S_ISREG(old.st_mode)) {
      ReportOnce(path, "is not a plain file");
      return false;
    }
    // Root passes access() for any file: the mode bits say what the user meant.
    if ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
      ReportOnce(path, "is read-only");
      return false;
    }
  }
  const std::string folder = FolderOf(target);
  RemoveStaleTemporaries(folder, target.substr(target.rfind('/') + 1));
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = (folder == "/" ? "" : folder) + "/" + kTemporaryPrefix + std::to_string(getpid()) +
                "-" + std::to_string(serial++) + kTemporarySuffix;
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno == EEXIST) continue;
    if (exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(target, bytes);
    return false;
  }
  if (fd < 0) return false;
  // The new file keeps the owner and permissions the old one had.
  if (exists) {
    // The owner first: a change of owner clears the set-id bits.
    const bool owned = ::fchown(fd, old.st_uid, old.st_gid) == 0;
    ::fchmod(fd, old.st_mode & (owned ? 07777 : 0777));
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself must reach the disk too.
  SyncFolder(folder);
  return true;
}

// ---------------------------------------------------------------- background writes

namespace {

// One worker thread writes what the frame loop hands over, so an fsync that
// stalls never costs a frame. Only the newest bytes for a path are kept.
class BackgroundWriter {
 public:
  ~BackgroundWriter() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    // What was handed over is still written before the program ends.
    if (worker_.joinable()) worker_.join();
  }

  void Hand(const std::string& path, std::vector<uint8_t> bytes) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      pending_.insert_or_assign(path, std::move(bytes));
      if (!worker_.joinable()) Start();
    }
    wake_.notify_one();
  }

  void Finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return pending_.empty() && !busy_; });
  }

 private:
  // The termination signals belong to the game's thread, whose loop acts on them.
  void Start() {
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&blocked, signal);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    worker_ = std::thread([this] { Run(); });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }

  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
      if (pending_.empty()) return;
      auto job = pending_.extract(pending_.begin());
      busy_ = true;
      lock.unlock();
      WriteFileAtomically(job.key(), job.mapped());
      lock.lock();
      busy_ = false;
      if (pending_.empty()) {
        lock.unlock();
        idle_.notify_all();
        lock.lock();
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_, idle_;
  std::map<std::string, std::vector<uint8_t>> pending_;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread worker_;
};

BackgroundWriter& Writer() {
  static BackgroundWriter writer;
  return writer;
}

}  // namespace

void WriteFileInBackground(const std::string& path, std::vector<uint8_t> bytes) {
  if (!path.empty()) Writer().Hand(path, std::move(bytes));
}

void FinishBackgroundWrites() { Writer().Finish(); }
