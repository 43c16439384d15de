#pragma once

// Chooses the real backend (SDL2, OpenGL, FLTK, audio). Without a display it
// says so on stderr and answers false.
bool InstallSdlBackend();
