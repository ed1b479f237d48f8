#include "headless_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdlib>

struct HeadlessGL {
    EGLDisplay display;
    EGLSurface surface;
    EGLContext context;
};

static EGLDisplay openSurfacelessDisplay() {
    auto getPlatformDisplay =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    if (!getPlatformDisplay) return EGL_NO_DISPLAY;
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) return EGL_NO_DISPLAY;
    if (!eglInitialize(display, nullptr, nullptr)) return EGL_NO_DISPLAY;
    return display;
}

HeadlessGL* createHeadlessGL(int width, int height) {
    EGLDisplay display = openSurfacelessDisplay();
    if (display == EGL_NO_DISPLAY) return nullptr;
    const EGLint configAttribs[] = {EGL_SURFACE_TYPE,
                                    EGL_PBUFFER_BIT,
                                    EGL_RENDERABLE_TYPE,
                                    EGL_OPENGL_BIT,
                                    EGL_RED_SIZE,
                                    8,
                                    EGL_GREEN_SIZE,
                                    8,
                                    EGL_BLUE_SIZE,
                                    8,
                                    EGL_ALPHA_SIZE,
                                    8,
                                    EGL_DEPTH_SIZE,
                                    24,
                                    EGL_STENCIL_SIZE,
                                    8,
                                    EGL_NONE};
    EGLConfig config;
    EGLint found = 0;
    if (!eglChooseConfig(display, configAttribs, &config, 1, &found) || found == 0 ||
        !eglBindAPI(EGL_OPENGL_API)) {
        eglTerminate(display);
        return nullptr;
    }
    const EGLint surfaceAttribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttribs);
    // No profile requested: Mesa gives a compatibility context, so immediate mode works.
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (surface == EGL_NO_SURFACE || context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(display, surface, surface, context)) {
        if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
        if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
        eglTerminate(display);
        return nullptr;
    }
    return new HeadlessGL{display, surface, context};
}

void makeHeadlessGLCurrent(HeadlessGL* gl) {
    if (gl) eglMakeCurrent(gl->display, gl->surface, gl->surface, gl->context);
}

void releaseHeadlessGLCurrent() {
    EGLDisplay display = eglGetCurrentDisplay();
    if (display != EGL_NO_DISPLAY)
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void destroyHeadlessGL(HeadlessGL* gl) {
    if (!gl) return;
    eglMakeCurrent(gl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(gl->display, gl->context);
    eglDestroySurface(gl->display, gl->surface);
    // The display is left initialised: terminating it unloads the driver,
    // which hides its own allocations from leak checks as unknown code.
    delete gl;
}
