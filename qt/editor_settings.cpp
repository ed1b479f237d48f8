#include "editor_settings.h"

#include "preview.h"
#include "texture_folders.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

static const QString STAGES_KEY = QStringLiteral("preview/stages");
static const QString BACKGROUND_KEY = QStringLiteral("preview/background");
static const QString FOLDERS_KEY = QStringLiteral("textures/folders");

QString settingsApplicationName() {
    return QStringLiteral("VeltraEd");
}

static QStringList currentTextureFolders() {
    QStringList paths;
    for (const SearchFolder* folder = textureFolders; folder; folder = folder->next)
        paths << QFile::decodeName(folder->path);
    return paths;
}

// What was last loaded or written, so that unchanged choices are not written.
static int savedStages = -1;
static int savedBackground = -1;
static QStringList savedFolders;

// A value outside its range keeps the default.
static int readChoice(const QSettings& settings, const QString& key, int fallback, int last) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= 0 && value <= last ? value : fallback;
}

void loadEditorSettings() {
    const QSettings settings(settingsApplicationName(), settingsApplicationName());
    previewStages =
        readChoice(settings, STAGES_KEY, PREVIEW_WHOLE_SCRIPT, PREVIEW_SELECTED_STAGE_ONLY);
    previewBackground =
        readChoice(settings, BACKGROUND_KEY, BACKGROUND_BLUE, BACKGROUND_CHECKERBOARD);
    clearTextureFolders();
    for (const QString& path : settings.value(FOLDERS_KEY).toStringList())
        addTextureFolder(QFile::encodeName(path).constData());
    savedStages = previewStages;
    savedBackground = previewBackground;
    savedFolders = currentTextureFolders();
}

void saveEditorSettings() {
    const QStringList folders = currentTextureFolders();
    if (previewStages == savedStages && previewBackground == savedBackground &&
        folders == savedFolders)
        return;
    QSettings settings(settingsApplicationName(), settingsApplicationName());
    settings.setValue(STAGES_KEY, previewStages);
    settings.setValue(BACKGROUND_KEY, previewBackground);
    settings.setValue(FOLDERS_KEY, folders);
    savedStages = previewStages;
    savedBackground = previewBackground;
    savedFolders = folders;
}
