#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

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

TEST_F(FilesTest, OpeningFailsWithNullStream) {
  EXPECT_FALSE(OpenForReading(folder / "missing"));
  EXPECT_FALSE(OpenForReading(folder.path)) << "a directory is no stream";
  EXPECT_FALSE(OpenForWriting(folder / "no/such/folder/file"));
  EXPECT_FALSE(OpenForReading(""));
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

TEST_F(FilesTest, CloseReportsDataThatCouldNotBeWritten) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  auto stream = OpenForWriting("/dev/full");
  ASSERT_TRUE(stream);
  for (int i = 0; i < 10; ++i) WriteByte(stream, i);
  EXPECT_FALSE(Close(stream));
  EXPECT_FALSE(Close(nullptr));
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
  int entries = 0;
  for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder.path)) entries++;
  EXPECT_EQ(entries, 2);
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

TEST_F(FilesTest, FailedAtomicWriteKeepsTheOldFileAndNoTemporary) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  std::string locked = folder / "locked";
  std::filesystem::create_directory(locked);
  WriteBytes(locked + "/settings", {9, 8, 7});
  chmod(locked.c_str(), 0555);
  EXPECT_FALSE(WriteFileAtomically(locked + "/settings", {1, 2, 3, 4}));
  chmod(locked.c_str(), 0755);
  EXPECT_EQ(FileBytes(locked + "/settings"), (std::vector<uint8_t>{9, 8, 7}));
  int entries = 0;
  for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(locked)) entries++;
  EXPECT_EQ(entries, 1);
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
  int entries = 0;
  for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder.path)) entries++;
  EXPECT_EQ(entries, 1);
}

TEST_F(FilesTest, AtomicWriteRefusesFoldersAndMissingFolders) {
  std::filesystem::create_directories(folder / "dir/inside");
  EXPECT_FALSE(WriteFileAtomically(folder / "dir", {1, 2}));
  EXPECT_FALSE(WriteFileAtomically(folder / "missing/settings", {1}));
  EXPECT_EQ(PathType(folder / "dir"), 2);
}

}  // namespace
