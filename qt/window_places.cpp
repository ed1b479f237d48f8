#include "window_places.h"

#include "editor_settings.h"
#include "editor_window.h"
#include "preview_window.h"
#include "qt_platform.h"

#include <QFileInfo>
#include <QSettings>

static const char EDITOR_KEY[] = "windows/editor";
static const char PREVIEW_KEY[] = "windows/preview";

void restoreWindowPlaces(QtPlatform& qt) {
    const QSettings settings(settingsApplicationName(), settingsApplicationName());
    if (settings.contains(EDITOR_KEY))
        qt.editorWindow()->restoreGeometry(settings.value(EDITOR_KEY).toByteArray());
    if (settings.contains(PREVIEW_KEY))
        qt.previewWindow()->setFramePosition(settings.value(PREVIEW_KEY).toPoint());
}

void saveWindowPlaces(QtPlatform& qt) {
    QSettings settings(settingsApplicationName(), settingsApplicationName());
    settings.setValue(EDITOR_KEY, qt.editorWindow()->saveGeometry());
    settings.setValue(PREVIEW_KEY, qt.previewWindow()->framePosition());
}

static QString folderKey(bool save) {
    return save ? QStringLiteral("folders/save") : QStringLiteral("folders/open");
}

QString lastDialogFolder(bool save) {
    return QSettings(settingsApplicationName(), settingsApplicationName())
        .value(folderKey(save))
        .toString();
}

void rememberDialogFolder(bool save, const QString& chosenFile) {
    QSettings(settingsApplicationName(), settingsApplicationName())
        .setValue(folderKey(save), QFileInfo(chosenFile).absolutePath());
}
