// Where the user left things, kept between runs with QSettings: the places
// and sizes of the two windows, the split between the editor's lists, and the
// folder each file dialog last used.
#pragma once

#include <QString>

class QtPlatform;

void restoreWindowPlaces(QtPlatform& qt);  // the windows made, not yet shown
void saveWindowPlaces(QtPlatform& qt);
QString lastDialogFolder(bool save);
void rememberDialogFolder(bool save, const QString& chosenFile);
