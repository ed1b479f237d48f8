#include "unsaved_changes.h"

#include "control_ids.h"
#include "editor.h"
#include "editor_window.h"
#include "history.h"
#include "qt_platform.h"

#include <QAction>
#include <QMessageBox>

static bool discarded = false;

static void nameStep(QAction* action, const QString& verb, const char* step) {
    if (!action) return;
    action->setText(step ? QStringLiteral("&%1 %2").arg(verb, QString::fromUtf8(step))
                         : QStringLiteral("&") + verb);
    action->setEnabled(step != nullptr);
}

void showHistoryState(EditorWindow& editor) {
    nameStep(editor.menuAction(IDM_EDIT_UNDO), QStringLiteral("Undo"), undoStepName());
    nameStep(editor.menuAction(IDM_EDIT_REDO), QStringLiteral("Redo"), redoStepName());
    editor.setWindowModified(libraryHasUnsavedChanges());
}

bool mayQuit(QtPlatform& qt) {
    if (!libraryHasUnsavedChanges()) return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("VeltraEd"),
                    QStringLiteral("Save changes to the library before closing?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    qt.editorWindow());
    box.setDefaultButton(QMessageBox::Save);
    const int answer = box.exec();
    qt.makePreviewCurrent();
    if (answer == QMessageBox::Discard) {
        discarded = true;
        return true;
    }
    if (answer != QMessageBox::Save) return false;
    mainDialogProc(DIALOG_COMMAND, IDM_FILE_SAVE);
    qt.libraryCommandDone();
    return !libraryHasUnsavedChanges();
}

bool unsavedChangesDiscarded() {
    return discarded;
}
void resetUnsavedChangesAnswer() {
    discarded = false;
}
