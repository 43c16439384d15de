#include "platform/sdl/fltk_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using sdl_backend::FltkFilter;

TEST(FltkDialogs, TheGamesFiltersBecomeDescriptionTabPattern) {
  EXPECT_EQ(FltkFilter("Kavro-Spiele:KVs;"), "Kavro-Spiele\t*.KVs");
  // The load requester's filter ends in a blank after the semicolon.
  EXPECT_EQ(FltkFilter("Kavro-Spiele:KVs; "), "Kavro-Spiele\t*.KVs");
}

TEST(FltkDialogs, SeveralEntriesAndExtensions) {
  EXPECT_EQ(FltkFilter("Bilder:png,jpg;Alle:*"), "Bilder\t*.{png,jpg}\nAlle\t*");
  EXPECT_EQ(FltkFilter("Text:.txt"), "Text\t*.txt");
  EXPECT_EQ(FltkFilter(":KVs"), "*.KVs\t*.KVs");
}

TEST(FltkDialogs, EntriesWithoutExtensionAreDropped) {
  EXPECT_EQ(FltkFilter(""), "");
  EXPECT_EQ(FltkFilter("Nichts:;"), "");
  EXPECT_EQ(FltkFilter("OhneDoppelpunkt;Spiele:KVs;"), "Spiele\t*.KVs");
}

TEST(FltkDialogs, TheChooserListsEachFilterAsDescriptionWithPattern) {
  using sdl_backend::ChooserPatterns;
  EXPECT_EQ(ChooserPatterns(FltkFilter("Kavro-Spiele:KVs;")), "Kavro-Spiele (*.KVs)");
  EXPECT_EQ(ChooserPatterns(FltkFilter("Bilder:png,jpg;Alle:*")), "Bilder (*.{png,jpg})\tAlle (*)");
  EXPECT_EQ(ChooserPatterns(""), "");
}

// A typed bare name belongs in the folder the requester shows, not in the
// program's working directory.
TEST(FltkDialogs, ATypedNameIsMadeWholeAgainstTheShownFolder) {
  using sdl_backend::ChooserWholeName;
  EXPECT_EQ(ChooserWholeName("/home/anna/Spiele", "partie"), "/home/anna/Spiele/partie");
  EXPECT_EQ(ChooserWholeName("/home/anna/Spiele/", "p"), "/home/anna/Spiele/p");
  EXPECT_EQ(ChooserWholeName("/", "partie.KVs"), "/partie.KVs");
  EXPECT_EQ(ChooserWholeName("/home/anna", "alt/partie"), "/home/anna/alt/partie");
  // Already whole, or forms FLTK expands itself, or nothing typed: unchanged.
  EXPECT_EQ(ChooserWholeName("/home/anna", "/tmp/partie"), "/tmp/partie");
  EXPECT_EQ(ChooserWholeName("/home/anna", "~/partie"), "~/partie");
  EXPECT_EQ(ChooserWholeName("/home/anna", "$HOME/partie"), "$HOME/partie");
  EXPECT_EQ(ChooserWholeName("/home/anna", ""), "");
  EXPECT_EQ(ChooserWholeName("", "partie"), "partie");
}

// The save requester makes the name final before it asks about replacing:
// the filter's one extension is added unless the name has it already.
TEST(FltkDialogs, ASavedNameGetsTheFiltersOnlyExtension) {
  using sdl_backend::WithSoleExtension;
  const std::string games = "Kavro-Spiele:KVs;";
  EXPECT_EQ(WithSoleExtension(games, "/home/anna/partie"), "/home/anna/partie.KVs");
  EXPECT_EQ(WithSoleExtension(games, "/home/anna/partie.KVs"), "/home/anna/partie.KVs");
  EXPECT_EQ(WithSoleExtension(games, "/home/anna/partie.kvs"), "/home/anna/partie.kvs.KVs");
  EXPECT_EQ(WithSoleExtension(games, "/home/anna/p.KVs.alt"), "/home/anna/p.KVs.alt.KVs");
  EXPECT_EQ(WithSoleExtension("Kavro-Spiele:KVs; ", "p"), "p.KVs");
  // Nothing to add to: no name, a folder, several or open-ended extensions.
  EXPECT_EQ(WithSoleExtension(games, ""), "");
  EXPECT_EQ(WithSoleExtension(games, "/home/anna/"), "/home/anna/");
  EXPECT_EQ(WithSoleExtension("Bilder:png,jpg;", "bild"), "bild");
  EXPECT_EQ(WithSoleExtension("Spiele:KVs;Alle:*", "p"), "p");
  EXPECT_EQ(WithSoleExtension("Alle:*", "p"), "p");
  EXPECT_EQ(WithSoleExtension("", "p"), "p");
}

// A long path in a message gives way in its middle, character by
// character (never inside one), until its line fits; other lines stay.
TEST(FltkDialogs, LongLinesOfAMessageAreShortenedInTheMiddle) {
  using sdl_backend::ElideLongLines;
  // Width as characters, so a multi-byte character counts once.
  const auto characters = [](const std::string& line) {
    return double(
        std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; }));
  };
  std::mt19937 random(14);
  const std::vector<std::string> pieces = {"a", "/", "ä", "ß", "€", "Ordner"};
  for (int round = 0; round < 300; ++round) {
    std::string path = "'/";
    const int length = int(random() % 200);
    for (int i = 0; i < length; ++i) path += pieces[random() % pieces.size()];
    path += ".KVs'";
    const double limit = static_cast<double>(30 + random() % 60);  // the other lines fit
    const std::string text = "konnte das Spiel aus der Datei\n" + path + "\nnicht laden";
    const std::string shown = ElideLongLines(text, limit, characters);
    const std::string line =
        shown.substr(shown.find('\n') + 1, shown.rfind('\n') - shown.find('\n') - 1);
    ASSERT_EQ(shown.substr(0, shown.find('\n')), "konnte das Spiel aus der Datei") << shown;
    ASSERT_EQ(shown.substr(shown.rfind('\n')), "\nnicht laden");
    if (characters(path) <= limit) {
      ASSERT_EQ(line, path);
      continue;
    }
    ASSERT_EQ(characters(line), limit) << line;
    const size_t dots = line.find("…");
    ASSERT_NE(dots, std::string::npos);
    const std::string front = line.substr(0, dots), back = line.substr(dots + 3);
    ASSERT_EQ(path.compare(0, front.size(), front), 0) << line;
    ASSERT_EQ(path.compare(path.size() - back.size(), back.size(), back), 0) << line;
    ASSERT_LE(std::abs(characters(front) - characters(back)), 1) << line;
  }
}
