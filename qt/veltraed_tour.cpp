// The editor walked through a first session as a user would, for pictures of
// it: File, Open of the example file, a click on one of its scripts (its
// textures found beside the file) and on its first stage. Prints
// "ready" when the editor shows all that, and runs on until it is ended.
//
//   veltraed_tour [examples folder] [script index]
#include "control_ids.h"
#include "editor_app.h"
#include "editor_window.h"
#include "qt_platform.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTimer>

#include <clocale>
#include <cstdio>

// Answers each file dialog as the user would: the example file for Open, the
// file of the texture's name for a Locate dialog (should a name be missing).
static void answerFileDialogs(const QDir& examples) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [examples] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        const QString locate = QStringLiteral("Locate ");
        const QString title = dialog->windowTitle();
        const QString path = title.startsWith(locate)
                                 ? examples.filePath(title.mid(locate.size()))
                                 : examples.filePath(QStringLiteral("demo.txt"));
        // Chosen, then typed into the file name box, as the dialog has the
        // keyboard focus; choosing first clears the file it offered.
        dialog->selectFile(path);
        if (auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            fileName->setText(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    poll->start(50);
}

// A click on an entry: the list reports the new selection to the editor.
static void chooseEntry(QtPlatform& qt, int listId, int row) {
    auto* list = qobject_cast<QListView*>(qt.control(listId));
    if (list) list->setCurrentIndex(list->model()->index(row, 0));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    const QDir examples(argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QStringLiteral(VELTRA_EXAMPLES_DIR));
    const int scriptRow = argc > 2 ? atoi(argv[2]) : 2;

    EditorApp editor;
    QtPlatform& qt = editor.platform();
    answerFileDialogs(examples);
    QTimer::singleShot(500, &qt, [&qt, scriptRow] {
        qt.editorWindow()->menuAction(IDM_FILE_OPEN)->trigger();
        chooseEntry(qt, IDC_SCRIPT_LIST, scriptRow);
        chooseEntry(qt, IDC_STAGE_LIST, 0);
        printf("ready\n");
        fflush(stdout);
    });
    // Without the recovery copy: the tour is ended by a signal, and its
    // library is no work of the user's to offer back at the next start.
    editor.start();
    editor.runUntilQuit();
    editor.tearDown();
    return 0;
}
