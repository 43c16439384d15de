// The FLTK dialogs dressed in the game's colours, and kept from writing
// FLTK's own preference files into the player's home folder.
#pragma once

namespace sdl_backend {

// Once, before the first dialog is built: scheme, palette, text size, and
// FLTK's preferences pointed where nothing can be written. Afterwards every
// dialog window is adjusted when it is shown: the default button without
// its return-arrow glyph, buttons wide enough for their German labels, the
// file chooser's outside labels clear of the window edge.
void StyleFltk();

}  // namespace sdl_backend
