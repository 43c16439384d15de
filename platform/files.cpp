#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

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

StreamRef Open(const std::string& path, const char* mode) {
  if (path.empty()) return nullptr;
  // Directories open fine with fopen for reading but are not streams.
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return nullptr;
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (!file) return nullptr;
  return std::make_shared<FileStream>(file);
}

}  // namespace

StreamRef OpenForReading(const std::string& path) { return Open(path, "rb"); }
StreamRef OpenForWriting(const std::string& path) { return Open(path, "wb"); }

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

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  static std::atomic<unsigned> serial{0};
  if (path.empty() || PathType(path) == 2) return false;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  // The new file keeps the permissions the user gave the old one.
  struct stat old;
  if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself must reach the disk too.
  std::string folder = DirectoryPart(path);
  const char* folderName = !folder.empty() ? folder.c_str() : path[0] == '/' ? "/" : ".";
  int dir = ::open(folderName, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}
