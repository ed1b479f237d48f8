// The preview window built from its template: an OpenGL surface of fixed
// size with a title bar and a minimize box, which no close request can close.
#pragma once

#include <QSurfaceFormat>
#include <QWindow>

struct DialogTemplate;

// Double-buffered RGB with 24-bit depth and 8-bit stencil, compatibility
// profile so that immediate mode works; swaps never wait for a vertical
// retrace, so a swap cannot stall the one thread.
QSurfaceFormat previewSurfaceFormat();

class PreviewWindow : public QWindow {
    Q_OBJECT
  public:
    explicit PreviewWindow(const DialogTemplate& dialog);

  protected:
    bool event(QEvent* event) override;
};
