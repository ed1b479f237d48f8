// File > Open of a large library through the real editor window, against
// reading the same file alone. Each measurement runs in a fresh child
// process, as a first Open in a newly started editor: for the editor, from
// the moment the user confirms the Open dialog until the script list is
// filled, painted and the program idle; for the reader, readScriptFile
// alone. Times are CPU time (user + system) of the whole process, and wall
// time beside it, medians of several children. Needs an X display.
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "control_ids.h"
#include "editor_app.h"
#include "editor_window.h"
#include "qt_platform.h"
#include "script_file.h"
#include "script_file_text.h"

constexpr int SCRIPTS = 50000;
constexpr int RUNS = 11;

struct Times {
    double cpu = -1;
    double wall = -1;
};

static double secondsOf(clockid_t clock) {
    timespec now;
    clock_gettime(clock, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

static Times now() { return {secondsOf(CLOCK_PROCESS_CPUTIME_ID), secondsOf(CLOCK_MONOTONIC)}; }

static Times since(const Times& start) {
    const Times end = now();
    return {end.cpu - start.cpu, end.wall - start.wall};
}

// The times that measure() reports from a fresh child process; negative
// when the child failed.
static Times timeInChild(const std::function<Times()>& measure) {
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const Times times = measure();
        _exit(write(channel[1], &times, sizeof times) == sizeof times ? 0 : 1);
    }
    close(channel[1]);
    Times times;
    if (child < 0 || read(channel[0], &times, sizeof times) != sizeof times)
        times = {};
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return times;
}

static Times readerAlone(const std::string& path) {
    const Times start = now();
    readScriptFile(path.c_str());
    const Times elapsed = since(start);
    freeAllScripts();
    return elapsed;
}

// Notes the first paint of the list's viewport once it holds every script.
struct PaintWatcher : QObject {
    QListView* list;
    bool painted = false;

    explicit PaintWatcher(QListView* watched) : list(watched) {
        list->viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && list->model()->rowCount() == SCRIPTS)
            painted = true;
        return false;
    }
};

static Times editorOpen(const std::string& path) {
    int argc = 1;
    char name[] = "bench_editor_open";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    setlocale(LC_NUMERIC, "C");
    QtPlatform qt;
    Times start, elapsed;
    bool confirmed = false;
    bool done = false;
    // The user types the file's path into the Open dialog and confirms it.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || confirmed)
            return;
        const QString file = QString::fromStdString(path);
        dialog->selectFile(file);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
        confirmed = true;
        start = now();
        static_cast<QDialog*>(dialog)->accept();
    });
    answer.start(20);
    QTimer::singleShot(300, &qt, [&] {
        auto* list = qobject_cast<QListView*>(qt.control(IDC_SCRIPT_LIST));
        auto* watcher = new PaintWatcher(list);
        watcher->setParent(&qt);
        // Idle: the event loop is about to wait, with the filled list painted.
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, watcher,
                         [&, watcher] {
                             if (!watcher->painted || done)
                                 return;
                             done = true;
                             elapsed = since(start);
                             QTimer::singleShot(0, &qt, [&] {
                                 qt.editorWindow()->menuAction(IDM_FILE_EXIT)->trigger();
                             });
                         });
        qt.editorWindow()->menuAction(IDM_FILE_OPEN)->trigger();
    });
    QTimer::singleShot(60000, &qt, [&] { qt.editorWindow()->menuAction(IDM_FILE_EXIT)->trigger(); });
    runEditor(qt);
    return elapsed;
}

static double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int main() {
    if (!getenv("DISPLAY")) {
        fprintf(stderr, "bench_editor_open needs an X display (scripts/run-benchmarks.sh starts one)\n");
        return 1;
    }
    char folder[] = "/tmp/bench-editor-open-XXXXXX";
    if (!mkdtemp(folder))
        return perror("mkdtemp"), 1;
    const std::string path = std::string(folder) + "/library.txt";
    const std::string text = makeFileText(SCRIPTS);
    if (FILE* file = fopen(path.c_str(), "wb")) {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
    std::vector<double> reader[2], editor[2];  // CPU, wall
    for (int run = 0; run < RUNS; run++) {
        const Times alone = timeInChild([&] { return readerAlone(path); });
        const Times open = timeInChild([&] { return editorOpen(path); });
        if (alone.cpu < 0 || open.cpu < 0) {
            fprintf(stderr, "a measurement failed\n");
            std::filesystem::remove_all(folder);
            return 1;
        }
        reader[0].push_back(alone.cpu);
        reader[1].push_back(alone.wall);
        editor[0].push_back(open.cpu);
        editor[1].push_back(open.wall);
    }
    std::filesystem::remove_all(folder);

    printf("Median ms of %d runs, each in a fresh process (%d scripts, %.2f MB)\n", RUNS, SCRIPTS,
           (double)text.size() / 1e6);
    printf("%-44s %8s %8s\n", "", "CPU", "wall");
    printf("%-44s %8.1f %8.1f\n", "reader alone", median(reader[0]) * 1e3, median(reader[1]) * 1e3);
    printf("%-44s %8.1f %8.1f\n", "editor File > Open until shown and idle", median(editor[0]) * 1e3,
           median(editor[1]) * 1e3);
    printf("\n%-44s %8s %8s  %s\n", "ratio", "CPU", "wall", "target");
    printf("%-44s %8.2f %8.2f  %s\n", "editor Open / reader alone, 50,000 scripts",
           median(editor[0]) / median(reader[0]), median(editor[1]) / median(reader[1]), "CPU <= 1.3");
    return 0;
}
