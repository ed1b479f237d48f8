// An OpenGL compatibility context without a window system: Mesa's EGL
// surfaceless platform with a pbuffer as the default framebuffer, so that
// tests and tools can draw and read pixels back.
#pragma once

struct HeadlessGL;

// Makes a context of width x height pixels and makes it current; null when
// none can be had. swap of a pbuffer is a no-op: draw, then glReadPixels.
HeadlessGL* createHeadlessGL(int width, int height);
void makeHeadlessGLCurrent(HeadlessGL* gl);
void releaseHeadlessGLCurrent();
void destroyHeadlessGL(HeadlessGL* gl);
