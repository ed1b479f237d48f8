// File > Open of a large library through the real editor window, against
// reading the same file alone. Each measurement runs in a fresh child
// process, as a first Open in a newly started editor: for the editor, from
// the moment the user confirms the Open dialog until the script list is
// filled, painted and the program idle; for the reader, readScriptFile
// alone. Times are CPU time (user + system) of the whole process, medians
// of several children. Needs an X display.

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "control_ids.h"
#include "editor_app.h"
#include "editor_window.h"
#include "qt_platform.h"
#include "script_file.h"
#include "script_file_text.h"
#include "script_library.h"

constexpr int SCRIPTS = 50000;
constexpr int RUNS = 11;

static double readerAlone(const std::string& path) {
    ScriptLibrary library;
    const double start = cpuSeconds();
    readScriptFile(library, path.c_str());
    return cpuSeconds() - start;
}

// Notes the first paint of the list's viewport once it holds every script.
struct PaintWatcher : QObject {
    QListView* list;
    bool painted = false;

    explicit PaintWatcher(QListView* watched) : list(watched) {
        list->viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && list->model()->rowCount() == SCRIPTS) painted = true;
        return false;
    }
};

static double editorOpen(const std::string& path) {
    int argc = 1;
    char name[] = "bench_editor_open";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    EditorApp editor;
    QtPlatform& qt = editor.platform();
    double start = 0;
    double elapsed = -1;
    bool confirmed = false;
    bool done = false;
    // The user types the file's path into the Open dialog and confirms it.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || confirmed) return;
        const QString file = QString::fromStdString(path);
        dialog->selectFile(file);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
        confirmed = true;
        start = cpuSeconds();
        static_cast<QDialog*>(dialog)->accept();
    });
    answer.start(20);
    QTimer::singleShot(300, &qt, [&] {
        auto* list = qobject_cast<QListView*>(qt.control(IDC_SCRIPT_LIST));
        auto* watcher = new PaintWatcher(list);
        watcher->setParent(&qt);
        // Idle: the event loop is about to wait, with the filled list painted.
        QObject::connect(QAbstractEventDispatcher::instance(),
                         &QAbstractEventDispatcher::aboutToBlock, watcher, [&, watcher] {
                             if (!watcher->painted || done) return;
                             done = true;
                             elapsed = cpuSeconds() - start;
                             QTimer::singleShot(0, &qt, [&] {
                                 // Quit without the save prompt.
                                 markLibrarySaved(editor.context().library.history);
                                 qt.editorWindow()->menuAction(IDM_FILE_EXIT)->trigger();
                             });
                         });
        qt.editorWindow()->menuAction(IDM_FILE_OPEN)->trigger();
    });
    QTimer::singleShot(60000, &qt,
                       [&] { qt.editorWindow()->menuAction(IDM_FILE_EXIT)->trigger(); });
    editor.run();
    return elapsed;
}

int main() {
    if (!getenv("DISPLAY")) {
        fprintf(stderr,
                "bench_editor_open needs an X display (scripts/run-benchmarks.sh starts one)\n");
        return 1;
    }
    char folder[] = "/tmp/bench-editor-open-XXXXXX";
    if (!mkdtemp(folder)) {
        perror("mkdtemp");
        return 1;
    }
    const std::string path = std::string(folder) + "/library.txt";
    const std::string text = makeFileText(SCRIPTS);
    if (FILE* file = fopen(path.c_str(), "wb")) {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    std::vector<double> reader;
    std::vector<double> editor;
    for (int run = 0; run < RUNS; run++) {
        reader.push_back(figureInChild([&] { return readerAlone(path); }));
        editor.push_back(figureInChild([&] { return editorOpen(path); }));
        if (reader.back() < 0 || editor.back() < 0) {
            fprintf(stderr, "a measurement failed\n");
            std::filesystem::remove_all(folder);
            return 1;
        }
    }
    std::filesystem::remove_all(folder);

    printf("Median CPU ms of %d runs, each in a fresh process (%d scripts, %.2f MB)\n", RUNS,
           SCRIPTS, (double)text.size() / 1e6);
    printf("%-44s %8.1f\n", "reader alone", median(reader) * 1e3);
    printf("%-44s %8.1f\n", "editor File > Open until shown and idle", median(editor) * 1e3);
    printf("%-44s %8.2f  target CPU <= 1.3\n", "editor Open / reader alone, 50,000 scripts",
           median(editor) / median(reader));
    return 0;
}
