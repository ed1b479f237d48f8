#include "preview_window.h"

#include "dialog_templates.h"
#include "dialog_units.h"

#include <QEvent>

QSurfaceFormat previewSurfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    format.setSwapInterval(0);
    return format;
}

PreviewWindow::PreviewWindow(const DialogTemplate& dialog) {
    setObjectName(QString::number(dialog.id));
    setTitle(QString::fromUtf8(dialog.caption));
    setFlags(templateWindowFlags(dialog));
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(previewSurfaceFormat());

    const DialogUnits units = DialogUnits::forFont(templateFont(dialog));
    const QSize size(units.toPixelsX(dialog.width), units.toPixelsY(dialog.height));
    resize(size);
    setMinimumSize(size);
    setMaximumSize(size);
    setFramePosition(QPoint(units.toPixelsX(dialog.x), units.toPixelsY(dialog.y)));
}

// Neither the window manager nor anything else can close the preview.
bool PreviewWindow::event(QEvent* event) {
    if (event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return QWindow::event(event);
}
