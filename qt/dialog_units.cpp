#include "dialog_units.h"

#include "dialog_templates.h"

#include <QFontMetrics>

DialogUnits DialogUnits::forFont(const QFont& font) {
    // The average width is taken over the 52 letters and rounded as the
    // classic dialog manager does: (width / 26 + 1) / 2.
    static const QString ALPHABET =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(font);
    DialogUnits units;
    units.averageCharWidth = qMax(1, (metrics.horizontalAdvance(ALPHABET) / 26 + 1) / 2);
    units.fontHeight = qMax(1, metrics.height());
    return units;
}

QFont templateFont(const DialogTemplate& dialog) {
    QFont font(QString::fromUtf8(dialog.fontName));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(dialog.fontPoints);
    return font;
}

Qt::WindowFlags templateWindowFlags(const DialogTemplate& dialog) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    if (dialog.style & WINDOW_CAPTION) flags |= Qt::WindowTitleHint;
    if (dialog.style & WINDOW_CLOSE_BOX)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialog.style & WINDOW_MINIMIZE_BOX) flags |= Qt::WindowMinimizeButtonHint;
    if (dialog.style & WINDOW_RESIZABLE) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}
