// The choices kept between runs (QSettings): which stages the preview draws,
// its background, and the texture folders in search order.
#pragma once

class QString;

// The organization and application name under which the choices are kept.
QString settingsApplicationName();
void loadEditorSettings();
// Writes the choices when they differ from what was last loaded or written.
void saveEditorSettings();
