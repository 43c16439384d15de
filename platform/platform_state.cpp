#include "platform/platform.h"
#include "platform/platform_internal.h"

void ResetPlatformState() {
  platform_detail::ResetWindow();
  platform_detail::ResetPacing();
  platform_detail::ResetDrawing();
  platform_detail::ResetPictures();
  FinishBackgroundWrites();
  input::ResetAll();
  SeedRandom(4660);
  ClearProgramEndHandlers();
}
