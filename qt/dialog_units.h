// Dialog units to pixels, computed from a font the way the classic dialog
// manager does, so a template keeps its proportions on any font and screen.
#pragma once

#include <QFont>
#include <QRect>
#include <Qt>

struct DialogTemplate;

struct DialogUnits {
    int averageCharWidth = 4;  // pixels; one horizontal unit is a quarter of it
    int fontHeight = 8;        // pixels; one vertical unit is an eighth of it

    static DialogUnits forFont(const QFont& font);

    int toPixelsX(int units) const { return scale(units, averageCharWidth, 4); }
    int toPixelsY(int units) const { return scale(units, fontHeight, 8); }
    QRect toPixels(int x, int y, int width, int height) const {
        return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height));
    }

  private:
    // units * base / divisor, rounded to the nearest pixel
    static int scale(int units, int base, int divisor) {
        const int product = units * base;
        return product >= 0 ? (product + divisor / 2) / divisor
                            : -((-product + divisor / 2) / divisor);
    }
};

// The font a template asks for, with a sans-serif fallback where it is missing.
QFont templateFont(const DialogTemplate& dialog);

// The frame a template's style asks for: title bar, close and minimize boxes.
Qt::WindowFlags templateWindowFlags(const DialogTemplate& dialog);
