#include "window_places.h"

#include "editor_settings.h"
#include "editor_window.h"
#include "preview_window.h"
#include "qt_platform.h"

#include <QFileInfo>
#include <QSettings>
#include <QSplitter>

static const char EDITOR_KEY[] = "windows/editor";
static const char LISTS_KEY[] = "windows/editorLists";
static const char DOCKS_KEY[] = "windows/editorDocks";
static const char PREVIEW_KEY[] = "windows/preview";
static const char PREVIEW_SIZE_KEY[] = "windows/previewSize";

void restoreWindowPlaces(QtPlatform& qt) {
    const QSettings settings(settingsApplicationName(), settingsApplicationName());
    EditorWindow* editor = qt.editorWindow();
    PreviewWindow* preview = qt.previewWindow();
    if (settings.contains(EDITOR_KEY))
        editor->restoreGeometry(settings.value(EDITOR_KEY).toByteArray());
    if (settings.contains(LISTS_KEY))
        editor->listSplitter()->restoreState(settings.value(LISTS_KEY).toByteArray());
    // Where the docks stand and their sizes; whether they show is the View menu's.
    if (settings.contains(DOCKS_KEY)) editor->restoreState(settings.value(DOCKS_KEY).toByteArray());
    if (settings.contains(PREVIEW_KEY))
        preview->setFramePosition(settings.value(PREVIEW_KEY).toPoint());
    if (settings.contains(PREVIEW_SIZE_KEY))
        preview->resize(
            settings.value(PREVIEW_SIZE_KEY).toSize().expandedTo(preview->minimumSize()));
}

void saveWindowPlaces(QtPlatform& qt) {
    QSettings settings(settingsApplicationName(), settingsApplicationName());
    settings.setValue(EDITOR_KEY, qt.editorWindow()->saveGeometry());
    settings.setValue(LISTS_KEY, qt.editorWindow()->listSplitter()->saveState());
    settings.setValue(DOCKS_KEY, qt.editorWindow()->saveState());
    settings.setValue(PREVIEW_KEY, qt.previewWindow()->framePosition());
    settings.setValue(PREVIEW_SIZE_KEY, qt.previewWindow()->size());
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
