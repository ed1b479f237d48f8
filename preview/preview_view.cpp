// The preview's view: where the square sits in a window of any shape.
#include "preview.h"

#include <algorithm>
#include <cmath>

void zoomPreviewView(PreviewView& view, int width, int height, float factor, float x, float y) {
    const float zoom = std::clamp(view.zoom * factor, MIN_PREVIEW_ZOOM, MAX_PREVIEW_ZOOM);
    const float kept = zoom / view.zoom;
    // The pointer's offset from the square's centre grows with the square.
    const float fromCentreX = x - width * 0.5f - view.panX;
    const float fromCentreY = y - height * 0.5f - view.panY;
    view.panX += fromCentreX - fromCentreX * kept;
    view.panY += fromCentreY - fromCentreY * kept;
    view.zoom = zoom;
}

int previewZoomPercent(const PreviewView& view) {
    return (int)std::lround(view.zoom * 100.0);
}
