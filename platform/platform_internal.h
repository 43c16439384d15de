// Pieces the platform's own files share; not for the game.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

class Backend;

namespace platform_detail {
// The backend in use, for pictures that must give their texture back to
// the backend that holds it.
std::weak_ptr<Backend> CurrentBackendHandle();
void ResetDrawing();      // drawing state, text font, glyph picture cache
void ResetPictures();     // transparent colour
void ResetPacing();       // PresentFrame's due time and accumulator
void ResetWindow();       // title, hertz
bool TakeSignalClose();   // a signal asked to close since the last call
void ClearSignalClose();  // both flags, and the wake pipe drained
// A termination signal arrived; stays true until ClearSignalClose, so a
// dialog opened after it closes at once as if cancelled.
bool SignalEndPending();
// Readable after a termination signal, for a toolkit's event wait; -1
// before InstallSignalHandlers.
int SignalWakeFd();
void DrainSignalWake();
// Decodes PNG or JPEG bytes to RGBA; false when they are neither or broken.
bool DecodeImage(const uint8_t* data, size_t size, int& width, int& height,
                 std::vector<uint8_t>& rgba, bool& hasAlpha);
// An empty picture that gives its texture back to its backend when the
// last user lets go.
PictureRef NewPicture();
// Texture rectangle of a frame on its picture's sheet.
void FrameRect(const Picture& picture, int frame, float& u0, float& v0, float& u1, float& v1);
// Uploads the sheet unless it already lives on the current backend.
void EnsureUploaded(Picture& picture);
// Registers the loaders of the fonts built into the platform, once.
void RegisterBuiltinFontLoaders();
}  // namespace platform_detail
