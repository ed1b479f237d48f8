// The script text pane (View > Script Text): the selected script as text, and
// the pane's typing applied to it (Edit Text). Typing is read by the reader
// itself, so the pane accepts exactly what a file would give.
#pragma once

#include "editor_context.h"

// What the pane shows of the selected script (scriptSourceText), with its
// stages' braces and the reader's notes on its words; empty without a script.
ScriptTextView scriptTextView(EditorContext& g);
// Sends scriptTextView to the platform while the pane is shown.
void showScriptText(EditorContext& g);
// A command other than Edit Text ended: the next typing is a step of its
// own, and the pane shows what the command left. Every command path ends
// here (mainDialogProc, a stage dragged, files dropped, a problem chosen).
void scriptTextAfterCommand(EditorContext& g);

// The pane's text replaces the selected script when it holds exactly one
// script whose body is closed; otherwise nothing changes and the pane says
// why. Refuses (1) then.
int onScriptTextEdit(EditorContext& g);  // 1042
int onViewScriptText(EditorContext& g);  // 40052
