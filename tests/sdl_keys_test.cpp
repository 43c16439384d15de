#include "platform/sdl/sdl_keys.h"

#include <gtest/gtest.h>

using sdl_backend::TypedCodes;
using sdl_backend::VirtualKey;

TEST(SdlKeys, GameKeysGetTheirVirtualKeyNumbers) {
  EXPECT_EQ(VirtualKey(SDLK_RETURN), 13);
  EXPECT_EQ(VirtualKey(SDLK_KP_ENTER), 13);
  EXPECT_EQ(VirtualKey(SDLK_ESCAPE), 27);
  EXPECT_EQ(VirtualKey(SDLK_SPACE), 32);
  EXPECT_EQ(VirtualKey(SDLK_PAGEUP), 33);
  EXPECT_EQ(VirtualKey(SDLK_PAGEDOWN), 34);
  EXPECT_EQ(VirtualKey(SDLK_LEFT), 37);
  EXPECT_EQ(VirtualKey(SDLK_UP), 38);
  EXPECT_EQ(VirtualKey(SDLK_RIGHT), 39);
  EXPECT_EQ(VirtualKey(SDLK_DOWN), 40);
  EXPECT_EQ(VirtualKey(SDLK_LCTRL), 162);
  EXPECT_EQ(VirtualKey(SDLK_RCTRL), 163);
  EXPECT_EQ(VirtualKey(SDLK_LALT), 164);
  EXPECT_EQ(VirtualKey(SDLK_RALT), 165);
}

TEST(SdlKeys, LettersAreUpperCaseCodesAndDigitsTheirCharacters) {
  EXPECT_EQ(VirtualKey(SDLK_a), 65);
  EXPECT_EQ(VirtualKey(SDLK_z), 90);
  EXPECT_EQ(VirtualKey(SDLK_q), 'Q');
  EXPECT_EQ(VirtualKey(SDLK_0), 48);
  EXPECT_EQ(VirtualKey(SDLK_9), 57);
  EXPECT_EQ(VirtualKey(SDLK_F1), 112);
  EXPECT_EQ(VirtualKey(SDLK_KP_0), 96);
  EXPECT_EQ(VirtualKey(SDLK_KP_9), 105);
}

TEST(SdlKeys, KeysWithoutANumberAreIgnored) {
  EXPECT_EQ(VirtualKey(SDLK_UNKNOWN), 0);
  EXPECT_EQ(VirtualKey(SDLK_AUDIOPLAY), 0);
  EXPECT_EQ(VirtualKey(SDLK_CAPSLOCK), 0);
  // Keys for umlauts on German layouts report their Latin-1 symbol.
  EXPECT_EQ(VirtualKey(SDL_Keycode(0xE4)), 0);
}

TEST(SdlKeys, TypedTextBecomesLatin1Codes) {
  EXPECT_EQ(TypedCodes("a"), std::vector<int>({'a'}));
  EXPECT_EQ(TypedCodes("Äß!"), std::vector<int>({196, 223, '!'}));
  EXPECT_EQ(TypedCodes("°"), std::vector<int>({176}));
  // Beyond Latin-1 the font has nothing to draw: dropped, the rest kept.
  EXPECT_EQ(TypedCodes("x€y"), std::vector<int>({'x', 'y'}));
  EXPECT_TRUE(TypedCodes("").empty());
}
