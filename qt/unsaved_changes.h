// The library's history on the editor window: the Edit menu names the step
// it would undo or redo, the title carries the unsaved mark, and quitting
// with unsaved changes asks first.
#pragma once

class EditorWindow;
class QtPlatform;

void showHistoryState(EditorWindow& editor);
// True when the program may quit: nothing is unsaved, or the user chose
// Discard, or chose Save and the library was written. Cancel, a cancelled
// Save dialog or a failed write keep the program running.
bool mayQuit(QtPlatform& qt);
// The user answered Discard: the unsaved changes are given up on purpose.
bool unsavedChangesDiscarded();
void resetUnsavedChangesAnswer();
