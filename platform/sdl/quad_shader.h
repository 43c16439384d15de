// The program for quads drawn in white at full alpha: the texel as it is,
// which is all fixed-function GL_MODULATE does to them. Written out in GLSL
// because Mesa's llvmpipe draws screen-aligned rectangles on a fast path
// only for simple shaders like this one; fixed-function texturing divides
// by q and never qualifies. (Tinted quads stay with fixed function: the
// same fast path with an interpolated colour draws wrong colours on Mesa
// 22.3.)
#pragma once

namespace sdl_backend {

// Builds the program in the current context. Answers 0 when the context
// cannot (no GLSL 1.20); drawing then stays with fixed function.
unsigned MakeQuadProgram();

// Binds a program made by MakeQuadProgram; 0 returns to fixed function.
void UseQuadProgram(unsigned program);

}  // namespace sdl_backend
