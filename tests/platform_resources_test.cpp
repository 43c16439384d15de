#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"

namespace {

std::vector<uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Embedded(const std::string& file) {
  std::string extension = std::filesystem::path(file).extension().string();
  return file.rfind("README", 0) != 0 && extension != ".md" && extension != ".txt";
}

TEST(ResourcesTest, EveryMediaFileIsEmbeddedByteForByte) {
  std::filesystem::path media = std::filesystem::path(KAVRO_SOURCE_DIR) / "media";
  std::vector<std::string> expected;
  if (std::filesystem::is_directory(media))
    for (const auto& entry : std::filesystem::directory_iterator(media))
      if (entry.is_regular_file() && Embedded(entry.path().filename().string()))
        expected.push_back("incbin::media/" + entry.path().filename().string());
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> names = ResourceNames();
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names, expected) << "rebuild after adding media";
  for (const std::string& name : names) {
    auto bytes = FindResource(name);
    ASSERT_NE(bytes.data(), nullptr) << name;
    std::vector<uint8_t> file =
        FileBytes(media / name.substr(std::string("incbin::media/").size()));
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.begin(), file.end())) << name;
    std::vector<uint8_t> read;
    EXPECT_TRUE(ReadSourceBytes(name, read));
    EXPECT_EQ(read, file) << name;
  }
}

TEST(ResourcesTest, UnknownNamesHaveNoBytes) {
  EXPECT_EQ(FindResource("incbin::media/none.png").data(), nullptr);
  EXPECT_EQ(FindResource("media/bitmapfont.png").data(), nullptr) << "only the full name counts";
  std::vector<uint8_t> bytes = {1};
  EXPECT_FALSE(ReadSourceBytes("incbin::media/none.png", bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ReadSourceBytes("/no/such/file", bytes));
}

TEST(ResourcesTest, EmbeddedPicturesDecodeAtTheirListedSizes) {
  InstallHeadlessBackend();
  struct Expected {
    const char* name;
    int width, height;
    bool alpha;
  };
  const Expected pictures[] = {
      {"incbin::media/EmptyBackground.jpg", 1400, 900, false},
      {"incbin::media/3D-Board-0.jpg", 1400, 850, false},
      {"incbin::media/2D-Board-3-schmal.jpg", 1000, 850, false},
      {"incbin::media/3D-button-5.png", 70, 50, true},
      {"incbin::media/2D-button-0.png", 42, 42, true},
      {"incbin::media/progress-cover.png", 250, 20, true},
      {"incbin::media/progress-bar.png", 240, 10, false},
      {"incbin::media/bitmapfont.png", 4646, 60, true},
      {"incbin::media/Dock-Left.png", 720, 120, true},
      {"incbin::media/InfoDockTitles.png", 320, 450, true},
  };
  for (const Expected& expected : pictures) {
    if (!FindResource(expected.name).data()) continue;  // media still arriving
    auto picture = LoadPicture(expected.name);
    ASSERT_TRUE(picture) << expected.name;
    EXPECT_EQ(picture->width, expected.width) << expected.name;
    EXPECT_EQ(picture->height, expected.height) << expected.name;
    EXPECT_EQ(picture->hasAlpha, expected.alpha) << expected.name;
  }
}

}  // namespace
