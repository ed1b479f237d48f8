// The choices kept between runs (QSettings): which stages the preview draws,
// its background, and the texture folders in search order.
#pragma once

#include <QStringList>

struct EditorContext;

// The organization and application name under which the choices are kept.
QString settingsApplicationName();

class EditorSettings {
  public:
    void load(EditorContext& g);
    // Writes the choices when they differ from what was last loaded or written.
    void save(const EditorContext& g);

  private:
    int savedStages = -1;
    int savedBackground = -1;
    QStringList savedFolders;
};
