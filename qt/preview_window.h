// The preview window built from its template: an OpenGL surface with a title
// bar and a minimize box, which no close request can close. It opens at the
// template's size, its least, and grows; the square is zoomed and moved in it.
#pragma once

#include <QSurfaceFormat>
#include <QWindow>

struct DialogTemplate;
struct PreviewView;

// Double-buffered RGB with 24-bit depth and 8-bit stencil, compatibility
// profile so that immediate mode works; swaps never wait for a vertical
// retrace, so a swap cannot stall the one thread.
QSurfaceFormat previewSurfaceFormat();

class PreviewWindow : public QWindow {
    Q_OBJECT
  public:
    explicit PreviewWindow(const DialogTemplate& dialog);

    // The view that the mouse wheel zooms about the pointer, dragging pans
    // and Home fits; the title shows its zoom ("VeltraEd Preview (200%)").
    void showView(PreviewView* shown);

  protected:
    bool event(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void showZoom();

    QString caption;
    PreviewView* view = nullptr;
    QPointF dragFrom;
};
