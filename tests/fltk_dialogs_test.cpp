#include "platform/sdl/fltk_dialogs.h"

#include <gtest/gtest.h>

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
