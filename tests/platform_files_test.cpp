#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "platform/platform.h"
#include "tests/platform_test_images.h"

namespace {

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FilesTest : public ::testing::Test {
 protected:
  test_images::ScratchFolder folder;
};

TEST_F(FilesTest, ReadingPastTheEndRaisesTheStreamFailure) {
  WriteBytes(folder / "two", {7, 200});
  auto stream = OpenForReading(folder / "two");
  ASSERT_TRUE(stream);
  EXPECT_FALSE(Eof(stream));
  EXPECT_EQ(ReadByte(stream), 7);
  EXPECT_EQ(ReadByte(stream), 200);
  EXPECT_TRUE(Eof(stream));
  try {
    ReadByte(stream);
    FAIL() << "no failure past the end";
  } catch (const StreamError& error) {
    EXPECT_STREQ(error.what(), "Error reading from stream");
  }
  EXPECT_THROW(ReadByte(nullptr), StreamError);
}

TEST_F(FilesTest, WriteLineAndWriteByteProduceExactBytes) {
  auto stream = OpenForWriting(folder / "out");
  ASSERT_TRUE(stream);
  WriteLine(stream, "/home/jörg");
  WriteByte(stream, 0x1FF);
  WriteByte(stream, 0);
  EXPECT_TRUE(Close(stream));
  std::vector<uint8_t> expected = {'/',  'h', 'o', 'm', 'e', '/',  'j', 0xC3,
                                   0xB6, 'r', 'g', 13,  10,  0xFF, 0};
  EXPECT_EQ(FileBytes(folder / "out"), expected);
}

TEST_F(FilesTest, ReadLineStopsAtLineFeedNulOrEndAndDropsCarriageReturns) {
  WriteBytes(folder / "lines", {'a', '\r', 'b', '\n', 'c', 0, 'd', '\r', '\n', 0xE4, 'e'});
  auto stream = OpenForReading(folder / "lines");
  EXPECT_EQ(ReadLine(stream), "ab");
  EXPECT_EQ(ReadLine(stream), "c");
  EXPECT_EQ(ReadLine(stream), "d");
  EXPECT_EQ(ReadLine(stream),
            "\xE4"
            "e");
  EXPECT_TRUE(Eof(stream));
  EXPECT_EQ(ReadLine(stream), "");
}

TEST_F(FilesTest, LineWrittenIsTheLineRead) {
  auto out = OpenForWriting(folder / "round");
  WriteLine(out, "Spiele/Übung");
  WriteByte(out, 42);
  ASSERT_TRUE(Close(out));
  auto in = OpenForReading(folder / "round");
  EXPECT_EQ(ReadLine(in), "Spiele/Übung");
  EXPECT_EQ(ReadByte(in), 42);
}

// Only regular files are streams; a write cut short shows in Close.
TEST_F(FilesTest, CloseReportsDataThatCouldNotBeWritten) {
  EXPECT_FALSE(OpenForWriting("/dev/full")) << "a device is no stream";
  auto stream = OpenForWriting(folder / "short");
  ASSERT_TRUE(stream);
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 1000;
  setrlimit(RLIMIT_FSIZE, &small);
  for (int i = 0; i < 10000; ++i) WriteByte(stream, i);
  bool closed = Close(stream);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedSignal);
  EXPECT_FALSE(closed);
  EXPECT_FALSE(Close(nullptr));
}

// A FIFO without a writer, endless devices, folders and links to them: no
// service may wait on them or read them without end; what is not there or
// not a file opens as a null stream.
TEST_F(FilesTest, OnlyRegularFilesAreReadAndNothingWaits) {
  const std::string fifo = folder / "pipe.KVs";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  symlink("/dev/zero", (folder / "zero").c_str());
  symlink(fifo.c_str(), (folder / "to-pipe").c_str());
  std::vector<uint8_t> bytes{1};
  for (const std::string& path :
       {fifo, folder / "zero", folder / "to-pipe", std::string("/dev/zero"),
        std::string("/dev/urandom"), folder.path, folder / "missing", std::string()}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(OpenForReading(path));
    EXPECT_FALSE(ReadRegularFile(path, 1 << 20, bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(ReadSourceBytes(path, bytes));
  }
  EXPECT_FALSE(OpenForWriting(fifo)) << "no reader: must not wait for one";
  EXPECT_FALSE(OpenForWriting(folder / "zero"));
  EXPECT_FALSE(OpenForWriting(folder.path));
  EXPECT_FALSE(OpenForWriting(folder / "no/such/folder/file"));
  struct stat info;
  ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));

  // A regular file is read whole up to the limit, through a link too; one
  // byte over the limit is a failure.
  std::mt19937 random(14);
  for (size_t size :
       {size_t(0), size_t(1), size_t(65535), size_t(65536), size_t(65537), size_t(200001)}) {
    SCOPED_TRACE(size);
    std::vector<uint8_t> content(size);
    for (auto& byte : content) byte = uint8_t(random());
    WriteBytes(folder / "file", content);
    symlink("file", (folder / "link").c_str());
    EXPECT_TRUE(ReadRegularFile(folder / "link", size, bytes));
    EXPECT_EQ(bytes, content);
    EXPECT_TRUE(ReadSourceBytes(folder / "file", bytes));
    EXPECT_EQ(bytes, content);
    if (size > 0) {
      EXPECT_FALSE(ReadRegularFile(folder / "file", size - 1, bytes));
      EXPECT_TRUE(bytes.empty());
    }
    std::filesystem::remove(folder / "link");
  }
}

TEST_F(FilesTest, PathTypesAndPathParts) {
  WriteBytes(folder / "file", {1});
  EXPECT_EQ(PathType(folder / "file"), 1);
  EXPECT_EQ(PathType(folder.path), 2);
  EXPECT_EQ(PathType(folder / "nothing"), 0);
  EXPECT_EQ(PathType(""), 0);
  EXPECT_EQ(DirectoryPart("/home/anna/Spiel.KVs"), "/home/anna");
  EXPECT_EQ(DirectoryPart("Spiel.KVs"), "");
  EXPECT_EQ(DirectoryPart("/Spiel.KVs"), "");
  EXPECT_EQ(AbsolutePath("/a/b/../c/./d"), "/a/c/d");
  std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(AbsolutePath("x/y.KVs"), cwd + "/x/y.KVs");
  EXPECT_EQ(DirectoryPart(AbsolutePath("Spiel.KVs")), cwd);
}

TEST_F(FilesTest, HomeFromEnvironmentOrPasswordDatabase) {
  const char* saved = std::getenv("HOME");
  std::string savedHome = saved ? saved : "";
  setenv("HOME", "/somewhere/else", 1);
  EXPECT_EQ(HomeDirectory(), "/somewhere/else");
  unsetenv("HOME");
  const passwd* entry = getpwuid(getuid());
  std::string expected = entry && entry->pw_dir ? entry->pw_dir : "";
  EXPECT_EQ(HomeDirectory(), expected);
  if (saved) setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(FilesTest, AtomicWriteReplacesTheFileAndLeavesNothingElse) {
  std::string path = folder / "settings";
  WriteBytes(path, {1, 2, 3});
  std::vector<uint8_t> bytes(100000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7);
  EXPECT_TRUE(WriteFileAtomically(path, bytes));
  EXPECT_EQ(FileBytes(path), bytes);
  EXPECT_TRUE(WriteFileAtomically(folder / "new", {}));
  EXPECT_EQ(PathType(folder / "new"), 1);
  EXPECT_EQ(Entries(folder.path), (std::vector<std::string>{"new", "settings"}));
}

TEST_F(FilesTest, AtomicWriteKeepsTheOldPermissions) {
  std::string path = folder / "private";
  WriteBytes(path, {1});
  chmod(path.c_str(), 0600);
  ASSERT_TRUE(WriteFileAtomically(path, {2, 3}));
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// Runs check in a child process as a user who may not write in a folder
// (root may write anywhere); the child's exit code is the number of failed
// points.
int AsOtherUser(const std::function<int()>& check) {
  FinishBackgroundWrites();  // the child must not inherit a busy writer
  pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
    _exit(check());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

// A folder the player may not write in: a writable file is rewritten in
// place, a read-only one and a new one fail, and the folder is left as it was.
TEST_F(FilesTest, InAFolderThatIsNotWritableOnlyAWritableFileIsRewrittenInPlace) {
  const std::string locked = folder / "locked";
  std::filesystem::create_directory(locked);
  WriteBytes(locked + "/settings", {9, 8, 7, 6, 5});
  WriteBytes(locked + "/kept", {9, 8, 7});
  chmod((locked + "/settings").c_str(), 0666);
  chmod((locked + "/kept").c_str(), 0644);
  chmod(folder.path.c_str(), 0755);
  chmod(locked.c_str(), 0555);
  const int failed = AsOtherUser([&] {
    return int(!WriteFileAtomically(locked + "/settings", {1, 2, 3})) +
           int(WriteFileAtomically(locked + "/kept", {1, 2, 3, 4})) +
           int(WriteFileAtomically(locked + "/new", {1}));
  });
  chmod(locked.c_str(), 0755);
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(FileBytes(locked + "/settings"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(FileBytes(locked + "/kept"), (std::vector<uint8_t>{9, 8, 7}));
  EXPECT_EQ(Entries(locked), (std::vector<std::string>{"kept", "settings"}));
}

TEST_F(FilesTest, AtomicWriteCutShortKeepsTheOldFileAndRemovesItsTemporary) {
  std::string path = folder / "settings";
  WriteBytes(path, {5, 5, 5});
  // Files may grow to 1000 bytes only: the write of the temporary fails.
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 1000;
  setrlimit(RLIMIT_FSIZE, &small);
  bool written = WriteFileAtomically(path, std::vector<uint8_t>(5000, 1));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedSignal);
  EXPECT_FALSE(written);
  EXPECT_EQ(FileBytes(path), (std::vector<uint8_t>{5, 5, 5}));
  EXPECT_EQ(Entries(folder.path), std::vector<std::string>{"settings"});
}

TEST_F(FilesTest, AtomicWriteRefusesFoldersAndMissingFolders) {
  std::filesystem::create_directories(folder / "dir/inside");
  EXPECT_FALSE(WriteFileAtomically(folder / "dir", {1, 2}));
  EXPECT_FALSE(WriteFileAtomically(folder / "missing/settings", {1}));
  EXPECT_EQ(PathType(folder / "dir"), 2);
}

// Links are followed to the file they name, however they are spelt; the
// links themselves stay links.
TEST_F(FilesTest, AtomicWriteReplacesTheTargetOfALinkAndKeepsTheLink) {
  std::filesystem::create_directories(folder / "dots/deep");
  WriteBytes(folder / "dots/deep/real", {1});
  symlink((folder / "dots/deep/real").c_str(), (folder / "dots/absolute").c_str());
  symlink("dots/absolute", (folder / "settings").c_str());      // relative, then absolute
  symlink("deep/nowhere", (folder / "dots/dangling").c_str());  // target to be made
  symlink("dots/dangling", (folder / "saved.KVs").c_str());
  symlink("loop-b", (folder / "loop-a").c_str());
  symlink("loop-a", (folder / "loop-b").c_str());

  EXPECT_TRUE(WriteFileAtomically(folder / "settings", {4, 5, 6}));
  EXPECT_TRUE(WriteFileAtomically(folder / "saved.KVs", {7}));
  EXPECT_FALSE(WriteFileAtomically(folder / "loop-a", {8}));
  EXPECT_EQ(FileBytes(folder / "dots/deep/real"), (std::vector<uint8_t>{4, 5, 6}));
  EXPECT_EQ(FileBytes(folder / "dots/deep/nowhere"), (std::vector<uint8_t>{7}));
  for (const char* link : {"settings", "saved.KVs", "dots/absolute", "dots/dangling", "loop-a"})
    EXPECT_TRUE(std::filesystem::is_symlink(folder / link)) << link;
  EXPECT_EQ(Entries(folder / "dots/deep"), (std::vector<std::string>{"nowhere", "real"}));
  EXPECT_EQ(Entries(folder.path).size(), 5u) << "no temporary left beside the links";
}

// A read-only file, or a link to one, or something that is no plain file,
// is left as it is, with one line on stderr per file however often the
// game tries.
TEST_F(FilesTest, ReadOnlyAndSpecialFilesAreNotReplaced) {
  WriteBytes(folder / "settings", {3, 2, 1});
  chmod((folder / "settings").c_str(), 0444);
  symlink("settings", (folder / "link").c_str());
  mkfifo((folder / "pipe").c_str(), 0644);
  testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(WriteFileAtomically(folder / "settings", {1}));
    EXPECT_FALSE(WriteFileAtomically(folder / "link", {1}));
    EXPECT_FALSE(WriteFileAtomically(folder / "pipe", {1}));
  }
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "kavro: " + folder / "settings" + " is read-only; not replaced\n" +
                      "kavro: " + folder / "link" + " is read-only; not replaced\n" +
                      "kavro: " + folder / "pipe" + " is not a plain file; not replaced\n");
  EXPECT_EQ(FileBytes(folder / "settings"), (std::vector<uint8_t>{3, 2, 1}));
  struct stat info;
  ASSERT_EQ(lstat((folder / "pipe").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_EQ(Entries(folder.path), (std::vector<std::string>{"link", "pipe", "settings"}));
}

// Temporaries have short names, so a long legal file name saves; the game's
// own temporaries left by a process that is gone, or very old, go at the
// next write; a running game's and everything else stay.
TEST_F(FilesTest, StaleTemporariesOfTheGameAreRemovedAndLongNamesSave) {
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string me = std::to_string(getpid()), dead = std::to_string(gone);
  struct Case {
    std::string name;
    bool old;
    bool stays;
  };
  const std::vector<Case> cases = {
      {".kavro-" + dead + "-0.tmp", false, false},
      {".kavro-1-3.tmp", true, false},
      {".kavro-" + me + "-9.tmp", false, true},
      {".kavro-1-4.tmp", false, true},
      {".kavro-" + dead + "-x.tmp", false, true},
      {".kavro-" + dead + "-1.tmp.bak", true, true},
      {"kavro-" + dead + "-1.tmp", true, true},
      {".kavro--1.tmp", true, true},
      {".Kavro.ini.tmp" + dead + "-0", true, true},
      {".kavro-" + dead + "-2.tmp/", true, true},
      // Earlier versions' names, of the file written and of another one.
      {"settings.tmp" + dead + "-0", false, false},
      {"settings.tmp" + me + "-1", false, true},
      {"other.tmp" + dead + "-0", false, true}};
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    if (c.name.back() == '/')
      std::filesystem::create_directory(folder / c.name);
    else
      WriteBytes(folder / c.name, {0});
    if (c.old) {
      timespec times[2] = {{std::time(nullptr) - 7200, 0}, {std::time(nullptr) - 7200, 0}};
      utimensat(AT_FDCWD, (folder / c.name).c_str(), times, 0);
    }
    std::string bare = c.name.back() == '/' ? c.name.substr(0, c.name.size() - 1) : c.name;
    if (c.stays) expected.push_back(bare);
  }
  const std::string longName(252, 'n');
  ASSERT_TRUE(WriteFileAtomically(folder / longName, {1, 2}));
  ASSERT_TRUE(WriteFileAtomically(folder / "settings", {3}));
  EXPECT_EQ(FileBytes(folder / longName), (std::vector<uint8_t>{1, 2}));
  expected.push_back(longName);
  expected.push_back("settings");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Entries(folder.path), expected);
}

// Whatever the order of hand-overs, each file ends with the newest bytes
// handed over for it once the writes are finished, written whole.
TEST_F(FilesTest, BackgroundWritesLeaveTheNewestBytesOfEachFile) {
  std::mt19937 random(1414);
  const std::vector<std::string> paths = {folder / "a", folder / "b", folder / "c.KVs"};
  std::map<std::string, std::vector<uint8_t>> newest;
  for (int round = 0; round < 10; ++round) {
    for (int i = 0; i < 40; ++i) {
      const std::string& path = paths[random() % paths.size()];
      std::vector<uint8_t> bytes(random() % 3000);
      for (auto& byte : bytes) byte = uint8_t(random());
      newest[path] = bytes;
      WriteFileInBackground(path, std::move(bytes));
    }
    FinishBackgroundWrites();
    for (const auto& [path, bytes] : newest)
      ASSERT_EQ(FileBytes(path), bytes) << path << " round " << round;
  }
  EXPECT_EQ(Entries(folder.path).size(), newest.size()) << "no temporary left";
}

}  // namespace

// Bytes handed over just before the program exits are still written, and
// the worker thread ends without taking the program down.
TEST(FilesAtExit, HandedOverBytesAreWrittenWhenTheProgramExits) {
  if (const char* path = std::getenv("KAVRO_EXIT_WRITE")) {
    WriteFileInBackground(path, std::vector<uint8_t>(1 << 20, 7));
    std::exit(0);
  }
  test_images::ScratchFolder folder;
  const std::string path = folder / "settings";
  pid_t child = fork();
  if (child == 0) {
    setenv("KAVRO_EXIT_WRITE", path.c_str(), 1);
    unsetenv("GTEST_TOTAL_SHARDS");  // the child runs this one test whatever the shards
    unsetenv("GTEST_SHARD_INDEX");
    execl("/proc/self/exe", "kavro_tests", "--gtest_filter=FilesAtExit.*", nullptr);
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(FileBytes(path), std::vector<uint8_t>(1 << 20, 7));
}
