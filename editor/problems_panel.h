// View > Problems: the reader's notes on every opened file, in the words and
// at the places `veltra check` gives, and the way from a note to its script.
#pragma once

#include "editor_context.h"
#include "problems.h"

#include <vector>

// Finds again the problems of each source file whose text changed since; a
// file read since with problems shows the panel. Costs a read of each such
// file, so a program runs it once its window shows what was opened.
void refreshProblems(EditorContext& g);
// Whether some file's problems are not yet found.
bool problemsOutdated(const EditorContext& g);
// Selects the script whose text holds the place (file: an index of the
// library's files; offset in its text), and the stage there when the place is
// inside one, as a click on the lists would. False when no script of the
// library stands there now.
bool selectProblemPlace(EditorContext& g, int file, size_t offset);
int onViewProblems(EditorContext& g);  // 40051
