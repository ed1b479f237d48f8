#include "editor_settings.h"

#include "editor_context.h"

#include <QFile>
#include <QSettings>

static const QString STAGES_KEY = QStringLiteral("preview/stages");
static const QString BACKGROUND_KEY = QStringLiteral("preview/background");
static const QString FOLDERS_KEY = QStringLiteral("textures/folders");

QString settingsApplicationName() {
    return QStringLiteral("VeltraEd");
}

static QStringList currentTextureFolders(const EditorContext& g) {
    QStringList paths;
    for (const SearchFolder* folder = g.textures.folders.textureFolders; folder;
         folder = folder->next)
        paths << QFile::decodeName(folder->path);
    return paths;
}

// A value outside its range keeps the default.
static int readChoice(const QSettings& settings, const QString& key, int fallback, int last) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= 0 && value <= last ? value : fallback;
}

void EditorSettings::load(EditorContext& g) {
    const QSettings settings(settingsApplicationName(), settingsApplicationName());
    PreviewState& preview = g.preview;
    preview.previewStages =
        readChoice(settings, STAGES_KEY, PREVIEW_WHOLE_SCRIPT, PREVIEW_SELECTED_STAGE_ONLY);
    preview.previewBackground =
        readChoice(settings, BACKGROUND_KEY, BACKGROUND_BLUE, BACKGROUND_CHECKERBOARD);
    clearTextureFolders(g.textures.folders);
    for (const QString& path : settings.value(FOLDERS_KEY).toStringList())
        addTextureFolder(g.textures.folders, QFile::encodeName(path).constData());
    savedStages = preview.previewStages;
    savedBackground = preview.previewBackground;
    savedFolders = currentTextureFolders(g);
}

void EditorSettings::save(const EditorContext& g) {
    const QStringList folders = currentTextureFolders(g);
    const PreviewState& preview = g.preview;
    if (preview.previewStages == savedStages && preview.previewBackground == savedBackground &&
        folders == savedFolders)
        return;
    QSettings settings(settingsApplicationName(), settingsApplicationName());
    settings.setValue(STAGES_KEY, preview.previewStages);
    settings.setValue(BACKGROUND_KEY, preview.previewBackground);
    settings.setValue(FOLDERS_KEY, folders);
    savedStages = preview.previewStages;
    savedBackground = preview.previewBackground;
    savedFolders = folders;
}
