#include "preview_window.h"

#include "dialog_templates.h"
#include "dialog_units.h"

#include "preview.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>

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
    caption = title();
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

void PreviewWindow::showView(PreviewView* shown) {
    view = shown;
    showZoom();
}

void PreviewWindow::showZoom() {
    const int percent = view ? previewZoomPercent(*view) : 100;
    setTitle(percent == 100 ? caption : caption + QStringLiteral(" (%1%)").arg(percent));
}

// Positions in the view are in the frame's pixels.
void PreviewWindow::wheelEvent(QWheelEvent* event) {
    if (!view) return;
    const qreal scale = devicePixelRatio();
    const QPointF at = event->position() * scale;
    // Four notches of a wheel double the zoom.
    const float factor = (float)std::exp2(event->angleDelta().y() / 480.0);
    zoomPreviewView(*view, qRound(width() * scale), qRound(height() * scale), factor, (float)at.x(),
                    (float)at.y());
    showZoom();
}

void PreviewWindow::mousePressEvent(QMouseEvent* event) {
    dragFrom = event->position();
}

void PreviewWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!view || !(event->buttons() & Qt::LeftButton)) return;
    const QPointF moved = (event->position() - dragFrom) * devicePixelRatio();
    dragFrom = event->position();
    view->panX += (float)moved.x();
    view->panY += (float)moved.y();
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (!view || event->key() != Qt::Key_Home) return QWindow::keyPressEvent(event);
    *view = PreviewView{};
    showZoom();
}
