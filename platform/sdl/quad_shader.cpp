#include "platform/sdl/quad_shader.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace sdl_backend {

namespace {

// The vertex arrays and matrices stay those of fixed function.
const char* const kVertexSource = R"(#version 120
varying vec2 texel;
void main() {
  gl_Position = ftransform();
  texel = gl_MultiTexCoord0.xy;
}
)";

const char* const kFragmentSource = R"(#version 120
uniform sampler2D picture;
varying vec2 texel;
void main() {
  gl_FragColor = texture2D(picture, texel);
}
)";

struct Functions {
  PFNGLCREATESHADERPROC createShader;
  PFNGLSHADERSOURCEPROC shaderSource;
  PFNGLCOMPILESHADERPROC compileShader;
  PFNGLGETSHADERIVPROC getShaderiv;
  PFNGLGETSHADERINFOLOGPROC getShaderInfoLog;
  PFNGLDELETESHADERPROC deleteShader;
  PFNGLCREATEPROGRAMPROC createProgram;
  PFNGLATTACHSHADERPROC attachShader;
  PFNGLLINKPROGRAMPROC linkProgram;
  PFNGLGETPROGRAMIVPROC getProgramiv;
  PFNGLDELETEPROGRAMPROC deleteProgram;
  PFNGLUSEPROGRAMPROC useProgram;
};

Functions gl;

template <typename T>
bool Load(T& function, const char* name) {
  function = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
  return function != nullptr;
}

bool LoadFunctions() {
  // The entry points may resolve even where the context lacks them.
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (!version || std::atoi(version) < 2) return false;
  return Load(gl.createShader, "glCreateShader") && Load(gl.shaderSource, "glShaderSource") &&
         Load(gl.compileShader, "glCompileShader") && Load(gl.getShaderiv, "glGetShaderiv") &&
         Load(gl.getShaderInfoLog, "glGetShaderInfoLog") &&
         Load(gl.deleteShader, "glDeleteShader") && Load(gl.createProgram, "glCreateProgram") &&
         Load(gl.attachShader, "glAttachShader") && Load(gl.linkProgram, "glLinkProgram") &&
         Load(gl.getProgramiv, "glGetProgramiv") && Load(gl.deleteProgram, "glDeleteProgram") &&
         Load(gl.useProgram, "glUseProgram");
}

GLuint Compile(GLenum type, const char* source) {
  GLuint shader = gl.createShader(type);
  gl.shaderSource(shader, 1, &source, nullptr);
  gl.compileShader(shader);
  GLint ok = GL_FALSE;
  gl.getShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return shader;
  char log[512] = "";
  gl.getShaderInfoLog(shader, sizeof log, nullptr, log);
  std::fprintf(stderr, "kavro: shader not compiled, drawing without: %s\n", log);
  gl.deleteShader(shader);
  return 0;
}

}  // namespace

unsigned MakeQuadProgram() {
  if (!LoadFunctions()) {
    gl.useProgram = nullptr;
    return 0;
  }
  GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexSource);
  GLuint fragment = vertex ? Compile(GL_FRAGMENT_SHADER, kFragmentSource) : 0;
  GLuint program = 0;
  if (vertex && fragment) {
    program = gl.createProgram();
    gl.attachShader(program, vertex);
    gl.attachShader(program, fragment);
    gl.linkProgram(program);
    GLint ok = GL_FALSE;
    gl.getProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      std::fprintf(stderr, "kavro: shader not linked, drawing without\n");
      gl.deleteProgram(program);
      program = 0;
    }
  }
  // Attached shaders live on with the program.
  if (vertex) gl.deleteShader(vertex);
  if (fragment) gl.deleteShader(fragment);
  return program;
}

void UseQuadProgram(unsigned program) {
  if (gl.useProgram) gl.useProgram(program);
}

}  // namespace sdl_backend
