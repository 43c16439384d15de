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
